#pragma once
// TdbCustomQuery: a data set over one ODBC statement with ":name" parameters (see Params.h
// for the markers; "::" stands for one ":", so a PostgreSQL cast is CAST(x AS int) or
// x::::int).
//
// Opening allocates the statement (cursor type lowered to what the driver offers and read
// back), prepares the parsed text once, binds the parameters, executes, describes the result
// columns as field definitions (duplicate names get "_1", "_2" ...; a nameless column is
// "COLUMN") and reads rows as they are walked:
// - a scrollable cursor (CursorType 1-3) is moved with SQLFetchScroll; where the driver keeps
//   bookmarks (see UsesBookmarks) a bookmark carries the driver's own bookmark of the row
//   (column 0, sized by its description) and is reached with SQL_FETCH_BOOKMARK; elsewhere
//   bookmarks are record numbers reached with SQL_FETCH_ABSOLUTE;
// - a forward-only cursor (CursorType 0) is read with SQLFetch and every row read is kept in
//   a local row store, so moving back, RecNo and going to a record number are served from
//   it; with UniDirectional on, rows are not kept and the set only moves forward.
// Values are read whole with SQLGetData in their exact kinds: 64-bit integers as ftLargeint,
// NUMERIC and DECIMAL as exact decimals (ftBCD), FLOAT/REAL/DOUBLE as ftFloat, timestamps
// with their milliseconds; texts of any length, never cut. A string field's value loses its
// trailing blanks (a CHAR(5) holding 'ab' reads 'ab', as does a VARCHAR holding 'ab  ');
// memo values keep them. A persistent data field that names no result column fails the open
// with "fielddef not found".
//
// Every ODBC result is checked: SQL_SUCCESS passes, SQL_SUCCESS_WITH_INFO and errors raise
// ESQLerror with the statement's records (01004, data truncated, is no error while a value is
// read in pieces; SQL_NO_DATA ends the rows). A failed open leaves the set closed with its
// statement freed, so the next open starts again.
//
// A master data source (DataSource) reopens the query whenever the master scrolls or
// changes; parameters without a value of their own take the master field of the same name.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "odbc/Database.h"
#include "odbc/OdbcSql.h"
#include "odbc/Params.h"
#include "platform/db/DataSet.h"
#include "platform/rtl/StringList.h"

namespace db {
class TRowStore;
}

namespace odbc {

class TdbCustomQuery;

// The binding of one result column.
class TODBCFieldDef : public db::TFieldDef {
public:
    TODBCFieldDef(std::string name, db::TFieldType type, int size, bool required)
        : TFieldDef(std::move(name), type, size, required)
    {
    }
    // The result column's number (1-based) and SQL type as the driver described them.
    int Column = 0;
    std::int16_t SqlType = 0;
    // The C type its values are read as.
    std::int16_t CType = 0;
    // The driver's column size.
    std::uint64_t ColumnSize = 0;
};

// Reopens its query when the master data set scrolls or changes.
class TdbCustomQueryDataLink : public db::TDataLink {
public:
    explicit TdbCustomQueryDataLink(TdbCustomQuery& query) : query_(query) {}

protected:
    void ActiveChanged() override;
    void RecordChanged(db::TField* field) override;

private:
    TdbCustomQuery& query_;
};

// A stream over a blob or memo field of the query's active record; a stream written to
// stores its value in the field when it goes. Opening for writing empties the value.
class TdbBlobStream : public db::TBlobStream {
public:
    TdbBlobStream(db::TField* field, db::TBlobStreamMode mode);
    ~TdbBlobStream() override;
    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, db::TSeekOrigin origin) override;
    std::int64_t Size() const override { return static_cast<std::int64_t>(data_.size()); }

private:
    db::TField* field_;
    std::string data_;
    std::size_t position_ = 0;
    bool modified_ = false;
};

