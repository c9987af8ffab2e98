#pragma once

#include "Store.h"

#include <QStringList>

namespace gearlog {

// Verifies a database: the tables, fields and indexes of the schema, the
// keys, references that name no row, and the shipping-list line states
// (an open line's asset is out on that shipment and the line names no
// transfer; an asset out on a shipment has exactly one open line there and
// no asset has two open lines; a transferred line names an existing
// shipment that has a line for the same asset). Returns one text
// per problem found; empty when the database is sound.
QStringList checkDatabase(Store& store);

// The whole check of a database file or server connection: a file's pages
// (the engine's quick check, or with `full` its integrity check, indexes
// included), each damaged page a problem naming it, then the rules above
// where the pages let them be read.
QStringList checkDatabaseAt(const QString& fileOrConnection, bool full = false);

// True when the text names a server ("Driver=...;...") rather than a file.
bool isConnectionString(const QString& target);

} // namespace gearlog
