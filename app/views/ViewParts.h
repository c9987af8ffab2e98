#pragma once

#include <QRect>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace gearlog {

class FlexGrid;

// Where every view frame is designed and shows (the resizer keeps them
// together only if they are designed at one place).
inline constexpr QRect viewGeometry{8, 8, 1080, 640};

// The pieces the views are built from, placed at their designed geometry
// (the resizer keeps them in proportion).
QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QString& tip, QRect geometry);
// A label that names its input for keyboard and assistive technology.
QLabel* makeLabel(QWidget* parent, const QString& text, QWidget* buddy, QRect geometry);
// The same, 90 pixels wide, just left of its input.
QLabel* makeLabelBefore(QWidget* parent, const QString& text, QWidget* buddy);
// The checks a list name passes before it is saved, in order: not blank,
// shorter than 256 characters. Shows "The <noun> name ..." and returns false
// on the first that fails.
bool name_is_acceptable(const QString& name, const QString& noun);

// A list grid of two columns with a fixed heading row and number column.
FlexGrid* makeListGrid(QWidget* parent, const QString& name, const QString& role,
                       const QString& tip, QRect geometry);

} // namespace gearlog
