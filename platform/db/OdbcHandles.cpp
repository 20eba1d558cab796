#include "platform/db/OdbcHandles.h"

#include <algorithm>
#include <climits>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <mutex>
#include <thread>

#include "platform/classes/Component.h"
#include "platform/db/OdbcDiagnostics.h"
#include "platform/rtl/BusyWait.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Log.h"
#include "platform/rtl/Scope.h"
#include "platform/rtl/SysUtils.h"

namespace db {

void DatabaseError(const std::string& message, const classes::TComponent* component)
{
    if (component != nullptr && !component->Name().empty()) throw EDatabaseError(component->Name() + ": " + message);
    throw EDatabaseError(message);
}

namespace {

const SQLCHAR* Sql(const std::string& s) { return reinterpret_cast<const SQLCHAR*>(s.c_str()); }
SQLCHAR* SqlMutable(const std::string& s) { return const_cast<SQLCHAR*>(Sql(s)); }

}  // namespace

bool IsConnectionLostState(std::string_view sqlState)
{
    return sqlState == "08S01" || sqlState == "08003" || sqlState == "08007" || sqlState == "08006" ||
           sqlState == "57P01";
}

void RaiseOdbcError(SQLSMALLINT handleType, SQLHANDLE handle, std::string_view fallback)
{
    std::vector<TOdbcDiagRecord> records = ReadOdbcDiagRecords(&SQLGetDiagRec, handleType, handle);
    std::string message;
    bool lost = false;
    for (const TOdbcDiagRecord& r : records) {
        if (r.message.empty()) continue;
        if (!message.empty()) message += '\n';
        message += r.message;
        lost = lost || IsConnectionLostState(r.sqlState);
    }
    if (message.empty()) message = std::string(fallback);
    if (lost) message = "The connection to the database was lost.\n" + message;
    throw EADOError(std::move(message), std::move(records), lost);
}

SQLHENV OdbcEnvironment()
{
    static SQLHENV env = SQL_NULL_HENV;
    static std::once_flag once;
    std::call_once(once, [] {
        SQLHENV h = SQL_NULL_HENV;
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &h)))
            throw EDatabaseError("Cannot allocate an ODBC environment handle");
        if (!SQL_SUCCEEDED(SQLSetEnvAttr(h, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0))) {
            SQLFreeHandle(SQL_HANDLE_ENV, h);
            throw EDatabaseError("Cannot set the ODBC version of the environment");
        }
        env = h;
    });
    return env;
}

void TLinkedOdbcCalls::Disconnect(void* connection) noexcept { SQLDisconnect(static_cast<SQLHDBC>(connection)); }

bool TLinkedOdbcCalls::Free(TOdbcHandleKind kind, void* handle) noexcept
{
    return SQL_SUCCEEDED(SQLFreeHandle(static_cast<SQLSMALLINT>(kind), handle));
}

static_assert(static_cast<SQLSMALLINT>(TOdbcHandleKind::Environment) == SQL_HANDLE_ENV);
static_assert(static_cast<SQLSMALLINT>(TOdbcHandleKind::Connection) == SQL_HANDLE_DBC);
static_assert(static_cast<SQLSMALLINT>(TOdbcHandleKind::Statement) == SQL_HANDLE_STMT);

std::string DataSourceDriver(std::string_view dsn)
{
    SQLHENV env = SQL_NULL_HENV;
    try {
        env = OdbcEnvironment();
    } catch (const EDatabaseError& e) {
        rtl::LogLine("DataSourceDriver: no data sources to look up", e.what());
        return {};
    }
    std::vector<SQLCHAR> name(SQL_MAX_DSN_LENGTH + 1);
    std::vector<SQLCHAR> driver(512);
    for (SQLUSMALLINT direction = SQL_FETCH_FIRST;; direction = SQL_FETCH_NEXT) {
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT driverLength = 0;
        if (!SQL_SUCCEEDED(SQLDataSources(env, direction, name.data(), static_cast<SQLSMALLINT>(name.size()),
                                          &nameLength, driver.data(), static_cast<SQLSMALLINT>(driver.size()),
                                          &driverLength)))
            return {};
        if (rtl::SameText(reinterpret_cast<const char*>(name.data()), dsn))
            return reinterpret_cast<const char*>(driver.data());
    }
}

