// Writing a 1,000,000-row result as static pages: the design's page generator over the
// ADO query (the rows read through ODBC from an SQLite file), as split pages of 100 rows and
// as one single page, beside `sqlite3 -html` writing the same rows to a file and, when
// python3 is there, a short Python script with its sqlite3 module writing the same split
// table.
//
//   bench_pages [rows] [rounds]   builds a table shaped like orders and their items (texts
//                                 with <, & and quotes, decimals, dates, nulls), then runs
//                                 the writers alternately, each in a fresh process, into a
//                                 RAM-backed folder (/dev/shm) and into a disk folder
//                                 (/var/tmp): one warm-up round, then `rounds` (default 5)
//
// Every side is timed the same way: from just before its process is started to just after it
// has exited, writing into a fresh folder made before the clock starts (and removed after it
// stops). Printed per folder and writer: the median and spread of the time, rows per second,
// peak memory, the peak over an idle process (the same program started to do nothing) and
// that net peak over the text the writer itself wrote; then each writer's time over
// sqlite3's (median of the per-round ratios).
//
// Goals (RAM-backed folder): split pages and the single page at most 1.5x sqlite3's time; the
// generator's net peak memory flat in the row count (at most 64 MiB).

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

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

// The Python side: the same rows as split pages of `per` rows, values HTML-escaped.
const char* const kPythonScript = R"(import html, sqlite3, sys
db, out, per, select = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
cur = sqlite3.connect(db).execute(select)
head = "<tr>" + "".join("<th>%s</th>" % html.escape(d[0]) for d in cur.description) + "</tr>\n"
page = 0
rows = 0
while True:
    batch = cur.fetchmany(per)
    if not batch:
        break
    page += 1
    rows += len(batch)
    with open("%s/Orders%02d.html" % (out, page), "w", encoding="utf-8") as f:
        f.write("<html><head><meta charset=\"utf-8\"></head><body><table>\n" + head)
        for r in batch:
            f.write("<tr>" + "".join("<td>&nbsp;</td>" if v is None else "<td>%s</td>" % html.escape(str(v)) for v in r) + "</tr>\n")
        f.write("</table></body></html>\n")
print(rows)
)";

long long FolderBytes(const fs::path& folder)
{
    long long bytes = 0;
    for (const auto& f : fs::directory_iterator(folder))
        if (f.is_regular_file()) bytes += static_cast<long long>(f.file_size());
    return bytes;
}

// The generator in this process: open the query, build the columns, write the pages. "idle"
// only starts and ends, for the memory an idle process takes.
int RunWriter(const std::string& mode, const std::string& db, const std::string& out)
{
    if (mode == "idle") {
        usleep(200000);  // long enough for its memory to be sampled once started
        return 0;
    }
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
    // As the design window writes them: the query it browses shows its first rows, and the
    // pages come from a forward-only reading of the same statement.
    const std::unique_ptr<db::TForwardQuery> reading = designer::OpenForwardReading(query);
    const designer::THtmlExport e{settings, columns, *reading, {}, "", [&] { return reading->CountRecords(); }};
    const int rows = designer::ExportHtmlPages(e, out + "/Orders.html").records;
    std::printf("%d\n", rows);
    return 0;
}

struct Result {
    long long rows = 0;
    double seconds = 0;
    long long bytes = 0;
    double peakMiB = 0;
};

struct Writer {
    std::string mode;  // "split", "single", "sqlite3", "python", "idle"
    std::string name;
};

// One run of a writer into a fresh folder below `folder`, timed from just before its process
// starts to just after it has exited.
Result Run(const Writer& w, const std::string& db, const fs::path& folder, const std::string& python, long long rows)
{
    static int runs = 0;
    const fs::path out = folder / (w.mode + "-" + std::to_string(++runs));
    fs::create_directories(out);
    std::vector<std::string> args;
    if (w.mode == "sqlite3")
        args = {"/usr/bin/sqlite3", "-html", "-cmd", ".output " + (out / "rows.html").string(), db, kSelect};
    else if (w.mode == "python")
        args = {python, "-c", kPythonScript, db, out.string(), "100", kSelect};
    else
        args = {"/proc/self/exe", "--child", w.mode, db, out.string()};
    const bench::TChildRun run = bench::RunChild(args);
    const long long end = bench::NowNs();
    if (!run.Succeeded()) Fail(w.name + " failed");
    Result r;
    r.seconds = static_cast<double>(end - run.spawnedNs) / 1e9;
    r.peakMiB = static_cast<double>(run.peakKilobytes) / 1024.0;
    r.rows = w.mode == "sqlite3" ? rows : std::atoll(run.output.c_str());
    if (w.mode != "idle" && r.rows != rows) Fail(w.name + " wrote " + std::to_string(r.rows) + " rows");
    r.bytes = FolderBytes(out);
    fs::remove_all(out);
    return r;
}

std::vector<double> Of(const std::vector<Result>& results, double Result::*figure)
{
    std::vector<double> v;
    for (const Result& r : results) v.push_back(r.*figure);
    return v;
}

