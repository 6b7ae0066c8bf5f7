// Keys from the application's key events, the idle wait in the event loop,
// and the clock.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "bench/MeasuredWaits.h"
#include "platform/qt/QtClock.h"
#include "platform/qt/QtEvents.h"
#include "platform/qt/QtKeyboard.h"

#include "KeyState.h"

using platform::qt::QtClock;
using platform::qt::QtEvents;
using platform::qt::QtKeyboard;
using platform_test::Down;

namespace {

void Send(QWidget& target, QEvent::Type type, int key, bool autoRepeat = false) {
    QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
    QCoreApplication::sendEvent(&target, &event);
}

}  // namespace

TEST(QtKeyboard, VirtualKeyCodesOfTheGameKeysAndOthers) {
    // After the named keys: a Russian layout's P, Q and R keys and a Greek one's P and M give the
    // US letter of the key; a Latin layout's own letter, a key off the letter rows and no scan code
    // stay unknown; a layout's Latin letter is its own wherever it lies (a French A on the US Q key).
    struct Case {
        int qtKey;
        int32_t vk;
        uint32_t scanCode = 0;  // X's and Wayland's: the Linux input code + 8
    } cases[] = {
        {Qt::Key_Left, 37},      {Qt::Key_Right, 39},  {Qt::Key_Up, 38},    {Qt::Key_Down, 40},
        {Qt::Key_P, 80},         {Qt::Key_Q, 81},      {Qt::Key_R, 82},     {Qt::Key_A, 65},
        {Qt::Key_Z, 90},         {Qt::Key_0, 48},      {Qt::Key_Space, 32}, {Qt::Key_Return, 13},
        {Qt::Key_Escape, 27},    {Qt::Key_F1, 112},    {Qt::Key_F12, 123},  {Qt::Key_Shift, 16},
        {Qt::Key_Adiaeresis, 0}, {Qt::Key_unknown, 0}, {0x0417, 80, 33},    {0x0419, 81, 24},
        {0x041A, 82, 27},        {0x03A0, 80, 33},     {0x039C, 77, 58},    {Qt::Key_Adiaeresis, 0, 48},
        {0x0417, 0, 34},         {0x0417, 0, 0},       {Qt::Key_A, 65, 24}};
    for (const Case& c : cases) {
        EXPECT_EQ(QtKeyboard::VirtualKeyOf(c.qtKey, c.scanCode), c.vk) << c.qtKey << " on " << c.scanCode;
    }
}

TEST(QtKeyboard, PressSetsAndReleaseClearsTheDownBit) {
    QtKeyboard keys;
    QWidget widget;
    for (int qtKey : {Qt::Key_Left, Qt::Key_Right, Qt::Key_P, Qt::Key_Q, Qt::Key_R}) {
        const int32_t vk = QtKeyboard::VirtualKeyOf(qtKey);
        EXPECT_FALSE(Down(keys, vk));
        QTest::keyPress(&widget, static_cast<Qt::Key>(qtKey));
        EXPECT_TRUE(Down(keys, vk)) << vk;
        EXPECT_EQ(keys.GetKeyState(vk) & 0x8000, 0);  // read as a positive 16-bit value
        QTest::keyRelease(&widget, static_cast<Qt::Key>(qtKey));
        EXPECT_FALSE(Down(keys, vk)) << vk;
    }
}

TEST(QtKeyboard, KeysAreIndependentAndOutOfRangeCodesReadUp) {
    QtKeyboard keys;
    QWidget widget;
    QTest::keyPress(&widget, Qt::Key_Left);
    QTest::keyPress(&widget, Qt::Key_P);
    EXPECT_TRUE(Down(keys, 37));
    EXPECT_TRUE(Down(keys, 80));
    EXPECT_FALSE(Down(keys, 39));
    for (int32_t vk : {-1, 0, 256, 100000, INT32_MIN}) EXPECT_EQ(keys.GetKeyState(vk), 0) << vk;
    QTest::keyRelease(&widget, Qt::Key_Left);
    EXPECT_FALSE(Down(keys, 37));
    EXPECT_TRUE(Down(keys, 80));
}

TEST(QtKeyboard, AutoRepeatEventsAreIgnored) {
    QtKeyboard keys;
    QWidget widget;
    Send(widget, QEvent::KeyPress, Qt::Key_Right);
    // A held key sends release/press pairs marked as repeats: the key stays down.
    Send(widget, QEvent::KeyRelease, Qt::Key_Right, true);
    EXPECT_TRUE(Down(keys, 39));
    Send(widget, QEvent::KeyPress, Qt::Key_Right, true);
    Send(widget, QEvent::KeyRelease, Qt::Key_Right);
    EXPECT_FALSE(Down(keys, 39));
    Send(widget, QEvent::KeyPress, Qt::Key_Q, true);  // a repeat alone presses nothing
    EXPECT_FALSE(Down(keys, 81));
}

