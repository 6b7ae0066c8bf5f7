#pragma once
// What the start-window tests share: one QApplication, a stand-in for the
// play-field window, and a start window whose message boxes and quitting
// are recorded instead of blocking or ending the test program.

#include <gtest/gtest.h>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../menu/TempFolder.h"
#include "menu/frmSplash.h"
#include "windows/WindowLook.h"

namespace menu_test {

// A window's controls, found by the objectNames their forms give them.
template <typename Control = QPushButton>
Control* Find(const QWidget& window, const QString& name) {
    Control* control = window.findChild<Control*>(name);
    EXPECT_NE(control, nullptr) << name.toStdString();
    return control;
}
inline QPushButton* Button(const QWidget& window, const char* name) {
    return Find(window, QString::fromLatin1(name));
}
// The start window's rows: lblNumber_0..4, txtHighScoreName_0..4, txtHighScore_0..4.
inline QLabel* NumberLabel(const QWidget& splash, int row) {
    return Find<QLabel>(splash, QStringLiteral("lblNumber_%1").arg(row));
}
inline QLineEdit* NameBox(const QWidget& splash, int row) {
    return Find<QLineEdit>(splash, QStringLiteral("txtHighScoreName_%1").arg(row));
}
inline QLineEdit* ScoreBox(const QWidget& splash, int row) {
    return Find<QLineEdit>(splash, QStringLiteral("txtHighScore_%1").arg(row));
}
inline std::array<QLineEdit*, 5> NameBoxes(const QWidget& splash) {
    return {NameBox(splash, 0), NameBox(splash, 1), NameBox(splash, 2), NameBox(splash, 3),
            NameBox(splash, 4)};
}
inline std::array<QLineEdit*, 5> ScoreBoxes(const QWidget& splash) {
    return {ScoreBox(splash, 0), ScoreBox(splash, 1), ScoreBox(splash, 2), ScoreBox(splash, 3),
            ScoreBox(splash, 4)};
}

inline void EnsureApplication() {
    if (QApplication::instance() == nullptr) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        static int argc = 1;
        static char name[] = "widget_tests";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
        windows::UseWindowFont();  // as main() does
    }
}

// What the stand-in play window saw, kept apart so it outlives the window.
struct PlayLog {
    int created = 0;
    int destroyed = 0;
    int shown = 0;
    int games = 0;
    int hidden = 0;
    int unloaded = 0;
    bool destroyedDuringMain = false;
};

class FakePlayWindow final : public menu::PlayWindow {
public:
    FakePlayWindow(PlayLog& log, std::deque<int32_t>& scores, std::function<void()>& duringGame,
                   std::string& loadError)
        : log_(log), scores_(scores), duringGame_(duringGame), loadError_(loadError) {
        ++log_.created;
    }
    ~FakePlayWindow() override {
        ++log_.destroyed;
        if (inMain_) {
            log_.destroyedDuringMain = true;
        }
    }
    bool ShowAndFocus(std::string& error) override {
        ++log_.shown;
        error = loadError_;
        return loadError_.empty();
    }
    int32_t Main() override {
        ++log_.games;
        inMain_ = true;
        if (duringGame_) {
            duringGame_();
        }
        inMain_ = false;
        const int32_t score = scores_.empty() ? 0 : scores_.front();
        if (!scores_.empty()) {
            scores_.pop_front();
        }
        return score;
    }
    void Hide() override { ++log_.hidden; }
    void Unload() override { ++log_.unloaded; }

private:
    PlayLog& log_;
    std::deque<int32_t>& scores_;
    std::function<void()>& duringGame_;
    std::string& loadError_;
    bool inMain_ = false;
};

struct Box {
    QString text;
    QString title;
};

// A start window over a fresh program folder, with everything recorded.
class MenuFixture {
public:
    explicit MenuFixture(const std::string& fileBytes = "", bool writeFile = false) {
        EnsureApplication();
        if (writeFile) {
            WriteBytes(HighScorePath(), fileBytes);
        }
    }

    std::string Folder() const { return folder.Path(); }
    std::string HighScorePath() const { return folder.File("highscore.txt"); }

    // Creates the window (Form_Load runs), programFolder defaulting to the temp folder.
    frmSplash& Create(const std::string& programFolder = "") {
        frmSplash::Collaborators services;
        services.programFolder = programFolder.empty() ? Folder() : programFolder;
        services.createPlayWindow = [this] {
            return std::make_unique<FakePlayWindow>(play, scores, duringGame, loadError);
        };
        services.prompt = [this](const QString& text, const QString& title) {
            prompts.push_back({text, title});
            if (onPrompt) {
                onPrompt();
            }
        };
        services.error = [this](const QString& text, const QString& title) {
            errors.push_back({text, title});
        };
        services.quit = [this](int code) { quits.push_back(code); };
        window = std::make_unique<frmSplash>(std::move(services));
        return *window;
    }

    // Shows the window and waits until it is active, so focus can be checked.
    frmSplash& CreateShown(const std::string& programFolder = "") {
        Create(programFolder);
        window->ShowAndFocus();
        (void)QTest::qWaitForWindowActive(window.get());
        return *window;
    }

    // Runs one game through Start that ends with the score.
    void PlayGame(int32_t score) {
        scores.push_back(score);
        window->cmdStart_Click();
    }

    QStringList Names() const {
        QStringList names;
        for (const QLineEdit* box : NameBoxes(*window)) {
            names << box->text();
        }
        return names;
    }
    QStringList Scores() const {
        QStringList texts;
        for (const QLineEdit* box : ScoreBoxes(*window)) {
            texts << box->text();
        }
        return texts;
    }
    bool ButtonsEnabled() const {
        return Button(*window, "cmdStart")->isEnabled() && Button(*window, "cmdExit")->isEnabled() &&
               Button(*window, "cmdInfo")->isEnabled();
    }
    bool ButtonsDisabled() const {
        return !Button(*window, "cmdStart")->isEnabled() && !Button(*window, "cmdExit")->isEnabled() &&
               !Button(*window, "cmdInfo")->isEnabled();
    }

    TempFolder folder;
    PlayLog play;
    std::deque<int32_t> scores;
    std::function<void()> duringGame;
    std::string loadError;
    std::function<void()> onPrompt;
    std::vector<Box> prompts;
    std::vector<Box> errors;
    std::vector<int> quits;
    std::unique_ptr<frmSplash> window;
};

}  // namespace menu_test
