#include "designer/AspScript.h"

#include "designer/ColumnModel.h"
#include "designer/Formats_Utils.h"
#include "platform/rtl/StringList.h"

namespace designer {

namespace {

constexpr const char* kCrLf = "\r\n";
// The row scripts start some statements after two carriage returns without line feeds, as
// the pages have always been written.
constexpr const char* kCrCr = "\r\r";

// Chooses the row's style-sheet class: "TrOdd" for the first, third, ... row.
const std::string kRowClassBlock = std::string(kCrLf) + "  if intRowCount mod 2 = 0 then" + kCrLf +
                                   "    CssClass = \"\"\"TrOdd\"\"\"" + kCrLf + "  else" + kCrLf +
                                   "    CssClass = \"\"\"TrRows\"\"\"" + kCrLf + "  end if";

// The lines joined by CR LF; the page writer ends the last one.
std::string Lines(std::initializer_list<std::string_view> lines)
{
    std::string s;
    bool first = true;
    for (std::string_view line : lines) {
        if (!first) s += kCrLf;
        s += line;
        first = false;
    }
    return s;
}

}  // namespace

std::string QuoteForScript(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            out += "\"\"";
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out += "\" & vbCrLf & \"";
            ++i;
        } else if (c == '\r') {
            out += "\" & vbCr & \"";
        } else if (c == '\n') {
            out += "\" & vbLf & \"";
        } else if (c == '>' && i > 0 && text[i - 1] == '%') {
            // The host ends the script block at the first "%>", even inside a literal.
            out += "\" & \">";
        } else {
            out += c;
        }
    }
    return out;
}

std::string ScriptFormatExpression(std::string_view expression, std::string_view entry)
{
    const TFormatEntry e = ParseFormatEntry(entry);
    const auto t = [](int v) { return v == 0 ? std::string("0") : std::string("-1"); };
    if (e.Kind == fkNumber)
        return "FormatNumber(" + std::string(expression) + "," + std::to_string(e.Digits) + "," + t(e.Leading) + "," +
               t(e.Parentheses) + "," + t(e.Grouping) + ")";
    if (e.Kind == fkDateTime) return "FormatDateTime(" + std::string(expression) + "," + std::to_string(e.Digits) + ")";
    return std::string(expression);
}

std::string BuildAspNavigationBar(int kind, bool atTop, std::string_view linkBase)
{
    const std::string base = QuoteForScript(linkBase);
    const std::string page = "<A HREF=\"\"" + base + ".asp?Page=";
    if (kind == 1) {
        const std::string anchor = atTop ? "<A HREF=#BOTTOM>Bottom</A> <br><br>" : "<A HREF=#TOP>Top</A> <br><br>";
        return Lines({"", "<%", "Response.Write \"" + page + "1\"\">First page</A> |\"", "if Current_Page > 1 then",
                      "  Response.Write \"" + page + "\" &(Current_Page - 1)& \"\"\">Prev</A> |\"", "else",
                      "  Response.Write \"Prev |\"", "end if", "if Current_Page < Page_Count then",
                      "  Response.Write \"" + page + "\" &(Current_Page + 1)& \"\"\">Next</A> |\"", "else",
                      "  Response.Write \"Next |\"", "end if",
                      "Response.Write \"" + page + "\" &Page_Count& \"\"\">Last page</A> |\"",
                      "Response.Write \"" + anchor + "\"", "%>"});
    }
    if (kind == 2) {
        return Lines({"", "<%", "if (Current_Page mod 20) = 0 then ", "  StartPage = Current_Page - 19", "else",
                      "  StartPage = Current_Page - (Current_Page mod 20) + 1", "end if", "if Current_Page = 1 then",
                      "  Response.Write \"[Previous]&nbsp;\"", "else",
                      "  Response.Write \"[" + page + "\" &(Current_Page - 1)& \"\"\">Previous</A>]&nbsp;\"", "end if",
                      "For i = 0 to 19", "  if (StartPage + i) <= Page_Count then",
                      "    if (StartPage + i) = Current_Page then",
                      "      Response.Write \"<b>\" &(StartPage + i)& \"</b>&nbsp;\"", "    else",
                      "      Response.Write\"" + page + "\" &(StartPage + i)& \"\"\">\" &(StartPage + i)& \"</A>&nbsp;\"",
                      "    end if", "  end if", "Next", "if Current_Page = Page_Count then",
                      "  Response.Write \"[Next]\"", "else",
                      "  Response.Write \"[" + page + "\" &(Current_Page + 1)& \"\"\">Next</A>]&nbsp;\"", "end if",
                      "Response.Write \"<br><br>\"", "%>"});
    }
    return {};
}

