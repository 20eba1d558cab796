#include "grid/GridExport.h"

#include <cerrno>
#include <cmath>
#include <cstdio>

#include "grid/PublishedDBGrid.h"
#include "platform/db/DataSet.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Addresses.h"
#include "platform/rtl/Colors.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Graphics.h"
#include "platform/classes/TypInfo.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Screen.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Log.h"
#include "platform/rtl/Paths.h"
#include "platform/rtl/Scope.h"
#include "platform/rtl/TextWriter.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Forms.h"

namespace grid {

namespace {

constexpr std::string_view kCrLf = "\r\n";

bool IsTextField(const db::TField* field)
{
    if (field == nullptr) return true;
    switch (field->DataType()) {
    case db::ftString:
    case db::ftFixedChar:
    case db::ftWideString:
    case db::ftMemo:
    case db::ftFmtMemo:
    case db::ftOraClob:
    case db::ftGuid:
    case db::ftVariant:
    case db::ftUnknown: return true;
    default: return false;
    }
}

bool IsIntegerField(const db::TField* field)
{
    if (field == nullptr) return false;
    const db::TFieldType t = field->DataType();
    return t == db::ftSmallint || t == db::ftInteger || t == db::ftWord || t == db::ftLargeint || t == db::ftAutoInc;
}

bool SameFont(const classes::TFont& a, const classes::TFont& b, bool withStyle)
{
    return a.Name() == b.Name() && a.Size() == b.Size() && a.Color() == b.Color() &&
           (!withStyle || a.Style() == b.Style());
}

std::string ReplaceAll(std::string_view text, std::string_view what, std::string_view with)
{
    if (text.find(what) == std::string_view::npos) return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, from)) {
        out.append(text.substr(from, at - from));
        out.append(with);
        from = at + what.size();
    }
    out.append(text.substr(from));
    return out;
}

// `text` between double quotes, each inner one doubled.
std::string Quoted(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (std::size_t from = 0;;) {
        const std::size_t quote = text.find('"', from);
        if (quote == std::string_view::npos) {
            out.append(text.substr(from));
            break;
        }
        out.append(text.substr(from, quote + 1 - from)).push_back('"');
        from = quote + 1;
    }
    out += '"';
    return out;
}

// `text` HTML-escaped, each CR LF, CR or LF as "<BR>", added to `out`.
void AppendHtmlLines(std::string& out, std::string_view text)
{
    std::size_t from = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        rtl::AppendHtmlEscaped(out, text.substr(from, i - from));
        out += "<BR>";
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        from = i + 1;
    }
    rtl::AppendHtmlEscaped(out, text.substr(from));
}

// A text for a SYLK cell: no line break (it would end the record), ";" doubled, at most 255
// whole characters.
std::string SylkText(std::string_view text)
{
    std::string flat = gkReplaceLineBreaks(text, " ");
    std::size_t end = 0;
    for (int n = 0; n < 255 && end < flat.size(); ++n) end = rtl::Utf8NextCharStart(flat, end);
    flat.resize(end);
    return ReplaceAll(flat, ";", ";;");
}

std::string PadTo(const std::string& text, int width, bool left)
{
    const int count = static_cast<int>(rtl::Utf8CharCount(text));
    if (count >= width) return text;
    const std::string pad(static_cast<std::size_t>(width - count), ' ');
    return left ? pad + text : text + pad;
}

}  // namespace

// ---- Small conversions -------------------------------------------------------------------------

std::string gkColorToHex(rtl::TColor color)
{
    const rtl::TColor rgb = rtl::ColorToRGB(color);
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%2.2x%2.2x%2.2x", rtl::GetRValue(rgb), rtl::GetGValue(rgb),
                  rtl::GetBValue(rgb));
    return buffer;
}

std::string gkAlignmentWord(classes::TAlignment a)
{
    switch (a) {
    case classes::taRightJustify: return "right";
    case classes::taCenter: return "center";
    default: return "left";
    }
}

char gkAlignmentLetter(classes::TAlignment a)
{
    switch (a) {
    case classes::taRightJustify: return 'R';
    case classes::taCenter: return 'C';
    default: return 'L';
    }
}

