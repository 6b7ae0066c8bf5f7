#pragma once
// Where the picture tests find their pictures: the committed files in the
// source tree, and the copies built into the program as resources.

#include <QImage>
#include <QString>

namespace widget_test {

inline QString SourcePath(const QString& relative) {
    return QStringLiteral(TILEBASH_SOURCE_DIR "/") + relative;
}

// A built-in picture (windows/Resources.h) by its file name, as 32-bit RGB.
inline QImage BuiltInPicture(const char* name) {
    return QImage(QStringLiteral(":/pictures/") + name).convertToFormat(QImage::Format_RGB32);
}

}  // namespace widget_test
