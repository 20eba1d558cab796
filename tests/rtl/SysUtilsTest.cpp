#include "platform/rtl/SysUtils.h"

#include "platform/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

using namespace rtl;

namespace {

int Sign(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

}  // namespace

TEST(SysUtilsCase, AsciiRulesLeaveOtherLettersAlone)
{
    EXPECT_EQ(UpperCase("true é_z"), "TRUE é_Z");
    EXPECT_EQ(LowerCase("TRUE É_Z"), "true É_z");
    EXPECT_EQ(AnsiUpperCase("true é_z"), "TRUE É_Z");
    EXPECT_EQ(AnsiLowerCase("TRUE É_Z"), "true é_z");
    EXPECT_EQ(AnsiUpperCase("straße"), "STRASSE");
    // Bytes that are not UTF-8 survive the Unicode conversion unchanged.
    EXPECT_EQ(AnsiUpperCase("a\xFF" "b\xC3"), "A\xFF" "B\xC3");
}

// The in-place form keeps every byte offset: a character whose upper case would take a
// different number of bytes stays as it is.
TEST(SysUtilsCase, SameLengthUpperCaseKeepsOffsets)
{
    const std::pair<std::string, std::string> cases[] = {
        {"true é_z", "TRUE É_Z"},
        {"straße", "STRAßE"},           // "SS" would be longer
        {"\u0131\u017F", "\u0131\u017F"},  // dotless i and long s would shrink to ASCII
        {"\u24D0\U00010428", "\u24B6\U00010400"},  // three- and four-byte letters
        {"a\xFF" "b\xC3", "A\xFF" "B\xC3"},  // bytes that are not UTF-8 kept
        {"", ""},
    };
    for (const auto& [in, out] : cases) {
        std::string s = in;
        AnsiUpperCaseSameLength(s);
        EXPECT_EQ(s, out) << in;
    }
}

TEST(SysUtilsCompare, CharacterCodeOrder)
{
    struct Case {
        const char* a;
        const char* b;
        int str, text, ansiText;
    };
    const Case cases[] = {
        {"abc", "abc", 0, 0, 0},
        {"abc", "ABC", 1, 0, 0},
        {"a", "B", 1, -1, -1},
        {"a", "_", 1, -1, -1},  // letters compare upper-cased, and "A" < "_"
        {"ab", "abc", -1, -1, -1},
        {"", "a", -1, -1, -1},
        {"é", "É", 1, 1, 0},    // only the Unicode comparison folds é
        {"é", "f", 1, 1, 1},    // by code point, not by a locale's alphabet
        {"Z", "é", -1, -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
        EXPECT_EQ(Sign(CompareStr(c.a, c.b)), c.str);
        EXPECT_EQ(Sign(CompareText(c.a, c.b)), c.text);
        EXPECT_EQ(Sign(AnsiCompareText(c.a, c.b)), c.ansiText);
        EXPECT_EQ(Sign(CompareText(c.b, c.a)), -c.text);
        EXPECT_EQ(Sign(AnsiCompareText(c.b, c.a)), -c.ansiText);
        EXPECT_EQ(SameText(c.a, c.b), c.text == 0);
        EXPECT_EQ(AnsiSameText(c.a, c.b), c.ansiText == 0);
    }
}

TEST(SysUtilsTrim, RemovesBlanksAndControlCharacters)
{
    EXPECT_EQ(Trim(" \t a b \r\n"), "a b");
    EXPECT_EQ(TrimLeft(" \t a b \r\n"), "a b \r\n");
    EXPECT_EQ(TrimRight(" \t a b \r\n"), " \t a b");
    EXPECT_EQ(Trim(" \x01\x1f "), "");
    EXPECT_EQ(Trim(" é "), "é");
}

TEST(SysUtilsPos, OneBasedAndZeroWhenAbsent)
{
    EXPECT_EQ(Pos("b", "abc"), 2);
    EXPECT_EQ(Pos("x", "abc"), 0);
    EXPECT_EQ(Pos("", "abc"), 0);
    EXPECT_EQ(Pos("ab", "abab", 2), 3);
    EXPECT_EQ(Pos("ab", "abab", 5), 0);
    EXPECT_EQ(Pos("ab", "abab", 0), 0);
}

TEST(SysUtilsStringReplace, FlagsAndTermination)
{
    struct Case {
        const char* s;
        const char* from;
        const char* to;
        TReplaceFlags flags;
        const char* want;
    };
    const Case cases[] = {
        {"aXbXc", "X", "--", {}, "a--bXc"},
        {"aXbXc", "X", "--", {rfReplaceAll}, "a--b--c"},
        {"aXbXc", "x", "-", {rfReplaceAll}, "aXbXc"},
        {"Hello hello", "HELLO", "x", {rfReplaceAll, rfIgnoreCase}, "x x"},
        {"Hello hello", "HELLO", "x", {rfIgnoreCase}, "x hello"},
        {"ÉCOLE école", "école", "x", {rfReplaceAll, rfIgnoreCase}, "x x"},
        {";a;", ";", ";;", {rfReplaceAll}, ";;a;;"},  // a replacement holding the pattern
        {"abc", "", "x", {rfReplaceAll}, "abc"},
        {"aaa", "aa", "b", {rfReplaceAll}, "ba"},
        {"", "a", "b", {rfReplaceAll}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.s);
        EXPECT_EQ(StringReplace(c.s, c.from, c.to, c.flags), c.want);
    }
}

TEST(SysUtilsQuoting, QuoteAndDequote)
{
    EXPECT_EQ(AnsiQuotedStr("say \"hi\"", '"'), "\"say \"\"hi\"\"\"");

    std::size_t pos = 2;
    EXPECT_EQ(AnsiExtractQuotedStr("x \"a\"\"b\" y", pos, '"'), "a\"b");
    EXPECT_EQ(pos, 8u);
    pos = 0;
    EXPECT_EQ(AnsiExtractQuotedStr("abc", pos, '"'), "");
    EXPECT_EQ(pos, 0u);
    // An unterminated quoted text keeps every character up to the end.
    pos = 0;
    EXPECT_EQ(AnsiExtractQuotedStr("\"abc", pos, '"'), "abc");
    EXPECT_EQ(pos, 4u);
}

TEST(SysUtilsIntegers, StrToIntAcceptsDecimalAndHexTexts)
{
    struct Case {
        const char* text;
        int want;
    };
    const Case cases[] = {
        {"0", 0},           {"123", 123},          {"-123", -123},        {"+7", 7},
        {"  42", 42},       {"007", 7},            {"2147483647", 2147483647},
        {"-2147483648", std::numeric_limits<int>::min()},
        {"$FF", 255},       {"$ff", 255},          {"0x1A", 26},          {"X10", 16},
        {"$FFFFFFFF", -1},  {"$80000000", std::numeric_limits<int>::min()},
        {"-$10", -16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(StrToInt(c.text), c.want);
        EXPECT_EQ(StrToIntDef(c.text, 99), c.want);
    }
}

TEST(SysUtilsIntegers, StrToIntRaisesConversionErrorForBadTextAndOverflow)
{
    const char* bad[] = {"",    " ",   "12 ",  "1.5",         "abc",         "2147483648",
                         "-2147483649", "99999999999", "$",   "-",    "$100000000", "1e3",
                         "\t1", "1-",  "--1",  "$-1",        "0x",          "12abc"};
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        try {
            StrToInt(text);
            ADD_FAILURE() << "no exception";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), "'" + std::string(text) + "' is not a valid integer value");
        }
        EXPECT_EQ(StrToIntDef(text, -7), -7);
        int v = 5;
        EXPECT_FALSE(TryStrToInt(text, v));
        EXPECT_EQ(v, 5);
    }
}

