// Loading and wrapping a 10 MB text in the editor, beside QPlainTextEdit on the same text in
// the same font, for two texts: plain ASCII prose, and a mixed text (UTF-8 in several
// scripts, tabs, very long lines) with keyword and comment highlighting on in the editor.
// Both sides are shown (offscreen) at the same size and paint what they show.
//
//   bench_editor [megabytes] [runs]     (default 10 MB, 5 runs; QT_QPA_PLATFORM=offscreen
//                                         is set when unset)
//
// Every run is a fresh process (the bench starts itself again with "--child <side> <text>
// <megabytes>"), so that one side's caches, heap and font engine state never help or hinder
// the other. Each child first loads a small text of the same kind (warm-up: code, font
// caches, allocator), then the measured one. Per text the sides alternate (editor,
// QPlainTextEdit as is, QPlainTextEdit with every block laid out, editor, ...) after one
// discarded warm-up run each. Printed per side: median and spread of the times; peak memory
// (maximum resident set) net of a baseline child that builds the same text and application
// but loads nothing; the median of the per-round ratios editor / QPlainTextEdit; and the load
// average before and after.
//
// The editor is the program's control on a shown form (it measures through the program's
// own font measure, cached advances per character): the text is loaded, then the control
// repaints what became invalid (the first view), then its background formatting runs to the
// end (every paragraph wrapped). QPlainTextEdit gets setPlainText and a repaint of its
// viewport ("as is": it lays out lazily, the blocks it shows); "laid out" also lays out every
// block at the viewport width, the work the editor does when it wraps every paragraph. The
// QPlainTextEdit side has no highlighter, so on the mixed text the editor does more.

#include "BenchSupport.h"
#include "ShownEditor.h"
#include "editor/Keywords.h"
#include "editor/TextMemo.h"

#include "platform/classes/Font.h"
#include "platform/ui/qt/QtCanvas.h"
#include "platform/ui/qt/QtUi.h"

#include <QApplication>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QString>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr std::size_t kWarmUpBytes = 256 * 1024;

// ---- The texts --------------------------------------------------------------------------------

using bench::MakePlainText;

