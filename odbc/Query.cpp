#include "odbc/Query.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

#include "odbc/Messages.h"
#include "odbc/OdbcApi.h"
#include "odbc/SqlError.h"
#include "platform/classes/Filer.h"
#include "platform/db/Recordset.h"
#include "platform/rtl/Log.h"
#include "platform/rtl/Scope.h"
#include "platform/rtl/SysUtils.h"

namespace odbc {

using namespace db;

static_assert(std::is_same_v<long, SQLLEN>);

// A record buffer: the row's record number (1-based), its bookmark flag and its values, one
// per field definition. A row of the local row store is not copied: the buffer keeps where
// its values lie in the store until it is edited.
struct TdbCustomQuery::TRecord {
    std::int64_t recNo = 0;
    TBookmarkFlag flag = bfCurrent;
    bool inCache = false;
    std::vector<TVariant> values;
    std::vector<std::uint32_t> offsets;
    // The driver's own bookmark of the row (column 0), when bookmarks are in use.
    std::vector<std::uint8_t> bookmark;
};

namespace {

// The field type and C type a described column is read as; ftUnknown: the column is skipped.
struct TColumnType {
    TFieldType fieldType = ftUnknown;
    SQLSMALLINT cType = 0;
};

TColumnType ColumnType(SQLSMALLINT sqlType, SQLULEN size)
{
    const bool shortText = size >= 1 && size <= 254;
    switch (sqlType) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_WCHAR: return {ftString, SQL_C_CHAR};
    case SQL_LONGVARCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR: return {shortText ? ftString : ftMemo, SQL_C_CHAR};
    case SQL_BIT: return {ftBoolean, SQL_C_BIT};
    case SQL_TINYINT:
    case SQL_SMALLINT: return {ftSmallint, SQL_C_SSHORT};
    case SQL_INTEGER: return {ftInteger, SQL_C_SLONG};
    case SQL_BIGINT: return {ftLargeint, SQL_C_SBIGINT};
    case SQL_NUMERIC:
    case SQL_DECIMAL: return {ftBCD, SQL_C_CHAR};
    case SQL_FLOAT:
    case SQL_REAL:
    case SQL_DOUBLE: return {ftFloat, SQL_C_DOUBLE};
    case SQL_DATE:
    case SQL_TYPE_DATE: return {ftDate, SQL_C_TYPE_DATE};
    case SQL_TIME:
    case SQL_TYPE_TIME: return {ftTime, SQL_C_TYPE_TIME};
    case SQL_TIMESTAMP:
    case SQL_TYPE_TIMESTAMP: return {ftDateTime, SQL_C_TYPE_TIMESTAMP};
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY: return {ftBlob, SQL_C_BINARY};
    default: return {};
    }
}

// Only blanks go: a trailing tab or line break is part of the value.
std::string WithoutTrailingBlanks(std::string_view text)
{
    const std::size_t end = text.find_last_not_of(' ');
    return std::string(text.substr(0, end == std::string_view::npos ? 0 : end + 1));
}

bool InEditMode(TDataSetState state) { return state == dsEdit || state == dsInsert; }

}  // namespace

// ---- Master link ----------------------------------------------------------------------------

void TdbCustomQueryDataLink::ActiveChanged() { query_.MasterChanged(); }
void TdbCustomQueryDataLink::RecordChanged(TField* field)
{
    if (field == nullptr) query_.MasterChanged();
}

// ---- Blob stream ----------------------------------------------------------------------------

TdbBlobStream::TdbBlobStream(TField* field, TBlobStreamMode mode) : field_(field)
{
    if (mode == bmWrite)
        modified_ = true;
    else
        data_ = field->Value().AsString();
}

TdbBlobStream::~TdbBlobStream()
{
    if (!modified_) return;
    try {
        field_->SetValue(field_->DataType() == ftMemo ? TVariant(data_) : TVariant::FromBytes(data_));
    } catch (...) {
        // A destructor must not raise; the data set keeps the value it had.
        rtl::LogCurrentException("TdbBlobStream: storing the written value");
    }
}

std::size_t TdbBlobStream::Read(void* buffer, std::size_t count)
{
    if (position_ >= data_.size()) return 0;
    const std::size_t n = std::min(count, data_.size() - position_);
    std::memcpy(buffer, data_.data() + position_, n);
    position_ += n;
    return n;
}

std::size_t TdbBlobStream::Write(const void* buffer, std::size_t count)
{
    if (position_ + count > data_.size()) data_.resize(position_ + count);
    std::memcpy(data_.data() + position_, buffer, count);
    position_ += count;
    modified_ = true;
    return count;
}

std::int64_t TdbBlobStream::Seek(std::int64_t offset, TSeekOrigin origin)
{
    std::int64_t base = 0;
    if (origin == soCurrent) base = static_cast<std::int64_t>(position_);
    if (origin == soEnd) base = static_cast<std::int64_t>(data_.size());
    const std::int64_t target = base + offset;
    if (target < 0) throw rtl::Exception("Invalid stream operation");
    position_ = static_cast<std::size_t>(target);
    return target;
}

// ---- Query ----------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TdbCustomQuery, db::TDataSet) {}

TdbCustomQuery::TdbCustomQuery(classes::TComponent* owner)
    : TDataSet(owner), sql_(std::make_unique<rtl::TStringList>()), masterLink_(*this)
{
    sql_->OnChange = [this](rtl::TStringList&) { SqlChanged(); };
    for (int k = 0; k < 3; ++k) {
        lists_[k] = std::make_unique<rtl::TStringList>();
        lists_[k]->OnChange = [this, k](rtl::TStringList& list) {
            const std::string text = list.Text();
            const bool wasEmpty = !HasList(k);
            if (Active() && wasEmpty != rtl::Trim(text).empty()) {
                // Put the list back as it was: the open set keeps its way of posting.
                auto handler = std::move(list.OnChange);
                list.SetText(listTexts_[k]);
                list.OnChange = std::move(handler);
                throw ESQLerror("You can't change Post metod while query is active");
            }
            listTexts_[k] = text;
            listQueries_[k].reset();
        };
    }
    // Announced to a database owner before this object was a query: look for one now.
    if (owner != nullptr)
        for (int i = 0; i < owner->ComponentCount(); ++i)
            if (auto* database = dynamic_cast<TdbDataBase*>(owner->Components(i))) {
                SetDatabase(database);
                break;
            }
}

TdbCustomQuery::~TdbCustomQuery()
{
    CloseOnDestroy();
    sql_->OnChange = nullptr;
    for (auto& list : lists_) list->OnChange = nullptr;
    masterLink_.SetDataSource(nullptr);
    FreeStatement();
    if (database_ != nullptr) database_->RemoveDataSet(this);
}

void TdbCustomQuery::RaiseMessage(int id, const std::string& arg) const
{
    throw ESQLerror(rtl::Format(OdbcMessage(static_cast<TOdbcMessageId>(id)), arg));
}

void TdbCustomQuery::SqlChanged()
{
    if (Active()) Close();
    CloseCursor();
    UnPrepare();
    FieldDefs().SetUpdated(false);
    std::string text;
    for (int i = 0; i < sql_->Count(); ++i) {
        if (i > 0) text += "\r\n";
        text += sql_->Get(i);
    }
    parsedSql_ = ParseSQL(text, paramCheck_ ? &params_ : nullptr);
}

void TdbCustomQuery::SetDatabase(TdbDataBase* database)
{
    if (database == database_) return;
    if (Active()) Close();
    FreeStatement();
    if (database_ != nullptr) {
        database_->RemoveDataSet(this);
        RemoveFreeNotification(database_);
    }
    database_ = database;
    if (database_ != nullptr) {
        database_->AddDataSet(this);
        FreeNotification(database_);
    }
}

