#pragma once

#include <QColor>
#include <QString>
#include <optional>

class QDialog;
class QWidget;

namespace gearlog {

enum class MessageIcon { None, Information, Exclamation, Critical };

// Every message box, file and colour dialog, password question, beep and
// modal run of the program goes through this seam, so tests can script the
// answers and read what was shown. Message boxes carry no title of their own.
class UiServices {
public:
    virtual ~UiServices() = default;

    virtual void message(const QString& text, MessageIcon icon = MessageIcon::None) = 0;
    // A failed command: its text, with the operation and statement behind a
    // "Details" part rather than in the text itself.
    virtual void showError(const QString& text, const QString& details) = 0;
    // Yes and No buttons; true for Yes.
    virtual bool askYesNo(const QString& text) = 0;
    // Filters in the "Description|patterns|Description|patterns" form.
    // An empty result means the user cancelled.
    virtual QString openFile(const QString& title, const QString& filter,
                             const QString& folder) = 0;
    virtual std::optional<QString> saveFile(const QString& title, const QString& filter,
                                            const QString& defaultExtension, const QString& folder,
                                            const QString& fileName) = 0;
    virtual std::optional<QColor> chooseColour(const QColor& initial) = 0;
    virtual std::optional<QString> askPassword(const QString& prompt) = 0;
    virtual void beep() = 0;
    // Runs a dialog modally and returns its result code.
    virtual int runModal(QDialog& dialog) = 0;
    // Opens the file in the desktop's viewer for its kind; false when no
    // viewer could be started.
    virtual bool openDocument(const QString& path) = 0;
};

// The services in use; the real ones unless a test installed others.
UiServices& ui();
// Installs services (not owned); nullptr restores the real ones.
void setUiServices(UiServices* services);

// The owner of dialogs: the active window, else the main window.
QWidget* dialogOwner();

// "Desc|*.a;*.b|All|*" as Qt's "Desc (*.a *.b);;All (*)".
QString qtFileFilter(const QString& filter);

} // namespace gearlog
