#include "TableExport.h"

#include "RtfCodec.h"
#include "StoredColour.h"
#include "TypedText.h"

#include <QHash>

namespace gearlog {

namespace {

using F = FieldType;

QHash<int, QString> names(Store& store, const char* table) {
    QHash<int, QString> names;
    for (const Row& r :
         store.select(QStringLiteral("SELECT ID, Name FROM %1").arg(QLatin1String(table)), {},
                      {F::Long, F::Text}))
        names.insert(r[0].toInt(), r[1].toString().trimmed());
    return names;
}

QString colourText(const QVariant& value) {
    return value.isValid() ? colourFromCode(value.toInt()).name().toUpper() : QString();
}

} // namespace

SheetTable export_table(Store& store, ImportKind kind) {
    const std::vector<ImportField>& fields = import_fields(kind);
    const TableDef& table = *findTable(import_kind(kind).table);
    const QHash<int, QString> categories = names(store, "Table_category");
    const QHash<int, QString> statuses = names(store, "Table_status");
    const QHash<int, QString> locations = names(store, "Table_address");
    const QHash<int, QString> photographs = names(store, "Table_photo");
    QHash<int, QString> equipment;
    QHash<int, int> equipmentCategory;
    for (const Row& r :
         store.select(QStringLiteral("SELECT ID, Name, CategoryID FROM Table_equipment"), {},
                      {F::Long, F::Text, F::Long})) {
        equipment.insert(r[0].toInt(), r[1].toString().trimmed());
        equipmentCategory.insert(r[0].toInt(), r[2].toInt());
    }
    QStringList selected;
    std::vector<F> types;
    int equipmentColumn = -1;
    for (const ImportField& f : fields) {
        // Category beside an asset's type is the type's own.
        const QString field = f.field.isEmpty() ? QStringLiteral("EquipmentID") : f.field;
        selected << field;
        types.push_back(findField(table, field)->type);
        if (f.kind == ValueKind::Equipment)
            equipmentColumn = static_cast<int>(selected.size()) - 1;
    }
    SheetTable sheet;
    for (const ImportField& f : fields)
        sheet.headings << f.heading;
    for (const Row& r : store.select(QStringLiteral("SELECT %1 FROM %2 ORDER BY ID")
                                         .arg(selected.join(QLatin1Char(',')), table.name),
                                     {}, types)) {
        SheetRow row{static_cast<int>(sheet.rows.size()) + 2, {}, 0};
        for (size_t c = 0; c < fields.size(); ++c) {
            const QVariant& v = r[c];
            const int key = v.toInt();
            QString text;
            bool number = false;
            switch (fields[c].kind) {
            case ValueKind::Key:
                text = QString::number(key);
                number = true;
                break;
            case ValueKind::Reference:
                number = key > 0; // 0, -1 and Null name none
                text = number ? QString::number(key) : QString();
                break;
            case ValueKind::Text:
                text = v.toString();
                break;
            case ValueKind::RichText:
                text = rtf::plainText(v.toString()).trimmed();
                break;
            case ValueKind::Date:
                text = format_date(v.toDateTime().date());
                break;
            case ValueKind::Money:
                number = v.isValid();
                text = number ? QString::number(v.toDouble(), 'f', 2) : QString();
                break;
            case ValueKind::Measure:
                number = v.isValid() && v.toFloat() > 0; // 0 stands for "not given"
                text =
                    number ? QString::number(static_cast<double>(v.toFloat()), 'g', 7) : QString();
                break;
            case ValueKind::Colour:
                text = colourText(v);
                break;
            case ValueKind::Category:
                text = categories.value(
                    fields[c].field.isEmpty()
                        ? equipmentCategory.value(r[static_cast<size_t>(equipmentColumn)].toInt())
                        : key);
                break;
            case ValueKind::Equipment:
                text = equipment.value(key);
                break;
            case ValueKind::Status:
                text = statuses.value(key);
                break;
            case ValueKind::Location:
                text = locations.value(key);
                break;
            case ValueKind::Photograph:
                text = photographs.value(key);
                break;
            }
            row.cells << text;
            if (number)
                row.numbers |= quint64{1} << c;
        }
        sheet.rows.push_back(std::move(row));
    }
    return sheet;
}

} // namespace gearlog
