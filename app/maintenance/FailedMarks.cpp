#include "FailedMarks.h"

#include "FlexGrid.h"
#include "Maintenance.h"
#include "MaintenanceTables.h"

#include <QStyle>

namespace gearlog {

void mark_failed_maintenance(FlexGrid& grid, Database& db) {
    if (!has_maintenance_tables(db))
        return;
    std::vector<int> assets;
    for (int r = grid.fixedRows(); r < grid.rows(); ++r)
        assets.push_back(grid.textMatrix(r, 0).toInt());
    const QSet<int> failed = failed_among(db.store(), assets);
    if (failed.isEmpty())
        return;
    const QIcon sign = grid.style()->standardIcon(QStyle::SP_MessageBoxCritical);
    for (int r = grid.fixedRows(); r < grid.rows(); ++r)
        if (failed.contains(grid.textMatrix(r, 0).toInt()))
            grid.setCellMark(r, 0, sign, QStringLiteral("failed maintenance"));
}

} // namespace gearlog
