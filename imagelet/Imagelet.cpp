#include "imagelet/Imagelet.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QImageReader>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QStandardPaths>
#include <exception>

namespace imagelet {

namespace {

constexpr int twipsPerPixel = 15;
const QString pictureFilter = QStringLiteral("Pictures(*.bmp;*.ico;*.gif;*.jpg;*.jpeg;*.png)|*.bmp;"
                                             "*.ico;*.gif;*.jpg;*.jpeg;*.png|All Files (*)|*");

// Shared by every instance in the process.
QString rememberedFolderValue;
QPointer<QWidget> dialogOwner;
Imagelet::FileDialog fileDialog;
Imagelet::MessageBox messageBox;

int pixels(int twips) {
    return qRound(double(twips) / twipsPerPixel);
}

QString defaultFileDialog(QWidget* owner, const QString& title, const QString&,
                          const QString& folder) {
    return QFileDialog::getOpenFileName(
        owner, title, folder,
        QStringLiteral("Pictures (*.bmp *.ico *.gif *.jpg *.jpeg *.png);;All Files (*)"));
}

// A 0x00BBGGRR colour, or a system colour when the top bit is set.
QColor resolveColour(quint32 colour, const QPalette& palette) {
    if (colour & 0x80000000u) {
        switch (colour & 0xFFu) {
        case 5:
            return palette.color(QPalette::Window);
        case 15:
            return palette.color(QPalette::Button);
        default: // 8, the window text, and anything else
            return palette.color(QPalette::WindowText);
        }
    }
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

QVariant bagValue(const QVariantMap& bag, const char* key, const QVariant& fallback) {
    for (auto it = bag.cbegin(); it != bag.cend(); ++it)
        if (it.key().compare(QLatin1String(key), Qt::CaseInsensitive) == 0)
            return it.value();
    return fallback;
}

class TransferError : public std::exception {
public:
    explicit TransferError(QString text) : m_text(std::move(text)) {}
    const char* what() const noexcept override { return "transfer failed"; }
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

QString describe(const std::exception& e) {
    if (const auto* t = dynamic_cast<const TransferError*>(&e))
        return t->text();
    return QString::fromLocal8Bit(e.what());
}

} // namespace

Imagelet::Imagelet(QWidget* parent)
    : QWidget(parent), m_photo(new QLabel(this)), m_frame(new QFrame(this)) {
    m_photo->setObjectName(QStringLiteral("Photo"));
    m_photo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_photo->setScaledContents(true);
    m_frame->setObjectName(QStringLiteral("PhotoFrame"));
    m_frame->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_frame->raise();
    setAccessibleName(QStringLiteral("Photograph"));
    applyBorder();
}

void Imagelet::setConnectionType(int type) {
    m_connectionType = type;
    m_changed = true;
}

bool Imagelet::Stretch() const {
    return m_photo->hasScaledContents();
}

void Imagelet::setStretch(bool stretch) {
    m_photo->setScaledContents(stretch);
    if (!stretch)
        m_photo->resize(m_photo->sizeHint());
    m_changed = true;
}

void Imagelet::setBorderColor(quint32 colour) {
    m_borderColor = colour;
    m_changed = true;
    applyBorder();
}

void Imagelet::setBorderWidth(int width) {
    m_borderWidth = width;
    m_changed = true;
    applyBorder();
}

void Imagelet::applyBorder() {
    const QString style = m_borderStyle == 0 ? QStringLiteral("none") : QStringLiteral("solid");
    const QString back =
        m_backStyle == 0 ? QStringLiteral("transparent") : palette().color(QPalette::Window).name();
    m_frame->setStyleSheet(
        QStringLiteral("QFrame#PhotoFrame { border: %1px %2 %3; background: %4; }")
            .arg(std::max(0, m_borderWidth))
            .arg(style, resolveColour(m_borderColor, palette()).name(), back));
}

qint64 Imagelet::hWnd() {
    return static_cast<qint64>(winId());
}

bool Imagelet::hasPicture() const {
    return !m_photo->pixmap().isNull();
}

void Imagelet::Reset() {
    m_photo->clear();
}

void Imagelet::Refresh() {
    QString error;
    if (!m_fileName.isEmpty() && !showFile(m_fileName, &error))
        m_photo->clear();
}

bool Imagelet::showFile(const QString& path, QString* error) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull()) {
        *error = reader.errorString();
        return false;
    }
    m_photo->setPixmap(QPixmap::fromImage(image));
    if (!Stretch())
        m_photo->resize(image.size());
    return true;
}

QString Imagelet::OpenPhotoFile() {
    const QString folder = rememberedFolderValue.isEmpty() ? QCoreApplication::applicationDirPath()
                                                           : rememberedFolderValue;
    const FileDialog& dialog = fileDialog ? fileDialog : FileDialog(defaultFileDialog);
    const QString chosen = dialog(dialogOwner ? dialogOwner.data() : window(),
                                  QStringLiteral("Select Photo Image"), pictureFilter, folder)
                               .trimmed();
    if (!chosen.isEmpty())
        rememberedFolderValue = QFileInfo(chosen).absolutePath();
    m_fileName = chosen;
    if (chosen.isEmpty()) {
        m_photo->clear();
        return m_fileName;
    }
    QString error;
    if (!showFile(chosen, &error)) {
        const QString text = QStringLiteral("%1 is not a picture: %2").arg(chosen, error);
        if (messageBox)
            messageBox(window(), text);
        else
            QMessageBox::warning(window(), QString(), text);
    }
    return m_fileName;
}

void Imagelet::writeChunks(BlobField& field, QIODevice& file, qint64 length) {
    // The short chunk goes first, then whole chunks.
    const qint64 whole = length / chunkSize;
    const qint64 remainder = length % chunkSize;
    auto copy = [&](qint64 count) {
        const QByteArray chunk = file.read(count);
        if (chunk.size() != count)
            throw TransferError(
                QStringLiteral("Cannot read %1: %2").arg(m_fileName, file.errorString()));
        field.appendChunk(chunk);
    };
    if (remainder > 0)
        copy(remainder);
    for (qint64 i = 0; i < whole; ++i)
        copy(chunkSize);
}

void Imagelet::SavePhoto(BlobField& field) {
    if (m_fileName.isEmpty())
        return;
    QFile file(m_fileName);
    try {
        if (!file.exists())
            throw TransferError(QStringLiteral("File not found: %1").arg(m_fileName));
        const qint64 length = file.size();
        if (length == 0)
            return;
        if (!file.open(QIODevice::ReadOnly))
            throw TransferError(
                QStringLiteral("Cannot open %1: %2").arg(m_fileName, file.errorString()));
        writeChunks(field, file, length);
    } catch (const std::exception& e) {
        m_lastError = describe(e);
        file.close();
        emit OnPhotoSaving(false, m_fileName);
        return;
    }
    file.close();
    m_lastError.clear();
    emit OnPhotoSaving(true, m_fileName);
}

qint64 Imagelet::readChunks(BlobField& field, QIODevice& file) {
    const qint64 size = m_connectionType == useAdo ? field.actualSize() : field.fieldSize();
    const bool byOffset = m_connectionType == usedao;
    const qint64 remainder = size % chunkSize;
    qint64 offset = 0;
    auto copy = [&](qint64 count) {
        const QByteArray chunk = byOffset ? field.getChunk(offset, count) : field.getChunk(count);
        if (chunk.size() != count)
            throw TransferError(QStringLiteral("The field held fewer bytes than its size"));
        if (file.write(chunk) != count)
            throw TransferError(file.errorString());
        offset += count;
    };
    if (remainder > 0)
        copy(remainder);
    while (offset < size)
        copy(chunkSize);
    return size;
}

QString Imagelet::LoadPhoto(BlobField& field) {
    QFile file(temporaryFile());
    try {
        QDir().mkpath(QFileInfo(file).absolutePath());
        // Truncated first, so a smaller picture never keeps a larger one's tail.
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw TransferError(
                QStringLiteral("Cannot write %1: %2").arg(file.fileName(), file.errorString()));
        readChunks(field, file);
        if (!file.flush())
            throw TransferError(file.errorString());
        file.close();
    } catch (const std::exception& e) {
        const QString description = describe(e);
        m_photo->clear();
        file.close();
        emit OnPhotoLoading(false, description);
        return {};
    }
    QString error;
    if (!showFile(file.fileName(), &error)) {
        m_photo->clear();
        emit OnPhotoLoading(false, error.isEmpty() ? QStringLiteral("Not a picture") : error);
        return file.fileName();
    }
    emit OnPhotoLoading(true, QString());
    return file.fileName();
}

void Imagelet::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_photo->setGeometry(pixels(20), pixels(20), width() - pixels(20), height() - pixels(20));
    if (!Stretch() && hasPicture())
        m_photo->resize(m_photo->pixmap().size());
    m_frame->setGeometry(pixels(10), pixels(10), width() - pixels(10), height() - pixels(10));
    dialogOwner = this;
}

