// The editor's window side without a window: the messages it answers, its change receivers,
// the default popup menu, style ranges, the case-folded cache, the consistency check and the
// objects all editors share.

#include <gtest/gtest.h>

#include "EditorTestUtil.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Log.h"
#include "platform/classes/Streaming.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Input.h"
#include "platform/ui/Messages.h"

namespace editor::test {
namespace {

using Log = std::vector<std::string>;

class TLogReceiver : public ITextMemoReceiver {
public:
    Log* log = nullptr;
    std::string name;
    bool leaveOnNext = false;

    void TextMemoMessage(TTextMemo& memo, ui::TMessage& m) override
    {
        log->push_back(name + " " + std::to_string(m.Msg));
        if (leaveOnNext) memo.RemoveReceiver(this);
    }
};

TEST(EditorMessages, TheHandlerTable)
{
    ui::SetClipboardStore(nullptr);
    TTextMemo memo;
    EXPECT_EQ(memo.Perform(ui::WM_GETDLGCODE), 135);  // arrows, set-selection, characters, Tab
    memo.SetWantTabs(false);
    EXPECT_EQ(memo.Perform(ui::WM_GETDLGCODE), 133);  // Tab moves the focus on
    memo.SetWantTabs(true);
    memo.SetDisplayOnly(true);
    EXPECT_EQ(memo.Perform(ui::WM_GETDLGCODE), 133);
    EXPECT_FALSE(memo.WantsKey(ui::VK_TAB));
    memo.SetDisplayOnly(false);
    EXPECT_TRUE(memo.WantsKey(ui::VK_TAB));
    EXPECT_EQ(memo.Perform(ui::WM_ERASEBKGND), 1);

    ui::Clipboard().SetAsText("pasted");
    memo.Perform(ui::WM_PASTE);
    EXPECT_EQ(memo.Text(), "pasted");
    memo.SelectAll();
    memo.Perform(ui::WM_CUT);
    EXPECT_EQ(memo.Text(), "");
    memo.Perform(ui::WM_UNDO);
    EXPECT_EQ(memo.Text(), "pasted");
    memo.SetSelStart(0);
    memo.SetSelLength(3);
    memo.Perform(ui::WM_COPY);
    EXPECT_EQ(ui::Clipboard().AsText(), "pas");
    EXPECT_EQ(memo.LastMessage().Msg, ui::WM_COPY);
}

// A font change that fails while the window comes must not cost the control its window, but
// the failure goes to the program's log with the place it was swallowed.
TEST(EditorMessages, AFailedFontChangeAsTheWindowComesIsLogged)
{
    struct TThrowOnFontChange : ITextMemoReceiver {
        void TextMemoMessage(TTextMemo&, ui::TMessage& m) override
        {
            if (m.Msg == ui::CM_FONTCHANGED) throw rtl::Exception("no font");
        }
    } receiver;
    TTextMemo memo;
    memo.AddReceiver(&receiver);
    rtl::TLogCapture log;
    ASSERT_NO_THROW(memo.CreateWnd());
    EXPECT_TRUE(memo.WindowAttached());
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.Lines()[0], "TTextMemo::CreateWnd font change: no font");
    memo.DestroyWnd();
}

TEST(EditorMessages, ReceiversSeeEveryMessageFirstAndEmptiedEntriesArePacked)
{
    TTextMemo memo;
    Log log;
    TLogReceiver a, b;
    a.log = b.log = &log;
    a.name = "a";
    b.name = "b";
    memo.AddReceiver(&a);
    memo.AddReceiver(&b);
    memo.AddReceiver(&a);  // once only
    int changes = 0;
    memo.OnChange = [&](classes::TObject*) {
        log.push_back("OnChange");
        ++changes;
    };
    memo.ReplaceSelection("x");
    // A change is announced to the receivers as CM_TEXTCHANGED before OnChange.
    const std::string text = std::to_string(ui::CM_TEXTCHANGED);
    EXPECT_EQ(log, (Log{"a " + text, "b " + text, "OnChange"}));
    EXPECT_EQ(changes, 1);

    log.clear();
    a.leaveOnNext = true;
    memo.Perform(ui::WM_GETDLGCODE);
    EXPECT_EQ(memo.ReceiverCount(), 2);  // emptied during the message: noted by the next one
    memo.Perform(ui::WM_ERASEBKGND);
    EXPECT_EQ(memo.ReceiverCount(), 1);
    const std::string code = std::to_string(ui::WM_GETDLGCODE), erase = std::to_string(ui::WM_ERASEBKGND);
    EXPECT_EQ(log, (Log{"a " + code, "b " + code, "b " + erase}));

    // Scrolling tells the receivers too.
    log.clear();
    memo.ScrollTo(10, 0);
    EXPECT_EQ(log, (Log{"b " + std::to_string(kViewScrolledMessage)}));
}

TEST(EditorMessages, DefaultPopupEnabling)
{
    ui::SetClipboardStore(nullptr);
    struct Case {
        const char* name;
        bool selection, readOnly, displayOnly, undo, redo, clipboardText;
        std::vector<bool> enabled;  // Undo, Redo, Cut, Copy, Paste, Select all
    };
    const Case cases[] = {
        {"empty", false, false, false, false, false, false, {false, false, false, false, false, true}},
        {"selection", true, false, false, false, false, true, {false, false, true, true, true, true}},
        {"undo and redo", false, false, false, true, true, true, {true, true, false, false, true, true}},
        {"read-only", true, true, false, true, true, true, {false, false, false, true, false, true}},
        {"display-only", true, false, true, true, true, true, {false, false, false, true, false, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TTextMemo memo;
        memo.SetTextBuf("some text");
        if (c.undo || c.redo) {
            memo.SetSelStart(0);
            memo.ReplaceSelection("a");
            memo.ReplaceSelection("b");
            memo.SetSelStart(0);
            memo.ReplaceSelection("c");
            if (c.redo) memo.Undo();
        }
        memo.SetSelStart(0);
        if (c.selection) memo.SetSelLength(4);
        memo.SetReadOnly(c.readOnly);
        memo.SetDisplayOnly(c.displayOnly);
        ui::Clipboard().Clear();
        if (c.clipboardText) ui::Clipboard().SetAsText("t");
        ui::TPopupMenu* menu = memo.ActivePopupMenu();
        ASSERT_EQ(menu, memo.DefaultPopupMenu());
        menu->Popup(0, 0);
        ui::TMenuItem* items = menu->Items();
        ASSERT_EQ(items->Count(), 8);
        const std::vector<std::string> captions = {"&Undo", "&Redo", "-", "Cu&t", "&Copy", "&Paste", "-", "&Select all"};
        for (int i = 0; i < 8; ++i) EXPECT_EQ(items->Items(i)->Caption(), captions[static_cast<std::size_t>(i)]);
        const int commands[] = {0, 1, 3, 4, 5, 7};
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(items->Items(commands[i])->Enabled(), c.enabled[static_cast<std::size_t>(i)]) << captions[static_cast<std::size_t>(commands[i])];
    }
}

TEST(EditorMessages, PopupCommandsAndTheAssignedMenu)
{
    ui::SetClipboardStore(nullptr);
    TTextMemo memo;
    memo.SetTextBuf("abc");
    ui::TMenuItem* items = memo.DefaultPopupMenu()->Items();
    items->Items(7)->Click();  // Select all
    EXPECT_EQ(memo.SelText(), "abc");
    items->Items(3)->Click();  // Cut
    EXPECT_EQ(memo.Text(), "");
    items->Items(5)->Click();  // Paste
    items->Items(5)->Click();
    EXPECT_EQ(memo.Text(), "abcabc");
    items->Items(0)->Click();  // Undo
    EXPECT_EQ(memo.Text(), "abc");
    items->Items(1)->Click();  // Redo
    EXPECT_EQ(memo.Text(), "abcabc");
    memo.SetSelStart(0);
    memo.SetSelLength(2);
    items->Items(4)->Click();  // Copy
    EXPECT_EQ(ui::Clipboard().AsText(), "ab");

    ui::TPopupMenu own(nullptr);
    memo.SetPopupMenu(&own);
    EXPECT_EQ(memo.ActivePopupMenu(), &own);
    memo.SetPopupMenu(nullptr);
    TTextMemoOptions o = DefaultTextMemoOptions();
    o.set(tmoNoDefaultPopup);
    memo.SetOptions(o);
    EXPECT_EQ(memo.ActivePopupMenu(), nullptr);
}

TEST(EditorMessages, TheFoldedCacheWidensOverTouchingRequests)
{
    TTextMemo memo;
    memo.SetTextBuf("select Name from t\r\nsecond");
    EXPECT_EQ(memo.FoldedText(0, 7, 4), "NAME");
    EXPECT_EQ(memo.FoldedText(0, 11, 5), " FROM");  // touches: widened
    EXPECT_EQ(memo.FoldedCacheStart(), 7);
    EXPECT_EQ(memo.FoldedCacheLength(), 9);
    EXPECT_EQ(memo.FoldedText(0, 5, 4), "T NA");  // overlaps at the front
    EXPECT_EQ(memo.FoldedCacheStart(), 5);
    EXPECT_EQ(memo.FoldedCacheLength(), 11);
    EXPECT_EQ(memo.FoldedText(0, 0, 2), "SE");  // apart: refilled
    EXPECT_EQ(memo.FoldedCacheStart(), 0);
    EXPECT_EQ(memo.FoldedCacheLength(), 2);
    EXPECT_EQ(memo.FoldedText(1, 0, 3), "SEC");  // another paragraph
    EXPECT_EQ(memo.FoldedCacheParagraph(), 1);
    EXPECT_EQ(memo.FoldedCacheLength(), 3);
    EXPECT_EQ(memo.FoldedText(1, 4, 50), "ND");  // clipped to the paragraph
    memo.SetSelStart(0);
    memo.ReplaceSelection("x");  // a change forgets it
    EXPECT_EQ(memo.FoldedCacheParagraph(), -1);
}

TEST(EditorMessages, ConsistencyCheckFindsEachError)
{
    auto broken = [](int error) {
        TTextMemo memo;
        memo.SetTextBuf("one\r\ntwo\r\nthree");
        TParagraphRec& second = memo.Paragraph(1);
        TParagraphRec& last = memo.Paragraph(2);
        switch (error) {
        case 1: ++second.FirstLine; break;
        case 2: ++second.Start; break;
        case 3: second.Line0.Start = 1; break;
        case 4: second.Line0.Stop = 2; break;
        case 5:
            last.Text += "!";
            last.Line0.Stop = last.Length();
            break;
        case 6: {
            TLinesList lines(last);
            lines.SetCount(2);
            lines[0].Stop = 2;
            lines[1].Start = 2;
            lines[1].Stop = last.Length();
            break;
        }
        }
        try {
            memo.CheckConsistency();
        } catch (const rtl::Exception& e) {
            return std::string(e.what());
        }
        return std::string("consistent");
    };
    const std::string& version = EditorVersionText();
    EXPECT_NE(version.find("Gridweaver"), std::string::npos);
    EXPECT_EQ(broken(0), "consistent");
    EXPECT_EQ(broken(1), "Error 1 " + version);
    for (int e = 2; e <= 6; ++e) EXPECT_EQ(broken(e), "Error " + std::to_string(e) + " in " + version) << e;
}

TEST(EditorMessages, StyleRangesMarkAndEndAContext)
{
    TTextMemo memo;
    memo.SetTextBuf("abc def\r\nghi");
    TStyleRec link;
    link.Context = 7;
    memo.SetStyleRange(4, 11, true, true, link);
    const auto& first = memo.Paragraph(0).Styles;
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].Offset, 4);
    EXPECT_TRUE(first[0].Flags & srContext);
    EXPECT_EQ(first[0].Context, 7);
    EXPECT_TRUE(memo.Paragraph(1).StartState->Flags & srContext);
    const auto& second = memo.Paragraph(1).Styles;
    ASSERT_EQ(second.size(), 1u);  // the state before comes back at the range's end
    EXPECT_EQ(second[0].Offset, 2);
    EXPECT_FALSE(second[0].Flags & srContext);

    // Without a context, a range inside the marked one ends it there.
    memo.SetStyleRange(5, 6, false, false, TStyleRec{});
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(first[1].Offset, 5);
    EXPECT_EQ(first[1].Flags, 0);
    EXPECT_EQ(first[2].Offset, 6);
    EXPECT_TRUE(first[2].Flags & srContext);
}

TEST(EditorMessages, LoadedClearsUndoAndAlwaysResetsParsing)
{
    TTextMemo memo;
    memo.SetApplyKeyWords(false);
    memo.SetTextBuf("a b");
    memo.ReplaceSelection("x");
    memo.Paragraph(0).Styles.push_back(TStyleRec{});
    memo.Paragraph(0).KeysParsed = true;
    memo.Loaded();
    EXPECT_FALSE(memo.CanUndo());
    EXPECT_TRUE(memo.Paragraph(0).Styles.empty());
    EXPECT_FALSE(memo.Paragraph(0).KeysParsed);
}

TEST(EditorMessages, EditorsShareObjectsWhileAnyLives)
{
    EXPECT_EQ(SharedEditorObjects(), nullptr);
    {
        TTextMemo a;
        ASSERT_NE(SharedEditorObjects(), nullptr);
        EXPECT_EQ(SharedEditorObjects()->LiveEditors, 1);
        {
            TTextMemo b;
            EXPECT_EQ(SharedEditorObjects()->LiveEditors, 2);
        }
        EXPECT_EQ(SharedEditorObjects()->LiveEditors, 1);
        const ui::TCursorImage* arrow = ui::Screen().CursorImage(SharedEditorObjects()->RightArrowCursor);
        ASSERT_NE(arrow, nullptr);
        EXPECT_EQ(arrow->Width, 16);
        EXPECT_EQ(arrow->HotSpot.X, 15);
        EXPECT_EQ(a.Cursor(), ui::crIBeam);
    }
    EXPECT_EQ(SharedEditorObjects(), nullptr);
    EXPECT_EQ(BlockClipboardFormat(), ui::RegisterClipboardFormat("IDE Block Type"));
}

}  // namespace
}  // namespace editor::test

