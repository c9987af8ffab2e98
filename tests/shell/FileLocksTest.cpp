// The program's hold on its open database file while file dialogs list the
// database's own folder.
#include "FileDialogs.h"
#include "OpenWindow.h"

#include <QFile>
#include <QFileDialog>
#include <QProcess>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace gearlog;
using namespace gearlog::test;

namespace {

// This process's POSIX locks on the file and its shared-memory index, as
// the kernel lists them ("POSIX ADVISORY READ pid dev:inode from to").
QStringList ourLocks(const QString& file) {
    QStringList inodes;
    for (const QString& f : {file, file + QStringLiteral("-shm")}) {
        struct stat st {};
        if (::stat(QFile::encodeName(f).constData(), &st) == 0)
            inodes << QStringLiteral(":%1 ").arg(st.st_ino);
    }
    QFile proc(QStringLiteral("/proc/locks"));
    proc.open(QIODevice::ReadOnly);
    const QString pid = QStringLiteral(" %1 ").arg(::getpid());
    QStringList held;
    for (const QString& line : QString::fromLatin1(proc.readAll()).split(QLatin1Char('\n'))) {
        const bool ours = line.contains(pid);
        for (const QString& inode : inodes)
            if (ours && line.contains(inode))
                held << line.section(QLatin1Char(':'), 1).simplified();
    }
    // The kernel may list one lock once per connection that took it.
    held.removeDuplicates();
    held.sort();
    return held;
}

class FileLocks : public OpenWindow {};

TEST_F(FileLocks, DialogsOnTheDatabasesFolderLeaveItsLocksAlone) {
    const QString file = db.location();
    writeFile(QFileInfo(file).absolutePath() + QStringLiteral("/picture.png"), "not a picture");
    const QStringList before = ourLocks(file);
    ASSERT_FALSE(before.isEmpty());
    for (const char* title : {"Select a photo file", "Open Database"}) {
        auto dialog = newFileDialog(window.get(), QString::fromLatin1(title),
                                    QFileInfo(file).absolutePath(), QStringLiteral("All (*)"));
        dialog->show();
        QTest::qWait(800); // the dialog lists and describes the folder
        dialog->close();
    }
    EXPECT_EQ(ourLocks(file), before);

    // A save made afterwards is in the file, as another program reads it.
    session().execute(QStringLiteral("UPDATE Table_status SET Name = 'After' WHERE ID = 2"));
    const QString copy = QFileInfo(file).absolutePath() + QStringLiteral("/copy.gearlog");
    EXPECT_EQ(
        QProcess::execute(QStringLiteral(GEARLOG_ADMIN), {QStringLiteral("backup"), file, copy}),
        0);
    auto copied = Session::openFile(copy);
    auto rs = copied->openRecordset(QStringLiteral("SELECT * FROM Table_status WHERE ID = 2"));
    EXPECT_EQ(rs->value(QStringLiteral("Name")).toString(), QStringLiteral("After"));
}

} // namespace
