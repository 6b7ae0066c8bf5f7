#pragma once
// What the start window needs of the play-field window. The program hands it
// the real window; the tests hand it a stand-in that returns a chosen score.

#include <cstdint>
#include <string>

namespace menu {

class PlayWindow {
public:
    virtual ~PlayWindow() = default;
    // Shows the window and gives it the focus; the first call loads it. False,
    // with error naming the path and reason, if loading failed.
    virtual bool ShowAndFocus(std::string& error) = 0;
    // Runs a whole game nested in the caller and returns the final score.
    virtual int32_t Main() = 0;
    virtual void Hide() = 0;
    // Close-down: ends a running game at its next frame and closes the window.
    virtual void Unload() = 0;
};

}  // namespace menu
