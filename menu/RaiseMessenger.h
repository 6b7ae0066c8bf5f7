#pragma once
// The one message between two copies on the same table: a later start asks
// the running copy, over a local socket named after the table's folder, to
// bring its window to the front, and the running copy answers once it has.

#include <QLocalServer>
#include <QString>
#include <functional>

namespace menu {

// The socket's name for a folder (canonical path): the same folder, the same
// name; it is short enough for any socket path.
QString RaiseServerName(const QString& folder);

// Asks the copy listening on serverName to raise its window. True once it
// answered that it did; false when nobody answers in time.
bool AskToRaise(const QString& serverName);

// The running copy's end.
class RaiseListener {
public:
    // Listens on serverName, taking over a socket left by a killed copy, and
    // calls raise for every request. The socket's path, or empty when it
    // cannot listen.
    QString Listen(const QString& serverName, std::function<void()> raise);
    void Close() { server_.close(); }

private:
    QLocalServer server_;
    std::function<void()> raise_;
};

}  // namespace menu
