// Reading and writing a 1 MB rich text: the RTF reader and writer (with the document the
// control edits: model into Qt's text document and back) beside Qt's own HTML import and
// export of the same text.
//
//   bench_rich_text [megabytes] [runs]     (default 1 MB, 7 runs; QT_QPA_PLATFORM=offscreen
//                                            is set when unset)
//
// Every run is a fresh process ("--child <side> <megabytes>"); the sides alternate after one
// discarded warm-up round. Each child builds the same text (paragraphs of runs in several
// fonts, sizes, colours and styles, bullets, tabs and non-ASCII words), warms up on a small
// one, then times import (bytes to document) and export (document to bytes). Printed per
// side and step: median (min to max); and the medians of the per-round ratios RTF / HTML.
//
// Sides: "rtf" reads with ReadRtf and loads the model into the document (import), saves the
// model and writes it with WriteRtf (export); "rtf-model" the reader and writer alone, no
// document; "html" QTextDocument::setHtml and toHtml on the HTML Qt itself writes of the text.

#include "BenchSupport.h"

#include "platform/ui/RichText.h"
#include "platform/ui/qt/RichDocument.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace rtf = ui::rtf;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

rtf::Document MakeDocument(std::size_t bytes, unsigned seed)
{
    static const std::vector<std::string> words = {
        "the", "report", "of", "sales", "by", "region", "caf\xC3\xA9", "na\xC3\xAFve", "\xD0\xB4\xD0\xB0\xD0\xBD\xD0\xBD\xD1\x8B\xD0\xB5",
        "\xCE\xBB\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82", "total", "2024", "customer", "{braces}", "back\\slash", "value"};
    rtf::Document d;
    d.fonts = {{"Arial", "swiss", 0}, {"Times New Roman", "roman", 0}, {"Courier New", "modern", 0}};
    d.colors = {{}, {false, 255, 0, 0}, {false, 0, 128, 0}, {false, 255, 255, 0}};
    std::mt19937 random(seed);
    std::size_t size = 0;
    while (size < bytes) {
        rtf::Paragraph p;
        const unsigned kind = random() % 10;
        p.format.bullet = kind == 0;
        if (p.format.bullet) {
            p.format.leftIndent = 720;
            p.format.firstIndent = -360;
        }
        if (kind == 1) p.format.tabs = {1440, 2880};
        if (kind == 2) p.format.alignment = rtf::Alignment::Center;
        const unsigned runs = 1 + random() % 8;
        for (unsigned r = 0; r < runs; ++r) {
            rtf::Run run;
            run.format.font = static_cast<int>(random() % 3);
            run.format.halfPoints = 16 + 2 * static_cast<int>(random() % 8);
            run.format.bold = random() % 4 == 0;
            run.format.italic = random() % 5 == 0;
            run.format.underline = random() % 9 == 0;
            run.format.color = static_cast<int>(random() % 3);
            run.format.highlight = random() % 15 == 0 ? 3 : 0;
            const unsigned n = 1 + random() % 12;
            for (unsigned w = 0; w < n; ++w) {
                run.text += words[random() % words.size()];
                run.text += kind == 1 && w % 3 == 2 ? '\t' : ' ';
            }
            size += run.text.size();
            p.runs.push_back(std::move(run));
        }
        d.paragraphs.push_back(std::move(p));
    }
    return d;
}

struct Times {
    double import = 0, exported = 0;
    std::size_t bytes = 0;
};

Times RunRtf(const rtf::Document& source, bool withDocument)
{
    const std::string data = rtf::WriteRtf(source);
    Times t;
    t.bytes = data.size();
    ui::qt::TQtRichDocument doc;
    auto start = Clock::now();
    rtf::Document model = rtf::ReadRtf(data);
    if (withDocument) doc.Load(model);
    t.import = Seconds(start);
    start = Clock::now();
    if (withDocument) model = doc.Save();
    const std::string out = rtf::WriteRtf(model);
    t.exported = Seconds(start);
    if (out.size() < data.size() / 2) std::fprintf(stderr, "rtf: the written text is short\n");
    return t;
}

Times RunHtml(const rtf::Document& source)
{
    ui::qt::TQtRichDocument built;
    built.Load(source);
    const QString html = built.Document().toHtml();
    Times t;
    t.bytes = static_cast<std::size_t>(html.toUtf8().size());
    QTextDocument doc;
    auto start = Clock::now();
    doc.setHtml(html);
    t.import = Seconds(start);
    start = Clock::now();
    const QString out = doc.toHtml();
    t.exported = Seconds(start);
    if (out.size() < html.size() / 2) std::fprintf(stderr, "html: the written text is short\n");
    return t;
}

Times RunSide(std::string_view side, const rtf::Document& d)
{
    if (side == "html") return RunHtml(d);
    return RunRtf(d, side == "rtf");
}

int Child(int argc, char** argv, std::string_view side, double megabytes)
{
    QGuiApplication app(argc, argv);
    RunSide(side, MakeDocument(64 * 1024, 7));  // warm-up: code, fonts, allocator
    const Times t = RunSide(side, MakeDocument(static_cast<std::size_t>(megabytes * 1024 * 1024), 42));
    std::printf("RESULT %.6f %.6f %zu\n", t.import, t.exported, t.bytes);
    return 0;
}

struct Sample {
    double import = 0, exported = 0;
    std::size_t bytes = 0;
    bool ok = false;
};

}  // namespace

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (argc == 4 && std::string_view(argv[1]) == "--child") return Child(argc, argv, argv[2], std::atof(argv[3]));
    const double megabytes = argc > 1 ? std::atof(argv[1]) : 1.0;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    const std::vector<std::string> sides = {"rtf", "rtf-model", "html"};
    const auto results = bench::AlternateRounds<Sample>(runs, sides.size(), [&](std::size_t m) {
        const bench::TChildRun run = bench::RunChild({argv[0], "--child", sides[m], std::to_string(megabytes)}, {}, true);
        Sample s;
        s.ok = run.Succeeded() &&
               std::sscanf(run.output.c_str(), "RESULT %lf %lf %zu", &s.import, &s.exported, &s.bytes) == 3;
        if (!s.ok) std::fprintf(stderr, "bench_rich_text: the %s child failed\n", sides[m].c_str());
        return s;
    });
    std::printf("bench_rich_text: %.1f MB of text, %d alternating runs per side after one warm-up round\n", megabytes,
                runs);
    std::vector<std::vector<double>> imports(sides.size()), exports(sides.size());
    for (std::size_t m = 0; m < sides.size(); ++m) {
        for (const Sample& s : results[m])
            if (s.ok) {
                imports[m].push_back(s.import);
                exports[m].push_back(s.exported);
            }
        if (imports[m].empty()) continue;
        std::printf("  %-10s %8zu bytes  import %.3f s (%.3f to %.3f)  export %.3f s (%.3f to %.3f)\n",
                    sides[m].c_str(), results[m].front().bytes, bench::Median(imports[m]), bench::Lowest(imports[m]),
                    bench::Highest(imports[m]), bench::Median(exports[m]), bench::Lowest(exports[m]),
                    bench::Highest(exports[m]));
    }
    if (!imports[0].empty() && !imports[2].empty())
        std::printf("  rtf / html, medians of per-round ratios: import %.2fx  export %.2fx\n",
                    bench::Median(bench::PairRatios(imports[0], imports[2])),
                    bench::Median(bench::PairRatios(exports[0], exports[2])));
    return 0;
}
