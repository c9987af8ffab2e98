#pragma once

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

// The selection and dialog-exchange values the views share. The main
// window owns it and hands it to every view.
struct AppState {
    QString current_category;
    QString current_photo;
    QString current_equipment;
    int current_asset_id = -1;
    QString current_asset_model;
    QString current_asset_serial;
    int current_shipment_id = -1;
    int location_address_id = -1;
    int location_contact_id = -1;
    // The shipping-history column numbers in display order.
    std::vector<int> selected_fields;
    // Set while lists are filled by code, so handlers can tell it from the user.
    bool loading = false;
};

} // namespace gearlog
