// The program told to end by logout, shutdown or kill closes its database
// as File -> Exit does: no log is left beside the file.
#include "TestStores.h"

#include <QFile>
#include <QProcess>
#include <QTest>
#include <csignal>

using namespace gearlog;
using namespace gearlog::test;

namespace {

TEST(Termination, SignalsEndTheProgramWithItsDatabaseClosed) {
    FreshDatabase db(Engine::Sqlite);
    const QString file = db.location();
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home.filePath(QStringLiteral("cache")));
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(GEARLOG_PROGRAM), {file});
        // Open once its log is there.
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return QFile::exists(file + QStringLiteral("-wal")); }, 20000))
            << "signal " << signal;
        ::kill(static_cast<pid_t>(program.processId()), signal);
        ASSERT_TRUE(program.waitForFinished(20000)) << "signal " << signal;
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << "signal " << signal;
        EXPECT_EQ(program.exitCode(), 0);
        EXPECT_FALSE(QFile::exists(file + QStringLiteral("-wal"))) << "signal " << signal;
        EXPECT_FALSE(QFile::exists(file + QStringLiteral("-shm"))) << "signal " << signal;
    }
}

} // namespace
