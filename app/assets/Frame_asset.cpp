#include "Frame_asset.h"

#include "AppState.h"
#include "AssetDeletion.h"
#include "AssetList.h"
#include "ComboHelpers.h"
#include "CommandRunner.h"
#include "DateField.h"
#include "FlexGrid.h"
#include "RecordHelpers.h"
#include "RichTextBox.h"
#include "Session.h"
#include "UiServices.h"
#include "ViewContext.h"
#include "ViewParts.h"
#include "ViewRequests.h"

#include <imagelet/Imagelet.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <optional>

namespace gearlog {

namespace {

// The boxes whose empty text leaves the stored value as it is, in the
// order they are checked.
struct ValueBox {
    const char* name;
    const char* field;
    const char* label;
    const char* tip;
    const char* invalid;
    bool date;
};
const ValueBox valueBoxes[6] = {
    {"Text_asset_acquired", "DateAcquired", "Acquired", "The date on which this item was acquired",
     "The asset acquisition date is not valid", true},
    {"Text_asset_disposed", "DateDisposed", "Disposed",
     "The date on which this item was disposed of", "The asset disposal date is not valid", true},
    {"Text_asset_price", "PurchasePrice", "Original Cost", "The purchase price for this item",
     "The asset purchase price is not valid", false},
    {"Text_asset_replacement_cost", "ReplacementCost", "Replacement",
     "The replacement price for this item", "The asset replacement cost is not valid", false},
    {"Text_asset_valuation", "Valuation", "Valuation", "The customs valuation for this item",
     "The asset valuation is not valid", false},
    {"Text_asset_maintenance", "NextSchedMaint", "Maintenance",
     "The date for the next scheduled maintenance for this item",
     "The asset maintenance date is not valid", true},
};

QString shown(const QVariant& value, bool date) {
    if (!value.isValid())
        return {};
    return date ? format_date(value.toDateTime().date())
                : QString::number(value.toDouble(), 'f', 2);
}

} // namespace

Frame_asset::Frame_asset(ViewContext& context, QWidget* parent)
    : QFrame(parent), m_context(context) {
    setUpViewFrame(*this, QStringLiteral("Frame_asset"), QStringLiteral("Assets"));

    AssetList::Layout layout;
    layout.category = {100, 10, 330, 26};
    layout.equipment = {100, 45, 330, 26};
    layout.grid = {10, 80, 420, 550};
    layout.photo = {870, 10, 200, 200};
    layout.status = {540, 325, 320, 26};
    layout.location = {540, 395, 320, 26};
    m_list = new AssetList(context, 0, this, layout);
    m_list->fillForm = [this](Recordset& asset) {
        fillForm(asset);
    };
    m_list->clearForm = [this] {
        clearForm();
    };

    const int x = 540;
    auto box = [this](const QString& name, const QString& label, const QString& tip, QRect at) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(name);
        edit->setToolTip(tip);
        edit->setGeometry(at);
        makeLabelBefore(this, label, edit);
        connect(edit, &QLineEdit::textChanged, this, guarded([this] { Text_asset_Change(); }));
        return edit;
    };
    Text_asset_model = box(QStringLiteral("Text_asset_model"), QStringLiteral("Model #"),
                           QStringLiteral("Descriptive model name for this item (must be "
                                          "non-blank)"),
                           {x, 10, 320, 26});
    Text_asset_serial = box(QStringLiteral("Text_asset_serial"), QStringLiteral("Serial #"),
                            QStringLiteral("The serial number for this item"), {x, 45, 320, 26});
    for (size_t i = 0; i < m_valueBoxes.size(); ++i) {
        const ValueBox& v = valueBoxes[i];
        m_valueBoxes[i] =
            box(QString::fromLatin1(v.name), QString::fromLatin1(v.label),
                QString::fromLatin1(v.tip), {x, 80 + static_cast<int>(i) * 35, 150, 26});
        if (v.date)
            attach_date_picker(*m_valueBoxes[i], context.state());
    }
    connect(m_list->Combo_asset_status, &QComboBox::activated, this,
            guarded([this] { Text_asset_Change(); }));

    Combo_asset_account = new QComboBox(this);
    Combo_asset_account->setObjectName(QStringLiteral("Combo_asset_account"));
    Combo_asset_account->setToolTip(QStringLiteral("The office to which this item is assigned"));
    Combo_asset_account->setGeometry(x, 360, 320, 26);
    makeLabelBefore(this, QStringLiteral("Accounts"), Combo_asset_account);
    make_chooser(*Combo_asset_account, QStringLiteral("Table_Address"),
                 ChooserModel::Order::ByName);
    connect(Combo_asset_account, &QComboBox::activated, this,
            guarded([this] { Text_asset_Change(); }));

