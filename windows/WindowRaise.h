#pragma once
// Bringing the program's windows to the front when a later start asks.

#include <QString>

namespace windows {

// Brings the program's visible window, and a message box open over it, to
// the front and gives it the focus. On Wayland the window that takes the
// focus presents activationToken (the later start's launcher's), without
// which compositors only mark the window as wanting attention.
void RaiseCurrentWindow(const QString& activationToken);

}  // namespace windows
