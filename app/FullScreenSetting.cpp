#include "app/FullScreenSetting.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

namespace {

const QString kGroup = QStringLiteral("window");
const QString kKey = QStringLiteral("fullScreen");
const QString kOn = QStringLiteral("true");
const QString kOff = QStringLiteral("false");
// The file is a few dozen bytes; QSettings reads a file whole, so anything
// much larger is not ours and is not read.
constexpr qint64 kMaxSettingBytes = 64 * 1024;

}  // namespace

QString FullScreenSettingPath() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    if (folder.isEmpty()) return {};
    return folder + u'/' + QCoreApplication::applicationName() + QStringLiteral(".conf");
}

bool ReadFullScreenSetting(const QString& path) {
    const QFileInfo file(path);
    // A folder, a pipe or a device in its place is never opened: a pipe would
    // keep the start waiting for a writer.
    if (!file.isFile() || file.size() > kMaxSettingBytes) return false;
    const QSettings settings(path, QSettings::IniFormat);
    const QVariant value = settings.value(kGroup + u'/' + kKey);
    // A file QSettings finds damaged is not trusted, even where it says true.
    return settings.status() == QSettings::NoError && value.toString() == kOn;
}

QString SaveFullScreenSetting(const QString& path, bool on) {
    if (path.isEmpty()) return QStringLiteral("no configuration folder is known");
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) return QStringLiteral("cannot make the folder %1").arg(folder);
    // The file has this one value, so it is written whole rather than merged
    // into what a damaged file may hold; QSaveFile writes it beside the file,
    // flushes it to disk and renames it over the file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return file.errorString();
    file.write(QStringLiteral("[%1]\n%2=%3\n").arg(kGroup, kKey, on ? kOn : kOff).toUtf8());
    if (!file.commit()) return file.errorString();
    return {};
}
