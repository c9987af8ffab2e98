#include "FlexGrid.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace gearlog;

namespace {

FlexGrid* grid(int rows, int cols) {
    auto* g = new FlexGrid;
    g->setCols(cols);
    g->setRows(rows);
    g->setFixedRows(1);
    g->setFixedCols(1);
    return g;
}

TEST(FlexGrid, ShapeHeadingsAndCells) {
    std::unique_ptr<FlexGrid> g(grid(3, 4));
    QAbstractItemModelTester tester(g->model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(g->model()->rowCount(), 2);
    EXPECT_EQ(g->model()->columnCount(), 4);
    g->setTextMatrix(0, 1, QStringLiteral("Name"));
    g->setTextMatrix(2, 0, QStringLiteral("2"));
    g->setTextMatrix(2, 3, QStringLiteral("last"));
    EXPECT_EQ(g->model()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Name"));
    EXPECT_EQ(g->model()->index(1, 0).data().toString(), QStringLiteral("2"));
    EXPECT_EQ(g->model()->index(1, 3).data().toString(), QStringLiteral("last"));
    EXPECT_EQ(g->textMatrix(9, 9), QString()); // outside: empty, no crash
    g->setColWidth(2, 1500);
    EXPECT_EQ(g->colWidth(2), 1500);
    g->setRows(1);
    EXPECT_EQ(g->model()->rowCount(), 0);
    EXPECT_EQ(g->textMatrix(0, 1), QStringLiteral("Name"));
}

TEST(FlexGrid, ClipTextFillsAndReadsTheSelection) {
    std::unique_ptr<FlexGrid> g(grid(4, 4));
    g->setRow(1);
    g->setCol(1);
    g->setRowSel(2);
    g->setColSel(3);
    g->setClipText(QStringLiteral("a\tb\tc\rd\te\tf\r"));
    EXPECT_EQ(g->textMatrix(1, 1), QStringLiteral("a"));
    EXPECT_EQ(g->textMatrix(2, 3), QStringLiteral("f"));
    EXPECT_EQ(g->clipText(), QStringLiteral("a\tb\tc\rd\te\tf"));
    // Short text fills what it has; the rest of the block keeps its cells.
    g->setClipText(QStringLiteral("x"));
    EXPECT_EQ(g->textMatrix(1, 1), QStringLiteral("x"));
    EXPECT_EQ(g->textMatrix(1, 2), QStringLiteral("b"));
    g->clear();
    EXPECT_EQ(g->textMatrix(2, 3), QString());
}

TEST(FlexGrid, FillsAHundredThousandRows) {
    std::unique_ptr<FlexGrid> g(grid(100001, 12));
    QString text;
    for (int r = 1; r <= 100000; ++r) {
        for (int c = 0; c < 12; ++c)
            text += QString::number(r * 100 + c) + (c < 11 ? QStringLiteral("\t") : QString());
        text += QLatin1Char('\r');
    }
    g->setRow(1);
    g->setCol(0);
    g->setRowSel(100000);
    g->setColSel(11);
    g->setClipText(text);
    EXPECT_EQ(g->textMatrix(100000, 11), QStringLiteral("10000011"));
    EXPECT_EQ(g->textMatrix(50000, 3), QStringLiteral("5000003"));
}

TEST(FlexGrid, ColoursPicturesAndSignals) {
    std::unique_ptr<FlexGrid> g(grid(3, 3));
    g->setCellBackColor(1, 1, Qt::yellow);
    QPixmap tick(8, 8);
    tick.fill(Qt::black);
    g->setCellPicture(2, 1, tick);
    EXPECT_EQ(g->model()->index(0, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(Qt::yellow));
    EXPECT_FALSE(g->model()->index(1, 1).data(Qt::UserRole).isNull());
    EXPECT_EQ(g->cellBackColor(1, 1), QColor(Qt::yellow));
    g->setColAlignment(1, Qt::AlignRight);
    EXPECT_TRUE(g->model()->index(0, 1).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight);

    QSignalSpy clicks(g.get(), &FlexGrid::Click);
    g->horizontalHeader()->sectionClicked(2);
    EXPECT_EQ(clicks.count(), 1);
    // A heading click spans every data row of that column.
    EXPECT_EQ(g->row(), 1);
    EXPECT_EQ(g->rowSel(), 2);
    EXPECT_EQ(g->col(), 2);
}

TEST(FlexGrid, SortsBelowTheHeading) {
    std::unique_ptr<FlexGrid> g(grid(4, 2));
    g->setTextMatrix(0, 1, QStringLiteral("n"));
    g->setTextMatrix(1, 1, QStringLiteral("10"));
    g->setTextMatrix(2, 1, QStringLiteral("9"));
    g->setTextMatrix(3, 1, QStringLiteral("100"));
    sort_grid(*g, {{1, false, true}});
    EXPECT_EQ(g->textMatrix(0, 1), QStringLiteral("n"));
    EXPECT_EQ(g->textMatrix(1, 1), QStringLiteral("9"));
    EXPECT_EQ(g->textMatrix(3, 1), QStringLiteral("100"));
}

// Text on a coloured cell reads: white on dark colours, black on light.
TEST(FlexGrid, TextContrastsWithTheCellColour) {
    std::unique_ptr<FlexGrid> g(grid(3, 2));
    g->setCellBackColor(1, 0, QColor(0, 0, 255));
    g->setCellBackColor(2, 0, QColor(255, 255, 160));
    EXPECT_EQ(g->model()->index(0, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::white));
    EXPECT_EQ(g->model()->index(1, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::black));
    EXPECT_FALSE(g->model()->index(1, 1).data(Qt::ForegroundRole).isValid());
}

// The context-menu key and Shift+F10 open the grid's menu without a mouse.
TEST(FlexGrid, KeysOpenTheMenu) {
    std::unique_ptr<FlexGrid> g(grid(3, 2));
    QSignalSpy menu(g.get(), &FlexGrid::RightClick);
    QTest::keyClick(g.get(), Qt::Key_Menu);
    QTest::keyClick(g.get(), Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_EQ(menu.count(), 2);
}

} // namespace
