#pragma once

#include <QDialog>
#include <array>

class QGridLayout;
class QLineEdit;
class QPushButton;

namespace gearlog {

class ColourBox;

// What the contact and address dialogs share: the name and colour boxes,
// the Save / Save New / Reset / Cancel buttons, edit tracking and the
// checks made before saving. A subclass adds its own fields between the
// name and the colour, loads them and stores them.
class DetailsDialog : public QDialog {
    Q_OBJECT
public:
    // Index 0 "Save", 1 "Save New".
    void Command_save_Click(int index);
    void Command_reset_Click() { load(); }
    void Text_colour_code_Click();
    int saveChoice() const { return m_saveChoice; }

protected:
    DetailsDialog(QWidget* parent, const char* objectName, const QString& caption,
                  const QString& nameLabel, const QString& colourRefusal);

    // Puts a labelled input on the next row; the label is its buddy.
    void addRow(const QString& label, QWidget* input);
    // The colour box's row, after the subclass's own fields.
    void addColourRow();
    // Fills the fields from the exchange values; ends with resetButtons().
    virtual void load() = 0;
    // Writes the fields back to the exchange values.
    virtual void store() = 0;
    // Any edit: "Save New" on, "Save" only when an existing record is edited.
    void edited();
    void resetButtons();

    QLineEdit* Text_name;
    ColourBox* Text_colour_code;
    bool m_editingExisting = false;

private:
    QGridLayout* m_grid;
    std::array<QPushButton*, 2> m_save{};
    QString m_colourRefusal;
    int m_saveChoice = 0;
};

} // namespace gearlog
