// Replays the scripted games and compares every step with the recording, so
// that any change of play (which brick broke, when a caption aged, what was
// drawn) is noticed. `replay_tests --write FILE` writes a new recording.

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

#include <gtest/gtest.h>

#include "PlayRecord.h"

namespace replay {
namespace {

std::string RecordingPath() {
    return TILEBASH_RECORDING;
}

std::vector<Record> Expected() {
    std::ifstream file(RecordingPath(), std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    std::vector<Record> records;
    std::string error;
    EXPECT_TRUE(file.good() || file.eof()) << "cannot read " << RecordingPath();
    EXPECT_TRUE(Read(text.str(), records, error)) << RecordingPath() << ": " << error;
    return records;
}

// The fields that differ between two steps, one line each: "name: old -> new",
// with the brick's number for a field of the bricks.
std::string Changes(const Values& before, const Values& after) {
    std::ostringstream text;
    for (const auto& [name, values] : after) {
        const auto old = before.find(name);
        for (std::size_t i = 0; i < values.size(); ++i) {
            const int64_t was = old == before.end() || i >= old->second.size() ? 0 : old->second[i];
            if (was == values[i]) continue;
            text << "  " << name;
            if (values.size() > 1) text << "[" << i + 1 << "]";
            text << ": " << was << " -> " << values[i] << "\n";
        }
    }
    return text.str();
}

// The first step at which two traces part, or -1.
int64_t PartingStep(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (a[i] != b[i]) return static_cast<int64_t>(i) + 1;
    }
    return a.size() == b.size() ? -1 : static_cast<int64_t>(n) + 1;
}

TEST(RecordedPlay, EveryGamePlaysAsRecorded) {
    const std::vector<Record> expected = Expected();
    ASSERT_EQ(expected.size(), Scripts().size()) << "regenerate with scripts/record-play";
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Script& script = Scripts()[i];
        const Record& want = expected[i];
        const Record got = Play(script);
        if (got.digest == want.digest && got.frames == want.frames && got.score == want.score) continue;

        std::ostringstream report;
        report << "game " << script.number << " (seed " << script.seed << ") plays differently: frames "
               << got.frames << " (recorded " << want.frames << "), score " << got.score << " (recorded "
               << want.score << ")\n";
        const int64_t parting = PartingStep(got.trace, want.trace);
        report << "the runs part at step " << parting << " of " << want.steps << "\n";
        report << "field records that differ over the game:";
        for (const auto& [name, value] : want.fields) {
            const auto found = got.fields.find(name);
            if (found == got.fields.end() || found->second != value) report << " " << name;
        }
        // Up to the parting both runs were the same, so the step before it
        // shows what the recorded run started from too.
        Values before, after;
        Play(script, nullptr, [&](int64_t step, const Values& values) {
            if (step == parting - 1) before = values;
            if (step == parting) after = values;
        });
        report << "\nwhat this build changed in step " << parting << ":\n" << Changes(before, after);
        ADD_FAILURE() << report.str();
    }
}

// The recording is only worth what the games go through.
TEST(RecordedPlay, TheGamesCoverWhatTheyAreMeantTo) {
    Coverage c;
    for (const Script& script : Scripts()) Play(script, &c);
    EXPECT_GE(c.maxLevel, 3);
    for (int shape = 1; shape <= 3; ++shape) EXPECT_TRUE(c.stageShapes[shape]) << "stage shape " << shape;
    for (int kind = 1; kind <= 7; ++kind) {
        EXPECT_TRUE(c.caught[kind]) << "kind " << kind << " caught";
        EXPECT_TRUE(c.missed[kind]) << "kind " << kind << " missed";
    }
    EXPECT_TRUE(c.effect[2]) << "drunken ball";
    EXPECT_TRUE(c.effect[7]) << "strobe ball";
    EXPECT_TRUE(c.brickCaption);
    EXPECT_TRUE(c.itemCaption);
    EXPECT_GT(c.lostBalls, 0);
    EXPECT_GT(c.gamesOver, 0);
    EXPECT_GT(c.pausesInPlay, 0);
    EXPECT_GT(c.restarts, 0);
    EXPECT_GT(c.quits, 0);
}

}  // namespace
}  // namespace replay

using replay::Values;

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--write") == 0) {
        std::vector<replay::Record> records;
        std::vector<replay::Coverage> coverage(replay::Scripts().size());
        for (std::size_t i = 0; i < coverage.size(); ++i) {
            records.push_back(replay::Play(replay::Scripts()[i], &coverage[i]));
        }
        std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
        out << replay::Write(records);
        if (!out) {
            std::cerr << "cannot write " << argv[2] << "\n";
            return 1;
        }
        for (std::size_t i = 0; i < records.size(); ++i) {
            const replay::Record& r = records[i];
            const replay::Coverage& c = coverage[i];
            std::cout << "game " << r.number << ": " << r.frames << " frames, score " << r.score
                      << ", level " << c.maxLevel << ", shapes " << c.stageShapes[1] << c.stageShapes[2]
                      << c.stageShapes[3] << ", lost balls " << c.lostBalls << ", caught";
            for (int kind = 1; kind <= 7; ++kind) {
                if (c.caught[kind]) std::cout << " " << kind;
            }
            std::cout << ", missed";
            for (int kind = 1; kind <= 7; ++kind) {
                if (c.missed[kind]) std::cout << " " << kind;
            }
            std::cout << "\n";
        }
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "--show") == 0) {
        // The first steps of one game, each with the fields that changed, for
        // checking the recording against the rules by reading.
        const auto game = static_cast<std::size_t>(std::atoi(argv[2]));
        const int64_t steps = std::atoll(argv[3]);
        if (game < 1 || game > replay::Scripts().size()) return 1;
        Values last;
        replay::Play(replay::Scripts()[game - 1], nullptr, [&](int64_t step, const Values& values) {
            if (step > steps) return;
            std::cout << "step " << step << ":\n" << replay::Changes(last, values);
            last = values;
        });
        return 0;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
