// Paging down through a 10 MB text in a shown editor, beside QPlainTextEdit paging the same
// text in the same font: the time of each Page Down step, the key and the painting of the new
// page together.
//
//   bench_editor_paging [megabytes] [steps] [rounds]   (default 10 MB, 300 steps, 5 rounds;
//                                                       QT_QPA_PLATFORM=offscreen is set
//                                                       when unset)
//
// Every run is a fresh process (the bench starts itself again with "--child <side>
// <megabytes> <steps>"); after one discarded warm-up run of each side, the rounds run both
// sides in turn, which side goes first alternating. Both sides show the program's default
// font (QPlainTextEdit gets the canvas font the editor draws with) at the same window size.
// The editor gets the text, then background formatting is let run to its end (the state a
// user pages in once the text has loaded); each step is a Page Down key followed by painting
// what became invalid (UpdateWindow). QPlainTextEdit gets the same text; each step is a Page
// Down key event and a synchronous repaint of its viewport. Printed per side: the medians
// over the rounds of each run's median, 90th percentile and worst step, with their lowest and
// highest; and the load average before and after. Goal: at most 16 ms a step.

#include "BenchSupport.h"
#include "ShownEditor.h"
#include "editor/TextMemo.h"

#include "platform/classes/Font.h"
#include "platform/ui/qt/QtCanvas.h"
#include "platform/ui/qt/QtUi.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point from) { return std::chrono::duration<double, std::milli>(Clock::now() - from).count(); }

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// The figures of one run: the median, 90th percentile and worst step, the load in ms.
struct TRun {
    double median = 0, p90 = 0, worst = 0, loadMs = 0;
    bool ok = false;
};

TRun Summarise(std::vector<double> times, double loadMs)
{
    TRun r;
    if (times.empty()) return r;
    std::sort(times.begin(), times.end());
    r.median = times[times.size() / 2];
    r.p90 = times[times.size() * 9 / 10];
    r.worst = times.back();
    r.loadMs = loadMs;
    r.ok = true;
    return r;
}

TRun PageEditor(const std::string& text, const classes::TFont& font, int steps)
{
    bench::TShownEditor shown(kWidth, kHeight, font);
    shown.Show();
    editor::TTextMemo* memo = shown.memo;
    memo->SetFocus();
    const auto load = Clock::now();
    memo->SetTextBuf(text);
    while (memo->BackgroundActive()) QApplication::processEvents();
    const double loadMs = Ms(load);
    memo->SetSelStart(0);
    memo->Update();
    std::vector<double> times;
    for (int i = 0; i < steps; ++i) {
        const auto t = Clock::now();
        ui::TKey key = ui::VK_NEXT;
        memo->Perform(ui::WM_KEYDOWN, key, 0);
        memo->Update();
        times.push_back(Ms(t));
    }
    return Summarise(std::move(times), loadMs);
}

TRun PagePlainTextEdit(const std::string& text, const classes::TFont& font, int steps)
{
    QPlainTextEdit edit;
    edit.setFont(ui::qt::CanvasFont(font));
    edit.resize(kWidth, kHeight);
    edit.show();
    QApplication::processEvents();
    const auto load = Clock::now();
    edit.setPlainText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    QApplication::processEvents();
    const double loadMs = Ms(load);
    edit.viewport()->repaint();
    std::vector<double> times;
    for (int i = 0; i < steps; ++i) {
        const auto t = Clock::now();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
        QApplication::sendEvent(&edit, &press);
        edit.viewport()->repaint();
        times.push_back(Ms(t));
    }
    return Summarise(std::move(times), loadMs);
}

// One run in this process; prints "RESULT median p90 worst load-ms".
int Child(std::string_view side, std::size_t megabytes, int steps)
{
    ui::qt::Install();
    const std::string text = bench::MakePlainText(megabytes * 1024 * 1024, 7);
    const classes::TFont font;  // the program's default, on both sides
    const TRun r = side == "editor" ? PageEditor(text, font, steps) : PagePlainTextEdit(text, font, steps);
    std::printf("RESULT %.6f %.6f %.6f %.3f\n", r.median, r.p90, r.worst, r.loadMs);
    return 0;
}

TRun Spawn(const std::string& self, const std::string& side, std::size_t megabytes, int steps)
{
    const bench::TChildRun run =
        bench::RunChild({self, "--child", side, std::to_string(megabytes), std::to_string(steps)}, {}, true);
    TRun r;
    std::istringstream out(run.output);
    for (std::string line; std::getline(out, line);)
        if (std::sscanf(line.c_str(), "RESULT %lf %lf %lf %lf", &r.median, &r.p90, &r.worst, &r.loadMs) == 4) r.ok = true;
    if (!run.Succeeded() || !r.ok) std::fprintf(stderr, "bench_editor_paging: the %s child failed\n", side.c_str());
    return r;
}

void Report(const char* side, const std::vector<TRun>& runs)
{
    const auto column = [&](double TRun::*field) {
        std::vector<double> v;
        for (const TRun& r : runs)
            if (r.ok) v.push_back(r.*field);
        return v;
    };
    const auto print = [](const char* name, const std::vector<double>& v) {
        std::printf("  %s %7.3f ms (%.3f to %.3f)", name, bench::Median(v), bench::Lowest(v), bench::Highest(v));
    };
    std::printf("%-16s", side);
    print("median", column(&TRun::median));
    print("  p90", column(&TRun::p90));
    print("  worst", column(&TRun::worst));
    std::printf("  load %.0f ms\n", bench::Median(column(&TRun::loadMs)));
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 5 && std::string_view(argv[1]) == "--child")
        return Child(argv[2], std::strtoul(argv[3], nullptr, 10), std::atoi(argv[4]));
    const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 10;
    const int steps = argc > 2 ? std::max(1, std::atoi(argv[2])) : 300;
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    const std::string self = std::filesystem::canonical("/proc/self/exe").string();
    const double loadBefore = bench::LoadAverage();
    const auto [editor, plain] = bench::TakeTurns<TRun>(
        rounds, [&] { return Spawn(self, "editor", megabytes, steps); }, [&] { return Spawn(self, "qt", megabytes, steps); });
    std::printf("Page Down through %zu MB, %d steps a run, %d alternated rounds of fresh processes after a warm-up, "
                "load %.2f -> %.2f\n",
                megabytes, steps, rounds, loadBefore, bench::LoadAverage());
    std::printf("  per step, medians over the rounds (lowest to highest round)\n");
    Report("editor", editor);
    Report("QPlainTextEdit", plain);
    return 0;
}
