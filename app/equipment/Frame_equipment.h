#pragma once

#include <QFrame>
#include <array>
#include <functional>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace imagelet {
class Imagelet;
}

namespace gearlog {

class FlexGrid;
class RichTextBox;
class ViewContext;

// The equipment catalogue: types listed by category filter, edited in
// place with their measurements, comments and photograph.
class Frame_equipment : public QFrame {
    Q_OBJECT
public:
    Frame_equipment(ViewContext& context, QWidget* parent);

    // Prepares the view (the caller then brings it up).
    void Command_Equipment_Click();
    void load_Equipment_list();
    // Lists the type's category and selects the type as a click on its row
    // would (after Command_Equipment_Click).
    void showEquipment(int equipmentId);
    void clear_equipment_form();
    void Grid_equipment_Click();
    void Command_create_equipment_Click();
    void Command_save_equipment_changes_Click(int index);
    void Command_clear_equipment_changes_Click();
    void Command_delete_equipment_Click();
    void Text_equipment_Change();
    void Combo_equipment_photograph_Click();
    void Combo_select_equipment_category_Click();

    FlexGrid* grid() const { return Grid_equipment; }
    // The key of the type selected, or -1.
    int selectedEquipment();
    // Called with the type the form shows (0: none), for what features
    // show beside the form.
    void onEquipmentShown(std::function<void(int)> shown) { m_equipmentShown = std::move(shown); }

private:
    void fillForm();
    void resetButtons();
    bool validMeasurements();

    ViewContext& m_context;
    int current_equipment_row = -1;
    QComboBox* Combo_select_equipment_category;
    FlexGrid* Grid_equipment;
    QLineEdit* Text_equipment;
    QComboBox* Combo_equipment_category;
    std::array<QLineEdit*, 4> Text_equipment_weight{};
    RichTextBox* rtf_equipment_comments;
    QComboBox* Combo_equipment_photograph;
    imagelet::Imagelet* Imagelet_equipment;
    QPushButton* Command_create_equipment;
    std::array<QPushButton*, 2> Command_save_equipment_changes{};
    QPushButton* Command_clear_equipment_changes;
    QPushButton* Command_delete_equipment;
    std::function<void(int)> m_equipmentShown;
};

} // namespace gearlog
