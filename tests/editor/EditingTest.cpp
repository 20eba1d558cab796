// Editing through the component: replacement, undo and redo, selections, column blocks, the
// clipboard (the layer's in-memory one), style commands and scrolling the caret into view.

#include <gtest/gtest.h>

#include "EditorTestUtil.h"

#include "platform/rtl/Exceptions.h"
#include "platform/ui/Clipbrd.h"

#include <sstream>

namespace editor::test {
namespace {

class EditingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ui::SetClipboardStore(nullptr);
        ui::Clipboard().Clear();
    }
};

void Type(TTextMemo& memo, std::string_view text)
{
    for (const char c : text) memo.ReplaceSelection(std::string(1, c));
}

void Select(TTextMemo& memo, int start, int length)
{
    memo.SetSelStart(start);
    memo.SetSelLength(length);
}

// ---- Replacement --------------------------------------------------------------------------

TEST_F(EditingTest, ReplacementSplitsAtCrAndCrLfAndClosesStyles)
{
    struct Case {
        const char* name;
        std::string before;
        int start, length;
        std::string insert;
        Strings after;
        int caret;
    };
    const Case cases[] = {
        {"lone LF is a character", "", 0, 0, "x\ny", {"x\ny"}, 3},
        {"CR LF breaks", "", 0, 0, "x\r\ny", {"x", "y"}, 4},
        {"CR breaks", "", 0, 0, "x\ry", {"x", "y"}, 4},
        {"LF CR: LF stays, CR breaks", "ab", 1, 0, "\n\r", {"a\n", "b"}, 4},
        {"over a break", "ab\r\ncd", 1, 4, "-", {"a-d"}, 2},
        {"delete", "abc", 1, 1, "", {"ac"}, 1},
        {"UTF-8 kept whole", "\xC3\xA4x", 0, 2, "\xE2\x82\xAC", {"\xE2\x82\xAC" "x"}, 3},
        // Opened styles are closed after the inserted text, in the order underline, italic,
        // bold, highlight, alternative font.
        {"closing codes", "", 0, 0, "\x04\x03\x02\x01\x15" "abc", {"\x04\x03\x02\x01\x15" "abc\x15\x01\x02\x03\x04"}, 13},
        // Removing an opening code closes it in the inserted text; the older code after
        // the change stays as it was.
        {"removed code", "a\x02" "b\x02" "c", 1, 2, "X", {"aX\x02\x02" "c"}, 3},
        // An empty pair inside the inserted text goes; an older one stays.
        {"empty pairs", "\x01\x01" "z", 3, 0, "q\x02\x02", {"\x01\x01" "zq"}, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TTextMemo memo;
        memo.SetTextBuf(c.before);
        Select(memo, c.start, c.length);
        memo.ReplaceSelection(c.insert);
        EXPECT_EQ(ParagraphTexts(memo), c.after);
        EXPECT_EQ(memo.SelStart(), c.caret);
        EXPECT_EQ(memo.SelLength(), 0);
        memo.CheckConsistency();
        // Undo gives back exactly the text before.
        memo.Undo();
        EXPECT_EQ(memo.Text(), c.before);
    }
}

TEST_F(EditingTest, TrailingBlanksBeforeABreakOrAtTheEndGoWithTheOption)
{
    TTextMemoOptions discard = DefaultTextMemoOptions();
    discard.set(tmoDiscardTrailingSpaces);
    struct Case {
        std::string before;
        int start, length;
        std::string insert;
        Strings after;
    };
    const Case cases[] = {
        {"ab  cd", 4, 0, "\r\n", {"ab", "cd"}},    // a break after blanks
        {"ab \tcd", 4, 0, "\r\nx", {"ab", "xcd"}},   // tabs too
        {"ab  cd", 4, 0, " \r\nx", {"ab ", "xcd"}},  // the inserted blank is text
        {"ab  c", 4, 1, "", {"ab"}},                // deleting to the paragraph end
        {"ab  cd", 4, 0, "x", {"ab  xcd"}},          // text goes in as it is
        {"ab  cd", 4, 0, " ", {"ab   cd"}},          // no break, not at the end
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before + " + " + c.insert);
        TTextMemo memo;
        memo.SetTextBuf(c.before);
        memo.SetOptions(discard);
        Select(memo, c.start, c.length);
        memo.ReplaceSelection(c.insert);
        EXPECT_EQ(ParagraphTexts(memo), c.after);
        memo.Undo();
        EXPECT_EQ(memo.Text(), c.before);
    }
}

