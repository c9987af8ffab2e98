#include "GearlogApplication.h"

#include "EngineError.h"
#include "GearlogVersion.h"

#include <QIcon>

// The icons live in a static library, whose resources must be named to be kept.
static void initialiseIcons() {
    Q_INIT_RESOURCE(icons);
}

namespace gearlog {

GearlogApplication::GearlogApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setOrganizationName(QStringLiteral("Fieldbench"));
    setApplicationName(QStringLiteral("Gearlog"));
    setApplicationDisplayName(QStringLiteral("Gearlog"));
    setApplicationVersion(QStringLiteral(GEARLOG_VERSION));
    setDesktopFileName(QStringLiteral("org.fieldbench.Gearlog"));
    initialiseIcons();
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/gearlog-%1.png").arg(size));
    setWindowIcon(icon);
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
