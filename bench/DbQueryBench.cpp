// Opening and walking a 1,000,000-row SQLite table through the ADO query, beside three bare ODBC
// loops (one reading each value with SQLGetData, one fetching blocks of rows into bound
// columns, one fetching a row at a time into bound columns with the long column read by
// SQLGetData) and the SQLite C API on the same table.
//
// The third loop is the fastest reading that never cuts a value on this driver: it keeps no
// SQL_GD_BLOCK, so a long column (`note`, a TEXT) cannot be completed with SQLGetData inside a
// block of rows, and a reader that must hand back every value whole takes a row per fetch. The
// block loop binds that column with a fixed room and would cut a longer note; it is the
// driver's ceiling, not a reading the query could do.
//
//   bench_db_query [rows] [rounds]   builds the table in a temporary folder, then runs the
//                                    readers alternately, each in a fresh process of its own:
//                                    one warm-up round, then `rounds` (default 7, at least 5)
//
// Every reader reads every value of every row once: the bare loops and the C API as the
// driver's text, the query twice over in separate runs, once as each field's AsString (a
// display text: numbers and dates formatted with the format settings, more work than the bare
// loops do) and once as each field's Value (what the query holds, as the bare loops read what
// the driver holds). Both query figures are printed against both bare loops.
// Printed per reader: the median and the spread (lowest–highest) of rows per second and of
// peak memory; for the query also the time to open (the statement run and every row read)
// and the time from running the same statement to its first row in hand (the ADO query, and
// the forward-only reading the page export walks), and its peak memory net of an idle process of the same shape (connected, no
// query). Ratios are medians of the per-round ratios. The table's text is the sum of the
// lengths of all its values as text, in bytes.
//
// Goals: the query's walk at least 1.0x the per-value bare loop and 0.8x the block-fetch bare
// loop; the query's net peak memory at most 1.3x the table's text.

#include <sqlite3.h>

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "BenchSupport.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"
#include "platform/db/ForwardQuery.h"

namespace {

using bench::Median;
using Clock = std::chrono::steady_clock;

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "bench_db_query: %s\n", what.c_str());
    std::exit(1);
}

void Check(int rc, sqlite3* db, const char* what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        Fail(std::string(what) + ": " + (db != nullptr ? sqlite3_errmsg(db) : "?"));
}

// The table: an id, a name, a price, a timestamp and a note, as a shop's order lines might be.
long long BuildTable(const std::string& path, long long rows)
{
    sqlite3* db = nullptr;
    Check(sqlite3_open(path.c_str(), &db), db, "open");
    Check(sqlite3_exec(db,
                       "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;"
                       "CREATE TABLE big (id INTEGER PRIMARY KEY, name VARCHAR(40), price NUMERIC(10,2),"
                       " created TIMESTAMP, note TEXT);"
                       "BEGIN;",
                       nullptr, nullptr, nullptr),
          db, "create");
    sqlite3_stmt* insert = nullptr;
    Check(sqlite3_prepare_v2(db, "INSERT INTO big VALUES (?, ?, ?, ?, ?)", -1, &insert, nullptr), db, "prepare");
    char name[64];
    char created[32];
    char note[64];
    for (long long i = 1; i <= rows; ++i) {
        std::snprintf(name, sizeof name, "Customer %lld Müller", i);
        const long long minutes = i * 7;
        std::snprintf(created, sizeof created, "2023-%02lld-%02lld %02lld:%02lld:%02lld", 1 + (i % 12), 1 + (i % 28),
                      (minutes / 60) % 24, minutes % 60, i % 60);
        std::snprintf(note, sizeof note, "note number %lld – ok", (i * 7919) % 100000);
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
    sqlite3_stmt* size = nullptr;
    Check(sqlite3_prepare_v2(db,
                             "SELECT sum(length(id) + length(name) + length(price) + length(created) + length(note))"
                             " FROM big",
                             -1, &size, nullptr),
          db, "size");
    Check(sqlite3_step(size), db, "size");
    const long long bytes = sqlite3_column_int64(size, 0);
    sqlite3_finalize(size);
    sqlite3_close(db);
    return bytes;
}

const char* kSelect = "SELECT id, name, price, created, note FROM big";

std::string OdbcString(const std::string& path)
{
    return db::OleDbToOdbc(db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + path));
}

// ---- The readers (each runs in its own process) ---------------------------------------------

struct ChildResult {
    long long rows = 0;
    double seconds = 0;      // the whole read (the query: open and walk)
    double openSeconds = 0;  // the query's open
    int fetchPath = -1;      // the query's: how its rows were read (db::TFetchPath)
};

