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

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The fold of well-formed UTF-8 made only of the table's code points, or
// false (the caller then folds through QString).
bool foldByTable(const unsigned char* text, int bytes, std::string& out) {
    const auto& points = findFoldPoints();
    out.clear();
    for (int i = 0; i < bytes;) {
        char32_t c = text[i];
        if (c < 0x80) {
            out += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
            ++i;
            continue;
        }
        // Two-byte sequences reach 0x7FF; the table ends at 0x4FF.
        if ((c & 0xE0) != 0xC0 || i + 1 >= bytes || (text[i + 1] & 0xC0) != 0x80)
            return false;
        c = ((c & 0x1F) << 6) | (text[i + 1] & 0x3F);
        i += 2;
        if (c < 0x80 || c >= points.size() || points[c] == findFoldSlow)
            return false;
        if (points[c] != findFoldDropped)
            appendUtf8(out, points[c]);
    }
    return true;
}

void findFold(sqlite3_context* context, int, sqlite3_value** args) {
    const auto* text = sqlite3_value_text(args[0]);
    if (!text) {
        sqlite3_result_null(context);
        return;
    }
    const int bytes = sqlite3_value_bytes(args[0]);
    // Every row of a list is folded on every find: plain and accented Latin,
    // Greek and Cyrillic text is folded on the bytes, through a table.
    thread_local std::string folded;
    if (!foldByTable(text, bytes, folded))
        folded = foldForFind(QString::fromUtf8(reinterpret_cast<const char*>(text), bytes))
                     .toStdString();
    sqlite3_result_text(context, folded.data(), static_cast<int>(folded.size()), SQLITE_TRANSIENT);
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