namespace {

// The style tags, innermost first.
struct TStyleTag {
    classes::TFontStyle style;
    std::string_view name;
};
constexpr TStyleTag kStyleTags[] = {
    {classes::fsItalic, "I"}, {classes::fsBold, "B"}, {classes::fsUnderline, "U"}, {classes::fsStrikeOut, "STRIKE"}};

}  // namespace

std::string gkFontStyleOpenTags(const classes::TFont& font)
{
    std::string out;
    for (auto tag = std::rbegin(kStyleTags); tag != std::rend(kStyleTags); ++tag)
        if (font.Style().Contains(tag->style)) out.append("<").append(tag->name).append(">");
    return out;
}

std::string gkFontStyleCloseTags(const classes::TFont& font)
{
    std::string out;
    for (const TStyleTag& tag : kStyleTags)
        if (font.Style().Contains(tag.style)) out.append("</").append(tag.name).append(">");
    return out;
}

std::string gkFontStyleTags(const classes::TFont& font, const std::string& text)
{
    return gkFontStyleOpenTags(font) + text + gkFontStyleCloseTags(font);
}

std::string gkFontStyleAttribute(const classes::TFont& font)
{
    return "STYLE=\"font-family: " + rtl::HtmlEscape(font.Name()) + ";font-size: " + std::to_string(font.Size()) +
           " pt;color:#" + gkColorToHex(font.Color()) + ";\"";
}

std::string gkReplaceLineBreaks(std::string_view text, std::string_view with)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out.append(with);
        } else if (text[i] == '\n') {
            out.append(with);
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string gkGuardFormula(const db::TField* field, std::string text)
{
    if (text.empty() || !IsTextField(field)) return text;
    switch (text.front()) {
    case '=':
    case '+':
    case '-':
    case '@':
    case '\t':
    case '\r': return "'" + text;
    default: return text;
    }
}

// ---- SYLK fonts ---------------------------------------------------------------------------------

std::string TgkSylkFonts::Definition(const classes::TFont& font)
{
    std::string d = "P;F" + ReplaceAll(font.Name(), ";", ";;") + ";M" + std::to_string(font.Size() * 20);
    const classes::TFontStyles s = font.Style();
    bool styled = false;
    if (s.Contains(classes::fsBold)) {
        d += ";SB";
        styled = true;
    }
    if (s.Contains(classes::fsItalic)) {
        d += styled ? "I" : ";SI";
        styled = true;
    }
    if (s.Contains(classes::fsUnderline)) {
        d += styled ? "U" : ";SU";
        styled = true;
    }
    if (s.Contains(classes::fsStrikeOut)) d += styled ? "S" : ";SS";
    return d;
}

int TgkSylkFonts::Number(const classes::TFont& font)
{
    const std::string d = Definition(font);
    const auto [it, added] = numbers_.emplace(d, static_cast<int>(order_.size()));
    if (added) order_.push_back(d);
    return it->second;
}

std::string TgkSylkFonts::Records() const
{
    std::string out;
    for (const std::string& d : order_) out.append(d).append(kCrLf);
    return out;
}

// ---- The exporter ---------------------------------------------------------------------------------

TgkGridExporter::TgkGridExporter(TgkDBGrid& grid, const TgkExportOptions& options) : grid_(grid), options_(options)
{
    const int count = grid.DataLink().FieldCount();
    for (int dataCol = 0; dataCol < count; ++dataCol) {
        db::TField* field = grid.DataLink().GetMappedField(dataCol);
        if (field == nullptr) continue;
        bool accept = true;
        grid.DoExportField(field, accept);
        if (!accept) continue;
        TgkExportColumn c;
        c.dataCol = dataCol;
        c.field = field;
        TgkColumn& column = grid.Columns(dataCol);
        c.title = column.DisplayLabel();
        if (c.title.empty()) c.title = field->DisplayLabel();
        c.group = column.GroupName();
        c.alignment = field->Alignment();
        c.pixelWidth = grid.ColWidths(dataCol + grid.IndicatorOffset());
        c.displayWidth = field->DisplayWidth();
        grid.GetControlInfo(field->FieldName(), c.controlType, c.controlParameters);
        c.text = grid.CellTextSource(dataCol);
        // Fixed width: the wider of the field and its title, with room for the quotes.
        const int quotes = Has(esoDblQuoteFields) ? 2 : 0;
        c.fixedWidth = std::max(c.displayWidth, static_cast<int>(rtl::Utf8CharCount(ReplaceAll(c.title, "~", " ")))) +
                       quotes;
        totalWidth_ += c.pixelWidth + 5;
        columns_.push_back(std::move(c));
    }
}

bool TgkGridExporter::HasGroups() const
{
    if (!Has(esoShowHeader)) return false;
    for (const TgkExportColumn& c : columns_)
        if (!c.group.empty()) return true;
    return false;
}

std::string TgkGridExporter::QuoteText(const std::string& value) const
{
    const std::string& delimiter = options_.Delimiter();
    if (Has(esoDblQuoteFields)) return options_.QuoteValue(value);
    // A value that would break the line or the columns apart is quoted all the same.
    const bool needs = value.find_first_of("\"\r\n") != std::string::npos ||
                       (!delimiter.empty() && value.find(delimiter) != std::string::npos);
    return needs && !delimiter.empty() ? Quoted(value) : value;
}

std::string TgkGridExporter::TextTitleLine() const
{
    const std::string& delimiter = options_.Delimiter();
    std::string line;
    if (Has(esoShowRecordNo))
        line += delimiter.empty() ? PadTo(options_.QuoteValue("#"), 8, true) + " " : QuoteText("#") + delimiter;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const TgkExportColumn& c = columns_[i];
        const std::string title = ReplaceAll(c.title, "~", " ");
        if (!delimiter.empty()) {
            line += QuoteText(title);
            if (i + 1 < columns_.size()) line += delimiter;
        } else {
            line += PadTo(options_.QuoteValue(title), c.fixedWidth, c.alignment == classes::taRightJustify);
            if (i + 1 < columns_.size()) line += ' ';
        }
    }
    return line.append(kCrLf);
}

