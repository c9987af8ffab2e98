#pragma once

#include <QString>
#include <vector>

namespace gearlog {

class Store;

// What an asset's label shows beside its code.
struct AssetLabel {
    int id = 0;
    QString model, serial, type;
};

// The labels of the assets, in the order given (an asset deleted meanwhile
// is left out). Engine failures throw.
std::vector<AssetLabel> read_asset_labels(Store& store, const std::vector<int>& assetIds);
// The assets of an equipment type, by ID.
std::vector<int> assets_of_type(Store& store, int equipmentId);

} // namespace gearlog
