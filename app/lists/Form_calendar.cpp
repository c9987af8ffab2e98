#include "Form_calendar.h"

#include "AppState.h"
#include "UiServices.h"

#include <QCalendarWidget>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

namespace gearlog {

Form_calendar::Form_calendar(AppState& state, QWidget* parent) : QDialog(parent), m_state(state) {
    setObjectName(QStringLiteral("Form_calendar"));
    setWindowTitle(QStringLiteral("Select Expiry Date"));
    auto* grid = new QGridLayout(this);
    Calendar_expiry_date = new QCalendarWidget(this);
    Calendar_expiry_date->setObjectName(QStringLiteral("Calendar_expiry_date"));
    Calendar_expiry_date->setAccessibleName(QStringLiteral("Calendar"));
    Calendar_expiry_date->setGridVisible(true);
    grid->addWidget(Calendar_expiry_date, 0, 0, 1, 5);
    Text_days = new QLineEdit(this);
    Text_days->setObjectName(QStringLiteral("Text_days"));
    Text_days->setToolTip(QStringLiteral("Number of days to add"));
    Text_days->setAccessibleName(QStringLiteral("Number of days to add"));
    grid->addWidget(Text_days, 1, 0);
    auto button = [this, grid](const char* name, const QString& caption, int column,
                               void (Form_calendar::*slot)()) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        grid->addWidget(b, column < 1 ? 1 : 2, column < 1 ? 1 : column - 1);
        return b;
    };
    button("Command_add_days", QStringLiteral("Add"), 0, &Form_calendar::Command_add_days_Click);
    button("Command_now", QStringLiteral("Today"), 1, &Form_calendar::Command_now_Click);
    button("Command_clear", QStringLiteral("Clear"), 2, &Form_calendar::Command_clear_Click);
    button("Command_done", QStringLiteral("Done"), 3, &Form_calendar::Command_done_Click)
        ->setDefault(true);
    button("Command_cancel", QStringLiteral("Cancel"), 4, &Form_calendar::Command_cancel_Click);
    Calendar_expiry_date->setSelectedDate(state.dialog_date.isValid() ? state.dialog_date
                                                                      : QDate::currentDate());
    // The window's own close box counts as "Cancel".
    connect(this, &QDialog::rejected, this, [this] { m_state.dialog_cancelled = true; });
}

QDate Form_calendar::shownDate() const {
    return Calendar_expiry_date->selectedDate();
}

void Form_calendar::Command_add_days_Click() {
    bool numeric = false;
    const double days = Text_days->text().trimmed().toDouble(&numeric);
    // Only whole days of 1 or more move the date; anything else beeps.
    if (!numeric || days < 1 || days != std::floor(days) || days > 3650000) {
        ui().beep();
        return;
    }
    Calendar_expiry_date->setSelectedDate(shownDate().addDays(static_cast<qint64>(days)));
}

void Form_calendar::Command_now_Click() {
    Calendar_expiry_date->setSelectedDate(QDate::currentDate());
}

void Form_calendar::Command_clear_Click() {
    m_state.dialog_date = QDate();
    m_state.dialog_cancelled = false;
    accept();
}

void Form_calendar::Command_done_Click() {
    m_state.dialog_date = shownDate();
    m_state.dialog_cancelled = false;
    accept();
}

void Form_calendar::Command_cancel_Click() {
    reject();
}

} // namespace gearlog
