#pragma once
// Qt settings of the display connection, made before the application object
// exists; the program and the benchmarks that stand in for it share them.

#include <QtGlobal>

// On X, Qt hands a repaint to the server through shared memory, and before
// painting a box the server may still be reading it waits for a round trip:
// every frame, since the ball's new place overlaps its old one. A frame's
// boxes are a few kilobytes, cheaper sent over the connection, which needs
// no wait; that takes about half the running game's CPU away. A value set by
// the user is kept.
inline void ChooseDisplaySettings() {
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");
}
