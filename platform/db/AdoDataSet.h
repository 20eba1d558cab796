#pragma once
// The ADO-like data sets: a query, a table, a stored procedure and the data set schema
// rowsets are read into.
//
// Opening runs the statement on the connection (connecting it first when needed), makes the
// field definitions from the result columns (ODBC type → ADO type → field type through the
// ADO type table; exact numerics stay exact with EnableBCD) and reads the first rows into
// memory; nothing before them grows with the size of the result. The rest is read when it is
// wanted, the statement held open until then: moving past the rows read reads the next ones,
// and RecordCount, Last, a filter or a sort read all of them (so RecordCount is exact);
// ReadMoreRows reads on in the background. While rows are left, the next part is read ahead
// on the connection's worker as the program goes through those held (other work on the
// connection waits for it first). Rows once read stay, so moving back costs no round trips.
// A read that fails raises its error when its rows are wanted; the rows read before it stay,
// and the result ends there. The data sets are read-only: what the program shows and generates pages from is
// the query's result.
//
// Filter text (with Filtered) and Sort text select and order the rows (AdoFilter.h);
// OnFilterRecord is asked too when Filtered is set, and the record filters always.
//
// A table adds an index order of its own (IndexName or IndexFieldNames), key searches on it,
// ranges and a master-detail link. All of them work in memory over the rows read: the index
// order sorts the rows by their key fields (before Sort, which only breaks ties), comparing
// texts letter case counting - ODBC reports no collation, so every index counts as
// case-sensitive - and nulls first; a range or a master record keeps the rows whose key
// fields lie in it.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/db/AdoConnection.h"
#include "platform/db/AdoFilter.h"
#include "platform/db/DataSet.h"
#include "platform/db/Recordset.h"
#include "platform/rtl/StringList.h"

namespace db {

class TCustomADODataSet : public TDataSet {
    GW_CLASS(TCustomADODataSet)

public:
    explicit TCustomADODataSet(classes::TComponent* owner);
    ~TCustomADODataSet() override;

    TADOConnection* Connection() const noexcept { return connection_; }
    void SetConnection(TADOConnection* connection);
    bool EnableBCD() const noexcept { return enableBCD_; }
    void SetEnableBCD(bool enable);
    const std::string& Sort() const noexcept { return sort_; }
    void SetSort(const std::string& sort);
    void SetFiltered(bool filtered) override;
    void SetFilterText(const std::string& text) override;

    int CompareBookmarks(const TBookmark& a, const TBookmark& b) const override;
    // The rows are read whole and numbered, so record numbers are meaningful.
    bool IsSequenced() const override { return true; }
    bool BookmarkValid(const TBookmark& bookmark) const override;

    void Notification(classes::TComponent* component, classes::TOperation operation) override;

    // Whether every row of the result has been read.
    bool AllRowsRead() const noexcept { return !recordset_ || !recordset_->reader; }
    // Reads up to `count` more rows (whole fetches, so a few more may come) and tells the
    // data-aware controls that the record count grew. Nothing when every row is read.
    void ReadMoreRows(int count);

protected:
    // A descendant's part in the view: the order it puts first (compared letter case
    // counting) and the rows it keeps out. Asked whenever the view is built.
    struct TViewShape {
        std::vector<TSortKey> order;
        std::function<bool(const TRowStore& rows, std::size_t row)> accepts;
    };
    virtual TViewShape ViewShape() const { return {}; }
    // Builds the view again (after the shape changed) and moves to the first record.
    void RefreshView();
    // The column of a field name in the result (letter case ignored), -1 when none.
    int ColumnIndex(std::string_view name) const;
    // The rows read, nullptr while closed.
    const TRowStore* Rows() const noexcept { return recordset_ ? recordset_->rows.get() : nullptr; }
    // Reads every row of the result.
    void ReadAllRows() const { ReadRows(SIZE_MAX); }
    // Rows in the view and the row at a view position.
    int ViewCount() const;
    std::size_t RowAt(int position) const;
    // Makes the record at a view position current (scroll events included).
    void GotoPosition(int position);

    // The statement the data set runs; empty for a data set filled from outside.
    virtual std::string CommandText() const { return {}; }
    // Describes the result columns without reading rows (for FieldDefs.Update while closed).
    virtual std::string DescribeText() const { return CommandText(); }
    // The values of the statement's parameter markers, in order.
    virtual std::vector<TVariant> CommandInputs() const { return {}; }
    // Runs the statement and reads its rows.
    std::unique_ptr<TRecordset> Execute();
    // Hands over rows read elsewhere (schema rowsets); the next open shows them.
    void SetRecordset(std::unique_ptr<TRecordset> recordset);

