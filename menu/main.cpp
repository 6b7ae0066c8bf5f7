// Tilebash: the program starts on the start window and ends with its close-down.

#include <QApplication>
#include <QFont>
#include <memory>

#include "menu/FrmMainPlayWindow.h"
#include "menu/frmSplash.h"
#include "platform/qt/ProgramFolder.h"
#include "windows/Resources.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    InitWindowsResources();
    // The close-down ends the program, not the last window going away (the
    // start window hides while a game runs).
    QApplication::setQuitOnLastWindowClosed(false);
    // The windows' font: a sans-serif of MS Sans Serif's pixel sizes.
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    QApplication::setFont(font);

    const std::string folder = ProgramFolder();
    frmSplash splash(frmSplash::DefaultServices(
        folder, [folder] { return std::make_unique<menu::FrmMainPlayWindow>(folder); }));
    splash.ShowAndFocus();
    return QApplication::exec();
}
