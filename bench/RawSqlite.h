#pragma once

// The reference the program's reads are measured against: a query read
// whole through SQLite's C interface, every column of every row looked at.
#include <QString>
#include <benchmark/benchmark.h>
#include <chrono>
#include <sqlite3.h>

namespace gearlog::bench {

// Seconds to run the query and read every value of its rows.
inline double rawSqliteSeconds(const QString& path, const char* sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    const auto start = std::chrono::steady_clock::now();
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    qint64 sum = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        const int columns = sqlite3_column_count(stmt);
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(stmt, c)) {
            case SQLITE_INTEGER:
                sum += sqlite3_column_int(stmt, c);
                break;
            case SQLITE_FLOAT:
                sum += static_cast<qint64>(sqlite3_column_double(stmt, c));
                break;
            case SQLITE_TEXT:
                sum += sqlite3_column_bytes(stmt, c);
                benchmark::DoNotOptimize(sqlite3_column_text(stmt, c));
                break;
            default:
                break;
            }
        }
    }
    sqlite3_finalize(stmt);
    benchmark::DoNotOptimize(sum);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    sqlite3_close(db);
    return seconds;
}

} // namespace gearlog::bench
