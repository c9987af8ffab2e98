// The Bookings view, by mouse and keys: a booking made, one refused, the
// availability it leaves, and a cancellation.
#include "BookingTables.h"
#include "FlexGrid.h"
#include "Frame_bookings.h"
#include "OpenWindow.h"
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
                "INSERT INTO Table_contact (ID, Name, AddressID) VALUES (1, 'Ann', 0)"));
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

    book("Survey", 2);
    EXPECT_TRUE(scripted.messages.isEmpty()) << scripted.messages.join(QLatin1Char(',')).toStdString();
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

} // namespace
