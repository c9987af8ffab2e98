// The history of changes: what each kind of command records, on both
// stores, and what a refused or failed command leaves (nothing).
#include "AdminCommand.h"
#include "ChangeHistory.h"
#include "Frame_asset.h"
#include "SampleDatabase.h"
#include "ShipmentFixture.h"
#include "ViewRequests.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <QMenu>
#include <QPushButton>
#include <QTextStream>

using namespace gearlog;
using namespace gearlog::test;

namespace {

class History : public ShipmentWindow {
protected:
    qint64 newest() {
        HistoryFilter filter;
        filter.limit = 1;
        const auto entries = read_history(*db->openStore(), filter);
        return entries.empty() ? 0 : entries.front().id;
    }
    // Entries written after the mark, newest first: "command|table key
    // action field: before -> after".
    QStringList since(qint64 mark) {
        QStringList lines;
        for (const HistoryEntry& e : read_history(*db->openStore(), {}))
            if (e.id > mark)
                lines << QStringLiteral("%1|%2 %3 %4 %5: %6 -> %7")
                             .arg(e.command, e.table)
                             .arg(e.key)
                             .arg(e.action, e.field, e.before, e.after);
        return lines;
    }
};

TEST_P(History, AnAssetsSaveRecordsTheFieldsItChangedAndWhoChangedThem) {
    emit window->requests().assetRequested(11);
    const qint64 mark = newest();
    typeInto(QStringLiteral("Text_asset_serial"), QStringLiteral("S11-B"));
    press(QStringLiteral("Command_save_asset_changes_0"));
    EXPECT_EQ(since(mark), strings({"Save|Table_asset 11 Changed SerialNumber: S11 -> S11-B"}));
    const auto entry = read_history(*db->openStore(), {}).front();
    EXPECT_FALSE(entry.who.isEmpty());
    EXPECT_FALSE(entry.machine.isEmpty());
    EXPECT_LT(entry.when.secsTo(QDateTime::currentDateTimeUtc()), 60);
    // Saved unchanged: nothing more.
    press(QStringLiteral("Command_save_asset_changes_0"));
    EXPECT_EQ(since(mark).size(), 1);
    // Deleted: every field it had, before.
    const qint64 beforeDelete = newest();
    scripted.yesNo.push_back(true);
    press(QStringLiteral("Command_delete_asset"));
    const QStringList deleted = since(beforeDelete);
    EXPECT_TRUE(
        deleted.contains(QStringLiteral("Delete|Table_asset 11 Deleted SerialNumber: S11-B -> ")))
        << deleted.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(
        deleted.contains(QStringLiteral("Delete|Table_asset 11 Deleted ModelNumber: M-11 -> ")));
}

TEST_P(History, TheChangesWindowsListARecordsChangesAndEveryonesPageByPage) {
    emit window->requests().assetRequested(11);
    typeInto(QStringLiteral("Text_asset_serial"), QStringLiteral("S11-B"));
    press(QStringLiteral("Command_save_asset_changes_0"));
    QStringList shown;
    const auto read = [&shown](QDialog& dialog) {
        const FlexGrid& grid = *dialog.findChild<FlexGrid*>(QStringLiteral("Grid_changes"));
        shown.clear();
        for (int r = 0; r < grid.rows(); ++r)
            shown << QStringList{grid.textMatrix(r, 2), grid.textMatrix(r, 3),
                                 grid.textMatrix(r, 4), grid.textMatrix(r, 5),
                                 grid.textMatrix(r, 6)}
                         .join(QLatin1Char('|'));
        return int(QDialog::Accepted);
    };
    scripted.dialogs.push_back(read);
    press(QStringLiteral("Command_asset_changes"));
    ASSERT_GE(shown.size(), 2);
    EXPECT_EQ(shown[0], QStringLiteral("Command|Record|Field|Before|After"));
    EXPECT_EQ(shown[1], QStringLiteral("Save|asset 11 (changed)|SerialNumber|S11|S11-B"));
    // Everyone's, filtered by kind: the contacts added at the start only.
    scripted.dialogs.push_back([&](QDialog& dialog) {
        auto* kind = dialog.findChild<QComboBox*>(QStringLiteral("Combo_changes_kind"));
        kind->setCurrentIndex(kind->findText(QStringLiteral("Contacts")));
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("Command_changes_filter")),
                          Qt::LeftButton);
        return read(dialog);
    });
    window->menu_recent_changes();
    EXPECT_EQ(shown.filter(QStringLiteral("contact ")).size(), shown.size() - 1);
    EXPECT_FALSE(shown.filter(QStringLiteral("Name")).isEmpty());
    // Who as the grid shows it, in any case; a date it cannot read is refused.
    int listed = 0;
    scripted.dialogs.push_back([&](QDialog& dialog) {
        const auto* grid = dialog.findChild<FlexGrid*>(QStringLiteral("Grid_changes"));
        const auto filter = [&](const char* box, const QString& text) {
            dialog.findChild<QLineEdit*>(QString::fromLatin1(box))->setText(text);
            QTest::mouseClick(
                dialog.findChild<QPushButton*>(QStringLiteral("Command_changes_filter")),
                Qt::LeftButton);
        };
        filter("Text_changes_who", grid->textMatrix(1, 1).toUpper());
        listed = grid->rows();
        filter("Text_changes_from", QStringLiteral("32-Dec-2099"));
        EXPECT_EQ(grid->rows(), listed);
        return int(QDialog::Accepted);
    });
    window->menu_recent_changes();
    EXPECT_GT(listed, 2);
    EXPECT_EQ(scripted.messages.last(), QStringLiteral("The From date is not valid"));
}