std::string AspDataPageFunctions()
{
    return Lines({
        "' A value shown in a cell, with its markup characters written as references.",
        "Function GwHtml(v)",
        "  If IsNull(v) Then",
        "    GwHtml = \"\"",
        "  Else",
        "    GwHtml = Replace(Replace(Replace(Replace(Replace(CStr(v), \"&\", \"&amp;\"), \"<\", \"&lt;\"), \">\", \"&gt;\"), \"\"\"\", \"&quot;\"), \"'\", \"&#39;\")",
        "  End If",
        "End Function",
        "",
        "Function GwHex(b)",
        "  GwHex = \"%\" & Right(\"0\" & Hex(b), 2)",
        "End Function",
        "",
        "' The UTF-8 bytes of code point n, percent-encoded.",
        "Function GwUtf8(n)",
        "  If n < &H80& Then",
        "    GwUtf8 = GwHex(n)",
        "  ElseIf n < &H800& Then",
        "    GwUtf8 = GwHex(&HC0& Or (n \\ &H40&)) & GwHex(&H80& Or (n And &H3F&))",
        "  ElseIf n < &H10000& Then",
        "    GwUtf8 = GwHex(&HE0& Or (n \\ &H1000&)) & GwHex(&H80& Or ((n \\ &H40&) And &H3F&)) & GwHex(&H80& Or (n And &H3F&))",
        "  Else",
        "    GwUtf8 = GwHex(&HF0& Or (n \\ &H40000&)) & GwHex(&H80& Or ((n \\ &H1000&) And &H3F&)) & GwHex(&H80& Or ((n \\ &H40&) And &H3F&)) & GwHex(&H80& Or (n And &H3F&))",
        "  End If",
        "End Function",
        "",
        "' A value placed into an address: letters, digits and - . _ ~ stay, and in the path of",
        "' an address (component False) also / : ? # @ ! $ & ( ) * + , ; = %; every other",
        "' character is percent-encoded as UTF-8, and a remaining & is written for the attribute.",
        "Function GwUrl(v, component)",
        "  Dim s, i, c, n, keep, out",
        "  GwUrl = \"\"",
        "  If IsNull(v) Then Exit Function",
        "  s = CStr(v)",
        "  keep = \"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~\"",
        "  If Not component Then keep = keep & \"/:?#@!$&()*+,;=%\"",
        "  out = \"\"",
        "  i = 1",
        "  Do While i <= Len(s)",
        "    c = Mid(s, i, 1)",
        "    If InStr(1, keep, c, 0) > 0 Then",
        "      out = out & c",
        "    Else",
        "      n = AscW(c) And &HFFFF&",
        "      If n >= &HD800& And n <= &HDBFF& And i < Len(s) Then",
        "        i = i + 1",
        "        n = &H10000& + (n - &HD800&) * &H400& + ((AscW(Mid(s, i, 1)) And &HFFFF&) - &HDC00&)",
        "      End If",
        "      out = out & GwUtf8(n)",
        "    End If",
        "    i = i + 1",
        "  Loop",
        "  GwUrl = Replace(out, \"&\", \"&amp;\")",
        "End Function",
        "",
        "' True for a relative address and for the schemes http, https, ftp and mailto, read as a",
        "' browser reads the attribute: character references resolved, control characters dropped.",
        "Function GwSafeLink(url)",
        "  Dim s, t, i, c, j, n, scheme",
        "  s = CStr(url)",
        "  t = \"\"",
        "  i = 1",
        "  Do While i <= Len(s)",
        "    c = Mid(s, i, 1)",
        "    If c = \"&\" And LCase(Mid(s, i, 5)) = \"&amp;\" Then",
        "      c = \"&\"",
        "      i = i + 4",
        "    ElseIf c = \"&\" And Mid(s, i + 1, 1) = \"#\" Then",
        "      j = i + 2",
        "      n = 0",
        "      If LCase(Mid(s, j, 1)) = \"x\" Then",
        "        j = j + 1",
        "        Do While j <= Len(s) And InStr(1, \"0123456789abcdef\", LCase(Mid(s, j, 1)), 0) > 0 And n < &H110000",
        "          n = n * 16 + InStr(1, \"0123456789abcdef\", LCase(Mid(s, j, 1)), 0) - 1",
        "          j = j + 1",
        "        Loop",
        "      Else",
        "        Do While j <= Len(s) And InStr(1, \"0123456789\", Mid(s, j, 1), 0) > 0 And n < &H110000",
        "          n = n * 10 + InStr(1, \"0123456789\", Mid(s, j, 1), 0) - 1",
        "          j = j + 1",
        "        Loop",
        "      End If",
        "      If Mid(s, j, 1) = \";\" Then j = j + 1",
        "      If n < 128 Then c = Chr(n) Else c = \"?\"",
        "      i = j - 1",
        "    End If",
        "    If AscW(c) >= 32 Or AscW(c) < 0 Then t = t & c",
        "    i = i + 1",
        "  Loop",
        "  t = LTrim(t)",
        "  GwSafeLink = True",
        "  For i = 1 To Len(t)",
        "    c = Mid(t, i, 1)",
        "    If c = \"/\" Or c = \"?\" Or c = \"#\" Then Exit Function",
        "    If c = \":\" Then",
        "      scheme = LCase(Left(t, i - 1))",
        "      GwSafeLink = (scheme = \"http\" Or scheme = \"https\" Or scheme = \"ftp\" Or scheme = \"mailto\")",
        "      Exit Function",
        "    End If",
        "  Next",
        "End Function",
        "",
        "' The requested page: a whole number of at most nine digits, else page 1.",
        "Function GwPageNumber(v)",
        "  Dim s, i",
        "  GwPageNumber = 1",
        "  If IsNull(v) Or IsEmpty(v) Then Exit Function",
        "  s = CStr(v)",
        "  If Len(s) = 0 Or Len(s) > 9 Then Exit Function",
        "  For i = 1 To Len(s)",
        "    If InStr(1, \"0123456789\", Mid(s, i, 1), 0) = 0 Then Exit Function",
        "  Next",
        "  GwPageNumber = CLng(s)",
        "End Function",
    });
}

