#pragma once

#include <QDialog>
#include <array>

class QCheckBox;
class QPushButton;
class QTextEdit;

namespace fitwell {
class FitwellControl;
}

namespace gearlog {

class FlexGrid;
class Frame_fields;
class Session;
struct AppState;

// "Shipping History for <model>": every line of the selected asset with its
// shipment, oldest first, in the columns the user chose, narrowed by the
// shipment's purpose.
class Form_Shipping_History : public QDialog {
    Q_OBJECT
public:
    Form_Shipping_History(Session& session, AppState& state, QWidget* parent = nullptr);

    // Builds the grid and the text again (after a choice of columns or purposes).
    void build();
    void Command_show_Click();
    void menu_select_fields_Click();

    FlexGrid* grid() { return Grid_asset_shipment; }
    Frame_fields& fields() { return *m_fields; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    Session& m_session;
    AppState& m_state;
    fitwell::FitwellControl* m_fitwell;
    std::array<QCheckBox*, 3> Check_purpose{};
    FlexGrid* Grid_asset_shipment;
    QTextEdit* rtf_shipping_history;
    QPushButton* Command_show;
    Frame_fields* m_fields;
};

} // namespace gearlog
