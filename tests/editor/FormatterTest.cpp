// The formatting engine with a fixed-width font: every character 8 pixels wide.

#include "EditorTestUtil.h"

#include <gtest/gtest.h>

#include <random>

namespace editor::test {
namespace {

// An editor without margins whose window holds `columns` characters a line.
struct Wrapped {
    FakeWindow window;
    TTextMemo memo;

    explicit Wrapped(int columns, TUpdateMode mode = umImmediate)
    {
        memo.SetUpdateMode(mode);
        memo.SetLeftMargin(0);
        memo.SetRightMargin(0);
        window.Attach(memo, columns * 8);
    }
    Strings Lines(int p = 0) { return LinesOf(memo, p); }
    TLineRec Line(int p, int j) { return TLinesList(memo.Paragraph(p))[j]; }
};

TEST(Wrapping, AWordStaysWhenItEndsExactlyAtTheWidth)
{
    Wrapped w(10);
    w.memo.SetTextBuf("aaaa bbbbb");
    EXPECT_EQ(w.Lines(), Strings{"aaaa bbbbb"});
    EXPECT_EQ(w.Line(0, 0).Width, 80);

    w.memo.SetTextBuf("aaaa bbbbbb");
    EXPECT_EQ(w.Lines(), (Strings{"aaaa ", "bbbbbb"}));
    const TLineRec first = w.Line(0, 0);
    EXPECT_EQ(first.Width, 32);      // without the blank it ends with
    EXPECT_EQ(first.FullWidth, 40);  // with it
    EXPECT_EQ(first.Blanks, 0);      // which takes no part in justification
    w.memo.CheckConsistency();
}

TEST(Wrapping, BlanksStayOnTheLineTheyEndAndCountForJustificationInside)
{
    Wrapped w(10);
    w.memo.SetTextBuf("a b c     dddddd");
    EXPECT_EQ(w.Lines(), (Strings{"a b c     ", "dddddd"}));
    const TLineRec first = w.Line(0, 0);
    EXPECT_EQ(first.Blanks, 2);
    EXPECT_EQ(first.Width, 40);
    EXPECT_EQ(first.FullWidth, 80);
    EXPECT_EQ(w.memo.LineCount(), 2);
}

TEST(Wrapping, LongWordsAreBrokenByCharactersNeverInsideASequence)
{
    Wrapped w(10);
    w.memo.SetTextBuf("abcdefghijklmnopqrstuvwxyz end");
    EXPECT_EQ(w.Lines(), (Strings{"abcdefghij", "klmnopqrst", "uvwxyz end"}));

    std::string accents;
    for (int i = 0; i < 13; ++i) accents += "\xC3\xA9";
    w.memo.SetTextBuf(accents);
    EXPECT_EQ(w.Lines(), (Strings{accents.substr(0, 20), accents.substr(20)}));

    // A window narrower than its margins wraps at one pixel: one character a line.
    Wrapped narrow(0);
    narrow.memo.SetLeftMargin(8);
    narrow.memo.SetRightMargin(8);
    narrow.memo.SetTextBuf("ab c");
    EXPECT_EQ(narrow.Lines(), (Strings{"a", "b ", "c"}));
    narrow.memo.CheckConsistency();
}

TEST(Wrapping, ACharacterBeforeAStyleCodeStaysOnItsLine)
{
    Wrapped w(4);
    w.memo.SetTextBuf("abcde\x02" "fg\x02");
    // "e" passes the width but a style code follows it: the break falls after it.
    EXPECT_EQ(w.Lines(), (Strings{"abcde", "\x02" "fg\x02"}));
    EXPECT_EQ(w.Line(0, 1).Style, 0);  // the code itself starts the next line, still plain
}

TEST(Wrapping, WithoutWordWrapNothingIsBrokenAndTheWidestLineIsKnown)
{
    Wrapped w(10);
    w.memo.SetWordWrap(false);
    w.memo.SetTextBuf("short\r\na much longer line than the window\r\nx");
    EXPECT_EQ(w.memo.LineCount(), 3);
    EXPECT_EQ(w.memo.WidestLineWidth(), 34 * 8);
    EXPECT_EQ(w.memo.WidestParagraph(), 1);

    w.memo.SetSelStart(7);  // shorten the widest line: the widest is found again
    w.memo.SetSelLength(9);
    w.memo.ReplaceSelection("");
    EXPECT_EQ(w.memo.WidestLineWidth(), 25 * 8);
    EXPECT_EQ(w.memo.WidestParagraph(), 1);
}

TEST(Wrapping, TabsMoveToTheNextStopAndRestartJustification)
{
    Wrapped w(10);
    w.memo.SetTabStops(4);  // a stop every 32 pixels
    w.memo.SetTextBuf("a b\tc");
    const TLineRec line = w.Line(0, 0);
    EXPECT_EQ(line.FullWidth, 40);
    EXPECT_EQ(line.Blanks, 0);
    EXPECT_EQ(line.JustifyStart, 4);

    w.memo.SetTextBuf("aaa\tbbbbbbb");
    EXPECT_EQ(w.Lines(), (Strings{"aaa\t", "bbbbbbb"}));
    EXPECT_EQ(w.Line(0, 0).Width, 32);

    w.memo.SetTabStops(0);  // no stops: a tab takes no room
    w.memo.SetTextBuf("a\tb");
    EXPECT_EQ(w.Line(0, 0).Width, 16);
}

// Bold text is twice as wide.
struct TwoFonts : IStyleMeasure {
    ui::TFixedWidthMeasure regular{8, 16, 4};
    ui::TFixedWidthMeasure bold{16, 16, 4};
    ui::IFontMeasure& FontOfStyle(std::uint8_t style) override { return (style & fsBold) ? bold : regular; }
};

TEST(Wrapping, StyleCodesHaveNoWidthAndSwitchTheFont)
{
    TwoFonts fonts;
    ui::TManualMessageQueue queue;
    TTextMemo memo;
    memo.SetUpdateMode(umImmediate);
    memo.SetLeftMargin(0);
    memo.SetRightMargin(0);
    memo.AttachWindow(fonts, 80, 100, queue);
    memo.SetTextBuf("ab\x02" "cd\x02" "e");
    EXPECT_EQ(TLinesList(memo.Paragraph(0))[0].Width, 8 + 8 + 16 + 16 + 8);

    memo.SetTextBuf("\x02" "aaaa bbbb");  // bold blanks are wide too
    EXPECT_EQ(LinesOf(memo, 0), (Strings{"\x02" "aaaa ", "bbbb"}));
    EXPECT_EQ(TLinesList(memo.Paragraph(0))[1].Style, fsBold);

    memo.SetStaticFormat(false);  // codes are ordinary characters then
    EXPECT_EQ(memo.LineCount(), 1);
    EXPECT_EQ(TLinesList(memo.Paragraph(0))[0].FullWidth, 80);
}

TEST(Wrapping, WithoutAWindowEveryParagraphIsOneLine)
{
    TTextMemo memo;
    memo.SetUpdateMode(umImmediate);
    memo.SetTextBuf(std::string(100, 'a') + " " + std::string(100, 'b'));
    memo.FormatRange(0, 0);
    EXPECT_EQ(memo.LineCount(), 1);
    EXPECT_EQ(TLinesList(memo.Paragraph(0))[0].Stop, 201);
}

TEST(IncrementalWrap, StopsAtTheFirstUnchangedBreak)
{
    Wrapped w(10);
    std::string text;
    for (int i = 0; i < 20; ++i) text += "word ";  // two words a line, ten lines
    w.memo.SetTextBuf(text);
    ASSERT_EQ(w.memo.LineCount(), 10);

    // One character changed on line 3: lines 2 and 3 are measured again, nothing after.
    w.window.font.ResetCounters();
    w.memo.SetSelStart(30);
    w.memo.SetSelLength(1);
    w.memo.ReplaceSelection("W");
    EXPECT_LE(w.window.font.MeasuredChars(), 20);
    EXPECT_EQ(w.memo.LineCount(), 10);

    // Typing at the end re-wraps only the last lines.
    w.window.font.ResetCounters();
    w.memo.SetSelStart(w.memo.TextLength());
    w.memo.ReplaceSelection("x");
    EXPECT_LE(w.window.font.MeasuredChars(), 20);
    EXPECT_EQ(w.memo.LineCount(), 11);
    w.memo.CheckConsistency();
}

TEST(IncrementalWrap, AWordMovesBackWhenTheLineBeforeHasRoom)
{
    Wrapped w(10);
    w.memo.SetTextBuf("aaaa bbbbbb cc");
    EXPECT_EQ(w.Lines(), (Strings{"aaaa ", "bbbbbb cc"}));
    w.memo.SetSelStart(5);
    w.memo.SetSelLength(2);  // "bbbbbb" becomes "bbbb": it fits after "aaaa "
    w.memo.ReplaceSelection("");
    EXPECT_EQ(w.Lines(), (Strings{"aaaa bbbb ", "cc"}));
}

// After any sequence of edits the incremental result is the full wrap of the final text.
TEST(IncrementalWrap, RandomEditsEndAsAFullWrapWould)
{
    std::mt19937 random(12345);
    Wrapped w(12);
    w.memo.SetTextBuf("the quick brown fox jumps over the lazy dog\r\nand keeps running far away\r\n\r\nend");
    const std::string pieces[] = {"a", " ", "xyz ", "\r\n", "longlonglongword", "\t", "\x02", "  ", "é"};
    for (int step = 0; step < 300; ++step) {
        const int length = w.memo.TextLength();
        const int start = static_cast<int>(random() % static_cast<unsigned>(length + 1));
        const int span = static_cast<int>(random() % 4);
        w.memo.SetSelStart(start);
        w.memo.SetSelLength(random() % 3 == 0 ? span : 0);
        w.memo.ReplaceSelection(random() % 4 == 0 ? "" : pieces[random() % std::size(pieces)]);
        w.memo.CheckConsistency();

        Wrapped fresh(12);
        fresh.memo.LoadFromText(w.memo.Text());
        ASSERT_EQ(fresh.memo.ParagraphCount(), w.memo.ParagraphCount());
        for (int p = 0; p < w.memo.ParagraphCount(); ++p)
            ASSERT_EQ(w.Lines(p), fresh.Lines(p)) << "step " << step << " paragraph " << p;
    }
}

std::string ManyParagraphs(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) text += "paragraph " + std::to_string(i) + " with a few words to wrap\r\n";
    return text;
}

TEST(BackgroundFormatting, SlicesContinuedByPostedMessagesFinishALargeText)
{
    FakeWindow window;
    TTextMemo memo;  // background mode is the default
    memo.SetLeftMargin(0);
    memo.SetRightMargin(0);
    window.Attach(memo, 80, 170, 1);  // the clock moves a millisecond each time it is read
    int progressEvents = 0;
    memo.OnProgress = [&](classes::TObject*) { ++progressEvents; };
    memo.LoadFromText(ManyParagraphs(3000));

    EXPECT_TRUE(memo.BackgroundActive());
    EXPECT_EQ(window.queue.Pending(), 1u);  // nothing formatted yet, one continuation posted
    EXPECT_FALSE(memo.Paragraph(0).Formatted);

    int slices = 0;
    while (window.queue.Pending() > 0) {
        ASSERT_LE(window.queue.Pending(), 1u);  // a slice never pumps, it posts one message
        const int before = memo.BackgroundNext();
        window.queue.DeliverOne();
        ++slices;
        const int done = (memo.BackgroundLast() < 0 ? memo.ParagraphCount() : memo.BackgroundNext()) - before;
        EXPECT_GE(done, 1);
        EXPECT_LE(done, kFormatSliceMs);  // each paragraph reads the clock at least once
        ASSERT_LT(slices, 10000);
    }
    EXPECT_GT(slices, 100);
    EXPECT_FALSE(memo.BackgroundActive());
    EXPECT_EQ(memo.ProgressPercent(), 100);
    EXPECT_GT(progressEvents, 2);
    for (int p = 0; p < memo.ParagraphCount(); ++p) ASSERT_TRUE(memo.Paragraph(p).Formatted) << p;
    Wrapped reference(10);
    reference.memo.LoadFromText(ManyParagraphs(3000));
    EXPECT_EQ(memo.LineCount(), reference.memo.LineCount());
    memo.CheckConsistency();
}

TEST(BackgroundFormatting, EditsWhileSlicesArePendingAndShutdown)
{
    FakeWindow window;
    TTextMemo memo;
    memo.SetLeftMargin(0);
    memo.SetRightMargin(0);
    window.Attach(memo, 80, 170, 1);
    memo.LoadFromText(ManyParagraphs(500));
    window.queue.DeliverAll(3);
    // Insert paragraphs far below the part formatted so far, and change the top.
    memo.SetSelStart(memo.Paragraph(400).Start);
    memo.ReplaceSelection("new one\r\nnew two and more words here\r\n");
    memo.SetSelStart(0);
    memo.ReplaceSelection("top ");
    memo.CheckConsistency();
    window.queue.DeliverAll();
    for (int p = 0; p < memo.ParagraphCount(); ++p) ASSERT_TRUE(memo.Paragraph(p).Formatted) << p;
    memo.CheckConsistency();

    // While the application shuts down a slice posts nothing more.
    memo.ReformatAll();
    window.queue.SetTerminating(true);
    window.queue.DeliverAll();
    EXPECT_EQ(window.queue.Pending(), 0u);
    EXPECT_GE(memo.BackgroundLast(), 0);
}

TEST(BackgroundFormatting, AContinuationThatArrivesDuringAnUpdateResumesWhenTheUpdateEnds)
{
    FakeWindow window;
    TTextMemo memo;
    memo.SetLeftMargin(0);
    memo.SetRightMargin(0);
    window.Attach(memo, 80, 170, 1);
    memo.LoadFromText(ManyParagraphs(500));
    window.queue.DeliverAll(2);
    ASSERT_EQ(window.queue.Pending(), 1u);
    // An update is open while the posted continuation is delivered: the slice does nothing.
    memo.BeginUpdate();
    window.queue.DeliverAll();
    EXPECT_EQ(window.queue.Pending(), 0u);
    memo.EndUpdate();  // formatting goes on from here
    window.queue.DeliverAll();
    for (int p = 0; p < memo.ParagraphCount(); ++p) ASSERT_TRUE(memo.Paragraph(p).Formatted) << p;
    EXPECT_FALSE(memo.BackgroundActive());
    memo.CheckConsistency();
}

TEST(UpdateModes, OnNeedFormatsWhatIsAskedFor)
{
    Wrapped w(10, umOnNeed);
    w.memo.LoadFromText(ManyParagraphs(2000));
    EXPECT_EQ(w.window.queue.Pending(), 0u);
    EXPECT_EQ(w.memo.LineCount(), 2001);  // one line each until formatted
    Wrapped reference(10);
    reference.memo.LoadFromText(ManyParagraphs(2000));
    EXPECT_EQ(w.memo.Lines()->Get(5), reference.memo.Lines()->Get(5));
    EXPECT_TRUE(w.memo.Paragraph(0).Formatted);
    EXPECT_FALSE(w.memo.Paragraph(1999).Formatted);
    w.memo.CheckConsistency();

    // Switching to immediate formats the rest at once.
    w.memo.SetUpdateMode(umImmediate);
    EXPECT_TRUE(w.memo.Paragraph(1999).Formatted);
    EXPECT_EQ(w.memo.BackgroundLast(), -1);
    w.memo.CheckConsistency();
}

TEST(UpdateModes, ChangesOutOfViewAreLeftToTheBackground)
{
    FakeWindow window;
    TTextMemo memo;
    memo.SetLeftMargin(0);
    memo.SetRightMargin(0);
    window.Attach(memo, 80, 170, 1);  // about ten lines in view
    memo.LoadFromText(ManyParagraphs(100));
    window.queue.DeliverAll();
    // A replacement that adds paragraphs reaching far below the window.
    memo.SetSelStart(0);
    memo.ReplaceSelection(ManyParagraphs(50));
    // The view follows the caret to paragraph 50; of what lies between, the first slice of
    // background formatting did the start and left the rest for later.
    EXPECT_TRUE(memo.Paragraph(0).Formatted);
    EXPECT_TRUE(memo.Paragraph(50).Formatted);
    EXPECT_FALSE(memo.Paragraph(35).Formatted);
    memo.CheckConsistency();
    window.queue.DeliverAll();
    EXPECT_TRUE(memo.Paragraph(35).Formatted);
    memo.CheckConsistency();
}

}  // namespace
}  // namespace editor::test
