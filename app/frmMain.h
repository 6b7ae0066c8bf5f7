#pragma once
// The play-field window: a borderless 640 x 420 window that shows the game's
// persistent image (at the screen's whole-number scale) and owns the game with
// its platform services. It is created once; the first ShowAndFocus loads it
// (Form_Load), Unload closes it. It is the start window's PlayWindow.
// F11 switches it to full screen and back, Escape leaves full screen: there the
// image is kept at the largest whole-number scale the screen holds, centred on
// black, or where that fills the screen badly, smoothed down from the next
// whole number to fill it (the sharp fit).

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "game/Game.h"
#include "menu/PlayWindow.h"
#include "platform/StdRandom.h"
#include "platform/qt/QtClock.h"
#include "platform/qt/QtEvents.h"
#include "platform/qt/QtKeyboard.h"
#include "platform/qt/QtMessageBox.h"
#include "platform/qt/QtSurface.h"
#include "platform/qt/SharpFilter.h"

namespace Ui {
class frmMain;
}

class frmMain final : public QWidget, public menu::PlayWindow {
    Q_OBJECT
public:
    // Makes, from the window's own pump, clock and surface, a pump the game
    // waits through instead (the benchmarks' measured waits).
    using PumpInFront = std::function<std::unique_ptr<platform::EventPump>(
        platform::qt::QtEvents&, platform::qt::QtClock&, platform::qt::QtSurface&)>;

    // Without a pump in front the game waits through the window's own.
    explicit frmMain(const std::string& programFolder, const PumpInFront& pumpInFront = {},
                     QWidget* parent = nullptr);
    ~frmMain() override;

    // Show (not modal) and give the focus. The first call loads the window: Form_Load seeds
    // the random numbers and loads the sprite sheet. Returns false if that failed (error names
    // the path and reason); the window is then not shown.
    bool ShowAndFocus(std::string& error) override;
    int32_t Main() override;  // runs a whole game nested in the caller, returns the final score
    void Hide() override;
    // Close-down: if loaded, runs the close request (Form_QueryUnload) and closes the window.
    void Unload() override;
    bool IsLoaded() const;
    // The choice of full screen for the rest of the run: the window is shown
    // full screen whenever it is shown, until F11 (or the desktop's own
    // full-screen shortcut) or Escape turns it off.
    void SetFullScreen(bool on);
    // Called with the player's new choice whenever F11, the desktop's shortcut
    // or Escape changes it, to keep it for the next runs; not by SetFullScreen.
    void OnFullScreenChosen(std::function<void(bool)> keep);
    bool FullScreenChosen() const { return fullScreen_; }
    // Whether full screen may fill a screen that a whole-number scale fills
    // badly with a smoothed "sharp" fit (--scaling sharp, the default), or
    // keeps whole numbers everywhere (--scaling integer).
    void SetSharpFit(bool allowed);

    game::Game& Game() { return game_; }
    platform::qt::QtSurface& Surface() { return surface_; }
    platform::qt::QtEvents& Events() { return events_; }        // tests: the window's own pump
    platform::qt::QtKeyboard& Keyboard() { return keyboard_; }  // benchmarks: whether an arrow is held
    platform::StdRandom& Random() { return random_; }  // tests: a game that plays the same every run
    const platform::qt::SharpFilter& Sharp() const { return sharp_; }  // tests: the smoothing shown

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    void ApplyFullScreen();
    void ChooseFullScreen(bool on);
    void FitImage();
    bool CopyToBackingImage(const QRegion& region, const QImage& shown);
    void PaintSmoothed(const QRegion& region, const QImage& shown);
    bool SmoothIntoBackingImage(const QRegion& region, const QImage& shown, const QRect& picture);

    std::unique_ptr<Ui::frmMain> ui_;
    platform::qt::QtClock clock_;
    platform::qt::QtKeyboard keyboard_;
    platform::qt::QtEvents events_{clock_};
    platform::qt::QtMessageBox messages_;
    platform::StdRandom random_;
    platform::qt::QtSurface surface_;
    std::unique_ptr<platform::EventPump> pumpInFront_;
    game::Game game_;
    bool loaded_ = false;
    bool fullScreen_ = false;
    bool sharpFit_ = true;
    std::optional<QPoint> normalPos_;  // where the window stood before full screen
    std::function<void(bool)> fullScreenChosen_;
    platform::qt::SharpFilter sharp_;  // the sharp fit's smoothing, and what it last made
    QImage smoothed_;
};
