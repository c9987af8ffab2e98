#include "FlexGrid.h"
#include "Frame_category.h"
#include "OpenWindow.h"

#include <QApplication>
#include <QLineEdit>
#include <QStatusBar>

using namespace gearlog;
using namespace gearlog::test;

namespace {

class ListView : public OpenWindow {
protected:
    Frame_category* view() { return window->categoryView(); }
    FlexGrid* grid() { return view()->grid(); }
    QLineEdit* nameBox() { return child<QLineEdit>(QStringLiteral("Text_category")); }
    bool enabled(const char* name) { return child(QString::fromLatin1(name))->isEnabled(); }
    void showList(int index) { click(QStringLiteral("Command_Categories_%1").arg(index)); }
    // Clicks the grid row holding that name.
    void select(const QString& name) {
        for (int r = 1; r < grid()->rows(); ++r)
            if (grid()->textMatrix(r, 1) == name) {
                grid()->setRow(r);
                grid()->setCol(1);
                view()->Grid_category_Click();
                return;
            }
        ADD_FAILURE() << "no row " << name.toStdString();
    }
    void type(const QString& text) {
        nameBox()->setText(text);
        view()->Text_category_Change();
    }
    QStringList names() {
        QStringList result;
        for (int r = 1; r < grid()->rows() - 1; ++r)
            result << grid()->textMatrix(r, 1);
        return result;
    }
};

TEST_F(ListView, ShowsTheListWithRowNumbersAndTheNewItemRow) {
    showList(0);
    EXPECT_TRUE(view()->isVisibleTo(window.get()));
    EXPECT_EQ(grid()->rows(), 8);
    EXPECT_EQ(grid()->textMatrix(0, 1), QStringLiteral("Name"));
    EXPECT_EQ(names(), strings({"Ancillary", "Cables", "Radio", "Rx", "TEM Transmitter", "Tx"}));
    EXPECT_EQ(grid()->textMatrix(1, 0), QStringLiteral("1"));
    EXPECT_EQ(grid()->textMatrix(7, 0), QStringLiteral("*"));
    EXPECT_FALSE(enabled("Command_delete_category"));
    EXPECT_FALSE(enabled("Command_save_category_changes_0"));
    EXPECT_FALSE(enabled("Command_Clear_category_changes"));
    EXPECT_EQ(view()->list_table(), QStringLiteral("Table_Category"));

    showList(3); // no contacts yet: heading and "*" only
    EXPECT_EQ(grid()->rows(), 2);
    EXPECT_TRUE(child(QStringLiteral("Frame_contact"))->isVisibleTo(view()));
    EXPECT_FALSE(child(QStringLiteral("Frame_address"))->isVisibleTo(view()));
    grid()->setRow(1);
    grid()->setCol(1);
    view()->Grid_category_Click();
    EXPECT_EQ(nameBox()->text(), QString());
}

TEST_F(ListView, ButtonsFollowSelectionAndTyping) {
    showList(1);
    select(QStringLiteral("Lost"));
    EXPECT_EQ(window->state().current_category, QStringLiteral("Lost"));
    EXPECT_EQ(nameBox()->text(), QStringLiteral("Lost"));
    EXPECT_TRUE(enabled("Command_delete_category"));
    type(QStringLiteral("Lost at sea"));
    EXPECT_FALSE(enabled("Command_delete_category"));
    EXPECT_TRUE(enabled("Command_save_category_changes_0"));
    EXPECT_TRUE(enabled("Command_save_category_changes_1"));
    EXPECT_TRUE(enabled("Command_Clear_category_changes"));
    click(QStringLiteral("Command_Clear_category_changes"));
    EXPECT_EQ(nameBox()->text(), QStringLiteral("Lost"));
    EXPECT_TRUE(enabled("Command_delete_category"));
    EXPECT_FALSE(enabled("Command_save_category_changes_1"));

    click(QStringLiteral("Command_create_category"));
    EXPECT_EQ(window->state().current_category, QString());
    EXPECT_EQ(nameBox()->text(), QString());
    type(QStringLiteral("New"));
    EXPECT_FALSE(enabled("Command_save_category_changes_0")); // nothing to replace
}

TEST_F(ListView, SaveChecksInOrderAndWrites) {
    showList(0);
    click(QStringLiteral("Command_create_category"));
    type(QString());
    view()->Command_save_category_changes_Click(1);
    type(QString(256, QLatin1Char('n')));
    view()->Command_save_category_changes_Click(1);
    type(QStringLiteral("rx"));
    view()->Command_save_category_changes_Click(1);
    EXPECT_EQ(scripted.messages,
              strings({"The category name cannot be blank", "The category name is too long",
                       "That name already exists"}));
    const QString longest(255, QLatin1Char('z'));
    type(longest);
    view()->Command_save_category_changes_Click(1);
    EXPECT_EQ(scripted.messages.size(), 3);
    EXPECT_EQ(names().last(), longest);
    EXPECT_EQ(window->state().current_category, longest);
    ASSERT_TRUE(find_record_by_text(session().rs_category(), QStringLiteral("Name"), longest));
    EXPECT_EQ(session().rs_category().value(QStringLiteral("ID")).toInt(), 7);

    // "Save " with the name unchanged writes nothing; a new name replaces it.
    select(QStringLiteral("Radio"));
    type(QStringLiteral("Radio"));
    view()->Command_save_category_changes_Click(0);
    EXPECT_FALSE(enabled("Command_save_category_changes_0"));
    type(QStringLiteral("Radios"));
    view()->Command_save_category_changes_Click(0);
    EXPECT_TRUE(names().contains(QStringLiteral("Radios")));
    EXPECT_FALSE(names().contains(QStringLiteral("Radio")));
    EXPECT_EQ(names().size(), 7);
    EXPECT_TRUE(unexpected().isEmpty()) << unexpected().toStdString();
}

TEST_F(ListView, NamesWithApostrophesAreOrdinary) {
    showList(0);
    click(QStringLiteral("Command_create_category"));
    type(QStringLiteral("Tom's kit"));
    view()->Command_save_category_changes_Click(1);
    EXPECT_TRUE(names().contains(QStringLiteral("Tom's kit")));
    type(QStringLiteral("TOM'S KIT"));
    view()->Command_save_category_changes_Click(1);
    EXPECT_EQ(scripted.messages, strings({"That name already exists"}));
    select(QStringLiteral("Tom's kit"));
    type(QStringLiteral("Tom's 'other' kit"));
    view()->Command_save_category_changes_Click(0);
    EXPECT_TRUE(names().contains(QStringLiteral("Tom's 'other' kit")));
    select(QStringLiteral("Tom's 'other' kit"));
    click(QStringLiteral("Command_delete_category"));
    EXPECT_EQ(names().size(), 6);
}

TEST_F(ListView, DeleteRefusesWhatIsInUse) {
    add(session().rs_equipment(), {{QStringLiteral("ID"), 1},
                                   {QStringLiteral("Name"), QStringLiteral(" Spectrum analyser ")},
                                   {QStringLiteral("CategoryID"), 3}});
    add(session().rs_asset(), {{QStringLiteral("ID"), 1},
                               {QStringLiteral("ModelNumber"), QStringLiteral("SA-9 ")},
                               {QStringLiteral("StatusID"), 5}});
    showList(0);
    select(QStringLiteral("Cables"));
    click(QStringLiteral("Command_delete_category"));
    EXPECT_EQ(
        scripted.messages.value(0),
        QStringLiteral(
            "You cannot delete this category as it is in use by the equipment Spectrum analyser"));
    EXPECT_EQ(names().size(), 6);
    select(QStringLiteral("Radio"));
    click(QStringLiteral("Command_delete_category"));
    EXPECT_EQ(names().size(), 5);
    EXPECT_EQ(window->state().current_category, QString());

    showList(1);
    select(QStringLiteral("Lost"));
    click(QStringLiteral("Command_delete_category"));
    EXPECT_EQ(scripted.messages.value(1),
              QStringLiteral("You cannot delete this status as it is in use by the asset SA-9"));
}

TEST_F(ListView, SaveFailureIsReportedAndLeavesTheList) {
    showList(0);
    click(QStringLiteral("Command_create_category"));
    type(QStringLiteral("Fine"));
    // The store refuses the row, as a rule on a shared server might.
    session().database().store().execute(
        QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON Table_category "
                       "WHEN NEW.Name = 'Fine' BEGIN SELECT RAISE(ABORT, 'no room'); END"),
        {});
    view()->Command_save_category_changes_Click(1);
    EXPECT_EQ(scripted.messages, strings({"An error occurred while saving the changes: no room"}));
    EXPECT_FALSE(names().contains(QStringLiteral("Fine")));
}

