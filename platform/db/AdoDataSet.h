#pragma once
// The ADO-like data sets: a query, a table and the data set schema rowsets are read into.
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

#include <cstdint>
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
    // The statement the data set runs; empty for a data set filled from outside.
    virtual std::string CommandText() const { return {}; }
    // Describes the result columns without reading rows (for FieldDefs.Update while closed).
    virtual std::string DescribeText() const { return CommandText(); }
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
    int ViewCount() const;
    // Reads until `until` rows are held or the result ends. Changes only what is still to be
    // read, so that counting the records stays a const operation.
    void ReadRows(std::size_t until) const;
    void ReadAllRows() const { ReadRows(SIZE_MAX); }
    // Ends reading the rest: the statement is freed on the connection's worker when it can be.
    void StopReading() noexcept;
    // Rows read ahead on the connection's worker while the program goes through those held:
    // StartReadAhead starts reading the next part when rows are left and the connection is
    // free; TakeReadAhead waits for it and adds its rows (or raises what stopped it).
    struct TReadAhead;
    void StartReadAhead() const;
    void TakeReadAhead() const;
    std::size_t RowAt(int position) const;
    int PositionOfRow(std::size_t row) const;
    void BuildView();
    void ApplyViewChange();
    int ColumnIndex(std::string_view name) const;
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

// All rows and columns of one table; its field definitions can be read without opening it.
class TADOTable : public TCustomADODataSet {
    GW_CLASS(TADOTable)

public:
    explicit TADOTable(classes::TComponent* owner);
    ~TADOTable() override;

    const std::string& TableName() const noexcept { return tableName_; }
    void SetTableName(const std::string& name);

protected:
    std::string CommandText() const override;
    std::string DescribeText() const override;

private:
    std::string QuotedName() const;
    std::string tableName_;
};

}  // namespace db
