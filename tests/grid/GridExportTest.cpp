// The published grid's export over an in-memory data set: whole files of each type compared
// with golden files, the escaping and quoting of awkward values, hidden fields, groups and
// footers, the clipboard, and what a failed export leaves behind (the old file, the record,
// the row, the controls).

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <set>
#include <string>

#include "grid/GridExport.h"
#include "grid/PublishedDBGrid.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Addresses.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/classes/TypInfo.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Forms.h"
#include "platform/rtl/StringList.h"
#include "tests/grid/GridTestSupport.h"

// Stand-ins for the library's cell controls, publishing what the export reads of them.
namespace exporttest {

class TStandInCheckBox : public ui::TWinControl {
    GW_CLASS(TStandInCheckBox)

public:
    using ui::TWinControl::TWinControl;
    std::string ValueChecked() const { return checked; }
    void SetValueChecked(const std::string& v) { checked = v; }
    std::string checked = "True";
};
GW_IMPLEMENT_CLASS(TStandInCheckBox, ui::TWinControl)
{
    p.String("ValueChecked", &TStandInCheckBox::ValueChecked, &TStandInCheckBox::SetValueChecked, "True");
}

class TStandInRadioGroup : public ui::TWinControl {
    GW_CLASS(TStandInRadioGroup)

public:
    using ui::TWinControl::TWinControl;
    rtl::TStringList items, values;
};
GW_IMPLEMENT_CLASS(TStandInRadioGroup, ui::TWinControl)
{
    p.Strings("Items", [](const TStandInRadioGroup& g) { return &g.items; });
    p.Strings("Values", [](const TStandInRadioGroup& g) { return &g.values; });
}

class TStandInCombo : public ui::TWinControl {
    GW_CLASS(TStandInCombo)

public:
    using ui::TWinControl::TWinControl;
    bool MapList() const { return mapList; }
    void SetMapList(bool v) { mapList = v; }
    rtl::TStringList items;
    bool mapList = false;
};
GW_IMPLEMENT_CLASS(TStandInCombo, ui::TWinControl)
{
    p.Strings("Items", [](const TStandInCombo& c) { return &c.items; });
    p.Boolean("MapList", &TStandInCombo::MapList, &TStandInCombo::SetMapList, false);
}

}  // namespace exporttest

namespace {

using namespace grid;
using db::TVariant;
using Options = TgkExportSaveOptions;

// The golden file `name`; with GW_UPDATE_GOLDEN set, `actual` is written into it first (to be
// read line by line before it is committed).
std::string Golden(const std::string& name, const std::string& actual)
{
    const std::string path = std::string(GW_SOURCE_DIR) + "/tests/grid/golden/" + name;
    if (std::getenv("GW_UPDATE_GOLDEN") != nullptr) rtl::SaveFileAtomically(path, actual);
    return rtl::ReadFileToString(path);
}

class GridExport : public gridtest::TGridFixture<TgkDBGrid> {
public:
    void SetUp() override
    {
        TGridFixture::SetUp();
        char folder[] = "/tmp/gw-export-XXXXXX";
        ASSERT_NE(::mkdtemp(folder), nullptr);
        dir = folder;
        ds = std::make_unique<dbtest::TMemDataSet>(nullptr);
        ds->columns = {{"ID", db::ftInteger}, {"NAME", db::ftString, 12}, {"NOTE", db::ftString, 10},
                       {"AMOUNT", db::ftFloat}};
        // Delimiter, quote, CR LF, lone LF, markup, formulas, non-ASCII, negative numbers,
        // empty and null.
        ds->AddRow({TVariant(1), TVariant("a,b"), TVariant("say \"hi\""), TVariant(-5.5)});
        ds->AddRow({TVariant(2), TVariant("x\r\ny"), TVariant("p\nq;r"), TVariant(1234.5)});
        ds->AddRow({TVariant(3), TVariant("<b>&amp"), TVariant("=1+1"), TVariant(0.25)});
        ds->AddRow({TVariant(4), TVariant("-5"), TVariant("Gr\xC3\xBC\xC3\x9F" "e"), TVariant(7.0)});
        ds->AddRow({TVariant(), TVariant(""), TVariant(), TVariant()});
        source->SetDataSet(ds.get());
        ShowAndOpen();
        options().SetFileName(Path("out.txt"));
        options().SetTitleName("Orders <b>2026</b>");
    }
    void TearDown() override
    {
        TGridFixture::TearDown();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    TgkExportOptions& options() { return *grid->ExportOptions(); }
    std::string Path(const std::string& name) const { return dir + "/" + name; }
    void Set(TgkGridExportType type, Options set, const std::string& delimiter = ",")
    {
        options().SetExportType(type);
        options().SetOptions(set);
        options().SetDelimiter(delimiter);
    }
    std::string Export(TgkGridExportType type, Options set, const std::string& delimiter = ",")
    {
        Set(type, set, delimiter);
        options().Save();
        // The page's title names the file; the folder differs from run to run.
        std::string text = rtl::ReadFileToString(Path("out.txt"));
        for (std::size_t at = text.find(dir); at != std::string::npos; at = text.find(dir, at))
            text.replace(at, dir.size(), "DIR");
        return text;
    }
    // The files in the folder, names only.
    std::set<std::string> Files() const
    {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir)) names.insert(e.path().filename().string());
        return names;
    }
    // Leaves only the fields named out of the export.
    void Hide(std::set<std::string> names)
    {
        hidden = std::move(names);
        grid->OnExportField = [this](classes::TObject*, db::TField* field, bool& accept) {
            if (hidden.count(field->FieldName()) != 0) accept = false;
        };
    }

