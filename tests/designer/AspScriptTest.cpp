// The VBScript of the server-side pages: literals with their quotes doubled, data encoded as
// the static pages encode it, and the cell, row and navigation scripts. No ASP server runs
// here, so the checks are on the text.

#include <gtest/gtest.h>

#include "designer/AspScript.h"
#include "designer/ColumnModel.h"
#include "platform/rtl/Exceptions.h"

using namespace designer;

namespace {

class AspScript : public ::testing::Test {
protected:
    void SetUp() override
    {
        model.RebuildColumnList("Reset", std::vector<TColumnField>{{"id", db::ftInteger},
                                                                  {"name", db::ftString},
                                                                  {"photo", db::ftString}});
    }
    TAspScriptBuilder Builder() const { return TAspScriptBuilder(model, {"id", "name", "photo"}); }

    TColumnModel model;
};

TEST_F(AspScript, LiteralsAndFormats)
{
    EXPECT_EQ(QuoteForScript(R"(say "hi" '')"), R"(say ""hi"" '')");
    EXPECT_EQ(QuoteForScript(""), "");
    struct Case {
        const char* entry;
        const char* expected;
    };
    for (const Case& c : {Case{"1,3,1,0,2", "FormatNumber(Rs(\"X\"),3,-1,0,-1)"},
                          Case{"1,0,0,1,0", "FormatNumber(Rs(\"X\"),0,0,-1,0)"},
                          Case{"2,4,0,0,0", "FormatDateTime(Rs(\"X\"),4)"}, Case{"0,0,0,0,0", "Rs(\"X\")"}}) {
        EXPECT_EQ(ScriptFormatExpression("Rs(\"X\")", c.entry), c.expected) << c.entry;
    }
    EXPECT_THROW(ScriptFormatExpression("x", "1,a,0,0,0"), rtl::EConvertError);
}

TEST_F(AspScript, FieldExpressions)
{
    const TAspScriptBuilder b = Builder();
    struct Case {
        std::string text;
        TUrlPart part;
        std::string expected;
        bool data;
    };
    const Case cases[] = {
        {"Item [id] of [X]", TUrlPart::Path, R"("Item "&GwUrl(Rs("ID"),False)&" of X")", true},
        {"[NAME]", TUrlPart::Component, R"(""&GwUrl(Rs("NAME"),True)&"")", true},
        // A value after "?" or "#" is a component.
        {"show.asp?n=[name]", TUrlPart::Path, R"("show.asp?n="&GwUrl(Rs("NAME"),True)&"")", true},
        // A "]" before its "[" closes nothing.
        {"a]b[id]", TUrlPart::Path, R"("a]b"&GwUrl(Rs("ID"),False)&"")", true},
        {"no [tag", TUrlPart::Path, R"("no [tag")", false},
        {R"(say "[x]")", TUrlPart::Path, R"("say ""x""")", false},
    };
    for (const Case& c : cases) {
        bool used = false;
        EXPECT_EQ(b.ScriptFieldExpression(c.text, c.part, &used), c.expected) << c.text;
        EXPECT_EQ(used, c.data) << c.text;
    }
    model.ParamList.Put(0, "\"a=[id]\",\"b=q\"\"x\"");  // a=[id] and b=q"x
    EXPECT_EQ(b.ScriptCellParamQuery(0), R"(""&"a="&GwUrl(Rs("ID"),True)&""&"&"&"b=q""x")");
    EXPECT_EQ(b.ScriptCellParamQuery(1), "");
    model.TargetList.Put(0, "_bl\"ank");
    EXPECT_EQ(b.ScriptCellTargetAttr(0), R"( target=""_bl""ank"")");
    EXPECT_EQ(b.ScriptCellTargetAttr(1), "");
}

TEST_F(AspScript, CellsOfEveryKind)
{
    // Column 0: a number with prefix and suffix; 1: a fixed text with quotes; 2: an image.
    model.PrefixList.Put(0, "No. \"");
    model.SuffixList.Put(0, "!");
    model.ShowDataList.Put(1, "say \"hi\"");
    model.ShowDataList.SetChecked(1, false);
    model.AlignmentList.Put(1, "Center");
    model.FieldList.SetChecked(2, true);
    model.ShowDataList.Put(2, "img/[photo]");
    model.PrefixList.Put(2, "64");
    model.PrefixList.SetChecked(2, true);
    const TAspScriptBuilder b = Builder();
    const std::string test0 = "\r\n  if Rs(\"id\") <> \"\"  then\r\n    CellValue = ";
    const std::string tail = "\r\n  else\r\n    CellValue = \"&nbsp;\"\r\n  end if\r\n";
    EXPECT_EQ(b.BuildAspCell(0), test0 + R"("No. """&GwHtml(FormatNumber(Rs("id"),0,-1,0,-1))&"!")" + tail +
                                     R"(Response.Write "<td class=" &CssClass& " align=Right>" &CellValue& "</td>")");
    EXPECT_EQ(b.BuildAspCell(1), "\r\n  if Rs(\"name\") <> \"\"  then\r\n    CellValue = \"say \"\"hi\"\"\"" + tail +
                                     R"(Response.Write "<td class=" &CssClass& " align=Center>" &CellValue& "</td>")");
    // A picture address that takes data is shown only when it is safe as a link address.
    EXPECT_EQ(b.BuildAspCell(2),
              "\r\n  if Rs(\"photo\") <> \"\"  then\r\n    CellUrl = \"img/\"&GwUrl(Rs(\"PHOTO\"),False)&\"\"\r\n"
              "    if GwSafeLink(CellUrl) then\r\n      CellValue = "
              R"("<img src="""&CellUrl&""" width=""64"" border=""0"">")"
              "\r\n    else\r\n      CellValue = \"&nbsp;\"\r\n    end if" +
                  tail + R"(Response.Write "<td class=" &CssClass& " align=Default>" &CellValue& "</td>")");
    // The author's own address is written as it is.
    model.ShowDataList.Put(2, "img/logo.gif");
    EXPECT_EQ(b.BuildAspCell(2),
              "\r\n  if Rs(\"photo\") <> \"\"  then\r\n    CellValue = "
              R"("<img src="""&"img/logo.gif"&""" width=""64"" border=""0"">")" +
                  tail + R"(Response.Write "<td class=" &CssClass& " align=Default>" &CellValue& "</td>")");
    model.ShowModeList.Put(1, "Hide");
    EXPECT_EQ(b.BuildAspCell(1), "");
    // A template cell ignores the mark and brings its own script brackets.
    EXPECT_EQ(b.BuildAspCellContent(1), "\r\n  <%\r\n  if Rs(\"name\") <> \"\"  then\r\n    CellValue = \"say \"\"hi\"\"\"" +
                                            tail + "Response.Write CellValue\r\n  %>");
}

TEST_F(AspScript, LinksTakingDataAreCheckedBeforeTheyAreWritten)
{
    const TAspScriptBuilder b = Builder();
    const std::string td = R"(Response.Write "<td class=" &CssClass& " align=Default>)";
    struct Case {
        const char* type;
        const char* url;
        const char* params;
        std::string statements;  // after the test block
    };
    const Case cases[] = {
        // An author's address alone: written as it is.
        {"1", "http://example.com/", "",
         "\r\n" + td + R"(<a href="""&"http://example.com/"&""" class=" &CssClass& ">" &CellValue& "</a></td>")"},
        {"3", "run.asp", "id=[id]",
         "\r\n" + td +
             R"(<a href="""&"run.asp"&"?"&""&"id="&GwUrl(Rs("ID"),True)&""&""" class=" &CssClass& ">" &CellValue& "</a></td>")"},
        // Data in the address: linked only when its scheme is safe.
        {"2", "[name]", "",
         "\r\n  CellUrl = \"\"&GwUrl(Rs(\"NAME\"),False)&\"\"\r\n  if GwSafeLink(CellUrl) then\r\n" + td +
             R"(<a href=""mailto:"&CellUrl&""" class=" &CssClass& ">" &CellValue& "</a></td>")" + "\r\n  else\r\n" + td +
             R"(" &CellValue& "</td>")" + "\r\n  end if"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        model.HyperlinkTypeList.Put(1, c.type);
        model.UrlList.Put(1, c.url);
        model.ParamList.Put(1, c.params);
        const std::string cell = b.BuildAspCell(1);
        const std::size_t end = cell.find("end if") + 6;
        EXPECT_EQ(cell.substr(end), c.statements);
    }
}

