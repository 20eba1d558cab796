#include "grid/FindMatch.h"

#include <memory>
#include <optional>

#include "grid/CellControls.h"
#include "grid/GridRoutines.h"
#include "grid/Intl.h"
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

}  // namespace

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
