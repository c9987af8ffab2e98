#include "AssetDeletion.h"

#include "RecordHelpers.h"
#include "Session.h"

namespace gearlog {

Deletion delete_asset(Session& session, int assetId) {
    if (!lock_row(session.database(), QStringLiteral("Table_asset"), assetId, RowLock::ForDelete))
        return {};
    const auto lines = session.openRecordset(
        QStringLiteral("SELECT * FROM Table_ShippingList WHERE AssetID = %1 ORDER BY ID")
            .arg(assetId));
    if (!lines->eof()) {
        const int shipment = key_of(*lines, QStringLiteral("ShipmentID"));
        Recordset& shipments = session.rs_shipment();
        return {false,
                find_record_by_number(shipments, QStringLiteral("ID"), shipment)
                    ? QStringLiteral("You cannot delete this item as it is in use by the "
                                     "shipment ") +
                          shipments.value(QStringLiteral("Name")).toString().trimmed()
                    : QStringLiteral("You cannot delete this item as it is in use by a shipment")};
    }
    Recordset& assets = session.rs_asset();
    if (!find_record_by_number(assets, QStringLiteral("ID"), assetId))
        return {};
    assets.deleteRecord();
    return {true, {}};
}

} // namespace gearlog
