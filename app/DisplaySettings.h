#pragma once
// Qt settings of the display connection, made before the application object
// exists; the program and the benchmarks that stand in for it share them.

#include <QByteArray>
#include <QtGlobal>

// On X, Qt hands a repaint to the server through shared memory, and before
// painting a box the server may still be reading it waits for a round trip:
// every frame, since the ball's new place overlaps its old one. A frame's
// boxes are a few kilobytes, cheaper sent over the connection, which needs
// no wait; that takes about half the running game's CPU away. A value set by
// the user is kept.
//
// Nothing is chosen for Wayland: with WAYLAND_DISPLAY set Qt tries Wayland
// before X by itself, so a Wayland session without X works as it is.
//
// zoom (--zoom) multiplies Qt's scale, the desktop's whole-number one
// included, replacing a QT_SCALE_FACTOR set by hand; 0 leaves the scale alone.
inline void ChooseDisplaySettings(int zoom = 0) {
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");
    if (zoom > 0) qputenv("QT_SCALE_FACTOR", QByteArray::number(zoom));
}
