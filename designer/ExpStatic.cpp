#include "designer/ExpStatic.h"

#include <filesystem>

#include "designer/HtmlRows.h"
#include "designer/LayoutTemplate.h"
#include "designer/PageLinks.h"
#include "platform/db/DataSet.h"
#include "platform/rtl/Colors.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TextWriter.h"

namespace designer {

namespace fs = std::filesystem;

std::string OutputFolder(const std::string& fileName)
{
    const std::size_t slash = fileName.find_last_of('/');
    return slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1);
}

std::string OutputBaseName(const std::string& fileName) { return fs::path(fileName).stem().string(); }

int GetPageCount(int records, int recordsPerPage)
{
    if (records < 1) return 1;
    const int per = std::max(recordsPerPage, 1);
    return (records + per - 1) / per;
}

namespace {

std::string C(const TPageSettings& s, int n) { return rtl::ColorToHtml(s.colors.Color(n)); }

std::string FontLines(const TPageSettings& s)
{
    return "       font-family: " + (s.fontName.empty() ? std::string("Arial") : s.fontName) + ";\r\n" +
           "       font-size: " + s.fontSize + "pt;\r\n";
}

// Writes each piece followed by CR LF; the file is closed on every path.
class TPage {
public:
    explicit TPage(const std::string& path) : writer_(path) {}
    TPage& operator<<(std::string_view piece)
    {
        writer_.WriteLine(piece);
        return *this;
    }
    void Close() { writer_.Close(); }

private:
    rtl::TTextFileWriter writer_;
};

}  // namespace

std::string BuildStyleSheet(const TPageSettings& s)
{
    std::string css = "BODY { background: " + C(s, pcPageBackground) + "; color: " + C(s, pcText) + ";\r\n" + FontLines(s);
    if (!s.backgroundImage.empty()) css += "background-image: url(" + fs::path(s.backgroundImage).filename().string() + ")\r\n";
    css += "}\r\n";
    css += "A:link { color: " + C(s, pcLink) + "; }\r\n";
    css += "A:visited { color: " + C(s, pcVisitedLink) + "; }\r\n";
    css += "A:active { color: " + C(s, pcActiveLink) + "; }\r\n";
    css += ".ThRows { background-color: " + C(s, pcHeaderBackground) + "; color: " + C(s, pcHeaderText) + ";\r\n";
    css += "          font-weight: bold; text-align: center;\r\n" + FontLines(s) + "}\r\n";
    css += ".TrRows { background-color: " + C(s, pcOddRowBackground) + "; color: " + C(s, pcDataText) + ";\r\n";
    css += FontLines(s) + "}\r\n";
    css += ".TrOdd  { background-color: " + C(s, pcRowBackground) + "; color: " + C(s, pcDataText) + ";\r\n";
    css += FontLines(s) + "}";
    return css;
}

void WriteFrameset(const TPageSettings& s, const std::string& fileName, const std::string& base)
{
    if (!s.split || !s.frames) return;
    TPage page(fileName);
    page << "<html>" << "<head>" << "<title>" + s.title + "</title>" << "</head>"
         << std::string("<frameset cols=\"120,*\" frameborder=\"") + (s.frameBorder ? "YES" : "NO") +
                "\" bordercolor=\"#000000\">"
         << "<frame name=\"leftFrame\" src=\"" + base + "_index.html\">"
         << "<frame name=\"mainFrame\" src=\"" + base + "01.html\">" << "</frameset>"
         << "<noframes><body bgcolor=\"#FFFFFF\" text=\"#000000\">" << "</body></noframes>" << "</html>";
    page.Close();
}

void WriteIndexPage(const TPageSettings& s, int pageCount, const std::string& fileName, const std::string& base)
{
    if (!s.split) return;
    const std::string path = s.frames ? OutputFolder(fileName) + base + "_index.html" : fileName;
    const std::string target = s.frames ? " target=\"mainFrame\" " : "";
    TPage page(path);
    page << "<HTML>" << "<HEAD>" << "<link rel=\"stylesheet\" type=\"text/css\" href=\"" + base + ".css\">"
         << "</HEAD>\r\n<BODY>\r\n<UL>";
    for (int p = 1; p <= pageCount; ++p)
        page << "<LI><a href=\"" + base + PageNumberText(p) + ".html\"" + target + ">Page" + std::to_string(p) + "</a>";
    page << "</UL>\r\n</BODY>\r\n</HTML>";
    page.Close();
}

