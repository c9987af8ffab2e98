#include "ImportFields.h"

namespace gearlog {

namespace {

using V = ValueKind;

QString tooLong(const QString& what, int size) {
    return QStringLiteral("The %1 is too long (at most %2 characters)").arg(what).arg(size);
}

ImportField key() {
    return {.field = QStringLiteral("ID"),
            .heading = QStringLiteral("ID"),
            .kind = V::Key,
            .invalid = QStringLiteral("The ID is not a whole number above 0")};
}

ImportField text(const char* field, const char* heading, QStringList aliases, int size,
                 QString blank, QString tooLongText) {
    return {.field = QString::fromLatin1(field),
            .heading = QString::fromLatin1(heading),
            .aliases = std::move(aliases),
            .kind = V::Text,
            .size = size,
            .blank = std::move(blank),
            .tooLong = std::move(tooLongText)};
}

ImportField plain(const char* field, const char* heading, QStringList aliases, ValueKind kind,
                  QString blank = {}) {
    return {.field = QString::fromLatin1(field),
            .heading = QString::fromLatin1(heading),
            .aliases = std::move(aliases),
            .kind = kind,
            .blank = std::move(blank)};
}

// The key of the record the column before names, beside it in exports so
// that a name several records share never has to be guessed.
ImportField referenceKey(const char* field, const char* heading) {
    return {.field = QString::fromLatin1(field),
            .heading = QString::fromLatin1(heading),
            .kind = V::Reference,
            .invalid = QStringLiteral("The %1 is not a whole number above 0")
                           .arg(QString::fromLatin1(heading))};
}

ImportField colour(const QString& refusal) {
    return {.field = QStringLiteral("ColourCode"),
            .heading = QStringLiteral("Colour Code"),
            .aliases = {QStringLiteral("Colour"), QStringLiteral("Color"),
                        QStringLiteral("Color Code")},
            .kind = V::Colour,
            .invalid = QStringLiteral("The colour code is not valid (write it as #RRGGBB)"),
            .refused = refusal};
}

// Dates and amounts of an asset: "The asset <what> is not valid".
ImportField assetValue(const char* field, const char* heading, QStringList aliases, ValueKind kind,
                       const char* what) {
    return {.field = QString::fromLatin1(field),
            .heading = QString::fromLatin1(heading),
            .aliases = std::move(aliases),
            .kind = kind,
            .invalid = QStringLiteral("The asset %1 is not valid").arg(QLatin1String(what))};
}

// In the order the asset form checks its boxes.
std::vector<ImportField> assetFields() {
    return {
        key(),
        text("ModelNumber", "Model", {QStringLiteral("Model #"), QStringLiteral("Model Number")},
             50, QStringLiteral("The model number cannot be blank"),
             tooLong(QStringLiteral("model number"), 50)),
        text(
            "SerialNumber", "Serial No",
            {QStringLiteral("Serial #"), QStringLiteral("Serial Number"), QStringLiteral("Serial")},
            50, {}, tooLong(QStringLiteral("serial number"), 50)),
        assetValue("DateAcquired", "Date Acquired", {QStringLiteral("Acquired")}, V::Date,
                   "acquisition date"),
        assetValue("DateDisposed", "Date Disposed", {QStringLiteral("Disposed")}, V::Date,
                   "disposal date"),
        assetValue("PurchasePrice", "Purchase Price", {QStringLiteral("Original Cost")}, V::Money,
                   "purchase price"),
        assetValue("ReplacementCost", "Replacement Value",
                   {QStringLiteral("Replacement"), QStringLiteral("Replacement Cost")}, V::Money,
                   "replacement cost"),
        assetValue("Valuation", "Customs Value", {}, V::Money, "valuation"),
        assetValue("NextSchedMaint", "Maintenance", {QStringLiteral("Next Scheduled Maintenance")},
                   V::Date, "maintenance date"),
        plain("StatusID", "Status", {}, V::Status),
        referenceKey("StatusID", "Status ID"),
        // Beside the type, to tell apart types of one name.
        plain("", "Category", {QStringLiteral("CategoryID")}, V::Category),
        plain("EquipmentID", "Equipment", {QStringLiteral("Equipment Type")}, V::Equipment,
              QStringLiteral("The asset equipment type has not been specified")),
        referenceKey("EquipmentID", "Equipment ID"),
        plain("AccountID", "Accounts Office",
              {QStringLiteral("Accounts"), QStringLiteral("Office")}, V::Location),
        referenceKey("AccountID", "Accounts Office ID"),
        plain("Comments", "Comments", {}, V::RichText),
    };
}

ImportField measure(const char* field, const char* what) {
    return {.field = QString::fromLatin1(field),
            .heading = QString::fromLatin1(field),
            .kind = V::Measure,
            .invalid = QStringLiteral("The equipment %1 is invalid").arg(QLatin1String(what)),
            .refused =
                QStringLiteral("The equipment %1 must be positive").arg(QLatin1String(what))};
}

std::vector<ImportField> equipmentFields() {
    return {
        key(),
        text("Name", "Name", {QStringLiteral("Equipment")}, 255,
             QStringLiteral("The equipment name cannot be blank"),
             QStringLiteral("The equipment name is too long")),
        plain("CategoryID", "Category", {}, V::Category,
              QStringLiteral("The equipment category has not been specified")),
        referenceKey("CategoryID", "Category ID"),
        plain("PhotographID", "Photograph", {QStringLiteral("Photo")}, V::Photograph),
        referenceKey("PhotographID", "Photograph ID"),
        measure("Weight", "weight"),
        measure("Height", "height"),
        measure("Width", "width"),
        measure("Depth", "depth"),
        plain("Comments", "Comments", {}, V::RichText),
    };
}

ImportField name(QStringList aliases) {
    return text("Name", "Name", std::move(aliases), 255,
                QStringLiteral("The name field cannot be blank"),
                tooLong(QStringLiteral("name"), 255));
}

std::vector<ImportField> contactFields() {
    return {
        key(),
        name({QStringLiteral("Contact")}),
        text("Phone", "Phone Number", {QStringLiteral("Phone")}, 50, {},
             tooLong(QStringLiteral("phone number"), 50)),
        text("Email", "Email", {QStringLiteral("E-mail")}, 255, {},
             tooLong(QStringLiteral("email address"), 255)),
        plain("AddressID", "Location", {QStringLiteral("Address")}, V::Location),
        referenceKey("AddressID", "Location ID"),
        colour(QStringLiteral("You cannot use white or black as a contact colour")),
    };
}

std::vector<ImportField> addressFields() {
    return {
        key(),
        name({QStringLiteral("Location")}),
        plain("Address", "Address", {}, V::RichText),
        colour(QStringLiteral("You cannot use white or black as an address colour")),
    };
}

std::vector<ImportField> listFields() {
    return {key(), text("Name", "Name", {QStringLiteral("Category"), QStringLiteral("Status")}, 255,
                        QStringLiteral("The category name cannot be blank"),
                        QStringLiteral("The category name is too long"))};
}

// Headings compare by their letters and digits alone: "Serial No",
// "serial_no" and "SERIAL NO." are one heading; "Model #" keeps its "#".
QString headingKey(const QString& heading) {
    QString key;
    for (const QChar c : heading)
        if (c.isLetterOrNumber() || c == QLatin1Char('#'))
            key += c.toCaseFolded();
    return key;
}

} // namespace

const std::vector<ImportKindInfo>& import_kinds() {
    static const std::vector<ImportKindInfo> kinds{
        {ImportKind::Assets, QStringLiteral("assets"), QStringLiteral("Assets"),
         QStringLiteral("Table_asset"), QStringLiteral("asset")},
        {ImportKind::Equipment, QStringLiteral("equipment"), QStringLiteral("Equipment types"),
         QStringLiteral("Table_equipment"), QStringLiteral("equipment type")},
        {ImportKind::Contacts, QStringLiteral("contacts"), QStringLiteral("Contacts"),
         QStringLiteral("Table_contact"), QStringLiteral("contact")},
        {ImportKind::Addresses, QStringLiteral("addresses"), QStringLiteral("Locations"),
         QStringLiteral("Table_address"), QStringLiteral("location")},
        {ImportKind::Categories, QStringLiteral("categories"), QStringLiteral("Categories"),
         QStringLiteral("Table_category"), QStringLiteral("category")},
        {ImportKind::Statuses, QStringLiteral("statuses"), QStringLiteral("Statuses"),
         QStringLiteral("Table_status"), QStringLiteral("status")},
    };
    return kinds;
}

const ImportKindInfo& import_kind(ImportKind kind) {
    return import_kinds()[static_cast<size_t>(kind)];
}

std::optional<ImportKind> import_kind_named(const QString& option) {
    for (const ImportKindInfo& info : import_kinds())
        if (info.option.compare(option, Qt::CaseInsensitive) == 0)
            return info.kind;
    return std::nullopt;
}

const std::vector<ImportField>& import_fields(ImportKind kind) {
    static const std::vector<ImportField> fields[] = {assetFields(),   equipmentFields(),
                                                      contactFields(), addressFields(),
                                                      listFields(),    listFields()};
    return fields[static_cast<size_t>(kind)];
}

bool names_reference(const ImportField& field) {
    switch (field.kind) {
    case V::Category:
    case V::Equipment:
    case V::Status:
    case V::Location:
    case V::Photograph:
        return true;
    default:
        return false;
    }
}

int field_index(ImportKind kind, const QString& field) {
    const std::vector<ImportField>& fields = import_fields(kind);
    for (size_t f = 0; f < fields.size(); ++f)
        if (fields[f].field == field)
            return static_cast<int>(f);
    return -1;
}

std::vector<int> match_columns(ImportKind kind, const QStringList& headings) {
    const std::vector<ImportField>& fields = import_fields(kind);
    std::vector<int> matched(static_cast<size_t>(headings.size()), -1);
    std::vector<bool> taken(fields.size(), false);
    for (qsizetype c = 0; c < headings.size(); ++c) {
        const QString key = headingKey(headings[c]);
        for (size_t f = 0; f < fields.size() && !key.isEmpty(); ++f) {
            // A reference's field name ("AddressID") is its key's column.
            const bool byFieldName = !fields[f].field.isEmpty() && !names_reference(fields[f]);
            bool named = headingKey(fields[f].heading) == key ||
                         (byFieldName && headingKey(fields[f].field) == key);
            for (const QString& alias : fields[f].aliases)
                named = named || headingKey(alias) == key;
            if (named && !taken[f]) {
                matched[static_cast<size_t>(c)] = static_cast<int>(f);
                taken[f] = true;
                break;
            }
        }
    }
    return matched;
}

} // namespace gearlog
