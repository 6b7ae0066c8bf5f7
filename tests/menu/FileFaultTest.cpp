// Faults of a real disk under the high-score file: a file of gigabytes
// without a line end, a read-only folder and a full disk. The folder faults
// are made for real in a child process with its own mount namespace, so a
// mount never outlives the test; where mounting is not allowed (no root, a
// locked-down container) those tests are skipped with the reason.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "MountNamespace.h"
#include "TempFolder.h"
#include "menu/HighScoreFile.h"
#include "menu/ScoreFolder.h"

namespace {

using menu::DefaultHighScoreLines;
using menu::EnsureHighScoreFile;
using menu::HighScoreLines;
using menu::ReadHighScoreFile;
using menu::WriteHighScoreFile;
using menu_test::ChildReport;
using menu_test::EntryCount;
using menu_test::InMountNamespace;
using menu_test::kDefaultBytes;
using menu_test::MountReadOnly;
using menu_test::MountSmallDisk;
using menu_test::ReadBytes;
using menu_test::TempFolder;
using menu_test::WriteBytes;

HighScoreLines NewTable() {
    HighScoreLines lines = DefaultHighScoreLines();
    lines[0] = "Newcomer";
    lines[1] = "40000";
    return lines;
}

long MaxRssKiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Collects failed expectations in the child, where gtest cannot report.
struct Expect {
    std::string failures;
    void That(bool holds, const std::string& what) {
        if (!holds) failures += what + "\n";
    }
};

std::string Errno(int error) {
    return std::strerror(error);
}

}  // namespace

TEST(FileFaults, AFileOfGigabytesWithoutALineEndIsReadWithLittleMemory) {
    TempFolder folder;
    const std::string path = folder.File("highscore.txt");
    constexpr off_t kSize = off_t{2} << 30;  // 2 GiB of zero bytes, a hole on disk
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, kSize), 0) << Errno(errno);
        ::close(fd);
    }
    const long before = MaxRssKiB();
    const auto result = ReadHighScoreFile(path);
    const long grown = MaxRssKiB() - before;
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(result.lines.size(), 1u);
    EXPECT_EQ(result.lines[0].size(), 4096u);  // a line is cut at 4 KiB
    // The line is kept cut; reading it must not have held anything near its size.
    EXPECT_LT(grown, 32 * 1024) << "peak memory grew by " << grown << " KiB";
}

TEST(FileFaults, ASaveIntoAReadOnlyFolderFailsClearlyAndKeepsTheOldFile) {
    TempFolder folder;
    const std::string shelf = folder.File("program");
    std::filesystem::create_directory(shelf);
    const std::string path = shelf + "/highscore.txt";
    WriteBytes(path, kDefaultBytes);

    const ChildReport report = InMountNamespace(
        [&] { return MountReadOnly(shelf); },
        [&]() {
            Expect expect;
            const menu::FileStatus saved = WriteHighScoreFile(path, NewTable());
            expect.That(!saved.ok, "the save into a read-only folder reported success");
            expect.That(saved.error.find("\"" + path + "\"") != std::string::npos,
                        "the error does not name the file: " + saved.error);
            expect.That(saved.error.find(Errno(EROFS)) != std::string::npos,
                        "the error does not give the reason: " + saved.error);
            expect.That(ReadBytes(path) == kDefaultBytes, "the old file changed");
            expect.That(EntryCount(shelf) == 1, "something was left beside the file");

            // The table still reads, and an existing file needs no creating.
            const auto read = ReadHighScoreFile(path);
            expect.That(read.ok && read.lines.size() == 10, "the file no longer reads: " + read.error);
            expect.That(EnsureHighScoreFile(path).ok, "an existing file was reported as a failure");

            // A missing file cannot be created there: said so, and nothing appears.
            const std::string missing = shelf + "/other.txt";
            const menu::FileStatus created = EnsureHighScoreFile(missing);
            expect.That(!created.ok, "creating a file in a read-only folder reported success");
            expect.That(created.error.find(Errno(EROFS)) != std::string::npos,
                        "creating gives no reason: " + created.error);
            expect.That(EntryCount(shelf) == 1, "creating left something behind");
            return expect.failures;
        });
    if (report.skipped) GTEST_SKIP() << report.text;
    EXPECT_EQ(report.text, "");
    EXPECT_EQ(ReadBytes(path), kDefaultBytes);
}