namespace editor::test {
namespace {

TEST(EditorMessages, TheLeftMarginShowsTheRightArrow)
{
    TTextMemo memo;
    // Without a parent or form the client coordinates are the screen's.
    const std::intptr_t self = reinterpret_cast<std::intptr_t>(&memo);
    ui::SetCursorPos({3, 10});  // inside the margin of 8
    EXPECT_EQ(memo.Perform(ui::WM_SETCURSOR, self, ui::MakeLParam(ui::HTCLIENT, ui::WM_MOUSEMOVE)), 1);
    ui::SetCursorPos({40, 10});
    EXPECT_EQ(memo.Perform(ui::WM_SETCURSOR, self, ui::MakeLParam(ui::HTCLIENT, ui::WM_MOUSEMOVE)), 0);
    ui::SetCursorPos({3, 10});
    EXPECT_EQ(memo.Perform(ui::WM_SETCURSOR, 0, ui::MakeLParam(ui::HTCLIENT, ui::WM_MOUSEMOVE)), 0);  // another window
}

// The arrow shows exactly where a press would select lines: left of LeftMargin - 2 minus the
// horizontal offset, and nowhere with tmoNoLineSelection.
TEST(EditorMessages, TheRightArrowZoneIsTheLineSelectionZone)
{
    struct Case {
        const char* what;
        int x;
        int horizontalOffset;
        bool noLineSelection;
        int result;
    };
    const Case cases[] = {
        {"inside the zone", 5, 0, false, 1},
        {"two pixels short of the margin", 6, 0, false, 0},
        {"scrolled right the zone shrinks", 3, 4, false, 0},
        {"scrolled right, still inside", 1, 4, false, 1},
        {"without line selection", 3, 0, true, 0},
    };
    for (const Case& c : cases) {
        FakeWindow window;
        TTextMemo memo;
        memo.SetWordWrap(false);
        window.Attach(memo, 200);
        memo.SetTextBuf(std::string(100, 'x'));
        memo.ScrollToHorizontal(c.horizontalOffset);
        TTextMemoOptions o = memo.Options();
        o.set(tmoNoLineSelection, c.noLineSelection);
        memo.SetOptions(o);
        ui::SetCursorPos({c.x, 10});
        const std::intptr_t self = reinterpret_cast<std::intptr_t>(&memo);
        EXPECT_EQ(memo.Perform(ui::WM_SETCURSOR, self, ui::MakeLParam(ui::HTCLIENT, ui::WM_MOUSEMOVE)), c.result) << c.what;
    }
}

// A font change measures anew and puts the view back at the top-left, telling OnVScroll even
// when the view was there already.
TEST(EditorMessages, AFontChangeResetsTheViewAndTellsOnVScroll)
{
    FakeWindow window;
    TTextMemo memo;
    memo.SetWordWrap(false);
    memo.SetUpdateMode(umImmediate);
    window.Attach(memo, 200, 100);
    std::string text;
    for (int i = 0; i < 30; ++i) text += std::string(60, 'x') + "\r\n";
    memo.SetTextBuf(text);
    memo.ScrollTo(40, 24);
    ASSERT_EQ(memo.TopPixel(), 40);
    int vscrolls = 0;
    memo.OnVScroll = [&](classes::TObject*) { ++vscrolls; };
    memo.Perform(ui::CM_FONTCHANGED);
    EXPECT_EQ(memo.TopPixel(), 0);
    EXPECT_EQ(memo.HorizontalOffset(), 0);
    EXPECT_EQ(memo.TopLine(), 0);
    EXPECT_EQ(vscrolls, 1);
    memo.Perform(ui::CM_FONTCHANGED);
    EXPECT_EQ(vscrolls, 2);
    EXPECT_EQ(memo.LineHeight(), 17);
    EXPECT_EQ(memo.BlankWidth(), 8);
}

// Without a window nothing is measured: an automatic line height follows the font's size in
// screen pixels, a fixed one stays.
TEST(EditorMessages, AFontChangeWithoutAWindowTakesTheHeightFromTheFontSize)
{
    struct Case {
        int size;
        int fixed;
        int lineHeight;
    };
    for (const Case c : {Case{10, 0, 14}, Case{8, 0, 12}, Case{12, 0, 17}, Case{10, 20, 20}}) {
        TTextMemo memo;
        memo.SetLineHeightSetting(c.fixed);
        memo.Font()->SetSize(c.size);
        memo.Perform(ui::CM_FONTCHANGED);
        EXPECT_EQ(memo.LineHeight(), c.lineHeight) << c.size << " pt, fixed " << c.fixed;
    }
}

// Ctl3D is stored when it differs from its default, and its change reaches the window as
// CM_CTL3DCHANGED (the editor makes its window anew there).
TEST(EditorMessages, Ctl3DIsStoredAndAnnouncesItsChange)
{
    TTextMemo memo;
    EXPECT_TRUE(memo.Ctl3D());
    memo.SetCtl3D(false);
    EXPECT_EQ(memo.LastMessage().Msg, ui::CM_CTL3DCHANGED);
    memo.SetParentCtl3D(false);
    memo.SetName("mm");
    const std::string form = classes::WriteComponentText(memo);
    EXPECT_NE(form.find("Ctl3D = False"), std::string::npos) << form;
    EXPECT_NE(form.find("ParentCtl3D = False"), std::string::npos) << form;
    TTextMemo back;
    classes::ReadComponentText(back, form);
    EXPECT_FALSE(back.Ctl3D());
    EXPECT_FALSE(back.ParentCtl3D());
}

// Properties the editor does not act on still survive a stored form, and only when set.
TEST(EditorMessages, StoredOnlyPropertiesSurviveAForm)
{
    TTextMemo memo;
    memo.SetName("mm");
    const std::string plain = classes::WriteComponentText(memo);
    for (const char* name : {"BiDiMode", "Constraints", "DragCursor", "DragKind"})
        EXPECT_EQ(plain.find(name), std::string::npos) << name << " written at its default";

    memo.StoredProps().biDiMode = ui::bdRightToLeft;
    memo.StoredProps().parentBiDiMode = false;
    memo.StoredProps().constraints.MaxWidth = 300;
    memo.StoredProps().dragKind = ui::dkDock;
    memo.SetDragCursor(ui::crHandPoint);
    const std::string form = classes::WriteComponentText(memo);
    TTextMemo back;
    classes::ReadComponentText(back, form);
    EXPECT_EQ(back.StoredProps().biDiMode, ui::bdRightToLeft) << form;
    EXPECT_FALSE(back.StoredProps().parentBiDiMode);
    EXPECT_EQ(back.StoredProps().constraints.MaxWidth, 300);
    EXPECT_EQ(back.StoredProps().dragKind, ui::dkDock);
    EXPECT_EQ(back.DragCursor(), ui::crHandPoint);
}

TEST(EditorMessages, SelMoveAndExtraSpaces)
{
    TTextMemo memo;
    int moves = 0;
    memo.OnSelMove = [&](classes::TObject*) { ++moves; };
    memo.SetTextBuf("ab\r\ncd");
    memo.SetSelStart(1);
    memo.SetSelStart(1);  // the same place: no event
    memo.SetSelStart(4);
    EXPECT_EQ(moves, 2);
    memo.ReplaceSelection("z");  // typing moves the caret too
    EXPECT_EQ(moves, 3);
    memo.Undo();
    EXPECT_EQ(moves, 4);

    // Virtual blanks behind the paragraph end become real ones when text is set there.
    TTextMemoOptions o = DefaultTextMemoOptions();
    o.set(tmoKeepColumnPos);
    o.set(tmoPutExtraSpaces);
    memo.SetOptions(o);
    memo.SetWordWrap(false);
    memo.SetSelStart(4);
    memo.SetSelCol(5);
    EXPECT_EQ(memo.VirtualBlanks(), 3);
    EXPECT_EQ(memo.SelCol(), 5);
    EXPECT_EQ(moves, 5);
    memo.SetSelText("x");
    EXPECT_EQ(ParagraphTexts(memo), (Strings{"ab", "cd   x"}));
    EXPECT_EQ(memo.VirtualBlanks(), 0);
}

}  // namespace
}  // namespace editor::test
