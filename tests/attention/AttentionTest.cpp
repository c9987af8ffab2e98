// What needs attention, on a small database dated around today: the three
// lists, the view that shows them and opens their rows, and the command for
// scripts.
#include "AdminCommand.h"
#include "AssetList.h"
#include "DocumentReaders.h"
#include "DueLists.h"
#include "FlexGrid.h"
#include "Frame_asset.h"
#include "Frame_attention.h"
#include "Frame_shipment.h"
#include "OpenWindow.h"
#include "ShippingList.h"
#include "TypedText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>

using namespace gearlog;
using namespace gearlog::test;

namespace {

QDateTime day(int fromToday) {
    return QDateTime(QDate::currentDate().addDays(fromToday), QTime(0, 0), Qt::UTC);
}

// Shipment 1, due back 5 days ago, holds asset 10 still out and asset 11
// returned; shipment 2, due back 3 days ago, came home whole; shipment 3,
// due back in 20 days, holds asset 12, whose maintenance falls in 10 days.
// Asset 13's maintenance passed 2 days ago (in stock); asset 14's is in 40.
void addDates(Store& store) {
    store.execute(QStringLiteral("INSERT INTO Table_Contact (ID, Name) VALUES (1, 'Ann')"));
    store.execute(QStringLiteral("INSERT INTO Table_Address (ID, Name) VALUES (1, 'Depot')"));
    store.execute(QStringLiteral(
        "INSERT INTO Table_Equipment (ID, Name, CategoryID) VALUES (1, 'Radio set', 4)"));
    for (const auto& [id, back] : {std::pair{1, -5}, {2, -3}, {3, 20}})
        store.execute(QStringLiteral("INSERT INTO Table_Shipment (ID, Name, ReceiverContactID, "
                                     "ShipmentDate, ExpectedReturnDate) VALUES (?, ?, 1, ?, ?)"),
                      {id, QStringLiteral("Trip %1").arg(id), day(back - 30), day(back)});
    for (const auto& [id, shipment, maintenance] :
         {std::tuple{10, 1, 90}, {11, 0, 90}, {12, 3, 10}, {13, 0, -2}, {14, 0, 40}})
        store.execute(QStringLiteral("INSERT INTO Table_Asset (ID, EquipmentID, ShipmentID, "
                                     "ModelNumber, SerialNumber, NextSchedMaint) VALUES (?, 1, "
                                     "?, ?, ?, ?)"),
                      {id, shipment, QStringLiteral("M-%1").arg(id), QStringLiteral("S%1").arg(id),
                       day(maintenance)});
    for (const auto& [id, shipment, asset, completed] :
         {std::tuple{1, 1, 10, false}, {2, 1, 11, true}, {3, 2, 13, true}, {4, 3, 12, false}})
        store.execute(QStringLiteral("INSERT INTO Table_ShippingList (ID, ShipmentID, AssetID, "
                                     "IsCompleted, TransferID) VALUES (?, ?, ?, ?, -1)"),
                      {id, shipment, asset, completed});
}

class Attention : public WindowDriver<::testing::TestWithParam<Engine>> {
protected:
    std::unique_ptr<FreshDatabase> db;
    void SetUp() override {
        db = std::make_unique<FreshDatabase>(GetParam());
        addDates(*db->openStore());
        openWindow(*db);
        // The view came up at once; its lists are read on a worker.
        QTRY_VERIFY(!window->attentionView()->reading());
    }
    QStringList column(int list, int col) {
        FlexGrid* grid = window->attentionView()->Grid_attention[static_cast<size_t>(list)];
        QStringList cells;
        for (int r = 1; r < grid->rows(); ++r)
            cells << grid->textMatrix(r, col);
        return cells;
    }
};

TEST_P(Attention, TheListsTheirOrderAndDays) {
    const DueLists lists = read_due_lists(*db->openStore(), QDate::currentDate(), 30);
    // A shipment whose lines all came home is not overdue.
    ASSERT_EQ(lists.overdue.size(), 1u);
    EXPECT_EQ(lists.overdue[0].id, 1);
    EXPECT_EQ(lists.overdue[0].receiver, QStringLiteral("Ann"));
    EXPECT_EQ(lists.overdue[0].daysOverdue, 5);
    EXPECT_EQ(lists.overdue[0].assetsOut, 1);
    ASSERT_EQ(lists.maintenance.size(), 2u); // soonest first; 40 days is beyond
    EXPECT_EQ(lists.maintenance[0].assetId, 13);
    EXPECT_EQ(lists.maintenance[0].daysLeft, -2);
    EXPECT_EQ(lists.maintenance[0].location, QStringLiteral("In Stock"));
    EXPECT_EQ(lists.maintenance[1].assetId, 12);
    EXPECT_EQ(lists.maintenance[1].location, QStringLiteral("Ann \u2014 Trip 3"));
    ASSERT_EQ(lists.outDue.size(), 1u);
    EXPECT_EQ(lists.outDue[0].assetId, 12);
    EXPECT_EQ(read_due_lists(*db->openStore(), QDate::currentDate(), 60).maintenance.size(), 3u);
}

// An asset whose maintenance passed while its shipment is overdue is out
// during maintenance; one disposed of by today is never due, one to be
// disposed of later still is.
TEST_P(Attention, OverdueAndDisposedAssets) {
    auto store = db->openStore();
    store->execute(QStringLiteral("UPDATE Table_Asset SET NextSchedMaint = ? WHERE ID = 10"),
                   {day(-8)});
    store->execute(QStringLiteral("UPDATE Table_Asset SET DateDisposed = ? WHERE ID = 13"),
                   {day(0)});
    store->execute(QStringLiteral("UPDATE Table_Asset SET DateDisposed = ? WHERE ID = 14"),
                   {day(5)});
    const DueLists lists = read_due_lists(*store, QDate::currentDate(), 60);
    ASSERT_EQ(lists.outDue.size(), 2u);
    EXPECT_EQ(lists.outDue[0].assetId, 10);
    QList<int> due;
    for (const MaintenanceDue& m : lists.maintenance)
        due << m.assetId;
    EXPECT_EQ(due, (QList<int>{10, 12, 14}));
    EXPECT_EQ(lists.maintenanceTotal, 3);
}

TEST_P(Attention, ShowsAtOpeningAndOpensARowWithEnter) {
    // The database has a shipment overdue: the view came up by itself.
    Frame_attention* view = window->attentionView();
    ASSERT_TRUE(view->isVisibleTo(window.get()));
    EXPECT_EQ(view->Label_attention[0]->text(), QStringLiteral("Overdue shipments (1)"));
    EXPECT_EQ(column(1, 0), strings({"13", "12"}));
    EXPECT_EQ(column(1, 5), strings({"-2", "10"}));
    FlexGrid* overdue = view->Grid_attention[0];
    clickCell(overdue, 1, 0);
    // Tab leaves a list for the next, Shift+Tab comes back.
    keyToFocused(Qt::Key_Tab);
    EXPECT_EQ(window->focusWidget(), view->Grid_attention[1]);
    keyToFocused(Qt::Key_Tab);
    EXPECT_EQ(window->focusWidget(), view->Grid_attention[2]);
    keyToFocused(Qt::Key_Backtab);
    keyToFocused(Qt::Key_Backtab);
    EXPECT_EQ(window->focusWidget(), overdue);
    clickCell(overdue, 1, 0);
    keyToFocused(Qt::Key_Return);
    EXPECT_TRUE(window->shipmentView()->isVisibleTo(window.get()));
    EXPECT_EQ(window->state().current_shipment_id, 1);
    // The asset list signs the asset whose maintenance has passed.
    press(QStringLiteral("Command_Assets"));
    AssetList& assets = window->assetView()->assetList();
    for (auto [c, text] : {std::pair{assets.Combo_asset_category, "Radio"},
                           std::pair{assets.Combo_asset_equipment, "Radio set"}}) {
        c->setCurrentIndex(c->findText(QString::fromLatin1(text)));
        emit c->activated(c->currentIndex());
    }
    QStringList read;
    for (int r = 0; r < 5; ++r)
        read << assets.Grid_asset->model()->index(r, 0).data(Qt::AccessibleTextRole).toString();
    EXPECT_EQ(read, strings({"10", "11", "12", "13, maintenance passed", "14"}));
    // Turned off, it waits to be asked for.
    view->Check_attention_at_open->setChecked(false);
    EXPECT_FALSE(Frame_attention::showsAtOpen());
    EXPECT_EQ(unexpected(), QString());
}

TEST_P(Attention, SaveAsExcelWritesTheListWhoseMenuWasOpened) {
    FlexGrid* maintenance = window->attentionView()->Grid_attention[1];
    const QModelIndex first = maintenance->model()->index(0, 1);
    QTest::mouseClick(maintenance->viewport(), Qt::RightButton, {},
                      maintenance->visualRect(first).center());
    window->mnuPopup()->hide();
    QTemporaryDir dir;
    scripted.files.push_back(dir.filePath(QStringLiteral("due.xlsx")));
    window->mnuExcel_Click();
    const QJsonArray rows = readWorkbook(dir.filePath(QStringLiteral("due.xlsx")));
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0].toArray().at(4).toString(), QStringLiteral("Maintenance"));
    EXPECT_EQ(rows[1].toArray().at(0).toString(), QStringLiteral("13"));
}

