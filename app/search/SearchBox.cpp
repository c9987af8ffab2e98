#include "SearchBox.h"

#include "EngineError.h"
#include "Session.h"
#include "UiServices.h"
#include "ViewContext.h"
#include "ViewRequests.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTimer>

namespace gearlog {

namespace {

constexpr int kindRole = Qt::UserRole;
constexpr int keyRole = Qt::UserRole + 1;

bool isMatch(const QListWidgetItem* item) {
    return item && (item->flags() & Qt::ItemIsSelectable);
}

// A line of the list that is not a match: a heading or a note.
QListWidgetItem* addNote(QListWidget& list, const QString& text, bool heading) {
    auto* item = new QListWidgetItem(text, &list);
    item->setFlags(Qt::ItemIsEnabled);
    QFont font = list.font();
    font.setBold(heading);
    font.setItalic(!heading);
    item->setFont(font);
    return item;
}

} // namespace

SearchBox::SearchBox(ViewContext& context, QWidget* overlay, QWidget* parent)
    : QWidget(parent), m_context(context), m_overlay(overlay), m_step(new QTimer(this)) {
    setObjectName(QStringLiteral("SearchBox"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    Text_search = new QLineEdit(this);
    Text_search->setObjectName(QStringLiteral("Text_search"));
    Text_search->setAccessibleName(QStringLiteral("Search"));
    Text_search->setPlaceholderText(QStringLiteral("Find serial, model, waybill, name (Ctrl+F)"));
    Text_search->setToolTip(QStringLiteral(
        "Find assets, shipments, equipment types, contacts and addresses; a scanned label, serial "
        "number or waybill and Enter opens the record"));
    Text_search->setClearButtonEnabled(true);
    Text_search->setMinimumWidth(280);
    Text_search->installEventFilter(this);
    row->addWidget(Text_search);

    List_search_results = new QListWidget(overlay);
    List_search_results->setObjectName(QStringLiteral("List_search_results"));
    List_search_results->setAccessibleName(QStringLiteral("Search results"));
    List_search_results->setContextMenuPolicy(Qt::CustomContextMenu);
    List_search_results->hide();
    List_search_results->installEventFilter(this);

    m_menu = new QMenu(List_search_results);
    m_menu->setObjectName(QStringLiteral("mnuSearchResult"));
    QAction* labels = m_menu->addAction(QStringLiteral("Print Labels..."));
    labels->setObjectName(QStringLiteral("mnuSearchLabels"));
    connect(labels, &QAction::triggered, this, &SearchBox::printLabels);

    m_step->setSingleShot(true);
    m_step->setInterval(0);
    connect(m_step, &QTimer::timeout, this, &SearchBox::searchNextKind);
    connect(Text_search, &QLineEdit::textChanged, this, &SearchBox::textEdited);
    connect(List_search_results, &QListWidget::itemClicked, this, &SearchBox::openItem);
    connect(
        List_search_results, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& at) { showMenu(List_search_results->viewport()->mapToGlobal(at)); });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now != Text_search && now != List_search_results)
            List_search_results->hide();
    });
}

void SearchBox::focusSearch() {
    QWidget* now = QApplication::focusWidget();
    if (now != Text_search && now != List_search_results)
        m_returnFocus = now;
    Text_search->setFocus(Qt::ShortcutFocusReason);
    Text_search->selectAll();
    if (List_search_results->count() > 0)
        placeResults();
}

void SearchBox::clear() {
    m_step->stop();
    m_kinds.clear();
    Text_search->clear();
    List_search_results->clear();
    List_search_results->hide();
}

void SearchBox::textEdited(const QString& text) {
    m_text = text.trimmed();
    m_chosen = false;
    List_search_results->clear();
    m_kinds.clear();
    if (m_text.isEmpty()) {
        List_search_results->hide();
        return;
    }
    m_kinds.assign(search_kinds().begin(), search_kinds().end());
    // After the keys waiting now: a text typed over is never searched.
    m_step->start();
}

void SearchBox::searchNextKind() {
    if (m_kinds.empty())
        return;
    const SearchKind kind = m_kinds.front();
    m_kinds.pop_front();
    try {
        showGroup(
            search_records(m_context.session().database().store(), kind, m_text, searchShown));
    } catch (const EngineError& e) {
        m_kinds.clear();
        addNote(*List_search_results, QStringLiteral("The search failed"), false);
        ui().showError(QStringLiteral("The search failed: ") + e.description(), e.details());
        return;
    }
    if (!m_kinds.empty())
        m_step->start();
    else if (List_search_results->count() == 0)
        addNote(*List_search_results, QStringLiteral("No matches"), false);
    if (List_search_results->count() > 0)
        placeResults();
}