std::string TgkGridExporter::TextRow(int recordNo)
{
    const std::string& delimiter = options_.Delimiter();
    std::string line;
    if (Has(esoShowRecordNo)) {
        const std::string n = std::to_string(recordNo);
        line += delimiter.empty() ? PadTo(options_.QuoteValue(n), 8, true) + " " : QuoteText(n) + delimiter;
    }
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const TgkExportColumn& c = columns_[i];
        const std::string text = gkGuardFormula(c.field, grid_.CellText(c.text));
        if (!delimiter.empty()) {
            line += QuoteText(text);
            if (i + 1 < columns_.size()) line += delimiter;
        } else {
            line += PadTo(options_.QuoteValue(gkReplaceLineBreaks(text, " ")), c.fixedWidth,
                          c.alignment == classes::taRightJustify);
            if (i + 1 < columns_.size()) line += ' ';
        }
    }
    return line.append(kCrLf);
}

std::string TgkGridExporter::HtmlHead() const
{
    const classes::TFont& titleFont = *grid_.TitleFont();
    const std::string titleStyle = gkFontStyleAttribute(titleFont);
    const std::string titleColor = "BGCOLOR=#" + gkColorToHex(grid_.TitleColor());
    std::string out = "<HTML>\r\n<HEAD>\r\n";
    // The page's text is UTF-8; a browser not told so reads it in its own code page.
    out += "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\r\n";
    out += "<TITLE>" + rtl::HtmlEscape(options_.FileName()) + "</TITLE>\r\n</HEAD>\r\n<BODY>\r\n";
    out += "<TABLE ALIGN=Center BORDER=\"" + std::to_string(options_.HTMLBorderWidth()) +
           "\" CELLPADDING=\"1\" CELLSPACING=\"0\"" + (grid_.UseRightToLeftGrid() ? " dir=\"RTL\"" : " dir=\"LTR\"");
    if (!Has(esoTransparentGrid)) out += " BGCOLOR=#" + gkColorToHex(grid_.Color());
    out += ">\r\n<THEAD>\r\n";
    const int span = static_cast<int>(columns_.size()) + (Has(esoShowRecordNo) ? 1 : 0);
    if (Has(esoShowHeader) && Has(esoShowTitle)) {
        // The author's title goes in as typed.
        out += "<TR " + titleStyle + " " + titleColor + ">\r\n<TH colspan=\"" + std::to_string(span) +
               "\" scope=\"colgroup\">" + options_.TitleName() + "</TH>\r\n</TR>\r\n";
    }
    if (Has(esoShowHeader)) {
        const bool two = HasGroups();
        const std::string rowSpan = two ? " RowSpan=\"2\">" : ">";
        const std::string rowOpen = "<TR " + titleStyle + " ALIGN=" + gkAlignmentWord(grid_.TitleAlignment()) + ">\r\n";
        const auto titleText = [&](const std::string& text) {
            return gkFontStyleTags(titleFont, ReplaceAll(rtl::HtmlEscape(text), "~", "<BR>"));
        };
        const std::string fontPart = "";  // every column shows the grid's title font
        std::string second;
        out += rowOpen;
        if (Has(esoShowRecordNo)) {
            out += "<TD ALIGN=\"CENTER\" " + titleStyle + " SCOPE=\"col\" bgcolor=#" + gkColorToHex(grid_.TitleColor()) +
                   rowSpan + gkFontStyleTags(titleFont, "#") + "</TD>\r\n";
        }
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            const TgkExportColumn& c = columns_[i];
            const std::string bg = " SCOPE=\"col\" bgcolor=#" + gkColorToHex(grid_.TitleColor());
            if (c.group.empty()) {
                out += "<TD" + fontPart + " ALIGN=\"" + gkAlignmentWord(c.alignment) + "\"" + bg + rowSpan +
                       titleText(c.title) + "</TD>\r\n";
                continue;
            }
            if (i == 0 || columns_[i - 1].group != c.group) {
                int n = 0;
                for (std::size_t j = i; j < columns_.size() && columns_[j].group == c.group; ++j) ++n;
                out += "<TD" + fontPart + bg + " ALIGN=CENTER ColSpan=\"" + std::to_string(n) + "\">" +
                       titleText(c.group) + "</TD>\r\n";
            }
            second += "<TD" + fontPart + " ALIGN=\"" + gkAlignmentWord(c.alignment) + "\"" + bg + " >" +
                      titleText(c.title) + "</TD>\r\n";
        }
        out += "</TR>\r\n";
        if (two) out += rowOpen + second + "</TR>\r\n";
    }
    out += "</THEAD>\r\n";
    if (Has(esoShowFooter) && grid_.Options().Contains(dgShowFooter)) {
        out += "<TFOOT " + titleStyle + " BGCOLOR=#" + gkColorToHex(grid_.FooterColor()) + ">\r\n<TR>\r\n";
        if (Has(esoShowRecordNo)) out += "<TD>&nbsp</TD>\r\n";
        for (const TgkExportColumn& c : columns_) {
            const std::string text = grid_.Columns(c.dataCol).FooterValue();
            if (text.empty()) {
                out += "<TD>&nbsp</TD>\r\n";
            } else {
                out += "<TD ALIGN=" + gkAlignmentWord(c.alignment) + " " + gkFontStyleAttribute(*grid_.Font()) +
                       " BGCOLOR=#" + gkColorToHex(grid_.FooterCellColor()) + ">" +
                       gkReplaceLineBreaks(rtl::HtmlEscape(text), "<BR>") + "</TD>\r\n";
            }
        }
        out += "</TR>\r\n</TFOOT>\r\n";
    }
    out += "<TBODY>\r\n";
    return out;
}

