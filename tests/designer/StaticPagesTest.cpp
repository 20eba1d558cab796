// The static page set written from the design settings over an in-memory query: golden pages
// for split, frames and the three layouts; the page counts; data escaped in cells and
// addresses; failures of the disk. Set GW_UPDATE_GOLDEN=1 to write the golden files anew.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "designer/ColumnModel.h"
#include "designer/ExpStatic.h"
#include "tests/designer/GoldenFiles.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "tests/db/MemDataSet.h"
#include "tests/rtl/FailingSaves.h"

using namespace designer;
namespace fs = std::filesystem;

namespace {


class StaticPages : public ::testing::Test {
protected:
    void SetUp() override
    {
        query.columns = {{"ID", db::ftInteger}, {"NAME", db::ftString, 40}, {"PRICE", db::ftFloat}, {"SITE", db::ftString, 60}};
        Fill(3);
        settings.title = "Orders & more";
        settings.header = "<h1 class=\"top\">Orders</h1>\r\n";
        settings.footer = "<p>Zürich</p>\r\n";
        settings.headerNavigation = 1;
        settings.footerNavigation = 2;
        settings.recordsPerPage = 2;
        settings.tableColor = 0xFFFFFF;
        settings.fontName = "Verdana";
        for (int n = 1; n <= TExpHtml::ColorCount; ++n) settings.colors.SetColor(n, 0x101010 * n);
    }
    void Fill(int rows)
    {
        if (query.Active()) query.Close();
        const char* names[] = {"Tom & Jerry <b>", "Smörgåsbord \"quoted\" it's", "plain"};
        for (int i = 1; i <= rows; ++i)
            query.AddRow({db::TVariant(i), db::TVariant(names[(i - 1) % 3]), db::TVariant(i * 1.5),
                          db::TVariant(i == 2 ? "javascript:alert(1)" : "http://example.com/a b")});
        query.Open();
        model.RebuildColumnList("Reset", query);
        model.HyperlinkTypeList.Put(3, "1");
        model.UrlList.Put(3, "[SITE]");
    }
    // The files the export wrote into a fresh folder, by name.
    std::map<std::string, std::string> Export(const std::string& name = "Sales.html")
    {
        QTemporaryDir dir;
        const fs::path out = dir.path().toStdString();
        THtmlExport e{settings, model, query, [] { return std::string("<b>template</b>"); }, ""};
        ExportHtmlPages(e, (out / name).string());
        return designertest::FilesOf(out);
    }
    void Check(const std::string& name) { designertest::CompareWithGolden(Export(), "static", name); }

