#pragma once

#include "ChooserModel.h"

#include <QString>

class QComboBox;

namespace gearlog {

class Database;
class Recordset;
class Store;

// Adds the text field of every row of the cursor, in its order, with the
// key field (when named) as the entry's item data. A Null text is an error
// that reaches the caller.
void fill_combo(Recordset& cursor, const QString& keyField, const QString& textField,
                QComboBox& combo, bool clearFirst);
// Names by key from a two-column query (key, text), after `none` (key 0)
// when it is given; the entry chosen before stays chosen where it is still
// there. Engine failures throw.
void fill_combo_from(QComboBox& combo, Store& store, const QString& sql, const QString& none = {});
// Every equipment type as "Name (Category)", by name, the same way.
void fill_equipment_types(QComboBox& combo, Store& store, const QString& none = {});
// Selects the entry whose item data is the key and returns its index;
// -1 (selection unchanged) when no entry has it.
int select_combo_item(QComboBox& combo, int key);

// Makes the combo offer every row of a table however many there are (see
// ChooserModel), with type-to-find: a match picked is selected and
// `activated` emitted, as a pick from the list would.
void make_chooser(QComboBox& combo, const QString& table, ChooserModel::Order order);
// Selects a chooser's entry by key as select_combo_item does, filling the
// chooser again first when the key is not among its entries (a record
// another desk added since).
int select_chooser_item(QComboBox& combo, int key);
// Refills a chooser from the store, with nothing selected.
void fill_chooser(QComboBox& combo, Database& db, const QList<ChooserModel::Entry>& leading = {});

} // namespace gearlog
