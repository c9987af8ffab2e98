#include "Frame_photo.h"

#include "BinaryField.h"
#include "CommandRunner.h"
#include "EngineError.h"
#include "FlexGrid.h"
#include "RecordHelpers.h"
#include "Session.h"
#include "UiServices.h"
#include "ViewContext.h"
#include "ViewParts.h"

#include <imagelet/Imagelet.h>

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

namespace gearlog {

namespace {
constexpr int longestPhotoName = 128;

// The checks a photograph's name passes before it is stored or saved.
bool photo_name_is_acceptable(const QString& name) {
    if (name.trimmed().isEmpty()) {
        ui().message(QStringLiteral("The photo name cannot be blank"));
        return false;
    }
    if (name.size() > longestPhotoName) {
        ui().message(QStringLiteral("The photo name is too long"));
        return false;
    }
    return true;
}

} // namespace

QString propose_photo_name(const QString& path) {
    QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    return name.replace(QLatin1Char('_'), QLatin1Char(' '));
}

void show_stored_photo(imagelet::Imagelet& control, Recordset& photos, int connectionType) {
    control.setConnectionType(connectionType);
    const auto field = photos.binaryField(QStringLiteral("Photo"));
    if (field->actualSize() > 0)
        control.LoadPhoto(*field);
    else
        control.Reset(); // a record without a picture shows none
}

Frame_photo::Frame_photo(ViewContext& context, QWidget* parent)
    : QFrame(parent), m_context(context) {
    setUpViewFrame(*this, QStringLiteral("Frame_photo"), QStringLiteral("Photographs"));

    Grid_photo = makeListGrid(
        this, QStringLiteral("Grid_photo"), QStringLiteral("Photographs grid"),
        QStringLiteral("Click on the photo name to display the picture"), {10, 10, 360, 620});
    connect(Grid_photo, &FlexGrid::Click, this, guarded([this] { Grid_photo_Click(); }));
    connect(Grid_photo, &FlexGrid::RowChanged, this, guarded([this] { Grid_photo_Click(); }));

    VScroll_photo = new QScrollBar(Qt::Vertical, this);
    VScroll_photo->setObjectName(QStringLiteral("VScroll_photo"));
    VScroll_photo->setAccessibleName(QStringLiteral("Photograph position"));
    VScroll_photo->setGeometry(1045, 10, 24, 520);
    VScroll_photo->setFocusPolicy(Qt::StrongFocus);
    connect(VScroll_photo, &QScrollBar::valueChanged, this,
            guarded([this] { VScroll_photo_Scroll(); }));

    Imagelet_load = new imagelet::Imagelet(this);
    Imagelet_load->setObjectName(QStringLiteral("Imagelet_load"));
    Imagelet_load->setGeometry(385, 10, 650, 520);

    Text_photo = new QLineEdit(this);
    Text_photo->setObjectName(QStringLiteral("Text_photo"));
    Text_photo->setToolTip(
        QStringLiteral("Name of photo in the database (maximum 128 characters)"));
    Text_photo->setGeometry(450, 540, 585, 26);
    makeLabel(this, QStringLiteral("Name"), Text_photo, {385, 540, 60, 26});
    connect(Text_photo, &QLineEdit::textEdited, this, guarded([this] { Text_photo_Change(); }));

    Command_OpenPhoto =
        makeButton(this, QStringLiteral("Command_OpenPhoto"), QStringLiteral("Select a photo file"),
                   QStringLiteral("Open a file dialog to select a jpeg or bmp file containing a "
                                  "photograph to be loaded into the database"),
                   {385, 580, 160, 30});
    Command_Store_photo_in_database = makeButton(
        this, QStringLiteral("Command_Store_photo_in_database"),
        QStringLiteral("Store photo in database"),
        QStringLiteral("Store the photo file just loaded into the database"), {550, 580, 180, 30});
    Command_save_photo_changes = makeButton(
        this, QStringLiteral("Command_save_photo_changes"), QStringLiteral("Save Changes"),
        QStringLiteral("Save the changed  photo name"), {735, 580, 100, 30});
    Command_clear_photo_changes = makeButton(
        this, QStringLiteral("Command_clear_photo_changes"), QStringLiteral("Clear Changes"),
        QStringLiteral("Reset the photo name to the original name"), {840, 580, 100, 30});
    Command_delete_photo = makeButton(
        this, QStringLiteral("Command_delete_photo"), QStringLiteral("Delete This Photo"),
        QStringLiteral("Delete the current photo from the database"), {945, 580, 125, 30});
    connect(Command_OpenPhoto, &QPushButton::clicked, this,
            guarded([this] { Command_OpenPhoto_Click(); }));
    connect(Command_Store_photo_in_database, &QPushButton::clicked, this,
            guarded([this] { Command_Store_photo_in_database_Click(); }));
    connect(Command_save_photo_changes, &QPushButton::clicked, this,
            guarded([this] { Command_save_photo_changes_Click(); }));
    connect(Command_clear_photo_changes, &QPushButton::clicked, this,
            guarded([this] { Command_clear_photo_changes_Click(); }));
    connect(Command_delete_photo, &QPushButton::clicked, this,
            guarded([this] { Command_delete_photo_Click(); }));
    hide();
}

void Frame_photo::Command_Load_Photo_Click() {
    Command_Store_photo_in_database->setEnabled(false);
    Command_Store_photo_in_database->hide();
    Command_delete_photo->setEnabled(false);
    Command_save_photo_changes->setEnabled(false);
    Command_clear_photo_changes->setEnabled(false);
    load_photo_list();
}

void Frame_photo::load_photo_list() {
    AppState& state = m_context.state();
    Session& session = m_context.session();
    Recordset& photos = session.rs_photo();
    LoadingGuard loading(state.loading);
    Imagelet_load->Reset();
    Imagelet_load->setConnectionType(static_cast<int>(session.connectionType()));
    Text_photo->clear();
    Grid_photo->setRows(2);
    const int n = record_count(photos);
    Grid_photo->setRows(n + 1);
    Grid_photo->setCols(2);
    Grid_photo->fitLastColumn();
    QString fill = QStringLiteral("\tName\r");
    int r = 1;
    for (photos.moveFirst(); !photos.eof(); photos.moveNext(), ++r)
        fill += QString::number(r) + QLatin1Char('\t') +
                photos.value(QStringLiteral("Name")).toString() + QLatin1Char('\r');
    Grid_photo->fillAll(fill, 0, 1);
    VScroll_photo->setMinimum(1);
    VScroll_photo->setValue(1);
    VScroll_photo->setMaximum(std::max(n, 1));
    VScroll_photo->setEnabled(n > 0);
    loading.lower();
    int p = 1;
    if (!state.current_photo.isEmpty()) {
        if (find_record_by_text(photos, QStringLiteral("Name"), state.current_photo))
            p = photos.absolutePosition() + 1;
        else
            state.current_photo.clear();
    }
    if (p == VScroll_photo->value())
        VScroll_photo_Scroll();
    else
        VScroll_photo->setValue(p);
}

void Frame_photo::VScroll_photo_Scroll() {
    if (m_context.state().loading || !VScroll_photo->isEnabled())
        return;
    Session& session = m_context.session();
    Recordset& photos = session.rs_photo();
    photos.setAbsolutePosition(VScroll_photo->value() - 1);
    const QString name = photos.value(QStringLiteral("Name")).toString();
    Text_photo->setText(name);
    m_context.state().current_photo = name;
    show_stored_photo(*Imagelet_load, photos, static_cast<int>(session.connectionType()));
    Command_delete_photo->setEnabled(true);
    Command_save_photo_changes->setEnabled(false);
    Command_clear_photo_changes->setEnabled(false);
    Command_Store_photo_in_database->hide();
}

void Frame_photo::Grid_photo_Click() {
    const int row = Grid_photo->row();
    if (row == 0 || Grid_photo->col() == 0)
        return;
    if (VScroll_photo->value() != row)
        VScroll_photo->setValue(row);
    else
        VScroll_photo_Scroll();
}

void Frame_photo::Text_photo_Change() {
    Command_delete_photo->setEnabled(false);
    Command_save_photo_changes->setEnabled(true);
    Command_clear_photo_changes->setEnabled(true);
}

void Frame_photo::Command_clear_photo_changes_Click() {
    Text_photo->setText(m_context.state().current_photo);
    Command_delete_photo->setEnabled(true);
    Command_save_photo_changes->setEnabled(false);
    Command_clear_photo_changes->setEnabled(false);
}

void Frame_photo::Command_save_photo_changes_Click() {
    const QString name = Text_photo->text().trimmed();
    if (!photo_name_is_acceptable(name))
        return;
    Recordset& photos = m_context.session().rs_photo();
    write_and_reload(
        m_context, QStringLiteral("Save Changes"),
        QStringLiteral("An error occurred while saving the changes: "),
        [&] {
            if (name == photos.value(QStringLiteral("Name")).toString())
                return true;
            const int id = photos.value(QStringLiteral("ID")).toInt();
            // Another photograph of that name (a change of letter case alone is allowed).
            const bool taken = find_stored_record_by_text(photos, QStringLiteral("Name"), name) &&
                               photos.value(QStringLiteral("ID")).toInt() != id;
            if (!find_record_by_number(photos, QStringLiteral("ID"), id)) {
                ui().message(QStringLiteral("That item no longer exists"));
                load_photo_list();
                return false;
            }
            if (taken) {
                ui().message(QStringLiteral("The specified photo name already exists"));
                load_photo_list();
                return false;
            }
            photos.edit();
            photos.setValue(QStringLiteral("Name"), name);
            photos.update();
            m_context.state().current_photo = name;
            return true;
        },
        [this] { load_photo_list(); });
}

void Frame_photo::Command_OpenPhoto_Click() {
    Imagelet_load->OpenPhotoFile();
    const QString path = Imagelet_load->PhotoFileName();
    // A cancelled dialog leaves no picture, and nothing to store.
    Command_Store_photo_in_database->setEnabled(!path.isEmpty() && Imagelet_load->hasPicture());
    if (path.isEmpty())
        return;
    Text_photo->setText(propose_photo_name(path));
    Command_Store_photo_in_database->setEnabled(true);
    Command_Store_photo_in_database->show();
    Command_save_photo_changes->setEnabled(false);
    Command_clear_photo_changes->setEnabled(false);
    m_context.state().current_photo.clear();
}

void Frame_photo::Command_Store_photo_in_database_Click() {
    if (!Imagelet_load->hasPicture())
        return;
    const QString name = Text_photo->text();
    if (!photo_name_is_acceptable(name))
        return;
    Session& session = m_context.session();
    Recordset& photos = session.rs_photo();
    const QString failure = QStringLiteral("An error occurred while saving the changes: ");
    // Asked before the command begins: the file's write lock is never held
    // while a question waits.
    const bool overwrite = find_stored_record_by_text(photos, QStringLiteral("Name"), name);
    if (overwrite && !ui().askYesNo(QStringLiteral("That name is already in the database. Do "
                                                   "you want to overwrite the existing record?")))
        return;
    write_and_reload(
        m_context, QStringLiteral("Store photo in database"), failure,
        [&] {
            const bool stored = find_stored_record_by_text(photos, QStringLiteral("Name"), name);
            if (stored && !overwrite)
                throw EngineError(QStringLiteral("Another desk has just stored a photograph "
                                                 "named %1: store it again to overwrite that one")
                                      .arg(name));
            if (stored) {
                photos.edit();
            } else {
                add_new_record(photos, session.database(), QStringLiteral("Table_Photo"));
            }
            photos.setValue(QStringLiteral("Name"), name);
            bool saved = true;
            const auto connection =
                connect(Imagelet_load, &imagelet::Imagelet::OnPhotoSaving, this,
                        [&saved](bool succeeded, const QString&) { saved = succeeded; });
            Imagelet_load->SavePhoto(*photos.binaryField(QStringLiteral("Photo")));
            disconnect(connection);
            // The row and its picture reach the store in one statement, or not at all.
            if (!saved) {
                ui().message(failure + Imagelet_load->lastError());
                return false;
            }
            photos.update();
            m_context.state().current_photo = name;
            return true;
        },
        [this] { load_photo_list(); });
}

void Frame_photo::Command_delete_photo_Click() {
    // The second click of a double-click lands on the next photograph, which
    // the first delete has just brought up: one activation deletes one.
    if (m_lastDelete.isValid() && m_lastDelete.elapsed() < QApplication::doubleClickInterval())
        return;
    Recordset& photos = m_context.session().rs_photo();
    if (photos.absolutePosition() < 0)
        return;
    const Reference used{
        QStringLiteral("Table_Equipment"),
        {QStringLiteral("PhotographID")},
        QStringLiteral("Name"),
        QStringLiteral("Name"),
        QStringLiteral("You cannot delete this photo as it is currently in use by the equipment ")};
    delete_unless_referenced(m_context, QStringLiteral("Delete This Photo"),
                             QStringLiteral("An error occurred while deleting the photo: "), photos,
                             photos.value(QStringLiteral("ID")).toInt(), {used}, [this] {
                                 m_lastDelete.start();
                                 m_context.state().current_photo.clear();
                                 load_photo_list();
                             });
}

} // namespace gearlog
