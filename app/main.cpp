#include "BookingTables.h"
#include "Form_main.h"
#include "GearlogApplication.h"
#include "MaintenanceTables.h"
#include "Settings.h"
#include "StocktakeTables.h"
#include "TerminationSignals.h"

#include "GearlogVersion.h"

#include <cstdio>
#include <cstring>

int main(int argc, char* argv[]) {
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("gearlog " GEARLOG_VERSION);
        return 0;
    }
    gearlog::GearlogApplication app(argc, argv);
    // The features' tables are made at the first writable opening.
    gearlog::enableBookings();
    gearlog::enableStocktakes();
    gearlog::enableMaintenance();
    gearlog::Form_main window;
    // Logout, shutdown or kill: File -> Exit, without questions.
    gearlog::exit_on_termination_signals([&window] { window.menu_exit(); });
    window.show();
    // A database file named on the command line opens as a remembered one
    // would; one named after --first-time only when none is remembered (a
    // demonstration database for a newcomer).
    const QStringList arguments = QApplication::arguments();
    QString file = arguments.value(1);
    if (file == QLatin1String("--first-time"))
        file = !gearlog::settings::isStored(gearlog::settings::read(QStringLiteral("FileName")))
                   ? arguments.value(2)
                   : QString();
    window.startup(file);
    return QApplication::exec();
}
