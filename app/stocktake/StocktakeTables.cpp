#include "StocktakeTables.h"

#include "FeatureTables.h"

namespace gearlog {

namespace {

FieldDef field(const char* name, FieldType type, bool required = false, int size = 0) {
    return {QString::fromLatin1(name), type, size, required,
            type == FieldType::Memo || (type == FieldType::Text && !required)};
}

TableDef makeStocktakeTable() {
    return {QStringLiteral("Table_stocktake"),
            {field("ID", FieldType::Long, true), field("Name", FieldType::Text, true, 255),
             field("AddressID", FieldType::Long, true), field("CategoryID", FieldType::Long),
             field("EquipmentID", FieldType::Long), field("DateTaken", FieldType::Date),
             field("StartedBy", FieldType::Text, false, 255),
             field("State", FieldType::Text, true, 20), field("DateApplied", FieldType::Date),
             field("Comments", FieldType::Memo)},
            {{QStringLiteral("ID"), true}, {QStringLiteral("AddressID"), false}}};
}

TableDef makeScanTable() {
    return {QStringLiteral("Table_stocktakescan"),
            {field("ID", FieldType::Long, true), field("StocktakeID", FieldType::Long, true),
             field("Code", FieldType::Text, false, 255), field("AssetID", FieldType::Long),
             field("Result", FieldType::Text, true, 20),
             field("Place", FieldType::Text, false, 255), field("DateScanned", FieldType::Date),
             field("ScannedBy", FieldType::Text, false, 255)},
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
