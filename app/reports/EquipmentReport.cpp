#include "EquipmentReport.h"

#include "DateField.h"
#include "NameLookup.h"
#include "RecordHelpers.h"
#include "Session.h"

namespace gearlog {

namespace {

QString money(const QVariant& value) {
    return value.isValid() ? QString::number(value.toDouble(), 'f', 2) : QString();
}

QString date(const QVariant& value) {
    return value.isValid() ? format_date(value.toDate()) : QString();
}

int keyOf(const QVariant& value) {
    return value.isValid() ? value.toInt() : -1;
}

} // namespace

const QStringList& equipment_report_headings() {
    static const QStringList headings = {QStringLiteral("Category"),
                                         QStringLiteral("Equipment"),
                                         QStringLiteral("Model"),
                                         QStringLiteral("Serial No"),
                                         QStringLiteral("Date Acquired"),
                                         QStringLiteral("Purchase Price"),
                                         QStringLiteral("Replacement Value"),
                                         QStringLiteral("Customs Value"),
                                         QStringLiteral("Accounts Office"),
                                         QStringLiteral("Present Location"),
                                         QStringLiteral("Status"),
                                         QStringLiteral("Comments")};
    return headings;
}

QString equipment_report_sql(int category, int equipment) {
    // The fields the report shows, not every field: a report of every
    // asset reads no more than it must.
    QString sql = QStringLiteral(
        "SELECT Table_Asset.ID, CategoryID, EquipmentID, ModelNumber, SerialNumber, DateAcquired, "
        "PurchasePrice, ReplacementCost, Valuation, AccountID, ShipmentID, StatusID, "
        "Table_Asset.Comments FROM "
        "[Table_Equipment] INNER JOIN [Table_Asset] ON [Table_Equipment].ID = "
        "[Table_Asset].EquipmentID");
    if (category == -1 && equipment == -1)
        return sql + QStringLiteral(" ORDER BY CategoryID,EquipmentID,AccountID,ModelNumber;");
    if (category == -1)
        return sql + QStringLiteral(" WHERE EquipmentID = %1 ORDER BY AccountID,ModelNumber;")
                         .arg(equipment);
    if (equipment == -1)
        return sql +
               QStringLiteral(" WHERE CategoryID = %1 ORDER BY EquipmentID,AccountID,ModelNumber;")
                   .arg(category);
    return sql + QStringLiteral(" WHERE CategoryID = %1 AND EquipmentID = %2 ORDER BY "
                                "AccountID,ModelNumber;")
                     .arg(category)
                     .arg(equipment);
}

EquipmentReport build_equipment_report(Session& session, const EquipmentReportFilter& filter) {
    Recordset& assets = session.open_query(equipment_report_sql(filter.category, filter.equipment));
    NameLookup categories(session.rs_category(), true);
    NameLookup equipment(session.rs_equipment(), true);
    NameLookup statuses(session.rs_status(), true);
    NameLookup addresses(session.rs_address(), true);
    CommentTexts comments;
    // Where each shipment is received: address and contact keys.
    QHash<int, std::pair<int, int>> receivers;
    Recordset& shipments = session.rs_shipment();
    Recordset& addressRows = session.rs_address();
    Recordset& contactRows = session.rs_contact();
    const auto receiverOf = [&](int shipment) {
        if (const auto known = receivers.constFind(shipment); known != receivers.constEnd())
            return known.value();
        std::pair<int, int> receiver{-1, 0};
        if (find_record_by_number(shipments, QStringLiteral("ID"), shipment)) {
            const int address = key_of(shipments, QStringLiteral("ReceiverAddressID"));
            const int contact = key_of(shipments, QStringLiteral("ReceiverContactID"));
            if (address >= 0 && find_record_by_number(addressRows, QStringLiteral("ID"), address)) {
                receiver.first = address;
                if (contact >= 0 &&
                    find_record_by_number(contactRows, QStringLiteral("ID"), contact))
                    receiver.second = contact;
            }
        }
        receivers.insert(shipment, receiver);
        return receiver;
    };

    const auto f = [&](const char* name) {
        return assets.field(QString::fromLatin1(name));
    };
    const auto category = f("CategoryID"), type = f("EquipmentID"), model = f("ModelNumber"),
               serial = f("SerialNumber"), acquired = f("DateAcquired"), price = f("PurchasePrice"),
               replacement = f("ReplacementCost"), customs = f("Valuation"),
               account = f("AccountID"), shipment = f("ShipmentID"), status = f("StatusID"),
               comment = f("Comments"), key = f("ID");
    EquipmentReport report;
    for (assets.moveFirst(); !assets.eof(); assets.moveNext()) {
        const QString office = addresses(assets.value(account));
        QString location = office;
        int locationKey = keyOf(assets.value(account));
        int contactKey = 0;
        const int out = keyOf(assets.value(shipment));
        if (out > 0) {
            const auto [address, contact] = receiverOf(out);
            if (address >= 0) {
                locationKey = address;
                location = addresses(address);
                contactKey = contact;
            }
        }
        if (filter.contact >= 0 && contactKey != filter.contact)
            continue;
        // "In Stock" (0) is every asset not out on a shipment.
        if (filter.location == 0 && out > 0)
            continue;
        if (filter.location > 0 && locationKey != filter.location)
            continue;
        const QVariant p = assets.value(price), r = assets.value(replacement),
                       c = assets.value(customs);
        report.purchase += p.toDouble();
        report.replacement += r.toDouble();
        report.customs += c.toDouble();
        report.assets.push_back(assets.value(key).toInt());
        report.rows.push_back({QString::number(report.rows.size() + 1),
                               categories(assets.value(category)), equipment(assets.value(type)),
                               assets.value(model).toString(), assets.value(serial).toString(),
                               date(assets.value(acquired)), money(p), money(r), money(c), office,
                               location, statuses(assets.value(status)),
                               comments(assets.value(comment))});
    }
    return report;
}

} // namespace gearlog
