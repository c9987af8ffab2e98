#include "AssetLabels.h"

#include "KeyedRead.h"
#include "Store.h"

namespace gearlog {

std::vector<AssetLabel> read_asset_labels(Store& store, const std::vector<int>& assetIds) {
    std::vector<AssetLabel> labels;
    read_in_key_order(
        store,
        QStringLiteral("SELECT a.ID, a.ModelNumber, a.SerialNumber, e.Name FROM "
                       "Table_Asset a LEFT JOIN Table_Equipment e ON e.ID = "
                       "a.EquipmentID WHERE a.ID IN"),
        assetIds, {FieldType::Long, FieldType::Text, FieldType::Text, FieldType::Text},
        [&](const Row& r) {
            labels.push_back({r[0].toInt(), r[1].toString(), r[2].toString(), r[3].toString()});
        });
    return labels;
}

std::vector<int> assets_of_type(Store& store, int equipmentId) {
    return store.selectKeys(
        QStringLiteral("SELECT ID FROM Table_Asset WHERE EquipmentID = ? ORDER BY ID"),
        {equipmentId});
}

} // namespace gearlog
