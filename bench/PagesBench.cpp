// Writing a 1,000,000-row result as static pages: the design's page generator over the
// ADO query (the rows read through ODBC from an SQLite file), as split pages of 100 rows and
// as one single page, beside `sqlite3 -html` writing the same rows to a file.
//
//   bench_pages [rows] [rounds]   builds a table shaped like orders and their items (texts
//                                 with <, & and quotes, decimals, dates, nulls) in a temporary
//                                 folder, then runs the writers alternately, each in a fresh
//                                 process: one warm-up round, then `rounds` (default 5)
//
// Printed per writer: the median and spread of the time, rows per second, peak memory, and the
// size of what it wrote; then the generator's time over sqlite3's (median of the per-round
// ratios) and its peak memory over the result's text.
//
// Goals: at most 1.5x sqlite3's time; peak memory at most 2x the result's text.

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "designer/ColumnModel.h"
#include "designer/ExpStatic.h"
#include "platform/db/AdoConnection.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"

namespace {

namespace fs = std::filesystem;
using bench::Median;
using Clock = std::chrono::steady_clock;

const char* const kSelect =
    "SELECT o.id, o.customer, o.placed, i.product, i.amount, i.price, i.note FROM orders o JOIN items i ON i.order_id = o.id";

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "bench_pages: %s\n", what.c_str());
    std::exit(1);
}

void Check(int rc, sqlite3* db, const char* what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        Fail(std::string(what) + ": " + (db != nullptr ? sqlite3_errmsg(db) : "?"));
}

// Orders of one to three items each, `rows` items in all.
void BuildTables(const std::string& path, long long rows)
{
    sqlite3* db = nullptr;
    Check(sqlite3_open(path.c_str(), &db), db, "open");
    Check(sqlite3_exec(db,
                       "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;"
                       "CREATE TABLE orders (id INTEGER PRIMARY KEY, customer VARCHAR(60), placed DATE);"
                       "CREATE TABLE items (order_id INTEGER, product VARCHAR(60), amount INTEGER,"
                       " price NUMERIC(10,2), note TEXT);"
                       "BEGIN;",
                       nullptr, nullptr, nullptr),
          db, "create");
    sqlite3_stmt* order = nullptr;
    sqlite3_stmt* item = nullptr;
    Check(sqlite3_prepare_v2(db, "INSERT INTO orders VALUES (?, ?, ?)", -1, &order, nullptr), db, "prepare");
    Check(sqlite3_prepare_v2(db, "INSERT INTO items VALUES (?, ?, ?, ?, ?)", -1, &item, nullptr), db, "prepare");
    char text[96];
    long long written = 0;
    for (long long o = 1; written < rows; ++o) {
        std::snprintf(text, sizeof text, "Müller & Söhne <%lld> \"GmbH\"", o % 5000);
        sqlite3_bind_int64(order, 1, o);
        sqlite3_bind_text(order, 2, text, -1, SQLITE_TRANSIENT);
        std::snprintf(text, sizeof text, "2023-%02lld-%02lld", 1 + o % 12, 1 + o % 28);
        sqlite3_bind_text(order, 3, text, -1, SQLITE_TRANSIENT);
        Check(sqlite3_step(order), db, "order");
        sqlite3_reset(order);
        for (long long k = 0; k <= o % 3 && written < rows; ++k, ++written) {
            sqlite3_bind_int64(item, 1, o);
            std::snprintf(text, sizeof text, "Product %lld's <b>", (o * 31 + k) % 997);
            sqlite3_bind_text(item, 2, text, -1, SQLITE_TRANSIENT);
            sqlite3_bind_int64(item, 3, 1 + (o + k) % 9);
            sqlite3_bind_double(item, 4, static_cast<double>((o * 37 + k) % 100000) / 100.0);
            if ((o + k) % 4 == 0) {
                sqlite3_bind_null(item, 5);
            } else {
                std::snprintf(text, sizeof text, "note %lld & more", (o * 7919) % 100000);
                sqlite3_bind_text(item, 5, text, -1, SQLITE_TRANSIENT);
            }
            Check(sqlite3_step(item), db, "item");
            sqlite3_reset(item);
        }
    }
    sqlite3_finalize(order);
    sqlite3_finalize(item);
    Check(sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr), db, "commit");
    sqlite3_close(db);
}

long long FolderBytes(const fs::path& folder)
{
    long long bytes = 0;
    for (const auto& f : fs::directory_iterator(folder))
        if (f.is_regular_file()) bytes += static_cast<long long>(f.file_size());
    return bytes;
}

// The generator in this process: open the query, build the columns, write the pages.
int RunWriter(const std::string& mode, const std::string& db, const std::string& out)
{
    const auto start = Clock::now();
    db::TADOConnection conn(nullptr);
    conn.SetLoginPrompt(false);
    conn.SetConnectionString(db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + db));
    conn.Open();
    db::TADOQuery query(nullptr);
    query.SetConnection(&conn);
    query.SQL()->SetText(kSelect);
    query.Open();
    designer::TColumnModel columns;
    columns.RebuildColumnList("Reset", query);
    designer::TPageSettings settings;
    settings.split = mode == "split";
    settings.recordsPerPage = 100;
    settings.frames = false;
    settings.headerNavigation = 1;
    settings.footerNavigation = 2;
    const int rows = designer::ExportHtmlPages(designer::THtmlExport{settings, columns, query, {}, ""}, out + "/Orders.html").records;
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%d %.6f %lld\n", rows, seconds, FolderBytes(out));
    return 0;
}

