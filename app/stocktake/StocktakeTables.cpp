#include "StocktakeTables.h"

#include "Database.h"
#include "FeatureTables.h"

namespace gearlog {

namespace {

TableDef makeStocktakeTable() {
    return {
        QStringLiteral("Table_stocktake"),
        {feature_field("ID", FieldType::Long, true),
         feature_field("Name", FieldType::Text, true, 255),
         feature_field("AddressID", FieldType::Long, true),
         feature_field("CategoryID", FieldType::Long),
         feature_field("EquipmentID", FieldType::Long), feature_field("DateTaken", FieldType::Date),
         feature_field("StartedBy", FieldType::Text, false, 255),
         feature_field("State", FieldType::Text, true, 20),
         feature_field("DateApplied", FieldType::Date), feature_field("Comments", FieldType::Memo)},
        {{QStringLiteral("ID"), true}, {QStringLiteral("AddressID"), false}}};
}

TableDef makeScanTable() {
    return {QStringLiteral("Table_stocktakescan"),
            {feature_field("ID", FieldType::Long, true),
             feature_field("StocktakeID", FieldType::Long, true),
             feature_field("Code", FieldType::Text, false, 255),
             feature_field("AssetID", FieldType::Long),
             feature_field("Result", FieldType::Text, true, 20),
             feature_field("Place", FieldType::Text, false, 255),
             feature_field("DateScanned", FieldType::Date),
             feature_field("ScannedBy", FieldType::Text, false, 255)},
            {{QStringLiteral("ID"), true},
             {QStringLiteral("StocktakeID"), false},
             {QStringLiteral("AssetID"), false}}};
}

} // namespace

const TableDef& stocktakeTable() {
    static const TableDef table = makeStocktakeTable();
    return table;
}

const TableDef& stocktakeScanTable() {
    static const TableDef table = makeScanTable();
    return table;
}

bool has_stocktake_tables(Store& store) {
    return store.tableNames().contains(stocktakeScanTable().name.toLower());
}

bool has_stocktake_tables(Database& db) {
    return db.hasTable(stocktakeScanTable().name);
}

void enableStocktakes() {
    const QString stocktake = stocktakeTable().name, scan = stocktakeScanTable().name;
    // A scan's AssetID is not a reference: it records what a code named
    // that day, and stays true when the asset is deleted later.
    addFeatureTables(
        QStringLiteral("stocktakes"), {stocktakeTable(), stocktakeScanTable()},
        {{stocktake, QStringLiteral("AddressID"), QStringLiteral("Table_address"), true},
         {stocktake, QStringLiteral("CategoryID"), QStringLiteral("Table_category")},
         {stocktake, QStringLiteral("EquipmentID"), QStringLiteral("Table_equipment")},
         {scan, QStringLiteral("StocktakeID"), stocktake, true}},
        // A code scanned again in a session is found by its own look-up.
        {{QStringLiteral("Table_stocktakescan_code"), scan,
          QStringLiteral("(StocktakeID, Code)")}});
}

} // namespace gearlog
