#include "ViewParts.h"

#include "FlexGrid.h"
#include "UiServices.h"

#include <QLabel>
#include <QPushButton>
#include <algorithm>

namespace gearlog {

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QString& tip, QRect geometry) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setToolTip(tip);
    b->setGeometry(geometry);
    return b;
}

QLabel* makeLabel(QWidget* parent, const QString& text, QWidget* buddy, QRect geometry) {
    auto* label = new QLabel(text, parent);
    // Named, so that the resizer keeps it beside its input.
    label->setObjectName(QStringLiteral("Label_") + buddy->objectName());
    label->setBuddy(buddy);
    label->setGeometry(geometry);
    return label;
}

bool name_is_acceptable(const QString& name, const QString& noun) {
    if (name.isEmpty()) {
        ui().message(QStringLiteral("The %1 name cannot be blank").arg(noun));
        return false;
    }
    if (name.size() >= 256) {
        ui().message(QStringLiteral("The %1 name is too long").arg(noun));
        return false;
    }
    return true;
}

QLabel* makeLabelBefore(QWidget* parent, const QString& text, QWidget* buddy) {
    const QRect at = buddy->geometry();
    return makeLabel(parent, text, buddy, {at.x() - 90, at.y(), 90, std::min(at.height(), 26)});
}

FlexGrid* makeListGrid(QWidget* parent, const QString& name, const QString& role,
                       const QString& tip, QRect geometry) {
    auto* grid = new FlexGrid(parent);
    grid->setObjectName(name);
    grid->setAccessibleName(role);
    grid->setToolTip(tip);
    grid->setGeometry(geometry);
    grid->setCols(2);
    grid->setFixedRows(1);
    grid->setFixedCols(1);
    return grid;
}

} // namespace gearlog
