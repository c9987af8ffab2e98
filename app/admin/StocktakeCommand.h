#pragma once

#include <QStringList>
#include <QTextStream>

namespace gearlog {

// stocktake: a file of scanned codes classed against one office's stock,
// and (--apply) the records put right as the Stocktake view does.
bool isStocktakeCommand(const QString& command);
// Exit 0 when every expected asset was found and nothing else was scanned,
// 1 otherwise, 2 for a bad command line or names (UsageError for the
// former), 3 when the database cannot be read or written.
int runStocktakeCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace gearlog
