#include "ImportPlan.h"

#include "Dialect.h"
#include "KeyedRead.h"
#include "RtfCodec.h"
#include "StoredColour.h"
#include "TypedText.h"

#include <QLocale>
#include <cmath>

namespace gearlog {

namespace {

using F = FieldType;

constexpr int checkedBetweenReports = 2000;
constexpr int serialsPerPage = 50000;
// Said after a missing category or equipment type.
const QString offerToMake =
    QStringLiteral(" (tick \"Create missing categories and equipment types\" to make it)");
// New contacts and addresses are blue until someone chooses.
constexpr int defaultColour = 0xFF0000;

// Any but tab and line breaks, which a cell may hold.
bool holdsControlCharacter(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        return c.category() == QChar::Other_Control && c != QLatin1Char('\t') &&
               c != QLatin1Char('\n') && c != QLatin1Char('\r');
    });
}

QString capitalised(const QString& text) {
    return text.left(1).toUpper() + text.mid(1);
}

QString quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// A number as a cell holds it: a workbook's numbers in the C form, typed
// text as money is typed.
bool readNumber(const QString& text, bool number, double* value) {
    if (!number)
        return parse_money(text, value);
    bool ok = false;
    const double read = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(read) || std::abs(read) > largestMoney)
        return false;
    *value = read;
    return true;
}

// #RRGGBB (or a colour name) or the stored number, as the stored number.
bool readColour(const QString& text, bool number, int* value) {
    bool ok = false;
    const qlonglong stored =
        number ? qRound64(QLocale::c().toDouble(text, &ok)) : text.toLongLong(&ok);
    if (ok)
        ok = stored >= 0 && stored <= 0xFFFFFF;
    if (ok) {
        *value = static_cast<int>(stored);
        return true;
    }
    const QColor colour = QColor::fromString(text);
    if (!colour.isValid())
        return false;
    *value = codeFromColour(colour);
    return true;
}

bool sameValue(const QVariant& stored, const QVariant& value, const FieldDef& field) {
    if (!stored.isValid() || !value.isValid())
        return stored.isValid() == value.isValid();
    switch (field.type) {
    case F::Memo:
        return rtf::plainText(stored.toString()) == value.toString();
    case F::Date:
        return stored.toDateTime().date() == value.toDateTime().date();
    case F::Single:
        return stored.toFloat() == value.toFloat();
    case F::Double: // money, as it shows: to the cent (older values carry float noise)
        return qRound64(stored.toDouble() * 100) == qRound64(value.toDouble() * 100);
    case F::Long:
        return stored.toInt() == value.toInt();
    default:
        return stored.toString() == value.toString();
    }
}

void addName(QHash<QString, QList<int>>& names, const QString& name, int key) {
    names[folded(name)].append(key);
}

} // namespace

QString folded(const QString& text) {
    return text.trimmed().toCaseFolded();
}

ImportPlan::ImportPlan(ImportKind kind, const SheetTable& sheet, std::vector<int> columns,
                       ImportOptions options)
    : m_kind(kind), m_sheet(sheet), m_columns(std::move(columns)), m_options(options),
      m_table(findTable(import_kind(kind).table)) {
    m_fieldColumn.assign(import_fields(kind).size(), -1);
    for (const ImportField& field : import_fields(kind))
        m_defs.push_back(findField(*m_table, field.field));
    for (size_t c = 0; c < m_columns.size(); ++c)
        if (m_columns[c] >= 0 && static_cast<size_t>(m_columns[c]) < m_fieldColumn.size())
            m_fieldColumn[static_cast<size_t>(m_columns[c])] = static_cast<int>(c);
    // Looked up once, not for every row.
    const std::vector<ImportField>& fields = import_fields(kind);
    m_keyField.assign(fields.size(), -1);
    for (size_t f = 0; f < fields.size(); ++f)
        for (size_t k = 0; k < fields.size(); ++k)
            if (names_reference(fields[f]) && fields[k].kind == ValueKind::Reference &&
                m_defs[k] == m_defs[f])
                m_keyField[f] = static_cast<int>(k);
    for (const FieldDef& f : m_table->fields)
        m_targets.push_back(referencedTable(*m_table, f.name));
    if (const FieldDef* serial = findField(*m_table, QStringLiteral("SerialNumber")))
        m_serialPosition = fieldPosition(*m_table, serial);
}

