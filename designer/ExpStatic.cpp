#include "designer/ExpStatic.h"

#include <filesystem>
#include <limits>

#include "designer/HtmlRows.h"
#include "designer/HtmlText.h"
#include "designer/LayoutTemplate.h"
#include "designer/PageLinks.h"
#include "platform/db/AdoConnection.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"
#include "platform/db/DataSet.h"
#include "platform/db/Fields.h"
#include "platform/db/ForwardQuery.h"
#include "platform/rtl/Colors.h"
#include "platform/rtl/Log.h"
#include "platform/rtl/SysUtils.h"

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
    const std::string family = CssFontFamily(s.fontName);
    return "       font-family: " + (family.empty() ? std::string("Arial") : family) + ";\r\n" +
           "       font-size: " + s.fontSize + "pt;\r\n";
}

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

void WriteFrameset(rtl::TFileSetTransaction& set, const TPageSettings& s, const std::string& fileName, const std::string& base)
{
    if (!s.split || !s.frames) return;
    TPageLines page(set, fileName);
    page << "<html>" << "<head>" << kUtf8Meta << "<title>" + HtmlEscape(s.title) + "</title>" << "</head>"
         << std::string("<frameset cols=\"120,*\" frameborder=\"") + (s.frameBorder ? "YES" : "NO") +
                "\" bordercolor=\"#000000\">"
         << "<frame name=\"leftFrame\" src=\"" + base + "_index.html\">"
         << "<frame name=\"mainFrame\" src=\"" + base + "01.html\">" << "</frameset>"
         << "<noframes><body bgcolor=\"#FFFFFF\" text=\"#000000\">" << "</body></noframes>" << "</html>";
    page.Close();
}

void WriteIndexPage(rtl::TFileSetTransaction& set, const TPageSettings& s, int pageCount, const std::string& fileName,
                    const std::string& base)
{
    if (!s.split) return;
    const std::string path = s.frames ? OutputFolder(fileName) + base + "_index.html" : fileName;
    const std::string target = s.frames ? " target=\"mainFrame\" " : "";
    TPageLines page(set, path);
    page << "<HTML>" << "<HEAD>" << kUtf8Meta << "<link rel=\"stylesheet\" type=\"text/css\" href=\"" + base + ".css\">"
         << "</HEAD>\r\n<BODY>\r\n<UL>";
    for (int p = 1; p <= pageCount; ++p)
        page << "<LI><a href=\"" + base + PageNumberText(p) + ".html\"" + target + ">Page" + std::to_string(p) + "</a>";
    page << "</UL>\r\n</BODY>\r\n</HTML>";
    page.Close();
}

void WriteStyleSheet(rtl::TFileSetTransaction& set, const TPageSettings& s, const std::string& fileName, const std::string& base)
{
    TPageLines page(set, OutputFolder(fileName) + base + ".css");
    page << BuildStyleSheet(s);
    page.Close();
}

int KnownRecordCount(const THtmlExport& e)
{
    const int records = e.query.RecordCount();
    if (records >= 0 || !e.countRecords) return records;
    const long long counted = e.countRecords();
    // The pages number their records as int; a count past that cannot be paged.
    if (counted > std::numeric_limits<int>::max()) throw EPageExport("The query has too many records to write as pages.");
    return static_cast<int>(counted);
}

