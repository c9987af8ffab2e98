#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

class QComboBox;
class QCompleter;
class QLineEdit;
class QStandardItemModel;

namespace gearlog {

// Type-to-find on a drop-down list too long to walk: a printable key typed
// on the list (closed or open) opens a find box over it, and each text typed
// there lists the entries the finder returns. Picking one (Enter takes the
// first) hands its key to `choose`, which selects it as a pick in the list
// would; Escape or leaving the box goes back to the list unchanged.
class ComboFinder : public QObject {
    Q_OBJECT
public:
    using Matches = std::vector<std::pair<QString, int>>; // text, key
    ComboFinder(QComboBox& combo, std::function<Matches(const QString&)> finder,
                std::function<void(int)> choose);

    // The find box while it is open, else null.
    QLineEdit* box() const { return m_box; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void open(const QString& text);
    void list(const QString& text);
    void pick(int key);
    void close();

    QComboBox& m_combo;
    std::function<Matches(const QString&)> m_finder;
    std::function<void(int)> m_choose;
    QLineEdit* m_box = nullptr;
    QCompleter* m_completer = nullptr;
    QStandardItemModel* m_matches = nullptr;
};

} // namespace gearlog
