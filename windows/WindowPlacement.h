#pragma once
// Where a window goes when it is first shown: centred on the screen that holds
// the mouse pointer, so on a desk of several screens the game opens where the
// player is looking. The geometry is a plain function so it can be tested
// without real screens.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <vector>

class QWidget;

namespace windows {

// One screen in the desktop's coordinates: all of it, and the part free of
// panels and docks.
struct ScreenArea {
    QRect geometry;
    QRect available;
};

// The top-left corner that centres a window of the given size in the available
// area of the screen whose geometry holds the pointer, or of screens[0] (the
// primary screen) when none does. A window larger than that area keeps its
// top-left corner inside it, so it can still be seen and dragged. An empty
// list gives (0, 0).
QPoint CentredPosition(const std::vector<ScreenArea>& screens, QPoint pointer, QSize window);

// Moves a top-level window to CentredPosition on the current screens and pointer.
void CentreOnPointerScreen(QWidget& window);

// Centres the window (CentreOnPointerScreen) as it is shown the first time;
// later it opens where it was last, moved by the player or not.
void CentreWhenFirstShown(QWidget& window);

}  // namespace windows
