// The Stocktake view by keys and mouse: scans typed into the scan box,
// codes loaded from a file, Apply, the report saved, and the asset view's
// last-seen line.
#include "FlexGrid.h"
#include "Frame_stocktake.h"
#include "OpenWindow.h"
#include "StocktakeTables.h"
#include "ViewRequests.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>

using namespace gearlog;
using namespace gearlog::test;

namespace {

class StocktakeView : public WindowDriver<::testing::Test> {
protected:
    void SetUp() override {
        enableStocktakes();
        db = std::make_unique<FreshDatabase>(Engine::Sqlite);
        {
            auto setUp = db->openSession();
            setUp->openTableCursors();
            for (int i = 0; i < 3; ++i)
                addStockAsset(*setUp);
            setUp->execute(QStringLiteral(
                "INSERT INTO Table_address (ID, Name, Address) VALUES (1, 'Depot', '')"));
            // Assets 1 and 2 are kept at the Depot; 3 at no office.
            setUp->execute(QStringLiteral("UPDATE Table_asset SET AccountID = 1 WHERE ID < 3"));
        }
        openWindow(*db);
        press(QStringLiteral("Command_Stocktake"));
    }
    void TearDown() override {
        window.reset();
        db.reset();
    }
    Frame_stocktake& view() { return *window->stocktakeView(); }
    void scanByKeys(const QString& code) {
        QTest::keyClicks(window->focusWidget(), code);
        keyToFocused(Qt::Key_Return);
    }
    int officeOf(int asset) {
        return session()
            .database()
            .store()
            .select(QStringLiteral("SELECT AccountID FROM Table_asset WHERE ID = ?"), {asset},
                    {FieldType::Long})
            .front()[0]
            .toInt();
    }
    std::unique_ptr<FreshDatabase> db;
};

TEST_F(StocktakeView, ScansLoadsAppliesAndReports) {
    press(QStringLiteral("Command_new_stocktake"));
    // Started, the scan box takes the scanner's keys.
    ASSERT_EQ(window->focusWidget(), view().Text_scan);
    scanByKeys(QStringLiteral("GL-A-1"));
    EXPECT_EQ(window->focusWidget(), view().Text_scan);
    EXPECT_TRUE(view().Text_scan->text().isEmpty());
    FlexGrid& scans = *view().Grid_stocktake;
    EXPECT_EQ(scans.textMatrix(1, 6), QStringLiteral("Found"));
    EXPECT_EQ(view().Grid_missing->rows(), 2);
    EXPECT_EQ(view().Grid_missing->textMatrix(1, 0), QStringLiteral("2"));

    scripted.files.push_back(
        writeFile(db->location() + QStringLiteral(".codes"), "GL-A-3\r\nNOPE\n\nGL-A-1\n"));
    press(QStringLiteral("Command_load_codes"));
    EXPECT_EQ(scans.rows(), 5);
    // The newest on top.
    EXPECT_EQ(scans.textMatrix(1, 6), QStringLiteral("Repeated"));
    EXPECT_EQ(scans.textMatrix(2, 6), QStringLiteral("Unknown"));
    EXPECT_EQ(scans.textMatrix(3, 6), QStringLiteral("Elsewhere"));
    EXPECT_EQ(view().Label_stocktake_counts->text(),
              QStringLiteral("Expected 2   Found 1   Missing 1   Unexpected 2"));

    // A longer file is shown afresh in one pass: asset 2 found among unknown codes.
    QByteArray many = "GL-A-2\n";
    for (int i = 0; i < 24; ++i)
        many += "X" + QByteArray::number(i) + "\n";
    scripted.files.push_back(writeFile(db->location() + QStringLiteral(".more"), many));
    press(QStringLiteral("Command_load_codes"));
    EXPECT_EQ(scans.rows(), 30);
    EXPECT_EQ(scans.textMatrix(1, 1), QStringLiteral("X23"));
    EXPECT_EQ(scans.textMatrix(25, 6), QStringLiteral("Found"));
    EXPECT_EQ(view().Grid_missing->rows(), 1);

    scripted.yesNo.push_back(true);
    press(QStringLiteral("Command_apply_stocktake"));
    ASSERT_EQ(scripted.questions.size(), 1);
    EXPECT_TRUE(scripted.questions.front().contains(
        QStringLiteral("1 found but kept at other offices: moved to Depot")));
    EXPECT_EQ(officeOf(3), 1);
    EXPECT_FALSE(view().Text_scan->isEnabled());
    EXPECT_TRUE(view().Combo_stocktake->currentText().contains(QStringLiteral("applied")));

    const QString workbook = db->location() + QStringLiteral(".xlsx");
    const QString pdf = db->location() + QStringLiteral(".pdf");
    scripted.files.push_back(workbook);
    press(QStringLiteral("Command_stocktake_excel"));
    scripted.files.push_back(pdf);
    press(QStringLiteral("Command_stocktake_pdf"));
    EXPECT_GT(QFileInfo(workbook).size(), 0);
    EXPECT_GT(QFileInfo(pdf).size(), 0);
    EXPECT_EQ(unexpected(), QString());

    // The asset view says where a stocktake last saw the asset.
    emit window->requests().assetRequested(3);
    EXPECT_TRUE(child<QLabel>(QStringLiteral("Label_asset_last_seen"))
                    ->text()
                    .startsWith(QStringLiteral("Last seen")));
}

} // namespace