int ImportPlan::count(Verdict verdict) const {
    return static_cast<int>(
        std::count_if(m_verdicts.begin(), m_verdicts.end(),
                      [verdict](const RowVerdict& v) { return v.verdict == verdict; }));
}

QString ImportPlan::summary() const {
    const QLocale locale;
    return QStringLiteral("%1 rows: %2 to add, %3 to update, %4 unchanged, %5 cannot be imported")
        .arg(locale.toString(static_cast<qulonglong>(m_verdicts.size())),
             locale.toString(count(Verdict::Add)), locale.toString(count(Verdict::Update)),
             locale.toString(count(Verdict::Unchanged)), locale.toString(count(Verdict::Error)));
}

QString ImportPlan::cell(size_t r, int field, bool* number) const {
    const int c = m_fieldColumn[static_cast<size_t>(field)];
    if (c < 0)
        return {};
    const SheetRow& row = m_sheet.rows[r];
    if (number)
        *number = row.isNumber(c);
    return row.cells.value(c).trimmed();
}

void ImportPlan::readNames(Store& store) {
    m_keys.clear();
    const auto names = [&](const char* table, QHash<QString, QList<int>>& into) {
        into.clear();
        QSet<int>& keys = m_keys[QString::fromLatin1(table)];
        for (const Row& r : store.select(
                 QStringLiteral("SELECT ID, Name FROM %1 ORDER BY ID").arg(QLatin1String(table)),
                 {}, {F::Long, F::Text})) {
            addName(into, r[1].toString(), r[0].toInt());
            keys.insert(r[0].toInt());
        }
    };
    names("Table_category", m_categoryIds);
    names("Table_status", m_statusIds);
    names("Table_address", m_locationIds);
    names("Table_photo", m_photoIds);
    const std::vector<Row> statuses =
        store.select(QStringLiteral("SELECT MIN(ID) FROM Table_status"), {}, {F::Long});
    m_firstStatus = statuses.empty() ? 0 : statuses.front()[0].toInt();
    m_equipment.clear();
    for (const Row& r : store.select(
             QStringLiteral("SELECT ID, Name, CategoryID FROM Table_equipment ORDER BY ID"), {},
             {F::Long, F::Text, F::Long})) {
        m_equipment[folded(r[1].toString())].push_back({r[0].toInt(), r[2].toInt()});
        m_keys[QStringLiteral("Table_equipment")].insert(r[0].toInt());
    }
}

void ImportPlan::readExisting(Store& store, const Progress& progress, Purpose purpose) {
    m_existing.clear();
    const int idColumn = m_fieldColumn[0];
    if (!m_options.update || idColumn < 0)
        return;
    std::vector<int> keys;
    for (const SheetRow& row : m_sheet.rows) {
        bool ok = false;
        const int key = row.cells.value(idColumn).trimmed().toInt(&ok);
        if (ok && key > 0)
            keys.push_back(key);
    }
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    QStringList fields;
    std::vector<FieldType> types;
    for (const FieldDef& f : m_table->fields) {
        fields << f.name;
        types.push_back(f.type);
    }
    read_in_key_order(
        store,
        QStringLiteral("SELECT %1 FROM %2 WHERE ID IN")
            .arg(fields.join(QLatin1Char(',')), m_table->name),
        keys, types, [this](const Row& row) { m_existing.insert(row[0].toInt(), row); },
        purpose == Purpose::Writing ? dialect::rowLockClause(store.engine(), RowLock::ForDelete)
                                    : QString());
    if (progress && !progress(0, 1))
        throw Cancelled();
}

