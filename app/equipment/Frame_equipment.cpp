#include "Frame_equipment.h"

#include "ComboHelpers.h"
#include "CommandRunner.h"
#include "FlexGrid.h"
#include "Frame_photo.h"
#include "RecordHelpers.h"
#include "RichTextBox.h"
#include "Session.h"
#include "UiServices.h"
#include "ViewContext.h"
#include "ViewParts.h"

#include <imagelet/Imagelet.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace gearlog {

namespace {

struct Measurement {
    const char* field;
    const char* label;
    const char* tip;
    const char* noun;
    const char* format; // how a stored value shows
};
const Measurement measurements[4] = {
    {"Weight", "Weight", "Weight of equipment in kg", "weight", "0.0"},
    {"Height", "Height", "Height of equipment in cm", "height", "0"},
    {"Width", "Width", "Width of equipment in cm", "width", "0"},
    {"Depth", "Depth", "Depth of equipment in cm", "depth", "0"},
};

} // namespace

Frame_equipment::Frame_equipment(ViewContext& context, QWidget* parent)
    : QFrame(parent), m_context(context) {
    setUpViewFrame(*this, QStringLiteral("Frame_equipment"), QStringLiteral("Equipment"));

    Combo_select_equipment_category = new QComboBox(this);
    Combo_select_equipment_category->setObjectName(
        QStringLiteral("Combo_select_equipment_category"));
    Combo_select_equipment_category->setToolTip(
        QStringLiteral("The category group for which assets are to be displayed"));
    Combo_select_equipment_category->setGeometry(90, 10, 300, 26);
    makeLabel(this, QStringLiteral("Category"), Combo_select_equipment_category, {10, 10, 80, 26});
    connect(Combo_select_equipment_category, &QComboBox::activated, this,
            guarded([this] { Combo_select_equipment_category_Click(); }));

    Grid_equipment =
        makeListGrid(this, QStringLiteral("Grid_equipment"), QStringLiteral("Equipment grid"),
                     QStringLiteral("Click on an existing name to delete or modify it. Click on "
                                    "the last row to add a new item."),
                     {10, 45, 380, 585});
    connect(Grid_equipment, &FlexGrid::Click, this, guarded([this] { Grid_equipment_Click(); }));
    connect(Grid_equipment, &FlexGrid::RightClick, this,
            [this](const QPoint& at) { m_context.popupMenu(at); });
    connect(Grid_equipment, &FlexGrid::RowChanged, this,
            guarded([this] { Grid_equipment_Click(); }));

    const int x = 500;
    Text_equipment = new QLineEdit(this);
    Text_equipment->setObjectName(QStringLiteral("Text_equipment"));
    Text_equipment->setToolTip(QStringLiteral("Name of this piece of equipment in the database"));
    Text_equipment->setGeometry(x, 10, 360, 26);
    makeLabel(this, QStringLiteral("Name"), Text_equipment, {410, 10, 90, 26});
    connect(Text_equipment, &QLineEdit::textEdited, this,
            guarded([this] { Text_equipment_Change(); }));

    Combo_equipment_category = new QComboBox(this);
    Combo_equipment_category->setObjectName(QStringLiteral("Combo_equipment_category"));
    Combo_equipment_category->setToolTip(
        QStringLiteral("The category group to which this piece of equipment belongs"));
    Combo_equipment_category->setGeometry(x, 45, 360, 26);
    makeLabel(this, QStringLiteral("Category"), Combo_equipment_category, {410, 45, 90, 26});
    connect(Combo_equipment_category, &QComboBox::activated, this,
            guarded([this] { Text_equipment_Change(); }));

    for (int i = 0; i < 4; ++i) {
        auto* box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("Text_equipment_weight_%1").arg(i));
        box->setProperty("Index", i);
        box->setToolTip(QString::fromLatin1(measurements[i].tip));
        box->setGeometry(x, 80 + i * 35, 120, 26);
        makeLabel(this, QString::fromLatin1(measurements[i].label), box,
                  {410, 80 + i * 35, 90, 26});
        connect(box, &QLineEdit::textEdited, this, guarded([this] { Text_equipment_Change(); }));
        Text_equipment_weight[static_cast<size_t>(i)] = box;
    }

    rtf_equipment_comments = new RichTextBox(this);
    rtf_equipment_comments->setObjectName(QStringLiteral("rtf_equipment_comments"));
    rtf_equipment_comments->setGeometry(x, 225, 360, 150);
    makeLabel(this, QStringLiteral("Comments"), rtf_equipment_comments, {410, 225, 90, 26});
    connect(rtf_equipment_comments, &RichTextBox::textChanged, this, [this] {
        if (!m_context.state().loading)
            Text_equipment_Change();
    });

    Combo_equipment_photograph = new QComboBox(this);
    Combo_equipment_photograph->setObjectName(QStringLiteral("Combo_equipment_photograph"));
    Combo_equipment_photograph->setToolTip(
        QStringLiteral("The picture of this piece of equipment"));
    Combo_equipment_photograph->setGeometry(x, 385, 360, 26);
    makeLabel(this, QStringLiteral("Photograph"), Combo_equipment_photograph, {410, 385, 90, 26});
    connect(Combo_equipment_photograph, &QComboBox::currentIndexChanged, this,
            guarded([this] { Combo_equipment_photograph_Click(); }));

    Imagelet_equipment = new imagelet::Imagelet(this);
    Imagelet_equipment->setObjectName(QStringLiteral("Imagelet_equipment"));
    Imagelet_equipment->setGeometry(870, 10, 200, 200);

    const RecordCommands commands =
        makeRecordCommands(this, QStringLiteral("equipment"), {x, 425, 110, 30}, 115,
                           {[this] { Command_create_equipment_Click(); },
                            [this](int index) { Command_save_equipment_changes_Click(index); },
                            [this] { Command_clear_equipment_changes_Click(); },
                            [this] {
                                Command_delete_equipment_Click();
                            }});
    Command_create_equipment = commands.create;
    Command_save_equipment_changes = commands.save;
    Command_clear_equipment_changes = commands.reset;
    Command_delete_equipment = commands.remove;
    hide();
}

