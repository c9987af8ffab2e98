#include "SqliteConnection.h"

#include "TextFold.h"

#include <sqlite3.h>

namespace gearlog {

namespace {

int compareNoCase(void*, int aBytes, const void* a, int bBytes, const void* b) {
    return compareFoldedUtf8(static_cast<const char*>(a), aBytes, static_cast<const char*>(b),
                             bBytes);
}

} // namespace

bool useFoldedNoCase(sqlite3* db) {
    return sqlite3_create_collation_v2(db, "NOCASE", SQLITE_UTF8, nullptr, &compareNoCase,
                                       nullptr) == SQLITE_OK;
}

void mapReads(sqlite3* db) {
    sqlite3_exec(db, "PRAGMA mmap_size=1099511627776", nullptr, nullptr, nullptr);
}

} // namespace gearlog
