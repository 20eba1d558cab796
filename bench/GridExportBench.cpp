// The grid's export of a 1,000,000-row orders table: a data grid over the ADO query (rows read
// through ODBC from an SQLite file), on a form shown offscreen and never painted, writing
// delimited text and an HTML table, beside `sqlite3 -csv` and `sqlite3 -html` writing the same
// SELECT to a file. Both sides' times run from the statement's start to the last byte written
// (sqlite3's include its process start, the grid's its query's open).
//
//   bench_grid_export [rows] [rounds]   builds the orders table in a temporary folder, gives
//                                       its notes quotes, commas, line breaks, "<" and "&"
//                                       (a third stay null), then runs the four writers
//                                       alternately, each in a fresh process: one warm-up
//                                       round, then `rounds` (default 5)
//
// Printed per writer: the median and spread of the time, rows and MB per second, the size of
// the output and, for the grid, its peak memory beyond the opened query: the process's peak
// resident size at the end less its resident size once the query was open, less the same
// figure of a process that only walks the query (reading every field's text), at the full
// row count and at a tenth of it, which should be alike: the export streams.
// Then the grid's time over sqlite3's, the median of the per-round ratios.
//
// Goals: text at most 1.5x `sqlite3 -csv`, HTML at most 2x `sqlite3 -html`.

#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "OrdersTable.h"
#include "grid/PublishedDBGrid.h"
#include "platform/db/AdoConnection.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"
#include "platform/db/Fields.h"
#include "platform/ui/Forms.h"
#include "platform/ui/qt/QtUi.h"

#include <QApplication>

namespace {

namespace fs = std::filesystem;
using bench::Median;

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "bench_grid_export: %s\n", what.c_str());
    std::exit(1);
}

// Notes a grid export must quote and escape, on two of every three orders with a note.
void RoughenNotes(const std::string& path)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK ||
        sqlite3_exec(db,
                     "UPDATE orders SET note = 'say \"hi\", <b> & co' || char(13, 10) || note"
                     " WHERE note IS NOT NULL AND order_id % 3 <> 0",
                     nullptr, nullptr, nullptr) != SQLITE_OK)
        Fail(std::string("roughening the notes: ") + (db != nullptr ? sqlite3_errmsg(db) : "?"));
    sqlite3_close(db);
}

// Kilobytes of a "/proc/self/status" line.
double StatusMiB(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0) return std::atof(line.c_str() + std::strlen(key)) / 1024.0;
    return 0;
}

// One grid export in this process (or, for "walk", the query walked alone); prints rows,
// seconds and the peak MiB beyond the opened query.
int RunGrid(const std::string& type, const std::string& db, const std::string& out)
{
    ui::qt::Install();
    db::TADOConnection conn(nullptr);
    conn.SetLoginPrompt(false);
    conn.SetConnectionString(db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + db));
    conn.Open();
    db::TADOQuery query(nullptr);
    query.SetConnection(&conn);
    query.SQL()->SetText(bench::kOrdersSelect);
    db::TDataSource source(nullptr);
    source.SetDataSet(&query);
    ui::TForm form(nullptr);
    form.SetBounds(0, 0, 1200, 800);
    auto* grid = new grid::TgkDBGrid(&form);
    grid->SetParent(&form);
    grid->SetBounds(0, 0, 1200, 800);
    grid->SetDataSource(&source);
    form.Show();
    const long long start = bench::NowNs();
    query.Open();
    const double openSeconds = static_cast<double>(bench::NowNs() - start) / 1e9;
    const double opened = StatusMiB("VmRSS:");
    if (type == "walk") {
        std::size_t bytes = 0;
        query.DisableControls();
        for (query.First(); !query.Eof(); query.Next())
            for (db::TField* f : query.Fields()) bytes += f->AsString().size();
        if (bytes == 0) Fail("the walk read nothing");
    } else {
        grid::TgkExportOptions& options = *grid->ExportOptions();
        options.SetFileName(out);
        options.SetExportType(type == "html" ? grid::gkgetHTML : grid::gkgetTxt);
        options.Save();
    }
    const double seconds = static_cast<double>(bench::NowNs() - start) / 1e9;
    std::printf("%d %.6f %.3f %.6f\n", query.RecordCount(), seconds, StatusMiB("VmHWM:") - opened, openSeconds);
    return 0;
}

struct Result {
    long long rows = 0;
    double seconds = 0;
    double netMiB = 0;
    long long bytes = 0;
};

