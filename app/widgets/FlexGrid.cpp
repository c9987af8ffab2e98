#include "FlexGrid.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace gearlog {

namespace {

constexpr int twipsPerPixel = 15;

// Draws a cell's picture centred, over its back colour.
class CentredPictureDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem plain = option;
        QStyledItemDelegate::paint(painter, plain, index);
        const QVariant picture = index.data(Qt::UserRole);
        if (picture.isValid()) {
            const QPixmap pixmap = picture.value<QPixmap>();
            const QRect r =
                QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, pixmap.size(), option.rect);
            painter->drawPixmap(r, pixmap);
        }
    }
};

} // namespace

// ---- model ------------------------------------------------------------------

int FlexGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : std::max(0, rows() - m_fixedRows);
}

int FlexGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_cols;
}

QVariant FlexGridModel::data(const QModelIndex& index, int role) const {
    const int r = gridRow(index), c = gridCol(index);
    switch (role) {
    case Qt::DisplayRole:
        return text(r, c);
    case Qt::AccessibleTextRole: {
        // A picture that stands for a state is read out as its description.
        const QString shown = text(r, c);
        const auto mark = m_marks.constFind(key(r, c));
        if (mark != m_marks.constEnd())
            return shown + QStringLiteral(", ") + mark->second;
        return shown.isEmpty() ? m_pictureTexts.value(key(r, c)) : shown;
    }
    case Qt::DecorationRole: {
        const auto mark = m_marks.constFind(key(r, c));
        return mark == m_marks.constEnd() ? QVariant() : QVariant(mark->first);
    }
    case Qt::ToolTipRole: {
        const auto mark = m_marks.constFind(key(r, c));
        return mark == m_marks.constEnd() ? QVariant() : QVariant(mark->second);
    }
    case Qt::BackgroundRole: {
        const QColor colour = m_colours.value(key(r, c));
        if (colour.isValid())
            return colour;
        return c < m_fixedCols ? QVariant(QGuiApplication::palette().button()) : QVariant();
    }
    case Qt::ForegroundRole: {
        // Text on a coloured cell in whichever of black and white reads on it.
        const QColor colour = m_colours.value(key(r, c));
        if (!colour.isValid())
            return {};
        const double luminance =
            0.299 * colour.redF() + 0.587 * colour.greenF() + 0.114 * colour.blueF();
        return QColor(luminance < 0.5 ? Qt::white : Qt::black);
    }
    case Qt::UserRole: {
        const auto it = m_pictures.constFind(key(r, c));
        return it == m_pictures.constEnd() ? QVariant() : QVariant(it.value());
    }
    case Qt::TextAlignmentRole: {
        const auto it = m_alignment.constFind(c);
        return it == m_alignment.constEnd()
                   ? QVariant()
                   : QVariant(static_cast<int>(it.value() | Qt::AlignVCenter));
    }
    default:
        return {};
    }
}

QVariant FlexGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || m_fixedRows == 0)
        return {};
    return text(0, section);
}

void FlexGridModel::setShape(int rows, int cols, int fixedRows, int fixedCols) {
    beginResetModel();
    m_cols = std::max(0, cols);
    m_fixedRows = std::clamp(fixedRows, 0, 1);
    m_fixedCols = std::clamp(fixedCols, 0, 1);
    m_cells.resize(static_cast<size_t>(std::max(0, rows)));
    for (QStringList& row : m_cells)
        row.resize(m_cols);
    endResetModel();
}

QString FlexGridModel::text(int row, int col) const {
    if (row < 0 || row >= rows() || col < 0 || col >= m_cols)
        return {};
    return m_cells[static_cast<size_t>(row)][col];
}

void FlexGridModel::cellsChanged(int row, int col, int lastRow, int lastCol) {
    if (row < m_fixedRows && m_cols > 0)
        emit headerDataChanged(Qt::Horizontal, 0, m_cols - 1);
    const QModelIndex first = index(std::max(0, row - m_fixedRows), col);
    const QModelIndex last = index(lastRow - m_fixedRows, lastCol);
    if (first.isValid() && last.isValid())
        emit dataChanged(first, last);
}

