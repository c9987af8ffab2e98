#include "MaintenanceTables.h"

#include "Database.h"
#include "FeatureTables.h"

namespace gearlog {

namespace {

TableDef makeKindTable() {
    return {QStringLiteral("Table_maintenancekind"),
            {feature_field("ID", FieldType::Long, true),
             feature_field("Name", FieldType::Text, true, 255)},
            {{QStringLiteral("ID"), true}, {QStringLiteral("Name"), false}}};
}

TableDef makePlanTable() {
    return {QStringLiteral("Table_maintenanceplan"),
            {feature_field("ID", FieldType::Long, true),
             feature_field("EquipmentID", FieldType::Long),
             feature_field("AssetID", FieldType::Long),
             feature_field("IntervalDays", FieldType::Long, true),
             feature_field("KindID", FieldType::Long)},
            {{QStringLiteral("ID"), true},
             {QStringLiteral("EquipmentID"), false},
             {QStringLiteral("AssetID"), false}}};
}

TableDef makeLogTable() {
    return {QStringLiteral("Table_maintenance"),
            {feature_field("ID", FieldType::Long, true),
             feature_field("AssetID", FieldType::Long, true),
             feature_field("DateDone", FieldType::Date, true),
             feature_field("KindID", FieldType::Long),
             feature_field("DoneBy", FieldType::Text, false, 255),
             feature_field("ContactID", FieldType::Long),
             feature_field("Result", FieldType::Text, true, 20),
             feature_field("Cost", FieldType::Double), feature_field("Notes", FieldType::Memo),
             feature_field("NextDate", FieldType::Date),
             feature_field("CertificateName", FieldType::Text, false, 255),
             feature_field("CertificateSize", FieldType::Long),
             feature_field("CertificateHash", FieldType::Text, false, 64),
             feature_field("Certificate", FieldType::LongBinary)},
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

bool has_maintenance_tables(Database& db) {
    return db.hasTable(maintenanceTable().name);
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
