#include "FlexGrid.h"
#include "Frame_equipment.h"
#include "OpenWindow.h"
#include "PictureFiles.h"
#include "RichTextBox.h"

#include <imagelet/Imagelet.h>

#include <QComboBox>
#include <QLineEdit>

using namespace gearlog;
using namespace gearlog::test;

namespace {

class EquipmentView : public OpenWindow {
protected:
    Frame_equipment* view() { return window->equipmentView(); }
    QLineEdit* box(const char* name) { return child<QLineEdit>(QString::fromLatin1(name)); }
    QComboBox* combo(const char* name) { return child<QComboBox>(QString::fromLatin1(name)); }
    bool enabled(const char* name) { return child(QString::fromLatin1(name))->isEnabled(); }
    void show() { click(QStringLiteral("Command_Equipment")); }
    void type(const char* name, const QString& text) {
        box(name)->setText(text);
        view()->Text_equipment_Change();
    }
    void chooseCategory(const QString& name) {
        combo("Combo_equipment_category")
            ->setCurrentIndex(combo("Combo_equipment_category")->findText(name));
    }
    void select(const QString& name) {
        FlexGrid* grid = view()->grid();
        for (int r = 1; r < grid->rows(); ++r)
            if (grid->textMatrix(r, 1) == name) {
                grid->setRow(r);
                grid->setCol(1);
                view()->Grid_equipment_Click();
                return;
            }
        ADD_FAILURE() << name.toStdString();
    }
    void addEquipment(int id, const QString& name, int category, const QVariantMap& more = {}) {
        QVariantMap values{{QStringLiteral("ID"), id},
                           {QStringLiteral("Name"), name},
                           {QStringLiteral("CategoryID"), category}};
        values.insert(more);
        add(session().rs_equipment(), values);
    }
};

TEST_F(EquipmentView, SaveChecksInOrder) {
    show();
    click(QStringLiteral("Command_create_equipment"));
    type("Text_equipment", QString());
    view()->Command_save_equipment_changes_Click(1);
    type("Text_equipment", QString(256, QLatin1Char('e')));
    view()->Command_save_equipment_changes_Click(1);
    type("Text_equipment", QStringLiteral("Receiver"));
    view()->Command_save_equipment_changes_Click(1);
    chooseCategory(QStringLiteral("Rx"));
    const char* boxes[] = {"Text_equipment_weight_0", "Text_equipment_weight_1",
                           "Text_equipment_weight_2", "Text_equipment_weight_3"};
    for (const char* b : boxes) {
        type(b, QStringLiteral("heavy"));
        view()->Command_save_equipment_changes_Click(1);
        type(b, QStringLiteral("0"));
        view()->Command_save_equipment_changes_Click(1);
        type(b, QStringLiteral("2"));
    }
    EXPECT_EQ(scripted.messages,
              strings({"The equipment name cannot be blank", "The equipment name is too long",
                       "The equipment category has not been specified",
                       "The equipment weight is invalid", "The equipment weight must be positive",
                       "The equipment height is invalid", "The equipment height must be positive",
                       "The equipment width is invalid", "The equipment width must be positive",
                       "The equipment depth is invalid", "The equipment depth must be positive"}));
    type("Text_equipment_weight_0", QStringLiteral("12.34"));
    type("Text_equipment_weight_3", QString()); // an empty box saves as 0
    view()->Command_save_equipment_changes_Click(1);
    ASSERT_EQ(scripted.messages.size(), 11);
    Recordset& equipment = session().rs_equipment();
    ASSERT_TRUE(find_record_by_text(equipment, QStringLiteral("Name"), QStringLiteral("Receiver")));
    EXPECT_FLOAT_EQ(equipment.value(QStringLiteral("Weight")).toFloat(), 12.34f);
    EXPECT_EQ(equipment.value(QStringLiteral("Depth")).toInt(), 0);
    EXPECT_EQ(equipment.value(QStringLiteral("PhotographID")).toInt(), -1);
    EXPECT_EQ(equipment.value(QStringLiteral("CategoryID")).toInt(), 1);
    // Shown back: the weight to one decimal, a stored 0 as an empty box.
    EXPECT_EQ(box("Text_equipment_weight_0")->text(), QStringLiteral("12.3"));
    EXPECT_EQ(box("Text_equipment_weight_3")->text(), QString());
    EXPECT_TRUE(enabled("Command_delete_equipment"));
    EXPECT_FALSE(enabled("Command_save_equipment_changes_1"));

    click(QStringLiteral("Command_create_equipment"));
    type("Text_equipment", QStringLiteral("RECEIVER"));
    chooseCategory(QStringLiteral("Tx"));
    view()->Command_save_equipment_changes_Click(1);
    EXPECT_EQ(scripted.messages.last(), QStringLiteral("That equipment name already exists"));
}

TEST_F(EquipmentView, FilterAndFormFilling) {
    add(session().rs_photo(),
        {{QStringLiteral("ID"), 1}, {QStringLiteral("Name"), QStringLiteral("No picture yet")}});
    addEquipment(1, QStringLiteral("Coil"), 3,
                 {{QStringLiteral("Height"), 0}, {QStringLiteral("Width"), 40}});
    addEquipment(2, QStringLiteral("Orphan"), 99, {{QStringLiteral("Depth"), 5}});
    show();
    EXPECT_EQ(view()->grid()->rows(), 4);
    QComboBox* filter = combo("Combo_select_equipment_category");
    filter->setCurrentIndex(filter->findText(QStringLiteral("Radio")));
    view()->Combo_select_equipment_category_Click();
    EXPECT_EQ(view()->grid()->rows(), 2);
    filter->setCurrentIndex(0); // "All"
    view()->Combo_select_equipment_category_Click();
    select(QStringLiteral("Coil"));
    EXPECT_EQ(box("Text_equipment_weight_1")->text(), QString());
    EXPECT_EQ(box("Text_equipment_weight_2")->text(), QStringLiteral("40"));
    EXPECT_EQ(combo("Combo_equipment_category")->currentText(), QStringLiteral("Cables"));
    EXPECT_EQ(combo("Combo_equipment_photograph")->currentIndex(), -1);
    // A category that no longer exists leaves that choice empty but fills the rest.
    select(QStringLiteral("Orphan"));
    EXPECT_EQ(combo("Combo_equipment_category")->currentIndex(), -1);
    EXPECT_EQ(box("Text_equipment_weight_3")->text(), QStringLiteral("5"));
    EXPECT_EQ(box("Text_equipment_weight_2")->text(), QString());
    EXPECT_TRUE(enabled("Command_delete_equipment"));
}

TEST_F(EquipmentView, PhotographProposesTheNameAndShows) {
    QTemporaryDir dir;
    const QString file = writePicture(dir.filePath(QStringLiteral("p.png")), 30, 30, Qt::yellow);
    QFile picture(file);
    ASSERT_TRUE(picture.open(QIODevice::ReadOnly));
    add(session().rs_photo(), {{QStringLiteral("ID"), 4},
                               {QStringLiteral("Name"), QStringLiteral("Yellow box")},
                               {QStringLiteral("Photo"), picture.readAll()}});
    show();
    click(QStringLiteral("Command_create_equipment"));
    combo("Combo_equipment_photograph")->setCurrentIndex(0);
    EXPECT_EQ(box("Text_equipment")->text(), QStringLiteral("Yellow box"));
    EXPECT_TRUE(enabled("Command_save_equipment_changes_1"));
    auto* photo = child<imagelet::Imagelet>(QStringLiteral("Imagelet_equipment"));
    EXPECT_TRUE(photo->hasPicture());
    chooseCategory(QStringLiteral("Radio"));
    view()->Command_save_equipment_changes_Click(1);
    ASSERT_TRUE(find_record_by_text(session().rs_equipment(), QStringLiteral("Name"),
                                    QStringLiteral("Yellow box")));
    EXPECT_EQ(session().rs_equipment().value(QStringLiteral("PhotographID")).toInt(), 4);
    click(QStringLiteral("Command_create_equipment"));
    EXPECT_FALSE(photo->hasPicture());
    select(QStringLiteral("Yellow box"));
    EXPECT_TRUE(photo->hasPicture());
    EXPECT_EQ(combo("Combo_equipment_photograph")->currentText(), QStringLiteral("Yellow box"));
}

TEST_F(EquipmentView, RenameCommentsAndDelete) {
    addEquipment(1, QStringLiteral("Logger"), 4);
    add(session().rs_asset(), {{QStringLiteral("ID"), 1},
                               {QStringLiteral("ModelNumber"), QStringLiteral(" LG-2 ")},
                               {QStringLiteral("EquipmentID"), 1}});
    show();
    select(QStringLiteral("Logger"));
    child<RichTextBox>(QStringLiteral("rtf_equipment_comments"))
        ->setPlainText(QStringLiteral("Keep dry"));
    EXPECT_TRUE(enabled("Command_save_equipment_changes_0"));
    type("Text_equipment", QStringLiteral("Data logger"));
    view()->Command_save_equipment_changes_Click(0);
    Recordset& equipment = session().rs_equipment();
    EXPECT_EQ(equipment.recordCount(), 1);
    ASSERT_TRUE(find_record_by_number(equipment, QStringLiteral("ID"), 1));
    EXPECT_EQ(equipment.value(QStringLiteral("Name")).toString(), QStringLiteral("Data logger"));
    RichTextBox reader;
    reader.setTextRTF(equipment.value(QStringLiteral("Comments")).toString());
    EXPECT_EQ(reader.text(), QStringLiteral("Keep dry"));

    click(QStringLiteral("Command_delete_equipment"));
    EXPECT_EQ(scripted.messages,
              strings({"You cannot delete this equipment as it is in use by the asset LG-2"}));
    session().execute(QStringLiteral("DELETE FROM Table_Asset"));
    click(QStringLiteral("Command_delete_equipment"));
    EXPECT_EQ(equipment.recordCount(), 0);
    EXPECT_EQ(view()->grid()->rows(), 2);
}

// Mouse and keys only: pick a row, change the name and a weight, save.
TEST_F(EquipmentView, EditsWithRealMouseAndKeys) {
    addEquipment(1, QStringLiteral("Receiver"), 1, {{QStringLiteral("Weight"), 2.5}});
    press(QStringLiteral("Command_Equipment"));
    clickRow(view()->grid(), QStringLiteral("Receiver"));
    EXPECT_EQ(box("Text_equipment_weight_0")->text(), QStringLiteral("2.5"));
    typeInto(QStringLiteral("Text_equipment"), QStringLiteral("Receiver Mk2"));
    typeInto(QStringLiteral("Text_equipment_weight_0"), QStringLiteral("3.5"));
    press(QStringLiteral("Command_save_equipment_changes_0"));
    ASSERT_TRUE(find_record_by_number(session().rs_equipment(), QStringLiteral("ID"), 1));
    EXPECT_EQ(session().rs_equipment().value(QStringLiteral("Name")).toString(),
              QStringLiteral("Receiver Mk2"));
    EXPECT_FLOAT_EQ(session().rs_equipment().value(QStringLiteral("Weight")).toFloat(), 3.5f);
    EXPECT_EQ(view()->grid()->textMatrix(1, 1), QStringLiteral("Receiver Mk2"));
    EXPECT_TRUE(scripted.messages.isEmpty())
        << scripted.messages.join(QLatin1Char(',')).toStdString();
}

// Another desk saved the equipment while this one was editing it: the save
// is refused with its prefix, and the form shows that desk's values.
TEST_F(EquipmentView, ASaveOverAnotherDesksChangeIsRefusedAndShowsTheirs) {
    addEquipment(1, QStringLiteral("Pump"), 1, {{QStringLiteral("Weight"), 2.0}});
    press(QStringLiteral("Command_Equipment"));
    clickRow(view()->grid(), QStringLiteral("Pump"));
    db.openSession()->execute(QStringLiteral("UPDATE Table_equipment SET Weight = 9 WHERE ID = 1"));
    typeInto(QStringLiteral("Text_equipment"), QStringLiteral("Pump Mk2"));
    press(QStringLiteral("Command_save_equipment_changes_0"));
    EXPECT_EQ(scripted.messages,
              QStringList{QStringLiteral("An error occurred while saving the changes: The record "
                                         "was changed by another user")});
    auto stored = db.openSession()->openRecordset(QStringLiteral("Table_equipment"));
    EXPECT_EQ(stored->value(QStringLiteral("Name")).toString(), QStringLiteral("Pump"));
    EXPECT_EQ(box("Text_equipment")->text(), QStringLiteral("Pump"));
    EXPECT_EQ(box("Text_equipment_weight_0")->text(), QStringLiteral("9.0"));
}

} // namespace