void ImportPlan::readSerials(Store& store, const Progress& progress) {
    m_serials.clear();
    if (m_kind != ImportKind::Assets)
        return;
    const int serialField = field_index(m_kind, QStringLiteral("SerialNumber"));
    QSet<QString> wanted;
    wanted.reserve(static_cast<qsizetype>(m_sheet.rows.size() + m_existing.size()));
    for (size_t r = 0; r < m_sheet.rows.size(); ++r) {
        const QString serial = cell(r, serialField);
        if (!serial.isEmpty())
            wanted.insert(folded(serial));
    }
    // An update that moves a record to another type keeps its serial.
    for (const Row& record : std::as_const(m_existing))
        if (const QString serial = storedSerial(record); !serial.isEmpty())
            wanted.insert(folded(serial));
    if (wanted.isEmpty())
        return;
    // Paged by key, so memory holds a page and the serials that match.
    for (int after = 0;;) {
        const std::vector<Row> page = store.select(
            QStringLiteral("SELECT ID, EquipmentID, SerialNumber FROM Table_asset WHERE ID > ? "
                           "AND SerialNumber <> '' ORDER BY ID LIMIT %1")
                .arg(serialsPerPage),
            {after}, {F::Long, F::Long, F::Text});
        for (const Row& r : page) {
            const QString f = folded(r[2].toString());
            if (wanted.contains(f))
                m_serials[f].push_back({r[1].toInt(), r[0].toInt()});
        }
        if (page.size() < static_cast<size_t>(serialsPerPage))
            break;
        after = page.back()[0].toInt();
        if (progress && !progress(0, 1))
            throw Cancelled();
    }
}

int ImportPlan::equipmentOf(const QString& name, const QString& category, QString* error) const {
    std::vector<Equipment> types = m_equipment.value(folded(name));
    if (!category.isEmpty()) {
        const QList<int> categories = m_categoryIds.value(folded(category));
        std::erase_if(
            types, [&categories](const Equipment& e) { return !categories.contains(e.category); });
    }
    if (types.size() == 1)
        return types.front().id;
    if (types.empty())
        return 0;
    *error = QStringLiteral("%1 equipment types are named %2: give the category in a Category "
                            "column")
                 .arg(types.size())
                 .arg(quoted(name));
    return -1;
}

