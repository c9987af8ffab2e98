#pragma once

#include "Database.h"
#include "EngineError.h"

#include <QDate>
#include <QHash>
#include <vector>

namespace gearlog {

struct BookingLine {
    int equipment = 0;
    int quantity = 1;
    int asset = 0; // a named asset (quantity 1), or 0 for any of the type
};

struct Booking {
    int id = 0; // 0: not saved yet
    QString name;
    int contact = 0, address = 0; // the receiver, as a shipment's
    QDate leaves, back;
    QString purpose, comments;
    QString state; // a bookingState text
    int shipment = 0;
    std::vector<BookingLine> lines;
};

// A booking the equipment free on its days cannot meet: nothing written.
class BookingRefused : public EngineError {
public:
    using EngineError::EngineError;
};

// Saves a new booking (id 0: it gets its key) or the changes to one, in
// one command recorded in the history. Each booked type's row is held
// while its free units are counted, so two desks cannot both take the
// last unit; a day that would go below none refuses the whole booking
// ("Only 1 Pump is free on 14-Dec-2026; the booking asks for 2.").
// Returns the booking's key.
int save_booking(Database& db, Booking booking);
// Ends a booking without a shipment (kept, with its state, for the history).
void cancel_booking(Database& db, int id);
// Marks a booking dispatched as `shipment`, inside the caller's
// transaction: its units are counted as out from then on, not as booked.
void mark_dispatched(Database& db, int id, int shipment);

// The names a list of bookings shows: receivers and types by key, and a
// booking's lines as "2 Pump, 1 Tripod".
struct BookingNames {
    QHash<int, QString> contacts, types;
    QString lines(const Booking& booking) const;
};
BookingNames read_booking_names(Store& store);

// What `check` reports of the bookings beyond their references: a
// dispatched booking that names no shipment. None without the tables.
QStringList booking_problems(Store& store);

// The bookings whose days meet [from, to] (any, when invalid), upcoming
// first, with their lines.
std::vector<Booking> read_bookings(Store& store, const QDate& from = {}, const QDate& to = {});

// What a booking lacks from today on ("1 Pump, 2 Tripod"), or nothing when
// what is free meets it on every day (or it is no longer booked).
QString lacking_of(Store& store, const Booking& booking, const BookingNames& names,
                   const QDate& today = QDate::currentDate());

// A booking not yet dispatched that what is free cannot meet on some day
// (a late return, an asset gone): what it lacks, as "1 Pump, 2 Tripod".
struct ShortBooking {
    int id = 0;
    QString name, receiver;
    QDate leaves;
    QString lacking;
};
// The short bookings leaving within `days` days of `today` (or already
// left), soonest first; none where the database has no bookings' tables.
std::vector<ShortBooking> read_short_bookings(Store& store, const QDate& today, int days);

} // namespace gearlog