TEST(SysUtilsIntegers, SixtyFourBitTexts)
{
    const auto parse = [](std::string_view text) {
        std::int64_t v = 5;
        EXPECT_TRUE(TryStrToInt64(text, v)) << text;
        return v;
    };
    EXPECT_EQ(parse("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(parse("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(parse("2147483648"), 2147483648LL);
    EXPECT_EQ(parse("$FFFFFFFFFFFFFFFF"), -1);
    for (const char* text : {"9223372036854775808", "$10000000000000000"}) {
        std::int64_t v = 5;
        EXPECT_FALSE(TryStrToInt64(text, v)) << text;
        EXPECT_EQ(v, 5) << text;
    }
    EXPECT_EQ(IntToStr(-5), "-5");
    EXPECT_EQ(IntToStr(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
}

TEST(SysUtilsIntegers, HexTexts)
{
    EXPECT_EQ(IntToHex(255, 2), "FF");
    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(IntToHex(0, 0), "0");
    EXPECT_EQ(IntToHex(0x12345, 2), "12345");
    EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");
    EXPECT_EQ(IntToHex(std::int64_t{-1}, 2), "FFFFFFFFFFFFFFFF");
    EXPECT_EQ(IntToHex(std::uint32_t{0x00FF8000}, 8), "00FF8000");

    EXPECT_EQ(HexToInt("ff"), 255);
    EXPECT_EQ(HexToInt("00FF8000"), 0xFF8000);
    EXPECT_EQ(HexToInt("FFFFFFFF"), -1);
    for (const char* text : {"", "G", "-1", "$1", "0x1", " 1", "100000000"}) {
        SCOPED_TRACE(text);
        EXPECT_THROW(HexToInt(text), EConvertError);
    }
}

TEST(SysUtilsFormat, Specifiers)
{
    struct Case {
        std::string got;
        const char* want;
    };
    const Case cases[] = {
        {Format("%s_%d", "name", 2), "name_2"},
        {Format("%2.2x%2.2x%2.2x", 255, 0, 128), "ff0080"},
        {Format("%.6x", 0xABC), "000abc"},
        {Format("%X", 255), "FF"},
        {Format("%x", -1), "ffffffff"},
        {Format("%x", std::int64_t{-1}), "ffffffffffffffff"},
        {Format("%d", 4294967295u), "4294967295"},
        {Format("%d", std::numeric_limits<std::int64_t>::min()), "-9223372036854775808"},
        {Format("%.3d", -5), "-005"},
        {Format("%5d|", 42), "   42|"},
        {Format("%-5d|", 42), "42   |"},
        {Format("%.2f", 3.14159), "3.14"},
        {Format("%f", 2), "2.00"},
        {Format("%.1f", -0.25f), "-0.2"},
        {Format("%.3f", 1e6), "1000000.000"},
        {Format("%s", 'a'), "a"},
        {Format("%s|%s", std::string("x"), std::string_view("y")), "x|y"},
        {Format("%.2s", "héllo"), "hé"},
        {Format("%4s", "é"), "   é"},
        {Format("%-3s|", "ab"), "ab |"},
        {Format("100%%"), "100%"},
        {Format("%d records are exported!", 12), "12 records are exported!"},
        {Format("%d", 1, 2), "1"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(SysUtilsFormat, BadSpecifiersRaiseConversionErrors)
{
    auto message = [](auto&& call) -> std::string {
        try {
            call();
        } catch (const EConvertError& e) {
            return e.Message();
        }
        return "no exception";
    };
    EXPECT_EQ(message([] { Format("%d", "x"); }), "Format '%d' invalid or incompatible with argument");
    EXPECT_EQ(message([] { Format("%s", 1); }), "Format '%s' invalid or incompatible with argument");
    EXPECT_EQ(message([] { Format("%x", 1.5); }), "Format '%x' invalid or incompatible with argument");
    EXPECT_EQ(message([] { Format("%d %d", 1); }), "No argument for format '%d'");
    EXPECT_EQ(message([] { Format("%q", 1); }), "Format '%q' invalid or incompatible with argument");
    EXPECT_EQ(message([] { Format("50%", 1); }), "Format '%' invalid or incompatible with argument");
    EXPECT_EQ(message([] { Format("%5", 1); }), "Format '%5' invalid or incompatible with argument");
}

TEST(SysUtilsUtf8, SequenceLengthsAndCounts)
{
    EXPECT_EQ(Utf8SeqLen('a'), 1);
    EXPECT_EQ(Utf8SeqLen(0xC3), 2);
    EXPECT_EQ(Utf8SeqLen(0xE2), 3);
    EXPECT_EQ(Utf8SeqLen(0xF0), 4);
    EXPECT_EQ(Utf8SeqLen(0x80), 1);  // continuation byte
    EXPECT_EQ(Utf8SeqLen(0xC0), 1);  // never valid
    EXPECT_EQ(Utf8SeqLen(0xFF), 1);

    const std::string s = "aé€😀";  // 1 + 2 + 3 + 4 bytes
    EXPECT_EQ(Utf8CharCount(s), 4u);
    std::vector<std::size_t> starts;
    for (std::size_t p = 0; p < s.size(); p = Utf8NextCharStart(s, p)) starts.push_back(p);
    EXPECT_EQ(starts, (std::vector<std::size_t>{0, 1, 3, 6}));
    EXPECT_EQ(Utf8PrevCharStart(s, s.size()), 6u);
    EXPECT_EQ(Utf8PrevCharStart(s, 6), 3u);
    EXPECT_EQ(Utf8PrevCharStart(s, 1), 0u);
    EXPECT_EQ(Utf8PrevCharStart(s, 0), 0u);
    EXPECT_EQ(Utf8NextCharStart(s, s.size()), s.size());
    EXPECT_TRUE(IsValidUtf8(s));
}

TEST(SysUtilsUtf8, CharStartAtSnapsInsideASequenceBackToItsStart)
{
    const std::string s = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";  // a, e-acute, euro, emoji: 0, 1, 3, 6
    const std::size_t expected[] = {0, 1, 1, 3, 3, 3, 6, 6, 6, 6, 10};
    for (std::size_t pos = 0; pos <= s.size(); ++pos) EXPECT_EQ(Utf8CharStartAt(s, pos), expected[pos]) << pos;
    EXPECT_EQ(Utf8CharStartAt(s, 99), s.size());
    // Continuation bytes with no lead that reaches them are characters of their own.
    const std::string stray = "a\xA9\xA9";
    EXPECT_EQ(Utf8CharStartAt(stray, 2), 2u);
}

TEST(SysUtilsUtf8, InvalidBytesAreSingleCharactersAndSteppingAgreesBothWays)
{
    struct Case {
        const char* name;
        std::string text;
        std::size_t chars;
    };
    const Case cases[] = {
        {"stray byte", "a\xFF" "b", 3},
        {"truncated", "a\xE2\x82", 3},
        {"overlong", "\xC0\xAF", 2},
        {"surrogate", "\xED\xA0\x80", 3},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", 4},
        {"lone continuations", "\xC3\xA9\xA9\xA9", 3},
        {"valid mix", "x€y", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Utf8CharCount(c.text), c.chars);
        std::vector<std::size_t> forward, backward;
        for (std::size_t p = 0; p < c.text.size(); p = Utf8NextCharStart(c.text, p)) forward.push_back(p);
        for (std::size_t p = c.text.size(); p > 0;) {
            p = Utf8PrevCharStart(c.text, p);
            backward.insert(backward.begin(), p);
        }
        EXPECT_EQ(forward, backward);
        EXPECT_EQ(IsValidUtf8(c.text), std::string(c.name) == "valid mix");
    }
}
