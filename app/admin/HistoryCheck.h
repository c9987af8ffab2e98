#pragma once

#include "Store.h"

#include <QStringList>

namespace gearlog {

// Rows whose values differ from what the history last recorded Gearlog's
// own commands writing (or that it recorded deleting), one text each, for
// information only: another program may have written them. Comments and
// pictures are not compared. Empty when there is no history.
QStringList historyDisagreements(Store& store);

} // namespace gearlog
