#include "DueLists.h"

#include "MaintenanceTables.h"

#include "AssetPlace.h"
#include "Dialect.h"
#include "KeyedRead.h"
#include "Store.h"
#include "StoreValues.h"

#include <algorithm>

namespace gearlog {

namespace {

using F = FieldType;

QString text(const QVariant& v) {
    return v.isValid() ? v.toString().trimmed() : QString();
}

// An open line of the list aliased "l" (see dialect::openLineTerm).
QString openLine(const Store& store) {
    return dialect::openLineTerm(store.engine(), QStringLiteral("l"));
}

// The first `limit` keys (0: all) the query `SELECT <key> <rest>` gives in
// its order, and how many it gives in all: counted by the store only when
// there are more, so a long list is never read whole.
std::vector<int> firstKeys(Store& store, const QString& key, const QString& rest,
                           const QVariantList& params, int limit, int* total) {
    QString sql = QStringLiteral("SELECT %1 %2").arg(key, rest);
    if (limit > 0)
        sql += QStringLiteral(" LIMIT %1").arg(limit);
    std::vector<int> keys = store.selectKeys(sql, params);
    *total = limit > 0 && keys.size() == static_cast<size_t>(limit)
                 ? store
                       .select(QStringLiteral("SELECT COUNT(*) FROM (SELECT %1 %2) AS listed")
                                   .arg(key, rest),
                               params, {F::Long})
                       .front()[0]
                       .toInt()
                 : static_cast<int>(keys.size());
    return keys;
}

void readOverdue(Store& store, const QDate& today, int limit, DueLists& lists) {
    const Engine engine = store.engine();
    // Only a shipment with an open line can be overdue: found by the open
    // lines' own index.
    const std::vector<int> keys = firstKeys(
        store, QStringLiteral("t.ID"),
        QStringLiteral("FROM (SELECT DISTINCT l.ShipmentID AS ID FROM Table_ShippingList l WHERE "
                       "%1) o JOIN Table_Shipment t ON t.ID = o.ID WHERE t.ExpectedReturnDate < "
                       "? ORDER BY t.ExpectedReturnDate, t.ID")
            .arg(openLine(store)),
        {dayStart(today)}, limit, &lists.overdueTotal);
    const QString sql =
        QStringLiteral("SELECT s.ID, s.Name, c.Name, %1, %2, (SELECT COUNT(*) FROM "
                       "Table_ShippingList l WHERE l.ShipmentID = s.ID AND %3) FROM Table_Shipment "
                       "s LEFT JOIN Table_Contact c ON c.ID = s.ReceiverContactID WHERE s.ID IN")
            .arg(dialect::selectTerm(engine, QStringLiteral("s.ShipmentDate"), F::Date),
                 dialect::selectTerm(engine, QStringLiteral("s.ExpectedReturnDate"), F::Date),
                 openLine(store));
    read_in_key_order(store, sql, keys, {F::Long, F::Text, F::Text, F::Date, F::Date, F::Long},
                      [&](const Row& r) {
                          const QDate expected = r[4].toDateTime().date();
                          lists.overdue.push_back(
                              {r[0].toInt(), text(r[1]), text(r[2]), r[3].toDateTime().date(),
                               expected, static_cast<int>(expected.daysTo(today)), r[5].toInt()});
                      });
}

// An asset still kept: never disposed, or to be disposed after today.
const QString kept = QStringLiteral("(a.DateDisposed IS NULL OR a.DateDisposed >= ?)");

void readMaintenance(Store& store, const QDate& today, int days, int limit, DueLists& lists) {
    const QVariantList before{dayStart(today.addDays(days + 1)), dayStart(today.addDays(1))};
    // Any number of assets may be due: only the first `limit` keys are read,
    // and all are counted over the date's index alone.
    const std::vector<int> keys =
        firstKeys(store, QStringLiteral("a.ID"),
                  QStringLiteral("FROM Table_Asset a WHERE a.NextSchedMaint < ? AND %1 ORDER BY "
                                 "a.NextSchedMaint, a.ID")
                      .arg(kept),
                  before, limit, &lists.maintenanceTotal);
    const QString rows =
        QStringLiteral("SELECT a.ID, a.ModelNumber, a.SerialNumber, e.Name, %1, %2 FROM "
                       "Table_Asset a LEFT JOIN Table_Equipment e ON e.ID = a.EquipmentID %3 "
                       "WHERE a.ID IN")
            .arg(dialect::selectTerm(store.engine(), QStringLiteral("a.NextSchedMaint"), F::Date),
                 asset_place_columns(), asset_place_joins());
    read_in_key_order(
        store, rows, keys, {F::Long, F::Text, F::Text, F::Text, F::Date, F::Long, F::Text, F::Text},
        [&](const Row& r) {
            const QDate due = r[4].toDateTime().date();
            lists.maintenance.push_back({r[0].toInt(), text(r[1]), text(r[2]), text(r[3]), due,
                                         static_cast<int>(today.daysTo(due)), asset_place(r, 5)});
        });
}

void readOutDue(Store& store, const QDate& today, int limit, DueLists& lists) {
    const Engine engine = store.engine();
    // Shipment by open shipment, its assets whose maintenance falls before
    // it is back, or has passed while it is out (an overdue shipment, or one
    // with no return date, is out until it is back).
    const std::vector<int> keys = firstKeys(
        store, QStringLiteral("a.ID"),
        QStringLiteral("FROM (SELECT DISTINCT l.ShipmentID AS ID FROM Table_ShippingList l WHERE "
                       "%1) o JOIN Table_Shipment s ON s.ID = o.ID JOIN Table_Asset a ON "
                       "a.ShipmentID = s.ID WHERE (a.NextSchedMaint < s.ExpectedReturnDate OR "
                       "a.NextSchedMaint < ? OR (s.ExpectedReturnDate IS NULL AND "
                       "a.NextSchedMaint IS NOT NULL)) AND %2 ORDER BY a.NextSchedMaint, a.ID")
            .arg(openLine(store), kept),
        {dayStart(today), dayStart(today.addDays(1))}, limit, &lists.outDueTotal);
    const QString sql =
        QStringLiteral("SELECT a.ID, a.ModelNumber, a.SerialNumber, s.ID, s.Name, %1, %2 FROM "
                       "Table_Asset a JOIN Table_Shipment s ON s.ID = a.ShipmentID WHERE a.ID IN")
            .arg(dialect::selectTerm(engine, QStringLiteral("a.NextSchedMaint"), F::Date),
                 dialect::selectTerm(engine, QStringLiteral("s.ExpectedReturnDate"), F::Date));
    read_in_key_order(
        store, sql, keys, {F::Long, F::Text, F::Text, F::Long, F::Text, F::Date, F::Date},
        [&](const Row& r) {
            lists.outDue.push_back({r[0].toInt(), text(r[1]), text(r[2]), r[3].toInt(), text(r[4]),
                                    r[5].toDateTime().date(), r[6].toDateTime().date()});
        });
}

} // namespace

DueLists read_due_lists(Store& store, const QDate& today, int days, int limit) {
    DueLists lists;
    readOverdue(store, today, limit, lists);
    readMaintenance(store, today, days, limit, lists);
    readOutDue(store, today, limit, lists);
    if (has_maintenance_tables(store))
        lists.failed = read_failed(store, limit, &lists.failedTotal);
    return lists;
}

int shipment_days_overdue(Store& store, int shipment, const QDate& today) {
    const QString sql =
        QStringLiteral("SELECT %1 FROM Table_Shipment t WHERE t.ID = ? AND t.ExpectedReturnDate "
                       "< ? AND EXISTS (SELECT 1 FROM Table_ShippingList l WHERE l.ShipmentID = "
                       "t.ID AND %2)")
            .arg(dialect::selectTerm(store.engine(), QStringLiteral("t.ExpectedReturnDate"),
                                     F::Date),
                 openLine(store));
    const auto rows = store.select(sql, {shipment, dayStart(today)}, {F::Date});
    return rows.empty() ? 0 : static_cast<int>(rows.front()[0].toDateTime().date().daysTo(today));
}

bool any_shipment_overdue(Store& store, const QDate& today) {
    const QString sql =
        QStringLiteral("SELECT 1 FROM Table_ShippingList l JOIN Table_Shipment t ON t.ID = "
                       "l.ShipmentID WHERE t.ExpectedReturnDate < ? AND %1 LIMIT 1")
            .arg(openLine(store));
    return !store.select(sql, {dayStart(today)}, {F::Long}).empty();
}

} // namespace gearlog
