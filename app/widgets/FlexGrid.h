#pragma once

#include "GridSort.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>
#include <QPixmap>
#include <QTableView>
#include <vector>

namespace gearlog {

// The cells of a flex grid, fixed rows and columns included. The fixed row
// is shown as the column headings, so it stays in view while the cells
// scroll; fixed columns are shaded cells that can carry a colour.
class FlexGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    int rows() const { return static_cast<int>(m_cells.size()); }
    int cols() const { return m_cols; }
    int fixedRows() const { return m_fixedRows; }
    int fixedCols() const { return m_fixedCols; }
    void setShape(int rows, int cols, int fixedRows, int fixedCols);

    QString text(int row, int col) const;
    void setText(int row, int col, const QString& text);
    // Fills rows/cols from (row, col): tab between cells, CR between rows.
    void fill(int row, int col, int lastRow, int lastCol, const QString& clip);
    void setBackColor(int row, int col, const QColor& colour);
    QColor backColor(int row, int col) const;
    // A centred picture; the description is what assistive technology reads.
    void setPicture(int row, int col, const QPixmap& picture, const QString& description = {});
    // A small sign before a cell's text, read out after it.
    void setMark(int row, int col, const QIcon& sign, const QString& description);
    void clearMarks();
    void setAlignment(int col, Qt::Alignment alignment);
    void clearText();

    StringTable table() const { return m_cells; }
    void setTable(const StringTable& cells);
    // Takes the rows as the whole grid (each row padded or cut to the
    // columns); colours and pictures go with the old cells.
    void replaceTable(StringTable&& cells);
    // One row put in before `row` (the rows below move down with their
    // colours and pictures), or taken out.
    void insertGridRow(int row, QStringList cells);
    void removeGridRow(int row);
    // Sorts the rows below the fixed rows in place; colours stay where they are.
    void sortRows(const std::vector<SortKey>& keys);

    // View index <-> grid cell.
    QModelIndex indexOf(int row, int col) const;
    int gridRow(const QModelIndex& index) const { return index.row() + m_fixedRows; }
    int gridCol(const QModelIndex& index) const { return index.column(); }

private:
    static quint64 key(int row, int col) { return (quint64(quint32(row)) << 32) | quint32(col); }
    // Moves what is kept by cell from row `from` on by `by` rows; with `by`
    // -1, row `from` is taken out and what it kept dropped.
    void shiftKept(int from, int by);
    void cellsChanged(int row, int col, int lastRow, int lastCol);

    StringTable m_cells;
    int m_cols = 0;
    int m_fixedRows = 0;
    int m_fixedCols = 0;
    QHash<quint64, QColor> m_colours;
    QHash<quint64, QPixmap> m_pictures;
    QHash<quint64, QString> m_pictureTexts;
    QHash<quint64, std::pair<QIcon, QString>> m_marks;
    QHash<int, Qt::Alignment> m_alignment;
};

// A grid of text cells in the manner of a flex grid: rows and columns with
// one fixed heading row and column, cell text, a selection filled by clip
// text, back colours and centred pictures per cell, column widths in twips,
// the current cell and selection range, and click, double-click and
// right-click. Rows are a model, never widgets, so 100,000 rows stay fast.
class FlexGrid : public QTableView {
    Q_OBJECT
public:
    explicit FlexGrid(QWidget* parent = nullptr);

    int rows() const { return m_model.rows(); }
    void setRows(int rows);
    int cols() const { return m_model.cols(); }
    void setCols(int cols);
    int fixedRows() const { return m_model.fixedRows(); }
    void setFixedRows(int fixedRows);
    int fixedCols() const { return m_model.fixedCols(); }
    void setFixedCols(int fixedCols);

    QString textMatrix(int row, int col) const { return m_model.text(row, col); }
    void setTextMatrix(int row, int col, const QString& text) { m_model.setText(row, col, text); }
    // Text of the current cell.
    QString text() const { return textMatrix(m_row, m_col); }

    // Current cell and the far corner of the selection.
    int row() const { return m_row; }
    int col() const { return m_col; }
    int rowSel() const { return m_rowSel; }
    int colSel() const { return m_colSel; }
    void setRow(int row);
    void setCol(int col);
    void setRowSel(int row);
    void setColSel(int col);
    // The selected block as text (tab between cells, CR between rows), and
    // filling it.
    QString clipText() const;
    void setClipText(const QString& text);
    // Fills the whole grid from its first cell in one step, then makes
    // (row, col) the current cell.
    void fillAll(const QString& text, int row, int col);
    // Widens the last column to the grid's width, less the other columns
    // and room for the scroll bar.
    void fitLastColumn();

    void setCellBackColor(int row, int col, const QColor& colour) {
        m_model.setBackColor(row, col, colour);
    }
    QColor cellBackColor(int row, int col) const { return m_model.backColor(row, col); }
    void setCellPicture(int row, int col, const QPixmap& picture, const QString& description = {}) {
        m_model.setPicture(row, col, picture, description);
    }
    void setCellMark(int row, int col, const QIcon& sign, const QString& description) {
        m_model.setMark(row, col, sign, description);
    }
    void clearMarks() { m_model.clearMarks(); }
    // Widths in twips (15 per pixel): the grid's, the room a text needs in
    // a cell, a column's.
    int widthTwips() const;
    int textWidthTwips(const QString& text) const;
    int colWidth(int col) const;
    void setColWidth(int col, int twips);
    void setColAlignment(int col, Qt::Alignment alignment) { m_model.setAlignment(col, alignment); }
    // Empties every cell's text; the shape stays.
    void clear();

    StringTable table() const { return m_model.table(); }
    void setTable(const StringTable& cells) { m_model.setTable(cells); }
    // Takes the rows as the whole grid: as many rows as given, each padded
    // or cut to the columns, no colours or pictures.
    void replaceTable(StringTable&& cells);
    // A row put in before `row`, or taken out; the current row stays on
    // the row it was on.
    void insertRow(int row, QStringList cells);
    void removeRow(int row);
    void sortRows(const std::vector<SortKey>& keys) { m_model.sortRows(keys); }

signals:
    void Click();
    void DblClick();
    void RightClick(const QPoint& globalPos);
    // The keyboard moved the current cell to another row below the fixed
    // rows: what a click on that row selects, the keys select too.
    void RowChanged();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void headingClicked(int section);
    void syncFromView();
    void showSelection();

    FlexGridModel m_model;
    int m_row = 0, m_col = 0, m_rowSel = 0, m_colSel = 0;
    bool m_syncing = false;
};

// Sorts the grid's rows below its fixed rows by several keys.
void sort_grid(FlexGrid& grid, const std::vector<SortKey>& keys);

} // namespace gearlog