// SQL with comments and strings, prose in Latin with accents, Cyrillic, Greek, Arabic and
// Hebrew, CJK runs without blanks, emoji, tab-indented lines and now and then a very long
// line (20 to 100 KB); CR LF breaks.
std::string MakeMixedText(std::size_t bytes, unsigned seed)
{
    static const std::vector<std::string> sql = {
        "SELECT", "FROM", "WHERE", "AND", "OR", "JOIN", "LEFT", "ON", "GROUP", "BY", "ORDER", "HAVING",
        "customer_id", "orders.total", "SUM(amount)", "COUNT(*)", "=", "<>", "42", "3.14", "t1", "name"};
    static const std::vector<std::string> words = {
        "caf\xC3\xA9", "na\xC3\xAFve", "\xC3\xBC" "ber", "stra\xC3\x9F" "e", "fa\xC3\xA7" "ade", "se\xC3\xB1or",
        "\xD0\xB4\xD0\xB0\xD0\xBD\xD0\xBD\xD1\x8B\xD0\xB5", "\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82",
        "\xD1\x82\xD0\xB0\xD0\xB1\xD0\xBB\xD0\xB8\xD1\x86\xD0\xB0", "\xCE\xB4\xCE\xB5\xCE\xB4\xCE\xBF\xCE\xBC\xCE\xAD\xCE\xBD\xCE\xB1",
        "\xCE\xBB\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82", "\xD8\xA8\xD9\x8A\xD8\xA7\xD9\x86\xD8\xA7\xD8\xAA",
        "\xD7\xA0\xD7\xAA\xD7\x95\xD7\xA0\xD7\x99\xD7\x9D", "\xF0\x9F\x98\x80", "\xF0\x9F\x93\x8A", "data", "value",
        "select", "from", "where", "report", "2024-05-01"};
    static const std::vector<std::string> cjk = {
        "\xE6\x95\xB0", "\xE6\x8D\xAE", "\xE8\xA1\xA8", "\xE6\x9F\xA5", "\xE8\xAF\xA2", "\xE7\xBB\x93", "\xE6\x9E\x9C",
        "\xE3\x83\x87", "\xE3\x83\xBC", "\xE3\x82\xBF", "\xED\x95\x9C", "\xEA\xB8\x80"};
    std::mt19937 random(seed);
    auto pick = [&](const std::vector<std::string>& v) -> const std::string& { return v[random() % v.size()]; };
    std::string text;
    text.reserve(bytes + 256 * 1024);
    while (text.size() < bytes) {
        const unsigned kind = random() % 1000;
        if (kind < 1) {  // a very long line of mixed words (about a third of the bytes)
            const std::size_t length = 20000 + random() % 80000;
            const std::size_t end = text.size() + length;
            while (text.size() < end) (text += pick(words)) += ' ';
        } else if (kind < 300) {  // SQL, indented with tabs, with a comment or a string now and then
            text.append(random() % 3, '\t');
            const unsigned n = 3 + random() % 12;
            for (unsigned i = 0; i < n; ++i) (text += pick(sql)) += ' ';
            if (random() % 4 == 0) text += "'" + pick(words) + " " + pick(words) + "'";
            if (random() % 6 == 0) text += "-- " + pick(words) + " " + pick(words);
            if (random() % 20 == 0) text += "/* " + pick(words) + "\r\n\t" + pick(words) + " */";
        } else if (kind < 450) {  // CJK without blanks
            const unsigned n = 10 + random() % 200;
            for (unsigned i = 0; i < n; ++i) text += pick(cjk);
        } else if (kind < 480) {  // empty
        } else {  // prose in several scripts, sometimes with tabs between columns
            const unsigned n = 2 + random() % 20;
            for (unsigned i = 0; i < n; ++i) {
                text += pick(words);
                text += random() % 8 == 0 ? '\t' : ' ';
            }
        }
        text += "\r\n";
    }
    return text;
}

std::string MakeText(std::string_view kind, std::size_t bytes, unsigned seed)
{
    return kind == "mixed" ? MakeMixedText(bytes, seed) : MakePlainText(bytes, seed);
}

// ---- The editor's side ------------------------------------------------------------------------

// SQL keywords (bold, whole words, any case), comments and strings (italic).
void HighlightSql(editor::TTextMemo& memo)
{
    static const char* const keywords[] = {
        "SELECT", "FROM", "WHERE", "AND", "OR", "NOT", "JOIN", "INNER", "LEFT", "RIGHT", "OUTER", "ON", "GROUP",
        "BY", "ORDER", "HAVING", "INSERT", "INTO", "VALUES", "UPDATE", "SET", "DELETE", "CREATE", "TABLE",
        "INDEX", "VIEW", "AS", "DISTINCT", "UNION", "ALL", "CASE", "WHEN", "THEN", "ELSE", "END", "NULL", "IS",
        "IN", "LIKE", "BETWEEN", "EXISTS", "COUNT", "SUM", "AVG", "MIN", "MAX"};
    for (const char* k : keywords) {
        editor::TKeywordRec rec;
        rec.Options = editor::koWholeWord;
        rec.Attr = editor::fsBold;
        rec.Context = 1;
        rec.TextColor = 0x800000;
        memo.Keywords()->AddKeyword(k, rec);
    }
    memo.StartStopKeys()->Add("/*", "*/", false, editor::fsItalic, 2, 0, 0x008000, -1, 0);
    memo.StartStopKeys()->Add("--", "", true, editor::fsItalic, 3, 0, 0x008000, -1, 0);
    memo.StartStopKeys()->Add("'", "'", true, 0, 4, 0, 0x000080, -1, 0);
    memo.ResetParsing();
}

