#include "ComboHelpers.h"

#include "EngineError.h"
#include "RecordHelpers.h"
#include "Recordset.h"

#include <QComboBox>

namespace gearlog {

void fill_combo(Recordset& cursor, const QString& keyField, const QString& textField,
                QComboBox& combo, bool clearFirst) {
    if (clearFirst)
        combo.clear();
    if (record_count(cursor) <= 0)
        return;
    for (cursor.moveFirst(); !cursor.eof(); cursor.moveNext()) {
        const QVariant text = cursor.value(textField);
        if (!text.isValid())
            throw EngineError(QStringLiteral("Invalid use of Null in field %1").arg(textField));
        if (keyField.isEmpty())
            combo.addItem(text.toString());
        else
            combo.addItem(text.toString(), cursor.value(keyField).toInt());
    }
}

int select_combo_item(QComboBox& combo, int key) {
    for (int i = 0; i < combo.count(); ++i) {
        const QVariant data = combo.itemData(i);
        if (data.isValid() && data.toInt() == key) {
            combo.setCurrentIndex(i);
            return i;
        }
    }
    return -1;
}

} // namespace gearlog
