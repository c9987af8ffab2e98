#include "Frame_shipment.h"

#include "AppState.h"
#include "AssetList.h"
#include "ComboHelpers.h"
#include "CommandRunner.h"
#include "ContactDefinition.h"
#include "DateField.h"
#include "DueLists.h"
#include "EngineError.h"
#include "Frame_asset.h"
#include "MaintenanceWarning.h"
#include "RecordHelpers.h"
#include "RichTextBox.h"
#include "Session.h"
#include "ShippingLines.h"
#include "ShippingList.h"
#include "UiServices.h"
#include "ViewContext.h"
#include "ViewParts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

namespace gearlog {

namespace {

// The labels of this form are longer than most.
constexpr int labelWidth = 115;

// The date a box holds; a text that is no date fails the save as the
// engine's conversion would.
QDate dateIn(const QLineEdit& box, const QString& field) {
    const QDate date = parse_date(box.text());
    if (!date.isValid())
        throw EngineError(QStringLiteral("Type mismatch: '%1' is not a date").arg(box.text()),
                          QStringLiteral("write ") + field);
    return date;
}

} // namespace

Frame_shipment::Frame_shipment(ViewContext& context, QWidget* parent)
    : QFrame(parent), m_context(context) {
    setUpViewFrame(*this, QStringLiteral("Frame_shipment"), QStringLiteral("Shipments"));

    Tab_shipment = new QTabWidget(this);
    Tab_shipment->setObjectName(QStringLiteral("Tab_shipment"));
    Tab_shipment->setGeometry(4, 4, 1072, 588);
    auto* details = new QWidget;
    details->setObjectName(QStringLiteral("Tab_shipment_details"));
    auto* listPage = new QWidget;
    listPage->setObjectName(QStringLiteral("Tab_shipment_list"));
    Tab_shipment->addTab(details, QStringLiteral(" Shipment Details"));
    Tab_shipment->addTab(listPage, QStringLiteral("Shipping List"));
    buildDetails(details);
    m_list = new ShippingList(context, listPage);
    m_list->changed = [this] {
        Text_shipment_Change();
    };
    m_list->expectedReturn = [this] {
        return parse_date(Text_shipment_expected_return->text());
    };
    connect(m_list->Command_return_item_from_shipping_list, &QPushButton::clicked, this,
            guarded([this] { Command_return_item_from_shipping_list_Click(); }));
    connect(m_list->Command_transfer_item_from_shipping_list, &QPushButton::clicked, this,
            guarded([this] { Command_transfer_item_from_shipping_list_Click(); }));
    buildCommands();
    hide();
}

void Frame_shipment::buildDetails(QWidget* page) {
    const auto change = guarded([this] { Text_shipment_Change(); });
    auto combo = [page](const QString& name, const QString& label, const QString& tip, QRect at) {
        return makeCombo(page, name, label, tip, at, labelWidth);
    };
    auto box = [this, page, &change](const QString& name, const QString& label, const QString& tip,
                                     QRect at) {
        auto* edit = new QLineEdit(page);
        edit->setObjectName(name);
        edit->setToolTip(tip);
        edit->setGeometry(at);
        makeLabelBefore(page, label, edit, labelWidth);
        connect(edit, &QLineEdit::textChanged, this, change);
        return edit;
    };
    Combo_shipment =
        combo(QStringLiteral("Combo_shipment"), QStringLiteral("Shipment"),
              QStringLiteral("The category group for which assets are to be displayed"),
              {130, 10, 475, 26});
    make_chooser(*Combo_shipment, QStringLiteral("Table_Shipment"), ChooserModel::Order::ByKey);
    connect(Combo_shipment, &QComboBox::activated, this,
            guarded([this] { Combo_shipment_Click(); }));
    Text_shipment_name = box(QStringLiteral("Text_shipment_name"), QStringLiteral("Description"),
                             QStringLiteral("Description of this shipment (max 255 characters)"),
                             {130, 45, 475, 26});

    const QString nameLabels[2] = {QStringLiteral("Receiver Name"), QStringLiteral("Carrier Name")};
    const QString nameTips[2] = {
        QStringLiteral("Name of person or company to which this  shipment is being sent"),
        QStringLiteral("The name of the carrier used to make this shipment")};
    const QString addressTips[2] = {
        QStringLiteral("Address of person or company to which this  shipment is being sent"),
        QStringLiteral("The address of the carrier used to make this shipment")};
    for (int side = 0; side < 2; ++side) {
        const int y = 90 + side * 80;
        const auto s = static_cast<size_t>(side);
        Combo_shipment_contact[s] = combo(arrayName("Combo_shipment_contact", side),
                                          nameLabels[side], nameTips[side], {130, y, 300, 26});
        Combo_shipment_address[s] =
            combo(arrayName("Combo_shipment_address", side), QStringLiteral("Address"),
                  addressTips[side], {130, y + 35, 300, 26});
        make_chooser(*Combo_shipment_contact[s], QStringLiteral("Table_Contact"),
                     ChooserModel::Order::ByName);
        make_chooser(*Combo_shipment_address[s], QStringLiteral("Table_Address"),
                     ChooserModel::Order::ByName);
        for (QComboBox* c : {Combo_shipment_contact[s], Combo_shipment_address[s]})
            c->setProperty("Index", side);
        connect(Combo_shipment_contact[s], &QComboBox::activated, this,
                guarded([this, side] { Combo_shipment_contact_Click(side); }));
        connect(Combo_shipment_address[s], &QComboBox::activated, this, change);
        for (int b = 0; b < 2; ++b) {
            const int index = side * 2 + b;
            const QString caption = b == 0 ? QStringLiteral("Modify") : QStringLiteral("Create");
            const QRect at{440 + b * 85, y, 80, 26};
            QPushButton* name = makeButton(page, arrayName("Command_shipment_define_name", index),
                                           caption, QString(), at);
            QPushButton* address =
                makeButton(page, arrayName("Command_shipment_define_address", index), caption,
                           QString(), at.translated(0, 35));
            // Two buttons share each caption: say which field each one serves.
            name->setAccessibleName(caption + QLatin1Char(' ') + nameLabels[side]);
            address->setAccessibleName(caption + QLatin1Char(' ') + nameLabels[side] +
                                       QStringLiteral(" address"));
            name->setProperty("Index", index);
            address->setProperty("Index", index);
            Command_shipment_define_name[static_cast<size_t>(index)] = name;
            Command_shipment_define_address[static_cast<size_t>(index)] = address;
            connect(name, &QPushButton::clicked, this,
                    guarded([this, index] { Command_shipment_define_name_Click(index); }));
            connect(address, &QPushButton::clicked, this,
                    guarded([this, index] { Command_shipment_define_address_Click(index); }));
        }
    }

    Combo_shipment_method = combo(QStringLiteral("Combo_shipment_method"), QStringLiteral("Method"),
                                  QStringLiteral("The method by which this shipment is being sent"),
                                  {130, 250, 200, 26});
    Combo_shipment_method->addItems({QStringLiteral("Air"), QStringLiteral("Sea"),
                                     QStringLiteral("Road Freight"), QStringLiteral("By Hand"),
                                     QStringLiteral("Other")});
    connect(Combo_shipment_method, &QComboBox::activated, this, change);
    Text_shipment_consignment_note =
        box(QStringLiteral("Text_shipment_consignment_note"), QStringLiteral("Waybill number"),
            QStringLiteral("The consignment note number for this shipment"), {130, 285, 200, 26});
    Text_shipment_cost =
        box(QStringLiteral("Text_shipment_cost"), QStringLiteral("Cost"),
            QStringLiteral("The cost associated with this shipment"), {130, 320, 120, 26});
    Text_shipment_date =
        box(QStringLiteral("Text_shipment_date"), QStringLiteral("Sent"),
            QStringLiteral("The date on which this shipment was sent"), {130, 355, 120, 26});
    Text_shipment_expected_return =
        box(QStringLiteral("Text_shipment_expected_return"), QStringLiteral("Returned"),
            QStringLiteral("The expected date of return for this shipment"), {370, 355, 120, 26});
    for (QLineEdit* date : {Text_shipment_date, Text_shipment_expected_return})
        attach_date_picker(*date, m_context.state());
    Label_shipment_overdue = new QLabel(page);
    Label_shipment_overdue->setObjectName(QStringLiteral("Label_shipment_overdue"));
    Label_shipment_overdue->setGeometry(370, 390, 240, 26);
    Label_shipment_overdue->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold"));
    // A new return date shows at once which lines come back past maintenance.
    connect(Text_shipment_expected_return, &QLineEdit::textChanged, this, [this] {
        if (!m_context.state().loading)
            guarded([this] { m_list->markDueLines(); })();
    });
    Combo_shipment_purpose = combo(
        QStringLiteral("Combo_shipment_purpose"), QStringLiteral("Purpose"),
        QStringLiteral("The method by which this shipment is being sent"), {130, 390, 200, 26});
    Combo_shipment_purpose->addItems(
        {QStringLiteral("Field Use"), QStringLiteral("Maintenance"), QStringLiteral("Repairs")});
    Check_shipment_receival_confirmed = new QCheckBox(QStringLiteral("Arrival Confirmed"), page);
    Check_shipment_receival_confirmed->setObjectName(
        QStringLiteral("Check_shipment_receival_confirmed"));
    Check_shipment_receival_confirmed->setToolTip(
        QStringLiteral("Confirmation of the arrival of the shipment"));
    Check_shipment_receival_confirmed->setGeometry(130, 425, 200, 26);
    connect(Check_shipment_receival_confirmed, &QCheckBox::clicked, this, change);

    rtf_shipment_comments = new RichTextBox(page);
    rtf_shipment_comments->setObjectName(QStringLiteral("rtf_shipment_comments"));
    rtf_shipment_comments->setGeometry(620, 40, 440, 470);
    makeLabel(page, QStringLiteral("Comments"), rtf_shipment_comments, {620, 10, 200, 26});
    connect(rtf_shipment_comments, &RichTextBox::textChanged, this, change);
}

void Frame_shipment::buildCommands() {
    const RecordCommands commands =
        makeRecordCommands(this, QStringLiteral("shipment"), {450, 600, 95, 30}, 99,
                           {[this] { Command_create_shipment_Click(); },
                            [this](int index) { Command_save_shipment_changes_Click(index); },
                            [this] { Command_clear_shipment_changes_Click(); },
                            [this] {
                                Command_delete_shipment_Click();
                            }});
    Command_create_shipment = commands.create;
    Command_save_shipment_changes = commands.save;
    Command_clear_shipment_changes = commands.reset;
    Command_delete_shipment = commands.remove;
}

// ---- showing ------------------------------------------------------------------

// Refills a chooser from the store, with nothing selected.
void Frame_shipment::refill(QComboBox& combo) {
    LoadingGuard loading(m_context.state().loading);
    fill_chooser(combo, m_context.session().database());
}

void Frame_shipment::fillContactCombos() {
    for (QComboBox* c : Combo_shipment_contact)
        refill(*c);
}

void Frame_shipment::fillAddressCombos() {
    for (QComboBox* c : Combo_shipment_address)
        refill(*c);
}

void Frame_shipment::Command_Send_Click() {
    m_alsoWrite = nullptr;
    clear_shipment_form();
    {
        LoadingGuard loading(m_context.state().loading);
        refill(*Combo_shipment);
        fillContactCombos();
        fillAddressCombos();
    }
    m_list->picker().fillFilters();
    m_context.state().current_shipment_id = -1;
    setLoadedState(false);
}

void Frame_shipment::clear_shipment_form() {
    LoadingGuard loading(m_context.state().loading);
    Text_shipment_name->clear();
    Text_shipment_consignment_note->clear();
    Text_shipment_cost->clear();
    for (QComboBox* c : Combo_shipment_contact)
        c->setCurrentIndex(-1);
    for (QComboBox* c : Combo_shipment_address)
        c->setCurrentIndex(-1);
    Text_shipment_date->setText(format_date(QDate::currentDate()));
    Text_shipment_expected_return->clear();
    Combo_shipment_method->setCurrentIndex(-1);
    Combo_shipment_purpose->setCurrentIndex(0);
    Check_shipment_receival_confirmed->setChecked(false);
    rtf_shipment_comments->setTextRTF(QString());
    Label_shipment_overdue->clear();
    m_loadedReturn = QDate();
    m_list->clear();
}

void Frame_shipment::setLoadedState(bool loaded) {
    Command_delete_shipment->setEnabled(loaded);
    for (QPushButton* save : Command_save_shipment_changes)
        save->setEnabled(false);
    Command_clear_shipment_changes->setEnabled(false);
}

void Frame_shipment::selectContactAddress(int index) {
    const auto i = static_cast<size_t>(index);
    QComboBox& contact = *Combo_shipment_contact[i];
    if (contact.currentIndex() < 0 || contact.currentData().toInt() <= 0)
        return;
    Recordset& contacts = m_context.session().rs_contact();
    if (!find_record_by_number(contacts, QStringLiteral("ID"), contact.currentData().toInt()))
        return;
    const int address = key_of(contacts, QStringLiteral("AddressID"));
    if (address >= 0)
        select_combo_item(*Combo_shipment_address[i], address);
}

void Frame_shipment::load_shipment_form() {
    AppState& state = m_context.state();
    Session& session = m_context.session();
    state.current_shipment_id =
        Combo_shipment->currentIndex() >= 0 ? Combo_shipment->currentData().toInt() : -1;
    Recordset& shipment = session.rs_shipment();
    if (state.current_shipment_id >= 0 &&
        find_record_by_number(shipment, QStringLiteral("ID"), state.current_shipment_id)) {
        LoadingGuard loading(state.loading);
        Text_shipment_name->setText(shipment.value(QStringLiteral("Name")).toString().trimmed());
        const char* sides[2][2] = {{"ReceiverContactID", "ReceiverAddressID"},
                                   {"ShipperContactID", "ShipperAddressID"}};
        for (size_t side = 0; side < 2; ++side) {
            const int contact = key_of(shipment, QString::fromLatin1(sides[side][0]));
            if (contact >= 0) {
                select_combo_item(*Combo_shipment_contact[side], contact);
                // As a pick of the contact would: its own address first.
                selectContactAddress(static_cast<int>(side));
            }
            const int address = key_of(shipment, QString::fromLatin1(sides[side][1]));
            if (address >= 0)
                select_combo_item(*Combo_shipment_address[side], address);
        }
        Text_shipment_consignment_note->setText(
            shipment.value(QStringLiteral("ConsignmentNote")).toString().trimmed());
        const QVariant cost = shipment.value(QStringLiteral("Cost"));
        if (cost.isValid())
            Text_shipment_cost->setText(QString::number(cost.toDouble(), 'f', 2));
        const QVariant sent = shipment.value(QStringLiteral("ShipmentDate"));
        Text_shipment_date->setText(sent.isValid() ? format_date(sent.toDate()) : QString());
        const QVariant back = shipment.value(QStringLiteral("ExpectedReturnDate"));
        Text_shipment_expected_return->setText(back.isValid() ? format_date(back.toDate())
                                                              : QString());
        m_loadedReturn = back.isValid() ? back.toDate() : QDate();
        const int overdue = shipment_days_overdue(session.database().store(),
                                                  state.current_shipment_id, QDate::currentDate());
        if (overdue > 0)
            Label_shipment_overdue->setText(
                overdue == 1 ? QStringLiteral("Overdue by 1 day")
                             : QStringLiteral("Overdue by %1 days").arg(overdue));
        for (auto [combo, field] : {std::pair{Combo_shipment_method, "ShippingMethod"},
                                    std::pair{Combo_shipment_purpose, "Purpose"}}) {
            const int entry = key_of(shipment, QString::fromLatin1(field));
            if (entry >= 0 && entry < combo->count())
                combo->setCurrentIndex(entry);
        }
        const QVariant arrived = shipment.value(QStringLiteral("ArrivalConfirmed"));
        if (arrived.isValid())
            Check_shipment_receival_confirmed->setChecked(arrived.toBool());
        const QVariant comments = shipment.value(QStringLiteral("Comments"));
        if (comments.isValid())
            rtf_shipment_comments->setTextRTF(comments.toString());
        loading.lower();
        m_list->load(state.current_shipment_id);
    }
    setLoadedState(true);
}

void Frame_shipment::Combo_shipment_Click() {
    m_alsoWrite = nullptr;
    clear_shipment_form();
    load_shipment_form();
}

void Frame_shipment::showShipment(int id) {
    if (select_chooser_item(*Combo_shipment, id) >= 0) {
        Combo_shipment_Click();
        Combo_shipment->setFocus(Qt::OtherFocusReason);
    }
}

void Frame_shipment::Command_clear_shipment_changes_Click() {
    Combo_shipment_Click();
}

void Frame_shipment::reselectShipment() {
    const int index = Combo_shipment->currentIndex();
    Combo_shipment->setCurrentIndex(-1);
    Combo_shipment->setCurrentIndex(index);
    Combo_shipment_Click();
}

void Frame_shipment::Command_create_shipment_Click() {
    m_alsoWrite = nullptr;
    m_context.state().current_shipment_id = -1;
    Combo_shipment->setCurrentIndex(-1);
    clear_shipment_form();
    Tab_shipment->setCurrentIndex(0);
    setLoadedState(false);
}

void Frame_shipment::Text_shipment_Change() {
    Command_delete_shipment->setEnabled(false);
    if (m_context.state().current_shipment_id > 0)
        Command_save_shipment_changes[0]->setEnabled(true);
    Command_save_shipment_changes[1]->setEnabled(true);
    Command_clear_shipment_changes->setEnabled(true);
}

void Frame_shipment::Combo_shipment_contact_Click(int index) {
    Text_shipment_Change();
    selectContactAddress(index);
}

// ---- saving and deleting ----------------------------------------------------------

bool Frame_shipment::formIsValid() {
    const std::pair<bool, const char*> checks[] = {
        {Text_shipment_name->text().trimmed().isEmpty(),
         "No shipment description has been specified"},
        {Combo_shipment_contact[0]->currentIndex() < 0,
         "No shipment Receiver Name has been specified"},
        {Combo_shipment_address[0]->currentIndex() < 0,
         "No shipment Receiver Address has been specified"},
        {Combo_shipment_contact[1]->currentIndex() < 0,
         "No shipment Shipper Name has been specified"},
        {Combo_shipment_address[1]->currentIndex() < 0,
         "No shipment Shipper Address has been specified"},
        {Combo_shipment_method->currentIndex() < 0, "No shipment method has been specified"},
        {[this] {
             double cost = 0;
             const QString text = Text_shipment_cost->text().trimmed();
             return !text.isEmpty() && !parse_money(text, &cost);
         }(),
         "The shipment cost is not valid"},
        {Combo_shipment_purpose->currentIndex() < 0, "No shipment purpose has been specified"},
    };
    for (const auto& [failed, message] : checks) {
        if (failed) {
            ui().message(QString::fromLatin1(message));
            return false;
        }
    }
    return true;
}

void Frame_shipment::writeForm(Recordset& shipment) {
    shipment.setValue(QStringLiteral("Name"), Text_shipment_name->text());
    shipment.setValue(QStringLiteral("ReceiverContactID"),
                      Combo_shipment_contact[0]->currentData());
    shipment.setValue(QStringLiteral("ReceiverAddressID"),
                      Combo_shipment_address[0]->currentData());
    shipment.setValue(QStringLiteral("ShipperContactID"), Combo_shipment_contact[1]->currentData());
    shipment.setValue(QStringLiteral("ShipperAddressID"), Combo_shipment_address[1]->currentData());
    shipment.setValue(QStringLiteral("ConsignmentNote"), Text_shipment_consignment_note->text());
    double cost = 0;
    if (!Text_shipment_cost->text().trimmed().isEmpty())
        parse_money(Text_shipment_cost->text(), &cost);
    shipment.setValue(QStringLiteral("Cost"), cost);
    shipment.setValue(QStringLiteral("ShipmentDate"),
                      dateIn(*Text_shipment_date, QStringLiteral("ShipmentDate")));
    // An emptied return box leaves the stored date as it was.
    if (!Text_shipment_expected_return->text().isEmpty())
        shipment.setValue(
            QStringLiteral("ExpectedReturnDate"),
            dateIn(*Text_shipment_expected_return, QStringLiteral("ExpectedReturnDate")));
    shipment.setValue(QStringLiteral("ShippingMethod"), Combo_shipment_method->currentIndex());
    shipment.setValue(QStringLiteral("ArrivalConfirmed"),
                      Check_shipment_receival_confirmed->isChecked());
    shipment.setValue(QStringLiteral("Purpose"), Combo_shipment_purpose->currentIndex());
    shipment.setValue(QStringLiteral("Comments"), rtf_shipment_comments->textRTF());
}

void Frame_shipment::Command_save_shipment_changes_Click(int index) {
    if (!formIsValid())
        return;
    // A return date moved later may keep assets out past their maintenance.
    const QDate expected = parse_date(Text_shipment_expected_return->text());
    if (expected != m_loadedReturn && !confirm_shipping_due(m_list->dueBefore(expected)))
        return;
    AppState& state = m_context.state();
    Session& session = m_context.session();
    std::vector<int> assets;
    for (const ListedItem& item : m_list->items())
        assets.push_back(item.assetId);
    int saved = -1;
    // A save that fails (another desk's change included) leaves the form
    // and the list as the user made them, to save again.
    const bool stored = write_and_reload(
        m_context, save_caption(index),
        QStringLiteral("An error occurred while saving the changes: "),
        [&] {
            Recordset& shipment = session.rs_shipment();
            const bool replace =
                index == 0 && state.current_shipment_id >= 0 &&
                find_record_by_number(shipment, QStringLiteral("ID"), state.current_shipment_id);
            if (replace)
                shipment.edit();
            else
                add_new_record(shipment, session.database(), QStringLiteral("Table_Shipment"));
            writeForm(shipment);
            saved = shipment.value(QStringLiteral("ID")).toInt();
            shipment.update();
            store_shipping_list(session, saved, state.current_shipment_id, assets,
                                QDateTime::currentDateTime());
            if (m_alsoWrite && !replace)
                m_alsoWrite(session.database(), saved);
            return true;
        },
        {});
    if (!stored)
        return;
    m_alsoWrite = nullptr; // done: the booking went with the shipment
    clear_shipment_form();
    refill(*Combo_shipment);
    state.current_shipment_id = saved;
    select_combo_item(*Combo_shipment, saved);
    load_shipment_form();
}

void Frame_shipment::startShipment(const Draft& draft,
                                   std::function<void(Database&, int)> alsoWrite) {
    Command_create_shipment_Click();
    Text_shipment_name->setText(draft.name);
    select_combo_item(*Combo_shipment_contact[0], draft.receiver);
    select_combo_item(*Combo_shipment_address[0], draft.receiverAddress);
    Text_shipment_date->setText(format_date(draft.sent));
    Text_shipment_expected_return->setText(format_date(draft.expectedReturn));
    Text_shipment_Change();
    m_list->picker().showEquipment(draft.equipment);
    m_alsoWrite = std::move(alsoWrite);
    Text_shipment_name->setFocus(Qt::OtherFocusReason);
}

void Frame_shipment::Command_delete_shipment_Click() {
    AppState& state = m_context.state();
    const int id = state.current_shipment_id;
    if (id < 0)
        return;
    Session& session = m_context.session();
    write_and_reload(
        m_context, QStringLiteral("Delete"),
        QStringLiteral("An error occurred while deleting the shipment: "),
        [&] {
            const Deletion deletion = delete_shipment(session, id);
            if (!deletion.refusal.isEmpty())
                ui().message(deletion.refusal);
            return deletion.deleted;
        },
        [&] {
            clear_shipment_form();
            refill(*Combo_shipment);
            state.current_shipment_id = -1;
            load_shipment_form();
        });
}

// ---- contacts and addresses ---------------------------------------------------------

void Frame_shipment::Command_shipment_define_name_Click(int index) {
    int key = 0;
    QComboBox& contact = *Combo_shipment_contact[index < 2 ? 0 : 1];
    if (index % 2 == 0 && contact.currentIndex() >= 0)
        key = contact.currentData().toInt();
    define_contact(m_context, key, window(), [this] { fillContactCombos(); });
}

void Frame_shipment::Command_shipment_define_address_Click(int index) {
    int key = 0;
    QComboBox& address = *Combo_shipment_address[index < 2 ? 0 : 1];
    if (index % 2 == 0 && address.currentIndex() >= 0)
        key = address.currentData().toInt();
    define_address(m_context, key, window(), [this] { fillAddressCombos(); });
}

} // namespace gearlog