TEST_F(EditingTest, NulBytesPassThroughReplacementUndoAndTheClipboard)
{
    TTextMemo memo;
    std::string seen;
    memo.OnBeforeChange = [&](classes::TObject*, std::string& text) { seen = text; };
    const std::string withNul("a\0b", 3);
    memo.ReplaceSelection(withNul);
    EXPECT_EQ(seen, withNul);
    EXPECT_EQ(memo.Text(), withNul);
    memo.SelectAll();
    memo.CopyToClipboard();
    memo.ReplaceSelection("x");
    memo.Undo();
    EXPECT_EQ(memo.Text(), withNul);
    memo.SetSelStart(memo.TextLength());
    memo.PasteFromClipboard();
    EXPECT_EQ(memo.Text(), withNul + withNul);

    // The handler may replace the text.
    memo.OnBeforeChange = [](classes::TObject*, std::string& text) { text = "[" + text + "]"; };
    memo.ReplaceSelection("y");
    EXPECT_EQ(memo.Text(), withNul + withNul + "[y]");
}

TEST_F(EditingTest, AColumnBlockIsDeletedRowByRowBeforeTheTextGoesIn)
{
    TTextMemo memo;
    memo.SetTextBuf("abcd\r\nefgh\r\nij");
    memo.SelectColumnBlock(0, 1, 2, 3);
    EXPECT_TRUE(memo.ColumnBlock());
    EXPECT_EQ(memo.SelText(), "bc\r\nfg\r\nj\r\n");
    memo.ReplaceSelection("");
    EXPECT_EQ(ParagraphTexts(memo), (Strings{"ad", "eh", "i"}));
    EXPECT_FALSE(memo.ColumnBlock());
    memo.Undo();  // one step
    EXPECT_EQ(memo.Text(), "abcd\r\nefgh\r\nij");

    memo.SelectColumnBlock(2, 0, 0, 2);  // from the bottom up
    memo.ReplaceSelection("X");
    EXPECT_EQ(ParagraphTexts(memo), (Strings{"Xcd", "gh", ""}));
    memo.Undo();
    EXPECT_EQ(memo.Text(), "abcd\r\nefgh\r\nij");
    memo.CheckConsistency();
}

// ---- Undo ---------------------------------------------------------------------------------

TEST_F(EditingTest, UndoStepsFollowTypingCaretMovesAndPastes)
{
    {
        SCOPED_TRACE("typing is one step");
        TTextMemo memo;
        Type(memo, "abc");
        ASSERT_TRUE(memo.CanUndo());
        memo.Undo();
        EXPECT_EQ(memo.Text(), "");
        EXPECT_FALSE(memo.CanUndo());
        ASSERT_TRUE(memo.CanRedo());
        memo.Redo();
        EXPECT_EQ(memo.Text(), "abc");
        EXPECT_EQ(memo.SelStart(), 3);
    }
    {
        SCOPED_TRACE("a caret move splits it");
        TTextMemo memo;
        Type(memo, "a");
        memo.SetSelStart(1);
        Type(memo, "bc");
        memo.Undo();
        EXPECT_EQ(memo.Text(), "a");
        memo.Undo();
        EXPECT_EQ(memo.Text(), "");
    }
    {
        SCOPED_TRACE("typing after a deletion starts a new step");
        TTextMemo memo;
        memo.SetTextBuf("xyz");
        Select(memo, 1, 1);
        memo.ReplaceSelection("");
        Type(memo, "Y");
        memo.Undo();
        EXPECT_EQ(memo.Text(), "xz");
        memo.Undo();
        EXPECT_EQ(memo.Text(), "xyz");
    }
    {
        SCOPED_TRACE("two pastes are two steps");
        TTextMemo memo;
        ui::Clipboard().SetAsText("xy");
        memo.PasteFromClipboard();
        memo.PasteFromClipboard();
        EXPECT_EQ(memo.Text(), "xyxy");
        memo.Undo();
        EXPECT_EQ(memo.Text(), "xy");
        memo.Undo();
        EXPECT_EQ(memo.Text(), "");
    }
    {
        SCOPED_TRACE("a new change drops what could be redone");
        TTextMemo memo;
        Type(memo, "a");
        memo.Undo();
        Type(memo, "b");
        EXPECT_FALSE(memo.CanRedo());
        EXPECT_EQ(memo.UndoRecords().size(), 1u);
    }
}

