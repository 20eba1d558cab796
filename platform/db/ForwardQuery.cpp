#include "platform/db/ForwardQuery.h"

#include <vector>

#include "platform/db/OdbcHandles.h"
#include "platform/db/Recordset.h"
#include "platform/rtl/Log.h"
#include "platform/rtl/Scope.h"
#include "platform/rtl/SysUtils.h"

namespace db {

// What the reading owns, shared with the work on the connection's thread (which may outlive
// the query when a call into the driver is given up). The link is kept so that the statement's
// connection handle stays while the statement does.
struct TForwardQuery::TCursor {
    std::shared_ptr<TOdbcLink> link;
    // Its columns, the rows of one step, and while rows are left the reader holding the
    // statement.
    std::unique_ptr<TRecordset> result;
    bool atEnd = false;
};

namespace {

// One record: a copy of its row's values, so that a record stays whole when the store is
// emptied for the next step.
struct TRecordSlot {
    std::vector<TVariant> values;
};

TRecordSlot& SlotOf(TRecordBuffer buffer) { return *reinterpret_cast<TRecordSlot*>(buffer); }

// Rows held at a time while a second reading is counted.
constexpr std::size_t kCountStepRows = 8192;

void NotUnidirectional(const TDataSet* dataSet)
{
    DatabaseError("Operation not allowed on a unidirectional dataset", dataSet);
}

// The statement as the inner part of another: trailing blanks and semicolons go, and it stands
// on lines of its own so that a comment on its last line ends there.
std::string CountStatement(const std::string& sql)
{
    std::string inner = rtl::TrimRight(sql);
    while (!inner.empty() && inner.back() == ';') inner = rtl::TrimRight(inner.substr(0, inner.size() - 1));
    return "SELECT COUNT(*) FROM (\r\n" + inner + "\r\n) gw_counted";
}

}  // namespace

GW_IMPLEMENT_CLASS(TForwardQuery, TDataSet) {}

TForwardQuery::TForwardQuery(classes::TComponent* owner)
    : TDataSet(owner), sql_(std::make_unique<rtl::TStringList>())
{
    sql_->OnChange = [this](rtl::TStringList&) {
        if (Active()) Close();
        FieldDefs().SetUpdated(false);
    };
}

TForwardQuery::~TForwardQuery()
{
    CloseOnDestroy();
    sql_->OnChange = nullptr;
}

void TForwardQuery::SetConnection(TADOConnection* connection)
{
    if (connection == connection_) return;
    CheckInactive();
    if (connection_ != nullptr) RemoveFreeNotification(connection_);
    connection_ = connection;
    if (connection_ != nullptr) FreeNotification(connection_);
}

void TForwardQuery::SetEnableBCD(bool enable)
{
    CheckInactive();
    enableBCD_ = enable;
}

void TForwardQuery::Notification(classes::TComponent* component, classes::TOperation operation)
{
    TDataSet::Notification(component, operation);
    if (operation == classes::opRemove && component == connection_) {
        if (Active()) Close();
        connection_ = nullptr;
    }
}

std::string TForwardQuery::CommandText() const
{
    std::string text;
    for (int i = 0; i < sql_->Count(); ++i) {
        if (i > 0) text += "\r\n";
        text += sql_->Get(i);
    }
    return text;
}

std::shared_ptr<TForwardQuery::TCursor> TForwardQuery::Execute() const
{
    if (connection_ == nullptr) DatabaseError("Missing Connection or ConnectionString", this);
    const std::string sql = CommandText();
    if (rtl::Trim(sql).empty()) DatabaseError("CommandText does not return a result set", this);
    connection_->Open();
    auto cursor = std::make_shared<TCursor>();
    connection_->OdbcConnection().Run([cursor, sql, enableBCD = enableBCD_](TOdbcLink& link) {
        cursor->link = link.shared_from_this();
        auto statement = std::make_unique<TOdbcStatement>(link);
        statement->ExecDirect(sql);
        cursor->result = OpenRecordset(std::move(statement), enableBCD, 0);
        cursor->atEnd = cursor->result->reader == nullptr;
    });
    return cursor;
}

bool TForwardQuery::ReadStep()
{
    TCursor& c = *cursor_;
    // Past the last row the store keeps what it holds, so that First can still go back to it.
    if (c.atEnd) return false;
    // The first step is short: the first rows are in hand before a whole step is read.
    TRowStore& rows = *c.result->rows;
    const std::size_t limit = rows.RowCount() == 0 && storeFromStart_ ? RowsPerRead / 8 : RowsPerRead;
    rows.Clear();
    next_ = 0;
    storeFromStart_ = false;
    connection_->OdbcConnection().Run([cursor = cursor_, limit](TOdbcLink& link) {
        // The statement lives on the connection it was run on.
        if (&link != cursor->link.get()) throw EDatabaseError("The connection was opened again while the rows were read");
        // A step of a few fetches: one row per fetch on the SQLGetData path would otherwise
        // cost a call through the connection's thread per row. Whole fetches only, and no
        // more than the step's rows.
        TRecordset& result = *cursor->result;
        const std::size_t perFetch = ReaderRowsPerFetch(*result.reader);
        const std::size_t until = limit > perFetch ? limit - perFetch + 1 : 1;
        if (!ReadRows(*result.reader, *result.rows, until)) {
            cursor->atEnd = true;
            result.reader.reset();
        }
    });
    return rows.RowCount() > 0;
}

void TForwardQuery::Release() noexcept
{
    std::shared_ptr<TCursor> cursor = std::move(cursor_);
    if (!cursor || connection_ == nullptr || !connection_->Connected()) return;
    try {
        // Closing the cursor may wait on the server: on the connection's thread, watched.
        connection_->OdbcConnection().Run([cursor = std::move(cursor)](TOdbcLink&) mutable { cursor.reset(); });
    } catch (const std::exception& e) {
        rtl::LogLine("TForwardQuery: the statement could not be closed", e.what());
    }
}

void TForwardQuery::InternalInitFieldDefs()
{
    FieldDefs().Clear();
    if (!cursor_) return;
    for (const TRecordsetColumn& c : cursor_->result->columns) {
        auto def = std::make_unique<TFieldDef>(c.name, c.fieldType, c.size, c.required);
        def->SetPrecision(c.precision);
        FieldDefs().Add(std::move(def));
    }
}

void TForwardQuery::InternalOpen()
{
    cursor_ = Execute();
    next_ = 0;
    storeFromStart_ = true;
    {
        rtl::TScopeExit forget([this] { Release(); });
        InternalInitFieldDefs();
        if (DefaultFields()) CreateFields();
        BindFields(true);
        forget.Release();
    }
}

void TForwardQuery::InternalClose()
{
    BindFields(false);
    if (DefaultFields()) DestroyFields();
    Release();
}

void TForwardQuery::InternalFirst()
{
    if (storeFromStart_) {
        next_ = 0;
        return;
    }
    // Rows before these are gone: the statement runs again.
    Release();
    cursor_ = Execute();
    next_ = 0;
    storeFromStart_ = true;
}

void TForwardQuery::InternalLast() { NotUnidirectional(this); }

void TForwardQuery::InternalGotoBookmark(const TBookmark&) { NotUnidirectional(this); }

TRecordBuffer TForwardQuery::AllocRecordBuffer() { return reinterpret_cast<TRecordBuffer>(new TRecordSlot); }

void TForwardQuery::FreeRecordBuffer(TRecordBuffer& buffer)
{
    delete reinterpret_cast<TRecordSlot*>(buffer);
    buffer = nullptr;
}

TGetResult TForwardQuery::GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck)
{
    if (mode == gmPrior) {
        if (doCheck) NotUnidirectional(this);
        return grBOF;
    }
    if (mode == gmCurrent) return grError;
    if (next_ >= cursor_->result->rows->RowCount()) {
        // The first step keeps the first row: First needs no second run before it is dropped.
        const bool fromStart = storeFromStart_ && cursor_->result->rows->RowCount() == 0;
        if (!ReadStep()) return grEOF;
        storeFromStart_ = fromStart;
    }
    const TRowStore& rows = *cursor_->result->rows;
    std::vector<TVariant>& values = SlotOf(buffer).values;
    values.resize(static_cast<std::size_t>(rows.ColumnCount()));
    std::vector<std::uint32_t> offsets(values.size());
    rows.ColumnOffsets(next_, offsets.data());
    for (std::size_t c = 0; c < values.size(); ++c) values[c] = rows.ValueAt(next_, static_cast<int>(c), offsets[c]);
    ++next_;
    return grOK;
}

