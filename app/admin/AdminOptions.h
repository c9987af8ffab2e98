#pragma once

#include "Store.h"

#include <QDate>
#include <QStringList>
#include <memory>
#include <stdexcept>

namespace gearlog {

// A command line gearlog-admin cannot take: said with the usage, exit 2.
class UsageError : public std::runtime_error {
public:
    explicit UsageError(const QString& text) : std::runtime_error(text.toStdString()) {}
};

// The value after option `i` (which `i` then passes): a whole number of
// 0 or more, a day as yyyy-mm-dd or as the forms read one, or any text.
int positiveNumber(const QStringList& args, qsizetype& i, const QString& option);
QDate date(const QStringList& args, qsizetype& i, const QString& option);
QString textOption(const QStringList& args, qsizetype& i, const QString& option);

// The one record the query finds; a name no record or several records
// have is refused (EngineError), never guessed. `narrow` says how to tell
// several apart.
int oneNamed(Store& store, const QString& sql, const QVariantList& params, const QString& what,
             const QString& name, const QString& narrow);
// The equipment type of that name, in that category when one is given.
int equipmentNamed(Store& store, const QString& equipment, const QString& category);

// The database a command names: a file, or a server verified as the
// data source dialog would.
std::unique_ptr<Store> openTarget(const QString& target);

} // namespace gearlog
