#include "AppState.h"
#include "DateField.h"
#include "Form_calendar.h"
#include "ScriptedUi.h"

#include <QLineEdit>
#include <QSignalSpy>

using namespace gearlog;
using namespace gearlog::test;

namespace {

class DatePicker : public ::testing::Test {
protected:
    ScriptedUi scripted;
    AppState state;
    QLineEdit box;

    // Plays the picker with the given steps on it.
    bool pick(const std::function<void(Form_calendar&)>& steps) {
        scripted.dialogs.push_back([steps](QDialog& d) {
            steps(static_cast<Form_calendar&>(d));
            return d.result();
        });
        return run_date_field(box, state, nullptr);
    }
};

TEST_F(DatePicker, EmptyBoxOpensOnTodayAndDoneFillsIt) {
    QSignalSpy changes(&box, &QLineEdit::textChanged);
    QDate shown;
    EXPECT_TRUE(pick([&](Form_calendar& c) {
        shown = c.shownDate();
        c.Command_done_Click();
    }));
    EXPECT_EQ(shown, QDate::currentDate());
    EXPECT_EQ(box.text(), format_date(QDate::currentDate()));
    EXPECT_EQ(changes.count(), 1); // the box's own change handling runs
}

TEST_F(DatePicker, ClearCancelAndCloseBox) {
    box.setText(QStringLiteral("05-Mar-2026"));
    QDate shown;
    EXPECT_FALSE(pick([&](Form_calendar& c) {
        shown = c.shownDate();
        c.Command_cancel_Click();
    }));
    EXPECT_EQ(shown, QDate(2026, 3, 5));
    EXPECT_EQ(box.text(), QStringLiteral("05-Mar-2026"));
    EXPECT_FALSE(pick([](Form_calendar& c) {
        c.show();
        c.close();
    }));
    EXPECT_EQ(box.text(), QStringLiteral("05-Mar-2026"));
    EXPECT_TRUE(pick([](Form_calendar& c) { c.Command_clear_Click(); }));
    EXPECT_EQ(box.text(), QString());
    // Text that is no date opens the picker on today.
    box.setText(QStringLiteral("soon"));
    EXPECT_TRUE(pick([&](Form_calendar& c) {
        shown = c.shownDate();
        c.Command_done_Click();
    }));
    EXPECT_EQ(shown, QDate::currentDate());
}

TEST_F(DatePicker, AddWholeDaysOrBeep) {
    box.setText(QStringLiteral("15-Dec-2026"));
    pick([&](Form_calendar& c) {
        auto* days = c.findChild<QLineEdit*>(QStringLiteral("Text_days"));
        for (const char* bad : {"0", "-3", "", "  ", "abc", "1.5"}) {
            days->setText(QString::fromLatin1(bad));
            c.Command_add_days_Click();
        }
        EXPECT_EQ(c.shownDate(), QDate(2026, 12, 15));
        days->setText(QStringLiteral(" 30 "));
        c.Command_add_days_Click();
        EXPECT_EQ(c.shownDate(), QDate(2027, 1, 14));
        c.Command_now_Click();
        EXPECT_EQ(c.shownDate(), QDate::currentDate());
        c.Command_cancel_Click();
    });
    EXPECT_EQ(scripted.beeps, 6);
}

TEST(DateText, FormatsAndReads) {
    EXPECT_EQ(format_date(QDate(2026, 1, 5)), QStringLiteral("05-Jan-2026"));
    EXPECT_EQ(parse_date(QStringLiteral("05-Jan-2026")), QDate(2026, 1, 5));
    EXPECT_EQ(parse_date(QStringLiteral("2026-01-05")), QDate(2026, 1, 5));
    EXPECT_FALSE(parse_date(QStringLiteral("31-Feb-2026")).isValid());
    EXPECT_FALSE(parse_date(QString()).isValid());
    EXPECT_EQ(parse_date(QStringLiteral("5 march 2026")), QDate(2026, 3, 5));
    EXPECT_EQ(parse_date(QStringLiteral("2026-01-05 00:00:00")), QDate(2026, 1, 5));
    EXPECT_FALSE(parse_date(QStringLiteral("32-Dec-2099")).isValid());
}

// Short dates in the desk's locale, four-digit years, two-digit years
// within 50 years of today, and an order the user names.
TEST(DateText, ReadsTheLocalesShortForm) {
    const QLocale before;
    const int century = QDate::currentDate().year() / 100 * 100;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(parse_date(QStringLiteral("3/15/2025")), QDate(2025, 3, 15));
    EXPECT_EQ(parse_date(QStringLiteral("3/15/25")), QDate(century + 25, 3, 15));
    EXPECT_EQ(parse_date(QStringLiteral("3/15/80")), QDate(century - 20, 3, 15));
    EXPECT_FALSE(parse_date(QStringLiteral("15/3/2025")).isValid());
    EXPECT_FALSE(parse_date(QStringLiteral("3/15/025")).isValid());
    EXPECT_EQ(parse_date(QStringLiteral("15/03/2025"), DateOrder::DayMonthYear),
              QDate(2025, 3, 15));
    EXPECT_EQ(parse_date(QStringLiteral("2025/03/15"), DateOrder::YearMonthDay),
              QDate(2025, 3, 15));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    EXPECT_EQ(parse_date(QStringLiteral("15/03/25")), QDate(century + 25, 3, 15));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(parse_date(QStringLiteral("15.03.25")), QDate(century + 25, 3, 15));
    EXPECT_EQ(parse_date(QStringLiteral("01.06.2027")), QDate(2027, 6, 1));
    EXPECT_EQ(parse_date(QStringLiteral("05-Jan-2026")), QDate(2026, 1, 5));
    QLocale::setDefault(before);
}

// Money in the desk's locale: a German "1.500" is fifteen hundred, while a
// point before one or two digits is a decimal point everywhere.
TEST(MoneyText, ReadsTheLocalesFormAndPlainAmounts) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const auto read = [](const char* text) {
        double value = -1;
        return parse_money(QString::fromLatin1(text), &value) ? value : -1.0;
    };
    EXPECT_EQ(read("1.500"), 1500.0);
    EXPECT_EQ(read("1.500,25"), 1500.25);
    EXPECT_EQ(read("12.5"), 12.5);
    EXPECT_EQ(read("-3.75"), -3.75);
    EXPECT_EQ(read(" 42 "), 42.0);
    EXPECT_EQ(read("4.2.1"), -1.0);
    EXPECT_EQ(read("-"), -1.0);
    EXPECT_EQ(read("12."), 12.0); // the C form still reads it
    QLocale::setDefault(before);
}

} // namespace
