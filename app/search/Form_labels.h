#pragma once

#include <QDialog>
#include <vector>

class QComboBox;
class QLabel;
class QRadioButton;

namespace gearlog {

class Session;
struct LabelLayout;

// "Print Labels": labels with QR codes for the selected assets or every
// asset of their type, on a sheet layout, to the printer or to PDF.
class Form_labels : public QDialog {
    Q_OBJECT
public:
    // `selected` may be empty (a type's labels only); `equipmentId` -1
    // when there is no type to offer. Engine failures throw.
    Form_labels(Session& session, std::vector<int> selected, int equipmentId, QWidget* parent);

    void Command_print_labels_Click();
    void Command_save_labels_pdf_Click();

    QComboBox* Combo_label_layout;
    QRadioButton* Option_labels_selected;
    QRadioButton* Option_labels_type;
    QLabel* Label_label_pages;

private:
    const std::vector<int>& chosen() const;
    const LabelLayout& layout() const;
    void showPages();

    Session& m_session;
    std::vector<int> m_selected, m_ofType;
};

} // namespace gearlog
