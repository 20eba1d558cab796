// The rich-text edit control on the Qt document (offscreen): its Lines view, stored forms,
// formatting operations, searching, links, clipboard, context menu and measurement texts,
// and the data-aware control over a memory data set.

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTextEdit>
#include <QTextFrame>
#include <QTest>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "editctrls/gkDBRichEdit.h"
#include "grid/Intl.h"
#include "platform/classes/Font.h"
#include "platform/classes/Streaming.h"
#include "platform/ui/Bitmap.h"
#include "platform/rtl/Log.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/FindDialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Grids.h"
#include "platform/ui/Printer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/qt/QtConvert.h"
#include "platform/ui/qt/QtUi.h"
#include "platform/ui/qt/RichDocument.h"
#include "tests/db/MemDataSet.h"

namespace {

using namespace editctrls;
namespace rtf = ui::rtf;

// Answers every message box with OK and remembers the texts.
class TRecordingDialogs : public ui::TStandardDialogs {
public:
    int Message(const ui::TMessageRequest& request) override
    {
        texts.push_back(request.text);
        return ui::mrOk;
    }
    std::vector<std::string> texts;
};

// A font dialog that shows what it was given and answers with `answer` (or cancels).
class TFontAnswer : public TRecordingDialogs {
public:
    bool FontDialog(classes::TFont& font) override
    {
        given.Assign(font);
        if (!answer) return false;
        font.Assign(**answer);
        return true;
    }
    classes::TFont given;
    std::optional<classes::TFont*> answer;
};

class RichEditTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ui::qt::Install();
        RegisterRichEditClasses();
    }
    void SetUp() override
    {
        form = std::make_unique<ui::TForm>(nullptr);
        edit = new TgkDBRichEdit(form.get());
        edit->SetName("notes");
        edit->SetParent(form.get());
        previousDialogs = ui::SetDialogService(&dialogs);
    }
    void TearDown() override
    {
        ui::SetDialogService(previousDialogs);
        form.reset();
    }
    void Load(const std::string& rtfText) { edit->StreamIn(rtfText); }

    TRecordingDialogs dialogs;
    ui::IDialogService* previousDialogs = nullptr;
    std::unique_ptr<ui::TForm> form;
    TgkDBRichEdit* edit = nullptr;
};

TEST_F(RichEditTest, LinesArePargraphsReadWhole)
{
    const std::string longLine(5000, 'w');
    edit->SetPlainTextContent("first\r\n" + longLine + "\r\nlast");
    TgkRichEditStrings& lines = *edit->Lines();
    EXPECT_EQ(lines.Count(), 3);
    EXPECT_EQ(lines.Strings(1), longLine);  // no 4096-byte cut
    EXPECT_EQ(edit->PlainTextContent(), "first\r\n" + longLine + "\r\nlast");
    lines.Put(0, "one");
    lines.Delete(2);
    EXPECT_EQ(edit->PlainTextContent(), "one\r\n" + longLine);
}

TEST_F(RichEditTest, InsertAtCountAppendsAndAddKeepsItsText)
{
    struct Case {
        std::string before;
        std::function<void(rtl::TStrings&)> act;
        std::string after;
        int count;
    } const cases[] = {
        {"", [](rtl::TStrings& l) { l.Add("a"); }, "a", 1},
        {"a", [](rtl::TStrings& l) { l.Add("b"); }, "a\r\nb", 2},
        // An empty last line takes the appended line.
        {"a\r\n", [](rtl::TStrings& l) { l.Insert(l.Count(), "b"); }, "a\r\nb", 2},
        {"a\r\nb", [](rtl::TStrings& l) { l.Insert(1, "x"); }, "a\r\nx\r\nb", 3},
        {"a\r\nb", [](rtl::TStrings& l) { l.Insert(0, "x"); }, "x\r\na\r\nb", 3},
        {"a\r\n", [](rtl::TStrings& l) { EXPECT_EQ(l.Count(), 1); }, "a\r\n", 1},
        {"a\r\nb", [](rtl::TStrings& l) { l.Delete(1); }, "a", 1},
        {"a\r\nb", [](rtl::TStrings& l) { l.SetText("x\ny"); }, "x\r\ny", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before + " -> " + c.after);
        edit->SetPlainTextContent(c.before);
        c.act(*edit->Lines());
        EXPECT_EQ(edit->PlainTextContent(), c.after);
        EXPECT_EQ(edit->Lines()->Count(), c.count);
    }
}

TEST_F(RichEditTest, StreamInReadsRtfElsePlainTextAndPlainTextModeReadsText)
{
    edit->StreamIn("{\\rtf1 {\\b bold} plain}");
    EXPECT_EQ(edit->PlainTextContent(), "bold plain");
    edit->StreamIn("not rtf {\\b}");
    EXPECT_EQ(edit->PlainTextContent(), "not rtf {\\b}");
    edit->SetPlainText(true);
    edit->StreamIn("{\\rtf1 x}");
    EXPECT_EQ(edit->PlainTextContent(), "{\\rtf1 x}");
    edit->SetPlainText(false);
    edit->StreamIn("{\\rtf1 start end}");
    edit->SetSel(6, 0);
    edit->StreamIn("{\\rtf1 {\\i middle }}", true);
    EXPECT_EQ(edit->PlainTextContent(), "start middle end");
}

TEST_F(RichEditTest, RemoveHighlightClearsOnlyTheSelectionsBackground)
{
    Load("{\\rtf1{\\colortbl ;\\red255\\green255\\blue0;}\\highlight1 one two\\highlight0  \\\\highlight}");
    edit->SetSel(0, 3);
    edit->RemoveHighlight();
    const rtf::Document d = rtf::ReadRtf(edit->SaveRtf());
    ASSERT_GE(d.paragraphs[0].runs.size(), 2u);
    EXPECT_EQ(d.paragraphs[0].runs[0].text, "one");
    EXPECT_EQ(d.paragraphs[0].runs[0].format.highlight, 0);
    EXPECT_EQ(d.paragraphs[0].runs[1].text, " two");
    EXPECT_NE(d.paragraphs[0].runs[1].format.highlight, 0);
    EXPECT_EQ(edit->PlainTextContent(), "one two \\highlight");  // the typed word stays
}

