// The server-side page sets compared with golden files: split off, split, split with frames;
// the three layouts; both navigation kinds; every hyperlink type; doubled quotes and the page
// guard. Set GW_UPDATE_GOLDEN=1 to write the golden files anew (then read the diff).

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "designer/AspScript.h"
#include "designer/ColumnModel.h"
#include "designer/ExpAsp.h"
#include "tests/designer/GoldenFiles.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/SysUtils.h"

using namespace designer;
namespace fs = std::filesystem;

namespace {

const fs::path kGolden = fs::path(GW_SOURCE_DIR) / "tests" / "designer" / "golden" / "asp";

class AspPages : public ::testing::Test {
protected:
    void SetUp() override
    {
        model.RebuildColumnList("Reset", std::vector<TColumnField>{{"order_id", db::ftInteger},
                                                                  {"customer", db::ftString},
                                                                  {"total", db::ftFloat},
                                                                  {"placed", db::ftDateTime},
                                                                  {"photo", db::ftString}});
        // Every hyperlink type, a hidden column, an image column, texts with quotes.
        model.SetHeading(1, "Customer \"name\"");
        model.HyperlinkTypeList.Put(1, "1");
        model.UrlList.Put(1, "http://example.com/c/[customer]");
        model.TargetList.Put(1, "_blank");
        model.HyperlinkTypeList.Put(0, "3");
        model.UrlList.Put(0, "order.asp");
        model.ParamList.Put(0, "\"id=[order_id]\",lang=en");
        model.PrefixList.Put(2, "$ ");
        model.PrefixList.SetChecked(2, true);
        model.HyperlinkTypeList.Put(3, "2");
        model.UrlList.Put(3, "sales@example.com");
        model.ShowModeList.Put(3, "Hide");
        model.FieldList.SetChecked(4, true);
        model.ShowDataList.Put(4, "img/[photo].png");
        model.PrefixList.Put(4, "48");
        model.PrefixList.SetChecked(4, true);

        settings.connectionString =
            "Provider=MSDASQL.1;Extended Properties=\"DSN=Sample;UID=web\";Persist Security Info=False";
        settings.sqlLines = {"SELECT order_id, customer, total, placed, photo", "FROM orders WHERE note <> \"x\"", ""};
        settings.title = "Orders";
        settings.header = "<h1 class=\"top\">Orders</h1>";
        settings.footer = "<p>End</p>";
        settings.headerNavigation = 1;
        settings.footerNavigation = 2;
        settings.tableColor = 0xFFFFFF;
        parts.headerRow = "\r\n<tr>\r\n<td class=\"ThRows\">ORDER_ID</td>\r\n</tr>";
        parts.templateScript = [] { return std::string("<b>template</b>"); };
    }

    // Writes the pages of `name` into a fresh folder and compares them with the golden folder
    // of that name.
    void Check(const std::string& name)
    {
        QTemporaryDir dir;
        const fs::path out = dir.path().toStdString();
        const TAspScriptBuilder script(model, {"order_id", "customer", "total", "placed", "photo"});
        rtl::TFileSetTransaction set;
        WriteAspPages(set, settings, script, parts, (out / "Sales.asp").string());
        set.Commit();
        designertest::CompareWithGolden(designertest::FilesOf(out), "asp", name);
    }

