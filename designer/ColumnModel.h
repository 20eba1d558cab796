#pragma once
// The column model: what every column of the generated pages shows.
//
// The settings are parallel string lists, one entry per column, all indexed by the column's
// position, which is the position of its field in the open query. FieldList, ShowDataList,
// PrefixList and SuffixList also keep a checked flag per entry (the items of check list
// boxes); the flag travels with its entry when the list is rearranged.
//
//   FieldList          KEY=heading; checked: image column (an "=" inside KEY is written
//                      "%3d", see FieldListEntry)
//   ShowModeList       "Show" or "Hide"
//   AlignmentList      "Left", "Right", "Center" or "Default" (written into the cell as is)
//   ShowDataList       text column: fixed text; image column: image source (may hold [KEY]
//                      tags); checked: a text column shows the field value
//   PrefixList         text before the value; image width (checked: written)
//   SuffixList         text after the value; image height (checked: written)
//   FormatList         format entry (Formats_Utils.h)
//   HyperlinkTypeList  "0" none, "1" web page, "2" e-mail address, "3" script with parameters
//   UrlList            link address, may hold [KEY] tags
//   ParamList          comma text of name=value link parameters, values may hold [KEY] tags
//   TargetList         target frame or window of the link
//
// The column key is the field's display name (display label, else field name) upper-cased.

#include "platform/db/FieldTypes.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/ItemStrings.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace db {
class TDataSet;
}

namespace designer {

// ---- Columns of fields ---------------------------------------------------------------------

// What the column model reads of a field.
struct TColumnField {
    std::string DisplayName;
    db::TFieldType DataType = db::ftUnknown;
};

// The key of a column whose field shows `displayName`: the name upper-cased (every letter).
std::string ColumnKey(std::string_view displayName);

// The FieldList entry of a column: key, "=", heading. The entry is split at its first "=",
// so an "=" inside the key is written "%3d"; a key never holds a lower-case letter, so that
// text stands for nothing else. Every other key is written as it is.
std::string FieldListEntry(std::string_view key, std::string_view heading);
// The key of FieldList entry i, "%3d" read back as "=".
std::string FieldListKey(const rtl::TStrings& fieldList, int i);
// The first entry whose key is `key` (letter case ignored); -1 when none.
int IndexOfFieldListKey(const rtl::TStrings& fieldList, std::string_view key);

// Smallint, Integer, Word, Float, Currency, AutoInc and Largeint: the types a new column
// aligns to the right and formats as a number. BCD is not among them.
bool IsNumericColumnType(db::TFieldType type);

// Format entry and alignment of a new column of the type.
struct TColumnDefaults {
    std::string Format;
    std::string Alignment;
};
TColumnDefaults ColumnDefaults(db::TFieldType type);

// Display name and type of every field of the data set, in field order.
std::vector<TColumnField> ColumnFields(const db::TDataSet& query);

// ---- Lists ---------------------------------------------------------------------------------

// The eleven per-column lists.
struct TColumnLists {
    ui::TItemStrings FieldList;
    rtl::TStringList ShowModeList;
    rtl::TStringList AlignmentList;
    ui::TItemStrings ShowDataList;
    ui::TItemStrings PrefixList;
    ui::TItemStrings SuffixList;
    rtl::TStringList FormatList;
    rtl::TStringList HyperlinkTypeList;
    rtl::TStringList UrlList;
    rtl::TStringList ParamList;
    rtl::TStringList TargetList;