    TRecordBuffer AllocRecordBuffer() override;
    void FreeRecordBuffer(TRecordBuffer& buffer) override;
    int GetRecordSize() const override;
    TGetResult GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) override;
    void InternalOpen() override;
    void InternalClose() override;
    bool IsCursorOpen() const override { return open_; }
    void InternalInitFieldDefs() override;
    void InternalFirst() override { cursor_ = -1; }
    void InternalLast() override;
    void InternalSetToRecord(TRecordBuffer buffer) override;
    void GetBookmarkData(TRecordBuffer buffer, TBookmark& bookmark) const override;
    void SetBookmarkData(TRecordBuffer buffer, const TBookmark& bookmark) override;
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) const override;
    void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) override;
    void InternalGotoBookmark(const TBookmark& bookmark) override;
    using TDataSet::GetFieldData;
    bool GetFieldData(TField* field, TRecordBuffer buffer, TVariant& value) const override;
    bool GetCanModify() const override { return false; }
    int GetRecordCount() const override;
    int GetRecordsRead() const override { return ViewCount(); }
    bool GetAllRecordsRead() const override { return AllRowsRead(); }
    int GetRecNo() const override;
    std::string RecordBufferFault(TRecordBuffer buffer) const override;
    void RecordFiltersChanged() override;

private:
    friend class TADOConnection;
    struct RecordHeader;
    // Reads until `until` rows are held or the result ends. Changes only what is still to be
    // read, so that counting the records stays a const operation.
    void ReadRows(std::size_t until) const;
    // Ends reading the rest: the statement is freed on the connection's worker when it can be.
    void StopReading() noexcept;
    // Rows read ahead on the connection's worker while the program goes through those held:
    // StartReadAhead starts reading the next part when rows are left and the connection is
    // free; TakeReadAhead waits for it and adds its rows (or raises what stopped it).
    struct TReadAhead;
    void StartReadAhead() const;
    void TakeReadAhead() const;
    int PositionOfRow(std::size_t row) const;
    void BuildView();
    void ApplyViewChange();
    void FillBuffer(TRecordBuffer buffer, int position) const;

    TADOConnection* connection_ = nullptr;
    bool enableBCD_ = true;
    std::string sort_;
    std::unique_ptr<TRecordset> recordset_;
    mutable std::shared_ptr<TReadAhead> readAhead_;  // the part being read ahead, if any
    bool open_ = false;
    int cursor_ = -1;
    bool identityView_ = true;
    std::vector<std::uint32_t> view_;           // visible rows in order, when not the identity
    mutable std::vector<std::int32_t> position_;  // row → view position, built on demand
};

// The data set that schema rowsets are read into (TADOConnection::OpenSchema).
class TADODataSet : public TCustomADODataSet {
    GW_CLASS(TADODataSet)

public:
    explicit TADODataSet(classes::TComponent* owner);
    ~TADODataSet() override;

private:
    friend class TADOConnection;
    void OpenRecordset(std::unique_ptr<TRecordset> recordset);
};

class TADOQuery : public TCustomADODataSet {
    GW_CLASS(TADOQuery)

public:
    explicit TADOQuery(classes::TComponent* owner);
    ~TADOQuery() override;

    // The statement's lines; changing them closes the query.
    rtl::TStringList* SQL() const noexcept { return sql_.get(); }
    // Runs a statement that returns no rows; the rows it touched.
    long long ExecSQL();
    long long RowsAffected() const noexcept { return rowsAffected_; }

protected:
    std::string CommandText() const override;

private:
    std::unique_ptr<rtl::TStringList> sql_;
    long long rowsAffected_ = -1;
};

// One index of a table: its name, its key fields (names separated by ";") and options.
enum TIndexOption { ixPrimary, ixUnique, ixDescending, ixCaseInsensitive };
using TIndexOptions = classes::TSet<TIndexOption>;

struct TIndexDef {
    std::string name;
    std::string fields;
    TIndexOptions options;
};

// The indexes of a table as its database lists them (siIndexes). No index is case-insensitive:
// ODBC reports no collation.
class TIndexDefs {
public:
    explicit TIndexDefs(class TADOTable* table) : table_(table) {}
    int Count() const noexcept { return static_cast<int>(defs_.size()); }
    const TIndexDef& Items(int index) const { return defs_.at(static_cast<std::size_t>(index)); }
    // Position by name (letter case ignored), -1 when none.
    int IndexOf(std::string_view name) const;
    void Add(TIndexDef def) { defs_.push_back(std::move(def)); }
    std::vector<TIndexDef>::const_iterator begin() const noexcept { return defs_.begin(); }
    std::vector<TIndexDef>::const_iterator end() const noexcept { return defs_.end(); }
    void Clear() { defs_.clear(); }
    // Reads the table's indexes again from its connection.
    void Update();

private:
    class TADOTable* table_;
    std::vector<TIndexDef> defs_;
};