void Frame_equipment::Command_Equipment_Click() {
    Command_delete_equipment->setEnabled(false);
    Command_save_equipment_changes[0]->setEnabled(false);
    Command_save_equipment_changes[1]->setEnabled(false);
    Command_clear_equipment_changes->setEnabled(false);
    Session& session = m_context.session();
    AppState& state = m_context.state();
    {
        LoadingGuard loading(state.loading);
        Combo_select_equipment_category->clear();
        Combo_select_equipment_category->addItem(QStringLiteral("All"), -1);
        fill_combo(session.rs_category(), QStringLiteral("ID"), QStringLiteral("Name"),
                   *Combo_select_equipment_category, false);
        Combo_select_equipment_category->setCurrentIndex(-1);
        fill_combo(session.rs_category(), QStringLiteral("ID"), QStringLiteral("Name"),
                   *Combo_equipment_category, true);
        fill_combo(session.rs_photo(), QStringLiteral("ID"), QStringLiteral("Name"),
                   *Combo_equipment_photograph, true);
    }
    load_Equipment_list();
}

int Frame_equipment::selectedEquipment() {
    const QString& name = m_context.state().current_equipment;
    Recordset& equipment = m_context.session().rs_equipment();
    return !name.isEmpty() && find_record_by_text(equipment, QStringLiteral("Name"), name)
               ? key_of(equipment, QStringLiteral("ID"))
               : -1;
}

void Frame_equipment::showEquipment(int equipmentId) {
    Recordset& equipment = m_context.session().rs_equipment();
    if (!find_record_by_number(equipment, QStringLiteral("ID"), equipmentId))
        return;
    const QString name = equipment.value(QStringLiteral("Name")).toString();
    if (select_combo_item(*Combo_select_equipment_category,
                          key_of(equipment, QStringLiteral("CategoryID"))) < 0)
        return;
    Combo_select_equipment_category_Click();
    for (int r = 1; r < Grid_equipment->rows() - 1; ++r)
        if (Grid_equipment->textMatrix(r, 1) == name) {
            Grid_equipment->setRow(r);
            Grid_equipment->setCol(1);
            Grid_equipment_Click();
            Grid_equipment->setFocus(Qt::OtherFocusReason);
            return;
        }
}

void Frame_equipment::Combo_select_equipment_category_Click() {
    load_Equipment_list();
}