    // Calls f(a.X, b.X) for each of the eleven lists X, in the order above.
    template <class A, class B, class F>
    static void ForEachPair(A& a, B& b, F&& f)
    {
        f(a.FieldList, b.FieldList);
        f(a.ShowModeList, b.ShowModeList);
        f(a.AlignmentList, b.AlignmentList);
        f(a.ShowDataList, b.ShowDataList);
        f(a.PrefixList, b.PrefixList);
        f(a.SuffixList, b.SuffixList);
        f(a.FormatList, b.FormatList);
        f(a.HyperlinkTypeList, b.HyperlinkTypeList);
        f(a.UrlList, b.UrlList);
        f(a.ParamList, b.ParamList);
        f(a.TargetList, b.TargetList);
    }
    // Calls f(a.X, b.X) for the four lists with checked flags.
    template <class A, class B, class F>
    static void ForEachCheckedPair(A& a, B& b, F&& f)
    {
        f(a.FieldList, b.FieldList);
        f(a.ShowDataList, b.ShowDataList);
        f(a.PrefixList, b.PrefixList);
        f(a.SuffixList, b.SuffixList);
    }
    // Calls f(X) for each of the eleven lists.
    template <class F>
    void ForEachList(F&& f)
    {
        ForEachPair(*this, *this, [&f](rtl::TStrings& list, rtl::TStrings&) { f(list); });
    }
};

// ---- The column list view ------------------------------------------------------------------

// One row of the column list: caption the column key, check set when shown, sub-items
// heading, format description, alignment, "Text" or "Image", data or image source, link.
struct TColumnListItem {
    std::string Caption;
    bool Checked = false;
    std::array<std::string, 6> SubItems;
    friend bool operator==(const TColumnListItem&, const TColumnListItem&) = default;
};

// What the model needs of the list view it keeps in step with its lists. The design window
// puts its list view behind this; without one the model keeps the rows itself
// (TColumnListState).
class IColumnListView {
public:
    virtual ~IColumnListView() = default;
    virtual void Clear() = 0;
    virtual int Count() const = 0;
    virtual void Add(const TColumnListItem& item) = 0;
    virtual TColumnListItem Item(int index) const = 0;
    virtual void SetItem(int index, const TColumnListItem& item) = 0;
    // -1: none.
    virtual void SetSelected(int index) = 0;
    virtual int Selected() const = 0;
};

class TColumnListState : public IColumnListView {
public:
    void Clear() override;
    int Count() const override { return static_cast<int>(items_.size()); }
    void Add(const TColumnListItem& item) override { items_.push_back(item); }
    // rtl::EListError for an index outside the list.
    TColumnListItem Item(int index) const override;
    void SetItem(int index, const TColumnListItem& item) override;
    void SetSelected(int index) override { selected_ = index; }
    int Selected() const override { return selected_; }

private:
    void CheckIndex(int index) const;
    std::vector<TColumnListItem> items_;
    int selected_ = -1;
};

// ---- The model -----------------------------------------------------------------------------

class TColumnModel : public TColumnLists {
public:
    // "1" or "0" per column for the checked flags of FieldList, ShowDataList, PrefixList and
    // SuffixList; they carry the flags through the project file.
    rtl::TStringList CheckFieldList;
    rtl::TStringList CheckShowDataList;
    rtl::TStringList CheckPrefixList;
    rtl::TStringList CheckSuffixList;

    TColumnModel() = default;
    TColumnModel(const TColumnModel&) = delete;
    TColumnModel& operator=(const TColumnModel&) = delete;

    // The list view kept in step; nullptr goes back to the model's own rows.
    void SetListView(IColumnListView* view) { view_ = view; }
    IColumnListView& ListView() { return view_ ? *view_ : static_cast<IColumnListView&>(ownView_); }
    const IColumnListView& ListView() const
    {
        return view_ ? *view_ : static_cast<const IColumnListView&>(ownView_);
    }

    int ColumnCount() const { return FieldList.Count(); }
    // Entries of column i (raising rtl::EListError for a column that is not there).
    std::string Key(int i) const { return FieldListKey(FieldList, i); }
    std::string Heading(int i) const { return FieldList.ValueFromIndex(i); }
    // Replaces the heading of column i, keeping its key and image flag.
    void SetHeading(int i, std::string_view heading);
    // True while the heading is the column's own name (its key, letter case aside): a name
    // from the database rather than a text the author typed.
    bool HeadingIsColumnName(int i) const;
    bool IsHidden(int i) const { return ShowModeList.Strings(i) == "Hide"; }
    bool IsImage(int i) const { return FieldList.Checked(i); }
    // The column whose key is `name` (letter case ignored), -1 when none; the first of
    // several with the same key.
    int IndexOfKey(std::string_view name) const { return IndexOfFieldListKey(FieldList, name); }

    // Rebuilds the lists and the list view from the fields, in field order. With mode
    // "Update" a column whose key is among the fields keeps its settings; any other mode
    // ("Reset") gives every column the defaults of its field's type. Columns whose field
    // has gone are dropped.
    void RebuildColumnList(std::string_view mode, const std::vector<TColumnField>& fields);
    // The same from the fields of the open query.
    void RebuildColumnList(std::string_view mode, const db::TDataSet& query);

    // Exchanges columns `i` and `j` (a drop of item i on item j) in every list, flags
    // included, and the two list view rows; row j becomes selected.
    void ExchangeColumns(int i, int j);

    // The list view row of column i, built from the lists.
    TColumnListItem ListItem(int i) const;
    // Refills the list view from the lists (after the lists were loaded from a project).
    void RebuildListView();

    // Check lists from flags (before a project is saved) and flags from check lists (after
    // it is loaded; a missing check list entry leaves its flag off). Loaded lists of unequal
    // length (a hand-edited project) keep only the columns that all eleven hold, so that every
    // column can be read whole; the next update gives the others their defaults, as it would.
    void StoreCheckLists();
    void LoadCheckFlags();

private:
    void AddDefaultColumn(const TColumnField& field);
    void AddKnownColumn(const TColumnLists& from, int j);

    TColumnListState ownView_;
    IColumnListView* view_ = nullptr;
};

}  // namespace designer
