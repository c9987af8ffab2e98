#include "AssetPlace.h"

namespace gearlog {

QString asset_place_columns() {
    return QStringLiteral("a.ShipmentID, c.Name, s.Name");
}

QString asset_place_joins() {
    return QStringLiteral("LEFT JOIN Table_Shipment s ON s.ID = a.ShipmentID LEFT JOIN "
                          "Table_Contact c ON c.ID = s.ReceiverContactID");
}

QString asset_place(const Row& row, size_t first) {
    if (row[first].toInt() <= 0)
        return QStringLiteral("In Stock");
    const QString receiver = row[first + 1].toString().trimmed();
    const QString shipment = row[first + 2].toString().trimmed();
    return receiver.isEmpty() ? shipment : receiver + QStringLiteral(" \u2014 ") + shipment;
}

} // namespace gearlog
