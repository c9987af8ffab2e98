// Importing 100,000 asset rows (a .xlsx workbook and a CSV file naming the
// sample's equipment types, statuses and offices) into the 1,000-asset
// sample: the preview (read and every row checked) and the import (checked
// again and written in one transaction with its history), on a file and,
// run through tools/with-postgres, on a local server; and the peak memory.
#include "CsvLine.h"
#include "Database.h"
#include "ImportWrite.h"
#include "SampleDatabase.h"
#include "SchemaBuilder.h"
#include "ScratchServerDatabase.h"
#include "SheetWrite.h"
#include "TableExport.h"
#include "TypedText.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>

using namespace gearlog;

namespace {

constexpr int rows = 100'000;
const SampleOptions sample{1000, 7, 0};

// Forgets the peak so far (the generated rows), so that the next reading is
// of the import alone.
void resetPeak() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// The process's peak resident memory since the reset, in MB.
long peakMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').front().toLong() / 1024;
    return -1;
}

// The rows of the file: names the database holds, values of every kind.
SheetTable assetRows(Store& store) {
    const auto names = [&store](const char* sql) {
        QStringList found;
        for (const Row& r :
             store.select(QString::fromLatin1(sql), {}, {FieldType::Text, FieldType::Text}))
            found << r[0].toString() + QLatin1Char('\t') + r[1].toString();
        return found;
    };
    const QStringList types = names("SELECT e.Name, c.Name FROM Table_equipment e JOIN "
                                    "Table_category c ON c.ID = e.CategoryID ORDER BY e.ID");
    const QStringList statuses = names("SELECT Name, Name FROM Table_status ORDER BY ID");
    const QStringList offices = names("SELECT Name, Name FROM Table_address ORDER BY ID");
    SheetTable t;
    t.headings = QStringList{QStringLiteral("Model"),
                             QStringLiteral("Serial No"),
                             QStringLiteral("Date Acquired"),
                             QStringLiteral("Purchase Price"),
                             QStringLiteral("Replacement Value"),
                             QStringLiteral("Customs Value"),
                             QStringLiteral("Maintenance"),
                             QStringLiteral("Status"),
                             QStringLiteral("Category"),
                             QStringLiteral("Equipment"),
                             QStringLiteral("Accounts Office"),
                             QStringLiteral("Comments")};
    for (int r = 0; r < rows; ++r) {
        const QStringList type = types[r % types.size()].split(QLatin1Char('\t'));
        t.rows.push_back(
            {r + 2,
             {QStringLiteral("IMP-%1").arg(r % 500),
              QStringLiteral("IMP-SN-%1").arg(r, 7, 10, QLatin1Char('0')),
              format_date(QDate(2015, 1, 1).addDays(r % 3000)),
              QString::number(100 + r % 9000) + QStringLiteral(".25"),
              QString::number(150 + r % 9000) + QStringLiteral(".50"),
              QString::number(80 + r % 500),
              QDate(2027, 1, 1).addDays(r % 700).toString(Qt::ISODate),
              statuses[r % 3].section(QLatin1Char('\t'), 0, 0), type[1], type[0],
              offices[r % offices.size()].section(QLatin1Char('\t'), 0, 0),
              r % 10 == 0 ? QStringLiteral("Delivered with case and spare battery") : QString()},
             0b111000});
    }
    return t;
}

void writeFiles(const SheetTable& t, const QString& xlsx, const QString& csv) {
    const auto text = [&t](int r, int c) {
        return r == 0 ? t.headings[c] : t.rows[static_cast<size_t>(r - 1)].cells.value(c);
    };
    const auto number = [&t](int r, int c) {
        return r > 0 && t.rows[static_cast<size_t>(r - 1)].isNumber(c);
    };
    write_workbook(xlsx, rows + 1, static_cast<int>(t.headings.size()), text, number);
    QFile file(csv);
    file.open(QIODevice::WriteOnly);
    QTextStream out(&file);
    for (int r = 0; r <= rows; ++r) {
        QStringList cells;
        for (qsizetype c = 0; c < t.headings.size(); ++c)
            cells << text(r, static_cast<int>(c));
        writeCsvLine(out, cells);
    }
}

