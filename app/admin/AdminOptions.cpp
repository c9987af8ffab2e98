#include "AdminOptions.h"

#include "ConnectionString.h"
#include "DatabaseCheck.h"
#include "EngineError.h"
#include "TerminalText.h"
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

int oneNamed(Store& store, const QString& sql, const QVariantList& params, const QString& what,
             const QString& name, const QString& narrow) {
    const auto rows = store.select(sql, params, {FieldType::Long});
    if (rows.empty())
        throw EngineError(QStringLiteral("No %1 is named \"%2\"").arg(what, printable(name)));
    if (rows.size() > 1)
        throw EngineError(QStringLiteral("%1 records share the %2 name \"%3\": %4")
                              .arg(rows.size())
                              .arg(what, printable(name), narrow));
    return rows.front()[0].toInt();
}

int equipmentNamed(Store& store, const QString& equipment, const QString& category) {
    if (category.isEmpty())
        return oneNamed(store, QStringLiteral("SELECT ID FROM Table_equipment WHERE Name = ?"),
                        {equipment}, QStringLiteral("equipment type"), equipment,
                        QStringLiteral("give its --category"));
    return oneNamed(store,
                    QStringLiteral("SELECT e.ID FROM Table_equipment e JOIN Table_category c ON "
                                   "c.ID = e.CategoryID WHERE e.Name = ? AND c.Name = ?"),
                    {equipment, category}, QStringLiteral("equipment type"), equipment,
                    QStringLiteral("rename one of them"));
}

std::unique_ptr<Store> openTarget(const QString& target) {
    return isConnectionString(target) ? openServerStore(remoteVerified(target))
                                      : openFileStore(target);
}

} // namespace gearlog
