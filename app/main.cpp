#include "Form_main.h"
#include "GearlogApplication.h"
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
    gearlog::Form_main window;
    // Logout, shutdown or kill: File -> Exit, without questions.
    gearlog::exit_on_termination_signals([&window] { window.menu_exit(); });
    window.show();
    // A database file named on the command line opens as a remembered one would.
    const QStringList arguments = QApplication::arguments();
    window.startup(arguments.size() > 1 ? arguments.at(1) : QString());
    return QApplication::exec();
}