// Mouse and keys only: a click on a row, typing, and the buttons.
TEST_F(ListView, RenamesWithRealMouseAndKeys) {
    press(QStringLiteral("Command_Categories_0"));
    clickRow(grid(), QStringLiteral("Radio"));
    EXPECT_EQ(nameBox()->text(), QStringLiteral("Radio"));
    EXPECT_TRUE(enabled("Command_delete_category"));
    typeInto(QStringLiteral("Text_category"), QStringLiteral("Radios"));
    EXPECT_TRUE(enabled("Command_save_category_changes_0"));
    EXPECT_FALSE(enabled("Command_delete_category"));
    press(QStringLiteral("Command_save_category_changes_0"));
    EXPECT_EQ(names(), strings({"Ancillary", "Cables", "Radios", "Rx", "TEM Transmitter", "Tx"}));
    clickCell(grid(), grid()->rows() - 1, 1); // the "*" row: a new item
    typeInto(QStringLiteral("Text_category"), QStringLiteral("Masts"));
    press(QStringLiteral("Command_save_category_changes_1"));
    EXPECT_TRUE(names().contains(QStringLiteral("Masts")));
    EXPECT_TRUE(scripted.messages.isEmpty())
        << scripted.messages.join(QLatin1Char(',')).toStdString();
}

