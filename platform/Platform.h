#pragma once
// What the game's rules get from the toolkit and the system. Plain C++: no Qt
// type crosses these interfaces, so the rules run headless with the doubles of
// platform/fake.

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    constexpr bool operator==(const Rgb&) const = default;
};

// Raster operations of a block copy from the sprite sheet into the image.
enum class RasterOp : uint8_t {
    SRCCOPY,   // destination := source
    SRCAND,    // destination := destination AND source
    SRCPAINT,  // destination := destination OR source
};

// Bit of GetKeyState's value that is set while the key is down.
constexpr int16_t kKeyDownBit = 0x1000;
// The whole value GetKeyState gives for a key that is down (0 for one that is up).
constexpr int16_t kKeyDownState = kKeyDownBit | 0x0080;

// Virtual-key codes the game polls.
namespace vk {
constexpr int32_t Left = 37;
constexpr int32_t Right = 39;
constexpr int32_t P = 80;
constexpr int32_t Q = 81;
constexpr int32_t R = 82;
}  // namespace vk

class Keyboard {
public:
    virtual ~Keyboard() = default;
    // 16-bit state of a virtual key: kKeyDownState while it is down, else 0.
    virtual int16_t GetKeyState(int32_t virtualKey) = 0;
    // True once after the program lost the keyboard focus to another window:
    // reports whether that happened since the last call, and forgets it.
    virtual bool TakeFocusLoss() = 0;
};

// The tick count is a 32-bit count of milliseconds that wraps, read as a
// signed number: past 24.8 days it turns negative, past 49.7 it starts again
// at 0. So a deadline is a wrapping sum, and whether it has come is asked of
// the signed difference, which holds across the wrap for any deadline less
// than 24.8 days away.
constexpr int32_t TickPlus(int32_t tick, int32_t millis) {
    return static_cast<int32_t>(static_cast<uint32_t>(tick) + static_cast<uint32_t>(millis));
}
// Milliseconds from `now` until `deadline`: 0 or less once it has come.
constexpr int32_t TicksUntil(int32_t now, int32_t deadline) {
    return static_cast<int32_t>(static_cast<uint32_t>(deadline) - static_cast<uint32_t>(now));
}

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds, a wrapping 32-bit count read as a signed number.
    virtual int32_t GetTickCount() = 0;
    // Seconds since midnight, with a fraction; seeds the random numbers.
    virtual double Timer() = 0;
};

class EventPump {
public:
    virtual ~EventPump() = default;
    // Handles every pending window event (keys, clicks, close requests) and returns.
    virtual void DoEvents() = 0;
    // Sleeps until an event arrives or the tick count reaches deadlineTick,
    // handling what arrives. Lets a wait loop idle instead of spinning a core.
    virtual void WaitEvents(int32_t deadlineTick) = 0;
};

class MessageBox {
public:
    virtual ~MessageBox() = default;
    // Modal box with one OK button; returns when it is closed.
    virtual void MsgBox(std::string_view text, std::string_view title) = 0;
};

class Random {
public:
    virtual ~Random() = default;
    virtual void Randomize(double seed) = 0;
    // Uniform r with 0 <= r < 1.
    virtual double Rnd() = 0;
};

// The play-field window's persistent image and its hidden picture holder.
class Surface {
public:
    virtual ~Surface() = default;
    // Loads the sprite sheet into the picture holder. On failure returns false
    // and says why in error, naming the path.
    virtual bool LoadBitmaps(const std::string& path, std::string& error) = 0;

    // The image becomes the background picture again; CurrentX = CurrentY = 0.
    virtual void Cls() = 0;
    // Text at (CurrentX, CurrentY) in the window font, FontSize and ForeColor,
    // without a background box. Afterwards CurrentX is 0 and CurrentY is one
    // line lower, as on a printing form.
    virtual void Print(std::string_view text) = 0;
    virtual int32_t CurrentX() const = 0;
    virtual void CurrentX(int32_t x) = 0;
    virtual int32_t CurrentY() const = 0;
    virtual void CurrentY(int32_t y) = 0;
    virtual Rgb ForeColor() const = 0;
    virtual void ForeColor(Rgb colour) = 0;
    // Points. Setting realises the nearest size the font offers; reading gives
    // the realised size back.
    virtual double FontSize() const = 0;
    virtual void FontSize(double points) = 0;
    // One-pixel outline with corners (x1, y1) and (x2, y2), both included.
    virtual void RectangleOutline(int32_t x1, int32_t y1, int32_t x2, int32_t y2, Rgb colour) = 0;
    // Copies a w x h rectangle of the sprite sheet at (srcX, srcY) to (x, y),
    // clipped to both images.
    virtual void BitBlt(int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcX, int32_t srcY,
                        RasterOp op) = 0;
    // Shows the image on screen in one update.
    virtual void Refresh() = 0;
};

// Everything the game is given, handed over in one piece.
struct Services {
    Keyboard& keyboard;
    Clock& clock;
    EventPump& events;
    MessageBox& messages;
    Random& random;
    Surface& surface;
};

}  // namespace platform
