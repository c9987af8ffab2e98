#include "ImportWrite.h"

#include "Database.h"
#include "EngineError.h"
#include "RecordHelpers.h"
#include "RowWriter.h"

#include <QLocale>

namespace gearlog {

namespace {

ColumnValues columnValues(const std::vector<FieldValue>& values) {
    ColumnValues columns;
    columns.reserve(values.size());
    for (const FieldValue& v : values)
        columns.push_back({v.field, v.value});
    return columns;
}

void holdReferences(Database& db, const ImportPlan& plan) {
    for (const auto& [table, key] : plan.referencedRecords())
        if (!db.holdReferenced(table, key))
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
    RowWriter insert(db, table);
    for (qsizetype i = 0; i < names.size(); ++i) {
        insert.insert(keys[static_cast<size_t>(i)],
                      {{findField(table, QStringLiteral("Name")), names[i]}});
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
    const auto field = [&table](const char* name) {
        return findField(table, QString::fromLatin1(name));
    };
    RowWriter insert(db, table);
    for (size_t i = 0; i < types.size(); ++i) {
        types[i].key = keys[i];
        insert.insert(keys[i], {{field("Name"), types[i].name},
                                {field("CategoryID"), plan.categoryKey(types[i].category)},
                                {field("PhotographID"), -1},
                                {field("Weight"), 0.0F},
                                {field("Height"), 0.0F},
                                {field("Width"), 0.0F},
                                {field("Depth"), 0.0F}});
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
    const std::vector<RowVerdict>& verdicts = plan.verdicts();
    const auto adding = static_cast<int>(plan.count(Verdict::Add));
    const std::vector<int> keys =
        adding > 0 ? next_ids(db, table.name, adding) : std::vector<int>{};
    RowWriter writer(db, table);
    const auto total = static_cast<qint64>(verdicts.size());
    for (size_t r = 0; r < verdicts.size(); ++r) {
        if (verdicts[r].verdict == Verdict::Add) {
            writer.insert(keys[static_cast<size_t>(counts.added++)], columnValues(plan.values(r)));
        } else if (verdicts[r].verdict == Verdict::Update) {
            // The check held the record: what it replaces is what it read.
            writer.updateHeld(verdicts[r].key, plan.record(verdicts[r].key),
                              columnValues(plan.values(r)));
            ++counts.updated;
        }
        if (r % rowsPerBatch == 0 && progress && !progress(static_cast<qint64>(r), total))
            throw Cancelled();
    }
    writer.flush();
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
