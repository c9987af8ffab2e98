#pragma once

#include <QDate>
#include <QString>
#include <utility>
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

// How the columns of a report or list grid were last sorted since it was
// built: per column 0 (not sorted), 1 (ascending) or -1 (descending).
struct GridSortState {
    std::vector<int> columns;
    // Whether the next sort by the column is descending (after an ascending
    // one), recording it: ascending first, then alternating.
    bool nextDescending(int column) {
        if (column >= static_cast<int>(columns.size()))
            columns.resize(static_cast<size_t>(column) + 1, 0);
        int& state = columns[static_cast<size_t>(column)];
        const bool descending = state == 1;
        state = descending ? -1 : 1;
        return descending;
    }
};

// The selection and dialog-exchange values the views share: view state,
// not data. The main window owns it and hands it to every view.
struct AppState {
    QString current_category;
    QString current_photo;
    QString current_equipment;
    int current_asset_id = -1;
    QString current_asset_model;
    QString current_asset_serial;
    int current_shipment_id = -1;
    // Lines of the shipping list ticked for return or transfer.
    int ticked_line_count = 0;
    int location_address_id = -1;
    int location_contact_id = -1;
    GridSortState report_sort;
    GridSortState report_shipment_sort;
    GridSortState list_sort;
    // The shipments the shipment report lists, in its row order.
    std::vector<int> report_shipment_ids;
    // The shipping-history column numbers in display order.
    std::vector<int> selected_fields;
    // Set while lists are filled by code, so handlers can tell it from the user.
    bool loading = false;

    // Forgets what was selected in the database that was open.
    void clear_selection() {
        current_category.clear();
        current_photo.clear();
        current_equipment.clear();
        current_asset_id = -1;
        current_asset_model.clear();
        current_asset_serial.clear();
        current_shipment_id = -1;
        ticked_line_count = 0;
        report_shipment_ids.clear();
    }

    // Dialog exchange: the caller sets dialog_cancelled before showing a
    // dialog; the dialog clears it when it returns a result.
    bool dialog_cancelled = true;
    ContactExchange contact;
    AddressExchange address;
    QDate dialog_date; // null is the empty date
};

// Raises a loading flag for as long as it lives, or until lower(): a fill
// that throws can never leave the views ignoring the user.
class LoadingGuard {
public:
    explicit LoadingGuard(bool& flag) : m_flag(flag), m_previous(std::exchange(flag, true)) {}
    ~LoadingGuard() { lower(); }
    void lower() { m_flag = m_previous; }
    LoadingGuard(const LoadingGuard&) = delete;
    LoadingGuard& operator=(const LoadingGuard&) = delete;

private:
    bool& m_flag;
    bool m_previous;
};

} // namespace gearlog