std::string TgkGridExporter::HtmlWidth(const TgkExportColumn& c) const
{
    const bool memoShown = grid_.IsMemoCell(c.dataCol + grid_.IndicatorOffset(), grid_.TitleOffset()) &&
                           grid_.MemoAttributes().Contains(mGridShow);
    if (Has(esoBestColFit) && c.controlType != "RichEdit" && !memoShown) return " WIDTH=\"0*\" SCOPE=\"row\">";
    double ratio = 1.0;
    if (options_.OutputWidthinTwips() != 0 && totalWidth_ > 0) {
        ratio = options_.OutputWidthinTwips() /
                ((static_cast<double>(totalWidth_) / ui::ScreenPixelsPerInch()) * 1440.0);
    }
    return " WIDTH=\"" + std::to_string(std::lround(c.pixelWidth * ratio)) + "\" SCOPE=\"row\">";
}

void TgkGridExporter::AppendHtmlCellText(std::string& out, const TgkExportColumn& c, const std::string& text)
{
    if (Has(esoAddControls) && c.controlType == "CheckBox") {
        std::string checked, unchecked;
        grid_.GetCheckBoxValues(c.dataCol + grid_.IndicatorOffset(), grid_.TitleOffset(), checked, unchecked);
        // Checked when the field's text is the checked value.
        out += c.field->AsString() == checked ? "<input align=\"middle\" type=\"checkbox\" checked >"
                                             : "<INPUT ALIGN=\"middle\" TYPE=\"checkbox\" >";
        return;
    }
    if (Has(esoAddControls) && c.controlType == "CustomEdit") {
        const std::string name = c.controlParameters.substr(0, c.controlParameters.find(';'));
        if (ui::TWinControl* control = grid_.FindCustomControl(name)) {
            const std::string html = HtmlControl(*control, c);
            if (!html.empty()) {
                out += html;
                return;
            }
        }
    }
    if (text.empty()) {
        out += "&nbsp";
        return;
    }
    if (c.controlType == "URL-Link" && Has(esoEmbedURL)) {
        std::string address = text;
        const std::size_t at = address.find('@');
        if (at != std::string::npos && at > 0 && address.find('.', at) != std::string::npos &&
            !rtl::UpperCase(address).starts_with("MAILTO:"))
            address = "MailTo:" + address;
        const std::string attribute = rtl::HtmlEscape(address);
        if (rtl::IsSafeLinkAddress(attribute)) {
            out.append("<A href=\"").append(attribute).append("\">");
            AppendHtmlLines(out, text);
            out += "</A>";
            return;
        }
    }
    AppendHtmlLines(out, text);
}

