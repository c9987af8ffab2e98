// What users do with database files: create them twice at once, kill the
// program, open other programs' files, copy them, restore backups.
#include "DatabaseCheck.h"
#include "DatabaseFile.h"
#include "EngineError.h"
#include "RecordHelpers.h"
#include "SchemaBuilder.h"
#include "TestStores.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <csignal>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace gearlog;
using namespace gearlog::test;

namespace {

QByteArray checksum(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// This test program, to run one of its tests as a process of its own.
QString thisProgram() {
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

// Runs CrashingDesk.AddsAndDies on the file in a process of its own; true
// when that desk died as planned.
bool crashAfterCommits(const QString& file) {
    QProcess crash;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("GEARLOG_CRASH_FILE"), file);
    crash.setProcessEnvironment(env);
    crash.start(thisProgram(), {QStringLiteral("--gtest_filter=CrashingDesk.AddsAndDies")});
    crash.waitForFinished();
    return crash.exitStatus() == QProcess::CrashExit;
}

QProcess* startAdmin(const QStringList& arguments) {
    auto* process = new QProcess;
    process->start(QStringLiteral(GEARLOG_ADMIN), arguments);
    return process;
}

class FileSafety : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    int statusCount(const QString& file) {
        return record_count(
            *Session::openFile(file)->openRecordset(QStringLiteral("Table_status")));
    }
};

// Two creates race for one path: exactly one wins, its file is sound, and
// the loser harms nothing; a path taken by anything is left alone.
TEST_F(FileSafety, CreateNeverDestroys) {
    for (int trial = 0; trial < 10; ++trial) {
        const QString target = path("race.gearlog");
        std::unique_ptr<QProcess> a(startAdmin({QStringLiteral("create"), target}));
        std::unique_ptr<QProcess> b(startAdmin({QStringLiteral("create"), target}));
        a->waitForFinished();
        b->waitForFinished();
        EXPECT_EQ((a->exitCode() == 0) + (b->exitCode() == 0), 1) << "trial " << trial;
        EXPECT_EQ(checkDatabaseAt(target), QStringList());
        EXPECT_EQ(filesIn(dir.path()), QStringList{QStringLiteral("race.gearlog")});
        QFile::remove(target);
    }
    const QString fifo = path("pipe.gearlog");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QDir(dir.path()).mkdir(QStringLiteral("folder.gearlog"));
    writeFile(path("folder.gearlog/keep.txt"), "keep");
    QFile::link(dir.path(), path("link.gearlog"));
    writeFile(path("other.gearlog-wal"), "someone else's");
    for (const char* taken : {"pipe.gearlog", "folder.gearlog", "link.gearlog"}) {
        EXPECT_TRUE(failureOf([&] {
                        createDatabaseFile(path(taken));
                    }).endsWith(QStringLiteral(" already exists.")));
        EXPECT_TRUE(pathTaken(path(taken)));
        // Replacing is for files only.
        EXPECT_FALSE(failureOf([&] { createDatabaseFile(path(taken), true); }).isEmpty());
    }
    EXPECT_TRUE(QFileInfo(path("folder.gearlog/keep.txt")).exists());
    EXPECT_TRUE(QFileInfo(path("link.gearlog")).isSymLink());
    createDatabaseFile(path("other.gearlog"));
    EXPECT_EQ(filesIn(dir.path()),
              (QStringList{QStringLiteral("other.gearlog"), QStringLiteral("other.gearlog-wal"),
                           QStringLiteral("pipe.gearlog")}));
}

// A create killed at any moment leaves nothing at the path, or a sound
// database; never a file without tables.
TEST_F(FileSafety, AKilledCreateLeavesNothingOrAWholeDatabase) {
    int whole = 0;
    for (int trial = 0; trial < 20; ++trial) {
        const QString target = path("killed.gearlog");
        std::unique_ptr<QProcess> create(startAdmin({QStringLiteral("create"), target}));
        create->waitForStarted();
        QThread::usleep(QRandomGenerator::global()->bounded(60000));
        create->kill();
        create->waitForFinished();
        if (QFileInfo::exists(target)) {
            ++whole;
            EXPECT_EQ(checkDatabaseAt(target), QStringList()) << "trial " << trial;
            QFile::remove(target);
        }
    }
    RecordProperty("whole", whole);
}

// Files that are not Gearlog databases are refused by name and left
// byte for byte as they were.
TEST_F(FileSafety, OpenNeverChangesAFileThatIsNotOurs) {
    const QString empty = writeFile(path("empty.gearlog"), {});
    const QString notes = writeFile(path("notes.gearlog"), QByteArray(5000, 'n'));
    const QString foreign = path("foreign.sqlite");
    {
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(foreign).constData(), &db);
        sqlite3_exec(db, "CREATE TABLE songs (title TEXT); INSERT INTO songs VALUES ('a')", nullptr,
                     nullptr, nullptr);
        sqlite3_close(db);
    }
    for (const QString& file : {empty, notes, foreign}) {
        const QByteArray before = checksum(file);
        EXPECT_EQ(failureOf([&] { Session::openFile(file); }),
                  file + QStringLiteral(" is not a Gearlog database"));
        EXPECT_EQ(checksum(file), before) << file.toStdString();
    }
    EXPECT_EQ(filesIn(dir.path()).size(), 3);
}

