#pragma once
// Bringing the program's windows to the front when a later start asks.

namespace windows {

// Brings the program's visible window, and a message box open over it, to
// the front and gives it the focus.
void RaiseCurrentWindow();

}  // namespace windows
