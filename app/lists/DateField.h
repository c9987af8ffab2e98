#pragma once

#include "TypedText.h"

#include <QDate>
#include <QString>
#include <functional>

class QLineEdit;
class QWidget;

namespace gearlog {

struct AppState;

// Shows the picker on the date; true unless it was cancelled, with the
// chosen date (null for the empty date) in the state's dialog_date.
bool pick_date(AppState& state, const QDate& initial, QWidget* parent);

// The date-field contract: opens the picker on the box's date (today when
// the box is empty or holds no date) and writes the result back, which
// fires the box's own change handling. Returns true when the picker
// returned a date or the empty date, false when it was cancelled.
bool run_date_field(QLineEdit& box, AppState& state, QWidget* parent);

// Makes a date box open the picker when it is clicked, and for keyboard
// users on Enter, Space or Alt+Down while it has the focus. `picked` (when
// given) runs after the picker returned a date or the empty date, not
// after it was cancelled.
void attach_date_picker(QLineEdit& box, AppState& state, std::function<void()> picked = {});

} // namespace gearlog