QString ImportPlan::fieldValue(const ImportField& field, const QString& text, bool number,
                               Checked& row, const QString& category, QVariant* value) const {
    const auto byName = [&](const QHash<QString, QList<int>>& names, const QString& what) {
        return this->byName(names, what, text, value);
    };
    switch (field.kind) {
    case ValueKind::Key:
    case ValueKind::Reference:
        return {};
    case ValueKind::Text:
        if (text.size() > field.size)
            return field.tooLong;
        *value = text;
        if (field.field == QLatin1String("SerialNumber"))
            row.serial = text;
        return {};
    case ValueKind::RichText:
        *value = text;
        return {};
    case ValueKind::Date: {
        const QDate date = parse_date(text, m_options.dateOrder);
        if (!date.isValid())
            return field.invalid;
        *value = QDateTime(date, QTime(0, 0), Qt::UTC);
        return {};
    }
    case ValueKind::Money:
    case ValueKind::Measure: {
        double amount = 0;
        if (!readNumber(text, number, &amount))
            return field.invalid;
        if (field.kind == ValueKind::Measure && amount <= 0)
            return field.refused;
        *value = amount;
        return {};
    }
    case ValueKind::Colour: {
        int colour = 0;
        if (!readColour(text, number, &colour))
            return field.invalid;
        if (colour == 0 || colour == 0xFFFFFF)
            return field.refused;
        *value = colour;
        return {};
    }
    case ValueKind::Status:
        return byName(m_statusIds, QStringLiteral("status"));
    case ValueKind::Location:
        return byName(m_locationIds, QStringLiteral("location"));
    case ValueKind::Photograph:
        return byName(m_photoIds, QStringLiteral("photograph"));
    case ValueKind::Category: {
        const QString missing = byName(m_categoryIds, QStringLiteral("category"));
        if (!missing.isEmpty() && !m_options.createMissing)
            return missing + offerToMake;
        if (missing.isEmpty())
            return missing;
        row.missingCategory = text;
        *value = 0; // given its key once made
        return {};
    }
    case ValueKind::Equipment: {
        QString error;
        const int key = equipmentOf(text, category, &error);
        if (key < 0)
            return error;
        if (key > 0) {
            *value = row.equipment = key;
            return {};
        }
        // Never a second type of a name: the equipment view refuses one.
        if (m_options.createMissing && m_equipment.contains(folded(text)))
            return QStringLiteral("That equipment name already exists in another category");
        if (!m_options.createMissing)
            return (category.isEmpty()
                        ? QStringLiteral("There is no equipment type named %1").arg(quoted(text))
                        : QStringLiteral("There is no equipment type named %1 in the category %2")
                              .arg(quoted(text), quoted(category))) +
                   offerToMake;
        if (category.isEmpty())
            return QStringLiteral("The equipment category has not been specified");
        if (!m_categoryIds.contains(folded(category)))
            row.missingCategory = category;
        row.missingEquipment = {text, category};
        *value = 0;
        return {};
    }
    }
    return {};
}

QString ImportPlan::byName(const QHash<QString, QList<int>>& names, const QString& what,
                           const QString& name, QVariant* value) const {
    const QList<int> keys = names.value(folded(name));
    if (keys.isEmpty())
        return QStringLiteral("There is no %1 named %2").arg(what, quoted(name));
    if (keys.size() > 1)
        return QStringLiteral("%1 records of the %2 list are named %3: give its ID in the %4 ID "
                              "column")
            .arg(keys.size())
            .arg(what, quoted(name), capitalised(what));
    *value = keys.front();
    return {};
}

QString ImportPlan::referenceKey(size_t r, size_t field, int* key) const {
    *key = 0;
    const int f = m_keyField[field];
    if (f < 0)
        return {};
    const QString text = cell(r, f);
    if (text.isEmpty())
        return {};
    const ImportField& keyField = import_fields(m_kind)[static_cast<size_t>(f)];
    bool ok = false;
    const int given = text.toInt(&ok);
    if (!ok || given <= 0)
        return keyField.invalid;
    const TableDef* target = m_targets[fieldPosition(*m_table, m_defs[field])];
    if (!m_keys.value(target->name).contains(given))
        return QStringLiteral("There is no record with the %1 %2").arg(keyField.heading).arg(given);
    *key = given;
    return {};
}

