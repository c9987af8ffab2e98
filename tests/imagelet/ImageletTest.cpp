#include "BinaryField.h"
#include "PictureFiles.h"
#include "TestStores.h"

#include <imagelet/Imagelet.h>

#include <QFile>
#include <QLabel>
#include <QSignalSpy>

using imagelet::BlobField;
using imagelet::Imagelet;
using namespace gearlog;
using namespace gearlog::test;

namespace {

// A field in memory that records every chunk call.
class RecordingField : public BlobField {
public:
    QByteArray bytes;
    std::vector<qint64> appended, sequentialReads;
    std::vector<std::pair<qint64, qint64>> offsetReads;
    bool refuse = false;
    qint64 position = 0;

    qint64 actualSize() override { return bytes.size(); }
    QByteArray getChunk(qint64 count) override {
        sequentialReads.push_back(count);
        QByteArray chunk = bytes.mid(position, count);
        position += chunk.size();
        return chunk;
    }
    QByteArray getChunk(qint64 offset, qint64 count) override {
        offsetReads.emplace_back(offset, count);
        return bytes.mid(offset, count);
    }
    void appendChunk(const QByteArray& chunk) override {
        if (refuse)
            throw std::runtime_error("field refused the data");
        appended.push_back(chunk.size());
        bytes.append(chunk);
    }
};

QString fileOf(const QString& path, qsizetype size) {
    QByteArray data(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        data[i] = static_cast<char>(i * 7);
    return writeFile(path, data);
}

class ImageletTest : public ::testing::Test {
protected:
    PrivateCache cache;
    QTemporaryDir dir;
    Imagelet control;
};

TEST_F(ImageletTest, SavesTheShortChunkFirst) {
    QSignalSpy saving(&control, &Imagelet::OnPhotoSaving);
    const std::vector<std::pair<qsizetype, std::vector<qint64>>> cases{
        {1024, {1024}}, {1500, {476, 1024}}, {100, {100}}, {3072, {1024, 1024, 1024}}};
    for (const auto& [size, expected] : cases) {
        RecordingField field;
        control.setPhotoFileName(fileOf(dir.filePath(QStringLiteral("f%1").arg(size)), size));
        control.SavePhoto(field);
        EXPECT_EQ(field.appended, expected) << size;
        QFile f(control.PhotoFileName());
        f.open(QIODevice::ReadOnly);
        EXPECT_EQ(field.bytes, f.readAll());
    }
    EXPECT_EQ(saving.count(), 4);
    EXPECT_TRUE(saving.last().at(0).toBool());

    RecordingField untouched;
    control.setPhotoFileName(QString());
    control.SavePhoto(untouched);
    control.setPhotoFileName(fileOf(dir.filePath(QStringLiteral("empty")), 0));
    control.SavePhoto(untouched);
    EXPECT_TRUE(untouched.appended.empty());
    EXPECT_EQ(saving.count(), 4); // no event for either

    control.setPhotoFileName(dir.filePath(QStringLiteral("missing")));
    control.SavePhoto(untouched);
    RecordingField refusing;
    refusing.refuse = true;
    control.setPhotoFileName(fileOf(dir.filePath(QStringLiteral("f")), 10));
    control.SavePhoto(refusing);
    ASSERT_EQ(saving.count(), 6);
    EXPECT_FALSE(saving.at(4).at(0).toBool());
    EXPECT_EQ(saving.at(5).at(1).toString(), control.PhotoFileName());
    EXPECT_FALSE(control.lastError().isEmpty());
}

TEST_F(ImageletTest, LoadsByBothReadForms) {
    RecordingField sequential, byOffset;
    sequential.bytes = byOffset.bytes = QByteArray(2500, 'x');
    control.setConnectionType(imagelet::useAdo);
    QSignalSpy loading(&control, &Imagelet::OnPhotoLoading);
    EXPECT_EQ(control.LoadPhoto(sequential),
              Imagelet::temporaryFile()); // not a picture, but written
    EXPECT_EQ(sequential.sequentialReads, (std::vector<qint64>{452, 1024, 1024}));
    control.setConnectionType(imagelet::usedao);
    control.LoadPhoto(byOffset);
    EXPECT_EQ(byOffset.offsetReads,
              (std::vector<std::pair<qint64, qint64>>{{0, 452}, {452, 1024}, {1476, 1024}}));
    ASSERT_EQ(loading.count(), 2);
    EXPECT_FALSE(loading.at(0).at(0).toBool());
    EXPECT_FALSE(loading.at(0).at(1).toString().isEmpty());
    EXPECT_FALSE(control.hasPicture());
}

TEST_F(ImageletTest, PictureRoundTripAndTruncatedTemporaryFile) {
    RecordingField field;
    control.setPhotoFileName(
        writePicture(dir.filePath(QStringLiteral("big.png")), 400, 300, Qt::red));
    control.SavePhoto(field);
    QSignalSpy loading(&control, &Imagelet::OnPhotoLoading);
    control.LoadPhoto(field);
    EXPECT_TRUE(loading.last().at(0).toBool());
    EXPECT_TRUE(control.hasPicture());

    RecordingField small;
    small.bytes = QByteArray("tiny");
    control.LoadPhoto(small);
    EXPECT_EQ(QFile(Imagelet::temporaryFile()).size(), 4);
    EXPECT_FALSE(control.hasPicture());
}

TEST_F(ImageletTest, PicturesOverThirtyTwoMebibytesMove) {
    const QString path =
        writePicture(dir.filePath(QStringLiteral("huge.bmp")), 3500, 3500, Qt::blue, "BMP");
    ASSERT_GT(QFile(path).size(), 33554432);
    RecordingField field;
    control.setPhotoFileName(path);
    QSignalSpy saving(&control, &Imagelet::OnPhotoSaving);
    control.SavePhoto(field);
    ASSERT_TRUE(saving.last().at(0).toBool());
    EXPECT_EQ(field.bytes.size(), QFile(path).size());
    control.setConnectionType(imagelet::usedao);
    QSignalSpy loading(&control, &Imagelet::OnPhotoLoading);
    control.LoadPhoto(field);
    EXPECT_TRUE(loading.last().at(0).toBool()) << loading.last().at(1).toString().toStdString();
    EXPECT_EQ(QFile(Imagelet::temporaryFile()).size(), field.bytes.size());
}

TEST_F(ImageletTest, PropertyBagDefaultsAndCase) {
    control.readProperties({});
    EXPECT_EQ(control.BorderWidth(), 1);
    EXPECT_EQ(control.BorderColor(), 0x80000008u);
    EXPECT_TRUE(control.Stretch());
    EXPECT_EQ(control.ConnectionType(), 1);
    EXPECT_FALSE(control.propertiesChanged());
    const QVariantMap saved = control.writeProperties();
    EXPECT_EQ(saved.value(QStringLiteral("BorderColor")).toUInt(), 0x80000008u); // always stored
    EXPECT_FALSE(saved.contains(QStringLiteral("BorderWidth")));
    EXPECT_EQ(saved.value(QStringLiteral("BackStyle")).toInt(), 0);
    EXPECT_FALSE(saved.contains(QStringLiteral("BorderStyle")));

    control.readProperties({{QStringLiteral("borderwidth"), 3},
                            {QStringLiteral("bordercolor"), 0x0000FF},
                            {QStringLiteral("STRETCH"), false},
                            {QStringLiteral("connectiontype"), 2}});
    EXPECT_EQ(control.BorderWidth(), 3);
    EXPECT_EQ(control.BorderColor(), 0x0000FFu);
    EXPECT_FALSE(control.Stretch());
    EXPECT_EQ(control.ConnectionType(), 2);
    const QVariantMap again = control.writeProperties();
    EXPECT_EQ(again.value(QStringLiteral("Stretch")).toBool(), false);
    EXPECT_EQ(again.value(QStringLiteral("ConnectionType")).toInt(), 2);
    control.setBorderWidth(2);
    EXPECT_TRUE(control.propertiesChanged());
}

TEST_F(ImageletTest, FileDialogSharesItsFolderAndKeepsThePictureOnBadFiles) {
    QStringList folders, messages;
    QString answer;
    Imagelet::setFileDialog(
        [&](QWidget*, const QString& title, const QString&, const QString& folder) {
            EXPECT_EQ(title, QStringLiteral("Select Photo Image"));
            folders << folder;
            return answer;
        });
    Imagelet::setMessageBox([&](QWidget*, const QString& text) { messages << text; });
    Imagelet::setRememberedFolder(QString());

    answer = writePicture(dir.filePath(QStringLiteral("a.png")), 20, 20, Qt::green);
    EXPECT_EQ(control.OpenPhotoFile(), answer);
    EXPECT_TRUE(control.hasPicture());
    Imagelet other;
    answer = fileOf(dir.filePath(QStringLiteral("notes.jpg")), 50);
    control.OpenPhotoFile();
    EXPECT_EQ(folders.last(), dir.path()); // remembered across instances
    EXPECT_EQ(messages.size(), 1);
    EXPECT_TRUE(control.hasPicture()); // the previous picture stays
    EXPECT_EQ(control.PhotoFileName(), answer);

    answer.clear();
    EXPECT_EQ(other.OpenPhotoFile(), QString());
    EXPECT_EQ(folders.last(), dir.path());
    control.OpenPhotoFile();
    EXPECT_FALSE(control.hasPicture()); // cancelling clears the picture
    Imagelet::setFileDialog(nullptr);
    Imagelet::setMessageBox(nullptr);
}

// The real binary field of both stores, through the control.
class ImageletOnStores : public BothStores {};

TEST_P(ImageletOnStores, PictureThroughTheDatabase) {
    PrivateCache cache;
    QTemporaryDir dir;
    session->openTableCursors();
    Recordset& photos = session->rs_photo();
    Imagelet control;
    control.setPhotoFileName(
        writePicture(dir.filePath(QStringLiteral("p.png")), 300, 200, Qt::darkCyan));
    photos.addNew();
    photos.setValue(QStringLiteral("ID"), 1);
    photos.setValue(QStringLiteral("Name"), QStringLiteral("Cyan"));
    control.SavePhoto(*photos.binaryField(QStringLiteral("Photo")));
    photos.update();

    auto reopened = fresh->openSession();
    reopened->openTableCursors();
    Recordset& stored = reopened->rs_photo();
    stored.moveFirst();
    for (int type : {1, 2}) {
        Imagelet viewer;
        viewer.setConnectionType(type);
        QSignalSpy loading(&viewer, &Imagelet::OnPhotoLoading);
        viewer.LoadPhoto(*stored.binaryField(QStringLiteral("Photo")));
        EXPECT_TRUE(loading.last().at(0).toBool());
        EXPECT_EQ(viewer.findChild<QLabel*>(QStringLiteral("Photo"))->pixmap().size(),
                  QSize(300, 200));
    }
}

GEARLOG_BOTH_STORES(ImageletOnStores);

} // namespace
