#pragma once

#include <imagelet/BlobField.h>

#include <QByteArray>
#include <optional>

namespace gearlog {

class Recordset;

// A binary field of a cursor's current row. The stored value is read from
// the store in one statement when first needed (so size and bytes always
// agree) and is held only as long as this field object; appended bytes go
// into the cursor's edit and reach the store at Update.
class BinaryField final : public imagelet::BlobField {
public:
    BinaryField(Recordset& cursor, int deferredColumn);

    qint64 actualSize() override;
    bool isNull();
    QByteArray getChunk(qint64 count) override;
    QByteArray getChunk(qint64 offset, qint64 count) override;
    void appendChunk(const QByteArray& bytes) override;

private:
    // The edited bytes, else the stored ones (Null: nullopt).
    const std::optional<QByteArray>& bytes();

    Recordset& m_cursor;
    int m_column;
    int m_key;
    qint64 m_readOffset = 0;
    std::optional<std::optional<QByteArray>> m_stored; // read once
};

} // namespace gearlog
