#include "SqliteConnection.h"

#include "TextFold.h"

#include <QString>
#include <sqlite3.h>
#include <string>

namespace gearlog {

namespace {

int compareNoCase(void*, int aBytes, const void* a, int bBytes, const void* b) {
    return compareFoldedUtf8(static_cast<const char*>(a), aBytes, static_cast<const char*>(b),
                             bBytes);
}

void findFold(sqlite3_context* context, int, sqlite3_value** args) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(args[0]));
    if (!text) {
        sqlite3_result_null(context);
        return;
    }
    const int bytes = sqlite3_value_bytes(args[0]);
    // Plain ASCII, by far the most common, is lowered on the bytes: the
    // whole list is folded on every find.
    thread_local std::string lowered;
    lowered.assign(text, static_cast<size_t>(bytes));
    bool ascii = true;
    for (char& c : lowered) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    }
    if (ascii) {
        sqlite3_result_text(context, lowered.data(), bytes, SQLITE_TRANSIENT);
        return;
    }
    const QByteArray folded = foldForFind(QString::fromUtf8(text, bytes)).toUtf8();
    sqlite3_result_text(context, folded.constData(), static_cast<int>(folded.size()),
                        SQLITE_TRANSIENT);
}

} // namespace

bool useFoldedNoCase(sqlite3* db) {
    return sqlite3_create_collation_v2(db, "NOCASE", SQLITE_UTF8, nullptr, &compareNoCase,
                                       nullptr) == SQLITE_OK &&
           sqlite3_create_function_v2(db, "gearlog_fold", 1,
                                      SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                                      nullptr, &findFold, nullptr, nullptr, nullptr) == SQLITE_OK;
}

void mapReads(sqlite3* db) {
    sqlite3_exec(db, "PRAGMA mmap_size=1099511627776", nullptr, nullptr, nullptr);
}

} // namespace gearlog
