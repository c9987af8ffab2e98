#include "GridSort.h"

namespace gearlog {

namespace {

bool readsAsNumber(const QString& text, double* value) {
    bool ok = false;
    *value = text.trimmed().toDouble(&ok);
    return ok;
}

// True when the right row must be taken before the left one.
bool takeRight(const QString& left, const QString& right, bool descending, bool numeric) {
    bool greater;
    double l = 0, r = 0;
    if (numeric && readsAsNumber(left, &l) && readsAsNumber(right, &r))
        greater = l > r;
    else
        greater = left.compare(right) > 0;
    if (!descending)
        return greater;
    // Inverted: the right row goes first unless the left key is greater.
    return !greater;
}

} // namespace

void sort_grid_rows(StringTable& rows, int first, int last, int keyColumn, int lastColumn,
                    bool descending, bool numeric) {
    Q_UNUSED(lastColumn); // whole rows move together
    if (first >= last)
        return;
    const int middle = first + (last - first) / 2;
    sort_grid_rows(rows, first, middle, keyColumn, lastColumn, descending, numeric);
    sort_grid_rows(rows, middle + 1, last, keyColumn, lastColumn, descending, numeric);
    const StringTable copy(rows.begin() + first, rows.begin() + last + 1);
    const int leftEnd = middle - first, rightEnd = last - first;
    int i = 0, j = leftEnd + 1;
    for (int k = first; k <= last; ++k) {
        bool right;
        if (i > leftEnd)
            right = true;
        else if (j > rightEnd)
            right = false;
        else
            right = takeRight(copy[static_cast<size_t>(i)].value(keyColumn),
                              copy[static_cast<size_t>(j)].value(keyColumn), descending, numeric);
        rows[static_cast<size_t>(k)] = copy[static_cast<size_t>(right ? j++ : i++)];
    }
}

void sort_grid(StringTable& cells, int fixedRows, const std::vector<SortKey>& keys) {
    if (static_cast<int>(cells.size()) <= fixedRows)
        return;
    StringTable body(cells.begin() + fixedRows, cells.end());
    const int lastColumn = body.empty() ? 0 : static_cast<int>(body.front().size()) - 1;
    for (auto key = keys.rbegin(); key != keys.rend(); ++key)
        sort_grid_rows(body, 0, static_cast<int>(body.size()) - 1, key->column, lastColumn,
                       key->descending, key->numeric);
    std::copy(body.begin(), body.end(), cells.begin() + fixedRows);
}

} // namespace gearlog
