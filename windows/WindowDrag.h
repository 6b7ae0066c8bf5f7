#pragma once
// Moving a borderless window: with no title bar to take hold of, a left-button
// drag on the window's own background moves it. Presses on a control (a
// button, a text box, a label) and presses outside the handle area are left
// alone, and a press and release without travel does nothing. A full-screen or
// maximized window is not dragged.
//
// The window manager does the move where it can (QWindow::startSystemMove, so
// it snaps and stays on screen as the desktop likes). Without a window manager
// that offers it, as on a bare X server, the window follows the pointer by hand.

#include <QObject>
#include <QPoint>
#include <QRect>

class QMouseEvent;
class QWidget;

namespace windows {

class WindowDrag final : public QObject {
    Q_OBJECT
public:
    // Makes window draggable. handle is where, in the window's coordinates, a
    // drag may start; an empty rectangle means the whole window. The drag is
    // owned by the window and ends with it.
    static WindowDrag& Install(QWidget& window, QRect handle = {});

    // Whether the drag is moving the window by hand right now.
    bool MovingByHand() const { return mode_ == Mode::ByHand; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Mode { Idle, Pressed, ByHand, BySystem };

    WindowDrag(QWidget& window, QRect handle);
    bool Press(const QMouseEvent& event);
    bool Move(const QMouseEvent& event);
    bool Release(const QMouseEvent& event);
    bool StartsDrag(QPoint windowPos) const;

    QWidget& window_;
    QRect handle_;
    Mode mode_ = Mode::Idle;
    QPoint pressGlobal_;  // where the pointer went down, desktop coordinates
    QPoint windowStart_;  // the window's position at that moment
};

}  // namespace windows
