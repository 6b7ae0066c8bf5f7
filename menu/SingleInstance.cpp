#include "menu/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QThread>

#include "menu/TerminationCleanup.h"
#include "platform/qt/QtMessageBox.h"
#include "windows/WindowLook.h"

namespace menu {
namespace {

// A copy that has just taken the lock may not be listening yet.
constexpr int kHandOverMs = 5000;

QString CanonicalFolder(const QString& folder) {
    const QString canonical = QDir(folder).canonicalPath();
    return canonical.isEmpty() ? QDir(folder).absolutePath() : canonical;
}

}  // namespace

SingleInstance::SingleInstance(const QString& tableFolder)
    : folder_(CanonicalFolder(tableFolder)),
      lockPath_(folder_ + "/" + kLockFileName),
      serverName_(RaiseServerName(folder_)),
      lock_(lockPath_) {
    // Only a lock whose copy is gone is stale: age alone never lets a second
    // copy in beside a long game.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    // First, so a signal from here on cannot remove the lock and socket of a
    // copy that took over once the lock was free.
    KeepOnTermination();
    listener_.Close();
    lock_.unlock();
}

std::optional<int> SingleInstance::ClaimOrHandOver(std::function<void(const QString&)> raise,
                                                   const QString& activationToken) {
    const QDeadlineTimer deadline(kHandOverMs);
    for (;;) {
        if (lock_.tryLock(0)) {
            RemoveOnTermination(lockPath_, listener_.Listen(serverName_, std::move(raise)));
            return std::nullopt;
        }
        // A folder the lock cannot be made in cannot take the table either:
        // the game runs, and saving reports its failure as before.
        if (lock_.error() != QLockFile::LockFailedError) return std::nullopt;
        if (AskToRaise(serverName_, activationToken)) return 0;
        if (deadline.hasExpired()) break;
        QThread::msleep(100);
    }
    // The program's one message box, so a folder's name is shown as plain text.
    platform::qt::ShowMessageBox(
        QStringLiteral("%1 is already running with the high scores in %2, but it does "
                       "not answer.\n\nIf no copy of %1 is running, delete %3 and start "
                       "again.")
            .arg(QLatin1String(windows::kProgramName), QDir::toNativeSeparators(folder_),
                 QDir::toNativeSeparators(lockPath_)),
        QLatin1String(windows::kProgramName), QMessageBox::Warning);
    return 1;
}

}  // namespace menu