bool TForwardQuery::GetFieldData(TField* field, TRecordBuffer buffer, TVariant& value) const
{
    if (buffer == nullptr) return false;
    const std::vector<TVariant>& values = SlotOf(buffer).values;
    const int column = field->FieldNo() - 1;
    if (column < 0 || static_cast<std::size_t>(column) >= values.size()) return false;
    value = values[static_cast<std::size_t>(column)];
    return !value.IsNull();
}

std::size_t TForwardQuery::RowsHeld() const noexcept { return cursor_ ? cursor_->result->rows->RowCount() : 0; }

long long TForwardQuery::CountRecords()
{
    if (connection_ == nullptr) DatabaseError("Missing Connection or ConnectionString", this);
    const std::string sql = CommandText();
    connection_->Open();
    try {
        return connection_->OdbcConnection().Run([count = CountStatement(sql)](TOdbcLink& link) {
            TOdbcStatement statement(link);
            statement.ExecDirect(count);
            std::int64_t n = 0;
            if (!statement.Fetch() || !statement.GetInt64(1, n)) throw EDatabaseError("The rows could not be counted");
            return static_cast<long long>(n);
        });
    } catch (const EADOError& e) {
        if (e.ConnectionLost()) throw;
        rtl::LogLine("TForwardQuery: the server does not count the statement's rows; they are counted here", e.what());
    }
    std::shared_ptr<TCursor> cursor = Execute();
    return connection_->OdbcConnection().Run([cursor](TOdbcLink&) {
        TRecordset& result = *cursor->result;
        long long n = 0;
        while (result.reader != nullptr) {
            const bool more = ReadRows(*result.reader, *result.rows, kCountStepRows);
            n += static_cast<long long>(result.rows->RowCount());
            result.rows->Clear();
            if (!more) result.reader.reset();
        }
        return n;
    });
}

}  // namespace db
