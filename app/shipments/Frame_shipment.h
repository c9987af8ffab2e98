#pragma once

#include <QDate>
#include <QFrame>
#include <array>
#include <functional>

class QCheckBox;
class QLabel;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace gearlog {

class Database;
class Recordset;
class RichTextBox;
class ShippingList;
class ViewContext;

// The shipment view: one shipment's details on the first tab, its shipping
// list on the second, and the commands that store, delete, return and
// transfer. Saving stores the shipment, its list and the moves of its
// assets together.
class Frame_shipment : public QFrame {
    Q_OBJECT
public:
    Frame_shipment(ViewContext& context, QWidget* parent);

    // Prepares the view (the caller then brings it up).
    void Command_Send_Click();
    void clear_shipment_form();
    void load_shipment_form();
    void Combo_shipment_Click();
    void Command_create_shipment_Click();
    void Command_save_shipment_changes_Click(int index);
    void Command_delete_shipment_Click();
    void Command_clear_shipment_changes_Click();
    // Shared by every editable control of the form, and by list changes.
    void Text_shipment_Change();
    void Combo_shipment_contact_Click(int index);
    void Command_shipment_define_name_Click(int index);
    void Command_shipment_define_address_Click(int index);
    void Command_return_item_from_shipping_list_Click();
    void Command_transfer_item_from_shipping_list_Click();

    ShippingList& shippingList() { return *m_list; }
    // Loads the shipment as a pick of it in the list would (another desk's
    // new one included), the list focused.
    void showShipment(int id);

    // A new shipment filled from elsewhere (a booking): its name, receiver
    // and dates, the picker on `equipment`. `alsoWrite` goes with the
    // shipment's save, in its command, given the new shipment's key; any
    // other shipment shown forgets it.
    struct Draft {
        QString name;
        int receiver = 0, receiverAddress = 0, equipment = 0;
        QDate sent, expectedReturn;
    };
    void startShipment(const Draft& draft, std::function<void(Database&, int)> alsoWrite);

private:
    void buildDetails(QWidget* page);
    void buildCommands();
    void refill(QComboBox& combo);
    void fillContactCombos();
    void fillAddressCombos();
    void selectContactAddress(int index);
    void setLoadedState(bool loaded);
    bool formIsValid();
    void writeForm(Recordset& shipment);
    // Reloads the shipment shown, as a new pick of it in the combo does.
    void reselectShipment();

    ViewContext& m_context;
    QTabWidget* Tab_shipment;
    ShippingList* m_list;
    std::function<void(Database&, int)> m_alsoWrite; // with the new shipment's save
    QComboBox* Combo_shipment;
    QLineEdit* Text_shipment_name;
    std::array<QComboBox*, 2> Combo_shipment_contact{};
    std::array<QComboBox*, 2> Combo_shipment_address{};
    QComboBox* Combo_shipment_method;
    QLineEdit* Text_shipment_consignment_note;
    QLineEdit* Text_shipment_cost;
    QLineEdit* Text_shipment_date;
    QLineEdit* Text_shipment_expected_return;
    QCheckBox* Check_shipment_receival_confirmed;
    QLabel* Label_shipment_overdue;
    QDate m_loadedReturn; // the stored expected return of the loaded shipment
    QComboBox* Combo_shipment_purpose;
    RichTextBox* rtf_shipment_comments;
    std::array<QPushButton*, 4> Command_shipment_define_name{};
    std::array<QPushButton*, 4> Command_shipment_define_address{};
    QPushButton* Command_create_shipment;
    std::array<QPushButton*, 2> Command_save_shipment_changes{};
    QPushButton* Command_delete_shipment;
    QPushButton* Command_clear_shipment_changes;
};

} // namespace gearlog