TEST(FileFaults, ASaveOntoAFullDiskFailsClearlyAndKeepsTheOldFile) {
    TempFolder folder;
    const std::string disk = folder.File("disk");
    std::filesystem::create_directory(disk);
    const std::string path = disk + "/highscore.txt";

    const ChildReport report = InMountNamespace(
        [&] { return MountSmallDisk(disk); },
        [&]() {
            Expect expect;
            expect.That(EnsureHighScoreFile(path).ok, "the default file could not be made");
            // Fill what is left of the disk.
            const std::string filler = disk + "/filler";
            const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT, 0644);
            const std::string block(4096, 'x');
            int lastError = 0;
            for (int i = 0; i < 64; ++i) {
                if (::write(fd, block.data(), block.size()) < 0) {
                    lastError = errno;
                    break;
                }
            }
            ::close(fd);
            expect.That(lastError == ENOSPC, "the disk did not fill up: " + Errno(lastError));

            const menu::FileStatus saved = WriteHighScoreFile(path, NewTable());
            expect.That(!saved.ok, "the save onto a full disk reported success");
            expect.That(saved.error.find("\"" + path + "\"") != std::string::npos,
                        "the error does not name the file: " + saved.error);
            expect.That(saved.error.find(Errno(ENOSPC)) != std::string::npos,
                        "the error does not give the reason: " + saved.error);
            expect.That(ReadBytes(path) == kDefaultBytes, "the old file changed");
            expect.That(EntryCount(disk) == 2, "a temporary file was left behind");

            // Once there is room again the same table saves.
            ::unlink(filler.c_str());
            const menu::FileStatus retried = WriteHighScoreFile(path, NewTable());
            expect.That(retried.ok, "the save failed with room on the disk: " + retried.error);
            const auto read = ReadHighScoreFile(path);
            expect.That(read.ok && read.lines.size() == 10 && read.lines[0] == "Newcomer",
                        "the saved table does not read back");
            return expect.failures;
        });
    if (report.skipped) GTEST_SKIP() << report.text;
    EXPECT_EQ(report.text, "");
}

// A full disk while the file is missing: nothing half-made stays behind, so
// the next start tries again from scratch.
TEST(FileFaults, CreatingTheDefaultFileOnAFullDiskLeavesNoPartialFile) {
    TempFolder folder;
    const std::string disk = folder.File("disk");
    std::filesystem::create_directory(disk);
    const std::string path = disk + "/highscore.txt";

    const ChildReport report = InMountNamespace(
        [&] { return MountSmallDisk(disk); },
        [&]() {
            Expect expect;
            const std::string filler = disk + "/filler";
            const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT, 0644);
            const std::string block(4096, 'x');
            for (int i = 0; i < 64 && ::write(fd, block.data(), block.size()) >= 0; ++i) {
            }
            ::close(fd);
            // A first start's copy of the program's table fails the same way.
            const std::string program = folder.File("program");
            std::filesystem::create_directory(program);
            WriteBytes(program + "/highscore.txt", kDefaultBytes);
            menu::SeedScoreTable(program, disk);
            expect.That(EntryCount(disk) == 1, "the first start's copy left a file behind");
            const menu::FileStatus created = EnsureHighScoreFile(path);
            expect.That(!created.ok, "creating on a full disk reported success");
            expect.That(created.error.find(Errno(ENOSPC)) != std::string::npos,
                        "creating gives no reason: " + created.error);
            struct stat info = {};
            expect.That(::stat(path.c_str(), &info) != 0, "a partial high-score file was left");
            expect.That(EntryCount(disk) == 1, "a temporary file was left behind");
            return expect.failures;
        });
    if (report.skipped) GTEST_SKIP() << report.text;
    EXPECT_EQ(report.text, "");
}