    std::string dir;
    std::set<std::string> hidden;
};

const Options kDefault = kDefaultExportSaveOptions;

// A grid whose window was never made exports its data set's visible fields all the same.
TEST_F(GridExport, AGridNeverShownExportsItsFields)
{
    TgkDBGrid hidden(nullptr);
    hidden.SetDataSource(source.get());
    hidden.ExportOptions()->SetFileName(Path("hidden.txt"));
    hidden.ExportOptions()->SetExportType(gkgetTxt);
    hidden.ExportOptions()->SetOptions(kDefault);
    hidden.ExportOptions()->SetDelimiter(",");
    ds->FieldByName("NOTE")->SetVisible(false);
    hidden.ExportOptions()->Save();
    Set(gkgetTxt, kDefault);
    Hide({"NOTE"});
    options().Save();
    const std::string text = rtl::ReadFileToString(Path("hidden.txt"));
    EXPECT_EQ(text.substr(0, text.find('\r')), "\"ID\",\"NAME\",\"AMOUNT\"");
    EXPECT_EQ(text, rtl::ReadFileToString(Path("out.txt")));
}

// Whole files of every type and main option; the golden files were read line by line.
TEST_F(GridExport, WholeFilesMatchTheirGoldenCopies)
{
    struct Case {
        const char* golden;
        TgkGridExportType type;
        Options options;
        const char* delimiter;
        std::set<std::string> hidden;
    };
    const Case cases[] = {
        {"default.csv", gkgetTxt, kDefault, ",", {}},
        {"semicolon-unquoted-numbered.txt", gkgetTxt, {esoShowHeader, esoShowRecordNo}, ";", {}},
        {"fixed.txt", gkgetTxt, kDefault, "", {}},
        {"fixed-unquoted-numbered.txt", gkgetTxt, {esoShowHeader, esoShowRecordNo}, "", {}},
        {"hidden-first-last.csv", gkgetTxt, kDefault, ",", {"ID", "AMOUNT"}},
        {"hidden-first-last-fixed.txt", gkgetTxt, kDefault, "", {"ID", "AMOUNT"}},
        {"default.html", gkgetHTML, kDefault, ",", {}},
        {"numbered-fit.html", gkgetHTML, {esoShowHeader, esoShowRecordNo, esoBestColFit}, ",", {}},
        {"numbered.slk", gkgetSYLK, {esoShowHeader, esoShowTitle, esoShowRecordNo}, ",", {}},
        {"hidden-first.slk", gkgetSYLK, kDefault, ",", {"ID"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.golden);
        Hide(c.hidden);
        const std::string actual = Export(c.type, c.options, c.delimiter);
        EXPECT_EQ(actual, Golden(c.golden, actual));
    }
}

TEST_F(GridExport, GroupsFootersAndColoursInHtmlAndSylk)
{
    grid->Selected()->SetText("ID\t4\tNo.\nNAME\t12\tWho\tF\tPeople & Co\nNOTE\t10\tNote~text\tF\tPeople & Co\n"
                              "AMOUNT\t8\tSum\n");
    grid->SetOptions(grid->Options() | TgkDBGridOptions{dgShowFooter});
    ds->FieldByName("NOTE")->SetDisplayLabel("Note~<i>");
    grid->ColumnByName("AMOUNT").SetFooterValue("<total>");
    grid->PaintOptions()->SetAlternatingRowColor(rtl::clYellow);
    grid->OnCalcCellColors = [](classes::TObject*, db::TField* field, ui::TGridDrawState, bool, classes::TFont* font,
                                ui::TBrush*) {
        if (field->FieldName() == "NOTE" && field->AsString() == "=1+1") font->SetStyle({classes::fsBold});
    };
    const Options html{esoShowHeader, esoShowTitle, esoShowFooter, esoShowRecordNo, esoShowAlternating,
                       esoDynamicColors, esoTransparentGrid};
    const std::string page = Export(gkgetHTML, html);
    EXPECT_EQ(page, Golden("group-footer.html", page));
    const std::string sheet = Export(gkgetSYLK, {esoShowHeader, esoDynamicColors});
    EXPECT_EQ(sheet, Golden("group.slk", sheet));
}

// The Part's edge cases and the quoting rules, one value at a time.
TEST_F(GridExport, QuoteValueAndTheQuotingDelimitedTextNeeds)
{
    struct Case {
        TgkGridExportType type;
        Options options;
        const char* delimiter;
        const char* value;
        const char* quoted;  // QuoteValue
        const char* text;    // in a delimited or fixed-width line
    };
    const Case cases[] = {
        {gkgetTxt, kDefault, "", "", "\"\"", "\"\""},
        {gkgetTxt, kDefault, ",", "", "", ""},
        {gkgetHTML, kDefault, "", "", "", ""},
        {gkgetTxt, kDefault, ",", "a\"b", "\"a\"\"b\"", "\"a\"\"b\""},
        {gkgetTxt, {esoShowHeader}, ";", "a;b", "a;b", "\"a;b\""},
        {gkgetTxt, {esoShowHeader}, ";", "a,b", "a,b", "a,b"},
        {gkgetTxt, {esoShowHeader}, ";", "say \"x\"", "say \"x\"", "\"say \"\"x\"\"\""},
        {gkgetTxt, {esoShowHeader}, ";", "a\nb", "a\nb", "\"a\nb\""},
        {gkgetTxt, {esoShowHeader}, ";", "a\rb", "a\rb", "\"a\rb\""},
        {gkgetTxt, {esoShowHeader}, "||", "a|b", "a|b", "a|b"},
        {gkgetTxt, {esoShowHeader}, "||", "a||b", "a||b", "\"a||b\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.delimiter) + " " + c.value);
        Set(c.type, c.options, c.delimiter);
        EXPECT_EQ(options().QuoteValue(c.value), c.quoted);
        EXPECT_EQ(TgkGridExporter(*grid, options()).QuoteText(c.value), c.text);
    }
}

TEST_F(GridExport, FormulaGuardOnlyForTextValues)
{
    struct Case {
        const db::TField* field;
        const char* value;
        const char* expected;
    };
    const db::TField* text = ds->FieldByName("NAME");
    const db::TField* number = ds->FieldByName("AMOUNT");
    const Case cases[] = {
        {text, "=1+1", "'=1+1"}, {text, "+1", "'+1"},       {text, "-5", "'-5"},  {text, "@SUM(A1)", "'@SUM(A1)"},
        {text, "\tx", "'\tx"},   {text, "\rx", "'\rx"},     {text, "a=1", "a=1"}, {text, "", ""},
        {number, "-5.5", "-5.5"}, {number, "+1", "+1"},
    };
    for (const Case& c : cases) EXPECT_EQ(gkGuardFormula(c.field, c.value), c.expected) << c.value;
}

TEST_F(GridExport, SmallConversions)
{
    classes::TFont font;
    font.SetName("Serif");
    font.SetSize(10);
    font.SetStyle({classes::fsBold, classes::fsItalic});
    EXPECT_EQ(TgkSylkFonts::Definition(font), "P;FSerif;M200;SBI");
    font.SetStyle({classes::fsItalic, classes::fsUnderline, classes::fsStrikeOut});
    EXPECT_EQ(TgkSylkFonts::Definition(font), "P;FSerif;M200;SIUS");
    font.SetStyle({classes::fsUnderline});
    EXPECT_EQ(TgkSylkFonts::Definition(font), "P;FSerif;M200;SU");
    EXPECT_EQ(gkFontStyleTags(font, "t"), "<U>t</U>");
    font.SetStyle({classes::fsBold, classes::fsItalic, classes::fsStrikeOut});
    EXPECT_EQ(gkFontStyleTags(font, "t"), "<STRIKE><B><I>t</I></B></STRIKE>");
    font.SetName("A;B\"<x>");
    font.SetColor(rtl::clRed);
    EXPECT_EQ(TgkSylkFonts::Definition(font), "P;FA;;B\"<x>;M200;SBIS");
    EXPECT_EQ(gkFontStyleAttribute(font), "STYLE=\"font-family: A;B&quot;&lt;x&gt;;font-size: 10 pt;color:#ff0000;\"");
    EXPECT_EQ(gkColorToHex(rtl::TColor(0x00336699)), "996633");
    EXPECT_EQ(gkReplaceLineBreaks("a\r\nb\nc\rd\r\n", "<BR>"), "a<BR>b<BR>c<BR>d<BR>");

    TgkSylkFonts fonts;
    classes::TFont other;
    EXPECT_EQ(fonts.Number(font), 0);
    EXPECT_EQ(fonts.Number(other), 1);
    EXPECT_EQ(fonts.Number(font), 0);
}

TEST_F(GridExport, LinksOnlyForSafeAddresses)
{
    ds->Close();
    ds = std::make_unique<dbtest::TMemDataSet>(nullptr);
    ds->columns = {{"URL", db::ftString, 40}};
    for (const char* url : {"http://a.example/?q=1&r=\"2\"", "javascript:alert(1)", "me@mail.example",
                            "java&#115;cript:alert(1)", "x@y"})
        ds->AddRow({TVariant(url)});
    source->SetDataSet(ds.get());
    ds->Open();
    grid->ControlType()->Add("URL;URL-Link");
    const std::string page = Export(gkgetHTML, {esoEmbedURL});
    EXPECT_NE(page.find("\"row\"><A href=\"http://a.example/?q=1&amp;r=&quot;2&quot;\">http://a.example/?q=1&amp;r=&quot;2&quot;</A></TD>"),
              std::string::npos);
    EXPECT_NE(page.find("<A href=\"MailTo:me@mail.example\">me@mail.example</A>"), std::string::npos);
    EXPECT_EQ(page.find("href=\"javascript"), std::string::npos);
    // Escaped, the reference is text: the browser reads a relative address, not a scheme.
    EXPECT_NE(page.find("<A href=\"java&amp;#115;cript:alert(1)\">"), std::string::npos);
    EXPECT_EQ(rtl::AddressScheme("java&amp;#115;cript:alert(1)"), "");
    EXPECT_NE(page.find(">javascript:alert(1)</TD>"), std::string::npos);
    // No "." after the "@": an address of its own, relative, and harmless.
    EXPECT_NE(page.find("<A href=\"x@y\">x@y</A>"), std::string::npos);
}

// Random texts of quotes, markup, ampersands, line breaks and non-ASCII letters come out of an
// HTML table escaped with their line breaks as "<BR>", and out of delimited text quoted with
// their quotes doubled, as escaping, replacing and quoting one after the other gives them.
TEST_F(GridExport, RandomTextsAreEscapedAndQuotedAsOneStepAfterTheOther)
{
    ds->Close();
    ds = std::make_unique<dbtest::TMemDataSet>(nullptr);
    ds->columns = {{"T", db::ftString, 40}};
    const std::vector<std::string> pieces{"a", "Z", " ", ",", "\"", "'", "<", ">", "&", "\r", "\n", "\r\n",
                                          "\xC3\xA9", "\xF0\x9F\x98\x80", "&amp;", "<BR>"};
    std::mt19937 random(1211);
    std::vector<std::string> texts;
    for (int i = 0; i < 300; ++i) {
        std::string text = "v";  // no formula guard, never empty
        for (int n = static_cast<int>(random() % 12); n > 0; --n) text += pieces[random() % pieces.size()];
        texts.push_back(text);
        ds->AddRow({TVariant(text)});
    }
    source->SetDataSet(ds.get());
    ds->Open();
    const std::string page = Export(gkgetHTML, kDefault);
    const std::string lines = Export(gkgetTxt, kDefault);
    for (const std::string& text : texts) {
        const std::string html = gkReplaceLineBreaks(rtl::HtmlEscape(text), "<BR>");
        EXPECT_NE(page.find("\"row\">" + html + "</TD>"), std::string::npos) << html;
        std::string quoted = "\"";
        for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        quoted += '"';
        EXPECT_NE(lines.find("\r\n" + quoted + "\r\n"), std::string::npos) << quoted;
    }
}

// esoAddControls: check-box columns and the controls a "CustomEdit" column names become
// inputs; their values and captions are escaped like any data.
TEST_F(GridExport, CellControlsBecomeInputs)
{
    using namespace exporttest;
    auto* check = new TStandInCheckBox(form.get());
    check->SetName("Check");
    check->SetValueChecked("yes;=1+1");
    auto* radio = new TStandInRadioGroup(form.get());
    radio->SetName("Radio");
    radio->items.SetText("One\n<Two>\n");
    radio->values.SetText("a,b\n\n");
    auto* combo = new TStandInCombo(form.get());
    combo->SetName("Combo");
    combo->items.SetText("Minus five\t-5\nQuote\tsay \"hi\"\n");
    grid->ControlType()->SetText("ID;CheckBox;2;0\nNAME;CustomEdit;Radio\nNOTE;CustomEdit;Check\nAMOUNT;CustomEdit;Combo\n");
    Hide({});
    const std::string plain = Export(gkgetHTML, {});
    EXPECT_EQ(plain.find("<input"), std::string::npos);
    EXPECT_EQ(plain.find("<INPUT"), std::string::npos);

    const std::string page = Export(gkgetHTML, {esoAddControls});
    const std::size_t first = page.find("<TBODY>");
    const std::string body = page.substr(first);
    // Check-box column: checked when the field's text is the checked value; no alignment.
    EXPECT_NE(body.find("<TD NOWRAP WIDTH=\"81\" SCOPE=\"row\"><INPUT ALIGN=\"middle\" TYPE=\"checkbox\" ></TD>"),
              std::string::npos);
    EXPECT_NE(body.find("<TD NOWRAP WIDTH=\"81\" SCOPE=\"row\"><input align=\"middle\" type=\"checkbox\" checked ></TD>"),
              std::string::npos);
    // The radio group: one input per item, the record's value checked, all escaped.
    EXPECT_NE(body.find("<input align=\"middle\" type=\"radio\" value=\"a,b\" name=\"radio2\" checked>One<BR>\r\n"
                        "<input align=\"middle\" type=\"radio\" value=\"&lt;Two&gt;\" name=\"radio2\">&lt;Two&gt;<BR>\r\n"),
              std::string::npos);
    // The data-aware check box: any of its spellings.
    EXPECT_NE(body.find("SCOPE=\"row\"><input align=\"middle\" type=\"checkbox\" checked ></TD>"), std::string::npos);
    // The combo box without a map list: the whole item is text and value.
    EXPECT_NE(body.find("<Select Name=\"gkCombo4\">\r\n<Option Value=\"Minus five\t-5\">Minus five\t-5\r\n"),
              std::string::npos);
    combo->SetMapList(true);
    const std::string mapped = Export(gkgetHTML, {esoAddControls});
    EXPECT_NE(mapped.find("<Option Value=\"say &quot;hi&quot;\">Quote\r\n</Select>"), std::string::npos);
    EXPECT_EQ(mapped.find(" selected"), std::string::npos);  // no amount is "-5" or a quote
}

TEST_F(GridExport, SelectedRecordsInSelectionOrderAndStaleOnesSkipped)
{
    ds->First();
    ds->MoveBy(2);
    grid->SelectRecord();
    ds->First();
    grid->SelectRecord();
    ds->MoveBy(3);
    grid->SelectRecord();
    Hide({"NAME", "NOTE", "AMOUNT"});
    EXPECT_EQ(Export(gkgetTxt, {esoSaveSelectedOnly, esoShowRecordNo}), "1,3\r\n2,1\r\n3,4\r\n");
    grid->UnselectAll();
    const std::string page = Export(gkgetHTML, {esoSaveSelectedOnly});
    EXPECT_NE(page.find("<TBODY>\r\n<TR><TH colspan=\"1\">No Records Selected</TH></TR>\r\n</TBODY>"),
              std::string::npos);
}

// SYLK cuts text at 255 whole characters and writes integers as their values, not as a display
// text that groups thousands.
TEST_F(GridExport, SylkCellsCutWholeCharactersAndKeepIntegerValues)
{
    ds->Close();
    const std::string umlauts = [] {
        std::string s;
        for (int i = 0; i < 300; ++i) s += "\xC3\xBC";
        return s;
    }();
    ds->AddRow({TVariant(1234567), TVariant(umlauts), TVariant(), TVariant()});
    ds->Open();
    ASSERT_NE(dynamic_cast<db::TNumericField*>(ds->FieldByName("ID")), nullptr);
    dynamic_cast<db::TNumericField*>(ds->FieldByName("ID"))->SetDisplayFormat("#,##0");
    ds->Last();
    ASSERT_NE(ds->FieldByName("ID")->DisplayText(), "1234567");  // grouped
    Hide({"NOTE", "AMOUNT"});
    const std::string sheet = Export(gkgetSYLK, {});
    EXPECT_NE(sheet.find("C;K1234567\r\n"), std::string::npos);
    EXPECT_NE(sheet.find("C;K\"" + umlauts.substr(0, 510) + "\"\r\n"), std::string::npos);
}

// While the export runs, the data set's controls are off and the hourglass shows; both come
// back afterwards. An export with no file name writes beside the program, named after it.
TEST_F(GridExport, HourglassAndControlsDuringTheExport)
{
    std::vector<std::string> seen;
    grid->OnExportField = [&](classes::TObject*, db::TField*, bool&) {
        seen.push_back(std::to_string(ui::Screen().Cursor()) + (ds->ControlsDisabled() ? " off" : " on"));
    };
    ui::Screen().SetCursor(ui::crDefault);
    Export(gkgetTxt, kDefault);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), std::to_string(ui::crHourGlass) + " off");
    EXPECT_EQ(ui::Screen().Cursor(), ui::crDefault);
    EXPECT_FALSE(ds->ControlsDisabled());
    options().SetFileName("");
    EXPECT_EQ(options().OutputFileName(), "test_grid.txt");
}

