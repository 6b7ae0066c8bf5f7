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
#include <vector>

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
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

void ServeFor(int ms) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}

// Whether the listener closes fd's connection within ms while this thread serves it.
bool ClosedWhileServing(int fd, int ms) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        char byte = 0;
        const ssize_t read = ::recv(fd, &byte, 1, MSG_DONTWAIT);
        if (read == 0 || (read < 0 && errno == ECONNRESET)) return true;
        QThread::msleep(10);
    }
    return false;
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
    EXPECT_TRUE(ClosedWhileServing(endless, 1000)) << "the endless line's connection is closed";
    char byte = 0;
    EXPECT_EQ(::recv(silent, &byte, 1, MSG_DONTWAIT), -1) << "a silent asker is given time";
    EXPECT_TRUE(ClosedWhileServing(silent, 6000)) << "but not for ever";
    ::close(silent);
    ::close(endless);

    listener.Close();
    EXPECT_FALSE(QFile::exists(path)) << "closing removes the socket";
    EXPECT_FALSE(menu::AskToRaise(server, {}));
}

TEST(HandOver, ASocketOfAnotherUserIsNeitherToldTheTokenNorBelieved) {
    if (::geteuid() != 0) GTEST_SKIP() << "making another user's socket needs root";
    const QString server = QStringLiteral("tilebash-test-") + QUuid::createUuid().toString(QUuid::Id128);
    const QByteArray path = QFile::encodeName(QDir::tempPath() + QLatin1Char('/') + server);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(size_t(path.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    // nobody's listener: it answers "ok" to whatever comes, and its status says whether a line came.
    const pid_t child = ::fork();
    if (child == 0) {
        const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0 ||
            ::bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(s, 1) != 0)
            ::_exit(2);
        (void)!::write(ready[1], "r", 1);
        const int c = ::accept(s, nullptr, nullptr);
        char line[64];
        const ssize_t n = ::recv(c, line, sizeof line, 0);
        (void)!::send(c, "ok\n", 3, MSG_NOSIGNAL);
        ::_exit(n > 0 ? 1 : 0);
    }
    ::close(ready[1]);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1) << "the other user's listener did not start";
    ::close(ready[0]);
    EXPECT_FALSE(menu::AskToRaise(server, QStringLiteral("launcher-token_1")));
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::unlink(path.constData());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the token went to another user";
}

TEST(HandOver, AnAskerWaitsWhileTheListenerHasNoDescriptorLeft) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizers' own checks need descriptors, and this takes them all";
#endif
    menu_test::EnsureApplication();
    const QString server = QStringLiteral("tilebash-test-") + QUuid::createUuid().toString(QUuid::Id128);
    menu::RaiseListener listener;
    int raised = 0;
    const QString path = listener.Listen(server, [&raised](const QString&) { ++raised; });
    ASSERT_FALSE(path.isEmpty());
    const int asker = Stranger(path, menu::RaiseRequest({}));
    rlimit usual{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &usual), 0);
    rlimit tight = usual;
    tight.rlim_cur = rlim_t(asker) + 1;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    std::vector<int> taken;  // every descriptor below the limit
    for (int fd = ::dup(asker); fd >= 0; fd = ::dup(asker)) taken.push_back(fd);
    ServeFor(300);
    for (const int fd : taken) ::close(fd);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &usual), 0);
    EXPECT_EQ(raised, 0);
    // Listening goes on: the asker is answered once a descriptor is free.
    QElapsedTimer waited;
    waited.start();
    while (raised == 0 && waited.elapsed() < 5000) ServeFor(20);
    EXPECT_EQ(raised, 1);
    char answer[4] = {};
    EXPECT_EQ(::recv(asker, answer, sizeof answer, MSG_DONTWAIT), 3);
    EXPECT_STREQ(answer, "ok\n");
    ::close(asker);
}

}  // namespace
