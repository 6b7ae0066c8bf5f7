#include "menu/HighScoreFile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "FileSizeLimit.h"
#include "TempFolder.h"

namespace {

using menu::DefaultHighScoreLines;
using menu::EnsureHighScoreFile;
using menu::HighScoreLines;
using menu::ReadHighScoreFile;
using menu::WriteHighScoreFile;
using menu_test::EntryCount;
using menu_test::FileSizeLimit;
using menu_test::kDefaultBytes;
using menu_test::ReadBytes;
using menu_test::TempFolder;
using menu_test::WriteBytes;

TEST(HighScoreFile, MissingFileIsCreatedWithTheEightyFourDefaultBytes) {
    TempFolder folder;
    const std::string path = folder.File("highscore.txt");
    ASSERT_TRUE(EnsureHighScoreFile(path).ok);
    EXPECT_EQ(ReadBytes(path), kDefaultBytes);
    EXPECT_EQ(ReadBytes(path).size(), 84u);
    EXPECT_EQ(EntryCount(folder.Path()), 1);
}

TEST(HighScoreFile, AnExistingFileIsLeftAloneWhateverItHolds) {
    for (const std::string& contents : {std::string(), std::string("x"), std::string(kDefaultBytes)}) {
        TempFolder folder;
        const std::string path = folder.File("highscore.txt");
        WriteBytes(path, contents);
        ASSERT_TRUE(EnsureHighScoreFile(path).ok);
        EXPECT_EQ(ReadBytes(path), contents);
    }
}

TEST(HighScoreFile, SavedFileHoldsExactlyTenLinesEachEndingInCrLf) {
    TempFolder folder;
    const std::string path = folder.File("highscore.txt");
    WriteBytes(path, std::string(kDefaultBytes) + "more\r\nlines\r\n");
    const HighScoreLines lines = {"Ann", "30001", "", "30000", "B b", "-5", "C", "0", "D", "7"};
    ASSERT_TRUE(WriteHighScoreFile(path, lines).ok);
    EXPECT_EQ(ReadBytes(path), "Ann\r\n30001\r\n\r\n30000\r\nB b\r\n-5\r\nC\r\n0\r\nD\r\n7\r\n");
    EXPECT_EQ(EntryCount(folder.Path()), 1);
}

TEST(HighScoreFile, LinesEndAtCrLfOrCrOrLfAndTheLastNeedsNoEnd) {
    struct Case {
        std::string bytes;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {kDefaultBytes, {DefaultHighScoreLines().begin(), DefaultHighScoreLines().end()}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}},
        {"a\r\r\nb", {"a", "", "b"}},
        {"a", {"a"}},
        {"", {}},
        {"\r\n", {""}},
        {"1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        const std::string path = folder.File("highscore.txt");
        WriteBytes(path, c.bytes);
        const auto result = ReadHighScoreFile(path);
        ASSERT_TRUE(result.ok) << result.error;
        EXPECT_EQ(result.lines, c.lines) << testing::PrintToString(c.bytes);
    }
}

TEST(HighScoreFile, BinaryBytesSurviveReadingAndSavingUnchanged) {
    TempFolder folder;
    const std::string path = folder.File("highscore.txt");
    HighScoreLines lines;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        for (int b = 0; b < 256; ++b) {
            if (b != '\r' && b != '\n' && (b + static_cast<int>(i)) % 3 == 0) {
                lines[i].push_back(static_cast<char>(b));
            }
        }
    }
    ASSERT_TRUE(WriteHighScoreFile(path, lines).ok);
    const auto result = ReadHighScoreFile(path);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.lines, std::vector<std::string>(lines.begin(), lines.end()));
}

TEST(HighScoreFile, AnOverLongLineIsCutAndItsRestSkippedUnstored) {
    TempFolder folder;
    const std::string path = folder.File("highscore.txt");
    {
        // 64 MiB of zero bytes without a line end, then a second line.
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, 64 << 20), 0);
        ASSERT_EQ(::lseek(fd, 0, SEEK_END), 64 << 20);
        ASSERT_EQ(::write(fd, "\r\nsecond", 8), 8);
        ::close(fd);
    }
    const auto result = ReadHighScoreFile(path);
    ASSERT_TRUE(result.ok);
    ASSERT_EQ(result.lines.size(), 2u);
    EXPECT_EQ(result.lines[0], std::string(4096, '\0'));  // a line is cut at 4 KiB
    EXPECT_EQ(result.lines[1], "second");
}

