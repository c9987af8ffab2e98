#include "BookingCommands.h"

#include "AdminOptions.h"
#include "Availability.h"
#include "BookingTables.h"
#include "Bookings.h"
#include "CsvLine.h"
#include "EngineError.h"
#include "SchemaBuilder.h"
#include "TerminalText.h"
#include "TypedText.h"

namespace gearlog {

namespace {

struct BookingArguments {
    QString command, target, equipment, category, receiver, name;
    int quantity = 0;
    QDate from, to;
    bool csv = false;
};

BookingArguments parseBooking(const QStringList& args) {
    BookingArguments a;
    a.command = args.front();
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool booking = a.command == QLatin1String("book");
        if (arg == QLatin1String("--equipment") && a.command != QLatin1String("bookings"))
            a.equipment = textOption(args, i, arg);
        else if (arg == QLatin1String("--category") && a.command != QLatin1String("bookings"))
            a.category = textOption(args, i, arg);
        else if (arg == QLatin1String("--quantity") && booking)
            a.quantity = positiveNumber(args, i, arg);
        else if (arg == QLatin1String("--receiver") && booking)
            a.receiver = textOption(args, i, arg);
        else if (arg == QLatin1String("--name") && booking)
            a.name = textOption(args, i, arg);
        else if (arg == QLatin1String("--from"))
            a.from = date(args, i, arg);
        else if (arg == QLatin1String("--to"))
            a.to = date(args, i, arg);
        else if (arg == QLatin1String("--csv") && !booking)
            a.csv = true;
        else if (arg.startsWith(QLatin1String("--")) || !a.target.isEmpty())
            throw UsageError(QStringLiteral("Unknown option ") + arg);
        else
            a.target = arg;
    }
    if (a.target.isEmpty())
        throw UsageError(a.command + QStringLiteral(" needs a database file or connection"));
    if (a.command != QLatin1String("bookings") &&
        (a.equipment.isEmpty() || !a.from.isValid() || !a.to.isValid()))
        throw UsageError(a.command + QStringLiteral(" needs --equipment, --from and --to"));
    if (a.command == QLatin1String("book") && (a.quantity < 1 || a.receiver.isEmpty()))
        throw UsageError(QStringLiteral("book needs --quantity of 1 or more and --receiver"));
    if (a.from.isValid() && a.to.isValid() && a.to < a.from)
        throw UsageError(QStringLiteral("--to is before --from"));
    return a;
}

QString isoDay(const QDate& d) {
    return d.toString(Qt::ISODate);
}

int book(Database& db, const BookingArguments& a, QTextStream& out) {
    Store& store = db.store();
    Booking b;
    b.contact =
        oneNamed(store, QStringLiteral("SELECT ID FROM Table_contact WHERE Name = ?"), {a.receiver},
                 QStringLiteral("contact"), a.receiver, QStringLiteral("rename one of them"));
    b.leaves = a.from;
    b.back = a.to;
    b.name = a.name.isEmpty() ? QStringLiteral("%1 for %2").arg(a.equipment, a.receiver) : a.name;
    b.lines.push_back({equipmentNamed(store, a.equipment, a.category), a.quantity, 0});
    out << save_booking(db, b) << "\n";
    return 0;
}

void availability(Store& store, const BookingArguments& a, QTextStream& out) {
    const std::vector<int> free =
        free_by_day(store, equipmentNamed(store, a.equipment, a.category), a.from, a.to);
    if (a.csv)
        writeCsvLine(out, {QStringLiteral("Date"), QStringLiteral("Free")});
    for (size_t d = 0; d < free.size(); ++d) {
        const QDate day = a.from.addDays(static_cast<qint64>(d));
        if (a.csv)
            writeCsvLine(out, {isoDay(day), QString::number(free[d])});
        else
            out << format_date(day) << "  " << free[d] << "\n";
    }
}

void bookings(Store& store, const BookingArguments& a, QTextStream& out) {
    const QDate from = a.from.isValid() ? a.from : QDate(1, 1, 1);
    const QDate to = a.to.isValid() ? a.to : QDate(9999, 12, 31);
    const BookingNames names = read_booking_names(store);
    if (a.csv)
        writeCsvLine(out, {QStringLiteral("ID"), QStringLiteral("Name"), QStringLiteral("Receiver"),
                           QStringLiteral("Leaves"), QStringLiteral("Back"),
                           QStringLiteral("Lines"), QStringLiteral("State")});
    for (const Booking& b : read_bookings(store, from, to)) {
        const QStringList fields{QString::number(b.id),
                                 b.name,
                                 names.contacts.value(b.contact),
                                 a.csv ? isoDay(b.leaves) : format_date(b.leaves),
                                 a.csv ? isoDay(b.back) : format_date(b.back),
                                 names.lines(b),
                                 b.state};
        if (a.csv)
            writeCsvLine(out, fields);
        else
            out << printable(fields.join(QStringLiteral("  "))) << "\n";
    }
}

} // namespace

bool isBookingCommand(const QString& command) {
    return command == QLatin1String("book") || command == QLatin1String("availability") ||
           command == QLatin1String("bookings");
}

int runBookingCommand(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    const BookingArguments a = parseBooking(arguments);
    auto store = openTarget(a.target);
    if (a.command == QLatin1String("book")) {
        if (store->isReadOnly()) {
            err << "gearlog-admin: nothing can be booked: " << store->openingNotice() << "\n";
            return 1;
        }
        upgradeSchema(*store); // the bookings' tables, where they are missing
        // A refusal reaches the caller as any engine error: said, exit 1.
        return book(*std::make_shared<Database>(std::move(store)), a, out);
    }
    if (!has_booking_tables(*store)) {
        // A database no desk has opened for writing since bookings came.
        if (a.command == QLatin1String("bookings"))
            return 0;
        if (store->isReadOnly())
            throw EngineError(QStringLiteral("This database has no bookings' tables yet, and this "
                                             "desk may only read it: open it once for writing"));
        upgradeSchema(*store);
    }
    if (a.command == QLatin1String("availability"))
        availability(*store, a, out);
    else
        bookings(*store, a, out);
    return 0;
}

} // namespace gearlog
