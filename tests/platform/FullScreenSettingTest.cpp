// The full-screen choice kept across runs: what reads as full screen (only the
// file as written), and a save in the user's configuration folder that
// replaces the file whole.

#include "app/FullScreenSetting.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <string>

namespace {

const QByteArray kFullScreenBytes = "[window]\nfullScreen=true\n";
const QByteArray kWindowBytes = "[window]\nfullScreen=false\n";
constexpr char kGarbageBytes[] = "\xff\xfe\0[window\n=\x01true\n\x80[window]\nfull";

void WriteSettingFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray SettingFileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

// Reads in a child that cannot wait for ever (a pipe in the file's place) and,
// under root, which reads any file, has given root up: 1 for full screen, 0
// for a window, anything else when the read hung or failed.
int ReadInChild(const QString& path) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(5);
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
        ::_exit(ReadFullScreenSetting(path) ? 1 : 0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(FullScreenSetting, OnlyTheFileAsWrittenMeansFullScreen) {
    const struct {
        const char* what;
        QByteArray bytes;
        bool fullScreen;
    } cases[] = {
        {"as written", kFullScreenBytes, true},
        {"as written, off", kWindowBytes, false},
        {"empty", "", false},
        {"outside its group", "fullScreen=true\n", false},
        {"not a yes or no", "[window]\nfullScreen=yes please\n", false},
        {"a number", "[window]\nfullScreen=1\n", false},
        {"a list", "[window]\nfullScreen=true, true\n", false},
        {"garbage", QByteArray(kGarbageBytes, sizeof kGarbageBytes - 1), false},
        {"damaged after it", kFullScreenBytes + "\xff\xfe[x\n=\x01", false},
        {"too large to be ours", kFullScreenBytes + QByteArray(70000, ';'), false},
    };
    QTemporaryDir dir;
    int n = 0;
    for (const auto& c : cases) {
        const QString path = dir.filePath(QString::number(n++));  // QSettings caches by name
        WriteSettingFile(path, c.bytes);
        EXPECT_EQ(ReadFullScreenSetting(path), c.fullScreen) << c.what;
    }
    EXPECT_FALSE(ReadFullScreenSetting(dir.filePath(QStringLiteral("missing"))));
    EXPECT_FALSE(ReadFullScreenSetting(QString()));
}

TEST(FullScreenSetting, SomethingElseInItsPlaceMeansAWindowAndIsNotReplaced) {
    QTemporaryDir dir;
    ::chmod(dir.path().toLocal8Bit().constData(), 0755);  // for the child that is not root
    const QString folder = dir.filePath(QStringLiteral("a folder"));
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_EQ(ReadInChild(folder), 0);
    EXPECT_FALSE(SaveFullScreenSetting(folder, true).isEmpty());
    EXPECT_TRUE(QFileInfo(folder).isDir());
    const QString pipe = dir.filePath(QStringLiteral("a pipe"));
    ASSERT_EQ(::mkfifo(pipe.toLocal8Bit().constData(), 0644), 0);
    EXPECT_EQ(ReadInChild(pipe), 0);
    const QString readable = dir.filePath(QStringLiteral("readable"));
    WriteSettingFile(readable, kFullScreenBytes);
    EXPECT_EQ(ReadInChild(readable), 1) << "the child reads what it may read";
    const QString unreadable = dir.filePath(QStringLiteral("unreadable"));
    WriteSettingFile(unreadable, kFullScreenBytes);
    ASSERT_EQ(::chmod(unreadable.toLocal8Bit().constData(), 0), 0);
    EXPECT_EQ(ReadInChild(unreadable), 0);
    const QString underAFile = dir.filePath(QStringLiteral("unreadable/tilebash.conf"));
    EXPECT_FALSE(SaveFullScreenSetting(underAFile, true).isEmpty()) << "its folder cannot be made";
}

TEST(FullScreenSetting, ASaveInTheUsersConfigurationFolderReplacesTheFileWhole) {
    QTemporaryDir home;
    const QByteArray before = qgetenv("XDG_CONFIG_HOME");
    const QString name = QCoreApplication::applicationName();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
    QCoreApplication::setApplicationName(QStringLiteral("tilebash"));
    const QString path = FullScreenSettingPath();
    QCoreApplication::setApplicationName(name);
    before.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", before);
    ASSERT_EQ(path, home.path() + QStringLiteral("/tilebash/tilebash.conf"));
    EXPECT_EQ(SaveFullScreenSetting(path, true), QString()) << "its folder is made";
    EXPECT_EQ(SettingFileBytes(path), kFullScreenBytes);
    EXPECT_TRUE(ReadFullScreenSetting(path));
    WriteSettingFile(path, "[window]\nfullScreen=banana\n[other]\nkey=x\n\xff");  // damaged: not merged
    EXPECT_EQ(SaveFullScreenSetting(path, false), QString());
    EXPECT_EQ(SettingFileBytes(path), kWindowBytes);
    EXPECT_EQ(QDir(home.filePath(QStringLiteral("tilebash")))
                  .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("tilebash.conf")})
        << "nothing left beside it";
}

}  // namespace