TEST_F(EditingTest, UndoLimitsByLevelAndSpace)
{
    TTextMemo memo;
    EXPECT_EQ(memo.UndoMaxLevel(), 256);
    EXPECT_EQ(memo.UndoMaxSpace(), 65536);
    for (const char* word : {"one ", "two ", "three "}) {
        memo.SetSelStart(memo.TextLength());
        Type(memo, word);
    }
    memo.SetUndoMaxLevel(2);
    EXPECT_EQ(memo.UndoPosition(), 2);
    try {
        memo.SetUndoMaxLevel(134217728);
        ADD_FAILURE() << "no exception";
    } catch (const rtl::Exception& e) {
        EXPECT_STREQ(e.what(), "Undo set too high");
    }
    EXPECT_EQ(memo.UndoMaxLevel(), 2);
    memo.SetUndoMaxLevel(134217727);  // the largest
    memo.SetUndoMaxLevel(2);
    memo.Undo();
    memo.Undo();
    EXPECT_EQ(memo.Text(), "one ");
    EXPECT_FALSE(memo.CanUndo());

    // Recording keeps the position within the level too.
    memo.SetSelStart(0);
    Type(memo, "a");
    memo.SetSelStart(0);
    Type(memo, "b");
    memo.SetSelStart(0);
    Type(memo, "c");
    EXPECT_EQ(memo.UndoPosition(), 2);

    // Space: the oldest records go first; lowering the limit drops them too.
    TTextMemo spaced;
    spaced.SetUndoMaxSpace(13 * 3 + 2);  // three records of empty text
    for (int i = 0; i < 4; ++i) {
        spaced.SetSelStart(0);
        Type(spaced, "x");
    }
    EXPECT_EQ(spaced.UndoRecords().size(), 3u);
    EXPECT_EQ(spaced.UndoSpace(), 39);
    spaced.SetUndoMaxSpace(20);
    EXPECT_EQ(spaced.UndoRecords().size(), 1u);
}

TEST_F(EditingTest, AChangeLargerThanTheUndoSpaceCanStillBeUndone)
{
    TTextMemo memo;
    const std::string big(70000, 'q');
    memo.SetTextBuf(big);
    memo.SetSelStart(0);
    Type(memo, "older");
    memo.SelectAll();
    Type(memo, "x");  // replaces 70005 characters: a record larger than 65536
    ASSERT_TRUE(memo.CanUndo());
    EXPECT_EQ(memo.UndoRecords().size(), 1u);  // the older step made room
    memo.Undo();
    EXPECT_EQ(memo.Text(), "older" + big);
    memo.Redo();
    EXPECT_EQ(memo.Text(), "x");
}

// ---- Selection ----------------------------------------------------------------------------

TEST_F(EditingTest, SelectionPropertiesStayOnCharacters)
{
    TTextMemo memo;
    memo.SetTextBuf("ab\xC3\xA4\r\nsecond line");  // "abä", "second line"
    memo.SetSelStart(3);  // inside "ä": back to its start
    EXPECT_EQ(memo.SelStart(), 2);
    memo.SetSelStart(5);  // between CR and LF: the paragraph end
    EXPECT_EQ(memo.SelStart(), 4);
    memo.SetSelStart(99);
    EXPECT_EQ(memo.SelStart(), memo.TextLength());
    memo.SetSelLength(-100);
    EXPECT_EQ(memo.SelLength(), -memo.TextLength());
    memo.SetSelStart(1);
    memo.SetSelLength(4);  // would end between CR and LF
    EXPECT_EQ(memo.SelText(), "b\xC3\xA4");
    memo.SetSelLength(5);
    EXPECT_EQ(memo.SelText(), "b\xC3\xA4\r\n");
    EXPECT_EQ(memo.GetTextPart(4, 8), "\r\nse");
    EXPECT_EQ(memo.GetTextPart(8, 4), "");
    EXPECT_EQ(memo.GetTextPart(-5, 2), "ab");

    memo.SelectAll();
    EXPECT_EQ(memo.SelStart(), memo.TextLength());
    EXPECT_EQ(memo.SelLength(), -memo.TextLength());
    EXPECT_EQ(memo.SelText(), memo.Text());

    memo.SetSelPar(1);
    EXPECT_EQ(memo.SelStart(), 6);
    EXPECT_EQ(memo.SelPar(), 1);
    EXPECT_EQ(memo.SelLine(), 1);
    memo.SetSelCol(3);
    EXPECT_EQ(memo.SelStart(), 9);
    EXPECT_EQ(memo.SelCol(), 3);
    memo.SetSelCol(50);  // clamped to the line's end
    EXPECT_EQ(memo.SelStart(), memo.TextLength());
    memo.SetSelLine(0);
    EXPECT_EQ(memo.SelStart(), 0);
    memo.SetSelPar(7);
    EXPECT_EQ(memo.SelPar(), 1);
}

