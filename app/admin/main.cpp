#include "AdminCommand.h"
#include "GearlogVersion.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    if (arguments == QStringList{QStringLiteral("--version")}) {
        out << "gearlog-admin " GEARLOG_VERSION "\n";
        return 0;
    }
    return gearlog::runAdminCommand(arguments, out, err);
}
