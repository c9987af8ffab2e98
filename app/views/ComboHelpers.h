#pragma once

#include <QString>

class QComboBox;

namespace gearlog {

class Recordset;

// Adds the text field of every row of the cursor, in its order, with the
// key field (when named) as the entry's item data. A Null text is an error
// that reaches the caller.
void fill_combo(Recordset& cursor, const QString& keyField, const QString& textField,
                QComboBox& combo, bool clearFirst);
// Selects the entry whose item data is the key and returns its index;
// -1 (selection unchanged) when no entry has it.
int select_combo_item(QComboBox& combo, int key);

} // namespace gearlog