// ---- Connection ----------------------------------------------------------------------------

namespace {

// A driver that has its own timeout reports it with its own message first.
constexpr std::chrono::seconds kCancelAfterTimeout{1};
// What a cancelled call is given to return before it is given up.
constexpr std::chrono::seconds kGraceAfterCancel{2};

// Timeouts are optional features: a driver that refuses one is still held to the deadline.
void SetConnectTimeout(SQLHDBC dbc, SQLINTEGER attribute, int seconds)
{
    SQLSetConnectAttr(dbc, attribute, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(std::max(seconds, 0))),
                      SQL_IS_UINTEGER);
}

}  // namespace

TOdbcLink::TOdbcLink(const TOdbcTimeouts& timeouts) : loginTimeout_(timeouts.login), queryTimeout_(timeouts.query)
{
    SQLHDBC allocated = SQL_NULL_HDBC;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, OdbcEnvironment(), &allocated)))
        RaiseOdbcError(SQL_HANDLE_ENV, OdbcEnvironment(), "Cannot allocate an ODBC connection handle");
    dbc_ = TOdbcOwnedHandle(TOdbcHandleKind::Connection, allocated);
    SetConnectTimeout(allocated, SQL_ATTR_LOGIN_TIMEOUT, timeouts.login);
    // The limit of requests other than queries and the login, for drivers that have one.
    SetConnectTimeout(allocated, SQL_ATTR_CONNECTION_TIMEOUT, timeouts.query);
}

void TOdbcLink::Connect(const std::string& connectionString)
{
    std::vector<SQLCHAR> out(2048);
    SQLSMALLINT outLength = 0;
    SQLRETURN rc = SQL_ERROR;
    {
        TCall watch(*this, SQL_NULL_HSTMT, loginTimeout_);
        rc = SQLDriverConnect(Handle(), nullptr, SqlMutable(connectionString), SQL_NTS, out.data(),
                              static_cast<SQLSMALLINT>(out.size()), &outLength, SQL_DRIVER_NOPROMPT);
    }
    if (!SQL_SUCCEEDED(rc)) RaiseOdbcError(SQL_HANDLE_DBC, Handle(), "The database connection could not be opened");
    dbc_.SetConnected(true);
    completed_.assign(reinterpret_cast<const char*>(out.data()),
                      std::min<std::size_t>(static_cast<std::size_t>(std::max<SQLSMALLINT>(outLength, 0)), out.size() - 1));
}

void TOdbcLink::RaiseNoAnswer(int seconds)
{
    const std::string answer = "The database did not answer within " + std::to_string(seconds) +
                               (seconds == 1 ? " second." : " seconds.");
    throw EADOError("The connection to the database was lost.\n" + answer, {{"HYT00", 0, answer}}, true);
}

TOdbcLink::TCall::TCall(TOdbcLink& link, SQLHSTMT cancel, int timeoutSeconds) noexcept : link_(link)
{
    std::lock_guard lock(link_.callMutex_);
    link_.callActive_ = true;
    ++link_.callSerial_;
    link_.callStarted_ = std::chrono::steady_clock::now();
    link_.callTimeout_ = timeoutSeconds;
    link_.callStatement_ = cancel;
}

TOdbcLink::TCall::~TCall()
{
    // Waits for a cancel in progress: its statement must outlive it.
    std::lock_guard lock(link_.callMutex_);
    link_.callActive_ = false;
    link_.callStatement_ = SQL_NULL_HSTMT;
}