    rtf_asset_comments = new RichTextBox(this);
    rtf_asset_comments->setObjectName(QStringLiteral("rtf_asset_comments"));
    // Short enough to leave room above Shipping History for Changes.
    rtf_asset_comments->setGeometry(x, 430, 530, 115);
    makeLabelBefore(this, QStringLiteral("Comments"), rtf_asset_comments);
    connect(rtf_asset_comments, &RichTextBox::textChanged, this,
            guarded([this] { Text_asset_Change(); }));

    const int y = 595;
    const RecordCommands commands =
        makeRecordCommands(this, QStringLiteral("asset"), {450, y, 95, 30}, 99,
                           {[this] { Command_create_asset_Click(); },
                            [this](int index) { Command_save_asset_changes_Click(index); },
                            [this] { Command_clear_asset_changes_Click(); },
                            [this] {
                                Command_delete_asset_Click();
                            }});
    Command_create_asset = commands.create;
    Command_save_asset_changes = commands.save;
    Command_clear_asset_changes = commands.reset;
    Command_delete_asset = commands.remove;
    Command_shipping_history =
        makeButton(this, QStringLiteral("Command_shipping_history"),
                   QStringLiteral("Shipping History"), QString(), {945, y, 125, 30});
    connect(Command_shipping_history, &QPushButton::clicked, this,
            guarded([this] { Command_shipping_history_Click(); }));
    Command_asset_changes =
        makeButton(this, QStringLiteral("Command_asset_changes"), QStringLiteral("Changes"),
                   QStringLiteral("Who changed this asset, when, and what it was before"),
                   {945, y - 40, 125, 30});
    connect(Command_asset_changes, &QPushButton::clicked, this, [this] {
        const int asset = m_context.state().current_asset_id;
        if (asset > 0)
            emit m_context.requests().changesRequested(QStringLiteral("Table_asset"), asset);
    });
    hide();
}

void Frame_asset::Command_Assets_Click() {
    m_list->fillFilters();
    {
        LoadingGuard loading(m_context.state().loading);
        fill_chooser(*Combo_asset_account, m_context.session().database());
    }
    m_list->clearList(); // which empties the form and its buttons
}

// ---- the form -------------------------------------------------------------------

void Frame_asset::setStoredState(bool stored) {
    Command_delete_asset->setEnabled(stored);
    Command_shipping_history->setEnabled(stored);
    Command_asset_changes->setEnabled(stored);
    for (QPushButton* save : Command_save_asset_changes)
        save->setEnabled(false);
    Command_clear_asset_changes->setEnabled(false);
}

void Frame_asset::clearForm() {
    Text_asset_model->clear();
    Text_asset_serial->clear();
    for (QLineEdit* box : m_valueBoxes)
        box->clear();
    m_list->Combo_asset_status->setCurrentIndex(m_list->Combo_asset_status->count() > 0 ? 0 : -1);
    Combo_asset_account->setCurrentIndex(-1);
    rtf_asset_comments->setTextRTF(QString());
    setStoredState(false);
    if (m_assetShown)
        m_assetShown(0);
}

void Frame_asset::fillForm(Recordset& asset) {
    Text_asset_model->setText(asset.value(QStringLiteral("ModelNumber")).toString());
    Text_asset_serial->setText(asset.value(QStringLiteral("SerialNumber")).toString());
    for (size_t i = 0; i < m_valueBoxes.size(); ++i)
        m_valueBoxes[i]->setText(
            shown(asset.value(QString::fromLatin1(valueBoxes[i].field)), valueBoxes[i].date));
    const QVariant comments = asset.value(QStringLiteral("Comments"));
    rtf_asset_comments->setTextRTF(comments.isValid() ? comments.toString() : QString());
    Combo_asset_account->setCurrentIndex(-1);
    const QVariant account = asset.value(QStringLiteral("AccountID"));
    if (account.isValid())
        select_combo_item(*Combo_asset_account, account.toInt());
    setStoredState(true);
    if (m_assetShown)
        m_assetShown(asset.value(QStringLiteral("ID")).toInt());
}

void Frame_asset::Text_asset_Change() {
    if (m_list->Grid_asset->rows() <= 1 || m_context.state().loading)
        return;
    Command_delete_asset->setEnabled(false);
    Command_shipping_history->setEnabled(false);
    Command_asset_changes->setEnabled(false);
    if (m_context.state().current_asset_id > -1)
        Command_save_asset_changes[0]->setEnabled(true);
    Command_save_asset_changes[1]->setEnabled(true);
    Command_clear_asset_changes->setEnabled(true);
}