void FlexGridModel::setText(int row, int col, const QString& text) {
    if (row < 0 || row >= rows() || col < 0 || col >= m_cols)
        return;
    m_cells[static_cast<size_t>(row)][col] = text;
    cellsChanged(row, col, row, col);
}

void FlexGridModel::fill(int row, int col, int lastRow, int lastCol, const QString& clip) {
    const QStringView all(clip);
    qsizetype at = 0;
    for (int r = row; r <= lastRow && r < rows() && at <= all.size(); ++r) {
        qsizetype end = all.indexOf(QLatin1Char('\r'), at);
        if (end < 0)
            end = all.size();
        QStringView line = all.mid(at, end - at);
        if (line.endsWith(QLatin1Char('\n')))
            line.chop(1);
        qsizetype cellAt = 0;
        for (int c = col; c <= lastCol && c < m_cols; ++c) {
            qsizetype cellEnd = line.indexOf(QLatin1Char('\t'), cellAt);
            if (cellEnd < 0)
                cellEnd = line.size();
            if (cellAt <= line.size())
                m_cells[static_cast<size_t>(r)][c] = line.mid(cellAt, cellEnd - cellAt).toString();
            cellAt = cellEnd + 1;
        }
        at = end + 1;
        if (at < all.size() && all[at] == QLatin1Char('\n'))
            ++at;
    }
    cellsChanged(row, col, std::min(lastRow, rows() - 1), std::min(lastCol, m_cols - 1));
}

void FlexGridModel::setBackColor(int row, int col, const QColor& colour) {
    m_colours.insert(key(row, col), colour);
    cellsChanged(row, col, row, col);
}

QColor FlexGridModel::backColor(int row, int col) const {
    return m_colours.value(key(row, col));
}

void FlexGridModel::setPicture(int row, int col, const QPixmap& picture,
                               const QString& description) {
    if (picture.isNull()) {
        m_pictures.remove(key(row, col));
        m_pictureTexts.remove(key(row, col));
    } else {
        m_pictures.insert(key(row, col), picture);
        m_pictureTexts.insert(key(row, col), description);
    }
    cellsChanged(row, col, row, col);
}

void FlexGridModel::setMark(int row, int col, const QIcon& sign, const QString& description) {
    m_marks.insert(key(row, col), {sign, description});
    cellsChanged(row, col, row, col);
}

void FlexGridModel::clearMarks() {
    if (m_marks.isEmpty())
        return;
    beginResetModel();
    m_marks.clear();
    endResetModel();
}

void FlexGridModel::setAlignment(int col, Qt::Alignment alignment) {
    m_alignment.insert(col, alignment);
    if (rows() > 0)
        cellsChanged(m_fixedRows, col, rows() - 1, col);
}

void FlexGridModel::clearText() {
    beginResetModel();
    for (QStringList& row : m_cells)
        for (QString& cell : row)
            cell.clear();
    m_colours.clear();
    m_pictures.clear();
    m_pictureTexts.clear();
    m_marks.clear();
    endResetModel();
}

void FlexGridModel::setTable(const StringTable& cells) {
    beginResetModel();
    for (size_t r = 0; r < cells.size() && r < m_cells.size(); ++r)
        for (int c = 0; c < m_cols && c < cells[r].size(); ++c)
            m_cells[r][c] = cells[r][c];
    endResetModel();
}

void FlexGridModel::replaceTable(StringTable&& cells) {
    beginResetModel();
    m_cells = std::move(cells);
    for (QStringList& row : m_cells)
        row.resize(m_cols);
    m_colours.clear();
    m_pictures.clear();
    m_pictureTexts.clear();
    m_marks.clear();
    endResetModel();
}

void FlexGridModel::shiftKept(int from, int by) {
    const auto shift = [from, by](auto& kept) {
        std::remove_reference_t<decltype(kept)> moved;
        for (auto it = kept.cbegin(); it != kept.cend(); ++it) {
            const int row = static_cast<int>(it.key() >> 32);
            const int col = static_cast<int>(it.key() & 0xffffffffu);
            if (row < from)
                moved.insert(it.key(), it.value());
            else if (by > 0 || row >= from - by)
                moved.insert(key(row + by, col), it.value());
        }
        kept = std::move(moved);
    };
    shift(m_colours);
    shift(m_pictures);
    shift(m_pictureTexts);
    shift(m_marks);
}

