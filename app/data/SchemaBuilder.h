#pragma once

#include "Store.h"

#include <QString>

namespace gearlog {

// Creates the nine tables with their rules and indexes, and the seed rows,
// in one transaction: either all of it is built or nothing is.
void buildSchema(Store& store);
// Brings a database written by an older Gearlog to the current format, in
// one transaction; does nothing when it is current.
void upgradeSchema(Store& store);

// Creates a new database file with the schema. Any existing file at that
// path must be removed first; on failure no file is left behind.
void createDatabaseFile(const QString& path);

// Removes a database file with its journal files; true when none is left.
bool removeDatabaseFile(const QString& path);

} // namespace gearlog
