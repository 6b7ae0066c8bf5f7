#include "platform/qt/QtEvents.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace platform::qt {

QtEvents::QtEvents(Clock& clock) : clock_(clock) {
    wake_.setSingleShot(true);
    wake_.setTimerType(Qt::PreciseTimer);
}

void QtEvents::DoEvents() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtEvents::WaitEvents(int32_t deadlineTick) {
    const int64_t remaining = int64_t{deadlineTick} - clock_.GetTickCount();
    if (remaining <= 0) return;
    // The timer's own event ends the wait at the deadline; any other event ends it sooner.
    wake_.start(static_cast<int>(remaining));
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    wake_.stop();
}

}  // namespace platform::qt
