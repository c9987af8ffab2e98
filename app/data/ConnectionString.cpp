#include "ConnectionString.h"

#include "EngineError.h"

#include <QStringList>

namespace gearlog {

namespace {

const QString serverDriver = QStringLiteral("QPSQL");
const QStringList sessionAttrs{QStringLiteral("any"),       QStringLiteral("read-write"),
                               QStringLiteral("read-only"), QStringLiteral("primary"),
                               QStringLiteral("standby"),   QStringLiteral("prefer-standby")};
const QStringList sslModes{QStringLiteral("disable"),   QStringLiteral("allow"),
                           QStringLiteral("prefer"),    QStringLiteral("require"),
                           QStringLiteral("verify-ca"), QStringLiteral("verify-full")};

// A value as libpq's connection options read it: in single quotes with
// backslashes before quotes and backslashes when it holds a blank.
QString libpqValue(const QString& value) {
    if (!value.contains(QLatin1Char(' ')) && !value.contains(QLatin1Char('\'')) &&
        !value.contains(QLatin1Char('\\')) && !value.isEmpty())
        return value;
    QString escaped = value;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    escaped.replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + escaped + QLatin1Char('\'');
}

// A value as it stands in the string: quoted when it holds a separator, a
// quote or blanks at its ends, so that no value can add a key of its own.
QString quoted(const QString& value) {
    const bool plain = !value.contains(QLatin1Char(';')) && !value.contains(QLatin1Char('=')) &&
                       !value.contains(QLatin1Char('"')) && value == value.trimmed();
    if (plain)
        return value;
    QString escaped = value;
    escaped.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

[[noreturn]] void refuse(const QString& why) {
    throw EngineError(QStringLiteral("Invalid connection string: ") + why);
}

// A value that must be one of `allowed` (in any case), lowered.
QString oneOf(const QString& key, const QStringList& allowed, const QString& value) {
    const QString lowered = value.toLower();
    if (!allowed.contains(lowered))
        refuse(QStringLiteral("%1 must be one of %2, not \"%3\"")
                   .arg(key, allowed.join(QStringLiteral(", ")), value));
    return lowered;
}

// A whole number of seconds, `least` or more.
int seconds(const QString& key, const QString& value, int least) {
    bool ok = false;
    const int number = value.toInt(&ok);
    if (!ok || number < least)
        refuse(QStringLiteral("%1 must be a number of seconds, not \"%2\"").arg(key, value));
    return number;
}

// Splits "key=value;key="quoted;value"" into its pairs.
QList<std::pair<QString, QString>> pairs(const QString& text) {
    QList<std::pair<QString, QString>> result;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        const qsizetype eq = text.indexOf(QLatin1Char('='), i);
        const qsizetype semicolon = text.indexOf(QLatin1Char(';'), i);
        if (eq < 0 || (semicolon >= 0 && semicolon < eq)) {
            const QString rest = text.mid(i, semicolon < 0 ? n - i : semicolon - i).trimmed();
            if (!rest.isEmpty())
                refuse(QStringLiteral("\"%1\" has no value").arg(rest));
            i = semicolon < 0 ? n : semicolon + 1;
            continue;
        }
        const QString key = text.mid(i, eq - i).trimmed().toLower();
        i = eq + 1;
        while (i < n && text[i] == QLatin1Char(' '))
            ++i;
        QString value;
        if (i < n && text[i] == QLatin1Char('"')) {
            for (++i;; ++i) {
                if (i >= n)
                    refuse(QStringLiteral("a quoted value of %1 is not closed").arg(key));
                if (text[i] == QLatin1Char('"')) {
                    if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                        value += QLatin1Char('"');
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += text[i];
            }
            while (i < n && text[i] == QLatin1Char(' '))
                ++i;
            if (i < n && text[i] != QLatin1Char(';'))
                refuse(QStringLiteral("text after the quoted value of %1").arg(key));
        } else {
            const qsizetype end = text.indexOf(QLatin1Char(';'), i);
            value = text.mid(i, end < 0 ? n - i : end - i).trimmed();
            i = end < 0 ? n : end;
        }
        ++i; // the ";"
        result.append({key, value});
    }
    return result;
}

} // namespace

ConnectionString ConnectionString::parse(const QString& text) {
    ConnectionString result;
    for (const auto& [key, value] : pairs(text)) {
        if (key == QLatin1String("driver")) {
            result.driver = value;
        } else if (key == QLatin1String("host")) {
            result.host = value;
        } else if (key == QLatin1String("port")) {
            result.setPorts(value);
        } else if (key == QLatin1String("service")) {
            result.service = value;
        } else if (key == QLatin1String("targetsessionattrs")) {
            result.targetSessionAttrs =
                oneOf(QStringLiteral("TargetSessionAttrs"), sessionAttrs, value);
        } else if (key == QLatin1String("statementtimeout")) {
            result.statementTimeout = seconds(QStringLiteral("StatementTimeout"), value, 0);
        } else if (key == QLatin1String("connecttimeout")) {
            result.connectTimeout = seconds(QStringLiteral("ConnectTimeout"), value, 1);
        } else if (key == QLatin1String("database")) {
            result.database = value;
        } else if (key == QLatin1String("user")) {
            result.user = value;
        } else if (key == QLatin1String("sslmode")) {
            result.sslMode = oneOf(QStringLiteral("SSLMode"), sslModes, value);
        } else if (key == QLatin1String("sslrootcert")) {
            result.sslRootCert = value;
        } else if (key == QLatin1String("sslcert")) {
            result.sslCert = value;
        } else if (key == QLatin1String("sslkey")) {
            result.sslKey = value;
        } else {
            refuse(QStringLiteral("unknown key \"%1\"").arg(key));
        }
    }
    if (result.driver.compare(serverDriver, Qt::CaseInsensitive) == 0)
        result.driver = serverDriver;
    return result;
}

void ConnectionString::requireSupportedDriver() const {
    if (driver != serverDriver)
        throw EngineError(QStringLiteral("The database driver %1 is not supported: Gearlog works "
                                         "with PostgreSQL servers (driver QPSQL)")
                              .arg(driver));
}

QString ConnectionString::toString() const {
    QStringList parts{QStringLiteral("Driver=") + quoted(driver)};
    if (!host.isEmpty())
        parts << QStringLiteral("Host=") + quoted(host);
    if (!ports.isEmpty())
        parts << QStringLiteral("Port=") + quoted(ports);
    else if (port > 0)
        parts << QStringLiteral("Port=") + QString::number(port);
    if (!database.isEmpty())
        parts << QStringLiteral("Database=") + quoted(database);
    if (!user.isEmpty())
        parts << QStringLiteral("User=") + quoted(user);
    if (!service.isEmpty())
        parts << QStringLiteral("Service=") + quoted(service);
    if (!targetSessionAttrs.isEmpty())
        parts << QStringLiteral("TargetSessionAttrs=") + targetSessionAttrs;
    if (connectTimeout > 0)
        parts << QStringLiteral("ConnectTimeout=") + QString::number(connectTimeout);
    if (statementTimeout >= 0)
        parts << QStringLiteral("StatementTimeout=") + QString::number(statementTimeout);
    for (const auto& [key, value] : tlsSettings())
        if (!value->isEmpty())
            parts << QString::fromLatin1(key) + QLatin1Char('=') + quoted(*value);
    return parts.join(QLatin1Char(';'));
}

QString ConnectionString::dataSourceName() const {
    const QString name = database.isEmpty() ? service : database;
    const bool localSocket = host.isEmpty() || host.startsWith(QLatin1Char('/'));
    return localSocket ? name : name + QStringLiteral(" on ") + host;
}

std::array<std::pair<const char*, const QString*>, 4> ConnectionString::tlsSettings() const {
    return {{{"SSLMode", &sslMode},
             {"SSLRootCert", &sslRootCert},
             {"SSLCert", &sslCert},
             {"SSLKey", &sslKey}}};
}

bool ConnectionString::isLocal() const {
    // A service names its hosts in a file: they may be anywhere.
    if (host.trimmed().isEmpty())
        return service.isEmpty();
    for (const QString& each : host.split(QLatin1Char(','))) {
        const QString h = each.trimmed().toLower();
        if (!(h.isEmpty() || h.startsWith(QLatin1Char('/')) || h == QLatin1String("localhost") ||
              h == QLatin1String("::1") || h.startsWith(QLatin1String("127."))))
            return false;
    }
    return true;
}

bool ConnectionString::isExposed() const {
    return !isLocal() && sslMode != QLatin1String("verify-full");
}

QString ConnectionString::libpqOptions(int connectSeconds) const {
    // A server that stops answering is noticed by the connection itself:
    // keepalives after 5 s of quiet, and data unacknowledged for 15 s.
    QStringList options{QStringLiteral("connect_timeout=%1")
                            .arg(connectTimeout > 0 ? connectTimeout : connectSeconds),
                        QStringLiteral("keepalives=1"),
                        QStringLiteral("keepalives_idle=5"),
                        QStringLiteral("keepalives_interval=2"),
                        QStringLiteral("keepalives_count=3"),
                        QStringLiteral("tcp_user_timeout=15000")};
    // A port list, and the kind of server a host list must reach: one that
    // takes writes unless the string says otherwise.
    if (!ports.isEmpty())
        options << QStringLiteral("port=") + QString(ports).remove(QLatin1Char(' '));
    const QString attrs = !targetSessionAttrs.isEmpty()     ? targetSessionAttrs
                          : host.contains(QLatin1Char(',')) ? QStringLiteral("read-write")
                                                            : QString();
    if (!attrs.isEmpty())
        options << QStringLiteral("target_session_attrs=") + attrs;
    if (!service.isEmpty()) {
        if (service.contains(QLatin1Char(';')))
            refuse(QStringLiteral("the service name may not hold \";\""));
        options << QStringLiteral("service=") + libpqValue(service);
    }
    // libpq's keywords are ours in lower case.
    for (const auto& [name, value] : tlsSettings()) {
        const QString key = QString::fromLatin1(name).toLower();
        if (value->isEmpty())
            continue;
        // The driver splits its options at ";": such a path cannot pass.
        if (value->contains(QLatin1Char(';')))
            refuse(QStringLiteral("the %1 path may not hold \";\"").arg(key));
        options << key + QLatin1Char('=') + libpqValue(*value);
    }
    return options.join(QLatin1Char(';'));
}

void ConnectionString::setPorts(const QString& value) {
    const QStringList each = value.split(QLatin1Char(','));
    for (const QString& p : each) {
        bool ok = false;
        const int number = p.trimmed().toInt(&ok);
        if (!value.trimmed().isEmpty() && (!ok || number < 1 || number > 65535))
            refuse(QStringLiteral("the port must be a number from 1 to 65535, not \"%1\"")
                       .arg(p.trimmed()));
    }
    port = value.trimmed().isEmpty() ? 0 : each.front().trimmed().toInt();
    ports = each.size() > 1 ? value.trimmed() : QString();
}

QString ConnectionString::conninfo(int connectSeconds) const {
    QStringList parts;
    const std::pair<const char*, QString> named[] = {
        {"host", host},
        {"port", ports.isEmpty() && port > 0 ? QString::number(port) : QString()},
        {"dbname", database},
        {"user", user}};
    for (const auto& [key, value] : named)
        if (!value.isEmpty())
            parts << QString::fromLatin1(key) + QLatin1Char('=') + libpqValue(value);
    return (parts + libpqOptions(connectSeconds).split(QLatin1Char(';'))).join(QLatin1Char(' '));
}

QString remoteVerified(const QString& connectionString) {
    ConnectionString c = ConnectionString::parse(connectionString);
    if (c.sslMode.isEmpty() && !c.isLocal())
        c.sslMode = QStringLiteral("verify-full");
    return c.toString();
}

} // namespace gearlog
