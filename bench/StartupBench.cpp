// Start-up time of the program: from the moment its process is started to the moment its
// main window has first been painted, beside a bare Qt program that shows a main window with
// a menu bar, a tool bar and a status bar. Both run under the X server in DISPLAY (Xvfb), in
// turn, each run a fresh process; which of the two starts a round alternates.
//
//   bench_startup [rounds] [program]   rounds (default 15) after one warm-up start of each;
//                                      program defaults to the gridweaver built beside this
//                                      benchmark
//
// The program is started with GRIDWEAVER_QUIT_WHEN_SHOWN=1: once its main window has been
// painted (ui::qt::TFirstPaintWatch: the first expose handled, painted and handed to the X
// server) it prints "gridweaver-shown <steady clock nanoseconds>" and ends; the bare program
// watches its window the same way. The steady clock is the system's monotonic clock, shared
// by all processes, so the figure is the time from the spawn to that line. Printed: medians,
// quartiles and extremes, the median of the per-round ratios, and the load average before and
// after. Goal: the program's median at most 1.5 times the bare program's.

#include "BenchSupport.h"
#include "platform/ui/qt/FirstPaint.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using bench::NowNs;

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "bench_startup: %s\n", what.c_str());
    std::exit(1);
}

// The bare program: a main window with a menu bar, a tool bar and a status bar.
int RunBare(int argc, char** argv)
{
    QApplication application(argc, argv);
    QMainWindow window;
    window.setWindowTitle("Bare");
    for (const char* title : {"&File", "&Tools", "&Help"}) {
        QMenu* menu = window.menuBar()->addMenu(title);
        for (const char* item : {"New Project...", "Open Project...", "Save Project", "Exit"}) menu->addAction(item);
    }
    QToolBar* tools = window.addToolBar("Main");
    for (const char* item : {"New Project...", "Open Project...", "Save Project", "Save Pages...", "Help"})
        tools->addAction(item);
    for (int width : {300, 200, 50}) {
        auto* panel = new QLabel(&window);
        panel->setMinimumWidth(width);
        window.statusBar()->addWidget(panel);
    }
    window.resize(800, 600);
    window.show();
    new ui::qt::TFirstPaintWatch(window, [&] {
        std::printf("gridweaver-shown %lld\n", NowNs());
        std::fflush(stdout);
        application.quit();
    });
    return application.exec();
}

// Starts `args` with `extraEnv` added, reads its "gridweaver-shown" line; answers
// milliseconds from the spawn to that line.
double TimeRun(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv)
{
    const bench::TChildRun run = bench::RunChild(args, extraEnv, true);
    if (!run.started) Fail("cannot start " + args[0]);
    const auto at = run.output.find("gridweaver-shown ");
    if (at == std::string::npos)
        Fail(args[0] + " did not report its window (exit status " + std::to_string(run.status) + ")");
    const long long shown = std::atoll(run.output.c_str() + at + 17);
    return static_cast<double>(shown - run.spawnedNs) / 1e6;
}

using Stats = bench::TQuartiles;

void Print(const char* name, const Stats& s)
{
    std::printf("%-12s median %7.1f ms   quartiles %7.1f .. %7.1f ms   range %7.1f .. %7.1f ms\n", name, s.median, s.q1,
                s.q3, s.min, s.max);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--bare") == 0) return RunBare(argc, argv);
    if (std::getenv("DISPLAY") == nullptr) Fail("needs an X server: set DISPLAY (Xvfb)");
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;
    const std::string program = argc > 2 ? argv[2] : GW_BINARY_DIR "/app/gridweaver";
    const std::string self = std::filesystem::canonical("/proc/self/exe").string();
    const auto home = std::filesystem::temp_directory_path() / ("gw-startup-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(home);
    const std::vector<std::string> env{"GRIDWEAVER_QUIT_WHEN_SHOWN=1", "GRIDWEAVER_HOME=" + home.string(),
                                       "QT_QPA_PLATFORM=xcb"};
    const double loadBefore = bench::LoadAverage();
    // The warm-up start seeds the program folder and warms the caches.
    const auto [gw, bare] = bench::TakeTurns<double>(
        rounds, [&] { return TimeRun({program}, env); }, [&] { return TimeRun({self, "--bare"}, env); });
    std::filesystem::remove_all(home);
    std::printf("Start to main window painted, %d alternated rounds after a warm-up, DISPLAY=%s, load %.2f -> %.2f\n",
                rounds, std::getenv("DISPLAY"), loadBefore, bench::LoadAverage());
    const Stats g = bench::QuartilesOf(gw), b = bench::QuartilesOf(bare);
    Print("gridweaver", g);
    Print("bare Qt", b);
    const Stats r = bench::QuartilesOf(bench::PairRatios(gw, bare));
    std::printf("ratio of medians: %.2f; per-round ratios: median %.2f, quartiles %.2f .. %.2f (goal: at most 1.50)\n",
                g.median / b.median, r.median, r.q1, r.q3);
    return 0;
}