    dbtest::TMemDataSet query;
    TColumnModel model;
    TPageSettings settings;
};

TEST_F(StaticPages, SplitWithFramesReportStyle1)
{
    Check("split-frames-style1");
}

TEST_F(StaticPages, SplitWithoutFramesReportStyle2)
{
    settings.frames = false;
    settings.style = 1;
    settings.borderColor = 0x0000FF;
    settings.backgroundImage = "/nowhere/back.jpg";  // named in the sheet; a missing file is not copied
    Check("split-style2");
}

TEST_F(StaticPages, SingleTemplatePage)
{
    settings.split = false;
    settings.style = 2;
    settings.tableColor.reset();
    Check("single-template");
}

TEST_F(StaticPages, PageCountsAndRowsPerPage)
{
    struct Case {
        int rows;
        bool split;
        std::vector<std::string> files;
        std::vector<int> rowsPerPage;
    };
    settings.recordsPerPage = 20;
    settings.frames = false;
    const std::vector<Case> cases = {
        {0, false, {"Sales.css", "Sales.html"}, {0}},
        {0, true, {"Sales.css", "Sales.html", "Sales01.html"}, {0}},
        {40, true, {"Sales.css", "Sales.html", "Sales01.html", "Sales02.html"}, {20, 20}},
        {41, true, {"Sales.css", "Sales.html", "Sales01.html", "Sales02.html", "Sales03.html"}, {20, 20, 1}},
        {45, true, {"Sales.css", "Sales.html", "Sales01.html", "Sales02.html", "Sales03.html"}, {20, 20, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.rows) + (c.split ? " split" : ""));
        dbtest::TMemDataSet rows;
        rows.columns = {{"ID", db::ftInteger}};
        for (int i = 1; i <= c.rows; ++i) rows.AddRow({db::TVariant(i)});
        rows.Open();
        TColumnModel columns;
        columns.RebuildColumnList("Reset", rows);
        settings.split = c.split;
        QTemporaryDir dir;
        const fs::path out = dir.path().toStdString();
        ExportHtmlPages(THtmlExport{settings, columns, rows, {}, ""}, (out / "Sales.html").string());
        std::map<std::string, std::string> files;
        for (const auto& f : fs::directory_iterator(out)) files[f.path().filename().string()] = rtl::ReadFileToString(f.path().string());
        std::vector<std::string> names;
        for (const auto& [n, text] : files) names.push_back(n);
        EXPECT_EQ(names, c.files);
        std::vector<int> counted;
        for (std::size_t p = 0; p < c.rowsPerPage.size(); ++p) {
            const std::string page = c.split ? "Sales" + std::string(p < 9 ? "0" : "") + std::to_string(p + 1) + ".html" : "Sales.html";
            const std::string& text = files.at(page);
            int n = 0;
            for (std::size_t at = text.find("<tr>"); at != std::string::npos; at = text.find("<tr>", at + 1)) ++n;
            counted.push_back(n - 1);  // less the header row
        }
        EXPECT_EQ(counted, c.rowsPerPage);
        if (c.split) {
            const std::string& index = files.at("Sales.html");
            EXPECT_NE(index.find("Page" + std::to_string(c.rowsPerPage.size()) + "</a>"), std::string::npos);
        }
    }
}

TEST_F(StaticPages, DataIsEscapedAndUnsafeAddressesAreNotLinked)
{
    settings.split = false;
    const std::string page = Export().at("Sales.html");
    EXPECT_NE(page.find("Tom &amp; Jerry &lt;b&gt;"), std::string::npos);
    EXPECT_NE(page.find("Smörgåsbord &quot;quoted&quot; it&#39;s"), std::string::npos);
    EXPECT_EQ(page.find("Jerry <b>"), std::string::npos);
    EXPECT_NE(page.find("href=\"http://example.com/a%20b\""), std::string::npos);
    // Shown as its text, never as a link.
    EXPECT_EQ(page.find("href=\"javascript"), std::string::npos);
    EXPECT_NE(page.find(">javascript:alert(1)</td>"), std::string::npos);
}

TEST_F(StaticPages, AFolderThatCannotBeWrittenRaises)
{
    // The "folder" is a file: no page can be created in it, whoever runs the test.
    QTemporaryDir dir;
    const fs::path notAFolder = fs::path(dir.path().toStdString()) / "plain.txt";
    rtl::WriteStringToFile(notAFolder.string(), "x");
    THtmlExport e{settings, model, query, {}, ""};
    EXPECT_THROW(ExportHtmlPages(e, (notAFolder / "Sales.html").string()), rtl::Exception);
}

TEST_F(StaticPages, AFullDiskStopsTheExportWithAnError)
{
    QTemporaryDir dir;
    const std::string file = dir.path().toStdString() + "/Sales.html";
    settings.header = std::string(20000, 'h');
    const std::string report = gwtest::WithFileSizeLimit(8192, [&] {
        THtmlExport e{settings, model, query, {}, ""};
        try {
            ExportHtmlPages(e, file);
            return std::string("exported");
        } catch (const rtl::Exception&) {
            return std::string("raised");
        }
    });
    EXPECT_EQ(report, "raised");
}

}  // namespace

namespace {

TEST_F(StaticPages, ALoadedStylesTemplateLaysOutEachRecord)
{
    settings.split = false;
    settings.style = 2;
    settings.templateText = "<div class=\"card\"><b><#T2></b>: <#V2> <#V9></div>";
    QTemporaryDir dir;
    const fs::path out = dir.path().toStdString();
    ExportHtmlPages(THtmlExport{settings, model, query, {}, ""}, (out / "Sales.html").string());
    const std::string page = rtl::ReadFileToString((out / "Sales.html").string());
    EXPECT_NE(page.find("<tr><td>\r\n<div class=\"card\"><b>NAME</b>: Tom &amp; Jerry &lt;b&gt; </div>\r\n</td></tr>"),
              std::string::npos);
    EXPECT_NE(page.find("<b>NAME</b>: plain </div>"), std::string::npos);
}

}  // namespace
