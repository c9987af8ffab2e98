#include "PrivateCluster.h"

#include "TestStores.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <unistd.h>

namespace gearlog::test {

namespace {

bool runAsRoot() {
    return ::getuid() == 0;
}

QString serverBin() {
    const QStringList versions =
        QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    return versions.isEmpty() ? QString()
                              : QStringLiteral("/usr/lib/postgresql/%1/bin/").arg(versions.last());
}

} // namespace

QString runProgram(const QString& program, const QStringList& arguments) {
    const auto [exitCode, output] = runToEnd(program, arguments);
    return exitCode == 0 ? QString() : program + QStringLiteral(": ") + output;
}

QString runServerProgram(const QString& name, const QStringList& arguments) {
    const QString bin = serverBin();
    if (bin.isEmpty())
        return QStringLiteral("no PostgreSQL server is installed");
    // The server refuses to run as root.
    if (!runAsRoot())
        return runProgram(bin + name, arguments);
    return runProgram(QStringLiteral("runuser"),
                      QStringList{QStringLiteral("-u"), QStringLiteral("postgres"),
                                  QStringLiteral("--"), bin + name} +
                          arguments);
}

int randomPort() {
    return 20000 + static_cast<int>(QRandomGenerator::global()->bounded(19000));
}

PrivateCluster::PrivateCluster(QString folder, int port)
    : m_folder(std::move(folder)), m_port(port) {}

PrivateCluster::~PrivateCluster() {
    stop(QStringLiteral("immediate"));
}

QString PrivateCluster::socketFolder() const {
    return QFileInfo(m_folder).absolutePath();
}

QString PrivateCluster::initialise(const QString& settings) {
    if (runAsRoot()) {
        if (const QString failed =
                runProgram(QStringLiteral("chown"), {QStringLiteral("postgres:"), socketFolder()});
            !failed.isEmpty())
            return failed;
    }
    if (const QString failed =
            runServerProgram(QStringLiteral("initdb"),
                             {QStringLiteral("-D"), m_folder, QStringLiteral("-U"),
                              QStringLiteral("postgres"), QStringLiteral("--auth=trust"),
                              QStringLiteral("--encoding=UTF8"), QStringLiteral("--locale=C")});
        !failed.isEmpty())
        return failed;
    QFile conf(m_folder + QStringLiteral("/postgresql.conf"));
    if (!conf.open(QIODevice::Append))
        return conf.errorString();
    conf.write((QStringLiteral("listen_addresses = ''\nunix_socket_directories = '%1'\nport = %2\n"
                               "fsync = off\n")
                    .arg(socketFolder())
                    .arg(m_port) +
                settings)
                   .toUtf8());
    return {};
}

QString PrivateCluster::followPrimary(const PrivateCluster& primary) {
    stop(QStringLiteral("immediate"));
    QDir(m_folder).removeRecursively();
    if (const QString failed =
            runServerProgram(QStringLiteral("pg_basebackup"),
                             {QStringLiteral("-h"), primary.socketFolder(), QStringLiteral("-p"),
                              QString::number(primary.port()), QStringLiteral("-U"),
                              QStringLiteral("postgres"), QStringLiteral("-D"), m_folder,
                              QStringLiteral("-R"), QStringLiteral("-c"), QStringLiteral("fast")});
        !failed.isEmpty())
        return failed;
    // The copy's configuration names the primary's port: this one is its own.
    QFile conf(m_folder + QStringLiteral("/postgresql.auto.conf"));
    if (!conf.open(QIODevice::Append))
        return conf.errorString();
    conf.write(QStringLiteral("port = %1\n").arg(m_port).toUtf8());
    return {};
}

QString PrivateCluster::start() {
    return runServerProgram(QStringLiteral("pg_ctl"),
                            {QStringLiteral("-D"), m_folder, QStringLiteral("-l"),
                             m_folder + QStringLiteral(".log"), QStringLiteral("-w"),
                             QStringLiteral("start")});
}

QString PrivateCluster::stop(const QString& mode) {
    if (!QFile::exists(m_folder + QStringLiteral("/postmaster.pid")))
        return {};
    return runServerProgram(QStringLiteral("pg_ctl"),
                            {QStringLiteral("-D"), m_folder, QStringLiteral("-m"), mode,
                             QStringLiteral("-w"), QStringLiteral("stop")});
}

QString PrivateCluster::restart() {
    return runServerProgram(QStringLiteral("pg_ctl"),
                            {QStringLiteral("-D"), m_folder, QStringLiteral("-l"),
                             m_folder + QStringLiteral(".log"), QStringLiteral("-m"),
                             QStringLiteral("fast"), QStringLiteral("-w"),
                             QStringLiteral("restart")});
}

QString PrivateCluster::promote() {
    return runServerProgram(
        QStringLiteral("pg_ctl"),
        {QStringLiteral("-D"), m_folder, QStringLiteral("-w"), QStringLiteral("promote")});
}

} // namespace gearlog::test
