// Drawing a frame allocates nothing: every glyph, picture and buffer is made
// before play. Counted by replacing the global operator new in this program.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "TestPictures.h"

namespace {
std::atomic<bool> counting{false};
std::atomic<int64_t> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
    if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
// Qt's JSON parser (the offscreen platform's screen file) allocates without
// exceptions: from the same heap, so the delete below matches it under ASan.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size == 0 ? 1 : size);
}
// Kept out of line: inlined, GCC 14 would see std::free meet a pointer from
// operator new at each delete and call it a mismatched pair.
[[gnu::noinline]] void operator delete(void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

TEST(NoAllocation, DrawingFramesAndTitlesAllocatesNothing) {
    // Each frame is presented too: without a window to repaint, the repaint
    // rectangles are worked out all the same.
    using platform::qt::Placement;
    const Placement::Fit shown[] = {
        {1, {QPointF(0, 0), 1}, {}},                             // a window at its own size
        {5, {QPointF(320, 30), 1}, {}},                          // full screen on a 3840 x 2160 screen
        {2, {QPointF(98, 0), 1.09375, true}, QSize(1170, 768)},  // the sharp fit on 1366 x 768
    };
    for (const Placement::Fit& fit : shown) {
        testpics::QtGame g(testpics::TestBackground());
        g.surface.SetScale(fit.scale);
        g.surface.SetPlacement(fit.placement);
        ASSERT_EQ(testpics::LoadSheet(g), "");
        g.StartStage();
        auto& s = g.game.state;
        s.bricks[5].alive = false;
        s.bricks[5].captionOn = true;
        s.bricks[5].captionValue = 250;
        s.specialFalling = true;
        s.specialKind = game::points2000;
        s.specialPoints = 2000;
        s.captionFrames = 10;
        g.game.DrawFrame();  // a first frame, in case anything is made lazily

        allocations = 0;
        counting = true;
        for (int frame = 0; frame < 50; ++frame) {
            g.game.locals.paused = frame % 2 == 0;
            g.game.DrawFrame();
            g.surface.Cls();
            g.surface.FontSize(24);
            g.surface.CurrentX(200);
            g.surface.CurrentY(190);
            g.surface.Print("Level: 12.3");
            g.surface.FontSize(9.75);
        }
        counting = false;
        EXPECT_EQ(allocations.load(), 0) << "at scale " << fit.scale;
    }
}
