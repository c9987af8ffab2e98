#pragma once

#include <QRect>
#include <QString>
#include <array>
#include <functional>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QWidget;

namespace gearlog {

class FlexGrid;

// Where every view frame is designed and shows (the resizer keeps them
// together only if they are designed at one place).
inline constexpr QRect viewGeometry{8, 8, 1080, 640};

// A view frame: its name, its role for assistive technology, a panel at
// the place where every view shows.
void setUpViewFrame(QFrame& frame, const QString& name, const QString& role);

// The pieces the views are built from, placed at their designed geometry
// (the resizer keeps them in proportion).
QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QString& tip, QRect geometry);
// The commands of a record form: "Create", "Save", "Save New", "Reset" and
// "Delete", named after the record ("asset" gives Command_create_asset,
// Command_save_asset_changes_0 and _1, Command_clear_asset_changes and
// Command_delete_asset), side by side from `first`, `step` pixels apart,
// each connected to its handler.
struct RecordCommands {
    QPushButton* create = nullptr;
    std::array<QPushButton*, 2> save{}; // Index 0 "Save", 1 "Save New"
    QPushButton* reset = nullptr;
    QPushButton* remove = nullptr;
};
struct RecordHandlers {
    std::function<void()> create;
    std::function<void(int)> save;
    std::function<void()> reset;
    std::function<void()> remove;
};
RecordCommands makeRecordCommands(QWidget* parent, const QString& record, QRect first, int step,
                                  const RecordHandlers& handlers);
// "Save" (index 0) or "Save New" (1), the captions of a record form's saves.
QString save_caption(int index);
// The object name of an element of a control array: "Name_Index".
QString arrayName(const char* name, int index);
// A drop-down list with its label just left of it, `labelWidth` pixels wide.
QComboBox* makeCombo(QWidget* parent, const QString& name, const QString& label, const QString& tip,
                     QRect geometry, int labelWidth = 90);
// A label that names its input for keyboard and assistive technology.
QLabel* makeLabel(QWidget* parent, const QString& text, QWidget* buddy, QRect geometry);
// The same, `width` pixels wide, just left of its input.
QLabel* makeLabelBefore(QWidget* parent, const QString& text, QWidget* buddy, int width = 90);
// The checks a list name passes before it is saved, in order: not blank,
// shorter than 256 characters. Shows "The <noun> name ..." and returns false
// on the first that fails.
bool name_is_acceptable(const QString& name, const QString& noun);

// A grid of `cols` columns with a fixed heading row and `fixedCols` (0 or 1)
// fixed columns, named for assistive technology by its role.
FlexGrid* makeGrid(QWidget* parent, const QString& name, const QString& role, const QString& tip,
                   QRect geometry, int cols, int fixedCols = 1);
// Opens what the grid's row names on a double-click and on Enter (which
// on its own acts as a click), errors said as `guarded` says them.
void open_on_enter(FlexGrid& grid, std::function<void()> open);
// Refuses a feature's view (EngineError) on a database where its tables
// are not made yet, saying why: `feature` names them ("bookings").
void require_feature_tables(bool made, const QString& feature);
// A list grid of two columns with a fixed heading row and number column.
FlexGrid* makeListGrid(QWidget* parent, const QString& name, const QString& role,
                       const QString& tip, QRect geometry);

} // namespace gearlog