void TdbCustomQuery::Notification(classes::TComponent* component, classes::TOperation operation)
{
    TDataSet::Notification(component, operation);
    if (operation == classes::opRemove && component != nullptr && component == database_) {
        FreeStatement();
        database_ = nullptr;
    }
    if (operation == classes::opRemove && component != nullptr && component == masterLink_.DataSource())
        masterLink_.SetDataSource(nullptr);
}

void TdbCustomQuery::DefineProperties(classes::TFiler& filer)
{
    TDataSet::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Data", [this](std::string_view data) { params_.ReadData(data); }, [this] { return params_.WriteData(); },
        params_.Count() > 0);
}

void TdbCustomQuery::SetDataSource(TDataSource* source)
{
    if (source != nullptr && source->DataSet() == this) throw rtl::Exception("Circular datalinks are not allowed");
    masterLink_.SetDataSource(source);
}

void TdbCustomQuery::MasterChanged()
{
    if (!Active()) return;
    DisableControls();
    rtl::TScopeExit enable([this] { EnableControls(); });
    Close();
    Open();
}

void TdbCustomQuery::SetCursorType(int type)
{
    if (type < 0 || type > 3 || type == cursorType_) return;
    if (Active()) Close();
    FreeStatement();
    cursorType_ = type;
}

void TdbCustomQuery::SetUniDirectional(bool on)
{
    if (on == uniDirectional_) return;
    if (Active()) Close();
    uniDirectional_ = on;
}

// ---- Statement ------------------------------------------------------------------------------

void TdbCustomQuery::CheckStmtResult(TSqlReturn code) const
{
    switch (code) {
    case SQL_SUCCESS: return;
    case SQL_SUCCESS_WITH_INFO:
    case SQL_ERROR: throw ESQLerror(SQL_HANDLE_STMT, code, stmt_.Get());
    case SQL_INVALID_HANDLE: throw ESQLerror(": SQL_INVALID_HANDLE", code);
    case SQL_STILL_EXECUTING:
    case SQL_NEED_DATA:
    case SQL_NO_DATA: throw ESQLerror(SQLResultName(code), code);
    // The statement's own wording: the code is not part of the message (it is ReturnCode).
    default: throw ESQLerror("unknown SQL result", code);
    }
}

void TdbCustomQuery::AllocStatement()
{
    if (stmt_) return;
    if (database_ == nullptr) RaiseMessage(SDataSourceNotDefined);
    database_->Connect();
    SQLHSTMT handle = SQL_NULL_HSTMT;
    const SQLRETURN r = Odbc().SQLAllocHandle(SQL_HANDLE_STMT, database_->Handle(), &handle);
    if (r != SQL_SUCCESS) {
        if (handle != SQL_NULL_HSTMT) Odbc().SQLFreeHandle(SQL_HANDLE_STMT, handle);
        database_->CheckResult(r);
    }
    stmt_ = TOwnedHandle(TOdbcHandleKind::Statement, handle);
    executed_ = prepared_ = false;
    try {
        SetStatementOptions();
    } catch (...) {
        stmt_.Reset();
        throw;
    }
}

void TdbCustomQuery::SetStatementOptions()
{
    const TOdbcApi& api = Odbc();
    SQLUINTEGER scroll = 0;
    database_->GetInfo(SQL_SCROLL_OPTIONS, &scroll, sizeof scroll, nullptr);
    if (cursorType_ == 3 && !(scroll & SQL_SO_DYNAMIC)) cursorType_ = 2;
    if (cursorType_ == 2 && !(scroll & SQL_SO_KEYSET_DRIVEN)) cursorType_ = 1;
    if (cursorType_ == 1 && !(scroll & SQL_SO_STATIC)) cursorType_ = 0;

    static constexpr SQLULEN kCursorTypes[] = {SQL_CURSOR_FORWARD_ONLY, SQL_CURSOR_STATIC, SQL_CURSOR_KEYSET_DRIVEN,
                                               SQL_CURSOR_DYNAMIC};
    SQLRETURN r = api.SQLSetStmtAttr(stmt_.Get(), SQL_ATTR_CURSOR_TYPE,
                                     reinterpret_cast<SQLPOINTER>(kCursorTypes[cursorType_]), SQL_IS_UINTEGER);
    // A driver may substitute another type (01S02); the type really used is read back below.
    if (cursorType_ != 3 && r != SQL_SUCCESS) {
        const std::vector<TDiagRecord> records = ReadDiagRecords(SQL_HANDLE_STMT, stmt_.Get());
        if (r != SQL_SUCCESS_WITH_INFO || records.empty() || records[0].SQLState != "01S02") CheckStmtResult(r);
    }
    SQLULEN used = SQL_CURSOR_FORWARD_ONLY;
    CheckStmtResult(api.SQLGetStmtAttr(stmt_.Get(), SQL_ATTR_CURSOR_TYPE, &used, SQL_IS_UINTEGER, nullptr));
    switch (used) {
    case SQL_CURSOR_STATIC: cursorType_ = 1; break;
    case SQL_CURSOR_KEYSET_DRIVEN: cursorType_ = 2; break;
    case SQL_CURSOR_DYNAMIC: cursorType_ = 3; break;
    default: cursorType_ = 0; break;
    }

    cursorAttributes_ = 0;
    sensitivity_ = 0;
    switch (cursorType_) {
    case 1:
        database_->GetInfo(SQL_STATIC_CURSOR_ATTRIBUTES1, &cursorAttributes_, sizeof cursorAttributes_, nullptr);
        database_->GetInfo(SQL_STATIC_SENSITIVITY, &sensitivity_, sizeof sensitivity_, nullptr);
        break;
    case 2:
        database_->GetInfo(SQL_KEYSET_CURSOR_ATTRIBUTES1, &cursorAttributes_, sizeof cursorAttributes_, nullptr);
        database_->GetInfo(SQL_STATIC_SENSITIVITY, &sensitivity_, sizeof sensitivity_, nullptr);
        break;
    case 3:
        database_->GetInfo(SQL_DYNAMIC_CURSOR_ATTRIBUTES1, &cursorAttributes_, sizeof cursorAttributes_, nullptr);
        sensitivity_ = 7;
        break;
    default: break;
    }

    // Bookmarks: only on a scrollable cursor whose bookmarks survive scrolling and either
    // survive deletes or the cursor sees deletes.
    SQLUINTEGER persistence = 0;
    database_->GetInfo(SQL_BOOKMARK_PERSISTENCE, &persistence, sizeof persistence, nullptr);
    useBookmarks_ = cursorType_ != 0 && (persistence & SQL_BP_SCROLL) &&
                    ((persistence & SQL_BP_DELETE) || (sensitivity_ & SQL_SS_DELETIONS));
    if (useBookmarks_)
        CheckStmtResult(api.SQLSetStmtAttr(stmt_.Get(), SQL_ATTR_USE_BOOKMARKS, reinterpret_cast<SQLPOINTER>(SQL_UB_ON),
                                           SQL_IS_UINTEGER));
    else
        api.SQLSetStmtAttr(stmt_.Get(), SQL_ATTR_USE_BOOKMARKS, reinterpret_cast<SQLPOINTER>(SQL_UB_OFF), SQL_IS_UINTEGER);

    posOperations_ = 0;
    database_->GetInfo(SQL_POS_OPERATIONS, &posOperations_, sizeof posOperations_, nullptr);

    // Concurrency: the strictest the driver offers on a keyset-driven or dynamic cursor.
    SQLUINTEGER offered = 0;
    database_->GetInfo(SQL_SCROLL_CONCURRENCY, &offered, sizeof offered, nullptr);
    if (!executed_ && (cursorType_ == 2 || cursorType_ == 3)) {
        static constexpr std::pair<SQLUINTEGER, SQLULEN> kConcurrency[] = {{SQL_SCCO_LOCK, SQL_CONCUR_LOCK},
                                                                           {SQL_SCCO_OPT_ROWVER, SQL_CONCUR_ROWVER},
                                                                           {SQL_SCCO_OPT_VALUES, SQL_CONCUR_VALUES},
                                                                           {SQL_SCCO_READ_ONLY, SQL_CONCUR_READ_ONLY}};
        for (const auto& [bit, value] : kConcurrency) {
            if (!(offered & bit)) continue;
            api.SQLSetStmtAttr(stmt_.Get(), SQL_ATTR_CONCURRENCY, reinterpret_cast<SQLPOINTER>(value), SQL_IS_UINTEGER);
            break;
        }
    }
    DecidePosting();
}

