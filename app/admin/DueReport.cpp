#include "DueReport.h"

#include "CsvLine.h"
#include "DueLists.h"

#include <QStringList>

namespace gearlog {

namespace {

QString iso(const QDate& date) {
    return date.toString(Qt::ISODate);
}

QString days(int n) {
    return n == 1 || n == -1 ? QStringLiteral("%1 day").arg(n) : QStringLiteral("%1 days").arg(n);
}

// "Title (count)", saying when only the most urgent rows follow.
QString heading(const QString& title, size_t listed, int total) {
    QString text = QStringLiteral("%1 (%2").arg(title).arg(total);
    if (listed < static_cast<size_t>(total))
        text += QStringLiteral("; the %1 most urgent listed").arg(listed);
    return text + QLatin1Char(')');
}

} // namespace

void writeDueText(const DueLists& lists, int within, QTextStream& out) {
    out << heading(QStringLiteral("Overdue shipments"), lists.overdue.size(), lists.overdueTotal)
        << "\n";
    for (const OverdueShipment& s : lists.overdue)
        out << "  " << s.name << " to " << s.receiver << ": sent " << iso(s.sent)
            << ", expected back " << iso(s.expected) << ", " << days(s.daysOverdue) << " overdue, "
            << s.assetsOut << " asset(s) out\n";
    out << heading(QStringLiteral("Maintenance due within ") + days(within),
                   lists.maintenance.size(), lists.maintenanceTotal)
        << "\n";
    for (const MaintenanceDue& m : lists.maintenance)
        out << "  Asset " << m.assetId << " " << m.model << " " << m.serial << " (" << m.type
            << "): due " << iso(m.due) << ", "
            << (m.daysLeft < 0 ? days(-m.daysLeft) + QStringLiteral(" ago")
                               : QStringLiteral("in ") + days(m.daysLeft))
            << ", " << m.location << "\n";
    out << heading(QStringLiteral("Out during maintenance"), lists.outDue.size(), lists.outDueTotal)
        << "\n";
    for (const OutDuringMaintenance& o : lists.outDue)
        out << "  Asset " << o.assetId << " " << o.model << " " << o.serial << ": maintenance "
            << iso(o.maintenance) << ", back " << iso(o.expectedReturn) << " on " << o.shipment
            << "\n";
    out << heading(QStringLiteral("Failed maintenance"), lists.failed.size(), lists.failedTotal)
        << "\n";
    for (const FailedAsset& f : lists.failed)
        out << "  Asset " << f.asset << " " << f.model << " " << f.serial << " (" << f.type
            << "): " << (f.kind.isEmpty() ? QStringLiteral("maintenance") : f.kind.toLower())
            << " failed " << iso(f.done) << "\n";
}

void writeDueCsv(const DueLists& lists, QTextStream& out) {
    writeCsvLine(out, {QStringLiteral("List"), QStringLiteral("ID"), QStringLiteral("Name"),
                       QStringLiteral("Serial Number"), QStringLiteral("Where"),
                       QStringLiteral("Date"), QStringLiteral("Days"), QStringLiteral("Assets Out"),
                       QStringLiteral("Expected Return")});
    for (const OverdueShipment& s : lists.overdue)
        writeCsvLine(out, {QStringLiteral("Overdue shipment"), QString::number(s.id), s.name,
                           QString(), s.receiver, iso(s.sent), QString::number(s.daysOverdue),
                           QString::number(s.assetsOut), iso(s.expected)});
    for (const MaintenanceDue& m : lists.maintenance)
        writeCsvLine(out, {QStringLiteral("Maintenance due"), QString::number(m.assetId), m.model,
                           m.serial, m.location, iso(m.due), QString::number(m.daysLeft), QString(),
                           QString()});
    for (const OutDuringMaintenance& o : lists.outDue)
        writeCsvLine(out, {QStringLiteral("Out during maintenance"), QString::number(o.assetId),
                           o.model, o.serial, o.shipment, iso(o.maintenance), QString(), QString(),
                           iso(o.expectedReturn)});
    for (const FailedAsset& f : lists.failed)
        writeCsvLine(out, {QStringLiteral("Failed maintenance"), QString::number(f.asset), f.model,
                           f.serial, f.kind, iso(f.done), QString(), QString(), QString()});
}

} // namespace gearlog
