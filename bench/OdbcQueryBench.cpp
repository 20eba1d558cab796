// Walking a 1,000,000-row SQLite table through the ODBC query data set (forward-only with its
// local row store, and the default cursor type, which the SQLite driver opens as static),
// beside two bare ODBC loops on the same connection kind (SQLFetch, then SQLGetData of every
// value as text; bound columns fetched in blocks of rows).
//
//   bench_odbc_query [rows] [rounds]   builds the table in a temporary folder, then runs the
//                                      readers alternately, each in a fresh process of its
//                                      own: one warm-up round, then `rounds` (default 5, at
//                                      least 3)
//
// The query reads every field of every row as text (AsString). Printed per reader: the
// median and spread of rows per second and the median peak memory; the time from opening the
// real statement to its first row in hand; then each query reader's rate over the bare
// loops' (medians of the per-round ratios). Goals: at least 1.0 against the per-value loop,
// at least 0.8 against the bound-block loop.

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

#include "BenchSupport.h"
#include "odbc/Database.h"
#include "odbc/OdbcApi.h"
#include "odbc/Query.h"
#include "platform/db/Fields.h"

namespace {

using bench::Median;
using Clock = std::chrono::steady_clock;
constexpr const char* kSelect = "SELECT id, name, price, created, note FROM big ORDER BY id";

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "bench_odbc_query: %s\n", what.c_str());
    std::exit(1);
}

void Check(int rc, sqlite3* db, const char* what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        Fail(std::string(what) + ": " + (db != nullptr ? sqlite3_errmsg(db) : "?"));
}

// An id, a name, a price, a timestamp and a note, as a shop's order lines might be.
void BuildTable(const std::string& path, long long rows)
{
    sqlite3* db = nullptr;
    Check(sqlite3_open(path.c_str(), &db), db, "open");
    Check(sqlite3_exec(db,
                       "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;"
                       "CREATE TABLE big (id INTEGER PRIMARY KEY, name VARCHAR(40), price NUMERIC(10,2),"
                       " created TIMESTAMP, note TEXT); BEGIN;",
                       nullptr, nullptr, nullptr),
          db, "create");
    sqlite3_stmt* insert = nullptr;
    Check(sqlite3_prepare_v2(db, "INSERT INTO big VALUES (?, ?, ?, ?, ?)", -1, &insert, nullptr), db, "prepare");
    char name[64], created[32], note[64];
    for (long long i = 1; i <= rows; ++i) {
        std::snprintf(name, sizeof name, "Customer %lld Müller", i);
        std::snprintf(created, sizeof created, "2024-%02lld-%02lld %02lld:%02lld:%02lld.%03lld", i % 12 + 1, i % 28 + 1,
                      i % 24, i % 60, (i / 60) % 60, i % 1000);
        std::snprintf(note, sizeof note, "note %lld", i * 7);
        sqlite3_bind_int64(insert, 1, i);
        sqlite3_bind_text(insert, 2, name, -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(insert, 3, static_cast<double>((i * 37) % 100000) / 100.0);
        sqlite3_bind_text(insert, 4, created, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 5, note, -1, SQLITE_TRANSIENT);
        Check(sqlite3_step(insert), db, "insert");
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    Check(sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr), db, "commit");
    sqlite3_close(db);
}

void UseTable(odbc::TdbDataBase& database, const std::string& path)
{
    database.Params()->Add("DRIVER=SQLite3");
    database.Params()->Add("Database=" + path);
}

struct ChildResult {
    long long rows = 0;
    double seconds = 0;
};

ChildResult ReadBare(const std::string& path)
{
    odbc::TdbDataBase database(nullptr);
    UseTable(database, path);
    database.Connect();
    const odbc::TOdbcApi& api = odbc::Odbc();
    const auto start = Clock::now();
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    if (api.SQLAllocHandle(SQL_HANDLE_STMT, database.Handle(), &stmt) != SQL_SUCCESS) Fail("statement");
    std::string sql = kSelect;
    if (!SQL_SUCCEEDED(api.SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS))) Fail("execute");
    SQLSMALLINT columns = 0;
    api.SQLNumResultCols(stmt, &columns);
    ChildResult r;
    std::size_t bytes = 0;
    char buffer[512];
    while (api.SQLFetch(stmt) == SQL_SUCCESS) {
        for (SQLSMALLINT c = 1; c <= columns; ++c) {
            SQLLEN indicator = 0;
            api.SQLGetData(stmt, static_cast<SQLUSMALLINT>(c), SQL_C_CHAR, buffer, sizeof buffer, &indicator);
            if (indicator > 0) bytes += static_cast<std::size_t>(indicator);
        }
        ++r.rows;
    }
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    api.SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    if (bytes == 0) r.rows = 0;
    return r;
}

