#pragma once

#include <QDate>
#include <QDialog>

class QCalendarWidget;
class QLineEdit;

namespace gearlog {

struct AppState;

// "Select Expiry Date": picks a date from the calendar, today, a number of
// days on, or the empty date. Reads and returns the state's dialog_date;
// clears dialog_cancelled on "Done" and "Clear". Closing the window counts
// as "Cancel".
class Form_calendar : public QDialog {
    Q_OBJECT
public:
    explicit Form_calendar(AppState& state, QWidget* parent = nullptr);

    void Command_add_days_Click();
    void Command_now_Click();
    void Command_clear_Click();
    void Command_done_Click();
    void Command_cancel_Click();
    QDate shownDate() const;

private:
    AppState& m_state;
    QCalendarWidget* Calendar_expiry_date;
    QLineEdit* Text_days;
};

} // namespace gearlog
