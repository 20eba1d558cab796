// The RTF reader and writer over the rich-text model: hand-written fields read as expected,
// survive a write and a second read unchanged, and broken input reads to its end.

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "platform/ui/RichText.h"

namespace {

using namespace ui::rtf;

std::string Fixture(const std::string& name) {
    std::ifstream in(std::string(GW_SOURCE_DIR) + "/tests/ui/rtf/" + name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string ParagraphText(const Paragraph& p) {
    std::string s;
    for (const ui::rtf::Run& r : p.runs) s += r.object.empty() ? r.text : "[obj]";
    return s;
}

// The run holding `text` in paragraph `para`.
const ui::rtf::Run& RunWith(const Document& d, std::size_t para, const std::string& text) {
    for (const ui::rtf::Run& r : d.paragraphs.at(para).runs)
        if (r.text.find(text) != std::string::npos) return r;
    throw std::runtime_error("no run with " + text);
}

const char* const kFixtures[] = {"attributes.rtf", "paragraphs.rtf", "unicode.rtf",
                                 "cp1250.rtf",     "cp1251.rtf",     "object.rtf"};

TEST(RichText, FixturesSurviveWriteAndReadAndWriteTheSameBytesAgain) {
    for (const char* name : kFixtures) {
        SCOPED_TRACE(name);
        const std::string source = Fixture(name);
        ASSERT_FALSE(source.empty());
        const Document first = ReadRtf(source);
        const std::string written = WriteRtf(first);
        const Document second = ReadRtf(written);
        EXPECT_EQ(second, first) << written;
        EXPECT_EQ(WriteRtf(second), written);
    }
}

TEST(RichText, FixturesReadTheirTextAndFormatting) {
    struct Case {
        const char* fixture;
        std::vector<std::string> paragraphs;
        std::function<void(const Document&)> check;
    };
    const Case cases[] = {
        {"attributes.rtf",
         {"Plain bold italic under struck", "red green marked Times 14 Courier 8",
          "after plain grouped bold back {braces} \\slash", ""},
         [](const Document& d) {
             ASSERT_EQ(d.fonts.size(), 3u);
             EXPECT_EQ(d.fonts[1].name, "Times New Roman");
             EXPECT_EQ(d.fonts[1].family, "roman");
             ASSERT_EQ(d.colors.size(), 4u);
             EXPECT_TRUE(d.colors[0].automatic);
             EXPECT_EQ(d.colors[2], (Color{false, 0, 128, 0}));
             EXPECT_TRUE(RunWith(d, 0, "bold").format.bold);
             EXPECT_FALSE(RunWith(d, 0, "Plain").format.bold);
             EXPECT_TRUE(RunWith(d, 0, "italic").format.italic);
             EXPECT_TRUE(RunWith(d, 0, "under").format.underline);
             EXPECT_TRUE(RunWith(d, 0, "struck").format.strike);
             EXPECT_EQ(RunWith(d, 0, "Plain").format.halfPoints, 20);
             EXPECT_EQ(RunWith(d, 1, "red").format.color, 1);
             EXPECT_EQ(RunWith(d, 1, "green").format.color, 2);
             EXPECT_EQ(RunWith(d, 1, "marked").format.highlight, 3);
             EXPECT_EQ(RunWith(d, 1, "Times").format.font, 1);
             EXPECT_EQ(RunWith(d, 1, "Times").format.halfPoints, 28);
             EXPECT_EQ(RunWith(d, 1, "Courier").format.font, 2);
             // \plain resets size and font to the defaults; a group's bold ends with it.
             EXPECT_EQ(RunWith(d, 2, "after").format.halfPoints, 24);
             EXPECT_TRUE(RunWith(d, 2, "grouped").format.bold);
             EXPECT_FALSE(RunWith(d, 2, "back").format.bold);
         }},
        {"paragraphs.rtf",
         {"first bullet", "second bullet", "Name\tPrice\tStock", "centred with space", "right indented",
          "one and a half\vsecond line", "exactly 15 points", ""},
         [](const Document& d) {
             const auto& p = d.paragraphs;
             EXPECT_TRUE(p[0].format.bullet);
             EXPECT_TRUE(p[1].format.bullet);
             EXPECT_FALSE(p[2].format.bullet);
             EXPECT_EQ(p[0].format.leftIndent, 720);
             EXPECT_EQ(p[0].format.firstIndent, -360);
             EXPECT_EQ(p[2].format.tabs, (std::vector<int>{720, 2160, 4320}));
             EXPECT_EQ(p[3].format.alignment, Alignment::Center);
             EXPECT_EQ(p[3].format.spaceBefore, 240);
             EXPECT_EQ(p[3].format.spaceAfter, 120);
             EXPECT_EQ(p[4].format.alignment, Alignment::Right);
             EXPECT_EQ(p[4].format.rightIndent, 360);
             EXPECT_EQ(p[5].format.alignment, Alignment::Justify);
             EXPECT_EQ(p[5].format.lineSpacing, 360);
             EXPECT_TRUE(p[5].format.lineMultiple);
             EXPECT_EQ(p[6].format.lineSpacing, -300);
             EXPECT_FALSE(p[6].format.lineMultiple);
         }},
        {"unicode.rtf", {"caf\u00e9, na\u00efve \u20ac \uf0b7 two\u041fx \U0001F600 end", ""}, nullptr},
        {"cp1250.rtf",
         {"P\u0159\u00edli\u0161 \u017elu\u0165ou\u010dk\u00fd k\u016f\u0148", "Western: \u00e9\u20ac", ""},
         nullptr},
        {"cp1251.rtf",
         {"\u041f\u0440\u0438\u0432\u0435\u0442, \u043c\u0438\u0440!", ""},
         [](const Document& d) { EXPECT_EQ(d.fonts.at(0).name, "Arial CYR"); }},
        {"object.rtf",
         {"before [obj] between [obj] after", ""},
         [](const Document& d) {
             const auto& runs = d.paragraphs[0].runs;
             ASSERT_EQ(runs.size(), 5u);
             EXPECT_TRUE(runs[1].object.starts_with("{\\object\\objemb"));
             EXPECT_TRUE(runs[1].object.ends_with("0100090000}}}"));
             EXPECT_EQ(runs[3].object, "{\\pict\\pngblip\\picw4\\pich4\\bin4 {}\\}}");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture);
        const Document d = ReadRtf(Fixture(c.fixture));
        std::vector<std::string> texts;
        for (const Paragraph& p : d.paragraphs) texts.push_back(ParagraphText(p));
        EXPECT_EQ(texts, c.paragraphs);
        if (c.check) c.check(d);
    }
}

TEST(RichText, ObjectsGoBackByteForByte) {
    const std::string source = Fixture("object.rtf");
    const Document d = ReadRtf(source);
    const std::string written = WriteRtf(d);
    for (const ui::rtf::Run& r : d.paragraphs[0].runs)
        if (!r.object.empty()) {
            EXPECT_NE(source.find(r.object), std::string::npos);
            EXPECT_NE(written.find(r.object), std::string::npos);
        }
}

TEST(RichText, WriterEscapesTextAndWritesNonAsciiAsUnicodeWithFallback) {
    Document d;
    d.paragraphs.push_back(Paragraph{{}, {ui::rtf::Run{{}, "a\\b{c}\td\ve\x01 \u00e9\u20ac\U0001F600", {}}}});
    d.paragraphs[0].runs[0].format.font = -1;
    const std::string rtf = WriteRtf(d);
    EXPECT_NE(rtf.find("a\\\\b\\{c\\}\\tab d\\line e \\u233?\\u8364?\\u-10179?\\u-8704?"), std::string::npos) << rtf;
    for (const unsigned char c : rtf) EXPECT_LT(c, 0x80);
    EXPECT_EQ(ReadRtf(rtf).paragraphs[0].runs[0].text, "a\\b{c}\td\ve \u00e9\u20ac\U0001F600");
}

TEST(RichText, DataNotStartingWithRtfReadsAsPlainText) {
    struct Case {
        std::string data;
        std::vector<std::string> paragraphs;
    } const cases[] = {
        {"one\r\ntwo\nthree\rfour", {"one", "two", "three", "four"}},
        {"", {""}},
        {" {\\rtf1 not at the start}", {" {\\rtf1 not at the start}"}},
        {"caf\xe9 \x80", {"caf\u00e9 \u20ac"}},  // not UTF-8: Windows-1252
        {"ends\r\n", {"ends", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data);
        const Document d = ReadRtf(c.data);
        std::vector<std::string> texts;
        for (const Paragraph& p : d.paragraphs) texts.push_back(ParagraphText(p));
        EXPECT_EQ(texts, c.paragraphs);
    }
}

TEST(RichText, BrokenRtfReadsToItsEndAndKeepsItsText) {
    const std::string deep = "{\\rtf1 " + std::string(5000, '{') + "deep" + std::string(10, '}');
    struct Case {
        std::string data;
        std::string text;
    } const cases[] = {
        {"{\\rtf1 open {\\b bold", "open bold"},
        {"{\\rtf1 closed}} too many}}} after", "closed too many after"},
        {"{\\rtf1 \\unknownword12 kept {\\unknowngroup text} end}", "kept text end"},
        {"{\\rtf1 \\fs99999999999999999999 big \\li-99999999999999 x}", "big x"},
        {deep, "deep"},
        {"{\\rtf1 cut\\'", "cut"},
        {"{\\rtf1 cut\\'4", "cut"},
        {"{\\rtf1 bad\\'zz hex}", "badzz hex"},
        {"{\\rtf1 big\\u99999999? \\u-99999? end}", "big\uFFFD \uFFFD end"},
        {"{\\rtf1 lone\\u-10179? surrogate}", "lone\uFFFD surrogate"},
        {"{\\rtf1 ends with backslash\\", "ends with backslash"},
        {"{\\rtf1 {\\object unterminated", ""},
        {"{\\rtf1 {\\pict\\bin999999 abc}} x", ""},
        {"{\\rtf1 \\bin99999", ""},
        {"{\\rtf1\\u233", "\u00e9"},
        {"{\\rtf1{\\fonttbl{\\f0 unterminated", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data.substr(0, 60));
        const Document d = ReadRtf(c.data);
        ASSERT_FALSE(d.paragraphs.empty());
        EXPECT_EQ(d.PlainText(), c.text);
    }
}

TEST(RichText, FontCharsetDecidesHowHexBytesRead) {
    struct Case {
        std::string data;
        std::string text;
    } const cases[] = {
        // The font's character set wins over the document's code page.
        {"{\\rtf1\\ansicpg1252{\\fonttbl{\\f0\\fcharset204 A;}}\\f0 \\'e0}", "\u0430"},
        {"{\\rtf1\\ansicpg1251{\\fonttbl{\\f0\\fcharset0 A;}}\\f0 \\'e0}", "\u00e0"},
        // DEFAULT_CHARSET and an unknown font fall back to the code page.
        {"{\\rtf1\\ansicpg1251{\\fonttbl{\\f0\\fcharset1 A;}}\\f0 \\'e0}", "\u0430"},
        {"{\\rtf1\\ansicpg1250 \\'9a}", "\u0161"},
        // A double-byte character split over two escapes.
        {"{\\rtf1\\ansicpg932 \\'82\\'a0}", "\u3042"},
        // A byte the code page leaves undefined reads as Windows-1252.
        {"{\\rtf1\\ansicpg1251 \\'98}", "\u02dc"},
        // Font names decode by their own character set.
        {"{\\rtf1{\\fonttbl{\\f0\\fcharset238 \\'8auma;}}}", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data);
        EXPECT_EQ(ReadRtf(c.data).PlainText(), c.text);
    }
    EXPECT_EQ(ReadRtf("{\\rtf1{\\fonttbl{\\f0\\fcharset238 \\'8auma;}}}").fonts.at(0).name, "\u0160uma");
}

TEST(RichText, PlainTextJoinsParagraphsWithCrLfAndLeavesObjectsOut) {
    const Document d = ReadRtf(Fixture("object.rtf"));
    EXPECT_EQ(d.PlainText(), "before  between  after\r\n");
}

}  // namespace