TEST_F(AspScript, RowScripts)
{
    model.ShowModeList.Put(1, "Hide");
    model.SetHeading(0, "Nr. \"1\"");
    const TAspScriptBuilder b = Builder();
    const std::string rowClass =
        "\r\n  if intRowCount mod 2 = 0 then\r\n    CssClass = \"\"\"TrOdd\"\"\"\r\n  else\r\n    CssClass = "
        "\"\"\"TrRows\"\"\"\r\n  end if";
    EXPECT_EQ(b.BuildAspRowStyle1(), "\r\r  Response.Write \"<tr>\"" + rowClass + b.BuildAspCell(0) + b.BuildAspCell(2) +
                                         "\r\n   Response.Write \"</tr>\"");
    // Style 2: a row per shown column; a typed heading as typed, a column's name escaped.
    model.SetHeading(2, "photo<");
    const std::string style2 = b.BuildAspRowStyle2();
    EXPECT_EQ(style2.substr(0, rowClass.size()), rowClass);
    EXPECT_NE(style2.find(R"(<td class=""ThRows"">Nr. ""1""</td>")"), std::string::npos);
    EXPECT_EQ(style2.find("NAME"), std::string::npos);
    EXPECT_EQ(b.BuildAspTemplateRow("<b>x</b>"),
              rowClass + "\r\r  Response.Write \"<tr><td>\" %>\r\n<b>x</b>\r\r  <% Response.Write \"</td></tr>\"");
}

TEST_F(AspScript, NavigationBars)
{
    EXPECT_EQ(BuildAspNavigationBar(0, true, "sales_data"), "");
    const std::string first = BuildAspNavigationBar(1, true, "sales_data");
    EXPECT_TRUE(first.starts_with("\r\n<%\r\nResponse.Write \"<A HREF=\"\"sales_data.asp?Page=1\"\">First page</A> |\"\r\n"));
    EXPECT_TRUE(first.ends_with("Response.Write \"<A HREF=#BOTTOM>Bottom</A> <br><br>\"\r\n%>"));
    EXPECT_NE(BuildAspNavigationBar(1, false, "s").find("<A HREF=#TOP>Top</A>"), std::string::npos);
    const std::string numbers = BuildAspNavigationBar(2, false, "s");
    EXPECT_NE(numbers.find("if (Current_Page mod 20) = 0 then \r\n"), std::string::npos);
    EXPECT_NE(numbers.find("      Response.Write\"<A HREF=\"\"s.asp?Page=\" &(StartPage + i)& \"\"\">\" &(StartPage + i)& "
                           "\"</A>&nbsp;\"\r\n"),
              std::string::npos);
    EXPECT_TRUE(numbers.ends_with("Response.Write \"<br><br>\"\r\n%>"));
    // A base name holding a quote cannot end the literal.
    EXPECT_NE(BuildAspNavigationBar(1, true, "a\"b").find("a\"\"b.asp"), std::string::npos);
}

TEST_F(AspScript, DataPageFunctionsAreDeclaredOnce)
{
    const std::string f = AspDataPageFunctions();
    for (const char* name : {"Function GwHtml(v)", "Function GwUrl(v, component)", "Function GwSafeLink(url)",
                             "Function GwPageNumber(v)"}) {
        const std::size_t at = f.find(name);
        EXPECT_NE(at, std::string::npos) << name;
        EXPECT_EQ(f.find(name, at + 1), std::string::npos) << name;
    }
    // Every literal is closed: an even number of quotes a line.
    std::size_t start = 0;
    while (start < f.size()) {
        std::size_t end = f.find("\r\n", start);
        if (end == std::string::npos) end = f.size();
        const std::string line = f.substr(start, end - start);
        const std::string code = line.starts_with("'") ? "" : line;
        EXPECT_EQ(std::count(code.begin(), code.end(), '"') % 2, 0) << line;
        start = end + 2;
    }
}

}  // namespace