TEST_F(EditingTest, SelectWordUsesSeparatorsAndLargeWordSelect)
{
    TTextMemo memo;
    memo.SetSeparators("\t ,");
    memo.SetTextBuf("gr\xC3\xB6\xC3\x9F" "e, stra\xC3\x9F" "e  x\r\nnext");
    struct Case {
        int caret;
        bool large;
        int start, stop;
    };
    const Case cases[] = {
        {2, false, 0, 7},   // inside "größe"
        {0, false, 0, 7},
        {7, false, 0, 7},   // on the comma: back into the word before
        {9, false, 9, 16},  // "straße"
        {9, true, 9, 18},   // with the blanks after it
        {2, true, 0, 9},    // ", " follows
        {18, true, 18, 19}, // "x": the break is no separator to pass over
        {21, false, 21, 25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caret);
        TTextMemoOptions o = DefaultTextMemoOptions();
        o.set(tmoLargeWordSelect, c.large);
        memo.SetOptions(o);
        memo.SetSelStart(c.caret);
        memo.SelectWord(true);
        EXPECT_EQ(memo.SelFrom(), c.start);
        EXPECT_EQ(memo.SelTo(), c.stop);
    }
    // The anchor keeps its side; without the word's end only the start is taken.
    memo.SetSelStart(12);
    memo.SetSelLength(-1);
    memo.SelectWord(true);
    EXPECT_EQ(memo.SelStart(), 16);
    EXPECT_EQ(memo.SelLength(), -7);
    memo.SetSelStart(12);
    memo.SelectWord(false);
    EXPECT_EQ(memo.SelStart(), 9);
    EXPECT_EQ(memo.SelLength(), 0);
}

// ---- Clipboard ----------------------------------------------------------------------------

TEST_F(EditingTest, ColumnBlocksTravelInBothFormats)
{
    TTextMemo source;
    source.SetTextBuf("abcdef\r\nghijkl\r\nmnopqr");
    source.SelectColumnBlock(0, 1, 2, 3);
    source.CopyToClipboard();
    const std::string rows = "bc\r\nhi\r\nno\r\n";
    EXPECT_EQ(ui::Clipboard().AsText(), rows);
    EXPECT_EQ(ui::Clipboard().GetData(BlockClipboardFormat()).value_or(""), rows + std::string(1, '\0'));
    EXPECT_EQ(ui::ClipboardFormatName(BlockClipboardFormat()), "IDE Block Type");

    // Below the last paragraph and into short lines: blanks up to the column, paragraphs
    // appended as needed; one undo step takes it all back.
    TTextMemo target;
    TTextMemoOptions o = DefaultTextMemoOptions();
    o.set(tmoBlockSelection);
    target.SetOptions(o);
    target.SetTextBuf("1234567890123\r\nab");
    target.SetSelStart(10);
    target.PasteFromClipboard();
    EXPECT_EQ(ParagraphTexts(target), (Strings{"1234567890bc123", "ab        hi", "          no"}));
    target.Undo();
    EXPECT_EQ(target.Text(), "1234567890123\r\nab");
    EXPECT_FALSE(target.CanUndo());
    target.CheckConsistency();

    // Without tmoBlockSelection the same clipboard is plain text.
    TTextMemo plain;
    plain.PasteFromClipboard();
    EXPECT_EQ(ParagraphTexts(plain), (Strings{"bc", "hi", "no", ""}));

    // Cutting a block leaves the rows shortened.
    source.CutToClipboard();
    EXPECT_EQ(ParagraphTexts(source), (Strings{"adef", "gjkl", "mpqr"}));
}