// All rows and columns of one table; its field definitions can be read without opening it.
class TADOTable : public TCustomADODataSet {
    GW_CLASS(TADOTable)

public:
    explicit TADOTable(classes::TComponent* owner);
    ~TADOTable() override;

    const std::string& TableName() const noexcept { return tableName_; }
    void SetTableName(const std::string& name);

    TIndexDefs& IndexDefs() noexcept { return indexDefs_; }
    const TIndexDefs& IndexDefs() const noexcept { return indexDefs_; }
    // The index that orders the rows, by name (read from IndexDefs when they are empty);
    // EDatabaseError "Index 'X' not found" for an unknown one. Setting it clears
    // IndexFieldNames and the other way round; an empty value leaves the rows unordered.
    const std::string& IndexName() const noexcept { return indexName_; }
    void SetIndexName(const std::string& name);
    // Key fields named directly (separated by ";").
    const std::string& IndexFieldNames() const noexcept { return indexFieldNames_; }
    void SetIndexFieldNames(const std::string& names);
    // The key fields of the order in force (empty names without one).
    std::vector<std::string> IndexFieldNameList() const;
    int IndexFieldCount() const { return static_cast<int>(IndexFieldNameList().size()); }
    // The field of key field `index`; EDatabaseError when the key names no field.
    TField* IndexFields(int index) const;

    // Moves to the first record whose first key fields equal `values` (one per key field, at
    // most IndexFieldCount); False, and nothing moves, when none does.
    bool FindKey(const std::vector<TVariant>& values);
    // Moves to the first record whose key is at or after `values`, or to the last record
    // when none is.
    void FindNearest(const std::vector<TVariant>& values);

    // Ranges over the first key fields: from the start values through the end values (each
    // compared over as many key fields as it has values; none: open at that end).
    // SetRangeStart and SetRangeEnd only note the bounds; ApplyRange makes them hold.
    void SetRangeStart(const std::vector<TVariant>& values);
    void SetRangeEnd(const std::vector<TVariant>& values);
    void ApplyRange();
    void SetRange(const std::vector<TVariant>& start, const std::vector<TVariant>& end);
    void CancelRange();
    bool RangeActive() const noexcept { return rangeActive_; }

    // Master-detail: only the rows whose first key fields equal the master record's
    // MasterFields (names separated by ";"), following the master as it moves. Without an
    // index order the link raises "IndexName or IndexFieldNames must be set for a
    // master-detail link" when it is applied. A closed master restricts nothing.
    TDataSource* MasterSource() const noexcept;
    void SetMasterSource(TDataSource* source);
    const std::string& MasterFields() const noexcept { return masterFields_; }
    void SetMasterFields(const std::string& fields);

    void Notification(classes::TComponent* component, classes::TOperation operation) override;

protected:
    std::string CommandText() const override;
    std::string DescribeText() const override;
    TViewShape ViewShape() const override;
    void InternalOpen() override;

private:
    class TMasterLink;
    std::string QuotedName() const;
    std::vector<int> KeyColumns() const;
    std::vector<TVariant> MasterValues() const;
    void ShapeChanged();
    // The first view position whose key compares at or after `values` (`after`: past them).
    int KeyBound(const std::vector<TVariant>& values, bool after) const;
    std::string tableName_;
    TIndexDefs indexDefs_{this};
    std::string indexName_;
    std::string indexFieldNames_;
    bool rangeActive_ = false;
    std::vector<TVariant> rangeStart_, rangeEnd_, pendingStart_, pendingEnd_;
    std::unique_ptr<TMasterLink> masterLink_;
    std::string masterFields_;
};

// The rows a stored procedure (on PostgreSQL a set-returning function) answers, run through
// the driver's call escape "{call name(?,...)}" with the input parameters in the order they
// were first set. Changing the name closes the data set; parameters are read when it opens.
class TADOStoredProc : public TCustomADODataSet {
    GW_CLASS(TADOStoredProc)

public:
    explicit TADOStoredProc(classes::TComponent* owner);
    ~TADOStoredProc() override;

    const std::string& ProcedureName() const noexcept { return procedureName_; }
    void SetProcedureName(const std::string& name);
    // Sets the value of the input parameter `name` (letter case ignored), adding it after the
    // others when it is new.
    void SetParameter(const std::string& name, const TVariant& value);

protected:
    std::string CommandText() const override;
    std::vector<TVariant> CommandInputs() const override;

private:
    std::string procedureName_;
    std::vector<std::pair<std::string, TVariant>> parameters_;
};

}  // namespace db
