#include "ShippingHistory.h"

#include "AppState.h"
#include "DateField.h"
#include "NameLookup.h"
#include "Session.h"

namespace gearlog {

QString shipping_history_sql(int assetId, const std::array<bool, 3>& purposes) {
    QString sql = QStringLiteral("SELECT Table_shipment.*,Table_shippinglist.* FROM "
                                 "Table_shipment INNER JOIN Table_shippinglist ON "
                                 "Table_shipment.ID = Table_shippinglist.ShipmentID");
    if (purposes[0] && purposes[1] && purposes[2]) {
        sql += QStringLiteral(" WHERE");
    } else {
        QString p;
        for (size_t i = 0; i < purposes.size(); ++i)
            if (purposes[i])
                p += (p.isEmpty() ? QStringLiteral(" WHERE (Purpose = ")
                                  : QStringLiteral(" OR Purpose = ")) +
                     QString::number(i);
        sql += p + QStringLiteral(") AND");
    }
    return sql +
           QStringLiteral(" AssetID = %1 ORDER BY ShipmentDate,Table_shippinglist.ID,assetID;")
               .arg(assetId);
}

ShippingHistory build_shipping_history(Session& session, int assetId,
                                       const std::array<bool, 3>& purposes,
                                       const std::vector<int>& columns,
                                       const QStringList& purposeNames) {
    ShippingHistory history;
    if (!purposes[0] && !purposes[1] && !purposes[2])
        return history;
    Recordset& lines = session.open_query(shipping_history_sql(assetId, purposes));
    NameLookup contacts(session.rs_contact());
    NameLookup addresses(session.rs_address());
    std::vector<Recordset::FieldRef> fields;
    for (const HistoryColumn& c : history_columns)
        fields.push_back(lines.field(QString::fromLatin1(c.field)));
    const auto completed = lines.field(QStringLiteral("IsCompleted"));
    const auto cell = [&](int column) -> QString {
        const QVariant v = lines.value(fields[static_cast<size_t>(column) - 1]);
        switch (column) {
        case 1: // Date
            return v.isValid() ? format_date(v.toDate()) : QString();
        case 3: // Receiver
        case 5: // Shipper
            return contacts(v);
        case 4: // Location
        case 6: // Shipper Address
            return addresses(v);
        case 8: { // Shipping Method
            static const char* methods[] = {"Air", "Sea", "Road Freight"};
            if (!v.isValid())
                return {};
            const int m = v.toInt();
            return QString::fromLatin1(m >= 0 && m < 3 ? methods[m] : "Other");
        }
        case 9: // Arrival Confirmed
            return v.isValid() ? (v.toBool() ? QStringLiteral("Yes") : QStringLiteral("No"))
                               : QString();
        case 10: // Cost
            return v.isValid() ? QString::number(v.toDouble(), 'f', 2) : QString();
        case 11: // Purpose
            return v.isValid() && v.toInt() >= 0 && v.toInt() < purposeNames.size()
                       ? purposeNames[v.toInt()]
                       : QString();
        case 12: // Returned: only a completed line has a return date
            return lines.value(completed).toBool() && v.isValid() ? format_date(v.toDate())
                                                                  : QString();
        default: // Shipment Name, Consignment Note
            return v.toString();
        }
    };
    const QChar tab = QLatin1Char('\t');
    for (lines.moveFirst(); !lines.eof(); lines.moveNext()) {
        history.body += QString::number(++history.rows) + tab;
        for (int column : columns)
            history.body += cell(column) + tab;
        history.body += QLatin1Char('\r');
    }
    return history;
}

} // namespace gearlog
