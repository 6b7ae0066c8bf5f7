#pragma once
// The rules of play and the frame loop: the game half of the play-field
// window. It owns GameState and reaches the toolkit only through the
// platform interfaces, so every rule runs headless frame by frame.
//
// One class, its procedures spread over files by topic:
//   Game.cpp        Main, PlayStage, the frame (steps 1-19), losing a ball, game over
//   Stage.cpp       NewGame, the stage set-up and its walls, ShowLevelTitle, AdvanceStage
//   Motion.cpp      speed limit, ball step, paddle keys, walls, floor/ceiling, bounce
//   Bricks.cpp      the brick walk and scoring
//   Specials.cpp    bonus countdown, fall, catch, effects, caption
//   DrawFrame.cpp   composing the frame and the status panel (drawing only)
// Every constant of play is in Constants.h.

#include <cstdint>
#include <string>

#include "game/Constants.h"
#include "game/GameState.h"
#include "platform/Platform.h"

namespace game {

// How a frame's steps 1-18 ended.
enum class FrameEnd {
    Continue,      // wait out the frame, then the next one
    EndPlayStage,  // PlayStage returns (stage cleared, R, Q, close request, game over)
};

class Game {
public:
    Game(platform::Services services, std::string programFolder);

    GameState state{};
    StageLocals locals{};

    // --- window events ---
    // Seeds the random numbers and loads the sprite sheet. On failure returns
    // false with a message naming the path.
    bool Form_Load(std::string& error);
    // The play-field window's close request: ends a running game at the top of
    // its next frame.
    void Form_QueryUnload();

    // --- Game.cpp ---
    int32_t Main();
    void PlayStage();
    FrameEnd RunFrame();  // steps 1 to 18
    void WaitFrame();     // step 19

    // --- Stage.cpp ---
    void NewGame();
    void SetUpStage();  // steps 1-9 of the stage set-up, title included
    void ServeBall();   // paddle and ball to their serving places, ballDX drawn
    void BuildWall();
    void ShowLevelTitle();
    void AdvanceStage();  // after a cleared stage: the next stage, after the third the next level

    // --- Motion.cpp ---
    void LimitBallSpeed();     // step 8
    void MoveBall();           // step 9
    void MovePaddle();         // step 12
    void ApplySideWalls();     // step 13
    bool BallAtFloor() const;  // step 14, first test
    void ApplyCeiling();       // step 14, second test
    void BouncePaddle();       // step 15

    // --- Bricks.cpp ---
    void HitBricks();  // step 17

    // --- Specials.cpp ---
    void CountDownSpecial();  // step 7
    void FallSpecial();       // step 10
    void StepEffect();        // step 11
    void CatchSpecial();      // step 16
    void SpawnSpecial();
    void CollectSpecial();
    void DrunkenBallStep();
    void StrobeBallStep();
    void DrawSpecialCaption();

    // --- DrawFrame.cpp ---
    // Step 18. Returns false when no brick stood: the stage is cleared, so
    // nothing more is drawn and there is no refresh.
    bool DrawFrame();

    // Held per GetKeyState's down bit.
    bool KeyHeld(int32_t virtualKey);

private:
    // Losing a ball (step 14). Returns false when the game is over.
    bool LoseBall();
    void WaitUntil(int32_t deadlineTick);

    platform::Services services_;
    std::string programFolder_;
};

}  // namespace game
