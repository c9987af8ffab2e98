// A 20 MB certificate recorded with a maintenance entry, as the dialog and
// gearlog-admin do (read from its file, stored in one command), on a file
// and, beside a server (make bench runs it through tools/with-postgres), on
// a private server database; with the time and the memory above the start.
#include "BenchSupport.h"
#include "DatabaseCreation.h"
#include "Maintenance.h"
#include "MaintenanceTables.h"
#include "SchemaBuilder.h"
#include "ScratchServerDatabase.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>

namespace {

using namespace gearlog;

long residentKilobytes(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(static_cast<qsizetype>(qstrlen(field)))
                .trimmed()
                .split(' ')
                .value(0)
                .toLong();
    return -1;
}

void measure(const char* where, std::unique_ptr<Store> store, const QString& certificate,
             long startKilobytes) {
    upgradeSchema(*store);
    store->execute(QStringLiteral("INSERT INTO Table_equipment (ID, Name, CategoryID) VALUES (1, "
                                  "'Meter', 1)"),
                   {});
    store->execute(QStringLiteral("INSERT INTO Table_asset (ID, EquipmentID, ShipmentID, "
                                  "ModelNumber) VALUES (1, 1, 0, 'M')"),
                   {});
    auto db = std::make_shared<Database>(std::move(store));
    QElapsedTimer timer;
    timer.start();
    {
        QFile file(certificate);
        file.open(QIODevice::ReadOnly);
        MaintenanceEntry e;
        e.asset = 1;
        e.done = QDate::currentDate();
        e.result = maintenanceResult::passed;
        record_maintenance(*db, e, Certificate{QStringLiteral("certificate.pdf"), file.readAll()});
    }
    std::printf(
        "| A 20 MB certificate stored on %s | %s | %lld ms, peak %ld MB above the start |\n", where,
        qstrcmp(where, "a file") == 0 ? "< 1 s" : "< 3 s", timer.elapsed(),
        (residentKilobytes("VmHWM:") - startKilobytes) / 1024);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    enableMaintenance();
    const long start = residentKilobytes("VmRSS:");
    QTemporaryDir dir;
    const QString certificate = dir.filePath(QStringLiteral("certificate.pdf"));
    bench::writeNoiseFile(certificate, 20, 5);
    const QString file = dir.filePath(QStringLiteral("certificates.gearlog"));
    createDatabaseFile(file);
    measure("a file", openFileStore(file), certificate, start);
    const QString server = qEnvironmentVariable("GEARLOG_TEST_PG");
    if (server.isEmpty()) {
        std::printf("No server (run through tools/with-postgres)\n");
        return 0;
    }
    const bench::ScratchServerDatabase target(server, QStringLiteral("gearlog_certificate"));
    buildSchema(*openServerStore(target.connection()));
    measure("a local server", openServerStore(target.connection()), certificate, start);
    return 0;
}
