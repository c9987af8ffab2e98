#include "Form_main.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Fieldbench"));
    QApplication::setApplicationName(QStringLiteral("Gearlog"));
    gearlog::Form_main window;
    window.show();
    return QApplication::exec();
}