    TColumnModel model;
    TAspPageSettings settings;
    TAspPageParts parts;
};

TEST_F(AspPages, SplitWithFramesReportStyle1)
{
    Check("split-frames-style1");
}

TEST_F(AspPages, SplitWithoutFramesReportStyle2)
{
    settings.frames = false;
    settings.style = 1;
    settings.headerNavigation = 2;
    settings.footerNavigation = 1;
    settings.borderColor = 0x0000FF;
    Check("split-style2");
}

TEST_F(AspPages, APageSizeBelowOneWritesOneRecordAPage)
{
    for (int size : {0, -5}) {
        settings.recordsPerPage = size;
        QTemporaryDir dir;
        const fs::path out = dir.path().toStdString();
        const TAspScriptBuilder script(model, {"order_id", "customer", "total", "placed", "photo"});
        rtl::TFileSetTransaction set;
        WriteAspPages(set, settings, script, parts, (out / "Sales.asp").string());
        set.Commit();
        for (const char* page : {"Sales_index.asp", "Sales_data.asp"}) {
            const std::string text = rtl::ReadFileToString((out / page).string());
            EXPECT_NE(text.find("Page_Size = 1\r\n"), std::string::npos) << page << " " << size;
            EXPECT_EQ(text.find("Page_Size = " + std::to_string(size)), std::string::npos) << page;
        }
    }
}

TEST_F(AspPages, NotSplitTemplate)
{
    settings.split = false;
    settings.style = 2;
    settings.headerNavigation = 0;
    settings.tableColor.reset();
    Check("single-template");
}

TEST(AspPageText, GuardsAndQuotes)
{
    EXPECT_EQ(AspSqlLine("WHERE a = \"b\""), "SQL = SQL + \" WHERE a = \"\"b\"\"\"");
    EXPECT_EQ(AspSqlLine(""), "SQL = SQL + \" \"");
    EXPECT_EQ(OutputBaseName("/out/Sales.page.asp"), "Sales.page");
    EXPECT_EQ(OutputFolder("/out/Sales.asp"), "/out/");
}

TEST(AspPageText, GoldenDataPagesHaveNoUnguardedPageRead)
{
    // The golden pages are read as a whole: the request is read through the guard only,
    // the connection string's quotes are doubled, and every data page declares the helpers.
    for (const auto& entry : fs::recursive_directory_iterator(kGolden)) {
        if (!entry.is_regular_file() || entry.path().filename().string().find("_index") != std::string::npos) continue;
        const std::string page = rtl::ReadFileToString(entry.path().string());
        if (page.find("Do While") == std::string::npos) continue;  // the frameset
        SCOPED_TRACE(entry.path().string());
        EXPECT_EQ(page.find("CInt("), std::string::npos);
        EXPECT_NE(page.find("Extended Properties=\"\"DSN=Sample;UID=web\"\""), std::string::npos);
        EXPECT_NE(page.find("Function GwPageNumber(v)"), std::string::npos);
    }
}

// What an ASP host and the VBScript parser make of a page: the script blocks run from "<%" to
// the next "%>" wherever it stands, a literal ends at its line's end (CR or LF), and a chain of
// literals and vbCrLf, vbCr, vbLf joined by "&" is one constant text. Every such constant is
// evaluated; a literal that its line ends, or a block that never ends, is a fault.
struct TScriptReading {
    std::vector<std::string> constants;
    std::vector<std::string> faults;
};

void ReadScriptBlock(std::string_view block, TScriptReading& r)
{
    std::size_t i = 0;
    const auto atLineEnd = [&] { return i >= block.size() || block[i] == '\r' || block[i] == '\n'; };
    const auto skipBlanks = [&] {
        while (i < block.size() && (block[i] == ' ' || block[i] == '\t')) ++i;
    };
    // The literal starting at i, appended to `value`; false when its line ends first.
    const auto literal = [&](std::string& value) {
        for (++i; !atLineEnd(); ++i) {
            if (block[i] != '"') {
                value += block[i];
            } else if (i + 1 < block.size() && block[i + 1] == '"') {
                value += '"';
                ++i;
            } else {
                ++i;
                return true;
            }
        }
        return false;
    };
    while (i < block.size()) {
        if (block[i] == '\'') {  // a comment runs to the line's end
            while (!atLineEnd()) ++i;
            continue;
        }
        if (block[i] != '"') {
            ++i;
            continue;
        }
        const std::size_t start = i;
        std::string value;
        bool closed = literal(value);
        while (closed) {
            const std::size_t before = i;
            skipBlanks();
            if (i >= block.size() || block[i] != '&') {
                i = before;
                break;
            }
            ++i;
            skipBlanks();
            if (i < block.size() && block[i] == '"') {
                closed = literal(value);
                continue;
            }
            std::size_t end = i;
            while (end < block.size() && std::isalnum(static_cast<unsigned char>(block[end]))) ++end;
            const std::string_view word = block.substr(i, end - i);
            if (word == "vbCrLf")
                value += "\r\n";
            else if (word == "vbCr")
                value += "\r";
            else if (word == "vbLf")
                value += "\n";
            else {
                i = before;
                break;
            }
            i = end;
        }
        if (closed)
            r.constants.push_back(value);
        else
            r.faults.push_back("a literal broken by its line's end: " + std::string(block.substr(start, i - start)));
    }
}

TScriptReading ReadScript(const std::string& page)
{
    TScriptReading r;
    std::size_t pos = 0;
    for (std::size_t open; (open = page.find("<%", pos)) != std::string::npos;) {
        const std::size_t close = page.find("%>", open + 2);
        if (close == std::string::npos) {
            r.faults.push_back("a script block without its end");
            break;
        }
        ReadScriptBlock(std::string_view(page).substr(open + 2, close - open - 2), r);
        pos = close + 2;
    }
    return r;
}

TEST(AspScriptStrings, TheReaderSeesWhatTheHostSees)
{
    // The checker itself: a "%>" inside a literal ends the block there; a line break ends a literal.
    EXPECT_EQ(ReadScript("<% x = \"a\" & vbCrLf & \"b\"\"c\" & y %>").constants, (std::vector<std::string>{"a\r\nb\"c"}));
    EXPECT_EQ(ReadScript("<% x = \"a%\" & \">b\" ' \"c %>").constants, (std::vector<std::string>{"a%>b"}));
    EXPECT_EQ(ReadScript("<% x = \"a%>b\" %>").faults.size(), 1u);
    EXPECT_EQ(ReadScript("<% x = \"a\r\nb\" %>").faults.size(), 2u);
    EXPECT_EQ(ReadScript("<% x = 1").faults.size(), 1u);
}

TEST_F(AspPages, HostileTextsInScriptStringsCompileAndReadBack)
{
    // Texts that would end the script block ("%>", "%" before the ">" that follows it in the
    // page) or break a literal's line, in every place a name or typed text reaches script.
    const std::vector<std::string> values = {
        "%>", "LIKE '%>%'", "%", "pass\"%>\"word", "%%>>", "two\r\nlines", "cr\ronly", "lf\nonly", "\r\n", "end\r",
        "\" & Rs(\"x\") & \"",
    };
    struct Place {
        const char* name;
        // Puts the value into the design; answers the texts the pages must read back.
        std::function<std::vector<std::string>(std::vector<std::string>& fields, std::string& base, const std::string& v)>
            put;
    };
    using Names = std::vector<std::string>;
    const Place places[] = {
        {"column name",
         [this](Names& fields, std::string&, const std::string& v) {
             model.RebuildColumnList("Reset", std::vector<TColumnField>{{"order_id", db::ftInteger},
                                                                         {v, db::ftString},
                                                                         {"total", db::ftFloat},
                                                                         {"placed", db::ftDateTime},
                                                                         {"photo", db::ftString}});
             model.HyperlinkTypeList.Put(1, "1");
             model.UrlList.Put(1, "show.asp?c=[" + v + "]");
             fields[1] = v;
             return Names{v, ColumnKey(v)};
         }},
        {"heading",
         [this](Names&, std::string&, const std::string& v) {
             model.SetHeading(2, "Total " + v);
             return Names{"Total " + v};
         }},
        {"prefix and suffix",
         [this](Names&, std::string&, const std::string& v) {
             model.PrefixList.Put(2, "<" + v);
             model.SuffixList.Put(2, v + ">");
             return Names{"<" + v, v + ">"};
         }},
        {"fixed text",
         [this](Names&, std::string&, const std::string& v) {
             model.ShowDataList.Put(2, v);
             model.ShowDataList.SetChecked(2, false);
             return Names{v};
         }},
        {"alignment",
         [this](Names&, std::string&, const std::string& v) {
             model.AlignmentList.Put(2, v);
             return Names{" align=" + v + ">"};
         }},
        {"address, target and parameter",
         [this](Names&, std::string&, const std::string& v) {
             model.UrlList.Put(1, "http://example.com/" + v + "[customer]" + v);
             model.TargetList.Put(1, v);
             model.ParamList.Put(0, rtl::AnsiQuotedStr("id=" + v, '"'));
             return Names{"http://example.com/" + v, " target=\"" + v + "\"", "id=" + v};
         }},
        {"image size",
         [this](Names&, std::string&, const std::string& v) {
             model.PrefixList.Put(4, v);
             model.SuffixList.Put(4, v);
             model.SuffixList.SetChecked(4, true);
             return Names{" width=\"" + v + "\" height=\"" + v + "\""};
         }},
        {"connection string",
         [this](Names&, std::string&, const std::string& v) {
             settings.connectionString = "DSN=Sales;PWD=" + v;
             return Names{"DSN=Sales;PWD=" + v};
         }},
        {"SQL",
         [this](Names&, std::string&, const std::string& v) {
             settings.sqlLines = {"SELECT * FROM orders", "WHERE customer " + v};
             return Names{" WHERE customer " + v};
         }},
        {"file name",
         [](Names&, std::string& base, const std::string& v) {
             base = "Sales" + v;
             return Names{"Sales" + v + "_data.asp?Page="};
         }},
    };
    for (const Place& place : places) {
        for (const std::string& value : values) {
            SetUp();
            settings.style = 1;  // headings are written by the script
            Names fields = {"order_id", "customer", "total", "placed", "photo"};
            std::string base = "Sales";
            const Names expected = place.put(fields, base, value);
            SCOPED_TRACE(std::string(place.name) + ": " + value);
            QTemporaryDir dir;
            const fs::path out = dir.path().toStdString();
            const TAspScriptBuilder script(model, fields);
            rtl::TFileSetTransaction set;
            WriteAspPages(set, settings, script, parts, (out / (base + ".asp")).string());
            set.Commit();
            std::vector<std::string> constants;
            for (const auto& [file, text] : designertest::FilesOf(out)) {
                TScriptReading r = ReadScript(text);
                EXPECT_EQ(r.faults, std::vector<std::string>{}) << file;
                constants.insert(constants.end(), r.constants.begin(), r.constants.end());
            }
            for (const std::string& want : expected) {
                const bool found = std::any_of(constants.begin(), constants.end(), [&](const std::string& c) {
                    return c.find(want) != std::string::npos;
                });
                EXPECT_TRUE(found) << "not read back: " << want;
            }
        }
    }
}

}  // namespace

