#pragma once

#include "ImportPlan.h"

#include <QAbstractTableModel>

namespace gearlog {

// The rows of a file beside their verdicts, for the preview grid: "Row",
// "Verdict", then the file's columns headed by where each goes. Reads the
// plan's rows as they are drawn, so a file of any length costs no more.
class ImportPreview : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    // Shows the plan's rows (those that cannot be imported alone, when
    // `errorsOnly`); nullptr shows nothing. The plan outlives the showing.
    void show(const ImportPlan* plan, bool errorsOnly);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const ImportPlan* m_plan = nullptr;
    std::vector<int> m_rows; // the plan's rows shown, in order
};

} // namespace gearlog