void Frame_equipment::load_Equipment_list() {
    AppState& state = m_context.state();
    Session& session = m_context.session();
    LoadingGuard loading(state.loading);
    const int filter = Combo_select_equipment_category->currentIndex();
    const int category = filter >= 1 ? Combo_select_equipment_category->currentData().toInt() : -1;
    // The whole list is the equipment table's own cursor: nothing to read
    // again; a category's list is a query of its own.
    Recordset& rs_query =
        category != -1
            ? session.open_query(
                  QStringLiteral(
                      "SELECT * FROM Table_Equipment WHERE CategoryID = %1 ORDER BY Name")
                      .arg(category))
            : session.rs_equipment();
    const int n = record_count(rs_query);
    Grid_equipment->setRows(n + 2);
    Grid_equipment->fitLastColumn();
    QString fill = QStringLiteral("ID\tName\r");
    int r = 1;
    const Recordset::FieldRef name = rs_query.field(QStringLiteral("Name"));
    for (rs_query.moveFirst(); !rs_query.eof(); rs_query.moveNext(), ++r)
        fill += QString::number(r) + QLatin1Char('\t') + rs_query.value(name).toString() +
                QLatin1Char('\r');
    fill += QStringLiteral("*\t\r");
    Grid_equipment->fillAll(fill, 1, 1);
    loading.lower();
    if (!state.current_equipment.isEmpty() &&
        !find_record_by_text(session.rs_equipment(), QStringLiteral("Name"),
                             state.current_equipment))
        state.current_equipment.clear();
    // The selected row moves with the list; find it again by name.
    current_equipment_row = -1;
    for (int row = 1; row <= n && !state.current_equipment.isEmpty(); ++row)
        if (Grid_equipment->textMatrix(row, 1) == state.current_equipment) {
            current_equipment_row = row;
            break;
        }
    Command_clear_equipment_changes_Click();
}

void Frame_equipment::Grid_equipment_Click() {
    const int row = Grid_equipment->row();
    if (row == 0 || Grid_equipment->col() == 0)
        return;
    AppState& state = m_context.state();
    const bool lastRow = row == Grid_equipment->rows() - 1;
    state.current_equipment = lastRow ? QString() : Grid_equipment->textMatrix(row, 1);
    current_equipment_row = lastRow ? -1 : row;
    Text_equipment->setText(state.current_equipment);
    if (state.current_equipment.isEmpty())
        clear_equipment_form();
    else
        fillForm();
    resetButtons();
}

void Frame_equipment::fillForm() {
    Session& session = m_context.session();
    Recordset& equipment = session.rs_equipment();
    if (!find_record_by_text(equipment, QStringLiteral("Name"),
                             m_context.state().current_equipment))
        return;
    AppState& state = m_context.state();
    LoadingGuard loading(state.loading);
    for (int i = 0; i < 4; ++i) {
        QLineEdit* box = Text_equipment_weight[static_cast<size_t>(i)];
        box->clear();
        const QVariant value = equipment.value(QString::fromLatin1(measurements[i].field));
        if (value.isValid() && value.toDouble() > 0)
            box->setText(QString::number(value.toDouble(), 'f', i == 0 ? 1 : 0));
    }
    const QVariant comments = equipment.value(QStringLiteral("Comments"));
    rtf_equipment_comments->setTextRTF(comments.isValid() ? comments.toString() : QString());
    // A category or photograph that cannot be found leaves its choice empty.
    Combo_equipment_category->setCurrentIndex(-1);
    select_combo_item(*Combo_equipment_category,
                      equipment.value(QStringLiteral("CategoryID")).toInt());
    const int photograph = equipment.value(QStringLiteral("PhotographID")).toInt();
    loading.lower();
    Combo_equipment_photograph->setCurrentIndex(-1);
    Imagelet_equipment->Reset();
    if (photograph > 0)
        select_combo_item(*Combo_equipment_photograph, photograph);
    if (m_equipmentShown)
        m_equipmentShown(equipment.value(QStringLiteral("ID")).toInt());
}

void Frame_equipment::resetButtons() {
    const bool selected =
        !m_context.state().current_equipment.isEmpty() && current_equipment_row >= 0;
    Command_delete_equipment->setEnabled(selected);
    Command_save_equipment_changes[0]->setEnabled(false);
    Command_save_equipment_changes[1]->setEnabled(false);
    Command_clear_equipment_changes->setEnabled(false);
}

void Frame_equipment::Combo_equipment_photograph_Click() {
    if (m_context.state().loading)
        return;
    if (Combo_equipment_photograph->currentIndex() < 0) {
        Imagelet_equipment->Reset();
        return;
    }
    Session& session = m_context.session();
    Recordset& photos = session.rs_photo();
    if (!find_record_by_number(photos, QStringLiteral("ID"),
                               Combo_equipment_photograph->currentData().toInt())) {
        Imagelet_equipment->Reset();
        return;
    }
    show_stored_photo(*Imagelet_equipment, photos, static_cast<int>(session.connectionType()));
    if (Text_equipment->text().isEmpty())
        Text_equipment->setText(Combo_equipment_photograph->currentText());
    Text_equipment_Change();
}

void Frame_equipment::Text_equipment_Change() {
    Command_delete_equipment->setEnabled(false);
    Command_save_equipment_changes[0]->setEnabled(!m_context.state().current_equipment.isEmpty() &&
                                                  current_equipment_row >= 0);
    Command_save_equipment_changes[1]->setEnabled(true);
    Command_clear_equipment_changes->setEnabled(true);
}

