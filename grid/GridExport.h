#pragma once
// Writing a grid's records out: delimited or fixed-width text, an HTML table or a SYLK sheet,
// built from the grid's exported columns (mapped columns whose field DoExportField keeps),
// titles, fonts and colours. TgkExportOptions::Save drives it; the pieces are public so that
// each format can be checked on its own.
//
// Promises:
// - Every text from data or columns that goes into HTML is escaped; line breaks become
//   "<BR>". Only addresses with a safe scheme become links.
// - Delimited text quotes a value that needs it (delimiter, quote, CR, LF) even without
//   quoting asked for, doubling inner quotes; text values a spreadsheet would take for a
//   formula get a leading apostrophe; numbers, dates and Booleans never change.
// - SYLK text cells are always quoted, hold no line break and at most 255 characters.
// - Output goes to the sink piece by piece; memory does not grow with the rows (SYLK cells
//   go to a second sink first, the head needs the final counts).

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "grid/GridOptionObjects.h"
#include "grid/PublishedDBGrid.h"
#include "platform/classes/Alignment.h"
#include "platform/classes/Font.h"

namespace db {
class TField;
}
namespace ui {
class TWinControl;
}

namespace grid {

class TgkDBGrid;
class TgkColumn;

using TgkExportSink = std::function<void(std::string_view)>;

// One exported column.
struct TgkExportColumn {
    int dataCol = 0;               // the data column (field-map index)
    db::TField* field = nullptr;
    std::string title;             // as the column shows it ("~" marks line breaks)
    std::string group;             // the group caption, empty outside groups
    classes::TAlignment alignment = classes::taLeftJustify;
    int pixelWidth = 0;            // the grid column's width
    int displayWidth = 0;          // in characters
    int fixedWidth = 0;            // of the column in fixed-width text, in characters
    std::string controlType;       // the column's control type ("CheckBox", "URL-Link", ...)
    std::string controlParameters;
    TgkCellTextSource text;        // where its cell texts come from, worked out once
    std::string htmlOpen;   // the cell's opening up to its colours, once worked out
    std::string htmlWidth;  // the width part that ends the cell's opening
};

// The SYLK font table: each distinct definition gets the next number.
class TgkSylkFonts {
public:
    // "P;F" + name + ";M" + size x 20 + the style letters; ";" in the name doubled.
    static std::string Definition(const classes::TFont& font);
    int Number(const classes::TFont& font);
    // The "P" records in number order, each ended by CR LF.
    std::string Records() const;

private:
    std::map<std::string, int> numbers_;
    std::vector<std::string> order_;
};

class TgkGridExporter {
public:
    TgkGridExporter(TgkDBGrid& grid, const TgkExportOptions& options);

    const std::vector<TgkExportColumn>& Columns() const noexcept { return columns_; }

    // Writes the whole export of the options' type to `out` from the current records
    // (moves the data set; Save keeps the user's record). SYLK collects its cells in
    // `cells` first and writes them after the head through `copyCells` (which replays
    // what `cells` got into `out`).
    void Run(const TgkExportSink& out, const TgkExportSink& cells, const std::function<void()>& copyCells);

    // ---- Pieces (each checked on its own) ----------------------------------------------------
    // QuoteValue of the options, with the quoting a delimited value needs added.
    std::string QuoteText(const std::string& value) const;
    std::string TextTitleLine() const;
    std::string TextRow(int recordNo);
    std::string HtmlHead() const;
    std::string HtmlRow(int recordNo);
    std::string SylkTitleRows(TgkSylkFonts& fonts) const;
    std::string SylkRow(int recordNo, TgkSylkFonts& fonts);

private:
    bool Has(TgkExportSaveOption o) const { return options_.Options().Contains(o); }
    bool HasGroups() const;
    int SylkY(int recordNo) const;
    // The HTML of a cell's text (a control's inputs with esoAddControls), added to `out`.
    void AppendHtmlCellText(std::string& out, const TgkExportColumn& c, const std::string& text);
    // The inputs a cell control stands for in a page; empty for a control that is none of
    // a check box, a radio group or a combo box.
    std::string HtmlControl(const ui::TWinControl& control, const TgkExportColumn& c) const;
    // The exported column's position, from 1.
    int ColumnNumber(const TgkExportColumn& c) const;
    std::string HtmlWidth(const TgkExportColumn& c) const;

    TgkDBGrid& grid_;
    const TgkExportOptions& options_;
    std::vector<TgkExportColumn> columns_;
    int totalWidth_ = 0;
    std::string htmlRowOpen_;
    std::string htmlNumberOpen_;
    std::string htmlFontOpen_;   // the grid font's style tags, opening
    std::string htmlFontClose_;  // ... and closing, with the end of the cell
};

// ---- Small conversions -------------------------------------------------------------------------
// Six lower-case hex digits of the colour's red, green, blue.
std::string gkColorToHex(rtl::TColor color);
std::string gkAlignmentWord(classes::TAlignment a);
char gkAlignmentLetter(classes::TAlignment a);
// `text` wrapped in the style's tags, italic innermost.
std::string gkFontStyleTags(const classes::TFont& font, const std::string& text);
// The opening and the closing part of those tags.
std::string gkFontStyleOpenTags(const classes::TFont& font);
std::string gkFontStyleCloseTags(const classes::TFont& font);
// STYLE="font-family: name;font-size: N pt;color:#hex;" with the name escaped.
std::string gkFontStyleAttribute(const classes::TFont& font);
// A text field's value a spreadsheet would read as a formula or a control: with a leading
// apostrophe; other values as they are.
std::string gkGuardFormula(const db::TField* field, std::string text);
// Each CR LF, CR or LF as `with`.
std::string gkReplaceLineBreaks(std::string_view text, std::string_view with);

}  // namespace grid