TEST_P(Attention, AnAssetDueForMaintenanceLeavesOnlyWhenTheUserSaysSo) {
    press(QStringLiteral("Command_Send"));
    Frame_shipment* shipments = window->shipmentView();
    AssetList& picker = shipments->shippingList().picker();
    for (auto [c, text] : {std::pair{picker.Combo_asset_category, "Radio"},
                           std::pair{picker.Combo_asset_equipment, "Radio set"}}) {
        c->setCurrentIndex(c->findText(QString::fromLatin1(text)));
        emit c->activated(c->currentIndex());
    }
    clickRow(picker.Grid_asset, QStringLiteral("M-13"));
    auto* add = child<QPushButton>(QStringLiteral("Command_add_item_to_shipping_list"));
    FlexGrid* list = shipments->shippingList().Grid_shipping_list;
    scripted.yesNo = {false};
    press(add);
    ASSERT_EQ(scripted.questions.size(), 1);
    EXPECT_EQ(scripted.questions[0],
              QStringLiteral("Asset M-13 S13 is due for maintenance on %1; ship it anyway?")
                  .arg(format_date(QDate::currentDate().addDays(-2))));
    EXPECT_EQ(list->rows(), 1);
    scripted.yesNo = {true};
    press(add);
    EXPECT_EQ(list->rows(), 2);
    // Asset 14 (maintenance in 40 days) leaves without a question while no
    // return date is set; setting one after it asks again at the save.
    clickRow(picker.Grid_asset, QStringLiteral("M-14"));
    press(add);
    EXPECT_EQ(scripted.questions.size(), 2);
    typeInto(QStringLiteral("Text_shipment_expected_return"),
             format_date(QDate::currentDate().addDays(60)));
    EXPECT_EQ(list->cellBackColor(2, 2), QColor(0xFF, 0xA0, 0x40));
    typeInto(QStringLiteral("Text_shipment_name"), QStringLiteral("Field trip"));
    for (const char* name :
         {"Combo_shipment_contact_0", "Combo_shipment_contact_1", "Combo_shipment_address_0",
          "Combo_shipment_address_1", "Combo_shipment_method"})
        child<QComboBox>(QString::fromLatin1(name))->setCurrentIndex(0);
    scripted.yesNo = {false};
    press(QStringLiteral("Command_save_shipment_changes_1"));
    ASSERT_EQ(scripted.questions.size(), 3)
        << scripted.messages.join(QLatin1Char(',')).toStdString();
    EXPECT_TRUE(scripted.questions[2].endsWith(QStringLiteral("ship them anyway?")));
    EXPECT_EQ(
        db->openStore()
            ->select(QStringLiteral("SELECT COUNT(*) FROM Table_Shipment"), {}, {FieldType::Long})
            .front()[0]
            .toInt(),
        3);
}

