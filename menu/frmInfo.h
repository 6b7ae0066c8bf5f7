#pragma once
// The information window: the instructions picture and Back to Main. A label
// over the picture reads the instructions to screen readers.

#include <QPixmap>
#include <QWidget>
#include <memory>

namespace Ui {
class frmInfo;
}

class frmInfo : public QWidget {
    Q_OBJECT
public:
    // Loads the window (Form_Load); startWindow is where Back to Main returns.
    explicit frmInfo(QWidget& startWindow);
    ~frmInfo() override;

    // The controls, cmdMainMenu and lblInstructions, are the form's (ui_).

    void cmdMainMenu_Click();
    // Close-down: closes the window for good (a close request otherwise only
    // goes back to the start window).
    void Unload();

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();

    std::unique_ptr<Ui::frmInfo> ui_;
    QWidget& startWindow_;
    QPixmap background_;
    bool unloading_ = false;
};