ImportPlan::Checked ImportPlan::convert(size_t r) const {
    Checked row;
    const SheetRow& sheetRow = m_sheet.rows[r];
    if (sheetRow.width > m_sheet.headings.size()) {
        row.error = QStringLiteral("This row has %1 cells, more than the %2 headings")
                        .arg(sheetRow.width)
                        .arg(m_sheet.headings.size());
        return row;
    }
    const std::vector<ImportField>& fields = import_fields(m_kind);
    const ImportKindInfo& kind = import_kind(m_kind);
    QString category; // beside an asset's equipment type
    bool adding = true;
    for (size_t f = 0; f < fields.size(); ++f) {
        const ImportField& field = fields[f];
        bool number = false;
        const QString text = cell(r, static_cast<int>(f), &number);
        if (holdsControlCharacter(text)) {
            row.error = QStringLiteral("The %1 holds a control character (such as an escape), "
                                       "which cannot be imported")
                            .arg(field.heading);
            return row;
        }
        if (field.kind == ValueKind::Key) {
            if (!m_options.update || text.isEmpty())
                continue;
            bool ok = false;
            const int key = text.toInt(&ok);
            if (!ok || key <= 0) {
                row.error = field.invalid;
                return row;
            }
            if (!m_existing.contains(key)) {
                row.error =
                    QStringLiteral("There is no %1 with the ID %2").arg(kind.record).arg(key);
                return row;
            }
            row.id = key;
            adding = false;
            continue;
        }
        if (field.field.isEmpty()) {
            category = text;
            continue;
        }
        const FieldDef* def = m_defs[f];
        if (field.kind == ValueKind::Reference)
            continue; // taken with the name column it stands beside
        QVariant value;
        int givenKey = 0;
        if (names_reference(field)) {
            row.error = referenceKey(r, f, &givenKey);
            if (!row.error.isEmpty())
                return row;
        }
        if (givenKey > 0) {
            if (field.kind == ValueKind::Equipment)
                row.equipment = givenKey;
            row.values.push_back({def, givenKey, {}});
            continue;
        }
        if (text.isEmpty()) {
            if (!adding)
                continue; // an update leaves what an empty cell does not say
            if (!field.blank.isEmpty()) {
                row.error = field.blank;
                return row;
            }
            switch (field.kind) {
            case ValueKind::Text:
                value = QString(); // as a form stores an empty box
                break;
            case ValueKind::Measure:
                value = 0.0;
                break;
            case ValueKind::Colour:
                value = defaultColour;
                break;
            case ValueKind::Status:
                if (m_firstStatus == 0) {
                    row.error = QStringLiteral("The asset status has not been specified");
                    return row;
                }
                value = m_firstStatus;
                break;
            case ValueKind::Location:
            case ValueKind::Photograph:
                value = -1;
                break;
            default:
                continue; // left Null
            }
        } else {
            row.error = fieldValue(field, text, number, row, category, &value);
            if (!row.error.isEmpty())
                return row;
        }
        row.values.push_back({def, coerceValue(value, def->type, def->name), {}});
    }
    if (m_kind == ImportKind::Assets && row.equipment == 0 && !adding &&
        row.missingEquipment.name.isEmpty())
        row.equipment = record(row.id).at(1).toInt(); // the record's EquipmentID
    return row;
}

QString ImportPlan::duplicate(size_t r, const Checked& row, Seen& seen, bool* unchanged) const {
    const int line = m_sheet.rows[r].line;
    if (row.id > 0) {
        if (const int earlier = seen.records.value(row.id))
            return QStringLiteral("%1 %2 is also in row %3")
                .arg(capitalised(import_kind(m_kind).record))
                .arg(row.id)
                .arg(earlier);
        seen.records.insert(row.id, line);
    }
    QString serialGiven = row.serial;
    if (m_kind == ImportKind::Assets && serialGiven.isEmpty() && row.id > 0) {
        // A change of type alone is checked as a change of serial is.
        serialGiven = storedSerial(record(row.id));
    }
    if (m_kind == ImportKind::Assets && !serialGiven.isEmpty()) {
        const QString serial = folded(serialGiven);
        const QString type = row.equipment > 0
                                 ? QString::number(row.equipment)
                                 : folded(row.missingEquipment.name) + QLatin1Char('\x1f') +
                                       folded(row.missingEquipment.category);
        if (const auto users = m_serials.constFind(serial); users != m_serials.cend())
            for (const auto& [equipment, asset] : *users)
                if (equipment == row.equipment && row.equipment > 0 && asset != row.id)
                    return QStringLiteral("The serial number %1 is already used by asset %2 of "
                                          "this equipment type")
                        .arg(serialGiven)
                        .arg(asset);
        const QString key = type + QLatin1Char('\x1e') + serial;
        if (const int earlier = seen.serials.value(key))
            return QStringLiteral("The serial number %1 is also in row %2, for the same "
                                  "equipment type")
                .arg(serialGiven)
                .arg(earlier);
        seen.serials.insert(key, line);
        return {};
    }
    const bool named = m_kind == ImportKind::Categories || m_kind == ImportKind::Statuses ||
                       m_kind == ImportKind::Equipment;
    if (!named || row.id > 0)
        return {}; // renaming is not compared with the others, as a form's Save
    QString name;
    for (const FieldValue& v : row.values)
        if (v.field->name == QLatin1String("Name"))
            name = folded(v.value.toString());
    const bool exists = m_kind == ImportKind::Equipment  ? m_equipment.contains(name)
                        : m_kind == ImportKind::Statuses ? m_statusIds.contains(name)
                                                         : m_categoryIds.contains(name);
    const QString refusal = m_kind == ImportKind::Equipment
                                ? QStringLiteral("That equipment name already exists")
                                : QStringLiteral("That name already exists");
    const int earlier = seen.names.value(name);
    if (!exists && earlier == 0)
        seen.names.insert(name, line);
    // A category or status is nothing but its name: one already there is
    // the one the row means, so importing a list twice changes nothing.
    *unchanged = m_kind != ImportKind::Equipment;
    if (exists)
        return *unchanged ? refusal + QStringLiteral(": left as it is") : refusal;
    if (earlier > 0)
        return refusal + QStringLiteral(" in row %1").arg(earlier);
    *unchanged = false;
    return {};
}

