// Loads and wraps a 10 MB text in the editor and, in the same run, hands the same text to
// QPlainTextEdit::setPlainText, and prints the times.
//
//   bench_editor [megabytes]      (QT_QPA_PLATFORM=offscreen works)

#include "editor/TextMemo.h"

#include "platform/ui/FontMeasure.h"
#include "platform/ui/MessageQueue.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPlainTextEdit>
#include <QString>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

// Words of 1 to 12 letters, lines of up to ~140 characters, now and then an empty line or a
// very long paragraph; CR LF breaks.
std::string MakeText(std::size_t bytes)
{
    std::mt19937 random(2024);
    std::string text;
    text.reserve(bytes + 256);
    while (text.size() < bytes) {
        const unsigned kind = random() % 50;
        const std::size_t length = kind == 0 ? 0 : kind == 1 ? 2000 + random() % 3000 : 10 + random() % 130;
        std::size_t line = 0;
        while (line < length) {
            const unsigned word = 1 + random() % 12;
            for (unsigned i = 0; i < word; ++i) text.push_back(static_cast<char>('a' + random() % 26));
            text.push_back(' ');
            line += word + 1;
        }
        text += "\r\n";
    }
    return text;
}

// A real font, every run shaped by Qt.
class QtFontMeasure : public ui::IFontMeasure {
public:
    explicit QtFontMeasure(const QFont& font) : metrics_(font) {}
    int TextWidth(std::string_view utf8) override
    {
        return static_cast<int>(std::lround(
            metrics_.horizontalAdvance(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())))));
    }
    ui::TFontMetrics Metrics() override
    {
        ui::TFontMetrics m;
        m.Ascent = static_cast<int>(std::ceil(metrics_.ascent()));
        m.Descent = static_cast<int>(std::ceil(metrics_.descent()));
        m.Height = m.Ascent + m.Descent;
        m.AveCharWidth = static_cast<int>(std::lround(metrics_.averageCharWidth()));
        m.MaxCharWidth = static_cast<int>(std::lround(metrics_.maxWidth()));
        return m;
    }

private:
    QFontMetricsF metrics_;
};

// A real font, ASCII runs summed from the advances of their characters (no kerning), other
// runs shaped by Qt.
class QtAdvanceMeasure : public QtFontMeasure {
public:
    explicit QtAdvanceMeasure(const QFont& font) : QtFontMeasure(font), metrics_(font)
    {
        for (int c = 0; c < 128; ++c) advance_[c] = metrics_.horizontalAdvance(QChar(c));
    }
    int TextWidth(std::string_view utf8) override
    {
        double w = 0;
        for (const char c : utf8) {
            if (static_cast<unsigned char>(c) >= 128) return QtFontMeasure::TextWidth(utf8);
            w += advance_[static_cast<unsigned char>(c)];
        }
        return static_cast<int>(std::lround(w));
    }

private:
    QFontMetricsF metrics_;
    double advance_[128];
};

constexpr int kWidth = 800;
constexpr int kHeight = 600;

struct EditorRun {
    double load = 0;      // text read into the store
    double firstView = 0; // ... and the first slice formatted (what is in view)
    double total = 0;     // ... and every paragraph wrapped
    int lines = 0;
};

EditorRun RunEditor(const std::string& text, ui::IFontMeasure& font)
{
    editor::TOneFontMeasure canvas(font);
    ui::TManualMessageQueue queue;
    editor::TTextMemo memo;
    memo.AttachWindow(canvas, kWidth, kHeight, queue);
    EditorRun r;
    const auto start = Clock::now();
    memo.LoadFromText(text);
    r.load = Seconds(start);
    queue.DeliverOne();
    r.firstView = Seconds(start);
    queue.DeliverAll();
    r.total = Seconds(start);
    r.lines = memo.LineCount();
    memo.CheckConsistency();
    return r;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double megabytes = argc > 1 ? std::atof(argv[1]) : 10.0;
    const std::string text = MakeText(static_cast<std::size_t>(megabytes * 1024 * 1024));
    std::printf("text: %.1f MB\n", static_cast<double>(text.size()) / (1024 * 1024));

    const QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);

    ui::TFixedWidthMeasure fixed(8, 16, 4);
    RunEditor(text, fixed);  // warms the allocator up
    const EditorRun fake = RunEditor(text, fixed);
    std::printf("TTextMemo, fixed-width fake: load %.3f s, first view %.3f s, all wrapped %.3f s (%d lines)\n",
                fake.load, fake.firstView, fake.total, fake.lines);

    QtAdvanceMeasure advances(font);
    const EditorRun fast = RunEditor(text, advances);
    std::printf("TTextMemo, Qt char advances: load %.3f s, first view %.3f s, all wrapped %.3f s (%d lines)\n",
                fast.load, fast.firstView, fast.total, fast.lines);

    QtFontMeasure shaped(font);
    const EditorRun real = RunEditor(text, shaped);
    std::printf("TTextMemo, Qt shaping a run: load %.3f s, first view %.3f s, all wrapped %.3f s (%d lines)\n",
                real.load, real.firstView, real.total, real.lines);

    QPlainTextEdit edit;
    edit.setFont(font);
    edit.resize(kWidth, kHeight);
    edit.setLineWrapMode(QPlainTextEdit::WidgetWidth);
    edit.show();
    QApplication::processEvents();
    const auto start = Clock::now();
    const QString qtext = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const double converted = Seconds(start);
    edit.setPlainText(qtext);
    const double set = Seconds(start);
    QApplication::processEvents();
    const double shown = Seconds(start);
    std::printf("QPlainTextEdit::setPlainText: UTF-8 to QString %.3f s, set %.3f s, first view %.3f s (%d blocks)\n",
                converted, set, shown, edit.document()->blockCount());
    return 0;
}
