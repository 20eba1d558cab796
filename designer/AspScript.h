#pragma once
// The VBScript of the server-side pages, record by record: the cell of each column, the row
// scripts of the three layouts, the navigation bars, and the expressions they are built of.
//
// Everything the author typed (headings, prefixes, suffixes, fixed texts, addresses,
// targets, the SQL, the connection string) and every name from the database goes into
// VBScript string literals through QuoteForScript, so no text can end a literal, break its
// line or end the script block, and each reads back as it was. Data read by the page at run
// time is treated as the static pages treat it: a field value shown in a cell is HTML-encoded
// (GwHtml), a value placed into an address or a parameter is percent-encoded by the static
// pages' rules (GwUrl), and an address that takes data is linked, and a picture address that
// takes data shown, only when a browser would read its scheme as http, https, ftp or mailto,
// or as none (GwSafeLink). Those three
// functions, and GwPageNumber which reads the requested page as a bounded whole number, are
// written once into every data page (AspDataPageFunctions).

#include <string>
#include <string_view>
#include <vector>

#include "designer/HtmlText.h"

namespace designer {

class TColumnModel;

// `text` for between the quotes of a VBScript string literal that stands in an expression:
// every double quote doubled; CR LF, CR and LF closed out of the literal as vbCrLf, vbCr and
// vbLf (a literal cannot span lines); the ">" of every "%>" moved into a literal of its own
// ("%" & ">"), since the host ends the script block at "%>" even inside a string. Any other
// text comes back unchanged. Callers quote a whole run of literal text at once and write no
// ">" right after it, so that no "%" of the text meets a ">" outside.
std::string QuoteForScript(std::string_view text);

// The VBScript expression of a format entry over `expression`: FormatNumber for kind 1,
// FormatDateTime for kind 2, the expression itself otherwise. A malformed entry raises as
// ParseFormatEntry does.
std::string ScriptFormatExpression(std::string_view expression, std::string_view entry);

// The navigation bar of a data page: kind 1 first/prev/next/last with a Bottom (atTop) or
// Top link, kind 2 page numbers in blocks of 20, any other kind nothing. The lines, an
// empty first one included, are joined by CR LF; the page writer ends the last.
std::string BuildAspNavigationBar(int kind, bool atTop, std::string_view linkBase);

// The VBScript functions every data page declares (GwHtml, GwUrl, GwSafeLink,
// GwPageNumber), as lines joined by CR LF.
std::string AspDataPageFunctions();

class TAspScriptBuilder {
public:
    // `fieldNames`: the names of the open query's fields, in field order (column i is field i).
    TAspScriptBuilder(const TColumnModel& columns, std::vector<std::string> fieldNames);

    // A VBScript string expression of `text` with every "[" KEY "]" naming a column replaced
    // by that field's value, percent-encoded as `part` says (a value after a "?" or "#" as a
    // component); a bracketed name that is no column's key stays as the name. A "]" is looked
    // for after its "[" only. `usedData` is set when a field was used.
    std::string ScriptFieldExpression(std::string_view text, TUrlPart part, bool* usedData = nullptr) const;
    std::string ScriptCellUrl(int i, bool* usedData = nullptr) const;
    // ` target=""..""` or empty.
    std::string ScriptCellTargetAttr(int i) const;
    // The link parameters joined by "&", each value a component.
    std::string ScriptCellParamQuery(int i) const;

    // The statements of column i's cell, its td element included; empty for a hidden column.
    std::string BuildAspCell(int i) const;
    // The same without td element and with its own script brackets, for layout templates.
    std::string BuildAspCellContent(int i) const;

    std::string BuildAspRowStyle1() const;
    std::string BuildAspRowStyle2() const;
    // `templateScript`: the layout template expanded in script mode.
    std::string BuildAspTemplateRow(std::string_view templateScript) const;
    const TColumnModel& Columns() const { return columns_; }
    // Column i's heading for the page around the script: escaped while it is the column's
    // name; HeadingText is the same inside a VBScript literal.
    std::string HeadingHtml(int i) const;
    std::string HeadingText(int i) const;

private:
    std::string FieldRef(int i) const;
    std::string ValueExpression(int i) const;
    std::string TestBlock(int i, const std::string& value) const;
    // The link statements of column i writing `open` + link + CellValue + `close`; empty for
    // no link. `tdOpen` precedes the content either way.
    std::string LinkStatements(int i, const std::string& tdOpen, const std::string& classAttr,
                               const std::string& close) const;

    const TColumnModel& columns_;
    std::vector<std::string> fieldNames_;
};

}  // namespace designer
