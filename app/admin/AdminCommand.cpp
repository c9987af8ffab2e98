#include "AdminCommand.h"

#include "AdminOptions.h"
#include "BookingCommands.h"
#include "BookingTables.h"
#include "ChangeHistory.h"
#include "ConnectionString.h"
#include "DatabaseCheck.h"
#include "DatabaseCopy.h"
#include "DatabaseFile.h"
#include "Dialect.h"
#include "DueLists.h"
#include "DueReport.h"
#include "EngineError.h"
#include "HistoryCheck.h"
#include "HistoryReport.h"
#include "ImportCommand.h"
#include "MaintenanceCommands.h"
#include "MaintenanceTables.h"
#include "RecordHelpers.h"
#include "RecordSearch.h"
#include "RtfCodec.h"
#include "SampleDatabase.h"
#include "SchemaBuilder.h"
#include "SearchReport.h"
#include "StocktakeCommand.h"
#include "StocktakeTables.h"

#include <QFileInfo>
#include <unistd.h>

namespace gearlog {

namespace {

const char usage[] =
    "Usage:\n"
    "  gearlog-admin create FILE [--force]\n"
    "  gearlog-admin create-schema CONNECTION [--roles]\n"
    "  gearlog-admin sample FILE|CONNECTION [--assets N] [--seed S]\n"
    "                          [--large-shipment LINES] [--force]\n"
    "  gearlog-admin check FILE|CONNECTION [--full]\n"
    "  gearlog-admin backup FILE|CONNECTION COPY [--force]\n"
    "  gearlog-admin copy FILE|CONNECTION FILE|CONNECTION [--force]\n"
    "  gearlog-admin due FILE|CONNECTION [--days N] [--limit N] [--csv]\n"
    "  gearlog-admin find FILE|CONNECTION TEXT [--json]\n"
    "  gearlog-admin history FILE|CONNECTION [--since DATE] [--table T] [--id N]\n"
    "                        [--csv] [--trim-before DATE]\n"
    "  gearlog-admin import FILE|CONNECTION DATA.xlsx|DATA.csv --into KIND\n"
    "                       [--update] [--create-missing] [--dry-run] [--skip COLUMN]...\n"
    "                       [--encoding utf-8|windows-1252] [--date-order dmy|mdy|ymd]\n"
    "  gearlog-admin export FILE|CONNECTION --table KIND OUT.xlsx|OUT.csv [--force]\n"
    "  gearlog-admin book FILE|CONNECTION --equipment NAME [--category NAME] --quantity N\n"
    "                     --from DATE --to DATE --receiver CONTACT [--name TEXT]\n"
    "  gearlog-admin availability FILE|CONNECTION --equipment NAME [--category NAME]\n"
    "                             --from DATE --to DATE [--csv]\n"
    "  gearlog-admin bookings FILE|CONNECTION [--from DATE] [--to DATE] [--csv]\n"
    "  gearlog-admin stocktake FILE|CONNECTION --location NAME [--category NAME]\n"
    "                          [--equipment NAME] --codes FILE [--apply]\n"
    "                          [--missing-status NAME] [--csv]\n"
    "  gearlog-admin maintenance FILE|CONNECTION ASSET_ID --done DATE [--kind K]\n"
    "                            [--result Passed|Adjusted|Failed] [--by TEXT]\n"
    "                            [--cost AMOUNT] [--notes TEXT] [--certificate FILE]\n"
    "                            [--next DATE]\n"
    "  gearlog-admin interval FILE|CONNECTION --equipment NAME [--category NAME]\n"
    "                         --days N [--kind K]\n"
    "  gearlog-admin maintenance-log FILE|CONNECTION [--asset N] [--since DATE] [--csv]\n"
    "\n"
    "KIND is assets, equipment, contacts, addresses, categories or statuses.\n"
    "\n"
    "CONNECTION is Driver=QPSQL;Host=...;Port=...;Database=...;User=...\n"
    "A server password comes from PGPASSWORD or ~/.pgpass.\n";

struct Arguments {
    QString command, target;
    QString second; // backup: the file to copy to; find: the text
    bool force = false;
    bool full = false;  // check: every index against its table too
    bool roles = false; // create-schema: the reader and writer roles too
    int assets = 200;
    quint32 seed = 1;
    int largeShipment = 0;
    int days = 30;     // due: maintenance within this many days
    bool csv = false;  // due: CSV rather than text
    int limit = 1000;  // due: the most urgent rows of each list (0: all)
    bool json = false; // find: JSON rather than text
    // history: which entries, or the date before which to delete them
    QDate since, trimBefore;
    QString table;
    int id = -1;
    // import and export
    std::optional<ImportKind> kind;
    ImportOptions import;
    bool dryRun = false;
    QStringList skip; // import: headings of columns left out
    CsvEncoding encoding = CsvEncoding::Detect;
};

ImportKind kindOption(const QStringList& args, qsizetype& i, const QString& option) {
    const auto kind = i + 1 < args.size() ? import_kind_named(args[i + 1]) : std::nullopt;
    if (!kind)
        throw UsageError(option + QStringLiteral(" needs one of assets, equipment, contacts, "
                                                 "addresses, categories, statuses"));
    ++i;
    return *kind;
}

// The value of an option that takes one of a few names (in any case).
template <typename Value>
Value namedOption(const QStringList& args, qsizetype& i, const QString& option,
                  const std::vector<std::pair<const char*, Value>>& names, const char* needs) {
    const QString name = args.value(i + 1).toLower();
    ++i;
    for (const auto& [text, value] : names)
        if (name == QLatin1String(text))
            return value;
    throw UsageError(option + QStringLiteral(" needs ") + QLatin1String(needs));
}

Arguments parse(const QStringList& args) {
    if (args.isEmpty())
        throw UsageError(QStringLiteral("No command given"));
    Arguments a;
    a.command = args.front();
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--force"))
            a.force = true;
        else if (arg == QLatin1String("--full") && a.command == QLatin1String("check"))
            a.full = true;
        else if (arg == QLatin1String("--roles") && a.command == QLatin1String("create-schema"))
            a.roles = true;
        else if (arg == QLatin1String("--assets"))
            a.assets = positiveNumber(args, i, arg);
        else if (arg == QLatin1String("--large-shipment"))
            a.largeShipment = positiveNumber(args, i, arg);
        else if (arg == QLatin1String("--days") && a.command == QLatin1String("due"))
            a.days = positiveNumber(args, i, arg);
        else if (arg == QLatin1String("--limit") && a.command == QLatin1String("due"))
            a.limit = positiveNumber(args, i, arg);
        else if (arg == QLatin1String("--since") && a.command == QLatin1String("history"))
            a.since = date(args, i, arg);
        else if (arg == QLatin1String("--trim-before") && a.command == QLatin1String("history"))
            a.trimBefore = date(args, i, arg);
        else if (arg == QLatin1String("--into") && a.command == QLatin1String("import"))
            a.kind = kindOption(args, i, arg);
        else if (arg == QLatin1String("--table") && a.command == QLatin1String("export"))
            a.kind = kindOption(args, i, arg);
        else if (arg == QLatin1String("--update") && a.command == QLatin1String("import"))
            a.import.update = true;
        else if (arg == QLatin1String("--create-missing") && a.command == QLatin1String("import"))
            a.import.createMissing = true;
        else if (arg == QLatin1String("--dry-run") && a.command == QLatin1String("import"))
            a.dryRun = true;
        else if (arg == QLatin1String("--date-order") && a.command == QLatin1String("import"))
            a.import.dateOrder = namedOption<DateOrder>(args, i, arg,
                                                        {{"dmy", DateOrder::DayMonthYear},
                                                         {"mdy", DateOrder::MonthDayYear},
                                                         {"ymd", DateOrder::YearMonthDay}},
                                                        "dmy, mdy or ymd");
        else if (arg == QLatin1String("--encoding") && a.command == QLatin1String("import"))
            a.encoding = namedOption<CsvEncoding>(
                args, i, arg,
                {{"utf-8", CsvEncoding::Utf8}, {"windows-1252", CsvEncoding::Windows1252}},
                "utf-8 or windows-1252");
        else if (arg == QLatin1String("--skip") && a.command == QLatin1String("import") &&
                 i + 1 < args.size())
            a.skip << args[++i];
        else if (arg == QLatin1String("--table") && a.command == QLatin1String("history") &&
                 i + 1 < args.size())
            a.table = args[++i];
        else if (arg == QLatin1String("--id") && a.command == QLatin1String("history"))
            a.id = positiveNumber(args, i, arg);
        else if (arg == QLatin1String("--csv") &&
                 (a.command == QLatin1String("due") || a.command == QLatin1String("history")))
            a.csv = true;
        else if (arg == QLatin1String("--json") && a.command == QLatin1String("find"))
            a.json = true;
        else if (arg == QLatin1String("--seed"))
            a.seed = static_cast<quint32>(positiveNumber(args, i, arg));
        else if (arg.startsWith(QLatin1String("--")))
            throw UsageError(QStringLiteral("Unknown option ") + arg);
        else if (a.target.isEmpty())
            a.target = arg;
        else if (a.second.isEmpty() &&
                 (a.command == QLatin1String("backup") || a.command == QLatin1String("copy") ||
                  a.command == QLatin1String("find") || a.command == QLatin1String("import") ||
                  a.command == QLatin1String("export")))
            a.second = arg;
        else
            throw UsageError(QStringLiteral("Unexpected argument ") + arg);
    }
    const QStringList known{
        QStringLiteral("create"), QStringLiteral("create-schema"), QStringLiteral("sample"),
        QStringLiteral("check"),  QStringLiteral("backup"),        QStringLiteral("copy"),
        QStringLiteral("due"),    QStringLiteral("find"),          QStringLiteral("history"),
        QStringLiteral("import"), QStringLiteral("export")};
    if (!known.contains(a.command))
        throw UsageError(QStringLiteral("Unknown command ") + a.command);
    if (a.target.isEmpty())
        throw UsageError(a.command + QStringLiteral(" needs a database file or connection"));
    if (a.command == QLatin1String("find") && a.second.isEmpty())
        throw UsageError(QStringLiteral("find needs the text to find"));
    if (a.command == QLatin1String("backup") && a.second.isEmpty())
        throw UsageError(QStringLiteral("backup needs the file to write the copy to"));
    if (a.command == QLatin1String("copy") && a.second.isEmpty())
        throw UsageError(QStringLiteral("copy needs the file or empty server database to copy to"));
    if ((a.command == QLatin1String("import") || a.command == QLatin1String("export")) &&
        (a.second.isEmpty() || !a.kind))
        throw UsageError(a.command == QLatin1String("import")
                             ? QStringLiteral("import needs the file to read and --into KIND")
                             : QStringLiteral("export needs --table KIND and the file to write"));
    return a;
}

// A new file (replacing an existing one only when forced), or an empty
// server database given the schema; `fill` writes more rows in the same
// transaction, so a command killed half-way leaves what was there before.
void createTarget(const QString& target, bool force, const std::function<void(Store&)>& fill = {}) {
    if (isConnectionString(target)) {
        auto store = openServerStore(remoteVerified(target));
        if (store->tableNames().contains(QStringLiteral("table_asset")))
            throw EngineError(store->dataSourceName() +
                              QStringLiteral(" already holds a Gearlog database: give an empty "
                                             "one"));
        buildSchema(*store, [&] {
            if (fill)
                fill(*store);
        });
        return;
    }
    if (pathTaken(target) && !force)
        throw EngineError(target + QStringLiteral(" already exists; use --force to replace it"));
    createDatabaseFile(target, force, fill);
}
void createTarget(const Arguments& a, const std::function<void(Store&)>& fill = {}) {
    createTarget(a.target, a.force, fill);
}

int run(const Arguments& a, QTextStream& out, QTextStream& err) {
    if (a.command == QLatin1String("create")) {
        if (isConnectionString(a.target))
            throw UsageError(QStringLiteral("create makes a file; use create-schema for a server"));
        createTarget(a);
        out << "Created " << a.target << "\n";
    } else if (a.command == QLatin1String("create-schema")) {
        if (!isConnectionString(a.target))
            throw UsageError(QStringLiteral("create-schema needs a connection string"));
        createTarget(a, [&a](Store& store) {
            if (a.roles)
                for (const QString& sql : dialect::roleStatements())
                    store.execute(sql);
        });
        out << "Created the tables in " << a.target
            << (a.roles ? ", with the roles gearlog_reader and gearlog_writer\n" : "\n");
    } else if (a.command == QLatin1String("sample")) {
        createTarget(a, [&a](Store& store) {
            writeSampleRows(store, {a.assets, a.seed, a.largeShipment});
        });
        out << "Wrote a sample database with " << a.assets << " assets to " << a.target << "\n";
    } else if (a.command == QLatin1String("due")) {
        // 0: nothing due, 1: something due (for a daily mail from cron).
        const DueLists lists =
            read_due_lists(*openTarget(a.target), QDate::currentDate(), a.days, a.limit);
        if (a.csv)
            writeDueCsv(lists, out);
        else
            writeDueText(lists, a.days, out);
        return lists.empty() ? 0 : 1;
    } else if (a.command == QLatin1String("find")) {
        // 0: something found, 1: nothing (as grep says).
        const std::unique_ptr<Store> store = openTarget(a.target);
        std::vector<SearchGroup> groups;
        bool found = false;
        for (const SearchKind kind : search_kinds()) {
            groups.push_back(search_records(*store, kind, a.second, searchShown));
            found = found || groups.back().total > 0;
        }
        if (a.json)
            writeSearchJson(a.second, groups, out);
        else
            writeSearchText(groups, out);
        return found ? 0 : 1;
    } else if (a.command == QLatin1String("history")) {
        const std::unique_ptr<Store> store = openTarget(a.target);
        if (!history_table_exists(*store)) {
            out << "No changes are recorded in " << a.target
                << (a.trimBefore.isValid() ? ": nothing was deleted\n" : "\n");
            return 0;
        }
        if (a.trimBefore.isValid()) {
            out << "Deleted " << trim_history(*store, history_day_start(a.trimBefore))
                << " history entries before " << a.trimBefore.toString(Qt::ISODate) << "\n";
            return 0;
        }
        HistoryFilter filter;
        if (!a.table.isEmpty()) {
            // "asset", "Table_Asset" and "table_asset" name one table.
            const TableDef* table = findTable(a.table);
            if (!table)
                table = findTable(QStringLiteral("Table_") + a.table);
            if (!table)
                throw UsageError(QStringLiteral("No table ") + a.table);
            filter.table = table->name;
        }
        filter.key = a.id;
        if (a.since.isValid())
            filter.since = history_day_start(a.since);
        const std::vector<HistoryEntry> entries = read_history(*store, filter);
        if (a.csv)
            writeHistoryCsv(entries, out);
        else
            writeHistoryText(entries, out);
    } else if (a.command == QLatin1String("import")) {
        return import_command(openTarget(a.target), a.second, *a.kind, a.import, a.dryRun, out, err,
                              {a.skip, a.encoding});
    } else if (a.command == QLatin1String("export")) {
        if (!isConnectionString(a.target) && QFileInfo(a.second).exists() &&
            QFileInfo(a.second).canonicalFilePath() == QFileInfo(a.target).canonicalFilePath())
            throw UsageError(QStringLiteral("export would write over the database it reads: "
                                            "choose another file"));
        export_command(*openTarget(a.target), *a.kind, a.second, a.force);
        out << "Wrote " << a.second << "\n";
    } else if (a.command == QLatin1String("copy")) {
        // Every table with its keys, photographs and history, written in one
        // transaction, then compared with the source.
        const auto source = openTarget(a.target);
        // On a terminal, how far each table has come, on one line.
        CopyProgress progress;
        if (::isatty(STDERR_FILENO))
            progress = [&err](const QString& table, qint64 done, qint64 total) {
                err << "\rCopying " << table << ": " << done << " of " << total << " rows"
                    << (done >= total ? "\n" : "") << Qt::flush;
            };
        createTarget(a.second, a.force,
                     [&source, &progress](Store& target) { copyRows(*source, target, progress); });
        const QStringList differences = compareCopies(*source, *openTarget(a.second));
        for (const QString& d : differences)
            err << "gearlog-admin: the copy differs: " << d << "\n";
        if (!differences.isEmpty())
            return 1;
        out << "Copied " << a.target << " to " << a.second << " and compared every table\n";
    } else if (a.command == QLatin1String("backup")) {
        openTarget(a.target)->backupTo(a.second, a.force);
        out << "Copied " << a.target << " to " << a.second << "\n";
    } else {
        const QStringList problems = checkDatabaseAt(a.target, a.full);
        for (const QString& p : problems)
            err << p << "\n";
        if (!problems.isEmpty()) {
            err << problems.size() << " problem(s) found in " << a.target << "\n";
            return 1;
        }
        out << a.target << ": no problems found\n";
        // For information only: other programs may write a shared database.
        try {
            for (const QString& line : historyDisagreements(*openTarget(a.target)))
                out << "Information: " << line << "\n";
        } catch (const EngineError& e) {
            out << "Information: the history could not be compared: " << e.description() << "\n";
        }
    }
    return 0;
}

} // namespace

int runAdminCommand(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    // Comments are recorded in the history as their plain text.
    set_rich_text_reader(&rtf::plainText);
    enableBookings();
    enableStocktakes();
    enableMaintenance();
    try {
        if (isBookingCommand(arguments.value(0)))
            return runBookingCommand(arguments, out, err);
        if (isStocktakeCommand(arguments.value(0)))
            return runStocktakeCommand(arguments, out, err);
        if (isMaintenanceCommand(arguments.value(0)))
            return runMaintenanceCommand(arguments, out, err);
        return run(parse(arguments), out, err);
    } catch (const UsageError& e) {
        err << "gearlog-admin: " << e.what() << "\n\n" << usage;
        return 2;
    } catch (const EngineError& e) {
        err << "gearlog-admin: " << e.description() << "\n";
        // "due" and "stocktake" say 1 for what they find: a failure must differ.
        const QString command = arguments.value(0);
        return command == QLatin1String("due") || isStocktakeCommand(command) ? 3 : 1;
    }
}

} // namespace gearlog