TEST_F(RichEditTest, SetParagraphMapsItsMaskAndRules)
{
    using S = TgkCustomRichEdit::ParagraphSettings;
    const auto P = [](unsigned mask, std::string alignment, int rule = 0, int spacing = 0, int after = 0,
                      int before = 0, std::vector<int> tabs = {}, int start = 0, int right = 0, int offset = 0) {
        S s;
        s.mask = mask;
        s.alignment = std::move(alignment);
        s.rule = rule;
        s.spacing = spacing;
        s.spaceAfter = after;
        s.spaceBefore = before;
        s.tabs = std::move(tabs);
        s.startIndent = start;
        s.rightIndent = right;
        s.offset = offset;
        return s;
    };
    const auto& texts = grid::gkIntlDefault().RichEdit.ParagraphDialog;
    struct Case {
        S settings;
        std::function<void(const ui::TRichParaChange&)> check;
    } const cases[] = {
        {P(1, texts.AlignLeft), [](const auto& c) { EXPECT_EQ(c.alignment, rtf::Alignment::Left); }},
        {P(1, texts.AlignRight), [](const auto& c) { EXPECT_EQ(c.alignment, rtf::Alignment::Right); }},
        {P(1, texts.AlignJustify), [](const auto& c) { EXPECT_EQ(c.alignment, rtf::Alignment::Justify); }},
        {P(1, "anything"), [](const auto& c) { EXPECT_EQ(c.alignment, rtf::Alignment::Center); }},
        {P(0, texts.AlignLeft), [](const auto& c) { EXPECT_FALSE(c.alignment); }},
        {P(1u << 8, "", 1), [](const auto& c) { EXPECT_EQ(c.lineSpacing, 360); EXPECT_TRUE(c.lineMultiple); }},
        {P(1u << 8, "", 2), [](const auto& c) { EXPECT_EQ(c.lineSpacing, 480); EXPECT_TRUE(c.lineMultiple); }},
        {P(1u << 8, "", 4, 300), [](const auto& c) { EXPECT_EQ(c.lineSpacing, -300); EXPECT_FALSE(c.lineMultiple); }},
        {P(1u << 8, "", 0, 999), [](const auto& c) { EXPECT_EQ(c.lineSpacing, 0); }},
        {P((1u << 6) | (1u << 7), "", 0, 0, 120, 240),
         [](const auto& c) { EXPECT_EQ(c.spaceAfter, 120); EXPECT_EQ(c.spaceBefore, 240); }},
        {P((1u << 2) | (1u << 3) | (1u << 4), "", 0, 0, 0, 0, {}, 360, 200, 720),
         [](const auto& c) {
             EXPECT_EQ(c.firstIndent, -720);
             EXPECT_EQ(c.leftIndent, 1080);
             EXPECT_EQ(c.rightIndent, 200);
         }},
        {P(1u << 5, "", 0, 0, 0, 0, std::vector<int>(40, 100)), [](const auto& c) { EXPECT_EQ(c.tabs->size(), 32u); }},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        cases[i].check(TgkCustomRichEdit::ParagraphChange(cases[i].settings));
    }
    Load("{\\rtf1 one\\par two}");
    edit->SetSel(0, 1);
    edit->SetParagraph(P(1, texts.AlignRight));
    EXPECT_EQ(edit->Document().ParagraphFormat(0).alignment, rtf::Alignment::Right);
    EXPECT_EQ(edit->Document().ParagraphFormat(5).alignment, rtf::Alignment::Left);
    edit->SetBullet(true);
    EXPECT_TRUE(edit->Document().ParagraphFormat(0).bullet);
    EXPECT_EQ(edit->Document().ParagraphFormat(0).firstIndent, -720);
    edit->SetBullet(false);
    EXPECT_FALSE(edit->Document().ParagraphFormat(0).bullet);
}

TEST_F(RichEditTest, MeasurementTextsReadAndWrite)
{
    struct Case {
        int twips;
        TgkMeasurementUnits units;
        std::string text;
    } const cases[] = {
        {1440, muInches, "1''"}, {720, muInches, "0.5''"}, {1000, muInches, "0.69''"},
        {567, muCentimeters, "1 cm"}, {-1440, muCentimeters, "-2.54 cm"}, {0, muInches, "0''"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TgkCustomRichEdit::MeasurementText(c.twips, c.units), c.text);
    }
    struct Back {
        std::string text;
        TgkMeasurementUnits units;
        int twips;
    } const backs[] = {
        {"1''", muInches, 1440}, {"0.5 ''", muInches, 720}, {"2.54 cm", muCentimeters, 1440},
        {"1CM", muCentimeters, 566}, {"-1''", muInches, -1440},
    };
    for (const Back& b : backs) {
        SCOPED_TRACE(b.text);
        EXPECT_EQ(TgkCustomRichEdit::MeasurementTwips(b.text, b.units), b.twips);
    }
}

TEST_F(RichEditTest, FindWrapsOnceAndReplaceWalksTheMatches)
{
    edit->SetPlainTextContent("cat dog cat dog cat");
    edit->SetSel(8, 0);  // the second "cat"
    edit->BeginSearch();
    std::vector<int> found;
    while (edit->FindNext("cat", {})) found.push_back(edit->SelStart());
    // 8 and 16 after the caret, then 0 after wrapping; 8 again would be past the start.
    EXPECT_EQ(found, (std::vector<int>{8, 16, 0}));
    ASSERT_EQ(dialogs.texts.size(), 1u);
    EXPECT_EQ(dialogs.texts[0], grid::gkIntlDefault().UserMessages.LocateNoMoreMatches);

    edit->SetSel(0, 0);
    edit->BeginSearch();
    EXPECT_EQ(edit->FindTextEx("DOG", 0, {stMatchCase}, -1), -1);
    EXPECT_EQ(edit->FindTextEx("DOG", 0, {}, -1), 4);
    EXPECT_EQ(edit->FindTextEx("dog", 5, {}, 5), -1);  // outside the range
    EXPECT_EQ(edit->Replace("cat", "bird", {}, true), 3);
    EXPECT_EQ(edit->PlainTextContent(), "bird dog bird dog bird");
}

TEST_F(RichEditTest, FindReplaceReplacesTheFirstMatchAfterTheCaret)
{
    const struct {
        int caret;
        const char* find;
        TgkSearchTypes types;
        bool found;
        const char* after;
        int caretAfter;
    } cases[] = {
        {0, "cat", {}, true, "bird dog Cat dog", 4},
        {1, "cat", {}, true, "cat dog bird dog", 12},      // after the caret only, letter case ignored
        {1, "cat", {stMatchCase}, false, "cat dog Cat dog", 1},
        {9, "cat", {}, false, "cat dog Cat dog", 9},       // no wrap
        {0, "do", {stWholeWord}, false, "cat dog Cat dog", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.find) + " from " + std::to_string(c.caret));
        edit->SetPlainTextContent("cat dog Cat dog");
        edit->SetSel(c.caret, 0);
        EXPECT_EQ(edit->FindReplace(c.find, "bird", c.types), c.found);
        EXPECT_EQ(edit->PlainTextContent(), c.after);
        EXPECT_EQ(edit->SelStart(), c.caretAfter);
    }
    EXPECT_TRUE(dialogs.texts.empty()) << "FindReplace shows no message";
}

// The dialogs' own widgets, driven with real key and mouse events.
class SearchDialogDriver {
public:
    explicit SearchDialogDriver(ui::TFindDialog& d) : dialog(d) {}
    QLineEdit* Edit(const char* name) { return qobject_cast<QLineEdit*>(Widget(name)); }
    QWidget* Widget(const char* name)
    {
        return ui::qt::WidgetOf(*dialog.Window()->Get<ui::TWinControl>(name));
    }
    void Type(const char* name, const char* text)
    {
        QLineEdit* line = Edit(name);
        line->selectAll();
        QTest::keyClicks(line, text);
    }
    void Press(const char* button) { QTest::mouseClick(Widget(button), Qt::LeftButton); }
    ui::TFindDialog& dialog;
};