bool TdbCustomQuery::HasList(int kind) const { return !rtl::Trim(listTexts_[kind]).empty(); }

void TdbCustomQuery::DecidePosting()
{
    SQLULEN concurrency = 0;
    concurrency_ =
        Odbc().SQLGetStmtAttr(stmt_.Get(), SQL_ATTR_CONCURRENCY, &concurrency, SQL_IS_UINTEGER, nullptr) == SQL_SUCCESS
            ? static_cast<std::uint32_t>(concurrency)
            : 0;
    // What the driver could post itself: a scrollable cursor whose attributes and positioned
    // operations both offer it, unless the cursor is read-only. A statement list of its own
    // takes the operation over.
    const bool writable = cursorType_ != 0 && concurrency_ != SQL_CONCUR_READ_ONLY;
    canInsert_ = writable && (cursorAttributes_ & SQL_CA1_BULK_ADD) && (posOperations_ & SQL_POS_ADD) &&
                 !HasList(1);
    canUpdate_ = writable && (cursorAttributes_ & SQL_CA1_POS_UPDATE) && (posOperations_ & SQL_POS_UPDATE) &&
                 !HasList(0);
    canDelete_ = writable && (cursorAttributes_ & SQL_CA1_POS_DELETE) && (posOperations_ & SQL_POS_DELETE) &&
                 !HasList(2);
    if (!canUpdate_) sensitivity_ &= ~static_cast<std::uint32_t>(SQL_SS_UPDATES);
    if (!canDelete_) sensitivity_ &= ~static_cast<std::uint32_t>(SQL_SS_DELETIONS);
}

void TdbCustomQuery::FreeStatement() noexcept
{
    if (Active()) {
        try {
            Close();
        } catch (...) {
            // Freeing must go on: the statement is dropped whatever closing it raised.
            rtl::LogCurrentException("TdbCustomQuery::FreeStatement: closing");
        }
    }
    stmt_.Reset();
    executed_ = prepared_ = false;
    open_ = false;
}

void TdbCustomQuery::CloseCursor() noexcept
{
    if (stmt_ && executed_) Odbc().SQLFreeStmt(stmt_.Get(), SQL_CLOSE);
    executed_ = false;
}

void TdbCustomQuery::Prepare()
{
    AllocStatement();
    if (prepared_) return;
    CheckStmtResult(Odbc().SQLPrepare(stmt_.Get(), reinterpret_cast<SQLCHAR*>(parsedSql_.data()), SQL_NTS));
    prepared_ = true;
}

void TdbCustomQuery::TakeMasterValues()
{
    TDataSet* master = masterLink_.DataSet();
    if (master == nullptr) return;
    for (int i = 0; i < params_.Count(); ++i) {
        TdbParam& p = params_.Items(i);
        if (p.Bound()) continue;
        TField* field = master->FindField(p.Name());
        if (field == nullptr) continue;
        if (master->Active())
            p.AssignFieldValue(*field, field->Value());
        else
            p.SetDataType(field->DataType());
        // Still the master's value: the next master record gives its own.
        p.SetBound(false);
    }
}

void TdbCustomQuery::BindParameters(std::vector<std::string>& storage, std::vector<long>& indicators)
{
    const TOdbcApi& api = Odbc();
    const int count = params_.Count();
    storage.assign(static_cast<std::size_t>(count), {});
    indicators.assign(static_cast<std::size_t>(count), 0);
    for (int i = 0; i < count; ++i) {
        const TdbParam& p = params_.Items(i);
        std::string& data = storage[static_cast<std::size_t>(i)];
        SQLLEN& indicator = indicators[static_cast<std::size_t>(i)];
        SQLSMALLINT sqlType = FieldTypeToSQLType(p.DataType());
        SQLSMALLINT cType = 0;
        SQLULEN columnSize = 0;
        SQLSMALLINT digits = 0;
        auto put = [&data](const auto& v) { data.assign(reinterpret_cast<const char*>(&v), sizeof v); };
        switch (p.DataType()) {
        case ftString:
        case ftMemo:
            cType = SQL_C_CHAR;
            if (!p.IsNull()) data = p.Value().AsString();
            columnSize = std::max<SQLULEN>(data.size(), 1);
            break;
        case ftBCD: {
            cType = SQL_C_CHAR;
            if (!p.IsNull()) data = p.Value().AsDecimalText();
            const std::size_t point = data.find('.');
            const std::size_t digitsCount = std::count_if(data.begin(), data.end(), [](char c) { return c >= '0' && c <= '9'; });
            columnSize = std::max<SQLULEN>(digitsCount, 1);
            digits = point == std::string::npos ? 0 : static_cast<SQLSMALLINT>(data.size() - point - 1);
            break;
        }
        case ftSmallint:
        case ftBoolean:
            cType = SQL_C_SSHORT;
            if (!p.IsNull()) put(static_cast<SQLSMALLINT>(p.DataType() == ftBoolean ? (p.Value().AsBoolean() ? 1 : 0) : p.Value().AsInteger()));
            break;
        case ftInteger:
            cType = SQL_C_SLONG;
            if (!p.IsNull()) put(static_cast<SQLINTEGER>(p.Value().AsInteger()));
            break;
        case ftLargeint:
            cType = SQL_C_SBIGINT;
            if (!p.IsNull()) put(static_cast<SQLBIGINT>(p.Value().AsInt64()));
            break;
        case ftFloat:
            cType = SQL_C_DOUBLE;
            if (!p.IsNull()) put(p.Value().AsFloat());
            break;
        case ftDate:
            cType = SQL_C_TYPE_DATE;
            columnSize = 10;
            if (!p.IsNull()) put(DateTimeToODBCDate(p.Value().AsDateTime()));
            break;
        case ftTime: {
            cType = SQL_C_TYPE_TIME;
            columnSize = 8;
            if (!p.IsNull()) {
                int h = 0, m = 0, s = 0, ms = 0;
                rtl::DecodeTime(p.Value().AsDateTime(), h, m, s, ms);
                SQL_TIME_STRUCT t{static_cast<SQLUSMALLINT>(h), static_cast<SQLUSMALLINT>(m), static_cast<SQLUSMALLINT>(s)};
                put(t);
            }
            break;
        }
        case ftDateTime: {
            cType = SQL_C_TYPE_TIMESTAMP;
            columnSize = 19;
            if (!p.IsNull()) {
                const SQL_TIMESTAMP_STRUCT ts = DateTimeToODBCTimeStamp(p.Value().AsDateTime());
                if (ts.fraction != 0) {
                    columnSize = 23;
                    digits = 3;
                }
                put(ts);
            }
            break;
        }
        case ftBlob:
            cType = SQL_C_BINARY;
            if (!p.IsNull()) data = p.Value().Text();
            columnSize = std::max<SQLULEN>(data.size(), 1);
            break;
        case ftUnknown:
            if (!p.IsNull()) RaiseMessage(SFieldUnknownType, p.Name());
            // A parameter never given a value: an untyped NULL.
            cType = SQL_C_CHAR;
            sqlType = SQL_VARCHAR;
            columnSize = 1;
            break;
        default: RaiseMessage(SFieldUnsupportedType, p.Name());
        }
        if (p.IsNull())
            indicator = SQL_NULL_DATA;
        else
            indicator = static_cast<SQLLEN>(data.size());
        CheckStmtResult(api.SQLBindParameter(stmt_.Get(), static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, cType,
                                             sqlType, columnSize, digits, p.IsNull() ? nullptr : data.data(),
                                             static_cast<SQLLEN>(data.size()), &indicator));
    }
}

