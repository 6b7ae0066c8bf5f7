// Thousands of key events arriving between two frames (a stuck key, a
// keyboard macro) are handled in one DoEvents without the key state growing:
// it is a fixed table, and the events Qt queued are gone after delivery.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>
#include <cstdint>
#include <type_traits>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's own allocator, which malloc statistics do not see.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

#include "platform/qt/QtClock.h"
#include "platform/qt/QtEvents.h"
#include "platform/qt/QtKeyboard.h"

#include "KeyState.h"

using platform::qt::QtClock;
using platform::qt::QtEvents;
using platform::qt::QtKeyboard;
using platform_test::Down;

namespace {

// Bytes the heap holds for the program right now.
int64_t LiveHeapBytes() {
#if defined(__SANITIZE_ADDRESS__)
    return static_cast<int64_t>(__sanitizer_get_current_allocated_bytes());
#else
    const struct mallinfo2 info = mallinfo2();
    return static_cast<int64_t>(info.uordblks + info.hblkhd);
#endif
}

constexpr int kBurst = 10000;
constexpr int64_t kSlackBytes = 16 * 1024;  // allocator bookkeeping, nothing per event

// The burst: every game key pressed and released over and over, with
// auto-repeats among them, which change nothing.
struct BurstEvent {
    QEvent::Type type;
    int key;
    bool autoRepeat;
};
constexpr int kKeys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_P, Qt::Key_R, Qt::Key_Q};
BurstEvent Nth(int i) {
    const int key = kKeys[(i * 7 / 3) % 5];
    const bool press = (i * 5 / 2) % 3 != 0;
    return {press ? QEvent::KeyPress : QEvent::KeyRelease, key, i % 7 == 3};
}

// Where the burst leaves each key: the last event that is no repeat decides.
void ExpectFinalState(QtKeyboard& keys, int count) {
    for (int key : kKeys) {
        bool down = false;
        for (int i = 0; i < count; ++i) {
            const BurstEvent e = Nth(i);
            if (e.key == key && !e.autoRepeat) down = e.type == QEvent::KeyPress;
        }
        EXPECT_EQ(Down(keys, QtKeyboard::VirtualKeyOf(key)), down) << key;
    }
}

void PostBurst(QWidget& target) {
    for (int i = 0; i < kBurst; ++i) {
        const BurstEvent e = Nth(i);
        QCoreApplication::postEvent(&target,
                                    new QKeyEvent(e.type, e.key, Qt::NoModifier, QString(), e.autoRepeat));
    }
}

}  // namespace

static_assert(std::is_same_v<decltype(std::declval<QtKeyboard&>().GetKeyState(0)), int16_t>);

// Qt's queue of posted events keeps the room it once needed (a few bytes a
// slot), so the first burst is the warm-up; the next must not add anything.
TEST(KeyBurst, TenThousandQueuedKeyEventsAreHandledInOneDoEventsWithoutGrowth) {
    QtClock clock;
    QtEvents events(clock);
    QtKeyboard keys;
    QWidget target;
    const int64_t start = LiveHeapBytes();
    PostBurst(target);
    events.DoEvents();
    ExpectFinalState(keys, kBurst);
    const int64_t kept = LiveHeapBytes() - start;
    EXPECT_LT(kept, int64_t{kBurst} * 32) << "more than the queue's slots stayed";

    for (int round = 0; round < 3; ++round) {
        keys.ReleaseAll();
        const int64_t before = LiveHeapBytes();
        PostBurst(target);
        EXPECT_GT(LiveHeapBytes() - before, int64_t{kBurst} * 16) << "the events were not queued";
        events.DoEvents();
        const int64_t grown = LiveHeapBytes() - before;
        ExpectFinalState(keys, kBurst);
        EXPECT_LT(grown, kSlackBytes) << "round " << round << ": the heap kept " << grown << " bytes";
    }
}

TEST(KeyBurst, TenThousandKeyEventsSentAtOnceLeaveTheHeapAsItWas) {
    QtKeyboard keys;
    QWidget target;
    for (int i = 0; i < 200; ++i) {
        const BurstEvent e = Nth(i);
        QKeyEvent event(e.type, e.key, Qt::NoModifier, QString(), e.autoRepeat);
        QCoreApplication::sendEvent(&target, &event);
    }
    keys.ReleaseAll();

    const int64_t before = LiveHeapBytes();
    int64_t highest = before;
    for (int i = 0; i < kBurst; ++i) {
        const BurstEvent e = Nth(i);
        QKeyEvent event(e.type, e.key, Qt::NoModifier, QString(), e.autoRepeat);
        QCoreApplication::sendEvent(&target, &event);
        if (i % 500 == 0) highest = std::max(highest, LiveHeapBytes());
    }
    ExpectFinalState(keys, kBurst);
    EXPECT_LT(highest - before, kSlackBytes);
    EXPECT_LT(LiveHeapBytes() - before, kSlackBytes);
}
