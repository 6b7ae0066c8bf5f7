// A day of play (24 h of 22 ms frames, about 3.93 million) through Main on the
// fake platform. The shared player follows the ball and presses P whenever
// play is paused; the next game starts when one ends. After every frame the
// counters of play are checked against their ranges, and from the first frame
// on no allocation may happen: the global operator new is replaced here and
// counts. The checks themselves allocate nothing (no test framework in the
// loop); the first broken rule is kept and reported at the end.
//
// Usage: day_soak [frames]   (default 3930000)

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string_view>

#include "game/Arithmetic.h"
#include "game/Game.h"
#include "platform/fake/FakePlatform.h"
#include "tests/support/BallFollower.h"

namespace {

int64_t allocationCount = 0;
bool countAllocations = false;

}  // namespace

void* operator new(std::size_t size) {
    if (countAllocations) ++allocationCount;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    if (countAllocations) ++allocationCount;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
// Kept out of line: inlined, GCC 14 would see std::free meet a pointer from
// operator new at each delete and call it a mismatched pair.
[[gnu::noinline]] void operator delete(void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete[](void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

using game::Game;
using game::GameState;
using platform::vk::Q;

// The game-over box, without the fake's recording (which allocates).
class CountingMessageBox final : public platform::MessageBox {
public:
    int64_t shown = 0;
    void MsgBox(std::string_view, std::string_view title) override {
        if (title == "Game Over") ++shown;
    }
};

// The first rule broken, if any: a fixed record, so noting it allocates nothing.
struct Breach {
    const char* rule = nullptr;
    int64_t frame = 0;
    int64_t value = 0;
};

struct Soak {
    explicit Soak(int64_t frameCount)
        : frames(frameCount),
          game({fp.keyboard, fp.clock, fp.events, box, fp.random, fp.surface}, "/prog") {}

    platform::fake::FakePlatform fp;
    CountingMessageBox box;
    int64_t frames;
    Game game;

    int64_t frame = 0;  // frames finished so far
    int64_t games = 0;
    int64_t stagesCleared = 0;
    int64_t itemsCaught = 0;
    int16_t highestLevel = 0;
    int32_t highestScore = 0;
    int16_t lastStage = 0;
    int16_t lastLevel = 0;
    int64_t seenRefreshes = 0;
    testsupport::BallFollower player{6};
    int aim = 0;
    int16_t lastBallDY = 0;
    uint32_t aimState = 12345;
    Breach breach;

    void Check(bool holds, const char* rule, int64_t value) {
        if (!holds && breach.rule == nullptr) breach = {rule, frame, value};
    }

    // Runs once per DoEvents: once in every frame's wait and once at the
    // start of every level title's wait. Checks the frame just run, then sets
    // the keys for the next one (the title's wait keeps the keys as they were).
    void OnEvents() {
        const GameState& s = game.state;
        const game::StageLocals& l = game.locals;
        // Every frame that goes on refreshes once and then waits; the level
        // title's wait refreshes nothing.
        if (fp.surface.refreshes == seenRefreshes) return;
        seenRefreshes = fp.surface.refreshes;
        ++frame;
        if (frame == 1) countAllocations = true;  // from the first frame on
        if (lastStage != 0 && (s.stage != lastStage || s.level != lastLevel)) ++stagesCleared;
        lastStage = s.stage;
        lastLevel = s.level;

        Check(l.pauseKeyDelay >= 0 && l.pauseKeyDelay <= 20, "pauseKeyDelay in 0..20", l.pauseKeyDelay);
        Check(s.resetKeyDelay >= 0 && s.resetKeyDelay <= 20, "resetKeyDelay in 0..20", s.resetKeyDelay);
        Check(s.lives >= -1, "lives >= -1", s.lives);
        Check(s.level >= 1 && s.level <= 1000, "level in 1..1000", s.level);
        Check(s.stage >= 1 && s.stage <= 3, "stage in 1..3", s.stage);
        Check(s.score >= 0, "score >= 0", s.score);
        Check(s.specialCountdown >= 0 && s.specialCountdown <= 1000, "specialCountdown in 0..1000",
              s.specialCountdown);
        Check(s.captionFrames >= 0 && s.captionFrames <= 21, "captionFrames in 0..21", s.captionFrames);
        Check(s.strobeTicks >= 0 && s.strobeTicks <= 11, "strobeTicks in 0..11", s.strobeTicks);
        Check(s.effectFrames >= 0 && s.effectFrames <= 750, "effectFrames in 0..750", s.effectFrames);
        Check(s.specialKind >= 0 && s.specialKind <= 7, "specialKind in 0..7", s.specialKind);
        Check(l.hitStreak >= 0 && l.hitStreak <= 70, "hitStreak in 0..70", l.hitStreak);
        for (int i = 1; i <= game::BrickTable::kCount; ++i) {
            Check(s.bricks[i].captionAge >= 0 && s.bricks[i].captionAge <= 21, "captionAge in 0..21",
                  s.bricks[i].captionAge);
        }
        Check(game::overflowCount == 0, "no checked arithmetic reached a limit", game::overflowCount);
        Check(!countAllocations || allocationCount == 0, "no allocation after the first frame",
              allocationCount);
        if (s.captionFrames == 20) ++itemsCaught;
        if (s.level > highestLevel) highestLevel = s.level;
        if (s.score > highestScore) highestScore = s.score;

        if (frame >= frames || breach.rule != nullptr) {
            fp.keyboard.ReleaseAll();
            fp.keyboard.Press(Q);  // the day is over: the running game ends at its next frame
            return;
        }
        // The paddle's centre follows the ball's, aimed a little to one side
        // that changes at every bounce so the ball reaches the whole wall.
        // Each game has its own dead zone: the wider ones miss now and then.
        if (s.ballDY < 0 && lastBallDY > 0) aim = static_cast<int>(NextAim() % 61) - 30;
        lastBallDY = s.ballDY;
        player.SetKeys(game, fp.keyboard, aim);
    }

    uint32_t NextAim() {
        aimState = aimState * 1664525u + 1013904223u;
        return aimState >> 8;
    }

    void Run() {
        fp.surface.recording = false;
        fp.clock.timeOfDay = 43210.5;
        std::string error;
        game.Form_Load(error);                        // seeds the random numbers
        fp.events.onEvents = [this] { OnEvents(); };  // set once: calling it allocates nothing
        while (frame < frames && breach.rule == nullptr) {
            lastStage = 0;
            lastLevel = 0;
            ++games;
            player.deadZone = 4 + static_cast<int>(games * 7 % 31);
            game.Main();
        }
        countAllocations = false;
    }
};

}  // namespace

int main(int argc, char** argv) {
    int64_t frames = 3930000;
    if (argc > 1) frames = std::strtoll(argv[1], nullptr, 10);
    if (frames < 1) {
        std::fprintf(stderr, "usage: day_soak [frames]\n");
        return 2;
    }
    game::overflowCount = 0;
    static Soak soak(frames);  // made before counting starts; too big for the stack's comfort
    const auto start = std::chrono::steady_clock::now();
    soak.Run();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    const Soak& s = soak;
    std::printf(
        "frames %lld (%.1f h of play at 22 ms), games %lld, games over %lld, stages cleared %lld, "
        "items caught %lld, highest level %d, highest score %d, allocations after frame 1: %lld, "
        "overflows %lld, %.2f s\n",
        static_cast<long long>(s.frame), static_cast<double>(s.frame) * 22.0 / 3.6e6,
        static_cast<long long>(s.games), static_cast<long long>(s.box.shown),
        static_cast<long long>(s.stagesCleared), static_cast<long long>(s.itemsCaught), s.highestLevel,
        s.highestScore, static_cast<long long>(allocationCount),
        static_cast<long long>(game::overflowCount), seconds);
    int failures = 0;
    if (s.breach.rule != nullptr) {
        std::printf("FAILED at frame %lld: %s (value %lld)\n", static_cast<long long>(s.breach.frame),
                    s.breach.rule, static_cast<long long>(s.breach.value));
        ++failures;
    }
    // The soak must have gone where the rules are about: games ending, stages
    // cleared, items caught.
    if (s.frame < frames) {
        std::printf("FAILED: only %lld of %lld frames ran\n", static_cast<long long>(s.frame),
                    static_cast<long long>(frames));
        ++failures;
    }
    if (frames >= 100000 && (s.box.shown < 2 || s.stagesCleared < 2 || s.itemsCaught < 2)) {
        std::printf("FAILED: the player reached too little of the game\n");
        ++failures;
    }
    return failures == 0 ? 0 : 1;
}
