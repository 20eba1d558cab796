#include "designer/HtmlRows.h"

#include "platform/rtl/Formatting.h"

#include "designer/ColumnModel.h"
#include "designer/Formats_Utils.h"
#include "platform/db/DataSet.h"
#include "platform/db/Fields.h"
#include "platform/db/Variant.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <charconv>

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

}  // namespace

std::string_view RowClass(int r) { return r % 2 == 0 ? "TrOdd" : "TrRows"; }

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

// How the values of one field are written under one format, decided once: a number or a
// date-time through its picture (the format's own, or of the other kind built from the same
// entry), any other value, or every value when `plainWithoutFormat` and the entry has no
// format, as its text.
class TValueFormat {
public:
    TValueFormat(db::TFieldType type, const TPreparedFormat& f, bool plainWithoutFormat)
    {
        if (plainWithoutFormat && f.entry.Kind == fkNone) return;
        if (IsNumericFieldType(type)) {
            const std::string mask =
                f.entry.Kind == fkNumber ? f.mask
                                         : FormatNumberMask(f.entry.Digits, BoolToTristate(f.entry.Leading),
                                                            BoolToTristate(f.entry.Parentheses), BoolToTristate(f.entry.Grouping));
            // Only floating-point columns go through a double; integers and decimals keep every digit.
            kind_ = type == db::ftFloat || type == db::ftCurrency ? Float : Exact;
            number_.emplace(mask);
        } else if (IsDateTimeFieldType(type)) {
            kind_ = Date;
            date_.emplace(f.entry.Kind == fkDateTime ? f.mask : FormatDateTimeMask(f.entry.Digits));
        }
    }

    // A value that is not null.
    void Append(std::string& out, const db::TVariant& v) const
    {
        switch (kind_) {
        case Float: number_->AppendFloat(out, v.AsFloat()); return;
        case Exact:
            if (v.Type() == db::TVarType::Integer) {
                char digits[24];
                const auto end = std::to_chars(digits, digits + sizeof digits, v.AsInt64()).ptr;
                number_->AppendDecimal(out, std::string_view(digits, static_cast<std::size_t>(end - digits)));
            } else {
                number_->AppendDecimal(out, v.AsDecimalText());
            }
            return;
        case Date: date_->Append(out, v.AsDateTime()); return;
        case Text:
            if (v.Type() == db::TVarType::String || v.Type() == db::TVarType::Bytes)
                out += v.Text();
            else
                out += v.AsString();
            return;
        }
    }

private:
    enum { Text, Float, Exact, Date } kind_ = Text;
    std::optional<rtl::TNumberPicture> number_;
    std::optional<rtl::TDateTimePicture> date_;
};

std::string PlainText(const db::TField& field, const TPreparedFormat& f, bool plainWithoutFormat)
{
    const db::TVariant v = field.Value();
    std::string out;
    if (!v.IsNull()) TValueFormat(field.DataType(), f, plainWithoutFormat).Append(out, v);
    return out;
}

// What a cell shows for a text: escaped, and never an empty cell.
std::string CellText(std::string_view text)
{
    if (text.empty()) return kNbsp;
    return HtmlEscape(text);
}

}  // namespace

std::string FormatFieldValuePlain(const db::TField& field, int digits, int leading, int parentheses, int grouping)
{
    TPreparedFormat f;
    f.entry = {fkNone, digits, leading, parentheses, grouping};
    return PlainText(field, f, false);
}

