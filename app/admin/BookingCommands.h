#pragma once

#include <QStringList>
#include <QTextStream>

namespace gearlog {

// book, availability and bookings: reserving equipment for days ahead
// from the command line, as the Bookings view does.
bool isBookingCommand(const QString& command);
// Exit 0 when done (book prints the booking's key); 1 when refused or the
// engine fails, with why; throws UsageError for a bad command line.
int runBookingCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace gearlog
