// The cell, row and tag builders over the rows of a small SQLite database, read through the
// data layer's query on the SQLite3 ODBC driver.

#include "designer/ColumnModel.h"
#include "designer/Formats_Utils.h"
#include "designer/HtmlRows.h"
#include "platform/db/AdoConnection.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "tests/designer/RowTexts.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cctype>
#include <iterator>
#include <memory>
#include <string>

using namespace designer;

namespace {

// Link values that a browser would run as script once it has decoded the attribute, and
// pieces of them for a tag inside a longer address; the last value is harmless and must come
// back from the attribute exactly as stored.
const std::string kHostileLinks[] = {
    "javascript:alert(1)",
    "JaVaScRiPt:alert(1)",
    "javascript&#58;alert(1)",
    "javascript&#x3a;alert(1)",
    "javascript&#0000058alert(1)",
    "javascript&colon;alert(1)",
    "&#106;avascript:alert(1)",
    "&#x6A&#x61vascript:alert(1)",
    "java&#9;script:alert(1)",
    "java&Tab;script:alert(1)",
    "java&NewLine;script:alert(1)",
    "java\tscript:alert(1)",
    "java\nscript:alert(1)",
    "\x01 javascript:alert(1)",
    "javascript&amp;colon;alert(1)",
    "vbscript:msgbox(1)",
    "data:text/html;base64,PHNjcmlwdD5hbGVydCgxKTwvc2NyaXB0Pg==",
    "script&#58;alert(1)",
    "&#115;cript:alert(1)",
    "script&colon;alert(1)",
    "\"><script>alert(1)</script>",
    "http://example.com/?x=1&copy;=2&#38;y",
};

class HtmlRows : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = new QTemporaryDir();
        connection_ = new db::TADOConnection(nullptr);
        connection_->SetLoginPrompt(false);
        // An empty file is an empty SQLite database; the data layer opens existing files only.
        const std::string file = dir_->path().toStdString() + "/fixture.db";
        rtl::WriteStringToFile(file, "");
        connection_->SetConnectionString(db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + file));
        connection_->Open();
        connection_->Execute(
            "CREATE TABLE item (id INTEGER, name VARCHAR(60), price DOUBLE, amount DECIMAL(12,4), "
            "added DATE, stamp TIMESTAMP, at TIME, link VARCHAR(80), photo VARCHAR(60))");
        connection_->Execute(
            "INSERT INTO item VALUES (1, 'Tom & Jerry <b>', 1234.5, 1234.5678, '1994-06-19', "
            "'1994-06-19 17:34:23', '17:34:23', 'http://example.com/a b', 'a.gif')");
        connection_->Execute(
            "INSERT INTO item VALUES (2, 'Smörgåsbord \"quoted\" it''s', NULL, NULL, NULL, NULL, NULL, "
            "'javascript:alert(1)', 'x\" onerror=\"alert(1).gif')");
        connection_->Execute(
            "INSERT INTO item VALUES (3, 'Цена <>', -3, -0.5, '2024-02-29', '2024-02-29 00:00:00', '09:05:00', "
            "'mailto:x@y.z', 'Цена.png')");
        connection_->Execute("CREATE TABLE hostile (id INTEGER, link VARCHAR(200))");
        for (std::size_t k = 0; k < std::size(kHostileLinks); ++k)
            connection_->Execute("INSERT INTO hostile VALUES (" + std::to_string(k) + ", '" + kHostileLinks[k] + "')");
    }
    static void TearDownTestSuite()
    {
        delete connection_;
        delete dir_;
    }

    // Opens `sql` and builds the columns of its fields with their defaults.
    void Open(const std::string& sql)
    {
        query_ = std::make_unique<db::TADOQuery>(nullptr);
        query_->SetConnection(connection_);
        query_->SQL()->SetText(sql);
        query_->Open();
        columns_.RebuildColumnList("Reset", *query_);
        rows_ = std::make_unique<designertest::TRowTexts>(columns_, *query_);
    }
    // Moves to the n-th record (1-based).
    void Record(int n)
    {
        query_->First();
        for (int k = 1; k < n; ++k) query_->Next();
    }
    const db::TField& Field(const std::string& name) const { return *query_->Fields().FieldByName(name); }

    static QTemporaryDir* dir_;
    static db::TADOConnection* connection_;
    std::unique_ptr<db::TADOQuery> query_;
    TColumnModel columns_;
    std::unique_ptr<designertest::TRowTexts> rows_;
};

