#include "MaintenancePanel.h"

#include "CommandRunner.h"
#include "ExportFile.h"
#include "FlexGrid.h"
#include "MaintenanceTables.h"
#include "Session.h"
#include "SheetWrite.h"
#include "TypedText.h"
#include "UiServices.h"
#include "ViewContext.h"
#include "ViewParts.h"
#include "ViewRequests.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>

namespace gearlog {

namespace {

QSpinBox* intervalBox(QWidget* parent, const char* name, const QString& none, QRect at) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(0, 36500);
    box->setSuffix(QStringLiteral(" days"));
    box->setSpecialValueText(none);
    box->setGeometry(at);
    return box;
}

bool hasTables(ViewContext& context) {
    return context.session().tableCursorsOpen() &&
           has_maintenance_tables(context.session().database());
}

} // namespace

MaintenancePanel::MaintenancePanel(ViewContext& context, QWidget* assetView)
    : QObject(assetView), m_context(context), m_view(assetView) {
    Text_asset_interval = intervalBox(assetView, "Text_asset_interval",
                                      QStringLiteral("as its type"), {930, 255, 95, 26});
    Text_asset_interval->setToolTip(
        QStringLiteral("This asset's own maintenance interval, which wins over its type's"));
    makeLabelBefore(assetView, QStringLiteral("Every"), Text_asset_interval, 60);
    QPushButton* set =
        makeButton(assetView, QStringLiteral("Command_set_asset_interval"), QStringLiteral("Set"),
                   QStringLiteral("Keep this interval for the asset"), {1028, 254, 42, 28});
    connect(set, &QPushButton::clicked, this,
            guarded([this] { Command_set_asset_interval_Click(); }));
    Grid_maintenance =
        makeGrid(assetView, QStringLiteral("Grid_maintenance"), QStringLiteral("Maintenance grid"),
                 QStringLiteral("The asset's maintenance, newest first. Enter opens a certificate"),
                 {870, 287, 200, 138}, 7, 0);
    open_on_enter(*Grid_maintenance, [this] { Command_open_certificate_Click(); });
    connect(Grid_maintenance, &FlexGrid::RightClick, this, [this](const QPoint& at) {
        Grid_maintenance->setFocus(Qt::PopupFocusReason); // the menu saves this grid
        m_context.popupMenu(at);
    });
    QPushButton* record =
        makeButton(assetView, QStringLiteral("Command_record_maintenance"),
                   QStringLiteral("Record &Maintenance..."),
                   QStringLiteral("Record maintenance done to this asset and set its next date"),
                   {540, 555, 150, 30});
    connect(record, &QPushButton::clicked, this, [this] {
        if (m_asset > 0)
            emit m_context.requests().maintenanceRequested(m_asset);
    });
    QPushButton* open = makeButton(
        assetView, QStringLiteral("Command_open_certificate"), QStringLiteral("Open Certificate"),
        QStringLiteral("Open the chosen entry's certificate"), {695, 555, 120, 30});
    connect(open, &QPushButton::clicked, this,
            guarded([this] { Command_open_certificate_Click(); }));
    QPushButton* save = makeButton(assetView, QStringLiteral("Command_save_certificate"),
                                   QStringLiteral("Save Certificate..."),
                                   QStringLiteral("Save the chosen entry's certificate as a file"),
                                   {820, 555, 120, 30});
    connect(save, &QPushButton::clicked, this,
            guarded([this] { Command_save_certificate_Click(); }));
    m_controls = {Text_asset_interval, set, Grid_maintenance, record, open, save};
    enable(false);
}

void MaintenancePanel::enable(bool enabled) {
    for (QWidget* w : m_controls)
        w->setEnabled(enabled);
}

void MaintenancePanel::showAsset(int asset) {
    m_asset = asset;
    m_log.clear();
    StringTable rows{{QStringLiteral("Date"), QStringLiteral("Result"), QStringLiteral("Kind"),
                      QStringLiteral("By"), QStringLiteral("Cost"), QStringLiteral("Next"),
                      QStringLiteral("Certificate")}};
    const bool shown = asset > 0 && hasTables(m_context);
    enable(shown);
    if (shown) {
        Store& store = m_context.session().database().store();
        m_log = read_log(store, asset);
        for (const MaintenanceEntry& e : m_log)
            rows.push_back({format_date(e.done), e.result, e.kind, e.by,
                            e.cost ? QString::number(*e.cost, 'f', 2) : QString(),
                            format_date(e.next), e.certificateName});
        const Interval interval = interval_of(store, asset);
        Text_asset_interval->setSpecialValueText(
            interval.typeDays > 0 ? QStringLiteral("type's: %1").arg(interval.typeDays)
                                  : QStringLiteral("none"));
        Text_asset_interval->setValue(interval.own ? interval.days : 0);
    }
    Grid_maintenance->replaceTable(std::move(rows));
    for (const auto& [column, twips] : {std::pair{0, 1300}, {1, 950}, {2, 1200}})
        Grid_maintenance->setColWidth(column, twips);
    // Failed entries stand out.
    for (size_t r = 0; r < m_log.size(); ++r)
        if (m_log[r].result == maintenanceResult::failed)
            Grid_maintenance->setCellBackColor(static_cast<int>(r) + 1, 1, {0xf4, 0xc7, 0xc3});
}

void MaintenancePanel::Command_set_asset_interval_Click() {
    if (m_asset <= 0)
        return;
    const int asset = m_asset, days = Text_asset_interval->value();
    write_and_reload(
        m_context, QStringLiteral("Set Maintenance Interval"),
        QStringLiteral("The interval was not set: "),
        [&] {
            set_asset_interval(m_context.session().database(), asset, days);
            return true;
        },
        [this, asset] { showAsset(asset); });
}

