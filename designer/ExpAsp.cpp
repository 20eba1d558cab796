#include "designer/ExpAsp.h"

#include "designer/AspScript.h"
#include "designer/ExpStatic.h"
#include "designer/HtmlRows.h"
#include "designer/HtmlText.h"
#include "platform/db/DataSet.h"
#include "platform/db/Fields.h"
#include "designer/LayoutTemplate.h"
#include "platform/rtl/Colors.h"

namespace designer {

namespace {

void WriteSql(TPageLines& page, const TAspPageSettings& s)
{
    for (const std::string& line : s.sqlLines) page << AspSqlLine(line);
}

std::string ConnectLine(const TAspPageSettings& s)
{
    return "Connect_String=\"" + QuoteForScript(s.connectionString) + "\"";
}

// The pages are UTF-8 files: the server reads the script's literals as UTF-8 only when the
// page says so, else in its own code page.
constexpr const char* kScriptPageDirective = "<%@Language=VBScript CodePage=65001%>";

// The text the script writes is sent as UTF-8 (whatever a session's code page says) and the
// response names that character set: a head's declaration yields to the server's header.
void WriteUtf8Response(TPageLines& page) { page << "Response.CodePage = 65001" << "Response.Charset = \"utf-8\""; }

}  // namespace

std::string AspSqlLine(const std::string& line) { return "SQL = SQL + \" " + QuoteForScript(line) + "\""; }

void WriteAspFrameset(rtl::TFileSetTransaction& set, const TAspPageSettings& s, const std::string& fileName,
                      const std::string& base)
{
    if (!s.split || !s.frames) return;
    TPageLines page(set, fileName);
    page << "<%@Language=VBScript%>" << "<%Option Explicit%>" << "<html>" << "<head>"
         << kUtf8Meta << "<title>" + HtmlEscape(s.title) + "</title>" << "</head>"
         << std::string("<frameset cols=\"120,*\" frameborder=\"") + (s.frameBorder ? "YES" : "NO") +
                "\" bordercolor=\"#000000\">"
         << "<frame name=\"leftFrame\" src=\"" + base + "_index.asp\">"
         << "<frame name=\"mainFrame\" src=\"" + base + "_data.asp\">" << "</frameset>"
         << "<noframes><body bgcolor=\"#FFFFFF\" text=\"#000000\">" << "</body></noframes>" << "</html>";
    page.Close();
}

void WriteAspIndexPage(rtl::TFileSetTransaction& set, const TAspPageSettings& s, const std::string& fileName,
                       const std::string& base)
{
    if (!s.split) return;
    const std::string path = s.frames ? OutputFolder(fileName) + base + "_index.asp" : fileName;
    const std::string target = s.frames ? " target=\"\"mainFrame\"\" " : "";
    const std::string data = QuoteForScript(base) + "_data.asp";
    TPageLines page(set, path);
    page << kScriptPageDirective << "<%Option Explicit%>" << "<%";
    WriteUtf8Response(page);
    page << "%>" << "<HTML>" << "<HEAD>" << kUtf8Meta
         << "<link rel=\"stylesheet\" type=\"text/css\" href=\"" + base + ".css\">" << "</HEAD>\r\n<BODY>" << "<%";
    page << "Dim Connect_String" << "Dim Page_Size" << "Dim Page_Count" << "Dim MyConn, RS, SQL" << "Dim i";
    page << ConnectLine(s) << "Set MyConn=Server.CreateObject(\"ADODB.Connection\")"
         << "Set RS=Server.CreateObject(\"ADODB.RecordSet\")" << "MyConn.Open Connect_String" << "RS.CursorLocation = 3"
         << "Page_Size = " + std::to_string(s.RecordsPerPage()) << "RS.PageSize = Page_Size";
    WriteSql(page, s);
    page << "RS.Open SQL, MyConn, 3, 1, 1" << "Page_Count = RS.PageCount" << "Response.Write \"<UL>\""
         << "If Page_Count > 0 then" << "  For i=1 to Page_Count"
         << "    Response.Write \"  <LI><a href=\"\"" + data + "?Page=\" &i& \"\"\" " + target + ">" + "Page\" &i& \"</a>\""
         << "  Next" << "else"
         << "  Response.Write \"  <LI><a href=\"\"" + data + "?Page=1\"\" " + target + ">" + "Page1</a>\"" << "End If"
         << "Response.Write \"</UL>\"" << "RS.Close" << "Set RS = Nothing" << "MyConn.Close" << "Set MyConn = Nothing"
         << "%>" << "\r\n</BODY>\r\n</HTML>";
    page.Close();
}

void WriteAspDataPage(rtl::TFileSetTransaction& set, const TAspPageSettings& s, const TAspScriptBuilder& script,
                      const TAspPageParts& parts, const std::string& fileName, const std::string& base)
{
    const std::string path = s.split ? OutputFolder(fileName) + base + "_data.asp" : fileName;
    const std::string linkBase = s.split ? base + "_data" : base;
    const std::string bgAttr = s.tableColor ? " BgColor=\"" + rtl::ColorToHtml(*s.tableColor) + "\"" : "";
    const std::string borderAttr = s.borderColor ? " BorderColor=\"" + rtl::ColorToHtml(*s.borderColor) + "\"" : "";
    // The record script is built first: a bad format entry stops the export before the page
    // is created.
    std::string record;
    if (s.style == 0)
        record = script.BuildAspRowStyle1();
    else if (s.style == 1)
        record = script.BuildAspRowStyle2();
    else
        record = script.BuildAspTemplateRow(
            parts.templateScript ? parts.templateScript()
                                 : ExpandLayoutTemplate(s.templateText, script.Columns(),
                                                        {[&](int i) { return script.HeadingHtml(i); },
                                                         [&](int i) { return script.BuildAspCellContent(i); }}));

    TPageLines page(set, path);
    page << kScriptPageDirective << "<%" << "Option Explicit" << "Response.Buffer = True";
    WriteUtf8Response(page);
    page << "%>" << "<HTML>" << "<HEAD>" << kUtf8Meta << "<Title>" + HtmlEscape(s.title) + "</Title>"
         << "<link rel=\"stylesheet\" type=\"text/css\" href=\"" + base + ".css\">" << "</HEAD>" << "" << "<%";
    page << "Dim MyConn          ' Database connection object" << "Dim RS              ' Recordset object"
         << "Dim Connect_String  ' ADO Connection String" << "Dim SQL             ' SQL Statement"
         << "Dim Page_Size       ' Number of records per page"
         << "Dim StartPage       ' The page that we are starting on"
         << "Dim Current_Page    ' The current page that we are on" << "Dim Page_Count      ' Total pages"
         << "Dim CssClass        ' Style Sheet file" << "Dim CellValue       ' data value"
         << "Dim CellUrl         ' link address built from data" << "Dim intRowCount     ' Total rows" << "Dim i";
    page << "" << AspDataPageFunctions();
    page << ConnectLine(s) << "Set MyConn=Server.CreateObject(\"ADODB.Connection\")"
         << "Set RS=Server.CreateObject(\"ADODB.RecordSet\")" << "MyConn.Open Connect_String" << "RS.CursorLocation = 3";
    if (s.split) {
        page << "If Request(\"Page\") = \"\" Then" << "  Current_Page = 1" << "else"
             << "  Current_Page = GwPageNumber(Request(\"Page\"))" << "end if"
             << "Page_Size = " + std::to_string(s.RecordsPerPage()) << "RS.PageSize = Page_Size";
    }
    page << "SQL = \"\"";
    WriteSql(page, s);
    page << "RS.Open SQL, MyConn, 3, 1, 1";
    if (s.split) {
        page << "Page_Count = RS.PageCount" << "If Current_Page < 1 Then Current_Page = 1"
             << "If Current_Page > Page_Count Then Current_Page = Page_Count"
             << "If Page_Count > 0 then RS.AbsolutePage = Current_Page";
    }
    page << "%>" << "<BODY>" << s.header << "<A NAME=top></A>"
         << BuildAspNavigationBar(s.headerNavigation, true, linkBase);
    page << "<Table Border=\"" + std::to_string(s.border) + "\" Cellpadding=\"" + std::to_string(s.padding) +
                "\" Cellspacing=\"" + std::to_string(s.spacing) + "\"" + bgAttr + borderAttr + ">";
    if (s.style == 0) page << parts.headerRow;
    page << "<%" << "intRowCount = 0"
         << (s.split ? "Do While RS.AbsolutePage = Current_Page And Not RS.EOF" : "Do While Not RS.EOF");
    page << record;
    page << "  intRowCount = intRowCount + 1" << "  Rs.MoveNext" << "Loop" << "%>" << "</Table><br>"
         << BuildAspNavigationBar(s.footerNavigation, false, linkBase);
    page << "<%" << "RS.Close" << "Set RS = Nothing" << "MyConn.Close" << "Set MyConn = Nothing" << "%>"
         << "<A NAME=bottom></A>" << s.footer << "</BODY>" << "</HTML>";
    page.Close();
}

void WriteAspPages(rtl::TFileSetTransaction& set, const TAspPageSettings& s, const TAspScriptBuilder& script,
                   const TAspPageParts& parts, const std::string& fileName)
{
    const std::string base = OutputBaseName(fileName);
    WriteAspFrameset(set, s, fileName, base);
    WriteAspIndexPage(set, s, fileName, base);
    WriteAspDataPage(set, s, script, parts, fileName, base);
}

TPageSetReport ExportAspPages(const TAspPageSettings& s, const TColumnModel& columns, db::TDataSet& query,
                              const std::string& fileName, const std::string& layoutStylesDir)
{
    // Pages of a query that did not open would run nobody's SQL: nothing is written.
    if (!query.Active()) throw EPageExport("Can not save pages");
    std::vector<std::string> fieldNames;
    for (int i = 0; i < query.Fields().Count(); ++i) fieldNames.push_back(query.Fields().Fields(i)->FieldName());
    const TAspScriptBuilder script(columns, std::move(fieldNames));
    TAspPageParts parts;
    THtmlRowWriter(columns, query).AppendHeaderRow(parts.headerRow);
    return WritePageSet([&](rtl::TFileSetTransaction& set, std::vector<std::string>& warnings) {
        const std::string base = OutputBaseName(fileName);
        WriteAspFrameset(set, s, fileName, base);
        WriteAspIndexPage(set, s, fileName, base);
        WriteStyleSheet(set, s, fileName, base);
        WriteAspDataPage(set, s, script, parts, fileName, base);
        if (s.style > 1) CopyStyleImages(set, layoutStylesDir, s.styleName, s.templateText, fileName, warnings);
        CopyBackgroundImage(set, s.backgroundImage, fileName, warnings);
        return query.RecordCount();
    });
}

}  // namespace designer
