#include "ReportParts.h"

#include "AppState.h"
#include "FlexGrid.h"

#include <QFontDatabase>
#include <QTextEdit>

namespace gearlog {

QTextEdit* makeReportText(QWidget* parent, const QString& name, QRect geometry) {
    auto* box = new QTextEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setLineWrapMode(QTextEdit::NoWrap);
    box->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    box->setTabStopDistance(box->fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 8);
    box->setGeometry(geometry);
    box->hide();
    return box;
}

void showReportText(QTextEdit& box, const QString& clip) {
    QString text = clip;
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box.setPlainText(text);
}

bool sortByClickedColumn(FlexGrid& grid, GridSortState& state, bool numeric, int firstColumn) {
    const int column = grid.col();
    if (grid.rowSel() == grid.row() || column < firstColumn)
        return false;
    const bool descending = state.nextDescending(column);
    sort_grid(grid, {SortKey{column, descending, numeric}});
    return true;
}

QString dataRowsText(FlexGrid& grid) {
    if (grid.rows() <= 1)
        return {};
    const int row = grid.row(), col = grid.col();
    grid.setRow(1);
    grid.setCol(0);
    grid.setRowSel(grid.rows() - 1);
    grid.setColSel(grid.cols() - 1);
    const QString text = grid.clipText();
    grid.setRow(row);
    grid.setCol(col);
    return text;
}

} // namespace gearlog
