#pragma once

#include <QMap>
#include <QString>

namespace gearlog {

// "Driver=QPSQL;Host=...;Port=...;Database=...;User=..." with keys matched
// without regard to case. A password is never kept in it.
struct ConnectionString {
    QString driver = QStringLiteral("QPSQL");
    QString host;
    int port = 0;
    QString database;
    QString user;

    static ConnectionString parse(const QString& text);
    QString toString() const;
    // "Database on Host", or the database alone for a local socket.
    QString dataSourceName() const;
};

} // namespace gearlog