// Every column bound as text (room enough for this table's values), 1,024 rows per fetch.
ChildResult ReadBareBlocks(const std::string& path)
{
    constexpr SQLULEN kRows = 1024;
    constexpr SQLLEN kWidth = 128;
    odbc::TdbDataBase database(nullptr);
    UseTable(database, path);
    database.Connect();
    const odbc::TOdbcApi& api = odbc::Odbc();
    const auto start = Clock::now();
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    if (api.SQLAllocHandle(SQL_HANDLE_STMT, database.Handle(), &stmt) != SQL_SUCCESS) Fail("statement");
    SQLULEN fetched = 0;
    api.SQLSetStmtAttr(stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(kRows), 0);
    api.SQLSetStmtAttr(stmt, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
    std::string sql = kSelect;
    if (!SQL_SUCCEEDED(api.SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS))) Fail("execute");
    SQLSMALLINT columns = 0;
    api.SQLNumResultCols(stmt, &columns);
    const auto n = static_cast<std::size_t>(columns);
    std::vector<std::vector<char>> data(n, std::vector<char>(kRows * kWidth));
    std::vector<std::vector<SQLLEN>> indicators(n, std::vector<SQLLEN>(kRows));
    for (std::size_t c = 0; c < n; ++c)
        if (!SQL_SUCCEEDED(api.SQLBindCol(stmt, static_cast<SQLUSMALLINT>(c + 1), SQL_C_CHAR, data[c].data(), kWidth,
                                          indicators[c].data())))
            Fail("bind");
    ChildResult r;
    std::size_t bytes = 0;
    while (SQL_SUCCEEDED(api.SQLFetch(stmt))) {
        for (SQLULEN row = 0; row < fetched; ++row)
            for (std::size_t c = 0; c < n; ++c)
                if (indicators[c][row] > 0) bytes += static_cast<std::size_t>(indicators[c][row]);
        r.rows += static_cast<long long>(fetched);
    }
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    api.SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    if (bytes == 0) r.rows = 0;
    return r;
}

// The real statement's first row: from opening the query to the first record's values in hand.
ChildResult ReadFirstRow(const std::string& path)
{
    odbc::TdbDataBase database(nullptr);
    UseTable(database, path);
    database.Connect();
    const auto start = Clock::now();
    odbc::TdbCustomQuery query(nullptr);
    query.SetDatabase(&database);
    query.SetCursorType(0);
    query.SQL()->Add(kSelect);
    query.Open();
    std::size_t bytes = 0;
    for (int i = 0; i < query.FieldCount(); ++i) bytes += query.Fields()[i]->AsString().size();
    ChildResult r;
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    r.rows = bytes > 0 ? 1 : 0;
    return r;
}

ChildResult ReadQuery(const std::string& path, int cursorType)
{
    odbc::TdbDataBase database(nullptr);
    UseTable(database, path);
    database.Connect();
    const auto start = Clock::now();
    odbc::TdbCustomQuery query(nullptr);
    query.SetDatabase(&database);
    query.SetCursorType(cursorType);
    query.SQL()->Add(kSelect);
    query.Open();
    ChildResult r;
    std::size_t bytes = 0;
    std::vector<db::TField*> fields;
    for (int i = 0; i < query.FieldCount(); ++i) fields.push_back(query.Fields()[i]);
    for (; !query.Eof(); query.Next()) {
        for (db::TField* f : fields) bytes += f->AsString().size();
        ++r.rows;
    }
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (bytes == 0) r.rows = 0;
    return r;
}

int RunChild(const std::string& mode, const std::string& path)
{
    ChildResult r;
    try {
        if (mode == "bare")
            r = ReadBare(path);
        else if (mode == "forward")
            r = ReadQuery(path, 0);
        else if (mode == "default")
            r = ReadQuery(path, 3);
        else if (mode == "blocks")
            r = ReadBareBlocks(path);
        else if (mode == "first")
            r = ReadFirstRow(path);
        else
            Fail("unknown reader " + mode);
    } catch (const std::exception& e) {
        Fail(mode + ": " + e.what());
    }
    std::printf("%lld %.6f\n", r.rows, r.seconds);
    return 0;
}