void TdbCustomQuery::Execute()
{
    FieldDefs().Clear();
    columns_.clear();
    RunStatement();
}

void TdbCustomQuery::RunStatement()
{
    Prepare();
    TakeMasterValues();
    std::vector<std::string> storage;
    std::vector<long> indicators;
    rtl::TScopeExit reset([this] {
        if (params_.Count() > 0) Odbc().SQLFreeStmt(stmt_.Get(), SQL_RESET_PARAMS);
    });
    BindParameters(storage, indicators);
    const SQLRETURN r = Odbc().SQLExecute(stmt_.Get());
    // A statement that changes no row answers SQL_NO_DATA: that is success here. A driver
    // that gives the statement another cursor than asked for (01S02, a statement that returns
    // no rows, say) says so with information only; the cursor used is read back.
    if (r == SQL_SUCCESS_WITH_INFO) {
        const std::vector<TDiagRecord> records = ReadDiagRecords(SQL_HANDLE_STMT, stmt_.Get());
        const bool onlyChanged = !records.empty() && std::all_of(records.begin(), records.end(), [](const TDiagRecord& d) {
            return d.SQLState == "01S02";
        });
        if (!onlyChanged) throw ESQLerror(r, records);
    } else if (r != SQL_NO_DATA) {
        CheckStmtResult(r);
    }
    executed_ = true;
}

void TdbCustomQuery::ExecSQL()
{
    CheckInactive();
    try {
        Execute();
        SQLLEN rows = -1;
        CheckStmtResult(Odbc().SQLRowCount(stmt_.Get(), &rows));
        rowsAffected_ = rows;
    } catch (...) {
        CloseCursor();
        throw;
    }
    CloseCursor();
}

// ---- Opening --------------------------------------------------------------------------------

void TdbCustomQuery::DescribeColumns()
{
    const TOdbcApi& api = Odbc();
    FieldDefs().Clear();
    columns_.clear();
    SQLSMALLINT count = 0;
    CheckStmtResult(api.SQLNumResultCols(stmt_.Get(), &count));
    bookmarkSize_ = 4;
    if (useBookmarks_) {
        // Column 0 is the bookmark column; its size is the size of the driver's bookmarks.
        SQLCHAR name[256] = {};
        SQLSMALLINT nameLength = 0, sqlType = 0, decimals = 0, nullable = 0;
        SQLULEN size = 0;
        CheckStmtResult(api.SQLDescribeCol(stmt_.Get(), 0, name, sizeof name, &nameLength, &sqlType, &size, &decimals,
                                           &nullable));
        if (size > 0 && size <= 1024) bookmarkSize_ = static_cast<std::size_t>(size);
    }
    for (SQLSMALLINT c = 1; c <= count; ++c) {
        SQLCHAR name[256] = {};
        SQLSMALLINT nameLength = 0, sqlType = 0, decimals = 0, nullable = 0;
        SQLULEN size = 0;
        CheckStmtResult(api.SQLDescribeCol(stmt_.Get(), static_cast<SQLUSMALLINT>(c), name, sizeof name, &nameLength,
                                           &sqlType, &size, &decimals, &nullable));
        const TColumnType type = ColumnType(sqlType, size);
        if (type.fieldType == ftUnknown) continue;
        std::string base(reinterpret_cast<const char*>(name));
        if (base.empty()) base = "COLUMN";
        std::string fieldName = base;
        for (int n = 1; FieldDefs().IndexOf(fieldName) >= 0; ++n) fieldName = base + "_" + std::to_string(n);
        int defSize = 0;
        if (type.fieldType == ftString) defSize = static_cast<int>(std::min<SQLULEN>(size, 1u << 30));
        if (type.fieldType == ftBCD) defSize = decimals;
        auto def = std::make_unique<TODBCFieldDef>(fieldName, type.fieldType, defSize, nullable == SQL_NO_NULLS);
        if (type.fieldType == ftBCD || type.fieldType == ftFloat) def->SetPrecision(static_cast<int>(size));
        def->Column = c;
        def->SqlType = sqlType;
        def->CType = type.cType;
        def->ColumnSize = size;
        columns_.push_back(def.get());
        FieldDefs().Add(std::move(def));
    }
}

void TdbCustomQuery::CheckFieldsHaveColumns()
{
    for (int i = 0; i < FieldCount(); ++i) {
        const TField* field = Fields()[i];
        if (field->FieldKind() == fkData && FieldDefs().IndexOf(field->FieldName()) < 0)
            throw EDatabaseError("fielddef not found");
    }
}

void TdbCustomQuery::InternalInitFieldDefs()
{
    if (!executed_) Execute();
    DescribeColumns();
}

void TdbCustomQuery::InternalOpen()
{
    try {
        if (!executed_) Execute();
        // A driver may lower the concurrency when the statement runs (a result it cannot
        // update); what it posts follows what it really uses.
        DecidePosting();
        DescribeColumns();
        if (DefaultFields()) CreateFields();
        CheckFieldsHaveColumns();
        BindFields(true);
    } catch (...) {
        // Closed, and the next open starts again from a new statement (a dropped connection
        // leaves nothing usable behind).
        FieldDefs().Clear();
        columns_.clear();
        FreeStatement();
        throw;
    }
    place_ = TPlace::BeforeFirst;
    recNo_ = 0;
    rowCount_ = -1;
    cursor_ = -1;
    driverDone_ = false;
    uniRow_.clear();
    if (Cached()) {
        std::vector<TStorage> storages;
        for (const TODBCFieldDef* c : columns_) storages.push_back(StorageOf(c->DataType()));
        cache_ = std::make_unique<TRowStore>(std::move(storages));
    }
    open_ = true;
}

void TdbCustomQuery::InternalClose()
{
    BindFields(false);
    if (DefaultFields()) DestroyFields();
    CloseCursor();
    cache_.reset();
    uniRow_.clear();
    open_ = false;
}

// ---- Reading --------------------------------------------------------------------------------

void TdbCustomQuery::ReadText(const TODBCFieldDef& column, std::int16_t cType, TVariant& value)
{
    const TOdbcApi& api = Odbc();
    // The first piece is sized for the column's declared length in UTF-8 (4 bytes a
    // character) up to 1 KiB, not for the largest value: some drivers fill the whole buffer
    // they are given. What does not fit (a long value, or a driver that does not enforce
    // lengths) comes in further pieces of 64 KiB.
    constexpr std::size_t kPiece = 65536;
    const std::size_t first =
        std::clamp<std::uint64_t>(column.ColumnSize == 0 ? 1024 : column.ColumnSize * 4 + 1, 256, 1024);
    if (chunk_.size() < kPiece) chunk_.resize(kPiece);
    const SQLLEN terminator = cType == SQL_C_CHAR ? 1 : 0;
    std::string text;
    for (std::size_t piece = first;; piece = kPiece) {
        SQLLEN indicator = 0;
        const SQLRETURN r = api.SQLGetData(stmt_.Get(), static_cast<SQLUSMALLINT>(column.Column), cType, chunk_.data(),
                                           static_cast<SQLLEN>(piece), &indicator);
        if (r == SQL_NO_DATA && !text.empty()) break;
        if (r != SQL_SUCCESS && r != SQL_SUCCESS_WITH_INFO) CheckStmtResult(r);
        if (indicator == SQL_NULL_DATA) {
            value = TVariant();
            return;
        }
        const SQLLEN room = static_cast<SQLLEN>(piece) - terminator;
        const bool more = indicator == SQL_NO_TOTAL || indicator > room;
        if (r == SQL_SUCCESS_WITH_INFO && !more) CheckStmtResult(r);  // information other than 01004
        text.append(chunk_.data(), static_cast<std::size_t>(more ? room : indicator));
        if (!more) break;
    }
    value = cType == SQL_C_BINARY ? TVariant::FromBytes(std::move(text)) : TVariant(std::move(text));
}

