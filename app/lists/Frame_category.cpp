#include "Frame_category.h"

#include "ColourCode.h"
#include "CommandRunner.h"
#include "FlexGrid.h"
#include "RecordHelpers.h"
#include "Session.h"
#include "UiServices.h"
#include "ViewContext.h"
#include "ViewParts.h"

#include <QLineEdit>
#include <QPushButton>

namespace gearlog {

namespace {

const char* const listTables[] = {"Table_Category", "Table_status", "Table_address",
                                  "Table_Contact"};
const char* const gridNames[] = {"Categories grid", "Statuses grid", "Locations grid",
                                 "Contacts grid"};
constexpr int white = 0xFFFFFF;

QFrame* subFrame(QWidget* parent, const char* name, const QString& role) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(QString::fromLatin1(name));
    frame->setAccessibleName(role);
    frame->setGeometry(550, 180, 420, 150);
    frame->hide();
    return frame;
}

} // namespace

Frame_category::Frame_category(ViewContext& context, QWidget* parent)
    : QFrame(parent), m_context(context) {
    setUpViewFrame(*this, QStringLiteral("Frame_category"), QStringLiteral("Lists"));

    Grid_category = makeListGrid(this, QStringLiteral("Grid_category"), QString(), QString(),
                                 {10, 10, 520, 600});
    connect(Grid_category, &FlexGrid::Click, this, guarded([this] { Grid_category_Click(); }));
    connect(Grid_category, &FlexGrid::RowChanged, this, guarded([this] { Grid_category_Click(); }));
    connect(Grid_category, &FlexGrid::DblClick, this,
            guarded([this] { Grid_category_DblClick(); }));
    connect(Grid_category, &FlexGrid::RightClick, this,
            [this](const QPoint& at) { m_context.popupMenu(at); });

    Text_category = new QLineEdit(this);
    Text_category->setObjectName(QStringLiteral("Text_category"));
    Text_category->setToolTip(QStringLiteral("Name to be stored in the database list"));
    Text_category->setGeometry(550, 38, 420, 26);
    makeLabel(this, QStringLiteral("Name"), Text_category, {550, 14, 200, 22});
    connect(Text_category, &QLineEdit::textEdited, this,
            guarded([this] { Text_category_Change(); }));

    Command_create_category =
        makeButton(this, QStringLiteral("Command_create_category"), QStringLiteral("Create"),
                   QStringLiteral("Create a new item in the list"), {550, 80, 130, 30});
    connect(Command_create_category, &QPushButton::clicked, this,
            guarded([this] { Command_create_category_Click(); }));
    Command_delete_category = makeButton(
        this, QStringLiteral("Command_delete_category"), QStringLiteral("Delete"),
        QStringLiteral("Delete the currently selected item from the list"), {690, 80, 130, 30});
    connect(Command_delete_category, &QPushButton::clicked, this,
            guarded([this] { Command_delete_category_Click(); }));
    const QString saveCaptions[] = {QStringLiteral("Save "), QStringLiteral("Save New")};
    const QString saveTips[] = {
        QStringLiteral("Replace the current item name with the changed name"),
        QStringLiteral("Save the changed name as a new item in the list")};
    for (int i = 0; i < 2; ++i) {
        QPushButton* b = makeButton(this, QStringLiteral("Command_save_category_changes_%1").arg(i),
                                    saveCaptions[i], saveTips[i], {550 + i * 140, 120, 130, 30});
        b->setProperty("Index", i);
        connect(b, &QPushButton::clicked, this,
                guarded([this, i] { Command_save_category_changes_Click(i); }));
        Command_save_category_changes[static_cast<size_t>(i)] = b;
    }
    Command_Clear_category_changes =
        makeButton(this, QStringLiteral("Command_Clear_category_changes"), QStringLiteral("Reset"),
                   QStringLiteral("Restore the original item name"), {830, 120, 130, 30});
    connect(Command_Clear_category_changes, &QPushButton::clicked, this,
            guarded([this] { Command_Clear_category_changes_Click(); }));

    Frame_contact = subFrame(this, "Frame_contact", QStringLiteral("Contact"));
    Frame_address = subFrame(this, "Frame_address", QStringLiteral("Location"));
    const QString noun[] = {QStringLiteral("contact"), QStringLiteral("address")};
    for (int i = 0; i < 2; ++i) {
        QPushButton* modify = makeButton(i == 0 ? Frame_contact : Frame_address,
                                         QStringLiteral("Command_define_%1_0").arg(noun[i]),
                                         QStringLiteral("Modify the current %1").arg(noun[i]),
                                         QString(), {10, 10, 300, 30});
        QPushButton* create = makeButton(i == 0 ? Frame_contact : Frame_address,
                                         QStringLiteral("Command_define_%1_1").arg(noun[i]),
                                         QStringLiteral("Create a new %1").arg(noun[i]), QString(),
                                         {10, 50, 300, 30});
        QPushButton* remove = makeButton(
            i == 0 ? Frame_contact : Frame_address,
            QStringLiteral("Command_delete_%1").arg(noun[i]),
            QStringLiteral("Delete the current %1").arg(noun[i]),
            QStringLiteral("Delete the currently selected item from the list"), {10, 90, 300, 30});
        modify->setProperty("Index", 0);
        create->setProperty("Index", 1);
        auto& define = i == 0 ? Command_define_contact : Command_define_address;
        define = {modify, create};
        (i == 0 ? Command_delete_contact : Command_delete_address) = remove;
    }
    connect(Command_define_contact[0], &QPushButton::clicked, this,
            guarded([this] { Command_define_contact_Click(0); }));
    connect(Command_define_contact[1], &QPushButton::clicked, this,
            guarded([this] { Command_define_contact_Click(1); }));
    connect(Command_define_address[0], &QPushButton::clicked, this,
            guarded([this] { Command_define_address_Click(0); }));
    connect(Command_define_address[1], &QPushButton::clicked, this,
            guarded([this] { Command_define_address_Click(1); }));
    connect(Command_delete_contact, &QPushButton::clicked, this,
            guarded([this] { Command_delete_contact_Click(); }));
    connect(Command_delete_address, &QPushButton::clicked, this,
            guarded([this] { Command_delete_address_Click(); }));
    hide();
}