struct Result {
    long long rows = 0;
    double seconds = 0;
    double peakMiB = 0;
    double Rate() const { return seconds > 0 ? static_cast<double>(rows) / seconds : 0; }
};

Result RunInOwnProcess(const char* self, const std::string& mode, const std::string& path)
{
    const bench::TChildRun run = bench::RunChild({self, "--child", mode, path});
    if (!run.started) Fail("fork");
    if (!run.Succeeded()) Fail(mode + " reader failed");
    Result r;
    if (std::sscanf(run.output.c_str(), "%lld %lf", &r.rows, &r.seconds) != 2) Fail(mode + " reader printed nothing");
    r.peakMiB = static_cast<double>(run.peakKilobytes) / 1024.0;
    return r;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--child") == 0) return RunChild(argv[2], argv[3]);
    const long long rows = argc > 1 ? std::atoll(argv[1]) : 1000000;
    const int rounds = std::max(3, argc > 2 ? std::atoi(argv[2]) : 5);

    char folder[] = "/tmp/gw-bench-odbcq-XXXXXX";
    if (mkdtemp(folder) == nullptr) Fail("temporary folder");
    const std::string path = std::string(folder) + "/big.db";
    std::printf("Building a %lld-row SQLite table...\n", rows);
    BuildTable(path, rows);
    std::printf("one warm-up round, then %d rounds, readers alternated, each in a fresh process\n\n", rounds);

    double load[3] = {0, 0, 0};
    getloadavg(load, 3);
    std::printf("cores: %ld; load average %.1f %.1f %.1f\n\n", sysconf(_SC_NPROCESSORS_ONLN), load[0], load[1], load[2]);

    const char* self = "/proc/self/exe";
    const std::vector<std::string> modes{"bare", "forward", "blocks", "default", "first"};
    const std::vector<std::vector<Result>> samples = bench::AlternateRounds<Result>(
        rounds, modes.size(), [&](std::size_t m) { return RunInOwnProcess(self, modes[m], path); });

    const char* names[] = {"bare ODBC loop (SQLGetData as text)", "query, forward-only (row store)",
                           "bare ODBC loop (bound blocks of 1024)", "query, default cursor type"};
    std::printf("%-38s %10s %12s %24s %10s\n", "reader", "rows", "rows/s", "spread (lowest-highest)", "peak MiB");
    for (std::size_t m = 0; m + 1 < modes.size(); ++m) {
        std::vector<double> rates, peaks;
        for (const Result& r : samples[m]) {
            rates.push_back(r.Rate());
            peaks.push_back(r.peakMiB);
        }
        std::printf("%-38s %10lld %12.0f %11.0f - %-10.0f %10.1f\n", names[m], samples[m].front().rows, Median(rates),
                    bench::Lowest(rates), bench::Highest(rates), Median(peaks));
    }
    std::vector<double> firsts;
    for (const Result& r : samples[4]) firsts.push_back(r.seconds * 1000);
    std::printf("\nthe statement's first row in hand (forward-only query): median %.2f ms (%.2f - %.2f)\n", Median(firsts),
                bench::Lowest(firsts), bench::Highest(firsts));
    getloadavg(load, 3);
    std::printf("load average after the rounds: %.1f %.1f %.1f\n\n", load[0], load[1], load[2]);
    const auto rates = [&](std::size_t m) {
        std::vector<double> v;
        for (const Result& r : samples[m]) v.push_back(r.Rate());
        return v;
    };
    for (std::size_t m : {std::size_t{1}, std::size_t{3}}) {
        const double perValue = Median(bench::PairRatios(rates(m), rates(0)));
        const double blocks = Median(bench::PairRatios(rates(m), rates(2)));
        std::printf("%s / per-value bare loop: %.2f (goal at least 1.00) %s\n", names[m], perValue,
                    perValue >= 1.0 ? "met" : "MISSED");
        std::printf("%s / bound-block bare loop: %.2f (goal at least 0.80) %s\n", names[m], blocks,
                    blocks >= 0.8 ? "met" : "MISSED");
    }
    std::remove(path.c_str());
    rmdir(folder);
    return 0;
}