void TdbCustomQuery::ReadRow(std::vector<TVariant>& values)
{
    const TOdbcApi& api = Odbc();
    values.resize(columns_.size());
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const TODBCFieldDef& c = *columns_[i];
        TVariant& value = values[i];
        SQLLEN indicator = 0;
        auto get = [&](auto& v) {
            CheckStmtResult(api.SQLGetData(stmt_.Get(), static_cast<SQLUSMALLINT>(c.Column), c.CType, &v, sizeof v, &indicator));
            return indicator != SQL_NULL_DATA;
        };
        switch (c.DataType()) {
        case ftString:
            // Fixed-width columns come padded to their width; a string field holds the text
            // without the padding (memo values stay whole).
            ReadText(c, SQL_C_CHAR, value);
            if (!value.IsNull()) value = TVariant(WithoutTrailingBlanks(value.Text()));
            break;
        case ftMemo: ReadText(c, SQL_C_CHAR, value); break;
        case ftBlob: ReadText(c, SQL_C_BINARY, value); break;
        case ftBCD:
            ReadText(c, SQL_C_CHAR, value);
            if (!value.IsNull()) value = TVariant::FromDecimal(value.Text());
            break;
        case ftBoolean: {
            SQLCHAR v = 0;
            value = get(v) ? TVariant(v != 0) : TVariant();
            break;
        }
        case ftSmallint: {
            SQLSMALLINT v = 0;
            value = get(v) ? TVariant(static_cast<int>(v)) : TVariant();
            break;
        }
        case ftInteger: {
            SQLINTEGER v = 0;
            value = get(v) ? TVariant(static_cast<int>(v)) : TVariant();
            break;
        }
        case ftLargeint: {
            SQLBIGINT v = 0;
            value = get(v) ? TVariant(static_cast<long long>(v)) : TVariant();
            break;
        }
        case ftFloat: {
            double v = 0;
            value = get(v) ? TVariant(v) : TVariant();
            break;
        }
        case ftDate: {
            SQL_DATE_STRUCT v{};
            value = get(v) ? TVariant::FromDateTime(ODBCDateToDateTime(v)) : TVariant();
            break;
        }
        case ftTime: {
            SQL_TIME_STRUCT v{};
            value = get(v) ? TVariant::FromDateTime(rtl::EncodeTime(v.hour, v.minute, v.second, 0)) : TVariant();
            break;
        }
        case ftDateTime: {
            SQL_TIMESTAMP_STRUCT v{};
            if (get(v))
                value = TVariant::FromDateTime(rtl::EncodeDateTime(v.year, v.month, v.day, v.hour, v.minute, v.second,
                                                                   static_cast<int>(v.fraction / 1000000u)));
            else
                value = TVariant();
            break;
        }
        default: RaiseMessage(SFieldUnsupportedType, c.Name());
        }
    }
}

TGetResult TdbCustomQuery::FetchScroll(std::int16_t orientation, std::int64_t offset)
{
    const SQLRETURN r = Odbc().SQLFetchScroll(stmt_.Get(), orientation, static_cast<SQLLEN>(offset));
    if (r == SQL_NO_DATA) {
        const bool backwards = orientation == SQL_FETCH_PRIOR || (orientation == SQL_FETCH_ABSOLUTE && offset <= 0);
        place_ = backwards ? TPlace::BeforeFirst : TPlace::AfterLast;
        return backwards ? grBOF : grEOF;
    }
    CheckStmtResult(r);
    place_ = TPlace::On;
    switch (orientation) {
    case SQL_FETCH_FIRST: recNo_ = 1; break;
    case SQL_FETCH_NEXT: ++recNo_; break;
    case SQL_FETCH_PRIOR: --recNo_; break;
    case SQL_FETCH_ABSOLUTE: recNo_ = offset; break;
    case SQL_FETCH_LAST: recNo_ = ScrollRowCount(); break;
    default: break;
    }
    return grOK;
}

std::int64_t TdbCustomQuery::ScrollRowCount()
{
    if (rowCount_ >= 0) return rowCount_;
    // Asked on the last row: its number is the count, when the driver tells it.
    SQLULEN number = 0;
    if (Odbc().SQLGetStmtAttr(stmt_.Get(), SQL_ATTR_ROW_NUMBER, &number, SQL_IS_UINTEGER, nullptr) == SQL_SUCCESS &&
        number > 0 && number < (SQLULEN{1} << 62)) {
        rowCount_ = static_cast<std::int64_t>(number);
        return rowCount_;
    }
    // Otherwise found with absolute fetches, then back onto the last row.
    if (!(cursorAttributes_ & SQL_CA1_ABSOLUTE)) RaiseMessage(SRecordNumberUnknown);
    const auto exists = [this](std::int64_t n) {
        const SQLRETURN r = Odbc().SQLFetchScroll(stmt_.Get(), SQL_FETCH_ABSOLUTE, static_cast<SQLLEN>(n));
        if (r == SQL_NO_DATA) return false;
        CheckStmtResult(r);
        return true;
    };
    std::int64_t low = 0, high = 1;
    while (exists(high)) {
        low = high;
        high *= 2;
    }
    while (high - low > 1) {
        const std::int64_t mid = low + (high - low) / 2;
        (exists(mid) ? low : high) = mid;
    }
    rowCount_ = low;
    if (low > 0) CheckStmtResult(Odbc().SQLFetchScroll(stmt_.Get(), SQL_FETCH_ABSOLUTE, static_cast<SQLLEN>(low)));
    return rowCount_;
}

bool TdbCustomQuery::CacheHas(std::int64_t index)
{
    while (static_cast<std::int64_t>(cache_->RowCount()) <= index && !driverDone_) {
        const SQLRETURN r = Odbc().SQLFetch(stmt_.Get());
        if (r == SQL_NO_DATA) {
            driverDone_ = true;
            break;
        }
        CheckStmtResult(r);
        ReadRow(uniRow_);
        for (const TVariant& v : uniRow_) cache_->AddValue(v);
        cache_->EndRow();
    }
    return index >= 0 && static_cast<std::int64_t>(cache_->RowCount()) > index;
}

void TdbCustomQuery::FillFromCache(TRecord& record, std::int64_t index) const
{
    record.offsets.resize(columns_.size());
    cache_->ColumnOffsets(static_cast<std::size_t>(index), record.offsets.data());
    record.inCache = true;
    record.recNo = index + 1;
}

void TdbCustomQuery::Materialize(TRecord& record) const
{
    if (!record.inCache) return;
    const auto row = static_cast<std::size_t>(record.recNo - 1);
    record.values.resize(columns_.size());
    for (std::size_t c = 0; c < columns_.size(); ++c)
        record.values[c] = cache_->ValueAt(row, static_cast<int>(c), record.offsets[c]);
    record.inCache = false;
}

