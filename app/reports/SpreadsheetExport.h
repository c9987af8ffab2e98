#pragma once

#include <QString>

namespace gearlog {

class FlexGrid;

// Asks for a file and writes every cell of the grid, headings and row
// numbers included, as text into the first sheet of a new workbook. The
// open database file (`openDatabase`) is never written over.
void export_grid_to_spreadsheet(const FlexGrid& grid, const QString& openDatabase);

} // namespace gearlog
