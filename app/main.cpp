#include "Form_main.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Fieldbench"));
    QApplication::setApplicationName(QStringLiteral("Gearlog"));
    QApplication::setApplicationDisplayName(QStringLiteral("Gearlog"));
    gearlog::Form_main window;
    window.show();
    // A database file named on the command line opens as a remembered one would.
    const QStringList arguments = QApplication::arguments();
    window.startup(arguments.size() > 1 ? arguments.at(1) : QString());
    return QApplication::exec();
}
