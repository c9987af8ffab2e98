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

// The whole check of a database file or server connection: opening a file
// runs the engine's quick check of every page (a file that fails it is one
// problem, named), then the rules above.
QStringList checkDatabaseAt(const QString& fileOrConnection);

// True when the text names a server ("Driver=...;...") rather than a file.
bool isConnectionString(const QString& target);

} // namespace gearlog
