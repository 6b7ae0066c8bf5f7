// The scripted player, the digests and the text form of the recording.

#include "PlayRecord.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <sstream>

#include "game/Game.h"
#include "platform/fake/FakePlatform.h"
#include "tests/support/BallFollower.h"

namespace replay {
namespace {

using platform::vk::P;
using platform::vk::Q;
using platform::vk::R;

// Every field of GameState but the bricks, in declaration order. The
// formatter cannot settle on these lists' line breaks, so it leaves them.
// clang-format off
#define REPLAY_STATE_FIELDS(X)                                                                       \
    X(quitGame) X(newGame) X(ballX) X(ballY) X(ballSpriteX) X(ballSpriteY) X(ballMaskX) X(ballMaskY) \
    X(ballDY) X(ballDX) X(ballMaxDX) X(ballWidth) X(ballHeight) X(paddleX) X(paddleY)                \
    X(paddleSpriteX) X(paddleSpriteY) X(paddleMaskX) X(paddleMaskY) X(paddleWidth) X(paddleHeight)  \
    X(paddleSpeed) X(deflectScale) X(specialX) X(specialY) X(specialWidth) X(specialHeight)         \
    X(specialSpriteX) X(specialSpriteY) X(specialMaskX) X(specialMaskY) X(specialKind)              \
    X(specialFalling) X(specialPoints) X(effectFrames) X(specialSpeed) X(effectActive)              \
    X(strobeShown) X(specialCountdown) X(score) X(resetKeyDelay) X(lives) X(level) X(stage)         \
    X(captionFrames) X(strobeTicks)
#define REPLAY_BRICK_FIELDS(X) \
    X(x) X(y) X(spriteX) X(spriteY) X(width) X(height) X(alive) X(points) X(captionOn) X(captionValue) X(captionAge)
#define REPLAY_LOCAL_FIELDS(X) X(paused) X(pauseKeyDelay) X(hitStreak) X(frameStart) X(brickDrawn)
// clang-format on

// Stands for any field's initializer, so that braces can count an aggregate's fields.
struct AnyField {
    template <typename T>
    constexpr operator T() const;  // only ever named in an unevaluated check
};

// How many fields the aggregate T has: the most initializers its braces take.
template <typename T, typename... Given>
constexpr std::size_t FieldCount() {
    if constexpr (requires { T{Given{}..., AnyField{}}; }) {
        return FieldCount<T, Given..., AnyField>();
    } else {
        return sizeof...(Given);
    }
}

// A field added to the record, a brick or the locals must join its list
// above, or the digest would never see it.
#define REPLAY_COUNT(name) +1
static_assert(FieldCount<game::GameState>() == 0 REPLAY_STATE_FIELDS(REPLAY_COUNT) + 1 /* bricks */,
              "every field of GameState must be in REPLAY_STATE_FIELDS");
static_assert(FieldCount<game::Brick>() == 0 REPLAY_BRICK_FIELDS(REPLAY_COUNT),
              "every field of Brick must be in REPLAY_BRICK_FIELDS");
static_assert(FieldCount<game::StageLocals>() == 0 REPLAY_LOCAL_FIELDS(REPLAY_COUNT),
              "every field of StageLocals must be in REPLAY_LOCAL_FIELDS");
#undef REPLAY_COUNT

constexpr uint64_t kFnvOffset = 0xcbf29ce484222325ULL;
constexpr uint64_t kFnvPrime = 0x100000001b3ULL;
constexpr char kTraceAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

uint64_t Mix(uint64_t h, int64_t value) {
    auto v = static_cast<uint64_t>(value);
    for (int i = 0; i < 8; ++i, v >>= 8) h = (h ^ (v & 0xFF)) * kFnvPrime;
    return h;
}

// One named group of values and its running digest over the steps.
struct Group {
    std::string name;
    uint64_t running = kFnvOffset;
};

// Calls f(name, values) for every field group of the game after a step.
template <typename F>
void ForEachGroup(const game::Game& g, int32_t tick, F&& f) {
    std::array<int64_t, game::BrickTable::kCount> column{};
#define REPLAY_SCALAR(name) f(#name, &column, (column[0] = static_cast<int64_t>(g.state.name), 1));
    REPLAY_STATE_FIELDS(REPLAY_SCALAR)
#undef REPLAY_SCALAR
#define REPLAY_BRICK(name)                                                                      \
    for (int i = 1; i <= game::BrickTable::kCount; ++i)                                         \
        column[static_cast<std::size_t>(i - 1)] = static_cast<int64_t>(g.state.bricks[i].name); \
    f("bricks." #name, &column, game::BrickTable::kCount);
    REPLAY_BRICK_FIELDS(REPLAY_BRICK)
#undef REPLAY_BRICK
#define REPLAY_LOCAL(name) \
    f("locals." #name, &column, (column[0] = static_cast<int64_t>(g.locals.name), 1));
    REPLAY_LOCAL_FIELDS(REPLAY_LOCAL)
#undef REPLAY_LOCAL
    f("tick", &column, (column[0] = tick, 1));
}

// What was drawn since the last step, as one value.
int64_t DrawingDigest(const std::vector<platform::fake::FakeSurface::Op>& ops) {
    uint64_t h = kFnvOffset;
    for (const auto& op : ops) {
        for (int64_t v : {int64_t(op.kind), int64_t(op.x), int64_t(op.y), int64_t(op.w), int64_t(op.h),
                          int64_t(op.srcX), int64_t(op.srcY), int64_t(op.rop), int64_t(op.colour.r),
                          int64_t(op.colour.g), int64_t(op.colour.b), int64_t(op.fontSize * 4)}) {
            h = Mix(h, v);
        }
        for (char c : op.text) h = Mix(h, c);
    }
    return static_cast<int64_t>(h);
}

int64_t MessagesDigest(const std::vector<platform::fake::FakeMessageBox::Shown>& shown) {
    uint64_t h = kFnvOffset;
    for (const auto& box : shown) {
        for (char c : box.text) h = Mix(h, c);
        for (char c : box.title) h = Mix(h, c);
    }
    return static_cast<int64_t>(h);
}

// A small generator of the player's own, apart from the game's random source.
class PlayerRandom {
public:
    explicit PlayerRandom(uint32_t seed) : state_(seed * 2654435761u + 1u) {}
    int Below(int n) {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<int>((state_ >> 8) % static_cast<uint32_t>(n));
    }

private:
    uint32_t state_;
};

// Follows the ball (or a falling item while the ball rises), aims at a new
// place of the paddle after every bounce, looks away now and then, resumes a
// paused game, and presses P, R and Q when its script says so.
class Player {
public:
    Player(const Script& script, game::Game& g, platform::fake::FakeKeyboard& keys, Coverage& coverage)
        : script_(script),
          g_(g),
          keys_(keys),
          coverage_(coverage),
          random_(static_cast<uint32_t>(script.number)) {}

    void SetKeys(int64_t frame) {
        const game::GameState& s = g_.state;
        keys_.ReleaseAll();
        if (s.ballDY < 0 && lastDY_ > 0) target_ = 1 + random_.Below(10);
        lastDY_ = s.ballDY;

        if (script_.quitAtFrame > 0 && frame >= script_.quitAtFrame) {
            keys_.Press(Q);
            return;
        }
        if (script_.restartAtFrame > 0 && frame >= script_.restartAtFrame && !restarted_) {
            if (s.resetKeyDelay == 0 && frame > script_.restartAtFrame) {
                restarted_ = true;
                ++coverage_.restarts;
            } else {
                keys_.Press(R);
                return;
            }
        }
        if (script_.pauseAtFrame > 0 && frame >= script_.pauseAtFrame && pauseState_ < 2) {
            if (pauseState_ == 0) {
                if (!g_.locals.paused) {
                    keys_.Press(P);
                    return;
                }
                pauseState_ = 1;
                pausedSince_ = frame;
                ++coverage_.pausesInPlay;
            }
            if (frame < pausedSince_ + 60) return;  // stays paused for a while
            pauseState_ = 2;
        }
        if (g_.locals.paused) {
            keys_.Press(P);
            return;
        }
        if (script_.lookAwayEvery > 0 && frame % script_.lookAwayEvery < script_.lookAwayFrames) return;

        double target = testsupport::BallCentre(s) + Aim();
        if (s.specialFalling && s.ballDY < 0 && s.ballY < 300) target = s.specialX + s.specialWidth / 2.0;
        testsupport::SteerTowards(s, target, script_.deadZone, keys_);
    }

private:
    // Where on the paddle the ball should land, so that the bounce sends it
    // towards a standing brick (the first one from target_ on).
    double Aim() const {
        const game::GameState& s = g_.state;
        if (s.ballDY <= 0) return 0;
        for (int n = 0; n < game::BrickTable::kCount; ++n) {
            const game::Brick& b = s.bricks[(target_ - 1 + n) % game::BrickTable::kCount + 1];
            if (!b.alive) continue;
            const double ball = s.ballX + s.ballWidth / 2.0;
            const double rise = s.paddleY - (b.y + b.height);
            const double wanted = (b.x + b.width / 2.0 - ball) * s.ballDY / rise;
            double change = s.ballDX - wanted;  // what the paddle must take off ballDX
            if (change > 5) change = 5;
            if (change < -5) change = -5;
            return change * s.paddleWidth / 2.0 / s.deflectScale;
        }
        return 0;
    }

    const Script& script_;
    game::Game& g_;
    platform::fake::FakeKeyboard& keys_;
    Coverage& coverage_;
    PlayerRandom random_;
    int target_ = 1;
    int16_t lastDY_ = 0;
    bool restarted_ = false;
    int pauseState_ = 0;  // 0 before the pause, 1 paused, 2 after
    int64_t pausedSince_ = 0;
};

void NoteCoverage(const game::GameState& before, const game::Game& g, Coverage& c) {
    const game::GameState& s = g.state;
    if (s.level > c.maxLevel) c.maxLevel = s.level;
    if (s.stage >= 1 && s.stage <= 3) c.stageShapes[s.stage] = true;
    const auto kind = static_cast<std::size_t>(before.specialKind & 7);
    if (before.specialFalling && !s.specialFalling) {
        if (s.captionFrames == 20) c.caught[kind] = true;
        if (s.specialY + s.specialHeight >= 410) c.missed[kind] = true;
    }
    if (s.effectActive) c.effect[static_cast<std::size_t>(s.specialKind & 7)] = true;
    if (s.captionFrames > 0) c.itemCaption = true;
    for (int i = 1; i <= game::BrickTable::kCount; ++i) {
        if (s.bricks[i].captionOn && !s.bricks[i].alive) c.brickCaption = true;
    }
    if (s.lives < before.lives && !s.newGame && before.level == s.level) ++c.lostBalls;
}

std::string LineError(int lineNumber, const char* what) {
    std::ostringstream text;
    text << "line " << lineNumber << ": " << what;
    return text.str();
}

}  // namespace

const std::vector<Script>& Scripts() {
    // A good player reaching the third level, one who restarts, one who
    // pauses and quits, and weaker ones who lose their games.
    static const std::vector<Script> scripts{
        {1, 31415.25, 6, 2300, 40, 0, 0, 31000},
        {2, 27182.5, 10, 700, 80, 650, 1200, 0},
        {3, 86399.5, 20, 600, 90, 0, 0, 0},
    };
    return scripts;
}

Record Play(const Script& script, Coverage* coverage,
            const std::function<void(int64_t, const Values&)>& atStep) {
    platform::fake::FakePlatform fp;
    game::Game g(fp.Services(), "/prog");
    Coverage localCoverage;
    Coverage& cov = coverage ? *coverage : localCoverage;
    Player player(script, g, fp.keyboard, cov);
    fp.clock.timeOfDay = script.seed;
    std::string error;
    g.Form_Load(error);

    Record record;
    record.number = script.number;
    record.digest = kFnvOffset;
    std::vector<Group> groups;
    game::GameState before{};
    int64_t refreshesSeen = 0;
    constexpr int64_t kStepsAtMost = 400000;  // a player that never loses still ends

    auto step = [&] {
        ++record.steps;
        const bool frameWait = fp.surface.refreshes != refreshesSeen;
        refreshesSeen = fp.surface.refreshes;
        // Every stage has one title wait and ends with a frame that has no
        // wait, so frames played = frame waits + title waits.
        const bool titleWait = !frameWait && !fp.surface.ops.empty() &&
                               fp.surface.ops.back().kind == platform::fake::FakeSurface::Kind::Print;
        if (frameWait || titleWait) ++record.frames;
        uint64_t stepDigest = kFnvOffset;
        std::size_t index = 0;
        Values values;
        auto take = [&](const char* name, const std::array<int64_t, game::BrickTable::kCount>* column,
                        int count) {
            if (index == groups.size()) groups.push_back({name});
            Group& group = groups[index++];
            for (int i = 0; i < count; ++i) {
                const int64_t v = (*column)[static_cast<std::size_t>(i)];
                group.running = Mix(group.running, v);
                stepDigest = Mix(stepDigest, v);
            }
            if (atStep) values[name].assign(column->begin(), column->begin() + count);
        };
        ForEachGroup(g, fp.clock.now, take);
        std::array<int64_t, game::BrickTable::kCount> extra{};
        extra[0] = DrawingDigest(fp.surface.ops);
        take("drawing", &extra, 1);
        extra[0] = MessagesDigest(fp.messages.shown);
        take("messages", &extra, 1);
        fp.surface.ops.clear();

        record.digest = Mix(record.digest, static_cast<int64_t>(stepDigest));
        record.trace += kTraceAlphabet[record.digest >> 58];
        if (atStep) atStep(record.steps, values);
        NoteCoverage(before, g, cov);
        before = g.state;
        player.SetKeys(record.frames);
        if (record.steps >= kStepsAtMost) fp.keyboard.Press(Q);
    };
    fp.events.onEvents = step;
    fp.messages.onShow = [&] {
        ++cov.gamesOver;
        step();
    };
    g.Main();
    if (!g.state.newGame && g.state.quitGame && fp.messages.shown.empty()) ++cov.quits;
    step();  // the state Main left
    record.score = g.state.score;
    for (const Group& group : groups) {
        record.fields[group.name] = static_cast<uint32_t>(group.running ^ (group.running >> 32));
    }
    return record;
}

std::string Write(const std::vector<Record>& records) {
    std::ostringstream out;
    out << "# Recorded play of the scripted games (tests/replay). Regenerate with\n"
           "# scripts/record-play only when a rule is meant to change.\n";
    for (const Record& r : records) {
        char digest[17];
        std::snprintf(digest, sizeof digest, "%016llx", static_cast<unsigned long long>(r.digest));
        out << "game " << r.number << "\nframes " << r.frames << "\nsteps " << r.steps << "\nscore "
            << r.score << "\ndigest " << digest << "\n";
        for (const auto& [name, value] : r.fields) {
            char hex[9];
            std::snprintf(hex, sizeof hex, "%08x", value);
            out << "field " << name << " " << hex << "\n";
        }
        constexpr std::size_t kLine = 120;
        for (std::size_t i = 0; i < r.trace.size(); i += kLine)
            out << "trace " << r.trace.substr(i, kLine) << "\n";
        out << "end\n";
    }
    return out.str();
}

bool Read(const std::string& text, std::vector<Record>& records, std::string& error) {
    std::istringstream in(text);
    std::string line;
    Record current;
    bool open = false;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        std::string key;
        words >> key;
        if (key == "game") {
            current = Record{};
            words >> current.number;
            open = true;
        } else if (!open) {
            error = LineError(lineNumber, "outside a game");
            return false;
        } else if (key == "frames") {
            words >> current.frames;
        } else if (key == "steps") {
            words >> current.steps;
        } else if (key == "score") {
            words >> current.score;
        } else if (key == "digest") {
            std::string hex;
            words >> hex;
            current.digest = std::stoull(hex, nullptr, 16);
        } else if (key == "field") {
            std::string name, hex;
            words >> name >> hex;
            current.fields[name] = static_cast<uint32_t>(std::stoul(hex, nullptr, 16));
        } else if (key == "trace") {
            std::string part;
            words >> part;
            current.trace += part;
        } else if (key == "end") {
            records.push_back(current);
            open = false;
        } else {
            error = LineError(lineNumber, "unknown key");
            return false;
        }
        if (words.fail()) {
            error = LineError(lineNumber, "cannot read its value");
            return false;
        }
    }
    if (open) error = "the last game has no end";
    return !open;
}

}  // namespace replay
