// The text stream formats: reading every line-break convention, writing them, and the
// stored property "Strings".

#include "EditorTestUtil.h"

#include "editor/TextStream.h"

#include <gtest/gtest.h>

#include <sstream>

namespace editor::test {
namespace {

struct ReadResult {
    Strings paragraphs;
    bool anyBreak;
    TTextLineBreak last;
};

ReadResult ReadInBlocks(std::string_view text, std::size_t split, TTextReadOptions options = {})
{
    ReadResult r{};
    TTextReader reader(options, [&](std::string&& p) { r.paragraphs.push_back(std::move(p)); });
    reader.Feed(text.substr(0, split));
    reader.Feed(text.substr(split));
    reader.Finish();
    r.anyBreak = reader.AnyBreak();
    r.last = reader.LastBreak();
    return r;
}

TEST(TextReader, EveryLineBreakConventionWhereverTheBlocksSplit)
{
    struct Case {
        std::string text;
        Strings paragraphs;
        TTextLineBreak last;
    };
    const Case cases[] = {
        {"a\r\n\r\nb", {"a", "", "b"}, pbCRLF},
        {"a\n\rb", {"a", "b"}, pbLFCR},
        {"a\r\rb", {"a", "", "b"}, pbCR},
        {"a\n\nb", {"a", "", "b"}, pbLF},
        // The absorbed half of a pair never pairs with the next break character.
        {"a\r\n\rb", {"a", "", "b"}, pbCR},
        {"a\n\r\nb", {"a", "", "b"}, pbLF},
        {"a\r\n\n\rb", {"a", "", "b"}, pbLFCR},
        {"a\r\n", {"a", ""}, pbCRLF},
        {"\n", {"", ""}, pbLF},
        {"\r", {"", ""}, pbCR},
    };
    for (const Case& c : cases) {
        for (std::size_t split = 0; split <= c.text.size(); ++split) {
            SCOPED_TRACE(testing::PrintToString(c.text) + " split at " + std::to_string(split));
            const ReadResult r = ReadInBlocks(c.text, split);
            EXPECT_EQ(r.paragraphs, c.paragraphs);
            EXPECT_TRUE(r.anyBreak);
            EXPECT_EQ(r.last, c.last);
        }
    }
    const ReadResult none = ReadInBlocks("", 0);
    EXPECT_EQ(none.paragraphs, Strings{""});
    EXPECT_FALSE(none.anyBreak);
}

TEST(TextReader, NulBytesAreReplacedOrKeptNeverCut)
{
    TTextReadOptions keep;
    EXPECT_EQ(ReadInBlocks(std::string("a\0b\r\nc\0", 7), 2, keep).paragraphs,
              (Strings{std::string("a\0b", 3), std::string("c\0", 2)}));
    TTextReadOptions replace;
    replace.NullReplacement = '?';
    EXPECT_EQ(ReadInBlocks(std::string("a\0b\r\n\0", 6), 1, replace).paragraphs, (Strings{"a?b", "?"}));
}

TEST(TextReader, TrailingSpacesAndOverlongParagraphs)
{
    TTextReadOptions discard;
    discard.DiscardTrailingSpaces = true;
    EXPECT_EQ(ReadInBlocks("a \t \r\n \t\r\n b ", 3, discard).paragraphs, (Strings{"a", "", " b"}));

    TTextReadOptions shortParagraphs;
    shortParagraphs.MaxParagraphLength = 3;
    EXPECT_EQ(ReadInBlocks("abcdefg\r\nxyz", 5, shortParagraphs).paragraphs, (Strings{"abc", "def", "g", "xyz", ""}));
}

TEST(TextWriter, EmptyTogglePairsAndTrailingSpacesAreLeftOut)
{
    // Bold-italic-bold encloses nothing but a toggle code: the bold pair goes, italic stays.
    EXPECT_EQ(ParagraphForSave("a\x02\x01\x02 b\x02", true, false), "a\x01 b\x02");
    EXPECT_EQ(ParagraphForSave("a\x02\x02", false, false), "a\x02\x02");
    EXPECT_EQ(ParagraphForSave("a\x15\x15 \t ", true, true), "a");
}

TEST(TextMemoStream, EveryLineBreakIsWrittenAndReadBack)
{
    const std::pair<TTextLineBreak, std::string> breaks[] = {
        {pbCRLF, "\r\n"}, {pbLFCR, "\n\r"}, {pbCR, "\r"}, {pbLF, "\n"}};
    for (const auto& [lineBreak, text] : breaks) {
        TTextMemo memo;
        memo.LoadFromText("one\r\n\r\nthree\r\n");
        memo.SetLineBreak(lineBreak);
        std::ostringstream out;
        memo.SaveToStream(out);
        EXPECT_EQ(out.str(), "one" + text + text + "three" + text);

        // Read back with the break taken over from the text.
        TTextMemo back;
        TTextMemoOptions options = back.Options();
        options.set(tmoAutoLineBreak);
        back.SetOptions(options);
        std::istringstream in(out.str());
        back.LoadFromStream(in);
        EXPECT_EQ(ParagraphTexts(back), (Strings{"one", "", "three", ""}));
        EXPECT_EQ(back.LineBreak(), lineBreak);
        EXPECT_EQ(back.TextLength(), 3 + 5 + 3 * 2);  // two per break, whatever was read
    }
}

TEST(TextMemoStream, TheReaderOptionsOfTheEditorApply)
{
    TTextMemo memo;
    memo.SetNullReplacement('.');
    TTextMemoOptions options = memo.Options();
    options.set(tmoDiscardTrailingSpaces);
    memo.SetOptions(options);
    memo.LoadFromText(std::string("a\0 \t\nb  ", 8));
    EXPECT_EQ(ParagraphTexts(memo), (Strings{"a.", "b"}));
    EXPECT_EQ(memo.LineBreak(), pbCRLF);  // without tmoAutoLineBreak it stays
}

TEST(StringsPieces, LongParagraphsAreCutAt254PlusByte5)
{
    std::vector<std::string> pieces;
    AppendStringsPieces(pieces, std::string(300, 'x'));
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0], std::string(254, 'x') + '\x05');
    EXPECT_EQ(pieces[1], std::string(46, 'x'));

