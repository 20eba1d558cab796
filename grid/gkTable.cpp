#include "grid/gkTable.h"

#include <map>

#include "grid/GridRoutines.h"
#include "grid/gkFilter.h"
#include "grid/gkLookups.h"
#include "platform/db/DataLinks.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Formatting.h"
#include "platform/rtl/Log.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Dialogs.h"

namespace grid {

namespace {

std::unique_ptr<rtl::TStringList> NewList() { return std::make_unique<rtl::TStringList>(); }

// A key value as text, for comparing with a field's text.
std::string KeyText(const db::TVariant& value)
{
    switch (value.Type()) {
    case db::TVarType::Null: return {};
    case db::TVarType::Boolean: return value.AsBoolean() ? "True" : "False";
    case db::TVarType::Float: return rtl::FloatToStr(value.AsFloat());
    default: return value.AsString();
    }
}

std::string FirstWord(const rtl::TStrings& lines)
{
    const std::string text = rtl::Trim(lines.Count() > 0 ? lines.Get(0) : std::string());
    std::size_t end = 0;
    while (end < text.size() && text[end] != ' ' && text[end] != '\t') ++end;
    return text.substr(0, end);
}

struct TNoCase {
    bool operator()(const std::string& a, const std::string& b) const
    {
        return rtl::AnsiLowerCase(a) < rtl::AnsiLowerCase(b);
    }
};

}  // namespace

db::TADOConnection* gkDatabaseConnection(const std::string& name)
{
    static std::map<std::string, std::unique_ptr<db::TADOConnection>, TNoCase> connections;
    if (const auto found = connections.find(name); found != connections.end()) return found->second.get();
    const std::string file = db::IsValidLinkName(name) ? db::DataLinkFileName(name) : std::string();
    if (file.empty() || !rtl::FileExists(file))
        throw db::EDatabaseError("Unknown database: " + name + " (no data link of that name)");
    auto connection = std::make_unique<db::TADOConnection>(nullptr);
    connection->SetLoginPrompt(false);
    connection->SetConnectionString("FILE NAME=" + file);
    return connections.emplace(name, std::move(connection)).first->second.get();
}

GW_IMPLEMENT_CLASS(TgkTable, db::TADOTable)
{
    p.String("DatabaseName", &TgkTable::DatabaseName, &TgkTable::SetDatabaseName);
    p.Strings("LookupFields", &TgkTable::LookupFields);
    p.Strings("LookupLinks", &TgkTable::LookupLinks);
    p.Strings("ControlType", &TgkTable::ControlType);
    p.Strings("PictureMasks", &TgkTable::PictureMasks);
    p.Strings("gkFilter", &TgkTable::gkFilter);
    p.Boolean("SyncSQLByRange", &TgkTable::SyncSQLByRange, &TgkTable::SetSyncSQLByRange, false);
    p.Boolean("NarrowSearch", &TgkTable::NarrowSearch, &TgkTable::SetNarrowSearch, false);
    p.Integer("NarrowSearchUpperChar", &TgkTable::NarrowSearchUpperChar, &TgkTable::SetNarrowSearchUpperChar, 255);
    p.Strings("Query", &TgkTable::Query);
    // Published again: a name clears the query lines.
    p.String("TableName", &TgkTable::TableName, &TgkTable::SetTableName);
    p.Boolean("ValidateWithMask", &TgkTable::ValidateWithMask, &TgkTable::SetValidateWithMask, true).AlwaysStored();
    p.Event("OnInvalidValue", &TgkTable::OnInvalidValue);
    p.Event("OnFilter", &TgkTable::onFilter_);
    p.Event("OnFilterEscape", &TgkTable::OnFilterEscape);
    p.Set("OnFilterOptions", gkFilterOptionInfo(), &TgkTable::OnFilterOptions, &TgkTable::SetOnFilterOptions,
          TgkFilterOptions{ofoEnabled, ofoShowHourGlass});
}

TgkTable::TgkTable(classes::TComponent* owner) : TgkDataSetExtras(owner), filter_(NewList()), query_(NewList())
{
    filter_->OnChange = [this](rtl::TStringList&) { FilterChanged(); };
    query_->OnChange = [this](rtl::TStringList&) { QueryChanged(); };
}

TgkTable::~TgkTable()
{
    filter_->OnChange = nullptr;
    query_->OnChange = nullptr;
    CloseOnDestroy();
}

void TgkTable::SetTableName(const std::string& name)
{
    db::TADOTable::SetTableName(name);
    if (!name.empty() && query_->Count() > 0) {
        query_->OnChange = nullptr;
        query_->Clear();
        query_->OnChange = [this](rtl::TStringList&) { QueryChanged(); };
    }
}

void TgkTable::SetDatabaseName(const std::string& name)
{
    if (name == databaseName_) return;
    CheckInactive();
    databaseName_ = name;
    if (connectedByName_) {
        SetConnection(nullptr);
        connectedByName_ = false;
    }
}

void TgkTable::ConnectByName()
{
    if (Connection() != nullptr || databaseName_.empty()) return;
    SetConnection(gkDatabaseConnection(databaseName_));
    connectedByName_ = true;
}

void TgkTable::QueryChanged()
{
    if (Active()) Close();
    FieldDefs().SetUpdated(false);
    if (query_->Count() == 0) return;
    db::TADOTable::SetTableName({});
    SetIndexFieldNames({});
    SetMasterSource(nullptr);
    SetMasterFields({});
}

std::string TgkTable::CommandText() const
{
    if (query_->Count() == 0) return db::TADOTable::CommandText();
    if (rtl::AnsiLowerCase(FirstWord(*query_)) == "query") db::DatabaseError("QBE queries are not supported", this);
    return gkStringsToText(*query_, false);
}

// Query lines are described by preparing them as they stand: no clause may be added to them.
std::string TgkTable::DescribeText() const
{
    return query_->Count() == 0 ? db::TADOTable::DescribeText() : CommandText();
}

std::string TgkTable::CombinedFilterText() const
{
    std::string text;
    for (int i = 0; i < filter_->Count(); ++i) {
        const std::string line = rtl::Trim(filter_->Get(i));
        if (line.empty()) continue;
        text += text.empty() ? line : " AND (" + line + ")";
    }
    return text;
}

void TgkTable::InstallFilter(bool force)
{
    bool ok = false;
    try {
        ok = gkApplyFilterText(CombinedFilterText(), *this, filterHandle_, force);
    } catch (const std::exception&) {
        rtl::LogCurrentException("TgkTable: installing the gkFilter text");
    }
    if (!ok) ui::MessageDlg("Fail to set filter", ui::mtWarning, {ui::mbOK});
}

void TgkTable::FilterChanged()
{
    if (Active()) InstallFilter(false);
}

bool TgkTable::IsSequenced() const { return CombinedFilterText().empty() && TgkDataSetExtras::IsSequenced(); }

void TgkTable::InternalInitFieldDefs()
{
    ConnectByName();
    TgkDataSetExtras::InternalInitFieldDefs();
}

void TgkTable::InternalOpen()
{
    ConnectByName();
    TgkDataSetExtras::InternalOpen();
    if (!CombinedFilterText().empty()) InstallFilter(true);
}

void TgkTable::InternalClose()
{
    gkDropFilter(*this, filterHandle_);
    TgkDataSetExtras::InternalClose();
    rangeByValues_ = false;
}

bool TgkTable::CurrentRecordHolds(const std::vector<db::TVariant>& values) const
{
    if (IsEmpty()) return false;
    for (std::size_t i = 0; i < values.size(); ++i)
        if (rtl::AnsiLowerCase(KeyText(values[i])) != rtl::AnsiLowerCase(IndexFields(static_cast<int>(i))->AsString()))
            return false;
    return true;
}

bool TgkTable::FindKeyByValues(const std::vector<db::TVariant>& values)
{
    const int fieldCount = IndexFieldCount();
    if (fieldCount == 0) return false;
    if (static_cast<int>(values.size()) > fieldCount) {
        ui::MessageDlg("Table " + Name() + ": FindKey has too many lookup values for index " + IndexName(),
                       ui::mtWarning, {ui::mbOK});
        return false;
    }
    if (syncSQLByRange_) {
        if (CurrentRecordHolds(values) && (!RangeActive() || rangeByValues_)) return true;
        if (!values.empty() && !KeyText(values[0]).empty()) {
            SetRange(values, values);
            rangeByValues_ = true;
            First();
            return CurrentRecordHolds(values);
        }
        if (!rangeByValues_) return false;
        CancelRange();
        rangeByValues_ = false;
        return false;
    }
    if (narrowSearch_) {
        CancelRange();
        rangeByValues_ = false;
    }
    if (CurrentRecordHolds(values)) return true;
    return FindKey(values);
}

std::string TgkTable::FindIndexForFields(const std::string& fields)
{
    if (IndexDefs().Count() == 0 || rtl::AnsiSameText(IndexDefs().Items(0).name, Name() + "Index0")) {
        ConnectByName();
        IndexDefs().Update();
    }
    const std::string wanted = rtl::AnsiUpperCase(fields);
    for (int pass = 0; pass < 4; ++pass) {
        const bool caseInsensitive = pass % 2 == 1;
        const bool exact = pass < 2;
        for (int i = 0; i < IndexDefs().Count(); ++i) {
            const db::TIndexDef& def = IndexDefs().Items(i);
            const std::string list = rtl::AnsiUpperCase(def.fields);
            if (def.options.Contains(db::ixCaseInsensitive) != caseInsensitive || !list.starts_with(wanted)) continue;
            if (list.size() == wanted.size() || (!exact && list[wanted.size()] == ';')) return def.name;
        }
    }
    return "?";
}

}  // namespace grid