// ---- TAspScriptBuilder -----------------------------------------------------------------

TAspScriptBuilder::TAspScriptBuilder(const TColumnModel& columns, std::vector<std::string> fieldNames)
    : columns_(columns), fieldNames_(std::move(fieldNames))
{
}

std::string TAspScriptBuilder::FieldRef(int i) const
{
    const std::string name = i >= 0 && i < static_cast<int>(fieldNames_.size()) ? fieldNames_[static_cast<std::size_t>(i)]
                                                                                : columns_.Key(i);
    return "Rs(\"" + QuoteForScript(name) + "\")";
}

std::string TAspScriptBuilder::ScriptFieldExpression(std::string_view text, TUrlPart part, bool* usedData) const
{
    std::string result = "\"";
    std::string literal;  // what the author wrote so far: decides whether a value is a component
    std::string run;      // the literal text since the last field, quoted as one piece
    ForEachFieldTag(
        text,
        [&](std::string_view piece) {
            run += piece;
            literal += piece;
        },
        [&](std::string_view name) {
            const int column = columns_.IndexOfKey(ColumnKey(name));
            if (column < 0) {
                run += name;
                literal += name;
                return;
            }
            const bool component = part == TUrlPart::Component || literal.find_first_of("?#") != std::string::npos;
            result += QuoteForScript(run) + "\"&GwUrl(Rs(\"" + QuoteForScript(columns_.Key(column)) + "\")," +
                      (component ? "True" : "False") + ")&\"";
            run.clear();
            if (usedData != nullptr) *usedData = true;
        });
    return result + QuoteForScript(run) + "\"";
}