TGetResult TdbCustomQuery::GetRecord(TRecordBuffer buffer, TGetMode mode, bool)
{
    TRecord& record = RecordOf(buffer);
    for (;;) {
        TGetResult result = grOK;
        if (Cached()) {
            std::int64_t target = cursor_;
            if (mode == gmNext) target = cursor_ + 1;
            if (mode == gmPrior) target = cursor_ - 1;
            if (target < 0) {
                cursor_ = -1;
                return grBOF;
            }
            if (!CacheHas(target)) {
                cursor_ = static_cast<std::int64_t>(cache_->RowCount());
                return grEOF;
            }
            cursor_ = target;
            FillFromCache(record, cursor_);
        } else if (!Scrollable()) {
            if (mode == gmPrior) return grBOF;
            if (mode == gmNext || place_ != TPlace::On) {
                if (mode != gmNext || place_ == TPlace::AfterLast) return place_ == TPlace::BeforeFirst ? grBOF : grEOF;
                const SQLRETURN r = Odbc().SQLFetch(stmt_.Get());
                if (r == SQL_NO_DATA) {
                    place_ = TPlace::AfterLast;
                    return grEOF;
                }
                CheckStmtResult(r);
                ReadRow(uniRow_);
                place_ = TPlace::On;
                ++recNo_;
            }
            record.values = uniRow_;
            record.inCache = false;
            record.recNo = recNo_;
        } else {
            switch (mode) {
            case gmNext:
                if (place_ == TPlace::AfterLast) return grEOF;
                result = FetchScroll(place_ == TPlace::BeforeFirst ? SQL_FETCH_FIRST : SQL_FETCH_NEXT, 0);
                break;
            case gmPrior:
                if (place_ == TPlace::BeforeFirst) return grBOF;
                result = FetchScroll(place_ == TPlace::AfterLast ? SQL_FETCH_LAST : SQL_FETCH_PRIOR, 0);
                break;
            case gmCurrent:
                if (place_ != TPlace::On) return place_ == TPlace::BeforeFirst ? grBOF : grEOF;
                result = FetchScroll(SQL_FETCH_ABSOLUTE, recNo_);
                break;
            }
            if (result != grOK) return result;
            ReadBookmark(record.bookmark);
            ReadRow(record.values);
            record.inCache = false;
            record.recNo = recNo_;
        }
        record.flag = bfCurrent;
        if (FilterAccepts(buffer)) return grOK;
        if (mode == gmCurrent) mode = gmNext;
    }
}

void TdbCustomQuery::InternalFirst()
{
    if (Cached()) {
        cursor_ = -1;
        return;
    }
    if (!Scrollable() && place_ != TPlace::BeforeFirst) {
        // A forward-only cursor starts again by running its statement again.
        CloseCursor();
        RunStatement();
        recNo_ = 0;
    }
    place_ = TPlace::BeforeFirst;
}

void TdbCustomQuery::InternalLast()
{
    if (Cached()) {
        CacheHas(INT64_MAX);
        cursor_ = static_cast<std::int64_t>(cache_->RowCount());
        return;
    }
    if (!Scrollable()) {
        for (SQLRETURN r; (r = Odbc().SQLFetch(stmt_.Get())) != SQL_NO_DATA; ++recNo_) CheckStmtResult(r);
    }
    place_ = TPlace::AfterLast;
}

void TdbCustomQuery::InternalSetToRecord(TRecordBuffer buffer)
{
    TBookmark bookmark;
    GetBookmarkData(buffer, bookmark);
    InternalGotoBookmark(bookmark);
}

void TdbCustomQuery::ReadBookmark(std::vector<std::uint8_t>& bookmark)
{
    bookmark.clear();
    if (!useBookmarks_) return;
    bookmark.resize(bookmarkSize_);
    SQLLEN length = 0;
    CheckStmtResult(Odbc().SQLGetData(stmt_.Get(), 0, SQL_C_VARBOOKMARK, bookmark.data(),
                                      static_cast<SQLLEN>(bookmark.size()), &length));
    if (length < 0 || static_cast<std::size_t>(length) > bookmark.size()) RaiseMessage(SRecordNumberUnknown);
    bookmark.resize(static_cast<std::size_t>(length));
}

// A bookmark is the record number, followed by the driver's bookmark of the row when there
// is one.
void TdbCustomQuery::GetBookmarkData(TRecordBuffer buffer, TBookmark& bookmark) const
{
    const TRecord& record = RecordOf(buffer);
    bookmark.resize(sizeof record.recNo);
    std::memcpy(bookmark.data(), &record.recNo, sizeof record.recNo);
    bookmark.insert(bookmark.end(), record.bookmark.begin(), record.bookmark.end());
}

void TdbCustomQuery::SetBookmarkData(TRecordBuffer buffer, const TBookmark& bookmark)
{
    TRecord& record = RecordOf(buffer);
    if (bookmark.size() < sizeof record.recNo) return;
    std::memcpy(&record.recNo, bookmark.data(), sizeof record.recNo);
    record.bookmark.assign(bookmark.begin() + sizeof record.recNo, bookmark.end());
}

TBookmarkFlag TdbCustomQuery::GetBookmarkFlag(TRecordBuffer buffer) const { return RecordOf(buffer).flag; }
void TdbCustomQuery::SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) { RecordOf(buffer).flag = flag; }

void TdbCustomQuery::InternalGotoBookmark(const TBookmark& bookmark)
{
    std::int64_t recNo = -1;
    if (bookmark.size() >= sizeof recNo) std::memcpy(&recNo, bookmark.data(), sizeof recNo);
    if (useBookmarks_ && Scrollable() && bookmark.size() > sizeof recNo) {
        // The driver finds the row by its own bookmark, even where record numbers moved.
        std::vector<std::uint8_t> own(bookmark.begin() + sizeof recNo, bookmark.end());
        const TOdbcApi& api = Odbc();
        CheckStmtResult(api.SQLSetStmtAttr(stmt_.Get(), SQL_ATTR_FETCH_BOOKMARK_PTR, own.data(), SQL_IS_POINTER));
        const SQLRETURN r = api.SQLFetchScroll(stmt_.Get(), SQL_FETCH_BOOKMARK, 0);
        api.SQLSetStmtAttr(stmt_.Get(), SQL_ATTR_FETCH_BOOKMARK_PTR, nullptr, SQL_IS_POINTER);
        if (r == SQL_NO_DATA) DatabaseError("Record not found", this);
        CheckStmtResult(r);
        place_ = TPlace::On;
        SQLULEN row = 0;
        recNo_ = api.SQLGetStmtAttr(stmt_.Get(), SQL_ATTR_ROW_NUMBER, &row, SQL_IS_UINTEGER, nullptr) == SQL_SUCCESS && row > 0
                     ? static_cast<std::int64_t>(row)
                     : recNo;
        return;
    }
    if (Cached()) {
        cursor_ = recNo >= 1 && CacheHas(recNo - 1) ? recNo - 1 : static_cast<std::int64_t>(cache_->RowCount());
        return;
    }
    if (!Scrollable()) {
        if (place_ == TPlace::On && recNo == recNo_) return;
        RaiseMessage(SAbsoluteNotSupported);
    }
    if (!(cursorAttributes_ & SQL_CA1_ABSOLUTE)) RaiseMessage(SAbsoluteNotSupported);
    if (recNo < 0) RaiseMessage(SRecordNumberUnknown);
    FetchScroll(SQL_FETCH_ABSOLUTE, recNo);
}

bool TdbCustomQuery::GetFieldData(TField* field, TRecordBuffer buffer, TVariant& value) const
{
    if (buffer == nullptr) return false;
    const TRecord& record = RecordOf(buffer);
    const int index = field->FieldNo() - 1;
    if (record.inCache) {
        if (index < 0 || index >= static_cast<int>(record.offsets.size())) return false;
        value = cache_->ValueAt(static_cast<std::size_t>(record.recNo - 1), index, record.offsets[static_cast<std::size_t>(index)]);
        return !value.IsNull();
    }
    if (index < 0 || index >= static_cast<int>(record.values.size())) return false;
    value = record.values[static_cast<std::size_t>(index)];
    return !value.IsNull();
}

void TdbCustomQuery::SetFieldData(TField* field, const TVariant& value)
{
    if (!InEditMode(State())) DatabaseError("Dataset not in edit or insert mode", this);
    TRecord& record = RecordOf(ActiveBuffer());
    Materialize(record);
    const int index = field->FieldNo() - 1;
    if (index < 0 || index >= static_cast<int>(record.values.size())) RaiseMessage(STypeNotSupportedForUpdate);
    record.values[static_cast<std::size_t>(index)] = value;
}

