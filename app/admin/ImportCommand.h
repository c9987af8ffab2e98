#pragma once

#include "ImportFields.h"
#include "ImportPlan.h"

#include <QTextStream>
#include <memory>

namespace gearlog {

class Store;

// gearlog-admin import: checks every row of the file, prints each verdict,
// and writes all the rows in one transaction only when none fails (and not
// for a dry run). 0 when imported (or it would be), 1 when any row fails or
// the file cannot be read.
struct ImportReading {
    QStringList skip; // the headings of columns left out
    CsvEncoding encoding = CsvEncoding::Detect;
};
int import_command(std::unique_ptr<Store> store, const QString& file, ImportKind kind,
                   ImportOptions options, bool dryRun, QTextStream& out, QTextStream& err,
                   const ImportReading& reading = {});

// gearlog-admin export: the table as the import reads it, as .xlsx or
// (for any other name) CSV, through a temporary file; an existing file only
// when `replace`. Throws EngineError.
void export_command(Store& store, ImportKind kind, const QString& file, bool replace);

} // namespace gearlog
