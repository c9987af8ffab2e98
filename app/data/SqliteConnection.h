#pragma once

struct sqlite3;

namespace gearlog {

// Settings of our own on a SQLite connection.

// Makes NOCASE on this connection compare as the cursors do: every script
// folded, not only ASCII. Returns false when SQLite refused it.
// Also gives the connection gearlog_fold(text), the fold of type-to-find.
bool useFoldedNoCase(sqlite3* db);

// Reads the file through memory mapping (see FileReads::Mapped).
void mapReads(sqlite3* db);

} // namespace gearlog