std::string TgkGridExporter::HtmlControl(const ui::TWinControl& control, const TgkExportColumn& c) const
{
    // The cell controls are known by what they publish: a check box its checked value, a
    // radio group its items and values, a combo box its items and map-list switch.
    const std::string value = c.field->AsString();
    const std::string number = std::to_string(ColumnNumber(c));
    if (classes::FindProperty(control, "ValueChecked") != nullptr) {
        // Several spellings may stand for checked, separated by ";", letter case ignored.
        const std::string spellings = classes::GetStrProp(control, "ValueChecked");
        for (std::size_t from = 0; from <= spellings.size();) {
            const std::size_t end = std::min(spellings.find(';', from), spellings.size());
            if (rtl::SameText(std::string_view(spellings).substr(from, end - from), value))
                return "<input align=\"middle\" type=\"checkbox\" checked >";
            from = end + 1;
        }
        return "<INPUT ALIGN=\"middle\" TYPE=\"checkbox\" >";
    }
    const rtl::TStrings* items = classes::GetStringsProp(control, "Items");
    if (items == nullptr) return {};
    std::string out;
    if (const rtl::TStrings* values = classes::GetStringsProp(control, "Values")) {
        for (int i = 0; i < items->Count(); ++i) {
            const std::string item = items->Strings(i);
            const std::string stored = i < values->Count() && !values->Strings(i).empty() ? values->Strings(i) : item;
            out += "<input align=\"middle\" type=\"radio\" value=\"" + rtl::HtmlEscape(stored) + "\" name=\"radio" +
                   number + "\"" + (stored == value ? " checked" : "") + ">" + rtl::HtmlEscape(item) + "<BR>\r\n";
        }
        return out;
    }
    if (classes::FindProperty(control, "MapList") == nullptr) return {};
    const bool mapList = classes::GetBoolProp(control, "MapList");
    out = "<Select Name=\"gkCombo" + number + "\">\r\n";
    for (int i = 0; i < items->Count(); ++i) {
        const std::string item = items->Strings(i);
        const std::size_t tab = mapList ? item.find('\t') : std::string::npos;
        const std::string shown = item.substr(0, tab);
        const std::string stored = tab == std::string::npos ? item : item.substr(tab + 1);
        out += "<Option Value=\"" + rtl::HtmlEscape(stored) + "\"" + (stored == value ? " selected" : "") + ">" +
               rtl::HtmlEscape(shown) + "\r\n";
    }
    return out + "</Select>\r\n";
}

int TgkGridExporter::ColumnNumber(const TgkExportColumn& c) const
{
    return static_cast<int>(&c - columns_.data()) + 1;
}

