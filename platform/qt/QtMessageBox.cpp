#include "platform/qt/QtMessageBox.h"

#include <QApplication>

namespace platform::qt {

namespace {
QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
}  // namespace

void ShowMessageBox(const QString& text, const QString& title, QMessageBox::Icon icon) {
    QMessageBox box(QApplication::activeWindow());
    box.setIcon(icon);
    box.setWindowTitle(title);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setStandardButtons(QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void QtMessageBox::MsgBox(std::string_view text, std::string_view title) {
    ShowMessageBox(FromUtf8(text), FromUtf8(title), QMessageBox::NoIcon);
}

}  // namespace platform::qt
