// Tilebash: the program starts on the start window and ends with its close-down.

#include <QApplication>
#include <QStandardPaths>
#include <memory>
#include <optional>

#include "app/CommandLine.h"
#include "app/DisplayFailure.h"
#include "app/DisplaySettings.h"
#include "app/FullScreenSetting.h"
#include "app/ProgramFolder.h"
#include "app/ProgramWaits.h"
#include "app/frmMain.h"
#include "menu/ScoreFolder.h"
#include "menu/SingleInstance.h"
#include "menu/frmSplash.h"
#include "windows/Resources.h"
#include "windows/WindowLook.h"
#include "windows/WindowRaise.h"

int main(int argc, char* argv[]) {
    // Names the per-user data folder (~/.local/share/tilebash) and the program
    // in --help and --version, which answer before any window system is opened.
    QCoreApplication::setApplicationName(QStringLiteral("tilebash"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TILEBASH_VERSION));
    const CommandLine options = ReadCommandLine(argc, argv);
    if (options.exitStatus) return *options.exitStatus;

    // Whole-number scale factors only: pixel art enlarged by 1.25 or 1.5 can
    // only be blurred or uneven. On X a desktop set to 125% or 150% shows the
    // windows at 1x (crisp, at their own sizes); 175% and 250% show them at
    // 2x, 300% at 3x. A Wayland compositor at 150% gives a whole scale of 2,
    // and shrinks what is drawn at 2x (the policy also keeps Qt 6.8's plugin
    // from drawing at 1.5). QT_SCALE_FACTOR and QT_SCREEN_SCALE_FACTORS, set
    // by hand, are taken as given and not rounded: Qt 6.8 rounds the screens'
    // factors by the policy too, so with them the policy passes them through.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        !qEnvironmentVariableIsEmpty("QT_SCREEN_SCALE_FACTORS")
            ? Qt::HighDpiScaleFactorRoundingPolicy::PassThrough
            : Qt::HighDpiScaleFactorRoundingPolicy::RoundPreferFloor);
    ChooseDisplaySettings(options.zoom);
    DisplayFailureWatch displayFailure;
    QApplication app(argc, argv);
    displayFailure.End();
    // Matches the installed desktop entry, so docks and task bars show its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(TILEBASH_APP_ID));
    InitWindowsResources();
    // The close-down ends the program, not the last window going away (the
    // start window hides while a game runs).
    QApplication::setQuitOnLastWindowClosed(false);
    windows::UseWindowFont();

    const std::string folder = ProgramFolder();
    const std::string scoreFolder = menu::ChooseScoreFolder(
        folder, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString());
    // One copy per table: a second start raises the running copy's window,
    // with the token its launcher gave it (Wayland lets only that raise it).
    menu::SingleInstance single(QString::fromStdString(scoreFolder));
    if (const std::optional<int> exitCode = single.ClaimOrHandOver(
            windows::RaiseCurrentWindow, qEnvironmentVariable("XDG_ACTIVATION_TOKEN"))) {
        return *exitCode;
    }
    // Only the copy holding the lock gives a new per-user folder its first table.
    menu::SeedScoreTable(folder, scoreFolder);
    // --fullscreen and --windowed choose for this run only and keep nothing:
    // a launcher or an alias that adds one must not change how a plain start
    // opens. What the player switches to with the keys is kept.
    const QString settingPath = FullScreenSettingPath();
    const bool fullScreen = options.fullScreen ? *options.fullScreen : ReadFullScreenSetting(settingPath);
    frmSplash splash(frmSplash::DefaultCollaborators(
        folder,
        [folder, fullScreen, settingPath, sharpFit = options.sharpFit] {
            auto window = std::make_unique<frmMain>(folder, ProgramPumpInFront());
            window->SetFullScreen(fullScreen);
            window->SetSharpFit(sharpFit);
            window->OnFullScreenChosen([settingPath](bool on) {
                const QString why = SaveFullScreenSetting(settingPath, on);
                if (!why.isEmpty()) {
                    qWarning("%s: the full-screen choice was not kept in %s: %s",
                             qUtf8Printable(QCoreApplication::applicationName()),
                             qUtf8Printable(settingPath), qUtf8Printable(why));
                }
            });
            return window;
        },
        scoreFolder));
    splash.ShowAndFocus();
    return QApplication::exec();
}