std::string TgkGridExporter::HtmlRow(int recordNo)
{
    const classes::TFont& gridFont = *grid_.Font();
    if (htmlRowOpen_.empty()) {
        // What every row repeats, worked out once: a million rows would build it a million times.
        htmlRowOpen_ = "<TR VALIGN=\"TOP\" " + gkFontStyleAttribute(gridFont) + ">\r\n";
        htmlNumberOpen_ = "<TD WIDTH=\"0*\" NOWRAP ALIGN=\"right\" scope=\"row\" " +
                          gkFontStyleAttribute(*grid_.TitleFont()) + " BGCOLOR=#" + gkColorToHex(grid_.TitleColor()) + ">";
        htmlFontOpen_ = gkFontStyleOpenTags(gridFont);
        htmlFontClose_ = gkFontStyleCloseTags(gridFont) + "</TD>\r\n";
        for (TgkExportColumn& c : columns_) {
            c.htmlOpen = "<TD NOWRAP";
            if (c.controlType != "CheckBox") c.htmlOpen += " ALIGN=\"" + gkAlignmentWord(c.alignment) + "\"";
            c.htmlWidth = HtmlWidth(c);
        }
    }
    std::string out = htmlRowOpen_;
    if (Has(esoShowRecordNo)) out.append(htmlNumberOpen_).append(std::to_string(recordNo)).append("</TD>\r\n");
    const rtl::TColor gridColor = grid_.Color();
    rtl::TColor rowColor = gridColor;
    const rtl::TColor alternate = grid_.PaintOptions()->AlternatingRowColor();
    if (Has(esoShowAlternating) && recordNo % 2 == 0 && alternate != rtl::clNone && alternate != rtl::clDefault)
        rowColor = alternate;
    const std::string rowBackground = rowColor != gridColor ? " BGCOLOR=#" + gkColorToHex(rowColor) : std::string();
    for (const TgkExportColumn& c : columns_) {
        const std::string text = grid_.CellText(c.text);
        out += c.htmlOpen;
        if (!Has(esoDynamicColors)) {
            out.append(rowBackground).append(c.htmlWidth).append(htmlFontOpen_);
            AppendHtmlCellText(out, c, text);
            out.append(htmlFontClose_);
            continue;
        }
        classes::TFont font;
        font.Assign(gridFont);
        ui::TBrush brush;
        brush.SetColor(rowColor);
        grid_.CalcCellColors(c.field, {}, false, &font, &brush);
        if (!SameFont(font, gridFont, true)) out += " " + gkFontStyleAttribute(font);
        if (brush.Color() != gridColor) out += " BGCOLOR=#" + gkColorToHex(brush.Color());
        out.append(c.htmlWidth).append(gkFontStyleOpenTags(font));
        AppendHtmlCellText(out, c, text);
        out.append(gkFontStyleCloseTags(font)).append("</TD>\r\n");
    }
    return out.append("</TR>\r\n");
}

int TgkGridExporter::SylkY(int recordNo) const { return Has(esoShowHeader) ? recordNo + 2 : recordNo; }

std::string TgkGridExporter::SylkTitleRows(TgkSylkFonts& fonts) const
{
    if (!Has(esoShowHeader)) return {};
    const bool two = HasGroups();
    const int offset = Has(esoShowRecordNo) ? 1 : 0;
    std::string out;
    if (Has(esoShowRecordNo)) {
        out += "F;SLRTM0;FG0C;Y1;X1\r\nC;K\"#\"\r\n";
        if (two) out += "F;SLRBM0;FG0C;Y2;X1\r\n";
    }
    const int titleFont = fonts.Number(*grid_.TitleFont());
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const TgkExportColumn& c = columns_[i];
        const std::string k = std::to_string(static_cast<int>(i) + 1 + offset);
        const std::string fontAlign = std::to_string(titleFont) + ";FG0" + gkAlignmentLetter(c.alignment);
        const std::string title = "C;K\"" + SylkText(ReplaceAll(c.title, "~", " ")) + "\"\r\n";
        if (c.group.empty()) {
            out += "F;SLRTM" + fontAlign + ";Y1;X" + k + "\r\n" + title;
            if (two) out += "F;SLRBM" + fontAlign + ";Y2;X" + k + "\r\n";
            continue;
        }
        if (i == 0 || columns_[i - 1].group != c.group)
            out += "F;SLTBM0;FG0C;Y1;X" + k + "\r\nC;K\"" + SylkText(c.group) + "\"\r\n";
        else
            out += "F;STBM0;FG0C;Y1;X" + k + "\r\n";
        out += "F;SLTBRM" + fontAlign + ";Y2;X" + k + "\r\n" + title;
    }
    return out;
}