// The sample's money and dates are as the forms write them: a first save
// of a sample asset records only what the user changed.
class SampleHistory : public WindowDriver<::testing::Test> {
protected:
    FreshDatabase db{Engine::Sqlite};
    void SetUp() override {
        writeSampleData(*db.openStore(), {60, 3, 0});
        openWindow(db);
    }
};

TEST_F(SampleHistory, AFirstSaveRecordsOnlyWhatChanged) {
    emit window->requests().assetRequested(7);
    typeInto(QStringLiteral("Text_asset_serial"), QStringLiteral("CHANGED-7"));
    press(QStringLiteral("Command_save_asset_changes_0"));
    QStringList fields;
    for (const HistoryEntry& e : read_history(*db.openStore(), {}))
        if (e.command == QLatin1String("Save"))
            fields << e.field;
    EXPECT_EQ(fields, strings({"SerialNumber"}));
}

TEST_P(History, AListsGridMenuShowsTheSelectedItemsChanges) {
    press(QStringLiteral("Command_Categories_0"));
    FlexGrid* grid = child<FlexGrid>(QStringLiteral("Grid_category"));
    clickRow(grid, QStringLiteral("Radio"));
    typeInto(QStringLiteral("Text_category"), QStringLiteral("Radios"));
    press(QStringLiteral("Command_save_category_changes_0"));
    clickRow(grid, QStringLiteral("Radios"));
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {},
                      grid->visualRect(grid->model()->index(grid->row() - 1, 1)).center());
    window->mnuPopup()->hide();
    QString shown;
    scripted.dialogs.push_back([&shown](QDialog& dialog) {
        const FlexGrid& changes = *dialog.findChild<FlexGrid*>(QStringLiteral("Grid_changes"));
        shown = changes.rows() > 1
                    ? changes.textMatrix(1, 5) + QStringLiteral(" -> ") + changes.textMatrix(1, 6)
                    : QString();
        return int(QDialog::Accepted);
    });
    window->mnuPopup()->findChild<QAction*>(QStringLiteral("mnuChanges"))->trigger();
    EXPECT_EQ(shown, QStringLiteral("Radio -> Radios"));
}

TEST_P(History, AShipmentsListAndItsReturnAreRecordedLineByLine) {
    fillDetails(QStringLiteral("Kit"));
    addItem(10);
    const qint64 mark = newest();
    press(QStringLiteral("Command_save_shipment_changes_1"));
    const QStringList saved = since(mark);
    EXPECT_TRUE(saved.contains(QStringLiteral("Save New|Table_shipment 1 Added Name:  -> Kit")));
    EXPECT_TRUE(
        saved.contains(QStringLiteral("Save New|Table_shippinglist 1 Added AssetID:  -> 10")));
    EXPECT_TRUE(
        saved.contains(QStringLiteral("Save New|Table_asset 10 Changed ShipmentID: 0 -> 1")));
    const qint64 beforeReturn = newest();
    tick(10);
    answerPicker(QDate(2026, 3, 3));
    press(QStringLiteral("Command_return_item_from_shipping_list"));
    const QStringList returned = since(beforeReturn);
    EXPECT_TRUE(returned.contains(QStringLiteral(
        "Return items to Stock|Table_shippinglist 1 Changed IsCompleted: No -> Yes")))
        << returned.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(returned.contains(
        QStringLiteral("Return items to Stock|Table_asset 10 Changed ShipmentID: 1 -> 0")));
    EXPECT_EQ(unexpected(), QString());
}

