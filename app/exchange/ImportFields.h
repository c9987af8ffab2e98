#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace gearlog {

// What a file imported holds: one table's records.
enum class ImportKind { Assets, Equipment, Contacts, Addresses, Categories, Statuses };

struct ImportKindInfo {
    ImportKind kind;
    QString option;  // on the command line: "assets"
    QString caption; // in the window: "Assets"
    QString table;   // Table_asset
    QString record;  // in verdicts: "asset"
};
const std::vector<ImportKindInfo>& import_kinds();
const ImportKindInfo& import_kind(ImportKind kind);
std::optional<ImportKind> import_kind_named(const QString& option);

// How a cell's text becomes a field's value.
enum class ValueKind {
    Key,        // the record's ID: whole number, for updates
    Text,       // up to `size` characters
    RichText,   // plain text (or RTF) stored as rich text
    Date,       // dd-mmm-yyyy, ISO or the locale's short form
    Money,      // the locale's form or the C form
    Measure,    // a positive number; empty stores 0
    Colour,     // #RRGGBB or the stored number
    Category,   // by name
    Equipment,  // an equipment type by name (with Category beside it when names repeat)
    Status,     // by name; empty: the first status
    Location,   // an address by name; empty: none (-1)
    Photograph, // by name; empty: none (-1)
    Reference,  // the ID of the record the name column beside it names; used when given
};

// One field a file's column can fill.
struct ImportField {
    QString field{};       // the table's field; empty for Category beside an asset's type
    QString heading{};     // as exported ("Serial No")
    QStringList aliases{}; // other headings that name it ("SerialNumber", "Serial #")
    ValueKind kind = ValueKind::Text;
    int size = 0;      // Text: the most characters
    QString blank{};   // required: the message for an empty cell
    QString invalid{}; // the message for a value that cannot be read
    QString refused{}; // Measure: 0 or less; Colour: black or white
    QString tooLong{}; // Text: the message for too many characters
};
const std::vector<ImportField>& import_fields(ImportKind kind);
// True for a field that names another table's record by its name.
bool names_reference(const ImportField& field);
// The index of the field that fills the table's `field`, or -1.
int field_index(ImportKind kind, const QString& field);

// For each heading the field it names (an index into import_fields), or -1
// when it names none; case, spaces and punctuation do not matter. A field
// is matched by its first heading only.
std::vector<int> match_columns(ImportKind kind, const QStringList& headings);

} // namespace gearlog
