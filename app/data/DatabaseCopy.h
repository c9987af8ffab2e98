#pragma once

#include "Store.h"

#include <QStringList>
#include <functional>

namespace gearlog {

// Copies every row of the schema's tables from one database into another
// that holds the schema (its own rows are replaced), reading the source in
// one consistent snapshot and writing the target in one transaction.
// Pictures are moved one at a time, so a large library never sits in memory.
// The history goes with them where both have one.
void copyDatabase(Store& from, Store& to);
// Hears, after each slice of a table's rows, how many of how many are copied.
using CopyProgress = std::function<void(const QString& table, qint64 done, qint64 total)>;
// The same inside the caller's transaction on `to`.
void copyRows(Store& from, Store& to, const CopyProgress& progress = {});
// Where two databases differ in the schema's tables: each table's row count
// and a hash of its rows in key order (pictures by their sizes); empty
// when they hold the same.
QStringList compareCopies(Store& a, Store& b);

} // namespace gearlog