bool TOdbcLink::Overdue(TWatch& watch)
{
    const auto now = std::chrono::steady_clock::now();
    // Held only by a call starting or ending, or by a cancel, which may itself hang.
    std::unique_lock lock(callMutex_, std::try_to_lock);
    if (lock.owns_lock()) {
        // The cancelled call has returned: the work goes on, and so does the watch.
        if (watch.cancelled && (!callActive_ || callSerial_ != watch.serial)) watch.cancelled = false;
        if (!watch.cancelled && callActive_ && callTimeout_ > 0 &&
            now >= callStarted_ + std::chrono::seconds(callTimeout_) + kCancelAfterTimeout) {
            watch = {true, callSerial_, now, callTimeout_};
            if (callStatement_ != SQL_NULL_HSTMT)
                std::thread([self = shared_from_this(), serial = callSerial_] { self->Cancel(serial); }).detach();
        }
    }
    return watch.cancelled && now >= watch.since + kGraceAfterCancel;
}

void TOdbcLink::Cancel(std::uint64_t serial) noexcept
{
    std::lock_guard lock(callMutex_);
    if (callActive_ && callSerial_ == serial && callStatement_ != SQL_NULL_HSTMT) SQLCancel(callStatement_);
}

std::string TOdbcLink::InfoText(SQLUSMALLINT infoType) const
{
    std::vector<char> buf(512);
    SQLSMALLINT length = 0;
    SQLRETURN rc = SQLGetInfo(Handle(), infoType, buf.data(), static_cast<SQLSMALLINT>(buf.size()), &length);
    if (SQL_SUCCEEDED(rc) && static_cast<std::size_t>(length) >= buf.size()) {
        buf.resize(static_cast<std::size_t>(length) + 1);
        rc = SQLGetInfo(Handle(), infoType, buf.data(), static_cast<SQLSMALLINT>(buf.size()), &length);
    }
    if (!SQL_SUCCEEDED(rc)) return {};
    return std::string(buf.data(), std::min<std::size_t>(static_cast<std::size_t>(std::max<SQLSMALLINT>(length, 0)),
                                                         buf.size() - 1));
}

std::uint32_t TOdbcLink::InfoUInt32(SQLUSMALLINT infoType) const
{
    SQLUINTEGER value = 0;
    if (!SQL_SUCCEEDED(SQLGetInfo(Handle(), infoType, &value, sizeof value, nullptr))) return 0;
    return value;
}

std::uint16_t TOdbcLink::InfoUInt16(SQLUSMALLINT infoType) const
{
    SQLUSMALLINT value = 0;
    if (!SQL_SUCCEEDED(SQLGetInfo(Handle(), infoType, &value, sizeof value, nullptr))) return 0;
    return value;
}

// Work on a thread of its own, and how it ended.
struct TOdbcConnection::TJob {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::exception_ptr error;
    std::thread worker;
};

TOdbcConnection::~TOdbcConnection() { Disconnect(); }

void TOdbcConnection::SetTimeouts(const TOdbcTimeouts& timeouts)
{
    timeouts_ = timeouts;
    if (link_) link_->SetQueryTimeout(timeouts.query);
}

void TOdbcConnection::Connect(const std::string& connectionString)
{
    Disconnect();
    auto link = std::make_shared<TOdbcLink>(timeouts_);
    RunWatched(link, [connectionString](TOdbcLink& l) { l.Connect(connectionString); });
    link_ = std::move(link);
}

void TOdbcConnection::Disconnect() noexcept
{
    try {
        Settle();
    } catch (...) {
        rtl::LogCurrentException("TOdbcConnection: waiting for the started work before closing");
    }
    if (started_) {
        // Still running (a wait for it was under way): it runs on alone with its own link.
        started_->worker.detach();
        started_.reset();
    }
    link_.reset();
}

const std::string& TOdbcConnection::CompletedString() const noexcept
{
    static const std::string none;
    return link_ ? link_->CompletedString() : none;
}

void TOdbcConnection::RunWork(std::function<void(TOdbcLink&)> work)
{
    if (!link_) throw EDatabaseError("Connection is not open");
    // Only a paint handler could get here while work runs; the driver would serve it after
    // the work, or never.
    if (running_) throw EDatabaseError("The connection is busy with another request");
    Settle();
    if (!link_) throw EDatabaseError("Connection is not open");
    running_ = true;
    rtl::TScopeExit done([this] { running_ = false; });
    try {
        RunWatched(link_, std::move(work));
    } catch (const EADOError&) {
        // Given up: the thread inside the driver closes this connection once it gets out.
        if (link_->Abandoned()) link_.reset();
        throw;
    }
}

