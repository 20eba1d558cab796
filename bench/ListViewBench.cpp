// Shows report-style list views of 1,000, 10,000 and 100,000 items through the Qt backend
// (offscreen unless QT_QPA_PLATFORM says otherwise) and times the show, then 1,000
// single-caption changes in each, every change followed by the event loop's turn (the
// repaint it causes). A change costs one row of the view's model, so its time should not
// grow with the list.
//
//   bench_list_view [runs]        (default 7 runs of 1,000 changes per size)

#include <QApplication>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
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

struct TFigures {
    double showMs = 0;
    std::vector<double> perChangeUs;  // one per run
};

TFigures Measure(int count, int runs, int changes)
{
    TFigures figures;
    auto form = std::make_unique<ui::TForm>(nullptr);
    form->SetBounds(40, 40, 480, 360);
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

    const auto showStart = Clock::now();
    form->Show();
    QWidget* window = ui::qt::WidgetOf(*form);
    if (window == nullptr || !QTest::qWaitForWindowExposed(window)) {
        std::fprintf(stderr, "the form did not show\n");
        std::exit(1);
    }
    QApplication::processEvents();
    figures.showMs = Micros(showStart, Clock::now()) / 1000.0;

    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        for (int k = 0; k < changes; ++k) {
            // Every other change lands on a row in sight, the others anywhere in the list.
            const int index = k % 2 == 0 ? k % 8 : static_cast<int>((static_cast<long long>(k) * 7919) % count);
            view->Items()->Item(index)->SetCaption("run " + std::to_string(run) + " change " + std::to_string(k));
            QApplication::processEvents();
        }
        figures.perChangeUs.push_back(Micros(start, Clock::now()) / changes);
    }
    form.reset();
    QApplication::processEvents();
    return figures;
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const int changes = 1000;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ui::qt::Install();
    std::printf("list view, report style, 2 columns; %d runs of %d single-caption changes per size\n", runs, changes);
    std::printf("%10s %12s %18s %12s %12s\n", "items", "show ms", "per change us", "min us", "max us");
    Measure(100, 1, 10);  // fonts and styles load once, outside the figures
    for (const int count : {1000, 10000, 100000}) {
        const TFigures f = Measure(count, runs, changes);
        const auto [lo, hi] = std::minmax_element(f.perChangeUs.begin(), f.perChangeUs.end());
        std::printf("%10d %12.1f %18.2f %12.2f %12.2f\n", count, f.showMs, Median(f.perChangeUs), *lo, *hi);
        std::fflush(stdout);
    }
    ui::qt::Uninstall();
    return 0;
}
