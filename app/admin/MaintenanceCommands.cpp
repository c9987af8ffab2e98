#include "MaintenanceCommands.h"

#include "AdminOptions.h"
#include "CsvLine.h"
#include "Maintenance.h"
#include "MaintenanceTables.h"
#include "SchemaBuilder.h"
#include "TerminalText.h"
#include "TypedText.h"

#include <QFile>
#include <QFileInfo>

namespace gearlog {

namespace {

struct MaintenanceArguments {
    QString command, target, kind, result = maintenanceResult::passed, by, notes, certificate;
    QString equipment, category;
    int asset = 0, days = -1;
    std::optional<double> cost;
    QDate done, next, since;
    bool csv = false;
};

MaintenanceArguments parseMaintenance(const QStringList& args) {
    MaintenanceArguments a;
    a.command = args.front();
    const bool entry = a.command == QLatin1String("maintenance");
    const bool interval = a.command == QLatin1String("interval");
    const bool log = a.command == QLatin1String("maintenance-log");
    QStringList positional;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (entry && arg == QLatin1String("--done"))
            a.done = date(args, i, arg);
        else if (entry && arg == QLatin1String("--next"))
            a.next = date(args, i, arg);
        else if ((entry || interval) && arg == QLatin1String("--kind"))
            a.kind = textOption(args, i, arg);
        else if (entry && arg == QLatin1String("--result")) {
            a.result = textOption(args, i, arg);
            if (!maintenance_results().contains(a.result))
                throw UsageError(QStringLiteral("--result is Passed, Adjusted or Failed"));
        } else if (entry && arg == QLatin1String("--by"))
            a.by = textOption(args, i, arg);
        else if (entry && arg == QLatin1String("--cost")) {
            double amount = 0;
            if (!parse_money(textOption(args, i, arg), &amount))
                throw UsageError(QStringLiteral("--cost needs an amount of money"));
            a.cost = amount;
        } else if (entry && arg == QLatin1String("--notes"))
            a.notes = textOption(args, i, arg);
        else if (entry && arg == QLatin1String("--certificate"))
            a.certificate = textOption(args, i, arg);
        else if (interval && arg == QLatin1String("--equipment"))
            a.equipment = textOption(args, i, arg);
        else if (interval && arg == QLatin1String("--category"))
            a.category = textOption(args, i, arg);
        else if (interval && arg == QLatin1String("--days"))
            a.days = positiveNumber(args, i, arg);
        else if (log && arg == QLatin1String("--asset"))
            a.asset = positiveNumber(args, i, arg);
        else if (log && arg == QLatin1String("--since"))
            a.since = date(args, i, arg);
        else if (log && arg == QLatin1String("--csv"))
            a.csv = true;
        else if (arg.startsWith(QLatin1String("--")))
            throw UsageError(QStringLiteral("Unknown option ") + arg);
        else
            positional << arg;
    }
    if (positional.isEmpty())
        throw UsageError(a.command + QStringLiteral(" needs a database file or connection"));
    a.target = positional.takeFirst();
    if (entry) {
        bool ok = false;
        a.asset = positional.value(0).toInt(&ok);
        if (positional.size() != 1 || !ok || a.asset <= 0)
            throw UsageError(QStringLiteral("maintenance needs the asset's ID after the database"));
        if (!a.done.isValid())
            throw UsageError(QStringLiteral("maintenance needs --done DATE"));
    } else if (!positional.isEmpty()) {
        throw UsageError(QStringLiteral("Unknown argument ") + positional.front());
    }
    if (interval && (a.equipment.isEmpty() || a.days < 0))
        throw UsageError(QStringLiteral("interval needs --equipment and --days (0: none)"));
    return a;
}

std::optional<Certificate> readCertificate(const QString& path) {
    if (path.isEmpty())
        return std::nullopt;
    if (QFileInfo(path).size() > largestCertificate)
        throw MaintenanceRefused(
            QStringLiteral("The certificate %1 is larger than 20 MB").arg(printable(path)));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw MaintenanceRefused(QStringLiteral("The certificate %1 cannot be read: %2")
                                     .arg(printable(path), file.errorString()));
    return Certificate{QFileInfo(path).fileName(), file.readAll()};
}

int record(Database& db, const MaintenanceArguments& a, QTextStream& out) {
    Store& store = db.store();
    MaintenanceEntry e;
    e.asset = a.asset;
    e.done = a.done;
    e.kind = a.kind.isEmpty() ? interval_of(store, a.asset).kind : a.kind;
    if (e.kind.isEmpty())
        e.kind = QStringLiteral("Maintenance");
    e.result = a.result;
    e.by = a.by;
    // A contact of that name does it; a name several share stays text.
    if (!a.by.isEmpty())
        if (const auto contacts =
                store.select(QStringLiteral("SELECT ID FROM Table_contact WHERE Name = ?"), {a.by},
                             {FieldType::Long});
            contacts.size() == 1)
            e.contact = contacts.front()[0].toInt();
    e.cost = a.cost;
    e.notes = a.notes;
    e.next = a.next.isValid() ? a.next : proposed_next(store, a.asset, a.done);
    out << record_maintenance(db, e, readCertificate(a.certificate)) << "\n";
    return 0;
}

void writeLog(Store& store, const MaintenanceArguments& a, QTextStream& out) {
    const auto iso = [](const QDate& d) {
        return d.isValid() ? d.toString(Qt::ISODate) : QString();
    };
    if (a.csv)
        writeCsvLine(out, {QStringLiteral("Asset"), QStringLiteral("Date"), QStringLiteral("Kind"),
                           QStringLiteral("Result"), QStringLiteral("By"), QStringLiteral("Cost"),
                           QStringLiteral("Next"), QStringLiteral("Certificate")});
    for (const MaintenanceEntry& e : read_log_since(store, a.asset, a.since)) {
        const QString cost = e.cost ? QString::number(*e.cost, 'f', 2) : QString();
        if (a.csv)
            writeCsvLine(out, {QString::number(e.asset), iso(e.done), e.kind, e.result, e.by, cost,
                               iso(e.next), e.certificateName});
        else
            out << printable(QStringLiteral("Asset %1  %2  %3  %4  %5  %6  next %7  %8")
                                 .arg(e.asset)
                                 .arg(iso(e.done), e.kind, e.result, e.by, cost, iso(e.next),
                                      e.certificateName)
                                 .trimmed())
                << "\n";
    }
}

} // namespace

bool isMaintenanceCommand(const QString& command) {
    return command == QLatin1String("maintenance") || command == QLatin1String("interval") ||
           command == QLatin1String("maintenance-log");
}

int runMaintenanceCommand(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    const MaintenanceArguments a = parseMaintenance(arguments);
    auto store = openTarget(a.target);
    if (a.command == QLatin1String("maintenance-log")) {
        if (has_maintenance_tables(*store))
            writeLog(*store, a, out);
        return 0;
    }
    if (store->isReadOnly()) {
        err << "gearlog-admin: nothing can be recorded: " << store->openingNotice() << "\n";
        return 1;
    }
    upgradeSchema(*store); // the maintenance tables, where they are missing
    const auto db = std::make_shared<Database>(std::move(store));
    if (a.command == QLatin1String("maintenance"))
        return record(*db, a, out);
    set_type_interval(*db, equipmentNamed(db->store(), a.equipment, a.category), a.days, a.kind);
    return 0;
}

} // namespace gearlog