    pieces.clear();
    AppendStringsPieces(pieces, std::string(255, 'y'));
    EXPECT_EQ(pieces, Strings{std::string(255, 'y')});

    pieces.clear();
    AppendStringsPieces(pieces, "");
    EXPECT_EQ(pieces, Strings{""});
}

TEST(StringsPieces, ParagraphsRoundTripIncludingOnesEndingInByte5)
{
    std::string thousand;
    for (int i = 0; i < 1000; ++i) thousand.push_back(static_cast<char>('a' + i % 26));
    const Strings paragraphs = {
        thousand,
        "ends in five\x05",
        std::string(254, 'z') + "\x05",    // the continuation byte right at a piece boundary
        std::string(255, 'w') + "\x05\x05",
        "\x05",
        "",
        std::string("nul\0inside", 10),
        "last",
    };
    std::vector<std::string> pieces;
    for (const std::string& p : paragraphs) AppendStringsPieces(pieces, p);
    for (const std::string& piece : pieces) EXPECT_LE(piece.size(), 255u);
    EXPECT_EQ(JoinStringsPieces(pieces), paragraphs);
}

TEST(StringsPieces, APieceNeverEndsInsideAUtf8Sequence)
{
    // Two-byte characters after one ASCII byte: byte 254 would fall inside a character.
    // Each piece is valid UTF-8 on its own (the form file stays valid text), and the pieces
    // still join to the paragraph.
    struct Case {
        std::string paragraph;
        std::size_t firstPiece;  // bytes of the first piece without its byte 5
    };
    std::string twoByte = "a";
    for (int i = 0; i < 200; ++i) twoByte += "\xC3\xA9";
    std::string fourByte = "abc";
    for (int i = 0; i < 100; ++i) fourByte += "\xF0\x9F\x98\x80";
    const Case cases[] = {
        {twoByte, 253},
        {fourByte, 251},
        {std::string(254, 'x') + "\xC3\xA9\xC3\xA9", 254},  // the cut already falls between characters
    };
    for (const Case& c : cases) {
        std::vector<std::string> pieces;
        AppendStringsPieces(pieces, c.paragraph);
        ASSERT_GE(pieces.size(), 2u);
        EXPECT_EQ(pieces[0].size(), c.firstPiece + 1);
        for (std::string piece : pieces) {
            if (!piece.empty() && piece.back() == '\x05') piece.pop_back();
            EXPECT_LE(piece.size(), 254u);
            ASSERT_FALSE(piece.empty());
            EXPECT_NE(static_cast<unsigned char>(piece.front()) & 0xC0, 0x80) << "piece starts inside a character";
            const auto last = static_cast<unsigned char>(piece.back());
            EXPECT_TRUE(last < 0x80 || (last & 0xC0) == 0x80) << "piece ends on a lead byte";
        }
        EXPECT_EQ(JoinStringsPieces(pieces), Strings{c.paragraph});
    }
}

TEST(StringsPieces, AParagraphEndingInByte5UsesTheFormEveryReaderJoins)
{
    std::vector<std::string> pieces;
    AppendStringsPieces(pieces, "abc\x05");
    // A continued piece (its last byte 5 dropped) and an empty one ending the paragraph:
    // the plain joining rule reads it back as one paragraph.
    EXPECT_EQ(pieces, (Strings{"abc\x05\x05", ""}));
    EXPECT_EQ(JoinStringsPieces({"abc\x05\x05", "", "next"}), (Strings{"abc\x05", "next"}));
}

}  // namespace
}  // namespace editor::test
