#include "SearchReport.h"

#include "RecordSearch.h"
#include "TerminalText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace gearlog {

void writeSearchText(const std::vector<SearchGroup>& groups, QTextStream& out) {
    for (const SearchGroup& g : groups) {
        out << search_group_heading(g) << "\n";
        for (const SearchHit& h : g.hits)
            out << "  " << printable(h.title)
                << (h.detail.isEmpty() ? QString()
                                       : QStringLiteral(" \u2014 ") + printable(h.detail))
                << "\n";
        if (const QString more = search_more_text(g); !more.isEmpty())
            out << "  " << more << "\n";
        if (g.tooShort)
            out << "  (" << search_short_note(g.kind) << ")\n";
    }
}

void writeSearchJson(const QString& text, const std::vector<SearchGroup>& groups,
                     QTextStream& out) {
    QJsonArray kinds;
    for (const SearchGroup& g : groups) {
        QJsonArray hits;
        for (const SearchHit& h : g.hits)
            hits.append(QJsonObject{{QStringLiteral("id"), h.key},
                                    {QStringLiteral("title"), h.title},
                                    {QStringLiteral("detail"), h.detail}});
        kinds.append(QJsonObject{{QStringLiteral("kind"), search_kind_key(g.kind)},
                                 {QStringLiteral("total"), g.total},
                                 {QStringLiteral("totalCapped"), g.totalCapped},
                                 {QStringLiteral("tooShort"), g.tooShort},
                                 {QStringLiteral("matches"), hits}});
    }
    out << QJsonDocument(
               QJsonObject{{QStringLiteral("text"), text}, {QStringLiteral("groups"), kinds}})
               .toJson(QJsonDocument::Indented);
}

} // namespace gearlog
