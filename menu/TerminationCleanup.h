#pragma once
// What a signal or exit() would leave behind in the table's folder, the lock
// file and the socket, is removed on the way out, so the folder holds only
// the table afterwards.

#include <QString>

namespace menu {

// Removes these files when the program ends by exit() or by SIGTERM, SIGINT
// or SIGHUP (unless that signal is ignored on purpose, as under nohup).
// socketPath may be empty.
void RemoveOnTermination(const QString& lockPath, const QString& socketPath);
// The files are released in order: nothing is left to remove.
void KeepOnTermination();

}  // namespace menu
