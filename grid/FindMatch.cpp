#include "grid/FindMatch.h"

#include <memory>
#include <optional>

#include "grid/CellControls.h"
#include "grid/GridRoutines.h"
#include "grid/Intl.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/DataSet.h"
#include "platform/db/Fields.h"
#include "platform/db/Variant.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Formatting.h"
#include "platform/rtl/Scope.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"

namespace grid {

namespace {

bool IsMemo(const db::TField& field) { return field.DataType() == db::ftMemo || field.DataType() == db::ftFmtMemo; }

// The exact numeric comparison of float fields; nothing when it does not apply (not exact,
// no number, an empty value) and the texts are compared instead.
std::optional<bool> NumbersMatch(const db::TField& field, const std::string& searchText, std::uint8_t matchType)
{
    if (matchType != mtExactMatch || searchText.empty() || !gkIsFloatField(&field) || field.IsNull())
        return std::nullopt;
    if (field.DataType() == db::ftBCD) {
        try {
            const std::string wanted = db::TVariant::FromDecimal(searchText).AsDecimalText();
            return db::CompareDecimalText(field.Value().AsDecimalText(), wanted) == 0;
        } catch (const rtl::EConvertError&) {
            return std::nullopt;  // no decimal: compared as text
        }
    }
    double wanted = 0;
    if (!rtl::TryStrToFloat(searchText, wanted)) return std::nullopt;
    return field.AsFloat() == wanted;
}

bool RecordMatches(db::TField& field, const std::string& searchText, IgkRichTextReader* reader,
                   std::uint8_t matchType, bool caseSensitive)
{
    if (IsMemo(field)) return gkMemoMatches(field, searchText, reader, caseSensitive, matchType);
    if (const std::optional<bool> numbers = NumbersMatch(field, searchText, matchType)) return *numbers;
    return gkValueMatches(field.AsString(), searchText, matchType, caseSensitive);
}

bool LocateAnswers(const db::TDataSet& dataSet, const db::TField& field, std::uint8_t matchType, bool useLocate)
{
    if (matchType != mtExactMatch && matchType != mtPartialMatchStart) return false;
    if (!useLocate && !(gkIntlDefault().ADO.UseLocateWhenFindingValue && gkIsClass(&dataSet, "TCustomADODataSet")))
        return false;
    return field.FieldKind() == db::fkData && !IsMemo(field);
}

bool IsStringField(const db::TField& field)
{
    const db::TFieldType type = field.DataType();
    return type == db::ftString || type == db::ftWideString || type == db::ftFixedChar;
}

// The search through the table's current index; nothing when the index does not serve it
// and the scan goes on from the current record.
std::optional<bool> IndexSearch(bool fromBeginning, db::TADOTable& table, db::TField& field,
                                const std::string& searchText, const std::string& wanted, std::uint8_t matchType,
                                bool caseSensitive)
{
    if (table.IndexName().empty() && table.IndexFieldNames().empty()) return std::nullopt;
    if (!table.IndexName().empty()) table.IndexDefs().Update();
    const std::vector<std::string> keys = table.IndexFieldNameList();
    if (keys.empty() || table.FindField(keys[0]) == nullptr || !rtl::AnsiSameText(keys[0], field.FieldName()))
        return std::nullopt;
    const bool caseFits = gkIndexIsCaseSensitive(table) == caseSensitive;
    if (matchType == mtExactMatch) {
        if (!fromBeginning && field.AsString() == searchText) return std::nullopt;
        if (field.DataType() == db::ftBoolean || (IsStringField(field) && !caseFits)) return std::nullopt;
        return table.FindKey({db::TVariant(searchText)});
    }
    if (matchType != mtPartialMatchStart || !IsStringField(field) || !caseFits) return std::nullopt;
    if (!fromBeginning && gkValueMatches(field.AsString(), wanted, matchType, caseSensitive)) return std::nullopt;
    const db::TBookmark start = table.GetBookmark();
    table.FindNearest({db::TVariant(searchText)});
    if (gkValueMatches(field.AsString(), wanted, matchType, caseSensitive)) return true;
    // Nothing starts with the text: back to where the search began.
    if (!start.empty()) table.GotoBookmark(start);
    return false;
}

}  // namespace

bool gkIndexIsCaseSensitive(const db::TDataSet& dataSet)
{
    const auto* table = dynamic_cast<const db::TADOTable*>(&dataSet);
    if (table == nullptr || table->IndexFieldNameList().empty()) return false;
    const db::TIndexDefs& defs = table->IndexDefs();
    const int index = table->IndexName().empty() ? -1 : defs.IndexOf(table->IndexName());
    // Fields named directly order the rows letter case counting, as every index here does.
    return index < 0 || !defs.Items(index).options.Contains(db::ixCaseInsensitive);
}

bool gkIsFloatField(const db::TField* field)
{
    if (field == nullptr) return false;
    const db::TFieldType type = field->DataType();
    return type == db::ftFloat || type == db::ftCurrency || type == db::ftBCD;
}

bool gkValueMatches(const std::string& value, const std::string& searchText, std::uint8_t matchType,
                    bool caseSensitive)
{
    const std::string compared = caseSensitive ? value : rtl::AnsiUpperCase(value);
    switch (matchType) {
    case mtExactMatch:
        return compared == searchText;
    case mtPartialMatchStart:
        return compared.starts_with(searchText);
    case mtPartialMatchAny:
        return compared.find(searchText) != std::string::npos;
    default:
        return false;
    }
}

bool gkMemoMatches(db::TField& field, const std::string& searchText, IgkRichTextReader* reader, bool caseSensitive,
                   std::uint8_t matchType)
{
    const std::string text = reader != nullptr ? reader->PlainTextOf(field, true) : field.AsString();
    return gkValueMatches(text, searchText, matchType, caseSensitive);
}

bool gkFindMatch(bool fromBeginning, db::TDataSet& dataSet, const std::string& fieldName,
                 const std::string& searchText, std::uint8_t matchType, bool caseSensitive, bool useLocate)
{
    dataSet.CheckBrowseMode();
    db::TField* field = dataSet.FindField(fieldName);
    if (field == nullptr) {
        ui::MessageDlg("Field " + fieldName + " not found.", ui::mtWarning, {ui::mbOK});
        return false;
    }
    const std::string wanted = caseSensitive ? searchText : rtl::AnsiUpperCase(searchText);
    if (auto* table = dynamic_cast<db::TADOTable*>(&dataSet);
        table != nullptr && !IsMemo(*field) && !gkTableHasQuery(table)) {
        if (const std::optional<bool> found =
                IndexSearch(fromBeginning, *table, *field, searchText, wanted, matchType, caseSensitive))
            return *found;
    }
    if (fromBeginning && LocateAnswers(dataSet, *field, matchType, useLocate)) {
        db::TLocateOptions options;
        if (!caseSensitive) options.Include(db::loCaseInsensitive);
        if (matchType == mtPartialMatchStart) options.Include(db::loPartialKey);
        return dataSet.Locate(fieldName, db::TVariant(searchText), options);
    }

    std::unique_ptr<ui::TWinControl> richText;
    if (IsMemo(*field) && gkIsRichTextField(field, true)) richText.reset(gkCreateRichTextReader(nullptr));
    auto* reader = dynamic_cast<IgkRichTextReader*>(richText.get());
    db::TBookmark start = dataSet.GetBookmark();
    bool found = false;
    ui::Screen().SetCursor(ui::crHourGlass);
    dataSet.DisableControls();
    const rtl::TScopeExit cleanUp([&] {
        if (!found && !start.empty()) dataSet.GotoBookmark(start);
        dataSet.FreeBookmark(start);
        dataSet.EnableControls();
        ui::Screen().SetCursor(ui::crDefault);
    });
    if (fromBeginning) {
        dataSet.First();
        found = !dataSet.Eof() && RecordMatches(*field, wanted, reader, matchType, caseSensitive);
    }
    while (!found && !dataSet.Eof()) {
        dataSet.Next();
        if (dataSet.Eof()) break;
        found = RecordMatches(*field, wanted, reader, matchType, caseSensitive);
    }
    return found;
}

bool gkFindMatchInField(db::TDataSet& dataSet, const std::string& searchText, const std::string& fieldName,
                        bool caseSensitive, std::uint8_t matchType)
{
    if (const db::TField* field = dataSet.FindField(fieldName)) {
        const std::string current = field->AsString();
        if (caseSensitive ? current == searchText : rtl::AnsiLowerCase(current) == rtl::AnsiLowerCase(searchText))
            return true;
    }
    return gkFindMatch(true, dataSet, fieldName, searchText, matchType, caseSensitive, false);
}

}  // namespace grid