struct Times {
    double load = 0;   // the text in the store (editor) / setPlainText returned (Qt)
    double first = 0;  // ... and the first view formatted or painted
    double total = 0;  // ... and every paragraph wrapped (editor, Qt laid out); the first view (Qt as is)
    long long lines = 0;
};

Times RunEditor(editor::TTextMemo& memo, const std::string& text)
{
    Times t;
    const auto start = Clock::now();
    memo.LoadFromText(text);
    t.load = Seconds(start);
    memo.Update();
    t.first = Seconds(start);
    while (memo.BackgroundActive()) QApplication::processEvents();
    t.total = Seconds(start);
    t.lines = memo.LineCount();
    memo.CheckConsistency();
    return t;
}

// ---- QPlainTextEdit's side --------------------------------------------------------------------

Times RunPlainTextEdit(QPlainTextEdit& edit, const std::string& text, bool layOutAll)
{
    Times t;
    const auto start = Clock::now();
    edit.setPlainText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    t.load = Seconds(start);
    edit.viewport()->repaint();
    QApplication::processEvents();
    t.first = t.total = Seconds(start);
    QTextDocument* doc = edit.document();
    if (layOutAll) {
        auto* layout = qobject_cast<QPlainTextDocumentLayout*>(doc->documentLayout());
        for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
            layout->ensureBlockLayout(b);
            t.lines += b.layout()->lineCount();
        }
        t.total = Seconds(start);
    } else {
        t.lines = doc->blockCount();
    }
    return t;
}

long PeakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// One measured run in this process; prints "RESULT load first total lines peak-kB".
int Child(std::string_view side, std::string_view kind, double megabytes)
{
    ui::qt::Install();
    const auto bytes = static_cast<std::size_t>(megabytes * 1024 * 1024);
    const std::string warmText = MakeText(kind, kWarmUpBytes, 7);
    const std::string text = MakeText(kind, bytes, 2024);
    const bool highlight = kind == "mixed";
    classes::TFont font;
    Times t;
    if (side == "editor") {
        bench::TShownEditor shown(kWidth, kHeight, font);
        if (highlight) HighlightSql(*shown.memo);
        shown.Show();
        RunEditor(*shown.memo, warmText);
        t = RunEditor(*shown.memo, text);
    } else if (side == "qt" || side == "qt-all") {
        QPlainTextEdit edit;
        edit.setFont(ui::qt::CanvasFont(font));
        edit.resize(kWidth, kHeight);
        edit.setLineWrapMode(QPlainTextEdit::WidgetWidth);
        edit.show();
        QApplication::processEvents();
        RunPlainTextEdit(edit, warmText, side == "qt-all");
        t = RunPlainTextEdit(edit, text, side == "qt-all");
    } else if (side != "baseline") {
        std::fprintf(stderr, "unknown side %s\n", std::string(side).c_str());
        return 2;
    }
    std::printf("RESULT %.6f %.6f %.6f %lld %ld\n", t.load, t.first, t.total, t.lines, PeakKilobytes());
    return 0;
}

// ---- The driver -------------------------------------------------------------------------------

struct Sample {
    Times t;
    long peak = 0;
};

Sample Spawn(const std::string& self, const std::string& side, const std::string& kind, double megabytes)
{
    const bench::TChildRun run = bench::RunChild({self, "--child", side, kind, std::to_string(megabytes)}, {}, true);
    Sample s;
    if (!run.started) return s;
    std::istringstream out(run.output);
    for (std::string line; std::getline(out, line);) {
        if (std::sscanf(line.c_str(), "RESULT %lf %lf %lf %lld %ld", &s.t.load, &s.t.first, &s.t.total, &s.t.lines, &s.peak) == 5) break;
    }
    if (!run.Succeeded()) std::fprintf(stderr, "bench_editor: the %s child failed\n", side.c_str());
    return s;
}

using bench::Median;

