#pragma once

#include "ImportFields.h"
#include "Sheet.h"
#include "Store.h"

namespace gearlog {

// A whole table as the import reads it back: the headings of its fields,
// one row a record in key order, names for the records it refers to,
// rich text as plain text, dates as dd-mmm-yyyy, colours as #RRGGBB, and
// numbers in the C form marked as numbers. Engine failures throw.
SheetTable export_table(Store& store, ImportKind kind);

} // namespace gearlog
