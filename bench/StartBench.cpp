// The program's start as a user pays it, on sample databases of 10,000,
// 100,000 and 1,000,000 assets: each start is a fresh process (a "desk")
// that shows the window, opens the database and reports when the window is
// usable, then visits every view once and reports each switch and its
// resident memory. Beside it, in the same run, a raw SQLite C-API read of
// the nine tables and the start on an empty database.
//
//   start_bench [--sizes 10000,100000,1000000] [--server CONNECTION]
//
// With --server (a connection to an empty server database) the
// 1,000,000-asset sample is also written there and the start measured. GEARLOG_BENCH_DIR keeps the
// generated files between runs.
#include "BenchSupport.h"
#include "DatabaseCheck.h"
#include "Form_main.h"
#include "RawSqlite.h"
#include "SampleDatabase.h"
#include "SchemaBuilder.h"
#include "Session.h"
#include "Settings.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <cstdio>

namespace {

using namespace gearlog;
using gearlog::bench::residentMegabytes;

// ---- the desk: one start of the program -------------------------------------

int runDesk(int argc, char** argv, const QString& source, qint64 launchedAtMs) {
    QElapsedTimer sinceMain;
    sinceMain.start();
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    Form_main window;
    window.show();
    if (isConnectionString(source)) {
        // A server database opens as the one remembered from last time.
        settings::write(QStringLiteral("FileName"),
                        settings::formatFileName(source, QStringLiteral("ADO"), source));
        window.startup();
    } else {
        window.startup(source);
    }
    QTimer::singleShot(0, &window, [&] {
        // The window has shown the open database and waits for the user.
        std::printf("usable %lld\n",
                    static_cast<long long>(QDateTime::currentMSecsSinceEpoch() - launchedAtMs));
        std::fflush(stdout);
        double slowest = 0;
        QString slowestName;
        // The view buttons of the tool bar.
        const auto buttons = window.findChild<QToolBar*>()->findChildren<QPushButton*>();
        for (QPushButton* button : buttons) {
            if (!button->isEnabled())
                continue;
            QElapsedTimer switching;
            switching.start();
            button->click();
            QApplication::processEvents();
            const double ms = static_cast<double>(switching.nsecsElapsed()) / 1e6;
            if (ms > slowest) {
                slowest = ms;
                slowestName = button->text().remove(QLatin1Char('&'));
            }
        }
        std::printf("slowest-view %.1f %s\n", slowest, qPrintable(slowestName));
        std::printf("resident %ld\n", residentMegabytes());
        std::fflush(stdout);
        QApplication::quit();
    });
    return QApplication::exec();
}

// ---- the bench: starts desks and reads the tables raw ------------------------

struct DeskFigures {
    double usableMs = 0;
    double slowestViewMs = 0;
    QString slowestView;
    long residentMb = 0;
};

DeskFigures startDesk(const QString& source, const QString& settingsDir) {
    QProcess desk;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), settingsDir);
    env.insert(QStringLiteral("XDG_DATA_HOME"), settingsDir);
    desk.setProcessEnvironment(env);
    desk.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    desk.start(
        QCoreApplication::applicationFilePath(),
        {QStringLiteral("--desk"), source, QString::number(QDateTime::currentMSecsSinceEpoch())});
    desk.waitForFinished(300000);
    DeskFigures figures;
    const auto lines = QString::fromUtf8(desk.readAllStandardOutput()).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const QStringList words = line.split(QLatin1Char(' '));
        if (words[0] == QLatin1String("usable"))
            figures.usableMs = words.value(1).toDouble();
        else if (words[0] == QLatin1String("slowest-view")) {
            figures.slowestViewMs = words.value(1).toDouble();
            figures.slowestView = words.mid(2).join(QLatin1Char(' '));
        } else if (words[0] == QLatin1String("resident"))
            figures.residentMb = words.value(1).toLong();
    }
    return figures;
}

// The nine tables read through SQLite's C interface, every value touched.
double rawReadMs(const QString& path) {
    double seconds = 0;
    for (const TableDef& table : schemaTables())
        seconds += gearlog::bench::rawSqliteSeconds(
            path, QByteArray("SELECT * FROM " + table.name.toUtf8()).constData());
    return seconds * 1000;
}

QString sampleFile(const QDir& dir, int assets) {
    const QString path = dir.filePath(QStringLiteral("sample-%1.gearlog").arg(assets));
    if (!QFileInfo::exists(path)) {
        createDatabaseFile(path);
        if (assets > 0)
            writeSampleData(*openFileStore(path), {assets, 1});
    }
    return path;
}

// The median of three starts.
DeskFigures medianStart(const QString& source, const QString& settingsDir) {
    std::vector<DeskFigures> runs;
    for (int i = 0; i < 3; ++i)
        runs.push_back(startDesk(source, settingsDir));
    std::sort(runs.begin(), runs.end(),
              [](const auto& a, const auto& b) { return a.usableMs < b.usableMs; });
    return runs[1];
}

void printRow(const QString& what, const DeskFigures& start, const DeskFigures& empty,
              double rawMs) {
    const double added = start.usableMs - empty.usableMs;
    std::printf("| %s | %.0f ms | %.0f ms | %.0f ms | %.2f | %.0f ms (%s) | %ld MB |\n",
                qPrintable(what), start.usableMs, added, rawMs, rawMs > 0 ? added / rawMs : 0.0,
                start.slowestViewMs, qPrintable(start.slowestView), start.residentMb);
    std::fflush(stdout);
}

int runBench(const QStringList& arguments) {
    QList<int> sizes{10000, 100000, 1000000};
    QString server;
    for (int i = 1; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--sizes")) {
            sizes.clear();
            for (const QString& size : arguments[i + 1].split(QLatin1Char(',')))
                sizes << size.toInt();
        } else if (arguments[i] == QLatin1String("--server"))
            server = arguments[i + 1];
    }
    QTemporaryDir scratch;
    const QString kept = qEnvironmentVariable("GEARLOG_BENCH_DIR");
    const QDir dir(kept.isEmpty() ? scratch.path() : kept);
    QTemporaryDir settings;
    std::printf("| Database | Start to usable | Added by the data | Raw SQLite read of the nine "
                "tables | Added / raw | Slowest view switch | Resident after every view |\n"
                "|---|---|---|---|---|---|---|\n");
    const DeskFigures empty = medianStart(sampleFile(dir, 0), settings.path());
    printRow(QStringLiteral("empty file"), empty, empty, rawReadMs(sampleFile(dir, 0)));
    for (int assets : sizes) {
        const QString file = sampleFile(dir, assets);
        const double raw = rawReadMs(file);
        printRow(QStringLiteral("%L1 assets, file").arg(assets), medianStart(file, settings.path()),
                 empty, raw);
    }
    if (!server.isEmpty()) {
        auto store = openServerStore(server);
        buildSchema(*store);
        writeSampleData(*store, {1000000, 1});
        store.reset();
        printRow(QStringLiteral("1,000,000 assets, server"), medianStart(server, settings.path()),
                 empty, 0);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::string(argv[1]) == "--desk")
        return runDesk(argc, argv, QString::fromLocal8Bit(argv[2]), std::atoll(argv[3]));
    QCoreApplication app(argc, argv);
    return runBench(QCoreApplication::arguments());
}
