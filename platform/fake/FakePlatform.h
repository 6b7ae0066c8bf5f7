#pragma once
// Test doubles for the platform interfaces: a manual clock, scripted keys,
// recorded message boxes, a scriptable random source and a drawing surface
// that records what was drawn. Linked by tests and benchmarks only.

#include <array>
#include <cmath>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Platform.h"
#include "platform/StdRandom.h"

namespace platform::fake {

class FakeClock final : public Clock {
public:
    int32_t now = 0;
    double timeOfDay = 0.0;
    int32_t GetTickCount() override { return now; }
    double Timer() override { return timeOfDay; }
};

class FakeKeyboard final : public Keyboard {
public:
    void Press(int32_t virtualKey) { down_.at(static_cast<std::size_t>(virtualKey)) = true; }
    void Release(int32_t virtualKey) { down_.at(static_cast<std::size_t>(virtualKey)) = false; }
    void ReleaseAll() { down_.fill(false); }
    // Another window takes the focus: every key is released, as on screen.
    void LoseFocus() {
        ReleaseAll();
        focusLost_ = true;
    }
    bool TakeFocusLoss() override { return std::exchange(focusLost_, false); }
    bool IsDown(int32_t virtualKey) const { return down_.at(static_cast<std::size_t>(virtualKey)); }
    int16_t GetKeyState(int32_t virtualKey) override {
        if (virtualKey < 0 || virtualKey >= static_cast<int32_t>(down_.size())) return 0;
        return down_[static_cast<std::size_t>(virtualKey)] ? kKeyDownState : int16_t{0};
    }

private:
    std::array<bool, 256> down_{};
    bool focusLost_ = false;
};

// DoEvents runs the test's script (if any) and advances the clock by
// millisPerDoEvents; WaitEvents jumps the clock to its deadline. The clock
// wraps as the real tick count does.
class FakeEvents final : public EventPump {
public:
    explicit FakeEvents(FakeClock& clock) : clock_(clock) {}
    std::function<void()> onEvents;
    int32_t millisPerDoEvents = 0;
    int64_t doEventsCalls = 0;
    int64_t waitCalls = 0;

    void DoEvents() override {
        ++doEventsCalls;
        clock_.now = TickPlus(clock_.now, millisPerDoEvents);
        if (onEvents) onEvents();
    }
    void WaitEvents(int32_t deadlineTick) override {
        ++waitCalls;
        if (TicksUntil(clock_.now, deadlineTick) > 0) clock_.now = deadlineTick;
    }

private:
    FakeClock& clock_;
};

class FakeMessageBox final : public MessageBox {
public:
    struct Shown {
        std::string text;
        std::string title;
    };
    std::vector<Shown> shown;
    std::function<void()> onShow;  // runs while the box is "open"
    void MsgBox(std::string_view text, std::string_view title) override {
        shown.push_back({std::string(text), std::string(title)});
        if (onShow) onShow();
    }
};

// Scripted values first, then a seeded generator.
class FakeRandom final : public Random {
public:
    std::deque<double> scripted;
    int64_t draws = 0;
    double lastSeed = 0.0;
    void Randomize(double seed) override {
        lastSeed = seed;
        fallback_.Randomize(seed);
    }
    double Rnd() override {
        ++draws;
        if (!scripted.empty()) {
            const double r = scripted.front();
            scripted.pop_front();
            return r;
        }
        return fallback_.Rnd();
    }

private:
    StdRandom fallback_;
};

// Records every drawing call when `recording` is on (off for soaks, which must
// not allocate). Font sizes are realised as whole pixels at 96 dpi, as on screen.
class FakeSurface final : public Surface {
public:
    enum class Kind { Cls, Print, Outline, Blit, Refresh };
    struct Op {
        Kind kind = Kind::Cls;
        int32_t x = 0, y = 0, w = 0, h = 0, srcX = 0, srcY = 0;
        RasterOp rop = RasterOp::SRCCOPY;
        Rgb colour{};
        double fontSize = 0;
        std::string text;
        static Op Of(Kind kind, int32_t x = 0, int32_t y = 0, int32_t w = 0, int32_t h = 0) {
            Op op;
            op.kind = kind;
            op.x = x;
            op.y = y;
            op.w = w;
            op.h = h;
            return op;
        }
    };
    bool recording = true;
    bool loadSucceeds = true;
    std::string loadedPath;
    std::vector<Op> ops;
    int64_t refreshes = 0;
    int64_t clears = 0;

    bool LoadBitmaps(const std::string& path, std::string& error) override {
        loadedPath = path;
        if (!loadSucceeds) error = "Cannot load the sprite sheet " + path;
        return loadSucceeds;
    }
    void Cls() override {
        ++clears;
        x_ = y_ = 0;
        if (recording) ops.push_back(Op::Of(Kind::Cls));
    }
    void Print(std::string_view text) override {
        if (recording) {
            Op op = Op::Of(Kind::Print, x_, y_);
            op.colour = colour_;
            op.fontSize = FontSize();
            op.text = std::string(text);
            ops.push_back(std::move(op));
        }
        x_ = 0;
        y_ += pixels_ + 3;
    }
    int32_t CurrentX() const override { return x_; }
    void CurrentX(int32_t x) override { x_ = x; }
    int32_t CurrentY() const override { return y_; }
    void CurrentY(int32_t y) override { y_ = y; }
    Rgb ForeColor() const override { return colour_; }
    void ForeColor(Rgb colour) override { colour_ = colour; }
    double FontSize() const override { return pixels_ * 72.0 / 96.0; }
    void FontSize(double points) override {
        pixels_ = static_cast<int32_t>(std::lround(points * 96.0 / 72.0));
        if (pixels_ < 1) pixels_ = 1;
    }
    void RectangleOutline(int32_t x1, int32_t y1, int32_t x2, int32_t y2, Rgb colour) override {
        if (recording) {
            Op op = Op::Of(Kind::Outline, x1, y1, x2, y2);
            op.colour = colour;
            ops.push_back(std::move(op));
        }
    }
    void BitBlt(int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcX, int32_t srcY,
                RasterOp rop) override {
        if (recording) {
            Op op = Op::Of(Kind::Blit, x, y, w, h);
            op.srcX = srcX;
            op.srcY = srcY;
            op.rop = rop;
            ops.push_back(std::move(op));
        }
    }
    void Refresh() override {
        ++refreshes;
        if (recording) ops.push_back(Op::Of(Kind::Refresh));
    }

    // Texts printed since the last Cls, in order.
    std::vector<std::string> PrintedTexts() const {
        std::vector<std::string> texts;
        for (const Op& op : ops) {
            if (op.kind == Kind::Cls) texts.clear();
            if (op.kind == Kind::Print) texts.push_back(op.text);
        }
        return texts;
    }

private:
    int32_t x_ = 0, y_ = 0;
    Rgb colour_{};
    int32_t pixels_ = 13;  // 9.75 points bold, the play-field window's font
};

// All doubles together, wired into the Services the game takes.
struct FakePlatform {
    FakeClock clock;
    FakeKeyboard keyboard;
    FakeEvents events{clock};
    FakeMessageBox messages;
    FakeRandom random;
    FakeSurface surface;
    platform::Services Services() { return {keyboard, clock, events, messages, random, surface}; }
};

}  // namespace platform::fake