// A file this desk cannot write opens read-only and says so; nothing is
// written to it, and it needs no journal beside it.
TEST_F(FileSafety, ReadOnlyFilesAndFoldersOpenReadOnly) {
    createDatabaseFile(path("kit.gearlog"));
    {
        ReadOnlyPath readOnly(path("kit.gearlog"));
        if (!readOnly.works())
            GTEST_SKIP() << "this file system cannot make a file read-only for root";
        auto session = Session::openFile(path("kit.gearlog"));
        EXPECT_TRUE(session->isReadOnly());
        session->openTableCursors();
        EXPECT_EQ(record_count(session->rs_status()), 9);
    }
    QDir(dir.path()).mkdir(QStringLiteral("locked"));
    createDatabaseFile(path("locked/kit.gearlog"));
    {
        ReadOnlyPath readOnly(path("locked"));
        auto inFolder = Session::openFile(path("locked/kit.gearlog"));
        EXPECT_TRUE(inFolder->isReadOnly());
        inFolder->openTableCursors();
        EXPECT_EQ(record_count(inFolder->rs_category()), 6);
    }
    EXPECT_EQ(filesIn(path("locked")), QStringList{QStringLiteral("kit.gearlog")});
}

// A closed database is one file; a crash's log is written into the file
// at the next open, and committed rows are in the file itself even while
// the log is left beside it.
TEST_F(FileSafety, ClosedIsOneFileAndACrashLosesNothingCommitted) {
    const QString file = path("kit.gearlog");
    createDatabaseFile(file);
    {
        auto session = Session::openFile(file);
        session->execute(QStringLiteral("UPDATE Table_status SET Name = 'Open' WHERE ID = 1"));
    }
    EXPECT_EQ(filesIn(dir.path()), QStringList{QStringLiteral("kit.gearlog")});

    // A desk that dies after its commits: the file opened once (which
    // closes it in order again) is then one file to copy with every row.
    ASSERT_TRUE(crashAfterCommits(file));
    EXPECT_EQ(statusCount(file), 9 + 50);
    EXPECT_EQ(filesIn(dir.path()), QStringList{QStringLiteral("kit.gearlog")});
    const QString copied = path("copied.gearlog");
    QFile::copy(file, copied);
    EXPECT_EQ(statusCount(copied), 9 + 50);
    EXPECT_EQ(checkDatabaseAt(file), QStringList());
}

// Writes 50 statuses and dies without closing; run by the test above.
TEST(CrashingDesk, AddsAndDies) {
    const QString file = qEnvironmentVariable("GEARLOG_CRASH_FILE");
    if (file.isEmpty())
        GTEST_SKIP() << "runs only as the desk of ClosedIsOneFileAndACrashLosesNothingCommitted";
    int argc = 1;
    char name[] = "crashing-desk";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    auto session = Session::openFile(file);
    auto statuses = session->openRecordset(QStringLiteral("Table_status"));
    for (int i = 0; i < 50; ++i) {
        Transaction tx(session->database());
        add_new_record(*statuses, session->database(), QStringLiteral("Table_status"));
        statuses->setValue(QStringLiteral("Name"), QStringLiteral("S%1").arg(i));
        statuses->update();
        tx.commit();
    }
    ::kill(::getpid(), SIGKILL);
}

// Yesterday's copy restored beside the journal of a desk that crashed:
// the copy opens as it was; a log that did not belong to the file and
// damages it is set aside.
TEST_F(FileSafety, ARestoredCopyIsNotDamagedByAnotherCopysLog) {
    const QString file = path("kit.gearlog");
    createDatabaseFile(file);
    const QString yesterday = path("yesterday.gearlog");
    QFile::copy(file, yesterday);
    ASSERT_TRUE(crashAfterCommits(file));
    ASSERT_TRUE(QFileInfo::exists(file + QStringLiteral("-wal")));
    QFile::remove(file);
    QFile::copy(yesterday, file);
    EXPECT_EQ(statusCount(file), 9);
    EXPECT_EQ(checkDatabaseAt(file), QStringList());
}