// ---- commands -------------------------------------------------------------------

void Frame_asset::Command_create_asset_Click() {
    FlexGrid& grid = *m_list->Grid_asset;
    grid.setRow(grid.rows() - 1);
    grid.setCol(1);
    m_list->Grid_asset_Click();
}

void Frame_asset::Command_clear_asset_changes_Click() {
    m_list->load_asset_form();
}

bool Frame_asset::formIsValid() {
    if (Text_asset_model->text().isEmpty()) {
        ui().message(QStringLiteral("The model number cannot be blank"));
        return false;
    }
    for (size_t i = 0; i < m_valueBoxes.size(); ++i) {
        if (!m_valueBoxes[i]->text().isEmpty() && !valueIn(i)) {
            ui().message(QString::fromLatin1(valueBoxes[i].invalid));
            return false;
        }
    }
    if (m_list->Combo_asset_status->currentIndex() < 0) {
        ui().message(QStringLiteral("The asset status has not been specified"));
        return false;
    }
    if (m_list->Combo_asset_equipment->currentIndex() < 0) {
        ui().message(QStringLiteral("The asset equipment type has not been specified"));
        return false;
    }
    return true;
}

std::optional<QVariant> Frame_asset::valueIn(size_t box) const {
    const QString text = m_valueBoxes[box]->text();
    if (valueBoxes[box].date) {
        const QDate date = parse_date(text);
        return date.isValid() ? std::optional<QVariant>(date) : std::nullopt;
    }
    double money = 0;
    return parse_money(text, &money) ? std::optional<QVariant>(money) : std::nullopt;
}

void Frame_asset::writeForm(Recordset& asset) {
    asset.setValue(QStringLiteral("ModelNumber"), Text_asset_model->text());
    asset.setValue(QStringLiteral("SerialNumber"), Text_asset_serial->text());
    for (size_t i = 0; i < m_valueBoxes.size(); ++i) {
        // An emptied box leaves the stored value as it was.
        if (!m_valueBoxes[i]->text().isEmpty())
            asset.setValue(QString::fromLatin1(valueBoxes[i].field), *valueIn(i));
    }
    asset.setValue(QStringLiteral("StatusID"), m_list->Combo_asset_status->currentData());
    asset.setValue(QStringLiteral("AccountID"), Combo_asset_account->currentIndex() < 0
                                                    ? QVariant(-1)
                                                    : Combo_asset_account->currentData());
    asset.setValue(QStringLiteral("EquipmentID"), m_list->Combo_asset_equipment->currentData());
    const QString comments = rtf_asset_comments->textRTF();
    if (!rtf_asset_comments->toPlainText().isEmpty())
        asset.setValue(QStringLiteral("Comments"), comments);
}

void Frame_asset::Command_save_asset_changes_Click(int index) {
    if (!formIsValid())
        return;
    AppState& state = m_context.state();
    Session& session = m_context.session();
    write_and_reload(
        m_context, save_caption(index),
        QStringLiteral("An error occurred while saving the changes: "),
        [&] {
            Recordset& asset = session.rs_asset_query();
            if (index == 0 && state.current_asset_id >= 0 &&
                find_record_by_number(asset, QStringLiteral("ID"), state.current_asset_id)) {
                asset.edit();
            } else {
                add_new_record(asset, session.database(), QStringLiteral("Table_Asset"));
            }
            writeForm(asset);
            const int id = asset.value(QStringLiteral("ID")).toInt();
            asset.update();
            state.current_asset_id = id;
            return true;
        },
        [this] { m_list->load_asset_list(); });
}

void Frame_asset::Command_delete_asset_Click() {
    AppState& state = m_context.state();
    if (state.current_asset_id == -1)
        return;
    Session& session = m_context.session();
    Recordset& asset = session.rs_asset_query();
    if (!find_record_by_number(asset, QStringLiteral("ID"), state.current_asset_id))
        return;
    const int id = state.current_asset_id;
    write_and_reload(
        m_context, QStringLiteral("Delete"),
        QStringLiteral("An error occurred while deleting the asset: "),
        [&] {
            const Deletion deletion = delete_asset(session, id);
            if (!deletion.refusal.isEmpty())
                ui().message(deletion.refusal);
            if (deletion.deleted)
                state.current_asset_id = -1;
            return deletion.deleted;
        },
        [this] { m_list->load_asset_list(); });
}

void Frame_asset::Command_shipping_history_Click() {
    const int asset = m_context.state().current_asset_id;
    if (asset > 0)
        emit m_context.requests().shippingHistoryRequested(asset);
}

} // namespace gearlog
