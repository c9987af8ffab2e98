#pragma once

#include <QDate>
#include <QHash>
#include <QString>
#include <QVariant>
#include <vector>

namespace gearlog {

class Database;

// What a shipping list shows, colours and sums of one asset: its own
// fields, its equipment type's name and sizes, its category's name. Keys
// are -1 for a Null; sizes are Null when the type has none.
struct ListedAsset {
    QString model, serial, equipment, category;
    int shipment = -1, account = -1;
    QVariant weight, height, width, depth;
    QDate maintenance; // next scheduled, or null
};
using ListedAssets = QHash<int, ListedAsset>; // by asset key

// Reads the assets of these keys not in `known` yet, a few hundred a
// statement; an asset that is gone stays missing.
void read_listed_assets(Database& db, const std::vector<int>& ids, ListedAssets& known);
// A stored line of a shipment as its list shows it.
struct ShownLine {
    QVariant assetId;
    QVariant completion; // Null unless the line is completed
};
// The lines of a shipment in ascending asset order, and their assets into
// `assets`, in one statement.
std::vector<ShownLine> read_shipment_lines(Database& db, int shipment, ListedAssets& assets);

} // namespace gearlog
