#pragma once
// The high-score file: ten lines of 8-bit text, name and score of five rows
// alternating, CR LF after every line. Plain C++ over POSIX files, so the
// format and its failures can be tested without a window.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace menu {

constexpr std::size_t kHighScoreLines = 10;
// A line longer than this is stored cut; the rest is skipped unread into
// memory, so a huge file without line ends cannot exhaust it.
constexpr std::size_t kMaxLineBytes = 4096;

using HighScoreLines = std::array<std::string, kHighScoreLines>;

// The ten lines written into a missing file (84 bytes with their line ends).
const HighScoreLines& DefaultHighScoreLines();

struct HighScoreReadResult {
    bool ok = false;
    std::vector<std::string> lines;  // at most ten, without their line ends
    std::string error;               // names the path and the reason when !ok
};

struct FileStatus {
    bool ok = true;
    std::string error;  // names the path and the reason when !ok
};

// Reads the first ten lines. A line ends at CR LF, at CR alone or at LF alone;
// the last line needs no line end.
HighScoreReadResult ReadHighScoreFile(const std::string& path);

// Replaces the file with the ten lines, each followed by CR LF; a CR or LF
// inside a line is written as a blank, so the file always has ten. The new
// contents are written beside the file, flushed to disk and renamed over it,
// so the old file stays whole if anything fails on the way.
FileStatus WriteHighScoreFile(const std::string& path, const HighScoreLines& lines);

// Replaces the file with bytes as a save does: written beside it under a
// unique name, flushed to disk, renamed over it, and the rename flushed too.
FileStatus ReplaceHighScoreFile(const std::string& path, std::string_view bytes);

// Creates the file with the default lines if it does not exist; otherwise
// leaves it alone, whatever it holds.
FileStatus EnsureHighScoreFile(const std::string& path);

}  // namespace menu