void Frame_category::Command_Categories_Click(int index) {
    const bool contacts = index == 3, addresses = index == 2;
    if (contacts)
        Command_delete_contact->setEnabled(false);
    else if (addresses)
        Command_delete_address->setEnabled(false);
    else {
        Command_delete_category->setEnabled(false);
        Command_save_category_changes[0]->setEnabled(false);
        Command_save_category_changes[1]->setEnabled(false);
        Command_Clear_category_changes->setEnabled(false);
    }
    Frame_contact->setVisible(contacts);
    Frame_address->setVisible(addresses);
    m_listKind = index;
    m_listTable = QString::fromLatin1(listTables[index]);
    Grid_category->setAccessibleName(QString::fromLatin1(gridNames[index]));
    QString tip = QStringLiteral("Click on an existing name to delete or modify it. Click on the "
                                 "last row to add a new item.");
    if (contacts || addresses)
        tip += QStringLiteral(" Double-click to edit the item.");
    Grid_category->setToolTip(tip);
    load_category_list();
}

void Frame_category::load_category_list() {
    AppState& state = m_context.state();
    LoadingGuard loading(state.loading);
    Recordset& rs_query = m_context.session().open_query(
        QStringLiteral("SELECT * FROM ") + m_listTable + QStringLiteral(" ORDER BY Name;"));
    const int n = record_count(rs_query);
    Grid_category->setRows(1);
    Grid_category->setRows(n + 2);
    Grid_category->fitLastColumn();
    const bool coloured = m_listKind >= 2;
    QString fill = QStringLiteral("\tName\r");
    if (n > 0) {
        int r = 1;
        for (rs_query.moveFirst(); !rs_query.eof(); rs_query.moveNext(), ++r) {
            QString first = QString::number(r);
            if (coloured) {
                first = QString::number(rs_query.value(QStringLiteral("ID")).toInt());
                const QVariant colour = rs_query.value(QStringLiteral("ColourCode"));
                Grid_category->setCellBackColor(
                    r, 0, colourFromCode(colour.isValid() ? colour.toInt() : white));
            }
            fill += first + QLatin1Char('\t') + rs_query.value(QStringLiteral("Name")).toString() +
                    QLatin1Char('\r');
        }
    }
    Grid_category->setCellBackColor(n + 1, 0, colourFromCode(white));
    fill += QStringLiteral("*\t\r");
    Grid_category->fillAll(fill, 0, 1);
    loading.lower();
    if (coloured)
        state.current_category.clear();
    else if (!state.current_category.isEmpty() &&
             !find_record_by_text(rs_query, QStringLiteral("Name"), state.current_category))
        state.current_category.clear();
    Command_Clear_category_changes_Click();
}

void Frame_category::Grid_category_Click() {
    const int row = Grid_category->row(), col = Grid_category->col();
    if (row == 0 || col == 0)
        return;
    AppState& state = m_context.state();
    const bool lastRow = row == Grid_category->rows() - 1;
    state.current_category = lastRow ? QString() : Grid_category->textMatrix(row, 1);
    if (m_listKind == 3) {
        Command_delete_contact->setEnabled(!lastRow);
        Command_define_contact[0]->setEnabled(!lastRow);
    } else if (m_listKind == 2) {
        Command_delete_address->setEnabled(!lastRow);
        Command_define_address[0]->setEnabled(!lastRow);
    }
    Text_category->setText(state.current_category);
    if (m_listKind < 2) {
        Command_delete_category->setEnabled(!state.current_category.isEmpty());
        Command_save_category_changes[0]->setEnabled(false);
        Command_save_category_changes[1]->setEnabled(false);
        Command_Clear_category_changes->setEnabled(false);
    }
}

