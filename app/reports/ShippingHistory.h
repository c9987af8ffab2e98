#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

namespace gearlog {

class Session;

// The history query of an asset: its lines with their shipments, oldest
// first, narrowed to the ticked purposes (index = stored Purpose).
QString shipping_history_sql(int assetId, const std::array<bool, 3>& purposes);

// The rows as clip text (row number, then the chosen columns' cells, each
// followed by a tab) and their count. `purposeNames` names the purposes.
struct ShippingHistory {
    QString body;
    int rows = 0;
};
ShippingHistory build_shipping_history(Session& session, int assetId,
                                       const std::array<bool, 3>& purposes,
                                       const std::vector<int>& columns,
                                       const QStringList& purposeNames);

} // namespace gearlog
