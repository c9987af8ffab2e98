// Finding records by typed and scanned text, on both stores, and the asset
// labels whose codes open the asset again.
#include "AdminCommand.h"
#include "AssetList.h"
#include "Form_labels.h"
#include "Frame_asset.h"
#include "Frame_category.h"
#include "LabelSheet.h"
#include "OpenWindow.h"
#include "RecordSearch.h"
#include "SearchBox.h"
#include "ViewRequests.h"

#include <QAccessible>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace gearlog;
using namespace gearlog::test;

namespace {

// Assets whose serial or model numbers hold "ab12" in each way a match can
// (13 equal, 10 and 12 beginning, 12 only once its accent is dropped, 11
// within), in two types; contacts, locations and shipments with accents and
// apostrophes.
void addRecords(Store& store) {
    const auto run = [&store](const char* sql, const QVariantList& values) {
        store.execute(QString::fromUtf8(sql), values);
    };
    for (const auto& [id, name] : {std::pair{1, "Radio set"}, {2, "Émetteur portable"}})
        run("INSERT INTO Table_Equipment (ID, Name, CategoryID) VALUES (?, ?, 4)",
            {id, QString::fromUtf8(name)});
    for (const auto& [id, name, phone] :
         {std::tuple{1, "Ann O'Brien", "+44 20 7946 0001"}, {2, "Zoë Ünal", "555-0199"}})
        run("INSERT INTO Table_Contact (ID, Name, Phone) VALUES (?, ?, ?)",
            {id, QString::fromUtf8(name), QString::fromUtf8(phone)});
    for (const auto& [id, name] : {std::pair{1, "Depot Tromsø"}, {2, "Site Office Perth"}})
        run("INSERT INTO Table_Address (ID, Name) VALUES (?, ?)", {id, QString::fromUtf8(name)});
    for (const auto& [id, type, model, serial] : {std::tuple{10, 1, "RX-100", "AB1234"},
                                                  {11, 1, "RX-200", "XAB12"},
                                                  {12, 2, "TX-9", "ÅB12-77"},
                                                  {13, 2, "ab12", "Q-1"},
                                                  {14, 1, "M", "ZZ"}})
        run("INSERT INTO Table_Asset (ID, EquipmentID, ShipmentID, ModelNumber, SerialNumber) "
            "VALUES (?, ?, 0, ?, ?)",
            {id, type, QString::fromUtf8(model), QString::fromUtf8(serial)});
    for (const auto& [id, name, receiver, carrier, note] :
         {std::tuple{1, "Trip to Nuuk", 1, 2, "CN-7781"}, {2, "Rückfahrt Zürich", 2, 0, "WB-0042"}})
        run("INSERT INTO Table_Shipment (ID, Name, ReceiverContactID, ShipperContactID, "
            "ConsignmentNote) VALUES (?, ?, ?, ?, ?)",
            {id, QString::fromUtf8(name), receiver, carrier, QString::fromUtf8(note)});
}

QList<int> keys(const SearchGroup& group) {
    QList<int> found;
    for (const SearchHit& h : group.hits)
        found << h.key;
    return found;
}

class Search : public WindowDriver<::testing::TestWithParam<Engine>> {
protected:
    std::unique_ptr<FreshDatabase> db;
    void SetUp() override {
        db = std::make_unique<FreshDatabase>(GetParam());
        addRecords(*db->openStore());
        openWindow(*db); // the writable opening makes the search's indexes
    }
    Store& store() { return session().database().store(); }
    SearchGroup find(SearchKind kind, const char* text) {
        return search_records(store(), kind, QString::fromUtf8(text), searchShown);
    }
    SearchBox& box() { return *window->searchBox(); }
    // Types as a person does, then lets the search list what it finds.
    void typeSearch(const QString& text) {
        window->show();
        box().Text_search->setFocus();
        QTest::keyClicks(box().Text_search, text);
        QTRY_VERIFY(box().List_search_results->count() > 0);
        QTest::qWait(20);
    }
};

TEST_P(Search, MatchesInTheirOrderIgnoringCaseAndAccents) {
    const SearchGroup assets = find(SearchKind::Asset, "AB12");
    EXPECT_EQ(keys(assets), (QList<int>{13, 10, 12, 11}));
    EXPECT_EQ(assets.total, 4);
    EXPECT_EQ(assets.hits[0].detail, QString::fromUtf8("Émetteur portable · In Stock"));
    EXPECT_EQ(keys(find(SearchKind::Asset, "10")).value(0), 10); // by ID
    // A type's name lists its assets after those matched by their numbers.
    EXPECT_EQ(keys(find(SearchKind::Asset, "emetteur")), (QList<int>{12, 13}));
    EXPECT_EQ(keys(find(SearchKind::Equipment, "EMETTEUR")), QList<int>{2});
    EXPECT_EQ(keys(find(SearchKind::Shipment, "zurich")), QList<int>{2});
    EXPECT_EQ(keys(find(SearchKind::Shipment, "Zürich")), QList<int>{2});
    EXPECT_EQ(keys(find(SearchKind::Shipment, "7781")), QList<int>{1});
    // A receiver's or carrier's name finds the shipment, newest first.
    EXPECT_EQ(keys(find(SearchKind::Shipment, "zoe")), (QList<int>{2, 1}));
    EXPECT_EQ(keys(find(SearchKind::Contact, "o'brien")), QList<int>{1});
    EXPECT_EQ(keys(find(SearchKind::Contact, "0199")), QList<int>{2}); // the phone
    EXPECT_EQ(keys(find(SearchKind::Address, "tromso")), QList<int>{1});
    // Too short for the numbers' index: said, not searched.
    const SearchGroup shortText = find(SearchKind::Asset, "q-");
    EXPECT_TRUE(shortText.tooShort);
    EXPECT_EQ(shortText.total, 0);
}

TEST_P(Search, AScannedTextNamesOneRecord) {
    const auto asset = exact_record(store(), asset_label_text(12));
    ASSERT_TRUE(asset);
    EXPECT_EQ(asset->key, 12);
    EXPECT_EQ(exact_record(store(), QStringLiteral("ab1234"))->key, 10); // a serial number
    const auto shipment = exact_record(store(), QStringLiteral("cn-7781"));
    ASSERT_TRUE(shipment);
    EXPECT_EQ(shipment->kind, SearchKind::Shipment);
    EXPECT_FALSE(exact_record(store(), QStringLiteral("AB12"))); // a model, not a serial
    EXPECT_FALSE(exact_record(store(), asset_label_text(99)));
}

// An exact serial is found first among thousands holding it; accents taken
// apart from their letters, and a dotted capital I, are found by every
// spelling on each store; a NUL finds nothing and refuses nothing.
TEST_P(Search, ExactValuesAndEverySpellingAreFound) {
    Store& s = store();
    s.begin();
    for (int id = 100; id < 2100; ++id)
        s.execute(QStringLiteral("INSERT INTO Table_Asset (ID, EquipmentID, ShipmentID, "
                                 "ModelNumber, SerialNumber) VALUES (?, 1, 0, 'M', ?)"),
                  {id, QStringLiteral("SN000%1").arg(id)});
    s.execute(QStringLiteral("INSERT INTO Table_Asset (ID, EquipmentID, ShipmentID, ModelNumber, "
                             "SerialNumber) VALUES (3000, 1, 0, ?, 'SN000')"),
              {QString::fromUtf8("Cafe\u0301 \u0130stanbul")});
    s.commit();
    EXPECT_EQ(keys(find(SearchKind::Asset, "sn000")).value(0), 3000);
    ASSERT_TRUE(exact_record(s, QStringLiteral("SN000")));
    EXPECT_EQ(exact_record(s, QStringLiteral("SN000"))->key, 3000);
    for (const char* spelling : {"café", "cafe", "CAFÉ", "istanbul", "İstanbul"})
        EXPECT_EQ(keys(find(SearchKind::Asset, spelling)), QList<int>{3000}) << spelling;
    EXPECT_EQ(
        search_records(s, SearchKind::Asset, QStringLiteral("SN0") + QChar(0), searchShown).total,
        0);
}

TEST_P(Search, AnotherDesksChangesAreFound) {
    const std::unique_ptr<Store> other = db->openStore();
    other->execute(
        QStringLiteral("INSERT INTO Table_Asset (ID, EquipmentID, ShipmentID, "
                       "ModelNumber, SerialNumber) VALUES (20, 1, 0, 'NEW', 'KQ-5555')"));
    EXPECT_EQ(keys(find(SearchKind::Asset, "q-555")), QList<int>{20});
    other->execute(QStringLiteral("UPDATE Table_Asset SET SerialNumber = 'KR-6666' WHERE ID = 20"));
    EXPECT_EQ(find(SearchKind::Asset, "q-555").total, 0);
    EXPECT_EQ(keys(find(SearchKind::Asset, "r-666")), QList<int>{20});
    other->execute(QStringLiteral("DELETE FROM Table_Asset WHERE ID = 20"));
    EXPECT_EQ(find(SearchKind::Asset, "r-666").total, 0);
}

TEST_P(Search, TheBoxOpensWhatIsChosenByKeyOrMouse) {
    typeSearch(QStringLiteral("ab12"));
    QListWidget& list = *box().List_search_results;
    EXPECT_EQ(list.accessibleName(), QStringLiteral("Search results"));
    EXPECT_EQ(list.item(0)->text(), QStringLiteral("Assets (4)"));
    QTest::keyClick(box().Text_search, Qt::Key_Down); // from the best match to the next
    QTest::keyClick(box().Text_search, Qt::Key_Return);
    ASSERT_TRUE(window->assetView()->isVisibleTo(window.get()));
    FlexGrid& grid = *window->assetView()->assetList().Grid_asset;
    EXPECT_EQ(grid.textMatrix(grid.row(), 0), QStringLiteral("10"));
    EXPECT_EQ(window->state().current_asset_id, 10);
    EXPECT_TRUE(grid.hasFocus());

    // A scanner types the whole waybill and Enter at once.
    box().Text_search->setFocus();
    box().Text_search->selectAll();
    QTest::keyClicks(box().Text_search, QStringLiteral("WB-0042"));
    QTest::keyClick(box().Text_search, Qt::Key_Return);
    EXPECT_EQ(window->state().current_shipment_id, 2);

    // A contact, clicked.
    box().Text_search->clear();
    typeSearch(QString::fromUtf8("unal"));
    QListWidgetItem* contact = nullptr;
    for (int r = 0; r < list.count(); ++r)
        if (list.item(r)->text().startsWith(QString::fromUtf8("Zoë Ünal")))
            contact = list.item(r);
    ASSERT_NE(contact, nullptr);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(contact).center());
    Frame_category& lists = *window->categoryView();
    ASSERT_TRUE(lists.isVisibleTo(window.get()));
    EXPECT_EQ(lists.list_kind(), 3);
    EXPECT_EQ(lists.grid()->textMatrix(lists.grid()->row(), 1), QString::fromUtf8("Zoë Ünal"));

