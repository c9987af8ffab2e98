#include "Settings.h"

#include "EngineError.h"

#include <cmath>

namespace gearlog::settings {

namespace {
const QString group = QStringLiteral("AssetDatabase");

// The leading number of a text, as a loose numeric conversion reads it:
// blanks skipped, digits with an optional sign and decimal point, 0 when
// there is none.
double leadingNumber(const QString& text) {
    const QString t = text.trimmed();
    qsizetype end = 0;
    if (end < t.size() && (t[end] == QLatin1Char('-') || t[end] == QLatin1Char('+')))
        ++end;
    while (end < t.size() && (t[end].isDigit() || t[end] == QLatin1Char('.')))
        ++end;
    bool ok = false;
    const double value = t.left(end).toDouble(&ok);
    return ok ? value : 0.0;
}
} // namespace

std::unique_ptr<QSettings> open() {
    return std::make_unique<QSettings>(QStringLiteral("Fieldbench"), QStringLiteral("Gearlog"));
}

QString read(const QString& key) {
    auto s = open();
    s->beginGroup(group);
    return s->value(key, noValue).toString();
}

void write(const QString& key, const QString& value) {
    auto s = open();
    s->beginGroup(group);
    s->setValue(key, value);
    s->endGroup();
    s->sync();
}

bool isStored(const QString& value) {
    return !value.isEmpty() && value != noValue;
}

QString formatFileName(const QString& name, const QString& type, const QString& connection) {
    return type + separator + name + separator + connection;
}

StoredDatabase parseFileName(const QString& value) {
    const qsizetype first = value.indexOf(separator);
    const qsizetype second = first < 0 ? -1 : value.indexOf(separator, first + separator.size());
    if (second < 0)
        throw EngineError(QStringLiteral("The stored database setting \"%1\" is not of the form "
                                         "type&|&name&|&connection")
                              .arg(value));
    return {value.left(first),
            value.mid(first + separator.size(), second - first - separator.size()),
            value.mid(second + separator.size())};
}

std::vector<int> parseFieldList(const QString& value) {
    std::vector<int> fields;
    if (!isStored(value))
        return fields;
    QString rest = value;
    while (!rest.isEmpty()) {
        const qsizetype amp = rest.indexOf(QLatin1Char('&'));
        const QString piece = amp < 0 ? rest : rest.left(amp);
        rest = amp < 0 ? QString() : rest.mid(amp + 1);
        if (fields.size() == maxFieldListEntries)
            throw EngineError(
                QStringLiteral("The stored field list \"%1\" has more than %2 entries")
                    .arg(value)
                    .arg(maxFieldListEntries));
        fields.push_back(static_cast<int>(std::nearbyint(leadingNumber(piece))));
    }
    return fields;
}

QString formatFieldList(const std::vector<int>& fields) {
    QStringList parts;
    for (int f : fields)
        parts << QString::number(f);
    return parts.join(QLatin1Char('&'));
}

const std::vector<int>& defaultFieldList() {
    static const std::vector<int> fields{1, 3, 4, 12, 11};
    return fields;
}

std::vector<int> loadFieldList() {
    // Whatever another version, a hand edit or a damaged file left there,
    // the window only ever gets columns it has, each once.
    std::vector<int> fields;
    try {
        fields = parseFieldList(read(QStringLiteral("FieldList")));
    } catch (const EngineError&) {
        return defaultFieldList();
    }
    std::vector<bool> seen(historyColumnCount + 1, false);
    for (int f : fields) {
        if (f < 1 || f > historyColumnCount || seen[static_cast<size_t>(f)])
            return defaultFieldList();
        seen[static_cast<size_t>(f)] = true;
    }
    return fields.empty() ? defaultFieldList() : fields;
}

namespace {
const QString recentKey = QStringLiteral("RecentFiles");

void storeRecentFiles(const QStringList& files) {
    auto s = open();
    s->beginGroup(group);
    s->setValue(recentKey, files);
    s->endGroup();
    s->sync();
}
} // namespace

QStringList recentFiles() {
    auto s = open();
    s->beginGroup(group);
    return s->value(recentKey).toStringList().mid(0, maxRecentFiles);
}

void rememberRecentFile(const QString& path) {
    QStringList files = recentFiles();
    files.removeAll(path);
    files.prepend(path);
    storeRecentFiles(files.mid(0, maxRecentFiles));
}

void forgetRecentFile(const QString& path) {
    QStringList files = recentFiles();
    files.removeAll(path);
    storeRecentFiles(files);
}

} // namespace gearlog::settings
