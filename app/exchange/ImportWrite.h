#pragma once

#include "ImportPlan.h"

namespace gearlog {

class Database;

struct ImportCounts {
    int added = 0, updated = 0;
    int categoriesMade = 0, equipmentMade = 0;
};

// Writes a checked plan in the database's open transaction: first the
// categories and equipment types its rows name that are missing, then each
// added record under a new key and each update, in batches; the history
// records every field written. Holds the records the rows refer to, so
// another desk cannot delete one meanwhile. Engine failures throw, and
// Cancelled when `progress` says stop: the caller's rollback then leaves the
// database as it was.
ImportCounts write_import(Database& db, ImportPlan& plan, const Progress& progress = {});

// "12 added, 3 updated", as the end of an import tells it.
QString import_summary(const ImportCounts& counts);

} // namespace gearlog
