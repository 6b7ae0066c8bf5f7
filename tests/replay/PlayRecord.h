#pragma once
// Recorded play: a fixed set of seeded games played through Main on the fake
// platform by a scripted player, with a digest of the whole game state (and
// the stage locals and the drawing) taken at every step. A step is one pass
// of the event pump (a frame wait or a title wait) or the game-over box.
// The expected records live in recorded_play.txt; any change of play shows as
// a difference from them.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace replay {

// How the scripted player plays one game.
struct Script {
    int number = 0;
    double seed = 0;         // the time of day Form_Load seeds the random numbers from
    int deadZone = 0;        // pixels the ball's centre may stray from the paddle's
    int lookAwayEvery = 0;   // every so many frames the player stops watching...
    int lookAwayFrames = 0;  // ...for this many frames
    int pauseAtFrame = 0;    // P pressed in play at this frame (0: never)
    int restartAtFrame = 0;  // R held from this frame until honoured (0: never)
    int quitAtFrame = 0;     // Q held from this frame (0: never)
};

const std::vector<Script>& Scripts();

// What one game left: the figures compared with the recording.
struct Record {
    int number = 0;
    int64_t frames = 0;
    int64_t steps = 0;
    int32_t score = 0;
    uint64_t digest = 0;                     // running digest over every step
    std::map<std::string, uint32_t> fields;  // running digest of each field (bricks per field)
    std::string trace;                       // one character of the running digest per step
};

// What the game went through, so the test can insist that the recording
// covers what it is meant to.
struct Coverage {
    int maxLevel = 0;
    bool stageShapes[4] = {};
    bool caught[8] = {};
    bool missed[8] = {};
    bool effect[8] = {};
    bool brickCaption = false;
    bool itemCaption = false;
    int lostBalls = 0;
    int gamesOver = 0;
    int pausesInPlay = 0;
    int restarts = 0;
    int quits = 0;
};

// The values of every field group after one step (one value, or 70 for a
// field of the bricks).
using Values = std::map<std::string, std::vector<int64_t>>;

// Plays one game. `atStep`, if set, is called with the step number and the
// values after that step (for a report on a difference).
Record Play(const Script& script, Coverage* coverage = nullptr,
            const std::function<void(int64_t, const Values&)>& atStep = {});

std::string Write(const std::vector<Record>& records);
// Returns false with a reason when the text is not a recording.
bool Read(const std::string& text, std::vector<Record>& records, std::string& error);

}  // namespace replay