db::TADOConnection* OpenConnection(const std::string& path)
{
    auto* conn = new db::TADOConnection(nullptr);
    conn->SetLoginPrompt(false);
    conn->SetConnectionString(db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + path));
    conn->Open();
    return conn;
}

// How the query's walk reads each field: as a display-ready text (AsString, which formats
// numbers and dates with the format settings), or as the value the query holds (Value: texts
// copied, numbers and dates as they are), which is the work the bare loops do.
enum class TWalk { AsString, Values };

ChildResult ReadWithQuery(const std::string& path, const char* sql, TWalk walk = TWalk::AsString)
{
    std::unique_ptr<db::TADOConnection> conn(OpenConnection(path));
    const auto start = Clock::now();
    db::TADOQuery query(nullptr);
    query.SetConnection(conn.get());
    query.SQL()->SetText(sql);
    query.Open();
    ChildResult r;
    r.openSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::size_t bytes = 0;
    for (query.First(); !query.Eof(); query.Next()) {
        if (walk == TWalk::AsString)
            for (db::TField* f : query.Fields()) bytes += f->AsString().size();
        else
            for (db::TField* f : query.Fields()) {
                const db::TVariant v = f->Value();
                bytes += v.Type() == db::TVarType::String ? v.Text().size() : !v.IsNull();
            }
        ++r.rows;
    }
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    r.fetchPath = static_cast<int>(db::LastFetchPath());
    if (r.rows != query.RecordCount()) Fail("the walk and the record count disagree");
    if (bytes == 0) r.rows = 0;
    return r;
}

// The real statement's first row: from running it to the first record's values in hand, through
// the ADO query the grid shows (whatever it reads before its first row) or through the
// forward-only reading the page export walks.
template <class TQuery>
ChildResult ReadFirstRow(const std::string& path)
{
    std::unique_ptr<db::TADOConnection> conn(OpenConnection(path));
    const auto start = Clock::now();
    TQuery query(nullptr);
    query.SetConnection(conn.get());
    query.SQL()->SetText(kSelect);
    query.Open();
    std::size_t bytes = 0;
    for (db::TField* f : query.Fields()) bytes += f->AsString().size();
    ChildResult r;
    r.openSeconds = r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    r.rows = bytes > 0 ? 1 : 0;
    return r;
}

struct BareOdbc {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    explicit BareOdbc(const std::string& path)
    {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
        SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
        std::string cs = OdbcString(path);
        if (!SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(cs.data()), SQL_NTS, nullptr, 0,
                                            nullptr, SQL_DRIVER_NOPROMPT)))
            Fail("ODBC connect");
        SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
    }
    ~BareOdbc()
    {
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        SQLDisconnect(dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, env);
    }
    void Run()
    {
        std::string sql = kSelect;
        if (!SQL_SUCCEEDED(SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS))) Fail("ODBC select");
    }
};

ChildResult ReadWithOdbc(const std::string& path)
{
    BareOdbc odbc(path);
    const auto start = Clock::now();
    odbc.Run();
    SQLSMALLINT columns = 0;
    SQLNumResultCols(odbc.stmt, &columns);
    std::vector<char> buffer(4096);
    ChildResult r;
    std::size_t bytes = 0;
    while (SQL_SUCCEEDED(SQLFetch(odbc.stmt))) {
        for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(columns); ++c) {
            SQLLEN indicator = 0;
            SQLGetData(odbc.stmt, c, SQL_C_CHAR, buffer.data(), static_cast<SQLLEN>(buffer.size()), &indicator);
            if (indicator > 0) bytes += static_cast<std::size_t>(indicator);
        }
        ++r.rows;
    }
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (bytes == 0) r.rows = 0;
    return r;
}

