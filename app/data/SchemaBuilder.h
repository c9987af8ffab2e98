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

// Creates a new database file with the schema, built beside the path and
// moved into place only when complete (see writeDatabaseFile): nothing at
// the path is harmed unless `replace` is given for a regular file.
void createDatabaseFile(const QString& path, bool replace = false);

} // namespace gearlog