double seconds(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e9;
}

void measure(const char* store, const char* kind, std::unique_ptr<Store> target,
             const QString& path) {
    QElapsedTimer clock;
    clock.start();
    const SheetTable sheet = read_sheet(path);
    const double read = seconds(clock);
    const auto db = std::make_shared<Database>(std::move(target));
    ImportPlan plan(ImportKind::Assets, sheet, match_columns(ImportKind::Assets, sheet.headings),
                    {});
    plan.check(db->store());
    const double preview = seconds(clock);
    if (plan.count(Verdict::Add) != rows)
        std::printf("  only %d of the rows would be added\n", plan.count(Verdict::Add));
    clock.restart();
    db->setCommand(QStringLiteral("Import"));
    Transaction transaction(*db);
    plan.check(db->store());
    const ImportCounts counts = write_import(*db, plan);
    transaction.commit();
    std::printf("%-6s %-5s preview %.2f s (read %.2f s), import %.2f s: %s\n", store, kind, preview,
                read, seconds(clock), qPrintable(import_summary(counts)));
}

// The whole table exported, every model number changed, and imported again
// by ID: an update of every row.
void measureUpdate(const char* store, Database& db) {
    SheetTable sheet = export_table(db.store(), ImportKind::Assets);
    for (SheetRow& row : sheet.rows)
        row.cells[1] += QStringLiteral("-u");
    QElapsedTimer clock;
    clock.start();
    ImportPlan plan(ImportKind::Assets, sheet, match_columns(ImportKind::Assets, sheet.headings),
                    {.update = true});
    db.setCommand(QStringLiteral("Import"));
    Transaction transaction(db);
    plan.check(db.store(), {}, ImportPlan::Purpose::Writing);
    const ImportCounts counts = write_import(db, plan);
    transaction.commit();
    std::printf("%-6s update of every row, checked and written: %.2f s: %s\n", store,
                seconds(clock), qPrintable(import_summary(counts)));
}

// The engine's own bulk load of the same CSV into a bare table: the floor
// an import that checks, indexes and records every row is measured against.
// Seconds sqlite3 takes to run `script` on `database`; -1 when it fails.
double timedSqlite(const QString& database, const QString& script) {
    QProcess sqlite;
    QElapsedTimer clock;
    clock.start();
    sqlite.start(QStringLiteral("sqlite3"), {database});
    sqlite.write(script.toUtf8());
    sqlite.closeWriteChannel();
    if (!sqlite.waitForFinished(120000) || sqlite.exitCode() != 0 ||
        !sqlite.readAllStandardError().isEmpty())
        return -1;
    return seconds(clock);
}

void measureBulkLoad(const QString& csv, const QString& folder) {
    const double bare = timedSqlite(folder + QStringLiteral("/bare.db"),
                                    QStringLiteral(".mode csv\n.import '%1' bare\n").arg(csv));
    if (bare < 0)
        std::printf("sqlite3 .import could not be timed (is sqlite3 installed?)\n");
    else
        std::printf("sqlite3 .import of the CSV into a bare table: %.2f s\n", bare);
}

