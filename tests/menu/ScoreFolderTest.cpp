// Where the high-score table lives: beside a program that may write there,
// in the per-user folder for an installed copy.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>

#include "MountNamespace.h"
#include "TempFolder.h"
#include "menu/ScoreFolder.h"

namespace menu_test {
namespace {

namespace fs = std::filesystem;

enum class Chosen { Program, User };

// One program folder and one per-user folder (two levels deep, so its
// parents must be created too) under a fresh temp folder.
struct Folders {
    TempFolder root;
    std::string program = root.File("prog");
    std::string user = root.File("data/home/tilebash");
    Folders() { fs::create_directory(program); }
    std::string ProgramTable() const { return program + "/highscore.txt"; }
    std::string UserTable() const { return user + "/highscore.txt"; }
    void Mark() const { WriteBytes(program + "/" + menu::kInstalledMarker, ""); }
};

// What a start does: choose, then (holding the lock) seed.
std::string ChooseAndSeed(const Folders& f) {
    const std::string chosen = menu::ChooseScoreFolder(f.program, f.user);
    menu::SeedScoreTable(f.program, chosen);
    return chosen;
}

// Bytes that are no valid table: the copy is taken as it is, not re-read.
const std::string kOddTable = std::string("Zo\xEB\r\n12\r\nonly three lines\n\0tail", 31);

struct Case {
    const char* name;
    std::function<void(Folders&)> arrange;
    Chosen chosen;
    std::optional<std::string> userTable;  // the per-user file afterwards; nullopt: none
};

TEST(ScoreFolder, FolderIsChosenByWritabilityMarkerAndWhatIsThere) {
    const Case cases[] = {
        {"writable and unmarked: the portable case",
         [](Folders& f) { WriteBytes(f.ProgramTable(), kOddTable); }, Chosen::Program, std::nullopt},
        {"marker: per-user folder, seeded with a copy of the program's table",
         [](Folders& f) {
             f.Mark();
             WriteBytes(f.ProgramTable(), kOddTable);
         },
         Chosen::User, kOddTable},
        {"marker and no table anywhere: per-user folder, left for the defaults",
         [](Folders& f) { f.Mark(); }, Chosen::User, std::nullopt},
        {"marker as a folder counts too",
         [](Folders& f) { fs::create_directory(f.program + "/installed"); }, Chosen::User, std::nullopt},
        {"per-user table already there: kept, not overwritten by the program's",
         [](Folders& f) {
             f.Mark();
             WriteBytes(f.ProgramTable(), kOddTable);
             fs::create_directories(f.user);
             WriteBytes(f.UserTable(), kDefaultBytes);
         },
         Chosen::User, std::string(kDefaultBytes)},
        {"program's table is a folder: nothing to copy",
         [](Folders& f) {
             f.Mark();
             fs::create_directory(f.ProgramTable());
         },
         Chosen::User, std::nullopt},
        {"per-user folder cannot be created (a file in its way): program folder as before",
         [](Folders& f) {
             f.Mark();
             fs::create_directories(fs::path(f.user).parent_path().parent_path());
             WriteBytes(fs::path(f.user).parent_path().string(), "in the way");
             WriteBytes(f.ProgramTable(), kOddTable);
         },
         Chosen::Program, std::nullopt},
        {"per-user folder unknown (empty): program folder as before",
         [](Folders& f) {
             f.Mark();
             f.user.clear();
         },
         Chosen::Program, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Folders f;
        c.arrange(f);
        const auto programBytes = [&f] {
            return fs::is_regular_file(f.ProgramTable()) ? ReadBytes(f.ProgramTable()) : std::string();
        };
        const std::string programBefore = programBytes();
        const std::string chosen = ChooseAndSeed(f);
        EXPECT_EQ(chosen, c.chosen == Chosen::Program ? f.program : f.user);
        if (c.chosen == Chosen::User) {
            EXPECT_TRUE(fs::is_directory(f.user)) << "the per-user folder is created with its parents";
        } else if (!f.user.empty()) {
            EXPECT_FALSE(fs::is_directory(f.user)) << "nothing is created for a portable copy";
        }
        if (c.userTable) {
            EXPECT_EQ(ReadBytes(f.UserTable()), *c.userTable);
        } else if (!f.user.empty()) {
            EXPECT_FALSE(fs::exists(f.UserTable()));
        }
        EXPECT_EQ(programBytes(), programBefore) << "the program's table is left alone";
        if (!f.user.empty() && fs::is_directory(f.user)) {
            for (const auto& entry : fs::directory_iterator(f.user)) {
                EXPECT_EQ(entry.path().filename(), "highscore.txt") << "no copy left half-done";
            }
        }
    }
}

TEST(ScoreFolder, WritabilityProbeLeavesNothingBehindAndFailsInAMissingFolder) {
    TempFolder folder;
    EXPECT_TRUE(menu::FolderIsWritable(folder.Path()));
    EXPECT_EQ(EntryCount(folder.Path()), 0);
    EXPECT_FALSE(menu::FolderIsWritable(folder.File("missing")));
}

TEST(ScoreFolder, ReadOnlyProgramFolderByPermissionsUsesThePerUserFolder) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes through permission bits; the mount case covers root";
    Folders f;
    WriteBytes(f.ProgramTable(), kOddTable);
    ASSERT_EQ(::chmod(f.program.c_str(), 0555), 0);
    const std::string chosen = ChooseAndSeed(f);
    ::chmod(f.program.c_str(), 0755);
    EXPECT_EQ(chosen, f.user);
    EXPECT_EQ(ReadBytes(f.UserTable()), kOddTable);
}

// A read-only bind mount refuses even root.
TEST(ScoreFolder, ReadOnlyMountedProgramFolderUsesThePerUserFolderEvenForRoot) {
    Folders f;
    WriteBytes(f.ProgramTable(), kOddTable);
    const ChildReport report =
        InMountNamespace([&] { return MountReadOnly(f.program); },
                         [&]() -> std::string {
                             const std::string chosen = ChooseAndSeed(f);
                             return chosen == f.user ? "" : "chose " + chosen + " over the per-user folder";
                         });
    if (report.skipped) GTEST_SKIP() << report.text;
    EXPECT_EQ(report.text, "");
    EXPECT_EQ(ReadBytes(f.UserTable()), kOddTable) << "seeded through the read-only mount";
}

}  // namespace
}  // namespace menu_test
