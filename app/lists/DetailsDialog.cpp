#include "DetailsDialog.h"

#include "ColourCode.h"
#include "UiServices.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace gearlog {

namespace {
const QString nameTip = QStringLiteral(
    "Name of person or company to which this  shipment is being sent (max 255 characters)");
const QString colourTip = QStringLiteral("Colour yused to display the data point");
} // namespace

DetailsDialog::DetailsDialog(QWidget* parent, const char* objectName, const QString& caption,
                             const QString& nameLabel, const QString& colourRefusal)
    : QDialog(parent), m_colourRefusal(colourRefusal) {
    setObjectName(QString::fromLatin1(objectName));
    setWindowTitle(caption);
    auto* outer = new QVBoxLayout(this);
    m_grid = new QGridLayout;
    outer->addLayout(m_grid);
    Text_name = new QLineEdit(this);
    Text_name->setObjectName(QStringLiteral("Text_name"));
    Text_name->setToolTip(nameTip);
    addRow(nameLabel, Text_name);
    connect(Text_name, &QLineEdit::textEdited, this, &DetailsDialog::edited);
    Text_colour_code = new ColourBox(this);
    Text_colour_code->setObjectName(QStringLiteral("Text_colour_code"));
    Text_colour_code->setToolTip(colourTip);
    connect(Text_colour_code, &ColourBox::clicked, this, &DetailsDialog::Text_colour_code_Click);

    auto* buttons = new QHBoxLayout;
    auto button = [this, buttons](const QString& name, const QString& text, const QString& tip) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setToolTip(tip);
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    m_save[0] = button(QStringLiteral("Command_save_0"), QStringLiteral("Save"),
                       QStringLiteral("Replace the current details with the changed details"));
    m_save[1] = button(QStringLiteral("Command_save_1"), QStringLiteral("Save New"),
                       QStringLiteral("Save the current details as a new contact"));
    for (int i = 0; i < 2; ++i) {
        m_save[static_cast<size_t>(i)]->setProperty("Index", i);
        connect(m_save[static_cast<size_t>(i)], &QPushButton::clicked, this,
                [this, i] { Command_save_Click(i); });
    }
    QPushButton* reset = button(QStringLiteral("Command_reset"), QStringLiteral("Reset"),
                                QStringLiteral("Restore the original details"));
    connect(reset, &QPushButton::clicked, this, &DetailsDialog::Command_reset_Click);
    QPushButton* cancel = button(QStringLiteral("Command_Cancel"), QStringLiteral("Cancel"),
                                 QStringLiteral("Cancel this form"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    outer->addLayout(buttons);
}

void DetailsDialog::addRow(const QString& label, QWidget* input) {
    const int row = m_grid->rowCount();
    auto* caption = new QLabel(label, this);
    caption->setBuddy(input);
    m_grid->addWidget(caption, row, 0);
    m_grid->addWidget(input, row, 1);
}

void DetailsDialog::edited() {
    m_save[1]->setEnabled(true);
    m_save[0]->setEnabled(m_editingExisting);
}

void DetailsDialog::addColourRow() {
    addRow(QStringLiteral("Colour Code"), Text_colour_code);
}

void DetailsDialog::resetButtons() {
    m_save[0]->setEnabled(false);
    m_save[1]->setEnabled(false);
}

void DetailsDialog::Text_colour_code_Click() {
    const int chosen = choose_colour(Text_colour_code->code());
    if (chosen == -1)
        return;
    Text_colour_code->setCode(chosen);
    Text_colour_code->clear();
    edited();
}

void DetailsDialog::Command_save_Click(int index) {
    if (!m_save[static_cast<size_t>(index)]->isEnabled())
        return;
    if (Text_name->text().trimmed().isEmpty()) {
        ui().message(QStringLiteral("The name field cannot be blank"));
        return;
    }
    const int colour = Text_colour_code->code();
    if (colour == 0 || colour == 0xFFFFFF) {
        ui().message(m_colourRefusal);
        return;
    }
    store();
    m_saveChoice = index;
    accept();
}

} // namespace gearlog
