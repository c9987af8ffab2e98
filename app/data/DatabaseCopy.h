#pragma once

#include "Store.h"

namespace gearlog {

// Copies every row of the schema's tables from one database into another
// that holds the schema (its own rows are replaced), reading the source in
// one consistent snapshot and writing the target in one transaction.
// Pictures are moved one at a time, so a large library never sits in memory.
void copyDatabase(Store& from, Store& to);

} // namespace gearlog