TEST_F(RichEditTest, TheFindAndReplaceDialogsSearchTheControlThroughTheirButtons)
{
    form->Show();
    edit->SetPlainTextContent("one cat\r\ntwo cat\r\nred cat");
    // The selection becomes the dialog's text, the search starting at the caret.
    edit->SetSel(4, 3);
    edit->FindDialog();
    ui::TFindDialog& finder = *edit->Finder();
    ASSERT_TRUE(finder.Showing());
    SearchDialogDriver find(finder);
    EXPECT_EQ(find.Edit("FindText")->text(), "cat");
    EXPECT_FALSE(find.Widget("MatchCase")->isVisibleTo(find.Widget("FindText")->window()));
    find.Press("FindNext");
    EXPECT_EQ(edit->SelStart(), 12);  // the next line's cat (paragraph ends count one)
    find.Press("FindNext");
    EXPECT_EQ(edit->SelStart(), 20);
    find.Press("FindNext");  // wraps to the start, but the first cat is before the start
    EXPECT_EQ(edit->SelStart(), 4);
    find.Press("FindNext");  // past the start once wrapped: no more
    ASSERT_EQ(dialogs.texts.size(), 1u);
    EXPECT_EQ(dialogs.texts[0], grid::gkIntlDefault().UserMessages.LocateNoMoreMatches);
    // A typed text is searched and remembered for the next opening.
    edit->SetSel(0, 0);
    edit->BeginSearch();
    find.Type("FindText", "two");
    QTest::keyClick(find.Edit("FindText"), Qt::Key_Return);
    EXPECT_EQ(edit->SelStart(), 8);
    EXPECT_EQ(finder.FindText(), "two");
    QTest::keyClick(find.Edit("FindText"), Qt::Key_Escape);
    EXPECT_FALSE(finder.Showing());

    // A selection spanning lines is not offered: the last search text is.
    edit->SetSel(0, 12);
    edit->ReplaceDialog();
    ui::TReplaceDialog& replacer = *edit->Replacer();
    SearchDialogDriver replace(replacer);
    EXPECT_EQ(replace.Edit("FindText")->text(), "two");
    replace.Type("FindText", "cat");
    replace.Type("ReplaceText", "dog");
    edit->SetSel(0, 0);
    edit->BeginSearch();
    replace.Press("FindNext");
    EXPECT_EQ(edit->SelStart(), 4);
    replace.Press("Replace");  // replaces the found cat, selects the next
    EXPECT_EQ(edit->PlainTextContent(), "one dog\r\ntwo cat\r\nred cat");
    EXPECT_EQ(edit->SelStart(), 12);
    replace.Press("ReplaceAll");
    EXPECT_EQ(edit->PlainTextContent(), "one dog\r\ntwo dog\r\nred dog");
    EXPECT_TRUE(replacer.Options().Contains(ui::frReplaceAll));
    replace.Press("Cancel");
    EXPECT_FALSE(replacer.Showing());
}

TEST_F(RichEditTest, PopupShowsWhatTheOptionsAndStateAllow)
{
    const auto& l = grid::gkIntlDefault().RichEdit.PopupMenuLabels;
    const auto visible = [&] {
        std::vector<std::string> shown;
        for (const TgkRichEditMenuItem& item : edit->PopupItems())
            if (item.visible) shown.push_back(item.caption);
        return shown;
    };
    edit->SetPlainTextContent("text");
    EXPECT_EQ(visible(), (std::vector<std::string>{l.EditCaption, "-", l.CutCaption, l.CopyCaption, l.PasteCaption, "-",
                                                   l.FontCaption, l.BulletStyleCaption, l.ParagraphCaption, l.TabsCaption,
                                                   "-", l.FindCaption, l.ReplaceCaption}));
    edit->SetDBReadOnly(true);
    EXPECT_EQ(visible(), (std::vector<std::string>{l.ViewCaption, "-", l.CutCaption, l.CopyCaption, l.PasteCaption, "-",
                                                   l.FindCaption}));
    edit->SetDBReadOnly(false);
    edit->SetPopupOptions({rpoPopupBold, rpoPopupFind});
    EXPECT_EQ(visible(), (std::vector<std::string>{l.BoldCaption, "-", l.FindCaption}));
    edit->SetSel(0, 4);
    edit->ToggleStyle(0);
    for (const TgkRichEditMenuItem& item : edit->PopupItems()) {
        if (item.option == rpoPopupBold) {
            EXPECT_TRUE(item.checked);
        }
    }
    // The control's own menu shows the same when it pops up, and its items act.
    ui::TPopupMenu* menu = edit->OwnPopupMenu();
    ASSERT_EQ(edit->PopupMenu(), menu);
    menu->OnPopup(menu);
    std::vector<std::string> shown;
    ui::TMenuItem* bold = nullptr;
    for (int i = 0; i < menu->Items()->Count(); ++i) {
        ui::TMenuItem* item = menu->Items()->Items(i);
        if (item->Visible()) shown.push_back(item->Caption());
        if (item->Caption() == l.BoldCaption) bold = item;
    }
    EXPECT_EQ(shown, (std::vector<std::string>{l.BoldCaption, "-", l.FindCaption}));
    ASSERT_NE(bold, nullptr);
    EXPECT_TRUE(bold->Checked());
    bold->Click();
    EXPECT_FALSE(edit->SelectionHasStyle(0));
    edit->SetPopupOptions(TgkRichEditPopupOptions::FromBits(0x7F8F));
    edit->SetSel(0, 0);
    for (const TgkRichEditMenuItem& item : edit->PopupItems()) {
        if (item.option == rpoPopupCut || item.option == rpoPopupCopy) {
            EXPECT_FALSE(item.enabled);
        }
    }
}

TEST_F(RichEditTest, LinksOpenOnlyTheirOwnSchemes)
{
    std::vector<std::string> opened;
    const TgkCustomRichEdit::TOpener previous =
        TgkCustomRichEdit::SetURLOpener([&](const std::string& a) { opened.push_back(a); return true; });
    edit->SetAutoURLDetect(true);
    edit->SetPlainTextContent("see www.example.com, https://x.org/a?b=1 or javascript:alert(1) and mailto:me@x.org\r\n"
                              "ftp://files.example.com/f.txt file:///etc/passwd");
    struct Case {
        std::string word;
        std::string opens;  // empty: nothing opens
    } const cases[] = {
        {"www.example.com", "http://www.example.com"}, {"https://x.org", "https://x.org/a?b=1"},
        {"javascript", ""}, {"mailto:me", "mailto:me@x.org"}, {"ftp://files", "ftp://files.example.com/f.txt"},
        {"file:///", ""}, {"see", ""},
    };
    const std::string text = edit->PlainTextContent();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        opened.clear();
        const std::size_t at = text.find(c.word);
        ASSERT_NE(at, std::string::npos);
        const int position = at > text.find("\r\n") ? static_cast<int>(at) - 1 : static_cast<int>(at);  // CR LF counts one
        EXPECT_EQ(edit->ClickLink(position + 1), !c.opens.empty());
        EXPECT_EQ(opened, c.opens.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.opens});
    }
    // OnURLOpen comes first and may keep the address from opening.
    std::string asked;
    edit->OnURLOpen = [&](classes::TObject*, const std::string& url, bool& openDefault) {
        asked = url;
        openDefault = false;
    };
    opened.clear();
    EXPECT_FALSE(edit->ClickLink(static_cast<int>(text.find("www.")) + 1));
    EXPECT_EQ(asked, "www.example.com");
    EXPECT_TRUE(opened.empty());
    edit->SetAutoURLDetect(false);
    edit->OnURLOpen.Clear();
    EXPECT_FALSE(edit->ClickLink(static_cast<int>(text.find("www.")) + 1));
    TgkCustomRichEdit::SetURLOpener(previous);
}

