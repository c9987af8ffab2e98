#include "Form_import.h"

#include "CommandRunner.h"
#include "EngineError.h"
#include "ImportWrite.h"
#include "Session.h"
#include "TypedText.h"
#include "UiServices.h"
#include "ViewContext.h"
#include "ViewParts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QTableView>
#include <QThread>
#include <QTimer>
#include <atomic>

namespace gearlog {

namespace {

QCheckBox* makeCheck(QWidget* parent, const QString& name, const QString& caption, QRect at) {
    auto* check = new QCheckBox(caption, parent);
    check->setObjectName(name);
    check->setGeometry(at);
    return check;
}

// The kind whose fields the headings name most (the current one on a tie).
ImportKind likeliestKind(const QStringList& headings, ImportKind current) {
    const auto matched = [&headings](ImportKind kind) {
        const std::vector<int> columns = match_columns(kind, headings);
        return std::count_if(columns.begin(), columns.end(), [](int f) { return f >= 0; });
    };
    ImportKind best = current;
    for (const ImportKindInfo& info : import_kinds())
        if (matched(info.kind) > matched(best))
            best = info.kind;
    return best;
}

} // namespace

Form_import::Form_import(ViewContext& context, std::function<void()> reload, QWidget* parent)
    : QDialog(parent), m_context(context), m_reload(std::move(reload)) {
    setObjectName(QStringLiteral("Form_import"));
    setWindowTitle(QStringLiteral("Import"));
    resize(1000, 673);
    Text_import_file = new QLineEdit(this);
    Text_import_file->setObjectName(QStringLiteral("Text_import_file"));
    Text_import_file->setReadOnly(true);
    Text_import_file->setGeometry(60, 10, 480, 26);
    makeLabelBefore(this, QStringLiteral("File"), Text_import_file, 45);
    QPushButton* choose = makeButton(
        this, QStringLiteral("Command_import_file"), QStringLiteral("Choose File..."),
        QStringLiteral("Choose the .xlsx workbook or CSV file to import"), {550, 8, 130, 30});
    connect(choose, &QPushButton::clicked, this, [this] { Command_import_file_Click(); });
    Combo_import_kind =
        makeCombo(this, QStringLiteral("Combo_import_kind"), QStringLiteral("Contains"),
                  QStringLiteral("What the rows of the file are"), {780, 10, 210, 26}, 80);
    for (const ImportKindInfo& info : import_kinds())
        Combo_import_kind->addItem(info.caption);
    connect(Combo_import_kind, &QComboBox::activated, this, [this] {
        showColumns();
        check();
    });
    Check_import_update =
        makeCheck(this, QStringLiteral("Check_import_update"),
                  QStringLiteral("Update existing records by ID"), {10, 45, 240, 24});
    Check_import_create = makeCheck(this, QStringLiteral("Check_import_create"),
                                    QStringLiteral("Create missing categories and equipment types"),
                                    {260, 45, 350, 24});
    Check_import_errors =
        makeCheck(this, QStringLiteral("Check_import_errors"),
                  QStringLiteral("Show only rows with errors"), {620, 45, 250, 24});
    for (QCheckBox* tick : {Check_import_update, Check_import_create})
        connect(tick, &QCheckBox::toggled, this, [this] { check(); });
    connect(Check_import_errors, &QCheckBox::toggled, this, [this] { showVerdicts(); });
    // Where the desk's own reading would misread the file, the user says.
    Combo_import_dates = makeCombo(
        this, QStringLiteral("Combo_import_dates"), QStringLiteral("Dates"),
        QStringLiteral("The order of the numbers of the file's dates"), {60, 76, 250, 26}, 45);
    Combo_import_dates->addItem(QStringLiteral("As this desk writes them (%1)")
                                    .arg(QLocale().dateFormat(QLocale::ShortFormat)),
                                static_cast<int>(DateOrder::Locale));
    Combo_import_dates->addItem(QStringLiteral("Day, month, year"),
                                static_cast<int>(DateOrder::DayMonthYear));
    Combo_import_dates->addItem(QStringLiteral("Month, day, year"),
                                static_cast<int>(DateOrder::MonthDayYear));
    Combo_import_dates->addItem(QStringLiteral("Year, month, day"),
                                static_cast<int>(DateOrder::YearMonthDay));
    connect(Combo_import_dates, &QComboBox::activated, this, [this] { check(); });
    Combo_import_encoding = makeCombo(
        this, QStringLiteral("Combo_import_encoding"), QStringLiteral("Characters"),
        QStringLiteral("How a CSV file's characters are written"), {400, 76, 210, 26}, 80);
    Combo_import_encoding->addItem(QStringLiteral("Found from the file"),
                                   static_cast<int>(CsvEncoding::Detect));
    Combo_import_encoding->addItem(QStringLiteral("UTF-8"), static_cast<int>(CsvEncoding::Utf8));
    Combo_import_encoding->addItem(QStringLiteral("Windows-1252"),
                                   static_cast<int>(CsvEncoding::Windows1252));
    connect(Combo_import_encoding, &QComboBox::activated, this, [this] {
        if (!Text_import_file->text().isEmpty())
            openFile(Text_import_file->text());
    });

    auto* columns = new QScrollArea(this);
    columns->setObjectName(QStringLiteral("Frame_import_columns"));
    columns->setAccessibleName(QStringLiteral("Columns"));
    columns->setGeometry(10, 133, 300, 440);
    columns->setWidgetResizable(true);
    m_columnsPanel = new QWidget(columns);
    m_columnsLayout = new QVBoxLayout(m_columnsPanel);
    m_columnsLayout->addStretch();
    columns->setWidget(m_columnsPanel);
    makeLabel(this, QStringLiteral("Columns of the file, and where each goes"), columns,
              {10, 111, 300, 20});

    Grid_import_preview = new QTableView(this);
    Grid_import_preview->setObjectName(QStringLiteral("Grid_import_preview"));
    Grid_import_preview->setAccessibleName(QStringLiteral("Preview grid"));
    Grid_import_preview->setGeometry(320, 133, 670, 440);
    Grid_import_preview->setModel(&m_preview);
    Grid_import_preview->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid_import_preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid_import_preview->setTabKeyNavigation(false); // only shows rows: Tab leaves it
    Grid_import_preview->verticalHeader()->hide();
    Grid_import_preview->verticalHeader()->setDefaultSectionSize(22);
    Grid_import_preview->horizontalHeader()->setDefaultSectionSize(120);
    makeLabel(this, QStringLiteral("Preview"), Grid_import_preview, {320, 111, 300, 20});

    Label_import_summary = new QLabel(QStringLiteral("Choose the file to import"), this);
    Label_import_summary->setObjectName(QStringLiteral("Label_import_summary"));
    Label_import_summary->setGeometry(10, 581, 980, 24);
    Label_import_summary->setWordWrap(true);
    Progress_import = new QProgressBar(this);
    Progress_import->setObjectName(QStringLiteral("Progress_import"));
    Progress_import->setAccessibleName(QStringLiteral("Progress"));
    Progress_import->setGeometry(10, 633, 450, 26);
    Progress_import->setRange(0, 1000);
    Progress_import->hide();
    Command_import =
        makeButton(this, QStringLiteral("Command_import"), QStringLiteral("Import"),
                   QStringLiteral("Write every row shown into the database"), {600, 629, 120, 30});
    Command_import->setEnabled(false);
    connect(Command_import, &QPushButton::clicked, this, [this] { Command_import_Click(); });
    Command_import_cancel =
        makeButton(this, QStringLiteral("Command_import_cancel"), QStringLiteral("Cancel"),
                   QStringLiteral("Stop: the database stays as it was"), {730, 629, 120, 30});
    Command_import_cancel->setEnabled(false);
    connect(Command_import_cancel, &QPushButton::clicked, this, [this] { m_cancelled = true; });
    QPushButton* close =
        makeButton(this, QStringLiteral("Command_import_close"), QStringLiteral("Close"),
                   QStringLiteral("Close this form"), {870, 629, 120, 30});
    connect(close, &QPushButton::clicked, this, &Form_import::reject);
}

Form_import::~Form_import() {
    // The preview reads the plan, which reads the sheet: let go in that order.
    m_preview.show(nullptr, false);
}

ImportKind Form_import::kind() const {
    return import_kinds()[static_cast<size_t>(std::max(0, Combo_import_kind->currentIndex()))].kind;
}

void Form_import::reject() {
    if (m_running) {
        m_cancelled = true; // the work stops, then the form stays for another try
        return;
    }
    QDialog::reject();
}

void Form_import::setRunning(bool running) {
    m_running = running;
    for (QWidget* w : findChildren<QWidget*>())
        if (qobject_cast<QComboBox*>(w) || qobject_cast<QCheckBox*>(w) ||
            w->objectName() == QLatin1String("Command_import_file"))
            w->setEnabled(!running);
    if (running)
        Command_import->setEnabled(false);
    Command_import_cancel->setEnabled(running);
    Progress_import->setVisible(running);
    Progress_import->setValue(0);
}

bool Form_import::run(const QString& what, const std::function<void(const Progress&)>& work,
                      Where where) {
    m_cancelled = false;
    // Controls are off while it runs: the one the user was at gets the
    // focus back, so keyboard work goes on where it was.
    const QPointer<QWidget> focused = focusWidget();
    setRunning(true);
    Progress_import->setFormat(what + QStringLiteral(" %p%"));
    std::atomic<int> permille{0};
    const auto measure = [this, &permille](qint64 done, qint64 total) {
        permille = total > 0 ? static_cast<int>(done * 1000 / total) : 0;
        return !m_cancelled;
    };
    std::exception_ptr failure;
    const auto attempt = [&](const Progress& progress) {
        try {
            work(progress);
        } catch (...) {
            failure = std::current_exception();
        }
    };
    if (where == Where::Worker) {
        // The window's own loop runs meanwhile: Cancel is heard, the bar moves.
        QTimer bar;
        connect(&bar, &QTimer::timeout, this, [&] { Progress_import->setValue(permille); });
        bar.start(40);
        QEventLoop waiting;
        const std::unique_ptr<QThread> worker(QThread::create([&] { attempt(measure); }));
        connect(worker.get(), &QThread::finished, &waiting, &QEventLoop::quit);
        worker->start();
        waiting.exec();
        worker->wait();
    } else {
        QElapsedTimer shown;
        shown.start();
        // The window answers between steps.
        attempt([&](qint64 done, qint64 total) {
            const bool going = measure(done, total);
            if (shown.elapsed() >= 40) {
                Progress_import->setValue(permille);
                QCoreApplication::processEvents();
                shown.restart();
            }
            return going;
        });
    }
    setRunning(false);
    if (focused)
        focused->setFocus();
    if (!failure)
        return true;
    try {
        std::rethrow_exception(failure);
    } catch (const Cancelled&) {
        return false;
    }
}

void Form_import::Command_import_file_Click() {
    const QString path = ui().openFile(
        QStringLiteral("Select the file to import"),
        QStringLiteral("Workbooks and CSV files (*.xlsx;*.csv;*.txt)|*.xlsx;*.csv;*.txt|"
                       "All files (*)|*"),
        startFolder());
    if (!path.isEmpty())
        openFile(path);
}

QString Form_import::startFolder() const {
    // The last file's folder, else the database file's, else home.
    if (!Text_import_file->text().isEmpty())
        return QFileInfo(Text_import_file->text()).absolutePath();
    const Session& session = m_context.session();
    return session.connectionType() == ConnectionType::File
               ? QFileInfo(session.connectionString()).absolutePath()
               : QDir::homePath();
}

void Form_import::openFile(const QString& path) {
    m_preview.show(nullptr, false);
    m_plan.reset();
    m_sheet = {};
    Text_import_file->setText(path);
    const auto encoding = static_cast<CsvEncoding>(Combo_import_encoding->currentData().toInt());
    try {
        // Read on a worker: a large file never holds the window.
        if (!run(
                QStringLiteral("Reading"),
                [&](const Progress& progress) { m_sheet = read_sheet(path, progress, encoding); },
                Where::Worker))
            m_sheet = {};
    } catch (const SheetError& e) {
        m_sheet = {};
        ui().message(e.text(), MessageIcon::Exclamation);
    }
    if (!m_sheet.headings.isEmpty())
        Combo_import_kind->setCurrentIndex(
            static_cast<int>(likeliestKind(m_sheet.headings, kind())));
    showColumns();
    check();
}

void Form_import::showColumns() {
    qDeleteAll(m_columnLabels);
    qDeleteAll(Combo_import_columns);
    m_columnLabels.clear();
    Combo_import_columns.clear();
    const std::vector<ImportField>& fields = import_fields(kind());
    const std::vector<int> matched = match_columns(kind(), m_sheet.headings);
    for (qsizetype c = 0; c < m_sheet.headings.size(); ++c) {
        const QString heading = m_sheet.headings[c].isEmpty()
                                    ? QStringLiteral("Column %1").arg(c + 1)
                                    : m_sheet.headings[c];
        auto* combo = new QComboBox(m_columnsPanel);
        combo->setObjectName(QStringLiteral("Combo_import_column_%1").arg(c));
        combo->addItem(QStringLiteral("(left out)"), -1);
        for (size_t f = 0; f < fields.size(); ++f)
            combo->addItem(fields[f].heading, static_cast<int>(f));
        combo->setCurrentIndex(matched[static_cast<size_t>(c)] + 1);
        auto* label = new QLabel(heading, m_columnsPanel);
        label->setBuddy(combo);
        combo->setAccessibleName(heading);
        m_columnsLayout->insertWidget(m_columnsLayout->count() - 1, label);
        m_columnsLayout->insertWidget(m_columnsLayout->count() - 1, combo);
        connect(combo, &QComboBox::activated, this, [this] { check(); });
        Combo_import_columns.push_back(combo);
        m_columnLabels.push_back(label);
    }
}

void Form_import::check() {
    m_preview.show(nullptr, false);
    m_plan.reset();
    if (!m_sheet.headings.isEmpty()) {
        std::vector<int> columns;
        for (QComboBox* combo : Combo_import_columns)
            columns.push_back(combo->currentData().toInt());
        auto plan = std::make_unique<ImportPlan>(
            kind(), m_sheet, std::move(columns),
            ImportOptions{Check_import_update->isChecked(), Check_import_create->isChecked(),
                          static_cast<DateOrder>(Combo_import_dates->currentData().toInt())});
        try {
            if (run(QStringLiteral("Checking"), [&](const Progress& progress) {
                    plan->check(m_context.session().database().store(), progress);
                }))
                m_plan = std::move(plan);
        } catch (const EngineError& e) {
            ui().showError(QStringLiteral("An error occurred while checking the file: ") +
                               e.description(),
                           e.details());
        }
    }
    showVerdicts();
}

void Form_import::showVerdicts() {
    m_preview.show(m_plan.get(), Check_import_errors->isChecked());
    Grid_import_preview->resizeColumnToContents(0);
    Grid_import_preview->resizeColumnToContents(1);
    Command_import->setEnabled(false);
    if (!m_plan) {
        Label_import_summary->setText(m_sheet.headings.isEmpty()
                                          ? QStringLiteral("Choose the file to import")
                                          : QStringLiteral("The file has not been checked"));
        return;
    }
    const int failed = m_plan->count(Verdict::Error);
    QString summary = m_plan->summary();
    if (failed > 0)
        summary += QStringLiteral(". Mend those rows in the file (or change where a column "
                                  "goes) and choose it again: nothing is imported while any "
                                  "row cannot be.");
    Label_import_summary->setText(summary);
    Command_import->setEnabled(failed == 0 &&
                               m_plan->count(Verdict::Add) + m_plan->count(Verdict::Update) > 0);
}

void Form_import::Command_import_Click() {
    if (!m_plan || m_plan->count(Verdict::Error) > 0)
        return;
    Database& db = m_context.session().database();
    ImportCounts counts;
    QList<int> changed;
    bool cancelled = false;
    const bool committed = write_and_reload(
        m_context, QStringLiteral("Import"), QStringLiteral("An error occurred while importing: "),
        [&] {
            cancelled = !run(QStringLiteral("Importing"), [&](const Progress& progress) {
                // Checked again inside the transaction: what another desk
                // wrote since the preview counts.
                changed = m_plan->checkAgain(db.store(), progress);
                if (changed.isEmpty())
                    counts = write_import(db, *m_plan, progress);
            });
            return !cancelled && changed.isEmpty();
        },
        m_reload);
    if (committed) {
        ui().message(import_summary(counts), MessageIcon::Information);
        accept();
        return;
    }
    if (!changed.isEmpty()) {
        QStringList rows;
        for (const int line : std::as_const(changed).first(std::min<qsizetype>(changed.size(), 10)))
            rows << QString::number(line);
        if (changed.size() > 10)
            rows << QStringLiteral("and %1 more").arg(changed.size() - 10);
        ui().message(QStringLiteral("Another desk has changed the database since the preview, "
                                    "so these rows would not be imported as shown: %1. Nothing "
                                    "was written; the preview now shows them as they are. Import "
                                    "again to write them.")
                         .arg(rows.join(QStringLiteral(", "))),
                     MessageIcon::Exclamation);
    } else if (cancelled) {
        ui().message(QStringLiteral("The import was cancelled: nothing was written"));
    }
    showVerdicts();
}

} // namespace gearlog