bool TOdbcConnection::Start(std::function<void(TOdbcLink&)> work)
{
    if (!link_ || running_ || started_) return false;
    started_ = StartJob(link_, std::move(work));
    return true;
}

void TOdbcConnection::Settle()
{
    if (!started_) return;
    if (running_) throw EDatabaseError("The connection is busy with another request");
    running_ = true;
    rtl::TScopeExit done([this] { running_ = false; });
    const std::shared_ptr<TJob> job = std::move(started_);
    try {
        WaitJob(link_, *job);
    } catch (const EADOError&) {
        if (link_->Abandoned()) link_.reset();
        throw;
    }
}

void TOdbcConnection::RunWatched(const std::shared_ptr<TOdbcLink>& link, std::function<void(TOdbcLink&)> work)
{
    WaitJob(link, *StartJob(link, std::move(work)));
}

std::shared_ptr<TOdbcConnection::TJob> TOdbcConnection::StartJob(const std::shared_ptr<TOdbcLink>& link,
                                                                 std::function<void(TOdbcLink&)> work)
{
    auto job = std::make_shared<TJob>();
    job->worker = std::thread([job, link, work = std::move(work)]() mutable {
        std::exception_ptr error;
        try {
            work(*link);
        } catch (...) {
            error = std::current_exception();
        }
        // What the work holds goes before the waiting thread goes on.
        work = nullptr;
        std::lock_guard lock(job->mutex);
        job->done = true;
        job->error = error;
        job->finished.notify_all();
    });
    return job;
}

void TOdbcConnection::WaitJob(const std::shared_ptr<TOdbcLink>& link, TJob& job)
{
    TOdbcLink::TWatch watch;
    {
        rtl::TBusyWait busy;
        std::unique_lock lock(job.mutex);
        while (!busy.Wait(lock, job.finished, [&] { return job.done; })) {
            lock.unlock();
            const bool giveUp = link->Overdue(watch);
            lock.lock();
            if (giveUp && !job.done) {
                link->Abandon();
                lock.unlock();
                job.worker.detach();
                TOdbcLink::RaiseNoAnswer(watch.timeout);
            }
        }
    }
    job.worker.join();
    if (job.error) std::rethrow_exception(job.error);
}

bool TOdbcConnection::Settled() noexcept
{
    try {
        Settle();
        return true;
    } catch (...) {
        rtl::LogCurrentException("TOdbcConnection: waiting for the started work");
        return false;
    }
}

std::string TOdbcConnection::InfoText(SQLUSMALLINT infoType)
{
    return Settled() && link_ ? link_->InfoText(infoType) : std::string();
}

std::uint32_t TOdbcConnection::InfoUInt32(SQLUSMALLINT infoType)
{
    return Settled() && link_ ? link_->InfoUInt32(infoType) : 0;
}

std::uint16_t TOdbcConnection::InfoUInt16(SQLUSMALLINT infoType)
{
    return Settled() && link_ ? link_->InfoUInt16(infoType) : 0;
}

// ---- Statement -----------------------------------------------------------------------------

TOdbcStatement::TOdbcStatement(TOdbcLink& link) : link_(link), buffer_(4096)
{
    SQLHSTMT allocated = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, link.Handle(), &allocated)))
        RaiseOdbcError(SQL_HANDLE_DBC, link.Handle(), "Cannot allocate an ODBC statement handle");
    stmt_ = TOdbcOwnedHandle(TOdbcHandleKind::Statement, allocated);
    // Optional as the login timeout is (TOdbcLink).
    if (link.QueryTimeout() > 0)
        SQLSetStmtAttr(allocated, SQL_ATTR_QUERY_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(link.QueryTimeout())), SQL_IS_UINTEGER);
}

TOdbcStatement::~TOdbcStatement()
{
    // Freeing closes an open cursor, which some drivers do on the server.
    TOdbcLink::TCall watch(link_, SQL_NULL_HSTMT, link_.QueryTimeout());
    stmt_.Reset();
}

