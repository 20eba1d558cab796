#pragma once
// The library's table data set: a table of the data layer (rows read over ODBC, ordered and
// searched in memory, platform/db/AdoDataSet.h) that also carries the grid library's
// per-field lists, a filter in the library's filter text, a table opened from an SQL text,
// checks of field values against picture masks, and key searches that lookups use.
//
// What it shares with the library's query and stored procedure (gkDataSets.h): ControlType,
// LookupFields, LookupLinks and PictureMasks, ValidateWithMask with OnInvalidValue, the OnFilter
// event with OnFilterEscape and OnFilterOptions, and lookup fields made on open and filled for
// every record read.
//
// Promises:
// - Published in this order after the table's own: LookupFields, LookupLinks, ControlType,
//   PictureMasks, gkFilter, SyncSQLByRange, NarrowSearch, NarrowSearchUpperChar, Query,
//   TableName, ValidateWithMask, OnInvalidValue, OnFilter, OnFilterEscape, OnFilterOptions.
// - gkFilter: its non-empty lines, trimmed, combine to the first line, then " AND (" line ")"
//   for each further line. While the table is open the combined text is installed as a
//   record filter (gkFilter.h) whenever the lines change, and again on every open; a text
//   that does not compile shows the warning "Fail to set filter" (OK) and leaves the table
//   open, unfiltered by it.
// - Query: lines of an SQL statement the table opens in place of its table name. Writing it
//   closes the table; lines clear TableName, IndexFieldNames, MasterSource and MasterFields.
//   A text whose first word is "query" (any letter case) asks for a query by example, which
//   no database here runs: opening raises EDatabaseError "QBE queries are not supported" and
//   the table stays closed. A non-empty TableName clears Query.
// - DatabaseName, when no Connection is given, names a data link in the data-links folder
//   (db::DataLinksDir()); all tables naming one link share one connection to it. A name
//   that is no valid link name or has no link file raises EDatabaseError naming it when the
//   table needs its connection (open, field or index definitions).
// - The table counts as sequenced only while no gkFilter text is set and OnFilter is not
//   assigned.
// - There are no native table files here: IsParadoxTable and HasParadoxCursor answer False,
//   GetParadoxPicture empty.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "grid/gkDataSets.h"
#include "platform/db/AdoDataSet.h"
#include "platform/rtl/StringList.h"

namespace grid {

class TgkTable : public TgkDataSetExtras<db::TADOTable, TgkTable, TgkFilterEvent::TSteps::Full> {
    GW_CLASS(TgkTable)

public:
    explicit TgkTable(classes::TComponent* owner);
    ~TgkTable() override;

    rtl::TStringList* gkFilter() const noexcept { return filter_.get(); }
    rtl::TStringList* Query() const noexcept { return query_.get(); }

    bool SyncSQLByRange() const noexcept { return syncSQLByRange_; }
    void SetSyncSQLByRange(bool value) noexcept { syncSQLByRange_ = value; }
    bool NarrowSearch() const noexcept { return narrowSearch_; }
    void SetNarrowSearch(bool value) noexcept { narrowSearch_ = value; }
    std::uint16_t NarrowSearchUpperChar() const noexcept { return narrowSearchUpperChar_; }
    void SetNarrowSearchUpperChar(std::uint16_t value) noexcept { narrowSearchUpperChar_ = value; }
    const std::string& TableName() const noexcept { return db::TADOTable::TableName(); }
    void SetTableName(const std::string& name);
    const std::string& DatabaseName() const noexcept { return databaseName_; }
    void SetDatabaseName(const std::string& name);

    bool IsParadoxTable() const noexcept { return false; }
    bool HasParadoxCursor() const noexcept { return false; }
    std::string GetParadoxPicture(const std::string&) const { return {}; }

    // The combined gkFilter text.
    std::string CombinedFilterText() const;

    // Key search for lookups: `values` are the first key fields of the current index.
    // - No index fields: False.
    // - More values than index fields: the warning "Table <Name>: FindKey has too many
    //   lookup values for index <IndexName>" (OK) and False.
    // - With SyncSQLByRange (every database here is SQL-based): True at once when the current
    //   record already holds the values (texts compared ignoring case), the table is not
    //   empty and no range is set or the range is this routine's own; else, when the first
    //   value's text is not empty, a range from the values to the values, the first record,
    //   and whether it holds them; with an empty first value, False (cancelling this
    //   routine's range when it set one).
    // - Without: with NarrowSearch any range is cancelled first; True when the current record
    //   already holds the values, else FindKey.
    bool FindKeyByValues(const std::vector<db::TVariant>& values);
    // The name of the first index whose key fields begin with `fields` (names separated by
    // ";"), tried in four passes: case-sensitive indexes with exactly those fields,
    // case-insensitive ones with exactly those, then each kind with those fields first
    // (followed by ";"). Field lists are compared upper-cased. "?" when none fits. The index
    // definitions are read first when there are none or the first is the placeholder
    // <Name>"Index0".
    std::string FindIndexForFields(const std::string& fields);

    bool IsSequenced() const override;

protected:
    std::string CommandText() const override;
    std::string DescribeText() const override;
    void InternalOpen() override;
    void InternalClose() override;
    void InternalInitFieldDefs() override;

private:
    void QueryChanged();
    void FilterChanged();
    // Installs the combined filter; the warning when it does not compile.
    void InstallFilter(bool force);
    // Connects through DatabaseName when no connection is given.
    void ConnectByName();
    bool CurrentRecordHolds(const std::vector<db::TVariant>& values) const;

    std::unique_ptr<rtl::TStringList> filter_, query_;
    bool syncSQLByRange_ = false;
    bool narrowSearch_ = false;
    std::uint16_t narrowSearchUpperChar_ = 255;
    std::string databaseName_;
    bool connectedByName_ = false;
    db::TRecordFilterHandle filterHandle_ = 0;
    bool rangeByValues_ = false;
};

// The connection all tables naming data link `name` share (made on first use, never
// connected here). EDatabaseError "Unknown database: <name> (no data link of that name)"
// when the name is no valid link name or the link file is missing.
db::TADOConnection* gkDatabaseConnection(const std::string& name);

}  // namespace grid
