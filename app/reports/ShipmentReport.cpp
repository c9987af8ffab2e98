#include "ShipmentReport.h"

#include "DateField.h"
#include "NameLookup.h"
#include "Session.h"

namespace gearlog {

QString shipment_report_sql(const QDate& start, const QDate& end, bool unconfirmed) {
    QString condition;
    const auto join = [&] {
        return condition.isEmpty() ? QStringLiteral(" WHERE ")
                                   : condition + QStringLiteral(" AND ");
    };
    if (start.isValid())
        condition = QStringLiteral(" WHERE ShipmentDate >= #%1#").arg(start.toString(Qt::ISODate));
    // Both ends are whole days: a shipment sent at 14:00 on the last day is in.
    if (end.isValid())
        condition =
            join() +
            QStringLiteral(" ShipmentDate < #%1#").arg(end.addDays(1).toString(Qt::ISODate));
    condition = join() + (unconfirmed ? QStringLiteral(" ArrivalConfirmed = No")
                                      : QStringLiteral(" ArrivalConfirmed = Yes"));
    return QStringLiteral("SELECT * FROM Table_shipment ") + condition +
           QStringLiteral(" ORDER BY ShipmentDate DESC");
}

ShipmentReport build_shipment_report(Session& session, const QDate& start, const QDate& end,
                                     bool unconfirmed) {
    Recordset& shipments = session.open_query(shipment_report_sql(start, end, unconfirmed));
    NameLookup contacts(session.rs_contact());
    CommentTexts comments;
    const auto id = shipments.field(QStringLiteral("ID"));
    const auto sent = shipments.field(QStringLiteral("ShipmentDate"));
    const auto name = shipments.field(QStringLiteral("Name"));
    const auto receiver = shipments.field(QStringLiteral("ReceiverContactID"));
    const auto shipper = shipments.field(QStringLiteral("ShipperContactID"));
    const auto comment = shipments.field(QStringLiteral("Comments"));
    ShipmentReport report;
    for (shipments.moveFirst(); !shipments.eof(); shipments.moveNext()) {
        report.ids.push_back(shipments.value(id).toInt());
        const QVariant date = shipments.value(sent);
        report.rows.push_back(
            {QString::number(report.ids.size()),
             date.isValid() ? format_date(date.toDate()) : QString(),
             shipments.value(name).toString(), contacts(shipments.value(receiver)),
             contacts(shipments.value(shipper)), comments(shipments.value(comment))});
    }
    return report;
}

} // namespace gearlog
