#include "Schema.h"

#include "FeatureTables.h"
#include "StoreValues.h"

#include "EngineError.h"

#include <QDateTime>
#include <QRegularExpression>
#include <array>
#include <cmath>

namespace gearlog {

namespace {

using F = FieldType;

FieldDef key() {
    return {QStringLiteral("ID"), F::Long, 0, true, false};
}
FieldDef longField(const char* name, bool required = false) {
    return {QString::fromLatin1(name), F::Long, 0, required, false};
}
FieldDef text(const char* name, int size, bool required, bool zeroLength) {
    return {QString::fromLatin1(name), F::Text, size, required, zeroLength};
}
FieldDef name255() {
    return text("Name", 255, true, false);
}
FieldDef typed(const char* name, FieldType type) {
    const bool zeroLength = type == F::Memo;
    return {QString::fromLatin1(name), type, 0, false, zeroLength};
}
std::vector<IndexDef> indexes(std::initializer_list<const char*> names) {
    std::vector<IndexDef> result{{QStringLiteral("ID"), true}};
    for (const char* n : names)
        result.push_back({QString::fromLatin1(n), false});
    return result;
}

std::vector<TableDef> buildTables() {
    return {
        {QStringLiteral("Table_address"),
         {key(), name255(), longField("ColourCode"), typed("Address", F::Memo)},
         indexes({"Name"})},
        {QStringLiteral("Table_asset"),
         {key(), longField("EquipmentID"), longField("StatusID"), longField("ShipmentID"),
          longField("AccountID"), text("ModelNumber", 50, true, false),
          text("SerialNumber", 50, false, true), typed("DateAcquired", F::Date),
          typed("DateDisposed", F::Date), typed("PurchasePrice", F::Double),
          typed("ReplacementCost", F::Double), typed("Valuation", F::Double),
          typed("NextSchedMaint", F::Date), typed("Comments", F::Memo)},
         indexes({"EquipmentID", "StatusID", "ShipmentID", "AccountID"})},
        {QStringLiteral("Table_category"), {key(), name255()}, indexes({"Name"})},
        {QStringLiteral("Table_contact"),
         {key(), name255(), text("Phone", 50, false, true), text("Email", 255, false, true),
          longField("AddressID"), longField("ColourCode")},
         indexes({"Name"})},
        {QStringLiteral("Table_equipment"),
         {key(), name255(), longField("CategoryID", true), longField("PhotographID"),
          typed("Weight", F::Single), typed("Height", F::Single), typed("Width", F::Single),
          typed("Depth", F::Single), typed("Comments", F::Memo)},
         indexes({"Name", "CategoryID"})},
        {QStringLiteral("Table_photo"),
         {key(), name255(), typed("Photo", F::LongBinary)},
         indexes({"Name"})},
        {QStringLiteral("Table_shipment"),
         {key(), name255(), longField("ReceiverContactID"), longField("ReceiverAddressID"),
          longField("ShipperContactID"), longField("ShipperAddressID"),
          typed("ShipmentDate", F::Date), typed("ExpectedReturnDate", F::Date),
          text("ConsignmentNote", 255, false, true), longField("ShippingMethod"),
          typed("ArrivalConfirmed", F::Boolean), typed("Cost", F::Double), longField("Purpose"),
          typed("Comments", F::Memo)},
         indexes({"Name", "ReceiverContactID", "ReceiverAddressID", "ShipperContactID",
                  "ShipperAddressID"})},
        {QStringLiteral("Table_shippinglist"),
         {key(), longField("ShipmentID", true), longField("AssetID", true),
          typed("IsCompleted", F::Boolean), typed("CompletionDate", F::Date),
          longField("TransferID")},
         indexes({"ShipmentID", "AssetID"})},
        {QStringLiteral("Table_status"), {key(), name255()}, indexes({"Name"})},
    };
}

std::vector<SeedRow> buildSeedRows() {
    std::vector<SeedRow> rows;
    const char* statuses[] = {"Operational", "Maintenance", "Repairs",       "Damaged", "Lost",
                              "Destroyed",   "Stolen",      "Unserviceable", "Disposed"};
    const char* categories[] = {"Rx", "Tx", "Cables", "Radio", "Ancillary", "TEM Transmitter"};
    int id = 0;
    for (const char* s : statuses)
        rows.push_back({QStringLiteral("Table_status"), ++id, QString::fromLatin1(s)});
    id = 0;
    for (const char* c : categories)
        rows.push_back({QStringLiteral("Table_category"), ++id, QString::fromLatin1(c)});
    return rows;
}

QVariant toLong(const QVariant& value, const QString& fieldName) {
    bool ok = false;
    const double d = value.toDouble(&ok);
    if (!ok || d < -2147483648.0 || d > 2147483647.0)
        throw EngineError(
            QStringLiteral("Data type mismatch: field '%1' needs a whole number").arg(fieldName));
    // Whole numbers round half to even, as the store's integer conversion does.
    return QVariant(static_cast<int>(std::nearbyint(d)));
}

} // namespace

const std::vector<TableDef>& schemaTables() {
    static const std::vector<TableDef> tables = buildTables();
    return tables;
}

const TableDef* findTable(const QString& name) {
    for (const TableDef& t : schemaTables())
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    return findFeatureTable(name);
}

const FieldDef* findField(const TableDef& table, const QString& name) {
    for (const FieldDef& f : table.fields)
        if (f.name.compare(name, Qt::CaseInsensitive) == 0)
            return &f;
    return nullptr;
}

const std::vector<ReferenceDef>& schemaReferences() {
    static const std::vector<ReferenceDef> references = [] {
        // An asset always has an equipment type, a type its category, a
        // line its shipment and asset; the others may name none.
        const std::vector<std::array<const char*, 3>> required = {
            {"Table_asset", "EquipmentID", "Table_equipment"},
            {"Table_equipment", "CategoryID", "Table_category"},
            {"Table_shippinglist", "ShipmentID", "Table_shipment"},
            {"Table_shippinglist", "AssetID", "Table_asset"},
        };
        const std::vector<std::array<const char*, 3>> optional = {
            {"Table_asset", "StatusID", "Table_status"},
            {"Table_asset", "ShipmentID", "Table_shipment"},
            {"Table_asset", "AccountID", "Table_address"},
            {"Table_contact", "AddressID", "Table_address"},
            {"Table_equipment", "PhotographID", "Table_photo"},
            {"Table_shipment", "ReceiverContactID", "Table_contact"},
            {"Table_shipment", "ReceiverAddressID", "Table_address"},
            {"Table_shipment", "ShipperContactID", "Table_contact"},
            {"Table_shipment", "ShipperAddressID", "Table_address"},
            {"Table_shippinglist", "TransferID", "Table_shipment"},
        };
        std::vector<ReferenceDef> all;
        for (const auto* list : {&required, &optional})
            for (const auto& p : *list)
                all.push_back({QString::fromLatin1(p[0]), QString::fromLatin1(p[1]),
                               QString::fromLatin1(p[2]), list == &required});
        return all;
    }();
    return references;
}

const ReferenceDef* findReference(const TableDef& table, const QString& field) {
    for (const ReferenceDef& r : schemaReferences())
        if (r.table == table.name && r.field.compare(field, Qt::CaseInsensitive) == 0)
            return &r;
    return findFeatureReference(table.name, field);
}

const TableDef* referencedTable(const TableDef& table, const QString& field) {
    const ReferenceDef* reference = findReference(table, field);
    return reference ? findTable(reference->target) : nullptr;
}

const std::vector<SeedRow>& seedRows() {
    static const std::vector<SeedRow> rows = buildSeedRows();
    return rows;
}

QDateTime parseDateLiteral(const QString& text, bool* ok) {
    static const QRegularExpression iso(QStringLiteral(
        R"(^\s*(\d{4})-(\d{1,2})-(\d{1,2})(?:[ T](\d{1,2}):(\d{2})(?::(\d{2})(?:\.(\d{1,3}))?)?)?\s*$)"));
    static const QRegularExpression us(QStringLiteral(
        R"(^\s*(\d{1,2})/(\d{1,2})/(\d{4})(?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?)?\s*$)"));
    QDate date;
    QTime time(0, 0);
    auto setTime = [&](const QRegularExpressionMatch& m, int first) {
        if (m.captured(first).isEmpty())
            return;
        const int ms = m.captured(first + 3).isEmpty()
                           ? 0
                           : m.captured(first + 3).leftJustified(3, QLatin1Char('0')).toInt();
        time = QTime(m.captured(first).toInt(), m.captured(first + 1).toInt(),
                     m.captured(first + 2).toInt(), ms);
    };
    if (auto m = iso.match(text); m.hasMatch()) {
        date = QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        setTime(m, 4);
    } else if (auto u = us.match(text); u.hasMatch()) {
        date = QDate(u.captured(3).toInt(), u.captured(1).toInt(), u.captured(2).toInt());
        if (!u.captured(4).isEmpty())
            time = QTime(u.captured(4).toInt(), u.captured(5).toInt(), u.captured(6).toInt());
    }
    *ok = date.isValid() && time.isValid();
    return *ok ? QDateTime(date, time, Qt::UTC) : QDateTime();
}

QVariant coerceValue(const QVariant& value, FieldType type, const QString& fieldName) {
    if (!value.isValid() || value.isNull())
        return {};
    switch (type) {
    case FieldType::Long:
        return toLong(value, fieldName);
    case FieldType::Single:
    case FieldType::Double: {
        bool ok = false;
        const double d = value.toDouble(&ok);
        if (!ok)
            throw EngineError(
                QStringLiteral("Data type mismatch: field '%1' needs a number").arg(fieldName));
        return type == FieldType::Single ? QVariant(static_cast<float>(d)) : QVariant(d);
    }
    case FieldType::Boolean:
        if (value.typeId() == QMetaType::QString) {
            const QString s = value.toString().trimmed().toLower();
            if (s == QLatin1String("yes") || s == QLatin1String("true"))
                return QVariant(true);
            if (s == QLatin1String("no") || s == QLatin1String("false"))
                return QVariant(false);
        }
        return QVariant(value.toDouble() != 0.0 || value.toBool());
    case FieldType::Date: {
        if (value.typeId() == QMetaType::QDateTime) {
            const QDateTime dt = value.toDateTime();
            return QVariant(QDateTime(dt.date(), dt.time(), Qt::UTC));
        }
        if (value.typeId() == QMetaType::QDate)
            return QVariant(QDateTime(value.toDate(), QTime(0, 0), Qt::UTC));
        bool ok = false;
        const QDateTime dt = parseDateLiteral(value.toString(), &ok);
        if (!ok)
            throw EngineError(
                QStringLiteral("Data type mismatch: field '%1' needs a date").arg(fieldName));
        return QVariant(dt);
    }
    case FieldType::Text:
    case FieldType::Memo: {
        QString s = value.toString();
        if (s.isNull())
            s = QLatin1String(""); // keep an empty string distinct from Null
        requireStorableText(s, QStringLiteral("field '%1'").arg(fieldName));
        return QVariant(s);
    }
    case FieldType::LongBinary:
        return QVariant(value.toByteArray());
    case FieldType::Unknown:
        return value;
    }
    return value;
}

} // namespace gearlog
