// The page export's peak memory over a 3,000,000-row SQLite table: the pages written from a
// forward-only reading of the statement (as the design window writes them: its grid keeps its
// own rows, the writer reads the statement once more), split by 100 and as one page, beside
// the same pages written from the scrollable query that holds every row, and an idle process of
// the same shape (connected, nothing read).
//
//   bench_export_memory [rows] [rounds]   builds the table in a temporary folder, then runs the
//                                         writers alternately, each in a fresh process: one
//                                         warm-up round, then `rounds` (default 3)
//
// Printed per writer: the median and spread of the peak memory (the kernel's ru_maxrss of the
// child) and of the time, and the median peak over the idle process's.
// Goal: the forward-only writers at most 64 MiB over the idle process, whatever the rows.

#include <sqlite3.h>

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
#include "platform/db/ForwardQuery.h"

namespace {

namespace fs = std::filesystem;
using bench::Median;
using Clock = std::chrono::steady_clock;

const char* const kSelect = "SELECT id, customer, placed, product, amount, price, note FROM items ORDER BY id";

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "bench_export_memory: %s\n", what.c_str());
    std::exit(1);
}

void Check(int rc, sqlite3* db, const char* what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        Fail(std::string(what) + ": " + (db != nullptr ? sqlite3_errmsg(db) : "?"));
}

// Order lines: texts with markup characters, dates, integers, decimals, a null now and then.
void BuildTable(const std::string& path, long long rows)
{
    sqlite3* db = nullptr;
    Check(sqlite3_open(path.c_str(), &db), db, "open");
    const std::string sql =
        "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;"
        "CREATE TABLE items (id INTEGER PRIMARY KEY, customer VARCHAR(60), placed DATE, product VARCHAR(60),"
        " amount INTEGER, price NUMERIC(10,2), note TEXT);"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
        std::to_string(rows) +
        ") INSERT INTO items SELECT i, 'Müller & Söhne <' || (i % 5000) || '> \"GmbH\"',"
        " date('2023-01-01', '+' || (i % 365) || ' days'), 'Product ' || (i * 31 % 997) || '''s <b>',"
        " 1 + i % 9, (i * 37 % 100000) / 100.0, CASE WHEN i % 4 = 0 THEN NULL ELSE 'note ' || (i * 7919 % 100000) END"
        " FROM n;";
    Check(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), db, "build");
    sqlite3_close(db);
}

// One writer in this process; prints the rows written and the seconds.
int RunChild(const std::string& mode, const std::string& dbPath, const std::string& out)
{
    const auto start = Clock::now();
    db::TADOConnection conn(nullptr);
    conn.SetLoginPrompt(false);
    conn.SetConnectionString(db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + dbPath));
    conn.Open();
    if (mode == "idle") {
        std::printf("0 0\n");
        return 0;
    }
    db::TADOQuery query(nullptr);
    query.SetConnection(&conn);
    query.SQL()->SetText(kSelect);
    designer::TPageSettings settings;
    settings.split = mode != "forward-single";
    settings.recordsPerPage = 100;
    settings.frames = false;
    settings.headerNavigation = 1;
    settings.footerNavigation = 2;
    designer::TColumnModel columns;
    int rows = 0;
    if (mode == "scrollable") {
        query.Open();
        columns.RebuildColumnList("Reset", query);
        rows = designer::ExportHtmlPages({settings, columns, query, {}, ""}, out + "/Orders.html").records;
    } else {
        // The window's grid holds its own rows; the writer's reading is what is measured.
        db::TForwardQuery reading(nullptr);
        reading.SetConnection(&conn);
        reading.SQL()->SetText(kSelect);
        reading.Open();
        columns.RebuildColumnList("Reset", reading);
        rows = designer::ExportHtmlPages({settings, columns, reading, {}, "", [&] { return reading.CountRecords(); }},
                                         out + "/Orders.html")
                   .records;
    }
    std::printf("%d %.6f\n", rows, std::chrono::duration<double>(Clock::now() - start).count());
    return 0;
}