int WriteDataPages(rtl::TFileSetTransaction& set, const THtmlExport& e, const std::string& fileName,
                   const std::string& base, int records)
{
    const TPageSettings& s = e.settings;
    const int per = s.RecordsPerPage();
    const int pages = s.split ? GetPageCount(records, per) : 1;
    const std::string borderAttr = s.borderColor ? " BorderColor=\"" + rtl::ColorToHtml(*s.borderColor) + "\"" : "";
    const std::string bgAttr = s.tableColor ? " BgColor=\"" + rtl::ColorToHtml(*s.tableColor) + "\"" : "";
    TPageLinks links;
    links.Base = base;
    if (!s.split) links.SinglePage = fs::path(fileName).filename().string();
    THtmlRowWriter rows(e.columns, e.query);
    rows.TemplateOutput = e.templateOutput;
    if (!rows.TemplateOutput && s.style > 1) {
        // The loaded style's template for the current record: headings and cell contents.
        rows.TemplateOutput = [&] {
            return ExpandLayoutTemplate(s.templateText, e.columns,
                                        {[&](int i) { return rows.HeadingHtml(i); }, [&](int i) { return rows.CellContent(i); }});
        };
    }
    // The rows are written in place into one text, handed to the file in blocks.
    constexpr std::size_t kBlock = 64 * 1024;
    std::string block;
    block.reserve(kBlock + kBlock / 2);
    e.query.First();
    int written = 0;
    for (int p = 1; p <= pages; ++p) {
        TPageLines page(set, s.split ? OutputFolder(fileName) + base + PageNumberText(p) + ".html" : fileName);
        page << "<HTML>" << "<HEAD>" << kUtf8Meta << "<Title>" + HtmlEscape(s.title) + "</Title>"
             << "<link rel=\"stylesheet\" type=\"text/css\" href=\"" + base + ".css\">" << "</HEAD>" << "<BODY>";
        page << s.header << "<A NAME=top></A>" << BuildNavigationBar(s.headerNavigation, pages, p, true, links);
        page << "<Table Border=\"" + std::to_string(s.border) + "\" Cellpadding=\"" + std::to_string(s.padding) +
                    "\" Cellspacing=\"" + std::to_string(s.spacing) + "\"" + bgAttr + borderAttr + ">";
        if (s.style == 0) {
            rows.AppendHeaderRow(block);
            block += "\r\n";
        }
        for (int r = 0; !e.query.Eof() && (!s.split || r < per); ++r) {
            rows.AppendRow(block, s.style, r);
            block += "\r\n";
            if (block.size() >= kBlock) {
                page.Write(block);
                block.clear();
            }
            e.query.Next();
            ++written;
        }
        page.Write(block);
        block.clear();
        page << "</Table><br>" << BuildNavigationBar(s.footerNavigation, pages, p, false, links) << "<A NAME=bottom></A>"
             << s.footer << "</BODY>" << "</HTML>";
        page.Close();
    }
    // The page count, index and navigation were written for `records`: a query whose rows
    // changed since it was counted would leave pages that disagree with them.
    if (s.split && (written != records || !e.query.Eof()))
        throw EPageExport("The query's records changed while the pages were written: " + std::to_string(records) +
                          " were counted, " + (e.query.Eof() ? std::to_string(written) : "more") + " were read.");
    return written;
}

TPageSetReport ExportHtmlPages(const THtmlExport& e, const std::string& fileName)
{
    return WritePageSet([&](rtl::TFileSetTransaction& set, std::vector<std::string>& warnings) {
        const TPageSettings& s = e.settings;
        const std::string base = OutputBaseName(fileName);
        // Split pages name the page count before their first record; a single page counts as
        // it writes.
        const int counted = s.split ? KnownRecordCount(e) : -1;
        WriteFrameset(set, s, fileName, base);
        WriteIndexPage(set, s, GetPageCount(counted, s.RecordsPerPage()), fileName, base);
        WriteStyleSheet(set, s, fileName, base);
        const int records = WriteDataPages(set, e, fileName, base, counted);
        if (s.style > 1) CopyStyleImages(set, e.layoutStylesDir, s.styleName, s.templateText, fileName, warnings);
        CopyBackgroundImage(set, s.backgroundImage, fileName, warnings);
        return records;
    });
}

namespace {

// The connection the export reads on. While the browsing query still holds its statement
// open (the rest of its rows read on demand), a second statement on the same connection
// makes a driver that steps one statement at a time read that whole rest into its own
// memory: the export then reads on a connection of its own, made from the first one's
// string (credentials included) and owned by the reading. Where it cannot be opened, the
// export shares the query's connection.
db::TADOConnection* ReadingConnection(const db::TADOQuery& query, db::TForwardQuery& reading)
{
    db::TADOConnection* shared = query.Connection();
    if (shared == nullptr || query.AllRowsRead() || shared->OdbcConnectionString().empty()) return shared;
    auto* own = new db::TADOConnection(&reading);
    own->SetLoginPrompt(false);
    own->SetConnectionTimeout(shared->ConnectionTimeout());
    own->SetCommandTimeout(shared->CommandTimeout());
    own->SetConnectionString(db::MakeOdbcInitString(shared->OdbcConnectionString()));
    try {
        own->Open();
        return own;
    } catch (const std::exception& e) {
        rtl::LogLine("The page export reads on the browsing query's connection", e.what());
        delete own;
        return shared;
    }
}

}  // namespace

std::unique_ptr<db::TForwardQuery> OpenForwardReading(const db::TADOQuery& query)
{
    if (!rtl::Trim(query.Sort()).empty() || (query.Filtered() && (!rtl::Trim(query.Filter()).empty() || query.OnFilterRecord)))
        return nullptr;
    auto reading = std::make_unique<db::TForwardQuery>(nullptr);
    reading->SetConnection(ReadingConnection(query, *reading));
    reading->SetEnableBCD(query.EnableBCD());
    reading->SQL()->Assign(*query.SQL());
    reading->Open();
    // Fields the statement does not answer (made in the program) are the query's alone.
    if (reading->FieldCount() != query.FieldCount()) return nullptr;
    for (int i = 0; i < query.FieldCount(); ++i) {
        const db::TField* shown = query.Fields().Fields(i);
        db::TField* field = reading->FindField(shown->FieldName());
        if (field == nullptr || field->DataType() != shown->DataType()) return nullptr;
        field->SetDisplayLabel(shown->StoredDisplayLabel());
        field->SetIndex(i);
    }
    return reading;
}

}  // namespace designer
