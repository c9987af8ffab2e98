// Many desks on one database: 16 desk processes on a private server (and 4
// on one file) doing mixed work for a minute through the program's own
// command functions (adds, edits of a few shared rows, guarded deletes,
// shipment saves and returns), then the database check. Prints the writes,
// the conflicts by kind, the write latencies, the updates lost (a shared
// counter that must equal the increments that committed) and the check's
// verdict. Run through tools/with-postgres (make bench).
#include "AssetDeletion.h"
#include "DatabaseCheck.h"
#include "EngineError.h"
#include "RecordHelpers.h"
#include "SampleDatabase.h"
#include "SchemaBuilder.h"
#include "ScratchServerDatabase.h"
#include "Session.h"
#include "ShippingLines.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <map>

using namespace gearlog;

namespace {

constexpr int sharedCounters = 3; // addresses 1 to 3, their ColourCode counted up

std::unique_ptr<Session> openTarget(const QString& target) {
    return isConnectionString(target) ? Session::openServer(target) : Session::openFile(target);
}

// What a refused write was refused over.
QString conflictKind(const QString& text) {
    if (text.contains(QLatin1String("changed by another user")))
        return QStringLiteral("changed-by-another-desk");
    if (text.contains(QLatin1String("Another desk is using")))
        return QStringLiteral("busy");
    if (text.contains(QLatin1String("deleted by another user")) ||
        text.contains(QLatin1String("names no row")))
        return QStringLiteral("deleted-meanwhile");
    return {};
}

// One desk: mixed work until the time is up, one line of output a write.
int runDesk(const QString& target, int desk, int seconds) {
    auto session = openTarget(target);
    session->openTableCursors();
    QRandomGenerator random(static_cast<quint32>(desk * 7919 + 1));
    QTextStream out(stdout);
    QElapsedTimer clock;
    clock.start();
    std::vector<int> myShipments;
    const int assetsAtStart = record_count(session->rs_asset());
    const auto transaction = [&](const QString& kind, const std::function<bool()>& write) {
        QElapsedTimer took;
        took.start();
        try {
            Transaction t(session->database());
            const bool wrote = write();
            t.commit();
            out << (wrote ? "W " : "R ") << kind << ' ' << took.nsecsElapsed() / 1000 << '\n';
            return wrote;
        } catch (const EngineError& e) {
            const QString conflict = conflictKind(e.description());
            if (conflict.isEmpty())
                out << "E " << kind << ' ' << e.description().simplified() << '\n';
            else
                out << "C " << conflict << '\n';
            return false;
        }
    };
    while (clock.elapsed() < seconds * 1000) {
        const int choice = static_cast<int>(random.bounded(100));
        if (choice < 35) {
            transaction(QStringLiteral("add"), [&] {
                Recordset& assets = session->rs_asset();
                add_new_record(assets, session->database(), QStringLiteral("Table_Asset"));
                assets.setValue(QStringLiteral("EquipmentID"), 1);
                assets.setValue(QStringLiteral("StatusID"), 1);
                assets.setValue(QStringLiteral("ShipmentID"), 0);
                assets.setValue(QStringLiteral("ModelNumber"), QStringLiteral("D%1").arg(desk));
                assets.update();
                return true;
            });
        } else if (choice < 60) {
            const int counter = 1 + static_cast<int>(random.bounded(sharedCounters));
            if (transaction(QStringLiteral("edit"), [&] {
                    Recordset& addresses = session->rs_address();
                    if (!find_record_by_number(addresses, QStringLiteral("ID"), counter))
                        return false;
                    addresses.setValue(QStringLiteral("ColourCode"),
                                       addresses.value(QStringLiteral("ColourCode")).toInt() + 1);
                    addresses.update();
                    return true;
                }))
                out << "I " << counter << '\n';
        } else if (choice < 70) {
            const int asset = 1 + static_cast<int>(random.bounded(assetsAtStart + 200));
            transaction(QStringLiteral("delete"),
                        [&] { return delete_asset(*session, asset).deleted; });
        } else if (choice < 90) {
            std::vector<int> listed;
            for (int i = 0; i < 5; ++i)
                listed.push_back(1 + static_cast<int>(random.bounded(assetsAtStart)));
            std::sort(listed.begin(), listed.end());
            listed.erase(std::unique(listed.begin(), listed.end()), listed.end());
            int saved = -1;
            transaction(QStringLiteral("shipment-save"), [&] {
                Recordset& shipments = session->rs_shipment();
                add_new_record(shipments, session->database(), QStringLiteral("Table_Shipment"));
                shipments.setValue(QStringLiteral("Name"), QStringLiteral("Desk %1").arg(desk));
                saved = shipments.value(QStringLiteral("ID")).toInt();
                shipments.update();
                store_shipping_list(*session, saved, -1, listed, QDateTime::currentDateTime());
                return true;
            });
            if (saved > 0)
                myShipments.push_back(saved);
        } else if (!myShipments.empty()) {
            const int shipment =
                myShipments[random.bounded(static_cast<quint32>(myShipments.size()))];
            Recordset& lines = session->open_shipping_query(
                QStringLiteral("SELECT * FROM [Table_ShippingList] WHERE ShipmentID = %1 ORDER BY "
                               "AssetID;")
                    .arg(shipment));
            if (lines.eof())
                continue;
            const int asset = lines.value(QStringLiteral("AssetID")).toInt();
            transaction(QStringLiteral("return"), [&] {
                return return_line(*session, shipment, asset, QDateTime::currentDateTime()).changed;
            });
        }
    }
    out.flush();
    return 0;
}

struct Figures {
    std::map<QString, std::vector<qint64>> latencies; // by kind, microseconds
    std::map<QString, int> conflicts, errors;
    std::map<int, int> increments;
    QStringList firstErrors;
};

qint64 percentile(std::vector<qint64> values, double p) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1))];
}