TEST(HighScoreFile, ReadingFailuresNameThePathAndTheReason) {
    TempFolder folder;
    WriteBytes(folder.File("plain"), "x");
    std::filesystem::create_directory(folder.File("highscore.txt"));
    // A pipe with no writer would block a plain open; a device would be read forever.
    ASSERT_EQ(::mkfifo(folder.File("pipe.txt").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", folder.File("zero.txt"));
    struct Case {
        std::string path;
        const char* reason;
    };
    const Case cases[] = {
        {folder.File("missing.txt"), "No such file or directory"},
        {folder.File("highscore.txt"), "Is a directory"},
        {folder.File("plain/highscore.txt"), "Not a directory"},
        {folder.File("pipe.txt"), "Not an ordinary file"},
        {folder.File("zero.txt"), "Not an ordinary file"},
    };
    for (const Case& c : cases) {
        const auto result = ReadHighScoreFile(c.path);
        EXPECT_FALSE(result.ok) << c.path;
        EXPECT_TRUE(result.lines.empty());
        EXPECT_NE(result.error.find("\"" + c.path + "\""), std::string::npos) << result.error;
        EXPECT_NE(result.error.find(c.reason), std::string::npos) << result.error;
    }
}

TEST(HighScoreFile, CreatingInAFolderThatCannotHoldTheFileFailsWithItsReason) {
    TempFolder folder;
    WriteBytes(folder.File("plain"), "x");
    struct Case {
        std::string path;
        const char* reason;
    };
    const Case cases[] = {
        {folder.File("gone/highscore.txt"), "No such file or directory"},
        {folder.File("plain/highscore.txt"), "Not a directory"},
    };
    for (const Case& c : cases) {
        for (const auto& status :
             {EnsureHighScoreFile(c.path), WriteHighScoreFile(c.path, DefaultHighScoreLines())}) {
            EXPECT_FALSE(status.ok) << c.path;
            EXPECT_NE(status.error.find("\"" + c.path + "\""), std::string::npos) << status.error;
            EXPECT_NE(status.error.find(c.reason), std::string::npos) << status.error;
        }
    }
    EXPECT_EQ(ReadBytes(folder.File("plain")), "x");
}

TEST(HighScoreFile, SavingOverAFolderFailsAndLeavesNoTemporaryFileBehind) {
    TempFolder folder;
    const std::string path = folder.File("highscore.txt");
    std::filesystem::create_directory(path);
    const auto status = WriteHighScoreFile(path, DefaultHighScoreLines());
    EXPECT_FALSE(status.ok);
    EXPECT_NE(status.error.find(path), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_EQ(EntryCount(folder.Path()), 1);
}

TEST(HighScoreFile, ASaveThatRunsOutOfSpaceKeepsTheOldFileWhole) {
    TempFolder folder;
    const std::string path = folder.File("highscore.txt");
    ASSERT_TRUE(EnsureHighScoreFile(path).ok);
    HighScoreLines lines = DefaultHighScoreLines();
    lines[0] = "Newcomer";
    menu::FileStatus status;
    {
        const FileSizeLimit limit(20);
        status = WriteHighScoreFile(path, lines);
    }
    EXPECT_FALSE(status.ok);
    EXPECT_NE(status.error.find("File too large"), std::string::npos) << status.error;
    EXPECT_EQ(ReadBytes(path), kDefaultBytes);
    EXPECT_EQ(EntryCount(folder.Path()), 1);

    // Once the fault is gone the same table saves.
    ASSERT_TRUE(WriteHighScoreFile(path, lines).ok);
    EXPECT_EQ(ReadHighScoreFile(path).lines[0], "Newcomer");
}

TEST(HighScoreFile, SavingKeepsTheFilePermissions) {
    TempFolder folder;
    const std::string path = folder.File("highscore.txt");
    WriteBytes(path, kDefaultBytes);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(WriteHighScoreFile(path, DefaultHighScoreLines()).ok);
    struct stat info = {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(HighScoreFile, ASaveThroughALinkReplacesTheFileItNamesAndKeepsTheLink) {
    TempFolder folder;
    std::filesystem::create_directory(folder.File("shared"));
    const std::string shared = folder.File("shared/highscore.txt");
    WriteBytes(shared, kDefaultBytes);
    ASSERT_EQ(::chmod(shared.c_str(), 0640), 0);
    const std::string link = folder.File("highscore.txt");
    std::filesystem::create_symlink("shared/highscore.txt", link);
    HighScoreLines lines = DefaultHighScoreLines();
    lines[0] = "Linked";
    ASSERT_TRUE(WriteHighScoreFile(link, lines).ok);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadBytes(shared).substr(0, 8), "Linked\r\n");
    struct stat info = {};
    ASSERT_EQ(::stat(shared.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(EntryCount(folder.File("shared")), 1) << "no temporary file is left beside it";
}

}  // namespace