RowVerdict ImportPlan::verdictOf(size_t r, Seen& seen) {
    const SheetRow& cells = m_sheet.rows[r];
    bool anything = cells.width > m_sheet.headings.size();
    for (size_t c = 0; c < m_columns.size() && !anything; ++c)
        anything =
            m_columns[c] >= 0 && !cells.cells.value(static_cast<qsizetype>(c)).trimmed().isEmpty();
    // Such as the new-item row ("*") of a saved list: no record at all.
    if (!anything)
        return {Verdict::Unchanged, 0, QStringLiteral("Nothing in this row is imported")};
    Checked row = convert(r);
    bool unchanged = false;
    if (row.error.isEmpty())
        row.error = duplicate(r, row, seen, &unchanged);
    if (!row.error.isEmpty())
        return {unchanged ? Verdict::Unchanged : Verdict::Error, row.id, row.error};
    noteReferences(row.values);
    const ImportKindInfo& kind = import_kind(m_kind);
    QStringList made;
    noteMissing(row, made);
    const QString with =
        made.isEmpty()
            ? QString()
            : QStringLiteral(", with the %1").arg(made.join(QStringLiteral(" and the ")));
    if (row.id > 0) {
        QStringList changed;
        const std::vector<ImportField>& fields = import_fields(m_kind);
        std::vector<FieldValue> changing = changes(row);
        for (const FieldValue& v : changing)
            for (const ImportField& f : fields)
                if (f.field == v.field->name && f.kind != ValueKind::Reference)
                    changed << f.heading;
        if (made.isEmpty())
            m_changes[r] = std::move(changing);
        if (changed.isEmpty() && made.isEmpty())
            return {Verdict::Unchanged, row.id,
                    QStringLiteral("No change to %1 %2").arg(kind.record).arg(row.id)};
        return {Verdict::Update, row.id,
                QStringLiteral("Update %1 %2: %3")
                        .arg(kind.record)
                        .arg(row.id)
                        .arg(changed.join(QStringLiteral(", "))) +
                    with};
    }
    return {Verdict::Add, 0, QStringLiteral("Add") + with};
}

