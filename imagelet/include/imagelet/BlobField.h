#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace imagelet {

// A long-binary field of the current record, as the photo control sees it.
// Both chunk-reading forms are offered: the sequential form continues where
// the previous read on this field object stopped; the offset form reads at a
// byte offset counted from 0. Sizes are 64-bit so that pictures of any size
// the store accepts can be moved.
class BlobField {
public:
    virtual ~BlobField() = default;

    // Stored length in bytes ("ActualSize" and "FieldSize").
    virtual qint64 actualSize() = 0;
    virtual qint64 fieldSize() { return actualSize(); }

    // Sequential read ("GetChunk" with a byte count).
    virtual QByteArray getChunk(qint64 count) = 0;
    // Read at an offset ("GetChunk" with an offset and a byte count).
    virtual QByteArray getChunk(qint64 offset, qint64 count) = 0;

    // Appends bytes to the value the record will store on commit.
    virtual void appendChunk(const QByteArray& bytes) = 0;
};

} // namespace imagelet