TEST_P(Attention, TheCommandForScriptsSaysWhetherAnythingIsDue) {
    QString out, err;
    QTextStream o(&out), e(&err);
    EXPECT_EQ(runAdminCommand({QStringLiteral("due"), db->location()}, o, e), 1);
    o.flush();
    EXPECT_TRUE(out.contains(QStringLiteral("Overdue shipments (1)"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Asset 13 M-13 S13")));
    out.clear();
    EXPECT_EQ(runAdminCommand({QStringLiteral("due"), db->location(), QStringLiteral("--csv"),
                               QStringLiteral("--days"), QStringLiteral("60")},
                              o, e),
              1);
    o.flush();
    EXPECT_EQ(out.count(QStringLiteral("Maintenance due,")), 3);
    out.clear();
    // A cut list still says how many there are.
    EXPECT_EQ(
        runAdminCommand({QStringLiteral("due"), db->location(), QStringLiteral("--days"),
                         QStringLiteral("60"), QStringLiteral("--limit"), QStringLiteral("1")},
                        o, e),
        1);
    o.flush();
    EXPECT_TRUE(out.contains(QStringLiteral("within 60 days (3; the 1 most urgent listed)\n  Asset "
                                            "13 M-13 S13 (Radio set): due")))
        << out.toStdString();
    EXPECT_FALSE(out.contains(QStringLiteral("Asset 14")));
    FreshDatabase empty(GetParam());
    EXPECT_EQ(runAdminCommand({QStringLiteral("due"), empty.location()}, o, e), 0);
}

GEARLOG_BOTH_STORES(Attention);

} // namespace
