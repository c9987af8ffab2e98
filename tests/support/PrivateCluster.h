#pragma once

#include <QString>
#include <QStringList>

namespace gearlog::test {

// Runs a program; its output when it fails, nothing when it succeeds.
QString runProgram(const QString& program, const QStringList& arguments);
// Runs one of the installed PostgreSQL server's programs (by name) as the
// user that may run the server: its own system user when the test is root.
QString runServerProgram(const QString& name, const QStringList& arguments);
// A port no other test's server is likely to take.
int randomPort();

// A PostgreSQL cluster of a test's own in `folder` (which it makes), on
// `port`, reached through a socket in the folder's parent. It is stopped
// when it goes. Each step returns the failure's output, or nothing.
class PrivateCluster {
public:
    PrivateCluster(QString folder, int port);
    ~PrivateCluster();
    PrivateCluster(const PrivateCluster&) = delete;
    PrivateCluster& operator=(const PrivateCluster&) = delete;

    // A new primary, with `settings` added to its configuration.
    QString initialise(const QString& settings = {});
    // A streaming standby of `primary` (which runs), its data made afresh.
    QString followPrimary(const PrivateCluster& primary);
    QString start();
    QString stop(const QString& mode = QStringLiteral("fast"));
    QString restart();
    QString promote();

    const QString& folder() const { return m_folder; }
    QString socketFolder() const;
    int port() const { return m_port; }

private:
    QString m_folder;
    int m_port;
};

} // namespace gearlog::test
