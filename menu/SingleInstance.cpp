#include "menu/SingleInstance.h"

#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QMessageBox>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace menu {
namespace {

constexpr char kRaiseRequest[] = "raise\n";
constexpr char kRaised[] = "ok\n";
constexpr int kAnswerMs = 3000;
// A copy that has just taken the lock may not be listening yet.
constexpr int kHandOverMs = 5000;

// What a signal or exit() leaves behind is removed on the way out, so the
// folder holds only the table afterwards. Plain buffers: the signal handler
// may only unlink.
char gLockPath[4096];
char gSocketPath[4096];
volatile sig_atomic_t gHeld = 0;

void RemoveLeftovers() {
    if (gHeld == 0) return;
    gHeld = 0;
    ::unlink(gLockPath);
    if (gSocketPath[0] != '\0') ::unlink(gSocketPath);
}

extern "C" void OnTerminate(int signalNumber) {
    RemoveLeftovers();
    ::signal(signalNumber, SIG_DFL);
    ::raise(signalNumber);
}

void Copy(char (&target)[4096], const QString& text) {
    const QByteArray bytes = QFile::encodeName(text);
    const std::size_t n = std::min(static_cast<std::size_t>(bytes.size()), sizeof target - 1);
    std::memcpy(target, bytes.constData(), n);
    target[n] = '\0';
}

void CleanUpOnTermination(const QString& lockPath, const QString& socketPath) {
    Copy(gLockPath, lockPath);
    Copy(gSocketPath, socketPath);
    gHeld = 1;
    static bool installed = false;
    if (installed) return;
    installed = true;
    std::atexit(RemoveLeftovers);
    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        struct sigaction old {};
        ::sigaction(signalNumber, nullptr, &old);
        if (old.sa_handler != SIG_DFL) continue;  // ignored on purpose (nohup)
        struct sigaction action {};
        action.sa_handler = OnTerminate;
        ::sigemptyset(&action.sa_mask);
        ::sigaction(signalNumber, &action, nullptr);
    }
}

QString CanonicalFolder(const QString& folder) {
    const QString canonical = QDir(folder).canonicalPath();
    return canonical.isEmpty() ? QDir(folder).absolutePath() : canonical;
}

}  // namespace

SingleInstance::SingleInstance(const QString& tableFolder)
    : folder_(CanonicalFolder(tableFolder)),
      lockPath_(folder_ + "/" + kLockFileName),
      serverName_("tilebash-" + QString::fromLatin1(QCryptographicHash::hash(
                                       QFile::encodeName(folder_), QCryptographicHash::Sha256)
                                       .toHex()
                                       .left(32))),
      lock_(lockPath_) {
    // Only a lock whose copy is gone is stale: age alone never lets a second
    // copy in beside a long game.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    server_.close();
    lock_.unlock();
    gHeld = 0;
}

std::optional<int> SingleInstance::ClaimOrHandOver(std::function<void()> raise) {
    raise_ = std::move(raise);
    const QDeadlineTimer deadline(kHandOverMs);
    for (;;) {
        if (lock_.tryLock(0)) {
            Listen();
            return std::nullopt;
        }
        // A folder the lock cannot be made in cannot take the table either:
        // the game runs, and saving reports its failure as before.
        if (lock_.error() != QLockFile::LockFailedError) return std::nullopt;
        if (AskRunningCopyToRaise()) return 0;
        if (deadline.hasExpired()) break;
        QThread::msleep(100);
    }
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Tilebash"),
                    QStringLiteral("Tilebash is already running with the high scores in %1, but it does "
                                   "not answer.\n\nIf no copy of Tilebash is running, delete %2 and start "
                                   "again.")
                        .arg(QDir::toNativeSeparators(folder_), QDir::toNativeSeparators(lockPath_)),
                    QMessageBox::Ok);
    box.exec();
    return 1;
}

bool SingleInstance::AskRunningCopyToRaise() const {
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(kAnswerMs)) return false;
    socket.write(kRaiseRequest);
    if (!socket.waitForBytesWritten(kAnswerMs)) return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(kAnswerMs)) return false;
    }
    return socket.readLine() == kRaised;
}

void SingleInstance::Listen() {
    // Holding the lock, no live copy owns this name: a socket left by a
    // killed copy is removed.
    QLocalServer::removeServer(serverName_);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    server_.listen(serverName_);
    CleanUpOnTermination(lockPath_, server_.isListening() ? server_.fullServerName() : QString());
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
}

void RaiseCurrentWindow() {
    QWidget* const modal = QApplication::activeModalWidget();
    const auto bringUp = [](QWidget* window) {
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        window->raise();
        window->activateWindow();
    };
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window != modal) bringUp(window);
    }
    if (modal != nullptr) bringUp(modal);
}

}  // namespace menu
