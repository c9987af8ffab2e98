#include "FlexGrid.h"
#include "Frame_photo.h"
#include "OpenWindow.h"
#include "PictureFiles.h"

#include <imagelet/Imagelet.h>

#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>

using namespace gearlog;
using namespace gearlog::test;

namespace {

class PhotoView : public OpenWindow {
protected:
    QTemporaryDir pictures;
    Frame_photo* view() { return window->photoView(); }
    QLineEdit* nameBox() { return child<QLineEdit>(QStringLiteral("Text_photo")); }
    QScrollBar* scroll() { return child<QScrollBar>(QStringLiteral("VScroll_photo")); }
    QWidget* storeButton() { return child(QStringLiteral("Command_Store_photo_in_database")); }
    void show() { click(QStringLiteral("Command_Load_Photo")); }
    // Chooses a picture file and stores it under the proposed (or given) name.
    void store(const QString& fileName, const QString& name = {}, const QColor& colour = Qt::red) {
        scripted.files.push_back(writePicture(pictures.filePath(fileName), 60, 40, colour));
        view()->Command_OpenPhoto_Click();
        if (!name.isNull())
            nameBox()->setText(name);
        view()->Command_Store_photo_in_database_Click();
    }
    void rename(const QString& name) {
        nameBox()->setText(name);
        view()->Text_photo_Change();
        view()->Command_save_photo_changes_Click();
    }
    QStringList names() {
        QStringList result;
        for (int r = 1; r < view()->grid()->rows(); ++r)
            result << view()->grid()->textMatrix(r, 1);
        return result;
    }
};

TEST_F(PhotoView, EmptyLibraryThenStoreAndBrowse) {
    show();
    EXPECT_EQ(view()->grid()->rows(), 1);
    EXPECT_FALSE(scroll()->isEnabled());
    EXPECT_FALSE(view()->imagelet()->hasPicture());
    EXPECT_TRUE(storeButton()->isHidden());

    scripted.files.push_back(writePicture(
        pictures.filePath(QStringLiteral("pump_front_view.jpg.png")), 60, 40, Qt::red));
    view()->Command_OpenPhoto_Click();
    EXPECT_EQ(nameBox()->text(), QStringLiteral("pump front view"));
    EXPECT_FALSE(storeButton()->isHidden());
    view()->Command_Store_photo_in_database_Click();
    EXPECT_EQ(names(), strings({"pump front view"}));
    EXPECT_TRUE(storeButton()->isHidden());
    EXPECT_TRUE(view()->imagelet()->hasPicture());
    EXPECT_EQ(window->state().current_photo, QStringLiteral("pump front view"));

    store(QStringLiteral("valve.png"));
    ASSERT_EQ(names(), strings({"pump front view", "valve"}));
    EXPECT_EQ(scroll()->value(), 2);
    EXPECT_EQ(scroll()->maximum(), 2);
    view()->grid()->setRow(1);
    view()->grid()->setCol(1);
    view()->Grid_photo_Click();
    EXPECT_EQ(scroll()->value(), 1);
    EXPECT_EQ(nameBox()->text(), QStringLiteral("pump front view"));
    scroll()->setValue(2);
    EXPECT_EQ(nameBox()->text(), QStringLiteral("valve"));
    EXPECT_TRUE(child(QStringLiteral("Command_delete_photo"))->isEnabled());
    EXPECT_TRUE(unexpected().isEmpty()) << unexpected().toStdString();
}

TEST_F(PhotoView, StoreAsksBeforeOverwritingAndChecksTheName) {
    show();
    store(QStringLiteral("gauge.png"));
    scripted.yesNo.push_back(false);
    store(QStringLiteral("gauge.png"), {}, Qt::blue);
    EXPECT_EQ(scripted.questions, strings({"That name is already in the database. Do you want to "
                                           "overwrite the existing record?"}));
    EXPECT_FALSE(storeButton()->isHidden());
    EXPECT_EQ(names(), strings({"gauge"}));
    // While the question waits, another desk can write.
    QString otherDesk;
    anotherDeskWritesWhileShown(db, otherDesk);
    scripted.yesNo.push_back(true);
    view()->Command_Store_photo_in_database_Click();
    scripted.whileShown = {};
    EXPECT_EQ(otherDesk, QString());
    EXPECT_EQ(names(), strings({"gauge"}));
    EXPECT_EQ(session().rs_photo().recordCount(), 1);

    store(QStringLiteral("x.png"), QStringLiteral("  "));
    store(QStringLiteral("y.png"), QString(129, QLatin1Char('n')));
    EXPECT_EQ(scripted.messages,
              strings({"The photo name cannot be blank", "The photo name is too long"}));
    EXPECT_EQ(session().rs_photo().recordCount(), 1);
}

TEST_F(PhotoView, RenameRules) {
    show();
    store(QStringLiteral("alpha.png"));
    store(QStringLiteral("beta.png"));
    rename(QString(128, QLatin1Char('b')));
    EXPECT_TRUE(names().contains(QString(128, QLatin1Char('b'))));
    rename(QString(129, QLatin1Char('b')));
    EXPECT_EQ(scripted.messages, strings({"The photo name is too long"}));
    rename(QStringLiteral("alpha"));
    EXPECT_EQ(scripted.messages.last(), QStringLiteral("The specified photo name already exists"));
    EXPECT_EQ(nameBox()->text(), QString(128, QLatin1Char('b'))); // back to the stored name
    rename(QStringLiteral("  "));
    EXPECT_EQ(scripted.messages.last(), QStringLiteral("The photo name cannot be blank"));
    scroll()->setValue(1);
    rename(QStringLiteral("ALPHA")); // a change of letter case alone
    EXPECT_TRUE(names().contains(QStringLiteral("ALPHA")));
}

TEST_F(PhotoView, DeleteRefusesAPhotographInUse) {
    show();
    store(QStringLiteral("used.png"));
    store(QStringLiteral("spare.png"));
    add(session().rs_equipment(), {{QStringLiteral("ID"), 1},
                                   {QStringLiteral("Name"), QStringLiteral(" Magnetometer ")},
                                   {QStringLiteral("CategoryID"), 1},
                                   {QStringLiteral("PhotographID"), 1}});
    scroll()->setValue(2);
    ASSERT_EQ(nameBox()->text(), QStringLiteral("used"));
    click(QStringLiteral("Command_delete_photo"));
    EXPECT_EQ(scripted.messages, strings({"You cannot delete this photo as it is currently in use "
                                          "by the equipment Magnetometer"}));
    scroll()->setValue(1);
    click(QStringLiteral("Command_delete_photo"));
    EXPECT_EQ(names(), strings({"used"}));
}

TEST(PhotoNames, ProposedFromTheFileName) {
    EXPECT_EQ(propose_photo_name(QStringLiteral("/home/a.b.c/pump_front_view.jpg")),
              QStringLiteral("pump front view"));
    EXPECT_EQ(propose_photo_name(QStringLiteral("/x/pump.front.jpg")), QStringLiteral("pump"));
    EXPECT_EQ(propose_photo_name(QStringLiteral("noextension")), QStringLiteral("noextension"));
}

// Mouse and keys only: pick a photograph in the grid, rename it, save.
TEST_F(PhotoView, RenamesWithRealMouseAndKeys) {
    show();
    store(QStringLiteral("pump_front.png"));
    store(QStringLiteral("valve.png"));
    clickRow(view()->grid(), QStringLiteral("pump front"));
    EXPECT_EQ(nameBox()->text(), QStringLiteral("pump front"));
    typeInto(QStringLiteral("Text_photo"), QStringLiteral("Pump, front view"));
    press(QStringLiteral("Command_save_photo_changes"));
    EXPECT_EQ(names(), strings({"Pump, front view", "valve"}));
    EXPECT_TRUE(scripted.messages.isEmpty())
        << scripted.messages.join(QLatin1Char(',')).toStdString();
}

// A double-click on "Delete This Photo" deletes one photograph, not the
// next one that the first delete brings up.
TEST_F(PhotoView, ADoubleClickOnDeleteDeletesOne) {
    show();
    store(QStringLiteral("first.png"));
    store(QStringLiteral("second.png"));
    store(QStringLiteral("third.png"));
    clickRow(view()->grid(), QStringLiteral("first"));
    window->show();
    auto* remove = child<QPushButton>(QStringLiteral("Command_delete_photo"));
    QTest::mouseClick(remove, Qt::LeftButton);
    QTest::mouseDClick(remove, Qt::LeftButton);
    EXPECT_EQ(names(), strings({"second", "third"}));
}

// A cancelled file dialog leaves no picture, and nothing can be stored.
TEST_F(PhotoView, NothingToStoreAfterACancelledDialog) {
    show();
    scripted.files.push_back(
        writePicture(pictures.filePath(QStringLiteral("a.png")), 20, 20, Qt::blue));
    press(QStringLiteral("Command_OpenPhoto"));
    EXPECT_TRUE(storeButton()->isEnabled());
    scripted.files.push_back(QString()); // cancelled
    press(QStringLiteral("Command_OpenPhoto"));
    EXPECT_FALSE(storeButton()->isEnabled());
    view()->Command_Store_photo_in_database_Click();
    EXPECT_EQ(record_count(session().rs_photo()), 0);
}

// The photograph grid offers no "Save as Excel": a right-click shows nothing.
TEST_F(PhotoView, TheGridOffersNoSpreadsheetMenu) {
    show();
    store(QStringLiteral("first.png"));
    window->show();
    QTest::mouseClick(view()->grid()->viewport(), Qt::RightButton, {}, QPoint(20, 10));
    EXPECT_FALSE(window->mnuPopup()->isVisible());
}

} // namespace
