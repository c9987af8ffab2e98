#pragma once

#include "Schema.h"
#include "Store.h"

namespace gearlog {

class Database;

// A stocktake: one office's stock (AddressID), narrowed to a category or
// an equipment type (0: all), on a day, by someone; State is Open while it
// takes scans and Applied once the records were put right by it.
const TableDef& stocktakeTable();
// One scanned code of a stocktake, with what it was found to be when
// scanned (Result, Place) and the asset it named (0: none). Applying a
// stocktake adds a row for each asset it missed (no code).
const TableDef& stocktakeScanTable();
// True when a writable opening has made the stocktakes' tables here.
bool has_stocktake_tables(Store& store);
// The same for a desk's database, asked once they are there (for what
// shows with every asset).
bool has_stocktake_tables(Database& db);
// Names the stocktakes' tables, so that writable openings make them:
// called once by each program before it opens a database.
void enableStocktakes();

namespace stocktakeState {
inline const QString open = QStringLiteral("Open");
inline const QString applied = QStringLiteral("Applied");
} // namespace stocktakeState

} // namespace gearlog
