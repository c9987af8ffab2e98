#include "StocktakeCommand.h"

#include "AdminOptions.h"
#include "CsvLine.h"
#include "EngineError.h"
#include "SchemaBuilder.h"
#include "StocktakeTables.h"
#include "Stocktakes.h"
#include "TerminalText.h"
#include "TypedText.h"

namespace gearlog {

namespace {

struct StocktakeArguments {
    QString target, location, category, equipment, codes, missingStatus;
    bool apply = false, csv = false;
};

StocktakeArguments parseStocktake(const QStringList& args) {
    StocktakeArguments a;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--location"))
            a.location = textOption(args, i, arg);
        else if (arg == QLatin1String("--category"))
            a.category = textOption(args, i, arg);
        else if (arg == QLatin1String("--equipment"))
            a.equipment = textOption(args, i, arg);
        else if (arg == QLatin1String("--codes"))
            a.codes = textOption(args, i, arg);
        else if (arg == QLatin1String("--missing-status"))
            a.missingStatus = textOption(args, i, arg);
        else if (arg == QLatin1String("--apply"))
            a.apply = true;
        else if (arg == QLatin1String("--csv"))
            a.csv = true;
        else if (arg.startsWith(QLatin1String("--")) || !a.target.isEmpty())
            throw UsageError(QStringLiteral("Unknown option ") + arg);
        else
            a.target = arg;
    }
    if (a.target.isEmpty() || a.location.isEmpty() || a.codes.isEmpty())
        throw UsageError(QStringLiteral(
            "stocktake needs a database file or connection, --location and --codes"));
    if (!a.missingStatus.isEmpty() && !a.apply)
        throw UsageError(QStringLiteral("--missing-status is given to the assets --apply misses"));
    return a;
}

Stocktake scopeOf(Store& store, const StocktakeArguments& a) {
    Stocktake s;
    s.date = QDate::currentDate();
    s.office =
        oneNamed(store, QStringLiteral("SELECT ID FROM Table_address WHERE Name = ?"), {a.location},
                 QStringLiteral("location"), a.location, QStringLiteral("rename one of them"));
    if (!a.equipment.isEmpty())
        s.equipment = equipmentNamed(store, a.equipment, a.category);
    else if (!a.category.isEmpty())
        s.category = oneNamed(store, QStringLiteral("SELECT ID FROM Table_category WHERE Name = ?"),
                              {a.category}, QStringLiteral("category"), a.category,
                              QStringLiteral("rename one of them"));
    return s;
}

void writeResult(const std::vector<Scan>& result, bool csv, QTextStream& out) {
    if (csv)
        writeCsvLine(out,
                     {QStringLiteral("Code"), QStringLiteral("Asset"), QStringLiteral("Model"),
                      QStringLiteral("Serial"), QStringLiteral("Result"), QStringLiteral("Where")});
    for (const Scan& s : result) {
        const QStringList fields{s.code,
                                 s.asset.id > 0 ? QString::number(s.asset.id) : QString(),
                                 s.asset.model,
                                 s.asset.serial,
                                 result_name(s.result),
                                 s.place};
        if (csv)
            writeCsvLine(out, fields);
        else
            out << printable(fields.join(QStringLiteral("  "))) << "\n";
    }
}

int run(const StocktakeArguments& a, const QStringList& codes, QTextStream& out, QTextStream& err) {
    auto store = openTarget(a.target);
    Stocktake scope;
    int missingStatus = 0;
    try {
        scope = scopeOf(*store, a);
        if (!a.missingStatus.isEmpty())
            missingStatus =
                oneNamed(*store, QStringLiteral("SELECT ID FROM Table_status WHERE Name = ?"),
                         {a.missingStatus}, QStringLiteral("status"), a.missingStatus,
                         QStringLiteral("rename one of them"));
    } catch (const EngineError& e) {
        err << "gearlog-admin: " << e.description() << "\n";
        return 2;
    }
    std::vector<Scan> result;
    StocktakePlan plan;
    if (a.apply) {
        if (store->isReadOnly())
            throw EngineError(QStringLiteral("nothing can be applied: ") + store->openingNotice());
        upgradeSchema(*store); // the stocktakes' tables, where they are missing
        auto db = std::make_shared<Database>(std::move(store));
        scope.id = start_stocktake(*db, scope);
        record_scans(*db, scope.id, codes, QDateTime::currentDateTime());
        plan = apply_stocktake(*db, scope.id, missingStatus);
        result = read_scans(db->store(), scope.id);
    } else {
        // Only read: a database this desk may not change is counted too.
        Scanned none;
        result = classify_codes(*store, scope, codes, none);
        for (Scan& m : missing_of(read_expected(*store, scope), result))
            result.push_back(std::move(m));
    }
    writeResult(result, a.csv, out);
    const StocktakeCounts counts = count_scans(result, 0);
    if (!a.csv) {
        out << QStringLiteral("Expected %1, found %2, missing %3, unexpected %4\n")
                   .arg(counts.expected())
                   .arg(counts.found)
                   .arg(counts.missing)
                   .arg(counts.unexpected);
        if (a.apply)
            out << QStringLiteral("Applied: %1 returned to stock, %2 moved to %3, %4 missing\n")
                       .arg(plan.returned.size())
                       .arg(plan.moved.size())
                       .arg(printable(a.location))
                       .arg(plan.missing.size());
    }
    return counts.missing == 0 && counts.unexpected == 0 ? 0 : 1;
}

} // namespace

bool isStocktakeCommand(const QString& command) {
    return command == QLatin1String("stocktake");
}

int runStocktakeCommand(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    const StocktakeArguments a = parseStocktake(arguments);
    QStringList codes;
    try {
        codes = read_codes_file(a.codes);
    } catch (const EngineError& e) {
        throw UsageError(printable(e.description()));
    }
    return run(a, codes, out, err);
}

} // namespace gearlog