std::map<int, int> counters(const QString& target) {
    auto session = openTarget(target);
    std::map<int, int> values;
    auto rs = session->openRecordset(
        QStringLiteral("SELECT * FROM Table_address WHERE ID <= %1 ORDER BY ID")
            .arg(sharedCounters));
    for (; !rs->eof(); rs->moveNext())
        values[rs->value(QStringLiteral("ID")).toInt()] =
            rs->value(QStringLiteral("ColourCode")).toInt();
    return values;
}

// One desk saving a new shipment of 1,000 assets in stock, timed.
void timeLargeSave(const QString& target) {
    auto session = openTarget(target);
    session->openTableCursors();
    std::vector<int> listed;
    for (auto rs = session->openRecordset(
             QStringLiteral("SELECT * FROM Table_asset WHERE ShipmentID = 0 ORDER BY ID"));
         !rs->eof() && listed.size() < 1000; rs->moveNext())
        listed.push_back(rs->value(QStringLiteral("ID")).toInt());
    QElapsedTimer took;
    took.start();
    Transaction t(session->database());
    Recordset& shipments = session->rs_shipment();
    add_new_record(shipments, session->database(), QStringLiteral("Table_Shipment"));
    shipments.setValue(QStringLiteral("Name"), QStringLiteral("Large"));
    const int id = shipments.value(QStringLiteral("ID")).toInt();
    shipments.update();
    store_shipping_list(*session, id, -1, listed, QDateTime::currentDateTime());
    t.commit();
    std::printf("  a new shipment of %zu assets saved by one desk: %lld ms\n", listed.size(),
                took.elapsed());
}

