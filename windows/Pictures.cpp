#include "windows/Pictures.h"

#include <QFile>
#include <QPainter>

#include "windows/Resources.h"

namespace windows {
namespace {

// The plain stand-in: blue frame, light play area, dark side with three light
// status panels, at the places the pictures use.
QImage PlainPlayFieldPicture() {
    QImage picture(640, 420, QImage::Format_RGB32);
    picture.fill(qRgb(16, 32, 120));                                // the blue frame and side
    QPainter painter(&picture);
    painter.fillRect(10, 10, 520, 400, QColor(200, 200, 200));      // play area, x 10-529, y 10-409
    const int panelTops[] = {76, 137, 176};
    const int panelBottoms[] = {132, 171, 211};
    for (int i = 0; i < 3; ++i) {
        painter.fillRect(537, panelTops[i], 97, panelBottoms[i] - panelTops[i] + 1, QColor(210, 210, 210));
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
