#pragma once

#include "ListedAssets.h"

namespace gearlog {

struct AppState;
class FlexGrid;
class Session;

// The two forms of a shipping-list grid: the shipment report's five
// columns, and the shipment view's tick column with ID, model and serial.
enum class ShippingListForm { Full, Short };

// Fills the grid with the lines of one shipment in ascending asset order,
// read into the session's shipping-list working cursor. A line whose
// asset, equipment type or category is gone shows empty cells there.
// Returns what it read of the listed assets.
ListedAssets fill_shipping_list_grid(Session& session, AppState& state, ShippingListForm form,
                                     int shipmentId, FlexGrid& grid);

// Column widths of the short form, for a grid that is emptied without a
// fill (in twips, the tick column first).
void shape_short_shipping_list(FlexGrid& grid);

} // namespace gearlog
