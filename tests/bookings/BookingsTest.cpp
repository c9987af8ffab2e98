// Bookings on a small database: what is free each day, bookings that fit
// and that do not, and two desks racing for the last unit.
#include "Bookings.h"
#include "Availability.h"
#include "BookingTables.h"
#include "TestStores.h"
#include "TypedText.h"

#include <QProcess>
#include <array>
#include <thread>

using namespace gearlog;
using namespace gearlog::test;

namespace {

// Three pumps (type 1); pump 2 is out on a shipment back on day 3, and
// the days counted are from day 0 (`start`) on.
class Bookings : public BothStores {
protected:
    void SetUp() override {
        enableBookings();
        BothStores::SetUp();
        Store& store = session->database().store();
        store.execute(QStringLiteral("INSERT INTO Table_equipment (ID, Name, CategoryID) VALUES "
                                     "(1, 'Pump', 7)"));
        store.execute(QStringLiteral("INSERT INTO Table_contact (ID, Name, AddressID) VALUES (1, "
                                     "'Ann', 0)"));
        for (int id = 1; id <= 3; ++id)
            store.execute(QStringLiteral("INSERT INTO Table_asset (ID, EquipmentID, ShipmentID, "
                                         "ModelNumber) VALUES (?, 1, 0, 'P')"),
                          {id});
        shipment(1, start.addDays(3), 2);
    }
    // A shipment with one open line of `asset`, expected back on `back`.
    void shipment(int id, const QDate& back, int asset) {
        Store& store = session->database().store();
        store.execute(QStringLiteral("INSERT INTO Table_shipment (ID, Name, ShipmentDate, "
                                     "ExpectedReturnDate) VALUES (?, 'Out', ?, ?)"),
                      {id, day(start.addDays(-5)), day(back)});
        store.execute(QStringLiteral("INSERT INTO Table_shippinglist (ID, ShipmentID, AssetID, "
                                     "IsCompleted) VALUES (?, ?, ?, ?)"),
                      {id, id, asset, false});
    }
    static QVariant day(const QDate& d) { return QDateTime(d, QTime(), Qt::UTC); }
    std::vector<int> freeDays(int days) {
        return free_by_day(session->database().store(), 1, start, start.addDays(days - 1), 0,
                           start);
    }
    Booking pumps(int quantity, int fromDay, int toDay) {
        Booking b;
        b.name = QStringLiteral("Job");
        b.contact = 1;
        b.leaves = start.addDays(fromDay);
        b.back = start.addDays(toDay);
        b.lines = {{1, quantity, 0}};
        return b;
    }
    int bookingRows() {
        return session->database()
            .store()
            .select(QStringLiteral("SELECT count(*) FROM Table_booking"), {}, {FieldType::Long})
            .front()[0]
            .toInt();
    }

