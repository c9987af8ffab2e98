#pragma once

#include <QFrame>
#include <functional>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

namespace gearlog {

// The field chooser of the shipping history: the twelve columns split
// between "Included Fields" (in display order) and "Excluded Fields"; a
// click (or Enter) moves an entry to the end of the other list.
class Frame_fields : public QFrame {
    Q_OBJECT
public:
    explicit Frame_fields(QWidget* parent);

    // Runs with the chosen column numbers when "Done" confirms them.
    std::function<void(const std::vector<int>&)> chosen;

    // Shows the chooser with the selection (column numbers in order).
    void open(const std::vector<int>& selected);
    void Command_addall_Click();
    void Command_removeall_Click();
    void Command_Done_fields_Click();

    QTreeWidget* List_included;
    QTreeWidget* List_excluded;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fill(const std::vector<int>& included);
    void move(QTreeWidgetItem* item, QTreeWidget* to);

    std::vector<int> m_opened;
};

} // namespace gearlog
