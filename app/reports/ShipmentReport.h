#pragma once

#include "GridSort.h"

#include <QDate>
#include <QString>
#include <vector>

namespace gearlog {

class Session;

// The shipments sent in a date range (a null date is no limit; both ends
// included) whose arrival is confirmed, or with `unconfirmed` those whose
// arrival is not, newest first. Dates reach the SQL in ISO form, read the
// same in every locale.
QString shipment_report_sql(const QDate& start, const QDate& end, bool unconfirmed);

// The rows (row number, date, name, receiver, shipper and the comments as
// plain text) and the shipment of each row in order.
struct ShipmentReport {
    StringTable rows;
    std::vector<int> ids;
};
ShipmentReport build_shipment_report(Session& session, const QDate& start, const QDate& end,
                                     bool unconfirmed);

} // namespace gearlog