TEST_F(RichEditTest, ClipboardCarriesRtfAndTextAndNeverPastesHtml)
{
    Load("{\\rtf1 plain {\\b bold} end}");
    edit->SetSel(6, 4);
    edit->CopyToClipboard();
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    EXPECT_TRUE(mime->hasFormat("text/rtf"));
    EXPECT_EQ(mime->text().toStdString(), "bold");
    edit->SetSel(edit->Document().Length(), 0);
    edit->PasteFromClipboard();
    EXPECT_EQ(edit->PlainTextContent(), "plain bold endbold");
    edit->SetSel(14, 4);
    EXPECT_TRUE(edit->SelectionHasStyle(0));  // bold came back

    auto* html = new QMimeData;
    html->setHtml("<b>loud</b>");
    html->setText("loud");
    QGuiApplication::clipboard()->setMimeData(html);
    edit->SetPlainTextContent("x");
    edit->SetSel(1, 0);
    edit->PasteFromClipboard();
    EXPECT_EQ(edit->PlainTextContent(), "xloud");
    edit->SetSel(1, 4);
    EXPECT_FALSE(edit->SelectionHasStyle(0));

    auto* onlyHtml = new QMimeData;
    onlyHtml->setHtml("<b>x</b>");
    QGuiApplication::clipboard()->setMimeData(onlyHtml);
    EXPECT_FALSE(edit->CanPaste());
}

TEST_F(RichEditTest, FontDialogShowsTheSelectionsFontAndAppliesTheAnswer)
{
    Load("{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl ;\\red0\\green0\\blue255;}\\f0\\fs28\\b\\cf1 blue bold\\b0\\cf0  plain}");
    TFontAnswer fonts;
    ui::TDialogServiceScope scope(fonts);
    edit->SetSel(0, 4);
    classes::TFont courier;
    courier.SetName("Courier New");
    courier.SetSize(10);
    courier.SetColor(rtl::RGB(0, 0, 255));  // the same colour: left alone
    courier.SetStyle(classes::TFontStyles{classes::fsItalic});
    fonts.answer = &courier;
    ASSERT_TRUE(edit->FontDialog());
    EXPECT_EQ(fonts.given.Name(), "Arial");
    EXPECT_EQ(fonts.given.Size(), 14);
    EXPECT_TRUE(fonts.given.Style().Contains(classes::fsBold));
    EXPECT_EQ(rtl::ColorToRGB(fonts.given.Color()), rtl::RGB(0, 0, 255));
    const ui::TRichCharState now = edit->Document().CharsAt(0, 4);
    EXPECT_EQ(now.fontName, "Courier New");
    EXPECT_EQ(now.halfPoints, 20);
    EXPECT_TRUE(now.italic);
    EXPECT_FALSE(now.bold);
    EXPECT_EQ(now.color, 0x0000FFu);
    EXPECT_TRUE(edit->Modified());
    fonts.answer.reset();  // Cancel changes nothing
    edit->SetSel(10, 5);
    const std::string before = edit->SaveRtf();
    EXPECT_FALSE(edit->FontDialog());
    EXPECT_EQ(edit->SaveRtf(), before);
}

TEST_F(RichEditTest, CopyRichTextCopiesFormattingOrPlainTextThroughMemory)
{
    Load("{\\rtf1 {\\b bold} text}");
    auto* target = new TgkDBRichEdit(form.get());
    target->SetPlainTextContent("old");
    TgkCustomRichEdit::CopyRichText(*edit, *target);
    EXPECT_EQ(target->SaveRtf(), edit->SaveRtf());
    edit->SetPlainText(true);
    target->SetPlainTextContent("old");
    TgkCustomRichEdit::CopyRichText(*edit, *target);
    EXPECT_EQ(target->PlainTextContent(), "bold text");
    target->SetSel(0, 4);
    EXPECT_FALSE(target->SelectionHasStyle(0));
}

// ---- Stored forms ----------------------------------------------------------------------------

std::string DataValue(const std::string& bytes, std::uint32_t count)
{
    std::string data(4, '\0');
    for (int i = 0; i < 4; ++i) data[static_cast<std::size_t>(i)] = static_cast<char>((count >> (8 * i)) & 0xFF);
    data += bytes;
    std::string hex;
    static const char* digits = "0123456789ABCDEF";
    for (const unsigned char c : data) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return "{" + hex + "}";
}

std::string FormText(const std::string& properties)
{
    return "object F: TForm\n  object notes: TgkDBRichEdit\n" + properties + "  end\nend\n";
}

TEST_F(RichEditTest, StoredFormsKeepTheTextAsRtf)
{
    form.reset();
    ui::TForm source(nullptr);
    auto* e = new TgkDBRichEdit(&source);
    e->SetName("notes");
    e->SetParent(&source);
    e->StreamIn("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0 {\\b bold} \\u1055?}");
    e->SetEditWidth(rewPrinterSize);
    const std::string written = classes::WriteComponentText(source);
    EXPECT_NE(written.find("EditWidth = rewPrinterSize"), std::string::npos) << written;
    EXPECT_NE(written.find("RichEditVersion = 2"), std::string::npos) << written;
    EXPECT_NE(written.find("Data = {"), std::string::npos) << written;

    ui::TForm target(nullptr);
    classes::ReadComponentText(target, written);
    auto* read = dynamic_cast<TgkDBRichEdit*>(target.FindComponent("notes"));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->RichEditVersion(), 2);
    EXPECT_EQ(read->SaveRtf(), e->SaveRtf());
    EXPECT_EQ(read->EditWidth(), rewPrinterSize);
}

