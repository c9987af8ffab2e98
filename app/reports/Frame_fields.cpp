#include "Frame_fields.h"

#include "AppState.h"
#include "UiServices.h"
#include "ViewParts.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTreeWidget>

namespace gearlog {

namespace {

QTreeWidget* makeList(QWidget* parent, const QString& name, const QString& label, QRect at) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(name);
    list->setRootIsDecorated(false);
    list->setHeaderLabels({QStringLiteral("Field Name")});
    list->header()->setStretchLastSection(true);
    list->setGeometry(at);
    makeLabel(parent, label, list, {at.x(), at.y() - 26, at.width(), 24});
    return list;
}

// An entry: its key "Ind_" + column number, its text the column's caption.
QTreeWidgetItem* entry(int column) {
    auto* item = new QTreeWidgetItem(
        {QString::fromLatin1(history_columns[static_cast<size_t>(column) - 1].caption)});
    item->setData(0, Qt::UserRole, QStringLiteral("Ind_%1").arg(column));
    return item;
}

} // namespace

Frame_fields::Frame_fields(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("Frame_fields"));
    setAccessibleName(QStringLiteral("Select Fields"));
    setFrameShape(QFrame::Panel);
    setAutoFillBackground(true);
    List_included = makeList(this, QStringLiteral("List_included"),
                             QStringLiteral("Included Fields"), {10, 36, 230, 300});
    List_excluded = makeList(this, QStringLiteral("List_excluded"),
                             QStringLiteral("Excluded Fields"), {260, 36, 230, 300});
    for (QTreeWidget* list : {List_included, List_excluded}) {
        QTreeWidget* other = list == List_included ? List_excluded : List_included;
        connect(list, &QTreeWidget::itemClicked, this,
                [this, other](QTreeWidgetItem* item) { move(item, other); });
        list->installEventFilter(this);
    }
    const auto button = [this](const char* name, const char* caption, int x, int y) {
        return makeButton(this, QString::fromLatin1(name), QString::fromUtf8(caption), QString(),
                          {x, y, 110, 28});
    };
    connect(button("Command_addall", "Add All >>", 10, 346), &QPushButton::clicked, this,
            &Frame_fields::Command_addall_Click);
    connect(button("Command_removeall", "Remove All <<", 130, 346), &QPushButton::clicked, this,
            &Frame_fields::Command_removeall_Click);
    connect(button("Command_reset_fields", "Reset", 260, 346), &QPushButton::clicked, this,
            [this] { fill(m_opened); });
    connect(button("Command_Done_fields", "Done", 260, 380), &QPushButton::clicked, this,
            &Frame_fields::Command_Done_fields_Click);
    connect(button("Command_cancel_fields", "Cancel", 380, 380), &QPushButton::clicked, this,
            &QWidget::hide);
    hide();
}

bool Frame_fields::eventFilter(QObject* watched, QEvent* event) {
    // Enter or Space moves the current entry, as a click does.
    auto* list = qobject_cast<QTreeWidget*>(watched);
    if (!list || event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Space)
        return false;
    if (QTreeWidgetItem* item = list->currentItem())
        move(item, list == List_included ? List_excluded : List_included);
    return true;
}

void Frame_fields::fill(const std::vector<int>& included) {
    List_included->clear();
    List_excluded->clear();
    for (int column = 1; column <= 12; ++column)
        if (std::find(included.begin(), included.end(), column) == included.end())
            List_excluded->addTopLevelItem(entry(column));
    for (int column : included)
        if (column >= 1 && column <= 12)
            List_included->addTopLevelItem(entry(column));
}

void Frame_fields::open(const std::vector<int>& selected) {
    m_opened = selected;
    fill(selected);
    show();
    raise();
    List_included->setFocus();
}

void Frame_fields::move(QTreeWidgetItem* item, QTreeWidget* to) {
    QTreeWidget* from = item->treeWidget();
    to->addTopLevelItem(from->takeTopLevelItem(from->indexOfTopLevelItem(item)));
}

void Frame_fields::Command_addall_Click() {
    fill({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
}

void Frame_fields::Command_removeall_Click() {
    fill({});
}

void Frame_fields::Command_Done_fields_Click() {
    if (List_included->topLevelItemCount() == 0) {
        ui().message(QStringLiteral("You must select at least one field to display"));
        return;
    }
    std::vector<int> columns;
    for (int i = 0; i < List_included->topLevelItemCount(); ++i)
        columns.push_back(
            List_included->topLevelItem(i)->data(0, Qt::UserRole).toString().mid(4).toInt());
    hide();
    if (chosen)
        chosen(columns);
}

} // namespace gearlog
