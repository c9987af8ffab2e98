#include "BinaryField.h"

#include "Database.h"
#include "EngineError.h"
#include "Recordset.h"

namespace gearlog {

namespace {
constexpr qint64 readAhead = 256 * 1024;
}

BinaryField::BinaryField(Recordset& cursor, int deferredColumn)
    : m_cursor(cursor), m_column(deferredColumn), m_key(cursor.currentKey()) {}

const QByteArray* BinaryField::editedBytes() const {
    if (!m_cursor.m_edit)
        return nullptr;
    const auto& blob = m_cursor.m_edit->blobs[static_cast<size_t>(m_column)];
    return blob ? &*blob : nullptr;
}

qint64 BinaryField::storedSize() {
    if (m_key < 0)
        return -1;
    const ColumnInfo& info = m_cursor.m_query.deferred[static_cast<size_t>(m_column)];
    return m_cursor.m_db->store().blobSize(info.table, info.field, m_key);
}

qint64 BinaryField::actualSize() {
    if (const QByteArray* bytes = editedBytes())
        return bytes->size();
    return std::max<qint64>(0, storedSize());
}

bool BinaryField::isNull() {
    return !editedBytes() && storedSize() < 0;
}

QByteArray BinaryField::getChunk(qint64 count) {
    QByteArray bytes = getChunk(m_readOffset, count);
    m_readOffset += bytes.size();
    return bytes;
}

QByteArray BinaryField::getChunk(qint64 offset, qint64 count) {
    if (offset < 0 || count < 0)
        throw EngineError(QStringLiteral("Invalid chunk offset or size"));
    if (const QByteArray* bytes = editedBytes())
        return bytes->mid(offset, count);
    if (m_key < 0 || count == 0)
        return {};
    const bool inBlock = offset >= m_blockStart && offset + count <= m_blockStart + m_block.size();
    if (!inBlock) {
        const ColumnInfo& info = m_cursor.m_query.deferred[static_cast<size_t>(m_column)];
        m_blockStart = offset;
        m_block = m_cursor.m_db->store().blobRead(info.table, info.field, m_key, offset,
                                                  std::max(count, readAhead));
    }
    return m_block.mid(offset - m_blockStart, count);
}

void BinaryField::appendChunk(const QByteArray& bytes) {
    if (!m_cursor.m_edit)
        m_cursor.edit();
    auto& blob = m_cursor.m_edit->blobs[static_cast<size_t>(m_column)];
    if (!blob)
        blob = QByteArray();
    blob->append(bytes);
}

} // namespace gearlog
