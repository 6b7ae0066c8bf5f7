#include "app/DisplayFailure.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct HeldMessage {
    QtMsgType type;
    std::string file, function, category;
    int line;
    QString text;
};

std::mutex heldLock;  // Qt's X event thread may log while the application is built
std::vector<HeldMessage> held;
QtMessageHandler before = nullptr;

QString Variable(const char* name) {
    return qEnvironmentVariableIsEmpty(name)
               ? QStringLiteral("%1 unset").arg(QLatin1String(name))
               : QStringLiteral("%1 '%2'").arg(QLatin1String(name), qEnvironmentVariable(name));
}

void Watch(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    // Qt's last word when neither X nor Wayland answered: it aborts after it.
    if (type == QtFatalMsg && text.contains(QLatin1String("no Qt platform plugin could be initialized"))) {
        const QString line =
            QStringLiteral(
                "%1: cannot open a display (%2, %3): run it from a desktop session, "
                "or set DISPLAY or WAYLAND_DISPLAY to a running display\n")
                .arg(QCoreApplication::applicationName(), Variable("DISPLAY"), Variable("WAYLAND_DISPLAY"));
        std::fputs(line.toLocal8Bit().constData(), stderr);
        _exit(1);
    }
    if (type == QtFatalMsg) {
        before(type, context, text);
        return;
    }
    // Not only qt.qpa.*: the Wayland plugin reports a missing compositor uncategorised.
    const std::lock_guard<std::mutex> guard(heldLock);
    held.push_back({type, context.file ? context.file : "", context.function ? context.function : "",
                    context.category ? context.category : "", context.line, text});
}

}  // namespace

DisplayFailureWatch::DisplayFailureWatch() {
    before = qInstallMessageHandler(Watch);
}

DisplayFailureWatch::~DisplayFailureWatch() {
    End();
}

void DisplayFailureWatch::End() {
    if (!watching_) return;
    watching_ = false;
    qInstallMessageHandler(before);
    std::vector<HeldMessage> messages;
    {
        const std::lock_guard<std::mutex> guard(heldLock);
        messages.swap(held);
    }
    for (const HeldMessage& m : messages) {
        const QMessageLogContext context(m.file.c_str(), m.line, m.function.c_str(), m.category.c_str());
        before(m.type, context, m.text);
    }
}
