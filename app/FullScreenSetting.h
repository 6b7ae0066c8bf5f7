#pragma once
// The player's last choice of full screen, kept across runs: an INI file in
// the user's configuration folder, $XDG_CONFIG_HOME/tilebash/tilebash.conf
// (~/.config when XDG_CONFIG_HOME is unset), per user for an installed copy
// and a portable one alike, never beside the program. It holds
//   [window]
//   fullScreen=true
// or false. A file that is missing, empty, damaged, unreadable or not a file
// at all means a window: it never stops the program from starting.

#include <QString>

// Where the choice is kept, named after the application (set before); empty
// when the system names no configuration folder.
QString FullScreenSettingPath();

// True only when the file says fullScreen=true in [window], word for word.
bool ReadFullScreenSetting(const QString& path);

// Replaces the file with the choice, making its folders: written beside it,
// flushed to disk and renamed over it, so it is never half-written. Returns
// why it could not be kept (the old file then stays as it was), or an empty
// text when it was kept.
QString SaveFullScreenSetting(const QString& path, bool on);