TEST_F(GridExport, NothingForXmlOrAnInactiveLinkAndNoFileTouched)
{
    rtl::SaveFileAtomically(Path("out.txt"), "old");
    Set(gkgetXML, kDefault);
    options().Save();
    EXPECT_EQ(rtl::ReadFileToString(Path("out.txt")), "old");
    Set(gkgetTxt, kDefault);
    ds->Close();
    options().Save();
    EXPECT_EQ(rtl::ReadFileToString(Path("out.txt")), "old");
    options().SetFileName(Path("new.txt"));
    options().Save();
    EXPECT_EQ(Files(), std::set<std::string>{"out.txt"});
}

TEST_F(GridExport, ClipboardHoldsEachKindAndNoFileIsMade)
{
    struct Case {
        TgkGridExportType type;
        const char* format;  // a registered format besides the text, or ""
    };
    for (const Case c : {Case{gkgetTxt, ""}, Case{gkgetHTML, "HTML Format"}, Case{gkgetSYLK, "SYLK"}}) {
        SCOPED_TRACE(c.format);
        Hide({"ID", "AMOUNT"});
        Set(c.type, kDefault | Options{esoClipboard});
        ui::Clipboard().SetData(ui::RegisterClipboardFormat("SYLK"), "stale");
        options().Save();
        const std::string text = ui::Clipboard().AsText();
        Set(c.type, kDefault);
        options().Save();
        const std::string file = rtl::ReadFileToString(Path("out.txt"));
        std::filesystem::remove(Path("out.txt"));
        EXPECT_EQ(text, file);
        for (const char* other : {"HTML Format", "SYLK"}) {
            const auto data = ui::Clipboard().GetData(ui::RegisterClipboardFormat(other));
            if (std::string(other) == c.format) {
                ASSERT_TRUE(data.has_value());
                EXPECT_EQ(*data, file);
            } else {
                EXPECT_FALSE(data.has_value()) << other;
            }
        }
        EXPECT_TRUE(Files().empty());
    }
}

