// The Bookings view, by mouse and keys: a booking made, one refused, the
// availability it leaves, and a cancellation.
#include "AssetList.h"
#include "BookingTables.h"
#include "FlexGrid.h"
#include "Frame_attention.h"
#include "Frame_bookings.h"
#include "Frame_shipment.h"
#include "OpenWindow.h"
#include "ShippingList.h"
#include "TypedText.h"

#include <QComboBox>
#include <QSpinBox>

using namespace gearlog;
using namespace gearlog::test;

namespace {

class BookingsView : public WindowDriver<::testing::Test> {
protected:
    void SetUp() override {
        enableBookings();
        db = std::make_unique<FreshDatabase>(Engine::Sqlite);
        {
            auto setUp = db->openSession();
            setUp->openTableCursors();
            for (int i = 0; i < 2; ++i)
                addStockAsset(*setUp);
            setUp->execute(QStringLiteral(
                "INSERT INTO Table_address (ID, Name, Address) VALUES (1, 'Depot', '')"));
            for (const char* contact : {"(1, 'Ann', 1)", "(2, 'Bob', 1)"})
                setUp->execute(
                    QStringLiteral("INSERT INTO Table_contact (ID, Name, AddressID) VALUES ") +
                    QLatin1String(contact));
        }
        openWindow(*db);
        press(QStringLiteral("Command_Bookings"));
    }
    void TearDown() override {
        window.reset();
        db.reset();
    }
    Frame_bookings& view() { return *window->bookingsView(); }
    void book(const char* name, int quantity) {
        typeInto(QStringLiteral("Text_booking_name"), QString::fromLatin1(name));
        auto* units = child<QSpinBox>(QStringLiteral("Text_booking_quantity"));
        units->setFocus();
        units->selectAll();
        QTest::keyClicks(units, QString::number(quantity));
        press(QStringLiteral("Command_save_booking"));
    }
    void choose(QComboBox* c, const QString& text) {
        c->setCurrentIndex(c->findText(text));
        ASSERT_GE(c->currentIndex(), 0) << text.toStdString();
        emit c->activated(c->currentIndex());
    }
    std::unique_ptr<FreshDatabase> db;
};

TEST_F(BookingsView, BooksRefusesShowsWhatIsFreeAndCancels) {
    FlexGrid* availability = view().Grid_availability;
    view().Combo_availability_category->setCurrentIndex(
        view().Combo_availability_category->findText(QStringLiteral("TEM Transmitter")));
    emit view().Combo_availability_category->activated(0);
    ASSERT_EQ(availability->rows(), 2);
    EXPECT_EQ(availability->textMatrix(1, 0), QStringLiteral("Test type"));
    EXPECT_EQ(availability->textMatrix(1, 2), QStringLiteral("2")); // tomorrow
    child<QSpinBox>(QStringLiteral("Text_availability_weeks"))->setValue(13);
    EXPECT_EQ(availability->cols(), 13 * 7 + 1);
    // A type is found by typing its name in the grid.
    availability->setFocus();
    QTest::keyClicks(availability, QStringLiteral("Tes"));
    EXPECT_EQ(availability->row(), 1);

    book("Survey", 2);
    EXPECT_TRUE(scripted.messages.isEmpty())
        << scripted.messages.join(QLatin1Char(',')).toStdString();
    FlexGrid* bookings = view().Grid_bookings;
    ASSERT_EQ(bookings->rows(), 2);
    EXPECT_EQ(bookings->textMatrix(1, 0), QStringLiteral("Survey"));
    EXPECT_EQ(bookings->textMatrix(1, 1), QStringLiteral("Ann"));
    EXPECT_EQ(bookings->textMatrix(1, 5), QStringLiteral("Booked"));
    EXPECT_EQ(availability->textMatrix(1, 2), QStringLiteral("0"));

    // Another booking of the same days finds nothing free: refused.
    press(QStringLiteral("Command_new_booking"));
    book("Second", 1);
    EXPECT_EQ(scripted.messages,
              QStringList{QStringLiteral("The booking was not saved: Only 0 Test type are free "
                                         "on %1; the booking asks for 1.")
                              .arg(format_date(QDate::currentDate().addDays(1)))});
    EXPECT_EQ(bookings->rows(), 2);

    clickCell(bookings, 1, 0);
    EXPECT_EQ(child<QLineEdit>(QStringLiteral("Text_booking_name"))->text(),
              QStringLiteral("Survey"));
    scripted.yesNo.push_back(true);
    press(QStringLiteral("Command_cancel_booking"));
    EXPECT_EQ(bookings->textMatrix(1, 5), QStringLiteral("Cancelled"));
    EXPECT_EQ(availability->textMatrix(1, 2), QStringLiteral("2"));
}

// Dispatch: the shipment view opens on a new shipment filled from the
// booking, with the picker on the booked type; its save marks the booking,
// whose unit is then counted once, as out.
TEST_F(BookingsView, ADispatchedBookingBecomesItsShipment) {
    book("Survey", 1);
    clickCell(view().Grid_bookings, 1, 0);
    press(QStringLiteral("Command_dispatch_booking"));
    Frame_shipment& shipment = *window->shipmentView();
    ASSERT_TRUE(shipment.isVisible());
    EXPECT_EQ(child<QLineEdit>(QStringLiteral("Text_shipment_name"))->text(),
              QStringLiteral("Survey"));
    EXPECT_EQ(child<QComboBox>(QStringLiteral("Combo_shipment_contact_0"))->currentText(),
              QStringLiteral("Ann"));
    AssetList& picker = shipment.shippingList().picker();
    EXPECT_EQ(picker.Combo_asset_equipment->currentText(), QStringLiteral("Test type"));
    choose(child<QComboBox>(QStringLiteral("Combo_shipment_contact_1")), QStringLiteral("Bob"));
    choose(child<QComboBox>(QStringLiteral("Combo_shipment_method")),
           QStringLiteral("Road Freight"));
    clickCell(picker.Grid_asset, 1, 1);
    press(QStringLiteral("Command_add_item_to_shipping_list"));
    press(QStringLiteral("Command_save_shipment_changes_1"));
    EXPECT_TRUE(scripted.messages.isEmpty())
        << scripted.messages.join(QLatin1Char(',')).toStdString();

    press(QStringLiteral("Command_Bookings"));
    EXPECT_EQ(view().Grid_bookings->textMatrix(1, 5), QStringLiteral("Dispatched"));
    const auto stored = db->openStore()->select(
        QStringLiteral("SELECT b.ShipmentID, s.Name FROM Table_booking b JOIN Table_shipment s ON "
                       "s.ID = b.ShipmentID"),
        {}, {FieldType::Long, FieldType::Text});
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored.front()[1], QStringLiteral("Survey"));
    view().Combo_availability_category->setCurrentIndex(
        view().Combo_availability_category->findText(QStringLiteral("TEM Transmitter")));
    emit view().Combo_availability_category->activated(0);
    EXPECT_EQ(view().Grid_availability->textMatrix(1, 2), QStringLiteral("1"));
}