void WriteStyleSheet(const TPageSettings& s, const std::string& fileName, const std::string& base)
{
    TPage page(OutputFolder(fileName) + base + ".css");
    page << BuildStyleSheet(s);
    page.Close();
}

void WriteDataPages(const THtmlExport& e, const std::string& fileName, const std::string& base)
{
    const TPageSettings& s = e.settings;
    const int per = s.RecordsPerPage();
    const int pages = s.split ? GetPageCount(e.query.RecordCount(), per) : 1;
    const std::string borderAttr = s.borderColor ? " BorderColor=\"" + rtl::ColorToHtml(*s.borderColor) + "\"" : "";
    const std::string bgAttr = s.tableColor ? " BgColor=\"" + rtl::ColorToHtml(*s.tableColor) + "\"" : "";
    TPageLinks links;
    links.Base = base;
    if (!s.split) links.SinglePage = fs::path(fileName).filename().string();
    THtmlRowBuilder rows(e.columns, e.query);
    rows.TemplateOutput = e.templateOutput;
    if (!rows.TemplateOutput && s.style > 1) {
        // The loaded style's template for the current record: headings and cell contents.
        rows.TemplateOutput = [&] {
            return ExpandLayoutTemplate(s.templateText, e.columns,
                                        {[&](int i) { return rows.HeadingHtml(i); }, [&](int i) { return rows.BuildCellContent(i); }});
        };
    }
    e.query.First();
    for (int p = 1; p <= pages; ++p) {
        TPage page(s.split ? OutputFolder(fileName) + base + PageNumberText(p) + ".html" : fileName);
        page << "<HTML>" << "<HEAD>" << "<Title>" + s.title + "</Title>"
             << "<link rel=\"stylesheet\" type=\"text/css\" href=\"" + base + ".css\">" << "</HEAD>" << "<BODY>";
        page << s.header << "<A NAME=top></A>" << BuildNavigationBar(s.headerNavigation, pages, p, true, links);
        page << "<Table Border=\"" + std::to_string(s.border) + "\" Cellpadding=\"" + std::to_string(s.padding) +
                    "\" Cellspacing=\"" + std::to_string(s.spacing) + "\"" + bgAttr + borderAttr + ">";
        if (s.style == 0) page << rows.BuildHeaderRow();
        for (int r = 0; !e.query.Eof() && (!s.split || r < per); ++r) {
            page << (s.style == 0 ? rows.BuildRowStyle1(r) : s.style == 1 ? rows.BuildRowStyle2(r) : rows.BuildTemplateRow(r));
            e.query.Next();
        }
        page << "</Table><br>" << BuildNavigationBar(s.footerNavigation, pages, p, false, links) << "<A NAME=bottom></A>"
             << s.footer << "</BODY>" << "</HTML>";
        page.Close();
    }
}

void CopyStyleImages(const std::string& layoutStylesDir, const std::string& styleName, const std::string& fileName)
{
    std::error_code ec;
    const fs::path source = fs::path(layoutStylesDir) / styleName / "images";
    if (!fs::is_directory(source, ec)) return;
    const fs::path target = fs::path(OutputFolder(fileName)) / "images";
    if (!fs::is_directory(target, ec) && !fs::create_directory(target, ec)) return;
    for (fs::directory_iterator it(source, ec), end; !ec && it != end; it.increment(ec))
        fs::copy(it->path(), target / it->path().filename(), fs::copy_options::overwrite_existing, ec);
}

void CopyBackgroundImage(const std::string& backgroundImage, const std::string& fileName)
{
    std::error_code ec;
    if (backgroundImage.empty() || !fs::is_regular_file(backgroundImage, ec)) return;
    const fs::path target = fs::path(OutputFolder(fileName)) / fs::path(backgroundImage).filename();
    if (fs::equivalent(backgroundImage, target, ec)) return;
    fs::copy_file(backgroundImage, target, fs::copy_options::overwrite_existing, ec);
}

int ExportHtmlPages(const THtmlExport& e, const std::string& fileName)
{
    const TPageSettings& s = e.settings;
    const std::string base = OutputBaseName(fileName);
    const int records = e.query.RecordCount();
    WriteFrameset(s, fileName, base);
    WriteIndexPage(s, GetPageCount(records, s.RecordsPerPage()), fileName, base);
    WriteStyleSheet(s, fileName, base);
    WriteDataPages(e, fileName, base);
    if (s.style > 1) CopyStyleImages(e.layoutStylesDir, s.styleName, fileName);
    CopyBackgroundImage(s.backgroundImage, fileName);
    return records;
}

}  // namespace designer
