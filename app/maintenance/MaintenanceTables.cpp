#include "MaintenanceTables.h"

#include "FeatureTables.h"

namespace gearlog {

namespace {

FieldDef field(const char* name, FieldType type, bool required = false, int size = 0) {
    return {QString::fromLatin1(name), type, size, required,
            type == FieldType::Memo || (type == FieldType::Text && !required)};
}

TableDef makeKindTable() {
    return {QStringLiteral("Table_maintenancekind"),
            {field("ID", FieldType::Long, true), field("Name", FieldType::Text, true, 255)},
            {{QStringLiteral("ID"), true}, {QStringLiteral("Name"), false}}};
}

TableDef makePlanTable() {
    return {QStringLiteral("Table_maintenanceplan"),
            {field("ID", FieldType::Long, true), field("EquipmentID", FieldType::Long),
             field("AssetID", FieldType::Long), field("IntervalDays", FieldType::Long, true),
             field("KindID", FieldType::Long)},
            {{QStringLiteral("ID"), true},
             {QStringLiteral("EquipmentID"), false},
             {QStringLiteral("AssetID"), false}}};
}

TableDef makeLogTable() {
    return {QStringLiteral("Table_maintenance"),
            {field("ID", FieldType::Long, true), field("AssetID", FieldType::Long, true),
             field("DateDone", FieldType::Date, true), field("KindID", FieldType::Long),
             field("DoneBy", FieldType::Text, false, 255), field("ContactID", FieldType::Long),
             field("Result", FieldType::Text, true, 20), field("Cost", FieldType::Double),
             field("Notes", FieldType::Memo), field("NextDate", FieldType::Date),
             field("CertificateName", FieldType::Text, false, 255),
             field("CertificateSize", FieldType::Long),
             field("CertificateHash", FieldType::Text, false, 64),
             field("Certificate", FieldType::LongBinary)},
            {{QStringLiteral("ID"), true}}};
}

} // namespace

const TableDef& maintenanceKindTable() {
    static const TableDef table = makeKindTable();
    return table;
}

const TableDef& maintenancePlanTable() {
    static const TableDef table = makePlanTable();
    return table;
}

const TableDef& maintenanceTable() {
    static const TableDef table = makeLogTable();
    return table;
}

bool has_maintenance_tables(Store& store) {
    return store.tableNames().contains(maintenanceTable().name.toLower());
}

void enableMaintenance() {
    const QString kind = maintenanceKindTable().name, plan = maintenancePlanTable().name,
                  log = maintenanceTable().name;
    addFeatureTables(QStringLiteral("maintenance"),
                     {maintenanceKindTable(), maintenancePlanTable(), maintenanceTable()},
                     {{plan, QStringLiteral("EquipmentID"), QStringLiteral("Table_equipment")},
                      {plan, QStringLiteral("AssetID"), QStringLiteral("Table_asset")},
                      {plan, QStringLiteral("KindID"), kind},
                      {log, QStringLiteral("AssetID"), QStringLiteral("Table_asset"), true},
                      {log, QStringLiteral("KindID"), kind},
                      {log, QStringLiteral("ContactID"), QStringLiteral("Table_contact")}},
                     // An asset's log, newest first, is read by its own look-up; so are
                     // the assets whose last entry failed.
                     {{QStringLiteral("Table_maintenance_asset"), log,
                       QStringLiteral("(AssetID, DateDone, ID)")},
                      {QStringLiteral("Table_maintenance_failed"), log,
                       QStringLiteral("(AssetID) WHERE Result = 'Failed'")}});
}

} // namespace gearlog
