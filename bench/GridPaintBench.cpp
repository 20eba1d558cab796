// The data grid over a 1,000,000-row SQLite table (orders-like: integers, texts, dates,
// decimals, nulls) opened through ODBC with the ADO query, 1200 x 800 offscreen: each step
// is one Page Down and a paint of the whole client area into an image. Beside it QTableView
// over a QAbstractTableModel holding the same rows, the same size, font and columns, stepping
// a page with its scroll bar and rendering into an image. Each case runs in a fresh process;
// printed: the open, the mean and worst time per step from the top, the middle and near the
// end, and the resident memory before and after stepping.
//
//   bench_grid_paint [rows] [steps per region] [rounds]

#include <sqlite3.h>
#include <unistd.h>

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "OrdersTable.h"
#include "grid/DBGrid.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"
#include "platform/ui/Forms.h"
#include "platform/ui/qt/QtConvert.h"
#include "platform/ui/qt/QtUi.h"

namespace {

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "bench_grid_paint: %s\n", what.c_str());
    std::exit(1);
}

void Check(int rc, sqlite3* db, const char* what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        Fail(std::string(what) + ": " + (db != nullptr ? sqlite3_errmsg(db) : "?"));
}

const char* kSelect = bench::kOrdersSelect;
constexpr int kColumns = 6;

double ResidentMiB()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double Ms(long long ns) { return static_cast<double>(ns) / 1e6; }

struct Region {
    double mean = 0, worst = 0;
};

// Steps `steps` times with `step`, answering the mean and worst milliseconds.
template <class F>
Region Steps(int steps, F step)
{
    Region r;
    double sum = 0;
    for (int i = 0; i < steps; ++i) {
        const long long t0 = bench::NowNs();
        step();
        const double ms = Ms(bench::NowNs() - t0);
        sum += ms;
        r.worst = std::max(r.worst, ms);
    }
    r.mean = steps > 0 ? sum / steps : 0;
    return r;
}

void Print(double open, const Region (&regions)[3], double before, double after)
{
    std::printf("%.6f %.4f %.4f %.4f %.4f %.4f %.4f %.2f %.2f\n", open, regions[0].mean, regions[0].worst,
                regions[1].mean, regions[1].worst, regions[2].mean, regions[2].worst, before, after);
}

// The starting records of the three regions: the top, the middle and near the end (leaving
// room for the steps).
void Starts(long long rows, int steps, int pageRows, long long (&starts)[3])
{
    const long long span = static_cast<long long>(steps) * pageRows + pageRows;
    starts[0] = 1;
    starts[1] = rows / 2;
    starts[2] = std::max<long long>(1, rows - span);
}

void SetBenchFont(classes::TFont& font)
{
    font.SetName("DejaVu Sans");
    font.SetSize(9);
}

int RunGrid(const std::string& path, long long rows, int steps)
{
    ui::qt::Install();
    db::TADOConnection conn(nullptr);
    conn.SetLoginPrompt(false);
    conn.SetConnectionString(db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + path));
    conn.Open();
    db::TADOQuery query(nullptr);
    query.SetConnection(&conn);
    query.SQL()->SetText(kSelect);
    const long long t0 = bench::NowNs();
    query.Open();
    const double open = Ms(bench::NowNs() - t0) / 1000.0;
    db::TDataSource source(nullptr);
    source.SetDataSet(&query);
    ui::TForm form(nullptr);
    form.SetBounds(0, 0, 1200, 800);
    auto* grid = new grid::TgkCustomDBGrid(&form);
    grid->SetParent(&form);
    SetBenchFont(*grid->Font());
    grid->SetBounds(0, 0, 1200, 800);
    grid->SetOptions(grid->Options() - grid::TgkDBGridOptions{grid::dgEditing});
    grid->SetDataSource(&source);
    form.Show();
    QApplication::processEvents();
    ui::TBitmap image(grid->ClientWidth(), grid->ClientHeight());
    const auto step = [&] {
        ui::TKey key = ui::VK_NEXT;
        grid->KeyDown(key, {});
        grid->PaintTo(*image.Canvas());
    };
    grid->PaintTo(*image.Canvas());
    const double before = ResidentMiB();
    long long starts[3];
    Starts(rows, steps, grid->VisibleRowCount(), starts);
    Region regions[3];
    for (int i = 0; i < 3; ++i) {
        query.SetRecNo(static_cast<int>(starts[i]));
        grid->PaintTo(*image.Canvas());
        regions[i] = Steps(steps, step);
        if (query.RecNo() <= starts[i] + steps) Fail("Page Down did not page");
    }
    Print(open, regions, before, ResidentMiB());
    return 0;
}