// Puts the record, the grid row and the controls back, also when the export fails.
class FailedExport : public GridExport {
public:
    void MoveToThirdRecordInSecondRow()
    {
        ds->First();
        ds->MoveBy(1);
        ds->MoveBy(1);
        record = ds->FieldByName("ID")->AsString();
        row = grid->GetActiveRow();
    }
    void ExpectAsBefore()
    {
        EXPECT_EQ(ds->FieldByName("ID")->AsString(), record);
        EXPECT_EQ(grid->GetActiveRow(), row);
        EXPECT_FALSE(ds->ControlsDisabled());
        EXPECT_EQ(rtl::ReadFileToString(Path("out.txt")), "old");
        EXPECT_EQ(Files(), std::set<std::string>{"out.txt"});
    }
    std::string record;
    int row = 0;
};

TEST_F(FailedExport, AFileSizeLimitKeepsTheOldFileAndTheGrid)
{
    rtl::SaveFileAtomically(Path("out.txt"), "old");
    ds->Close();
    for (int i = 10; i < 1000; ++i) ds->AddRow({TVariant(i), TVariant(std::string(200, 'x')), TVariant(), TVariant()});
    ds->Open();
    MoveToThirdRecordInSecondRow();
    for (TgkGridExportType type : {gkgetTxt, gkgetHTML, gkgetSYLK}) {
        SCOPED_TRACE(int(type));
        Set(type, kDefault);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // A limit of 64 KiB: the export's second flush meets it.
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{64 * 1024, 64 * 1024};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            int code = 1;
            try {
                options().Save();
            } catch (const rtl::EInOutError& e) {
                code = e.ErrorCode() == EFBIG ? 0 : 2;
            } catch (...) {
                code = 3;
            }
            const bool same = ds->FieldByName("ID")->AsString() == record && grid->GetActiveRow() == row &&
                              !ds->ControlsDisabled();
            ::_exit(same ? code : 4);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
        ExpectAsBefore();
    }
}