void Frame_category::Grid_category_DblClick() {
    Grid_category_Click();
    if (m_context.state().current_category.isEmpty())
        return;
    if (m_listKind == 3)
        Command_define_contact_Click(0);
    else if (m_listKind == 2)
        Command_define_address_Click(0);
}

void Frame_category::Command_create_category_Click() {
    Grid_category->setRow(Grid_category->rows() - 1);
    Grid_category->setCol(1);
    Grid_category_Click();
}

void Frame_category::Text_category_Change() {
    Command_delete_category->setEnabled(false);
    Command_save_category_changes[1]->setEnabled(true);
    Command_save_category_changes[0]->setEnabled(!m_context.state().current_category.isEmpty());
    Command_Clear_category_changes->setEnabled(true);
}

void Frame_category::Command_Clear_category_changes_Click() {
    const QString& current = m_context.state().current_category;
    Text_category->setText(current);
    Command_delete_category->setEnabled(!current.isEmpty());
    Command_save_category_changes[0]->setEnabled(false);
    Command_save_category_changes[1]->setEnabled(false);
    Command_Clear_category_changes->setEnabled(false);
}

void Frame_category::Command_save_category_changes_Click(int index) {
    AppState& state = m_context.state();
    const bool replace = index == 0 && !state.current_category.isEmpty();
    const QString typed = Text_category->text();
    if (!name_is_acceptable(typed, QStringLiteral("category")))
        return;
    Session& session = m_context.session();
    write_and_reload(
        m_context, save_caption(index),
        QStringLiteral("An error occurred while saving the changes: "),
        [&] {
            Recordset& rs_query = session.rs_query();
            // A new name is checked against the database, where another desk
            // may have just written it.
            const bool found =
                replace
                    ? find_record_by_text(rs_query, QStringLiteral("Name"), state.current_category)
                    : find_stored_record_by_text(rs_query, QStringLiteral("Name"), typed);
            if (replace) {
                if (!found) {
                    itemVanished();
                    return false;
                }
                if (rs_query.value(QStringLiteral("Name")).toString() == typed) {
                    Command_Clear_category_changes_Click();
                    return false;
                }
                rs_query.edit();
            } else {
                if (found) {
                    ui().message(QStringLiteral("That name already exists"));
                    return false;
                }
                add_new_record(rs_query, session.database(), m_listTable);
            }
            rs_query.setValue(QStringLiteral("Name"), typed);
            rs_query.update();
            state.current_category = typed;
            return true;
        },
        [this] { load_category_list(); });
}

void Frame_category::Command_delete_category_Click() {
    AppState& state = m_context.state();
    if (state.current_category.isEmpty())
        return;
    Session& session = m_context.session();
    Recordset& rs_query = session.rs_query();
    // The list's own cursor finds the key; the guard reads the database.
    if (!find_record_by_text(rs_query, QStringLiteral("Name"), state.current_category))
        return;
    const int id = rs_query.value(QStringLiteral("ID")).toInt();
    const Reference used =
        m_listKind == 0
            ? Reference{QStringLiteral("Table_Equipment"),
                        {QStringLiteral("CategoryID")},
                        QStringLiteral("Name"),
                        QStringLiteral("Name"),
                        QStringLiteral(
                            "You cannot delete this category as it is in use by the equipment ")}
            : Reference{
                  QStringLiteral("Table_Asset"),
                  {QStringLiteral("StatusID")},
                  QStringLiteral("ModelNumber"),
                  QStringLiteral("ID"),
                  QStringLiteral("You cannot delete this status as it is in use by the asset ")};
    delete_unless_referenced(m_context, QStringLiteral("Delete"),
                             QStringLiteral("An error occurred while deleting the category: "),
                             rs_query, id, {used}, [this] { reloadCleared(); });
}

void Frame_category::showItem(int key) {
    for (int r = 1; r < Grid_category->rows() - 1; ++r)
        if (Grid_category->textMatrix(r, 0).trimmed() == QString::number(key)) {
            Grid_category->setRow(r);
            Grid_category->setCol(1);
            Grid_category_Click();
            Grid_category->setFocus(Qt::OtherFocusReason);
            return;
        }
}

std::pair<QString, int> Frame_category::selectedRecord() {
    if (m_listKind >= 2)
        return {m_listTable, selectedKey()};
    // Categories and statuses are listed by name alone.
    const QString name = Grid_category->textMatrix(Grid_category->row(), 1);
    const auto rows = m_context.session().database().store().select(
        QStringLiteral("SELECT ID FROM %1 WHERE Name = ?").arg(m_listTable), {name},
        {FieldType::Long});
    return {m_listTable, rows.empty() || name.isEmpty() ? -1 : rows.front()[0].toInt()};
}

int Frame_category::selectedKey() const {
    bool numeric = false;
    const int key = Grid_category->textMatrix(Grid_category->row(), 0).trimmed().toInt(&numeric);
    return numeric ? key : -1;
}

void Frame_category::itemVanished() {
    ui().message(QStringLiteral("That item no longer exists"));
    reloadCleared();
}

} // namespace gearlog