#include <QTemporaryDir>

#include "tests/db/MemDataSet.h"

namespace {

TEST(AspExport, AQueryThatIsNotOpenWritesNothingAndAnOpenOneWritesTheSet)
{
    dbtest::TMemDataSet query;
    query.columns = {{"ID", db::ftInteger}, {"NAME", db::ftString, 20}};
    query.AddRow({db::TVariant(1), db::TVariant("a \"b\"")});
    TColumnModel model;
    TAspPageSettings settings;
    settings.connectionString = "DSN=x";
    settings.sqlLines = {"SELECT * FROM t"};
    settings.frames = false;
    QTemporaryDir dir;
    const std::string file = dir.path().toStdString() + "/Shop.asp";
    try {
        ExportAspPages(settings, model, query, file, "");
        ADD_FAILURE() << "no error";
    } catch (const EPageExport& e) {
        EXPECT_EQ(e.Message(), "Can not save pages");
    }
    EXPECT_TRUE(fs::is_empty(dir.path().toStdString()));
    query.Open();
    model.RebuildColumnList("Reset", query);
    EXPECT_EQ(ExportAspPages(settings, model, query, file, "").records, 1);
    std::vector<std::string> written;
    for (const auto& f : fs::directory_iterator(dir.path().toStdString())) written.push_back(f.path().filename().string());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<std::string>{"Shop.asp", "Shop.css", "Shop_data.asp"}));
    const std::string data = rtl::ReadFileToString(dir.path().toStdString() + "/Shop_data.asp");
    EXPECT_NE(data.find("<td class=\"ThRows\">ID</td>"), std::string::npos);  // the header row of the first style
    EXPECT_NE(data.find("Rs(\"NAME\")"), std::string::npos);
}

}  // namespace
