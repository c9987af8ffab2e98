#include "ConnectionString.h"

#include <QStringList>

namespace gearlog {

ConnectionString ConnectionString::parse(const QString& text) {
    ConnectionString result;
    const QStringList parts = text.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString key = part.left(eq).trimmed().toLower();
        const QString value = part.mid(eq + 1).trimmed();
        if (key == QLatin1String("driver"))
            result.driver = value;
        else if (key == QLatin1String("host"))
            result.host = value;
        else if (key == QLatin1String("port"))
            result.port = value.toInt();
        else if (key == QLatin1String("database"))
            result.database = value;
        else if (key == QLatin1String("user"))
            result.user = value;
    }
    return result;
}

QString ConnectionString::toString() const {
    QStringList parts{QStringLiteral("Driver=") + driver};
    if (!host.isEmpty())
        parts << QStringLiteral("Host=") + host;
    if (port > 0)
        parts << QStringLiteral("Port=") + QString::number(port);
    if (!database.isEmpty())
        parts << QStringLiteral("Database=") + database;
    if (!user.isEmpty())
        parts << QStringLiteral("User=") + user;
    return parts.join(QLatin1Char(';'));
}

QString ConnectionString::dataSourceName() const {
    const bool localSocket = host.isEmpty() || host.startsWith(QLatin1Char('/'));
    return localSocket ? database : database + QStringLiteral(" on ") + host;
}

} // namespace gearlog
