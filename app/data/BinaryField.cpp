#include "BinaryField.h"

#include "Database.h"
#include "EngineError.h"
#include "Recordset.h"

namespace gearlog {

BinaryField::BinaryField(Recordset& cursor, int deferredColumn)
    : m_cursor(cursor), m_column(deferredColumn), m_key(cursor.currentKey()) {}

const std::optional<QByteArray>& BinaryField::bytes() {
    if (m_cursor.m_edit) {
        const auto& edited = m_cursor.m_edit->blobs[static_cast<size_t>(m_column)];
        if (edited)
            return edited;
    }
    if (!m_stored) {
        m_stored.emplace();
        if (m_key >= 0) {
            const ColumnInfo& info = m_cursor.m_query.deferred[static_cast<size_t>(m_column)];
            const QVariant value = m_cursor.m_db->store().blobValue(info.table, info.field, m_key);
            if (value.isValid())
                *m_stored = value.toByteArray();
        }
    }
    return *m_stored;
}

qint64 BinaryField::actualSize() {
    const auto& b = bytes();
    return b ? b->size() : 0;
}

bool BinaryField::isNull() {
    return !bytes().has_value();
}

QByteArray BinaryField::getChunk(qint64 count) {
    QByteArray chunk = getChunk(m_readOffset, count);
    m_readOffset += chunk.size();
    return chunk;
}

QByteArray BinaryField::getChunk(qint64 offset, qint64 count) {
    if (offset < 0 || count < 0)
        throw EngineError(QStringLiteral("Invalid chunk offset or size"));
    const auto& b = bytes();
    return b ? b->mid(offset, count) : QByteArray();
}

void BinaryField::appendChunk(const QByteArray& more) {
    if (!m_cursor.m_edit)
        m_cursor.edit();
    auto& blob = m_cursor.m_edit->blobs[static_cast<size_t>(m_column)];
    if (!blob)
        blob = QByteArray();
    blob->append(more);
}

} // namespace gearlog
