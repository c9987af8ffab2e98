#pragma once

#include <QElapsedTimer>
#include <QFrame>

class QLineEdit;
class QPushButton;
class QScrollBar;

namespace imagelet {
class Imagelet;
}

namespace gearlog {

class FlexGrid;
class ViewContext;

// The photograph library: browse by scroll bar or grid, rename, delete
// when unused, and store a picture file under a name.
class Frame_photo : public QFrame {
    Q_OBJECT
public:
    Frame_photo(ViewContext& context, QWidget* parent);

    // Prepares the view (the caller then brings it up).
    void Command_Load_Photo_Click();
    void load_photo_list();
    void VScroll_photo_Scroll();
    void Grid_photo_Click();
    void Text_photo_Change();
    void Command_OpenPhoto_Click();
    void Command_Store_photo_in_database_Click();
    void Command_save_photo_changes_Click();
    void Command_clear_photo_changes_Click();
    void Command_delete_photo_Click();

    FlexGrid* grid() const { return Grid_photo; }
    imagelet::Imagelet* imagelet() const { return Imagelet_load; }

private:
    ViewContext& m_context;
    QElapsedTimer m_lastDelete;
    FlexGrid* Grid_photo;
    QScrollBar* VScroll_photo;
    imagelet::Imagelet* Imagelet_load;
    QLineEdit* Text_photo;
    QPushButton* Command_OpenPhoto;
    QPushButton* Command_Store_photo_in_database;
    QPushButton* Command_save_photo_changes;
    QPushButton* Command_clear_photo_changes;
    QPushButton* Command_delete_photo;
};

// The name proposed for a picture file: its file name cut at the first
// ".", with "_" as blanks.
QString propose_photo_name(const QString& path);

// Shows a stored picture in the photo control when it has bytes, and
// clears the control otherwise.
void show_stored_photo(imagelet::Imagelet& control, class Recordset& photos, int connectionType);

} // namespace gearlog
