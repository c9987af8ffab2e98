#pragma once

#include <QRect>
#include <QString>

class QTextEdit;
class QWidget;

namespace gearlog {

class FlexGrid;
struct GridSortState;

// The text rendering of a report: read-only, in a fixed-pitch font.
QTextEdit* makeReportText(QWidget* parent, const QString& name, QRect geometry);
// Shows clip text (tabs between cells, carriage returns between rows).
void showReportText(QTextEdit& box, const QString& clip);

// A click that selected a whole column (a heading click) in `firstColumn`
// or higher sorts the grid by it: ascending first, then alternating. True
// when it sorted.
bool sortByClickedColumn(FlexGrid& grid, GridSortState& state, bool numeric, int firstColumn = 1);

// The grid's data rows as clip text (rows 1 to last, every column).
QString dataRowsText(FlexGrid& grid);

} // namespace gearlog
