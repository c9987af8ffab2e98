#include "NameLookup.h"

#include "RecordHelpers.h"
#include "Recordset.h"
#include "RtfCodec.h"

namespace gearlog {

QString NameLookup::operator()(const QVariant& key) {
    if (!key.isValid())
        return {};
    const int id = key.toInt();
    if (const auto known = m_names.constFind(id); known != m_names.constEnd())
        return known.value();
    QString name;
    if (find_record_by_number(m_cursor, QStringLiteral("ID"), id)) {
        name = m_cursor.value(QStringLiteral("Name")).toString();
        if (m_trimmed)
            name = name.trimmed();
    }
    m_names.insert(id, name);
    return name;
}

QString comment_text(const QString& stored) {
    QString plain = rtf::plainText(stored);
    for (QChar& c : plain)
        if (c == QLatin1Char('\n') || c == QChar::LineSeparator || c == QChar::ParagraphSeparator ||
            c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    return plain.trimmed();
}

QString CommentTexts::operator()(const QVariant& stored) {
    if (!stored.isValid())
        return {};
    const QString text = stored.toString();
    if (const auto known = m_texts.constFind(text); known != m_texts.constEnd())
        return known.value();
    const QString plain = comment_text(text);
    m_texts.insert(text, plain);
    return plain;
}

} // namespace gearlog
