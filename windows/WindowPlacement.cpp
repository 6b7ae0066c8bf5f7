#include "windows/WindowPlacement.h"

#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace windows {
namespace {

// Centres length in the span [start, start + span), but never starts before start.
int CentredStart(int start, int span, int length) {
    return start + std::max(0, (span - length) / 2);
}

// Watches a window until its first Show, centres it then and watches no more.
// Show comes before the window is mapped, so it never flashes elsewhere.
class FirstShowCentring final : public QObject {
public:
    explicit FirstShowCentring(QWidget& window) : QObject(&window), window_(window) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ && event->type() == QEvent::Show) {
            window_.removeEventFilter(this);
            CentreOnPointerScreen(window_);
        }
        return false;
    }

private:
    QWidget& window_;
};

}  // namespace

QPoint CentredPosition(const std::vector<ScreenArea>& screens, QPoint pointer, QSize window) {
    if (screens.empty()) {
        return {0, 0};
    }
    // The same choice as QGuiApplication::screenAt, falling back to the primary screen.
    const auto holder = std::find_if(screens.begin(), screens.end(), [pointer](const ScreenArea& s) {
        return s.geometry.contains(pointer);
    });
    const QRect area = (holder != screens.end() ? *holder : screens.front()).available;
    return {CentredStart(area.x(), area.width(), window.width()),
            CentredStart(area.y(), area.height(), window.height())};
}

void CentreOnPointerScreen(QWidget& window) {
    // QGuiApplication::screens() lists the primary screen first.
    std::vector<ScreenArea> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        screens.push_back({screen->geometry(), screen->availableGeometry()});
    }
    if (screens.empty()) {
        return;
    }
    window.move(CentredPosition(screens, QCursor::pos(), window.size()));
}

void CentreWhenFirstShown(QWidget& window) {
    window.installEventFilter(new FirstShowCentring(window));  // owned by window
}

}  // namespace windows
