// The head of every kind of page the writers produce (static and server-side framesets, index
// and data pages, the preview's refresh notice): it declares UTF-8 before anything else, the
// title the author typed is text, and a server-side page that writes text sends it as UTF-8.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>

#include "designer/AspScript.h"
#include "designer/ColumnModel.h"
#include "designer/ExpAsp.h"
#include "designer/ExpStatic.h"
#include "designer/FDesign.h"
#include "platform/rtl/Files.h"
#include "tests/db/MemDataSet.h"

using namespace designer;
namespace fs = std::filesystem;

namespace {

constexpr const char* kMeta = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">";
constexpr const char* kTitle = "<b>&\"x";
constexpr const char* kTitleText = "&lt;b&gt;&amp;&quot;x";

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

struct PageCase {
    const char* name;
    bool asp;
    bool split;
    bool frames;
    const char* file;  // the page of the set this case reads
    bool titled;       // the page has a title
    bool script;       // the page writes text from its script
};

// Writes the set a case names into `out` (the chosen file is Sales.html or Sales.asp).
void WriteSet(const PageCase& c, const fs::path& out)
{
    dbtest::TMemDataSet query;
    query.columns = {{"ID", db::ftInteger}, {"NAME", db::ftString, 20}};
    query.AddRow({db::TVariant(1), db::TVariant("Zoë")});
    query.Open();
    TColumnModel model;
    model.RebuildColumnList("Reset", query);
    TAspPageSettings s;
    s.title = kTitle;
    s.split = c.split;
    s.frames = c.frames;
    s.connectionString = "DSN=x";
    s.sqlLines = {"SELECT * FROM t"};
    if (c.asp)
        ExportAspPages(s, model, query, (out / "Sales.asp").string(), "");
    else
        ExportHtmlPages(THtmlExport{s, model, query, {}, ""}, (out / "Sales.html").string());
}

TEST(PageHead, EveryPageDeclaresUtf8AndShowsItsTitleAsTyped)
{
    const PageCase cases[] = {
        {"static frameset", false, true, true, "Sales.html", true, false},
        {"static index in a frame", false, true, true, "Sales_index.html", false, false},
        {"static data page of a split set", false, true, true, "Sales01.html", true, false},
        {"static index without frames", false, true, false, "Sales.html", false, false},
        {"static single page", false, false, false, "Sales.html", true, false},
        {"server frameset", true, true, true, "Sales.asp", true, false},
        {"server index in a frame", true, true, true, "Sales_index.asp", false, true},
        {"server data page of a split set", true, true, true, "Sales_data.asp", true, true},
        {"server index without frames", true, true, false, "Sales.asp", false, true},
        {"server single page", true, false, false, "Sales.asp", true, true},
    };
    for (const PageCase& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const fs::path out = dir.path().toStdString();
        WriteSet(c, out);
        const std::string page = rtl::ReadFileToString((out / c.file).string());
        const std::string lower = Lower(page);
        const std::size_t head = lower.find("<head>\r\n");
        ASSERT_NE(head, std::string::npos);
        // The declaration opens the head: a browser looks for it in the first bytes only.
        EXPECT_EQ(page.compare(head + 8, std::string(kMeta).size(), kMeta), 0) << page.substr(head, 120);
        EXPECT_LT(head, lower.find("</head>"));
        EXPECT_EQ(page.find(kTitle), std::string::npos);
        EXPECT_EQ(lower.find("<title>" + Lower(kTitleText) + "</title>") != std::string::npos, c.titled);
        if (c.script) {
            // Before the first text the script writes, and the literals read as the UTF-8 they are.
            const std::size_t write = page.find("Response.Write");
            ASSERT_NE(write, std::string::npos);
            EXPECT_TRUE(page.starts_with("<%@Language=VBScript CodePage=65001%>\r\n"));
            EXPECT_LT(page.find("Response.CodePage = 65001\r\n"), write);
            EXPECT_LT(page.find("Response.Charset = \"utf-8\"\r\n"), write);
        }
    }
}

TEST(PageHead, TheRefreshNoticeDeclaresUtf8)
{
    const std::vector<std::string>& lines = RefreshNoticeLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[1], "<head>");
    EXPECT_EQ(lines[2], kMeta);
}

}  // namespace
