#pragma once

#include "GridSort.h"

#include <QString>
#include <QStringList>

namespace gearlog {

class Session;

// What the equipment report lists: a category and an equipment type (-1
// for "All"), and at most one of a receiving contact (the assets out on a
// shipment to that contact) and a location (an address key; 0 for the
// assets in stock); -1 for no such filter.
struct EquipmentReportFilter {
    int category = -1;
    int equipment = -1;
    int contact = -1;
    int location = -1;
};

// The report's rows (row number, then the twelve cells) and the sums of
// the three money columns over them.
struct EquipmentReport {
    StringTable rows;
    std::vector<int> assets; // the asset of each row
    double purchase = 0, replacement = 0, customs = 0;
};

// The twelve column headings, codes 1 to 12.
const QStringList& equipment_report_headings();

// The query of the report for a category and a type, in the four orders.
QString equipment_report_sql(int category, int equipment);

// Builds the report from the session's working query cursor. An asset out
// on a shipment is located at the shipment's receiving address and
// contact, any other at its office.
EquipmentReport build_equipment_report(Session& session, const EquipmentReportFilter& filter);

} // namespace gearlog