QTemporaryDir* HtmlRows::dir_ = nullptr;
db::TADOConnection* HtmlRows::connection_ = nullptr;

TEST_F(HtmlRows, FixtureFieldsAndTheirDefaultColumns)
{
    Open("SELECT id, name, price, amount, added, stamp, at FROM item ORDER BY id");
    ASSERT_EQ(query_->RecordCount(), 3);
    EXPECT_EQ(Field("id").DataType(), db::ftInteger);
    EXPECT_EQ(Field("price").DataType(), db::ftFloat);
    // The SQLite driver reports DECIMAL columns as text: the decimal's digits arrive as written.
    EXPECT_EQ(Field("amount").DataType(), db::ftString);
    EXPECT_EQ(Field("added").DataType(), db::ftDate);
    EXPECT_EQ(Field("stamp").DataType(), db::ftDateTime);
    EXPECT_EQ(Field("at").DataType(), db::ftTime);
    EXPECT_EQ(columns_.FormatList.Text(),
              "1,0,1,0,1\r\n0,0,0,0,0\r\n1,2,1,0,1\r\n0,0,0,0,0\r\n2,2,0,0,0\r\n2,0,0,0,0\r\n2,4,0,0,0\r\n");
    EXPECT_EQ(columns_.AlignmentList.CommaText(), "Right,Default,Right,Default,Default,Default,Default");
    EXPECT_EQ(columns_.Key(1), "NAME");
}

TEST_F(HtmlRows, EmptyResultStillHasAColumnPerField)
{
    // The columns come from the fields, not the records: a query that finds nothing keeps them.
    Open("SELECT id, name, added FROM item WHERE id < 0");
    ASSERT_TRUE(query_->IsEmpty());
    EXPECT_EQ(columns_.FieldList.Text(), "ID=id\r\nNAME=name\r\nADDED=added\r\n");
    EXPECT_EQ(columns_.FormatList.CommaText(), "\"1,0,1,0,1\",\"0,0,0,0,0\",\"2,2,0,0,0\"");
    EXPECT_EQ(columns_.ListView().Count(), 3);

    columns_.FieldList.Put(1, "NAME=Customer");
    columns_.RebuildColumnList("Update", *query_);
    EXPECT_EQ(columns_.ColumnCount(), 3);
    EXPECT_EQ(columns_.Heading(1), "Customer");
    EXPECT_EQ(rows_->BuildHeaderRow(),
              "\r\n<tr>\r\n<td class=\"ThRows\">id</td>\r\n<td class=\"ThRows\">Customer</td>"
              "\r\n<td class=\"ThRows\">added</td>\r\n</tr>");
}

TEST_F(HtmlRows, FieldValuesByTypeAndFormat)
{
    Open("SELECT id, name, price, amount, added, stamp, at FROM item ORDER BY id");
    struct Case {
        int record;
        const char* field;
        const char* entry;
        const char* text;
    };
    const Case cases[] = {
        {1, "id", "1,0,1,0,1", "1"},
        {1, "price", "1,2,1,0,1", "1,234.50"},
        {1, "price", "1,0,1,0,1", "1,235"},
        {1, "price", "1,-1,1,0,0", "1234.5"},
        {1, "price", "0,0,0,0,0", "1234.5"},            // no format: never rounded
        {1, "amount", "0,0,0,0,0", "1234.5678"},        // a decimal keeps its digits
        {3, "amount", "0,0,0,0,0", "-0.5"},
        {1, "added", "2,2,0,0,0", "6/19/1994"},
        {1, "added", "2,1,0,0,0", "Sunday, June 19, 1994"},
        {1, "stamp", "2,0,0,0,0", "6/19/1994 5:34:23 PM"},
        {1, "stamp", "2,3,0,0,0", "5:34:23 PM"},
        {1, "at", "2,4,0,0,0", "17:34"},
        {1, "name", "0,0,0,0,0", "Tom &amp; Jerry &lt;b&gt;"},
        {2, "name", "0,0,0,0,0", "Smörgåsbord &quot;quoted&quot; it&#39;s"},
        {3, "name", "0,0,0,0,0", "Цена &lt;&gt;"},
        {2, "price", "1,2,1,0,1", "&nbsp;"},            // null
        {2, "price", "0,0,0,0,0", "&nbsp;"},
        {2, "amount", "0,0,0,0,0", "&nbsp;"},
        {2, "added", "2,2,0,0,0", "&nbsp;"},
        {3, "price", "1,0,1,1,0", "(3)"},
        {3, "price", "1,2,0,0,0", "-3.00"},
        {3, "price", "1,2,0,-1,0", "(3.00)"},
        {3, "stamp", "2,0,0,0,0", "2/29/2024"},          // midnight: the date alone
        {3, "at", "2,3,0,0,0", "9:05:00 AM"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " " + c.entry + " record " + std::to_string(c.record));
        Record(c.record);
        EXPECT_EQ(FormatFieldText(Field(c.field), c.entry), c.text);
    }
    Record(1);
    EXPECT_EQ(FormatFieldValue(Field("price"), 2, 1, 0, 1), "1,234.50");
    EXPECT_EQ(FormatFieldValue(Field("added"), 7, 0, 0, 0), "6/19/1994");  // style 7: general, date only at midnight
    EXPECT_THROW(FormatFieldText(Field("price"), "1,2"), rtl::EListError);
}