void FlexGridModel::insertGridRow(int row, QStringList cells) {
    row = std::clamp(row, m_fixedRows, rows());
    cells.resize(m_cols);
    beginInsertRows({}, row - m_fixedRows, row - m_fixedRows);
    m_cells.insert(m_cells.begin() + row, std::move(cells));
    shiftKept(row, 1);
    endInsertRows();
}

void FlexGridModel::removeGridRow(int row) {
    if (row < m_fixedRows || row >= rows())
        return;
    beginRemoveRows({}, row - m_fixedRows, row - m_fixedRows);
    m_cells.erase(m_cells.begin() + row);
    shiftKept(row, -1);
    endRemoveRows();
}

QModelIndex FlexGridModel::indexOf(int row, int col) const {
    return index(row - m_fixedRows, col);
}

// ---- view -------------------------------------------------------------------

FlexGrid::FlexGrid(QWidget* parent) : QTableView(parent) {
    setModel(&m_model);
    setItemDelegate(new CentredPictureDelegate(this));
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &FlexGrid::headingClicked);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &FlexGrid::syncFromView);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, &FlexGrid::syncFromView);
    setShowGrid(true);
    setFocusPolicy(Qt::StrongFocus);
    // Rows are only shown, never edited here: Tab goes on to the next
    // control, and the arrows move within the grid.
    setTabKeyNavigation(false);
}

void FlexGrid::setRows(int rows) {
    m_model.setShape(rows, cols(), fixedRows(), fixedCols());
    horizontalHeader()->setVisible(fixedRows() > 0);
    m_row = m_rowSel = std::min(m_row, std::max(0, rows - 1));
}

void FlexGrid::setCols(int cols) {
    m_model.setShape(rows(), cols, fixedRows(), fixedCols());
    m_col = m_colSel = std::min(m_col, std::max(0, cols - 1));
}

void FlexGrid::setFixedRows(int fixedRows) {
    m_model.setShape(rows(), cols(), fixedRows, fixedCols());
    horizontalHeader()->setVisible(this->fixedRows() > 0);
}

void FlexGrid::setFixedCols(int fixedCols) {
    m_model.setShape(rows(), cols(), fixedRows(), fixedCols);
}

void FlexGrid::setRow(int row) {
    m_row = m_rowSel = row;
    showSelection();
}

void FlexGrid::setCol(int col) {
    m_col = m_colSel = col;
    showSelection();
}

void FlexGrid::setRowSel(int row) {
    m_rowSel = row;
    showSelection();
}

void FlexGrid::setColSel(int col) {
    m_colSel = col;
    showSelection();
}

void FlexGrid::showSelection() {
    m_syncing = true;
    const QModelIndex current = m_model.indexOf(m_row, m_col);
    const QModelIndex corner = m_model.indexOf(m_rowSel, m_colSel);
    if (current.isValid()) {
        selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
        selectionModel()->select(QItemSelection(current, corner.isValid() ? corner : current),
                                 QItemSelectionModel::ClearAndSelect);
    } else {
        selectionModel()->clearSelection();
    }
    m_syncing = false;
}

void FlexGrid::syncFromView() {
    if (m_syncing)
        return;
    const QModelIndex current = selectionModel()->currentIndex();
    if (!current.isValid())
        return;
    m_row = m_model.gridRow(current);
    m_col = m_model.gridCol(current);
    m_rowSel = m_row;
    m_colSel = m_col;
    const QItemSelection selection = selectionModel()->selection();
    for (const QItemSelectionRange& range : selection)
        if (range.contains(current)) {
            // The far corner is the one opposite the current cell.
            const int top = m_model.gridRow(range.topLeft()),
                      bottom = m_model.gridRow(range.bottomRight());
            const int left = m_model.gridCol(range.topLeft()),
                      right = m_model.gridCol(range.bottomRight());
            m_rowSel = m_row == top ? bottom : top;
            m_colSel = m_col == left ? right : left;
        }
}

