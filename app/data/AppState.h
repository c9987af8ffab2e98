#pragma once

#include <QDate>
#include <QString>
#include <vector>

namespace gearlog {

// The shipping-history columns: number n (1..12) has caption n-1 and
// field n-1 of these lists.
struct HistoryColumn {
    const char* caption;
    const char* field;
};
inline constexpr HistoryColumn history_columns[12] = {
    {"Date", "ShipmentDate"},
    {"Shipment Name", "Name"},
    {"Receiver", "ReceiverContactID"},
    {"Location", "ReceiverAddressID"},
    {"Shipper", "ShipperContactID"},
    {"Shipper Address", "ShipperAddressID"},
    {"Consignment Note", "ConsignmentNote"},
    {"Shipping Method", "ShippingMethod"},
    {"Arrival Confirmed", "ArrivalConfirmed"},
    {"Cost", "Cost"},
    {"Purpose", "Purpose"},
    {"Returned", "CompletionDate"},
};

// Blue: the colour new contacts and addresses start with (0x00BBGGRR).
inline constexpr int new_record_colour = 0xFF0000;

// What a caller hands to the contact dialog and gets back from it.
struct ContactExchange {
    QString name, phone, email;
    int address_id = -1;
    int colour = new_record_colour;
    int save_choice = 0; // 0 "Save", 1 "Save New"
};

struct AddressExchange {
    QString name;
    QString text; // RTF markup
    int colour = new_record_colour;
    int save_choice = 0;
};

// The selection and dialog-exchange values the views share. The main
// window owns it and hands it to every view.
struct AppState {
    QString current_category;
    QString current_photo;
    QString current_equipment;
    int location_address_id = -1;
    int location_contact_id = -1;
    // The shipping-history column numbers in display order.
    std::vector<int> selected_fields;
    // Set while lists are filled by code, so handlers can tell it from the user.
    bool loading = false;

    // Dialog exchange: the caller sets dialog_cancelled before showing a
    // dialog; the dialog clears it when it returns a result.
    bool dialog_cancelled = true;
    ContactExchange contact;
    AddressExchange address;
    QDate dialog_date; // null is the empty date
};

} // namespace gearlog
