#include "BookingTables.h"

#include "FeatureTables.h"

namespace gearlog {

namespace {

TableDef makeBookingTable() {
    return {QStringLiteral("Table_booking"),
            {feature_field("ID", FieldType::Long, true),
             feature_field("Name", FieldType::Text, true, 255),
             feature_field("ReceiverContactID", FieldType::Long),
             feature_field("ReceiverAddressID", FieldType::Long),
             feature_field("DateLeaves", FieldType::Date),
             feature_field("DateBack", FieldType::Date),
             feature_field("Purpose", FieldType::Text, false, 255),
             feature_field("Comments", FieldType::Memo),
             feature_field("State", FieldType::Text, true, 20),
             feature_field("ShipmentID", FieldType::Long)},
            {{QStringLiteral("ID"), true}, {QStringLiteral("DateLeaves"), false}}};
}

TableDef makeLineTable() {
    return {QStringLiteral("Table_bookingline"),
            {feature_field("ID", FieldType::Long, true),
             feature_field("BookingID", FieldType::Long, true),
             feature_field("EquipmentID", FieldType::Long, true),
             feature_field("Quantity", FieldType::Long, true),
             feature_field("AssetID", FieldType::Long)},
            {{QStringLiteral("ID"), true},
             {QStringLiteral("BookingID"), false},
             {QStringLiteral("EquipmentID"), false}}};
}

} // namespace

const TableDef& bookingTable() {
    static const TableDef table = makeBookingTable();
    return table;
}

const TableDef& bookingLineTable() {
    static const TableDef table = makeLineTable();
    return table;
}

bool has_booking_tables(Store& store) {
    return store.tableNames().contains(bookingTable().name.toLower());
}

void enableBookings() {
    const QString booking = bookingTable().name, line = bookingLineTable().name;
    addFeatureTables(
        QStringLiteral("bookings"), {bookingTable(), bookingLineTable()},
        {{booking, QStringLiteral("ReceiverContactID"), QStringLiteral("Table_contact")},
         {booking, QStringLiteral("ReceiverAddressID"), QStringLiteral("Table_address")},
         {booking, QStringLiteral("ShipmentID"), QStringLiteral("Table_shipment")},
         {line, QStringLiteral("BookingID"), booking, true},
         {line, QStringLiteral("EquipmentID"), QStringLiteral("Table_equipment"), true},
         {line, QStringLiteral("AssetID"), QStringLiteral("Table_asset")}});
}

} // namespace gearlog
