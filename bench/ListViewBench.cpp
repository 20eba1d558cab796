// Report-style list views of 1,000, 10,000 and 100,000 items shown through the Qt backend
// (offscreen unless QT_QPA_PLATFORM says otherwise), beside a QTableView over a
// QStandardItemModel holding the same items in the same window size: the time to show, then
// 1,000 single-caption changes, every change followed by the event loop's turn (the repaint
// it causes). A change costs one row of the view's model, so its time should not grow with
// the list.
//
//   bench_list_view [rounds] [runs]   (default 5 rounds; 3 runs of 1,000 changes per process)
//
// Every measurement is a fresh process (the bench starts itself again with "--child <side>
// <items> <runs>"); per size, after one discarded warm-up process of each side, the rounds
// run both sides in turn, which goes first alternating. Printed per size and side: the show
// and the time per change (the median of the process's runs), each as the median over the
// rounds with the lowest and highest; the median of the per-round ratios list / Qt; and the
// load average before and after.

#include <QApplication>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "BenchSupport.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/qt/QtUi.h"

namespace {

using Clock = std::chrono::steady_clock;

double Micros(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::micro>(to - from).count();
}

using bench::Median;

constexpr int kChanges = 1000;
constexpr int kLeft = 40, kTop = 40, kWidth = 480, kHeight = 360;

struct TFigures {
    double showMs = 0;
    double perChangeUs = 0;  // the median of the runs
    bool ok = false;
};

// Every other change lands on a row in sight, the others anywhere in the list.
int ChangedRow(int k, int count)
{
    return k % 2 == 0 ? k % 8 : static_cast<int>((static_cast<long long>(k) * 7919) % count);
}

// Runs `show`, which answers the window it showed, and waits until that is exposed and the
// event loop is idle: milliseconds.
double TimeShow(const std::function<QWidget*()>& show)
{
    const auto start = Clock::now();
    QWidget* window = show();
    if (window == nullptr || !QTest::qWaitForWindowExposed(window)) {
        std::fprintf(stderr, "the window did not show\n");
        std::exit(1);
    }
    QApplication::processEvents();
    return Micros(start, Clock::now()) / 1000.0;
}

// `change(run, k)` makes the k-th change of a run; answers the median microseconds a change.
template <class TChange>
double TimeChanges(int runs, TChange change)
{
    std::vector<double> perChange;
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        for (int k = 0; k < kChanges; ++k) {
            change(run, k);
            QApplication::processEvents();
        }
        perChange.push_back(Micros(start, Clock::now()) / kChanges);
    }
    return Median(perChange);
}

TFigures MeasureList(int count, int runs)
{
    TFigures figures;
    auto form = std::make_unique<ui::TForm>(nullptr);
    form->SetBounds(kLeft, kTop, kWidth, kHeight);
    auto* view = new ui::TListView(form.get());
    view->SetParent(form.get());
    view->SetAlign(ui::alClient);
    view->SetViewStyle(ui::vsReport);
    view->Columns()->Add()->SetCaption("Name");
    view->Columns()->Add()->SetCaption("Value");
    view->Items()->BeginUpdate();
    for (int i = 0; i < count; ++i) {
        ui::TListItem* item = view->Items()->Add();
        item->SetCaption("item " + std::to_string(i));
        item->SubItems()->Add("value " + std::to_string(i));
    }
    view->Items()->EndUpdate();
    figures.showMs = TimeShow([&] {
        form->Show();
        return ui::qt::WidgetOf(*form);
    });
    figures.perChangeUs = TimeChanges(runs, [&](int run, int k) {
        view->Items()->Item(ChangedRow(k, count))->SetCaption("run " + std::to_string(run) + " change " + std::to_string(k));
    });
    figures.ok = true;
    return figures;
}

