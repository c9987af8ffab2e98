#pragma once

#include <QString>

namespace gearlog {

// Text from the database as a terminal may safely show it: control
// characters (an escape sequence among them) written as \x1B and the like,
// so stored text can never move the cursor or change the terminal. Line
// breaks and tabs stay where `keepLineBreaks` (CSV quotes them).
QString printable(const QString& text, bool keepLineBreaks = false);

} // namespace gearlog
