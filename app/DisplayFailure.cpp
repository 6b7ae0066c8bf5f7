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

// Whether a plugin failed because its display did not answer (X's or
// Wayland's words), rather than for a reason of its own (a library missing,
// an unknown -platform).
bool DisplayRefused() {
    const std::lock_guard<std::mutex> guard(heldLock);
    for (const HeldMessage& m : held) {
        if (m.text.contains(QLatin1String("connect to display"), Qt::CaseInsensitive) ||
            m.text.contains(QLatin1String("wl_display"), Qt::CaseInsensitive)) {
            return true;
        }
    }
    return false;
}

void PassOnHeld() {
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

void Watch(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    // Qt's last word when no platform plugin started: it aborts after it.
    if (type == QtFatalMsg && text.contains(QLatin1String("no Qt platform plugin could be initialized"))) {
        QString line;
        if (DisplayRefused()) {
            line = QStringLiteral(
                       "%1: cannot open a display (%2, %3): run it from a desktop session, "
                       "or set DISPLAY or WAYLAND_DISPLAY to a running display\n")
                       .arg(QCoreApplication::applicationName(), Variable("DISPLAY"),
                            Variable("WAYLAND_DISPLAY"));
        } else {
            PassOnHeld();  // they name the cause; the display is not to blame
            line = QStringLiteral("%1: the window system could not be used: the messages above say why\n")
                       .arg(QCoreApplication::applicationName());
        }
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
    PassOnHeld();
}