TEST_F(RichEditTest, StoredFormsWithoutVersionOrWithOddData)
{
    form.reset();
    const std::string rtfText = "{\\rtf1 {\\b stored}}";
    struct Case {
        std::string properties;
        int version;
        std::string text;
    } const cases[] = {
        // No "RichEditVersion": version 1, and RTF held in the plain lines reads as RTF.
        {"    Lines.Strings = (\n      '{\\rtf1 {\\b old} form}')\n", 1, "old form"},
        {"    Lines.Strings = (\n      'plain line')\n", 1, "plain line"},
        {"    RichEditVersion = 2\n    Data = " + DataValue(rtfText, static_cast<std::uint32_t>(rtfText.size())) + "\n", 2,
         "stored"},
        // Data of length 0 loads nothing.
        {"    RichEditVersion = 2\n    Data = " + DataValue("", 0) + "\n", 2, ""},
        // A bound control ignores stored Data.
        {"    DataField = 'Notes'\n    RichEditVersion = 2\n    Data = " +
             DataValue(rtfText, static_cast<std::uint32_t>(rtfText.size())) + "\n",
         2, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.properties);
        ui::TForm target(nullptr);
        classes::ReadComponentText(target, FormText(c.properties));
        auto* read = dynamic_cast<TgkDBRichEdit*>(target.FindComponent("notes"));
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(read->RichEditVersion(), c.version);
        EXPECT_EQ(read->PlainTextContent(), c.text);
    }
    // A count of more bytes than are present is a read error naming the property.
    ui::TForm target(nullptr);
    try {
        classes::ReadComponentText(target, FormText("    Data = " + DataValue(rtfText, 1000) + "\n"));
        FAIL() << "over-counted Data was read";
    } catch (const classes::EReadError& e) {
        EXPECT_NE(std::string(e.what()).find("notes.Data"), std::string::npos) << e.what();
    }
}

// ---- Bound to a data set ---------------------------------------------------------------------

class DBRichEditTest : public RichEditTest {
protected:
    void SetUp() override
    {
        RichEditTest::SetUp();
        ds = std::make_unique<dbtest::TMemDataSet>(nullptr);
        ds->columns = {{"Notes", db::ftBlob}, {"Title", db::ftString, 40}};
        ds->AddRow({db::TVariant(std::string("{\\rtf1 first {\\b record}}")), db::TVariant(std::string("one"))});
        ds->AddRow({db::TVariant(std::string("plain blob")), db::TVariant(std::string("two"))});
        ds->AddRow({db::TVariant(std::string()), db::TVariant(std::string("three"))});
        source = std::make_unique<db::TDataSource>(nullptr);
        source->SetDataSet(ds.get());
        ds->Open();
    }
    void TearDown() override
    {
        form.reset();
        source.reset();
        ds.reset();
        RichEditTest::TearDown();
    }
    void Bind(const std::string& field)
    {
        edit->SetDataSource(source.get());
        edit->SetDataField(field);
    }
    void Press(char c)
    {
        edit->KeyPress(c);
        if (c != 0) {
            edit->Document().ReplaceText(edit->SelStart(), edit->SelLength(), std::string(1, c));
            edit->SetSel(edit->SelStart() + 1, 0);
            edit->Change();
        }
    }
    std::unique_ptr<dbtest::TMemDataSet> ds;
    std::unique_ptr<db::TDataSource> source;
};

TEST_F(DBRichEditTest, ShowsEachRecordsBlobAsRtfOrText)
{
    Bind("Notes");
    EXPECT_EQ(edit->PlainTextContent(), "first record");
    EXPECT_TRUE(edit->MemoLoaded());
    ds->Next();
    EXPECT_EQ(edit->PlainTextContent(), "plain blob");
    ds->Next();
    EXPECT_EQ(edit->PlainTextContent(), "");
    const rtf::ParaFormat p = edit->Document().ParagraphFormat(0);
    EXPECT_EQ(p.alignment, rtf::Alignment::Left);
    EXPECT_FALSE(p.bullet);
}

TEST_F(DBRichEditTest, WithoutAutoDisplayTheLabelShowsUntilEnterOrDoubleClick)
{
    ds->FieldByName("Notes")->SetDisplayLabel("Notes");
    edit->SetAutoDisplay(false);
    Bind("Notes");
    EXPECT_EQ(edit->PlainTextContent(), "(Notes)");
    EXPECT_FALSE(edit->MemoLoaded());
    EXPECT_TRUE(edit->GetReadOnly());
    char x = 'x';
    edit->KeyPress(x);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(ds->State(), db::dsBrowse);
    char enter = '\r';
    edit->KeyPress(enter);
    EXPECT_EQ(edit->PlainTextContent(), "first record");
    ds->Next();
    EXPECT_EQ(edit->PlainTextContent(), "(Notes)");
    edit->DblClick();
    EXPECT_EQ(edit->PlainTextContent(), "plain blob");
}

TEST_F(DBRichEditTest, EditingWritesRtfToABlobAndTextToAString)
{
    Bind("Notes");
    edit->SetSel(0, 0);
    Press('A');
    EXPECT_EQ(ds->State(), db::dsEdit);
    edit->DoExit();
    ds->Post();
    const std::string stored = ds->FieldByName("Notes")->AsString();
    EXPECT_TRUE(rtf::IsRtf(stored)) << stored;
    EXPECT_EQ(rtf::ReadRtf(stored).PlainText(), "Afirst record");

    edit->SetDataField("Title");
    EXPECT_EQ(edit->PlainTextContent(), "one");
    edit->SetSel(3, 0);
    Press('!');
    edit->DoExit();
    ds->Post();
    EXPECT_EQ(ds->FieldByName("Title")->AsString(), "one!");
}

TEST_F(DBRichEditTest, AnEditsRememberedTextIsForgottenWhenTheEditEnds)
{
    ds->AddRow({db::TVariant(std::string("{\\rtf1 first {\\b record}}")), db::TVariant(std::string("four"))});
    Bind("Notes");
    Press('x');  // remembers "first record"'s blob
    ds->Cancel();
    ds->Last();  // another record with the very same blob
    edit->Lines()->Clear();
    ds->First();
    ds->Last();
    EXPECT_EQ(edit->PlainTextContent(), "first record");
}

TEST_F(DBRichEditTest, PaintsACopyOfTheCurrentRecordIntoACell)
{
    ds->AddRow({db::TVariant(std::string("{\\rtf1{\\colortbl ;\\red255\\green0\\blue0;}\\cf1\\b\\fs28 WWWWWWWWW}")),
                db::TVariant(std::string("four"))});
    Bind("Notes");
    ds->Last();
    ui::TBitmap cellImage;
    cellImage.SetSize(300, 60);
    ui::TCanvas& canvas = *cellImage.Canvas();
    canvas.Brush()->SetColor(rtl::clWhite);
    canvas.FillRect(ui::TRect{0, 0, 300, 60});
    const ui::TRect cell{40, 10, 160, 40};
    edit->PaintCopy(canvas, cell);
    int inside = 0, outside = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 300; ++x) {
            const rtl::TColor c = cellImage.Pixel(x, y);
            const bool red = rtl::GetRValue(c) > 200 && rtl::GetGValue(c) < 80 && rtl::GetBValue(c) < 80;
            if (!red) continue;
            const bool in = x >= cell.Left && x < cell.Right && y >= cell.Top && y < cell.Bottom;
            ++(in ? inside : outside);
        }
    EXPECT_GT(inside, 100);  // the record's red text, bold
    EXPECT_EQ(outside, 0);   // cut at the cell
    // Another record paints its own text: the plain blob has no red.
    ds->First();
    ds->Next();
    canvas.FillRect(ui::TRect{0, 0, 300, 60});
    edit->PaintCopy(canvas, cell);
    int red = 0, dark = 0;
    for (int y = cell.Top; y < cell.Bottom; ++y)
        for (int x = cell.Left; x < cell.Right; ++x) {
            const rtl::TColor c = cellImage.Pixel(x, y);
            red += rtl::GetRValue(c) > 200 && rtl::GetGValue(c) < 80 ? 1 : 0;
            dark += rtl::GetRValue(c) < 100 && rtl::GetGValue(c) < 100 && rtl::GetBValue(c) < 100 ? 1 : 0;
        }
    EXPECT_EQ(red, 0);
    EXPECT_GT(dark, 20);
}

