#include "grid/Stacks.h"
#include "grid/StringRoutines.h"
#include "platform/rtl/StringList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace grid;

namespace {

std::vector<std::string> Items(const rtl::TStrings& list)
{
    std::vector<std::string> items;
    for (int i = 0; i < list.Count(); ++i) items.push_back(list.Strings(i));
    return items;
}

}  // namespace

TEST(GkGetFileNameBase, CutsFolderAndEverythingFromTheFirstDot)
{
    struct Case {
        const char* name;
        const char* base;
    };
    const Case cases[] = {
        {"/usr/bin/gridweaver.ini", "gridweaver"},
        {"gridweaver.tar.gz", "gridweaver"},
        {"/opt/app.d/gridweaver", ""},  // the dot in the folder does not count
        {"gridweaver", ""},
        {".hidden", ""},
        {"", ""},
        {"dir/épreuve.txt", "épreuve"},
    };
    for (const Case& c : cases) EXPECT_EQ(gkGetFileNameBase(c.name), c.base) << c.name;
}

TEST(GkGetToken, StepsThroughTheTextTokenByToken)
{
    struct Case {
        const char* text;
        const char* delimiter;
        int startPos;
        const char* token;
        int endPos;
    };
    const Case cases[] = {
        {"a;b;c", ";", 1, "a", 3},
        {"a;b;c", ";", 3, "b", 5},
        {"a;b;c", ";", 5, "c", -1},
        {"a;;c", ";", 3, "", 4},
        {"a;b;", ";", 3, "b", 5},
        {"a;b;", ";", 5, "", -1},          // beyond the text
        {"a;b", ";", 0, "", 0},            // 0 and below: nothing, position kept
        {"a;b", ";", -1, "", -1},
        {"abc", ";", 1, "abc", -1},        // no delimiter: the rest
        {"", ";", 1, "", -1},
        {"a AND b", "and", 1, "a", 7},     // a word delimiter, case-blind, with its blanks
        {"a and b AND c", "AND", 7, "b", 13},
        {"sand and band", "and", 1, "sand", 10},  // only whole words
        {"brand", "and", 1, "brand", -1},
        {"x\ty", "\t", 1, "x", 3},
        {"1·2", "·", 1, "1", 4},           // one character of two bytes is no word
    };
    for (const Case& c : cases) {
        int pos = c.startPos;
        EXPECT_EQ(gkGetToken(c.text, c.delimiter, pos), c.token)
            << c.text << " from " << c.startPos;
        EXPECT_EQ(pos, c.endPos) << c.text << " from " << c.startPos;
    }
}

TEST(GkStringToList, SplitsIntoTheListAndReplacesItsItems)
{
    struct Case {
        const char* text;
        const char* delimiter;
        std::vector<std::string> items;
    };
    const Case cases[] = {
        {"a;b;c", ";", {"a", "b", "c"}},
        {"abc", ";", {"abc"}},
        {"", ";", {""}},
        {"a;;b;", ";", {"a", "", "b", ""}},
        {";", ";", {"", ""}},
        {"name\twidth\ttitle", "\t", {"name", "width", "title"}},
        // A longer delimiter is skipped as a whole.
        {"x<>y<>z", "<>", {"x", "y", "z"}},
        {"a;b", "", {"a;b"}},
    };
    for (const Case& c : cases) {
        rtl::TStringList list;
        list.Add("old");
        gkStringToList(c.text, c.delimiter, list);
        EXPECT_EQ(Items(list), c.items) << c.text;
    }
}

TEST(GkStripTrailing, RemovesTrailingCharactersOfTheSet)
{
    struct Case {
        const char* text;
        const char* set;
        const char* result;
    };
    const Case cases[] = {
        {"12.5 cm", " cmCM'", "12.5"},
        {"3''", " '", "3"},
        {"value \t \t", " \t", "value"},
        {"  ", " ", ""},
        {"abc", "", "abc"},
        {"", " ", ""},
        {"mid dle", " ", "mid dle"},
        {"café", "e", "café"},      // "é" is not "e", nor is its last byte anything
        {"x»»", "»", "x"},          // a set member of two bytes is removed as a whole
        {"xé", "\xA9", "xé"},       // a lone byte never cuts a character in two
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        gkStripTrailing(text, c.set);
        EXPECT_EQ(text, c.result) << c.text;
    }
}

