#include "ViewParts.h"

#include "CommandRunner.h"
#include "EngineError.h"
#include "FlexGrid.h"
#include "UiServices.h"

#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
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

void setUpViewFrame(QFrame& frame, const QString& name, const QString& role) {
    frame.setObjectName(name);
    frame.setAccessibleName(role);
    frame.setFrameShape(QFrame::StyledPanel);
    frame.setGeometry(viewGeometry);
}

QString save_caption(int index) {
    return index == 0 ? QStringLiteral("Save") : QStringLiteral("Save New");
}

RecordCommands makeRecordCommands(QWidget* parent, const QString& record, QRect first, int step,
                                  const RecordHandlers& handlers) {
    const auto at = [&](int place) {
        return first.translated(place * step, 0);
    };
    const auto connected = [parent](QPushButton* button, std::function<void()> handler) {
        QObject::connect(button, &QPushButton::clicked, parent, guarded(std::move(handler)));
        return button;
    };
    RecordCommands commands;
    commands.create = connected(makeButton(parent, QStringLiteral("Command_create_") + record,
                                           QStringLiteral("Create"),
                                           QStringLiteral("Create a new item in the table"), at(0)),
                                handlers.create);
    const QString saveTips[2] = {
        QStringLiteral("Replace the current details with the changed details"),
        QStringLiteral("Save the changed details as a new item in the table")};
    for (int i = 0; i < 2; ++i) {
        QPushButton* save =
            makeButton(parent, QStringLiteral("Command_save_%1_changes_%2").arg(record).arg(i),
                       save_caption(i), saveTips[i], at(1 + i));
        save->setProperty("Index", i);
        commands.save[static_cast<size_t>(i)] =
            connected(save, [save = handlers.save, i] { save(i); });
    }
    commands.reset = connected(
        makeButton(parent, QStringLiteral("Command_clear_%1_changes").arg(record),
                   QStringLiteral("Reset"), QStringLiteral("Restore the original details"), at(3)),
        handlers.reset);
    commands.remove = connected(
        makeButton(parent, QStringLiteral("Command_delete_") + record, QStringLiteral("Delete"),
                   QStringLiteral("Delete the currently selected item from the table"), at(4)),
        handlers.remove);
    return commands;
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

QLabel* makeLabelBefore(QWidget* parent, const QString& text, QWidget* buddy, int width) {
    const QRect at = buddy->geometry();
    return makeLabel(parent, text, buddy,
                     {at.x() - width, at.y(), width, std::min(at.height(), 26)});
}

QString arrayName(const char* name, int index) {
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

QComboBox* makeCombo(QWidget* parent, const QString& name, const QString& label, const QString& tip,
                     QRect geometry, int labelWidth) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setToolTip(tip);
    combo->setGeometry(geometry);
    makeLabelBefore(parent, label, combo, labelWidth);
    return combo;
}

namespace {

class EnterOpens : public QObject {
public:
    EnterOpens(QObject* parent, std::function<void()> open)
        : QObject(parent), m_open(std::move(open)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                m_open();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_open;
};

} // namespace

void require_feature_tables(bool made, const QString& feature) {
    if (!made)
        throw EngineError(
            QStringLiteral("This database has no %1 yet: their tables are made the first time a "
                           "desk that may change it opens it (this desk may only read it, or its "
                           "server role may not make tables)")
                .arg(feature));
}

void open_on_enter(FlexGrid& grid, std::function<void()> open) {
    const std::function<void()> safe = guarded(std::move(open));
    grid.installEventFilter(new EnterOpens(&grid, safe));
    QObject::connect(&grid, &FlexGrid::DblClick, &grid, safe);
}

FlexGrid* makeGrid(QWidget* parent, const QString& name, const QString& role, const QString& tip,
                   QRect geometry, int cols, int fixedCols) {
    auto* grid = new FlexGrid(parent);
    grid->setObjectName(name);
    grid->setAccessibleName(role);
    grid->setToolTip(tip);
    grid->setGeometry(geometry);
    grid->setCols(cols);
    grid->setFixedRows(1);
    grid->setFixedCols(fixedCols);
    return grid;
}

FlexGrid* makeListGrid(QWidget* parent, const QString& name, const QString& role,
                       const QString& tip, QRect geometry) {
    return makeGrid(parent, name, role, tip, geometry, 2);
}

} // namespace gearlog