std::string TgkGridExporter::SylkRow(int recordNo, TgkSylkFonts& fonts)
{
    const classes::TFont& gridFont = *grid_.Font();
    const std::string y = std::to_string(SylkY(recordNo));
    const int offset = Has(esoShowRecordNo) ? 1 : 0;
    std::string out;
    if (Has(esoShowRecordNo)) {
        out += "F;SLRTBM" + std::to_string(fonts.Number(gridFont)) + ";FG0L;Y" + y + ";X1\r\nC;K" +
               std::to_string(recordNo) + "\r\n";
    }
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const TgkExportColumn& c = columns_[i];
        classes::TFont font;
        font.Assign(gridFont);
        if (Has(esoDynamicColors)) {
            ui::TBrush brush;
            brush.SetColor(grid_.Color());
            grid_.CalcCellColors(c.field, {}, false, &font, &brush);
        }
        out += "F;SLTRBM" + std::to_string(fonts.Number(font)) + ";FG0" + gkAlignmentLetter(c.alignment) + ";Y" + y +
               ";X" + std::to_string(static_cast<int>(i) + 1 + offset) + "\r\n";
        if (IsIntegerField(c.field)) {
            // The value itself: the display text may group thousands, which a sheet reads as text.
            out += c.field->IsNull() ? std::string("C;K\"\"") : "C;K" + c.field->AsString();
        } else {
            out += "C;K\"" + SylkText(grid_.CellText(c.text)) + "\"";
        }
        out += kCrLf;
    }
    return out;
}

void TgkGridExporter::Run(const TgkExportSink& out, const TgkExportSink& cells, const std::function<void()>& copyCells)
{
    db::TDataSet* ds = grid_.DataLink().DataSet();
    const TgkGridExportType type = options_.ExportType();
    TgkSylkFonts fonts;
    if (type == gkgetSYLK) {
        fonts.Number(*grid_.TitleFont());
        fonts.Number(*grid_.Font());
        cells(SylkTitleRows(fonts));
    } else if (type == gkgetHTML) {
        out(HtmlHead());
    } else if (Has(esoShowHeader)) {
        out(TextTitleLine());
    }
    int recordNo = 0;
    const auto writeRecord = [&] {
        ++recordNo;
        if (type == gkgetTxt) out(TextRow(recordNo));
        else if (type == gkgetHTML) out(HtmlRow(recordNo));
        else cells(SylkRow(recordNo, fonts));
    };
    if (!Has(esoSaveSelectedOnly)) {
        for (ds->First(); !ds->Eof(); ds->Next()) writeRecord();
    } else {
        for (const db::TBookmark& bookmark : grid_.SelectedRecords()) {
            // A record deleted since it was selected is left out.
            if (!ds->BookmarkValid(bookmark)) continue;
            ds->GotoBookmark(bookmark);
            writeRecord();
        }
        if (recordNo == 0 && type == gkgetHTML) {
            out("<TR><TH colspan=\"" + std::to_string(columns_.size()) + "\">No Records Selected</TH></TR>\r\n");
        }
    }
    if (type == gkgetHTML) {
        out("</TBODY>\r\n</TABLE>\r\n</BODY>\r\n</HTML>\r\n");
    } else if (type == gkgetSYLK) {
        const int rows = recordNo == 0 ? (Has(esoShowHeader) ? (HasGroups() ? 2 : 1) : 0) : SylkY(recordNo);
        const int cols = static_cast<int>(columns_.size()) + (Has(esoShowRecordNo) ? 1 : 0);
        std::string head = "ID;PW2W 3000;N;E\r\n" + fonts.Records() + "B;Y" + std::to_string(rows) + ";X" +
                           std::to_string(cols) + "\r\nF;G;M255\r\n";
        if (Has(esoShowRecordNo)) head += "F;W1 1 10\r\n";
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            const TgkExportColumn& c = columns_[i];
            const std::string k = std::to_string(static_cast<int>(i) + 1 + (Has(esoShowRecordNo) ? 1 : 0));
            int width = c.displayWidth;
            if (!Has(esoBestColFit)) {
                const std::string part = grid_.ColumnEntryPart(c.field->FieldName(), 1);
                width = rtl::StrToIntDef(part, width);
            }
            head += "F;W" + k + " " + k + " " + std::to_string(width) + "\r\n";
        }
        out(head);
        copyCells();
        out("E\r\n");
    }
}

}  // namespace grid

