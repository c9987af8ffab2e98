#pragma once

namespace gearlog {

class FlexGrid;
class Database;

// Marks the rows of an asset grid (keys in column 0) whose asset's last
// maintenance failed: a sign beside the key, "failed maintenance" to
// assistive technology. A database without the log marks nothing.
void mark_failed_maintenance(FlexGrid& grid, Database& db);

} // namespace gearlog