// The engine alone, given rows like the file's in one statement: what
// adding them to the asset table as it is (its indexes and search) and
// recording each field in the history costs, then changing every model
// number, with nothing read, converted or checked. The floor the import's
// figures stand on.
void measureEngineFloor(const QString& base, const QString& folder) {
    const QString copy = folder + QStringLiteral("/floor.gearlog");
    QFile::copy(base, copy);
    const QString history = QStringLiteral(
        "INSERT INTO Table_history (ChangedAt, ChangedBy, Machine, Command, TableName, RecordID, "
        "Action, Field, Before, After) SELECT '2026-01-01 00:00:00', 'bench', 'here', 'Import', "
        "'Table_asset', a.ID, '%1', f.name, %2, %3 FROM Table_asset a, (%4) f WHERE a.ID > %5;\n");
    QStringList fields;
    for (const char* name :
         {"EquipmentID", "StatusID", "ShipmentID", "AccountID", "ModelNumber", "SerialNumber",
          "DateAcquired", "PurchasePrice", "ReplacementCost", "Valuation", "NextSchedMaint"})
        fields << QStringLiteral("SELECT '%1' AS name").arg(QLatin1String(name));
    const int first = 1'000'000;
    const double add = timedSqlite(
        copy,
        QStringLiteral(
            "BEGIN;\nINSERT INTO Table_asset (ID, EquipmentID, StatusID, ShipmentID, AccountID, "
            "ModelNumber, SerialNumber, DateAcquired, PurchasePrice, ReplacementCost, Valuation, "
            "NextSchedMaint, Comments) WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
            "FROM n WHERE i < %1) SELECT %2 + i, 1 + i % 7, 1 + i % 3, 0, 1 + i % 5, 'IMP-' || "
            "(i % 500), 'IMP-SN-' || substr('000000' || i, -7), '2016-01-01 00:00:00', 100.25, "
            "150.5, 80, "
            "'2027-02-01 00:00:00', CASE WHEN i % 10 = 0 THEN 'Delivered with case' END FROM n;\n")
                .arg(rows)
                .arg(first) +
            history
                .arg(QStringLiteral("Added"), QStringLiteral("NULL"), QStringLiteral("'value'"),
                     fields.join(QStringLiteral(" UNION ALL ")))
                .arg(first) +
            QStringLiteral("COMMIT;\n"));
    const double update = timedSqlite(
        copy,
        QStringLiteral("BEGIN;\nUPDATE Table_asset SET ModelNumber = ModelNumber || '-u';\n") +
            history
                .arg(QStringLiteral("Changed"), QStringLiteral("'old'"), QStringLiteral("'new'"),
                     QStringLiteral("SELECT 'ModelNumber' AS name"))
                .arg(0) +
            QStringLiteral("COMMIT;\n"));
    if (add < 0 || update < 0)
        std::printf("sqlite3 could not write the asset table\n");
    else
        std::printf("sqlite3 alone, the same rows with their history: added %.2f s, every model "
                    "number changed %.2f s\n",
                    add, update);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("sample.gearlog"));
    createDatabaseFile(base, false, [](Store& store) { writeSampleRows(store, sample); });
    const QString xlsx = dir.filePath(QStringLiteral("assets.xlsx")),
                  csv = dir.filePath(QStringLiteral("assets.csv"));
    writeFiles(assetRows(*openFileStore(base)), xlsx, csv);
    resetPeak();
    std::printf("%d asset rows: %.1f MB as .xlsx, %.1f MB as CSV\n", rows,
                static_cast<double>(QFile(xlsx).size()) / 1e6,
                static_cast<double>(QFile(csv).size()) / 1e6);
    measureBulkLoad(csv, dir.path());
    measureEngineFloor(base, dir.path());
    for (const auto& [kind, path] : {std::pair{"xlsx", xlsx}, std::pair{"csv", csv}}) {
        const QString copy = dir.filePath(QStringLiteral("%1.gearlog").arg(QLatin1String(kind)));
        QFile::copy(base, copy);
        measure("file", kind, openFileStore(copy), path);
    }
    measureUpdate("file", *std::make_shared<Database>(
                              openFileStore(dir.filePath(QStringLiteral("csv.gearlog")))));
    std::printf("peak memory %ld MB\n", peakMegabytes());
    const QString server = qEnvironmentVariable("GEARLOG_TEST_PG");
    if (!server.isEmpty()) {
        const bench::ScratchServerDatabase scratch(server, QStringLiteral("import_bench"));
        auto store = openServerStore(scratch.connection());
        buildSchema(*store, [&store] { writeSampleRows(*store, sample); });
        store.reset();
        measure("server", "xlsx", openServerStore(scratch.connection()), xlsx);
        measureUpdate("server", *std::make_shared<Database>(openServerStore(scratch.connection())));
    }
    return 0;
}