TEST_F(EditingTest, CopyCutAndPasteNeedSomethingToWorkOn)
{
    TTextMemo memo;
    memo.SetTextBuf("keep");
    ui::Clipboard().SetAsText("old");
    memo.CopyToClipboard();
    memo.CutToClipboard();
    EXPECT_EQ(ui::Clipboard().AsText(), "old");
    EXPECT_EQ(memo.Text(), "keep");

    // A block format alone is no text.
    ui::Clipboard().Clear();
    ui::Clipboard().SetData(BlockClipboardFormat(), std::string("zz\r\n\0", 5));
    memo.PasteFromClipboard();
    EXPECT_EQ(memo.Text(), "keep");
    EXPECT_FALSE(memo.CanUndo());

    // tmoPlainClipboard leaves the style codes out.
    TTextMemoOptions o = DefaultTextMemoOptions();
    o.set(tmoPlainClipboard);
    memo.SetOptions(o);
    memo.SetTextBuf("\x02" "bold\x02");
    memo.SelectAll();
    memo.CopyToClipboard();
    EXPECT_EQ(ui::Clipboard().AsText(), "bold");
    memo.CutToClipboard();
    EXPECT_EQ(memo.Text(), "");
}

// ---- Style commands -----------------------------------------------------------------------

TEST_F(EditingTest, StyleCommandsWrapTheSelectionInTheirCodes)
{
    TTextMemo memo;
    int styleChanges = 0;
    memo.OnStyleChange = [&](classes::TObject*) { ++styleChanges; };
    memo.SetBold();  // empty: two codes, the caret between them
    EXPECT_EQ(memo.Text(), "\x02\x02");
    EXPECT_EQ(memo.SelStart(), 1);
    EXPECT_EQ(memo.CaretStyle(), fsBold);
    EXPECT_EQ(styleChanges, 1);
    Type(memo, "b");
    EXPECT_EQ(memo.Text(), "\x02" "b\x02");

    memo.SetTextBuf("abc\r\ndef");
    memo.SetSelStart(1);
    memo.SetSelLength(5);
    memo.SetItalic();
    EXPECT_EQ(memo.Text(), "a\x01" "bc\r\nd\x01" "ef");
    EXPECT_EQ(memo.SelStart(), 2);
    EXPECT_EQ(memo.SelLength(), 5);
    memo.SetSelStart(7);
    memo.SetSelLength(-5);
    memo.SetUnderline();  // a backward selection stays backward
    EXPECT_EQ(memo.SelStart(), 8);
    EXPECT_EQ(memo.SelLength(), -5);
    EXPECT_EQ(memo.SelText(), "bc\r\nd");

    const struct {
        int code;
        char inserted;
    } commands[] = {{ecItalic, 1}, {ecBold, 2}, {ecHighlight, 3}, {ecAltFont, 4}, {ecUnderline, 21}};
    for (const auto& c : commands) {
        TTextMemo fresh;
        EXPECT_TRUE(fresh.ExecuteCommand(c.code));
        EXPECT_EQ(fresh.Text(), std::string(2, c.inserted));
    }
    TTextMemo fresh;
    EXPECT_FALSE(fresh.ExecuteCommand(5));
    fresh.SetStaticFormat(false);  // the codes mean nothing then
    fresh.SetBold();
    EXPECT_EQ(fresh.Text(), "");
}

// ---- Scrolling ----------------------------------------------------------------------------

