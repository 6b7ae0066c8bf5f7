// The drawing record without Qt: which frames are carried out, which
// operations the comparison with the last frame notes as changed, the lists'
// limits, and the clear's opaque cover.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/draw/DamageList.h"
#include "platform/draw/FrameRecorder.h"

using namespace platform::draw;

namespace {

// Operations are told apart by x; a Print carries its text.
struct Step {
    int x;
    const char* text = nullptr;
};
using Frame = std::vector<Step>;

struct FakeTarget final : DrawTarget {
    int clears = 0;
    std::string executed;  // "x" or "x:text" per operation, noted ones marked '*'
    std::string changes;   // the operations the comparison noted
    bool noting = true;
    bool partial = false;  // whether it carries a compared frame out where it differs
    int partials = 0;

    void NoteChange(const DrawList& list, const DrawOp& op) override {
        changes += std::to_string(op.x) + std::string(list.TextOf(op)) + " ";
    }
    void Clear() override { ++clears; }
    void Execute(const DrawOp& op, std::string_view text) override {
        executed += std::to_string(op.x) + std::string(text) + (noting ? "* " : " ");
    }
    void NoteChanges(bool on) override { noting = on; }
    bool ExecuteChanged(const DrawList&) override {
        partials += partial ? 1 : 0;
        return partial;
    }
};

struct Recorded {
    FakeTarget target;
    FrameRecorder recorder{target};
    void Draw(const Frame& frame, bool clear = true) {
        target.clears = 0;
        target.executed.clear();
        target.changes.clear();
        if (clear) recorder.StartFrame();
        for (const Step& s : frame) {
            DrawOp op;
            op.kind = s.text ? DrawOp::Kind::Print : DrawOp::Kind::Blit;
            op.x = s.x;
            recorder.Record(op, s.text ? s.text : "");
        }
        recorder.Flush();
    }
};

}  // namespace

TEST(FrameRecorder, CarriesOutOnlyWhatDiffersFromTheFrameThePictureHolds) {
    const Frame first{{1}, {2}, {3, "A"}, {4}};
    struct Case {
        const char* name;
        Frame next;
        bool clear;
        int clears;
        const char* executed;
        const char* changes;
    } cases[] = {
        {"a repeated frame", first, true, 0, "", ""},
        {"the same drawing without a clear", first, false, 0, "1* 2* 3A* 4* ", ""},
        {"a brick gone", {{1}, {3, "A"}, {4}}, true, 1, "1 3A 4 ", "2 "},
        {"a caption started", {{1}, {2}, {3, "A"}, {9, "B"}, {4}}, true, 1, "1 2 3A 9B 4 ", "9B "},
        {"a caption's text changed", {{1}, {2}, {3, "C"}, {4}}, true, 1, "1 2 3C 4 ", "3A 3C "},
        {"everything moved", {{5}, {6}}, true, 1, "5 6 ", "1 5 2 6 3A 4 "},
    };
    for (const Case& c : cases) {
        Recorded r;
        r.Draw(first);
        EXPECT_EQ(r.target.executed, "1* 2* 3A* 4* ") << "nothing to compare the first frame with";
        r.Draw(c.next, c.clear);
        EXPECT_EQ(r.target.clears, c.clears) << c.name;
        EXPECT_EQ(r.target.executed, c.executed) << c.name;
        EXPECT_EQ(r.target.changes, c.changes) << c.name;
        EXPECT_TRUE(r.target.noting) << c.name;
    }
    // A target that carries out only the differences: no clear, no whole
    // frame, and the new frame is the one the picture holds from then on.
    Recorded r;
    r.target.partial = true;
    r.Draw(first);
    r.Draw({{1}, {3, "A"}, {4}});
    EXPECT_EQ(r.target.partials, 1);
    EXPECT_EQ(r.target.clears, 0);
    EXPECT_EQ(r.target.executed, "");
    r.Draw(first);
    EXPECT_EQ(r.target.changes, "2 ");
    EXPECT_EQ(r.target.partials, 2);
}

TEST(FrameRecorder, AfterForgettingOrDrawingOverTheFrameIsNotComparedAgain) {
    const Frame frame{{1}, {2}};
    for (const bool forget : {true, false}) {
        Recorded r;
        r.Draw(frame);
        if (forget) {
            r.recorder.Forget(false);
        } else {
            r.Draw({{7}}, false);
        }
        r.Draw(frame);
        EXPECT_EQ(r.target.clears, 1) << forget;
        EXPECT_EQ(r.target.executed, "1* 2* ") << forget;
    }
    Recorded r;  // discarding drops what was recorded and not carried out
    r.recorder.StartFrame();
    r.recorder.Record(DrawOp{});
    r.recorder.Forget(true);
    r.recorder.Flush();
    EXPECT_EQ(r.target.clears, 0);
    EXPECT_EQ(r.target.executed, "");
}

TEST(FrameRecorder, AFullListIsCarriedOutAndRecordingGoesOn) {
    Recorded r;
    Frame many(DrawList::kCapacity + 1, Step{1});
    r.Draw(many);
    EXPECT_EQ(r.target.clears, 1);
    EXPECT_EQ(r.target.executed.size(), (DrawList::kCapacity + 1) * 3);
    // More text than the store holds is carried out at once, in its place.
    const std::string huge(DrawList::kTextCapacity + 1, 'x');
    r.Draw({{1}, {2, huge.c_str()}, {3}});
    EXPECT_EQ(r.target.executed, "1* 2" + huge + "* 3* ");
}

TEST(DamageList, DropsRepeatsAndEmptyBoxesAndStandsForAllWhenFull) {
    DamageList list;
    EXPECT_TRUE(list.None());
    const Box a{0, 0, 4, 4}, b{4, 0, 8, 4};
    for (const Box& box : {a, b, a, b, Box{5, 5, 5, 9}}) list.Add(box);
    EXPECT_EQ(list.Boxes().size(), 2u);
    for (int i = 2; i < DamageList::kCapacity; ++i) list.Add({i, 10, i + 1, 11});
    EXPECT_FALSE(list.All());
    list.Add({0, 20, 1, 21});
    EXPECT_TRUE(list.All());
    list.Clear();
    EXPECT_TRUE(list.None());
}
