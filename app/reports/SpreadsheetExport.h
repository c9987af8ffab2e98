#pragma once

namespace gearlog {

class FlexGrid;

// Asks for a file and writes every cell of the grid, headings and row
// numbers included, as text into the first sheet of a new workbook.
void export_grid_to_spreadsheet(const FlexGrid& grid);

} // namespace gearlog