TEST_F(HtmlRows, HeaderAndReportRows)
{
    Open("SELECT id, name, price, amount, added FROM item ORDER BY id");
    columns_.FieldList.Put(2, "PRICE=Price (EUR) <i>net</i>");  // the author's heading, as typed
    EXPECT_EQ(rows_->BuildHeaderRow(),
              "\r\n<tr>"
              "\r\n<td class=\"ThRows\">id</td>"
              "\r\n<td class=\"ThRows\">name</td>"
              "\r\n<td class=\"ThRows\">Price (EUR) <i>net</i></td>"
              "\r\n<td class=\"ThRows\">amount</td>"
              "\r\n<td class=\"ThRows\">added</td>"
              "\r\n</tr>");
    Record(1);
    EXPECT_EQ(rows_->BuildRowStyle1(0),
              "\r\n<tr>"
              "\r\n<td class=\"TrOdd\" align=Right>1</td>"
              "\r\n<td class=\"TrOdd\" align=Default>Tom &amp; Jerry &lt;b&gt;</td>"
              "\r\n<td class=\"TrOdd\" align=Right>1,234.50</td>"
              "\r\n<td class=\"TrOdd\" align=Default>1234.5678</td>"
              "\r\n<td class=\"TrOdd\" align=Default>6/19/1994</td>"
              "\r\n</tr>");

    // Hidden: a bare line break in Style1, left out of Style2 and of the header.
    columns_.ShowModeList.Put(1, "Hide");
    columns_.ShowModeList.Put(3, "Hide");
    columns_.PrefixList.Put(2, "$ ");
    columns_.SuffixList.Put(2, " <small>net</small>");
    Record(2);
    EXPECT_EQ(rows_->BuildRowStyle1(1),
              "\r\n<tr>"
              "\r\n<td class=\"TrRows\" align=Right>2</td>"
              "\r\n"
              "\r\n<td class=\"TrRows\" align=Right>$ &nbsp; <small>net</small></td>"
              "\r\n"
              "\r\n<td class=\"TrRows\" align=Default>&nbsp;</td>"
              "\r\n</tr>");
    EXPECT_EQ(rows_->BuildRowStyle2(1),
              "\r\n<tr>\r\n<td class=\"ThRows\">id</td>\r\n<td class=\"TrRows\" align=Right>2</td>\r\n</tr>"
              "\r\n<tr>\r\n<td class=\"ThRows\">Price (EUR) <i>net</i></td>"
              "\r\n<td class=\"TrRows\" align=Right>$ &nbsp; <small>net</small></td>\r\n</tr>"
              "\r\n<tr>\r\n<td class=\"ThRows\">added</td>\r\n<td class=\"TrRows\" align=Default>&nbsp;</td>\r\n</tr>");
    EXPECT_EQ(rows_->BuildHeaderRow(),
              "\r\n<tr>\r\n<td class=\"ThRows\">id</td>\r\n<td class=\"ThRows\">Price (EUR) <i>net</i></td>"
              "\r\n<td class=\"ThRows\">added</td>\r\n</tr>");
    EXPECT_EQ(rows_->BuildCell(1, "TrRows"), "");
    EXPECT_EQ(RowClass(0), "TrOdd");
    EXPECT_EQ(RowClass(1), "TrRows");
    EXPECT_EQ(RowClass(4), "TrOdd");
}

