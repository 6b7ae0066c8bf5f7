// A later start's request to the running copy: the line it sends, and what
// the running copy takes from whatever arrives on its socket.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QUuid>
#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include "MenuTestSupport.h"
#include "menu/RaiseMessenger.h"

namespace {

struct RequestCase {
    const char* line;
    std::optional<QString> token;  // nothing: not a request
};

TEST(HandOver, RequestLinesAreReadSafely) {
    const QString longToken(256, QLatin1Char('t'));
    const RequestCase cases[] = {
        {"raise\n", QString()},  // an earlier version's request: raised, no token
        {"raise abc_123-XYZ.:=\n", QStringLiteral("abc_123-XYZ.:=")},
        {"raise a b\n", QString()},      // a space inside: dropped, raise anyway
        {"raise \x01tok\n", QString()},  // control byte
        {"raise t\xc3\xa9\n", QString()},
        {"raise\n\n", std::nullopt},
        {"raise", std::nullopt},  // not a whole line
        {"raised\n", std::nullopt},
        {"lower tok\n", std::nullopt},
        {"", std::nullopt},
    };
    for (const RequestCase& c : cases) {
        EXPECT_EQ(menu::ParseRaiseRequest(QByteArray(c.line)), c.token) << c.line;
    }
    EXPECT_EQ(menu::ParseRaiseRequest(menu::RaiseRequest(longToken)), QString()) << "longer than any token";
    EXPECT_EQ(menu::ParseRaiseRequest(menu::RaiseRequest(longToken.left(255))), longToken.left(255));
}

// Runs ask on a thread of its own while this thread serves the listener.
bool AskWhileServing(const std::function<bool()>& ask) {
    bool answered = false;
    QThread* asker = QThread::create([&] { answered = ask(); });
    asker->start();
    QElapsedTimer waited;
    waited.start();
    while (!asker->isFinished() && waited.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    asker->wait();
    delete asker;
    return answered;
}

// A client of the socket that is not a later start: it sends bytes and stays.
int Stranger(const QString& path, const QByteArray& bytes) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    EXPECT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0)
        << path.toStdString();
    EXPECT_EQ(::send(fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL), ssize_t(bytes.size()));
    return fd;
}

TEST(HandOver, TheTokenCrossesTheSocketAndTheAskerHearsTheAnswer) {
    menu_test::EnsureApplication();
    const QString server = QStringLiteral("tilebash-test-") + QUuid::createUuid().toString(QUuid::Id128);
    const QString path = QDir::tempPath() + QLatin1Char('/') + server;
    EXPECT_FALSE(menu::AskToRaise(server, {})) << "nobody listens yet";
    // A socket file left by a killed copy is taken over.
    QFile leftover(path);
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.close();
    menu::RaiseListener listener;
    QStringList received;
    ASSERT_EQ(listener.Listen(server, [&received](const QString& token) { received << token; }), path);
    struct stat info = {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600u) << "only this user may ask";

    // Strangers neither stop nor delay a later start: one silent, one
    // sending a line longer than any request, which is dropped unanswered.
    const int silent = Stranger(path, "rai");
    const int endless = Stranger(path, QByteArray(300, 'x'));
    EXPECT_TRUE(AskWhileServing([&] {
        return menu::AskToRaise(server, QStringLiteral("launcher-token_1")) && menu::AskToRaise(server, {});
    }));
    EXPECT_EQ(received, QStringList({QStringLiteral("launcher-token_1"), QString()}));
    const timeval wait{5, 0};
    ::setsockopt(endless, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    char byte = 0;
    const ssize_t read = ::recv(endless, &byte, 1, 0);
    EXPECT_TRUE(read == 0 || (read < 0 && errno == ECONNRESET))
        << "the endless line's connection is closed";
    ::close(silent);
    ::close(endless);

    listener.Close();
    EXPECT_FALSE(QFile::exists(path)) << "closing removes the socket";
    EXPECT_FALSE(menu::AskToRaise(server, {}));
}

}  // namespace
