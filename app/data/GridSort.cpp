#include "GridSort.h"

#include <algorithm>

namespace gearlog {

namespace {

// A row's sort key, read once rather than at every comparison.
struct Key {
    QString text;
    double value = 0;
    bool number = false;
};

// A date as the grids show it ("05-Jan-2026") as yyyymmdd; 0 for any
// other text. Read by hand: a report sorts 100,000 of them.
int shownDate(const QString& text) {
    if (text.size() != 11 || text[2] != QLatin1Char('-') || text[6] != QLatin1Char('-'))
        return 0;
    int day = 0, year = 0;
    for (int i : {0, 1}) {
        if (!text[i].isDigit())
            return 0;
        day = day * 10 + text[i].digitValue();
    }
    for (int i : {7, 8, 9, 10}) {
        if (!text[i].isDigit())
            return 0;
        year = year * 10 + text[i].digitValue();
    }
    const QStringView month = QStringView(text).mid(3, 3);
    for (int m = 0; m < 12; ++m)
        if (month == QLatin1String(shownMonths[m], 3))
            return day >= 1 && day <= 31 ? year * 10000 + (m + 1) * 100 + day : 0;
    return 0;
}

// True when the right row must be taken before the left one.
bool takeRight(const Key& left, const Key& right, bool descending, bool numeric) {
    const bool greater = numeric && left.number && right.number ? left.value > right.value
                                                                : left.text.compare(right.text) > 0;
    if (!descending)
        return greater;
    // Inverted: the right row goes first unless the left key is greater.
    return !greater;
}

// Top-down merge sort of the row order, first..last, through a scratch copy.
void mergeSort(std::vector<int>& order, std::vector<int>& scratch, int first, int last,
               const std::vector<Key>& keys, bool descending, bool numeric) {
    if (first >= last)
        return;
    const int middle = first + (last - first) / 2;
    mergeSort(order, scratch, first, middle, keys, descending, numeric);
    mergeSort(order, scratch, middle + 1, last, keys, descending, numeric);
    std::copy(order.begin() + first, order.begin() + last + 1, scratch.begin() + first);
    int i = first, j = middle + 1;
    for (int k = first; k <= last; ++k) {
        bool right;
        if (i > middle)
            right = true;
        else if (j > last)
            right = false;
        else
            right = takeRight(keys[static_cast<size_t>(scratch[static_cast<size_t>(i)])],
                              keys[static_cast<size_t>(scratch[static_cast<size_t>(j)])],
                              descending, numeric);
        order[static_cast<size_t>(k)] = scratch[static_cast<size_t>(right ? j++ : i++)];
    }
}

} // namespace

void sort_grid_rows(StringTable& rows, int first, int last, int keyColumn, int lastColumn,
                    bool descending, bool numeric) {
    Q_UNUSED(lastColumn); // whole rows move together
    if (first >= last)
        return;
    const int count = last - first + 1;
    std::vector<Key> keys(static_cast<size_t>(count));
    std::vector<int> order(static_cast<size_t>(count));
    // A column of dates sorts by date (an empty cell first), whatever asked.
    bool dates = false, onlyDates = true;
    for (int i = 0; i < count; ++i) {
        Key& key = keys[static_cast<size_t>(i)];
        key.text = rows[static_cast<size_t>(first + i)].value(keyColumn);
        if (numeric)
            key.value = key.text.trimmed().toDouble(&key.number);
        if (onlyDates && !key.text.isEmpty()) {
            const int date = shownDate(key.text);
            dates = dates || date > 0;
            onlyDates = date > 0;
        }
        order[static_cast<size_t>(i)] = i;
    }
    if (dates && onlyDates) {
        for (Key& key : keys) {
            key.value = key.text.isEmpty() ? 0 : shownDate(key.text);
            key.number = true;
        }
        numeric = true;
    }
    std::vector<int> scratch(order.size());
    mergeSort(order, scratch, 0, count - 1, keys, descending, numeric);
    StringTable sorted;
    sorted.reserve(order.size());
    for (const int i : order)
        sorted.push_back(std::move(rows[static_cast<size_t>(first + i)]));
    std::move(sorted.begin(), sorted.end(), rows.begin() + first);
}

void sort_grid(StringTable& cells, int fixedRows, const std::vector<SortKey>& keys) {
    if (static_cast<int>(cells.size()) <= fixedRows)
        return;
    const int lastColumn = static_cast<int>(cells.back().size()) - 1;
    for (auto key = keys.rbegin(); key != keys.rend(); ++key)
        sort_grid_rows(cells, fixedRows, static_cast<int>(cells.size()) - 1, key->column,
                       lastColumn, key->descending, key->numeric);
}

} // namespace gearlog
