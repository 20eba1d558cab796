#pragma once
// The HTML of the static data pages, record by record: the header row, the rows of the two
// report layouts and of a layout template, the cell of each column and field tags. The
// writer and the builder read the query's current record and keep no record's state for the
// next.
//
// Field values are data: text cells HTML-escape them, and tags inside image sources, link
// addresses and link parameters percent-encode them and write a remaining "&" as "&amp;", so
// that a browser reads back exactly the value's characters. What the author typed (headings,
// prefixes, suffixes, fixed texts, addresses, targets) goes in as written; a heading the
// author left as the column's name is data.

#include "designer/Formats_Utils.h"
#include "designer/HtmlText.h"

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>
#include <string>
#include <string_view>

namespace db {
class TDataSet;
class TField;
class TVariant;
}  // namespace db

namespace designer {

class TColumnModel;

// "TrOdd" for the first, third, ... row of a page (r even), "TrRows" for the others.
std::string_view RowClass(int r);

// The text of a field value in a cell: "&nbsp;" for null; numeric fields (Smallint,
// Integer, Word, Float, Currency, BCD, AutoInc, Largeint) through FormatNumberText with the
// stored 0/1 flags; Date, Time and DateTime fields through FormatDateTimeText with `digits`
// as the style; any other field its text. The text is HTML-escaped; an empty one becomes
// "&nbsp;".
std::string FormatFieldValue(const db::TField& field, int digits, int leading, int parentheses, int grouping);
// The same after the column's format entry; with kind 0 (no format) the field's text as it
// is, never rounded. A malformed entry raises as ParseFormatEntry does.
std::string FormatFieldText(const db::TField& field, std::string_view entry);
// The two texts as they read, unescaped, for showing in a control (the column dialog's
// sample); null gives the empty text.
std::string FormatFieldValuePlain(const db::TField& field, int digits, int leading, int parentheses, int grouping);

// A column's format entry read once: its five numbers and the picture mask of its kind, so that
// a page of rows does not read the entry again for every cell. A malformed entry raises as
// ParseFormatEntry does.
struct TPreparedFormat {
    TFormatEntry entry;
    std::string mask;
};
TPreparedFormat PrepareFormat(std::string_view entry);
std::string FormatFieldText(const db::TField& field, const TPreparedFormat& format);
std::string FormatFieldTextPlain(const db::TField& field, const TPreparedFormat& format);
std::string FormatFieldTextPlain(const db::TField& field, std::string_view entry);

// A page's rows written in place into one text, for the page writers. Each column is read
// from the column model once, when it is first written: its entries, its format (the entry
// parsed and its picture read once), how its field's values are written (decided once by the
// field's type), the field tags of its addresses bound to their fields. Every record after
// that only reads its values and appends, so every record's text is byte for byte what a
// writer made for that record alone writes. The column model must not change while a writer
// is in use (one that changes needs a new writer); a malformed format entry raises, as
// ParseFormatEntry does, when its column's first value is written, and again at every later
// one. The texts of one record are written in the order a page shows them; each Append adds
// to `out` and leaves what it held.
class THtmlRowWriter {
public:
    THtmlRowWriter(const TColumnModel& columns, const db::TDataSet& query);
    ~THtmlRowWriter();
    THtmlRowWriter(const THtmlRowWriter&) = delete;
    THtmlRowWriter& operator=(const THtmlRowWriter&) = delete;

    // CR LF "<tr>", a ThRows cell with the heading of every shown column, CR LF "</tr>".
    void AppendHeaderRow(std::string& out);
    // The current record in the layout of `style`: 0 Report Style1, 1 Report Style2, any
    // other the layout template (TemplateOutput).
    void AppendRow(std::string& out, int style, int r);
    // "Report Style1": one row, a cell per column (a hidden column leaves a bare line break).
    void AppendRowStyle1(std::string& out, int r);
    // "Report Style2": a row per shown column, heading beside value.
    void AppendRowStyle2(std::string& out, int r);
    // The layout template: TemplateOutput's text inside one cell.
    void AppendTemplateRow(std::string& out);
    // Column i's td element; nothing for a hidden column.
    void AppendCell(std::string& out, int i, std::string_view rowClass);
    // Column i's content with its link, without td element (layout templates). A picture
    // column whose address, built from field values, is not safe as a link address
    // (IsSafeLinkAddress) shows "&nbsp;" instead of its picture.
    void AppendCellContent(std::string& out, int i);
    // Column i's heading as the header cells show it: a heading that is still the column's
    // name is data and escaped, one the author typed goes in as typed.
    void AppendHeading(std::string& out, int i);
    // `text` with every "[" KEY "]" of a column replaced by the current record's text of the
    // field of that name (wherever the column stands), percent-encoded as `part` says and
    // written for an attribute ("&" as "&amp;"); in the path form a value that comes after a
    // "?" or "#" is encoded as a component. A bracketed name that is no column's key stays as
    // the name without its brackets. A "]" is looked for after its "[" only. True when a tag
    // named a column.
    bool AppendFieldTags(std::string& out, std::string_view text, TUrlPart part);
    // Column i's link address as written into the href attribute. An address built from field
    // values that a browser would read as a scheme other than http, https, ftp or mailto
    // (IsSafeLinkAddress) is dropped: nothing is written and the answer is false, and the
    // cell then has no link at all.
    bool AppendCellUrl(std::string& out, int i);
    // ` target="..."` or nothing.
    void AppendCellTargetAttr(std::string& out, int i);
    // The link parameters joined by "&", values percent-encoded as components.
    void AppendCellParamQuery(std::string& out, int i);

    // Column i's heading and content as texts, for the layout template's parts.
    std::string HeadingHtml(int i);
    std::string CellContent(int i);

    // The layout template's output for the current record; empty when not set.
    std::function<std::string()> TemplateOutput;

    struct TColumn;
    struct TTagged;

private:
    TColumn& Column(int i);
    // Reads column i from the column model (Column's first call for it).
    TColumn& ReadColumn(int i);
    const db::TField* FieldOfKey(std::string_view key) const;
    TTagged ReadTags(std::string_view text) const;
    void AppendTagged(std::string& out, const TTagged& text, TUrlPart part);
    // Puts the href of column i's link into href_; false when it has none or its address was
    // dropped.
    bool LinkAddress(int i);
    void AppendContent(std::string& out, TColumn& c);
    // Column i's content, inside its link when it has one; the link takes `linkClass` when
    // given.
    void AppendLinkedContent(std::string& out, int i, const std::string_view* linkClass);
    void AppendValue(std::string& out, TColumn& c);
    // The current value of `field`: false for null.
    bool ReadValue(const db::TField& field);

    const TColumnModel& columns_;
    const db::TDataSet& query_;
    const int count_;                             // the columns, counted when made
    std::vector<std::unique_ptr<TColumn>> read_;  // the columns read so far
    std::vector<std::optional<std::string>> headings_;
    std::unique_ptr<db::TVariant> value_;  // the value being written
    std::string scratch_;                 // a picture address being checked, a value being formatted
    std::string href_;                    // the link address of the cell being written
};

}  // namespace designer