void SearchBox::showGroup(const SearchGroup& group) {
    if (group.total == 0 && !group.tooShort)
        return;
    QListWidget& list = *List_search_results;
    addNote(list, search_group_heading(group), true);
    for (const SearchHit& hit : group.hits) {
        auto* item = new QListWidgetItem(
            hit.detail.isEmpty() ? hit.title : hit.title + QStringLiteral(" \u2014 ") + hit.detail,
            &list);
        item->setData(kindRole, static_cast<int>(hit.kind));
        item->setData(keyRole, hit.key);
    }
    if (const QString more = search_more_text(group); !more.isEmpty())
        addNote(list, more, false);
    if (group.tooShort)
        addNote(list, search_short_note(group.kind), false);
    // The best match is chosen until the user moves.
    if (!isMatch(list.currentItem()))
        moveSelection(1);
}

void SearchBox::finishSearch() {
    while (!m_kinds.empty())
        searchNextKind();
    m_step->stop();
}

void SearchBox::moveSelection(int step) {
    QListWidget& list = *List_search_results;
    for (int row = list.currentRow() + step; row >= 0 && row < list.count(); row += step)
        if (isMatch(list.item(row))) {
            list.setCurrentRow(row);
            list.scrollToItem(list.item(row));
            return;
        }
}

void SearchBox::enter() {
    if (m_text.isEmpty())
        return;
    try {
        // A scanner types a whole label, serial number or waybill and Enter
        // at once; a person who has not chosen a match means the same.
        if (!m_chosen)
            if (const auto exact = exact_record(m_context.session().database().store(), m_text)) {
                open(exact->kind, exact->key);
                return;
            }
        finishSearch();
    } catch (const EngineError& e) {
        ui().showError(QStringLiteral("The search failed: ") + e.description(), e.details());
        return;
    }
    openItem(List_search_results->currentItem());
}

void SearchBox::openItem(QListWidgetItem* item) {
    if (isMatch(item))
        open(static_cast<SearchKind>(item->data(kindRole).toInt()), item->data(keyRole).toInt());
}

void SearchBox::open(SearchKind kind, int key) {
    List_search_results->hide();
    ViewRequests& requests = m_context.requests();
    switch (kind) {
    case SearchKind::Asset:
        emit requests.assetRequested(key);
        break;
    case SearchKind::Shipment:
        emit requests.shipmentRequested(key);
        break;
    case SearchKind::Equipment:
        emit requests.equipmentRequested(key);
        break;
    case SearchKind::Contact:
        emit requests.contactRequested(key);
        break;
    case SearchKind::Address:
        emit requests.addressRequested(key);
        break;
    }
}

void SearchBox::leave() {
    clear();
    if (m_returnFocus && m_returnFocus->isVisible())
        m_returnFocus->setFocus(Qt::OtherFocusReason);
    else
        Text_search->clearFocus();
}

void SearchBox::placeResults() {
    QListWidget& list = *List_search_results;
    const QPoint at = Text_search->mapTo(m_overlay, QPoint(0, Text_search->height()));
    const int width = std::max(Text_search->width(), 640);
    const int rows = std::max(1, list.count());
    const int wanted = rows * list.sizeHintForRow(0) + 2 * list.frameWidth() + 4;
    const int room = std::max(80, m_overlay->height() - at.y() - 8);
    list.setGeometry(std::min(at.x(), std::max(0, m_overlay->width() - width)), at.y(), width,
                     std::min(wanted, room));
    list.show();
    list.raise();
}

void SearchBox::showMenu(const QPoint& globalPos) {
    QListWidgetItem* item = List_search_results->currentItem();
    if (!isMatch(item))
        return;
    const auto kind = static_cast<SearchKind>(item->data(kindRole).toInt());
    if (kind == SearchKind::Asset || kind == SearchKind::Equipment)
        m_menu->popup(globalPos);
}

void SearchBox::printLabels() {
    QListWidgetItem* item = List_search_results->currentItem();
    if (!isMatch(item))
        return;
    const int key = item->data(keyRole).toInt();
    if (static_cast<SearchKind>(item->data(kindRole).toInt()) == SearchKind::Asset)
        emit m_context.requests().labelsRequested({key}, -1);
    else
        emit m_context.requests().labelsRequested({}, key);
}

bool SearchBox::eventFilter(QObject* watched, QEvent* event) {
    // The Menu key (or Shift+F10) while a result is chosen is about the
    // result, not the text box's editing.
    if (event->type() == QEvent::ContextMenu && watched == Text_search &&
        static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard &&
        List_search_results->isVisible() && isMatch(List_search_results->currentItem())) {
        showMenu(List_search_results->viewport()->mapToGlobal(
            List_search_results->visualItemRect(List_search_results->currentItem()).center()));
        return true;
    }
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
    case Qt::Key_Down:
    case Qt::Key_Up:
        if (watched != Text_search)
            break;
        moveSelection(key->key() == Qt::Key_Down ? 1 : -1);
        m_chosen = true;
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (watched == Text_search)
            enter();
        else
            openItem(List_search_results->currentItem());
        return true;
    case Qt::Key_Escape:
        leave();
        return true;
    case Qt::Key_Menu:
        if (!List_search_results->isVisible() || !isMatch(List_search_results->currentItem()))
            break;
        showMenu(List_search_results->viewport()->mapToGlobal(
            List_search_results->visualItemRect(List_search_results->currentItem()).center()));
        return true;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace gearlog
