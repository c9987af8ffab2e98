#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QStringList>
#include <memory>
#include <vector>

namespace gearlog {

class Database;

// The entries of a combo box that offers every row of a table (shipments,
// contacts, addresses), read as they come into view: filling reads the keys
// in the list's order (4 bytes a row), the names are read a page at a time
// when shown. What the list offers stays as it was filled until it is
// filled again, so an entry always means the same record, whatever other
// desks add meanwhile. Text is the row's Name, item data its ID.
class ChooserModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum class Order { ByKey, ByName };
    struct Entry {
        QString text;
        int key = 0;
    };

    ChooserModel(QString table, Order order, QObject* parent);

    // Reads the keys anew; `leading` entries ("All", "In Stock") come first.
    // Throws EngineError when the store cannot be read.
    void fill(Database& db, QList<Entry> leading = {});
    // The same again, for a row added since (no-op once the store is closed).
    void refill();
    // Up to `limit` rows whose name holds the text (ignoring case and
    // accents), those that begin with it first, then newest (by key) or in
    // name order; read from the store, so rows added since the fill are
    // found. Leading entries that hold it come first.
    std::vector<Entry> find(const QString& text, int limit) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    // An exact match on the key (the combo box's findData) by the keys read,
    // not by reading every entry; any other match as the base class does.
    QModelIndexList match(const QModelIndex& start, int role, const QVariant& value, int hits = 1,
                          Qt::MatchFlags flags = Qt::MatchFlags(Qt::MatchStartsWith |
                                                                Qt::MatchWrap)) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // Rows read in one statement as they are shown.
    static constexpr int pageRows = 128;

private:
    // Row of the entry with this key, or -1.
    int rowOfKey(int key) const;
    const QStringList& page(int number) const;

    QString m_table;
    Order m_order;
    std::weak_ptr<Database> m_db;
    QList<Entry> m_leading;
    std::vector<int> m_keys;
    mutable QHash<int, QStringList> m_pages;
};

} // namespace gearlog
