#pragma once
// At most one running copy per high-score table. Two copies on one table each
// save the table they loaded, so the later save drops the other's names. The
// first copy locks the table's folder and listens on a local socket named
// after that folder; a later start on the same folder asks it to bring its
// window to the front and ends. Copies on different folders do not meet.

#include <QLocalServer>
#include <QLockFile>
#include <QString>
#include <functional>
#include <optional>

namespace menu {

// The lock file's name in the table's folder.
inline constexpr char kLockFileName[] = "tilebash.lock";

class SingleInstance {
public:
    explicit SingleInstance(const QString& tableFolder);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Empty when this copy holds the table and should run on; raise is then
    // called whenever a later start asks. Otherwise the status to end with:
    // 0 once the running copy has raised its window, 1 (after a message) when
    // the lock is held but nobody answers.
    std::optional<int> ClaimOrHandOver(std::function<void()> raise);

    QString LockPath() const { return lockPath_; }
    QString ServerName() const { return serverName_; }

private:
    bool AskRunningCopyToRaise() const;
    void Listen();

    QString folder_;
    QString lockPath_;
    QString serverName_;
    QLockFile lock_;
    QLocalServer server_;
    std::function<void()> raise_;
};

// Brings the program's visible window, and a message box open over it, to
// the front and gives it the focus.
void RaiseCurrentWindow();

}  // namespace menu