// A grid that records the keys handed to it.
class TKeyGrid : public ui::TCustomGrid {
public:
    using TCustomGrid::TCustomGrid;
    std::vector<ui::TKey> keys;
    void KeyDown(ui::TKey& key, ui::TShiftState shift) override
    {
        keys.push_back(key);
        TCustomGrid::KeyDown(key, shift);
    }
};

TEST_F(DBRichEditTest, InsideAGridNavigationKeysGoToTheGrid)
{
    auto* grid = new TKeyGrid(form.get());
    grid->SetParent(form.get());
    grid->SetBounds(0, 0, 300, 200);
    edit->SetParent(grid);
    Bind("Notes");
    form->Show();  // the grid takes the key only when it can take the focus
    struct Case {
        ui::TKey key;
        ui::TShiftState shift;
        bool toGrid;
    } const cases[] = {
        {ui::VK_DOWN, {}, true},          {ui::VK_UP, {}, true},           {ui::VK_NEXT, {}, true},
        {ui::VK_PRIOR, {}, true},         {ui::VK_HOME, {ui::ssCtrl}, true}, {ui::VK_END, {ui::ssCtrl}, true},
        {ui::VK_ESCAPE, {}, true},        {ui::VK_DOWN, {ui::ssAlt}, false}, {ui::VK_HOME, {}, false},
        {ui::VK_LEFT, {}, false},         {ui::VK_RIGHT, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        grid->keys.clear();
        ui::TKey key = c.key;
        edit->KeyDown(key, c.shift);
        EXPECT_EQ(key == 0, c.toGrid);
        EXPECT_EQ(grid->keys, c.toGrid ? std::vector<ui::TKey>{c.key} : std::vector<ui::TKey>{});
    }
    // A changed text keeps Esc for the edit itself (it cancels the change there).
    edit->SetModified(true);
    ui::TKey escape = ui::VK_ESCAPE;
    edit->KeyDown(escape, {});
    EXPECT_EQ(escape, ui::VK_ESCAPE);
}

TEST_F(DBRichEditTest, AMissingFieldIsEmptyAndReadOnlyAndRefusedKeysBeep)
{
    int beeps = 0;
    const auto previous = ui::SetBeepHandler([&] { ++beeps; });
    {
        rtl::TLogCapture log;  // the refused name is logged
        Bind("NoSuchField");
        EXPECT_EQ(log.Lines().size(), 1u);
    }
    EXPECT_EQ(edit->PlainTextContent(), "");
    EXPECT_TRUE(edit->GetReadOnly());
    char c = 'q';
    edit->KeyPress(c);
    EXPECT_EQ(c, 0);
    EXPECT_EQ(beeps, 1);
    ui::SetBeepHandler(previous);
}


// The rectangle the text is placed in, as the document's margins.
TEST_F(RichEditTest, TheEditRectangleFollowsGutterAndGridAndIgnoresPrinterSize)
{
    // No printer installed: the window system's PDF printer would count as one.
    struct TNoPrinters : ui::IPrinterBackend {
        std::vector<std::string> PrinterNames() override { return {}; }
        int DefaultPrinter() override { return -1; }
        ui::TPrinterMetrics Metrics(const ui::TPrinterSetup&) override { return {}; }
        std::unique_ptr<ui::IPrintJob> BeginDoc(const ui::TPrinterSetup&) override { return nullptr; }
    } none;
    ui::TPrinterBackendScope noPrinters(&none);
    auto* grid = new TKeyGrid(form.get());
    grid->SetParent(form.get());
    grid->SetBounds(0, 0, 300, 200);
    const struct {
        bool inGrid;
        int gutter;
        TgkRichEditWidth width;
        ui::TRect rect;
    } cases[] = {
        {false, 3, rewWindowSize, {1, 2, 198, 98}},
        {false, 12, rewWindowSize, {10, 2, 198, 98}},
        {true, 3, rewWindowSize, {2, 1, 198, 100}},
        // No printer: printer-size editing places the text as the window's size does.
        {false, 3, rewPrinterSize, {1, 2, 198, 98}},
        {true, 0, rewPrinterSize, {-1, 1, 198, 100}},
    };
    edit->StreamIn("{\\rtf1 some text}");
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.inGrid) + " gutter " + std::to_string(c.gutter));
        edit->SetParent(c.inGrid ? static_cast<ui::TWinControl*>(grid) : form.get());
        edit->SetBounds(0, 0, 200, 100);
        edit->SetGutterWidth(c.gutter);
        edit->SetEditWidth(c.width);
        EXPECT_FALSE(edit->PrinterSizeEditing());
        const ui::TRect r = edit->EditRect();
        EXPECT_EQ((std::array{r.Left, r.Top, r.Right, r.Bottom}),
                  (std::array{c.rect.Left, c.rect.Top, c.rect.Right, c.rect.Bottom}));
        auto& doc = dynamic_cast<ui::qt::TQtRichDocument&>(edit->Document()).Document();
        const QTextFrameFormat f = doc.rootFrame()->frameFormat();
        EXPECT_EQ((std::array{f.leftMargin(), f.topMargin(), f.rightMargin(), f.bottomMargin()}),
                  (std::array<qreal, 4>{qreal(std::max(c.rect.Left, 0)), qreal(c.rect.Top), 2.0,
                                        qreal(100 - c.rect.Bottom)}));
        // Placing the text is no edit the user could undo.
        EXPECT_FALSE(edit->Document().CanUndo());
    }
    // A new text keeps its place.
    edit->StreamIn("{\\rtf1 other}");
    auto& doc = dynamic_cast<ui::qt::TQtRichDocument&>(edit->Document()).Document();
    EXPECT_EQ(doc.rootFrame()->frameFormat().topMargin(), 1.0);
}