// F5 reads the database again: another desk's new category and the name it
// changed show, and the selection stays where it was.
TEST_F(ListView, RefreshShowsWhatOtherDesksWrote) {
    press(QStringLiteral("Command_Categories_0"));
    clickRow(grid(), QStringLiteral("Rx"));
    auto otherDesk = db.openSession();
    otherDesk->execute(
        QStringLiteral("UPDATE Table_category SET Name = 'Aerials' WHERE Name = 'Cables'"));
    auto categories = otherDesk->openRecordset(QStringLiteral("Table_category"));
    add_new_record(*categories, otherDesk->database(), QStringLiteral("Table_category"));
    categories->setValue(QStringLiteral("Name"), QStringLiteral("Masts"));
    categories->update();
    QApplication::setActiveWindow(window.get());
    QTest::keyClick(grid(), Qt::Key_F5);
    EXPECT_EQ(names(),
              strings({"Aerials", "Ancillary", "Masts", "Radio", "Rx", "TEM Transmitter", "Tx"}));
    EXPECT_EQ(nameBox()->text(), QStringLiteral("Rx"));
    // The table cursors the other views read are fresh too.
    EXPECT_TRUE(find_record_by_text(session().rs_category(), QStringLiteral("Name"),
                                    QStringLiteral("Masts")));
}

// A server desk whose connection breaks in the middle of a save: nothing
// is written, the edit stays on screen, and the next save commits on the
// connection the desk made again; the status bar says so.
class ServerListView : public WindowDriver<::testing::Test> {
protected:
    FreshDatabase db{Engine::Postgres};
    void SetUp() override { openWindow(db); }
};

TEST_F(ServerListView, ASaveCutByALostConnectionKeepsTheEdit) {
    // The server ends the desk's session as the first row arrives (a
    // sequence counts outside the transaction the break undoes).
    auto other = db.openStore();
    other->execute(QStringLiteral("CREATE SEQUENCE arrivals"));
    other->execute(QStringLiteral(
        "CREATE FUNCTION cut() RETURNS trigger AS $$ BEGIN IF nextval('arrivals') = 1 THEN "
        "PERFORM pg_terminate_backend(pg_backend_pid()); PERFORM pg_sleep(5); END IF; RETURN "
        "NEW; END $$ LANGUAGE plpgsql"));
    other->execute(QStringLiteral("CREATE TRIGGER cut BEFORE INSERT ON Table_category FOR EACH "
                                  "ROW EXECUTE FUNCTION cut()"));
    press(QStringLiteral("Command_Categories_0"));
    FlexGrid* grid = window->categoryView()->grid();
    clickCell(grid, grid->rows() - 1, 1); // the "*" row: a new item
    typeInto(QStringLiteral("Text_category"), QStringLiteral("Masts"));
    press(QStringLiteral("Command_save_category_changes_1"));
    EXPECT_EQ(scripted.messages,
              strings({"An error occurred while saving the changes: The connection to the server "
                       "was lost while saving; nothing was saved. Save again."}));
    EXPECT_EQ(child<QLineEdit>(QStringLiteral("Text_category"))->text(), QStringLiteral("Masts"));

    // The watch finds the break and the connection made again.
    QStatusBar* bar = window->statusBar();
    QTRY_VERIFY_WITH_TIMEOUT(bar->currentMessage().startsWith(QLatin1String("Connected to")),
                             10000);
    press(QStringLiteral("Command_save_category_changes_1"));
    EXPECT_EQ(scripted.messages.size(), 1)
        << scripted.messages.join(QLatin1Char(',')).toStdString();
    EXPECT_EQ(other
                  ->select(QStringLiteral("SELECT count(*) FROM Table_category WHERE Name = "
                                          "'Masts'"),
                           {}, {FieldType::Long})
                  .front()[0],
              1);
}

} // namespace