int TdbCustomQuery::GetRecordCount() const
{
    if (!open_) return 0;
    auto* self = const_cast<TdbCustomQuery*>(this);
    if (Cached()) {
        self->CacheHas(INT64_MAX);
        return static_cast<int>(cache_->RowCount());
    }
    if (!Scrollable()) return -1;
    // The last row's number, then back where the cursor was.
    const TPlace place = place_;
    const std::int64_t recNo = recNo_;
    const int count = self->FetchScroll(SQL_FETCH_LAST, 0) == grOK ? static_cast<int>(recNo_) : 0;
    if (place == TPlace::On)
        self->FetchScroll(SQL_FETCH_ABSOLUTE, recNo);
    else
        self->place_ = place;
    self->recNo_ = recNo;
    return count;
}

int TdbCustomQuery::GetRecNo() const
{
    TRecordBuffer buffer = GetActiveRecordBuffer();
    if (buffer == nullptr || RecordOf(buffer).flag != bfCurrent) return -1;
    return static_cast<int>(RecordOf(buffer).recNo);
}

// ---- Posting --------------------------------------------------------------------------------

bool TdbCustomQuery::GetCanModify() const
{
    return canInsert_ || canUpdate_ || canDelete_ || HasList(0) || HasList(1) || HasList(2);
}

TRecordBuffer TdbCustomQuery::GetOldValueBuffer() const
{
    return oldRecord_ ? reinterpret_cast<TRecordBuffer>(oldRecord_.get()) : ActiveBuffer();
}

void TdbCustomQuery::InternalEdit()
{
    Materialize(RecordOf(ActiveBuffer()));
    oldRecord_ = std::make_unique<TRecord>(RecordOf(ActiveBuffer()));
}

void TdbCustomQuery::RunList(int kind, const TRecord& record, const TRecord& old)
{
    static constexpr TOdbcMessageId kUnsupported[] = {SInternalUpdateNotSupported, SInternalInsertNotSupported,
                                                      SInternalDeleteNotSupported};
    if (!HasList(kind)) RaiseMessage(kUnsupported[kind]);
    if (!listQueries_[kind]) {
        listQueries_[kind] = std::make_unique<TdbCustomQuery>(nullptr);
        listQueries_[kind]->SetDatabase(database_);
        listQueries_[kind]->SetCursorType(0);
        listQueries_[kind]->SQL()->SetText(listTexts_[kind]);
    }
    TdbCustomQuery& list = *listQueries_[kind];
    // The parameters from the fields: "OLD_" + name the old value, a name the new value (or
    // the old one when the new one is null); others are left alone.
    for (int i = 0; i < list.Params().Count(); ++i) {
        TdbParam& p = list.Params().Items(i);
        const bool wantsOld = p.Name().size() > 4 && rtl::AnsiSameText(p.Name().substr(0, 4), "OLD_");
        const TFieldDef* def = nullptr;
        const int index = FieldDefs().IndexOf(wantsOld ? std::string_view(p.Name()).substr(4) : std::string_view(p.Name()));
        if (index < 0) continue;
        def = &FieldDefs().Items(index);
        TField* field = FindField(def->Name());
        if (field == nullptr) continue;
        const auto at = static_cast<std::size_t>(index);
        TVariant value = wantsOld ? old.values[at] : record.values[at];
        if (!wantsOld && value.IsNull()) value = old.values[at];
        p.AssignFieldValue(*field, value);
    }
    // Kept only for exactly one row.
    InOwnTransaction([&] {
        list.ExecSQL();
        const long long rows = list.RowsAffected();
        if (rows != 1) RaiseMessage(rows == 0 ? SNoRowsAffected : SMoreThanOneRowAffected);
    });
}

void TdbCustomQuery::InOwnTransaction(const std::function<void()>& action)
{
    THandle connection = database_->Handle();
    const TOdbcApi& api = Odbc();
    database_->CheckResult(api.SQLSetConnectAttr(connection, SQL_ATTR_AUTOCOMMIT,
                                                 reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), SQL_IS_UINTEGER));
    rtl::TScopeExit autocommit([&] {
        api.SQLSetConnectAttr(connection, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON),
                              SQL_IS_UINTEGER);
    });
    try {
        action();
    } catch (...) {
        api.SQLEndTran(SQL_HANDLE_DBC, connection, SQL_ROLLBACK);
        throw;
    }
    database_->CheckResult(api.SQLEndTran(SQL_HANDLE_DBC, connection, SQL_COMMIT));
}

namespace {

// One result column bound for a positioned operation: its value in a buffer of the C type
// it is bound as, and the length or SQL_NULL_DATA.
struct TBoundValue {
    SQLSMALLINT cType = SQL_C_CHAR;
    std::vector<std::uint64_t> storage;  // aligned for every C type
    SQLLEN bufferLength = 0;
    SQLLEN length = SQL_NULL_DATA;
    SQLLEN indicator = 0;

    char* Data() { return reinterpret_cast<char*>(storage.data()); }
    void Put(const void* data, std::size_t size, std::size_t room)
    {
        storage.assign(room / sizeof(std::uint64_t) + 1, 0);
        if (size > 0) std::memcpy(Data(), data, size);
        bufferLength = static_cast<SQLLEN>(room);
        length = static_cast<SQLLEN>(size);
    }
    template <class T> void PutValue(SQLSMALLINT type, const T& value)
    {
        cType = type;
        Put(&value, sizeof value, sizeof value);
    }
    // Text with its terminator: the length excludes it, the buffer holds it.
    void PutText(const std::string& text)
    {
        cType = SQL_C_CHAR;
        Put(text.data(), text.size(), text.size() + 1);
    }
};

// ODBC's timestamp literal, "yyyy-mm-dd hh:mm:ss" with ".fff" when there are milliseconds.
std::string TimestampLiteral(rtl::TDateTime value)
{
    const SQL_TIMESTAMP_STRUCT ts = DateTimeToODBCTimeStamp(value);
    char text[64];
    const unsigned ms = ts.fraction / 1000000u;
    if (ms != 0)
        std::snprintf(text, sizeof text, "%04d-%02u-%02u %02u:%02u:%02u.%03u", ts.year, ts.month, ts.day, ts.hour,
                      ts.minute, ts.second, ms);
    else
        std::snprintf(text, sizeof text, "%04d-%02u-%02u %02u:%02u:%02u", ts.year, ts.month, ts.day, ts.hour, ts.minute,
                      ts.second);
    return text;
}

}  // namespace

