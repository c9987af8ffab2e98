// A server of the test's own, on the loopback with TLS and a certificate
// authority made here with openssl: verified connections, and a server
// that stops answering.
#include "ConnectionString.h"
#include "EngineError.h"
#include "PrivateCluster.h"
#include "TestStores.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <csignal>
#include <unistd.h>

using namespace gearlog;
using namespace gearlog::test;

namespace {

// A PostgreSQL cluster listening on the loopback with TLS, its server
// certificate for "localhost" signed by the test's authority "ca.crt"; a
// second authority, "other.crt", signed nothing of it.
class PrivateServer : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new QTemporaryDir;
        problem = startServer();
    }
    // A failure to make the server fails each test rather than skip it.
    void SetUp() override { ASSERT_EQ(problem, QString()); }

    static QString startServer() {
        const QString d = dir->path();
        const auto file = [&](const char* name) {
            return dir->filePath(QString::fromLatin1(name));
        };
        const QString openssl = QStringLiteral("openssl");
        const auto authority = [&](const char* key, const char* cert, const char* name) {
            return runProgram(
                openssl, {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                          QStringLiteral("rsa:2048"), QStringLiteral("-nodes"),
                          QStringLiteral("-keyout"), file(key), QStringLiteral("-out"), file(cert),
                          QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                          QStringLiteral("/CN=") + QString::fromLatin1(name)});
        };
        const QStringList steps[] = {
            {QStringLiteral("req"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
             QStringLiteral("-nodes"), QStringLiteral("-keyout"), file("server.key"),
             QStringLiteral("-out"), file("server.csr"), QStringLiteral("-subj"),
             QStringLiteral("/CN=localhost")},
            {QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
             file("server.csr"), QStringLiteral("-CA"), file("ca.crt"), QStringLiteral("-CAkey"),
             file("ca.key"), QStringLiteral("-CAcreateserial"), QStringLiteral("-out"),
             file("server.crt"), QStringLiteral("-days"), QStringLiteral("2"),
             QStringLiteral("-extfile"),
             writeFile(file("san.ext"), "subjectAltName=DNS:localhost\n")}};
        QString failure = authority("ca.key", "ca.crt", "Gearlog test CA");
        if (failure.isEmpty())
            failure = authority("other.key", "other.crt", "Impostor CA");
        for (const QStringList& step : steps)
            if (failure.isEmpty())
                failure = runProgram(openssl, step);
        // The server refuses to run as root: its own system user runs it.
        if (failure.isEmpty() && ::getuid() == 0)
            failure = runProgram(QStringLiteral("chown"),
                                 {QStringLiteral("-R"), QStringLiteral("postgres:"), d});
        QFile::setPermissions(file("server.key"), QFile::ReadOwner | QFile::WriteOwner);
        port = 40000 + static_cast<int>(QRandomGenerator::global()->bounded(9000));
        if (failure.isEmpty())
            failure =
                runServerProgram(QStringLiteral("initdb"),
                                 {QStringLiteral("-D"), file("data"), QStringLiteral("-U"),
                                  QStringLiteral("postgres"), QStringLiteral("--auth=trust")});
        // In the configuration file, where ALTER SYSTEM can turn it off.
        QFile conf(file("data/postgresql.conf"));
        if (failure.isEmpty() && conf.open(QIODevice::Append))
            conf.write(QStringLiteral("ssl = on\nssl_cert_file = '%1'\nssl_key_file = '%2'\n")
                           .arg(file("server.crt"), file("server.key"))
                           .toUtf8());
        conf.close();
        if (failure.isEmpty())
            failure =
                runServerProgram(QStringLiteral("pg_ctl"),
                                 {QStringLiteral("-D"), file("data"), QStringLiteral("-l"),
                                  file("server.log"), QStringLiteral("-w"), QStringLiteral("-o"),
                                  QStringLiteral("-k %1 -p %2 -c listen_addresses=127.0.0.1 -c "
                                                 "fsync=off")
                                      .arg(d)
                                      .arg(port),
                                  QStringLiteral("start")});
        return failure;
    }
    static void TearDownTestSuite() {
        runServerProgram(QStringLiteral("pg_ctl"),
                         {QStringLiteral("-D"), dir->filePath(QStringLiteral("data")),
                          QStringLiteral("-m"), QStringLiteral("immediate"),
                          QStringLiteral("stop")});
        delete dir;
    }
    // The connection to the test server through `host` with these settings.
    static QString connection(const QString& host, const QString& mode, const char* root) {
        ConnectionString c;
        c.host = host;
        c.port = port;
        c.database = QStringLiteral("postgres");
        c.user = QStringLiteral("postgres");
        c.sslMode = mode;
        if (root)
            c.sslRootCert = dir->filePath(QString::fromLatin1(root));
        return c.toString();
    }
    static QString failureToOpen(const QString& connectionString) {
        return failureOf([&] { openServerStore(connectionString); });
    }

    static inline QTemporaryDir* dir = nullptr;
    static inline QString problem;
    static inline int port = 0;
};