// Every column bound as text (room enough for this table's values), 1,024 rows per fetch.
ChildResult ReadWithOdbcBlocks(const std::string& path)
{
    constexpr SQLULEN kRows = 1024;
    constexpr SQLLEN kWidth = 128;
    BareOdbc odbc(path);
    const auto start = Clock::now();
    SQLULEN fetched = 0;
    SQLSetStmtAttr(odbc.stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(kRows), 0);
    SQLSetStmtAttr(odbc.stmt, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
    odbc.Run();
    SQLSMALLINT columns = 0;
    SQLNumResultCols(odbc.stmt, &columns);
    std::vector<std::vector<char>> data(static_cast<std::size_t>(columns), std::vector<char>(kRows * kWidth));
    std::vector<std::vector<SQLLEN>> indicators(static_cast<std::size_t>(columns), std::vector<SQLLEN>(kRows));
    for (SQLSMALLINT c = 0; c < columns; ++c)
        if (!SQL_SUCCEEDED(SQLBindCol(odbc.stmt, static_cast<SQLUSMALLINT>(c + 1), SQL_C_CHAR,
                                      data[static_cast<std::size_t>(c)].data(), kWidth,
                                      indicators[static_cast<std::size_t>(c)].data())))
            Fail("ODBC bind");
    ChildResult r;
    std::size_t bytes = 0;
    while (SQL_SUCCEEDED(SQLFetch(odbc.stmt))) {
        for (SQLULEN row = 0; row < fetched; ++row)
            for (SQLSMALLINT c = 0; c < columns; ++c) {
                const SQLLEN indicator = indicators[static_cast<std::size_t>(c)][row];
                if (indicator > 0) bytes += static_cast<std::size_t>(indicator);
            }
        r.rows += static_cast<long long>(fetched);
    }
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (bytes == 0) r.rows = 0;
    return r;
}

// A row per fetch: every short column bound as text, long ones read whole with SQLGetData.
ChildResult ReadWithOdbcRows(const std::string& path)
{
    constexpr SQLLEN kWidth = 256;
    BareOdbc odbc(path);
    const auto start = Clock::now();
    odbc.Run();
    SQLSMALLINT columns = 0;
    SQLNumResultCols(odbc.stmt, &columns);
    std::vector<std::vector<char>> data(static_cast<std::size_t>(columns), std::vector<char>(kWidth));
    std::vector<SQLLEN> indicators(static_cast<std::size_t>(columns));
    std::vector<SQLUSMALLINT> longColumns;
    for (SQLSMALLINT c = 0; c < columns; ++c) {
        SQLLEN type = 0;
        SQLColAttribute(odbc.stmt, static_cast<SQLUSMALLINT>(c + 1), SQL_DESC_CONCISE_TYPE, nullptr, 0, nullptr,
                        &type);
        if (type == SQL_LONGVARCHAR || type == SQL_WLONGVARCHAR || type == SQL_LONGVARBINARY) {
            longColumns.push_back(static_cast<SQLUSMALLINT>(c + 1));
            continue;
        }
        if (!SQL_SUCCEEDED(SQLBindCol(odbc.stmt, static_cast<SQLUSMALLINT>(c + 1), SQL_C_CHAR,
                                      data[static_cast<std::size_t>(c)].data(), kWidth,
                                      &indicators[static_cast<std::size_t>(c)])))
            Fail("ODBC bind");
    }
    std::vector<char> buffer(4096);
    ChildResult r;
    std::size_t bytes = 0;
    while (SQL_SUCCEEDED(SQLFetch(odbc.stmt))) {
        for (SQLUSMALLINT c : longColumns)
            SQLGetData(odbc.stmt, c, SQL_C_CHAR, buffer.data(), static_cast<SQLLEN>(buffer.size()),
                       &indicators[c - 1u]);
        for (SQLLEN indicator : indicators)
            if (indicator > 0) bytes += static_cast<std::size_t>(indicator);
        ++r.rows;
    }
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (bytes == 0) r.rows = 0;
    return r;
}

bool DriverKeepsGetDataInBlocks(const std::string& path)
{
    BareOdbc odbc(path);
    SQLUINTEGER extensions = 0;
    SQLGetInfo(odbc.dbc, SQL_GETDATA_EXTENSIONS, &extensions, sizeof extensions, nullptr);
    return (extensions & SQL_GD_BLOCK) != 0;
}

ChildResult ReadWithSqlite(const std::string& path)
{
    sqlite3* db = nullptr;
    Check(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), db, "open");
    const auto start = Clock::now();
    sqlite3_stmt* stmt = nullptr;
    Check(sqlite3_prepare_v2(db, kSelect, -1, &stmt, nullptr), db, "prepare");
    const int columns = sqlite3_column_count(stmt);
    ChildResult r;
    std::size_t bytes = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            sqlite3_column_text(stmt, c);
            bytes += static_cast<std::size_t>(sqlite3_column_bytes(stmt, c));
        }
        ++r.rows;
    }
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    if (bytes == 0) r.rows = 0;
    return r;
}

