// Maintenance by keys from the Attention view: Enter on a due row opens
// the dialog, which records a failed calibration; the list loses the
// asset, the failed list gains it, the asset view shows its log, and
// shipping it asks first.
#include "AssetList.h"
#include "FlexGrid.h"
#include "Form_main.h"
#include "Frame_asset.h"
#include "Frame_attention.h"
#include "Frame_report.h"
#include "Frame_shipment.h"
#include "Maintenance.h"
#include "MaintenancePanel.h"
#include "MaintenanceTables.h"
#include "OpenWindow.h"
#include "ShippingList.h"
#include "TypedText.h"
#include "ViewRequests.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>

using namespace gearlog;
using namespace gearlog::test;

namespace {

class MaintenanceView : public WindowDriver<::testing::Test> {
protected:
    void SetUp() override {
        enableMaintenance();
        db = std::make_unique<FreshDatabase>(Engine::Sqlite);
        {
            auto setUp = db->openSession();
            setUp->openTableCursors();
            addStockAsset(*setUp);
            set_type_interval(setUp->database(), 1, 180, QStringLiteral("Calibration"));
            setUp->database().store().execute(
                QStringLiteral("UPDATE Table_asset SET NextSchedMaint = ? WHERE ID = 1"),
                {QDateTime(QDate::currentDate().addDays(-1), QTime(0, 0))});
        }
        openWindow(*db);
    }
    void TearDown() override {
        window.reset();
        db.reset();
    }
    // The Attention view, once its lists are read (off the window's thread).
    Frame_attention& attention() {
        press(QStringLiteral("Command_Attention"));
        Frame_attention& view = *window->attentionView();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return !view.Label_attention[4]->text().contains(QStringLiteral("reading")); },
            10000));
        return view;
    }
    // The test type in a list's filters.
    static void choose(AssetList& list) {
        for (QComboBox* c : {list.Combo_asset_category, list.Combo_asset_equipment}) {
            c->setCurrentIndex(c->findText(c == list.Combo_asset_category
                                               ? QStringLiteral("TEM Transmitter")
                                               : QStringLiteral("Test type")));
            emit c->activated(c->currentIndex());
        }
    }
    std::unique_ptr<FreshDatabase> db;
};

TEST_F(MaintenanceView, RecordedByKeysFromTheAttentionView) {
    FlexGrid& due = *attention().Grid_attention[1];
    ASSERT_EQ(due.rows(), 2);
    clickCell(&due, 1, 1);
    QStringList shown;
    scripted.dialogs.push_back([&](QDialog& d) {
        d.show();
        shown << d.findChild<QLabel*>(QStringLiteral("Label_maintenance_interval"))->text();
        // The result by keys, then a cost, and Enter saves.
        auto* result = d.findChild<QComboBox*>(QStringLiteral("Combo_maintenance_result"));
        result->setFocus();
        QTest::keyClick(result, Qt::Key_End);
        auto* cost = d.findChild<QLineEdit*>(QStringLiteral("Text_maintenance_cost"));
        cost->setFocus();
        QTest::keyClicks(cost, QStringLiteral("12.50"));
        QTest::keyClick(cost, Qt::Key_Return);
        return d.result();
    });
    keyToFocused(Qt::Key_Return);
    ASSERT_EQ(scripted.dialogNames, QStringList{QStringLiteral("Form_maintenance")});
    EXPECT_EQ(shown, QStringList{QStringLiteral("Every 180 days (its type's interval)")});
    EXPECT_EQ(unexpected(), QString());
    const auto next = session().database().store().select(
        QStringLiteral("SELECT NextSchedMaint FROM Table_asset WHERE ID = 1"), {},
        {FieldType::Date});
    EXPECT_EQ(next.front()[0].toDateTime().date(), QDate::currentDate().addDays(180));
    // The lists were read again: no longer due, failed instead.
    Frame_attention& view = *window->attentionView();
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.Grid_attention[1]->rows() == 1; }, 10000));
    EXPECT_EQ(view.Grid_attention[4]->rows(), 2);

    // The asset view lists the entry, its failure on red.
    emit window->requests().assetRequested(1);
    FlexGrid& log = *window->maintenancePanel()->Grid_maintenance;
    ASSERT_EQ(log.rows(), 2);
    EXPECT_EQ(log.textMatrix(1, 1), QStringLiteral("Failed"));
    EXPECT_EQ(log.textMatrix(1, 4), QStringLiteral("12.50"));
    // The asset grid's menu records maintenance too.
    scripted.dialogs.push_back([](QDialog& d) { return d.result(); });
    child<QMenu>(QStringLiteral("mnuAssetGrid"))
        ->findChild<QAction*>(QStringLiteral("mnuAssetRecordMaintenance"))
        ->trigger();
    EXPECT_EQ(scripted.dialogNames.size(), 2);
    // Its menu saves the log as a workbook.
    QTest::mouseClick(log.viewport(), Qt::RightButton, {},
                      log.visualRect(log.model()->index(0, 0)).center());
    window->mnuPopup()->hide();
    const QString workbook = db->location() + QStringLiteral(".xlsx");
    scripted.files.push_back(workbook);
    window->mnuExcel_Click();
    EXPECT_TRUE(QFile::exists(workbook));

    // The equipment report shows the last maintenance when asked to.
    press(child<QPushButton>(QStringLiteral("Command_report_0")));
    Frame_report& report = *window->reportView();
    choose(report.filters());
    child<QCheckBox>(QStringLiteral("Check_report_extra"))->click();
    FlexGrid& rows = *report.grid();
    ASSERT_EQ(rows.cols(), 15);
    EXPECT_EQ(rows.textMatrix(0, 13), QStringLiteral("Last Maintenance"));
    EXPECT_EQ(rows.textMatrix(1, 13), format_date(QDate::currentDate()));
    EXPECT_EQ(rows.textMatrix(1, 14), QStringLiteral("Failed"));

    // Shipping it asks first.
    press(QStringLiteral("Command_Send"));
    AssetList& picker = window->shipmentView()->shippingList().picker();
    choose(picker);
    clickRow(picker.Grid_asset, QStringLiteral("M-1"));
    scripted.yesNo = {false};
    press(QStringLiteral("Command_add_item_to_shipping_list"));
    ASSERT_EQ(scripted.questions.size(), 1);
    EXPECT_TRUE(scripted.questions[0].contains(QStringLiteral("failed its last maintenance")));
}

} // namespace
