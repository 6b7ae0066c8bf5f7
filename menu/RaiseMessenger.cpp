#include "menu/RaiseMessenger.h"

#include "menu/Descriptor.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <utility>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace menu {
namespace {

constexpr char kRaiseRequest[] = "raise";
constexpr char kRaised[] = "ok\n";
constexpr int kAnswerMs = 3000;
constexpr int kRetryAcceptMs = 100;
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

bool SetPath(sockaddr_un& address, const QByteArray& path) {
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || path.size() >= qsizetype(sizeof address.sun_path)) return false;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    return true;
}

// One asker: its line read as it arrives, answered once whole, then closed.
// A line longer than any request never ends: not ours, dropped. So is a
// connection whose line has not come within the time an asker waits, so
// that silent clients cannot use up the descriptors.
class RaiseConnection : public QObject {
public:
    RaiseConnection(int fd, std::function<void(const QString&)> raise, QObject* parent)
        : QObject(parent), socket_(fd), raise_(std::move(raise)) {
        auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        const auto done = [this, notifier] {
            notifier->setEnabled(false);
            deleteLater();
        };
        QObject::connect(notifier, &QSocketNotifier::activated, this, [this, done] {
            if (!Read()) done();
        });
        QTimer::singleShot(kAnswerMs, this, done);
    }

private:
    // False once the connection is done with.
    bool Read() {
        char chunk[kMaxLineBytes + 1];
        const ssize_t n = ::recv(socket_.Get(), chunk, sizeof chunk, 0);
        if (n < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
        if (n == 0) return false;  // gone before its line ended
        line_.append(chunk, n);
        const qsizetype end = line_.indexOf('\n');
        if (end < 0) return line_.size() <= kMaxLineBytes;
        const std::optional<QString> token = ParseRaiseRequest(line_.left(end + 1));
        if (token && raise_) raise_(*token);
        // Three bytes into an empty socket buffer: never short.
        (void)::send(socket_.Get(), kRaised, sizeof kRaised - 1, MSG_NOSIGNAL);
        return false;
    }

    Descriptor socket_;
    const std::function<void(const QString&)> raise_;
    QByteArray line_;
};

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

QString RaiseSocketPath(const QString& serverName) {
    return QDir::cleanPath(QDir::tempPath() + QLatin1Char('/') + serverName);
}

bool AskToRaise(const QString& serverName, const QString& token) {
    sockaddr_un address{};
    if (!SetPath(address, QFile::encodeName(RaiseSocketPath(serverName)))) return false;
    const Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    // Each call waits at most kAnswerMs: connecting (the listener's queue
    // full), sending and each read of the answer.
    const timeval wait{kAnswerMs / 1000, 0};
    if (socket.Get() < 0 || ::setsockopt(socket.Get(), SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait) != 0 ||
        ::setsockopt(socket.Get(), SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait) != 0)
        return false;
    int done = 0;
    do {
        done = ::connect(socket.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (done != 0 && errno == EINTR);
    if (done != 0) return false;
    // Anyone may have put a socket at this path first: only a copy run by this
    // user is given the launcher's token, or believed when it answers.
    ucred peer{};
    socklen_t length = sizeof peer;
    if (::getsockopt(socket.Get(), SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || peer.uid != ::geteuid())
        return false;
    const QByteArray request = RaiseRequest(token);
    for (qsizetype sent = 0; sent < request.size();) {
        const ssize_t n =
            ::send(socket.Get(), request.constData() + sent, size_t(request.size() - sent), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += n;
    }
    QByteArray answer;
    while (!answer.endsWith('\n') && answer.size() <= qsizetype(sizeof kRaised)) {
        char chunk[sizeof kRaised];
        const ssize_t n = ::recv(socket.Get(), chunk, sizeof chunk, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        answer.append(chunk, n);
    }
    return answer == kRaised;
}

QString RaiseListener::Listen(const QString& serverName, std::function<void(const QString&)> raise) {
    Close();
    raise_ = std::move(raise);
    const QString path = RaiseSocketPath(serverName);
    sockaddr_un address{};
    // Bound in a folder of this user's own and made the user's alone before it
    // takes its name, so nobody else can connect in between.
    QTemporaryDir folder(path + QStringLiteral("-XXXXXX"));
    if (!folder.isValid() || !SetPath(address, QFile::encodeName(folder.filePath(QStringLiteral("s")))))
        return {};
    const QByteArray target = QFile::encodeName(path);
    if (target.size() >= qsizetype(sizeof address.sun_path)) return {};
    Descriptor listening(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    // The caller holds the table's lock, so no live copy owns this name: a
    // socket left by a killed copy is replaced.
    if (listening.Get() < 0 ||
        ::bind(listening.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(address.sun_path, S_IRUSR | S_IWUSR) != 0 || ::listen(listening.Get(), SOMAXCONN) != 0 ||
        ::rename(address.sun_path, target.constData()) != 0)
        return {};
    fd_ = listening.Release();
    path_ = target;
    accepting_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    QObject::connect(accepting_, &QSocketNotifier::activated, this, [this] { Accept(); });
    return path;
}

void RaiseListener::Accept() {
    for (;;) {
        const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                // Out of descriptors or memory: the waiting asker stays
                // queued, and is tried again shortly rather than at once.
                accepting_->setEnabled(false);
                QTimer::singleShot(kRetryAcceptMs, accepting_,
                                   [notifier = accepting_] { notifier->setEnabled(true); });
            }
            return;
        }
        new RaiseConnection(fd, raise_, this);
    }
}

void RaiseListener::Close() {
    // The connections and the notifier are children; an asker mid-request
    // hears no answer and gives up.
    qDeleteAll(findChildren<QObject*>(Qt::FindDirectChildrenOnly));
    accepting_ = nullptr;
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
    if (!path_.isEmpty()) ::unlink(std::exchange(path_, QByteArray()).constData());
}

}  // namespace menu