    const QDate start = QDate::currentDate().addDays(10);
};

TEST_P(Bookings, FreeUnitsByDayAndBookingsThatFitOrNot) {
    // The pump out is back on day 3.
    EXPECT_EQ(freeDays(5), (std::vector<int>{2, 2, 2, 3, 3}));
    Database& db = session->database();
    const int fits = save_booking(db, pumps(2, 1, 2));
    EXPECT_EQ(freeDays(5), (std::vector<int>{2, 0, 0, 3, 3}));
    // One too many on day 2: refused, naming the day, nothing written.
    const QString refused = failureOf([&] { save_booking(db, pumps(2, 2, 4)); });
    EXPECT_EQ(refused, QStringLiteral("Only 0 Pump are free on %1; the booking asks for 2.")
                           .arg(format_date(start.addDays(2))));
    EXPECT_EQ(bookingRows(), 1);
    // Changing a booking counts its own units once; extending it onto the
    // days another booking takes is double booking.
    Booking longer = pumps(2, 1, 3);
    longer.id = fits;
    EXPECT_EQ(save_booking(db, longer), fits);
    save_booking(db, pumps(2, 4, 4));
    longer.back = start.addDays(4);
    EXPECT_EQ(failureOf([&] { save_booking(db, longer); }),
              QStringLiteral("Only 1 Pump is free on %1; the booking asks for 2.")
                  .arg(format_date(start.addDays(4))));
    EXPECT_EQ(read_bookings(db.store()).front().back, start.addDays(3));
    // A cancelled booking frees its units, and is kept.
    cancel_booking(db, fits);
    EXPECT_EQ(freeDays(5), (std::vector<int>{2, 2, 2, 3, 1}));
    EXPECT_EQ(read_bookings(db.store()).front().state, bookingState::cancelled);
}

// An overdue line keeps its asset out on every day; a disposed asset is
// gone from its day.
TEST_P(Bookings, OverdueAndDisposedAssets) {
    Store& store = session->database().store();
    store.execute(QStringLiteral("UPDATE Table_shipment SET ExpectedReturnDate = ? WHERE ID = 1"),
                  {day(start.addDays(-1))});
    store.execute(QStringLiteral("UPDATE Table_asset SET DateDisposed = ? WHERE ID = 3"),
                  {day(start.addDays(2))});
    EXPECT_EQ(freeDays(4), (std::vector<int>{2, 2, 1, 1}));
}

// A named asset is taken itself, not just counted: one out on the days, or
// named by another booking, refuses the booking.
TEST_P(Bookings, NamedAssetsAreTakenThemselves) {
    Database& db = session->database();
    Booking out = pumps(1, 1, 2);
    out.lines = {{1, 1, 2}}; // pump 2 is out until day 3
    EXPECT_EQ(failureOf([&] { save_booking(db, out); }),
              QStringLiteral("Asset 2 is out on Out until %1.").arg(format_date(start.addDays(3))));
    out.leaves = out.back = start.addDays(3);
    const int first = save_booking(db, out);
    Booking again = pumps(1, 3, 4);
    again.lines = {{1, 1, 2}};
    EXPECT_EQ(failureOf([&] { save_booking(db, again); }),
              QStringLiteral("Asset 2 is booked for \"Job\" on some of these days."));
    // Anyone's pump 1 or 3 still can.
    again.lines = {{1, 1, 3}};
    EXPECT_GT(save_booking(db, again), first);
    EXPECT_EQ(read_bookings(db.store()).front().lines.front().asset, 2);
}

// Two desks book the last unit at once: one booking each time.
TEST_P(Bookings, TwoDesksRaceForTheLastUnit) {
    for (int race = 0; race < 20; ++race) {
        SCOPED_TRACE(race);
        const QDate day0 = start.addDays(20 + race * 3);
        // Two of the three free: one booked, the last unit raced for.
        Booking first = pumps(2, 20 + race * 3, 20 + race * 3);
        save_booking(session->database(), first);
        int made = 0;
        std::vector<std::thread> desks;
        std::mutex counting;
        for (int desk = 0; desk < 2; ++desk)
            desks.emplace_back([&] {
                auto other = std::make_shared<Database>(fresh->openStore());
                const QString failure = failureOf([&] {
                    Booking last = pumps(1, 20 + race * 3, 20 + race * 3);
                    save_booking(*other, last);
                });
                const std::lock_guard lock(counting);
                made += failure.isEmpty() ? 1 : 0;
            });
        for (std::thread& t : desks)
            t.join();
        EXPECT_EQ(made, 1);
        EXPECT_EQ(free_by_day(session->database().store(), 1, day0, day0, 0, start).front(), 0);
    }
}

GEARLOG_BOTH_STORES(Bookings);

// On a file, two gearlog-admin processes book the last unit at once: one
// booking each time, the other refused in words.
TEST(BookingProcesses, TwoProcessesRaceForTheLastUnitOfAFile) {
    enableBookings();
    FreshDatabase file(Engine::Sqlite);
    {
        auto store = file.openStore();
        store->execute(QStringLiteral("INSERT INTO Table_equipment (ID, Name, CategoryID) VALUES "
                                      "(1, 'Pump', 7)"));
        store->execute(QStringLiteral("INSERT INTO Table_contact (ID, Name, AddressID) VALUES "
                                      "(1, 'Ann', 0)"));
        store->execute(QStringLiteral("INSERT INTO Table_asset (ID, EquipmentID, ShipmentID, "
                                      "ModelNumber) VALUES (1, 1, 0, 'P')"));
    }
    for (int race = 0; race < 20; ++race) {
        SCOPED_TRACE(race);
        const QString day = QDate::currentDate().addDays(10 + race).toString(Qt::ISODate);
        std::array<QProcess, 2> desks;
        for (QProcess& desk : desks)
            desk.start(QStringLiteral(GEARLOG_ADMIN),
                       {QStringLiteral("book"), file.location(), QStringLiteral("--equipment"),
                        QStringLiteral("Pump"), QStringLiteral("--quantity"), QStringLiteral("1"),
                        QStringLiteral("--from"), day, QStringLiteral("--to"), day,
                        QStringLiteral("--receiver"), QStringLiteral("Ann")});
        int made = 0;
        for (QProcess& desk : desks) {
            ASSERT_TRUE(desk.waitForFinished(30000));
            made += desk.exitCode() == 0 ? 1 : 0;
            if (desk.exitCode() != 0) {
                EXPECT_TRUE(desk.readAllStandardError().contains("Only 0 Pump are free"));
            }
        }
        EXPECT_EQ(made, 1);
    }
}

} // namespace