int RunChild(const std::string& mode, const std::string& path)
{
    ChildResult r;
    try {
        if (mode == "query")
            r = ReadWithQuery(path, kSelect);
        else if (mode == "query-values")
            r = ReadWithQuery(path, kSelect, TWalk::Values);
        else if (mode == "query-per-value") {
            db::SetBoundFetchAllowed(false);  // as for a driver that refuses bound columns
            r = ReadWithQuery(path, kSelect);
        }
        else if (mode == "first")
            r = ReadFirstRow<db::TADOQuery>(path);
        else if (mode == "first-forward")
            r = ReadFirstRow<db::TForwardQuery>(path);
        else if (mode == "idle")
            delete OpenConnection(path);  // the query's process without its query
        else if (mode == "odbc")
            r = ReadWithOdbc(path);
        else if (mode == "blocks")
            r = ReadWithOdbcBlocks(path);
        else if (mode == "rows")
            r = ReadWithOdbcRows(path);
        else
            r = ReadWithSqlite(path);
    } catch (const std::exception& e) {
        Fail(mode + ": " + e.what());
    }
    std::printf("%lld %.6f %.6f %d\n", r.rows, r.seconds, r.openSeconds, r.fetchPath);
    return 0;
}

struct Result {
    long long rows = 0;
    double seconds = 0;
    double openSeconds = 0;
    int fetchPath = -1;
    double peakMiB = 0;
    double Rate() const { return seconds > 0 ? static_cast<double>(rows) / seconds : 0; }
};

Result RunInOwnProcess(const char* self, const std::string& mode, const std::string& path)
{
    const bench::TChildRun run = bench::RunChild({self, "--child", mode, path});
    if (!run.started) Fail("fork");
    if (!run.Succeeded()) Fail(mode + " reader failed");
    Result r;
    if (std::sscanf(run.output.c_str(), "%lld %lf %lf %d", &r.rows, &r.seconds, &r.openSeconds, &r.fetchPath) != 4)
        Fail(mode + " reader printed nothing");
    r.peakMiB = static_cast<double>(run.peakKilobytes) / 1024.0;
    return r;
}

struct Samples {
    std::vector<Result> runs;
    std::vector<double> Of(double (*f)(const Result&)) const
    {
        std::vector<double> v;
        for (const Result& r : runs) v.push_back(f(r));
        return v;
    }
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--child") == 0) return RunChild(argv[2], argv[3]);
    const long long rows = argc > 1 ? std::atoll(argv[1]) : 1000000;
    const int rounds = std::max(5, argc > 2 ? std::atoi(argv[2]) : 7);

    char folder[] = "/tmp/gw-bench-db-XXXXXX";
    if (mkdtemp(folder) == nullptr) Fail("temporary folder");
    const std::string path = std::string(folder) + "/big.db";
    std::printf("Building a %lld-row SQLite table...\n", rows);
    const long long textBytes = BuildTable(path, rows);
    std::printf("table text: %lld bytes (%.1f MiB); ODBC connection: %s\n", textBytes,
                static_cast<double>(textBytes) / (1024.0 * 1024.0), OdbcString(path).c_str());
    double load[3] = {0, 0, 0};
    getloadavg(load, 3);
    std::printf("cores: %ld; load average %.1f %.1f %.1f; one warm-up round, then %d rounds, readers alternated, each "
                "in a fresh process\n\n",
                sysconf(_SC_NPROCESSORS_ONLN), load[0], load[1], load[2], rounds);

    const char* self = "/proc/self/exe";
    // Each query walk sits next to a bare loop, so that a pair's ratio is taken close in time.
    const std::vector<std::string> modes{"query", "odbc", "query-values", "blocks", "rows", "sqlite", "first", "first-forward", "idle"};
    std::vector<Samples> samples;
    for (std::vector<Result>& runs : bench::AlternateRounds<Result>(
             rounds, modes.size(), [&](std::size_t m) { return RunInOwnProcess(self, modes[m], path); }))
        samples.push_back(Samples{std::move(runs)});
    const Samples& query = samples[0];
    const Samples& odbc = samples[1];
    const Samples& values = samples[2];
    const Samples& blocks = samples[3];
    const Samples& rowsLoop = samples[4];
    const Samples& sqlite = samples[5];
    const Samples& first = samples[6];
    const Samples& firstForward = samples[7];
    const Samples& idle = samples[8];

    std::printf("%-34s %10s %12s %24s %12s\n", "reader", "rows", "rows/s", "spread (lowest-highest)", "peak MiB");
    const auto line = [](const char* name, const Samples& s) {
        const std::vector<double> rates = s.Of([](const Result& r) { return r.Rate(); });
        std::printf("%-34s %10lld %12.0f %11.0f - %-10.0f %12.1f\n", name, s.runs.front().rows, Median(rates),
                    bench::Lowest(rates), bench::Highest(rates),
                    Median(s.Of([](const Result& r) { return r.peakMiB; })));
    };
    line("SQLite C API", sqlite);
    line("bare ODBC, SQLGetData per value", odbc);
    line("bare ODBC, bound blocks of 1024", blocks);
    line("bare ODBC, a bound row per fetch", rowsLoop);
    line("ADO query (open + walk, AsString)", query);
    line("ADO query (open + walk, values)", values);

