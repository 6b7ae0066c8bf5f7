#include "menu/ScoreFolder.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace menu {
namespace {

namespace fs = std::filesystem;

constexpr char kTableName[] = "highscore.txt";

// Copies the program folder's table into the per-user folder through a
// temporary name, so a failed copy never leaves a half table behind; the
// defaults are then written as for a missing file.
void SeedFrom(const fs::path& source, const fs::path& target) {
    std::error_code ec;
    if (fs::exists(target, ec) || ec || !fs::is_regular_file(source, ec)) return;
    const fs::path part = target.string() + ".part";
    if (fs::copy_file(source, part, fs::copy_options::overwrite_existing, ec)) {
        fs::rename(part, target, ec);
    }
    if (ec) fs::remove(part, ec);
}

}  // namespace

bool FolderIsWritable(const std::string& folder) {
    std::string probe = folder + "/.tilebash-probe-XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

std::string ChooseScoreFolder(const std::string& programFolder, const std::string& userFolder) {
    std::error_code ec;
    const bool marked = fs::exists(fs::path(programFolder) / kInstalledMarker, ec);
    if (!marked && FolderIsWritable(programFolder)) return programFolder;
    if (userFolder.empty()) return programFolder;
    fs::create_directories(userFolder, ec);
    if (ec || !fs::is_directory(userFolder, ec)) return programFolder;
    SeedFrom(fs::path(programFolder) / kTableName, fs::path(userFolder) / kTableName);
    return userFolder;
}

}  // namespace menu
