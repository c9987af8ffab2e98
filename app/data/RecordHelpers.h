#pragma once

#include "Dialect.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace gearlog {

class Database;
class Recordset;

// The value of a key field of the current row, or -1 when it is Null.
int key_of(Recordset& cursor, const QString& field);
// Number of rows; leaves the cursor on its last row. Engine failures throw.
int record_count(Recordset& cursor);
// True when the path names an existing regular file.
bool file_exists(const QString& path);
// Finds the first row where field = value, with an optional extra clause
// (" AND ShipmentID = 3"); the cursor stays on the found row. False when
// not found or when the criteria cannot be read; engine failures throw.
bool find_record_by_number(Recordset& cursor, const QString& field, int value,
                           const QString& extraClause = {});
// The same for text; the value is quoted safely, apostrophes included.
bool find_record_by_text(Recordset& cursor, const QString& field, const QString& value,
                         const QString& extraClause = {});
// The same find, after the cursor has read again from the store every row
// that holds that text there or in the cursor: a name another desk has just
// written (or changed away) is seen. For the duplicate-name checks.
bool find_stored_record_by_text(Recordset& cursor, const QString& field, const QString& value);
// Largest key + 1, or 1 for an empty table. Engine failures throw. Inside a
// transaction on a server the key is claimed for the transaction, and one
// another desk has claimed is passed over: two desks adding at once never
// get the same key, and neither waits for the other.
int next_id(Database& db, const QString& table);
// `count` new keys of the table at once, the same way, in ascending order.
std::vector<int> next_ids(Database& db, const QString& table, int count);
// A row of `table` whose field (any of `fields`) holds `key`, first in the
// order of `orderField`: the value of its `nameField`, or nothing when no
// row refers to the key. Read from the store, so rows another desk wrote
// are seen; engine failures throw.
std::optional<QString> first_referrer(Database& db, const QString& table, const QStringList& fields,
                                      int key, const QString& nameField, const QString& orderField);
// Holds the row of `table` with key `id` until the transaction ends (on a
// server; the file's write transaction holds every row already) and tells
// whether it exists, as committed by now: a delete's guards then read
// everything that refers to the row, and a new reference never names a row
// deleted meanwhile. Engine failures throw.
bool lock_row(Database& db, const QString& table, int id, RowLock lock);
// Begins a new row in the cursor with the next free key of its table.
void add_new_record(Recordset& cursor, Database& db, const QString& table);

} // namespace gearlog
