#include "MaintenanceWarning.h"

#include "TypedText.h"
#include "UiServices.h"

#include <QStringList>

namespace gearlog {

bool due_before_return(const QDate& maintenance, const QDate& expectedReturn, const QDate& today) {
    if (!maintenance.isValid())
        return false;
    return maintenance < today || (expectedReturn.isValid() && maintenance < expectedReturn);
}

bool confirm_shipping_due(const std::vector<DueAsset>& due) {
    if (due.empty())
        return true;
    QStringList lines;
    for (const DueAsset& asset : due)
        lines << (asset.failed
                      ? QStringLiteral("Asset %1 %2 failed its last maintenance")
                            .arg(asset.model, asset.serial)
                      : QStringLiteral("Asset %1 %2 is due for maintenance on %3")
                            .arg(asset.model, asset.serial, format_date(asset.maintenance)));
    return ui().askYesNo(lines.join(QLatin1Char('\n')) +
                         (due.size() == 1 ? QStringLiteral("; ship it anyway?")
                                          : QStringLiteral(";\nship them anyway?")));
}

} // namespace gearlog
