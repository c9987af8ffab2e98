#include "GearlogApplication.h"

#include "EngineError.h"
#include "UiServices.h"

namespace gearlog {

GearlogApplication::GearlogApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setOrganizationName(QStringLiteral("Fieldbench"));
    setApplicationName(QStringLiteral("Gearlog"));
    setApplicationDisplayName(QStringLiteral("Gearlog"));
}

bool GearlogApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const EngineError& e) {
        ui().message(e.description(), MessageIcon::Exclamation);
        return false;
    }
}

} // namespace gearlog
