#pragma once

#include "Schema.h"
#include "Store.h"

namespace gearlog {

class Database;

// The kinds of maintenance (Maintenance, Calibration, ...): a list users
// extend by naming a new kind where one is asked for.
const TableDef& maintenanceKindTable();
// Intervals: an equipment type's (AssetID 0), or an asset's own, which
// wins over its type's.
const TableDef& maintenancePlanTable();
// The log: what was done to an asset, when, by whom, with which result,
// the next date it set, and an optional certificate (its bytes, their
// size and SHA-256 as recorded).
const TableDef& maintenanceTable();
// True when a writable opening has made the maintenance tables here.
bool has_maintenance_tables(Store& store);
// The same for a desk's database, asked once they are there (for what
// shows with every asset).
bool has_maintenance_tables(Database& db);
// Names the maintenance tables, so that writable openings make them:
// called once by each program before it opens a database.
void enableMaintenance();

} // namespace gearlog
