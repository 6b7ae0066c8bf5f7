#pragma once
// The one message between two copies on the same table: a later start asks
// the running copy, over a local socket named after the table's folder, to
// bring its window to the front, and the running copy answers once it has.
// The request carries the activation token the launcher gave the later start:
// on Wayland only a window presenting such a token may come to the front, and
// the later start, which has no window, would take it away unused.
//
// Plain Unix sockets rather than Qt's local sockets: Qt's network module
// brings the system's proxy, TLS and HTTP libraries into the process, several
// megabytes of memory for one line on a socket.

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <functional>
#include <optional>

namespace menu {

// The socket's name for a folder (canonical path): the same folder, the same
// name; it is short enough for any socket path.
QString RaiseServerName(const QString& folder);

// The request line, with the token when there is one.
QByteArray RaiseRequest(const QString& token);

// The token of a request line (empty for none), or nothing for a line that is
// not a request. A token that is not short printable ASCII is dropped: the
// window is still raised, as if none had come.
std::optional<QString> ParseRaiseRequest(const QByteArray& line);

// The socket's path for a name: in the temporary folder, as Qt's local
// sockets put it, so copies of every version find each other.
QString RaiseSocketPath(const QString& serverName);

// Asks the copy listening on serverName to raise its window, handing it token
// (may be empty). True once it answered that it did; false when nobody
// answers in time.
bool AskToRaise(const QString& serverName, const QString& token);

// The running copy's end.
class RaiseListener : public QObject {
public:
    RaiseListener() = default;
    ~RaiseListener() override { Close(); }
    RaiseListener(const RaiseListener&) = delete;
    RaiseListener& operator=(const RaiseListener&) = delete;

    // Listens on serverName, taking over a socket left by a killed copy, and
    // calls raise with the request's token for every request. The socket's
    // path, or empty when it cannot listen. Only this user may connect.
    QString Listen(const QString& serverName, std::function<void(const QString& token)> raise);
    // Stops listening and removes the socket.
    void Close();

private:
    void Accept();

    int fd_ = -1;
    QSocketNotifier* accepting_ = nullptr;  // a child, as are the connections
    QByteArray path_;
    std::function<void(const QString&)> raise_;
};

}  // namespace menu
