// Paging down through a 10 MB text in a shown editor, beside QPlainTextEdit paging the same
// text in the same run: the time of each Page Down step, the key and the painting of the new
// page together (median and worst).
//
//   bench_editor_paging [megabytes] [steps]     (default 10 MB, 300 steps; QT_QPA_PLATFORM
//                                                 =offscreen is set when unset)
//
// The editor gets the text, then background formatting is let run to its end (the state a
// user pages in once the text has loaded); each step is a Page Down key followed by painting
// what became invalid (UpdateWindow). QPlainTextEdit gets the same text and the same window
// size; each step is a Page Down key event and a synchronous repaint of its viewport.
// Goal: at most 16 ms a step.

#include "BenchSupport.h"
#include "editor/TextMemo.h"

#include "platform/ui/Forms.h"
#include "platform/ui/qt/Peers.h"
#include "platform/ui/qt/QtUi.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point from) { return std::chrono::duration<double, std::milli>(Clock::now() - from).count(); }

constexpr int kWidth = 800;
constexpr int kHeight = 600;

void Report(const char* side, std::vector<double> times)
{
    if (times.empty()) return;
    std::sort(times.begin(), times.end());
    std::printf("%-16s steps %4zu  median %7.3f ms  p90 %7.3f ms  worst %7.3f ms\n", side, times.size(),
                times[times.size() / 2], times[times.size() * 9 / 10], times.back());
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 10;
    const int steps = argc > 2 ? std::atoi(argv[2]) : 300;
    ui::qt::Install();
    const std::string text = bench::MakePlainText(megabytes * 1024 * 1024, 7);

    // The editor.
    std::vector<double> editorTimes;
    {
        ui::TForm form(nullptr);
        form.SetBounds(0, 0, kWidth, kHeight);
        auto* memo = new editor::TTextMemo(&form);
        memo->SetParent(&form);
        memo->SetAlign(ui::alClient);
        form.Show();
        QApplication::processEvents();
        memo->SetFocus();
        const auto load = Clock::now();
        memo->SetTextBuf(text);
        while (memo->BackgroundActive()) QApplication::processEvents();
        std::printf("editor: %zu bytes, %d display lines, formatted in %.0f ms\n", text.size(), memo->LineCount(), Ms(load));
        memo->SetSelStart(0);
        memo->Update();
        for (int i = 0; i < steps; ++i) {
            const auto t = Clock::now();
            ui::TKey key = ui::VK_NEXT;
            memo->Perform(ui::WM_KEYDOWN, key, 0);
            memo->Update();
            editorTimes.push_back(Ms(t));
        }
        std::printf("editor: top line after paging %d\n", memo->TopLine());
    }

    // QPlainTextEdit.
    std::vector<double> plainTimes;
    {
        QPlainTextEdit edit;
        edit.resize(kWidth, kHeight);
        edit.show();
        QApplication::processEvents();
        const auto load = Clock::now();
        edit.setPlainText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        QApplication::processEvents();
        std::printf("QPlainTextEdit: loaded in %.0f ms\n", Ms(load));
        edit.viewport()->repaint();
        for (int i = 0; i < steps; ++i) {
            const auto t = Clock::now();
            QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
            QApplication::sendEvent(&edit, &press);
            edit.viewport()->repaint();
            plainTimes.push_back(Ms(t));
        }
    }

    Report("editor", editorTimes);
    Report("QPlainTextEdit", plainTimes);
    return 0;
}