std::string TAspScriptBuilder::ScriptCellUrl(int i, bool* usedData) const
{
    return ScriptFieldExpression(columns_.UrlList.Strings(i), TUrlPart::Path, usedData);
}

std::string TAspScriptBuilder::ScriptCellTargetAttr(int i) const
{
    const std::string target = columns_.TargetList.Strings(i);
    if (target.empty()) return {};
    return " target=\"\"" + QuoteForScript(target) + "\"\"";
}

std::string TAspScriptBuilder::ScriptCellParamQuery(int i) const
{
    rtl::TStringList params;
    params.SetCommaText(columns_.ParamList.Strings(i));
    if (params.Count() == 0) return {};
    std::string s = "\"";
    for (int k = 0; k < params.Count(); ++k) {
        s += "\"&" + ScriptFieldExpression(params.Strings(k), TUrlPart::Component);
        if (k + 1 < params.Count()) s += "&\"&";
    }
    return s;
}

std::string TAspScriptBuilder::ValueExpression(int i) const
{
    if (columns_.IsImage(i)) {
        std::string w, h;
        if (columns_.PrefixList.Checked(i)) w = " width=\"\"" + QuoteForScript(columns_.PrefixList.Strings(i)) + "\"\"";
        if (columns_.SuffixList.Checked(i)) h = " height=\"\"" + QuoteForScript(columns_.SuffixList.Strings(i)) + "\"\"";
        bool usedData = false;
        const std::string src = ScriptFieldExpression(columns_.ShowDataList.Strings(i), TUrlPart::Path, &usedData);
        // An address that takes data is in CellUrl, checked by TestBlock.
        return "\"<img src=\"\"\"&" + (usedData ? std::string("CellUrl") : src) + "&\"\"\"" + w + h + " border=\"\"0\"\">\"";
    }
    if (columns_.ShowDataList.Checked(i))
        return "\"" + QuoteForScript(columns_.PrefixList.Strings(i)) + "\"&GwHtml(" +
               ScriptFormatExpression(FieldRef(i), columns_.FormatList.Strings(i)) + ")&\"" +
               QuoteForScript(columns_.SuffixList.Strings(i)) + "\"";
    return "\"" + QuoteForScript(columns_.ShowDataList.Strings(i)) + "\"";
}

std::string TAspScriptBuilder::TestBlock(int i, const std::string& value) const
{
    std::string assign = "    CellValue = " + value;
    bool usedData = false;
    if (columns_.IsImage(i)) {
        const std::string src = ScriptFieldExpression(columns_.ShowDataList.Strings(i), TUrlPart::Path, &usedData);
        // A picture address that takes data is read as a link address is: shown only when safe.
        if (usedData)
            assign = "    CellUrl = " + src + kCrLf + "    if GwSafeLink(CellUrl) then" + kCrLf + "  " + assign + kCrLf +
                     "    else" + kCrLf + "      CellValue = \"&nbsp;\"" + kCrLf + "    end if";
    }
    return std::string(kCrLf) + "  if " + FieldRef(i) + " <> \"\"  then" + kCrLf + assign + kCrLf + "  else" + kCrLf +
           "    CellValue = \"&nbsp;\"" + kCrLf + "  end if";
}