// A database whose bookings' tables are missing (a desk that may only read
// it) says so in words, and the view does not come up.
TEST_F(BookingsView, MissingTablesAreSaidInWords) {
    press(QStringLiteral("Command_Attention"));
    db->openStore()->execute(QStringLiteral("DROP TABLE Table_bookingline"));
    db->openStore()->execute(QStringLiteral("DROP TABLE Table_booking"));
    press(QStringLiteral("Command_Bookings"));
    ASSERT_EQ(scripted.messages.size(), 1);
    EXPECT_TRUE(
        scripted.messages.front().startsWith(QLatin1String("This database has no bookings")));
    EXPECT_FALSE(view().isVisible());
}

// A late return leaves a booking short: the Bookings grid says so, and the
// Attention view lists it with what it lacks; Enter there opens it.
TEST_F(BookingsView, AShortBookingIsMarkedAndListedForAttention) {
    book("Survey", 2);
    auto other = db->openStore();
    const QVariant lastWeek = QDateTime(QDate::currentDate().addDays(-7), QTime(), Qt::UTC);
    other->execute(QStringLiteral("INSERT INTO Table_shipment (ID, Name, ShipmentDate, "
                                  "ExpectedReturnDate) VALUES (1, 'Late', ?, ?)"),
                   {lastWeek, lastWeek});
    other->execute(QStringLiteral("INSERT INTO Table_shippinglist (ID, ShipmentID, AssetID, "
                                  "IsCompleted, TransferID) VALUES (1, 1, 1, ?, -1)"),
                   {false});
    other->execute(QStringLiteral("UPDATE Table_asset SET ShipmentID = 1 WHERE ID = 1"));
    press(QStringLiteral("Command_Bookings"));
    EXPECT_EQ(view().Grid_bookings->textMatrix(1, 5), QStringLiteral("Short"));

    press(QStringLiteral("Command_Attention"));
    Frame_attention& attention = *window->attentionView();
    QTRY_VERIFY(!attention.reading());
    FlexGrid* shortList = attention.Grid_attention[3];
    ASSERT_EQ(shortList->rows(), 2);
    EXPECT_EQ(shortList->textMatrix(1, 0), QStringLiteral("Survey"));
    EXPECT_EQ(shortList->textMatrix(1, 3), QStringLiteral("1 Test type"));
    clickCell(shortList, 1, 0);
    keyToFocused(Qt::Key_Return);
    EXPECT_TRUE(view().isVisible());
    EXPECT_EQ(child<QLineEdit>(QStringLiteral("Text_booking_name"))->text(),
              QStringLiteral("Survey"));
}

} // namespace
