#include "menu/RaiseMessenger.h"

#include <QCryptographicHash>
#include <QFile>
#include <QLocalSocket>

namespace menu {
namespace {

constexpr char kRaiseRequest[] = "raise";
constexpr char kRaised[] = "ok\n";
constexpr int kAnswerMs = 3000;
// Compositors' tokens are a few dozen characters; a longer line is not ours.
constexpr qsizetype kMaxTokenBytes = 255;
constexpr qsizetype kMaxLineBytes = kMaxTokenBytes + 8;

bool IsPlainToken(const QByteArray& token) {
    if (token.size() > kMaxTokenBytes) return false;
    for (const char c : token) {
        if (c < '!' || c > '~') return false;
    }
    return true;
}

}  // namespace

QString RaiseServerName(const QString& folder) {
    return "tilebash-" + QString::fromLatin1(
                             QCryptographicHash::hash(QFile::encodeName(folder), QCryptographicHash::Sha256)
                                 .toHex()
                                 .left(32));
}

QByteArray RaiseRequest(const QString& token) {
    QByteArray line(kRaiseRequest);
    if (!token.isEmpty()) line += ' ' + token.toLatin1();
    return line + '\n';
}

std::optional<QString> ParseRaiseRequest(const QByteArray& line) {
    if (!line.endsWith('\n')) return std::nullopt;
    const QByteArray body = line.chopped(1);
    if (body == kRaiseRequest) return QString();
    if (!body.startsWith(QByteArray(kRaiseRequest) + ' ')) return std::nullopt;
    const QByteArray token = body.mid(qsizetype(sizeof kRaiseRequest));  // past "raise "
    return IsPlainToken(token) ? QString::fromLatin1(token) : QString();
}

bool AskToRaise(const QString& serverName, const QString& token) {
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(kAnswerMs)) return false;
    socket.write(RaiseRequest(token));
    if (!socket.waitForBytesWritten(kAnswerMs)) return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(kAnswerMs)) return false;
    }
    return socket.readLine() == kRaised;
}

QString RaiseListener::Listen(const QString& serverName, std::function<void(const QString&)> raise) {
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
                if (!socket->canReadLine()) {
                    // A line longer than any request never ends: not ours.
                    if (socket->bytesAvailable() > kMaxLineBytes) socket->abort();
                    return;
                }
                const std::optional<QString> token = ParseRaiseRequest(socket->readLine(kMaxLineBytes + 1));
                if (token && raise_) raise_(*token);
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
