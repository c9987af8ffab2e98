#include "Bookings.h"

#include "Availability.h"
#include "BookingTables.h"
#include "Dialect.h"
#include "RecordHelpers.h"
#include "RowWriter.h"
#include "StoreValues.h"
#include "TypedText.h"

#include <QMap>

namespace gearlog {

namespace {

using F = FieldType;

ColumnValues bookingValues(const Booking& b) {
    const TableDef& t = bookingTable();
    const auto f = [&t](const char* name) {
        return findField(t, QString::fromLatin1(name));
    };
    return {{f("Name"), b.name},
            {f("ReceiverContactID"), b.contact},
            {f("ReceiverAddressID"), b.address},
            {f("DateLeaves"), dayStart(b.leaves)},
            {f("DateBack"), dayStart(b.back)},
            {f("Purpose"), b.purpose},
            {f("Comments"), b.comments},
            {f("State"), b.state},
            {f("ShipmentID"), b.shipment}};
}

QString equipmentName(Store& store, int equipment) {
    const auto rows = store.select(QStringLiteral("SELECT Name FROM Table_equipment WHERE ID = ?"),
                                   {equipment}, {F::Text});
    return rows.empty() ? QString() : rows.front()[0].toString();
}

// Why a named asset cannot go on the booking's days, or nothing: it is
// another type's, disposed of by then, out on one of them (until the day
// before its return; all along when overdue or undated), or another
// booking names it on one of them.
QString namedAssetProblem(Store& store, const Booking& b, const BookingLine& line,
                          const QDate& today) {
    const auto asset = store.select(
        QStringLiteral("SELECT EquipmentID, DateDisposed FROM Table_asset WHERE ID = ?"),
        {line.asset}, {F::Long, F::Date});
    if (asset.empty() || asset.front()[0].toInt() != line.equipment)
        return QStringLiteral("Asset %1 is not one of the %2 booked")
            .arg(line.asset)
            .arg(equipmentName(store, line.equipment));
    const QDate disposed = asset.front()[1].toDateTime().date();
    if (disposed.isValid() && disposed <= b.back)
        return QStringLiteral("Asset %1 is disposed of on %2")
            .arg(line.asset)
            .arg(format_date(disposed));
    for (const Row& out : store.select(
             QStringLiteral("SELECT s.Name, s.ExpectedReturnDate FROM Table_shippinglist l JOIN "
                            "Table_shipment s ON s.ID = l.ShipmentID WHERE l.AssetID = ? AND %1")
                 .arg(dialect::openLineTerm(store.engine(), QStringLiteral("l"))),
             {line.asset}, {F::Text, F::Date})) {
        const QDate back = out[1].toDateTime().date();
        if (!back.isValid() || back < today)
            return QStringLiteral("Asset %1 is out on %2 and not back")
                .arg(line.asset)
                .arg(out[0].toString());
        if (back > std::max(b.leaves, today))
            return QStringLiteral("Asset %1 is out on %2 until %3")
                .arg(line.asset)
                .arg(out[0].toString(), format_date(back));
    }
    const auto other = store.select(
        QStringLiteral("SELECT b.Name FROM Table_bookingline l JOIN Table_booking b ON b.ID = "
                       "l.BookingID WHERE l.AssetID = ? AND b.State = ? AND b.ID <> ? AND "
                       "b.DateLeaves <= ? AND b.DateBack >= ?"),
        {line.asset, bookingState::booked, b.id, dayStart(b.back), dayStart(b.leaves)}, {F::Text});
    if (!other.empty())
        return QStringLiteral("Asset %1 is booked for \"%2\" on some of these days")
            .arg(line.asset)
            .arg(other.front()[0].toString());
    return {};
}

// Each booked type's units against what is free on each of the days, and
// each named asset free on all of them.
void requireFree(Database& db, const Booking& b) {
    QMap<int, int> asked; // by type, in key order so two desks hold rows alike
    for (const BookingLine& line : b.lines)
        asked[line.equipment] += line.quantity;
    for (auto it = asked.cbegin(); it != asked.cend(); ++it) {
        if (!lock_row(db, QStringLiteral("Table_equipment"), it.key(), RowLock::ForDelete))
            throw BookingRefused(QStringLiteral("Equipment type %1 does not exist").arg(it.key()));
        const std::vector<int> free = free_by_day(db.store(), it.key(), b.leaves, b.back, b.id);
        for (size_t d = 0; d < free.size(); ++d)
            if (free[d] < it.value())
                throw BookingRefused(
                    QStringLiteral("Only %1 %2 %3 free on %4; the booking asks for %5.")
                        .arg(std::max(free[d], 0))
                        .arg(equipmentName(db.store(), it.key()),
                             free[d] == 1 ? QStringLiteral("is") : QStringLiteral("are"),
                             format_date(b.leaves.addDays(static_cast<qint64>(d))))
                        .arg(it.value()));
    }
    for (const BookingLine& line : b.lines)
        if (line.asset > 0)
            if (const QString problem =
                    namedAssetProblem(db.store(), b, line, QDate::currentDate());
                !problem.isEmpty())
                throw BookingRefused(problem + QLatin1Char('.'));
}

void requireComplete(const Booking& b) {
    if (b.name.trimmed().isEmpty())
        throw BookingRefused(QStringLiteral("A booking needs a name"));
    if (!b.leaves.isValid() || !b.back.isValid())
        throw BookingRefused(QStringLiteral("A booking needs the day it leaves and the day it is "
                                            "back"));
    if (b.back < b.leaves)
        throw BookingRefused(QStringLiteral("The day it is back is before the day it leaves"));
    if (b.lines.empty())
        throw BookingRefused(QStringLiteral("A booking needs at least one line"));
    for (const BookingLine& line : b.lines)
        if (line.quantity < 1 || (line.asset > 0 && line.quantity != 1))
            throw BookingRefused(QStringLiteral("Each line books one or more units (a named asset, "
                                                "one)"));
}

void writeLines(Database& db, const Booking& b, int id) {
    const TableDef& t = bookingLineTable();
    RowWriter lines(db, t);
    for (const Row& old :
         db.store().select(QStringLiteral("SELECT ID FROM Table_bookingline WHERE BookingID = ?"),
                           {id}, {F::Long}))
        lines.remove(old[0].toInt(), {});
    lines.flush();
    const std::vector<int> keys = next_ids(db, t.name, static_cast<int>(b.lines.size()));
    for (size_t i = 0; i < b.lines.size(); ++i)
        lines.insert(keys[i], {{findField(t, QStringLiteral("BookingID")), id},
                               {findField(t, QStringLiteral("EquipmentID")), b.lines[i].equipment},
                               {findField(t, QStringLiteral("Quantity")), b.lines[i].quantity},
                               {findField(t, QStringLiteral("AssetID")), b.lines[i].asset}});
    lines.flush();
}

// Only a booking still booked changes state: one another desk dispatched
// or cancelled meanwhile refuses the command ("changed by another user").
void setState(Database& db, int id, const QString& state, int shipment) {
    const TableDef& t = bookingTable();
    const FieldDef* stateField = findField(t, QStringLiteral("State"));
    RowWriter writer(db, t);
    writer.update(id, {{stateField, bookingState::booked}},
                  {{stateField, state}, {findField(t, QStringLiteral("ShipmentID")), shipment}});
    writer.flush();
}

} // namespace

int save_booking(Database& db, Booking b) {
    requireComplete(b);
    if (b.state.isEmpty())
        b.state = bookingState::booked;
    if (b.address == 0 && b.contact > 0) // the receiver's own, as a shipment's
        for (const Row& r :
             db.store().select(QStringLiteral("SELECT AddressID FROM Table_contact WHERE ID = ?"),
                               {b.contact}, {F::Long}))
            b.address = r[0].toInt();
    db.setCommand(b.id > 0 ? QStringLiteral("Change Booking") : QStringLiteral("Book"));
    Transaction transaction(db);
    if (b.state == bookingState::booked)
        requireFree(db, b);
    const TableDef& t = bookingTable();
    RowWriter writer(db, t);
    int id = b.id;
    if (id > 0) {
        writer.update(id, {}, bookingValues(b));
    } else {
        id = next_id(db, t.name);
        writer.insert(id, bookingValues(b));
    }
    writer.flush();
    writeLines(db, b, id);
    transaction.commit();
    return id;
}

void cancel_booking(Database& db, int id) {
    db.setCommand(QStringLiteral("Cancel Booking"));
    Transaction transaction(db);
    setState(db, id, bookingState::cancelled, 0);
    transaction.commit();
}

void mark_dispatched(Database& db, int id, int shipment) {
    setState(db, id, bookingState::dispatched, shipment);
}

QStringList booking_problems(Store& store) {
    QStringList problems;
    if (!has_booking_tables(store))
        return problems;
    for (const Row& r : store.select(QStringLiteral("SELECT ID FROM Table_booking WHERE State = ? "
                                                    "AND (ShipmentID IS NULL OR ShipmentID <= 0) "
                                                    "ORDER BY ID"),
                                     {bookingState::dispatched}, {F::Long}))
        problems
            << QStringLiteral("Booking %1 is dispatched but names no shipment").arg(r[0].toInt());
    return problems;
}

QString BookingNames::lines(const Booking& booking) const {
    QStringList each;
    for (const BookingLine& l : booking.lines)
        each << QStringLiteral("%1 %2").arg(l.quantity).arg(types.value(l.equipment));
    return each.join(QStringLiteral(", "));
}

BookingNames read_booking_names(Store& store) {
    BookingNames names;
    for (const auto& [table, into] :
         {std::pair{"Table_contact", &names.contacts}, std::pair{"Table_equipment", &names.types}})
        for (const Row& r :
             store.select(QStringLiteral("SELECT ID, Name FROM %1").arg(QLatin1String(table)), {},
                          {F::Long, F::Text}))
            into->insert(r[0].toInt(), r[1].toString());
    return names;
}

QString lacking_of(Store& store, const Booking& booking, const BookingNames& names,
                   const QDate& today) {
    if (booking.state != bookingState::booked)
        return {};
    QStringList lacking;
    const QDate first = std::max(booking.leaves, today);
    for (const BookingLine& line : booking.lines) {
        int fewest = line.quantity;
        if (first <= booking.back)
            for (int free :
                 free_by_day(store, line.equipment, first, booking.back, booking.id, today))
                fewest = std::min(fewest, free);
        if (fewest < line.quantity)
            lacking << QStringLiteral("%1 %2")
                           .arg(line.quantity - std::max(fewest, 0))
                           .arg(names.types.value(line.equipment));
        else if (line.asset > 0 && !namedAssetProblem(store, booking, line, today).isEmpty())
            lacking << QStringLiteral("asset %1").arg(line.asset);
    }
    return lacking.join(QStringLiteral(", "));
}

std::vector<ShortBooking> read_short_bookings(Store& store, const QDate& today, int days) {
    if (!has_booking_tables(store))
        return {};
    const BookingNames names = read_booking_names(store);
    std::vector<ShortBooking> found;
    for (const Booking& b : read_bookings(store, today, today.addDays(days)))
        if (const QString lacking = lacking_of(store, b, names, today); !lacking.isEmpty())
            found.push_back({b.id, b.name, names.contacts.value(b.contact), b.leaves, lacking});
    return found;
}

std::vector<Booking> read_bookings(Store& store, const QDate& from, const QDate& to) {
    QString where;
    QVariantList params;
    if (from.isValid() && to.isValid()) {
        where = QStringLiteral(" WHERE DateBack >= ? AND DateLeaves <= ?");
        params = {dayStart(from), dayStart(to)};
    }
    std::vector<Booking> bookings;
    QMap<int, size_t> at;
    for (const Row& r : store.select(
             QStringLiteral("SELECT ID, Name, ReceiverContactID, ReceiverAddressID, DateLeaves, "
                            "DateBack, Purpose, Comments, State, ShipmentID FROM Table_booking%1 "
                            "ORDER BY DateLeaves, ID")
                 .arg(where),
             params,
             {F::Long, F::Text, F::Long, F::Long, F::Date, F::Date, F::Text, F::Memo, F::Text,
              F::Long})) {
        at[r[0].toInt()] = bookings.size();
        bookings.push_back({r[0].toInt(),
                            r[1].toString(),
                            r[2].toInt(),
                            r[3].toInt(),
                            r[4].toDateTime().date(),
                            r[5].toDateTime().date(),
                            r[6].toString(),
                            r[7].toString(),
                            r[8].toString(),
                            r[9].toInt(),
                            {}});
    }
    // The lines of those bookings only.
    for (const Row& l : store.select(
             QStringLiteral("SELECT BookingID, EquipmentID, Quantity, AssetID FROM "
                            "Table_bookingline WHERE BookingID IN (SELECT ID FROM Table_booking%1) "
                            "ORDER BY ID")
                 .arg(where),
             params, {F::Long, F::Long, F::Long, F::Long}))
        if (const auto it = at.constFind(l[0].toInt()); it != at.cend())
            bookings[*it].lines.push_back({l[1].toInt(), l[2].toInt(), l[3].toInt()});
    return bookings;
}

} // namespace gearlog