TEST_F(PrivateServer, VerifyFullAcceptsTheServerAndRefusesAnImpostor) {
    EXPECT_EQ(failureToOpen(
                  connection(QStringLiteral("localhost"), QStringLiteral("verify-full"), "ca.crt")),
              QString());
    // A certificate from an authority the desk does not trust.
    const QString impostor = failureToOpen(
        connection(QStringLiteral("localhost"), QStringLiteral("verify-full"), "other.crt"));
    EXPECT_TRUE(impostor.startsWith(
        QStringLiteral("The connection to localhost was refused as not secure: ")))
        << impostor.toStdString();
    EXPECT_TRUE(impostor.contains(QStringLiteral("certificate verify failed")))
        << impostor.toStdString();
    // The right authority, but a certificate for another name.
    const QString renamed = failureToOpen(
        connection(QStringLiteral("127.0.0.1"), QStringLiteral("verify-full"), "ca.crt"));
    EXPECT_TRUE(renamed.contains(QStringLiteral("127.0.0.1")) &&
                renamed.contains(QStringLiteral("does not match host name")))
        << renamed.toStdString();
}

TEST_F(PrivateServer, RequireRefusesAServerWithoutTls) {
    auto store = openServerStore(
        connection(QStringLiteral("localhost"), QStringLiteral("require"), nullptr));
    store->execute(QStringLiteral("ALTER SYSTEM SET ssl = off"), {});
    store->execute(QStringLiteral("SELECT pg_reload_conf()"), {});
    store.reset();
    // The reload takes a moment to reach the server.
    QString plain;
    for (int i = 0; i < 50 && plain.isEmpty(); ++i) {
        plain = failureToOpen(
            connection(QStringLiteral("localhost"), QStringLiteral("require"), nullptr));
        if (plain.isEmpty())
            usleep(100000);
    }
    EXPECT_TRUE(plain.contains(QStringLiteral("does not support SSL"))) << plain.toStdString();
    auto again = openServerStore(
        connection(QStringLiteral("localhost"), QStringLiteral("disable"), nullptr));
    again->execute(QStringLiteral("ALTER SYSTEM RESET ssl"), {});
    again->execute(QStringLiteral("SELECT pg_reload_conf()"), {});
}

// A server whose processes are stopped still has its socket answered by
// the kernel: the desk's own wait tells, within seconds, and says so.
TEST_F(PrivateServer, ASilentServerIsToldWithinSeconds) {
    auto store = openServerStore(
        connection(QStringLiteral("localhost"), QStringLiteral("disable"), nullptr));
    const auto backend = static_cast<pid_t>(
        store->select(QStringLiteral("SELECT pg_backend_pid()"), {}, {FieldType::Long})
            .front()[0]
            .toInt());
    QFile pidFile(dir->filePath(QStringLiteral("data/postmaster.pid")));
    ASSERT_TRUE(pidFile.open(QIODevice::ReadOnly));
    const auto postmaster = static_cast<pid_t>(pidFile.readLine().trimmed().toInt());
    ::kill(postmaster, SIGSTOP);
    ::kill(backend, SIGSTOP);
    QElapsedTimer waited;
    waited.start();
    const QString failure = failureOf([&] { store->select(QStringLiteral("SELECT 1"), {}, {}); });
    const qint64 seconds = waited.elapsed() / 1000;
    ::kill(backend, SIGCONT);
    ::kill(postmaster, SIGCONT);
    EXPECT_TRUE(failure.contains(QStringLiteral("is not answering"))) << failure.toStdString();
    EXPECT_LE(seconds, 15);
    // The desk can close the database: nothing waits any more.
    store.reset();
}

} // namespace