TEST(GkReplaceChar, ReplacesEveryOccurrence)
{
    EXPECT_EQ(gkReplaceChar("a~b~~c", '~', ' '), "a b  c");
    EXPECT_EQ(gkReplaceChar("abc", 'x', 'y'), "abc");
    EXPECT_EQ(gkReplaceChar("", 'x', 'y'), "");
}

TEST(GkReplaceCharWithStr, ReplacesEachOriginalOccurrenceOnce)
{
    struct Case {
        const char* text;
        char ch;
        const char* replacement;
        const char* result;
    };
    const Case cases[] = {
        {"a;b;c", ';', ";;", "a;;b;;c"},  // the replacement holds the character
        {";;", ';', ";;", ";;;;"},
        {"a\"b", '"', "&quot;", "a&quot;b"},
        {"abc", ';', "x", "abc"},
        {"a;b", ';', "", "ab"},
        {"", ';', "x", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(gkReplaceCharWithStr(c.text, c.ch, c.replacement), c.result) << c.text;
}

TEST(GkEqualText, ComparesWithoutRegardToCase)
{
    struct Case {
        const char* a;
        const char* b;
        bool equal;
    };
    const Case cases[] = {
        {"Selected", "SELECTED", true},
        {"selected", "selected", true},
        {"", "", true},
        {"Müller", "MÜLLER", true},
        {"abc", "abd", false},
        {"abc", "abc ", false},
        {"", "a", false},
    };
    for (const Case& c : cases) EXPECT_EQ(gkEqualText(c.a, c.b), c.equal) << c.a << " / " << c.b;
}

TEST(GkCountChar, CountsOccurrences)
{
    EXPECT_EQ(gkCountChar("a;b;c", ';'), 2);
    EXPECT_EQ(gkCountChar(";;;", ';'), 3);
    EXPECT_EQ(gkCountChar("abc", ';'), 0);
    EXPECT_EQ(gkCountChar("", ';'), 0);
}

TEST(GkTextAroundChar, SplitsAtTheFirstOccurrence)
{
    struct Case {
        const char* text;
        const char* before;
        const char* after;
    };
    const Case cases[] = {
        {"key=value", "key", "value"},
        {"a=b=c", "a", "b=c"},
        {"=value", "", "value"},
        {"key=", "key", ""},
        {"novalue", "", ""},  // absent: both empty
        {"", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(gkTextBeforeChar(c.text, '='), c.before) << c.text;
        EXPECT_EQ(gkTextAfterChar(c.text, '='), c.after) << c.text;
    }
}

TEST(Stacks, PopInReverseOrderAndGiveTheEmptyValueWhenEmpty)
{
    TStackStr strings;
    EXPECT_EQ(strings.Pop(), "");
    strings.Push("first");
    strings.Push("");
    strings.Push("third");
    EXPECT_EQ(strings.Count(), 3);
    EXPECT_EQ(strings.Pop(), "third");
    EXPECT_EQ(strings.Pop(), "");
    EXPECT_EQ(strings.Pop(), "first");
    EXPECT_EQ(strings.Count(), 0);
    EXPECT_EQ(strings.Pop(), "");
    EXPECT_EQ(strings.Count(), 0);

    int a = 1, b = 2;
    TStackPtr pointers;
    EXPECT_EQ(pointers.Pop(), nullptr);
    pointers.Push(&a);
    pointers.Push(&b);
    EXPECT_EQ(pointers.Count(), 2);
    EXPECT_EQ(pointers.Pop(), &b);
    EXPECT_EQ(pointers.Pop(), &a);
    EXPECT_EQ(pointers.Pop(), nullptr);
    EXPECT_EQ(pointers.Count(), 0);
}
