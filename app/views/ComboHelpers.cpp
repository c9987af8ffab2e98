#include "ComboHelpers.h"

#include "EngineError.h"
#include "RecordHelpers.h"
#include "Recordset.h"

#include <QComboBox>
#include <QStandardItemModel>
#include <optional>

namespace gearlog {

void fill_combo(Recordset& cursor, const QString& keyField, const QString& textField,
                QComboBox& combo, bool clearFirst) {
    if (clearFirst)
        combo.clear();
    if (record_count(cursor) <= 0)
        return;
    const Recordset::FieldRef text = cursor.field(textField);
    const std::optional<Recordset::FieldRef> key =
        keyField.isEmpty() ? std::nullopt : std::optional(cursor.field(keyField));
    QList<QStandardItem*> items;
    try {
        for (cursor.moveFirst(); !cursor.eof(); cursor.moveNext()) {
            const QVariant name = cursor.value(text);
            if (!name.isValid())
                throw EngineError(QStringLiteral("Invalid use of Null in field %1").arg(textField));
            auto* item = new QStandardItem(name.toString());
            if (key)
                item->setData(cursor.value(*key).toInt(), Qt::UserRole);
            items << item;
        }
    } catch (...) {
        qDeleteAll(items);
        throw;
    }
    // One insertion for the whole list, not one per entry (into the
    // combo box's own model, which every combo box here keeps).
    static_cast<QStandardItemModel*>(combo.model())->invisibleRootItem()->appendRows(items);
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