// With a frame the text lies inside the frame's margins, the gutter added; a transparent
// window (unfocused) starts it one pixel higher. Inside a grid the frame counts as off.
TEST_F(RichEditTest, TheEditRectangleFollowsTheFrame)
{
    auto* grid = new TKeyGrid(form.get());
    grid->SetParent(form.get());
    grid->SetBounds(0, 0, 300, 200);
    auto* other = new ui::TEdit(form.get());
    other->SetParent(form.get());
    other->SetBounds(0, 250, 100, 20);
    form->SetBounds(0, 0, 400, 300);
    form->Show();
    const struct {
        const char* what;
        bool frame;
        TgkEditFocusStyle style;
        TgkEditFrameEnabledSet borders;
        bool transparent;
        bool inGrid;
        ui::TRect rect;
    } cases[] = {
        {"no frame", false, efsFrameBox, {efLeftBorder, efTopBorder, efRightBorder, efBottomBorder}, false, false, {1, 2, 198, 98}},
        {"box", true, efsFrameBox, {efLeftBorder, efTopBorder, efRightBorder, efBottomBorder}, false, false, {3, 2, 197, 98}},
        {"box without right", true, efsFrameBox, {efLeftBorder, efBottomBorder}, false, false, {3, 2, 198, 98}},
        {"sunken", true, efsFrameSunken, {efLeftBorder, efTopBorder, efRightBorder, efBottomBorder}, false, false, {4, 3, 196, 98}},
        {"raised without left", true, efsFrameRaised, {efTopBorder}, false, false, {2, 3, 196, 98}},
        {"transparent box", true, efsFrameBox, {efLeftBorder, efTopBorder, efRightBorder, efBottomBorder}, true, false, {3, 1, 197, 98}},
        {"transparent sunken", true, efsFrameSunken, {efLeftBorder}, true, false, {4, 2, 196, 98}},
        {"in a grid", true, efsFrameSunken, {efLeftBorder}, true, true, {2, 1, 198, 100}},
    };
    edit->StreamIn("{\\rtf1 some text}");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        edit->SetParent(c.inGrid ? static_cast<ui::TWinControl*>(grid) : form.get());
        TgkEditFrame& frame = *edit->Frame();
        frame.SetEnabled(c.frame);
        frame.SetFocusStyle(c.style);
        frame.SetFocusBorders(c.borders);
        frame.SetTransparent(c.transparent);
        frame.CreateTransparent = c.transparent;
        edit->SetBounds(0, 0, 150, 100);  // a new size places the text for the new frame
        edit->SetBounds(0, 0, 200, 100);
        if (c.transparent && !c.inGrid) {
            // Entered, the window is opaque and the text a pixel lower; left, it is back.
            edit->SetFocus();
            EXPECT_EQ(edit->EditRect().Top, c.rect.Top + 1);
            other->SetFocus();
        }
        const ui::TRect r = edit->EditRect();
        EXPECT_EQ((std::array{r.Left, r.Top, r.Right, r.Bottom}),
                  (std::array{c.rect.Left, c.rect.Top, c.rect.Right, c.rect.Bottom}));
        auto& doc = dynamic_cast<ui::qt::TQtRichDocument&>(edit->Document()).Document();
        // The document counts from inside the frame's ring, where the window's text area starts.
        const int ring = edit->FrameRingWidth();
        const auto inside = [ring](int v) { return qreal(std::max(v - ring, 0)); };
        const QTextFrameFormat f = doc.rootFrame()->frameFormat();
        EXPECT_EQ((std::array{f.leftMargin(), f.topMargin(), f.rightMargin(), f.bottomMargin()}),
                  (std::array<qreal, 4>{inside(c.rect.Left), inside(c.rect.Top), inside(200 - c.rect.Right),
                                        inside(100 - c.rect.Bottom)}));
    }
}

// A frame setting set by name (as a stored form or the designer sets it) places the text at
// once, without a resize, and the window shows the new frame on its next paint; Transparent
// set again to its value places the text again too.
TEST_F(RichEditTest, AFrameSettingTakesEffectAtOnce)
{
    auto* other = new ui::TEdit(form.get());
    other->SetParent(form.get());
    other->SetBounds(0, 250, 100, 20);
    form->SetBounds(0, 0, 400, 300);
    form->Show();
    edit->SetBounds(0, 0, 200, 100);
    edit->SetColor(rtl::clYellow);
    edit->StreamIn("{\rtf1 some text}");
    using V = classes::TPropValue;
    const auto sides = [](TgkEditFrameEnabledSet s) { return V(classes::TSetBits{s.Bits()}); };
    const rtl::TColor line = rtl::ColorToRGB(rtl::clWindowFrame);
    const rtl::TColor shadow = rtl::ColorToRGB(rtl::clBtnShadow);
    const rtl::TColor yellow = rtl::ColorToRGB(rtl::clYellow);
    // Each step changes one setting of the frame left by the step before; the colours are
    // those of the unfocused control's top-left pixel and the middle of its bottom row.
    const struct {
        const char* property;
        V value;
        ui::TRect rect;
        rtl::TColor topLeft, bottom;
    } steps[] = {
        {"Frame.Enabled", V(true), {3, 2, 197, 98}, yellow, line},
        {"Frame.FocusStyle", V(std::int64_t{efsFrameSunken}), {4, 3, 196, 98}, yellow, line},
        {"Frame.FocusBorders", sides({efTopBorder}), {2, 3, 196, 98}, yellow, line},
        {"Frame.FocusStyle", V(std::int64_t{efsFrameBox}), {3, 2, 198, 98}, yellow, line},
        {"Frame.NonFocusBorders", sides({efLeftBorder, efTopBorder}), {3, 2, 198, 98}, line, yellow},
        {"Frame.NonFocusStyle", V(std::int64_t{efsFrameSunken}), {3, 2, 198, 98}, shadow, yellow},
        {"Frame.NonFocusTextOffsetX", V(std::int64_t{4}), {3, 2, 198, 98}, shadow, yellow},
        {"Frame.Transparent", V(true), {3, 1, 198, 98}, shadow, yellow},
        {"Frame.Transparent", V(true), {3, 1, 198, 98}, shadow, yellow},
        {"Frame.Transparent", V(false), {3, 2, 198, 98}, shadow, yellow},
        {"Frame.Enabled", V(false), {1, 2, 198, 98}, rtl::clNone, rtl::clNone},
    };
    QWidget* window = ui::qt::WidgetOf(*edit);
    ASSERT_NE(window, nullptr);
    auto& doc = dynamic_cast<ui::qt::TQtRichDocument&>(edit->Document()).Document();
    int step = 0;
    for (const auto& c : steps) {
        SCOPED_TRACE(std::to_string(step++) + " " + c.property);
        // A margin placed by hand shows whether the change placed the text anew.
        edit->Document().SetMargins(40, 40, 40, 40);
        ASSERT_TRUE(classes::SetPropValue(*edit, c.property, c.value));
        const ui::TRect r = edit->EditRect();
        EXPECT_EQ((std::array{r.Left, r.Top, r.Right, r.Bottom}),
                  (std::array{c.rect.Left, c.rect.Top, c.rect.Right, c.rect.Bottom}));
        // The document counts from inside the frame's ring, where the window's text area starts.
        const int ring = edit->FrameRingWidth();
        const auto inside = [ring](int v) { return qreal(std::max(v - ring, 0)); };
        const QTextFrameFormat f = doc.rootFrame()->frameFormat();
        EXPECT_EQ((std::array{f.leftMargin(), f.topMargin(), f.rightMargin(), f.bottomMargin()}),
                  (std::array<qreal, 4>{inside(c.rect.Left), inside(c.rect.Top), inside(200 - c.rect.Right),
                                        inside(100 - c.rect.Bottom)}));
        EXPECT_EQ(edit->PaintsOver(), c.topLeft != rtl::clNone);
        if (c.topLeft == rtl::clNone) continue;
        const QImage shot = window->grab().toImage();
        EXPECT_EQ(ui::qt::FromQColor(shot.pixelColor(0, 0)), c.topLeft);
        EXPECT_EQ(ui::qt::FromQColor(shot.pixelColor(100, 99)), c.bottom);
    }
}

