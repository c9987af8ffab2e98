#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace gearlog {

class ViewContext;

// "Record Maintenance": what was done to one asset, when, by whom, with
// which result and cost, notes and a certificate; saved as one command
// that also sets the asset's next maintenance (proposed from the date done
// and the interval the asset follows, which the user may change).
class Form_maintenance : public QDialog {
    Q_OBJECT
public:
    Form_maintenance(ViewContext& context, int asset, QWidget* parent);

    void Command_choose_certificate_Click();
    // Checks the form, records the entry, and closes when it committed.
    void Command_save_maintenance_Click();

    QLineEdit* Text_maintenance_done;
    QComboBox* Combo_maintenance_kind;
    QComboBox* Combo_maintenance_by;
    QComboBox* Combo_maintenance_result;
    QLineEdit* Text_maintenance_cost;
    QPlainTextEdit* Text_maintenance_notes;
    QLineEdit* Text_maintenance_certificate;
    QLineEdit* Text_maintenance_next;
    QLabel* Label_maintenance_interval;

private:
    // The next date proposed for the date done, unless the user typed one.
    void proposeNext();

    ViewContext& m_context;
    int m_asset;
    QString m_proposed; // the next date as last proposed
};

} // namespace gearlog
