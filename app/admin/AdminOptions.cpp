#include "AdminOptions.h"

#include "ConnectionString.h"
#include "DatabaseCheck.h"
#include "TypedText.h"

namespace gearlog {

int positiveNumber(const QStringList& args, qsizetype& i, const QString& option) {
    bool ok = false;
    const int value = i + 1 < args.size() ? args[i + 1].toInt(&ok) : 0;
    if (!ok || value < 0)
        throw UsageError(option + QStringLiteral(" needs a whole number of 0 or more"));
    ++i;
    return value;
}

QDate date(const QStringList& args, qsizetype& i, const QString& option) {
    const QDate day = i + 1 < args.size() ? parse_date(args[i + 1]) : QDate();
    if (!day.isValid())
        throw UsageError(option + QStringLiteral(" needs a date as yyyy-mm-dd"));
    ++i;
    return day;
}

QString textOption(const QStringList& args, qsizetype& i, const QString& option) {
    if (i + 1 >= args.size() || args[i + 1].trimmed().isEmpty())
        throw UsageError(option + QStringLiteral(" needs a value"));
    return args[++i].trimmed();
}

std::unique_ptr<Store> openTarget(const QString& target) {
    return isConnectionString(target) ? openServerStore(remoteVerified(target))
                                      : openFileStore(target);
}

} // namespace gearlog
