#include "ComboFinder.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStandardItemModel>

namespace gearlog {

namespace {

// What the list is called beside it, for the find box's own name.
QString labelOf(const QComboBox& combo) {
    if (!combo.accessibleName().isEmpty())
        return combo.accessibleName();
    if (combo.parentWidget())
        for (const QLabel* label : combo.parentWidget()->findChildren<QLabel*>())
            if (label->buddy() == &combo)
                return label->text().remove(QLatin1Char('&'));
    return combo.objectName();
}

bool startsFind(const QKeyEvent& key) {
    const QString text = key.text();
    return !text.isEmpty() && text[0].isPrint() && text != QStringLiteral(" ") &&
           !(key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

} // namespace

ComboFinder::ComboFinder(QComboBox& combo, std::function<Matches(const QString&)> finder,
                         std::function<void(int)> choose)
    : QObject(&combo), m_combo(combo), m_finder(std::move(finder)), m_choose(std::move(choose)) {
    combo.installEventFilter(this);
    combo.view()->installEventFilter(this);
}

bool ComboFinder::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_box) {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            close();
            return true;
        }
        if (event->type() == QEvent::FocusOut && !m_completer->popup()->isVisible() &&
            m_box->isVisible()) {
            m_box->hide(); // left by Tab or a click elsewhere: nothing picked
        }
        return false;
    }
    if (event->type() != QEvent::KeyPress || !startsFind(*static_cast<QKeyEvent*>(event)))
        return false;
    if (watched == m_combo.view())
        m_combo.hidePopup();
    open(static_cast<QKeyEvent*>(event)->text());
    return true;
}

void ComboFinder::open(const QString& text) {
    if (!m_box) {
        m_box = new QLineEdit(m_combo.parentWidget());
        m_box->setObjectName(m_combo.objectName() + QStringLiteral("_find"));
        m_box->setAccessibleName(QStringLiteral("Find ") + labelOf(m_combo));
        m_box->setPlaceholderText(QStringLiteral("Type to find"));
        m_box->installEventFilter(this);
        m_matches = new QStandardItemModel(this);
        m_completer = new QCompleter(m_matches, this);
        m_completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
        m_completer->setWidget(m_box);
        m_completer->popup()->setAccessibleName(QStringLiteral("Matches"));
        connect(m_box, &QLineEdit::textEdited, this, &ComboFinder::list);
        connect(m_completer, qOverload<const QModelIndex&>(&QCompleter::activated), this,
                [this](const QModelIndex& index) { pick(index.data(Qt::UserRole).toInt()); });
        connect(m_box, &QLineEdit::returnPressed, this, [this] {
            if (m_matches->rowCount() > 0)
                pick(m_matches->item(0)->data(Qt::UserRole).toInt());
        });
    }
    m_box->setGeometry(m_combo.geometry());
    m_box->setText(text);
    m_box->show();
    m_box->raise();
    m_box->setFocus(Qt::OtherFocusReason);
    list(text);
}

void ComboFinder::list(const QString& text) {
    m_matches->clear();
    for (const auto& [name, key] : m_finder(text)) {
        auto* item = new QStandardItem(name);
        item->setData(key, Qt::UserRole);
        item->setEditable(false);
        m_matches->appendRow(item);
    }
    if (m_matches->rowCount() > 0)
        m_completer->complete(m_box->rect());
    else
        m_completer->popup()->hide();
}

void ComboFinder::pick(int key) {
    close();
    m_choose(key);
}

void ComboFinder::close() {
    m_completer->popup()->hide();
    m_box->hide();
    m_combo.setFocus(Qt::OtherFocusReason);
}

} // namespace gearlog
