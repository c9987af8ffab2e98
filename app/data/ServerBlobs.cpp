#include "ServerBlobs.h"

#include <QtEndian>
#include <libpq-fe.h>
#include <memory>

namespace gearlog {

namespace {

// Bytes read a statement.
constexpr qint32 chunkBytes = 4 << 20;
// Binary OIDs of the parameters sent.
constexpr Oid byteaOid = 17;
constexpr Oid int4Oid = 23;

using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;

Result run(pg_conn* connection, const QByteArray& sql, const std::vector<Oid>& types,
           const std::vector<const char*>& values, const std::vector<int>& lengths,
           ExecStatusType wanted) {
    const std::vector<int> formats(values.size(), 1);
    Result result(PQexecParams(connection, sql.constData(), static_cast<int>(values.size()),
                               types.data(), values.data(), lengths.data(), formats.data(), 1),
                  &PQclear);
    if (!result || PQresultStatus(result.get()) != wanted)
        throw ServerBlobError{QString::fromUtf8(result ? PQresultErrorMessage(result.get())
                                                       : PQerrorMessage(connection))
                                  .trimmed(),
                              QString::fromUtf8(sql)};
    return result;
}

QByteArray bigEndian32(qint32 value) {
    QByteArray bytes(4, Qt::Uninitialized);
    qToBigEndian(value, bytes.data());
    return bytes;
}

} // namespace

void writeServerBlob(pg_conn* connection, const QString& table, const QString& field, int id,
                     const QByteArray& bytes) {
    const QByteArray sql =
        QStringLiteral("UPDATE %1 SET %2 = $1 WHERE ID = $2").arg(table, field).toUtf8();
    const QByteArray key = bigEndian32(id);
    run(connection, sql, {byteaOid, int4Oid}, {bytes.constData(), key.constData()},
        {static_cast<int>(bytes.size()), 4}, PGRES_COMMAND_OK);
}

QVariant readServerBlob(pg_conn* connection, const QString& table, const QString& field, int id) {
    // The row's version comes with every chunk: chunks of two versions
    // would make a picture of neither.
    const QByteArray sql =
        QStringLiteral("SELECT CAST(xmin AS text), octet_length(%1), substring(%1 FROM $2 FOR "
                       "$3) FROM %2 WHERE ID = $1")
            .arg(field, table)
            .toUtf8();
    const QByteArray key = bigEndian32(id), length = bigEndian32(chunkBytes);
    for (;;) {
        QByteArray bytes, version;
        qint32 total = -1;
        bool changed = false;
        for (qint64 offset = 0; total < 0 || offset < total; offset += chunkBytes) {
            const QByteArray from = bigEndian32(static_cast<qint32>(offset + 1));
            const Result r = run(connection, sql, {int4Oid, int4Oid, int4Oid},
                                 {key.constData(), from.constData(), length.constData()}, {4, 4, 4},
                                 PGRES_TUPLES_OK);
            if (PQntuples(r.get()) == 0 || PQgetisnull(r.get(), 0, 1))
                return {}; // no such row, or a Null value
            const QByteArray rowVersion(PQgetvalue(r.get(), 0, 0), PQgetlength(r.get(), 0, 0));
            if (total < 0) {
                total = qFromBigEndian<qint32>(PQgetvalue(r.get(), 0, 1));
                version = rowVersion;
                bytes.reserve(total);
            } else if (rowVersion != version) {
                changed = true;
                break;
            }
            bytes.append(PQgetvalue(r.get(), 0, 2), PQgetlength(r.get(), 0, 2));
            if (total == 0)
                break;
        }
        if (!changed)
            return QVariant(bytes);
    }
}

} // namespace gearlog
