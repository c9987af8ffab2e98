#include "Form_changes.h"

#include "DateField.h"
#include "EngineError.h"
#include "ExportFile.h"
#include "FlexGrid.h"
#include "Schema.h"
#include "Session.h"
#include "SpreadsheetExport.h"
#include "TypedText.h"
#include "UiServices.h"
#include "ViewContext.h"
#include "ViewParts.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

namespace gearlog {

namespace {

// The kinds of record the filter offers, with their tables.
const std::pair<const char*, const char*> kinds[] = {
    {"Every kind of record", ""},           {"Assets", "Table_asset"},
    {"Shipments", "Table_shipment"},        {"Shipping lists", "Table_shippinglist"},
    {"Equipment types", "Table_equipment"}, {"Photographs", "Table_photo"},
    {"Contacts", "Table_contact"},          {"Locations", "Table_address"},
    {"Categories", "Table_category"},       {"Statuses", "Table_status"}};

QLineEdit* filterBox(QDialog* parent, const QString& name, const QString& label, QRect at) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setGeometry(at);
    makeLabelBefore(parent, label, box, 50);
    return box;
}

// A record as people read it: "asset 12" for Table_asset's row 12.
QString recordName(const QString& table, int key) {
    const TableDef* def = findTable(table);
    return QStringLiteral("%1 %2").arg(def ? def->name.mid(6) : table).arg(key);
}

} // namespace

Form_changes::Form_changes(ViewContext& context, const QString& table, int key, QWidget* parent)
    : QDialog(parent), m_context(context) {
    setObjectName(QStringLiteral("Form_changes"));
    setWindowTitle(table.isEmpty() ? QStringLiteral("Recent Changes")
                                   : QStringLiteral("Changes of ") + recordName(table, key));
    resize(1000, 600);
    // The history names tables as the schema does, whatever the caller's case.
    const TableDef* def = findTable(table);
    m_filter.table = def ? def->name : table;
    m_filter.key = key;
    m_filter.limit = pageSize;
    const bool everything = table.isEmpty();
    if (everything) {
        Text_changes_who = filterBox(this, QStringLiteral("Text_changes_who"),
                                     QStringLiteral("Who"), {70, 10, 130, 26});
        Text_changes_from = filterBox(this, QStringLiteral("Text_changes_from"),
                                      QStringLiteral("From"), {270, 10, 110, 26});
        Text_changes_to = filterBox(this, QStringLiteral("Text_changes_to"), QStringLiteral("To"),
                                    {450, 10, 110, 26});
        for (QLineEdit* date : {Text_changes_from, Text_changes_to})
            attach_date_picker(*date, context.state());
        Combo_changes_kind =
            makeCombo(this, QStringLiteral("Combo_changes_kind"), QStringLiteral("Kind"),
                      QStringLiteral("Which records"), {620, 10, 200, 26}, 50);
        for (const auto& [caption, kindTable] : kinds)
            Combo_changes_kind->addItem(QString::fromLatin1(caption),
                                        QString::fromLatin1(kindTable));
        QPushButton* filter = makeButton(this, QStringLiteral("Command_changes_filter"),
                                         QStringLiteral("Show"), QString(), {840, 8, 150, 30});
        connect(filter, &QPushButton::clicked, this, [this] { Command_changes_filter_Click(); });
        filter->setDefault(true);
    }
    const int top = everything ? 45 : 10;
    Grid_changes = makeGrid(this, QStringLiteral("Grid_changes"), QStringLiteral("Changes grid"),
                            QString(), {10, top, 980, 545 - top}, 7, 0);
    auto* popup = new QMenu(this);
    popup->setObjectName(QStringLiteral("mnuPopup"));
    QAction* excel = popup->addAction(QStringLiteral("Save as Excel"));
    excel->setObjectName(QStringLiteral("mnuExcel"));
    connect(excel, &QAction::triggered, this, [this] {
        export_grid_to_spreadsheet(*Grid_changes, open_database_file(m_context.session()));
    });
    connect(Grid_changes, &FlexGrid::RightClick, popup,
            [popup](const QPoint& at) { popup->popup(at); });
    Command_changes_older =
        makeButton(this, QStringLiteral("Command_changes_older"), QStringLiteral("Older changes"),
                   QString(), {730, 560, 130, 30});
    connect(Command_changes_older, &QPushButton::clicked, this,
            [this] { Command_changes_older_Click(); });
    QPushButton* done = makeButton(this, QStringLiteral("Command_Done"), QStringLiteral("Close"),
                                   QStringLiteral("Close this form"), {870, 560, 120, 30});
    connect(done, &QPushButton::clicked, this, &QDialog::accept);
    m_pages.push_back(0);
    showPage();
}