// A process killed halfway through an export leaves the old file and nothing beside it: no
// half-written output, no cells waiting for the SYLK head.
TEST_F(FailedExport, AProcessKilledWhileExportingLeavesNoTemporaryFiles)
{
    rtl::SaveFileAtomically(Path("out.txt"), "old");
    ds->Close();
    for (int i = 10; i < 1000; ++i) ds->AddRow({TVariant(i), TVariant(std::string(200, 'x')), TVariant(), TVariant()});
    ds->Open();
    ds->AfterScroll = [](db::TDataSet* set) {
        if (set->FieldByName("ID")->AsString() == "900") ::_exit(0);  // as sudden as a kill: nothing unwinds
    };
    for (TgkGridExportType type : {gkgetTxt, gkgetHTML, gkgetSYLK}) {
        SCOPED_TRACE(int(type));
        Set(type, kDefault);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            options().Save();
            ::_exit(1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "the export ended before the killing cell";
        EXPECT_TRUE(rtl::ReadFileToString(Path("out.txt")) == "old");
        EXPECT_EQ(Files(), std::set<std::string>{"out.txt"});
    }
    ds->AfterScroll = nullptr;
}

TEST_F(FailedExport, AFolderThatCannotBeWrittenOrARaisingEvent)
{
    rtl::SaveFileAtomically(Path("out.txt"), "old");
    MoveToThirdRecordInSecondRow();
    options().SetFileName(Path("missing/out.txt"));
    Set(gkgetSYLK, kDefault);
    EXPECT_THROW(options().Save(), rtl::EFCreateError);
    ExpectAsBefore();

    options().SetFileName(Path("out.txt"));
    grid->OnCalcCellColors = [](classes::TObject*, db::TField* field, ui::TGridDrawState, bool, classes::TFont*,
                                ui::TBrush*) {
        if (field->AsString() == "4") throw rtl::Exception("no colours");
    };
    for (TgkGridExportType type : {gkgetHTML, gkgetSYLK}) {
        Set(type, kDefault | Options{esoDynamicColors});
        EXPECT_THROW(options().Save(), rtl::Exception);
        ExpectAsBefore();
    }
}

}  // namespace

