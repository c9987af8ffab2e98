#include "Availability.h"

#include "BookingTables.h"
#include "Dialect.h"
#include "StoreValues.h"

#include <QSet>

namespace gearlog {

namespace {

using F = FieldType;

// The days of [from, to] a span [first, last] covers, as offsets.
std::pair<qint64, qint64> covered(const QDate& from, const QDate& to, const QDate& first,
                                  const QDate& last) {
    return {std::max<qint64>(0, from.daysTo(first)), std::min(from.daysTo(to), from.daysTo(last))};
}

// The types counted: one, or every type of a category (`key` names it).
enum class Types { One, OfCategory };

// Free units by type: each day's count kept as differences, then summed.
QHash<int, std::vector<int>> countFree(Store& store, Types types, int key, const QDate& from,
                                       const QDate& to, int leaveOut, const QDate& today) {
    const bool manyTypes = types == Types::OfCategory;
    const QString which =
        manyTypes ? QStringLiteral("IN (SELECT ID FROM Table_equipment WHERE CategoryID = ?)")
                  : QStringLiteral("= ?");
    QHash<int, std::vector<int>> change;
    const qint64 days = from.daysTo(to) + 1;
    if (days <= 0)
        return change;
    const auto of = [&](int type) -> std::vector<int>& {
        auto it = change.find(type);
        if (it == change.end())
            it = change.insert(type, std::vector<int>(static_cast<size_t>(days) + 1, 0));
        return *it;
    };
    const auto take = [&](int type, qint64 first, qint64 last, int units) {
        if (first > last)
            return;
        std::vector<int>& c = of(type);
        c[static_cast<size_t>(first)] -= units;
        c[static_cast<size_t>(last) + 1] += units;
    };
    for (const Row& assets : store.select(
             QStringLiteral("SELECT EquipmentID, count(*) FROM Table_asset WHERE EquipmentID ") +
                 which + QStringLiteral(" GROUP BY EquipmentID"),
             {key}, {F::Long, F::Long}))
        of(assets[0].toInt())[0] += assets[1].toInt();
    // Gone from the day it is disposed of.
    for (const Row& disposed :
         store.select(QStringLiteral("SELECT EquipmentID, DateDisposed FROM Table_asset WHERE "
                                     "DateDisposed IS NOT NULL AND EquipmentID ") +
                          which,
                      {key}, {F::Long, F::Date}))
        take(disposed[0].toInt(), std::max<qint64>(0, from.daysTo(disposed[1].toDateTime().date())),
             days - 1, 1);
    // Out until it is returned: to the day before its return, to the end
    // when it has no return date or is overdue.
    QSet<int> out;
    for (const Row& line : store.select(
             // For many types, from the open lines (indexed) to their
             // assets: "+" keeps out the types' index, which would visit
             // every asset of them; for one type, from its assets.
             QStringLiteral("SELECT l.AssetID, a.EquipmentID, s.ExpectedReturnDate, "
                            "a.DateDisposed FROM Table_shippinglist l JOIN Table_asset a ON a.ID "
                            "= l.AssetID JOIN Table_shipment s ON s.ID = l.ShipmentID WHERE %1 "
                            "AND %2a.EquipmentID ")
                     .arg(dialect::openLineTerm(store.engine(), QStringLiteral("l")),
                          manyTypes ? QStringLiteral("+") : QString()) +
                 which,
             {key}, {F::Long, F::Long, F::Date, F::Date})) {
        if (out.contains(line[0].toInt()))
            continue;
        out.insert(line[0].toInt());
        const QDate back = line[2].toDateTime().date();
        const QDate disposed = line[3].toDateTime().date();
        qint64 last = back.isValid() && back >= today ? from.daysTo(back) - 1 : days - 1;
        if (disposed.isValid()) // not taken twice on the days it is gone
            last = std::min(last, from.daysTo(disposed) - 1);
        take(line[1].toInt(), 0, std::min(last, days - 1), 1);
    }
    for (const Row& booked : store.select(
             QStringLiteral("SELECT l.EquipmentID, b.DateLeaves, b.DateBack, l.Quantity FROM "
                            "Table_bookingline l JOIN Table_booking b ON b.ID = l.BookingID "
                            "WHERE b.State = ? AND b.ID <> ? AND b.DateLeaves <= ? AND "
                            "b.DateBack >= ? AND l.EquipmentID ") +
                 which,
             {bookingState::booked, leaveOut, dayStart(to), dayStart(from), key},
             {F::Long, F::Date, F::Date, F::Long})) {
        const auto [first, last] =
            covered(from, to, booked[1].toDateTime().date(), booked[2].toDateTime().date());
        take(booked[0].toInt(), first, last, booked[3].toInt());
    }
    for (std::vector<int>& c : change) {
        int running = 0;
        for (int& day : c)
            day = running += day;
        c.pop_back();
    }
    return change;
}

} // namespace

std::vector<int> free_by_day(Store& store, int equipment, const QDate& from, const QDate& to,
                             int leaveOut, const QDate& today) {
    const auto free = countFree(store, Types::One, equipment, from, to, leaveOut, today);
    return free.value(
        equipment,
        std::vector<int>(static_cast<size_t>(std::max<qint64>(0, from.daysTo(to) + 1)), 0));
}

QHash<int, std::vector<int>> free_by_day_in_category(Store& store, int category, const QDate& from,
                                                     const QDate& to, const QDate& today) {
    return countFree(store, Types::OfCategory, category, from, to, 0, today);
}

} // namespace gearlog
