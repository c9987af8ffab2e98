#include "DueLists.h"

#include "Dialect.h"
#include "Store.h"

#include <algorithm>

namespace gearlog {

namespace {

using F = FieldType;

QDateTime dayStart(const QDate& day) {
    return QDateTime(day, QTime(0, 0), Qt::UTC);
}

QString text(const QVariant& v) {
    return v.isValid() ? v.toString().trimmed() : QString();
}

// An open line of the list aliased "l" (see dialect::openLineTerm).
QString openLine(const Store& store) {
    return dialect::openLineTerm(store.engine(), QStringLiteral("l"));
}

// A list's rows, the most urgent first, at most `limit` of them (0: all).
std::vector<Row> listRows(Store& store, const QString& columns, const QString& from,
                          const QString& order, const QVariantList& params,
                          const std::vector<FieldType>& types, int limit = 0) {
    QString sql = QStringLiteral("SELECT %1 FROM %2 ORDER BY %3").arg(columns, from, order);
    if (limit > 0)
        sql += QStringLiteral(" LIMIT %1").arg(limit);
    return store.select(sql, params, types);
}

void readOverdue(Store& store, const QDate& today, DueLists& lists) {
    const Engine engine = store.engine();
    const QString from =
        QStringLiteral("(SELECT l.ShipmentID AS ID, COUNT(*) AS Out FROM Table_ShippingList l "
                       "JOIN Table_Shipment t ON t.ID = l.ShipmentID WHERE t.ExpectedReturnDate "
                       "< ? AND %1 GROUP BY l.ShipmentID) n JOIN Table_Shipment s ON s.ID = n.ID "
                       "LEFT JOIN Table_Contact c ON c.ID = s.ReceiverContactID")
            .arg(openLine(store));
    const QString columns =
        QStringLiteral("s.ID, s.Name, c.Name, %1, %2, n.Out")
            .arg(dialect::selectTerm(engine, QStringLiteral("s.ShipmentDate"), F::Date),
                 dialect::selectTerm(engine, QStringLiteral("s.ExpectedReturnDate"), F::Date));
    for (const Row& r :
         listRows(store, columns, from, QStringLiteral("s.ExpectedReturnDate, s.ID"),
                  {dayStart(today)}, {F::Long, F::Text, F::Text, F::Date, F::Date, F::Long})) {
        const QDate expected = r[4].toDateTime().date();
        lists.overdue.push_back({r[0].toInt(), text(r[1]), text(r[2]), r[3].toDateTime().date(),
                                 expected, static_cast<int>(expected.daysTo(today)), r[5].toInt()});
    }
}

// Where an asset is: in stock, or out to a receiver on a shipment.
QString location(const Row& r, size_t shipment) {
    if (r[shipment].toInt() <= 0)
        return QStringLiteral("In Stock");
    const QString receiver = text(r[shipment + 1]), name = text(r[shipment + 2]);
    return receiver.isEmpty() ? name : receiver + QStringLiteral(" \u2014 ") + name;
}

void readMaintenance(Store& store, const QDate& today, int days, int limit, DueLists& lists) {
    const QString columns =
        QStringLiteral("a.ID, a.ModelNumber, a.SerialNumber, e.Name, %1, a.ShipmentID, c.Name, "
                       "s.Name")
            .arg(dialect::selectTerm(store.engine(), QStringLiteral("a.NextSchedMaint"), F::Date));
    const QString from = QStringLiteral(
        "Table_Asset a LEFT JOIN Table_Equipment e ON e.ID = a.EquipmentID LEFT JOIN "
        "Table_Shipment s ON s.ID = a.ShipmentID LEFT JOIN Table_Contact c ON c.ID = "
        "s.ReceiverContactID WHERE a.NextSchedMaint < ?");
    const QVariantList before{dayStart(today.addDays(days + 1))};
    for (const Row& r : listRows(
             store, columns, from, QStringLiteral("a.NextSchedMaint, a.ID"), before,
             {F::Long, F::Text, F::Text, F::Text, F::Date, F::Long, F::Text, F::Text}, limit)) {
        const QDate due = r[4].toDateTime().date();
        lists.maintenance.push_back({r[0].toInt(), text(r[1]), text(r[2]), text(r[3]), due,
                                     static_cast<int>(today.daysTo(due)), location(r, 5)});
    }
    // Counted over the assets alone (the date's index), not their joins.
    lists.maintenanceTotal =
        limit > 0 && lists.maintenance.size() == static_cast<size_t>(limit)
            ? store
                  .select(QStringLiteral("SELECT COUNT(*) FROM Table_Asset a WHERE "
                                         "a.NextSchedMaint < ?"),
                          before, {F::Long})
                  .front()[0]
                  .toInt()
            : static_cast<int>(lists.maintenance.size());
}

void readOutDue(Store& store, DueLists& lists) {
    const Engine engine = store.engine();
    const QString columns =
        QStringLiteral("a.ID, a.ModelNumber, a.SerialNumber, s.ID, s.Name, %1, %2")
            .arg(dialect::selectTerm(engine, QStringLiteral("a.NextSchedMaint"), F::Date),
                 dialect::selectTerm(engine, QStringLiteral("s.ExpectedReturnDate"), F::Date));
    // Shipment by shipment, its assets whose maintenance falls before it is
    // back (one range of the assets' shipment-and-date index each).
    const QString from = QStringLiteral(
        "Table_Shipment s JOIN Table_Asset a ON a.ShipmentID = s.ID WHERE s.ID > 0 AND "
        "a.NextSchedMaint < s.ExpectedReturnDate");
    for (const Row& r : listRows(store, columns, from, QStringLiteral("a.NextSchedMaint, a.ID"), {},
                                 {F::Long, F::Text, F::Text, F::Long, F::Text, F::Date, F::Date}))
        lists.outDue.push_back({r[0].toInt(), text(r[1]), text(r[2]), r[3].toInt(), text(r[4]),
                                r[5].toDateTime().date(), r[6].toDateTime().date()});
}

} // namespace

DueLists read_due_lists(Store& store, const QDate& today, int days, int limit) {
    DueLists lists;
    // Overdue shipments and assets out are bounded by the open lines: read
    // whole, counted, then cut, rather than counted by a second pass.
    readOverdue(store, today, lists);
    readMaintenance(store, today, days, limit, lists);
    readOutDue(store, lists);
    lists.overdueTotal = static_cast<int>(lists.overdue.size());
    lists.outDueTotal = static_cast<int>(lists.outDue.size());
    if (limit > 0) {
        lists.overdue.resize(std::min(lists.overdue.size(), static_cast<size_t>(limit)));
        lists.outDue.resize(std::min(lists.outDue.size(), static_cast<size_t>(limit)));
    }
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
