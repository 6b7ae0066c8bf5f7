#pragma once
// At most one running copy per high-score table. Two copies on one table each
// save the table they loaded, so the later save drops the other's names. The
// first copy locks the table's folder and listens for a raise request
// (menu/RaiseMessenger.h); a later start on the same folder asks it to bring
// its window to the front and ends. Copies on different folders do not meet.
// The lock and the socket are removed even when a signal ends the program
// (menu/TerminationCleanup.h).

#include <QLockFile>
#include <QString>
#include <functional>
#include <optional>

#include "menu/RaiseMessenger.h"

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
    // called, with the later start's activation token, whenever a later start
    // asks. Otherwise the status to end with: 0 once the running copy has
    // raised its window (handed this start's activationToken), 1 (after a
    // message) when the lock is held but nobody answers.
    std::optional<int> ClaimOrHandOver(std::function<void(const QString& token)> raise,
                                       const QString& activationToken);

    QString LockPath() const { return lockPath_; }
    QString ServerName() const { return serverName_; }

private:
    QString folder_;
    QString lockPath_;
    QString serverName_;
    QLockFile lock_;
    RaiseListener listener_;
};

}  // namespace menu
