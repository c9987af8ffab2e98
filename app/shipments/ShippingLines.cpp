#include "ShippingLines.h"

#include "EngineError.h"
#include "RecordHelpers.h"
#include "Session.h"

#include <QHash>

namespace gearlog {

namespace {

const QString idField = QStringLiteral("ID");
const QString assetField = QStringLiteral("AssetID");
const QString shipmentField = QStringLiteral("ShipmentID");
const QString completedField = QStringLiteral("IsCompleted");
const QString completionField = QStringLiteral("CompletionDate");
const QString transferField = QStringLiteral("TransferID");

// Completes the asset's open line on the shipment it is leaving: it was
// transferred to `to` at `when`.
void completeTransfer(Session& session, int assetId, int from, int to, const QDateTime& when) {
    const auto lines = session.openRecordset(
        QStringLiteral(
            "SELECT * FROM Table_ShippingList WHERE AssetID = %1 AND ShipmentID = %2 ORDER BY ID")
            .arg(assetId)
            .arg(from));
    for (; !lines->eof(); lines->moveNext()) {
        if (lines->value(completedField).toBool())
            continue;
        lines->edit();
        lines->setValue(completedField, true);
        lines->setValue(completionField, when);
        lines->setValue(transferField, to);
        lines->update();
        return;
    }
}

// The assets listed on the shipment's stored lines: true for a completed one.
QHash<int, bool> storedLines(Session& session, int shipment) {
    QHash<int, bool> stored;
    const auto lines = session.openRecordset(
        QStringLiteral("SELECT * FROM Table_ShippingList WHERE ShipmentID = %1 ORDER BY ID")
            .arg(shipment));
    const auto asset = lines->field(assetField);
    const auto completed = lines->field(completedField);
    for (; !lines->eof(); lines->moveNext()) {
        const QVariant a = lines->value(asset);
        if (a.isValid() && !stored.contains(a.toInt()))
            stored.insert(a.toInt(), lines->value(completed).toBool());
    }
    return stored;
}

// Puts the asset in stock if it stands on the shipment; an asset out on
// another shipment stays there. True when it moved.
bool restock(Session& session, int shipment, int assetId) {
    Recordset& assets = session.rs_asset();
    assets.reread({assetId});
    if (!find_record_by_number(assets, idField, assetId) ||
        key_of(assets, shipmentField) != shipment)
        return false;
    assets.setValue(shipmentField, 0);
    assets.update();
    return true;
}

} // namespace

StoredLine stored_line(Session& session, int assetId) {
    Recordset& lines = session.rs_shipping_query();
    if (!find_record_by_number(lines, assetField, assetId))
        return {};
    // As it is now: another desk may have completed or deleted it.
    lines.reread({lines.value(idField).toInt()});
    if (!find_record_by_number(lines, assetField, assetId))
        return {};
    if (!lines.value(completedField).toBool())
        return {LineState::Open, {}};
    Recordset& shipments = session.rs_shipment();
    const int next = key_of(lines, transferField);
    if (next >= 0 && find_record_by_number(shipments, idField, next))
        return {LineState::Transferred, shipments.value(QStringLiteral("Name")).toString()};
    return {LineState::Returned, {}};
}

void store_shipping_list(Session& session, int shipment, int shown,
                         const std::vector<int>& assetIds, const QDateTime& now) {
    const QHash<int, bool> stored = shown >= 0 ? storedLines(session, shown) : QHash<int, bool>{};
    Recordset& lines = session.rs_shipping_list();
    Recordset& assets = session.rs_asset();
    for (const int assetId : assetIds) {
        const auto line = stored.constFind(assetId);
        if (line != stored.constEnd() && line.value())
            continue; // a completed line is history
        // Read now, inside the save: where another desk may have moved it.
        assets.reread({assetId});
        if (!find_record_by_number(assets, idField, assetId))
            throw EngineError(
                QStringLiteral("The asset %1 was deleted by another user").arg(assetId),
                QStringLiteral("store the shipping list"));
        if (shown != shipment || line == stored.constEnd()) {
            add_new_record(lines, session.database(), QStringLiteral("Table_ShippingList"));
            lines.setValue(assetField, assetId);
            lines.setValue(shipmentField, shipment);
            lines.setValue(completedField, false);
            lines.setValue(transferField, -1);
            lines.update();
        }
        const int from = key_of(assets, shipmentField);
        if (from == shipment)
            continue;
        if (from > 0)
            completeTransfer(session, assetId, from, shipment, now);
        assets.setValue(shipmentField, shipment);
        assets.update();
    }
}

LineState remove_open_line(Session& session, int shipment, int assetId) {
    const LineState state = stored_line(session, assetId).state;
    if (state != LineState::Open)
        return state;
    Recordset& shown = session.rs_shipping_query();
    lock_row(session.database(), QStringLiteral("Table_ShippingList"), shown.value(idField).toInt(),
             RowLock::ForDelete);
    shown.deleteRecord();
    // A line that arrived by transfer takes the transfer back with it: the
    // line it came from is open again and the asset back on that shipment,
    // so no completed line names a shipment that never carried the asset.
    const auto from = session.openRecordset(
        QStringLiteral("SELECT * FROM Table_ShippingList WHERE AssetID = %1 AND TransferID = %2 "
                       "AND IsCompleted = Yes ORDER BY ID DESC")
            .arg(assetId)
            .arg(shipment));
    if (from->eof()) {
        restock(session, shipment, assetId);
        return state;
    }
    const int previous = key_of(*from, shipmentField);
    from->edit();
    from->setValue(completedField, false);
    from->setValue(completionField, QVariant());
    from->setValue(transferField, -1);
    from->update();
    Recordset& assets = session.rs_asset();
    assets.reread({assetId});
    if (find_record_by_number(assets, idField, assetId) &&
        key_of(assets, shipmentField) == shipment) {
        assets.setValue(shipmentField, previous);
        assets.update();
    }
    return state;
}

ReturnResult return_line(Session& session, int shipment, int assetId, const QDateTime& date) {
    const StoredLine line = stored_line(session, assetId);
    switch (line.state) {
    case LineState::NotStored:
    case LineState::Transferred:
        return {line, false};
    case LineState::Returned:
        return {line, restock(session, shipment, assetId)};
    case LineState::Open:
        break;
    }
    Recordset& lines = session.rs_shipping_query();
    lines.edit();
    lines.setValue(completedField, true);
    lines.setValue(completionField, date);
    lines.update();
    restock(session, shipment, assetId);
    return {line, true};
}

Deletion delete_shipment(Session& session, int shipment) {
    Database& db = session.database();
    Recordset& shipments = session.rs_shipment();
    if (!lock_row(db, QStringLiteral("Table_shipment"), shipment, RowLock::ForDelete) ||
        !find_record_by_number(shipments, idField, shipment))
        return {};
    if (const auto line = first_referrer(db, QStringLiteral("Table_ShippingList"), {shipmentField},
                                         shipment, idField, idField))
        return {false, QStringLiteral(
                           "You cannot delete this shipment as the shipping list is not empty ") +
                           *line};
    // Its key stays taken while a completed line names it as where an asset
    // went: a new shipment must not inherit that history.
    if (const auto from = first_referrer(db, QStringLiteral("Table_ShippingList"), {transferField},
                                         shipment, shipmentField, idField)) {
        const bool named = find_record_by_number(shipments, idField, from->toInt());
        return {false,
                QStringLiteral("You cannot delete this shipment as items of the shipment ") +
                    (named ? shipments.value(QStringLiteral("Name")).toString().trimmed() : *from) +
                    QStringLiteral(" were transferred to it")};
    }
    find_record_by_number(shipments, idField, shipment);
    shipments.deleteRecord();
    // Lines name the shipment no more; the assets still standing on it go
    // back to stock.
    session.execute(QStringLiteral("UPDATE Table_asset SET ShipmentID = 0 WHERE ShipmentID = %1")
                        .arg(shipment));
    return {true, {}};
}

} // namespace gearlog