QString FlexGrid::clipText() const {
    const int top = std::min(m_row, m_rowSel), bottom = std::max(m_row, m_rowSel);
    const int left = std::min(m_col, m_colSel), right = std::max(m_col, m_colSel);
    QStringList lines;
    for (int r = top; r <= bottom; ++r) {
        QStringList cells;
        for (int c = left; c <= right; ++c)
            cells << textMatrix(r, c);
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\r'));
}

void FlexGrid::setClipText(const QString& text) {
    m_model.fill(std::min(m_row, m_rowSel), std::min(m_col, m_colSel), std::max(m_row, m_rowSel),
                 std::max(m_col, m_colSel), text);
}

void FlexGrid::fillAll(const QString& text, int row, int col) {
    setRow(0);
    setCol(0);
    setRowSel(rows() - 1);
    setColSel(cols() - 1);
    setClipText(text);
    setRow(row);
    setCol(col);
}

void FlexGrid::fitLastColumn() {
    int others = 0;
    for (int c = 0; c + 1 < cols(); ++c)
        others += colWidth(c);
    setColWidth(cols() - 1, viewport()->width() * twipsPerPixel - others - 260);
}

int FlexGrid::widthTwips() const {
    return width() * twipsPerPixel;
}

int FlexGrid::textWidthTwips(const QString& text) const {
    return (fontMetrics().horizontalAdvance(text) + 8) * twipsPerPixel;
}

int FlexGrid::colWidth(int col) const {
    return columnWidth(col) * twipsPerPixel;
}

void FlexGrid::setColWidth(int col, int twips) {
    setColumnWidth(col, std::max(0, twips / twipsPerPixel));
}

void FlexGrid::replaceTable(StringTable&& cells) {
    m_model.replaceTable(std::move(cells));
    m_row = m_rowSel = std::min(m_row, std::max(0, rows() - 1));
}

void FlexGrid::insertRow(int row, QStringList cells) {
    m_model.insertGridRow(row, std::move(cells));
    if (m_row >= row && m_row + 1 < rows())
        m_row = m_rowSel = m_row + 1;
}

void FlexGrid::removeRow(int row) {
    m_model.removeGridRow(row);
    if (m_row > row)
        m_row = m_rowSel = m_row - 1;
    m_row = m_rowSel = std::min(m_row, std::max(0, rows() - 1));
}

void FlexGrid::clear() {
    m_model.clearText();
}

void FlexGrid::headingClicked(int section) {
    // A heading click selects the column's cells, as on a flex grid.
    if (rows() <= fixedRows())
        return;
    m_row = fixedRows();
    m_rowSel = rows() - 1;
    m_col = m_colSel = section;
    showSelection();
    emit Click();
}

void FlexGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        emit RightClick(event->globalPosition().toPoint());
        return;
    }
    QTableView::mousePressEvent(event);
}

void FlexGrid::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid())
        emit Click();
}

void FlexGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit DblClick();
}

void FlexGrid::keyPressEvent(QKeyEvent* event) {
    // Space or Enter acts as a click on the current cell; the context-menu
    // key and Shift+F10 as a right-click, so the grid works without a mouse.
    // Ctrl+Space selects the current column, as a click on its heading does
    // (which sorts a report grid by it).
    if (event->key() == Qt::Key_Space && event->modifiers() & Qt::ControlModifier) {
        headingClicked(m_col);
        return;
    }
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return) {
        emit Click();
        return;
    }
    if (event->key() == Qt::Key_Menu ||
        (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier)) {
        emit RightClick(viewport()->mapToGlobal(visualRect(currentIndex()).center()));
        return;
    }
    const int before = m_row;
    QTableView::keyPressEvent(event);
    // Shift extends a selection rather than choosing another row.
    if (m_row != before && m_row >= fixedRows() && !(event->modifiers() & Qt::ShiftModifier))
        emit RowChanged();
}

void FlexGridModel::sortRows(const std::vector<SortKey>& keys) {
    beginResetModel();
    sort_grid(m_cells, m_fixedRows, keys);
    endResetModel();
}

void sort_grid(FlexGrid& grid, const std::vector<SortKey>& keys) {
    grid.sortRows(keys);
}

} // namespace gearlog