// The rows as a plain model holds them.
struct TRow {
    long long id, customer;
    std::string status, date, note;
    double amount;
    bool noteNull;
};

class TOrdersModel : public QAbstractTableModel {
public:
    std::vector<TRow> rows;
    int rowCount(const QModelIndex& = {}) const override { return static_cast<int>(rows.size()); }
    int columnCount(const QModelIndex& = {}) const override { return kColumns; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole) {
            if (role == Qt::TextAlignmentRole && (index.column() < 2 || index.column() == 4))
                return QVariant(Qt::AlignRight | Qt::AlignVCenter);
            return {};
        }
        const TRow& r = rows[static_cast<std::size_t>(index.row())];
        switch (index.column()) {
        case 0: return QString::number(r.id);
        case 1: return QString::number(r.customer);
        case 2: return QString::fromStdString(r.status);
        case 3: return QString::fromStdString(r.date);
        case 4: return QString::number(r.amount, 'f', 2);
        default: return r.noteNull ? QVariant() : QVariant(QString::fromStdString(r.note));
        }
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override
    {
        static const char* names[] = {"order_id", "customer_id", "status", "order_date", "amount", "note"};
        if (role != Qt::DisplayRole) return {};
        return o == Qt::Horizontal ? QVariant(QString(names[section])) : QVariant();
    }
};

int RunTable(const std::string& path, long long rows, int steps)
{
    const long long t0 = bench::NowNs();
    TOrdersModel model;
    model.rows.reserve(static_cast<std::size_t>(rows));
    sqlite3* db = nullptr;
    Check(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), db, "open");
    sqlite3_stmt* stmt = nullptr;
    Check(sqlite3_prepare_v2(db, kSelect, -1, &stmt, nullptr), db, "prepare");
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        const auto text = [&](int c) {
            const unsigned char* t = sqlite3_column_text(stmt, c);
            return t != nullptr ? std::string(reinterpret_cast<const char*>(t)) : std::string();
        };
        model.rows.push_back({sqlite3_column_int64(stmt, 0), sqlite3_column_int64(stmt, 1), text(2), text(3), text(5),
                              sqlite3_column_double(stmt, 4), sqlite3_column_type(stmt, 5) == SQLITE_NULL});
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    const double open = Ms(bench::NowNs() - t0) / 1000.0;
    QTableView view;
    classes::TFont font;
    SetBenchFont(font);
    view.setFont(ui::qt::ToQFont(font));
    view.setModel(&model);
    view.resize(1200, 800);
    view.verticalHeader()->setDefaultSectionSize(QFontMetrics(view.font()).height() + 4);
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->setFixedWidth(12);
    view.show();
    QApplication::processEvents();
    QImage image(view.size(), QImage::Format_RGB32);
    QScrollBar* bar = view.verticalScrollBar();
    const auto step = [&] {
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        view.render(&image);
    };
    view.render(&image);
    const double before = ResidentMiB();
    const int pageRows = std::max(1, bar->pageStep());
    long long starts[3];
    Starts(rows, steps, pageRows, starts);
    Region regions[3];
    for (int i = 0; i < 3; ++i) {
        bar->setValue(static_cast<int>(starts[i] - 1));
        view.render(&image);
        regions[i] = Steps(steps, step);
        if (bar->value() <= starts[i] + steps) Fail("the scroll bar did not page");
    }
    Print(open, regions, before, ResidentMiB());
    return 0;
}

