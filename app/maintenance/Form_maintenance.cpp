#include "Form_maintenance.h"

#include "CommandRunner.h"
#include "DateField.h"
#include "DialogButtons.h"
#include "Maintenance.h"
#include "Session.h"
#include "TypedText.h"
#include "UiServices.h"
#include "ViewContext.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace gearlog {

namespace {

QComboBox* combo(QWidget* parent, const char* name, bool editable) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(editable);
    if (editable)
        box->setInsertPolicy(QComboBox::NoInsert);
    return box;
}

QLineEdit* line(QWidget* parent, const char* name) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

} // namespace

Form_maintenance::Form_maintenance(ViewContext& context, int asset, QWidget* parent)
    : QDialog(parent), m_context(context), m_asset(asset) {
    setObjectName(QStringLiteral("Form_maintenance"));
    setWindowTitle(QStringLiteral("Record Maintenance"));
    Store& store = context.session().database().store();
    const auto about = store.select(
        QStringLiteral("SELECT a.ModelNumber, a.SerialNumber, e.Name FROM Table_asset a LEFT JOIN "
                       "Table_equipment e ON e.ID = a.EquipmentID WHERE a.ID = ?"),
        {asset}, {FieldType::Text, FieldType::Text, FieldType::Text});
    auto* heading = new QLabel(about.empty() ? QStringLiteral("Asset %1").arg(asset)
                                             : QStringLiteral("Asset %1: %2 %3 (%4)")
                                                   .arg(asset)
                                                   .arg(about.front()[0].toString(),
                                                        about.front()[1].toString(),
                                                        about.front()[2].toString()),
                               this);
    heading->setObjectName(QStringLiteral("Label_maintenance_asset"));

    Text_maintenance_done = line(this, "Text_maintenance_done");
    Text_maintenance_done->setText(format_date(QDate::currentDate()));
    attach_date_picker(*Text_maintenance_done, context.state(), [this] { proposeNext(); });
    connect(Text_maintenance_done, &QLineEdit::textChanged, this, [this] { proposeNext(); });
    const Interval interval = interval_of(store, asset);
    Combo_maintenance_kind = combo(this, "Combo_maintenance_kind", true);
    Combo_maintenance_kind->addItems(read_kinds(store));
    Combo_maintenance_kind->setCurrentText(interval.kind.isEmpty() ? QStringLiteral("Maintenance")
                                                                   : interval.kind);
    Combo_maintenance_by = combo(this, "Combo_maintenance_by", true);
    for (const Row& r :
         store.select(QStringLiteral("SELECT ID, Name FROM Table_contact ORDER BY Name, ID"), {},
                      {FieldType::Long, FieldType::Text}))
        Combo_maintenance_by->addItem(r[1].toString(), r[0]);
    Combo_maintenance_by->setCurrentIndex(-1);
    Combo_maintenance_by->setToolTip(
        QStringLiteral("Who did it: a contact, or any name typed here"));
    Combo_maintenance_result = combo(this, "Combo_maintenance_result", false);
    Combo_maintenance_result->addItems(maintenance_results());
    Text_maintenance_cost = line(this, "Text_maintenance_cost");
    Text_maintenance_notes = new QPlainTextEdit(this);
    Text_maintenance_notes->setObjectName(QStringLiteral("Text_maintenance_notes"));
    Text_maintenance_notes->setTabChangesFocus(true);
    Text_maintenance_certificate = line(this, "Text_maintenance_certificate");
    Text_maintenance_certificate->setToolTip(
        QStringLiteral("A PDF or picture of the certificate, up to 20 MB, kept with the entry"));
    auto* choose = new QPushButton(QStringLiteral("C&hoose..."), this);
    choose->setObjectName(QStringLiteral("Command_choose_certificate"));
    connect(choose, &QPushButton::clicked, this, [this] { Command_choose_certificate_Click(); });
    Text_maintenance_next = line(this, "Text_maintenance_next");
    attach_date_picker(*Text_maintenance_next, context.state());
    Label_maintenance_interval = new QLabel(this);
    Label_maintenance_interval->setObjectName(QStringLiteral("Label_maintenance_interval"));
    Label_maintenance_interval->setText(
        interval.days > 0
            ? QStringLiteral("Every %1 days (%2)")
                  .arg(interval.days)
                  .arg(interval.own ? QStringLiteral("its own interval")
                                    : QStringLiteral("its type's interval"))
            : QStringLiteral("No interval is set: give the next date, or leave it empty to keep "
                             "the asset's"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Date done"), Text_maintenance_done);
    form->addRow(QStringLiteral("&Kind"), Combo_maintenance_kind);
    form->addRow(QStringLiteral("Done &by"), Combo_maintenance_by);
    form->addRow(QStringLiteral("&Result"), Combo_maintenance_result);
    form->addRow(QStringLiteral("C&ost"), Text_maintenance_cost);
    form->addRow(QStringLiteral("&Notes"), Text_maintenance_notes);
    auto* certificate = new QHBoxLayout;
    certificate->addWidget(Text_maintenance_certificate);
    certificate->addWidget(choose);
    auto* certificateLabel = new QLabel(QStringLiteral("Cer&tificate"), this);
    certificateLabel->setBuddy(Text_maintenance_certificate);
    form->addRow(certificateLabel, certificate);
    form->addRow(QStringLiteral("Ne&xt maintenance"), Text_maintenance_next);
    form->addRow(QString(), Label_maintenance_interval);
    const OkCancel buttons = okCancelButtons(this);
    buttons.ok->setText(QStringLiteral("&Save"));
    connect(buttons.ok, &QPushButton::clicked, this, [this] { Command_save_maintenance_Click(); });
    connect(buttons.cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    column->addWidget(heading);
    column->addLayout(form);
    column->addWidget(buttons.box);
    resize(520, 440);
    proposeNext();
    Text_maintenance_done->setFocus();
}

void Form_maintenance::proposeNext() {
    // A date the user typed stays; one proposed follows the date done.
    if (Text_maintenance_next->text() != m_proposed)
        return;
    const QDate next = proposed_next(m_context.session().database().store(), m_asset,
                                     parse_date(Text_maintenance_done->text()));
    m_proposed = next.isValid() ? format_date(next) : QString();
    Text_maintenance_next->setText(m_proposed);
}

void Form_maintenance::Command_choose_certificate_Click() {
    const QString path = ui().openFile(
        QStringLiteral("Select the certificate"),
        QStringLiteral("Certificates (*.pdf;*.png;*.jpg;*.jpeg;*.tif;*.tiff)|*.pdf;*.png;*.jpg;"
                       "*.jpeg;*.tif;*.tiff|All files (*)|*"),
        QString());
    if (!path.isEmpty())
        Text_maintenance_certificate->setText(path);
}

void Form_maintenance::Command_save_maintenance_Click() {
    MaintenanceEntry e;
    e.asset = m_asset;
    e.done = parse_date(Text_maintenance_done->text());
    if (!e.done.isValid()) {
        ui().message(QStringLiteral("The date done must be a date"));
        Text_maintenance_done->setFocus();
        return;
    }
    e.kind = Combo_maintenance_kind->currentText().trimmed();
    e.by = Combo_maintenance_by->currentText().trimmed();
    if (const int at = Combo_maintenance_by->findText(e.by); at >= 0 && !e.by.isEmpty())
        e.contact = Combo_maintenance_by->itemData(at).toInt();
    e.result = Combo_maintenance_result->currentText();
    if (const QString cost = Text_maintenance_cost->text().trimmed(); !cost.isEmpty()) {
        double amount = 0;
        if (!parse_money(cost, &amount)) {
            ui().message(QStringLiteral("The cost must be an amount of money"));
            Text_maintenance_cost->setFocus();
            return;
        }
        e.cost = amount;
    }
    e.notes = Text_maintenance_notes->toPlainText();
    if (const QString next = Text_maintenance_next->text().trimmed(); !next.isEmpty()) {
        e.next = parse_date(next);
        if (!e.next.isValid()) {
            ui().message(QStringLiteral("The next maintenance must be a date"));
            Text_maintenance_next->setFocus();
            return;
        }
    }
    std::optional<Certificate> certificate;
    if (const QString path = Text_maintenance_certificate->text().trimmed(); !path.isEmpty()) {
        QFile file(path);
        if (QFileInfo(path).size() > largestCertificate) {
            ui().message(QStringLiteral("The certificate is larger than 20 MB"));
            return;
        }
        if (!file.open(QIODevice::ReadOnly)) {
            ui().message(
                QStringLiteral("The certificate cannot be read: %1").arg(file.errorString()));
            return;
        }
        certificate = Certificate{QFileInfo(path).fileName(), file.readAll()};
    }
    if (write_and_reload(m_context, QStringLiteral("Record Maintenance"),
                         QStringLiteral("The maintenance was not recorded: "),
                         [&] {
                             record_maintenance(m_context.session().database(), e, certificate);
                             return true;
                         },
                         {}))
        accept();
}

} // namespace gearlog