// Headings that are still the columns' names are data from the database and are escaped;
// a heading the author typed goes in as typed. Names holding "=" stay whole.
TEST_F(HtmlRows, HeadingsFromTheDatabaseAreEscaped)
{
    Open("SELECT id AS \"a=b\", name AS \"x<y>&z\", price FROM item ORDER BY id");
    EXPECT_EQ(columns_.Key(0), "A=B");
    EXPECT_EQ(rows_->BuildHeaderRow(),
              "\r\n<tr>\r\n<td class=\"ThRows\">a=b</td>\r\n<td class=\"ThRows\">x&lt;y&gt;&amp;z</td>"
              "\r\n<td class=\"ThRows\">price</td>\r\n</tr>");
    columns_.SetHeading(1, "<i>Name</i>");
    columns_.SetHeading(2, "Price = <b>EUR</b>");
    EXPECT_EQ(rows_->BuildHeaderRow(),
              "\r\n<tr>\r\n<td class=\"ThRows\">a=b</td>\r\n<td class=\"ThRows\"><i>Name</i></td>"
              "\r\n<td class=\"ThRows\">Price = <b>EUR</b></td>\r\n</tr>");
    columns_.SetHeading(1, "X<Y>&Z");  // the name in other letters: still the database's
    Record(1);
    const std::string style2 = rows_->BuildRowStyle2(0);
    EXPECT_EQ(style2.find("\r\n<tr>\r\n<td class=\"ThRows\">a=b</td>\r\n<td class=\"TrOdd\" align=Right>1</td>"), 0u);
    EXPECT_NE(style2.find("<td class=\"ThRows\">X&lt;Y&gt;&amp;Z</td>"), std::string::npos) << style2;
    EXPECT_EQ(rows_->ReplaceFieldTags("show.asp?id=[a=b]"), "show.asp?id=1");
}

TEST_F(HtmlRows, TemplateRowRunsTheHook)
{
    Open("SELECT id, name FROM item ORDER BY id");
    Record(3);
    EXPECT_EQ(rows_->BuildTemplateRow(0), "\r\n<tr><td>\r\n\r\n</td></tr>");
    rows_->TemplateOutput = [this] { return "<b>" + rows_->BuildCellContent(1) + "</b>"; };
    EXPECT_EQ(rows_->BuildTemplateRow(5), "\r\n<tr><td>\r\n<b>Цена &lt;&gt;</b>\r\n</td></tr>");
}