struct Result {
    double open = 0;
    double values[6] = {};  // mean, worst for top, middle, end
    double before = 0, after = 0, peak = 0;
};

Result RunInOwnProcess(const std::string& mode, const std::string& path, long long rows, int steps)
{
    const bench::TChildRun run = bench::RunChild(
        {"/proc/self/exe", "--child", mode, path, std::to_string(rows), std::to_string(steps)}, {}, true);
    if (!run.Succeeded()) Fail(mode + " failed");
    Result r;
    if (std::sscanf(run.output.c_str(), "%lf %lf %lf %lf %lf %lf %lf %lf %lf", &r.open, &r.values[0], &r.values[1],
                    &r.values[2], &r.values[3], &r.values[4], &r.values[5], &r.before, &r.after) != 9)
        Fail(mode + " printed nothing");
    r.peak = static_cast<double>(run.peakKilobytes) / 1024.0;
    return r;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 6 && std::strcmp(argv[1], "--child") == 0) {
        QApplication app(argc, argv);
        const long long rows = std::atoll(argv[4]);
        const int steps = std::atoi(argv[5]);
        return std::strcmp(argv[2], "grid") == 0 ? RunGrid(argv[3], rows, steps) : RunTable(argv[3], rows, steps);
    }
    const long long rows = argc > 1 ? std::atoll(argv[1]) : 1000000;
    const int steps = argc > 2 ? std::atoi(argv[2]) : 2000;
    const int rounds = std::max(1, argc > 3 ? std::atoi(argv[3]) : 3);
    char folder[] = "/tmp/gw-bench-grid-XXXXXX";
    if (mkdtemp(folder) == nullptr) Fail("temporary folder");
    const std::string path = std::string(folder) + "/orders.db";
    std::printf("Building a %lld-row SQLite table...\n", rows);
    bench::BuildOrdersTable(path, rows);
    std::printf("1200 x 800 offscreen; %d Page Down steps from the top, the middle and near the end; one warm-up "
                "round, then %d rounds, alternated, each case in a fresh process\n\n",
                steps, rounds);
    const std::vector<std::string> modes{"grid", "table"};
    const auto results = bench::AlternateRounds<Result>(
        rounds, modes.size(), [&](std::size_t m) { return RunInOwnProcess(modes[m], path, rows, steps); });
    std::printf("%-22s %8s %17s %17s %17s %22s %9s\n", "case (medians)", "open s", "top mean/worst",
                "middle mean/worst", "end mean/worst", "resident before/after", "peak MiB");
    const char* names[] = {"grid (ADO query)", "QTableView (model)"};
    std::vector<double> means[2];
    for (std::size_t m = 0; m < modes.size(); ++m) {
        const auto med = [&](auto get) {
            std::vector<double> v;
            for (const Result& r : results[m]) v.push_back(get(r));
            return bench::Median(v);
        };
        double cols[6];
        for (int i = 0; i < 6; ++i) cols[i] = med([i](const Result& r) { return r.values[i]; });
        for (const Result& r : results[m]) means[m].push_back((r.values[0] + r.values[2] + r.values[4]) / 3.0);
        std::printf("%-22s %8.2f %8.3f/%-8.3f %8.3f/%-8.3f %8.3f/%-8.3f %10.1f/%-11.1f %9.1f\n", names[m],
                    med([](const Result& r) { return r.open; }), cols[0], cols[1], cols[2], cols[3], cols[4], cols[5],
                    med([](const Result& r) { return r.before; }), med([](const Result& r) { return r.after; }),
                    med([](const Result& r) { return r.peak; }));
    }
    std::printf("\nms per step; grid / QTableView mean per step (median of rounds): %.2f\n",
                bench::Median(bench::PairRatios(means[0], means[1])));
    std::remove(path.c_str());
    rmdir(folder);
    return 0;
}