class TdbCustomQuery : public db::TDataSet, public TdbAttachedDataSet {
    GW_CLASS(TdbCustomQuery)

public:
    explicit TdbCustomQuery(classes::TComponent* owner);
    ~TdbCustomQuery() override;

    // ---- Statement and parameters --------------------------------------------------------
    rtl::TStringList* SQL() const noexcept { return sql_.get(); }
    // The text sent to the driver (markers replaced).
    const std::string& ParsedSQL() const noexcept { return parsedSql_; }
    TdbParams& Params() noexcept { return params_; }
    TdbParam& ParamByName(std::string_view name) { return params_.ParamByName(name); }
    // When on (the default), changing SQL rebuilds Params from the markers.
    bool ParamCheck() const noexcept { return paramCheck_; }
    void SetParamCheck(bool check) noexcept { paramCheck_ = check; }

    TdbDataBase* Database() const override { return database_; }
    void SetDatabase(TdbDataBase* database) override;
    db::TDataSource* DataSource() const { return masterLink_.DataSource(); }
    void SetDataSource(db::TDataSource* source);

    // 0 forward-only, 1 static, 2 keyset-driven, 3 dynamic (the default). Once the statement
    // is allocated it reads the type the driver really uses. Changing it closes the set.
    int CursorType() const noexcept { return cursorType_; }
    void SetCursorType(int type);
    // Posting. An operation whose statement list is filled runs that list, with parameters
    // named after the fields (the new value, or the old one when the new one is null; "OLD_" +
    // name for the old value), in a transaction of its own that is kept only when it touches
    // exactly one row; otherwise it is rolled back and the post raises "No rows affected" or
    // "More then one rows affected", the record staying in its edit.
    // An operation without its list goes through the driver where the cursor allows it (see
    // CanInsert / CanUpdate / CanDelete): every result column is bound to the record's value
    // and the row is written with SQLSetPos (update, delete) or SQLBulkOperations (insert), in
    // a transaction of its own; a driver that refuses raises ESQLerror with its message, and
    // an update or delete that wrote no row (the row gone since it was read) raises "No rows
    // affected", the record staying in its edit and nothing written. Without either the post raises
    // "Internal update / insert / delete is not supported by the driver".
    // A list cannot be emptied or filled while the set is open ("You can't change Post metod
    // while query is active"). After a post the statement runs again and the cursor stays at
    // its record number.
    rtl::TStringList* ModifySQL() const noexcept { return lists_[0].get(); }
    rtl::TStringList* InsertSQL() const noexcept { return lists_[1].get(); }
    rtl::TStringList* DeleteSQL() const noexcept { return lists_[2].get(); }

    // Forward-only reading without keeping the rows read.
    bool UniDirectional() const noexcept { return uniDirectional_; }
    void SetUniDirectional(bool on);

    // ---- Running statements ----------------------------------------------------------------
    // Allocates the statement (connecting the database when needed) and sets its options;
    // 65128 without a database.
    void AllocStatement();
    // Closes the set and frees the statement handle.
    void FreeStatement() noexcept;
    void Prepare();
    void UnPrepare() noexcept { prepared_ = false; }
    // Binds the parameters and executes.
    void Execute();
    // Runs a statement that returns no rows; RowsAffected tells how many it touched.
    void ExecSQL();
    long long RowsAffected() const noexcept { return rowsAffected_; }
    THandle StmtHandle() const noexcept { return stmt_.Get(); }
    // SQL_SUCCESS passes; every other result raises ESQLerror: with the statement's records
    // for SQL_SUCCESS_WITH_INFO and SQL_ERROR; ": SQL_INVALID_HANDLE"; the result's name for
    // SQL_STILL_EXECUTING, SQL_NEED_DATA and SQL_NO_DATA; "unknown SQL result" for any other.
    void CheckStmtResult(TSqlReturn code) const;

    void ReleaseStatement() noexcept override { FreeStatement(); }