std::string FormatFieldTextPlain(const db::TField& field, const TPreparedFormat& format)
{
    return PlainText(field, format, true);
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

// ---- THtmlRowWriter ------------------------------------------------------------------------

// A text with field tags, read once: literal pieces, and the fields whose values go between
// them (nullptr: a column of that key whose field the query lacks, written as nothing).
struct THtmlRowWriter::TTagged {
    struct TPiece {
        std::string literal;
        bool isTag = false;
        bool literalOpensQuery = false;  // the literal holds a "?" or "#"
        const db::TField* field = nullptr;
    };
    std::vector<TPiece> pieces;
    bool usesData = false;  // a tag names a column
};

struct THtmlRowWriter::TColumn {
    int index = 0;
    bool hidden = false;
    std::string alignment;
    enum { Value, Fixed, Image } content = Fixed;
    // Value: prefix, the field's value, suffix. Fixed: the text in `prefix`.
    std::string prefix;
    std::string suffix;
    const db::TField* field = nullptr;
    std::optional<TValueFormat> format;  // read at the column's first value
    // Image: the source and the width and height attributes.
    TTagged source;
    std::string sizeAttributes;
    // Link: 0 none, 1 a page, 2 an e-mail address, 3 a script with parameters.
    int linkType = 0;
    TTagged url;
    std::vector<TTagged> params;
    std::string targetAttribute;
};

THtmlRowWriter::THtmlRowWriter(const TColumnModel& columns, const db::TDataSet& query)
    : columns_(columns), query_(query), count_(columns.ColumnCount()), value_(std::make_unique<db::TVariant>())
{
    read_.resize(static_cast<std::size_t>(std::max(count_, 0)));
}

THtmlRowWriter::~THtmlRowWriter() = default;

const db::TField* THtmlRowWriter::FieldOfKey(std::string_view key) const
{
    // By name, not by the column's position: the column model and the query's field order
    // may be out of step (columns just exchanged), and a tag names its field.
    for (const db::TField* field : query_.Fields())
        if (ColumnKey(field->DisplayName()) == key) return field;
    return nullptr;
}

THtmlRowWriter::TTagged THtmlRowWriter::ReadTags(std::string_view text) const
{
    TTagged t;
    const auto literal = [&t](std::string_view piece) {
        if (piece.empty()) return;
        if (t.pieces.empty() || t.pieces.back().isTag) t.pieces.emplace_back();
        t.pieces.back().literal += piece;
        t.pieces.back().literalOpensQuery = t.pieces.back().literal.find_first_of("?#") != std::string::npos;
    };
    ForEachFieldTag(text, literal, [&](std::string_view name) {
        const std::string key = ColumnKey(name);
        if (columns_.IndexOfKey(key) < 0) {
            literal(name);
            return;
        }
        TTagged::TPiece tag;
        tag.isTag = true;
        tag.field = FieldOfKey(key);
        t.pieces.push_back(std::move(tag));
        t.usesData = true;
    });
    return t;
}

THtmlRowWriter::TColumn& THtmlRowWriter::Column(int i)
{
    const auto at = static_cast<std::size_t>(i);
    if (at < read_.size() && read_[at]) return *read_[at];
    return ReadColumn(i);
}

THtmlRowWriter::TColumn& THtmlRowWriter::ReadColumn(int i)
{
    const auto at = static_cast<std::size_t>(i);
    if (read_.size() <= at) read_.resize(at + 1);
    // Every entry but the format, in the order a cell uses them; a hidden column's content
    // still shows in a layout template.
    auto c = std::make_unique<TColumn>();
    c->index = i;
    c->hidden = columns_.IsHidden(i);
    c->alignment = columns_.AlignmentList.Strings(i);
    const std::string type = columns_.HyperlinkTypeList.Strings(i);
    c->linkType = type == "1" ? 1 : type == "2" ? 2 : type == "3" ? 3 : 0;
    c->url = ReadTags(columns_.UrlList.Strings(i));
    rtl::TStringList params;
    params.SetCommaText(columns_.ParamList.Strings(i));
    for (int k = 0; k < params.Count(); ++k) c->params.push_back(ReadTags(params.Strings(k)));
    const std::string target = columns_.TargetList.Strings(i);
    if (!target.empty()) c->targetAttribute = " target=\"" + target + "\"";
    if (columns_.IsImage(i)) {
        c->content = TColumn::Image;
        c->source = ReadTags(columns_.ShowDataList.Strings(i));
        if (columns_.PrefixList.Checked(i)) c->sizeAttributes += " width=\"" + columns_.PrefixList.Strings(i) + "\"";
        if (columns_.SuffixList.Checked(i)) c->sizeAttributes += " height=\"" + columns_.SuffixList.Strings(i) + "\"";
    } else if (columns_.ShowDataList.Checked(i)) {
        c->content = TColumn::Value;
        const db::TFields& fields = query_.Fields();
        c->field = i < fields.Count() ? fields.Fields(i) : nullptr;
        c->prefix = columns_.PrefixList.Strings(i);
        c->suffix = columns_.SuffixList.Strings(i);
    } else {
        c->prefix = columns_.ShowDataList.Strings(i);
    }
    read_[at] = std::move(c);
    return *read_[at];
}

bool THtmlRowWriter::ReadValue(const db::TField& field)
{
    // A data set without a current record leaves the value as it was: it reads as null.
    return query_.GetFieldData(const_cast<db::TField*>(&field), *value_) && !value_->IsNull();
}

void THtmlRowWriter::AppendTagged(std::string& out, const TTagged& text, TUrlPart part)
{
    // Inside the query or fragment of an address a value is one component.
    bool inQuery = part == TUrlPart::Component;
    for (const TTagged::TPiece& piece : text.pieces) {
        if (!piece.isTag) {
            out += piece.literal;
            inQuery = inQuery || piece.literalOpensQuery;
            continue;
        }
        if (piece.field == nullptr || !ReadValue(*piece.field)) continue;
        const std::size_t at = out.size();
        const db::TVariant& v = *value_;
        const bool stored = v.Type() == db::TVarType::String || v.Type() == db::TVarType::Bytes;
        AppendPercentEncodedAttribute(out, stored ? std::string_view(v.Text()) : std::string_view(v.AsString()),
                                      inQuery ? TUrlPart::Component : part);
        inQuery = inQuery || out.find_first_of("?#", at) != std::string::npos;
    }
}

bool THtmlRowWriter::AppendFieldTags(std::string& out, std::string_view text, TUrlPart part)
{
    const TTagged tagged = ReadTags(text);
    AppendTagged(out, tagged, part);
    return tagged.usesData;
}

void THtmlRowWriter::AppendHeading(std::string& out, int i)
{
    const auto at = static_cast<std::size_t>(i);
    if (headings_.size() <= at) headings_.resize(at + 1);
    if (!headings_[at]) {
        // A heading that is still the column's name came from the database: it is data.
        const std::string heading = columns_.Heading(i);
        headings_[at] = columns_.HeadingIsColumnName(i) ? HtmlEscape(heading) : heading;
    }
    out += *headings_[at];
}

std::string THtmlRowWriter::HeadingHtml(int i)
{
    std::string s;
    AppendHeading(s, i);
    return s;
}

void THtmlRowWriter::AppendHeaderRow(std::string& out)
{
    out += kCrLf;
    out += "<tr>";
    for (int i = 0; i < count_; ++i) {
        if (Column(i).hidden) continue;
        out += kCrLf;
        out += "<td class=\"ThRows\">";
        AppendHeading(out, i);
        out += "</td>";
    }
    out += kCrLf;
    out += "</tr>";
}

void THtmlRowWriter::AppendRow(std::string& out, int style, int r)
{
    if (style == 0)
        AppendRowStyle1(out, r);
    else if (style == 1)
        AppendRowStyle2(out, r);
    else
        AppendTemplateRow(out);
}

void THtmlRowWriter::AppendRowStyle1(std::string& out, int r)
{
    const std::string_view rowClass = RowClass(r);
    out += kCrLf;
    out += "<tr>";
    for (int i = 0; i < count_; ++i) {
        out += kCrLf;
        AppendCell(out, i, rowClass);
    }
    out += kCrLf;
    out += "</tr>";
}

void THtmlRowWriter::AppendRowStyle2(std::string& out, int r)
{
    const std::string_view rowClass = RowClass(r);
    for (int i = 0; i < count_; ++i) {
        if (Column(i).hidden) continue;
        out += kCrLf;
        out += "<tr>";
        out += kCrLf;
        out += "<td class=\"ThRows\">";
        AppendHeading(out, i);
        out += "</td>";
        out += kCrLf;
        AppendCell(out, i, rowClass);
        out += kCrLf;
        out += "</tr>";
    }
}

void THtmlRowWriter::AppendTemplateRow(std::string& out)
{
    out += kCrLf;
    out += "<tr><td>";
    out += kCrLf;
    if (TemplateOutput) out += TemplateOutput();
    out += kCrLf;
    out += "</td></tr>";
}

void THtmlRowWriter::AppendValue(std::string& out, TColumn& c)
{
    if (c.field == nullptr) {
        out += kNbsp;
        return;
    }
    // Read at the first value; a malformed entry raises here, and again at the next value.
    if (!c.format) c.format.emplace(c.field->DataType(), PrepareFormat(columns_.FormatList.Strings(c.index)), true);
    if (!ReadValue(*c.field)) {
        out += kNbsp;
        return;
    }
    scratch_.clear();
    c.format->Append(scratch_, *value_);
    if (scratch_.empty())
        out += kNbsp;
    else
        AppendHtmlEscaped(out, scratch_);
}

void THtmlRowWriter::AppendContent(std::string& out, TColumn& c)
{
    switch (c.content) {
    case TColumn::Image:
        scratch_.clear();
        AppendTagged(scratch_, c.source, TUrlPart::Path);
        // A picture address built from data is read as a link address is: one a browser would
        // take for another scheme (javascript:, data:, ...) shows no picture.
        if (c.source.usesData && !IsSafeLinkAddress(scratch_)) {
            out += kNbsp;
            return;
        }
        out += "<img src=\"";
        out += scratch_;
        out += "\"";
        out += c.sizeAttributes;
        out += " border=\"0\">";
        return;
    case TColumn::Value:
        out += c.prefix;
        AppendValue(out, c);
        out += c.suffix;
        return;
    case TColumn::Fixed: out += c.prefix; return;
    }
}

bool THtmlRowWriter::LinkAddress(int i)
{
    const int type = Column(i).linkType;
    if (type == 0) return false;
    href_.clear();
    if (type == 2) href_ += "mailto:";
    // An empty href would reload the page: a dropped address leaves the content unlinked.
    if (!AppendCellUrl(href_, i)) return false;
    if (type == 3) {
        href_ += '?';
        AppendCellParamQuery(href_, i);
    }
    return true;
}

void THtmlRowWriter::AppendCell(std::string& out, int i, std::string_view rowClass)
{
    TColumn& c = Column(i);
    if (c.hidden) return;
    out += "<td class=\"";
    out += rowClass;
    out += "\" align=";
    out += c.alignment;
    out += ">";
    AppendLinkedContent(out, i, &rowClass);
    out += "</td>";
}

void THtmlRowWriter::AppendLinkedContent(std::string& out, int i, const std::string_view* linkClass)
{
    TColumn& c = Column(i);
    if (!LinkAddress(i)) {
        AppendContent(out, c);
        return;
    }
    out += "<a href=\"";
    out += href_;
    out += "\"";
    if (linkClass != nullptr) {
        out += " class=\"";
        out += *linkClass;
        out += "\"";
    }
    AppendCellTargetAttr(out, i);
    out += ">";
    AppendContent(out, c);
    out += "</a>";
}

void THtmlRowWriter::AppendCellContent(std::string& out, int i) { AppendLinkedContent(out, i, nullptr); }

std::string THtmlRowWriter::CellContent(int i)
{
    std::string s;
    AppendCellContent(s, i);
    return s;
}

bool THtmlRowWriter::AppendCellUrl(std::string& out, int i)
{
    TColumn& c = Column(i);
    const std::size_t at = out.size();
    AppendTagged(out, c.url, TUrlPart::Path);
    if (!c.url.usesData || IsSafeLinkAddress(std::string_view(out).substr(at))) return true;
    out.resize(at);
    return false;
}

void THtmlRowWriter::AppendCellTargetAttr(std::string& out, int i) { out += Column(i).targetAttribute; }

void THtmlRowWriter::AppendCellParamQuery(std::string& out, int i)
{
    const TColumn& c = Column(i);
    for (std::size_t k = 0; k < c.params.size(); ++k) {
        if (k > 0) out += '&';
        AppendTagged(out, c.params[k], TUrlPart::Component);
    }
}

}  // namespace designer
