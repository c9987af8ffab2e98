#include "ChooserModel.h"

#include "Database.h"
#include "Dialect.h"
#include "EngineError.h"
#include "KeyedRead.h"
#include "TextFold.h"

#include <algorithm>

namespace gearlog {

namespace {

// Pages kept before the oldest are let go: a few screens of a long list.
constexpr int pagesKept = 64;

QString orderClause(Engine engine, ChooserModel::Order order, bool newestFirst) {
    if (order == ChooserModel::Order::ByKey)
        return newestFirst ? QStringLiteral("ID DESC") : QStringLiteral("ID");
    return dialect::orderTerm(engine, QStringLiteral("Name"), FieldType::Text, false) +
           QStringLiteral(", ID");
}

} // namespace

ChooserModel::ChooserModel(QString table, Order order, QObject* parent)
    : QAbstractListModel(parent), m_table(std::move(table)), m_order(order) {}

void ChooserModel::fill(Database& db, QList<Entry> leading) {
    const QString sql = QStringLiteral("SELECT ID FROM %1 ORDER BY %2")
                            .arg(m_table, orderClause(db.engine(), m_order, false));
    std::vector<int> keys = db.store().selectKeys(sql, {});
    beginResetModel();
    m_db = db.weak_from_this();
    m_leading = std::move(leading);
    m_keys = std::move(keys);
    m_pages.clear();
    endResetModel();
}

void ChooserModel::refill() {
    if (const std::shared_ptr<Database> db = m_db.lock())
        fill(*db, m_leading);
}

int ChooserModel::rowOfKey(int key) const {
    for (int i = 0; i < m_leading.size(); ++i)
        if (m_leading[i].key == key)
            return i;
    const auto at = std::find(m_keys.begin(), m_keys.end(), key);
    return at == m_keys.end() ? -1 : static_cast<int>(m_leading.size() + (at - m_keys.begin()));
}

std::vector<ChooserModel::Entry> ChooserModel::find(const QString& text, int limit) const {
    const std::shared_ptr<Database> db = m_db.lock();
    const QString folded = foldForFind(text.trimmed());
    if (!db || folded.isEmpty())
        return {};
    const QString position = dialect::findPositionTerm(db->engine(), QStringLiteral("Name"));
    const QString sql =
        QStringLiteral("SELECT ID, Name FROM %1 WHERE %2 > 0 ORDER BY CASE WHEN %2 = 1 THEN 0 "
                       "ELSE 1 END, %3 LIMIT %4")
            .arg(m_table, position, orderClause(db->engine(), m_order, true))
            .arg(limit);
    std::vector<Entry> found;
    for (const Entry& entry : m_leading) // "In Stock" is found like a record
        if (!entry.text.isEmpty() && foldForFind(entry.text).contains(folded))
            found.push_back(entry);
    for (const Row& row :
         db->store().select(sql, {folded, folded}, {FieldType::Long, FieldType::Text}))
        found.push_back({row[1].toString(), row[0].toInt()});
    return found;
}

QModelIndexList ChooserModel::match(const QModelIndex& start, int role, const QVariant& value,
                                    int hits, Qt::MatchFlags flags) const {
    if (role != Qt::UserRole || (flags & Qt::MatchTypeMask) != Qt::MatchExactly)
        return QAbstractListModel::match(start, role, value, hits, flags);
    bool number = false;
    const int row = rowOfKey(value.toInt(&number));
    return number && row >= 0 ? QModelIndexList{index(row)} : QModelIndexList{};
}

int ChooserModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_leading.size() + m_keys.size());
}

QVariant ChooserModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() ||
        (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::UserRole))
        return {};
    const int row = index.row();
    if (row < m_leading.size())
        return role == Qt::UserRole ? QVariant(m_leading[row].key) : QVariant(m_leading[row].text);
    const auto at = static_cast<size_t>(row - m_leading.size());
    if (at >= m_keys.size())
        return {};
    if (role == Qt::UserRole)
        return m_keys[at];
    const QStringList& names = page(static_cast<int>(at) / pageRows);
    const auto inPage = static_cast<qsizetype>(at % pageRows);
    return inPage < names.size() ? names[inPage] : QString();
}

const QStringList& ChooserModel::page(int number) const {
    const auto cached = m_pages.constFind(number);
    if (cached != m_pages.cend())
        return *cached;
    if (m_pages.size() >= pagesKept)
        m_pages.clear();
    const size_t first = static_cast<size_t>(number) * pageRows;
    const size_t last = std::min(m_keys.size(), first + pageRows);
    QStringList names;
    const std::shared_ptr<Database> db = m_db.lock();
    if (db) {
        QHash<int, QString> byKey;
        try {
            const QString sql =
                QStringLiteral("SELECT ID, Name FROM %1 WHERE ID IN (%2)")
                    .arg(m_table, key_list(std::span(m_keys).subspan(first, last - first)));
            for (const Row& row : db->store().select(sql, {}, {FieldType::Long, FieldType::Text}))
                byKey.insert(row[0].toInt(), row[1].toString());
        } catch (const EngineError&) {
            // Shown while painting: a store that cannot be read leaves the
            // entries blank (the next command reports it), and they are
            // asked again when next shown.
            static const QStringList blank;
            return blank;
        }
        // A row another desk deleted since the fill shows blank.
        for (size_t i = first; i < last; ++i)
            names << byKey.value(m_keys[i]);
    }
    return m_pages[number] = names;
}

} // namespace gearlog