void Form_changes::Command_changes_filter_Click() {
    // A date that cannot be read is refused, never taken for no date.
    QDate days[2];
    QLineEdit* const boxes[2] = {Text_changes_from, Text_changes_to};
    for (int i = 0; i < 2; ++i) {
        if (boxes[i]->text().trimmed().isEmpty())
            continue;
        days[i] = parse_date(boxes[i]->text());
        if (!days[i].isValid()) {
            ui().message(QStringLiteral("The %1 date is not valid")
                             .arg(i == 0 ? QStringLiteral("From") : QStringLiteral("To")),
                         MessageIcon::Exclamation);
            boxes[i]->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    const QDate from = days[0], to = days[1];
    m_filter.who = Text_changes_who->text().trimmed();
    m_filter.since = from.isValid() ? history_day_start(from) : QDateTime();
    // The last day is whole.
    m_filter.until = to.isValid() ? history_day_start(to.addDays(1)) : QDateTime();
    m_filter.table = Combo_changes_kind->currentData().toString();
    m_pages = {0};
    showPageReporting();
}

void Form_changes::Command_changes_older_Click() {
    if (Grid_changes->rows() < 2)
        return;
    bool numeric = false;
    const qint64 last = Grid_changes->property("LastId").toLongLong(&numeric);
    if (!numeric)
        return;
    m_pages.push_back(last);
    showPageReporting();
}

void Form_changes::showPageReporting() {
    try {
        showPage();
    } catch (const EngineError& e) {
        ui().showError(QStringLiteral("The changes could not be read: ") + e.description(),
                       e.details());
    }
}

void Form_changes::showPage() {
    m_filter.before = m_pages.back();
    const std::vector<HistoryEntry> entries =
        read_history(m_context.session().database().store(), m_filter);
    StringTable table;
    table.push_back({QStringLiteral("When"), QStringLiteral("Who"), QStringLiteral("Command"),
                     QStringLiteral("Record"), QStringLiteral("Field"), QStringLiteral("Before"),
                     QStringLiteral("After")});
    for (const HistoryEntry& e : entries) {
        const QString record =
            QStringLiteral("%1 (%2)").arg(recordName(e.table, e.key), e.action.toLower());
        const QDateTime local = e.when.toLocalTime();
        table.push_back({format_date(local.date()) + local.toString(QStringLiteral(" HH:mm:ss")),
                         e.who + QLatin1Char('@') + e.machine, e.command, record, e.field, e.before,
                         e.after});
    }
    Grid_changes->replaceTable(std::move(table));
    // Room by what a column holds: the values widest, the caption least.
    constexpr int shares[7] = {4, 3, 3, 4, 3, 5, 5};
    const int unit = (Grid_changes->widthTwips() - 400) / 27;
    for (int c = 0; c < 7; ++c) {
        Grid_changes->setColWidth(c, unit * shares[c]);
        Grid_changes->setColAlignment(c, Qt::AlignLeft);
    }
    Grid_changes->setProperty("LastId", entries.empty() ? QVariant() : QVariant(entries.back().id));
    Command_changes_older->setEnabled(entries.size() == static_cast<size_t>(pageSize));
}

} // namespace gearlog
