#pragma once

#include "Form_calendar.h"
#include "ScriptedUi.h"

#include <QCalendarWidget>
#include <QDate>

namespace gearlog::test {

// Answers the next date picker as a person does: "Done" on the date, or
// "Cancel" for a null date.
inline void answerDatePicker(ScriptedUi& scripted, const QDate& date) {
    scripted.dialogs.push_back([date](QDialog& d) {
        auto& picker = static_cast<Form_calendar&>(d);
        if (!date.isValid()) {
            picker.Command_cancel_Click();
        } else {
            picker.findChild<QCalendarWidget*>(QStringLiteral("Calendar_expiry_date"))
                ->setSelectedDate(date);
            picker.Command_done_Click();
        }
        return d.result();
    });
}

} // namespace gearlog::test
