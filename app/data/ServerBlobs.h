#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

struct pg_conn;

namespace gearlog {

// Binary fields to and from the server in libpq's binary format: no text
// escaping (which doubled a picture, and the driver's copies of that text
// doubled it again). A failure throws ServerBlobError with the server's text.
struct ServerBlobError {
    QString text;
    QString sql;
};

// Writes the whole value in one statement, sent as it is.
void writeServerBlob(pg_conn* connection, const QString& table, const QString& field, int id,
                     const QByteArray& bytes);

// Reads the value (Null: an invalid QVariant) a few megabytes a statement
// into one buffer, so no more than the value and one chunk are held; a
// value another desk replaces meanwhile is read again.
QVariant readServerBlob(pg_conn* connection, const QString& table, const QString& field, int id);

} // namespace gearlog
