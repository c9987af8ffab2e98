#include "ComboHelpers.h"

#include "Store.h"

#include "ComboFinder.h"
#include "CommandRunner.h"
#include "EngineError.h"
#include "RecordHelpers.h"
#include "Recordset.h"

#include <QComboBox>
#include <QListView>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
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

void fill_combo_from(QComboBox& combo, Store& store, const QString& sql, const QString& none) {
    const QVariant was = combo.currentData();
    combo.clear();
    if (!none.isNull())
        combo.addItem(none, 0);
    for (const Row& r : store.select(sql, {}, {FieldType::Long, FieldType::Text}))
        combo.addItem(r[1].toString(), r[0]);
    combo.setCurrentIndex(std::max(0, combo.findData(was)));
}

void fill_equipment_types(QComboBox& combo, Store& store, const QString& none) {
    fill_combo_from(combo, store,
                    QStringLiteral("SELECT e.ID, e.Name || ' (' || c.Name || ')' FROM "
                                   "Table_equipment e JOIN Table_category c ON c.ID = "
                                   "e.CategoryID ORDER BY e.Name, c.Name"),
                    none);
}

int select_combo_item(QComboBox& combo, int key) {
    const int row = combo.findData(key);
    if (row >= 0)
        combo.setCurrentIndex(row);
    return row;
}

int select_chooser_item(QComboBox& combo, int key) {
    if (const int row = select_combo_item(combo, key); row >= 0)
        return row;
    // A row another desk added since the fill.
    static_cast<ChooserModel*>(combo.model())->refill();
    return select_combo_item(combo, key);
}

namespace {
// Matches listed at once: a screenful; typing more narrows them.
constexpr int matchesShown = 50;

// Entries as wide as the list that shows them (a long one is cut short
// with "..."), so that each tells assistive technology where it truly is.
class ListWideDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {1, QStyledItemDelegate::sizeHint(option, index).height()};
    }
};
} // namespace

void make_chooser(QComboBox& combo, const QString& table, ChooserModel::Order order) {
    auto* model = new ChooserModel(table, order, &combo);
    combo.setModel(model);
    // Neither the box's width nor the list's rows may depend on reading
    // every entry.
    combo.setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    if (auto* list = qobject_cast<QListView*>(combo.view()))
        list->setUniformItemSizes(true);
    combo.view()->setItemDelegate(new ListWideDelegate(combo.view()));
    combo.view()->setTextElideMode(Qt::ElideRight);
    new ComboFinder(
        combo,
        [model](const QString& text) {
            ComboFinder::Matches matches;
            guarded([&] {
                for (const ChooserModel::Entry& entry : model->find(text, matchesShown))
                    matches.emplace_back(entry.text, entry.key);
            })();
            return matches;
        },
        [&combo](int key) {
            guarded([&] {
                if (const int row = select_chooser_item(combo, key); row >= 0)
                    emit combo.activated(row);
            })();
        });
}

void fill_chooser(QComboBox& combo, Database& db, const QList<ChooserModel::Entry>& leading) {
    static_cast<ChooserModel*>(combo.model())->fill(db, leading);
    combo.setCurrentIndex(-1);
}

} // namespace gearlog
