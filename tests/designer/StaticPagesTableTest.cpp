// The static page set as a table: split x frames x layout (Report Style1, Report Style2 and a
// shipped layout style with an "images" folder) compared with golden folders, over rows held in
// memory, over a fresh SQLite file and over the PostgreSQL test server (skipped when GW_PG_PORT
// is unset or nothing answers there). The three sources hold the same rows, so they must
// write the same pages. Besides: page counts and index links for 0, 40, 41 and 45 rows at 20
// per page with and without frames, the whole style sheet and the font names in it.
// Set GW_UPDATE_GOLDEN=1 to write the golden files anew (then read the diff).

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include "designer/ColumnModel.h"
#include "designer/ExpStatic.h"
#include "designer/LayoutTemplate.h"
#include "platform/db/AdoConnection.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "tests/db/MemDataSet.h"
#include "tests/designer/GoldenFiles.h"

using namespace designer;
namespace fs = std::filesystem;

namespace {

const std::string kStyles = std::string(GW_SOURCE_DIR) + "/share/LayoutStyles";

// The rows every source holds: markup characters, quotes, non-ASCII text, NULLs, an unsafe
// address and an address with blanks, ampersands and quotes in it.
struct Row {
    int id;
    std::optional<std::string> name;
    std::optional<std::string> site;
};
const std::vector<Row> kRows = {
    {1, "Tom & Jerry <b>", "http://example.com/a b?x=1&y=\"2\""},
    {2, "Smörgåsbord \"quoted\" it's", "javascript:alert(1)"},
    {3, std::nullopt, std::nullopt},
    {4, "日本語 <i>x</i> > 5", "https://example.org/straße"},
    {5, "plain", ""},
};

// Everything below `folder`, by path relative to it ("images/frame.jpg").
std::map<std::string, std::string> TreeOf(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& f : fs::recursive_directory_iterator(folder))
        if (f.is_regular_file())
            files[fs::relative(f.path(), folder).generic_string()] = rtl::ReadFileToString(f.path().string());
    return files;
}

struct Layout {
    int style;
    const char* name;       // in the golden folder's name
    const char* styleName;  // the layout style's folder (style 2)
};
const Layout kLayouts[] = {{0, "style1", ""}, {1, "style2", ""}, {2, "catalog", "Catalog"}};

struct PageCase {
    bool split;
    bool frames;
    Layout layout;
    // Split off ignores frames: both settings share one golden folder.
    std::string Golden() const
    {
        return std::string(split ? (frames ? "table-split-frames-" : "table-split-") : "table-single-") + layout.name;
    }
    std::string Label() const { return Golden() + (split || !frames ? "" : " (frames on)"); }
};

std::vector<PageCase> AllCases()
{
    std::vector<PageCase> cases;
    for (bool split : {false, true})
        for (bool frames : {false, true})
            for (const Layout& l : kLayouts) cases.push_back({split, frames, l});
    return cases;
}

// The design settings of one case: both navigation bars, two records per page; the table
// colours chosen only for Report Style2, so the other layouts show pickers left at their
// first entry.
TPageSettings SettingsOf(const PageCase& c)
{
    TPageSettings s;
    s.split = c.split;
    s.frames = c.frames;
    s.frameBorder = false;
    s.recordsPerPage = 2;
    s.title = "Orders";
    s.header = "<h1>Orders &amp; items</h1>\r\n";
    s.footer = "<p>Zürich</p>\r\n";
    s.headerNavigation = 1;
    s.footerNavigation = 2;
    s.border = 1;
    s.fontName = "Verdana";
    s.fontSize = "9";
    for (int n = 1; n <= TExpHtml::ColorCount; ++n) s.colors.SetColor(n, 0x0A0B0C * n);
    if (c.layout.style == 1) {
        s.tableColor = 0xEEDDCC;
        s.borderColor = 0x0000FF;
    }
    s.style = c.layout.style;
    if (c.layout.style > 1) {
        s.styleName = c.layout.styleName;
        const auto style = LoadLayoutStyle(kStyles, s.styleName);
        if (style) s.templateText = style->templateText;
    }
    return s;
}

// The column model as the window builds it for the query, with the address column linked.
void BuildColumns(TColumnModel& model, db::TDataSet& query)
{
    model.RebuildColumnList("Reset", query);
    model.HyperlinkTypeList.Put(2, "1");
    model.UrlList.Put(2, "[SITE]");
}

