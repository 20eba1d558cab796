#include <gtest/gtest.h>

#include <limits>

#include "platform/classes/Errors.h"
#include "platform/classes/TextForm.h"

namespace classes {
namespace {

TTextProperty Prop(std::string name, TTextValue value) { return {std::move(name), std::move(value), 0}; }

TTextObject SampleTree()
{
    TTextObject root;
    root.name = "FrmTest";
    root.className = "TTestForm";
    root.properties.push_back(Prop("Left", TTextValue::MakeInteger(-12)));
    root.properties.push_back(Prop("Ratio", TTextValue::MakeFloat(1.5)));
    root.properties.push_back(Prop("Whole", TTextValue::MakeFloat(100)));
    root.properties.push_back(Prop("Caption", TTextValue::MakeString("It's\r\nok")));
    root.properties.push_back(Prop("Font.Color", TTextValue::MakeIdent("clRed")));
    root.properties.push_back(Prop("Font.Style", TTextValue::MakeSet({"fsBold", "fsItalic"})));
    root.properties.push_back(Prop("Anchors", TTextValue::MakeSet({})));
    root.properties.push_back(Prop("Items.Strings", TTextValue::MakeList({TTextValue::MakeString("one"),
                                                                          TTextValue::MakeString("end")})));
    root.properties.push_back(Prop("Empty", TTextValue::MakeList()));
    root.properties.push_back(Prop("Data", TTextValue::MakeBinary(std::string("\x00\x01\xAB\xFF", 4))));
    TTextItem item;
    item.properties.push_back(Prop("Title", TTextValue::MakeString("Name")));
    item.properties.push_back(Prop("Width", TTextValue::MakeInteger(80)));
    root.properties.push_back(Prop("Columns", TTextValue::MakeCollection({item, TTextItem{}})));
    root.properties.push_back(Prop("NoColumns", TTextValue::MakeCollection({})));
    TTextObject child;
    child.name = "btnOk";
    child.className = "TTestControl";
    child.properties.push_back(Prop("OnClick", TTextValue::MakeIdent("ButtonClick")));
    TTextObject unnamed;
    unnamed.className = "TTestControl";
    child.children.push_back(unnamed);
    root.children.push_back(child);
    return root;
}

const char* const kSampleText =
    "object FrmTest: TTestForm\r\n"
    "  Left = -12\r\n"
    "  Ratio = 1.5\r\n"
    "  Whole = 100.0\r\n"
    "  Caption = 'It''s'#13#10'ok'\r\n"
    "  Font.Color = clRed\r\n"
    "  Font.Style = [fsBold, fsItalic]\r\n"
    "  Anchors = []\r\n"
    "  Items.Strings = (\r\n"
    "    'one'\r\n"
    "    'end')\r\n"
    "  Empty = ()\r\n"
    "  Data = {\r\n"
    "    0001ABFF}\r\n"
    "  Columns = <\r\n"
    "    item\r\n"
    "      Title = 'Name'\r\n"
    "      Width = 80\r\n"
    "    end\r\n"
    "    item\r\n"
    "    end>\r\n"
    "  NoColumns = <>\r\n"
    "  object btnOk: TTestControl\r\n"
    "    OnClick = ButtonClick\r\n"
    "    object TTestControl\r\n"
    "    end\r\n"
    "  end\r\n"
    "end\r\n";

TEST(TextForm, FormatsEveryValueKindInTheFixedLayout)
{
    EXPECT_EQ(FormatObjectText(SampleTree()), kSampleText);
}

TEST(TextForm, ParsesWhatItFormatsAndFormatsItAgainByteForByte)
{
    const TTextObject parsed = ParseObjectText(kSampleText);
    EXPECT_EQ(FormatObjectText(parsed), kSampleText);
    EXPECT_EQ(parsed.line, 1);
    ASSERT_EQ(parsed.children.size(), 1u);
    EXPECT_EQ(parsed.children[0].line, 23);
    EXPECT_EQ(parsed.properties[10].value.items[0].properties[1].line, 18);
    EXPECT_EQ(parsed.properties[9].value.text, std::string("\x00\x01\xAB\xFF", 4));
}

TEST(TextForm, ReaderIsLiberalInLayout)
{
    const TTextObject o = ParseObjectText(
        "\n  OBJECT a : TX\n"
        "Left=$FF Top=-$10 Big=$100000000 Neg=$FFFFFFFF Plus=+5\n"
        "  Caption = 'a' +\n\n   'b'#$41#233#8364'c'\r"
        "  List = ( 1 'two' [x] ( 3 ) )\n"
        "  Ref = Form1.Button1 Exp = 1E3 Minus = -INF\n"
        "  Lowest = -$8000000000000000 Highest = $7FFFFFFFFFFFFFFF Low = -9223372036854775808\n"
        "End   \n\n");
    EXPECT_EQ(o.name, "a");
    EXPECT_EQ(o.className, "TX");
    EXPECT_EQ(o.properties[0].value.integer, 255);
    EXPECT_EQ(o.properties[1].value.integer, -16);
    EXPECT_EQ(o.properties[2].value.integer, 4294967296);
    EXPECT_EQ(o.properties[3].value.integer, -1);
    EXPECT_EQ(o.properties[4].value.integer, 5);
    EXPECT_EQ(o.properties[5].value.text, "abA\xC3\xA9\xE2\x82\xAC" "c");
    EXPECT_EQ(o.properties[5].line, 4);
    EXPECT_EQ(o.properties[6].line, 7);
    EXPECT_EQ(o.properties[6].value.list.size(), 4u);
    EXPECT_EQ(o.properties[7].value.kind, TTextValue::Kind::Ident);
    EXPECT_EQ(o.properties[7].value.text, "Form1.Button1");
    EXPECT_EQ(o.properties[8].value.kind, TTextValue::Kind::Float);
    EXPECT_EQ(o.properties[8].value.number, 1000.0);
    EXPECT_EQ(o.properties[9].value.number, -std::numeric_limits<double>::infinity());
    EXPECT_EQ(o.properties[10].value.integer, std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(o.properties[11].value.integer, std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(o.properties[12].value.integer, std::numeric_limits<std::int64_t>::min());
}

TEST(TextForm, TextsAreQuotedWithControlCharactersAsCodesAndUtf8AsItIs)
{
    struct Case {
        std::string text;
        std::string written;
    };
    const std::vector<Case> cases{
        {"", "''"},
        {"abc", "'abc'"},
        {"'", "''''"},
        {"\t", "#9"},
        {std::string("a\0b", 3), "'a'#0'b'"},
        {"x\x7Fy", "'x'#127'y'"},
        {"caf\xC3\xA9 \xE2\x82\xAC", "'caf\xC3\xA9 \xE2\x82\xAC'"},
        {"end", "'end'"},
    };
    for (const Case& c : cases) {
        TTextObject o;
        o.className = "T";
        o.properties.push_back(Prop("S", TTextValue::MakeString(c.text)));
        const std::string text = FormatObjectText(o);
        EXPECT_EQ(text, "object T\r\n  S = " + c.written + "\r\nend\r\n");
        EXPECT_EQ(ParseObjectText(text).properties[0].value.text, c.text);
    }
}

TEST(TextForm, LongTextsContinueOverLinesWithoutSplittingACharacter)
{
    std::string text;
    for (int i = 0; i < 70; ++i) text += "\xC3\xA9";  // 70 two-byte characters
    text += "tail";
    TTextObject o;
    o.className = "T";
    o.properties.push_back(Prop("Items.Strings", TTextValue::MakeList({TTextValue::MakeString(text)})));
    const std::string written = FormatObjectText(o);
    std::string first;
    for (int i = 0; i < 64; ++i) first += "\xC3\xA9";
    std::string rest;
    for (int i = 0; i < 6; ++i) rest += "\xC3\xA9";
    EXPECT_EQ(written, "object T\r\n  Items.Strings = (\r\n    '" + first + "' +\r\n      '" + rest + "tail')\r\nend\r\n");
    EXPECT_EQ(ParseObjectText(written).properties[0].value.list[0].text, text);
}

TEST(TextForm, BinaryDataIsWrittenThirtyTwoBytesALine)
{
    std::string bytes;
    for (int i = 0; i < 40; ++i) bytes += static_cast<char>(i);
    TTextObject o;
    o.className = "T";
    o.properties.push_back(Prop("Data", TTextValue::MakeBinary(bytes)));
    o.properties.push_back(Prop("None", TTextValue::MakeBinary("")));
    const std::string written = FormatObjectText(o);
    EXPECT_EQ(written,
              "object T\r\n  Data = {\r\n"
              "    000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F\r\n"
              "    2021222324252627}\r\n  None = {}\r\nend\r\n");
    EXPECT_EQ(ParseObjectText(written).properties[0].value.text, bytes);
}

TEST(TextForm, FloatsKeepTheirValueAndAreAlwaysReadAsFloats)
{
    for (double v : {0.0, -0.5, 0.1, 1e20, 1e-300, 123456789.125, 3.0}) {
        TTextObject o;
        o.className = "T";
        o.properties.push_back(Prop("F", TTextValue::MakeFloat(v)));
        const TTextValue read = ParseObjectText(FormatObjectText(o)).properties[0].value;
        EXPECT_EQ(read.kind, TTextValue::Kind::Float) << v;
        EXPECT_EQ(read.number, v);
    }
}

std::string Nested(int depth)
{
    std::string s;
    for (int i = 0; i < depth; ++i) s += "object a" + std::to_string(i) + ": T\r\n";
    for (int i = 0; i < depth; ++i) s += "end\r\n";
    return s;
}

TEST(TextForm, MalformedTextIsAnErrorNamingItsLine)
{
    struct Case {
        std::string text;
        int line;
        std::string reason;
    };
    const std::vector<Case> cases{
        {"", 1, "'object' expected but end of text found"},
        {"   \r\n\r\n", 3, "'object' expected but end of text found"},
        {"thing a: T\r\nend\r\n", 1, "'object' expected"},
        {"object a: T\r\n  Left = 1\r\n", 3, "'end' expected but end of text found"},
        {"object a: T\r\n  Left = 1\r\n  Caption = 'abc", 3, "Unterminated string"},
        {"object a: T\r\n  Caption = 'abc\r\n  end\r\nend\r\n", 2, "Unterminated string"},
        {"object a: T\r\n  Left = 12x\r\nend\r\n", 2, "Invalid number '12x'"},
        {"object a: T\r\n  Left = 99999999999999999999\r\nend\r\n", 2, "Invalid number '99999999999999999999'"},
        {"object a: T\r\n  Left = 1.5.5\r\nend\r\n", 2, "Invalid number '1.5.5'"},
        {"object a: T\r\n  Left = $\r\nend\r\n", 2, "Invalid number '$'"},
        {"object a: T\r\n  Left = $12345678901234567\r\nend\r\n", 2, "Invalid number '$12345678901234567'"},
        {"object a: T\r\n  Ratio = 1e999\r\nend\r\n", 2, "Invalid number '1e999'"},
        {"object a: T\r\n  Left = @\r\nend\r\n", 2, "Invalid character"},
        {"object a: T\r\n  Left = ]\r\nend\r\n", 2, "Invalid property value"},
        {"object a: T\r\n  Left =", 2, "Property value expected but end of text found"},
        {"object a: T\r\n  Left 1\r\nend\r\n", 2, "'=' expected"},
        {"object a: T\r\n  Caption = 'a' +\r\n  Left = 1\r\nend\r\n", 3, "String expected"},
        {"object a: T\r\n  Caption = #\r\nend\r\n", 2, "Invalid character code"},
        {"object a: T\r\n  Caption = #1114112\r\nend\r\n", 2, "Invalid character code"},
        {"object a: T\r\n  Caption = #55296\r\nend\r\n", 2, "Invalid character code"},
        {"object a: T\r\n  Anchors = [akLeft, ]\r\nend\r\n", 2, "Identifier expected"},
        {"object a: T\r\n  Anchors = [akLeft\r\nend\r\n", 3, "']' expected"},
        {"object a: T\r\n  Items.Strings = (\r\n    'a'\r\n", 4, "')' expected but end of text found"},
        {"object a: T\r\n  Columns = <\r\n    Width = 1\r\n", 3, "'item' expected"},
        {"object a: T\r\n  Data = {\r\n    ABC}\r\nend\r\n", 2, "Binary value of odd length"},
        {"object a: T\r\n  Data = {0G}\r\nend\r\n", 2, "Invalid binary value"},
        {"object a: T\r\n  Data = {00\r\n", 2, "Unterminated binary value"},
        {"object a: T\r\n  object b: T\r\n  Left = 1\r\n  end\r\n", 5, "'end' expected but end of text found"},
        {"object a: T\r\n  object b: T\r\n  end\r\n  Left = 1\r\nend\r\n", 4, "'end' expected"},
        {"object a: T\r\nend\r\nobject b: T\r\nend\r\n", 3, "End of text expected"},
        {"object a.b: T\r\nend\r\n", 1, "Identifier expected"},
        {"object a: 1\r\nend\r\n", 1, "Identifier expected"},
        {"object a: T\r\n  Font. = 1\r\nend\r\n", 2, "Identifier expected"},
        {Nested(70), 65, "Nesting too deep"},
        {"object a: T\r\n  X = " + std::string(100, '(') + "\r\nend\r\n", 2, "Nesting too deep"},
        {"object a: T\r\n  Left = 1\r\nend\r\n\x01", 4, "Invalid character"},
    };
    for (const Case& c : cases) {
        try {
            ParseObjectText(c.text);
            ADD_FAILURE() << "no error for: " << c.text;
        } catch (const EParserError& e) {
            EXPECT_EQ(e.Line(), c.line) << c.text;
            EXPECT_EQ(e.Reason(), c.reason) << c.text;
            EXPECT_EQ(e.Message(), c.reason + " on line " + std::to_string(c.line));
        }
    }
}

TEST(TextForm, NestingUpToTheLimitIsFine)
{
    EXPECT_NO_THROW(ParseObjectText(Nested(kMaxTextNesting)));
}

}  // namespace
}  // namespace classes
