#pragma once

#include <QMap>
#include <QString>

namespace gearlog {

// "Driver=QPSQL;Host=...;Port=...;Database=...;User=..." with keys matched
// without regard to case. A value that holds ";", "=" or '"' is written in
// double quotes (a quote inside doubled), so no value can add a key. A
// password is never kept in it.
struct ConnectionString {
    QString driver = QStringLiteral("QPSQL");
    QString host;
    int port = 0;
    QString database;
    QString user;

    // Throws EngineError on an unknown key, a bad port or an open quote.
    static ConnectionString parse(const QString& text);
    // Throws EngineError naming the driver unless it is one we have a
    // dialect for (PostgreSQL's, matched without regard to case).
    void requireSupportedDriver() const;
    QString toString() const;
    // "Database on Host", or the database alone for a local socket.
    QString dataSourceName() const;
};

} // namespace gearlog
