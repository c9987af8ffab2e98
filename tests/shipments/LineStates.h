#pragma once

#include "TestStores.h"

namespace gearlog::test {

// The stored shipping-list lines as "shipment:asset:completed:transfer",
// in key order, read by a connection of their own.
inline QStringList lineStates(const FreshDatabase& db) {
    QStringList out;
    auto rs = db.openSession()->openRecordset(
        QStringLiteral("SELECT * FROM Table_ShippingList ORDER BY ID"));
    for (; !rs->eof(); rs->moveNext())
        out << QStringLiteral("%1:%2:%3:%4")
                   .arg(rs->value(QStringLiteral("ShipmentID")).toInt())
                   .arg(rs->value(QStringLiteral("AssetID")).toInt())
                   .arg(rs->value(QStringLiteral("IsCompleted")).toBool() ? 1 : 0)
                   .arg(rs->value(QStringLiteral("TransferID")).toInt());
    return out;
}

} // namespace gearlog::test
