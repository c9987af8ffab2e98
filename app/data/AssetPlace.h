#pragma once

#include "Store.h"

#include <QString>

namespace gearlog {

// Where an asset is, read with it: for a statement over `Table_Asset a`,
// the columns (its ShipmentID, the shipment's receiver and name) and the
// joins they need (aliases s and c).
QString asset_place_columns();
QString asset_place_joins();
// "In Stock", or "receiver — shipment" (the shipment alone without a
// receiver), from those three columns of the row, beginning at `first`.
QString asset_place(const Row& row, size_t first);

} // namespace gearlog
