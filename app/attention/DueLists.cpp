#include "DueLists.h"

#include "Dialect.h"
#include "Store.h"

namespace gearlog {

namespace {

using F = FieldType;

QDateTime dayStart(const QDate& day) {
    return QDateTime(day, QTime(0, 0), Qt::UTC);
}

QString text(const QVariant& v) {
    return v.isValid() ? v.toString().trimmed() : QString();
}

// An open line: not completed (a Null counts as open, as everywhere).
const char* const openLine = "(l.IsCompleted IS NULL OR l.IsCompleted = ?)";

std::vector<OverdueShipment> overdueShipments(Store& store, const QDate& today) {
    const Engine engine = store.engine();
    const QString sql =
        QStringLiteral("SELECT s.ID, s.Name, c.Name, %1, %2, n.Out FROM (SELECT l.ShipmentID AS "
                       "ID, COUNT(*) AS Out FROM Table_ShippingList l JOIN Table_Shipment t ON "
                       "t.ID = l.ShipmentID WHERE t.ExpectedReturnDate < ? AND %3 GROUP BY "
                       "l.ShipmentID) n JOIN Table_Shipment s ON s.ID = n.ID LEFT JOIN "
                       "Table_Contact c ON c.ID = s.ReceiverContactID ORDER BY "
                       "s.ExpectedReturnDate, s.ID")
            .arg(dialect::selectTerm(engine, QStringLiteral("s.ShipmentDate"), F::Date),
                 dialect::selectTerm(engine, QStringLiteral("s.ExpectedReturnDate"), F::Date),
                 QLatin1String(openLine));
    std::vector<OverdueShipment> found;
    for (const Row& r : store.select(sql, {dayStart(today), false},
                                     {F::Long, F::Text, F::Text, F::Date, F::Date, F::Long})) {
        const QDate expected = r[4].toDateTime().date();
        found.push_back({r[0].toInt(), text(r[1]), text(r[2]), r[3].toDateTime().date(), expected,
                         static_cast<int>(expected.daysTo(today)), r[5].toInt()});
    }
    return found;
}

// Where an asset is: in stock, or out to a receiver on a shipment.
QString location(const Row& r, size_t shipment) {
    if (r[shipment].toInt() <= 0)
        return QStringLiteral("In Stock");
    const QString receiver = text(r[shipment + 1]), name = text(r[shipment + 2]);
    return receiver.isEmpty() ? name : receiver + QStringLiteral(" \u2014 ") + name;
}

std::vector<MaintenanceDue> maintenanceDue(Store& store, const QDate& today, int days) {
    const QString sql =
        QStringLiteral("SELECT a.ID, a.ModelNumber, a.SerialNumber, e.Name, %1, a.ShipmentID, "
                       "c.Name, s.Name FROM Table_Asset a LEFT JOIN Table_Equipment e ON e.ID = "
                       "a.EquipmentID LEFT JOIN Table_Shipment s ON s.ID = a.ShipmentID LEFT JOIN "
                       "Table_Contact c ON c.ID = s.ReceiverContactID WHERE a.NextSchedMaint < ? "
                       "ORDER BY a.NextSchedMaint, a.ID")
            .arg(dialect::selectTerm(store.engine(), QStringLiteral("a.NextSchedMaint"), F::Date));
    std::vector<MaintenanceDue> found;
    for (const Row& r :
         store.select(sql, {dayStart(today.addDays(days + 1))},
                      {F::Long, F::Text, F::Text, F::Text, F::Date, F::Long, F::Text, F::Text})) {
        const QDate due = r[4].toDateTime().date();
        found.push_back({r[0].toInt(), text(r[1]), text(r[2]), text(r[3]), due,
                         static_cast<int>(today.daysTo(due)), location(r, 5)});
    }
    return found;
}

std::vector<OutDuringMaintenance> outDuringMaintenance(Store& store) {
    const Engine engine = store.engine();
    const QString sql =
        QStringLiteral("SELECT a.ID, a.ModelNumber, a.SerialNumber, s.ID, s.Name, %1, %2 FROM "
                       "Table_Asset a JOIN Table_Shipment s ON s.ID = a.ShipmentID WHERE "
                       "a.ShipmentID > 0 AND s.ExpectedReturnDate > a.NextSchedMaint ORDER BY "
                       "a.NextSchedMaint, a.ID")
            .arg(dialect::selectTerm(engine, QStringLiteral("a.NextSchedMaint"), F::Date),
                 dialect::selectTerm(engine, QStringLiteral("s.ExpectedReturnDate"), F::Date));
    std::vector<OutDuringMaintenance> found;
    for (const Row& r :
         store.select(sql, {}, {F::Long, F::Text, F::Text, F::Long, F::Text, F::Date, F::Date}))
        found.push_back({r[0].toInt(), text(r[1]), text(r[2]), r[3].toInt(), text(r[4]),
                         r[5].toDateTime().date(), r[6].toDateTime().date()});
    return found;
}

} // namespace

DueLists read_due_lists(Store& store, const QDate& today, int days) {
    return {overdueShipments(store, today), maintenanceDue(store, today, days),
            outDuringMaintenance(store)};
}

int shipment_days_overdue(Store& store, int shipment, const QDate& today) {
    const QString sql =
        QStringLiteral("SELECT %1 FROM Table_Shipment t WHERE t.ID = ? AND t.ExpectedReturnDate "
                       "< ? AND EXISTS (SELECT 1 FROM Table_ShippingList l WHERE l.ShipmentID = "
                       "t.ID AND %2)")
            .arg(dialect::selectTerm(store.engine(), QStringLiteral("t.ExpectedReturnDate"),
                                     F::Date),
                 QLatin1String(openLine));
    const auto rows = store.select(sql, {shipment, dayStart(today), false}, {F::Date});
    return rows.empty() ? 0 : static_cast<int>(rows.front()[0].toDateTime().date().daysTo(today));
}

bool any_shipment_overdue(Store& store, const QDate& today) {
    const QString sql =
        QStringLiteral("SELECT 1 FROM Table_ShippingList l JOIN Table_Shipment t ON t.ID = "
                       "l.ShipmentID WHERE t.ExpectedReturnDate < ? AND %1 LIMIT 1")
            .arg(QLatin1String(openLine));
    return !store.select(sql, {dayStart(today), false}, {F::Long}).empty();
}

} // namespace gearlog