// Runs SQL through SQLite alone, as another program would.
void runForeign(const QString& file, const QString& sql, bool leaveLog) {
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(file).constData(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0", nullptr, nullptr,
                 nullptr);
    sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    if (leaveLog)
        sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    sqlite3_close(db);
}

QString manyAddresses(int from, int count) {
    QString sql;
    for (int i = from; i < from + count; ++i)
        sql += QStringLiteral("INSERT INTO Table_address (ID, Name, Address) VALUES (%1, 'D%1', "
                              "'%2');")
                   .arg(i)
                   .arg(QString(300, QLatin1Char('x')));
    return sql;
}

// A log left by another program on a newer state of the file, beside an
// older copy: applied, it would damage the copy, so it is set aside.
TEST_F(FileSafety, ALogThatDamagesTheFileIsSetAside) {
    const QString file = path("kit.gearlog");
    createDatabaseFile(file);
    const QString yesterday = path("yesterday.gearlog");
    QFile::copy(file, yesterday);
    runForeign(file, manyAddresses(100, 400), false);
    runForeign(file,
               QStringLiteral("DELETE FROM Table_address WHERE ID % 3 = 0;") +
                   manyAddresses(1000, 200),
               true);
    ASSERT_GT(QFileInfo(file + QStringLiteral("-wal")).size(), 0);
    QFile::remove(file);
    QFile::copy(yesterday, file);
    auto store = openFileStore(file);
    EXPECT_TRUE(store->openingNotice().contains(QStringLiteral("set aside")))
        << store->openingNotice().toStdString();
    EXPECT_EQ(checkDatabaseAt(file), QStringList());
    EXPECT_EQ(store->select(QStringLiteral("SELECT COUNT(*) FROM Table_address"), {}, {})
                  .front()[0]
                  .toInt(),
              0);
}

