#pragma once

#include <QMap>
#include <QString>
#include <array>
#include <utility>

namespace gearlog {

// "Driver=QPSQL;Host=...;Port=...;Database=...;User=..." with keys matched
// without regard to case. A value that holds ";", "=" or '"' is written in
// double quotes (a quote inside doubled), so no value can add a key. A
// password is never kept in it.
struct ConnectionString {
    QString driver = QStringLiteral("QPSQL");
    // One host, or a list ("a,b") that libpq tries in order.
    QString host;
    // The port, or the first of `ports` when a list gives one per host.
    int port = 0;
    QString ports; // "5432,5433" as written; empty for one port
    QString database;
    QString user;
    // As administrators write clients' connections: a service of libpq's
    // service file (PGSERVICEFILE), the kind of server wanted from a host
    // list (libpq's target_session_attrs: read-write by default for a
    // list), and how long a connection may take, in seconds (0: ours).
    QString service;
    QString targetSessionAttrs;
    int connectTimeout = 0;
    // The longest a statement may run before the server stops it, in
    // seconds (0: no limit; unset: 60, a desk's own limit).
    int statementTimeout = -1;
    // The server's TLS settings, named after libpq's: SSLMode (disable,
    // allow, prefer, require, verify-ca, verify-full; empty leaves libpq's
    // own default, as stored connections always had), the root certificate
    // that must have signed the server's, and a client certificate and key.
    QString sslMode;
    QString sslRootCert;
    QString sslCert;
    QString sslKey;

    // Sets the port, or the list of one port per host ("5432,5433"; empty
    // for libpq's default); throws EngineError on anything else.
    void setPorts(const QString& value);
    // The port or the list as written in the string (empty: the default).
    QString portText() const {
        return !ports.isEmpty() ? ports : port > 0 ? QString::number(port) : QString();
    }

    // Throws EngineError on an unknown key, a bad port or an open quote.
    static ConnectionString parse(const QString& text);
    // Throws EngineError naming the driver unless it is one we have a
    // dialect for (PostgreSQL's, matched without regard to case).
    void requireSupportedDriver() const;
    QString toString() const;
    // "Database on Host", or the database alone for a local socket.
    QString dataSourceName() const;
    // True when the host is this machine: a Unix socket or the loopback.
    bool isLocal() const;
    // True when the traffic could be read or the server impersonated: a
    // host elsewhere without the server's certificate and name verified.
    bool isExposed() const;
    // libpq's connection options for these settings ("key=value;..."), with
    // the waits that tell a silent server.
    QString libpqOptions(int connectSeconds) const;
    // The whole connection in libpq's own form ("host=... port=... ..."),
    // for a connection made with libpq directly.
    QString conninfo(int connectSeconds) const;

private:
    // The TLS settings by the names they have in the string.
    std::array<std::pair<const char*, const QString*>, 4> tlsSettings() const;
};

// The connection string with a server on another machine verified
// (SSLMode=verify-full) unless it names its own SSLMode, as the data source
// dialog proposes for a new connection: for tools that connect unattended.
QString remoteVerified(const QString& connectionString);

} // namespace gearlog
