#include "menu/RaiseMessenger.h"

#include <QCryptographicHash>
#include <QFile>
#include <QLocalSocket>

namespace menu {
namespace {

constexpr char kRaiseRequest[] = "raise\n";
constexpr char kRaised[] = "ok\n";
constexpr int kAnswerMs = 3000;

}  // namespace

QString RaiseServerName(const QString& folder) {
    return "tilebash-" + QString::fromLatin1(
                             QCryptographicHash::hash(QFile::encodeName(folder), QCryptographicHash::Sha256)
                                 .toHex()
                                 .left(32));
}

bool AskToRaise(const QString& serverName) {
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(kAnswerMs)) return false;
    socket.write(kRaiseRequest);
    if (!socket.waitForBytesWritten(kAnswerMs)) return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(kAnswerMs)) return false;
    }
    return socket.readLine() == kRaised;
}

QString RaiseListener::Listen(const QString& serverName, std::function<void()> raise) {
    raise_ = std::move(raise);
    // The caller holds the table's lock, so no live copy owns this name: a
    // socket left by a killed copy is removed.
    QLocalServer::removeServer(serverName);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    server_.listen(serverName);
    QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            const auto answer = [this, socket] {
                if (!socket->canReadLine()) return;
                if (socket->readLine() == kRaiseRequest && raise_) raise_();
                socket->write(kRaised);
                socket->flush();
                socket->disconnectFromServer();
            };
            QObject::connect(socket, &QLocalSocket::readyRead, socket, answer);
            answer();  // the request may be here already
        }
    });
    return server_.isListening() ? server_.fullServerName() : QString();
}

}  // namespace menu
