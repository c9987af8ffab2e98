#include "ImportWrite.h"

#include "ChangeHistory.h"
#include "Database.h"
#include "EngineError.h"
#include "RecordHelpers.h"

#include <QLocale>

namespace gearlog {

namespace {

constexpr size_t rowsPerInsert = 200;

// Rows of one table written a batch a statement, with their history.
class BatchInsert {
public:
    BatchInsert(Database& db, const TableDef& table, std::vector<const FieldDef*> fields)
        : m_db(db), m_table(table), m_fields(std::move(fields)) {}
    ~BatchInsert() = default;
    BatchInsert(const BatchInsert&) = delete;
    BatchInsert& operator=(const BatchInsert&) = delete;

    // `values` in the order of the fields given at construction (Null: none).
    void add(int key, const std::vector<QVariant>& values) {
        m_params << key;
        RowChange change{m_table.name, key, ChangeAction::Added, {}};
        for (size_t f = 0; f < m_fields.size(); ++f) {
            m_params << values[f];
            if (values[f].isValid())
                change.fields.push_back(
                    {m_fields[f]->name, {}, history_text(values[f], m_fields[f]->type)});
        }
        m_db.recordChange(std::move(change));
        if (++m_rows == rowsPerInsert)
            flush();
    }

    void flush() {
        if (m_rows == 0)
            return;
        QStringList names{QStringLiteral("ID")};
        for (const FieldDef* f : m_fields)
            names << f->name;
        const QString row = QLatin1Char('(') +
                            QStringList(names.size(), QStringLiteral("?")).join(QLatin1Char(',')) +
                            QLatin1Char(')');
        m_db.store().execute(
            QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                .arg(m_table.name, names.join(QLatin1Char(',')),
                     QStringList(static_cast<qsizetype>(m_rows), row).join(QLatin1Char(','))),
            m_params);
        m_params.clear();
        m_rows = 0;
        // Written as it goes, so a long import holds no more than a batch.
        m_db.writeRecordedChanges();
    }

private:
    Database& m_db;
    const TableDef& m_table;
    std::vector<const FieldDef*> m_fields;
    QVariantList m_params;
    size_t m_rows = 0;
};

void holdReferences(Database& db, const ImportPlan& plan) {
    for (const auto& [table, key] : plan.referencedRecords())
        if (!lock_row(db, table, key, RowLock::ForReference))
            throw EngineError(QStringLiteral("Another desk has deleted a record the file names "
                                             "(%1 %2) since the preview: check the file again")
                                  .arg(table)
                                  .arg(key),
                              QStringLiteral("import"));
}

void makeCategories(Database& db, ImportPlan& plan, ImportCounts& counts) {
    const QStringList& names = plan.newCategories();
    if (names.isEmpty())
        return;
    const TableDef& table = *findTable(QStringLiteral("Table_category"));
    const std::vector<int> keys = next_ids(db, table.name, static_cast<int>(names.size()));
    BatchInsert insert(db, table, {findField(table, QStringLiteral("Name"))});
    for (qsizetype i = 0; i < names.size(); ++i) {
        insert.add(keys[static_cast<size_t>(i)], {names[i]});
        plan.categoryMade(names[i], keys[static_cast<size_t>(i)]);
    }
    insert.flush();
    counts.categoriesMade = static_cast<int>(names.size());
}

// A new type as the equipment view saves one with only a name and a
// category: no photograph, measurements 0.
void makeEquipment(Database& db, ImportPlan& plan, ImportCounts& counts) {
    std::vector<NewEquipment>& types = plan.newEquipment();
    if (types.empty())
        return;
    const TableDef& table = *findTable(QStringLiteral("Table_equipment"));
    const std::vector<int> keys = next_ids(db, table.name, static_cast<int>(types.size()));
    std::vector<const FieldDef*> fields;
    for (const char* name :
         {"Name", "CategoryID", "PhotographID", "Weight", "Height", "Width", "Depth"})
        fields.push_back(findField(table, QString::fromLatin1(name)));
    BatchInsert insert(db, table, fields);
    for (size_t i = 0; i < types.size(); ++i) {
        types[i].key = keys[i];
        insert.add(keys[i], {types[i].name, plan.categoryKey(types[i].category), -1, 0.0F, 0.0F,
                             0.0F, 0.0F});
        plan.equipmentMade(types[i]);
    }
    insert.flush();
    counts.equipmentMade = static_cast<int>(types.size());
}

} // namespace

ImportCounts write_import(Database& db, ImportPlan& plan, const Progress& progress) {
    ImportCounts counts;
    holdReferences(db, plan);
    makeCategories(db, plan, counts);
    makeEquipment(db, plan, counts);
    const TableDef& table = *findTable(import_kind(plan.kind()).table);
    std::vector<const FieldDef*> fields;
    for (const ImportField& f : import_fields(plan.kind()))
        if (!f.field.isEmpty() && f.kind != ValueKind::Key)
            fields.push_back(findField(table, f.field));
    const std::vector<RowVerdict>& verdicts = plan.verdicts();
    const auto adding = static_cast<int>(plan.count(Verdict::Add));
    const std::vector<int> keys =
        adding > 0 ? next_ids(db, table.name, adding) : std::vector<int>{};
    BatchInsert insert(db, table, fields);
    const auto total = static_cast<qint64>(verdicts.size());
    for (size_t r = 0; r < verdicts.size(); ++r) {
        if (verdicts[r].verdict == Verdict::Add) {
            std::vector<QVariant> values(fields.size());
            for (const FieldValue& v : plan.values(r))
                values[static_cast<size_t>(std::find(fields.begin(), fields.end(), v.field) -
                                           fields.begin())] = v.value;
            insert.add(keys[static_cast<size_t>(counts.added++)], values);
        } else if (verdicts[r].verdict == Verdict::Update) {
            QStringList set;
            QVariantList params;
            RowChange change{table.name, verdicts[r].key, ChangeAction::Changed, {}};
            for (const FieldValue& v : plan.values(r)) {
                set << v.field->name + QStringLiteral(" = ?");
                params << v.value;
                change.fields.push_back({v.field->name, history_text(v.before, v.field->type),
                                         history_text(v.value, v.field->type)});
            }
            params << verdicts[r].key;
            db.store().execute(QStringLiteral("UPDATE %1 SET %2 WHERE ID = ?")
                                   .arg(table.name, set.join(QStringLiteral(", "))),
                               params);
            db.recordChange(std::move(change));
            ++counts.updated;
        }
        if (r % rowsPerInsert == 0) {
            db.writeRecordedChanges();
            if (progress && !progress(static_cast<qint64>(r), total))
                throw Cancelled();
        }
    }
    insert.flush();
    return counts;
}

QString import_summary(const ImportCounts& counts) {
    const QLocale locale;
    QString text = QStringLiteral("%1 added, %2 updated")
                       .arg(locale.toString(counts.added), locale.toString(counts.updated));
    QStringList made;
    if (counts.categoriesMade > 0)
        made << (counts.categoriesMade == 1 ? QStringLiteral("1 new category")
                                            : QStringLiteral("%1 new categories")
                                                  .arg(locale.toString(counts.categoriesMade)));
    if (counts.equipmentMade > 0)
        made << (counts.equipmentMade == 1 ? QStringLiteral("1 new equipment type")
                                           : QStringLiteral("%1 new equipment types")
                                                 .arg(locale.toString(counts.equipmentMade)));
    if (!made.isEmpty())
        text += QStringLiteral(" (with %1)").arg(made.join(QStringLiteral(" and ")));
    return text;
}

} // namespace gearlog
