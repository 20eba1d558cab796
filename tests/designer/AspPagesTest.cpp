// The server-side page sets compared with golden files: split off, split, split with frames;
// the three layouts; both navigation kinds; every hyperlink type; doubled quotes and the page
// guard. Set GW_UPDATE_GOLDEN=1 to write the golden files anew (then read the diff).

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "designer/AspScript.h"
#include "designer/ColumnModel.h"
#include "designer/ExpAsp.h"
#include "tests/designer/GoldenFiles.h"
#include "platform/rtl/Files.h"

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
