#pragma once

#include <QStringList>
#include <vector>

namespace gearlog {

// The month names of the dates grids and boxes show ("05-Jan-2026").
inline constexpr char shownMonths[12][4] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// The cells of a grid, row by row; the grid widget adapts to this.
using StringTable = std::vector<QStringList>;

struct SortKey {
    int column;
    bool descending = false;
    bool numeric = false;
};

// Stable top-down merge sort of rows first..last by one column. With the
// numeric flag, two cells that both read as numbers compare by value;
// otherwise texts compare by character code. A column whose cells are all
// dates as shown ("05-Jan-2026") or empty sorts by date, empty first. Descending inverts the
// decision, so equal keys come out in reverse order.
void sort_grid_rows(StringTable& rows, int first, int last, int keyColumn, int lastColumn,
                    bool descending, bool numeric);

// Sorts the rows below the fixed rows by several keys, the first key most
// significant (it is applied last).
void sort_grid(StringTable& cells, int fixedRows, const std::vector<SortKey>& keys);

} // namespace gearlog
