#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace gearlog {

// Writes the file through a hidden temporary file beside it, moved over
// the target in one step once `write` has written it whole: a failure
// leaves any earlier file as it was. `write` writes the path it is given
// and returns an error text, empty when it succeeded. Returns the error.
QString write_through_temporary(const QString& path,
                                const std::function<QString(const QString&)>& write);

// Writes rows × columns cells, each `text(row, column)`, into the first
// sheet of a new .xlsx workbook at `path`: as a number where `isNumber`
// says the text is one in the C form, else as text. An error text, or empty.
QString write_workbook(const QString& path, int rows, int columns,
                       const std::function<QString(int, int)>& text,
                       const std::function<bool(int, int)>& isNumber = {});

} // namespace gearlog
