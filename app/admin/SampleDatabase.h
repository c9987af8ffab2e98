#pragma once

#include "Store.h"

#include <QtGlobal>

namespace gearlog {

struct SampleOptions {
    int assets = 200;
    quint32 seed = 1;
    // One more shipment, the last, with this many lines (the first assets
    // by key; those out elsewhere are transferred on to it).
    int largeShipment = 0;
};

// Fills a database that has the schema and seed rows with a realistic,
// deterministic inventory: categories, addresses with colours, contacts,
// equipment types with sizes and small photographs, assets, and shipments
// whose shipping lists hold open, returned and transferred lines, all
// consistent with each other. Runs in one transaction.
void writeSampleData(Store& store, const SampleOptions& options);
// The same rows, inside the caller's transaction.
void writeSampleRows(Store& store, const SampleOptions& options);

} // namespace gearlog
