#include "ShippingLines.h"

#include "Database.h"
#include "Dialect.h"
#include "EngineError.h"
#include "RecordHelpers.h"
#include "RowWriter.h"
#include "Session.h"

#include <QHash>
#include <QSet>
#include <functional>

namespace gearlog {

namespace {

const QString idField = QStringLiteral("ID");
const QString assetField = QStringLiteral("AssetID");
const QString shipmentField = QStringLiteral("ShipmentID");
const QString completedField = QStringLiteral("IsCompleted");
const QString completionField = QStringLiteral("CompletionDate");
const QString transferField = QStringLiteral("TransferID");

// The keys as values to bind.
QVariantList keyValues(const std::vector<int>& keys) {
    return {keys.begin(), keys.end()};
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

// Where each asset stands (its ShipmentID, -1 for none), read and held
// until the transaction ends; an asset another desk deleted refuses.
QHash<int, int> holdAssets(Store& store, const std::vector<int>& assets) {
    QHash<int, int> standing;
    each_batch(keyValues(assets), [&](const QString& marks, const QVariantList& ids) {
        for (const Row& row : store.select(
                 QStringLiteral("SELECT ID, ShipmentID FROM Table_asset WHERE ID IN (%1) ORDER BY "
                                "ID")
                         .arg(marks) +
                     dialect::rowLockClause(store.engine(), RowLock::ForDelete),
                 ids, {FieldType::Long, FieldType::Long}))
            standing.insert(row[0].toInt(), row[1].isValid() ? row[1].toInt() : -1);
    });
    for (const int assetId : assets)
        if (!standing.contains(assetId))
            throw EngineError(
                QStringLiteral("The asset %1 was deleted by another user").arg(assetId),
                QStringLiteral("store the shipping list"));
    return standing;
}

// The first open line of each asset on the shipment it leaves (asset ->
// that shipment), with its asset.
std::vector<std::pair<int, int>> openLinesLeft(Store& store, const QHash<int, int>& leaving) {
    std::vector<std::pair<int, int>> lines;
    QSet<int> found;
    each_batch(keyValues(std::vector<int>(leaving.keyBegin(), leaving.keyEnd())),
               [&](const QString& marks, QVariantList ids) {
                   ids << false;
                   for (const Row& row : store.select(
                            QStringLiteral("SELECT ID, AssetID, ShipmentID FROM Table_shippinglist "
                                           "WHERE AssetID IN (%1) AND (IsCompleted IS NULL OR "
                                           "IsCompleted = ?) ORDER BY ID")
                                .arg(marks),
                            ids, {FieldType::Long, FieldType::Long, FieldType::Long})) {
                       const int asset = row[1].toInt();
                       if (row[2].toInt() == leaving.value(asset) && !found.contains(asset)) {
                           found.insert(asset);
                           lines.emplace_back(row[0].toInt(), asset);
                       }
                   }
               });
    return lines;
}

// Adds an open line on the shipment for each asset, the keys taken
// together and the rows written in batches.
void addOpenLines(Database& db, int shipment, const std::vector<int>& assets) {
    if (assets.empty())
        return;
    const TableDef& table = *findTable(QStringLiteral("Table_shippinglist"));
    const std::vector<int> keys = next_ids(db, table.name, static_cast<int>(assets.size()));
    RowWriter lines(db, table);
    for (size_t r = 0; r < assets.size(); ++r)
        lines.insert(keys[r], {{findField(table, shipmentField), shipment},
                               {findField(table, assetField), assets[r]},
                               {findField(table, completedField), false},
                               {findField(table, transferField), -1}});
    lines.flush();
}

// Holds the asset before its lines, in the order a save takes them, so a
// return and a save of the same asset wait for each other, never deadlock.
void holdAsset(Session& session, int assetId) {
    lock_row(session.database(), QStringLiteral("Table_asset"), assetId, RowLock::ForDelete);
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
    Database& db = session.database();
    Store& store = db.store();
    const QHash<int, bool> stored = shown >= 0 ? storedLines(session, shown) : QHash<int, bool>{};
    std::vector<int> listed;
    QSet<int> seen;
    for (const int assetId : assetIds) {
        const auto line = stored.constFind(assetId);
        // A completed line is history; an asset is listed once.
        if ((line == stored.constEnd() || !line.value()) && !seen.contains(assetId)) {
            listed.push_back(assetId);
            seen.insert(assetId);
        }
    }
    if (listed.empty())
        return;
    // The lines name the shipment: it stays while they are written (a
    // save has written it already, and so holds it).
    if (!db.holdReferenced(QStringLiteral("Table_shipment"), shipment))
        throw EngineError(
            QStringLiteral("The shipment %1 was deleted by another user").arg(shipment),
            QStringLiteral("store the shipping list"));
    // Where each asset is now, read inside the save and held to its end:
    // another desk's move or delete of it either came before or waits.
    const QHash<int, int> standing = holdAssets(store, listed);
    // The open line each moving asset leaves on the shipment it is out on.
    std::vector<int> moving;
    QHash<int, int> leaving; // asset -> the shipment it leaves
    for (const int assetId : listed) {
        const int from = standing.value(assetId);
        if (from == shipment)
            continue;
        moving.push_back(assetId);
        if (from > 0)
            leaving.insert(assetId, from);
    }
    const auto completed = openLinesLeft(store, leaving);
    // New open lines, their keys taken together.
    std::vector<int> adding;
    for (const int assetId : listed)
        if (shown != shipment || !stored.contains(assetId))
            adding.push_back(assetId);
    addOpenLines(db, shipment, adding);
    const TableDef& lineTable = *findTable(QStringLiteral("Table_shippinglist"));
    RowWriter lines(db, lineTable);
    for (const auto& [lineId, assetId] : completed)
        lines.update(lineId,
                     {{findField(lineTable, assetField), assetId},
                      {findField(lineTable, shipmentField), leaving.value(assetId)}},
                     {{findField(lineTable, completedField), true},
                      {findField(lineTable, completionField), now},
                      {findField(lineTable, transferField), shipment}});
    lines.flush();
    // The assets are held since holdAssets: nothing to compare.
    const TableDef& assetTable = *findTable(QStringLiteral("Table_asset"));
    RowWriter assets(db, assetTable);
    for (const int assetId : moving)
        assets.update(assetId, {}, {{findField(assetTable, shipmentField), shipment}});
    assets.flush();
}

LineState remove_open_line(Session& session, int shipment, int assetId) {
    holdAsset(session, assetId);
    const LineState state = stored_line(session, assetId).state;
    if (state != LineState::Open)
        return state;
    session.rs_shipping_query().deleteRecord();
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
    holdAsset(session, assetId);
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
    // No line names it; an asset still standing on it goes back to stock.
    const TableDef& assetTable = *findTable(QStringLiteral("Table_asset"));
    const FieldDef* standsOn = findField(assetTable, shipmentField);
    RowWriter assets(db, assetTable);
    for (const int assetId : db.store().selectKeys(
             QStringLiteral("SELECT ID FROM Table_asset WHERE ShipmentID = ?"), {shipment}))
        assets.update(assetId, {{standsOn, shipment}}, {{standsOn, 0}});
    assets.flush();
    return {true, {}};
}

} // namespace gearlog
