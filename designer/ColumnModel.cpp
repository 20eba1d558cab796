#include "designer/ColumnModel.h"

#include <algorithm>
#include <cstdio>

#include "designer/Formats_Utils.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/SysUtils.h"

namespace designer {

std::string ColumnKey(std::string_view displayName) { return rtl::AnsiUpperCase(displayName); }

namespace {
const std::string_view kKeyEquals = "%3d";
}  // namespace

std::string FieldListEntry(std::string_view key, std::string_view heading)
{
    return rtl::StringReplace(key, "=", kKeyEquals, {rtl::rfReplaceAll}) + "=" + std::string(heading);
}

std::string FieldListKey(const rtl::TStrings& fieldList, int i)
{
    // Case matters: "%3D" is what a key holding "%3d" became when it was upper-cased.
    return rtl::StringReplace(fieldList.Names(i), kKeyEquals, "=", {rtl::rfReplaceAll});
}

int IndexOfFieldListKey(const rtl::TStrings& fieldList, std::string_view key)
{
    for (int i = 0; i < fieldList.Count(); ++i)
        if (rtl::AnsiSameText(FieldListKey(fieldList, i), key)) return i;
    return -1;
}

bool IsNumericColumnType(db::TFieldType type)
{
    switch (type) {
    case db::ftSmallint:
    case db::ftInteger:
    case db::ftWord:
    case db::ftFloat:
    case db::ftCurrency:
    case db::ftAutoInc:
    case db::ftLargeint: return true;
    default: return false;
    }
}

TColumnDefaults ColumnDefaults(db::TFieldType type)
{
    switch (type) {
    case db::ftFloat: return {"1,2,1,0,1", "Right"};
    case db::ftDate: return {"2,2,0,0,0", "Default"};
    case db::ftTime: return {"2,4,0,0,0", "Default"};
    case db::ftDateTime: return {"2,0,0,0,0", "Default"};
    default:
        if (IsNumericColumnType(type)) return {"1,0,1,0,1", "Right"};
        return {"0,0,0,0,0", "Default"};
    }
}

// ---- TColumnListState ----------------------------------------------------------------------

void TColumnListState::Clear()
{
    items_.clear();
    selected_ = -1;
}

void TColumnListState::CheckIndex(int index) const
{
    if (index < 0 || index >= Count())
        throw rtl::EListError("List index out of bounds (" + rtl::IntToStr(index) + ")");
}

TColumnListItem TColumnListState::Item(int index) const
{
    CheckIndex(index);
    return items_[static_cast<std::size_t>(index)];
}

void TColumnListState::SetItem(int index, const TColumnListItem& item)
{
    CheckIndex(index);
    items_[static_cast<std::size_t>(index)] = item;
}

// ---- TColumnModel --------------------------------------------------------------------------

namespace {

const char* const kCellValue = "[Cell Value]";

// The format column of the list view. An entry that cannot be read shows nothing here, so
// that one bad entry of a hand-edited project cannot stop the list from being built.
std::string ListFormatText(const std::string& entry)
{
    try {
        return DescribeFormatText(entry);
    } catch (const rtl::Exception& e) {
        std::fprintf(stderr, "gridweaver: format entry \"%s\" not shown: %s\n", entry.c_str(), e.what());
        return {};
    }
}

}  // namespace

TColumnListItem TColumnModel::ListItem(int i) const
{
    TColumnListItem item;
    item.Caption = Key(i);
    item.Checked = ShowModeList.Strings(i) == "Show";
    item.SubItems[0] = Heading(i);
    item.SubItems[1] = ListFormatText(FormatList.Strings(i));
    item.SubItems[2] = AlignmentList.Strings(i);
    if (IsImage(i)) {
        item.SubItems[3] = "Image";
        item.SubItems[4] = ShowDataList.Strings(i);
    } else {
        item.SubItems[3] = "Text";
        item.SubItems[4] = ShowDataList.Checked(i)
                               ? PrefixList.Strings(i) + kCellValue + SuffixList.Strings(i)
                               : ShowDataList.Strings(i);
    }
    item.SubItems[5] = UrlList.Strings(i);
    return item;
}

void TColumnModel::SetHeading(int i, std::string_view heading)
{
    const bool image = FieldList.Checked(i);
    FieldList.Put(i, FieldListEntry(Key(i), heading));
    FieldList.SetChecked(i, image);
}

bool TColumnModel::HeadingIsColumnName(int i) const
{
    return rtl::AnsiSameText(ColumnKey(Heading(i)), Key(i));
}

void TColumnModel::RebuildListView()
{
    IColumnListView& view = ListView();
    view.Clear();
    for (int i = 0; i < ColumnCount(); ++i) view.Add(ListItem(i));
}

void TColumnModel::AddDefaultColumn(const TColumnField& field)
{
    const TColumnDefaults defaults = ColumnDefaults(field.DataType);
    FieldList.Add(FieldListEntry(ColumnKey(field.DisplayName), field.DisplayName));
    ShowModeList.Add("Show");
    AlignmentList.Add(defaults.Alignment);
    ShowDataList.Add("");
    ShowDataList.SetChecked(ShowDataList.Count() - 1, true);  // shows the field value
    PrefixList.Add("");
    SuffixList.Add("");
    FormatList.Add(defaults.Format);
    HyperlinkTypeList.Add("0");
    UrlList.Add("");
    ParamList.Add("");
    TargetList.Add("");
}

void TColumnModel::AddKnownColumn(const TColumnLists& from, int j)
{
    TColumnLists::ForEachPair(from, *this, [j](const rtl::TStrings& source, rtl::TStrings& target) {
        target.Add(source.Strings(j));
    });
    TColumnLists::ForEachCheckedPair(from, *this, [j](const ui::TItemStrings& source, ui::TItemStrings& target) {
        target.SetChecked(target.Count() - 1, source.Checked(j));
    });
}

void TColumnModel::RebuildColumnList(std::string_view mode, const std::vector<TColumnField>& fields)
{
    // The scratch twins: the settings as they were before the rebuild.
    TColumnLists temp;
    TColumnLists::ForEachPair(temp, *this,
                              [](rtl::TStrings& twin, const rtl::TStrings& live) { twin.Assign(live); });
    TColumnLists::ForEachCheckedPair(temp, *this, [](ui::TItemStrings& twin, const ui::TItemStrings& live) {
        for (int k = 0; k < live.Count(); ++k) twin.SetChecked(k, live.Checked(k));
    });
    ForEachList([](rtl::TStrings& list) { list.Clear(); });
    ListView().Clear();

    // Settings found in the twins are kept only when every twin holds them: lists of unequal
    // length (a hand-edited project) must not stop the rebuild halfway.
    auto complete = [&temp](int j) {
        bool all = true;
        TColumnLists::ForEachPair(temp, temp, [j, &all](const rtl::TStrings& list, const rtl::TStrings&) {
            all = all && j < list.Count();
        });
        return all;
    };
    const bool update = mode == "Update";
    for (const TColumnField& field : fields) {
        const int j = update ? IndexOfFieldListKey(temp.FieldList, ColumnKey(field.DisplayName)) : -1;
        if (j < 0 || !complete(j))
            AddDefaultColumn(field);
        else
            AddKnownColumn(temp, j);
        ListView().Add(ListItem(ColumnCount() - 1));
    }
}

void TColumnModel::ExchangeColumns(int i, int j)
{
    ForEachList([i, j](rtl::TStrings& list) { list.Exchange(i, j); });
    IColumnListView& view = ListView();
    if (i != j) {
        const TColumnListItem a = view.Item(i);
        view.SetItem(i, view.Item(j));
        view.SetItem(j, a);
    }
    view.SetSelected(j);
}

void TColumnModel::StoreCheckLists()
{
    auto store = [this](const ui::TItemStrings& flags, rtl::TStringList& check) {
        check.Clear();
        for (int i = 0; i < FieldList.Count(); ++i) check.Add(flags.Checked(i) ? "1" : "0");
    };
    store(FieldList, CheckFieldList);
    store(ShowDataList, CheckShowDataList);
    store(PrefixList, CheckPrefixList);
    store(SuffixList, CheckSuffixList);
}

void TColumnModel::LoadCheckFlags()
{
    int columns = FieldList.Count();
    ForEachList([&columns](rtl::TStrings& list) { columns = std::min(columns, list.Count()); });
    ForEachList([columns](rtl::TStrings& list) {
        while (list.Count() > columns) list.Delete(list.Count() - 1);
    });
    auto load = [this](ui::TItemStrings& flags, const rtl::TStringList& check) {
        for (int i = 0; i < FieldList.Count() && i < flags.Count(); ++i)
            flags.SetChecked(i, i < check.Count() && check.Strings(i) == "1");
    };
    load(FieldList, CheckFieldList);
    load(ShowDataList, CheckShowDataList);
    load(PrefixList, CheckPrefixList);
    load(SuffixList, CheckSuffixList);
}

}  // namespace designer
