#pragma once

#include <QFrame>
#include <array>

class QLineEdit;
class QPushButton;

namespace gearlog {

class FlexGrid;
class Recordset;
class ViewContext;

// The list view: categories, statuses, locations or contacts, chosen by
// the list buttons. Categories and statuses are edited in place; contacts
// and locations through their dialogs, from the sub-frames.
class Frame_category : public QFrame {
    Q_OBJECT
public:
    Frame_category(ViewContext& context, QWidget* parent);

    // Prepares the view for list 0..3 (the caller then brings it up).
    void Command_Categories_Click(int index);
    void load_category_list();
    // Selects the contact or location with this key as a click on its row
    // would (after Command_Categories_Click chose the list).
    void showItem(int key);

    void Grid_category_Click();
    void Grid_category_DblClick();
    void Command_create_category_Click();
    void Text_category_Change();
    void Command_Clear_category_changes_Click();
    void Command_save_category_changes_Click(int index);
    void Command_delete_category_Click();

    void Command_define_contact_Click(int index);
    void Command_define_address_Click(int index);
    void Command_delete_contact_Click();
    void Command_delete_address_Click();

    int list_kind() const { return m_listKind; }
    const QString& list_table() const { return m_listTable; }
    FlexGrid* grid() const { return Grid_category; }
    // The list's table and the key of the row selected (-1: none).
    std::pair<QString, int> selectedRecord();

private:
    // The key in column 0 of the grid's current row, or -1.
    int selectedKey() const;
    // Reports that the selected item is gone and shows the list as it is.
    void itemVanished();
    // Shows the list again with nothing selected.
    void reloadCleared();
    // Deletes a contact or address unless a shipment names it.
    void deleteUnlessShipped(Recordset& items, int key, const QString& receiverField,
                             const QString& shipperField, const QString& failure);

    ViewContext& m_context;
    int m_listKind = 0;
    QString m_listTable;

    FlexGrid* Grid_category;
    QLineEdit* Text_category;
    QPushButton* Command_create_category;
    QPushButton* Command_delete_category;
    std::array<QPushButton*, 2> Command_save_category_changes{};
    QPushButton* Command_Clear_category_changes;
    QFrame* Frame_contact;
    QFrame* Frame_address;
    std::array<QPushButton*, 2> Command_define_contact{};
    std::array<QPushButton*, 2> Command_define_address{};
    QPushButton* Command_delete_contact;
    QPushButton* Command_delete_address;
};

} // namespace gearlog
