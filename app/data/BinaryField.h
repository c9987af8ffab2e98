#pragma once

#include <imagelet/BlobField.h>

#include <QString>

namespace gearlog {

class Recordset;

// A binary field of a cursor's current row. Stored bytes are read from the
// store on demand, through a read-ahead block so that small chunk reads do
// not each cost a round trip; appended bytes go into the cursor's edit and
// reach the store at Update.
class BinaryField final : public imagelet::BlobField {
public:
    BinaryField(Recordset& cursor, int deferredColumn);

    qint64 actualSize() override;
    bool isNull();
    QByteArray getChunk(qint64 count) override;
    QByteArray getChunk(qint64 offset, qint64 count) override;
    void appendChunk(const QByteArray& bytes) override;

private:
    const QByteArray* editedBytes() const;
    qint64 storedSize();

    Recordset& m_cursor;
    int m_column;
    int m_key;
    qint64 m_readOffset = 0;
    qint64 m_blockStart = 0;
    QByteArray m_block;
};

} // namespace gearlog
