#include "BookingTables.h"

#include "FeatureTables.h"

namespace gearlog {

namespace {

FieldDef field(const char* name, FieldType type, bool required = false, int size = 0) {
    return {QString::fromLatin1(name), type, size, required,
            type == FieldType::Memo || (type == FieldType::Text && !required)};
}

TableDef makeBookingTable() {
    return {QStringLiteral("Table_booking"),
            {field("ID", FieldType::Long, true), field("Name", FieldType::Text, true, 255),
             field("ReceiverContactID", FieldType::Long),
             field("ReceiverAddressID", FieldType::Long), field("DateLeaves", FieldType::Date),
             field("DateBack", FieldType::Date), field("Purpose", FieldType::Text, false, 255),
             field("Comments", FieldType::Memo), field("State", FieldType::Text, true, 20),
             field("ShipmentID", FieldType::Long)},
            {{QStringLiteral("ID"), true}, {QStringLiteral("DateLeaves"), false}}};
}

TableDef makeLineTable() {
    return {QStringLiteral("Table_bookingline"),
            {field("ID", FieldType::Long, true), field("BookingID", FieldType::Long, true),
             field("EquipmentID", FieldType::Long, true), field("Quantity", FieldType::Long, true),
             field("AssetID", FieldType::Long)},
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
