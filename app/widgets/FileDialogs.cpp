#include "FileDialogs.h"

#include <QAbstractFileIconProvider>
#include <QFileDialog>
#include <QFileInfo>

namespace gearlog {

namespace {

class NameOnlyIconProvider final : public QAbstractFileIconProvider {
public:
    NameOnlyIconProvider() { setOptions(DontUseCustomDirectoryIcons); }
    using QAbstractFileIconProvider::icon;
    QIcon icon(const QFileInfo& info) const override { return icon(info.isDir() ? Folder : File); }
    QString type(const QFileInfo& info) const override {
        if (info.isDir())
            return QStringLiteral("Folder");
        const QString suffix = info.suffix();
        return suffix.isEmpty() ? QStringLiteral("File")
                                : suffix.toUpper() + QStringLiteral(" File");
    }
};

} // namespace

std::unique_ptr<QFileDialog> newFileDialog(QWidget* parent, const QString& title,
                                           const QString& folder, const QString& qtFilter) {
    static NameOnlyIconProvider provider;
    auto dialog = std::make_unique<QFileDialog>(parent, title, folder, qtFilter);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setIconProvider(&provider);
    return dialog;
}

} // namespace gearlog