    getloadavg(load, 3);
    std::printf("\nload average after the rounds: %.1f %.1f %.1f\n", load[0], load[1], load[2]);
    const std::vector<double> opens = query.Of([](const Result& r) { return r.openSeconds; });
    const std::vector<double> firsts = first.Of([](const Result& r) { return r.openSeconds; });
    const std::vector<double> forwardFirsts = firstForward.Of([](const Result& r) { return r.openSeconds; });
    std::printf("\nquery time to open (run + read every row): median %.3f s (%.3f - %.3f)\n", Median(opens),
                bench::Lowest(opens), bench::Highest(opens));
    std::printf("the same statement's first row in hand, ADO query: median %.2f ms (%.2f - %.2f)\n", Median(firsts) * 1000,
                bench::Lowest(firsts) * 1000, bench::Highest(firsts) * 1000);
    std::printf("the same statement's first row in hand, forward-only reading: median %.2f ms (%.2f - %.2f)\n",
                Median(forwardFirsts) * 1000, bench::Lowest(forwardFirsts) * 1000, bench::Highest(forwardFirsts) * 1000);

    const auto ratios = [](const Samples& reader, const Samples& base) {
        const auto rate = [](const Result& r) { return r.Rate(); };
        return bench::PairRatios(reader.Of(rate), base.Of(rate));
    };
    const std::vector<double> perValueRatios = ratios(query, odbc);
    const std::vector<double> blockRatios = ratios(query, blocks);
    const double netPeak = Median(query.Of([](const Result& r) { return r.peakMiB; })) -
                           Median(idle.Of([](const Result& r) { return r.peakMiB; }));
    const double textMiB = static_cast<double>(textBytes) / (1024.0 * 1024.0);
    const auto verdict = [](bool met) { return met ? "met" : "MISSED"; };
    const double r1 = Median(perValueRatios);
    const double r2 = Median(blockRatios);
    std::printf("\nwalk reading AsString (a display text of every number and date, which the bare loops never "
                "make):\n");
    std::printf("query / per-value bare loop, median of %zu pair ratios: %.2f (goal at least 1.00) %s\n",
                perValueRatios.size(), r1, verdict(r1 >= 1.0));
    std::printf("query / block-fetch bare loop, median of %zu pair ratios: %.2f (goal at least 0.80) %s\n",
                blockRatios.size(), r2, verdict(r2 >= 0.8));
    const double v1 = Median(ratios(values, odbc));
    const double v2 = Median(ratios(values, blocks));
    std::printf("walk reading each value once as the query holds it (like the bare loops):\n");
    std::printf("query / per-value bare loop, median of %zu pair ratios: %.2f (goal at least 1.00) %s\n",
                values.runs.size(), v1, verdict(v1 >= 1.0));
    std::printf("query / block-fetch bare loop, median of %zu pair ratios: %.2f (goal at least 0.80) %s\n",
                values.runs.size(), v2, verdict(v2 >= 0.8));
    const double floorRatio = Median(ratios(rowsLoop, odbc));
    static const char* const kPaths[] = {"blocks of bound rows", "a bound row per fetch", "SQLGetData per value"};
    const int fetchPath = values.runs.front().fetchPath;
    std::printf("\nthe query read its rows as %s (the driver keeps %sSQL_GD_BLOCK)\n",
                fetchPath >= 0 && fetchPath < 3 ? kPaths[fetchPath] : "?",
                DriverKeepsGetDataInBlocks(path) ? "" : "no ");
    std::printf("bare loop of a bound row per fetch (long column by SQLGetData) / per-value bare loop: %.2f;\n"
                "  the query's values walk / that loop: %.2f\n",
                floorRatio, Median(ratios(values, rowsLoop)));
    std::printf("query peak memory net of an idle process (%.1f MiB): %.1f MiB = %.2f x the table's text "
                "(goal at most 1.30) %s\n",
                Median(idle.Of([](const Result& r) { return r.peakMiB; })), netPeak, netPeak / textMiB,
                verdict(netPeak / textMiB <= 1.3));

    std::remove(path.c_str());
    rmdir(folder);
    return 0;
}