TEST(QtKeyboard, LosingTheApplicationFocusReleasesEveryKey) {
    QtKeyboard keys;
    QWidget widget;
    QTest::keyPress(&widget, Qt::Key_Left);
    QTest::keyPress(&widget, Qt::Key_R);
    QEvent deactivate(QEvent::ApplicationDeactivate);
    QCoreApplication::sendEvent(qApp, &deactivate);
    EXPECT_FALSE(Down(keys, 37));
    EXPECT_FALSE(Down(keys, 82));

    QTest::keyPress(&widget, Qt::Key_Right);
    ASSERT_TRUE(Down(keys, 39));
    QMetaObject::invokeMethod(qApp, "applicationStateChanged", Qt::DirectConnection,
                              Q_ARG(Qt::ApplicationState, Qt::ApplicationInactive));
    EXPECT_FALSE(Down(keys, 39));
}

TEST(QtClock, TickCountStartsNearZeroAndNeverGoesBack) {
    QtClock clock;
    const int32_t first = clock.GetTickCount();
    EXPECT_GE(first, 0);
    EXPECT_LT(first, 1000);
    int32_t last = first;
    for (int i = 0; i < 1000; ++i) {
        const int32_t now = clock.GetTickCount();
        ASSERT_GE(now, last);
        last = now;
    }
    const double t = clock.Timer();
    EXPECT_GE(t, 0.0);
    EXPECT_LT(t, 86400.0);
}

TEST(QtClock, TickCountWrapsAsAThirtyTwoBitMillisecondCount) {
    // Started 50 ms before the count passes 2^32 (read as -50): it goes on from
    // 0 instead of stopping. The margins are wide, since a loaded machine may
    // stall the test between two reads; a wrong wrap is 49 days off.
    QtClock clock(-50);
    EXPECT_LT(clock.GetTickCount(), 0);
    QTest::qWait(100);
    const int32_t after = clock.GetTickCount();
    EXPECT_GE(after, 0);
    EXPECT_LT(after, 10'000);
    const int64_t until = clock.NanosecondsUntil(platform::TickPlus(after, 10));
    EXPECT_LE(until, 10'000'000);
    EXPECT_GT(until, -10'000'000'000);
}

// The program's sleep and the timer-then-poll wait the benchmarks measure
// beside it keep the same promises; the sleep is reached through the
// benchmarks' pump as they reach it, which forwards to the program's.
constexpr bench::FrameWait kWaits[] = {bench::FrameWait::Sleep, bench::FrameWait::TimerThenPoll};

TEST(QtEvents, WaitReturnsByTheDeadlineWhenNothingHappens) {
    // Also just before the count turns negative (24.8 days) and before it
    // wraps to 0 (49.7 days): the wait sleeps as long on day 30 as on day 1.
    for (auto mode : kWaits) {
        for (int32_t startTick : {0, INT32_MAX - 10, -10}) {
            QtClock clock(startTick);
            QtEvents events(clock);
            bench::MeasuredWaits waits(events, clock, nullptr, mode);
            // A wait that overslept its deadline is ended here, and fails below, rather than hang.
            QTimer watchdog;
            watchdog.start(200);
            for (int32_t wait : {1, 5, 22}) {
                const int32_t start = clock.GetTickCount();
                const int32_t deadline = platform::TickPlus(start, wait);
                QElapsedTimer guard;  // a clock that stopped would wait for ever
                guard.start();
                while (platform::TicksUntil(clock.GetTickCount(), deadline) > 0 && guard.elapsed() < 2000) {
                    waits.WaitEvents(deadline);
                }
                const int32_t late = -platform::TicksUntil(clock.GetTickCount(), deadline);
                EXPECT_GE(late, 0) << "start " << startTick;
                // Generous: a loaded machine under the sanitizers was seen 50 ms late. A
                // wait that sleeps past its deadline wakes only for the 200 ms watchdog.
                EXPECT_LT(late, 100) << "woke far too late, start " << startTick;
            }
        }
    }
}

TEST(QtEvents, WaitReturnsEarlyForAnEventAndHandlesIt) {
    for (auto mode : kWaits) {
        QtClock clock;
        QtEvents events(clock);
        bench::MeasuredWaits waits(events, clock, nullptr, mode);
        bool handled = false;
        QTimer::singleShot(10, qApp, [&] { handled = true; });
        const int32_t start = clock.GetTickCount();
        while (!handled && clock.GetTickCount() < start + 2000) waits.WaitEvents(start + 2000);
        EXPECT_TRUE(handled);
        EXPECT_LT(clock.GetTickCount(), start + 1000);
    }
}

TEST(QtEvents, WaitForAPassedDeadlineReturnsAtOnce) {
    for (auto mode : kWaits) {
        QtClock clock;
        QtEvents events(clock);
        bench::MeasuredWaits waits(events, clock, nullptr, mode);
        const int32_t start = clock.GetTickCount();
        waits.WaitEvents(start - 100);
        waits.WaitEvents(INT32_MIN);
        waits.WaitEvents(start);  // the tick it is: no time left to sleep
        EXPECT_LT(clock.GetTickCount(), start + 20);
    }
}

TEST(QtEvents, DoEventsHandlesPostedEventsAndReturns) {
    QtClock clock;
    QtEvents events(clock);
    int calls = 0;
    const auto count = [&] { ++calls; };
    QMetaObject::invokeMethod(qApp, count, Qt::QueuedConnection);
    QMetaObject::invokeMethod(qApp, count, Qt::QueuedConnection);
    events.DoEvents();
    EXPECT_EQ(calls, 2);
    events.DoEvents();  // nothing pending: returns
    EXPECT_EQ(calls, 2);
}
