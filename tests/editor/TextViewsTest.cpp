// The Paragraphs and Lines views and the stored property "Strings".

#include "EditorTestUtil.h"

#include "platform/classes/Streaming.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace editor::test {
namespace {

TEST(ParagraphsView, AddInsertPutDelete)
{
    TTextMemo memo;
    TTextParaStrings& paras = *memo.Paragraphs();
    EXPECT_EQ(paras.Add("a"), 0);  // into the empty last paragraph, followed by a break
    EXPECT_EQ(memo.Text(), "a\r\n");
    EXPECT_EQ(paras.Add("b"), 1);
    EXPECT_EQ(memo.Text(), "a\r\nb\r\n");
    paras.Insert(0, "z");
    EXPECT_EQ(memo.Text(), "z\r\na\r\nb\r\n");
    paras.Insert(paras.Count(), "end");  // at the count: an added paragraph, no stray empty one
    EXPECT_EQ(memo.Text(), "z\r\na\r\nb\r\nend\r\n");
    paras.Delete(1);
    EXPECT_EQ(memo.Text(), "z\r\nb\r\nend\r\n");
    paras.Put(1, "B");
    EXPECT_EQ(memo.Text(), "z\r\nB\r\nend\r\n");
    paras.Put(5, "far");  // breaks are appended until the paragraph exists
    EXPECT_EQ(memo.Text(), "z\r\nB\r\nend\r\n\r\n\r\nfar");
    EXPECT_EQ(paras.Count(), 6);
    paras.Delete(5);  // the last paragraph: to the end of the text
    EXPECT_EQ(memo.Text(), "z\r\nB\r\nend\r\n\r\n\r\n");
    EXPECT_THROW(paras.Get(7), rtl::EListError);

    memo.SetTextBuf("x");
    paras.Add("y");  // after a last paragraph that holds text
    EXPECT_EQ(memo.Text(), "x\r\ny");
    memo.CheckConsistency();
}

TEST(ParagraphsView, PutKeepsTheCaretOnItsText)
{
    TTextMemo memo;
    memo.SetTextBuf("one\r\ntwo\r\nthree");
    memo.SetSelStart(11);  // in "three", selecting "hr"
    memo.SetSelLength(2);
    memo.Paragraphs()->Put(0, "first");
    EXPECT_EQ(memo.SelStart(), 13);
    EXPECT_EQ(memo.SelText(), "hr");
    memo.Paragraphs()->Put(1, "2");  // after the caret: the caret stays
    EXPECT_EQ(memo.SelText(), "hr");
    memo.Paragraphs()->Put(2, "3");  // the caret's own paragraph: the selection is not restored
    EXPECT_EQ(memo.Text(), "first\r\n2\r\n3");
    EXPECT_EQ(memo.SelStart(), 11);
    EXPECT_EQ(memo.SelLength(), 0);
}

TEST(LinesView, ItemsAreDisplayLines)
{
    FakeWindow window;
    TTextMemo memo;
    memo.SetUpdateMode(umImmediate);
    memo.SetLeftMargin(0);
    memo.SetRightMargin(0);
    window.Attach(memo, 80);  // ten characters
    memo.SetTextBuf("aaaa bbbb cccc\r\nd\r\n");
    TTextLinesStrings& lines = *memo.Lines();
    EXPECT_EQ(lines.Count(), 3);  // the empty last line is not counted
    EXPECT_EQ(lines.Get(0), "aaaa bbbb ");
    EXPECT_EQ(lines.Get(1), "cccc");
    EXPECT_EQ(lines.Get(2), "d");

    lines.Delete(0);  // inside a paragraph: no break goes with it
    EXPECT_EQ(memo.Text(), "cccc\r\nd\r\n");
    lines.Delete(0);  // ends its paragraph: the break goes too
    EXPECT_EQ(memo.Text(), "d\r\n");
    lines.Insert(0, "top");
    EXPECT_EQ(memo.Text(), "top\r\nd\r\n");
    lines.Put(1, "D");
    EXPECT_EQ(memo.Text(), "top\r\nD\r\n");
    lines.Insert(5, "nothing");  // beyond the count: nothing happens
    EXPECT_EQ(memo.Text(), "top\r\nD\r\n");
    memo.SetSelStart(0);
    EXPECT_EQ(lines.Add("last"), 2);
    EXPECT_EQ(memo.Text(), "top\r\nD\r\nlast\r\n");
    EXPECT_EQ(memo.SelStart(), memo.TextLength());
    memo.CheckConsistency();
}

TEST(LinesView, WithoutAWindowEveryParagraphIsOneLine)
{
    TTextMemo memo;
    memo.SetTextBuf(std::string(500, 'x') + "\r\nshort");
    EXPECT_EQ(memo.Lines()->Count(), 2);
    EXPECT_EQ(memo.Lines()->Get(0).size(), 500u);
}

TEST(StringViews, TextAssignAndUpdates)
{
    TTextMemo memo;
    rtl::TStringList list;
    list.Add("a");
    list.Add("b");
    memo.Lines()->Assign(list);
    EXPECT_EQ(memo.Text(), "a\r\nb\r\n");
    EXPECT_EQ(memo.Lines()->Text(), "a\r\nb\r\n");

    TTextMemo other;
    other.Paragraphs()->Assign(*memo.Lines());
    EXPECT_EQ(other.Text(), memo.Text());

    memo.Lines()->SetText("x\ny");
    EXPECT_EQ(ParagraphTexts(memo), (Strings{"x", "y"}));

    int changes = 0;
    memo.OnChange = [&](classes::TObject*) { ++changes; };
    memo.Paragraphs()->BeginUpdate();
    memo.Paragraphs()->Add("1");
    memo.Paragraphs()->Add("2");
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(memo.UpdateCount(), 1);
    memo.Paragraphs()->EndUpdate();
    EXPECT_EQ(changes, 1);  // one announcement for the whole update
    EXPECT_EQ(memo.Text(), "x\r\ny\r\n1\r\n2");
    memo.CheckConsistency();
}

TEST(StringViews, FilesUseTheEditorsFormat)
{
    const std::string path = (std::filesystem::temp_directory_path() / "gw_editor_views_test.txt").string();
    TTextMemo memo;
    memo.SetLineBreak(pbLF);
    memo.SetTextBuf("one\r\ntwo");
    memo.Lines()->SaveToFile(path);
    EXPECT_EQ(rtl::ReadFileToString(path), "one\ntwo");

    rtl::WriteStringToFile(path, "\xEF\xBB\xBF" "a\rb\n\rc");
    TTextMemo back;
    back.Paragraphs()->LoadFromFile(path);
    EXPECT_EQ(ParagraphTexts(back), (Strings{"a", "b", "c"}));
    std::filesystem::remove(path);
}

TEST(StringsProperty, RoundTripsThroughTheComponentTextForm)
{
    std::string thousand;
    for (int i = 0; i < 1000; ++i) thousand.push_back(static_cast<char>('a' + i % 26));
    const Strings paragraphs = {thousand, "ends in five\x05", "", "end", "\x02" "bold", "last"};
    TTextMemo memo;
    for (const std::string& p : paragraphs) memo.Paragraphs()->Add(p);
    const std::string text = classes::WriteComponentText(memo);
    EXPECT_NE(text.find("Lines.Strings = ("), std::string::npos);

    TTextMemo back;
    classes::ReadComponentText(back, text);
    EXPECT_EQ(back.Text(), memo.Text());
    EXPECT_EQ(back.Paragraphs()->Count(), static_cast<int>(paragraphs.size()));
    for (std::size_t i = 0; i < paragraphs.size(); ++i) EXPECT_EQ(back.Paragraphs()->Get(static_cast<int>(i)), paragraphs[i]);
    back.CheckConsistency();
    // And again: the same text.
    EXPECT_EQ(classes::WriteComponentText(back), text);
}

TEST(StringsProperty, PiecesOfTheView)
{
    TTextMemo memo;
    EXPECT_TRUE(memo.Lines()->StoredPieces().empty());  // an empty text writes nothing
    EXPECT_EQ(classes::WriteComponentText(memo).find("Strings"), std::string::npos);

    memo.SetTextBuf(std::string(300, 'x') + "\r\nabc\x05");
    const std::vector<std::string> pieces = memo.Lines()->StoredPieces();
    EXPECT_EQ(pieces, (Strings{std::string(254, 'x') + "\x05", std::string(46, 'x'), "abc\x05\x05", ""}));

    // Reading appends to the text that is there.
    TTextMemo other;
    other.SetTextBuf("first");
    other.Lines()->ReadStoredPieces(pieces);
    EXPECT_EQ(ParagraphTexts(other), (Strings{"first", std::string(300, 'x'), "abc\x05"}));
}

TEST(StringsProperty, KeywordsAndStartStopKeysAreStoredToo)
{
    TTextMemo memo;
    TKeywordRec k;
    k.Options = koWholeWord;
    k.Attr = 7;
    k.Context = 42;
    k.Attr16 = -3;
    k.TextColor = rtl::clRed;
    k.BackColor = -1;
    memo.Keywords()->AddKeyword("select", k);
    memo.StartStopKeys()->Add("/*", "*/", false, 1, 2, 3, rtl::clBlue, rtl::clWhite, koCaseSensitive);
    memo.StartStopKeys()->Add("--", "", true, 0, 9, 0, -1, -1, 0);
    const std::string text = classes::WriteComponentText(memo);

    TTextMemo back;
    back.Keywords()->AddKeyword("stale", k);  // reading clears the list first
    classes::ReadComponentText(back, text);
    ASSERT_EQ(back.Keywords()->Count(), 1);
    EXPECT_EQ(back.Keywords()->Get(0), "select");
    EXPECT_EQ(back.Keywords()->Keyword(0), k);
    ASSERT_EQ(back.StartStopKeys()->Count(), 2);
    const TStartStopKey& pair = (*back.StartStopKeys())[0];
    EXPECT_EQ(pair.StartKey, "/*");
    EXPECT_EQ(pair.StopKey, "*/");
    EXPECT_EQ(pair.Context, 2);
    EXPECT_EQ(pair.TextColor, rtl::clBlue);
    EXPECT_EQ(pair.Options, koCaseSensitive);
    EXPECT_TRUE((*back.StartStopKeys())[1].EndsAtParagraphEnd);
    EXPECT_EQ(classes::WriteComponentText(back), text);
}

}  // namespace
}  // namespace editor::test
