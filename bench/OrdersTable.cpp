#include "OrdersTable.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>

namespace bench {

namespace {

void Check(int rc, sqlite3* db, const char* what)
{
    if (rc == SQLITE_OK || rc == SQLITE_DONE || rc == SQLITE_ROW) return;
    std::fprintf(stderr, "building the orders table: %s: %s\n", what, db != nullptr ? sqlite3_errmsg(db) : "?");
    std::exit(1);
}

}  // namespace

void BuildOrdersTable(const std::string& path, long long rows)
{
    sqlite3* db = nullptr;
    Check(sqlite3_open(path.c_str(), &db), db, "open");
    Check(sqlite3_exec(db,
                       "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;"
                       "CREATE TABLE orders (order_id INTEGER PRIMARY KEY, customer_id INTEGER, status VARCHAR(12),"
                       " order_date DATE, amount NUMERIC(10,2), note VARCHAR(40));"
                       "BEGIN;",
                       nullptr, nullptr, nullptr),
          db, "create");
    sqlite3_stmt* insert = nullptr;
    Check(sqlite3_prepare_v2(db, "INSERT INTO orders VALUES (?, ?, ?, ?, ?, ?)", -1, &insert, nullptr), db, "prepare");
    const char* statuses[] = {"Open", "Shipped", "Paid", "Cancelled"};
    char date[16], note[48];
    for (long long i = 1; i <= rows; ++i) {
        std::snprintf(date, sizeof date, "20%02lld-%02lld-%02lld", 10 + (i % 15), 1 + (i % 12), 1 + (i % 28));
        std::snprintf(note, sizeof note, "deliver to door %lld", (i * 7919) % 1000);
        sqlite3_bind_int64(insert, 1, i);
        sqlite3_bind_int64(insert, 2, 1 + (i * 31) % 5000);
        sqlite3_bind_text(insert, 3, statuses[i % 4], -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 4, date, -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(insert, 5, static_cast<double>((i * 37) % 100000) / 100.0);
        if (i % 3 == 0)
            sqlite3_bind_null(insert, 6);
        else
            sqlite3_bind_text(insert, 6, note, -1, SQLITE_TRANSIENT);
        Check(sqlite3_step(insert), db, "insert");
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    Check(sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr), db, "commit");
    sqlite3_close(db);
}

}  // namespace bench
