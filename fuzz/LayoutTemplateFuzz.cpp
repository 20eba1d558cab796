// Fuzz target of layout templates (a style's "Style.qss"): the bytes after a few option bytes
// are the file. Whatever it holds, the style loads with the file's text; the settings a
// template applies keep the columns whole; expansion asks only for columns that exist, gives
// back a template without tags as it is and never more than it was when tags give nothing;
// and expanded over a record whose every value is markup, what the tags give carries the
// values escaped, never as markup.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "designer/ColumnModel.h"
#include "designer/HtmlRows.h"
#include "designer/LayoutTemplate.h"
#include "fuzz/FuzzSupport.h"
#include "platform/rtl/Files.h"
#include "tests/db/MemDataSet.h"

namespace {

// What a record holds in every field: markup a page must never carry as it is.
constexpr std::string_view kMarkup = "<gw-data onload='x'>";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const int columnCount = input.ConsumeIntegralInRange(0, 12);
    const auto imageColumns = input.ConsumeIntegral<std::uint16_t>();
    const std::string text = input.ConsumeRemainingBytesAsString();

    // The file a style folder holds, read as the design window reads it.
    static const std::string styles = fuzz::ScratchFolder() + "/LayoutStyles";
    static const bool made = rtl::ForceDirectories(styles + "/Fuzz");
    fuzz::Check(made, "a style folder");
    rtl::WriteStringToFile(styles + "/Fuzz/Style.qss", text);
    const auto style = designer::LoadLayoutStyle(styles, "Fuzz");
    fuzz::Check(style.has_value() && style->templateText == text, "a style loads with its file's text");

    dbtest::TMemDataSet query;
    std::vector<db::TVariant> row;
    for (int i = 0; i < columnCount; ++i) {
        query.columns.push_back({"C" + std::to_string(i + 1), db::ftString, 40});
        row.emplace_back(std::string(kMarkup));
    }
    query.AddRow(row);
    query.Open();
    designer::TColumnModel columns;
    columns.RebuildColumnList("Reset", query);
    for (int i = 0; i < columnCount; ++i)
        if ((imageColumns >> i) & 1) columns.FieldList.SetChecked(i, true);

    // Tags that give nothing: asked only for columns that exist, never a longer text.
    const auto inRange = [&](int i) {
        fuzz::Check(i >= 0 && i < columns.ColumnCount(), "a tag asks for a column that exists");
        return std::string();
    };
    const std::string bare = designer::ExpandLayoutTemplate(text, columns, {inRange, inRange});
    fuzz::Check(bare.size() <= text.size(), "tags that give nothing never lengthen the text");
    if (text.find('<') == std::string::npos) fuzz::Check(bare == text, "a text without tags comes back as it is");

    // The template's settings applied, as loading a style does.
    designer::ApplyLayoutTemplate(text, designer::TTemplateMode::Settings, columns);
    fuzz::Check(columns.ColumnCount() == columnCount, "settings keep the columns");
    fuzz::Check(columns.FieldList.Count() == columnCount && columns.ShowDataList.Count() == columnCount &&
                    columns.PrefixList.Count() == columnCount && columns.SuffixList.Count() == columnCount,
                "settings keep every list whole");

    // The page of the record: what the tags give carries the values only escaped, whatever
    // the template made of the columns.
    query.First();
    designer::THtmlRowWriter rows(columns, query);
    const auto escaped = [](std::string piece) {
        fuzz::Check(piece.find(kMarkup) == std::string::npos, "a record's markup never reaches the page");
        return piece;
    };
    designer::ExpandLayoutTemplate(text, columns,
                                   {[&](int i) { return escaped(rows.HeadingHtml(i)); },
                                    [&](int i) { return escaped(rows.CellContent(i)); }});
    return 0;
}