struct Result {
    long long rows = 0;
    double seconds = 0;
    long long bytes = 0;
    double peakMiB = 0;
};

Result Run(const std::string& mode, const std::string& db, const fs::path& folder, long long rows)
{
    const fs::path out = folder / mode;
    fs::remove_all(out);
    fs::create_directories(out);
    Result r;
    if (mode == "sqlite3") {
        const long long start = bench::NowNs();
        const bench::TChildRun run =
            bench::RunChild({"/usr/bin/sqlite3", "-html", "-cmd", ".output " + (out / "rows.html").string(), db, kSelect});
        if (!run.Succeeded()) Fail("sqlite3 -html failed (is the sqlite3 program installed?)");
        r.seconds = static_cast<double>(bench::NowNs() - start) / 1e9;
        r.rows = rows;
        r.bytes = FolderBytes(out);
        r.peakMiB = static_cast<double>(run.peakKilobytes) / 1024.0;
    } else {
        const bench::TChildRun run = bench::RunChild({"/proc/self/exe", "--child", mode, db, out.string()});
        if (!run.Succeeded()) Fail(mode + " writer failed");
        if (std::sscanf(run.output.c_str(), "%lld %lf %lld", &r.rows, &r.seconds, &r.bytes) != 3)
            Fail(mode + " writer printed nothing");
        r.peakMiB = static_cast<double>(run.peakKilobytes) / 1024.0;
    }
    fs::remove_all(out);
    return r;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], "--child") == 0) return RunWriter(argv[2], argv[3], argv[4]);
    const long long rows = argc > 1 ? std::atoll(argv[1]) : 1000000;
    const int rounds = std::max(3, argc > 2 ? std::atoi(argv[2]) : 5);
    char tmp[] = "/tmp/gw-bench-pages-XXXXXX";
    if (mkdtemp(tmp) == nullptr) Fail("temporary folder");
    const fs::path folder = tmp;
    const std::string db = (folder / "shop.db").string();
    std::printf("Building %lld item rows...\n", rows);
    BuildTables(db, rows);
    std::printf("cores: %ld; one warm-up round, then %d rounds, writers alternated, each in a fresh process\n\n",
                sysconf(_SC_NPROCESSORS_ONLN), rounds);

    const std::vector<std::string> modes{"split", "sqlite3", "single"};
    const auto results = bench::AlternateRounds<Result>(rounds, modes.size(),
                                                        [&](std::size_t m) { return Run(modes[m], db, folder, rows); });
    std::printf("%-30s %10s %10s %22s %12s %10s %12s\n", "writer", "rows", "seconds", "spread (lowest-highest)",
                "rows/s", "peak MiB", "written MiB");
    std::vector<std::vector<double>> seconds(modes.size());
    for (std::size_t m = 0; m < modes.size(); ++m) {
        std::vector<double> peak;
        for (const Result& r : results[m]) {
            seconds[m].push_back(r.seconds);
            peak.push_back(r.peakMiB);
        }
        const double median = Median(seconds[m]);
        const char* name = m == 0 ? "pages, split by 100" : m == 1 ? "sqlite3 -html" : "pages, one single page";
        std::printf("%-30s %10lld %10.3f %10.3f - %-10.3f %12.0f %10.1f %12.1f\n", name, results[m].front().rows, median,
                    bench::Lowest(seconds[m]), bench::Highest(seconds[m]),
                    median > 0 ? static_cast<double>(results[m].front().rows) / median : 0.0, Median(peak),
                    static_cast<double>(results[m].front().bytes) / (1024.0 * 1024.0));
    }
    // The result's text: what sqlite3 writes (the rows as HTML, no page furniture).
    const double textMiB = static_cast<double>(results[1].front().bytes) / (1024.0 * 1024.0);
    const auto verdict = [](bool met) { return met ? "met" : "MISSED"; };
    for (std::size_t m : {std::size_t{0}, std::size_t{2}}) {
        const double ratio = Median(bench::PairRatios(seconds[m], seconds[1]));
        std::vector<double> peak;
        for (const Result& r : results[m]) peak.push_back(r.peakMiB);
        const double memory = Median(peak) / textMiB;
        std::printf("\n%s: time / sqlite3's, median of %zu pair ratios: %.2f (goal at most 1.50) %s\n",
                    m == 0 ? "split pages" : "single page", seconds[m].size(), ratio, verdict(ratio <= 1.5));
        std::printf("%s: peak memory %.1f MiB = %.2f x the result's text (%.1f MiB) (goal at most 2.00) %s\n",
                    m == 0 ? "split pages" : "single page", Median(peak), memory, textMiB, verdict(memory <= 2.0));
    }
    fs::remove_all(folder);
    return 0;
}