void runDesks(const QString& title, const QString& target, int desks, int seconds) {
    const std::map<int, int> before = counters(target);
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int d = 0; d < desks; ++d) {
        auto p = std::make_unique<QProcess>();
        p->start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--desk"), target, QString::number(d), QString::number(seconds)});
        processes.push_back(std::move(p));
    }
    Figures f;
    for (auto& p : processes) {
        p->waitForFinished((seconds + 120) * 1000);
        const QStringList lines =
            QString::fromUtf8(p->readAllStandardOutput()).split(QLatin1Char('\n'));
        for (const QString& line : lines) {
            const QStringList w = line.split(QLatin1Char(' '));
            if (w.size() >= 3 && (w[0] == QLatin1String("W") || w[0] == QLatin1String("R")))
                f.latencies[w[1]].push_back(w[2].toLongLong());
            else if (w.size() >= 2 && w[0] == QLatin1String("C"))
                ++f.conflicts[w[1]];
            else if (w.size() >= 2 && w[0] == QLatin1String("I"))
                ++f.increments[w[1].toInt()];
            else if (w.size() >= 2 && w[0] == QLatin1String("E")) {
                ++f.errors[w[1]];
                if (f.firstErrors.size() < 3)
                    f.firstErrors << line;
            }
        }
    }
    const std::map<int, int> after = counters(target);
    int lost = 0;
    for (const auto& [id, value] : after)
        lost += f.increments[id] - (value - before.at(id));
    std::vector<qint64> all;
    int writes = 0;
    for (const auto& [kind, values] : f.latencies) {
        all.insert(all.end(), values.begin(), values.end());
        writes += static_cast<int>(values.size());
    }
    const QStringList problems = checkDatabaseAt(target);
    std::printf("\n%s: %d desks for %d s\n", qPrintable(title), desks, seconds);
    timeLargeSave(target);
    std::printf("  writes: %d (%.0f a second)\n", writes, writes / double(seconds));
    for (const auto& [kind, values] : f.latencies)
        std::printf("  %-14s %6zu  p50 %6.1f ms  p99 %7.1f ms\n", qPrintable(kind), values.size(),
                    percentile(values, 0.5) / 1000.0, percentile(values, 0.99) / 1000.0);
    std::printf("  all writes     p50 %6.1f ms  p99 %7.1f ms\n", percentile(all, 0.5) / 1000.0,
                percentile(all, 0.99) / 1000.0);
    for (const auto& [kind, n] : f.conflicts)
        std::printf("  refused (%s): %d\n", qPrintable(kind), n);
    for (const auto& [kind, n] : f.errors)
        std::printf("  errors in %s: %d\n", qPrintable(kind), n);
    for (const QString& e : f.firstErrors)
        std::printf("    %s\n", qPrintable(e));
    std::printf("  lost updates: %d\n  check: %s\n", lost,
                problems.isEmpty()
                    ? "no problems"
                    : qPrintable(QString::number(problems.size()) +
                                 QStringLiteral(" problems, first: ") + problems.front()));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 5 && args[1] == QLatin1String("--desk"))
        return runDesk(args[2], args[3].toInt(), args[4].toInt());
    const int seconds = qEnvironmentVariableIntValue("GEARLOG_BENCH_SECONDS") > 0
                            ? qEnvironmentVariableIntValue("GEARLOG_BENCH_SECONDS")
                            : 60;
    const SampleOptions sample{5000, 7};
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("desks.gearlog"));
    createDatabaseFile(file, false, [&](Store& store) { writeSampleRows(store, sample); });
    runDesks(QStringLiteral("One database file"), file, 4, seconds);
    const QString server = qEnvironmentVariable("GEARLOG_TEST_PG");
    if (server.isEmpty()) {
        std::printf("\nNo server (run through tools/with-postgres): the server run is left out\n");
        return 0;
    }
    const bench::ScratchServerDatabase target(server, QStringLiteral("gearlog_desks"));
    {
        auto store = openServerStore(target.connection());
        buildSchema(*store, [&] { writeSampleRows(*store, sample); });
    }
    runDesks(QStringLiteral("One server database"), target.connection(), 16, seconds);
    return 0;
}