// Exports into a fresh folder; the files written, by relative path.
std::map<std::string, std::string> ExportCase(const PageCase& c, db::TDataSet& query)
{
    const TPageSettings settings = SettingsOf(c);
    TColumnModel model;
    BuildColumns(model, query);
    QTemporaryDir dir;
    const fs::path out = dir.path().toStdString();
    const int records = ExportHtmlPages(THtmlExport{settings, model, query, {}, kStyles}, (out / "Sales.html").string()).records;
    EXPECT_EQ(records, static_cast<int>(kRows.size()));
    EXPECT_TRUE(query.Eof());
    return TreeOf(out);
}

// Checks one case's files: the style's pictures copied as shipped, the colour attributes only
// where a colour was chosen, no raw data markup, then the golden folder.
void CheckCase(const PageCase& c, std::map<std::string, std::string> files)
{
    SCOPED_TRACE(c.Label());
    if (c.layout.style > 1) {
        const auto shipped = TreeOf(fs::path(kStyles) / c.layout.styleName / "images");
        ASSERT_FALSE(shipped.empty());
        for (const auto& [name, bytes] : shipped) {
            const auto copied = files.find("images/" + name);
            ASSERT_NE(copied, files.end()) << name;
            EXPECT_EQ(copied->second, bytes) << name;
            files.erase(copied);
        }
    }
    std::string all;
    for (const auto& [name, text] : files) {
        SCOPED_TRACE(name);
        EXPECT_EQ(name.find('/'), std::string::npos);  // nothing else in a sub-folder
        all += text;
        if (text.find("<Table ") == std::string::npos) continue;  // not a data page
        if (c.layout.style == 1) {
            EXPECT_NE(text.find(" BgColor=\"#CCDDEE\" BorderColor=\"#FF0000\">"), std::string::npos);
        } else {
            EXPECT_EQ(text.find("BgColor"), std::string::npos);
            EXPECT_EQ(text.find("BorderColor"), std::string::npos);
        }
    }
    // Data escaped wherever the layout puts it; an unsafe address never becomes a link.
    for (const char* raw : {"Jerry <b>", "<i>x</i>", "\"quoted\"", "it's", "href=\"javascript"})
        EXPECT_EQ(all.find(raw), std::string::npos) << raw;
    for (const char* escaped : {"Tom &amp; Jerry &lt;b&gt;", "Smörgåsbord &quot;quoted&quot; it&#39;s",
                                "日本語 &lt;i&gt;x&lt;/i&gt; &gt; 5"})
        EXPECT_NE(all.find(escaped), std::string::npos) << escaped;
    designertest::CompareWithGolden(files, "static", c.Golden());
}

std::unique_ptr<dbtest::TMemDataSet> MemRows()
{
    auto q = std::make_unique<dbtest::TMemDataSet>();
    q->columns = {{"ID", db::ftInteger}, {"NAME", db::ftString, 40}, {"SITE", db::ftString, 60}};
    const auto v = [](const std::optional<std::string>& t) { return t ? db::TVariant(*t) : db::TVariant(); };
    for (const Row& r : kRows) q->AddRow({db::TVariant(r.id), v(r.name), v(r.site)});
    q->Open();
    return q;
}

TEST(StaticPageTable, SplitFramesAndLayoutsOverRowsInMemory)
{
    for (const PageCase& c : AllCases()) {
        auto query = MemRows();
        CheckCase(c, ExportCase(c, *query));
    }
}

// The same rows in a real database, read through the connection the design window uses.
class StaticPageTableOnDb : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        std::string init;
        if (std::string(GetParam()) == "SQLite") {
            const std::string file = home.path().toStdString() + "/pages.db";
            rtl::WriteStringToFile(file, "");
            init = db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + file);
            table = "\"gw pages\"";
        } else {
            const char* port = std::getenv("GW_PG_PORT");
            if (port == nullptr || *port == '\0') GTEST_SKIP() << "GW_PG_PORT is not set";
            init = db::FormatInitString({{"Provider", "MSDASQL.1"},
                                         {"User ID", "gridweaver"},
                                         {"Password", "gridweaver"},
                                         {"Extended Properties", "DRIVER={PostgreSQL Unicode};Server=127.0.0.1;Port=" +
                                                                     std::string(port) + ";Database=gridweaver_test"}});
            table = "\"gw pages " + std::to_string(::getpid()) + "\"";
        }
        conn = std::make_unique<db::TADOConnection>(nullptr);
        conn->SetLoginPrompt(false);
        conn->SetConnectionString(init);
        try {
            conn->Open();
        } catch (const rtl::Exception& e) {
            GTEST_SKIP() << GetParam() << " does not answer: " << e.Message();
        }
        conn->Execute("DROP TABLE IF EXISTS " + table);
        conn->Execute("CREATE TABLE " + table + " (\"ID\" INTEGER PRIMARY KEY, \"NAME\" VARCHAR(40), \"SITE\" VARCHAR(60))");
        const auto lit = [](const std::optional<std::string>& t) {
            if (!t) return std::string("NULL");
            std::string q = "'";
            for (char ch : *t) q += ch == '\'' ? std::string("''") : std::string(1, ch);
            return q + "'";
        };
        for (const Row& r : kRows)
            conn->Execute("INSERT INTO " + table + " VALUES (" + std::to_string(r.id) + ", " + lit(r.name) + ", " + lit(r.site) + ")");
    }
    void TearDown() override
    {
        if (conn && conn->Connected()) {
            try {
                conn->Execute("DROP TABLE IF EXISTS " + table);
            } catch (const rtl::Exception&) {
            }
        }
    }
    std::unique_ptr<db::TADOQuery> Query()
    {
        auto q = std::make_unique<db::TADOQuery>(nullptr);
        q->SetConnection(conn.get());
        q->SQL()->SetText("SELECT \"ID\", \"NAME\", \"SITE\" FROM " + table + " ORDER BY \"ID\"");
        q->Open();
        return q;
    }

    QTemporaryDir home;
    std::string table;
    std::unique_ptr<db::TADOConnection> conn;
};

