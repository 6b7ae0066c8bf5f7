#include "windows/Pictures.h"

#include <QFile>
#include <QPainter>

#include "game/Constants.h"
#include "windows/Resources.h"

namespace windows {
namespace {

// The plain stand-in: blue frame, light play area, dark side with the three
// light status panels, at the places game/Constants.h gives the picture.
QImage PlainPlayFieldPicture() {
    QImage picture(640, 420, QImage::Format_RGB32);
    picture.fill(qRgb(16, 32, 120));  // the blue frame and side
    QPainter painter(&picture);
    painter.fillRect(
        QRect(QPoint(game::kLeftWall, game::kCeiling), QPoint(game::kRightWall - 1, game::kFloor - 1)),
        QColor(200, 200, 200));  // the play area
    for (const game::PanelBox& box : game::kStatusPanels) {
        painter.fillRect(QRect(QPoint(box.left, box.top), QPoint(box.right, box.bottom)),
                         QColor(210, 210, 210));
    }
    return picture;
}

}  // namespace

QImage PlayFieldPicture() {
    InitWindowsResources();
    const QString path = QStringLiteral(":/pictures/playfield.png");
    if (QFile::exists(path)) {
        QImage picture(path);
        if (!picture.isNull()) return picture;
    }
    return PlainPlayFieldPicture();
}

QIcon ProgramIcon() {
    InitWindowsResources();
    QIcon icon;
    for (const char* name : {":/pictures/icon32.png", ":/pictures/icon24.png", ":/pictures/icon16.png"}) {
        const QString path = QString::fromLatin1(name);
        if (QFile::exists(path)) icon.addFile(path);
    }
    return icon;
}

}  // namespace windows
