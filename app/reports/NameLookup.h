#pragma once

#include <QHash>
#include <QString>
#include <QVariant>

namespace gearlog {

class Recordset;

// Look-ups a report makes once per distinct value.

// The names of a table cursor's rows by key, each key looked up once: a
// report of 100,000 rows names a few hundred categories, not 100,000.
class NameLookup {
public:
    explicit NameLookup(Recordset& cursor, bool trimmed = false)
        : m_cursor(cursor), m_trimmed(trimmed) {}
    // Empty for a Null key, a key with no row, or a Null name.
    QString operator()(const QVariant& key);

private:
    Recordset& m_cursor;
    bool m_trimmed;
    QHash<int, QString> m_names;
};

// The plain text of a stored comment: markup removed, line breaks as blanks.
QString comment_text(const QString& stored);

// Comments repeat (a note copied to a batch of assets): each stored text is
// converted once.
class CommentTexts {
public:
    QString operator()(const QVariant& stored);

private:
    QHash<QString, QString> m_texts;
};

} // namespace gearlog