Result Run(const std::string& mode, const std::string& db, const fs::path& folder, long long rows)
{
    const fs::path out = folder / ("out-" + mode);
    fs::remove(out);
    Result r;
    if (mode.rfind("sqlite3", 0) == 0) {
        const std::string flag = mode == "sqlite3-csv" ? "-csv" : "-html";
        const long long start = bench::NowNs();
        const bench::TChildRun run =
            bench::RunChild({"/usr/bin/sqlite3", flag, "-cmd", ".output " + out.string(), db, bench::kOrdersSelect});
        if (!run.Succeeded()) Fail("sqlite3 " + flag + " failed (is the sqlite3 program installed?)");
        r.seconds = static_cast<double>(bench::NowNs() - start) / 1e9;
        r.rows = rows;
    } else {
        const std::string type = mode == "grid-html" ? "html" : mode == "walk" ? "walk" : "text";
        const bench::TChildRun run = bench::RunChild({"/proc/self/exe", "--child", type, db, out.string()}, {}, true);
        if (!run.Succeeded()) Fail(mode + " writer failed");
        if (std::sscanf(run.output.c_str(), "%lld %lf %lf", &r.rows, &r.seconds, &r.netMiB) != 3)
            Fail(mode + " writer printed nothing");
    }
    std::error_code ec;
    r.bytes = static_cast<long long>(fs::file_size(out, ec));
    return r;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], "--child") == 0) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return RunGrid(argv[2], argv[3], argv[4]);
    }
    const long long rows = argc > 1 ? std::atoll(argv[1]) : 1000000;
    const int rounds = std::max(1, argc > 2 ? std::atoi(argv[2]) : 5);
    char folderName[] = "/tmp/gw-bench-export-XXXXXX";
    if (::mkdtemp(folderName) == nullptr) Fail("no temporary folder");
    const fs::path folder = folderName;
    const std::string db = (folder / "orders.db").string();
    const std::string smallDb = (folder / "orders-tenth.db").string();
    bench::BuildOrdersTable(db, rows);
    RoughenNotes(db);
    bench::BuildOrdersTable(smallDb, std::max<long long>(1, rows / 10));
    RoughenNotes(smallDb);

    const std::vector<std::string> modes{"grid-text", "sqlite3-csv", "grid-html", "sqlite3-html", "walk"};
    const auto results = bench::AlternateRounds<Result>(rounds, modes.size(),
                                                        [&](std::size_t m) { return Run(modes[m], db, folder, rows); });
    std::printf("%d rows, %d rounds (load %.2f)\n", static_cast<int>(rows), rounds, bench::LoadAverage());
    std::printf("%-14s %10s %10s %22s %12s %10s %10s %12s\n", "writer", "rows", "seconds", "spread (lowest-highest)",
                "rows/s", "MB/s", "MB out", "net peak MiB");
    std::vector<std::vector<double>> seconds(modes.size());
    for (std::size_t m = 0; m < modes.size(); ++m) {
        std::vector<double> net;
        for (std::size_t i = 0; i < results[m].size(); ++i) {
            seconds[m].push_back(results[m][i].seconds);
            net.push_back(results[m][i].netMiB - results[4][i].netMiB);
        }
        const double median = Median(seconds[m]);
        const double mb = static_cast<double>(results[m].front().bytes) / 1e6;
        std::printf("%-14s %10lld %10.3f %10.3f - %-10.3f %12.0f %10.1f %10.1f %12.1f\n", modes[m].c_str(),
                    results[m].front().rows, median, bench::Lowest(seconds[m]), bench::Highest(seconds[m]),
                    median > 0 ? static_cast<double>(results[m].front().rows) / median : 0.0,
                    median > 0 ? mb / median : 0.0, mb, modes[m].rfind("grid", 0) == 0 ? Median(net) : results[m].front().netMiB);
    }
    const auto verdict = [](bool met) { return met ? "met" : "MISSED"; };
    const double text = Median(bench::PairRatios(seconds[0], seconds[1]));
    const double html = Median(bench::PairRatios(seconds[2], seconds[3]));
    std::printf("\ntext: time / sqlite3 -csv's, median of %zu pair ratios: %.2f (goal at most 1.50) %s\n",
                seconds[0].size(), text, verdict(text <= 1.5));
    std::printf("html: time / sqlite3 -html's, median of %zu pair ratios: %.2f (goal at most 2.00) %s\n",
                seconds[2].size(), html, verdict(html <= 2.0));
    const Result walk = Run("walk", smallDb, folder, rows / 10);
    for (const char* mode : {"grid-text", "grid-html"}) {
        const Result small = Run(mode, smallDb, folder, rows / 10);
        std::printf("%s peak memory beyond the opened query at %lld rows: %.1f MiB (at %lld rows above)\n", mode,
                    small.rows, small.netMiB - walk.netMiB, rows);
    }
    std::error_code ec;
    fs::remove_all(folder, ec);
    return 0;
}
