#include "RecordSearch.h"

#include "AssetPlace.h"
#include "Dialect.h"
#include "KeyedRead.h"
#include "Store.h"
#include "TextFind.h"
#include "TextFold.h"

#include <QRegularExpression>
#include <QSet>
#include <algorithm>

namespace gearlog {

namespace {

using F = FieldType;

// Matches read whole to be ranked; beyond these, the lowest keys are shown.
constexpr int ranked = 500;
// Types or contacts whose names match, whose assets or shipments are listed.
constexpr int namedLimit = 200;

const QString labelPrefix = QStringLiteral("GL-A-");

enum Rank { Equal, Begins, Holds, Related };

// How well a record's values match the folded text.
int rankOf(const QString& folded, const QStringList& values) {
    int best = Related;
    for (const QString& value : values) {
        const QString v = foldForFind(value);
        if (v == folded)
            return Equal;
        if (v.startsWith(folded))
            best = std::min<int>(best, Begins);
        else if (v.contains(folded))
            best = std::min<int>(best, Holds);
    }
    return best;
}

QString joined(const QStringList& parts) {
    QStringList kept;
    for (const QString& p : parts)
        if (!p.trimmed().isEmpty())
            kept << p.trimmed();
    return kept.join(QStringLiteral(" \u00b7 "));
}

// "(f1 > 0 OR f2 > 0 ...)" with the folded text once a field.
QString heldByAny(Engine engine, const QStringList& fields, const QString& folded,
                  QVariantList& params) {
    QStringList terms;
    for (const QString& f : fields) {
        terms << dialect::findPositionTerm(engine, f) + QStringLiteral(" > 0");
        params << folded;
    }
    return QLatin1Char('(') + terms.join(QStringLiteral(" OR ")) + QLatin1Char(')');
}

// Keys of a small table's rows whose name holds the text.
std::vector<int> namedKeys(Store& store, const QString& table, const QString& folded) {
    QVariantList params;
    const QString where = heldByAny(store.engine(), {QStringLiteral("Name")}, folded, params);
    return store.selectKeys(
        QStringLiteral("SELECT ID FROM %1 WHERE %2 LIMIT %3").arg(table, where).arg(namedLimit),
        params);
}

struct Ranked {
    int rank;
    int order; // ties: ascending
    SearchHit hit;
};

// The best `shown` of the hits, and the count.
void keepBest(std::vector<Ranked>& found, int shown, SearchGroup& group) {
    std::stable_sort(found.begin(), found.end(), [](const Ranked& a, const Ranked& b) {
        return a.rank != b.rank ? a.rank < b.rank : a.order < b.order;
    });
    for (const Ranked& r : found) {
        if (static_cast<int>(group.hits.size()) == shown)
            break;
        group.hits.push_back(r.hit);
    }
}

void countUnion(const std::vector<std::vector<int>>& sources, bool more, SearchGroup& group) {
    QSet<int> all;
    for (const auto& keys : sources)
        for (const int k : keys)
            all.insert(k);
    group.total = std::min(static_cast<int>(all.size()), searchCountCap);
    group.totalCapped = more || all.size() > searchCountCap;
}

// Keys of rows one of whose fields is the text, letter case aside, by the
// fields' own indexes: found whatever else holds the text.
std::vector<int> exactKeys(Store& store, const QString& table, const QStringList& fields,
                           const QString& text) {
    QStringList terms;
    QVariantList params;
    for (const QString& f : fields) {
        terms << f + QStringLiteral(" = ?");
        params << text;
    }
    return store.selectKeys(QStringLiteral("SELECT ID FROM %1 WHERE %2 ORDER BY ID LIMIT %3")
                                .arg(table, terms.join(QStringLiteral(" OR ")))
                                .arg(ranked),
                            params);
}

// The keys in ascending order, each once.
void ascendingOnce(std::vector<int>& keys) {
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
}

std::vector<int> first(const std::vector<int>& keys, size_t n) {
    return {keys.begin(), keys.begin() + static_cast<std::ptrdiff_t>(std::min(n, keys.size()))};
}

struct AssetRow {
    int id;
    QString model, serial, type, place;
};

std::vector<AssetRow> readAssets(Store& store, const std::vector<int>& keys) {
    std::vector<AssetRow> rows;
    read_in_key_order(
        store,
        QStringLiteral("SELECT a.ID, a.ModelNumber, a.SerialNumber, e.Name, %1 FROM Table_Asset a "
                       "LEFT JOIN Table_Equipment e ON e.ID = a.EquipmentID %2 WHERE a.ID IN")
            .arg(asset_place_columns(), asset_place_joins()),
        keys, {F::Long, F::Text, F::Text, F::Text, F::Long, F::Text, F::Text}, [&](const Row& r) {
            rows.push_back({r[0].toInt(), r[1].toString(), r[2].toString(), r[3].toString(),
                            asset_place(r, 4)});
        });
    return rows;
}

SearchHit assetHit(const AssetRow& a) {
    return {SearchKind::Asset, a.id,
            joined({a.model, a.serial}) + QStringLiteral(" (ID %1)").arg(a.id),
            joined({a.type, a.place})};
}

struct ShipmentRow {
    int id;
    QString name, note, receiver, carrier;
};

std::vector<ShipmentRow> readShipments(Store& store, const std::vector<int>& keys) {
    std::vector<ShipmentRow> rows;
    read_in_key_order(
        store,
        QStringLiteral("SELECT s.ID, s.Name, s.ConsignmentNote, r.Name, p.Name FROM "
                       "Table_Shipment s LEFT JOIN Table_Contact r ON r.ID = s.ReceiverContactID "
                       "LEFT JOIN Table_Contact p ON p.ID = s.ShipperContactID WHERE s.ID IN"),
        keys, {F::Long, F::Text, F::Text, F::Text, F::Text}, [&](const Row& r) {
            rows.push_back(
                {r[0].toInt(), r[1].toString(), r[2].toString(), r[3].toString(), r[4].toString()});
        });
    return rows;
}

SearchHit shipmentHit(const ShipmentRow& s) {
    const auto part = [](const QString& label, const QString& value) {
        return value.trimmed().isEmpty() ? QString() : label + value.trimmed();
    };
    return {
        SearchKind::Shipment, s.id, s.name,
        joined({part(QStringLiteral("Waybill "), s.note), part(QStringLiteral("to "), s.receiver),
                part(QStringLiteral("carrier "), s.carrier)})};
}

SearchGroup searchAssets(Store& store, const QString& text, const QString& folded, int shown) {
    SearchGroup group{SearchKind::Asset, {}, 0, false, false};
    std::vector<int> byId;
    bool number = false;
    const QString trimmed = text.trimmed();
    const int id = trimmed.size() <= 9 ? trimmed.toInt(&number) : 0;
    if (number && id > 0)
        byId.push_back(id);
    else if (const int labelled = labelled_asset(text); labelled > 0)
        byId.push_back(labelled);
    FoundKeys byText;
    if (folded.size() >= findMinimumLength)
        byText = find_text_keys(store, FindTable::Assets, folded, searchCountCap);
    else
        group.tooShort = true;
    std::vector<int> byType;
    const std::vector<int> types = namedKeys(store, QStringLiteral("Table_Equipment"), folded);
    if (!types.empty())
        byType = store.selectKeys(
            QStringLiteral("SELECT ID FROM Table_Asset WHERE EquipmentID IN (%1) ORDER BY ID "
                           "LIMIT %2")
                .arg(key_list(types))
                .arg(searchCountCap + 1),
            {});
    const std::vector<int> byValue =
        exactKeys(store, QStringLiteral("Table_Asset"),
                  {QStringLiteral("SerialNumber"), QStringLiteral("ModelNumber")}, trimmed);
    std::vector<int> candidates = byId;
    candidates.insert(candidates.end(), byValue.begin(), byValue.end());
    for (const int k : first(byText.keys, ranked))
        candidates.push_back(k);
    for (const int k : first(byType, static_cast<size_t>(shown)))
        candidates.push_back(k);
    ascendingOnce(candidates);
    std::vector<Ranked> found;
    for (const AssetRow& a : readAssets(store, candidates)) {
        const int rank = std::find(byId.begin(), byId.end(), a.id) != byId.end()
                             ? Equal
                             : rankOf(folded, {a.serial, a.model});
        found.push_back({rank, a.id, assetHit(a)});
    }
    // An ID that names no asset is no match.
    std::erase_if(byId, [&](int k) {
        return std::none_of(found.begin(), found.end(),
                            [k](const Ranked& r) { return r.hit.key == k; });
    });
    countUnion({byId, byValue, byText.keys, byType}, byText.more || byType.size() > searchCountCap,
               group);
    keepBest(found, shown, group);
    return group;
}

SearchGroup searchShipments(Store& store, const QString& text, const QString& folded, int shown) {
    SearchGroup group{SearchKind::Shipment, {}, 0, false, false};
    FoundKeys byText;
    if (folded.size() >= findMinimumLength)
        byText = find_text_keys(store, FindTable::Shipments, folded, searchCountCap);
    else
        group.tooShort = true;
    std::vector<int> byContact;
    const std::vector<int> contacts = namedKeys(store, QStringLiteral("Table_Contact"), folded);
    if (!contacts.empty()) {
        const QString list = key_list(contacts);
        byContact = store.selectKeys(
            QStringLiteral("SELECT ID FROM Table_Shipment WHERE ReceiverContactID IN (%1) OR "
                           "ShipperContactID IN (%1) ORDER BY ID DESC LIMIT %2")
                .arg(list)
                .arg(searchCountCap + 1),
            {});
    }
    const std::vector<int> byValue =
        exactKeys(store, QStringLiteral("Table_Shipment"),
                  {QStringLiteral("Name"), QStringLiteral("ConsignmentNote")}, text.trimmed());
    // Newest first: the highest keys of those found by text.
    std::vector<int> candidates(byText.keys.end() - static_cast<std::ptrdiff_t>(std::min<size_t>(
                                                        ranked, byText.keys.size())),
                                byText.keys.end());
    candidates.insert(candidates.end(), byValue.begin(), byValue.end());
    for (const int k : first(byContact, static_cast<size_t>(shown)))
        candidates.push_back(k);
    ascendingOnce(candidates);
    std::vector<Ranked> found;
    for (const ShipmentRow& s : readShipments(store, candidates))
        found.push_back({rankOf(folded, {s.name, s.note}), -s.id, shipmentHit(s)});
    countUnion({byValue, byText.keys, byContact}, byText.more || byContact.size() > searchCountCap,
               group);
    keepBest(found, shown, group);
    return group;
}

// A table small enough to be read whole for each search.
struct SmallTable {
    SearchKind kind;
    QString from;        // the table as x, with any joins
    QStringList fields;  // searched
    QString detailField; // shown beside the name, or empty
};

SearchGroup searchSmall(Store& store, const SmallTable& t, const QString& folded, int shown) {
    SearchGroup group{t.kind, {}, 0, false, false};
    QVariantList params;
    const QString where = heldByAny(store.engine(), t.fields, folded, params);
    QVariantList beginParams;
    QStringList begins;
    for (const QString& f : t.fields) {
        begins << dialect::findPositionTerm(store.engine(), f) + QStringLiteral(" = 1");
        beginParams << folded;
    }
    const QStringList extra =
        t.fields.mid(1) + (t.detailField.isEmpty() ? QStringList() : QStringList{t.detailField});
    // Counted in the same read: every row is folded once.
    const QString sql =
        QStringLiteral("SELECT x.ID, COUNT(*) OVER (), x.Name%1 FROM %2 WHERE %3 ORDER BY CASE "
                       "WHEN %4 THEN 0 ELSE 1 END, x.Name LIMIT %5")
            .arg(extra.isEmpty() ? QString()
                                 : QStringLiteral(", ") + extra.join(QStringLiteral(", ")),
                 t.from, where, begins.join(QStringLiteral(" OR ")))
            .arg(ranked);
    std::vector<FieldType> types{F::Long, F::Long, F::Text};
    for (qsizetype i = 0; i < extra.size(); ++i)
        types.push_back(F::Text);
    std::vector<Ranked> found;
    int order = 0;
    for (const Row& r : store.select(sql, params + beginParams, types)) {
        group.total = r[1].toInt();
        QStringList values{r[2].toString()}, details;
        for (qsizetype i = 3; i < static_cast<qsizetype>(r.size()); ++i) {
            details << r[static_cast<size_t>(i)].toString();
            if (i - 2 < t.fields.size())
                values << r[static_cast<size_t>(i)].toString();
        }
        found.push_back({rankOf(folded, values),
                         order++,
                         {t.kind, r[0].toInt(), r[2].toString(), joined(details)}});
    }
    keepBest(found, shown, group);
    return group;
}

} // namespace

const std::array<SearchKind, 5>& search_kinds() {
    static const std::array<SearchKind, 5> kinds{SearchKind::Asset, SearchKind::Shipment,
                                                 SearchKind::Equipment, SearchKind::Contact,
                                                 SearchKind::Address};
    return kinds;
}

namespace {
// Each kind's title for people and key for programs, in SearchKind's order.
const std::pair<const char*, const char*> kindNames[] = {{"Assets", "asset"},
                                                         {"Shipments", "shipment"},
                                                         {"Equipment types", "equipment"},
                                                         {"Contacts", "contact"},
                                                         {"Addresses", "address"}};
} // namespace

QString search_kind_title(SearchKind kind) {
    return QString::fromLatin1(kindNames[static_cast<size_t>(kind)].first);
}

QString search_kind_key(SearchKind kind) {
    return QString::fromLatin1(kindNames[static_cast<size_t>(kind)].second);
}

QString search_group_heading(const SearchGroup& group) {
    return QStringLiteral("%1 (%L2%3)")
        .arg(search_kind_title(group.kind))
        .arg(group.total)
        .arg(group.totalCapped ? QStringLiteral("+") : QString());
}

QString search_more_text(const SearchGroup& group) {
    const int more = group.total - static_cast<int>(group.hits.size());
    return more > 0 ? QStringLiteral("and %L1%2 more")
                          .arg(more)
                          .arg(group.totalCapped ? QStringLiteral("+") : QString())
                    : QString();
}

QString search_short_note(SearchKind kind) {
    return QStringLiteral("Type %1 characters or more to find %2")
        .arg(findMinimumLength)
        .arg(kind == SearchKind::Asset ? QStringLiteral("serial and model numbers")
                                       : QStringLiteral("shipment names and waybills"));
}

SearchGroup search_records(Store& store, SearchKind kind, const QString& text, int shown) {
    const QString folded = foldForFind(text.trimmed());
    // No stored text holds a NUL: on every store nothing is found.
    if (folded.isEmpty() || text.contains(QChar(0)))
        return {kind, {}, 0, false, false};
    switch (kind) {
    case SearchKind::Asset:
        return searchAssets(store, text, folded, shown);
    case SearchKind::Shipment:
        return searchShipments(store, text, folded, shown);
    case SearchKind::Equipment:
        return searchSmall(store,
                           {kind,
                            QStringLiteral("Table_Equipment x LEFT JOIN Table_Category c ON c.ID "
                                           "= x.CategoryID"),
                            {QStringLiteral("x.Name")},
                            QStringLiteral("c.Name")},
                           folded, shown);
    case SearchKind::Contact:
        return searchSmall(
            store,
            {kind,
             QStringLiteral("Table_Contact x"),
             {QStringLiteral("x.Name"), QStringLiteral("x.Phone"), QStringLiteral("x.Email")},
             {}},
            folded, shown);
    case SearchKind::Address:
        return searchSmall(
            store, {kind, QStringLiteral("Table_Address x"), {QStringLiteral("x.Name")}, {}},
            folded, shown);
    }
    return {kind, {}, 0, false, false};
}

std::optional<SearchHit> exact_record(Store& store, const QString& text) {
    if (const int labelled = labelled_asset(text); labelled > 0) {
        const auto rows = readAssets(store, {labelled});
        return rows.empty() ? std::nullopt : std::optional(assetHit(rows.front()));
    }
    const QString folded = foldForFind(text.trimmed());
    if (folded.size() < findMinimumLength || text.contains(QChar(0)))
        return std::nullopt;
    // The exact value by its index, then as type-to-find folds it (accents
    // aside) among the first rows holding it.
    constexpr int candidates = 1000;
    const auto keys = [&](FindTable table, const QString& name, const QString& field) {
        std::vector<int> found = exactKeys(store, name, {field}, text.trimmed());
        const std::vector<int> held = find_text_keys(store, table, folded, candidates).keys;
        found.insert(found.end(), held.begin(), held.end());
        ascendingOnce(found);
        return found;
    };
    std::vector<AssetRow> assets;
    for (const AssetRow& a :
         readAssets(store, keys(FindTable::Assets, QStringLiteral("Table_Asset"),
                                QStringLiteral("SerialNumber"))))
        if (foldForFind(a.serial) == folded)
            assets.push_back(a);
    std::vector<ShipmentRow> shipments;
    for (const ShipmentRow& s :
         readShipments(store, keys(FindTable::Shipments, QStringLiteral("Table_Shipment"),
                                   QStringLiteral("ConsignmentNote"))))
        if (foldForFind(s.note) == folded)
            shipments.push_back(s);
    if (assets.size() == 1 && shipments.empty())
        return assetHit(assets.front());
    if (shipments.size() == 1 && assets.empty())
        return shipmentHit(shipments.front());
    return std::nullopt;
}

int labelled_asset(const QString& text) {
    static const QRegularExpression label(
        QStringLiteral("^%1(\\d{1,9})$").arg(QRegularExpression::escape(labelPrefix)),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = label.match(text.trimmed());
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QString asset_label_text(int assetId) {
    return labelPrefix + QString::number(assetId);
}

} // namespace gearlog