    // What the driver offers for the open statement (read when it is allocated, and the
    // concurrency again once it runs): whether its bookmarks are switched on (a scrollable
    // cursor whose bookmarks survive scrolling and deletes), whether it inserts, updates and
    // deletes rows itself (a scrollable cursor whose attributes and positioned operations
    // offer it, at a concurrency other than read-only; each false while the matching
    // statement list is filled), the cursor's sensitivity (SQL_SS_* bits, less updates and
    // deletions the driver cannot make) and the concurrency in use (SQL_CONCUR_*;
    // keyset-driven and dynamic cursors ask for the strictest the driver offers; 0 when the
    // driver does not say).
    bool UsesBookmarks() const noexcept { return useBookmarks_; }
    bool CanInsert() const noexcept { return canInsert_; }
    bool CanUpdate() const noexcept { return canUpdate_; }
    bool CanDelete() const noexcept { return canDelete_; }
    std::uint32_t Sensitivity() const noexcept { return sensitivity_; }
    std::uint32_t Concurrency() const noexcept { return concurrency_; }

    bool IsSequenced() const override { return true; }
    std::unique_ptr<db::TBlobStream> CreateBlobStream(db::TField* field, db::TBlobStreamMode mode) override;
    void Notification(classes::TComponent* component, classes::TOperation operation) override;
    void DefineProperties(classes::TFiler& filer) override;

    // Called by the master link.
    void MasterChanged();

protected:
    db::TRecordBuffer AllocRecordBuffer() override;
    void FreeRecordBuffer(db::TRecordBuffer& buffer) override;
    void InternalInitRecord(db::TRecordBuffer buffer) override;
    db::TGetResult GetRecord(db::TRecordBuffer buffer, db::TGetMode mode, bool doCheck) override;
    void InternalOpen() override;
    void InternalClose() override;
    bool IsCursorOpen() const override { return open_; }
    void InternalInitFieldDefs() override;
    void InternalFirst() override;
    void InternalLast() override;
    void InternalSetToRecord(db::TRecordBuffer buffer) override;
    void GetBookmarkData(db::TRecordBuffer buffer, db::TBookmark& bookmark) const override;
    void SetBookmarkData(db::TRecordBuffer buffer, const db::TBookmark& bookmark) override;
    db::TBookmarkFlag GetBookmarkFlag(db::TRecordBuffer buffer) const override;
    void SetBookmarkFlag(db::TRecordBuffer buffer, db::TBookmarkFlag flag) override;
    void InternalGotoBookmark(const db::TBookmark& bookmark) override;
    bool GetFieldData(db::TField* field, db::TRecordBuffer buffer, db::TVariant& value) const override;
    void SetFieldData(db::TField* field, const db::TVariant& value) override;
    bool GetCanModify() const override;
    db::TRecordBuffer GetOldValueBuffer() const override;
    void InternalEdit() override;
    void InternalPost() override;
    void InternalDelete() override;
    int GetRecordCount() const override;
    int GetRecNo() const override;

private:
    struct TRecord;
    static TRecord& RecordOf(db::TRecordBuffer buffer) { return *reinterpret_cast<TRecord*>(buffer); }
    enum class TPlace { BeforeFirst, On, AfterLast };