template <class F>
std::vector<double> Column(const std::vector<Sample>& samples, F f)
{
    std::vector<double> v;
    for (const Sample& s : samples) v.push_back(f(s));
    return v;
}

void PrintSide(const char* name, const std::vector<Sample>& samples, double baselineMb, bool showFirst,
               const char* lines = "lines")
{
    const std::vector<double> total = Column(samples, [](const Sample& s) { return s.t.total; });
    const std::vector<double> first = Column(samples, [](const Sample& s) { return s.t.first; });
    const std::vector<double> peak = Column(samples, [](const Sample& s) { return s.peak / 1024.0; });
    std::printf("  %-37s %6.3f s (%.3f to %.3f)", name, Median(total), bench::Lowest(total),
                bench::Highest(total));
    if (showFirst) std::printf("  first view %.3f s", Median(first));
    std::printf("  %lld %s  peak +%.0f MB\n", samples.front().t.lines, lines, Median(peak) - baselineMb);
}

int Driver(double megabytes, int runs)
{
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return 1;
    self[n] = '\0';
    const long cores = ::sysconf(_SC_NPROCESSORS_ONLN);
    std::printf("bench_editor: %.1f MB per text, %d alternating runs per side after one warm-up run, %ld cores, load %.2f\n",
                megabytes, runs, cores, bench::LoadAverage());
    std::printf("  times: median (min to max) of load and wrap; peak memory net of a baseline process\n");

    const std::vector<std::string> sides = {"editor", "qt", "qt-all"};
    for (const std::string kind : {"plain", "mixed"}) {
        std::vector<Sample> baselines;
        for (int i = 0; i < 3; ++i) baselines.push_back(Spawn(self, "baseline", kind, megabytes));
        const double baselineMb = Median(Column(baselines, [](const Sample& s) { return s.peak / 1024.0; }));
        for (const std::string& side : sides) Spawn(self, side, kind, megabytes);  // warm-up, discarded
        std::map<std::string, std::vector<Sample>> samples;
        for (int r = 0; r < runs; ++r)
            for (const std::string& side : sides) samples[side].push_back(Spawn(self, side, kind, megabytes));

        std::printf("\n%s text%s (baseline process %.0f MB):\n", kind.c_str(),
                    kind == "mixed" ? ", keyword and comment highlighting on in the editor" : "", baselineMb);
        PrintSide("editor, shown, program font measure", samples["editor"], baselineMb, true);
        PrintSide("QPlainTextEdit as is", samples["qt"], baselineMb, false, "blocks");
        PrintSide("QPlainTextEdit, every block laid out", samples["qt-all"], baselineMb, false);
        // Like for like: the first view beside QPlainTextEdit as is (both have laid out what
        // shows), every paragraph wrapped beside every block laid out; and, strictest, every
        // paragraph wrapped beside QPlainTextEdit as is.
        const auto first = [](const Sample& s) { return s.t.first; };
        const auto total = [](const Sample& s) { return s.t.total; };
        const std::vector<double> firstAsIs =
            bench::PairRatios(Column(samples["editor"], first), Column(samples["qt"], total));
        const std::vector<double> allLaidOut =
            bench::PairRatios(Column(samples["editor"], total), Column(samples["qt-all"], total));
        const std::vector<double> allAsIs =
            bench::PairRatios(Column(samples["editor"], total), Column(samples["qt"], total));
        std::printf("  editor / QPlainTextEdit, medians of per-round ratios (goal at most 0.5x):\n"
                    "    first view / as is %.2fx   all wrapped / laid out %.2fx   all wrapped / as is %.2fx\n",
                    Median(firstAsIs), Median(allLaidOut), Median(allAsIs));
    }
    std::printf("\nload average at the end %.2f\n", bench::LoadAverage());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 5 && std::string_view(argv[1]) == "--child") return Child(argv[2], argv[3], std::atof(argv[4]));
    const double megabytes = argc > 1 ? std::atof(argv[1]) : 10.0;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    return Driver(megabytes, runs);
}