void ImportPlan::noteMissing(const Checked& row, QStringList& made) {
    if (!row.missingCategory.isEmpty()) {
        if (!m_newCategoriesNamed.contains(folded(row.missingCategory))) {
            m_newCategoriesNamed.insert(folded(row.missingCategory));
            m_newCategories << row.missingCategory;
        }
        made << QStringLiteral("new category %1").arg(quoted(row.missingCategory));
    }
    if (!row.missingEquipment.name.isEmpty()) {
        const QString key = folded(row.missingEquipment.name) + QLatin1Char('\x1f') +
                            folded(row.missingEquipment.category);
        if (!m_newEquipmentNamed.contains(key)) {
            m_newEquipmentNamed.insert(key);
            m_newEquipment.push_back(row.missingEquipment);
        }
        made << QStringLiteral("new equipment type %1").arg(quoted(row.missingEquipment.name));
    }
}

void ImportPlan::check(Store& store, const Progress& progress, Purpose purpose) {
    readNames(store);
    readExisting(store, progress, purpose);
    readSerials(store, progress);
    m_newCategories.clear();
    m_newEquipment.clear();
    m_newCategoriesNamed.clear();
    m_newEquipmentNamed.clear();
    m_referenced.clear();
    m_referencedKeys.clear();
    m_verdicts.clear();
    m_verdicts.reserve(m_sheet.rows.size());
    m_changes.assign(m_sheet.rows.size(), std::nullopt);
    Seen seen;
    seen.serials.reserve(static_cast<qsizetype>(m_sheet.rows.size()));
    const auto total = static_cast<qint64>(m_sheet.rows.size());
    for (size_t r = 0; r < m_sheet.rows.size(); ++r) {
        m_verdicts.push_back(verdictOf(r, seen));
        if (r % checkedBetweenReports == 0 && progress && !progress(static_cast<qint64>(r), total))
            throw Cancelled();
    }
}

QList<int> ImportPlan::checkAgain(Store& store, const Progress& progress) {
    const std::vector<RowVerdict> shown = m_verdicts;
    check(store, progress, Purpose::Writing);
    QList<int> changed;
    for (size_t r = 0; r < m_verdicts.size(); ++r)
        if (r >= shown.size() || m_verdicts[r].verdict != shown[r].verdict ||
            m_verdicts[r].key != shown[r].key || m_verdicts[r].text != shown[r].text)
            changed << m_sheet.rows[r].line;
    return changed;
}

QString ImportPlan::storedSerial(const Row& record) const {
    return record.at(m_serialPosition).toString().trimmed();
}

std::vector<FieldValue> ImportPlan::changes(const Checked& row) const {
    std::vector<FieldValue> changed;
    const Row& stored = record(row.id);
    for (const FieldValue& v : row.values) {
        const size_t index = fieldPosition(*m_table, v.field);
        if (!sameValue(stored.at(index), v.value, *v.field))
            changed.push_back({v.field, v.value, stored.at(index)});
    }
    return changed;
}

std::vector<FieldValue> ImportPlan::values(size_t r) const {
    if (m_changes[r])
        return *m_changes[r];
    Checked row = convert(r);
    return row.id > 0 ? changes(row) : std::move(row.values);
}

void ImportPlan::categoryMade(const QString& name, int key) {
    addName(m_categoryIds, name, key);
}

void ImportPlan::equipmentMade(const NewEquipment& made) {
    m_equipment[folded(made.name)].push_back({made.key, categoryKey(made.category)});
}

int ImportPlan::categoryKey(const QString& name) const {
    const QList<int> keys = m_categoryIds.value(folded(name));
    return keys.size() == 1 ? keys.front() : 0;
}

void ImportPlan::noteReferences(const std::vector<FieldValue>& values) {
    for (const FieldValue& v : values) {
        const TableDef* target = m_targets[fieldPosition(*m_table, v.field)];
        const int key = v.value.toInt();
        if (target && key > 0 && !m_referencedKeys.contains({target, key})) {
            m_referencedKeys.insert({target, key});
            m_referenced.emplace_back(target->name, key);
        }
    }
}

} // namespace gearlog