// Runs every writer alternately into `folder` and prints the table of one folder.
void RunFolder(const char* title, const fs::path& folder, const std::vector<Writer>& writers, const std::string& db,
               const std::string& python, long long rows, int rounds)
{
    const auto results = bench::AlternateRounds<Result>(
        rounds, writers.size(), [&](std::size_t m) { return Run(writers[m], db, folder, python, rows); });
    std::size_t sqliteAt = 0;
    std::size_t idleAt = 0;
    for (std::size_t m = 0; m < writers.size(); ++m) {
        if (writers[m].mode == "sqlite3") sqliteAt = m;
        if (writers[m].mode == "idle") idleAt = m;
    }
    const double idlePeak = Median(Of(results[idleAt], &Result::peakMiB));
    std::printf("\n%s (%s)\n", title, folder.c_str());
    std::printf("%-34s %9s %22s %10s %9s %9s %9s %11s %10s\n", "writer", "seconds", "spread (lowest-highest)",
                "rows/s", "peak MiB", "net MiB", "written", "net/written", "/ sqlite3");
    const std::vector<double> base = Of(results[sqliteAt], &Result::seconds);
    for (std::size_t m = 0; m < writers.size(); ++m) {
        if (m == idleAt) continue;
        const std::vector<double> seconds = Of(results[m], &Result::seconds);
        const double median = Median(seconds);
        const double peak = Median(Of(results[m], &Result::peakMiB));
        // Only the generator's idle process is this program; the others' net figure is not shown.
        const bool ours = writers[m].mode == "split" || writers[m].mode == "single";
        const double written = static_cast<double>(results[m].front().bytes) / (1024.0 * 1024.0);
        const double net = peak - idlePeak;
        std::printf("%-34s %9.3f %10.3f - %-10.3f %10.0f %9.1f", writers[m].name.c_str(), median, bench::Lowest(seconds),
                    bench::Highest(seconds), median > 0 ? static_cast<double>(rows) / median : 0.0, peak);
        if (ours)
            std::printf(" %9.1f %8.1fM %11.2f", net, written, written > 0 ? net / written : 0.0);
        else
            std::printf(" %9s %8.1fM %11s", "", written, "");
        const std::vector<double> ratios = bench::PairRatios(seconds, base);
        std::printf(" %5.2f (%.2f-%.2f)\n", Median(ratios), bench::Lowest(ratios), bench::Highest(ratios));
    }
    std::printf("idle process: peak %.1f MiB\n", idlePeak);
}

std::string FindPython()
{
    // The system's interpreter itself, not a shell wrapper that picks one (its start-up would be timed too).
    for (const char* path : {"/usr/bin/python3", "/usr/local/bin/python3"})
        if (access(path, X_OK) == 0) return path;
    return {};
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], "--child") == 0) return RunWriter(argv[2], argv[3], argv[4]);
    const long long rows = argc > 1 ? std::atoll(argv[1]) : 1000000;
    const int rounds = std::max(3, argc > 2 ? std::atoi(argv[2]) : 5);
    char diskTmp[] = "/var/tmp/gw-bench-pages-XXXXXX";
    char ramTmp[] = "/dev/shm/gw-bench-pages-XXXXXX";
    if (mkdtemp(diskTmp) == nullptr) Fail("temporary folder in /var/tmp");
    if (mkdtemp(ramTmp) == nullptr) Fail("temporary folder in /dev/shm");
    const fs::path disk = diskTmp;
    const fs::path ram = ramTmp;
    const std::string db = (disk / "shop.db").string();
    std::printf("Building %lld item rows...\n", rows);
    BuildTables(db, rows);

    std::vector<Writer> writers{{"split", "pages, split by 100"},
                                {"sqlite3", "sqlite3 -html"},
                                {"single", "pages, one single page"},
                                {"idle", "idle process"}};
    const std::string python = FindPython();
    if (!python.empty()) writers.insert(writers.begin() + 3, Writer{"python", "python3 sqlite3 module, split by 100"});
    double load[3] = {0, 0, 0};
    getloadavg(load, 3);
    std::printf("cores: %ld; load before: %.2f %.2f %.2f; %lld rows; one warm-up round, then %d rounds per folder, "
                "writers alternated, each in a fresh process%s\n",
                sysconf(_SC_NPROCESSORS_ONLN), load[0], load[1], load[2], rows, rounds,
                python.empty() ? "; no python3, so no Python baseline" : "");
    RunFolder("RAM-backed folder", ram, writers, db, python, rows, rounds);
    RunFolder("Disk folder", disk, writers, db, python, rows, rounds);
    getloadavg(load, 3);
    std::printf("\nload after: %.2f %.2f %.2f\n", load[0], load[1], load[2]);
    std::printf("goal: split pages and the single page at most 1.50 x sqlite3's time in the RAM-backed folder; "
                "net peak memory at most 64 MiB\n");
    fs::remove_all(ram);
    fs::remove_all(disk);
    return 0;
}
