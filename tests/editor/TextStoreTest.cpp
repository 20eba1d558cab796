// The paragraph store: offsets with two characters per break, navigators, replacement at
// the edges, column conversion, style-code tidying and the chunked paragraph list.

#include "EditorTestUtil.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace editor::test {
namespace {

TEST(TextStore, AnEmptyEditorHasOneParagraphAndOneDisplayLine)
{
    TTextMemo memo;
    EXPECT_EQ(memo.ParagraphCount(), 1);
    EXPECT_EQ(memo.LineCount(), 1);
    EXPECT_EQ(memo.TextLength(), 0);
    EXPECT_EQ(memo.Paragraphs()->Count(), 0);
    EXPECT_EQ(memo.Lines()->Count(), 0);
    EXPECT_EQ(memo.Text(), "");
    memo.CheckConsistency();
}

// Each kind of broken bookkeeping is named by the consistency check (the editor's own code
// never produces these; the test breaks the records by hand).
TEST(TextStore, TheConsistencyCheckNamesEachBrokenRecord)
{
    struct Case {
        const char* what;
        std::function<void(TTextMemo&)> breakIt;
        std::string message;
    };
    const Case cases[] = {
        {"first line", [](TTextMemo& m) { ++m.Paragraph(1).FirstLine; }, "Error 1 TTextMemo"},
        {"start offset", [](TTextMemo& m) { ++m.Paragraph(1).Start; }, "Error 2 in TTextMemo"},
        {"line gap", [](TTextMemo& m) { m.Paragraph(0).Line0.Start = 1; }, "Error 3 in TTextMemo"},
        {"lines short of the text", [](TTextMemo& m) { m.Paragraph(0).Text += "z"; }, "Error 4 in TTextMemo"},
        {"text length",
         [](TTextMemo& m) {
             m.Paragraph(1).Text += "z";
             ++m.Paragraph(1).Line0.Stop;
         },
         "Error 5 in TTextMemo"},
        {"line count",
         [](TTextMemo& m) {
             TParagraphRec& p = m.Paragraph(1);
             p.Line0.Stop = 1;
             p.MoreLines.push_back(TLineRec{1, p.Length()});
         },
         "Error 6 in TTextMemo"},
        {"break inside a paragraph", [](TTextMemo& m) { m.Paragraph(0).Text[1] = '\r'; }, "Error 7 in TTextMemo"},
        {"no start state", [](TTextMemo& m) { m.Paragraph(1).StartState.reset(); }, "Error 8 in TTextMemo"},
        {"style records out of order",
         [](TTextMemo& m) {
             TStyleRec a, b;
             a.Offset = 2;
             b.Offset = 1;
             m.Paragraph(0).Styles = {a, b};
         },
         "Error 8 in TTextMemo"},
        {"style record past the paragraph",
         [](TTextMemo& m) {
             TStyleRec a;
             a.Offset = 4;
             m.Paragraph(0).Styles = {a};
         },
         "Error 8 in TTextMemo"},
        {"caret inside a character",
         [](TTextMemo& m) {
             m.SetSelStart(1);
             m.Paragraph(0).Text = "\xC3\xA9" "c";
         },
         "Error 9 in TTextMemo"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TTextMemo memo;
        memo.LoadFromText("abc\r\ndef");
        memo.CheckConsistency();
        EXPECT_EQ(memo.ConsistencyProblem(), "");
        c.breakIt(memo);
        const std::string expected = rtl::StringReplace(c.message, "TTextMemo", EditorVersionText(), {rtl::rfReplaceAll});
        EXPECT_EQ(memo.ConsistencyProblem(), expected);
        try {
            memo.CheckConsistency();
            ADD_FAILURE() << "no exception";
        } catch (const rtl::Exception& e) {
            EXPECT_EQ(e.Message(), expected);
        }
    }
}

// Debug builds check the store after every completed change and stop on a broken one; release
// builds carry on.
TEST(TextStoreDeathTest, DebugBuildsStopOnABrokenStoreAfterAnEdit)
{
    TTextMemo memo;
    memo.LoadFromText("abc\r\ndef\r\nghi");
    ++memo.Paragraph(2).Start;
    EXPECT_DEBUG_DEATH(memo.ReplaceSelection("x"), "the text store is inconsistent: Error 2 in");
}

TEST(TextStore, EveryBreakCountsTwoWhateverItWasReadWith)
{
    TTextMemo memo;
    memo.LoadFromText("ab\ncd\n\nef");
    EXPECT_EQ(ParagraphTexts(memo), (Strings{"ab", "cd", "", "ef"}));
    EXPECT_EQ(memo.TextLength(), 6 + 3 * 2);
    EXPECT_EQ(memo.Paragraph(1).Start, 4);
    EXPECT_EQ(memo.Paragraph(3).Start, 10);
    EXPECT_EQ(memo.Text(), "ab\r\ncd\r\n\r\nef");
    EXPECT_EQ(memo.GetTextPart(1, 5), "b\r\nc");
    EXPECT_EQ(memo.GetTextPart(5, 5), "");
    EXPECT_EQ(memo.GetTextPart(-3, 100), memo.Text());

    TTextNavigator nav(memo);
    const std::pair<int, char> chars[] = {{0, 'a'}, {2, '\r'}, {3, '\n'}, {4, 'c'}, {8, '\r'}, {9, '\n'}, {10, 'e'}};
    for (const auto& [offset, c] : chars) {
        nav.SetOffset(offset);
        EXPECT_EQ(nav.CharAt(), c) << offset;
    }
    nav.SetOffset(3);
    EXPECT_EQ(nav.Paragraph(), 0);  // the LF belongs to its paragraph
    EXPECT_EQ(nav.ParOffset(), 3);
    EXPECT_EQ(nav.CopyText(4), "\ncd\r");
    EXPECT_EQ(nav.CopyText(2147483647), memo.GetTextPart(3, memo.TextLength()));  // clipped to the text

    // A text ending in a break has an empty last paragraph that Paragraphs does not count.
    memo.LoadFromText("a\r\n");
    EXPECT_EQ(memo.ParagraphCount(), 2);
    EXPECT_EQ(memo.Paragraphs()->Count(), 1);
    memo.CheckConsistency();
}

// Checks a navigator against a fresh look-up of the same offset.
void ExpectLocated(TTextMemo& memo, TTextNavigator& nav)
{
    TTextNavigator fresh(memo);
    fresh.SetOffset(nav.Offset());
    EXPECT_EQ(nav.Paragraph(), fresh.Paragraph()) << nav.Offset();
    EXPECT_EQ(nav.ParOffset(), fresh.ParOffset()) << nav.Offset();
    EXPECT_EQ(nav.Line(), fresh.Line()) << nav.Offset();
    EXPECT_EQ(nav.Paragraph(), memo.ParagraphOfOffset(nav.Offset()));
}

TEST(Navigators, FollowInsertsAndDeletesAtTheEdges)
{
    struct Case {
        const char* what;
        int start, stop;
        std::string insert;
        std::string text;            // afterwards
        std::vector<int> expected;   // navigators that stood at 0, 1, 2, 4 and 6
    };
    const Case cases[] = {
        {"insert at the start", 0, 0, "XY", "XYab\r\ncd", {0, 3, 4, 6, 8}},
        {"insert a break at the start", 0, 0, "\r\n", "\r\nab\r\ncd", {0, 3, 4, 6, 8}},
        {"insert at the end", 6, 6, "Z\r\n", "ab\r\ncdZ\r\n", {0, 1, 2, 4, 6}},
        {"delete the first character", 0, 1, "", "b\r\ncd", {0, 0, 1, 3, 5}},
        {"delete the break", 2, 4, "", "abcd", {0, 1, 2, 2, 4}},
        {"delete the last character", 5, 6, "", "ab\r\nc", {0, 1, 2, 4, 5}},
        {"delete everything", 0, 6, "", "", {0, 0, 0, 0, 0}},
        {"replace everything", 0, 6, "new\r\n\r\ntext", "new\r\n\r\ntext", {0, 0, 0, 0, 11}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TTextMemo memo;
        memo.LoadFromText("ab\r\ncd");
        std::vector<std::unique_ptr<TTextNavigator>> navs;
        for (const int at : {0, 1, 2, 4, 6}) {
            navs.push_back(std::make_unique<TTextNavigator>(memo));
            navs.back()->SetOffset(at);
            navs.back()->Line();  // fill the caches that the change has to drop
        }
        memo.SetSelStart(c.start);
        memo.SetSelLength(c.stop - c.start);
        memo.ReplaceSelection(c.insert);
        EXPECT_EQ(memo.Text(), c.text);
        for (std::size_t i = 0; i < navs.size(); ++i) {
            EXPECT_EQ(navs[i]->Offset(), c.expected[i]) << i;
            ExpectLocated(memo, *navs[i]);
        }
        memo.CheckConsistency();
    }
}

TEST(Navigators, SequentialMovesMatchFreshLookUpsOverWrappedText)
{
    FakeWindow window;
    TTextMemo memo;
    memo.SetUpdateMode(umImmediate);
    window.Attach(memo, 16 + 80);  // ten characters a line
    memo.LoadFromText("one two three four five six seven\r\n\r\nshort\r\neight nine ten eleven twelve");
    TTextNavigator walker(memo);
    for (int offset = 0; offset <= memo.TextLength(); ++offset) {
        walker.SetOffset(offset);
        ExpectLocated(memo, walker);
    }
    TTextNavigator byLine(memo);
    for (int line = 0; line < memo.LineCount(); ++line) {
        byLine.SetLine(line);
        EXPECT_EQ(byLine.Line(), line);
        EXPECT_EQ(byLine.ParOffset(), TLinesList(byLine.ParagraphRec())[byLine.ParLine()].Start);
    }
}

TEST(Navigators, ForAnotherComponentAreRefused)
{
    classes::TComponent other(nullptr);
    try {
        TTextNavigator nav(&other);
        FAIL();
    } catch (const rtl::Exception& e) {
        EXPECT_EQ(e.Message(), "Internal error: component is not a TTextMemo");
    }
    TTextMemo memo;
    TTextNavigator ok(static_cast<classes::TComponent*>(&memo));
    EXPECT_EQ(memo.Navigators().back(), &ok);
}

TEST(Navigators, StyleRecordsAreFoundInsertedAndRemoved)
{
    TTextMemo memo;
    memo.LoadFromText("abcdef\r\nghi");
    TTextNavigator nav(memo);
    nav.SetOffset(2);
    nav.InsertStyle(TStyleRec{});
    nav.SetOffset(9);
    nav.InsertStyle(TStyleRec{});
    nav.SetOffset(2);
    EXPECT_EQ(nav.StyleIndex(), -1);  // a record is in force after its offset
    nav.SetOffset(3);
    EXPECT_EQ(nav.StyleIndex(), 0);
    nav.SetOffset(0);
    ASSERT_TRUE(nav.NextStyle());
    EXPECT_EQ(nav.Offset(), 2);
    ASSERT_TRUE(nav.NextStyle());
    EXPECT_EQ(nav.Offset(), 9);
    EXPECT_FALSE(nav.NextStyle());
    ASSERT_TRUE(nav.PrevStyle());
    EXPECT_EQ(nav.Offset(), 2);
    nav.RemoveStyle();
    EXPECT_TRUE(memo.Paragraph(0).Styles.empty());
    try {
        nav.RemoveStyle();
        FAIL();
    } catch (const rtl::Exception& e) {
        EXPECT_EQ(e.Message(), "Internal TextMemo error");
    }
}

TEST(TextStore, OutOfRangeAccessIsAListIndexError)
{
    TTextMemo memo;
    memo.LoadFromText("a\r\nb");
    try {
        memo.Paragraph(2);
        FAIL();
    } catch (const rtl::EListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds");
    }
    EXPECT_THROW(TLinesList(memo.Paragraph(0))[1], rtl::EListError);
    EXPECT_THROW(memo.Paragraphs()->Get(-1), rtl::EListError);
    EXPECT_THROW(memo.Lines()->Get(5), rtl::EListError);
}

TEST(ChunkedList, InsertsAndDeletesAcrossChunksKeepTheOrder)
{
    TChunkedList<int> list;
    const int perChunk = TChunkedList<int>::kPerChunk;
    for (int i = 0; i < 2 * perChunk + 5; ++i) list.Add(i);
    list.Insert(perChunk - 1, 3);
    EXPECT_EQ(list[perChunk - 2], perChunk - 2);
    EXPECT_EQ(list[perChunk - 1], 0);
    EXPECT_EQ(list[perChunk + 2], perChunk - 1);
    EXPECT_EQ(list[list.Count() - 1], 2 * perChunk + 4);
    list.Delete(1, perChunk + 5);
    EXPECT_EQ(list.Count(), perChunk + 3);
    EXPECT_EQ(list[0], 0);
    EXPECT_EQ(list[1], perChunk + 3);
    EXPECT_EQ(list.Capacity(), 2 * perChunk);  // surplus chunks are freed
    EXPECT_THROW(list[list.Count()], rtl::EListError);
    EXPECT_THROW(list.Insert(list.Count() + 1, 1), rtl::EListError);
}

TEST(TextStore, ReplacementSplitsAtCrAndCrLfOnly)
{
    const std::pair<std::string, Strings> cases[] = {
        {"x\ny", {"x\ny"}},
        {"x\r\ny", {"x", "y"}},
        {"x\ry", {"x", "y"}},
        {"x\r\n\ry", {"x", "", "y"}},
    };
    for (const auto& [text, paragraphs] : cases) {
        TTextMemo memo;
        memo.ReplaceSelection(text);
        EXPECT_EQ(ParagraphTexts(memo), paragraphs);
        EXPECT_EQ(memo.SelStart(), memo.TextLength());
        memo.CheckConsistency();
    }
}

TEST(TextStore, TheCaretNeverSplitsASequenceOrABreak)
{
    TTextMemo memo;
    memo.LoadFromText("h\xC3\xA9llo\r\n\xE2\x82\xAC");  // "héllo", "€"
    memo.SetSelStart(2);  // inside "é"
    EXPECT_EQ(memo.SelStart(), 1);
    memo.SetSelStart(7);  // between CR and LF
    EXPECT_EQ(memo.SelStart(), 6);
    memo.SetSelStart(10);  // inside "€"
    EXPECT_EQ(memo.SelStart(), 8);
    memo.SetSelLength(2);
    EXPECT_EQ(memo.SelLength(), 0);
    memo.SetSelLength(3);
    EXPECT_EQ(memo.SelText(), "\xE2\x82\xAC");
    memo.SetSelStart(1);
    memo.SetSelLength(1);  // ends inside "é": taken back to its start
    EXPECT_EQ(memo.SelLength(), 0);
}

TEST(TextStore, ANulInsideTheTextNeverCutsIt)
{
    const std::string withNul("ab\0cd", 5);
    TTextMemo memo;
    memo.SetTextBuf(withNul + "\r\n" + withNul);
    EXPECT_EQ(memo.TextLength(), 12);
    EXPECT_EQ(memo.Paragraphs()->Get(1), withNul);
    EXPECT_EQ(memo.Lines()->Get(0), withNul);
    memo.SetSelStart(memo.TextLength());
    memo.ReplaceSelection(std::string("\0x\0", 3));
    EXPECT_EQ(memo.Paragraph(1).Text, withNul + std::string("\0x\0", 3));
    EXPECT_EQ(memo.SaveToText(), withNul + "\r\n" + withNul + std::string("\0x\0", 3));
    memo.CheckConsistency();
}

TEST(TextStore, StyleTogglesOfAReplacementAreClosedAndEmptyPairsTidied)
{
    TTextMemo memo;
    memo.LoadFromText("ab");
    memo.SetSelStart(2);
    memo.ReplaceSelection("\x02x");  // an unclosed bold toggle is closed after the insertion
    EXPECT_EQ(memo.Paragraph(0).Text, "ab\x02x\x02");
    EXPECT_EQ(memo.SelStart(), 5);

    memo.SetSelStart(5);
    memo.ReplaceSelection("\x02");  // bold code, its closing code and the one before cancel out
    EXPECT_EQ(memo.Paragraph(0).Text, "ab\x02x\x02");

    memo.SetSelStart(2);
    memo.SetSelLength(3);  // remove "\x02x\x02": balanced, nothing to close
    memo.ReplaceSelection("");
    EXPECT_EQ(memo.Paragraph(0).Text, "ab");

    EXPECT_EQ(TidyStyleCodes("a\x02\x01\x02\x01" "b"), "ab");
    EXPECT_EQ(TidyStyleCodes("\x02\x02\x02"), "\x02");
    EXPECT_EQ(TidyStyleCodes("\x02x\x02"), "\x02x\x02");
    std::vector<int> removed;
    EXPECT_EQ(TidyStyleCodes("a\x15\x03\x15", &removed), "a\x03");
    EXPECT_EQ(removed, (std::vector<int>{1, 3}));

    memo.SetStaticFormat(false);  // then the codes are ordinary characters
    memo.SetSelStart(2);
    memo.ReplaceSelection("\x02\x02");
    EXPECT_EQ(memo.Paragraph(0).Text, "ab\x02\x02");
}

TEST(TextStore, ColumnsCountCharactersTabsAndNoStyleCodes)
{
    TTextMemo memo;
    memo.SetTabStops(4);
    memo.LoadFromText("a\tb\x02\xC3\xA9z");  // columns: a 0-1, tab to 4, b 5, é 6, z 7
    struct Case {
        int column, offset, beyond;
    };
    const Case cases[] = {{0, 0, 0}, {1, 1, 0}, {3, 1, 0}, {4, 2, 0}, {5, 4, 0}, {6, 6, 0}, {7, 7, 0}, {10, 7, 3}};
    for (const Case& c : cases) {
        int beyond = -1;
        EXPECT_EQ(memo.ColumnToOffset(0, c.column, &beyond), c.offset) << c.column;
        EXPECT_EQ(beyond, c.beyond) << c.column;
    }
    EXPECT_EQ(memo.OffsetToColumn(0, 2), 4);
    EXPECT_EQ(memo.OffsetToColumn(0, 4), 5);
    EXPECT_EQ(memo.OffsetToColumn(0, 6), 6);
    EXPECT_EQ(memo.OffsetToColumn(0, 99), 7);
}

TEST(TextStore, ClearingAnEmptyEditorChangesNothing)
{
    TTextMemo memo;
    int changes = 0;
    memo.OnChange = [&](classes::TObject*) { ++changes; };
    memo.Clear();
    EXPECT_FALSE(memo.Modified());
    EXPECT_EQ(changes, 0);
    memo.SetTextBuf("x");
    EXPECT_TRUE(memo.Modified());
    EXPECT_EQ(changes, 1);
}

TEST(TextStore, TrailingSpacesGoWhenDiscardingIsSwitchedOn)
{
    TTextMemo memo;
    memo.LoadFromText("a  \r\nb\t");
    memo.SetModified(false);
    TTextMemoOptions options = memo.Options();
    options.set(tmoDiscardTrailingSpaces);
    memo.SetOptions(options);
    EXPECT_EQ(memo.Text(), "a\r\nb");
    EXPECT_FALSE(memo.Modified());
}

}  // namespace
}  // namespace editor::test