void TOdbcStatement::Check(SQLRETURN rc, std::string_view what)
{
    if (!SQL_SUCCEEDED(rc)) RaiseOdbcError(SQL_HANDLE_STMT, Handle(), what);
}

void TOdbcStatement::ExecDirect(const std::string& sql)
{
    const SQLRETURN rc = Watched([&] { return SQLExecDirect(Handle(), SqlMutable(sql), SQL_NTS); });
    // A statement that touches no rows answers SQL_NO_DATA; that is no failure.
    if (rc == SQL_NO_DATA) return;
    Check(rc, "The statement failed");
}

void TOdbcStatement::BindInputs(const std::vector<TVariant>& values)
{
    inputs_.assign(values.size(), TInput{});
    for (std::size_t i = 0; i < values.size(); ++i) {
        const TVariant& v = values[i];
        TInput& in = inputs_[i];
        SQLSMALLINT cType = SQL_C_CHAR;
        SQLSMALLINT sqlType = SQL_VARCHAR;
        SQLPOINTER data = nullptr;
        SQLLEN length = 0;
        SQLULEN columnSize = 0;
        switch (v.Type()) {
        case TVarType::Null:
            in.indicator = SQL_NULL_DATA;
            columnSize = 1;
            break;
        case TVarType::Boolean:
            in.bit = v.AsBoolean() ? 1 : 0;
            cType = SQL_C_BIT;
            sqlType = SQL_BIT;
            data = &in.bit;
            break;
        case TVarType::Integer:
            in.whole = v.AsInt64();
            cType = SQL_C_SBIGINT;
            // A server that picks a function by its argument types takes an integer for a
            // bigint parameter, not the other way round.
            sqlType = in.whole >= INT32_MIN && in.whole <= INT32_MAX ? SQL_INTEGER : SQL_BIGINT;
            data = &in.whole;
            break;
        case TVarType::Float:
            in.real = v.AsFloat();
            cType = SQL_C_DOUBLE;
            sqlType = SQL_DOUBLE;
            data = &in.real;
            break;
        default:
            in.text = v.Type() == TVarType::Decimal ? v.AsDecimalText() : v.AsString();
            in.indicator = static_cast<SQLLEN>(in.text.size());
            data = in.text.data();
            length = static_cast<SQLLEN>(in.text.size());
            columnSize = std::max<SQLULEN>(1, in.text.size());
            break;
        }
        Check(SQLBindParameter(Handle(), static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, cType, sqlType,
                               columnSize, 0, data, length, &in.indicator),
              "Cannot bind a parameter");
    }
}

void TOdbcStatement::Prepare(const std::string& sql)
{
    Check(Watched([&] { return SQLPrepare(Handle(), SqlMutable(sql), SQL_NTS); }), "The statement cannot be prepared");
}

SQLLEN TOdbcStatement::RowCount()
{
    SQLLEN count = -1;
    if (!SQL_SUCCEEDED(SQLRowCount(Handle(), &count))) return -1;
    return count;
}

SQLSMALLINT TOdbcStatement::ColumnCount()
{
    SQLSMALLINT count = 0;
    // After a prepare the driver may ask the server.
    Check(Watched([&] { return SQLNumResultCols(Handle(), &count); }), "Cannot count the result columns");
    return count;
}

