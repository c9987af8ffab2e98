#pragma once

#include "ChangeHistory.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace gearlog {

class FlexGrid;
class ViewContext;

// The recorded changes, newest first ("Changes grid": When, Who, Command,
// Record, Field, Before, After), a page at a time. Of one record (its
// "Changes"), or of every record with filters for who, from, to and kind
// (File -> Recent Changes). The grid's menu saves it as Excel.
class Form_changes : public QDialog {
    Q_OBJECT
public:
    // One record's changes; `table` empty with `key` -1 lists them all,
    // with the filters ("Recent Changes"). Engine failures throw.
    Form_changes(ViewContext& context, const QString& table, int key, QWidget* parent);

    void Command_changes_filter_Click();
    void Command_changes_older_Click();

    FlexGrid* Grid_changes;
    QLineEdit* Text_changes_who = nullptr;
    QLineEdit* Text_changes_from = nullptr;
    QLineEdit* Text_changes_to = nullptr;
    QComboBox* Combo_changes_kind = nullptr;
    QPushButton* Command_changes_older;

    // Entries a page shows.
    static constexpr int pageSize = 500;

private:
    void showPage();
    // The same, an engine's failure said rather than thrown.
    void showPageReporting();

    ViewContext& m_context;
    HistoryFilter m_filter;
    std::vector<qint64> m_pages; // the ID each page shown so far began before
};

} // namespace gearlog
