#include "platform/qt/QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace platform::qt {

namespace {
QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
}  // namespace

void QtMessageBox::MsgBox(std::string_view text, std::string_view title) {
    QMessageBox box(QApplication::activeWindow());
    box.setIcon(QMessageBox::NoIcon);
    box.setWindowTitle(FromUtf8(title));
    box.setTextFormat(Qt::PlainText);
    box.setText(FromUtf8(text));
    box.setStandardButtons(QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

}  // namespace platform::qt
