#pragma once

#include <QString>
#include <functional>

namespace gearlog {

class FlexGrid;

// Asks for a file and writes every cell of the grid, headings and row
// numbers included, as text into the first sheet of a new workbook. The
// open database file (`openDatabase`) is never written over.
void export_grid_to_spreadsheet(const FlexGrid& grid, const QString& openDatabase);
// The same for any rows × columns of text, the file name `fileName`
// suggested (empty: the last one's).
void export_cells_to_spreadsheet(int rows, int columns,
                                 const std::function<QString(int, int)>& text,
                                 const QString& openDatabase, const QString& fileName = {});

} // namespace gearlog