TOdbcColumn TOdbcStatement::Describe(SQLUSMALLINT column)
{
    TOdbcColumn c;
    std::vector<SQLCHAR> name(256);
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT nullable = SQL_NULLABLE_UNKNOWN;
    SQLRETURN rc = Watched([&] {
        return SQLDescribeCol(Handle(), column, name.data(), static_cast<SQLSMALLINT>(name.size()), &nameLength,
                              &c.sqlType, &c.size, &c.decimalDigits, &nullable);
    });
    if (SQL_SUCCEEDED(rc) && static_cast<std::size_t>(nameLength) >= name.size()) {
        name.resize(static_cast<std::size_t>(nameLength) + 1);
        rc = SQLDescribeCol(Handle(), column, name.data(), static_cast<SQLSMALLINT>(name.size()), &nameLength,
                            &c.sqlType, &c.size, &c.decimalDigits, &nullable);
    }
    Check(rc, "Cannot describe a result column");
    c.name.assign(reinterpret_cast<const char*>(name.data()),
                  std::min<std::size_t>(static_cast<std::size_t>(std::max<SQLSMALLINT>(nameLength, 0)), name.size() - 1));
    c.nullable = nullable != SQL_NO_NULLS;
    SQLLEN isUnsigned = SQL_FALSE;
    if (SQL_SUCCEEDED(SQLColAttribute(Handle(), column, SQL_DESC_UNSIGNED, nullptr, 0, nullptr, &isUnsigned)))
        c.isUnsigned = isUnsigned == SQL_TRUE;
    if (c.sqlType == SQL_BINARY || c.sqlType == SQL_VARBINARY) {
        // SQLite's driver calls its unbounded BLOB a 255-byte binary: it is a long column,
        // read whole.
        char type[32] = {};
        SQLSMALLINT typeLength = 0;
        if (SQL_SUCCEEDED(SQLColAttribute(Handle(), column, SQL_DESC_TYPE_NAME, type, sizeof type, &typeLength, nullptr)) &&
            rtl::SameText(type, "blob")) {
            c.sqlType = SQL_LONGVARBINARY;
            c.size = 0;
        }
    }
    return c;
}

bool TOdbcStatement::Fetch()
{
    const SQLRETURN rc = Watched([&] { return SQLFetch(Handle()); });
    if (rc == SQL_NO_DATA) return false;
    Check(rc, "Cannot fetch a row");
    return true;
}

bool TOdbcStatement::SetRowArraySize(SQLULEN rows) noexcept
{
    if (!SQL_SUCCEEDED(SQLSetStmtAttr(Handle(), SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(rows), 0)))
        return false;
    // A driver may answer 01S02 and keep a size of its own choosing.
    SQLULEN actual = 0;
    return SQL_SUCCEEDED(SQLGetStmtAttr(Handle(), SQL_ATTR_ROW_ARRAY_SIZE, &actual, 0, nullptr)) && actual == rows;
}

bool TOdbcStatement::SetFetchTargets(SQLULEN* rowsFetched, SQLUSMALLINT* rowStatus) noexcept
{
    return SQL_SUCCEEDED(SQLSetStmtAttr(Handle(), SQL_ATTR_ROWS_FETCHED_PTR, rowsFetched, 0)) &&
           SQL_SUCCEEDED(SQLSetStmtAttr(Handle(), SQL_ATTR_ROW_STATUS_PTR, rowStatus, 0));
}

bool TOdbcStatement::Bind(SQLUSMALLINT column, SQLSMALLINT cType, void* data, SQLLEN width, SQLLEN* indicators) noexcept
{
    return SQL_SUCCEEDED(SQLBindCol(Handle(), column, cType, data, width, indicators));
}

void TOdbcStatement::Unbind() noexcept
{
    SQLFreeStmt(Handle(), SQL_UNBIND);
    SQLSetStmtAttr(Handle(), SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(SQLULEN{1}), 0);
    SQLSetStmtAttr(Handle(), SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0);
    SQLSetStmtAttr(Handle(), SQL_ATTR_ROW_STATUS_PTR, nullptr, 0);
}

void TOdbcStatement::Position(SQLSETPOSIROW row)
{
    Check(SQLSetPos(Handle(), row, SQL_POSITION, SQL_LOCK_NO_CHANGE), "Cannot position on a fetched row");
}

std::string TOdbcStatement::Pattern(const std::string& name)
{
    const std::string escape = link_.InfoText(SQL_SEARCH_PATTERN_ESCAPE);
    if (escape.empty()) return name;
    std::string out;
    for (char c : name) {
        if (escape.find(c) != std::string::npos) {
            // Drivers disagree on an escaped escape character (PostgreSQL's driver reads
            // "\\" as two backslashes), so it is matched by the one-character wildcard
            // instead; the rows are compared with the name exactly afterwards.
            out += '_';
            continue;
        }
        if (c == '_' || c == '%') out += escape;
        out += c;
    }
    return out;
}

