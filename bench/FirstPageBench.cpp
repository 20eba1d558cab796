// The first page of a large result on screen: the data grid over the ADO query (SQLite through
// its ODBC driver) beside a QTableView over a QSqlQueryModel (Qt's own SQLite driver), both
// running the same statement on the same table in a 1200 x 800 window on the X server of
// DISPLAY. Each side runs in a fresh process, timed from just before it connects until the
// window's first paint of the rows has been delivered (the toolkit flushes it to the screen
// in the same pass). Tables of 10,000, 100,000 and 1,000,000 rows, so that a time growing with
// the rows shows.
//
//   bench_first_page [rounds]   one warm-up round, then `rounds` (default 7, at least 3),
//                                the two sides alternated in every round
//
// Printed per size: the median and the spread (lowest-highest) of each side in milliseconds,
// and the median of the per-round ratios; the load average before and after the run.
// Goal: the grid at most 3x the table view, and flat in the row count.

#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQueryModel>
#include <QTableView>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "OrdersTable.h"
#include "grid/DBGrid.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"
#include "platform/ui/Forms.h"
#include "platform/ui/qt/QtUi.h"

namespace {

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "bench_first_page: %s\n", what.c_str());
    std::exit(1);
}

// Notes the first paint a widget is sent.
class TPaintSpy : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) painted = true;
        return QObject::eventFilter(watched, event);
    }
};

// Runs the event loop until `spy` has seen its widget painted and that pass has ended.
void WaitForPaint(const TPaintSpy& spy)
{
    const long long deadline = bench::NowNs() + 60'000'000'000LL;
    while (!spy.painted) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        if (bench::NowNs() > deadline) Fail("no paint within a minute");
    }
}

double Ms(long long ns) { return static_cast<double>(ns) / 1e6; }

int RunGrid(const std::string& path)
{
    ui::qt::Install();
    TPaintSpy spy;
    const long long t0 = bench::NowNs();
    db::TADOConnection conn(nullptr);
    conn.SetLoginPrompt(false);
    conn.SetConnectionString(db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + path));
    conn.Open();
    db::TADOQuery query(nullptr);
    query.SetConnection(&conn);
    query.SQL()->SetText(bench::kOrdersSelect);
    db::TDataSource source(nullptr);
    source.SetDataSet(&query);
    ui::TForm form(nullptr);
    form.SetBounds(0, 0, 1200, 800);
    auto* grid = new grid::TgkCustomDBGrid(&form);
    grid->SetParent(&form);
    grid->SetBounds(0, 0, 1200, 800);
    grid->SetDataSource(&source);
    query.Open();
    form.Show();
    QWidget* widget = ui::qt::WidgetOf(*grid);
    if (widget == nullptr) Fail("the grid has no widget");
    widget->installEventFilter(&spy);
    WaitForPaint(spy);
    const double ms = Ms(bench::NowNs() - t0);
    if (query.FieldByName("order_id")->AsInteger() != 1 || grid->VisibleRowCount() < 10) Fail("the grid shows no rows");
    std::printf("%.4f\n", ms);
    return 0;
}

int RunTable(const std::string& path)
{
    TPaintSpy spy;
    const long long t0 = bench::NowNs();
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE");
    db.setDatabaseName(QString::fromStdString(path));
    if (!db.open()) Fail("QSQLITE: " + db.lastError().text().toStdString());
    QSqlQueryModel model;
    model.setQuery(bench::kOrdersSelect, db);
    if (model.lastError().isValid()) Fail("QSQLITE: " + model.lastError().text().toStdString());
    QTableView view;
    view.setModel(&model);
    view.resize(1200, 800);
    view.show();
    view.viewport()->installEventFilter(&spy);
    WaitForPaint(spy);
    const double ms = Ms(bench::NowNs() - t0);
    if (model.rowCount() < 10) Fail("the table view shows no rows");
    std::printf("%.4f\n", ms);
    return 0;
}

double RunInOwnProcess(const std::string& side, const std::string& path)
{
    const bench::TChildRun run = bench::RunChild({"/proc/self/exe", "--child", side, path}, {}, true);
    if (!run.Succeeded()) Fail(side + " failed");
    double ms = 0;
    if (std::sscanf(run.output.c_str(), "%lf", &ms) != 1) Fail(side + " printed nothing");
    return ms;
}

std::string LoadAverage()
{
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--child") == 0) {
        QApplication app(argc, argv);
        return std::strcmp(argv[2], "grid") == 0 ? RunGrid(argv[3]) : RunTable(argv[3]);
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY")) Fail("needs an X server: set DISPLAY");
    const int rounds = std::max(3, argc > 1 ? std::atoi(argv[1]) : 7);
    char folder[] = "/tmp/gw-bench-first-page-XXXXXX";
    if (mkdtemp(folder) == nullptr) Fail("temporary folder");
    const std::vector<long long> sizes{10000, 100000, 1000000};
    std::vector<std::string> paths;
    for (long long rows : sizes) {
        paths.push_back(std::string(folder) + "/orders" + std::to_string(rows) + ".db");
        std::printf("Building a %lld-row SQLite table...\n", rows);
        bench::BuildOrdersTable(paths.back(), rows);
    }
    std::printf("\nFirst page on screen (1200 x 800, DISPLAY=%s), from the connect to the first paint; one warm-up "
                "round, then %d rounds, the sides alternated, each run in a fresh process.\nLoad average before: %s\n\n",
                qgetenv("DISPLAY").constData(), rounds, LoadAverage().c_str());
    std::printf("%10s  %-28s %-28s %s\n", "rows", "grid (ADO query) ms", "QTableView (QSqlQueryModel) ms",
                "grid / view");
    const std::vector<std::string> sides{"grid", "table"};
    for (std::size_t s = 0; s < sizes.size(); ++s) {
        const auto results = bench::AlternateRounds<double>(
            rounds, sides.size(), [&](std::size_t m) { return RunInOwnProcess(sides[m], paths[s]); });
        char cells[2][64];
        for (std::size_t m = 0; m < sides.size(); ++m)
            std::snprintf(cells[m], sizeof cells[m], "%8.1f (%.1f-%.1f)", bench::Median(results[m]),
                          bench::Lowest(results[m]), bench::Highest(results[m]));
        const std::vector<double> ratios = bench::PairRatios(results[0], results[1]);
        std::printf("%10lld  %-28s %-28s %.2f (%.2f-%.2f)\n", sizes[s], cells[0], cells[1], bench::Median(ratios),
                    bench::Lowest(ratios), bench::Highest(ratios));
        std::fflush(stdout);
    }
    std::printf("\nLoad average after: %s\nGoal: grid / view at most 3, and flat in the rows.\n", LoadAverage().c_str());
    for (const std::string& p : paths) std::remove(p.c_str());
    rmdir(folder);
    return 0;
}