    // "/" goes to the box from a view; Escape leaves it empty.
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    lists.grid()->setFocus();
    QTest::keyClick(lists.grid(), Qt::Key_Slash);
    EXPECT_TRUE(box().Text_search->hasFocus());
    box().Text_search->clear();
    typeSearch(QStringLiteral("perth"));
    QTest::keyClick(box().Text_search, Qt::Key_Escape);
    EXPECT_TRUE(box().Text_search->text().isEmpty());
    EXPECT_FALSE(list.isVisible());
    EXPECT_EQ(unexpected(), QString());
}

// The box is in the window's accessible tree; the Menu key on a chosen
// result opens the result's menu, not the text box's.
TEST_P(Search, TheBoxIsReachableAndItsResultsHaveTheirMenu) {
    const std::function<bool(QAccessibleInterface*)> holdsBox = [&](QAccessibleInterface* a) {
        if (a->object() == box().Text_search)
            return true;
        for (int c = 0; c < a->childCount(); ++c)
            if (QAccessibleInterface* child = a->child(c); child && holdsBox(child))
                return true;
        return false;
    };
    window->show();
    // Shown at the menu bar's end, within the window.
    EXPECT_TRUE(box().isVisible());
    EXPECT_LE(box().geometry().right(), window->width());
    EXPECT_TRUE(holdsBox(QAccessible::queryAccessibleInterface(window.get())));
    typeSearch(QStringLiteral("ab12"));
    keyToFocused(Qt::Key_Down);
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(5, 5), QPoint(5, 5));
    QApplication::sendEvent(window->focusWidget(), &menuKey);
    auto* menu = window->findChild<QMenu*>(QStringLiteral("mnuSearchResult"));
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    menu->hide();
}