TEST_F(HtmlRows, FixedTextAndImageCells)
{
    Open("SELECT id, name, photo FROM item ORDER BY id");
    // A fixed text is the author's: as typed, tags left alone.
    columns_.ShowDataList.Put(1, "<b>n/a</b> [ID]");
    columns_.ShowDataList.SetChecked(1, false);
    // An image: source from a tag, width written, height not.
    columns_.FieldList.SetChecked(2, true);
    columns_.ShowDataList.Put(2, "img/[PHOTO]");
    columns_.PrefixList.Put(2, "100");
    columns_.PrefixList.SetChecked(2, true);
    columns_.SuffixList.Put(2, "80");
    struct Case {
        int record;
        const char* fixed;
        const char* image;
    };
    const Case cases[] = {
        {1, "<td class=\"TrOdd\" align=Default><b>n/a</b> [ID]</td>",
         "<td class=\"TrOdd\" align=Default><img src=\"img/a.gif\" width=\"100\" border=\"0\"></td>"},
        {2, "<td class=\"TrOdd\" align=Default><b>n/a</b> [ID]</td>",
         "<td class=\"TrOdd\" align=Default><img src=\"img/x%22%20onerror=%22alert(1).gif\" width=\"100\" border=\"0\"></td>"},
        {3, "<td class=\"TrOdd\" align=Default><b>n/a</b> [ID]</td>",
         "<td class=\"TrOdd\" align=Default><img src=\"img/%D0%A6%D0%B5%D0%BD%D0%B0.png\" width=\"100\" border=\"0\"></td>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.record);
        Record(c.record);
        EXPECT_EQ(rows_->BuildCell(1, "TrOdd"), c.fixed);
        EXPECT_EQ(rows_->BuildCell(2, "TrOdd"), c.image);
    }
    Record(1);
    columns_.SuffixList.SetChecked(2, true);
    columns_.PrefixList.SetChecked(2, false);
    EXPECT_EQ(rows_->BuildCellContent(2), "<img src=\"img/a.gif\" height=\"80\" border=\"0\">");
}

TEST_F(HtmlRows, LinkCells)
{
    Open("SELECT id, name, link FROM item ORDER BY id");
    auto setLink = [this](int i, const char* type, const char* url, const char* params, const char* target) {
        columns_.HyperlinkTypeList.Put(i, type);
        columns_.UrlList.Put(i, url);
        columns_.ParamList.Put(i, params);
        columns_.TargetList.Put(i, target);
    };
    Record(1);
    setLink(1, "1", "[LINK]", "", "_blank");
    EXPECT_EQ(rows_->BuildCell(1, "TrOdd"),
              "<td class=\"TrOdd\" align=Default><a href=\"http://example.com/a%20b\" class=\"TrOdd\" "
              "target=\"_blank\">Tom &amp; Jerry &lt;b&gt;</a></td>");
    EXPECT_EQ(rows_->BuildCellContent(1),
              "<a href=\"http://example.com/a%20b\" target=\"_blank\">Tom &amp; Jerry &lt;b&gt;</a>");
    EXPECT_EQ(rows_->CellTargetAttr(1), " target=\"_blank\"");

    // A data address with another scheme is dropped; the author's own address is kept.
    Record(2);
    EXPECT_EQ(rows_->CellUrl(1), "");
    setLink(1, "1", "javascript:history.back()", "", "");
    EXPECT_EQ(rows_->CellUrl(1), "javascript:history.back()");
    EXPECT_EQ(rows_->CellTargetAttr(1), "");

    setLink(0, "2", "sales@example.com", "", "");
    EXPECT_EQ(rows_->BuildCell(0, "TrRows"),
              "<td class=\"TrRows\" align=Right><a href=\"mailto:sales@example.com\" class=\"TrRows\">2</a></td>");

    setLink(0, "3", "show.asp", "id=[ID],\"who=[NAME]\"", "main");
    Record(1);
    EXPECT_EQ(rows_->CellParamQuery(0), "id=1&who=Tom%20%26%20Jerry%20%3Cb%3E");
    EXPECT_EQ(rows_->BuildCell(0, "TrOdd"),
              "<td class=\"TrOdd\" align=Right><a href=\"show.asp?id=1&who=Tom%20%26%20Jerry%20%3Cb%3E\" "
              "class=\"TrOdd\" target=\"main\">1</a></td>");
    setLink(0, "3", "show.asp", "", "");
    EXPECT_EQ(rows_->BuildCellContent(0), "<a href=\"show.asp?\">1</a>");
    setLink(0, "0", "show.asp", "", "");
    EXPECT_EQ(rows_->BuildCellContent(0), "1");
}

// An attribute value as a browser reads it, written apart from the generator's decoder:
// numeric references with or without ";", and the named ones that can hide an address's
// scheme (a browser knows more names, none of which stands for an ASCII letter or a colon).
std::string BrowserReadsAttribute(std::string_view v)
{
    static const std::pair<std::string_view, char> named[] = {
        {"colon;", ':'}, {"Tab;", '\t'}, {"NewLine;", '\n'}, {"amp;", '&'}, {"lt;", '<'},
        {"gt;", '>'},    {"quot;", '"'}, {"sol;", '/'},      {"num;", '#'}, {"quest;", '?'}};
    std::string out;
    for (std::size_t k = 0; k < v.size();) {
        if (v[k] == '&' && k + 1 < v.size() && v[k + 1] == '#') {
            const bool hex = k + 2 < v.size() && (v[k + 2] == 'x' || v[k + 2] == 'X');
            std::size_t e = k + (hex ? 3 : 2);
            const std::size_t start = e;
            while (e < v.size() && std::isxdigit(static_cast<unsigned char>(v[e])) && (hex || std::isdigit(v[e]))) ++e;
            if (e > start) {
                const unsigned long code = std::stoul(std::string(v.substr(start, e - start)), nullptr, hex ? 16 : 10);
                out += code < 0x80 && code > 0 ? static_cast<char>(code) : '?';  // only ASCII matters here
                k = e < v.size() && v[e] == ';' ? e + 1 : e;
                continue;
            }
        }
        bool decoded = false;
        for (const auto& [name, c] : named) {
            if (v[k] == '&' && v.substr(k + 1, name.size()) == name) {
                out += c;
                k += 1 + name.size();
                decoded = true;
                break;
            }
        }
        if (!decoded) out += v[k++];
    }
    return out;
}

// The scheme a browser's address parser finds: leading blanks and control characters
// stripped, tabs and line breaks dropped, lower-cased; empty for a relative address.
std::string SchemeBrowserSees(const std::string& address)
{
    std::string a;
    for (char c : address) {
        if (c == '\t' || c == '\n' || c == '\r') continue;
        if (a.empty() && static_cast<unsigned char>(c) <= ' ') continue;
        a += c;
    }
    std::size_t k = 0;
    while (k < a.size() && (std::isalnum(static_cast<unsigned char>(a[k])) || a[k] == '+' || a[k] == '-' || a[k] == '.')) ++k;
    if (k == 0 || k == a.size() || a[k] != ':' || !std::isalpha(static_cast<unsigned char>(a[0]))) return {};
    std::string scheme = a.substr(0, k);
    for (char& c : scheme) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return scheme;
}

TEST_F(HtmlRows, HostileLinksNeverBecomeScript)
{
    Open("SELECT id, link FROM hostile ORDER BY id");
    struct Link {
        const char* type;
        const char* url;
        const char* params;
    };
    const Link links[] = {
        {"1", "[LINK]", ""},           {"1", " [LINK]", ""},         {"1", "java[LINK]", ""},
        {"1", "[LINK]/page.html", ""}, {"1", "[LINK][LINK]", ""},    {"1", "http://example.com/?q=[LINK]", ""},
        {"2", "[LINK]", ""},           {"3", "[LINK]", "x=[LINK]"},  {"3", "java[LINK]", ""},
        {"3", "show.asp", "go=[LINK]"},
    };
    const std::string harmless = kHostileLinks[std::size(kHostileLinks) - 1];
    for (const Link& link : links) {
        columns_.HyperlinkTypeList.Put(1, link.type);
        columns_.UrlList.Put(1, link.url);
        columns_.ParamList.Put(1, link.params);
        for (query_->First(); !query_->Eof(); query_->Next()) {
            const std::string value = Field("link").AsString();
            for (const bool whole : {true, false}) {
                const std::string cell = whole ? rows_->BuildCell(1, "TrOdd") : rows_->BuildCellContent(1);
                SCOPED_TRACE(std::string("type ") + link.type + ", address " + link.url + ", value " + value +
                             ": " + cell);
                const std::size_t at = cell.find("<a href=\"");
                if (at == std::string::npos) {
                    EXPECT_EQ(cell.find("href"), std::string::npos);
                    EXPECT_FALSE(value == harmless && std::string(link.url) == "[LINK]") << "a harmless link dropped";
                    continue;
                }
                const std::size_t start = at + 9;
                const std::size_t end = cell.find('"', start);
                ASSERT_NE(end, std::string::npos);
                // The attribute ends where the generator ended it.
                EXPECT_EQ(cell.substr(end, whole ? 9 : 1), whole ? "\" class=\"" : "\"");
                const std::string href = BrowserReadsAttribute(cell.substr(start, end - start));
                const std::string scheme = SchemeBrowserSees(href);
                EXPECT_TRUE(scheme.empty() || scheme == "http" || scheme == "https" || scheme == "ftp" ||
                            scheme == "mailto")
                    << "the browser reads " << href;
                if (value == harmless && std::string(link.url) == "[LINK]" && std::string(link.type) == "1") {
                    EXPECT_EQ(href, harmless);
                }
            }
        }
    }
}

// A picture's address built from data is read as a link's is: the same hostile values in
// every place of the source, and the same schemes let through.
TEST_F(HtmlRows, HostilePictureAddressesNeverBecomeScript)
{
    Open("SELECT id, link FROM hostile ORDER BY id");
    columns_.FieldList.SetChecked(1, true);
    const std::string harmless = kHostileLinks[std::size(kHostileLinks) - 1];
    for (const char* source : {"[LINK]", " [LINK]", "java[LINK]", "[LINK]/photo.gif", "[LINK][LINK]",
                               "http://example.com/?q=[LINK]"}) {
        columns_.ShowDataList.Put(1, source);
        for (query_->First(); !query_->Eof(); query_->Next()) {
            const std::string value = Field("link").AsString();
            for (const bool whole : {true, false}) {
                const std::string cell = whole ? rows_->BuildCell(1, "TrOdd") : rows_->BuildCellContent(1);
                SCOPED_TRACE(std::string("source ") + source + ", value " + value + ": " + cell);
                const std::size_t at = cell.find("<img src=\"");
                if (at == std::string::npos) {
                    EXPECT_EQ(cell, whole ? "<td class=\"TrOdd\" align=Default>&nbsp;</td>" : "&nbsp;");
                    EXPECT_FALSE(value == harmless && std::string(source) == "[LINK]") << "a harmless picture dropped";
                    continue;
                }
                const std::size_t start = at + 10;
                const std::size_t end = cell.find('"', start);
                ASSERT_NE(end, std::string::npos);
                EXPECT_EQ(cell.substr(end, 10), "\" border=\"");
                const std::string src = BrowserReadsAttribute(cell.substr(start, end - start));
                const std::string scheme = SchemeBrowserSees(src);
                EXPECT_TRUE(scheme.empty() || scheme == "http" || scheme == "https" || scheme == "ftp" ||
                            scheme == "mailto")
                    << "the browser reads " << src;
                if (value == harmless && std::string(source) == "[LINK]") {
                    EXPECT_EQ(src, harmless);
                }
            }
        }
    }
    // The author's own address is the author's: kept whatever its scheme.
    columns_.ShowDataList.Put(1, "data:image/gif;base64,R0lGODlhAQABAAAAACw=");
    EXPECT_EQ(rows_->BuildCellContent(1), "<img src=\"data:image/gif;base64,R0lGODlhAQABAAAAACw=\" border=\"0\">");
}

TEST_F(HtmlRows, DroppedAddressLeavesTheContentUnlinked)
{
    Open("SELECT id, link FROM item ORDER BY id");
    Record(2);  // link: javascript:alert(1)
    for (const char* type : {"1", "2", "3"}) {
        SCOPED_TRACE(type);
        columns_.HyperlinkTypeList.Put(0, type);
        columns_.UrlList.Put(0, "[LINK]");
        columns_.ParamList.Put(0, "id=[ID]");
        EXPECT_EQ(rows_->CellUrl(0), "");
        EXPECT_EQ(rows_->BuildCell(0, "TrRows"), "<td class=\"TrRows\" align=Right>2</td>");
        EXPECT_EQ(rows_->BuildCellContent(0), "2");
    }
    // An address the author left empty is still the author's link.
    columns_.HyperlinkTypeList.Put(0, "1");
    columns_.UrlList.Put(0, "");
    EXPECT_EQ(rows_->BuildCellContent(0), "<a href=\"\">2</a>");
}

TEST_F(HtmlRows, FieldTags)
{
    Open("SELECT id, name, price, link, name AS \"Größe\" FROM item ORDER BY id");
    Record(1);
    struct Case {
        const char* text;
        TUrlPart part;
        const char* result;
    };
    const Case cases[] = {
        {"[ID]", TUrlPart::Path, "1"},
        {"[id].html", TUrlPart::Path, "1.html"},
        {"[x]", TUrlPart::Path, "x"},
        {"[nosuch]", TUrlPart::Path, "nosuch"},
        {"[PRICE] EUR", TUrlPart::Path, "1234.5 EUR"},
        {"a]b[ID]c", TUrlPart::Path, "a]b1c"},  // a "]" before the "[" is text
        {"[ID", TUrlPart::Path, "[ID"},
        {"no tags", TUrlPart::Path, "no tags"},
        {"[NAME]", TUrlPart::Path, "Tom%20&amp;%20Jerry%20%3Cb%3E"},  // "&" written for an attribute
        {"page.asp?n=[NAME]", TUrlPart::Path, "page.asp?n=Tom%20%26%20Jerry%20%3Cb%3E"},
        {"[NAME]", TUrlPart::Component, "Tom%20%26%20Jerry%20%3Cb%3E"},
        {"[LINK]", TUrlPart::Path, "http://example.com/a%20b"},
        {"[größe]", TUrlPart::Path, "Tom%20&amp;%20Jerry%20%3Cb%3E"},
        {"[ID][ID]/[x]", TUrlPart::Path, "11/x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(rows_->ReplaceFieldTags(c.text, c.part), c.result);
    }
    Record(2);
    EXPECT_EQ(rows_->ReplaceFieldTags("[PRICE]"), "");  // null
    EXPECT_EQ(rows_->ReplaceFieldTags("[NAME]"), "Sm%C3%B6rg%C3%A5sbord%20%22quoted%22%20it%27s");
}

// A tag names its field: it reads that field even while the column model and the query's
// field order are out of step (columns exchanged, the query not yet reordered).
TEST_F(HtmlRows, FieldTagsReadTheFieldOfTheirName)
{
    Open("SELECT id, name, link FROM item ORDER BY id");
    Record(1);
    columns_.ExchangeColumns(0, 2);
    ASSERT_EQ(columns_.Key(0), "LINK");
    EXPECT_EQ(rows_->ReplaceFieldTags("[ID]/[LINK]"), "1/http://example.com/a%20b");
    columns_.HyperlinkTypeList.Put(1, "1");
    columns_.UrlList.Put(1, "show.asp?id=[ID]");
    EXPECT_EQ(rows_->CellUrl(1), "show.asp?id=1");
}

// One writer walks every record, reading its columns once: each record's rows are what a
// writer made for that record alone writes, nulls after values included.
TEST_F(HtmlRows, OneWriterThroughEveryRecordWritesWhatAFreshWriterWrites)
{
    Open("SELECT id, name, price, amount, added, stamp, link, photo FROM item ORDER BY id");
    columns_.FormatList.Put(2, "1,2,1,-1,1");
    columns_.FormatList.Put(3, "1,1,0,0,0");
    columns_.FormatList.Put(5, "2,3,0,0,0");
    columns_.PrefixList.Put(2, "<b>");
    columns_.SuffixList.Put(2, " &euro;</b>");
    columns_.HyperlinkTypeList.Put(1, "3");
    columns_.UrlList.Put(1, "show.asp");
    columns_.ParamList.Put(1, "id=[ID],\"who=[NAME]\",at=[ADDED]");
    columns_.TargetList.Put(1, "main");
    columns_.HyperlinkTypeList.Put(6, "1");
    columns_.UrlList.Put(6, "[LINK]");
    columns_.FieldList.SetChecked(7, true);
    columns_.ShowDataList.Put(7, "img/[PHOTO]?n=[NAME]");
    columns_.ShowModeList.Put(4, "Hide");
    THtmlRowWriter writer(columns_, *query_);
    std::string header;
    writer.AppendHeaderRow(header);
    EXPECT_EQ(header, rows_->BuildHeaderRow());
    int r = 0;
    for (query_->First(); !query_->Eof(); query_->Next(), ++r) {
        SCOPED_TRACE("record " + std::to_string(r + 1));
        std::string style1 = "kept";
        writer.AppendRowStyle1(style1, r);
        EXPECT_EQ(style1, "kept" + rows_->BuildRowStyle1(r));
        std::string style2;
        writer.AppendRowStyle2(style2, r);
        EXPECT_EQ(style2, rows_->BuildRowStyle2(r));
        for (int i = 0; i < columns_.ColumnCount(); ++i) EXPECT_EQ(writer.CellContent(i), rows_->BuildCellContent(i)) << i;
    }
    EXPECT_EQ(r, 3);

    // A malformed entry raises at every row, not only at the first.
    columns_.FormatList.Put(3, "1,2");
    THtmlRowWriter broken(columns_, *query_);
    query_->First();
    std::string out;
    EXPECT_THROW(broken.AppendRowStyle1(out, 0), rtl::EListError);
    EXPECT_THROW(broken.AppendRowStyle1(out, 0), rtl::EListError);
}

}  // namespace