    void SqlChanged();
    // Runs statement list `kind` (0 modify, 1 insert, 2 delete) for `record`.
    void RunList(int kind, const TRecord& record, const TRecord& old);
    // Writes `record` (0 modify, 1 insert, 2 delete) through the driver's positioned
    // operations; the cursor stands on the record's row for modify and delete.
    void PostThroughDriver(int kind, const TRecord& record);
    // Runs one positioned operation (SQL_UPDATE, SQL_DELETE or SQL_ADD) on the bound record
    // in a transaction of its own; an update or delete that wrote no row, or several, is
    // rolled back and raises "No rows affected" or "More then one rows affected".
    void WriteRowThroughDriver(std::uint16_t operation);
    // Runs `action` in a transaction of its own on the database's connection: committed when
    // it returns, rolled back when it raises.
    void InOwnTransaction(const std::function<void()>& action);
    // Reads the concurrency in use, then sets the can-insert, can-update and can-delete flags
    // from the cursor attributes, the positioned operations, the concurrency and the lists.
    void DecidePosting();
    // Whether statement list `kind` (0 modify, 1 insert, 2 delete) holds a statement.
    bool HasList(int kind) const;
    // Runs the statement again and puts the cursor on record number `recNo` (or the last).
    void Requery(std::int64_t recNo);
    void RunStatement();
    void SetStatementOptions();
    void DescribeColumns();
    // Every data field has a column definition of its name ("fielddef not found" otherwise).
    void CheckFieldsHaveColumns();
    void TakeMasterValues();
    void BindParameters(std::vector<std::string>& storage, std::vector<long>& indicators);
    // Reads the values of the row the statement stands on.
    void ReadRow(std::vector<db::TVariant>& values);
    // Reads the driver's bookmark of the row (column 0) when bookmarks are in use, else
    // empties it.
    void ReadBookmark(std::vector<std::uint8_t>& bookmark);
    void ReadText(const TODBCFieldDef& column, std::int16_t cType, db::TVariant& value);
    db::TGetResult FetchScroll(std::int16_t orientation, std::int64_t offset);
    // The rows of a scrollable result (asked once per open).
    std::int64_t ScrollRowCount();
    // Cached reading: makes sure the store holds row `index` (0-based) when the rows reach it.
    bool CacheHas(std::int64_t index);
    void FillFromCache(TRecord& record, std::int64_t index) const;
    // Copies a record's values out of the row store (before it is changed).
    void Materialize(TRecord& record) const;
    bool Cached() const noexcept { return cursorType_ == 0 && !uniDirectional_; }
    bool Scrollable() const noexcept { return cursorType_ != 0; }
    void CloseCursor() noexcept;
    [[noreturn]] void RaiseMessage(int id, const std::string& arg = {}) const;

    std::unique_ptr<rtl::TStringList> sql_;
    std::unique_ptr<rtl::TStringList> lists_[3];
    std::string listTexts_[3];
    std::unique_ptr<TdbCustomQuery> listQueries_[3];
    std::unique_ptr<TRecord> oldRecord_;
    std::string parsedSql_;
    TdbParams params_;
    bool paramCheck_ = true;
    TdbDataBase* database_ = nullptr;
    TdbCustomQueryDataLink masterLink_;
    int cursorType_ = 3;
    bool uniDirectional_ = false;

    TOwnedHandle stmt_;
    bool executed_ = false;
    bool prepared_ = false;
    bool open_ = false;
    long long rowsAffected_ = -1;

    // Driver capabilities, read when the statement is allocated.
    std::uint32_t cursorAttributes_ = 0;
    std::uint32_t posOperations_ = 0;
    std::uint32_t sensitivity_ = 0;
    std::uint32_t concurrency_ = 0;
    bool useBookmarks_ = false;
    // The size of the driver's bookmarks, from the description of column 0.
    std::size_t bookmarkSize_ = 4;
    bool canInsert_ = false;
    bool canUpdate_ = false;
    bool canDelete_ = false;

    std::vector<TODBCFieldDef*> columns_;
    std::vector<char> chunk_;

    // Scrollable cursors: where the driver's cursor stands.
    TPlace place_ = TPlace::BeforeFirst;
    std::int64_t recNo_ = 0;
    std::int64_t rowCount_ = -1;
    // Forward-only cursors: the rows read so far and the cursor's index among them.
    std::unique_ptr<db::TRowStore> cache_;
    std::int64_t cursor_ = -1;
    bool driverDone_ = false;
    std::vector<db::TVariant> uniRow_;
};

}  // namespace odbc
