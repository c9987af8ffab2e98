#include "HistoryReport.h"

#include "ChangeHistory.h"
#include "CsvLine.h"
#include "TerminalText.h"

namespace gearlog {

void writeHistoryText(const std::vector<HistoryEntry>& entries, QTextStream& out) {
    for (const HistoryEntry& e : entries) {
        out << e.when.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) << "  "
            << printable(e.who) << "@" << printable(e.machine) << "  " << printable(e.command)
            << "  " << printable(e.table) << " " << e.key << "  " << printable(e.action);
        if (!e.field.isEmpty())
            out << "  " << printable(e.field) << ": \"" << printable(e.before) << "\" -> \""
                << printable(e.after) << "\"";
        out << "\n";
    }
}

void writeHistoryCsv(const std::vector<HistoryEntry>& entries, QTextStream& out) {
    writeCsvLine(out, {QStringLiteral("When"), QStringLiteral("Who"), QStringLiteral("Machine"),
                       QStringLiteral("Command"), QStringLiteral("Table"), QStringLiteral("ID"),
                       QStringLiteral("Action"), QStringLiteral("Field"), QStringLiteral("Before"),
                       QStringLiteral("After")});
    for (const HistoryEntry& e : entries) {
        QStringList fields{e.when.toString(Qt::ISODate), e.who,    e.machine, e.command, e.table,
                           QString::number(e.key),       e.action, e.field,   e.before,  e.after};
        for (QString& field : fields)
            field = printable(field, true);
        writeCsvLine(out, fields);
    }
}

} // namespace gearlog