TEST_P(Search, TheAssetGridsMenuPrintsLabelsOfTheSelectedRows) {
    emit window->requests().assetRequested(10);
    FlexGrid& grid = *window->assetView()->assetList().Grid_asset;
    QTest::keyClick(&grid, Qt::Key_Down, Qt::ShiftModifier); // two rows selected
    QTest::keyClick(&grid, Qt::Key_Menu);
    QString offered;
    scripted.dialogs.push_back([&offered](QDialog& dialog) {
        offered = dialog.findChild<QRadioButton*>(QStringLiteral("Option_labels_selected"))->text();
        return int(QDialog::Rejected);
    });
    child<QMenu>(QStringLiteral("mnuAssetGrid"))
        ->findChild<QAction*>(QStringLiteral("mnuPrintLabels"))
        ->trigger();
    EXPECT_EQ(offered, QStringLiteral("The selected assets (2)"));
}

TEST_P(Search, LabelsFillTheirSheetsAndTheirCodesOpenTheAssets) {
    std::vector<int> assets;
    for (int i = 0; i < 25; ++i)
        assets.push_back(10 + i % 5);
    Form_labels labels(session(), assets, 1, window.get());
    EXPECT_TRUE(labels.Option_labels_selected->isChecked());
    EXPECT_EQ(labels.Option_labels_type->text(), QStringLiteral("Every asset of Radio set (3)"));
    EXPECT_EQ(labels.Label_label_pages->text(), QStringLiteral("25 labels on 2 pages"));
    // Types that differ only at the end are told apart: shown whole.
    const QString longType = QStringLiteral("Magnetometer for ground surveys, model B-17");
    store().execute(QStringLiteral("UPDATE Table_Equipment SET Name = ? WHERE ID = 1"), {longType});
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("labels.pdf"));
    scripted.files.push_back(pdf);
    labels.Command_save_labels_pdf_Click();
    QProcess render;
    render.start(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-png"), pdf,
                  dir.filePath(QStringLiteral("page"))});
    ASSERT_TRUE(render.waitForFinished(60000));
    // Each label's cell read alone: a reader given a whole sheet of codes
    // misses some.
    QList<int> perPage;
    QStringList codes;
    for (const int page : {1, 2}) {
        const QString cells = dir.filePath(QStringLiteral("cells-%1").arg(page));
        QDir().mkpath(cells);
        QProcess cut;
        cut.start(QStringLiteral("convert"),
                  {dir.filePath(QStringLiteral("page-%1.png").arg(page)), QStringLiteral("-crop"),
                   QStringLiteral("3x8@"), QStringLiteral("+repage"),
                   cells + QStringLiteral("/cell-%02d.png")});
        ASSERT_TRUE(cut.waitForFinished(60000));
        QStringList arguments{QStringLiteral("-q"), QStringLiteral("--raw")};
        for (const QString& cell : QDir(cells).entryList(QDir::Files, QDir::Name))
            arguments << cells + QLatin1Char('/') + cell;
        QProcess scan;
        scan.start(QStringLiteral("zbarimg"), arguments);
        ASSERT_TRUE(scan.waitForFinished(60000));
        const QStringList read = QString::fromUtf8(scan.readAllStandardOutput())
                                     .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        perPage << static_cast<int>(read.size());
        codes << read;
    }
    EXPECT_EQ(perPage, (QList<int>{24, 1}));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(60000));
    EXPECT_TRUE(QString::fromUtf8(text.readAllStandardOutput())
                    .remove(QRegularExpression(QStringLiteral("\\s")))
                    .contains(QString(longType).remove(QLatin1Char(' '))));
    // Scanned into the search, each code opens its asset.
    for (const QString& code : codes) {
        const auto hit = exact_record(store(), code);
        ASSERT_TRUE(hit) << code.toStdString();
        EXPECT_GE(hit->key, 10);
        EXPECT_LE(hit->key, 14);
    }
}

TEST_P(Search, TheCommandForScriptsPrintsTheSameMatches) {
    QString out, err;
    QTextStream o(&out), e(&err);
    EXPECT_EQ(
        runAdminCommand({QStringLiteral("find"), db->location(), QStringLiteral("ab12")}, o, e), 0);
    o.flush();
    EXPECT_TRUE(out.startsWith(QStringLiteral("Assets (4)\n  ab12 · Q-1 (ID 13)")))
        << out.toStdString();
    out.clear();
    EXPECT_EQ(runAdminCommand({QStringLiteral("find"), db->location(), QStringLiteral("zurich"),
                               QStringLiteral("--json")},
                              o, e),
              0);
    o.flush();
    EXPECT_TRUE(out.contains(QStringLiteral("\"kind\": \"shipment\""))) << out.toStdString();
    EXPECT_EQ(
        runAdminCommand({QStringLiteral("find"), db->location(), QStringLiteral("nothing")}, o, e),
        1);
}

GEARLOG_BOTH_STORES(Search);

} // namespace