struct Result {
    long long rows = 0;
    double seconds = 0;
    double peakMiB = 0;
};

Result RunInOwnProcess(const std::string& mode, const std::string& dbPath, const fs::path& folder)
{
    const fs::path out = folder / mode;
    fs::remove_all(out);
    fs::create_directories(out);  // before the child starts: not part of its figures
    const bench::TChildRun run = bench::RunChild({"/proc/self/exe", "--child", mode, dbPath, out.string()});
    if (!run.started) Fail("fork");
    if (!run.Succeeded()) Fail(mode + " writer failed");
    Result r;
    if (std::sscanf(run.output.c_str(), "%lld %lf", &r.rows, &r.seconds) != 2) Fail(mode + " printed nothing");
    r.peakMiB = static_cast<double>(run.peakKilobytes) / 1024.0;
    fs::remove_all(out);
    return r;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], "--child") == 0) return RunChild(argv[2], argv[3], argv[4]);
    const long long rows = argc > 1 ? std::atoll(argv[1]) : 3000000;
    const int rounds = std::max(1, argc > 2 ? std::atoi(argv[2]) : 3);

    // A RAM-backed folder where there is one: the figure is memory, and a disk that is slow to
    // create and delete 30,000 files only makes the rounds long.
    char folder[] = "/dev/shm/gw-bench-export-XXXXXX";
    char diskFolder[] = "/tmp/gw-bench-export-XXXXXX";
    char* made = fs::is_directory("/dev/shm") ? mkdtemp(folder) : nullptr;
    if (made == nullptr) made = mkdtemp(diskFolder);
    if (made == nullptr) Fail("temporary folder");
    const std::string dbPath = std::string(made) + "/items.db";
    std::printf("Building a %lld-row SQLite table...\n", rows);
    BuildTable(dbPath, rows);
    double load[3] = {0, 0, 0};
    getloadavg(load, 3);
    std::printf("folder: %s\n", made);
    std::printf("cores: %ld; load average %.1f %.1f %.1f; one warm-up round, then %d rounds, writers alternated, "
                "each in a fresh process\n\n",
                sysconf(_SC_NPROCESSORS_ONLN), load[0], load[1], load[2], rounds);

    const std::vector<std::string> modes{"idle", "forward-split", "forward-single", "scrollable"};
    const char* names[] = {"idle process (connected, no query)", "forward-only, split by 100",
                           "forward-only, one page", "scrollable query, split by 100"};
    const std::vector<std::vector<Result>> samples = bench::AlternateRounds<Result>(
        rounds, modes.size(), [&](std::size_t m) { return RunInOwnProcess(modes[m], dbPath, made); });

    const auto of = [&](std::size_t m, double Result::*what) {
        std::vector<double> v;
        for (const Result& r : samples[m]) v.push_back(r.*what);
        return v;
    };
    const double idle = Median(of(0, &Result::peakMiB));
    std::printf("%-36s %10s %22s %10s %18s\n", "writer", "rows", "peak MiB (low-high)", "net MiB", "seconds (low-high)");
    for (std::size_t m = 0; m < modes.size(); ++m) {
        const std::vector<double> peaks = of(m, &Result::peakMiB);
        const std::vector<double> times = of(m, &Result::seconds);
        std::printf("%-36s %10lld %8.1f (%5.1f-%5.1f) %10.1f %6.2f (%5.2f-%5.2f)\n", names[m], samples[m].front().rows,
                    Median(peaks), bench::Lowest(peaks), bench::Highest(peaks), Median(peaks) - idle, Median(times),
                    bench::Lowest(times), bench::Highest(times));
    }
    getloadavg(load, 3);
    std::printf("\nload average after the run %.1f %.1f %.1f\n", load[0], load[1], load[2]);
    for (std::size_t m = 1; m <= 2; ++m) {
        const double net = Median(of(m, &Result::peakMiB)) - idle;
        std::printf("%s: %.1f MiB over the idle process (goal at most 64) %s\n", names[m], net, net <= 64 ? "met" : "MISSED");
    }
    std::remove(dbPath.c_str());
    rmdir(made);
    return 0;
}
