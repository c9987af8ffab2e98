#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace gearlog {

// The per-user settings of the program: organisation "Fieldbench",
// application "Gearlog", group "AssetDatabase".
namespace settings {

inline const QString noValue = QStringLiteral("<no value>");
inline const QString separator = QStringLiteral("&|&");
constexpr int maxFieldListEntries = 32;

std::unique_ptr<QSettings> open();

// A missing value reads as "<no value>".
QString read(const QString& key);
void write(const QString& key, const QString& value);
// "<no value>" and the empty string both mean nothing is stored.
bool isStored(const QString& value);

struct StoredDatabase {
    QString type; // "ADO" for a server, anything else a file
    QString name;
    QString connection;
    bool isServer() const { return type == QLatin1String("ADO"); }
};

// "FileName": type, name and connection joined by "&|&". Parsing a value
// without both separators throws EngineError.
QString formatFileName(const QString& name, const QString& type, const QString& connection);
StoredDatabase parseFileName(const QString& value);

// "FieldList": column numbers joined by "&", each a column of the
// shipping-history window (1 to 12). A value with more than 32 entries
// throws EngineError; an empty result means the default.
constexpr int historyColumnCount = 12;
std::vector<int> parseFieldList(const QString& value);
QString formatFieldList(const std::vector<int>& fields);
const std::vector<int>& defaultFieldList();
// The selection to use at start-up from the stored value; a value that
// is not a list of distinct columns gives the default.
std::vector<int> loadFieldList();

// "RecentFiles": the database files last opened, newest first, at most four.
constexpr int maxRecentFiles = 4;
QStringList recentFiles();
void rememberRecentFile(const QString& path);
void forgetRecentFile(const QString& path);

} // namespace settings
} // namespace gearlog
