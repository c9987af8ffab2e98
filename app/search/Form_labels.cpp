#include "Form_labels.h"

#include "AssetLabels.h"
#include "Database.h"
#include "EngineError.h"
#include "ExportFile.h"
#include "LabelSheet.h"
#include "Session.h"
#include "Settings.h"
#include "UiServices.h"
#include "ViewParts.h"

#include <QComboBox>
#include <QLabel>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>

namespace gearlog {

namespace {

const QString layoutSetting = QStringLiteral("LabelLayout");

QString equipmentName(Session& session, int equipmentId) {
    const auto rows = session.database().store().select(
        QStringLiteral("SELECT Name FROM Table_Equipment WHERE ID = ?"), {equipmentId},
        {FieldType::Text});
    return rows.empty() ? QString() : rows.front()[0].toString();
}

} // namespace

Form_labels::Form_labels(Session& session, std::vector<int> selected, int equipmentId,
                         QWidget* parent)
    : QDialog(parent), m_session(session), m_selected(std::move(selected)) {
    setObjectName(QStringLiteral("Form_labels"));
    setWindowTitle(QStringLiteral("Print Labels"));
    resize(560, 230);
    Option_labels_selected =
        new QRadioButton(QStringLiteral("The selected assets (%L1)").arg(m_selected.size()), this);
    Option_labels_selected->setObjectName(QStringLiteral("Option_labels_selected"));
    Option_labels_selected->setGeometry(20, 15, 520, 26);
    const QString type = equipmentId > 0 ? equipmentName(session, equipmentId) : QString();
    if (!type.isEmpty())
        m_ofType = assets_of_type(session.database().store(), equipmentId);
    Option_labels_type = new QRadioButton(
        QStringLiteral("Every asset of %1 (%L2)").arg(type).arg(m_ofType.size()), this);
    Option_labels_type->setObjectName(QStringLiteral("Option_labels_type"));
    Option_labels_type->setGeometry(20, 45, 520, 26);
    Option_labels_selected->setEnabled(!m_selected.empty());
    Option_labels_type->setEnabled(!type.isEmpty());
    (m_selected.empty() ? Option_labels_type : Option_labels_selected)->setChecked(true);

    Combo_label_layout =
        makeCombo(this, QStringLiteral("Combo_label_layout"), QStringLiteral("Sheet"),
                  QStringLiteral("The label sheet or label printer"), {110, 85, 430, 26}, 90);
    for (const LabelLayout& l : label_layouts())
        Combo_label_layout->addItem(l.name);
    // The layout used last, when the stored setting names one.
    bool stored = false;
    const int last = settings::read(layoutSetting).toInt(&stored);
    Combo_label_layout->setCurrentIndex(
        stored && last >= 0 && last < Combo_label_layout->count() ? last : 0);
    Label_label_pages = new QLabel(this);
    Label_label_pages->setObjectName(QStringLiteral("Label_label_pages"));
    Label_label_pages->setGeometry(20, 125, 520, 26);

    QPushButton* print = makeButton(this, QStringLiteral("Command_print_labels"),
                                    QStringLiteral("Print..."), QString(), {160, 180, 120, 30});
    QPushButton* pdf = makeButton(this, QStringLiteral("Command_save_labels_pdf"),
                                  QStringLiteral("Save as PDF..."), QString(), {290, 180, 120, 30});
    QPushButton* done = makeButton(this, QStringLiteral("Command_Done"), QStringLiteral("Close"),
                                   QStringLiteral("Close this form"), {420, 180, 120, 30});
    connect(print, &QPushButton::clicked, this, &Form_labels::Command_print_labels_Click);
    connect(pdf, &QPushButton::clicked, this, &Form_labels::Command_save_labels_pdf_Click);
    connect(done, &QPushButton::clicked, this, &QDialog::accept);
    connect(Option_labels_selected, &QRadioButton::toggled, this, &Form_labels::showPages);
    connect(Combo_label_layout, &QComboBox::currentIndexChanged, this, [this](int index) {
        settings::write(layoutSetting, QString::number(index));
        showPages();
    });
    print->setDefault(true);
    showPages();
}

const std::vector<int>& Form_labels::chosen() const {
    return Option_labels_selected->isChecked() ? m_selected : m_ofType;
}

const LabelLayout& Form_labels::layout() const {
    return label_layouts()[static_cast<size_t>(std::max(0, Combo_label_layout->currentIndex()))];
}

void Form_labels::showPages() {
    const int labels = static_cast<int>(chosen().size());
    const int pages = label_pages(layout(), labels);
    Label_label_pages->setText(QStringLiteral("%L1 label%2 on %L3 page%4")
                                   .arg(labels)
                                   .arg(labels == 1 ? QString() : QStringLiteral("s"))
                                   .arg(pages)
                                   .arg(pages == 1 ? QString() : QStringLiteral("s")));
}

void Form_labels::Command_print_labels_Click() {
    try {
        const auto labels = read_asset_labels(m_session.database().store(), chosen());
        QPrinter printer;
        printer.setPageSize(layout().page);
        QPrintDialog dialog(&printer, this);
        if (ui().runModal(dialog) == QDialog::Accepted)
            paint_labels(printer, layout(), labels);
    } catch (const EngineError& e) {
        ui().showError(QStringLiteral("The labels could not be read: ") + e.description(),
                       e.details());
    }
}

void Form_labels::Command_save_labels_pdf_Click() {
    std::vector<AssetLabel> labels;
    try {
        labels = read_asset_labels(m_session.database().store(), chosen());
    } catch (const EngineError& e) {
        ui().showError(QStringLiteral("The labels could not be read: ") + e.description(),
                       e.details());
        return;
    }
    save_pdf(QStringLiteral("Save the labels as PDF"), QStringLiteral("Asset labels.pdf"),
             open_database_file(m_session), QStringLiteral("Asset labels"),
             [&](QPdfWriter& writer) {
                 writer.setResolution(600);
                 paint_labels(writer, layout(), labels);
             });
}

} // namespace gearlog
