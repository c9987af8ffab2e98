#pragma once

#include "imagelet/BlobField.h"

#include <QVariantMap>
#include <QWidget>
#include <functional>

#if defined(IMAGELET_LIBRARY)
#define IMAGELET_EXPORT Q_DECL_EXPORT
#else
#define IMAGELET_EXPORT Q_DECL_IMPORT
#endif

class QFrame;
class QLabel;

namespace imagelet {

// How LoadPhoto asks a field for its size and chunks.
enum Connect { useAdo = 1, usedao = 2 };

// Shows one picture inside a thin frame, and moves a picture between a
// picture file and a binary field in chunks of 1024 bytes: the short chunk
// first when saving; on loading, through the temporary file RscPic.tmp in
// the user's cache folder. Any size the field accepts can be moved.
class IMAGELET_EXPORT Imagelet : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString PhotoFileName READ PhotoFileName WRITE setPhotoFileName)
    Q_PROPERTY(int ConnectionType READ ConnectionType WRITE setConnectionType)
    Q_PROPERTY(bool Stretch READ Stretch WRITE setStretch)
    Q_PROPERTY(quint32 BorderColor READ BorderColor WRITE setBorderColor)
    Q_PROPERTY(int BorderWidth READ BorderWidth WRITE setBorderWidth)
public:
    static constexpr qint64 chunkSize = 1024;

    explicit Imagelet(QWidget* parent = nullptr);

    QString PhotoFileName() const { return m_fileName; }
    void setPhotoFileName(const QString& path) { m_fileName = path; }
    int ConnectionType() const { return m_connectionType; }
    void setConnectionType(int type);
    bool Stretch() const;
    void setStretch(bool stretch);
    // 0x00BBGGRR, or a system colour index when the top bit is set.
    quint32 BorderColor() const { return m_borderColor; }
    void setBorderColor(quint32 colour);
    int BorderWidth() const { return m_borderWidth; }
    void setBorderWidth(int width);
    // The control's own native window id.
    qint64 hWnd();
    // True once a property has been written since loading (for saving forms).
    bool propertiesChanged() const { return m_changed; }

    // Clears the picture; PhotoFileName stays.
    void Reset();
    // Shows the picture of PhotoFileName when it is set.
    void Refresh();
    // Lets the user choose a picture file and shows it; returns the path
    // ("" when cancelled, which also clears the picture).
    QString OpenPhotoFile();
    // Appends the bytes of PhotoFileName to the field; raises OnPhotoSaving.
    void SavePhoto(BlobField& field);
    // Copies the field's bytes to the temporary file and shows them; raises
    // OnPhotoLoading; returns the temporary file's path ("" on failure
    // before the file was complete).
    QString LoadPhoto(BlobField& field);
    // What went wrong in the last SavePhoto that failed.
    QString lastError() const { return m_lastError; }
    bool hasPicture() const;

    // The property bag: keys read without regard to case, in their order.
    void readProperties(const QVariantMap& bag);
    QVariantMap writeProperties() const;

    static QString temporaryFile();
    // The module-wide remembered folder of the file dialog.
    static QString rememberedFolder();
    static void setRememberedFolder(const QString& folder);
    // Hosts route the file dialog and error boxes through their own
    // services: (owner, title, filter in "Desc|patterns|..." form, folder).
    using FileDialog =
        std::function<QString(QWidget*, const QString&, const QString&, const QString&)>;
    using MessageBox = std::function<void(QWidget*, const QString&)>;
    static void setFileDialog(FileDialog dialog);
    static void setMessageBox(MessageBox box);

signals:
    void OnPhotoSaving(bool Succeded, const QString& Filename);
    void OnPhotoLoading(bool IsPicture, const QString& ErrorDescription);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Shows a picture file; false with the reason when it is no picture.
    bool showFile(const QString& path, QString* error);
    void applyBorder();
    void writeChunks(BlobField& field, QIODevice& file, qint64 length);
    qint64 readChunks(BlobField& field, QIODevice& file);

    QLabel* m_photo;
    QFrame* m_frame;
    QString m_fileName;
    int m_connectionType = useAdo;
    quint32 m_borderColor = 0x80000008;
    int m_borderWidth = 1;
    int m_borderStyle = 1;
    int m_backStyle = 0;
    bool m_changed = false;
    QString m_lastError;
};

} // namespace imagelet