// ---- TgkExportOptions ---------------------------------------------------------------------------------


namespace grid {

std::string TgkExportOptions::QuoteValue(const std::string& value) const
{
    if (!options_.Contains(esoDblQuoteFields)) return value;
    if (value.empty() && (!delimiter_.empty() || exportType_ != gkgetTxt)) return value;
    return Quoted(value);
}

std::string TgkExportOptions::OutputFileName() const
{
    if (!fileName_.empty()) return fileName_;
    std::string name = rtl::ExtractFileName(rtl::ExecutablePath());
    name = name.substr(0, name.find('.'));
    return name + ".txt";
}

namespace {

// Puts the record, the grid row and the data set's controls back however the export ends.
class TExportScope {
public:
    TExportScope(TgkDBGrid& grid, db::TDataSet& ds) : grid_(grid), ds_(ds), row_(grid.GetActiveRow())
    {
        ds_.DisableControls();
        bookmark_ = ds_.GetBookmark();
        cursor_ = ui::Screen().Cursor();
        ui::Screen().SetCursor(ui::crHourGlass);
    }
    ~TExportScope()
    {
        try {
            if (ds_.BookmarkValid(bookmark_)) ds_.GotoBookmark(bookmark_);
            // Moving away and back by the old row's distance brings the record into that row.
            const int moved = ds_.MoveBy(-row_);
            ds_.MoveBy(-moved);
        } catch (const rtl::Exception&) {
            rtl::LogCurrentException("grid export: going back to the record");
        }
        ds_.FreeBookmark(bookmark_);
        ds_.EnableControls();
        ui::Screen().SetCursor(cursor_);
    }
    TExportScope(const TExportScope&) = delete;
    TExportScope& operator=(const TExportScope&) = delete;

private:
    TgkDBGrid& grid_;
    db::TDataSet& ds_;
    int row_;
    db::TBookmark bookmark_;
    ui::TCursor cursor_ = ui::crDefault;
};

}  // namespace

void TgkExportOptions::Save()
{
    auto* grid = dynamic_cast<TgkDBGrid*>(grid_);
    if (exportType_ == gkgetXML || grid == nullptr || !grid->DataLink().Active() ||
        grid->DataLink().DataSet() == nullptr)
        return;
    db::TDataSet& ds = *grid->DataLink().DataSet();
    grid->EnsureFieldMap();
    const bool toClipboard = options_.Contains(esoClipboard);
    const bool sylk = exportType_ == gkgetSYLK;

    std::string text;  // the clipboard's, or SYLK cells bound for the clipboard
    rtl::TTextFileWriter file;
    rtl::TTextFileWriter cellsFile;
    if (!toClipboard) {
        const std::string path = OutputFileName();
        file.OpenAtomic(path);
        if (sylk) {
            // The cells wait in a nameless file beside the output until the head is known.
            cellsFile.OpenScratch(rtl::ExtractFilePath(path), path);
        }
    }
    std::string cellText;
    const TgkExportSink out = [&](std::string_view s) {
        if (toClipboard) text.append(s);
        else file.Write(s);
    };
    const TgkExportSink cells = [&](std::string_view s) {
        if (toClipboard) cellText.append(s);
        else cellsFile.Write(s);
    };
    const auto copyCells = [&] {
        if (toClipboard) {
            text.append(cellText);
            return;
        }
        cellsFile.AppendTo(file);
    };
    {
        TExportScope scope(*grid, ds);
        TgkGridExporter exporter(*grid, *this);
        exporter.Run(out, cells, copyCells);
    }
    if (!toClipboard) {
        file.Close();
        return;
    }
    ui::TClipboard& clipboard = ui::Clipboard();
    clipboard.Open();
    const rtl::TScopeExit close([&] { clipboard.Close(); });
    clipboard.Clear();
    clipboard.SetAsText(text);
    if (sylk) clipboard.SetData(ui::RegisterClipboardFormat("SYLK"), text);
    if (exportType_ == gkgetHTML) clipboard.SetData(ui::RegisterClipboardFormat("HTML Format"), text);
}

}  // namespace grid
