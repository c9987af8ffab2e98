#include "Startup.h"

#include "RecordHelpers.h"
#include "Settings.h"

namespace gearlog {

StartupAction decideStartup(const QString& storedFileName) {
    if (!settings::isStored(storedFileName))
        return {};
    const settings::StoredDatabase stored = settings::parseFileName(storedFileName);
    if (stored.isServer())
        return {StartupAction::OpenServer, stored.name, stored.connection};
    if (!file_exists(stored.connection))
        return {};
    return {StartupAction::OpenFile, stored.name, stored.connection};
}

} // namespace gearlog
