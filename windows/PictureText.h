#pragma once
// The words painted into the background pictures. tools/ paints them and the
// windows hand the same words to screen readers, which cannot read a picture.
// Plain C++, so the painter needs nothing else of the program.

namespace windows::picture_text {

// The start window: the heading over the table, and the word left of the
// version label.
inline constexpr char kHighScores[] = "High Scores";
inline constexpr char kVersion[] = "Version";

// The information window, section by section from the top.
struct KeyLine {
    const char* key;
    const char* action;
};
struct BonusLine {
    const char* name;
    const char* text;
};

inline constexpr char kObjectHeading[] = "Object";
inline constexpr char kObjectText[] =
    "Score as much as possible by breaking as many blocks as possible. "
    "Move the paddle back and forth to keep the ball in play.";

inline constexpr char kControlsHeading[] = "Controls";
inline constexpr KeyLine kKeys[] = {
    {"Left", "Move paddle left"},
    {"Right", "Move paddle right"},
    {"P", "Pause"},
    {"R", "Reset game"},
    {"Q", "Quit"},
};

inline constexpr char kComboHeading[] = "Combo System";
inline constexpr char kComboText[] =
    "After one block has been broken, 50 bonus points are added for each further "
    "block broken before the ball touches the paddle again. The bonus points "
    "show in red above the blocks.";

inline constexpr char kBonusHeading[] = "Bonus System";
inline constexpr char kBonusText[] = "Catch the falling bonus icons with the paddle:";
// The three effects, each beside its icon, then the four point icons.
inline constexpr BonusLine kBonuses[] = {
    {"Drunken Ball", "The ball swerves, but every block is worth double points."},
    {"Strobe Ball", "The ball blinks on and off, but every block is worth double points."},
    {"Extra Life", "One more life."},
    {"Extra Points", "Add 500, 1000, 2000 or 5000 points to the score."},
};

}  // namespace windows::picture_text