// Damage found while another desk has the file open: that desk's live log
// is never set aside, and the second opener is told the file is in use.
TEST_F(FileSafety, ALiveLogIsNeverSetAside) {
    const QString file = path("kit.gearlog");
    createDatabaseFile(file);
    runForeign(file, manyAddresses(100, 400), false);
    int page = 0;
    {
        auto store = openFileStore(file);
        page = store
                   ->select(QStringLiteral("SELECT pageno FROM dbstat WHERE name = 'Table_address' "
                                           "AND pagetype = 'leaf' ORDER BY pageno LIMIT 1"),
                            {}, {FieldType::Long})
                   .at(0)
                   .at(0)
                   .toInt();
    }
    auto desk = Session::openFile(file);
    desk->execute(QStringLiteral("UPDATE Table_status SET Name = 'Live' WHERE ID = 1"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek((page - 1) * 4096 + 3);
        f.write(QByteArray(16, '\xff'));
    }
    const QStringList before = filesIn(dir.path());
    const QString refusal = failureOf([&] { openFileStore(file); });
    EXPECT_TRUE(refusal.contains(QStringLiteral("Another desk has the file open")))
        << refusal.toStdString();
    const QStringList problems = checkDatabaseAt(file);
    EXPECT_TRUE(problems.last().startsWith(QStringLiteral("Another desk has ")))
        << problems.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(filesIn(dir.path()), before);
    // The first desk goes on with its own log.
    EXPECT_EQ(desk->execute(QStringLiteral("UPDATE Table_status SET Name = 'Still' WHERE ID = 2")),
              1);
}

// A relative name that begins "file:" is a file of that name: its
// "parameters" are part of the name, never honoured.
TEST_F(FileSafety, AFileNameIsNeverAUri) {
    const QString before = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const QString name = QStringLiteral("file:kit.gearlog?mode=memory");
    createDatabaseFile(name);
    {
        auto session = Session::openFile(name);
        session->execute(QStringLiteral("UPDATE Table_status SET Name = 'Kept' WHERE ID = 1"));
    }
    EXPECT_TRUE(QFile::exists(dir.filePath(name)));
    auto again = Session::openFile(name);
    EXPECT_EQ(again->openRecordset(QStringLiteral("SELECT * FROM Table_status WHERE ID = 1"))
                  ->value(QStringLiteral("Name"))
                  .toString(),
              QStringLiteral("Kept"));
    again.reset();
    QDir::setCurrent(before);
}

// A sample killed half-way leaves the file as it was.
TEST_F(FileSafety, AKilledSampleLeavesTheOldFile) {
    const QString file = path("kit.gearlog");
    createDatabaseFile(file);
    Session::openFile(file)->execute(
        QStringLiteral("UPDATE Table_status SET Name = 'Old' WHERE ID = 1"));
    const QByteArray old = checksum(file);
    std::unique_ptr<QProcess> sample(
        startAdmin({QStringLiteral("sample"), file, QStringLiteral("--assets"),
                    QStringLiteral("400000"), QStringLiteral("--force")}));
    ASSERT_TRUE(sample->waitForStarted());
    QThread::msleep(700);
    sample->kill();
    sample->waitForFinished();
    EXPECT_EQ(checksum(file), old);
    EXPECT_EQ(checkDatabaseAt(file), QStringList());

    // On a server the tables come with the rows or not at all: a rerun works.
    FreshDatabase server(Engine::Postgres, false);
    sample.reset(startAdmin({QStringLiteral("sample"), server.location(),
                             QStringLiteral("--assets"), QStringLiteral("400000")}));
    ASSERT_TRUE(sample->waitForStarted());
    QThread::msleep(700);
    sample->kill();
    sample->waitForFinished();
    sample.reset(startAdmin({QStringLiteral("sample"), server.location(),
                             QStringLiteral("--assets"), QStringLiteral("50")}));
    ASSERT_TRUE(sample->waitForFinished(60000));
    EXPECT_EQ(sample->exitCode(), 0) << sample->readAllStandardError().toStdString();
    EXPECT_EQ(checkDatabaseAt(server.location()), QStringList());
}

// A copy made while the database is open is one file with the same rows.
TEST_F(FileSafety, ACopyOpensAsTheSameData) {
    const QString file = path("kit.gearlog");
    createDatabaseFile(file);
    auto session = Session::openFile(file);
    session->execute(QStringLiteral("UPDATE Table_status SET Name = 'Copied' WHERE ID = 3"));
    const QString copy = path("copy.gearlog");
    session->database().store().backupTo(copy, false);
    EXPECT_TRUE(failureOf([&] {
                    session->database().store().backupTo(copy, false);
                }).endsWith(QStringLiteral(" already exists.")));
    auto copied = Session::openFile(copy);
    auto rs = copied->openRecordset(QStringLiteral("SELECT * FROM Table_status WHERE ID = 3"));
    EXPECT_EQ(rs->value(QStringLiteral("Name")).toString(), QStringLiteral("Copied"));
    EXPECT_EQ(checkDatabaseAt(copy), QStringList());
}

// Noise over a page of the file is found by the check and stops the program
// from opening it, with a message that says what to do.
TEST_F(FileSafety, DamageIsFoundAndRefused) {
    const QString file = path("kit.gearlog");
    createDatabaseFile(file);
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(4096 * 2);
        f.write(QByteArray(4096, '\x5a'));
    }
    const QString refusal = failureOf([&] { Session::openFile(file); });
    EXPECT_TRUE(refusal.contains(QStringLiteral("is damaged")) &&
                refusal.contains(QStringLiteral("gearlog-admin check")) &&
                refusal.contains(QStringLiteral("backup")))
        << refusal.toStdString();
    EXPECT_FALSE(checkDatabaseAt(file).isEmpty());
}

// A large file opens at once and is checked while the desk works: damage
// found then is told, and nothing more is written to the file.
TEST_F(FileSafety, DamageInALargeFileIsFoundAfterItOpens) {
    int argc = 1;
    char name[] = "desk";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv); // tells the desk of the damage
    const QString file = path("large.gearlog");
    createDatabaseFile(file);
    {
        auto store = openFileStore(file);
        store->execute(QStringLiteral("INSERT INTO Table_photo (ID, Name, Photo) VALUES (1, 'Big', "
                                      "?)"),
                       {QByteArray(40 * 1024 * 1024, 'p')});
    }
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(4096 * 2);
        f.write(QByteArray(4096, '\x5a'));
    }
    auto store = openFileStore(file);
    QString told;
    store->onDamageFound([&](const QString& damage) { told = damage; });
    const QString damage = store->awaitPageCheck();
    EXPECT_TRUE(damage.contains(QStringLiteral("is damaged")) &&
                damage.contains(QStringLiteral("gearlog-admin check")))
        << damage.toStdString();
    QCoreApplication::processEvents();
    EXPECT_EQ(told, damage);
    EXPECT_EQ(failureOf([&] {
                  store->execute(QStringLiteral("UPDATE Table_status SET Name = 'x' WHERE ID = 1"));
              }),
              damage);
    EXPECT_FALSE(checkDatabaseAt(file).isEmpty());
}

} // namespace