void TdbCustomQuery::PostThroughDriver(int kind, const TRecord& record)
{
    const TOdbcApi& api = Odbc();
    if (kind == 2) {
        WriteRowThroughDriver(SQL_DELETE);
        return;
    }
    // Every result column is bound, changed or not: the SQLite driver refuses a positioned
    // operation with an unbound column and does not honour SQL_COLUMN_IGNORE, so an unchanged
    // column is written with the value it holds. (That driver reads a double through its
    // 15-digit text, so an unchanged double with more digits is written back as read.)
    std::vector<TBoundValue> bound(columns_.size());
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const TODBCFieldDef& c = *columns_[i];
        const TVariant& v = record.values[i];
        TBoundValue& b = bound[i];
        b.cType = c.CType;
        if (v.IsNull()) {
            b.Put(nullptr, 0, 0);
            b.length = SQL_NULL_DATA;
            if (c.DataType() == ftDateTime || c.DataType() == ftBCD) b.cType = SQL_C_CHAR;
            continue;
        }
        switch (c.DataType()) {
        case ftString:
        case ftMemo: b.PutText(v.AsString()); break;
        case ftBCD: b.PutText(v.AsDecimalText()); break;
        case ftBlob:
            b.cType = SQL_C_BINARY;
            b.Put(v.Text().data(), v.Text().size(), v.Text().size());
            break;
        case ftBoolean: b.PutValue<SQLCHAR>(SQL_C_BIT, v.AsBoolean() ? 1 : 0); break;
        case ftSmallint: b.PutValue(SQL_C_SSHORT, static_cast<SQLSMALLINT>(v.AsInteger())); break;
        case ftInteger: b.PutValue(SQL_C_SLONG, static_cast<SQLINTEGER>(v.AsInteger())); break;
        case ftLargeint: b.PutValue(SQL_C_SBIGINT, static_cast<SQLBIGINT>(v.AsInt64())); break;
        case ftFloat: b.PutValue(SQL_C_DOUBLE, v.AsFloat()); break;
        case ftDate: b.PutValue(SQL_C_TYPE_DATE, DateTimeToODBCDate(v.AsDateTime())); break;
        case ftTime: {
            int h = 0, m = 0, sec = 0, ms = 0;
            rtl::DecodeTime(v.AsDateTime(), h, m, sec, ms);
            b.PutValue(SQL_C_TYPE_TIME, SQL_TIME_STRUCT{static_cast<SQLUSMALLINT>(h), static_cast<SQLUSMALLINT>(m),
                                                        static_cast<SQLUSMALLINT>(sec)});
            break;
        }
        case ftDateTime:
            // As ODBC's timestamp literal, not as a timestamp structure: for a positioned
            // operation the SQLite driver takes the structure's buffer length (16) for the
            // column size and writes "yyyy-mm-dd hh:mm", dropping seconds and milliseconds.
            // Every driver converts the literal to the column's timestamp exactly.
            b.PutText(TimestampLiteral(v.AsDateTime()));
            break;
        default: RaiseMessage(STypeNotSupportedForUpdate);
        }
    }
    rtl::TScopeExit unbind([&] { api.SQLFreeStmt(stmt_.Get(), SQL_UNBIND); });
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        TBoundValue& b = bound[i];
        CheckStmtResult(api.SQLBindCol(stmt_.Get(), static_cast<SQLUSMALLINT>(columns_[i]->Column), b.cType, b.Data(),
                                       b.bufferLength, &b.indicator));
    }
    // The lengths only now: the SQLite driver clears a column's length when it is bound.
    for (TBoundValue& b : bound) b.indicator = b.length;
    WriteRowThroughDriver(kind == 0 ? SQL_UPDATE : SQL_ADD);
}

void TdbCustomQuery::WriteRowThroughDriver(std::uint16_t operation)
{
    const TOdbcApi& api = Odbc();
    if (operation == SQL_ADD) {
        InOwnTransaction([&] { CheckStmtResult(api.SQLBulkOperations(stmt_.Get(), SQL_ADD)); });
        return;
    }
    // A positioned update or delete can succeed without writing anything: the row may have
    // gone since it was read. The driver's row count tells where it keeps one; the SQLite
    // driver counts nothing after a positioned operation but marks the row it wrote in the
    // row status, which it leaves alone when no row matched. Anything else is no row.
    constexpr SQLUSMALLINT kUnset = 0xFFFF;
    SQLUSMALLINT status = kUnset;
    CheckStmtResult(api.SQLSetStmtAttr(stmt_.Get(), SQL_ATTR_ROW_STATUS_PTR, &status, 0));
    rtl::TScopeExit noStatus([&] { api.SQLSetStmtAttr(stmt_.Get(), SQL_ATTR_ROW_STATUS_PTR, nullptr, 0); });
    const SQLUSMALLINT written = operation == SQL_UPDATE ? SQL_ROW_UPDATED : SQL_ROW_DELETED;
    InOwnTransaction([&] {
        CheckStmtResult(api.SQLSetPos(stmt_.Get(), 1, operation, SQL_LOCK_NO_CHANGE));
        SQLLEN rows = -1;
        if (api.SQLRowCount(stmt_.Get(), &rows) != SQL_SUCCESS) rows = -1;
        if (rows > 1) RaiseMessage(SMoreThanOneRowAffected);
        if (rows != 1 && status != written) RaiseMessage(SNoRowsAffected);
    });
}

void TdbCustomQuery::Requery(std::int64_t recNo)
{
    CloseCursor();
    RunStatement();
    place_ = TPlace::BeforeFirst;
    recNo_ = 0;
    rowCount_ = -1;
    driverDone_ = false;
    uniRow_.clear();
    if (Cached()) {
        std::vector<TStorage> storages;
        for (const TODBCFieldDef* c : columns_) storages.push_back(StorageOf(c->DataType()));
        cache_ = std::make_unique<TRowStore>(std::move(storages));
        if (CacheHas(std::max<std::int64_t>(recNo, 1) - 1))
            cursor_ = std::max<std::int64_t>(recNo, 1) - 1;
        else
            cursor_ = static_cast<std::int64_t>(cache_->RowCount()) - 1;
    } else if (Scrollable()) {
        // "The last" is asked for as such: the SQLite driver takes the offset of an absolute
        // fetch as a 32-bit number, so INT64_MAX arrives as -1, the last row counted from the
        // end, and the cursor would stand on it with a record number that is not its own.
        if (recNo == INT64_MAX || FetchScroll(SQL_FETCH_ABSOLUTE, std::max<std::int64_t>(recNo, 1)) != grOK)
            FetchScroll(SQL_FETCH_LAST, 0);
    }
}

void TdbCustomQuery::InternalPost()
{
    TRecord& record = RecordOf(ActiveBuffer());
    Materialize(record);
    const int kind = State() == dsEdit ? 0 : 1;
    if (HasList(kind) || !(kind == 0 ? canUpdate_ : canInsert_)) {
        if (kind == 0) {
            RunList(0, record, oldRecord_ ? *oldRecord_ : record);
        } else {
            TRecord none;
            none.values.assign(record.values.size(), TVariant());
            RunList(1, record, none);
        }
    } else {
        // The driver's cursor goes back onto the edited row first: reading ahead for other
        // record buffers may have moved it.
        if (kind == 0) InternalSetToRecord(ActiveBuffer());
        PostThroughDriver(kind, record);
    }
    if (kind == 0) {
        oldRecord_.reset();
        Requery(record.recNo);
    } else {
        Requery(record.flag == bfEOF ? INT64_MAX : record.recNo);
    }
}

void TdbCustomQuery::InternalDelete()
{
    TRecord& record = RecordOf(ActiveBuffer());
    Materialize(record);
    if (HasList(2) || !canDelete_) {
        RunList(2, record, record);
    } else {
        InternalSetToRecord(ActiveBuffer());
        PostThroughDriver(2, record);
    }
    Requery(record.recNo);
}

// ---- Record buffers -------------------------------------------------------------------------

TRecordBuffer TdbCustomQuery::AllocRecordBuffer()
{
    auto* record = new TRecord;
    record->values.resize(columns_.size());
    return reinterpret_cast<TRecordBuffer>(record);
}

void TdbCustomQuery::FreeRecordBuffer(TRecordBuffer& buffer)
{
    delete reinterpret_cast<TRecord*>(buffer);
    buffer = nullptr;
}

void TdbCustomQuery::InternalInitRecord(TRecordBuffer buffer)
{
    TRecord& record = RecordOf(buffer);
    record.recNo = 0;
    record.flag = bfCurrent;
    record.inCache = false;
    record.values.assign(columns_.size(), TVariant());
}

std::unique_ptr<TBlobStream> TdbCustomQuery::CreateBlobStream(TField* field, TBlobStreamMode mode)
{
    if (mode != bmRead && !InEditMode(State())) DatabaseError("Dataset not in edit or insert mode", this);
    return std::make_unique<TdbBlobStream>(field, mode);
}

}  // namespace odbc
