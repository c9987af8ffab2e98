#pragma once

#include "Dialect.h"
#include "Store.h"

#include <QString>
#include <functional>

namespace gearlog {

// Creates the nine tables with their rules and indexes, and the seed rows,
// in one transaction: either all of it is built or nothing is. `fill`, when
// given, writes more rows in that same transaction.
void buildSchema(Store& store, const std::function<void()>& fill = {});
// Brings a database written by an older Gearlog to the current format (the
// steps named), in one transaction that one desk at a time takes; does
// nothing when it is current, or when another desk has just brought it there.
void upgradeSchema(Store& store, dialect::UpgradeSteps steps = dialect::UpgradeSteps::All);

// Creates a new database file with the schema, built beside the path and
// moved into place only when complete (see writeDatabaseFile): nothing at
// the path is harmed unless `replace` is given for a regular file.
void createDatabaseFile(const QString& path, bool replace = false,
                        const std::function<void(Store&)>& fill = {});

} // namespace gearlog
