#pragma once
// The program's options, read before any window system is opened: --help and
// --version answer without a display, and a mistake ends the program before a
// window shows. Qt's own parser reads them; the application's name and version
// are set on QCoreApplication before.

#include <optional>

struct CommandLine {
    // --fullscreen (true) or --windowed (false), the last one given: how the
    // first game opens this run, whatever the player chose before; unset
    // when neither was given, and the remembered choice holds.
    std::optional<bool> fullScreen;
    // --scaling sharp (the default) lets full screen fill the screen with the
    // sharp fit; --scaling integer keeps whole-number scales everywhere.
    bool sharpFit = true;
    int zoom = 0;  // --zoom N: the windows N times larger; 0 when not asked
    // Set when the program ends here: 0 after --help or --version, 2 after a mistake.
    std::optional<int> exitStatus;
};

inline constexpr int kMinZoom = 1;
inline constexpr int kMaxZoom = 4;

// Reads argv, printing the help, the version or what was wrong.
CommandLine ReadCommandLine(int argc, char* argv[]);
