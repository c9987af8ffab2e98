#pragma once

#include "Store.h"

#include <QDate>
#include <QHash>
#include <vector>

namespace gearlog {

// How many units of an equipment type are free on each day from `from` to
// `to` (both included): its assets not disposed of by then, less those out
// that day (on an open line of a shipment expected back after it, overdue,
// or with no return date), less what bookings not yet dispatched take that
// day. `leaveOut` is a booking whose own lines are not counted (one being
// changed). Read from the store as it stands.
std::vector<int> free_by_day(Store& store, int equipment, const QDate& from, const QDate& to,
                             int leaveOut = 0, const QDate& today = QDate::currentDate());

// The same for every type of a category at once, by type (a type with no
// assets and no bookings is left out: none free).
QHash<int, std::vector<int>> free_by_day_in_category(Store& store, int category, const QDate& from,
                                                     const QDate& to,
                                                     const QDate& today = QDate::currentDate());

} // namespace gearlog
