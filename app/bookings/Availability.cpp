#include "Availability.h"

#include "BookingTables.h"

#include <QSet>

namespace gearlog {

namespace {

using F = FieldType;

// The days of [from, to] a span [first, last] covers, as offsets.
std::pair<qint64, qint64> covered(const QDate& from, const QDate& to, const QDate& first,
                                  const QDate& last) {
    return {std::max<qint64>(0, from.daysTo(first)), std::min(from.daysTo(to), from.daysTo(last))};
}

} // namespace

std::vector<int> free_by_day(Store& store, int equipment, const QDate& from, const QDate& to,
                             int leaveOut, const QDate& today) {
    const qint64 days = from.daysTo(to) + 1;
    if (days <= 0)
        return {};
    // Each day's count as differences: +1 from the day a unit is free.
    std::vector<int> change(static_cast<size_t>(days) + 1, 0);
    const auto take = [&](qint64 first, qint64 last, int units) {
        if (first > last)
            return;
        change[static_cast<size_t>(first)] -= units;
        change[static_cast<size_t>(last) + 1] += units;
    };
    for (const Row& asset : store.select(
             QStringLiteral("SELECT ID, DateDisposed FROM Table_asset WHERE EquipmentID = ?"),
             {equipment}, {F::Long, F::Date})) {
        change[0] += 1;
        // Gone from the day it is disposed of.
        if (asset[1].isValid())
            take(std::max<qint64>(0, from.daysTo(asset[1].toDateTime().date())), days - 1, 1);
    }
    // Out until it is returned: to the day before its return, to the end
    // when it has no return date or is overdue.
    QSet<int> out;
    for (const Row& line : store.select(
             QStringLiteral("SELECT l.AssetID, s.ExpectedReturnDate, a.DateDisposed FROM "
                            "Table_shippinglist l JOIN Table_asset a ON a.ID = l.AssetID JOIN "
                            "Table_shipment s ON s.ID = l.ShipmentID WHERE a.EquipmentID = ? AND "
                            "l.IsCompleted = ?"),
             {equipment, false}, {F::Long, F::Date, F::Date})) {
        if (out.contains(line[0].toInt()))
            continue;
        out.insert(line[0].toInt());
        const QDate back = line[1].toDateTime().date();
        const QDate disposed = line[2].toDateTime().date();
        qint64 last = back.isValid() && back >= today ? from.daysTo(back) - 1 : days - 1;
        if (disposed.isValid()) // not taken twice on the days it is gone
            last = std::min(last, from.daysTo(disposed) - 1);
        take(0, std::min(last, days - 1), 1);
    }
    for (const Row& booked : store.select(
             QStringLiteral("SELECT b.DateLeaves, b.DateBack, l.Quantity FROM Table_bookingline l "
                            "JOIN Table_booking b ON b.ID = l.BookingID WHERE l.EquipmentID = ? "
                            "AND b.State = ? AND b.ID <> ? AND b.DateLeaves <= ? AND b.DateBack "
                            ">= ?"),
             {equipment, bookingState::booked, leaveOut, QDateTime(to, QTime(), Qt::UTC),
              QDateTime(from, QTime(), Qt::UTC)},
             {F::Date, F::Date, F::Long})) {
        const auto [first, last] =
            covered(from, to, booked[0].toDateTime().date(), booked[1].toDateTime().date());
        take(first, last, booked[2].toInt());
    }
    std::vector<int> free(static_cast<size_t>(days));
    int running = 0;
    for (size_t d = 0; d < free.size(); ++d)
        free[d] = running += change[d];
    return free;
}

} // namespace gearlog