TEST_P(StaticPageTableOnDb, WritesTheSamePagesAsFromMemory)
{
    for (const PageCase& c : AllCases()) {
        auto query = Query();
        CheckCase(c, ExportCase(c, *query));
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, StaticPageTableOnDb, ::testing::Values("SQLite", "PostgreSQL"));

// Page counts, the data pages' rows and the index's links for the edge sizes, with and
// without frames.
TEST(StaticPageTable, PageCountsAndIndexLinks)
{
    struct Case {
        int rows;
        std::vector<int> rowsPerPage;
    };
    const Case cases[] = {{0, {0}}, {40, {20, 20}}, {41, {20, 20, 1}}, {45, {20, 20, 5}}};
    for (const Case& c : cases) {
        for (bool frames : {false, true}) {
            SCOPED_TRACE(std::to_string(c.rows) + (frames ? " rows, frames" : " rows"));
            dbtest::TMemDataSet rows;
            rows.columns = {{"ID", db::ftInteger}};
            for (int i = 1; i <= c.rows; ++i) rows.AddRow({db::TVariant(i)});
            rows.Open();
            TColumnModel columns;
            columns.RebuildColumnList("Reset", rows);
            TPageSettings s;
            s.recordsPerPage = 20;
            s.frames = frames;
            QTemporaryDir dir;
            const fs::path out = dir.path().toStdString();
            EXPECT_EQ(ExportHtmlPages(THtmlExport{s, columns, rows, {}, ""}, (out / "Sales.html").string()).records, c.rows);
            const auto files = TreeOf(out);

            std::vector<std::string> expectedNames = {"Sales.css", "Sales.html"};
            std::string links;
            const int pages = static_cast<int>(c.rowsPerPage.size());
            for (int p = 1; p <= pages; ++p) {
                const std::string page = "Sales0" + std::to_string(p) + ".html";
                expectedNames.push_back(page);
                links += "<LI><a href=\"" + page + "\"" + (frames ? " target=\"mainFrame\" " : "") + ">Page" +
                         std::to_string(p) + "</a>\r\n";
            }
            if (frames) expectedNames.push_back("Sales_index.html");
            std::vector<std::string> names;
            for (const auto& [name, text] : files) names.push_back(name);
            EXPECT_EQ(names, expectedNames);

            const std::string index = files.at(frames ? "Sales_index.html" : "Sales.html");
            EXPECT_EQ(index, "<HTML>\r\n<HEAD>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\r\n"
                             "<link rel=\"stylesheet\" type=\"text/css\" href=\"Sales.css\">\r\n"
                             "</HEAD>\r\n<BODY>\r\n<UL>\r\n" +
                                 links + "</UL>\r\n</BODY>\r\n</HTML>\r\n");
            if (frames) {
                const std::string& frameset = files.at("Sales.html");
                EXPECT_NE(frameset.find("<frame name=\"leftFrame\" src=\"Sales_index.html\">\r\n"), std::string::npos);
                EXPECT_NE(frameset.find("<frame name=\"mainFrame\" src=\"Sales01.html\">\r\n"), std::string::npos);
            }
            std::vector<int> counted;
            for (int p = 1; p <= pages; ++p) {
                const std::string& text = files.at("Sales0" + std::to_string(p) + ".html");
                int n = 0;
                for (std::size_t at = text.find("<tr>"); at != std::string::npos; at = text.find("<tr>", at + 1)) ++n;
                counted.push_back(n - 1);  // less the header row
            }
            EXPECT_EQ(counted, c.rowsPerPage);
        }
    }
}

// A settings record with a group size below 1 (a window clamps its spin edit; other callers
// may not) pages one record at a time rather than writing pages without their rows.
TEST(StaticPageTable, AGroupSizeBelowOnePagesOneRecordAtATime)
{
    for (int per : {0, -5}) {
        SCOPED_TRACE(per);
        auto query = MemRows();
        TColumnModel model;
        BuildColumns(model, *query);
        TPageSettings s;
        s.frames = false;
        s.recordsPerPage = per;
        QTemporaryDir dir;
        const fs::path out = dir.path().toStdString();
        ExportHtmlPages(THtmlExport{s, model, *query, {}, ""}, (out / "Sales.html").string());
        const auto files = TreeOf(out);
        EXPECT_EQ(files.size(), kRows.size() + 2);  // the index, the sheet and one page a record
        for (std::size_t p = 1; p <= kRows.size(); ++p) {
            const std::string& page = files.at("Sales0" + std::to_string(p) + ".html");
            EXPECT_NE(page.find(">" + std::to_string(p) + "</td>"), std::string::npos) << p;
        }
    }
}

TEST(StaticPageTable, TheWholeStyleSheet)
{
    TPageSettings s;
    // Colours are kept blue-green-red: 0x0000FF is red on the page.
    for (int n = 1; n <= TExpHtml::ColorCount; ++n) s.colors.SetColor(n, 0x000001 * n + 0x010000 * (16 - n));
    s.fontSize = "12";
    s.backgroundImage = "/pictures/back ground.jpg";
    const std::string font = "       font-family: Arial;\r\n       font-size: 12pt;\r\n";
    const std::string css = BuildStyleSheet(s);
    EXPECT_EQ(css, "BODY { background: #01000F; color: #04000C;\r\n" + font +
                       "background-image: url(back ground.jpg)\r\n"
                       "}\r\n"
                       "A:link { color: #05000B; }\r\n"
                       "A:visited { color: #06000A; }\r\n"
                       "A:active { color: #070009; }\r\n"
                       ".ThRows { background-color: #080008; color: #090007;\r\n"
                       "          font-weight: bold; text-align: center;\r\n" +
                       font + "}\r\n.TrRows { background-color: #0B0005; color: #0C0004;\r\n" + font +
                       "}\r\n.TrOdd  { background-color: #0A0006; color: #0C0004;\r\n" + font + "}");

    // Written with a line end after the last brace too; no picture, no picture line.
    s.backgroundImage.clear();
    s.fontName = "Times New Roman";
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    rtl::TFileSetTransaction set;
    WriteStyleSheet(set, s, folder + "Shop.html", "Shop");
    set.Commit();
    const std::string written = rtl::ReadFileToString(folder + "Shop.css");
    EXPECT_EQ(written, BuildStyleSheet(s) + "\r\n");
    EXPECT_EQ(written.find("background-image"), std::string::npos);
    EXPECT_NE(written.find("       font-family: \"Times New Roman\";\r\n"), std::string::npos);
}

// The font name goes in as its family only, quoted when it is more than a plain name, and no
// name can end the value or the style sheet.
TEST(StaticPageTable, TheFontNameGoesInAsItsFamily)
{
    const struct {
        const char* name;
        const char* family;
    } cases[] = {
        {"", "Arial"},
        {"Arial", "Arial"},
        {"C059 [UKWN]", "C059"},
        {"Noto Sans [GOOG]", "\"Noto Sans\""},
        {"[UKWN]", "Arial"},
        {"Times New Roman", "\"Times New Roman\""},
        {"Gill_Sans-MT", "Gill_Sans-MT"},
        {"Übersicht", "Übersicht"},
        {"8514oem", "\"8514oem\""},
        {"a;color:red", "\"a\\3B color:red\""},
        {"x\"; } body { color: red", "\"x\\22 \\3B  } body { color: red\""},
        {"back\\slash", "\"back\\5C slash\""},
        {"</style><script>alert(1)</script>", "\"\\3C /style\\3E \\3C script\\3E alert(1)\\3C /script\\3E \""},
        {"two\nlines", "\"two\\0A lines\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TPageSettings s;
        s.fontName = c.name;
        s.fontSize = "9";
        const std::string css = BuildStyleSheet(s);
        const std::string line = std::string("       font-family: ") + c.family + ";\r\n";
        std::size_t count = 0;
        for (std::size_t at = css.find(line); at != std::string::npos; at = css.find(line, at + 1)) ++count;
        EXPECT_EQ(count, 4u) << css;
        // Nothing but the four declarations ends a value or opens markup.
        EXPECT_EQ(std::count(css.begin(), css.end(), '<'), 0);
        EXPECT_EQ(std::count(css.begin(), css.end(), ';'), 21) << css;
    }
}

}  // namespace