namespace {

// Runs `command` through the shell; its exit status.
int Shell(const std::string& command) { return std::system(command.c_str()); }
bool HaveTool(const char* name) { return Shell(std::string("command -v ") + name + " >/dev/null 2>&1") == 0; }

// The exported files as a spreadsheet program and an HTML checker read them: every cell holds
// the display text, none is evaluated as a formula, and the tables nest.
TEST_F(GridExport, ASpreadsheetReadsTheDisplayTextsAndTheTablesNest)
{
    if (!HaveTool("ssconvert") || !HaveTool("tidy")) GTEST_SKIP() << "ssconvert (gnumeric) and tidy are test packages of scripts/gw";
    struct Case {
        TgkGridExportType type;
        Options options;
        const char* file;
        const char* cells;  // the sheet as CSV
    };
    const Case cases[] = {
        {gkgetTxt, kDefault, "t.csv",
         "ID,NAME,NOTE,AMOUNT\n1,\"a,b\",\"say \"\"hi\"\"\",-5.5\n2,\"x\r\ny\",\"p\nq;r\",1234.5\n3,<b>&amp,=1+1,0.25\n"
         "4,-5,Gr\xC3\xBC\xC3\x9F" "e,7\n"},
        {gkgetTxt, {esoShowHeader}, "t.txt",
         "ID,NAME,NOTE,AMOUNT\n1,\"a,b\",\"say \"\"hi\"\"\",-5.5\n2,\"x\r\ny\",\"p\nq;r\",1234.5\n3,<b>&amp,=1+1,0.25\n"
         "4,-5,Gr\xC3\xBC\xC3\x9F" "e,7\n"},
        // The sheet program reads SYLK text as Latin-1, whatever it holds.
        {gkgetSYLK, {esoShowHeader, esoShowRecordNo}, "t.slk",
         "#,ID,NAME,NOTE,AMOUNT\n,,,,\n1,1,\"a,b\",\"say \"\"hi\"\"\",-5.5\n2,2,\"x y\",\"p q;r\",1234.5\n"
         "3,3,<b>&amp,=1+1,0.25\n4,4,-5,Gr\xC3\x83\xC2\xBC\xC3\x83\xC2\x9F" "e,7\n5,,,,\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        options().SetFileName(Path(c.file));
        Set(c.type, c.options);
        options().Save();
        ASSERT_EQ(Shell("ssconvert '" + Path(c.file) + "' '" + Path("sheet.csv") + "' >/dev/null 2>&1"), 0);
        EXPECT_EQ(rtl::ReadFileToString(Path("sheet.csv")), c.cells);
    }
    options().SetFileName(Path("t.html"));
    for (Options set : {kDefault, Options{esoShowHeader, esoShowTitle, esoShowFooter, esoShowRecordNo}}) {
        grid->Selected()->SetText("ID\t4\tNo.\nNAME\t12\tWho\tF\tG\nNOTE\t10\tNote\tF\tG\nAMOUNT\t8\tSum\n");
        grid->SetOptions(grid->Options() | TgkDBGridOptions{dgShowFooter});
        Set(gkgetHTML, set);
        options().Save();
        // Nesting faults are errors, or warnings about missing, unexpected or discarded tags.
        Shell("tidy -q -e '" + Path("t.html") + "' >'" + Path("tidy.txt") + "' 2>&1");
        const std::string report = rtl::ReadFileToString(Path("tidy.txt"));
        for (const char* fault : {"Error", "missing </", "unexpected", "discarding", "inserting implicit"})
            EXPECT_EQ(report.find(fault), std::string::npos) << report;
    }
}

}  // namespace