TEST_P(History, ARefusedOrFailedCommandRecordsNothing) {
    fillDetails(QStringLiteral("Kit"));
    addItem(10);
    press(QStringLiteral("Command_save_shipment_changes_1"));
    const qint64 mark = newest();
    // Refused: a shipment whose list is not empty is not deleted.
    press(QStringLiteral("Command_delete_shipment"));
    scripted.messages.clear();
    // Failed: another desk deleted the asset the list names.
    addItem(11);
    db->openStore()->execute(QStringLiteral("DELETE FROM Table_Asset WHERE ID = 11"));
    typeInto(QStringLiteral("Text_shipment_name"), QStringLiteral("Kit 2"));
    press(QStringLiteral("Command_save_shipment_changes_0"));
    EXPECT_EQ(since(mark), QStringList());
}

TEST_P(History, APictureIsRecordedAsItsSizeAndHash) {
    const qint64 mark = newest();
    const QByteArray picture(1000, 'x');
    add(session().rs_photo(), {{QStringLiteral("ID"), 1},
                               {QStringLiteral("Name"), QStringLiteral("Front")},
                               {QStringLiteral("Photo"), picture}});
    const QString hash = QString::fromLatin1(
        QCryptographicHash::hash(picture, QCryptographicHash::Sha256).toHex().left(16));
    EXPECT_TRUE(since(mark).contains(
        QStringLiteral("(no command)|Table_photo 1 Added Photo:  -> 1,000 bytes, SHA-256 ") + hash))
        << since(mark).join(QLatin1Char('\n')).toStdString();
}

TEST_P(History, TheCommandForScriptsListsAndTrims) {
    emit window->requests().assetRequested(12);
    typeInto(QStringLiteral("Text_asset_model"), QStringLiteral("M-12b"));
    press(QStringLiteral("Command_save_asset_changes_0"));
    QString out, err;
    QTextStream o(&out), e(&err);
    EXPECT_EQ(runAdminCommand({QStringLiteral("history"), db->location(), QStringLiteral("--table"),
                               QStringLiteral("asset"), QStringLiteral("--id"),
                               QStringLiteral("12"), QStringLiteral("--csv")},
                              o, e),
              0);
    o.flush();
    EXPECT_TRUE(out.startsWith(QStringLiteral("When,Who,Machine,Command,Table,ID,Action,Field")));
    EXPECT_TRUE(out.contains(QStringLiteral(",Save,Table_asset,12,Changed,ModelNumber,M-12,M-12b")))
        << out.toStdString();
    // Another program's change is told as information; the check passes.
    db->openStore()->execute(
        QStringLiteral("UPDATE Table_Asset SET ModelNumber = 'Other' WHERE ID = 12"));
    out.clear();
    EXPECT_EQ(runAdminCommand({QStringLiteral("check"), db->location()}, o, e), 0);
    o.flush();
    EXPECT_TRUE(out.contains(QStringLiteral(
        "Information: Table_asset 12 ModelNumber is \"Other\", though Gearlog last wrote "
        "\"M-12b\"")))
        << out.toStdString();
    EXPECT_EQ(out.count(QStringLiteral("Information:")), 1) << out.toStdString();
    window.reset(); // the server's trim waits for no other desk
    // Trimmed before yesterday: today's stay; before the day after
    // tomorrow: none.
    const size_t today = read_history(*db->openStore(), {}).size();
    for (const int days : {-1, 2}) {
        EXPECT_EQ(runAdminCommand({QStringLiteral("history"), db->location(),
                                   QStringLiteral("--trim-before"),
                                   QDate::currentDate().addDays(days).toString(Qt::ISODate)},
                                  o, e),
                  0);
        if (days < 0) {
            EXPECT_EQ(read_history(*db->openStore(), {}).size(), today);
        }
    }
    EXPECT_EQ(read_history(*db->openStore(), {}).size(), 0u);
}

GEARLOG_BOTH_STORES(History);

} // namespace
