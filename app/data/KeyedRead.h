#pragma once

#include "Store.h"

#include <QString>
#include <functional>
#include <span>
#include <vector>

namespace gearlog {

// The keys as "1,2,3", for a statement's "ID IN (...)": numbers only, so
// safe to write into the statement.
QString key_list(std::span<const int> keys);

// The rows of `sql` (ending "... IN", its first column the key) for the
// keys, in the keys' order, each passed to `take`; a key another desk
// deleted meanwhile drops out. Read a thousand keys a statement, each
// statement ended by `lockClause` (a row lock the rows are held with).
void read_in_key_order(Store& store, const QString& sql, const std::vector<int>& keys,
                       const std::vector<FieldType>& types,
                       const std::function<void(const Row&)>& take, const QString& lockClause = {});

} // namespace gearlog
