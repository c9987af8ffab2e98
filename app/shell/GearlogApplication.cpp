#include "GearlogApplication.h"

#include "EngineError.h"

namespace gearlog {

GearlogApplication::GearlogApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setOrganizationName(QStringLiteral("Fieldbench"));
    setApplicationName(QStringLiteral("Gearlog"));
    setApplicationDisplayName(QStringLiteral("Gearlog"));
}

bool GearlogApplication::notify(QObject* receiver, QEvent* event) {
    // Every handler reports its own failures; this is only the last line,
    // which keeps a record rather than opening a message loop of its own.
    try {
        return QApplication::notify(receiver, event);
    } catch (const EngineError& e) {
        qCritical("Unhandled database error in %s: %s (%s)", receiver->metaObject()->className(),
                  qUtf8Printable(e.description()), qUtf8Printable(e.details()));
    } catch (const std::exception& e) {
        qCritical("Unhandled error in %s: %s", receiver->metaObject()->className(), e.what());
    }
    return false;
}

} // namespace gearlog
