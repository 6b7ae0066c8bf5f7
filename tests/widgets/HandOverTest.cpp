// A later start's request to the running copy: the line it sends, and what
// the running copy takes from whatever arrives on its socket.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QUuid>
#include <optional>

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

TEST(HandOver, TheTokenCrossesTheSocketAndTheAskerHearsTheAnswer) {
    menu_test::EnsureApplication();
    const QString server = QStringLiteral("tilebash-test-") + QUuid::createUuid().toString(QUuid::Id128);
    menu::RaiseListener listener;
    QStringList received;
    ASSERT_FALSE(
        listener.Listen(server, [&received](const QString& token) { received << token; }).isEmpty());

    bool answered = false;
    QThread* asker = QThread::create([&] {
        answered =
            menu::AskToRaise(server, QStringLiteral("launcher-token_1")) && menu::AskToRaise(server, {});
    });
    asker->start();
    QElapsedTimer waited;
    waited.start();
    while (!asker->isFinished() && waited.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    asker->wait();
    delete asker;
    EXPECT_TRUE(answered);
    EXPECT_EQ(received, QStringList({QStringLiteral("launcher-token_1"), QString()}));
}

}  // namespace
