// Opening and walking a 1,000,000-row SQLite table through the ADO query, beside a bare ODBC
// fetch loop and the SQLite C API on the same table.
//
//   bench_db_query [rows]      builds the table in a temporary folder, then runs each reader
//                              in a fresh process of its own and prints rows per second and
//                              the process's peak memory
//
// Each reader reads every column of every row as text (the query: each field's value). The
// table's text size is the sum of the lengths of all its values as text. Targets: the query
// reaches at least half the bare ODBC rate, with peak memory at most three times the text size.

#include <sqlite3.h>

#include <sql.h>
#include <sqlext.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"

namespace {

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

// ---- The three readers (each runs in its own process) ---------------------------------------

long long ReadWithQuery(const std::string& path)
{
    db::TADOConnection conn(nullptr);
    conn.SetLoginPrompt(false);
    conn.SetConnectionString(db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + path));
    db::TADOQuery query(nullptr);
    query.SetConnection(&conn);
    query.SQL()->SetText(kSelect);
    query.Open();
    long long rows = 0;
    std::size_t bytes = 0;
    for (query.First(); !query.Eof(); query.Next()) {
        for (db::TField* f : query.Fields()) bytes += f->Value().AsString().size();
        ++rows;
    }
    if (rows != query.RecordCount()) Fail("the walk and the record count disagree");
    return bytes > 0 ? rows : 0;
}

long long ReadWithOdbc(const std::string& path)
{
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    std::string cs = OdbcString(path);
    if (!SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(cs.data()), SQL_NTS, nullptr, 0,
                                        nullptr, SQL_DRIVER_NOPROMPT)))
        Fail("ODBC connect");
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
    std::string sql = kSelect;
    if (!SQL_SUCCEEDED(SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS))) Fail("ODBC select");
    SQLSMALLINT columns = 0;
    SQLNumResultCols(stmt, &columns);
    std::vector<char> buffer(4096);
    long long rows = 0;
    std::size_t bytes = 0;
    while (SQL_SUCCEEDED(SQLFetch(stmt))) {
        for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(columns); ++c) {
            SQLLEN indicator = 0;
            SQLGetData(stmt, c, SQL_C_CHAR, buffer.data(), static_cast<SQLLEN>(buffer.size()), &indicator);
            if (indicator > 0) bytes += static_cast<std::size_t>(indicator);
        }
        ++rows;
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return bytes > 0 ? rows : 0;
}

long long ReadWithSqlite(const std::string& path)
{
    sqlite3* db = nullptr;
    Check(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), db, "open");
    sqlite3_stmt* stmt = nullptr;
    Check(sqlite3_prepare_v2(db, kSelect, -1, &stmt, nullptr), db, "prepare");
    const int columns = sqlite3_column_count(stmt);
    long long rows = 0;
    std::size_t bytes = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            sqlite3_column_text(stmt, c);
            bytes += static_cast<std::size_t>(sqlite3_column_bytes(stmt, c));
        }
        ++rows;
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return bytes > 0 ? rows : 0;
}

int RunChild(const std::string& mode, const std::string& path)
{
    const auto start = Clock::now();
    long long rows = 0;
    try {
        if (mode == "query")
            rows = ReadWithQuery(path);
        else if (mode == "odbc")
            rows = ReadWithOdbc(path);
        else
            rows = ReadWithSqlite(path);
    } catch (const std::exception& e) {
        Fail(mode + ": " + e.what());
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%lld %.6f\n", rows, seconds);
    return 0;
}

struct Result {
    long long rows = 0;
    double seconds = 0;
    double peakMiB = 0;
};

Result RunInOwnProcess(const char* self, const std::string& mode, const std::string& path)
{
    int fds[2];
    if (pipe(fds) != 0) Fail("pipe");
    const pid_t pid = fork();
    if (pid < 0) Fail("fork");
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        execl(self, self, "--child", mode.c_str(), path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string out;
    char buf[256];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) out.append(buf, static_cast<std::size_t>(n));
    close(fds[0]);
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) Fail(mode + " reader failed");
    Result r;
    if (std::sscanf(out.c_str(), "%lld %lf", &r.rows, &r.seconds) != 2) Fail(mode + " reader printed nothing");
    r.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return r;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--child") == 0) return RunChild(argv[2], argv[3]);
    const long long rows = argc > 1 ? std::atoll(argv[1]) : 1000000;

    char folder[] = "/tmp/gw-bench-db-XXXXXX";
    if (mkdtemp(folder) == nullptr) Fail("temporary folder");
    const std::string path = std::string(folder) + "/big.db";
    std::printf("Building a %lld-row SQLite table...\n", rows);
    const long long textBytes = BuildTable(path, rows);
    const double textMiB = static_cast<double>(textBytes) / (1024.0 * 1024.0);
    std::printf("table text size: %.1f MiB; ODBC connection: %s\n\n", textMiB, OdbcString(path).c_str());

    const char* self = "/proc/self/exe";
    const Result sqlite = RunInOwnProcess(self, "sqlite", path);
    const Result odbc = RunInOwnProcess(self, "odbc", path);
    const Result query = RunInOwnProcess(self, "query", path);
    std::printf("%-28s %12s %12s %14s\n", "reader", "rows", "rows/s", "peak memory");
    const auto line = [&](const char* name, const Result& r) {
        std::printf("%-28s %12lld %12.0f %10.1f MiB\n", name, r.rows, static_cast<double>(r.rows) / r.seconds,
                    r.peakMiB);
    };
    line("SQLite C API", sqlite);
    line("bare ODBC fetch loop", odbc);
    line("ADO query (open + walk)", query);

    const double rateRatio = (static_cast<double>(query.rows) / query.seconds) /
                             (static_cast<double>(odbc.rows) / odbc.seconds);
    const double memoryRatio = query.peakMiB / textMiB;
    std::printf("\nquery rate / bare ODBC rate: %.2f (target at least 0.50) %s\n", rateRatio,
                rateRatio >= 0.5 ? "met" : "MISSED");
    std::printf("query peak memory / table text size: %.2f (target at most 3.00) %s\n", memoryRatio,
                memoryRatio <= 3.0 ? "met" : "MISSED");

    std::remove(path.c_str());
    rmdir(folder);
    return 0;
}
