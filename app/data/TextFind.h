#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace gearlog {

class Store;

// Finding a typed text anywhere in the two large tables' searched fields
// (asset serial and model numbers; shipment names and consignment notes)
// without reading every row.
//
// On a file each table has a trigram index of its own beside it, kept by
// triggers that use only SQLite's built-in features (so any program that
// writes the table keeps it); it matches regardless of case, and rows
// holding anything but printable ASCII, listed by a small index of their
// own, are read in full to match regardless of accents. On a server,
// pg_trgm's trigram index (pg_trgm is an extension that any role allowed
// to create in the database may install) is built on the fields as
// type-to-find folds them, so it finds regardless of case and accents.

enum class FindTable { Assets, Shipments };

// Statements that make what is missing, where this desk may: on a file
// whose SQLite has FTS5, on a server when pg_trgm is installed or may be
// (a server index made with an earlier fold is made again).
// (The caller checks that the role owns the tables.)
QStringList findIndexStatements(Store& store);

// Fewer characters than a trigram index can look up.
constexpr int findMinimumLength = 3;

struct FoundKeys {
    std::vector<int> keys; // ascending
    bool more = false;     // more than `limit` rows hold the text
};

// The keys of rows whose searched fields hold `folded` (foldForFind's
// form of what was typed), at most `limit` of them, the lowest first. The
// text must have findMinimumLength characters or more. Without the index
// (a file never opened for writing by this version, a server role that may
// not make it) every row is read. On a server, when more rows hold it than
// asked for, which ones come first is the server's choice.
FoundKeys find_text_keys(Store& store, FindTable table, const QString& folded, int limit);

} // namespace gearlog