namespace {

struct OptionalArg {
    explicit OptionalArg(const std::optional<std::string>& v) : value(v) {}
    SQLCHAR* Pointer() const { return value ? SqlMutable(*value) : nullptr; }
    SQLSMALLINT Length() const { return value ? SQL_NTS : 0; }
    const std::optional<std::string>& value;
};

}  // namespace

void TOdbcStatement::Tables(const std::optional<std::string>& catalog, const std::optional<std::string>& schema,
                            const std::optional<std::string>& table, const std::optional<std::string>& tableTypes)
{
    const std::optional<std::string> s = schema ? std::optional(Pattern(*schema)) : std::nullopt;
    const std::optional<std::string> t = table ? std::optional(Pattern(*table)) : std::nullopt;
    OptionalArg c(catalog), sa(s), ta(t), ty(tableTypes);
    Check(Watched([&] {
              return SQLTables(Handle(), c.Pointer(), c.Length(), sa.Pointer(), sa.Length(), ta.Pointer(), ta.Length(),
                               ty.Pointer(), ty.Length());
          }),
          "Cannot list the tables");
}

void TOdbcStatement::Columns(const std::optional<std::string>& catalog, const std::optional<std::string>& schema,
                             const std::optional<std::string>& table, const std::optional<std::string>& column)
{
    const std::optional<std::string> s = schema ? std::optional(Pattern(*schema)) : std::nullopt;
    const std::optional<std::string> t = table ? std::optional(Pattern(*table)) : std::nullopt;
    const std::optional<std::string> n = column ? std::optional(Pattern(*column)) : std::nullopt;
    OptionalArg c(catalog), sa(s), ta(t), na(n);
    Check(Watched([&] {
              return SQLColumns(Handle(), c.Pointer(), c.Length(), sa.Pointer(), sa.Length(), ta.Pointer(), ta.Length(),
                                na.Pointer(), na.Length());
          }),
          "Cannot list the columns");
}

void TOdbcStatement::Statistics(const std::optional<std::string>& catalog, const std::optional<std::string>& schema,
                                const std::string& table)
{
    const std::optional<std::string> t(table);
    OptionalArg c(catalog), sa(schema), ta(t);
    Check(Watched([&] {
              return SQLStatistics(Handle(), c.Pointer(), c.Length(), sa.Pointer(), sa.Length(), ta.Pointer(),
                                   ta.Length(), SQL_INDEX_ALL, SQL_QUICK);
          }),
          "Cannot list the indexes");
}

void TOdbcStatement::PrimaryKeys(const std::optional<std::string>& catalog, const std::optional<std::string>& schema,
                                 const std::string& table)
{
    const std::optional<std::string> t(table);
    OptionalArg c(catalog), sa(schema), ta(t);
    Check(Watched([&] {
              return SQLPrimaryKeys(Handle(), c.Pointer(), c.Length(), sa.Pointer(), sa.Length(), ta.Pointer(),
                                    ta.Length());
          }),
          "Cannot list the primary key");
}

void TOdbcStatement::TypeInfo(SQLSMALLINT sqlType)
{
    Check(Watched([&] { return SQLGetTypeInfo(Handle(), sqlType); }), "Cannot list the data types");
}

bool TOdbcStatement::GetLong(SQLUSMALLINT column, SQLSMALLINT cType, std::string& value)
{
    // Text values end in a zero byte that the driver counts out of the buffer.
    const std::size_t terminator = cType == SQL_C_CHAR ? 1 : 0;
    value.clear();
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(Handle(), column, cType, buffer_.data(), static_cast<SQLLEN>(buffer_.size()),
                                        &indicator);
        if (rc == SQL_NO_DATA) return true;  // every part has been read
        Check(rc, "Cannot read a column value");
        if (indicator == SQL_NULL_DATA) return false;
        const std::size_t room = buffer_.size() - terminator;
        if (rc == SQL_SUCCESS || (indicator != SQL_NO_TOTAL && static_cast<std::size_t>(indicator) <= room)) {
            value.append(buffer_.data(), static_cast<std::size_t>(indicator));
            return true;
        }
        // Truncated: keep this part and make room for the rest in one go when its size is known.
        value.append(buffer_.data(), room);
        if (indicator != SQL_NO_TOTAL)
            buffer_.resize(std::max(buffer_.size(), static_cast<std::size_t>(indicator) - room + terminator + 1));
        else
            buffer_.resize(buffer_.size() * 2);
    }
}