void Frame_equipment::Command_create_equipment_Click() {
    Grid_equipment->setRow(Grid_equipment->rows() - 1);
    Grid_equipment->setCol(1);
    Grid_equipment_Click();
}

void Frame_equipment::Command_clear_equipment_changes_Click() {
    if (!m_context.state().current_equipment.isEmpty() && current_equipment_row != -1) {
        Grid_equipment->setRow(current_equipment_row);
        Grid_equipment->setCol(1);
        Grid_equipment_Click();
    } else {
        clear_equipment_form();
    }
    resetButtons();
}

void Frame_equipment::clear_equipment_form() {
    LoadingGuard loading(m_context.state().loading);
    Text_equipment->clear();
    Combo_equipment_category->setCurrentIndex(-1);
    for (QLineEdit* box : Text_equipment_weight)
        box->clear();
    Combo_equipment_photograph->setCurrentIndex(-1);
    rtf_equipment_comments->clear();
    Imagelet_equipment->Reset();
    if (m_equipmentShown)
        m_equipmentShown(0);
}

bool Frame_equipment::validMeasurements() {
    for (int i = 0; i < 4; ++i) {
        const QString text = Text_equipment_weight[static_cast<size_t>(i)]->text().trimmed();
        if (text.isEmpty())
            continue;
        bool numeric = false;
        const double value = text.toDouble(&numeric);
        const QString noun = QString::fromLatin1(measurements[i].noun);
        if (!numeric) {
            ui().message(QStringLiteral("The equipment %1 is invalid").arg(noun));
            return false;
        }
        if (value <= 0) {
            ui().message(QStringLiteral("The equipment %1 must be positive").arg(noun));
            return false;
        }
    }
    return true;
}

void Frame_equipment::Command_save_equipment_changes_Click(int index) {
    AppState& state = m_context.state();
    const bool replace = index == 0 && !state.current_equipment.isEmpty();
    const QString name = Text_equipment->text();
    if (!name_is_acceptable(name, QStringLiteral("equipment")))
        return;
    if (Combo_equipment_category->currentIndex() < 0) {
        ui().message(QStringLiteral("The equipment category has not been specified"));
        return;
    }
    if (!validMeasurements())
        return;
    Session& session = m_context.session();
    Recordset& equipment = session.rs_equipment();
    write_and_reload(
        m_context, save_caption(index),
        QStringLiteral("An error occurred while saving the changes: "),
        [&] {
            const bool found =
                replace ? find_record_by_text(equipment, QStringLiteral("Name"),
                                              state.current_equipment)
                        : find_stored_record_by_text(equipment, QStringLiteral("Name"), name);
            if (replace && found) {
                equipment.edit();
            } else {
                if (!replace && found) {
                    ui().message(QStringLiteral("That equipment name already exists"));
                    return false;
                }
                add_new_record(equipment, session.database(), QStringLiteral("Table_equipment"));
            }
            equipment.setValue(QStringLiteral("Name"), name);
            equipment.setValue(QStringLiteral("CategoryID"),
                               Combo_equipment_category->currentData());
            equipment.setValue(QStringLiteral("PhotographID"),
                               Combo_equipment_photograph->currentIndex() < 0
                                   ? QVariant(-1)
                                   : Combo_equipment_photograph->currentData());
            for (int i = 0; i < 4; ++i) {
                const QString text =
                    Text_equipment_weight[static_cast<size_t>(i)]->text().trimmed();
                equipment.setValue(QString::fromLatin1(measurements[i].field),
                                   text.isEmpty() ? QVariant(0) : QVariant(text));
            }
            equipment.setValue(QStringLiteral("Comments"), rtf_equipment_comments->textRTF());
            equipment.update();
            state.current_equipment = name;
            return true;
        },
        [this] { load_Equipment_list(); });
}

void Frame_equipment::Command_delete_equipment_Click() {
    AppState& state = m_context.state();
    if (state.current_equipment.isEmpty())
        return;
    Recordset& equipment = m_context.session().rs_equipment();
    if (!find_record_by_text(equipment, QStringLiteral("Name"), state.current_equipment))
        return;
    const Reference used{
        QStringLiteral("Table_Asset"),
        {QStringLiteral("EquipmentID")},
        QStringLiteral("ModelNumber"),
        QStringLiteral("ID"),
        QStringLiteral("You cannot delete this equipment as it is in use by the asset ")};
    delete_unless_referenced(m_context, QStringLiteral("Delete"),
                             QStringLiteral("An error occurred while deleting the equipment: "),
                             equipment, equipment.value(QStringLiteral("ID")).toInt(), {used}, [&] {
                                 state.current_equipment.clear();
                                 load_Equipment_list();
                             });
}

} // namespace gearlog
