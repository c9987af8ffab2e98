#pragma once

#include <QString>
#include <functional>

namespace gearlog {

// Writes a database file so that no other file is ever harmed: `fill`
// builds the database in a temporary file beside `path` (its argument), and
// only a complete database is then moved into place, atomically. Without
// `replace` the move is exclusive: whatever stands at `path` (a file, a
// folder, a link, a pipe) is refused and left alone. With `replace` only a
// regular file is replaced, and its journal files go with it. A failure or
// a kill leaves `path` as it was and removes only what this call made.
void writeDatabaseFile(const QString& path, bool replace,
                       const std::function<void(const QString& temporary)>& fill);

// True when something of any kind stands at the path (a dangling link too).
bool pathTaken(const QString& path);

// True when the folder lies on a network file system (NFS, SMB/CIFS), where
// the write-ahead log's shared memory does not work.
bool onNetworkFileSystem(const QString& folder);
bool isNetworkFileSystemType(unsigned long type);

// True when a connection, of any process (this one included), has the
// database open with its write-ahead log: it holds a lock on the log's
// shared-memory index beside the file. Also true when that cannot be told.
bool logInUse(const QString& path);

// Removes a database's journal files beside it.
void removeJournalFiles(const QString& path);

} // namespace gearlog