const MaintenanceEntry* MaintenancePanel::certifiedEntry() {
    const int row = Grid_maintenance->row() - 1;
    if (row < 0 || row >= static_cast<int>(m_log.size()) ||
        m_log[static_cast<size_t>(row)].certificateSize <= 0) {
        ui().message(QStringLiteral("Choose an entry with a certificate in the Maintenance grid"));
        return nullptr;
    }
    return &m_log[static_cast<size_t>(row)];
}

void MaintenancePanel::Command_open_certificate_Click() {
    const MaintenanceEntry* entry = certifiedEntry();
    if (!entry)
        return;
    const Certificate c = read_certificate(m_context.session().database().store(), entry->id);
    // A copy of its own for the viewer, named as the file was.
    const QDir folder(QStandardPaths::writableLocation(QStandardPaths::TempLocation));
    folder.mkpath(QStringLiteral("gearlog-certificates"));
    const QString path = folder.filePath(QStringLiteral("gearlog-certificates/%1-%2")
                                             .arg(entry->id)
                                             .arg(QFileInfo(c.name).fileName()));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(c.bytes) != c.bytes.size()) {
        ui().message(QStringLiteral("The certificate could not be written for the viewer: %1")
                         .arg(file.errorString()));
        return;
    }
    file.close();
    if (!ui().openDocument(path))
        ui().message(QStringLiteral("No viewer could be started for %1; save it as a file instead")
                         .arg(c.name));
}

void MaintenancePanel::Command_save_certificate_Click() {
    const MaintenanceEntry* entry = certifiedEntry();
    if (!entry)
        return;
    const QString failure = QStringLiteral("The certificate was not saved: ");
    const QString path = choose_export_file(
        QStringLiteral("Save the certificate"), QStringLiteral("All files (*)|*"),
        QFileInfo(entry->certificateName).suffix(), QString(), entry->certificateName,
        open_database_file(m_context.session()), failure);
    if (path.isEmpty())
        return;
    const Certificate c = read_certificate(m_context.session().database().store(), entry->id);
    const QString error = write_through_temporary(path, [&c](const QString& partial) {
        QFile file(partial);
        if (!file.open(QIODevice::WriteOnly) || file.write(c.bytes) != c.bytes.size())
            return file.errorString();
        return QString();
    });
    if (!error.isEmpty())
        ui().message(failure + error);
}

TypeIntervalBox::TypeIntervalBox(ViewContext& context, QWidget* equipmentView)
    : QObject(equipmentView), m_context(context) {
    Text_equipment_interval = intervalBox(equipmentView, "Text_equipment_interval",
                                          QStringLiteral("none"), {760, 80, 100, 26});
    Text_equipment_interval->setToolTip(
        QStringLiteral("How often this type's assets are maintained (an asset may have its own)"));
    makeLabelBefore(equipmentView, QStringLiteral("Maintenance every"), Text_equipment_interval,
                    125);
    Combo_equipment_interval_kind = new QComboBox(equipmentView);
    Combo_equipment_interval_kind->setObjectName(QStringLiteral("Combo_equipment_interval_kind"));
    Combo_equipment_interval_kind->setEditable(true);
    Combo_equipment_interval_kind->setInsertPolicy(QComboBox::NoInsert);
    Combo_equipment_interval_kind->setGeometry(690, 115, 170, 26);
    Combo_equipment_interval_kind->setToolTip(
        QStringLiteral("What the interval is for; type a new kind to add it to the list"));
    makeLabelBefore(equipmentView, QStringLiteral("Kind"), Combo_equipment_interval_kind, 55);
    QPushButton* set =
        makeButton(equipmentView, QStringLiteral("Command_set_equipment_interval"),
                   QStringLiteral("Set Interval"),
                   QStringLiteral("Keep this interval and kind for the type"), {760, 150, 100, 30});
    connect(set, &QPushButton::clicked, this,
            guarded([this] { Command_set_equipment_interval_Click(); }));
    m_controls = {Text_equipment_interval, Combo_equipment_interval_kind, set};
    for (QWidget* w : m_controls)
        w->setEnabled(false);
}

void TypeIntervalBox::showEquipment(int equipment) {
    m_equipment = equipment;
    const bool shown = equipment > 0 && hasTables(m_context);
    for (QWidget* w : m_controls)
        w->setEnabled(shown);
    if (!shown)
        return;
    Store& store = m_context.session().database().store();
    const Interval interval = type_interval(store, equipment);
    Combo_equipment_interval_kind->clear();
    Combo_equipment_interval_kind->addItems(read_kinds(store));
    Combo_equipment_interval_kind->setCurrentText(
        interval.kind.isEmpty() ? QStringLiteral("Maintenance") : interval.kind);
    Text_equipment_interval->setValue(interval.days);
}

void TypeIntervalBox::Command_set_equipment_interval_Click() {
    if (m_equipment <= 0)
        return;
    const int equipment = m_equipment, days = Text_equipment_interval->value();
    const QString kind = Combo_equipment_interval_kind->currentText();
    write_and_reload(
        m_context, QStringLiteral("Set Maintenance Interval"),
        QStringLiteral("The interval was not set: "),
        [&] {
            set_type_interval(m_context.session().database(), equipment, days, kind);
            return true;
        },
        [this, equipment] { showEquipment(equipment); });
}

} // namespace gearlog