void Imagelet::readProperties(const QVariantMap& bag) {
    m_borderWidth = bagValue(bag, "BorderWidth", 1).toInt();
    m_borderColor = bagValue(bag, "BorderColor", 0).toUInt();
    m_borderStyle = bagValue(bag, "BorderStyle", 1).toInt();
    m_backStyle = bagValue(bag, "BackStyle", 0).toInt();
    // The second read of the colour is the one that stands.
    m_borderColor = bagValue(bag, "BorderColor", 0x80000008u).toUInt();
    m_connectionType = bagValue(bag, "ConnectionType", int(useAdo)).toInt();
    m_photo->setScaledContents(bagValue(bag, "Stretch", true).toBool());
    applyBorder();
    m_changed = false;
}

QVariantMap Imagelet::writeProperties() const {
    QVariantMap bag;
    // Each value is written only when it differs from its default; the
    // colour is checked against two defaults, so it is always stored.
    auto put = [&bag](const char* key, const QVariant& value, const QVariant& fallback) {
        if (value != fallback)
            bag.insert(QString::fromLatin1(key), value);
    };
    put("BorderColor", m_borderColor, 0x80000008u);
    put("BorderWidth", m_borderWidth, 1);
    put("BorderColor", m_borderColor, 0u);
    put("BackStyle", m_backStyle, 1);
    put("Stretch", Stretch(), true);
    put("ConnectionType", m_connectionType, int(useAdo));
    return bag;
}

QString Imagelet::temporaryFile() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation))
        .filePath(QStringLiteral("RscPic.tmp"));
}

QString Imagelet::rememberedFolder() {
    return rememberedFolderValue;
}
void Imagelet::setRememberedFolder(const QString& folder) {
    rememberedFolderValue = folder;
}
void Imagelet::setFileDialog(FileDialog dialog) {
    fileDialog = std::move(dialog);
}
void Imagelet::setMessageBox(MessageBox box) {
    messageBox = std::move(box);
}

} // namespace imagelet
