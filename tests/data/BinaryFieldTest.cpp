#include "BinaryField.h"
#include "EngineError.h"
#include "RecordHelpers.h"
#include "TestStores.h"

#include <QRandomGenerator>

using namespace gearlog;
using namespace gearlog::test;

namespace {

class Binary : public BothStores {
protected:
    static QByteArray bytes(qsizetype size, quint32 seed) {
        QByteArray data(size, Qt::Uninitialized);
        QRandomGenerator generator(seed);
        for (qsizetype i = 0; i < size; ++i)
            data[i] = static_cast<char>(generator.bounded(256));
        return data;
    }
    // Stores a photograph row whose picture arrives in chunks.
    void storePhoto(Recordset& photos, int id, const QByteArray& picture, qsizetype chunk) {
        photos.addNew();
        photos.setValue(QStringLiteral("ID"), id);
        photos.setValue(QStringLiteral("Name"), QStringLiteral("Photo %1").arg(id));
        auto field = photos.binaryField(QStringLiteral("Photo"));
        for (qsizetype at = 0; at < picture.size(); at += chunk)
            field->appendChunk(picture.mid(at, chunk));
        photos.update();
    }
};

TEST_P(Binary, ChunksRoundTripInBothReadForms) {
    session->openTableCursors();
    Recordset& photos = session->rs_photo();
    const QByteArray picture = bytes(2500, 7);
    storePhoto(photos, 1, picture, 1024);

    auto reopened = fresh->openSession();
    reopened->openTableCursors();
    Recordset& stored = reopened->rs_photo();
    ASSERT_TRUE(find_record_by_number(stored, QStringLiteral("ID"), 1));
    auto field = stored.binaryField(QStringLiteral("Photo"));
    EXPECT_EQ(field->actualSize(), 2500);
    EXPECT_EQ(field->fieldSize(), 2500);
    // Sequential reads continue where the previous one stopped.
    QByteArray sequential = field->getChunk(452);
    sequential += field->getChunk(1024);
    sequential += field->getChunk(1024);
    EXPECT_EQ(sequential, picture);
    EXPECT_TRUE(field->getChunk(1024).isEmpty());
    EXPECT_EQ(field->getChunk(452, 1024), picture.mid(452, 1024));
    EXPECT_EQ(field->getChunk(1476, 1024), picture.mid(1476));
    EXPECT_EQ(stored.value(QStringLiteral("Photo")).toByteArray(), picture);
}

TEST_P(Binary, PicturesAreNotLoadedWithTheCursorAndReplaceOnEdit) {
    session->openTableCursors();
    Recordset& photos = session->rs_photo();
    storePhoto(photos, 1, bytes(300, 1), 100);
    storePhoto(photos, 2, QByteArray(), 100);
    // The binary column is not among the loaded columns.
    for (const ColumnInfo& column : photos.query().columns)
        EXPECT_NE(column.type, FieldType::LongBinary);
    ASSERT_TRUE(find_record_by_number(photos, QStringLiteral("ID"), 2));
    EXPECT_FALSE(photos.value(QStringLiteral("Photo")).isValid()); // never written: Null
    EXPECT_EQ(photos.binaryField(QStringLiteral("Photo"))->actualSize(), 0);

    ASSERT_TRUE(find_record_by_number(photos, QStringLiteral("ID"), 1));
    photos.edit();
    const QByteArray smaller = bytes(120, 2);
    auto field = photos.binaryField(QStringLiteral("Photo"));
    field->appendChunk(smaller.left(20));
    field->appendChunk(smaller.mid(20));
    photos.update();
    EXPECT_EQ(photos.value(QStringLiteral("Photo")).toByteArray(), smaller);
    EXPECT_EQ(photos.binaryField(QStringLiteral("Photo"))->actualSize(), 120);
}

TEST_P(Binary, LargePictureOverThirtyTwoMebibytes) {
    session->openTableCursors();
    Recordset& photos = session->rs_photo();
    const QByteArray picture = bytes(33 * 1024 * 1024 + 5, 3);
    storePhoto(photos, 1, picture, 1024 * 1024);
    auto reopened = fresh->openSession();
    reopened->openTableCursors();
    Recordset& stored = reopened->rs_photo();
    stored.moveFirst();
    auto field = stored.binaryField(QStringLiteral("Photo"));
    ASSERT_EQ(field->actualSize(), picture.size());
    EXPECT_EQ(field->getChunk(picture.size() - 1029, 1024),
              picture.mid(picture.size() - 1029, 1024));
}

TEST_P(Binary, FailedStoreLeavesNoHalfWrittenPicture) {
    session->openTableCursors();
    Recordset& photos = session->rs_photo();
    storePhoto(photos, 1, bytes(10, 1), 10);
    {
        Transaction tx(session->database());
        EXPECT_THROW(storePhoto(photos, 1, bytes(5000, 2), 1024), EngineError); // key taken
    }
    // The photograph that held the key keeps its own picture, whole.
    auto stored = fresh->openSession()->openRecordset(QStringLiteral("Table_photo"));
    ASSERT_EQ(record_count(*stored), 1);
    stored->moveFirst();
    EXPECT_EQ(stored->value(QStringLiteral("Photo")).toByteArray(), bytes(10, 1));
}

TEST_P(Binary, APictureAloneChangedIsRefusedOverAnotherDesksChange) {
    session->openTableCursors();
    Recordset& photos = session->rs_photo();
    storePhoto(photos, 1, bytes(300, 1), 100);
    fresh->openSession()->execute(QStringLiteral("UPDATE Table_photo SET Name = 'Theirs'"));
    photos.edit();
    photos.binaryField(QStringLiteral("Photo"))->appendChunk(bytes(50, 2));
    EXPECT_THROW(photos.update(), ConflictError);
    auto stored = fresh->openSession()->openRecordset(QStringLiteral("Table_photo"));
    EXPECT_EQ(stored->value(QStringLiteral("Name")).toString(), QStringLiteral("Theirs"));
    EXPECT_EQ(stored->value(QStringLiteral("Photo")).toByteArray(), bytes(300, 1));
}

GEARLOG_BOTH_STORES(Binary);

} // namespace
