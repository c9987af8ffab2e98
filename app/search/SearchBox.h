#pragma once

#include "RecordSearch.h"

#include <QPointer>
#include <QWidget>
#include <deque>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QTimer;

namespace gearlog {

class ViewContext;

// The search box of the main window: what is typed is looked for in every
// kind of record, a kind at a time between keystrokes (a search for text
// typed over is dropped), and the matches listed under the box, grouped by
// kind. Down and Up move through them, Enter or a click opens one in its
// view; Enter on a text that names one record exactly (a scanned label,
// serial number or waybill) opens that record at once. Escape leaves.
class SearchBox : public QWidget {
    Q_OBJECT
public:
    // `overlay` holds the results list, drawn over the views.
    SearchBox(ViewContext& context, QWidget* overlay, QWidget* parent);

    // Focuses the box (Ctrl+F, "/"), remembering where focus was.
    void focusSearch();
    // Forgets the text and the matches (the database closed).
    void clear();

    QLineEdit* Text_search;
    QListWidget* List_search_results;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void textEdited(const QString& text);
    void searchNextKind();
    void showGroup(const SearchGroup& group);
    void finishSearch();
    void moveSelection(int step);
    void enter();
    void open(SearchKind kind, int key);
    void openItem(QListWidgetItem* item);
    void leave();
    void placeResults();
    void showMenu(const QPoint& globalPos);
    void printLabels();

    ViewContext& m_context;
    QWidget* m_overlay;
    QTimer* m_step;
    QMenu* m_menu;
    QString m_text;                 // what the listed matches are for
    bool m_chosen = false;          // the user moved to a match
    std::deque<SearchKind> m_kinds; // kinds not searched yet for it
    QPointer<QWidget> m_returnFocus;
};

} // namespace gearlog
