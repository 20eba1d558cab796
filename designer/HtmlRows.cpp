#include "designer/HtmlRows.h"

#include "platform/rtl/Formatting.h"

#include "designer/ColumnModel.h"
#include "designer/Formats_Utils.h"
#include "platform/db/DataSet.h"
#include "platform/db/Fields.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/SysUtils.h"

namespace designer {

namespace {

const char* const kCrLf = "\r\n";
const char* const kNbsp = "&nbsp;";

bool IsNumericFieldType(db::TFieldType type)
{
    return type == db::ftBCD || IsNumericColumnType(type);
}

bool IsDateTimeFieldType(db::TFieldType type)
{
    return type == db::ftDate || type == db::ftTime || type == db::ftDateTime;
}

// What a cell shows for a text: escaped, and never an empty cell.
std::string CellText(std::string_view text)
{
    if (text.empty()) return kNbsp;
    return HtmlEscape(text);
}

}  // namespace

std::string RowClass(int r) { return r % 2 == 0 ? "TrOdd" : "TrRows"; }

TPreparedFormat PrepareFormat(std::string_view entry)
{
    TPreparedFormat f;
    f.entry = ParseFormatEntry(entry);
    if (f.entry.Kind == fkNumber)
        f.mask = FormatNumberMask(f.entry.Digits, BoolToTristate(f.entry.Leading), BoolToTristate(f.entry.Parentheses),
                                  BoolToTristate(f.entry.Grouping));
    else if (f.entry.Kind == fkDateTime)
        f.mask = FormatDateTimeMask(f.entry.Digits);
    return f;
}

namespace {

// A value through a prepared number or date-time format (never the "no format" kind).
std::string FormatPrepared(const db::TField& field, const TPreparedFormat& f)
{
    if (field.IsNull()) return {};
    const db::TFieldType type = field.DataType();
    if (IsNumericFieldType(type)) {
        const std::string mask =
            f.entry.Kind == fkNumber ? f.mask
                                     : FormatNumberMask(f.entry.Digits, BoolToTristate(f.entry.Leading),
                                                        BoolToTristate(f.entry.Parentheses), BoolToTristate(f.entry.Grouping));
        // Only floating-point columns go through a double; integers and decimals keep every digit.
        if (type == db::ftFloat || type == db::ftCurrency) return rtl::FormatFloat(mask, field.AsFloat());
        return rtl::FormatDecimal(mask, field.AsVariant().AsDecimalText());
    }
    if (IsDateTimeFieldType(type))
        return rtl::FormatDateTime(f.entry.Kind == fkDateTime ? f.mask : FormatDateTimeMask(f.entry.Digits),
                                   field.AsDateTime());
    return field.AsString();
}

}  // namespace

std::string FormatFieldValuePlain(const db::TField& field, int digits, int leading, int parentheses, int grouping)
{
    TPreparedFormat f;
    f.entry = {fkNone, digits, leading, parentheses, grouping};
    return FormatPrepared(field, f);
}

std::string FormatFieldTextPlain(const db::TField& field, const TPreparedFormat& format)
{
    if (format.entry.Kind == fkNone) return field.IsNull() ? std::string() : field.AsString();
    return FormatPrepared(field, format);
}

std::string FormatFieldTextPlain(const db::TField& field, std::string_view entry)
{
    return FormatFieldTextPlain(field, PrepareFormat(entry));
}

std::string FormatFieldValue(const db::TField& field, int digits, int leading, int parentheses, int grouping)
{
    if (field.IsNull()) return kNbsp;
    return CellText(FormatFieldValuePlain(field, digits, leading, parentheses, grouping));
}

std::string FormatFieldText(const db::TField& field, const TPreparedFormat& format)
{
    if (field.IsNull()) return kNbsp;
    return CellText(FormatFieldTextPlain(field, format));
}

std::string FormatFieldText(const db::TField& field, std::string_view entry)
{
    // A malformed entry raises whatever the value.
    return FormatFieldText(field, PrepareFormat(entry));
}

// ---- THtmlRowBuilder -----------------------------------------------------------------------

THtmlRowBuilder::THtmlRowBuilder(const TColumnModel& columns, const db::TDataSet& query)
    : columns_(columns), query_(query)
{
}

const TPreparedFormat& THtmlRowBuilder::Format(int i) const
{
    // Read once per column; read again when the column's entry changes.
    if (formats_.size() < static_cast<std::size_t>(columns_.ColumnCount())) formats_.resize(static_cast<std::size_t>(columns_.ColumnCount()));
    auto& [text, format] = formats_[static_cast<std::size_t>(i)];
    const std::string& entry = columns_.FormatList.Strings(i);
    if (!format || text != entry) {
        format = PrepareFormat(entry);
        text = entry;
    }
    return *format;
}

const db::TField* THtmlRowBuilder::FieldAt(int i) const
{
    const db::TFields& fields = query_.Fields();
    if (i < 0 || i >= fields.Count()) return nullptr;
    return fields.Fields(i);
}

const db::TField* THtmlRowBuilder::FieldOfKey(std::string_view key) const
{
    // By name, not by the column's position: the column model and the query's field order
    // may be out of step (columns just exchanged), and a tag names its field.
    for (const db::TField* field : query_.Fields())
        if (ColumnKey(field->DisplayName()) == key) return field;
    return nullptr;
}

std::string THtmlRowBuilder::HeadingHtml(int i) const
{
    // A heading that is still the column's name came from the database: it is data.
    const std::string heading = columns_.Heading(i);
    return columns_.HeadingIsColumnName(i) ? HtmlEscape(heading) : heading;
}

std::string THtmlRowBuilder::BuildHeaderRow() const
{
    std::string s = std::string(kCrLf) + "<tr>";
    for (int i = 0; i < columns_.ColumnCount(); ++i) {
        if (columns_.IsHidden(i)) continue;
        s += kCrLf;
        s += "<td class=\"ThRows\">" + HeadingHtml(i) + "</td>";
    }
    return s + kCrLf + "</tr>";
}

std::string THtmlRowBuilder::BuildRowStyle1(int r) const
{
    const std::string rowClass = RowClass(r);
    std::string s = std::string(kCrLf) + "<tr>";
    for (int i = 0; i < columns_.ColumnCount(); ++i) s += kCrLf + BuildCell(i, rowClass);
    return s + kCrLf + "</tr>";
}

std::string THtmlRowBuilder::BuildRowStyle2(int r) const
{
    const std::string rowClass = RowClass(r);
    std::string s;
    for (int i = 0; i < columns_.ColumnCount(); ++i) {
        if (columns_.IsHidden(i)) continue;
        s += std::string(kCrLf) + "<tr>" + kCrLf + "<td class=\"ThRows\">" + HeadingHtml(i) + "</td>" + kCrLf +
             BuildCell(i, rowClass) + kCrLf + "</tr>";
    }
    return s;
}

std::string THtmlRowBuilder::BuildTemplateRow(int /*r: a template row has no row class*/) const
{
    const std::string body = TemplateOutput ? TemplateOutput() : std::string();
    return std::string(kCrLf) + "<tr><td>" + kCrLf + body + kCrLf + "</td></tr>";
}

std::string THtmlRowBuilder::Content(int i) const
{
    if (columns_.IsImage(i)) {
        bool usedData = false;
        const std::string src = Replace(columns_.ShowDataList.Strings(i), TUrlPart::Path, usedData);
        // A picture address built from data is read as a link address is: one a browser would
        // take for another scheme (javascript:, data:, ...) shows no picture.
        if (usedData && !IsSafeLinkAddress(src)) return kNbsp;
        std::string s = "<img src=\"" + src + "\"";
        if (columns_.PrefixList.Checked(i)) s += " width=\"" + columns_.PrefixList.Strings(i) + "\"";
        if (columns_.SuffixList.Checked(i)) s += " height=\"" + columns_.SuffixList.Strings(i) + "\"";
        return s + " border=\"0\">";
    }
    if (columns_.ShowDataList.Checked(i)) {
        const db::TField* field = FieldAt(i);
        const std::string value = field ? FormatFieldText(*field, Format(i)) : kNbsp;
        return columns_.PrefixList.Strings(i) + value + columns_.SuffixList.Strings(i);
    }
    return columns_.ShowDataList.Strings(i);
}

bool THtmlRowBuilder::LinkAddress(int i, std::string& href) const
{
    const std::string type = columns_.HyperlinkTypeList.Strings(i);
    if (type != "1" && type != "2" && type != "3") return false;
    bool dropped = false;
    const std::string url = Url(i, dropped);
    // An empty href would reload the page: a dropped address leaves the content unlinked.
    if (dropped) return false;
    if (type == "1")
        href = url;
    else if (type == "2")
        href = "mailto:" + url;
    else
        href = url + "?" + CellParamQuery(i);
    return true;
}

std::string THtmlRowBuilder::BuildCell(int i, std::string_view rowClass) const
{
    if (columns_.IsHidden(i)) return {};
    const std::string cls(rowClass);
    const std::string td = "<td class=\"" + cls + "\" align=" + columns_.AlignmentList.Strings(i) + ">";
    std::string href;
    if (!LinkAddress(i, href)) return td + Content(i) + "</td>";
    return td + "<a href=\"" + href + "\" class=\"" + cls + "\"" + CellTargetAttr(i) + ">" + Content(i) + "</a>" +
           "</td>";
}

std::string THtmlRowBuilder::BuildCellContent(int i) const
{
    std::string href;
    if (!LinkAddress(i, href)) return Content(i);
    return "<a href=\"" + href + "\"" + CellTargetAttr(i) + ">" + Content(i) + "</a>";
}

std::string THtmlRowBuilder::CellUrl(int i) const
{
    bool dropped = false;
    return Url(i, dropped);
}

std::string THtmlRowBuilder::Url(int i, bool& dropped) const
{
    bool usedData = false;
    std::string url = Replace(columns_.UrlList.Strings(i), TUrlPart::Path, usedData);
    dropped = usedData && !IsSafeLinkAddress(url);
    if (dropped) return {};
    return url;
}

std::string THtmlRowBuilder::CellTargetAttr(int i) const
{
    const std::string target = columns_.TargetList.Strings(i);
    if (target.empty()) return {};
    return " target=\"" + target + "\"";
}

std::string THtmlRowBuilder::CellParamQuery(int i) const
{
    rtl::TStringList params;
    params.SetCommaText(columns_.ParamList.Strings(i));
    std::string s;
    for (int k = 0; k < params.Count(); ++k) {
        if (k > 0) s += "&";
        s += ReplaceFieldTags(params.Strings(k), TUrlPart::Component);
    }
    return s;
}

std::string THtmlRowBuilder::ReplaceFieldTags(std::string_view text, TUrlPart part) const
{
    bool usedData = false;
    return Replace(text, part, usedData);
}

std::string THtmlRowBuilder::Replace(std::string_view text, TUrlPart part, bool& usedData) const
{
    std::string result;
    ForEachFieldTag(
        text, [&](std::string_view literal) { result += literal; },
        [&](std::string_view name) {
            const std::string key = ColumnKey(name);
            if (columns_.IndexOfKey(key) < 0) {
                result += name;
                return;
            }
            const db::TField* field = FieldOfKey(key);
            const std::string value = field ? field->AsString() : std::string();
            // Inside the query or fragment of an address a value is one component.
            const bool inQuery = result.find_first_of("?#") != std::string::npos;
            // Percent-encoding leaves only "&" of the characters that mean something in an
            // attribute; escaped, it can never start a character reference there.
            result += HtmlEscape(PercentEncode(value, inQuery ? TUrlPart::Component : part));
            usedData = true;
        });
    return result;
}

}  // namespace designer
