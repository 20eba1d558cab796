// The visual query's design as "key=value" lines, and its restoration.
//
// The writer writes no line that the reader would take for another field's: field names come
// from the database and may spell another field's setting.
//
// The reader trusts nothing it reads: counts never make it allocate or loop beyond the lines
// present, sort slots out of range or taken twice are skipped, and a number that is not one
// raises EConvertError naming key and value, so that the caller treats the text as
// unreadable instead of restoring half a design.

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/SysUtils.h"
#include "vquery/VQuery.h"

namespace vquery {

namespace {

const char* Bool(bool v) { return v ? "TRUE" : "FALSE"; }

// What a field's lines add to "TableN.<field name>".
const char* const kFieldSettings[] = {".CHECKED",          ".Sort",        ".Index",
                                      ".CompareOperator",  ".DestLiteral", ".CalColumnsource",
                                      ".CalColDestination", ".CalOperator", ".CalColExpression"};

// The keys (upper-cased, as the reader compares them, and less the "TableN." prefix) of the
// settings the fields of `box` may have, and of those of `calculated` more calculated fields.
std::set<std::string> SettingKeys(TmfVQueryTable& box, int calculated = 0)
{
    std::vector<std::string> names;
    for (int i = 0; i < box.Fields().Count(); ++i) names.push_back(box.Fields().Items(i)->FieldName);
    for (int c = 0; c < calculated; ++c) names.push_back("Calculate" + std::to_string(c));
    std::set<std::string> keys;
    for (const std::string& name : names)
        for (const char* setting : kFieldSettings) keys.insert(rtl::UpperCase(name + setting));
    return keys;
}

// The lines by key: case-insensitive, the first occurrence wins.
class TDesignLines {
public:
    explicit TDesignLines(const rtl::TStrings& list)
    {
        for (int i = 0; i < list.Count(); ++i) {
            const std::string line = list.Strings(i);
            const std::size_t eq = line.find('=');
            const std::string key = rtl::UpperCase(eq == std::string::npos ? line : line.substr(0, eq));
            const std::string value = eq == std::string::npos ? std::string() : line.substr(eq + 1);
            entries_.try_emplace(key, Entry{value, i});
        }
        lineCount_ = list.Count();
    }
    std::string Value(const std::string& key) const
    {
        const auto it = entries_.find(rtl::UpperCase(key));
        return it == entries_.end() ? std::string() : it->second.value;
    }
    // The line number of the key, -1 when absent.
    int Line(const std::string& key) const
    {
        const auto it = entries_.find(rtl::UpperCase(key));
        return it == entries_.end() ? -1 : it->second.line;
    }
    bool IsTrue(const std::string& key) const { return Value(key) == "TRUE"; }
    // A number that must be there.
    int Integer(const std::string& key) const
    {
        const std::string value = Value(key);
        int n = 0;
        if (!rtl::TryStrToInt(value, n))
            throw rtl::EConvertError("'" + value + "' is not a valid integer value for " + key);
        return n;
    }
    // A number when the key has a value, else 0.
    int OptionalInteger(const std::string& key) const { return Value(key).empty() ? 0 : Integer(key); }
    // A count: never below 0 nor above the number of lines present.
    int Count(const std::string& key) const { return std::clamp(OptionalInteger(key), 0, lineCount_); }

private:
    struct Entry {
        std::string value;
        int line;
    };
    std::map<std::string, Entry> entries_;
    int lineCount_ = 0;
};

}  // namespace

void TmfVQuery::SaveToStrings(rtl::TStrings& list) const
{
    rtl::TStringList out;
    const auto add = [&](const std::string& key, const std::string& value) { out.Add(key + "=" + value); };
    add("VJoinCount", std::to_string(GetJoinCount()));
    add("VTableCount", std::to_string(GetTableCount()));
    add("VSortCount", std::to_string(SortCount()));
    add("VCalCount", std::to_string(GetCalculatedCount()));
    add("AllowDuplicateJoins", Bool(AllowDuplicateJoins));
    add("AutoSizeTable", Bool(AutoSizeTable));
    add("TabOrder", std::to_string(TabOrder()));
    if (adoConnection_ != nullptr) add("ADOConnectionString", adoConnection_->ConnectionString());
    if (dbTableListBox_ != nullptr) add("DBTableListBox", dbTableListBox_->Name());
    add("LogicalSQLNames", Bool(LogicalSQLNames));
    add("SelectDistinct", Bool(SelectDistinct));
    add("ShowJoinCaptions", Bool(ShowJoinCaptions));
    add("ShowSystemTables", Bool(ShowSystemTables));
    if (sortListBox_ != nullptr) add("SortListBox", sortListBox_->Name());
    add("ShowJoinComment", Bool(ShowJoinComment));
    add("SQLCommentEndChars", SQLCommentEndChars);
    add("SQLCommentStartChars", SQLCommentStartChars);
    add("SQLQuoteChars", quoteChars_);
    for (std::size_t n = 0; n < tables_.size(); ++n) {
        const TmfVQueryTable& box = *tables_[n];
        const std::string prefix = "Table" + std::to_string(n);
        add(prefix + ".DBTableName", box.DBTableName());
        add(prefix + ".TableCaption", box.Caption());
        add(prefix + ".TableName", box.TableName());
        add(prefix + ".OwnerName", box.OwnerName());
        add(prefix + ".TableAlias", box.Alias());
        add(prefix + ".Top", std::to_string(box.Top()));
        add(prefix + ".Left", std::to_string(box.Left()));
        add(prefix + ".Height", std::to_string(box.Height()));
        add(prefix + ".Width", std::to_string(box.Width()));
        add(prefix + ".FieldCount", std::to_string(const_cast<TmfVQueryTable&>(box).Fields().Count()));
        TmfVQueryListBox& lb = *box.ListBox();
        const std::set<std::string> settingKeys = SettingKeys(const_cast<TmfVQueryTable&>(box));
        for (int i = 0; i < lb.Items()->Count(); ++i) {
            const TmfVQueryField* f = lb.Field(i);
            if (f == nullptr) continue;
            // Field names come from the database. The reader splits a line at its first "=",
            // so the lines of a name holding one would never be its own, only some other
            // key's; and a name such as "x.CompareOperator" would give its display name to
            // field x as a filter. Neither is written.
            if (f->FieldName.find('=') != std::string::npos) continue;
            const std::string stem = prefix + "." + f->FieldName;
            if (settingKeys.count(rtl::UpperCase(f->FieldName)) == 0) add(stem, f->DisplayName);
            if (lb.Checked(i)) add(stem + ".CHECKED", "TRUE");
            const auto pos = std::find(sortList_.begin(), sortList_.end(), f);
            if (pos == sortList_.end()) {
                add(stem + ".Sort", "stNoSort");
            } else {
                add(stem + ".Sort", f->SortDirection == 1 ? "stAscending" : "stDescending");
                add(stem + ".Index", std::to_string(pos - sortList_.begin() + 1));
            }
            for (int c = 0; c < criterias_.Count(); ++c) {
                const TmfVQueryCriteria* crit = criterias_.Items(c);
                if (crit->SourceField() != f) continue;
                add(stem + ".CompareOperator", crit->Operator);
                add(stem + ".DestLiteral", crit->Literal());
                break;
            }
            if (f->Calculated) {
                add(stem + ".CalColumnsource", f->CalColumnsource);
                add(stem + ".CalOperator", f->CalOperator);
                add(stem + ".CalColDestination", f->CalColDestination);
                add(stem + ".CalColExpression", f->CalColExpression);
            }
        }
    }
    add("JoinCount", std::to_string(GetJoinCount()));
    for (std::size_t j = 0; j < joins_.size(); ++j) {
        const TmfVQueryJoin& join = *joins_[j];
        const std::string prefix = "Join" + std::to_string(j) + ".";
        add(prefix + "SourceTableName", join.SourceTable()->Alias());
        add(prefix + "SourceFieldName", join.SourceField->FieldName);
        add(prefix + "DestTableName", join.DestTable()->Alias());
        add(prefix + "DestFieldName", join.DestField->FieldName);
        add(prefix + "Caption", join.Caption);
        add(prefix + "Color", std::to_string(static_cast<long long>(join.Color)));
        add(prefix + "JoinType", std::to_string(join.JoinType));
        add(prefix + "CompareOperator", join.CompareOperator);
    }
    list.Assign(out);
}

bool TmfVQuery::LoadFromStrings(const rtl::TStrings& source)
{
    rtl::TStringList copy;
    copy.Assign(source);
    const TDesignLines lines(copy);
    RemoveAllTables();
    criterias_.Clear();

    AllowDuplicateJoins = lines.IsTrue("AllowDuplicateJoins");
    AutoSizeTable = lines.IsTrue("AutoSizeTable");
    LogicalSQLNames = lines.IsTrue("LogicalSQLNames");
    SelectDistinct = lines.IsTrue("SelectDistinct");
    ShowJoinCaptions = lines.IsTrue("ShowJoinCaptions");
    ShowSystemTables = lines.IsTrue("ShowSystemTables");
    ShowJoinComment = lines.IsTrue("ShowJoinComment");
    SetTabOrder(std::max(0, lines.OptionalInteger("TabOrder")));
    const int tableCount = lines.Count("VTableCount");
    const int joinCount = lines.Count("JoinCount");
    const int sortCount = lines.Count("VSortCount");
    const int calCount = lines.Count("VCalCount");
    SQLCommentEndChars = lines.Value("SQLCommentEndChars");
    SQLCommentStartChars = lines.Value("SQLCommentStartChars");
    customQuoteChars_ = lines.Value("SQLQuoteChars");
    const std::string sortBoxName = lines.Value("SortListBox");
    if (!sortBoxName.empty() && Owner() != nullptr)
        if (auto* box = Owner()->FindComponent<ui::TListBox>(sortBoxName)) box->Items()->Clear();

    // Slot k (1-based) of the sort order: the field and its direction text.
    std::vector<std::pair<TmfVQueryField*, std::string>> sortSlots(static_cast<std::size_t>(sortCount));

    for (int n = 0; n < tableCount; ++n) {
        const std::string prefix = "Table" + std::to_string(n);
        const int top = lines.Integer(prefix + ".Top");
        const int left = lines.Integer(prefix + ".Left");
        const std::string dbTableName = lines.Value(prefix + ".DBTableName");
        const std::string caption = lines.Value(prefix + ".TableCaption");
        const std::string alias = lines.Value(prefix + ".TableAlias");

        TmfVQueryTable* box = nullptr;
        if (loadTableListBox_ != nullptr) {
            const int index = loadTableListBox_->Items()->IndexOf(rtl::UpperCase(caption));
            if (index >= 0)
                box = AddTableFromDescriptor({left, top}, app::ado::TableOf(*loadTableListBox_->Items(), index), false);
        } else {
            // The caption is the table list's own (unquoted) text; DBTableName is quoted and
            // finds only names that needed no quotes.
            const bool byCaption = !caption.empty() && tableNames_.IndexOf(rtl::UpperCase(caption)) >= 0;
            box = AddTable(byCaption ? caption : dbTableName, {left, top}, false);
        }
        if (box == nullptr) continue;
        box->SetBounds(box->Left(), box->Top(), lines.Integer(prefix + ".Width"), lines.Integer(prefix + ".Height"));
        box->SetAlias(alias);

        TmfVQueryListBox& lb = *box->ListBox();
        // A field whose name is another field's setting has no line of its own.
        const std::set<std::string> settingKeys = SettingKeys(*box, calCount);
        // (order key "0000000012=display name", field): sorted as text.
        std::vector<std::pair<std::string, TmfVQueryField*>> ordering;
        for (int i = 0; i < box->Fields().Count(); ++i) {
            TmfVQueryField* f = box->Fields().Items(i);
            const std::string stem = prefix + "." + f->FieldName;
            const bool ownLine = settingKeys.count(rtl::UpperCase(f->FieldName)) == 0;
            const std::string shown = ownLine ? lines.Value(stem) : std::string();
            f->DisplayName = shown.empty() ? f->FieldName : shown;
            if (i < lb.Items()->Count()) lb.Items()->Put(i, f->DisplayName);
            // Without a line of its own, the field keeps its place by its sort line, which
            // every field has.
            const int line = lines.Line(ownLine ? stem : stem + ".Sort");
            char key[16];
            std::snprintf(key, sizeof key, "%010d", line < 0 ? 9999 : line);
            ordering.emplace_back(std::string(key) + "=" + f->DisplayName, f);
            if (i < lb.Items()->Count() && lines.Value(stem + ".CHECKED") == "TRUE") lb.SetChecked(i, true);
            const int slot = lines.OptionalInteger(stem + ".Index");
            const std::string sort = lines.Value(stem + ".Sort");
            if ((sort == "stAscending" || sort == "stDescending") && slot >= 1 && slot <= sortCount &&
                sortSlots[static_cast<std::size_t>(slot - 1)].first == nullptr)
                sortSlots[static_cast<std::size_t>(slot - 1)] = {f, sort};
            const std::string op = lines.Value(stem + ".CompareOperator");
            const std::string literal = lines.Value(stem + ".DestLiteral");
            if (!op.empty() && !literal.empty()) {
                if (TmfVQueryCriteria* c = criterias_.Add(f)) {
                    c->Operator = op;
                    c->SetLiteral(literal);
                }
            }
        }
        // Each field's item moves to the next place. The item is found by its field, not by
        // its text, so that fields with the same display name keep their saved order.
        std::stable_sort(ordering.begin(), ordering.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        int next = 0;
        for (const auto& entry : ordering) {
            for (int i = next; i < lb.Items()->Count(); ++i) {
                if (lb.Field(i) == entry.second) {
                    lb.Items()->Move(i, next++);
                    break;
                }
            }
        }

        for (int c = 0; c < calCount; ++c) {
            const std::string name = "Calculate" + std::to_string(c);
            const std::string stem = prefix + "." + name;
            const std::string shown = lines.Value(stem);
            if (shown.empty()) continue;
            TmfVQueryField* f = box->AddField(name, shown, db::ftString, lines.Value(stem + ".CHECKED") == "TRUE");
            f->Calculated = true;
            f->CalColumnsource = lines.Value(stem + ".CalColumnsource");
            f->CalOperator = lines.Value(stem + ".CalOperator");
            f->CalColDestination = lines.Value(stem + ".CalColDestination");
            f->CalColExpression = lines.Value(stem + ".CalColExpression");
        }
    }

    for (const auto& [field, text] : sortSlots)
        if (field != nullptr) AddSortField(field, text == "stAscending");

    for (int j = 0; j < joinCount; ++j) {
        const std::string prefix = "Join" + std::to_string(j) + ".";
        lines.Integer(prefix + "Color");
        const std::string caption = lines.Value(prefix + "Caption");
        const auto findBox = [&](const std::string& alias) -> TmfVQueryTable* {
            for (TmfVQueryTable* b : tables_)
                if (b->Alias() == alias) return b;
            return nullptr;
        };
        const auto findField = [](TmfVQueryTable* box, const std::string& name) -> TmfVQueryField* {
            if (box == nullptr) return nullptr;
            for (int i = 0; i < box->Fields().Count(); ++i)
                if (box->Fields().Items(i)->FieldName == name) return box->Fields().Items(i);
            return nullptr;
        };
        TmfVQueryField* source = findField(findBox(lines.Value(prefix + "SourceTableName")), lines.Value(prefix + "SourceFieldName"));
        TmfVQueryField* dest = findField(findBox(lines.Value(prefix + "DestTableName")), lines.Value(prefix + "DestFieldName"));
        const int joinType = lines.Integer(prefix + "JoinType");
        if (source == nullptr || dest == nullptr) continue;
        if (TmfVQueryJoin* join = AddJoin(source, dest, caption)) {
            join->CompareOperator = lines.Value(prefix + "CompareOperator");
            join->JoinType = joinType;
        }
    }
    // A restored design is no change of the user's.
    MarkDesignUnchanged();
    return true;
}

}  // namespace vquery