// The window draws the focused frame while the control has the focus, the unfocused one
// after it left; inside a grid no frame is drawn and the text is placed as without one.
TEST_F(RichEditTest, TheFrameFollowsTheFocusAndIsOffInsideAGrid)
{
    auto* other = new ui::TEdit(form.get());
    other->SetParent(form.get());
    other->SetBounds(0, 250, 100, 20);
    auto* grid = new TKeyGrid(form.get());
    grid->SetParent(form.get());
    grid->SetBounds(220, 0, 170, 200);
    form->SetBounds(0, 0, 400, 300);
    form->Show();
    edit->SetBounds(0, 0, 200, 100);
    edit->SetColor(rtl::clYellow);
    edit->Frame()->SetEnabled(true);
    const rtl::TColor line = rtl::ColorToRGB(rtl::clWindowFrame);
    const rtl::TColor yellow = rtl::ColorToRGB(rtl::clYellow);
    const auto pixels = [&] {
        const QImage shot = ui::qt::WidgetOf(*edit)->grab().toImage();
        return std::array{ui::qt::FromQColor(shot.pixelColor(0, 0)), ui::qt::FromQColor(shot.pixelColor(199, 50)),
                          ui::qt::FromQColor(shot.pixelColor(100, 99))};
    };
    EXPECT_EQ(pixels(), (std::array{yellow, yellow, line}));
    edit->SetFocus();
    ASSERT_TRUE(edit->Focused());
    EXPECT_EQ(pixels(), (std::array{line, line, line}));
    other->SetFocus();
    EXPECT_EQ(pixels(), (std::array{yellow, yellow, line}));

    edit->SetParent(grid);
    edit->SetBounds(0, 0, 150, 100);
    EXPECT_EQ(edit->FrameRingWidth(), 0);
    EXPECT_FALSE(edit->PaintsOver());
    EXPECT_EQ(edit->EditRect().Top, 1);
    const QImage shot = ui::qt::WidgetOf(*edit)->grab().toImage();
    EXPECT_NE(ui::qt::FromQColor(shot.pixelColor(75, 99)), line);
    EXPECT_NE(ui::qt::FromQColor(shot.pixelColor(0, 0)), yellow);
}

// An enabled frame's NonFocusColor is the background while the control is unfocused, from
// the window's making on; entering gives Color back. Never transparent, never in a grid.
TEST_F(RichEditTest, TheNonFocusColorShowsWhileUnfocused)
{
    const rtl::TColor aqua = rtl::clAqua, yellow = rtl::clYellow;
    const struct {
        const char* name;
        bool enabled, transparent, inGrid;
        rtl::TColor nonFocus, unfocused;
    } cases[] = {
        {"shown", true, false, false, aqua, aqua},
        {"frame off", false, false, false, aqua, yellow},
        {"no colour", true, false, false, rtl::clNone, yellow},
        {"transparent", true, true, false, aqua, yellow},
        {"in a grid", true, false, true, aqua, yellow},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ui::TForm host(nullptr);
        host.SetBounds(0, 0, 400, 300);
        auto* other = new ui::TEdit(&host);
        other->SetParent(&host);
        other->SetBounds(0, 250, 100, 20);
        auto* grid = new TKeyGrid(&host);
        grid->SetParent(&host);
        grid->SetBounds(220, 0, 170, 200);
        auto* e = new TgkDBRichEdit(&host);
        e->SetParent(c.inGrid ? static_cast<ui::TWinControl*>(grid) : &host);
        e->SetBounds(0, 0, 150, 100);
        e->SetColor(yellow);
        e->Frame()->SetEnabled(c.enabled);
        e->Frame()->SetTransparent(c.transparent);
        e->Frame()->NonFocusColor = c.nonFocus;
        host.Show();
        const auto window = [&] {
            auto* text = qobject_cast<QTextEdit*>(ui::qt::WidgetOf(*e));
            return text == nullptr ? rtl::clNone : ui::qt::FromQColor(text->palette().color(QPalette::Base));
        };
        EXPECT_EQ(e->Color(), c.unfocused);
        EXPECT_EQ(window(), rtl::ColorToRGB(c.unfocused));
        e->SetFocus();
        ASSERT_TRUE(e->Focused());
        EXPECT_EQ(e->Color(), yellow);
        EXPECT_EQ(window(), rtl::ColorToRGB(yellow));
        other->SetFocus();
        EXPECT_EQ(e->Color(), c.unfocused);
    }
}

// Version 1, or switch 1, has no background colours and no paragraph spacing.
TEST_F(RichEditTest, VersionOneOrSwitchOneDropsBackgroundsAndSpacing)
{
    ASSERT_EQ(edit->Switches().size(), 7u);
    EXPECT_EQ(edit->Switches()[5].Type(), db::TVarType::Integer);
    const struct {
        int version;
        bool switch1;
        bool version1;
    } cases[] = {{2, false, false}, {1, false, true}, {2, true, true}, {1, true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.version) + (c.switch1 ? " with switch 1" : ""));
        edit->SetRichEditVersion(c.version);
        edit->Switches()[1] = c.switch1;
        EXPECT_EQ(edit->ActsAsVersion1(), c.version1);
        edit->SetPlainTextContent("some text");
        edit->SetSel(0, 4);
        edit->SetSelBackground(rtl::clRed);
        EXPECT_EQ(edit->SelBackground(), c.version1 ? rtl::clWhite : rtl::clRed);
        TgkCustomRichEdit::ParagraphSettings s;
        s.mask = (1u << 3) | (1u << 6) | (1u << 7);
        s.rightIndent = 100;
        s.spaceBefore = 240;
        s.spaceAfter = 120;
        edit->SetParagraph(s);
        const rtf::ParaFormat p = edit->Document().ParagraphFormat(0);
        EXPECT_EQ(p.rightIndent, 100);
        EXPECT_EQ(p.spaceBefore, c.version1 ? 0 : 240);
        EXPECT_EQ(p.spaceAfter, c.version1 ? 0 : 120);
    }
    // Without the switches (a control that made none) nothing acts as version 1.
    edit->SetRichEditVersion(2);
    edit->Switches().clear();
    EXPECT_FALSE(edit->ActsAsVersion1());
}

}  // namespace
