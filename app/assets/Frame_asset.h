#pragma once

#include <QFrame>
#include <QVariant>
#include <array>
#include <functional>
#include <optional>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace gearlog {

class AssetList;
class Recordset;
class RichTextBox;
class ViewContext;

// The asset view: the asset list of one equipment type and the form that
// creates, changes and deletes its assets.
class Frame_asset : public QFrame {
    Q_OBJECT
public:
    Frame_asset(ViewContext& context, QWidget* parent);

    // Prepares the view (the caller then brings it up).
    void Command_Assets_Click();
    void Command_create_asset_Click();
    void Command_save_asset_changes_Click(int index);
    void Command_clear_asset_changes_Click();
    void Command_delete_asset_Click();
    void Command_shipping_history_Click();
    // Shared by every editable control of the form.
    void Text_asset_Change();

    AssetList& assetList() { return *m_list; }
    // Called with the asset the form shows (0: none), for what features
    // show beside the form.
    void onAssetShown(std::function<void(int)> shown) { m_assetShown = std::move(shown); }

private:
    void clearForm();
    void fillForm(Recordset& asset);
    void setStoredState(bool stored);
    bool formIsValid();
    void writeForm(Recordset& asset);
    // The typed value of a non-empty date or money box; nothing when the
    // text is not valid.
    std::optional<QVariant> valueIn(size_t box) const;

    ViewContext& m_context;
    AssetList* m_list;
    QLineEdit* Text_asset_model;
    QLineEdit* Text_asset_serial;
    // Text_asset_acquired, _disposed, _price, _replacement_cost, _valuation
    // and _maintenance: the boxes whose emptied text keeps the stored value.
    std::array<QLineEdit*, 6> m_valueBoxes{};
    QComboBox* Combo_asset_account;
    RichTextBox* rtf_asset_comments;
    QPushButton* Command_create_asset;
    std::array<QPushButton*, 2> Command_save_asset_changes{};
    QPushButton* Command_clear_asset_changes;
    QPushButton* Command_delete_asset;
    QPushButton* Command_shipping_history;
    QPushButton* Command_asset_changes;
    std::function<void(int)> m_assetShown;
};

} // namespace gearlog