TFigures MeasureQt(int count, int runs)
{
    TFigures figures;
    QStandardItemModel model(count, 2);
    model.setHorizontalHeaderLabels({"Name", "Value"});
    for (int i = 0; i < count; ++i) {
        model.setItem(i, 0, new QStandardItem(QString("item %1").arg(i)));
        model.setItem(i, 1, new QStandardItem(QString("value %1").arg(i)));
    }
    QTableView view;
    view.setGeometry(kLeft, kTop, kWidth, kHeight);
    view.setShowGrid(false);
    view.setWordWrap(false);
    view.verticalHeader()->hide();
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->setDefaultSectionSize(ui::TListView::kRowHeight);
    view.setModel(&model);
    figures.showMs = TimeShow([&] {
        view.show();
        return &view;
    });
    figures.perChangeUs = TimeChanges(runs, [&](int run, int k) {
        model.item(ChangedRow(k, count), 0)->setText(QString("run %1 change %2").arg(run).arg(k));
    });
    figures.ok = true;
    return figures;
}

// One measurement in this process; prints "RESULT show-ms per-change-us".
int Child(std::string_view side, int count, int runs)
{
    ui::qt::Install();
    // Fonts and styles load once, outside the figures.
    side == "list" ? MeasureList(100, 1) : MeasureQt(100, 1);
    const TFigures f = side == "list" ? MeasureList(count, runs) : MeasureQt(count, runs);
    if (!f.ok) return 1;
    std::printf("RESULT %.3f %.3f\n", f.showMs, f.perChangeUs);
    ui::qt::Uninstall();
    return 0;
}

TFigures Spawn(const std::string& self, const std::string& side, int count, int runs)
{
    const bench::TChildRun run =
        bench::RunChild({self, "--child", side, std::to_string(count), std::to_string(runs)}, {}, true);
    TFigures f;
    std::istringstream out(run.output);
    for (std::string line; std::getline(out, line);)
        if (std::sscanf(line.c_str(), "RESULT %lf %lf", &f.showMs, &f.perChangeUs) == 2) f.ok = true;
    if (!run.Succeeded() || !f.ok) std::fprintf(stderr, "bench_list_view: the %s child failed\n", side.c_str());
    return f;
}

std::vector<double> Column(const std::vector<TFigures>& runs, double TFigures::*field)
{
    std::vector<double> v;
    for (const TFigures& f : runs)
        if (f.ok) v.push_back(f.*field);
    return v;
}

void PrintSide(int count, const char* side, const std::vector<TFigures>& runs)
{
    const std::vector<double> show = Column(runs, &TFigures::showMs), change = Column(runs, &TFigures::perChangeUs);
    std::printf("%9d  %-22s %8.1f (%6.1f to %6.1f) %10.2f (%7.2f to %7.2f)\n", count, side, Median(show),
                bench::Lowest(show), bench::Highest(show), Median(change), bench::Lowest(change), bench::Highest(change));
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 5 && std::string_view(argv[1]) == "--child") return Child(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const std::string self = std::filesystem::canonical("/proc/self/exe").string();
    const double loadBefore = bench::LoadAverage();
    std::printf("list view, report style, 2 columns, beside QTableView over QStandardItemModel; %d alternated rounds of\n"
                "fresh processes after a warm-up, each process %d runs of %d single-caption changes\n",
                rounds, runs, kChanges);
    std::printf("%9s  %-22s %28s %32s\n", "items", "side", "show ms (lowest to highest)",
                "per change us (lowest to highest)");
    for (const int count : {1000, 10000, 100000}) {
        const auto [list, qt] = bench::TakeTurns<TFigures>(
            rounds, [&] { return Spawn(self, "list", count, runs); }, [&] { return Spawn(self, "qt", count, runs); });
        PrintSide(count, "list view", list);
        PrintSide(count, "QStandardItemModel", qt);
        const std::vector<double> ratio =
            bench::PairRatios(Column(list, &TFigures::perChangeUs), Column(qt, &TFigures::perChangeUs));
        std::printf("%9s  per change, list / Qt, median of per-round ratios: %.2f\n", "", Median(ratio));
        std::fflush(stdout);
    }
    std::printf("load average %.2f -> %.2f\n", loadBefore, bench::LoadAverage());
    return 0;
}