TEST_F(EditingTest, ScrollCaretIntoViewStepsByFiveCharactersAndByLines)
{
    FakeWindow window;
    TTextMemo memo;
    memo.SetWordWrap(false);
    window.Attach(memo, 80, 100);  // 8-pixel characters, 17-pixel lines, six lines in view
    std::string text(40, 'a');
    for (int i = 0; i < 40; ++i) text += "\r\nline";
    memo.SetTextBuf(text);
    window.queue.DeliverAll();

    memo.SetSelStart(20);
    memo.ScrollCaretIntoView();  // x = 8 + 160 = 168: three steps of 40
    EXPECT_EQ(memo.HorizontalOffset(), 120);
    EXPECT_EQ(memo.CaretX(), 48);
    memo.SetSelStart(0);
    memo.ScrollCaretIntoView();  // x = 8 - 120: back to 0
    EXPECT_EQ(memo.HorizontalOffset(), 0);

    int vscrolls = 0;
    memo.OnVScroll = [&](classes::TObject*) { ++vscrolls; };
    memo.SetSelPar(30);
    memo.ScrollCaretIntoView();  // the caret line's bottom at the client's bottom
    EXPECT_EQ(memo.TopPixel(), 31 * 17 - 100);
    EXPECT_EQ(memo.CaretY(), 100 - 17);
    EXPECT_EQ(vscrolls, 1);
    memo.SetSelPar(10);
    memo.ScrollCaretIntoView();  // above: it becomes the top line
    EXPECT_EQ(memo.TopPixel(), 10 * 17);
    EXPECT_EQ(memo.TopLine(), 10);
    memo.ScrollToTopPixel(10 * 17 + 5);
    memo.ScrollCaretIntoView();  // the top line scrolled part of the way
    EXPECT_EQ(memo.TopPixel(), 10 * 17);

    TTextMemoOptions o = DefaultTextMemoOptions();
    o.set(tmoNoFineScroll);
    memo.SetOptions(o);
    memo.SetSelPar(35);
    memo.ScrollCaretIntoView();  // whole lines: line 35 - 6 visible + 2
    EXPECT_EQ(memo.TopPixel(), (35 - memo.VisibleLines() + 2) * 17);

    // Wrapping at the window never scrolls sideways.
    memo.SetWordWrap(true);
    memo.SetSelStart(39);
    memo.ScrollCaretIntoView();
    EXPECT_EQ(memo.HorizontalOffset(), 0);
}

}  // namespace
}  // namespace editor::test

namespace editor::test {
namespace {

TEST(EditorLimits, TooLongATextIsRefusedAndTheTextStays)
{
    TTextMemo memo;
    memo.SetTextBuf("kept");
    memo.SetModified(false);
    // Never read: the length alone is refused.
    const char* small = "x";
    const std::string_view huge(small, static_cast<std::size_t>(kMaxTextLength) + 1);
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            if (attempt == 0)
                memo.SetTextBuf(huge);
            else
                memo.ReplaceSelection(huge);
            ADD_FAILURE() << "no exception";
        } catch (const rtl::Exception& e) {
            EXPECT_STREQ(e.what(), "Text too long");
        }
        EXPECT_EQ(memo.Text(), "kept");
        EXPECT_FALSE(memo.Modified());
        EXPECT_FALSE(memo.CanUndo());
    }
}

TEST(EditorFormattedState, SavedAndLoadedWithLinesAndStyles)
{
    FakeWindow window;
    TTextMemo memo;
    memo.SetLeftMargin(0);
    memo.SetRightMargin(0);
    window.Attach(memo, 80);
    memo.StartStopKeys()->Add("/*", "*/", false, 0, 1, 0, -1, -1, 0);
    memo.SetTextBuf("a long paragraph /* with a comment\r\nthat goes on */ here\r\n\x02" "bold");
    window.queue.DeliverAll();
    std::stringstream state;
    memo.SaveFormatted(state);
    const std::string bytes = state.str();
    ASSERT_EQ(memo.TextLength(), 63);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x3f\x00\x00\x00", 4));  // the text length, little-endian

    TTextMemo back;
    back.SetTextBuf("old");
    std::stringstream in(bytes);
    back.LoadFormatted(in);
    EXPECT_EQ(back.Text(), memo.Text());
    EXPECT_EQ(back.LineCount(), memo.LineCount());
    for (int p = 0; p < memo.ParagraphCount(); ++p) {
        EXPECT_EQ(LinesOf(back, p), LinesOf(memo, p));
        EXPECT_EQ(back.Paragraph(p).Styles.size(), memo.Paragraph(p).Styles.size());
        EXPECT_TRUE(back.Paragraph(p).Formatted);
    }
    EXPECT_EQ(back.Paragraph(1).StartState->Level, 0);  // the comment runs on from the first
    EXPECT_EQ(back.SelStart(), 0);
    back.CheckConsistency();

    // A stream that breaks off or does not add up leaves the text as it was.
    for (const std::string& bad : {bytes.substr(0, bytes.size() - 1), std::string("\x05\x00\x00\x00", 4) + bytes.substr(4)}) {
        TTextMemo other;
        other.SetTextBuf("stays");
        std::stringstream broken(bad);
        EXPECT_THROW(other.LoadFormatted(broken), rtl::EStreamError);
        EXPECT_EQ(other.Text(), "stays");
        other.CheckConsistency();
    }
}

}  // namespace
}  // namespace editor::test
