#include "ImportPreview.h"

#include <QBrush>
#include <QColor>

namespace gearlog {

namespace {
constexpr int fixedColumns = 2; // Row, Verdict
}

void ImportPreview::show(const ImportPlan* plan, bool errorsOnly) {
    beginResetModel();
    m_plan = plan;
    m_rows.clear();
    if (plan)
        for (size_t r = 0; r < plan->verdicts().size(); ++r)
            if (!errorsOnly || plan->verdicts()[r].verdict == Verdict::Error)
                m_rows.push_back(static_cast<int>(r));
    endResetModel();
}

int ImportPreview::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ImportPreview::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_plan
               ? 0
               : fixedColumns + static_cast<int>(m_plan->sheet().headings.size());
}

QVariant ImportPreview::data(const QModelIndex& index, int role) const {
    if (!m_plan || !index.isValid())
        return {};
    const auto r = static_cast<size_t>(m_rows[static_cast<size_t>(index.row())]);
    const RowVerdict& verdict = m_plan->verdicts()[r];
    const SheetRow& row = m_plan->sheet().rows[r];
    const bool failed = verdict.verdict == Verdict::Error;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        if (index.column() == 0)
            return row.line;
        if (index.column() == 1)
            return verdict.text;
        return row.cells.value(index.column() - fixedColumns);
    case Qt::ToolTipRole:
        return index.column() == 1 ? verdict.text : QVariant();
    case Qt::ForegroundRole:
        if (index.column() == 1 && failed)
            return QBrush(QColor(0xA0, 0x10, 0x10));
        if (index.column() >= fixedColumns &&
            m_plan->columns()[static_cast<size_t>(index.column() - fixedColumns)] < 0)
            return QBrush(Qt::gray); // left out
        return {};
    default:
        return {};
    }
}

QVariant ImportPreview::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || !m_plan)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == 0)
        return QStringLiteral("Row");
    if (section == 1)
        return QStringLiteral("Verdict");
    const auto c = static_cast<size_t>(section - fixedColumns);
    const QString heading = m_plan->sheet().headings.value(static_cast<qsizetype>(c));
    const int field = m_plan->columns()[c];
    if (field < 0)
        return QStringLiteral("%1 (left out)").arg(heading);
    return QStringLiteral("%1 → %2").arg(
        heading, import_fields(m_plan->kind())[static_cast<size_t>(field)].heading);
}

} // namespace gearlog
