// The rich-text document over Qt's text document (offscreen): the RTF model goes in and
// comes out unchanged, formats applied to ranges map back onto the model, and positions,
// paragraphs and searches agree with what shows.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/ui/Backend.h"
#include "platform/ui/RichDocument.h"
#include "platform/ui/qt/QtUi.h"

namespace {

using namespace ui;

std::string Fixture(const std::string& name)
{
    std::ifstream in(std::string(GW_SOURCE_DIR) + "/tests/ui/rtf/" + name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class RichDocumentQt : public ::testing::Test {
protected:
    static void SetUpTestSuite() { qt::Install(); }
    void SetUp() override
    {
        doc = WindowSystem()->CreateRichDocument();
        ASSERT_NE(doc, nullptr);
    }
    void LoadText(const std::string& rtf) { doc->Load(rtf::ReadRtf(rtf)); }
    std::unique_ptr<IRichDocument> doc;
};

TEST_F(RichDocumentQt, ModelsOfTheFixturesComeOutAsTheyWentIn)
{
    for (const char* name : {"attributes.rtf", "paragraphs.rtf", "unicode.rtf", "cp1250.rtf", "cp1251.rtf", "object.rtf"}) {
        SCOPED_TRACE(name);
        const rtf::Document model = rtf::ReadRtf(Fixture(name));
        doc->Load(model);
        const rtf::Document saved = doc->Save();
        EXPECT_EQ(saved, model) << rtf::WriteRtf(saved);
        EXPECT_EQ(doc->Text(), model.PlainText());
        EXPECT_EQ(doc->ParagraphCount(), static_cast<int>(model.paragraphs.size()));
    }
}

TEST_F(RichDocumentQt, PositionsCountParagraphEndsAndObjectsAsOneCharacter)
{
    LoadText(Fixture("object.rtf"));
    // "before " (7) + object (1) + " between " (9) + object (1) + " after" (6), then the
    // last paragraph, which is empty.
    EXPECT_EQ(doc->Length(), 25);
    EXPECT_EQ(doc->ParagraphStart(1), 25);
    EXPECT_EQ(doc->ParagraphAt(24), 0);
    EXPECT_EQ(doc->TextRange(17, 8), " after\r\n");
    EXPECT_EQ(doc->Find("after", 0, -1, false, false), 19);
    const rtf::Document range = doc->SaveRange(6, 3);  // " ", the object, " "
    ASSERT_EQ(range.paragraphs.size(), 1u);
    ASSERT_EQ(range.paragraphs[0].runs.size(), 3u);
    EXPECT_TRUE(range.paragraphs[0].runs[1].object.starts_with("{\\object"));
}

TEST_F(RichDocumentQt, CharacterChangesMapOntoTheModelsTables)
{
    LoadText("{\\rtf1{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl ;\\red255\\green0\\blue0;}\\f0 one two three}");
    struct Case {
        int start, length;
        TRichCharChange change;
        std::function<bool(const rtf::CharFormat&)> holds;
        const char* what;
    };
    TRichCharChange bold, red, yellow, font, size;
    bold.bold = true;
    red.color = 0xFF0000;
    yellow.background = std::optional<std::uint32_t>(0xFFFF00);
    font.fontName = "Courier New";
    size.halfPoints = 28;
    const rtf::Document* saved = nullptr;
    rtf::Document last;
    const Case cases[] = {
        {0, 3, bold, [](const rtf::CharFormat& f) { return f.bold; }, "bold"},
        {4, 3, red, [](const rtf::CharFormat& f) { return f.color == 1; }, "an existing colour"},
        {8, 5, yellow, [](const rtf::CharFormat& f) { return f.highlight == 2; }, "a new colour"},
        {8, 5, font, [](const rtf::CharFormat& f) { return f.font == 1; }, "a new font"},
        {0, 3, size, [](const rtf::CharFormat& f) { return f.halfPoints == 28 && f.bold; }, "a size, bold kept"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        doc->ApplyChars(c.start, c.length, c.change);
        last = doc->Save();
        saved = &last;
        const std::string text = doc->TextRange(c.start, c.length);
        bool found = false;
        for (const rtf::Run& r : saved->paragraphs[0].runs)
            if (r.text == text) {
                found = true;
                EXPECT_TRUE(c.holds(r.format)) << rtf::WriteRtf(*saved);
            }
        EXPECT_TRUE(found) << rtf::WriteRtf(*saved);
    }
    ASSERT_EQ(last.fonts.size(), 2u);
    EXPECT_EQ(last.fonts[1].name, "Courier New");
    ASSERT_EQ(last.colors.size(), 3u);
    EXPECT_EQ(last.colors[2], (rtf::Color{false, 255, 255, 0}));
    EXPECT_TRUE(doc->CharsAt(0, 3).bold);
    EXPECT_FALSE(doc->CharsAt(0, 7).bold);
    EXPECT_EQ(doc->CharsAt(8, 5).background, std::optional<std::uint32_t>(0xFFFF00));

    TRichCharChange clear;
    clear.background = std::optional<std::uint32_t>();
    doc->ApplyChars(0, doc->Length(), clear);
    for (const rtf::Run& r : doc->Save().paragraphs[0].runs) EXPECT_EQ(r.format.highlight, 0) << r.text;
    EXPECT_EQ(doc->Save().paragraphs[0].runs.back().format.font, 1);  // only the background went
}

TEST_F(RichDocumentQt, ParagraphChangesTouchEveryParagraphOfTheRange)
{
    LoadText("{\\rtf1 one\\par two\\par three}");
    TRichParaChange change;
    change.alignment = rtf::Alignment::Center;
    change.bullet = true;
    change.leftIndent = 720;
    change.lineSpacing = 360;
    change.lineMultiple = true;
    change.tabs = std::vector<int>{100, 200};
    doc->ApplyParagraphs(doc->ParagraphStart(0) + 1, doc->ParagraphStart(1) + 1 - 1, change);
    const rtf::Document d = doc->Save();
    ASSERT_EQ(d.paragraphs.size(), 3u);
    for (int i : {0, 1}) {
        SCOPED_TRACE(i);
        const rtf::ParaFormat& p = d.paragraphs[static_cast<std::size_t>(i)].format;
        EXPECT_EQ(p.alignment, rtf::Alignment::Center);
        EXPECT_TRUE(p.bullet);
        EXPECT_EQ(p.leftIndent, 720);
        EXPECT_EQ(p.lineSpacing, 360);
        EXPECT_TRUE(p.lineMultiple);
        EXPECT_EQ(p.tabs, (std::vector<int>{100, 200}));
    }
    EXPECT_EQ(d.paragraphs[2].format, rtf::ParaFormat{});
    TRichParaChange off;
    off.bullet = false;
    doc->ApplyParagraphs(0, 0, off);
    EXPECT_FALSE(doc->ParagraphFormat(0).bullet);
    EXPECT_TRUE(doc->ParagraphFormat(doc->ParagraphStart(1)).bullet);
}

TEST_F(RichDocumentQt, ReplacingARangeTakesTheOtherModelsFormats)
{
    LoadText("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0 start end}");
    const int end = doc->ReplaceRange(6, 0, rtf::ReadRtf("{\\rtf1{\\fonttbl{\\f0 Times;}}\\f0\\b bold }"));
    EXPECT_EQ(doc->Text(), "start bold end");
    EXPECT_EQ(end, 11);
    const rtf::Document d = doc->Save();
    ASSERT_EQ(d.fonts.size(), 2u);
    bool boldTimes = false;
    for (const rtf::Run& r : d.paragraphs[0].runs)
        if (r.text == "bold ") boldTimes = r.format.bold && r.format.font == 1;
    EXPECT_TRUE(boldTimes) << rtf::WriteRtf(d);
    EXPECT_TRUE(doc->CanUndo());
    doc->Undo();
    EXPECT_EQ(doc->Text(), "start end");
}

TEST_F(RichDocumentQt, ParagraphsReadWhole)
{
    const std::string longLine(5000, 'x');
    doc->Load(rtf::PlainTextDocument("first\r\n" + longLine + "\r\nlast"));
    EXPECT_EQ(doc->ParagraphCount(), 3);
    EXPECT_EQ(doc->Paragraph(1), longLine);
    EXPECT_EQ(doc->Paragraph(3), "");
    EXPECT_EQ(doc->ParagraphStart(3), doc->Length() + 1);
}

}  // namespace