bool TOdbcStatement::GetText(SQLUSMALLINT column, std::string& value) { return GetLong(column, SQL_C_CHAR, value); }

bool TOdbcStatement::GetBytes(SQLUSMALLINT column, std::string& value) { return GetLong(column, SQL_C_BINARY, value); }

namespace {

template <class T>
bool GetFixed(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT cType, T& value)
{
    SQLLEN indicator = 0;
    const SQLRETURN rc = SQLGetData(stmt, column, cType, &value, sizeof value, &indicator);
    if (!SQL_SUCCEEDED(rc)) RaiseOdbcError(SQL_HANDLE_STMT, stmt, "Cannot read a column value");
    return indicator != SQL_NULL_DATA;
}

}  // namespace

bool TOdbcStatement::GetInt64(SQLUSMALLINT column, std::int64_t& value)
{
    SQLBIGINT v = 0;
    const bool notNull = GetFixed(Handle(), column, SQL_C_SBIGINT, v);
    value = v;
    return notNull;
}

bool TOdbcStatement::GetDouble(SQLUSMALLINT column, double& value)
{
    return GetFixed(Handle(), column, SQL_C_DOUBLE, value);
}

bool TOdbcStatement::GetBit(SQLUSMALLINT column, bool& value)
{
    SQLCHAR bit = 0;
    const bool notNull = GetFixed(Handle(), column, SQL_C_BIT, bit);
    value = bit != 0;
    return notNull;
}

bool TOdbcStatement::GetDate(SQLUSMALLINT column, SQL_DATE_STRUCT& value)
{
    return GetFixed(Handle(), column, SQL_C_TYPE_DATE, value);
}

bool TOdbcStatement::GetTime(SQLUSMALLINT column, SQL_TIME_STRUCT& value)
{
    return GetFixed(Handle(), column, SQL_C_TYPE_TIME, value);
}

bool TOdbcStatement::GetTimestamp(SQLUSMALLINT column, SQL_TIMESTAMP_STRUCT& value)
{
    return GetFixed(Handle(), column, SQL_C_TYPE_TIMESTAMP, value);
}

std::string TOdbcStatement::TextOf(SQLUSMALLINT column)
{
    std::string value;
    if (!GetText(column, value)) value.clear();
    return value;
}

std::optional<std::int64_t> TOdbcStatement::IntOf(SQLUSMALLINT column)
{
    std::int64_t value = 0;
    if (!GetInt64(column, value)) return std::nullopt;
    return value;
}

// ---- Dates ---------------------------------------------------------------------------------

rtl::TDateTime OdbcDateToDateTime(const SQL_DATE_STRUCT& d) { return rtl::EncodeDate(d.year, d.month, d.day); }

rtl::TDateTime OdbcTimeToDateTime(const SQL_TIME_STRUCT& t) { return rtl::EncodeTime(t.hour, t.minute, t.second, 0); }

rtl::TDateTime OdbcTimestampToDateTime(const SQL_TIMESTAMP_STRUCT& ts)
{
    int msec = static_cast<int>((ts.fraction + 500000u) / 1000000u);
    int second = ts.second;
    rtl::TDateTime extra = 0;
    if (msec >= 1000) {
        // The fraction rounded up to a whole second.
        msec -= 1000;
        extra = 1.0 / rtl::SecsPerDay;
    }
    const rtl::TDateTime date = rtl::EncodeDate(ts.year, ts.month, ts.day);
    const rtl::TDateTime time = rtl::EncodeTime(ts.hour, ts.minute, second, msec);
    return rtl::ComposeDateTime(date, time) + (date < 0 ? -extra : extra);
}

}  // namespace db
