#include "menu/ScoreFolder.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "menu/HighScoreFile.h"

namespace menu {
namespace {

namespace fs = std::filesystem;

// Larger than any table the program writes by far; a bigger file is not copied.
constexpr std::uintmax_t kMaxSeedBytes = 1 << 20;

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
    return userFolder;
}

void SeedScoreTable(const std::string& programFolder, const std::string& scoreFolder) {
    std::error_code ec;
    const fs::path source = fs::path(programFolder) / kTableFileName;
    const fs::path target = fs::path(scoreFolder) / kTableFileName;
    if (fs::equivalent(programFolder, scoreFolder, ec) || ec) return;
    if (fs::exists(target, ec) || ec || !fs::is_regular_file(source, ec)) return;
    const std::uintmax_t size = fs::file_size(source, ec);
    if (ec || size > kMaxSeedBytes) return;
    std::ifstream in(source, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) return;
    ReplaceHighScoreFile(target.string(), bytes);
}

}  // namespace menu
