// Main, PlayStage and the frame: the fixed order of steps, the P, R and Q
// keys, losing a ball, game over and the frame's pacing.

#include "game/Game.h"

#include <utility>

#include "game/Arithmetic.h"
#include "game/Text.h"

namespace game {

using platform::vk::P;
using platform::vk::Q;
using platform::vk::R;

Game::Game(platform::Services services, std::string programFolder)
    : services_(services), programFolder_(std::move(programFolder)) {}

bool Game::Form_Load(std::string& error) {
    services_.random.Randomize(services_.clock.Timer());
    // The folder is used as it is: no separator is added or removed.
    return services_.surface.LoadBitmaps(programFolder_ + "/Images/bitmaps.bmp", error);
}

void Game::Form_QueryUnload() {
    // Only flags: the frame loop reads them at the top of its next frame.
    state.quitGame = true;
    state.newGame = false;
}

bool Game::KeyHeld(int32_t virtualKey) {
    return (services_.keyboard.GetKeyState(virtualKey) & platform::kKeyDownBit) != 0;
}

int32_t Game::Main() {
    state.quitGame = false;
    state.newGame = true;
    do {
        PlayStage();
    } while (!state.quitGame);
    return state.score;
}

void Game::PlayStage() {
    SetUpStage();
    while (RunFrame() == FrameEnd::Continue) WaitFrame();
}

FrameEnd Game::RunFrame() {
    GameState& s = state;
    StageLocals& l = locals;

    l.frameStart = services_.clock.GetTickCount();  // 1

    if (l.pauseKeyDelay < kKeyDelayFrames) {  // 2
        l.pauseKeyDelay = Add16(l.pauseKeyDelay, 1);
    } else if (l.pauseKeyDelay == kKeyDelayFrames && KeyHeld(P)) {
        l.paused = !l.paused;
        l.pauseKeyDelay = 0;
    }
    // Keys cannot reach a window without the focus, so play stops as P would
    // stop it; the key delay is left alone, so P resumes as soon as it may.
    if (services_.keyboard.TakeFocusLoss()) l.paused = true;

    // A close request has already ended the game: R must not start another
    // inside a window that is closing, so step 5 gets to return.
    if (s.resetKeyDelay < kKeyDelayFrames) {  // 3
        s.resetKeyDelay = Add16(s.resetKeyDelay, 1);
    } else if (s.resetKeyDelay == kKeyDelayFrames && !s.quitGame && KeyHeld(R)) {
        s.newGame = true;
        s.quitGame = false;
        s.resetKeyDelay = 0;
        return FrameEnd::EndPlayStage;
    }

    if (KeyHeld(Q)) {  // 4
        s.quitGame = true;
        s.newGame = false;
        return FrameEnd::EndPlayStage;
    }

    if (s.quitGame) return FrameEnd::EndPlayStage;  // 5

    if (!l.paused) {          // 6
        CountDownSpecial();   // 7
        LimitBallSpeed();     // 8
        MoveBall();           // 9
        FallSpecial();        // 10
        StepEffect();         // 11
        MovePaddle();         // 12
        ApplySideWalls();     // 13
        if (BallAtFloor()) {  // 14
            if (!LoseBall()) return FrameEnd::EndPlayStage;
        } else {
            ApplyCeiling();
        }
        BouncePaddle();  // 15
        CatchSpecial();  // 16
        HitBricks();     // 17
    }

    if (!DrawFrame()) {  // 18: no brick stood, so this frame is never shown
        AdvanceStage();
        return FrameEnd::EndPlayStage;
    }
    return FrameEnd::Continue;
}

void Game::WaitFrame() {  // 19
    WaitUntil(platform::TickPlus(locals.frameStart, kFrameMillis));
}

// Events are handled at least once; between them the platform may sleep until
// the next event or the deadline, so a waiting game does not hold a core busy.
// The deadline is compared by difference, so pacing holds across the tick
// count's wrap.
void Game::WaitUntil(int32_t deadlineTick) {
    auto reached = [&] { return platform::TicksUntil(services_.clock.GetTickCount(), deadlineTick) <= 0; };
    do {
        services_.events.DoEvents();
        if (reached()) break;
        services_.events.WaitEvents(deadlineTick);
    } while (!reached());
}

bool Game::LoseBall() {
    GameState& s = state;
    s.lives = Sub16(s.lives, 1);
    locals.paused = true;
    s.specialFalling = false;
    s.effectActive = false;
    s.captionFrames = 0;
    if (s.lives < 0) {
        // Game over: the window keeps showing the frame before.
        Text text;
        text.Append("Final Score: ").AppendInt(s.score);
        services_.messages.MsgBox(text.View(), "Game Over");
        s.quitGame = true;
        s.newGame = true;
        return false;
    }
    ServeBall();
    locals.hitStreak = 0;
    return true;
}

}  // namespace game
