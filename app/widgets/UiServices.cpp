#include "UiServices.h"

#include "FileDialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QStringList>
#include <QUrl>

namespace gearlog {

namespace {

class RealUiServices final : public UiServices {
public:
    void message(const QString& text, MessageIcon icon) override {
        QMessageBox box(iconOf(icon), QApplication::applicationDisplayName(), text, QMessageBox::Ok,
                        dialogOwner());
        box.exec();
    }
    void showError(const QString& text, const QString& details) override {
        QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(), text,
                        QMessageBox::Ok, dialogOwner());
        box.setDetailedText(details);
        box.exec();
    }
    bool askYesNo(const QString& text) override {
        QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text,
                        QMessageBox::Yes | QMessageBox::No, dialogOwner());
        return box.exec() == QMessageBox::Yes;
    }
    QString openFile(const QString& title, const QString& filter, const QString& folder) override {
        const auto dialog = newFileDialog(dialogOwner(), title, folder, qtFileFilter(filter));
        dialog->setFileMode(QFileDialog::ExistingFile);
        if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
            return {};
        return dialog->selectedFiles().front();
    }
    std::optional<QString> saveFile(const QString& title, const QString& filter,
                                    const QString& defaultExtension, const QString& folder,
                                    const QString& fileName) override {
        const auto dialog = newFileDialog(dialogOwner(), title, folder, qtFileFilter(filter));
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        // Callers ask about overwriting themselves.
        dialog->setOption(QFileDialog::DontConfirmOverwrite);
        dialog->setDefaultSuffix(defaultExtension);
        dialog->selectFile(fileName);
        if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
            return std::nullopt;
        return dialog->selectedFiles().front();
    }
    std::optional<QColor> chooseColour(const QColor& initial) override {
        const QColor c = QColorDialog::getColor(initial, dialogOwner());
        return c.isValid() ? std::optional<QColor>(c) : std::nullopt;
    }
    std::optional<QString> askPassword(const QString& prompt) override {
        bool ok = false;
        const QString password =
            QInputDialog::getText(dialogOwner(), QApplication::applicationDisplayName(), prompt,
                                  QLineEdit::Password, QString(), &ok);
        return ok ? std::optional<QString>(password) : std::nullopt;
    }
    void beep() override { QApplication::beep(); }
    int runModal(QDialog& dialog) override { return dialog.exec(); }
    bool openDocument(const QString& path) override {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }

private:
    static QMessageBox::Icon iconOf(MessageIcon icon) {
        switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Critical:
            return QMessageBox::Critical;
        case MessageIcon::None:
            break;
        }
        return QMessageBox::NoIcon;
    }
};

RealUiServices realServices;
UiServices* current = &realServices;

} // namespace

UiServices& ui() {
    return *current;
}

void setUiServices(UiServices* services) {
    current = services ? services : &realServices;
}

QWidget* dialogOwner() {
    if (QWidget* active = QApplication::activeWindow())
        return active;
    const auto tops = QApplication::topLevelWidgets();
    for (QWidget* w : tops)
        if (w->objectName() == QLatin1String("Form_main"))
            return w;
    return nullptr;
}

QString qtFileFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        const qsizetype paren = description.indexOf(QLatin1Char('('));
        if (paren >= 0)
            description = description.left(paren);
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        entries << description.trimmed() + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

} // namespace gearlog
