// Keywords and start/stop-key spans: the style records they leave in the paragraphs.

#include "EditorTestUtil.h"

#include "editor/TextHighlighter.h"

#include <gtest/gtest.h>

#include <random>

namespace editor::test {
namespace {

TKeywordRec Keyword(std::uint8_t options, std::int32_t context = 1)
{
    TKeywordRec k;
    k.Options = options;
    k.Context = context;
    return k;
}

// The keyword matches of a paragraph as "text@offset#keyword".
Strings Matches(TTextMemo& memo, int p)
{
    Strings out;
    const TParagraphRec& rec = memo.Paragraph(p);
    for (std::size_t i = 0; i < rec.Styles.size(); ++i) {
        const TStyleRec& r = rec.Styles[i];
        if (!(r.Flags & srKeyword)) continue;
        const TStyleRec& end = rec.Styles[i + 1];
        out.push_back(rec.Text.substr(static_cast<std::size_t>(r.Offset), static_cast<std::size_t>(end.Offset - r.Offset)) +
                      "@" + std::to_string(r.Offset) + "#" + std::to_string(r.Keyword));
    }
    return out;
}

void FormatAll(TTextMemo& memo) { memo.FormatRange(0, memo.ParagraphCount() - 1); }

TEST(Keywords, EmptyListsLeaveNoStyleRecords)
{
    TTextMemo memo;
    memo.SetTextBuf("select * from t\r\n/* no */");
    FormatAll(memo);
    for (int p = 0; p < memo.ParagraphCount(); ++p) EXPECT_TRUE(memo.Paragraph(p).Styles.empty());
}

TEST(Keywords, EarlierKeywordsWinAndWholeWordsNeedSeparators)
{
    TTextMemo memo;
    memo.SetTextBuf("a INNER join b IN c");
    memo.Keywords()->AddKeyword("IN", Keyword(0));
    memo.Keywords()->AddKeyword("INNER", Keyword(0));
    memo.ResetParsing();
    FormatAll(memo);
    EXPECT_EQ(Matches(memo, 0), (Strings{"IN@2#0", "in@10#0", "IN@15#0"}));  // "join" holds "in"

    memo.Keywords()->SetKeyword(0, Keyword(koWholeWord));
    memo.Keywords()->SetKeyword(1, Keyword(koWholeWord));
    memo.ResetParsing();
    FormatAll(memo);
    EXPECT_EQ(Matches(memo, 0), (Strings{"INNER@2#1", "IN@15#0"}));
}

TEST(Keywords, CaseAndTheSearchedAttribute)
{
    TTextMemo memo;
    memo.SetTextBuf("Select SELECT select never");
    memo.Keywords()->AddKeyword("select", Keyword(koWholeWord));
    memo.Keywords()->AddKeyword("never", Keyword(0, 0));  // an attribute of 0: never searched
    memo.ResetParsing();
    FormatAll(memo);
    EXPECT_EQ(Matches(memo, 0), (Strings{"Select@0#0", "SELECT@7#0", "select@14#0"}));

    memo.Keywords()->SetKeyword(0, Keyword(koWholeWord | koCaseSensitive));
    memo.ResetParsing();
    FormatAll(memo);
    EXPECT_EQ(Matches(memo, 0), (Strings{"select@14#0"}));

    TTextMemo unicode;
    unicode.SetUpperCaseType(tmuAnsi);
    unicode.SetTextBuf("caf\xC3\xA9 CAF\xC3\x89");
    unicode.Keywords()->AddKeyword("caf\xC3\xA9", Keyword(0));
    unicode.ResetParsing();
    FormatAll(unicode);
    EXPECT_EQ(Matches(unicode, 0).size(), 2u);
}

// The span level in force at the start of every paragraph.
std::vector<int> StartLevels(TTextMemo& memo)
{
    std::vector<int> out;
    for (int p = 0; p < memo.ParagraphCount(); ++p) out.push_back(memo.Paragraph(p).StartState->Level);
    return out;
}

TEST(StartStopKeys, SpansAreCarriedAcrossParagraphsAndFollowEdits)
{
    TTextMemo memo;
    memo.StartStopKeys()->Add("/*", "*/", false, 0, 5, 0, -1, -1, 0);
    memo.Keywords()->AddKeyword("c", Keyword(koWholeWord));
    memo.SetTextBuf("a /* b\r\nc\r\nd */ c\r\nc");
    FormatAll(memo);
    EXPECT_EQ(StartLevels(memo), (std::vector<int>{-1, 0, 0, -1}));
    EXPECT_TRUE(Matches(memo, 1).empty());  // no keyword inside a span
    EXPECT_EQ(Matches(memo, 2), Strings{"c@5#0"});
    EXPECT_EQ(Matches(memo, 3), Strings{"c@0#0"});
    const TStyleRec& open = memo.Paragraph(0).Styles.at(0);
    EXPECT_EQ(open.Offset, 2);
    EXPECT_EQ(open.Level, 0);
    EXPECT_EQ(open.Context, 5);

    // Removing the start key ends the span everywhere after it.
    memo.SetSelStart(2);
    memo.SetSelLength(2);
    memo.ReplaceSelection("");
    FormatAll(memo);
    EXPECT_EQ(StartLevels(memo), (std::vector<int>{-1, -1, -1, -1}));
    EXPECT_EQ(Matches(memo, 1), Strings{"c@0#0"});

    // And typing it again opens it again.
    memo.ReplaceSelection("/*");
    FormatAll(memo);
    EXPECT_EQ(StartLevels(memo), (std::vector<int>{-1, 0, 0, -1}));
    memo.CheckConsistency();
}

TEST(StartStopKeys, NavigatorsDoNotKeepStyleIndexesOfRecordsAReparseReplaced)
{
    TTextMemo memo;
    memo.StartStopKeys()->Add("/*", "*/", false, 0, 5, 0, -1, -1, 0);
    memo.SetTextBuf("/*\r\nx*/ y /*z*/ w /*q*/\r\n");
    FormatAll(memo);
    ASSERT_EQ(memo.Paragraph(1).Styles.size(), 5u);  // the span from paragraph 0 ends at 3
    TTextNavigator nav(memo);
    TTextNavigator mid(memo);
    memo.BeginUpdate();
    memo.SetSelStart(0);
    memo.SetSelLength(2);
    memo.ReplaceSelection("");  // paragraph 1 no longer starts inside a span
    // Looked up before the change is formatted: the old records of paragraph 1.
    const TParagraphRec& p1 = memo.Paragraph(1);
    nav.SetOffset(p1.Start + p1.Length() + 1);
    EXPECT_EQ(nav.StyleIndex(), 4);
    mid.SetOffset(p1.Start + 12);
    EXPECT_EQ(mid.StyleIndex(), 2);
    memo.EndUpdate();  // reparses paragraph 1: four records now
    ASSERT_EQ(memo.Paragraph(1).Styles.size(), 4u);
    for (TTextNavigator* n : {&nav, &mid}) {
        TTextNavigator fresh(memo);
        fresh.SetOffset(n->Offset());
        EXPECT_EQ(n->StyleIndex(), fresh.StyleIndex());
        EXPECT_EQ(n->Style().Offset, fresh.Style().Offset);
    }
}

TEST(StartStopKeys, ParagraphEndsNestingAndLinkedPairs)
{
    TTextMemo memo;
    memo.StartStopKeys()->Add("--", "", true, 0, 1, 0, -1, -1, 0);   // to the paragraph end
    memo.StartStopKeys()->Add("(", ")", false, 0, 2, 0, -1, -1, 0);
    memo.SetTextBuf("x -- (\r\n((y)\r\nz)");  // the "(" inside the comment ends with it
    FormatAll(memo);
    // Inside an open span only its stop key counts: the second "(" opens nothing, so the
    // first ")" closes the span and nothing is carried on.
    EXPECT_EQ(StartLevels(memo), (std::vector<int>{-1, -1, -1}));
    const auto& inner = memo.Paragraph(1).Styles;
    ASSERT_EQ(inner.size(), 2u);
    EXPECT_EQ(inner[0].Offset, 0);
    EXPECT_EQ(inner[0].Level, 0);
    EXPECT_EQ(inner[1].Offset, 4);
    EXPECT_EQ(inner[1].Level, -1);

    TTextMemo linked;
    linked.StartStopKeys()->Add("<", ">", false, 0, 1, 0, -1, -1, 0);
    linked.StartStopKeys()->Add("<", "!", false, 0, 2, 0, -1, -1, 0);  // takes over when ">" closes
    EXPECT_EQ((*linked.StartStopKeys())[1].Link, 0);
    linked.SetTextBuf("<a>b!c");
    FormatAll(linked);
    const auto& styles = linked.Paragraph(0).Styles;
    ASSERT_EQ(styles.size(), 3u);
    EXPECT_EQ(styles[1].Offset, 3);
    EXPECT_EQ(styles[1].Level, 0);
    EXPECT_EQ(styles[1].Keys[0], 1);
    EXPECT_EQ(styles[2].Offset, 5);
    EXPECT_EQ(styles[2].Level, -1);
}

TEST(StartStopKeys, NoStartKeyInsideAnOpenSpanAndCaseFoldedLinks)
{
    // A quote inside a comment opens no string that would run into the next paragraph.
    TTextMemo memo;
    memo.StartStopKeys()->Add("/*", "*/", false, 0, 1, 0, -1, -1, 0);
    memo.StartStopKeys()->Add("\"", "\"", false, 0, 2, 0, -1, -1, 0);
    memo.SetTextBuf("/* say \"hi */ x\r\nnext");
    FormatAll(memo);
    EXPECT_EQ(StartLevels(memo), (std::vector<int>{-1, -1}));
    const auto& styles = memo.Paragraph(0).Styles;
    ASSERT_EQ(styles.size(), 2u);
    EXPECT_EQ(styles[0].Offset, 0);
    EXPECT_EQ(styles[0].Keys[0], 0);
    EXPECT_EQ(styles[1].Offset, 13);
    EXPECT_EQ(styles[1].Level, -1);

    // Pairs that ignore case share a start whatever case it was entered in; case-sensitive
    // ones only when it is the same.
    TTextMemo linked;
    TStartStopKeyList& keys = *linked.StartStopKeys();
    keys.Add("REM", ":", false, 0, 1, 0, -1, -1, 0);
    keys.Add("rem", ";", false, 0, 2, 0, -1, -1, 0);
    keys.Add("Rem", ":", false, 0, 3, 0, -1, -1, koCaseSensitive);
    keys.Add("rem", ":", false, 0, 4, 0, -1, -1, koCaseSensitive);
    EXPECT_EQ(keys[1].Link, 0);
    EXPECT_EQ(keys[2].Link, -1);
    EXPECT_EQ(keys[3].Link, -1);
    linked.SetTextBuf("rem a: b; c");
    FormatAll(linked);
    const auto& spans = linked.Paragraph(0).Styles;
    ASSERT_EQ(spans.size(), 3u);
    EXPECT_EQ(spans[1].Offset, 6);  // ":" hands the span to the linked pair
    EXPECT_EQ(spans[1].Keys[0], 1);
    EXPECT_EQ(spans[2].Offset, 9);
    EXPECT_EQ(spans[2].Level, -1);
}

TEST(StartStopKeys, WholeWordKeysNeedSeparatorsOnlyAtTheirWordEnds)
{
    TTextMemo memo;
    memo.StartStopKeys()->Add("rem", ":", false, 0, 1, 0, -1, -1, koWholeWord);
    memo.SetTextBuf("remark rem note: done");
    FormatAll(memo);
    const auto& styles = memo.Paragraph(0).Styles;
    ASSERT_EQ(styles.size(), 2u);
    EXPECT_EQ(styles[0].Offset, 7);
    EXPECT_EQ(styles[1].Offset, 16);
}

// Spans and keywords after any sequence of edits are those of the final text parsed afresh.
TEST(StartStopKeys, RandomEditsEndAsAFreshParseWould)
{
    auto configure = [](TTextMemo& memo) {
        memo.StartStopKeys()->Add("/*", "*/", false, 0, 1, 0, -1, -1, 0);
        memo.StartStopKeys()->Add("'", "'", false, 0, 2, 0, -1, -1, 0);
        memo.StartStopKeys()->Add("--", "", true, 0, 3, 0, -1, -1, 0);
        memo.Keywords()->AddKeyword("select", Keyword(koWholeWord));
        memo.Keywords()->AddKeyword("from", Keyword(0));
        memo.ResetParsing();
    };
    auto describe = [](TTextMemo& memo) {
        Strings out;
        for (int p = 0; p < memo.ParagraphCount(); ++p) {
            const TParagraphRec& rec = memo.Paragraph(p);
            std::string d = "start " + std::to_string(rec.StartState->Level);
            for (const TStyleRec& r : rec.Styles)
                d += " " + std::to_string(r.Offset) + ":" + std::to_string(r.Level) + "/" + std::to_string(r.Flags) +
                     "/" + std::to_string(r.Keyword) + "/" + std::to_string(r.Context);
            out.push_back(d);
        }
        return out;
    };
    std::mt19937 random(777);
    TTextMemo memo;
    configure(memo);
    memo.SetTextBuf("select a from t /* note\r\nstill */ where 'x\r\ny' -- tail\r\nselect");
    const std::string pieces[] = {"/*", "*/", "'", "--", "select ", "from", "\r\n", " ", "x"};
    for (int step = 0; step < 200; ++step) {
        memo.SetSelStart(static_cast<int>(random() % static_cast<unsigned>(memo.TextLength() + 1)));
        memo.SetSelLength(random() % 3 == 0 ? static_cast<int>(random() % 4) : 0);
        memo.ReplaceSelection(random() % 5 == 0 ? "" : pieces[random() % std::size(pieces)]);
        FormatAll(memo);
        memo.CheckConsistency();

        TTextMemo fresh;
        configure(fresh);
        fresh.SetTextBuf(memo.Text());
        FormatAll(fresh);
        ASSERT_EQ(describe(memo), describe(fresh)) << "step " << step << ": " << testing::PrintToString(memo.Text());
    }
}

struct DigitMarker : TTextHighlighter {
    using TTextHighlighter::TTextHighlighter;
    bool MatchOutsideSpan(TTextMemo& memo, int paragraph, int offset, TStyleRec& record, int& length) override
    {
        const std::string& t = memo.Paragraph(paragraph).Text;
        if (t[static_cast<std::size_t>(offset)] < '0' || t[static_cast<std::size_t>(offset)] > '9') return false;
        record.Context = 99;
        length = 1;
        return true;
    }
};

TEST(Highlighter, MarksRunsAndLeavesItsEditorsWhenFreed)
{
    TTextMemo memo;
    auto* marker = new DigitMarker(nullptr);
    memo.SetHighlighter(marker);
    memo.SetTextBuf("a1b");
    memo.ResetParsing();
    FormatAll(memo);
    ASSERT_EQ(memo.Paragraph(0).Styles.size(), 2u);
    EXPECT_EQ(memo.Paragraph(0).Styles[0].Context, 99);
    delete marker;
    EXPECT_EQ(memo.Highlighter(), nullptr);
}

}  // namespace
}  // namespace editor::test
