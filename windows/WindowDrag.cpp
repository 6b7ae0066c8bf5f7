#include "windows/WindowDrag.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QStyleHints>
#include <QWidget>
#include <QWindow>

namespace windows {

WindowDrag& WindowDrag::Install(QWidget& window, QRect handle) {
    auto* drag = new WindowDrag(window, handle);  // owned by window
    window.installEventFilter(drag);
    return *drag;
}

WindowDrag::WindowDrag(QWidget& window, QRect handle)
    : QObject(&window), window_(window), handle_(handle) {}

bool WindowDrag::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &window_) {
        return false;
    }
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            return Press(*static_cast<QMouseEvent*>(event));
        case QEvent::MouseMove:
            return Move(*static_cast<QMouseEvent*>(event));
        case QEvent::MouseButtonRelease:
            return Release(*static_cast<QMouseEvent*>(event));
        case QEvent::Hide:
            mode_ = Mode::Idle;
            return false;
        default:
            return false;
    }
}

bool WindowDrag::StartsDrag(QPoint windowPos) const {
    // A full-screen or maximized window is held where the desktop put it; moved
    // by hand it would leave that state behind the owner's back. The handle is
    // in the window's own size too, which it no longer has.
    if (window_.isFullScreen() || window_.isMaximized()) {
        return false;
    }
    if (!handle_.isEmpty() && !handle_.contains(windowPos)) {
        return false;
    }
    // A press a child control refused (a label, a disabled button) reaches the
    // window too; it is still a press on that control, not on the background.
    return window_.childAt(windowPos) == nullptr;
}

bool WindowDrag::Press(const QMouseEvent& event) {
    mode_ = Mode::Idle;
    if (event.button() != Qt::LeftButton || !StartsDrag(event.position().toPoint())) {
        return false;
    }
    mode_ = Mode::Pressed;
    pressGlobal_ = event.globalPosition().toPoint();
    windowStart_ = window_.pos();
    return false;  // the window itself does nothing with a press, as before
}

bool WindowDrag::Move(const QMouseEvent& event) {
    if (mode_ == Mode::Idle || mode_ == Mode::BySystem) {
        return false;
    }
    if (!(event.buttons() & Qt::LeftButton)) {
        mode_ = Mode::Idle;  // the release went elsewhere
        return false;
    }
    const QPoint travel = event.globalPosition().toPoint() - pressGlobal_;
    if (mode_ == Mode::Pressed) {
        // A click that wobbles by a pixel or two is still a click.
        if (travel.manhattanLength() < QGuiApplication::styleHints()->startDragDistance()) {
            return false;
        }
        QWindow* handle = window_.windowHandle();
        if (handle != nullptr && handle->startSystemMove()) {
            mode_ = Mode::BySystem;
            return true;
        }
        mode_ = Mode::ByHand;
    }
    window_.move(windowStart_ + travel);
    return true;
}

bool WindowDrag::Release(const QMouseEvent& event) {
    if (event.button() != Qt::LeftButton) {
        return false;
    }
    const bool dragged = mode_ == Mode::ByHand || mode_ == Mode::BySystem;
    if (mode_ == Mode::ByHand) {
        window_.move(windowStart_ + (event.globalPosition().toPoint() - pressGlobal_));
    }
    mode_ = Mode::Idle;
    return dragged;
}

}  // namespace windows