std::string TAspScriptBuilder::LinkStatements(int i, const std::string& tdOpen, const std::string& classAttr,
                                              const std::string& close) const
{
    const std::string type = columns_.HyperlinkTypeList.Strings(i);
    if (type != "1" && type != "2" && type != "3") return {};
    bool usedData = false;
    const std::string url = ScriptCellUrl(i, &usedData);
    // An address that takes data is kept in CellUrl and linked only when it is safe to open.
    const std::string address = usedData ? "CellUrl" : url;
    std::string href;
    if (type == "1")
        href = "<a href=\"\"\"&" + address;
    else if (type == "2")
        href = "<a href=\"\"mailto:\"&" + address;
    else
        href = "<a href=\"\"\"&" + address + "&\"?\"&" + ScriptCellParamQuery(i);
    const std::string link = tdOpen + href + "&\"\"\"" + classAttr + ScriptCellTargetAttr(i) + ">\" &CellValue& \"</a>" + close;
    if (!usedData) return std::string(kCrLf) + link;
    return std::string(kCrLf) + "  CellUrl = " + url + kCrLf + "  if GwSafeLink(CellUrl) then" + kCrLf + link + kCrLf +
           "  else" + kCrLf + tdOpen + "\" &CellValue& \"" + close + kCrLf + "  end if";
}

std::string TAspScriptBuilder::BuildAspCell(int i) const
{
    if (columns_.IsHidden(i)) return {};
    const std::string open =
        "Response.Write \"<td class=\" &CssClass& \" align=" + QuoteForScript(columns_.AlignmentList.Strings(i) + ">");
    const std::string close = "</td>\"";
    std::string s = TestBlock(i, ValueExpression(i));
    const std::string link = LinkStatements(i, open, " class=\" &CssClass& \"", close);
    if (!link.empty()) return s + link;
    return s + kCrLf + open + "\" &CellValue& \"" + close;
}

std::string TAspScriptBuilder::BuildAspCellContent(int i) const
{
    std::string s = std::string(kCrLf) + "  <%" + TestBlock(i, ValueExpression(i));
    const std::string link = LinkStatements(i, "Response.Write \"", " class=\" &CssClass& \"", "\"");
    s += link.empty() ? std::string(kCrLf) + "Response.Write CellValue" : link;
    return s + kCrLf + "  %>";
}

std::string TAspScriptBuilder::HeadingHtml(int i) const
{
    // A heading that is still the column's name came from the database: it is data.
    const std::string heading = columns_.Heading(i);
    return columns_.HeadingIsColumnName(i) ? HtmlEscape(heading) : heading;
}

std::string TAspScriptBuilder::HeadingText(int i) const { return QuoteForScript(HeadingHtml(i)); }

std::string TAspScriptBuilder::BuildAspRowStyle1() const
{
    std::string s = std::string(kCrCr) + "  Response.Write \"<tr>\"" + kRowClassBlock;
    for (int i = 0; i < columns_.ColumnCount(); ++i) s += BuildAspCell(i);
    return s + kCrLf + "   Response.Write \"</tr>\"";
}

std::string TAspScriptBuilder::BuildAspRowStyle2() const
{
    std::string s = kRowClassBlock;
    for (int i = 0; i < columns_.ColumnCount(); ++i) {
        if (columns_.IsHidden(i)) continue;
        s += std::string(kCrCr) + "  Response.Write \"<tr>\"" + kCrLf + "  Response.Write \"<td class=\"\"ThRows\"\">" +
             HeadingText(i) + "</td>\"" + BuildAspCell(i) + kCrCr + "  Response.Write \"</tr>\"";
    }
    return s;
}

std::string TAspScriptBuilder::BuildAspTemplateRow(std::string_view templateScript) const
{
    return kRowClassBlock + kCrCr + "  Response.Write \"<tr><td>\" %>" + kCrLf + std::string(templateScript) + kCrCr +
           "  <% Response.Write \"</td></tr>\"";
}

}  // namespace designer
