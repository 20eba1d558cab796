#pragma once
// A thin layer over the ODBC driver manager: one process-wide environment, connections and
// statements that free their handles, results checked into EADOError with every diagnostic
// record kept whole (OdbcDiagnostics.h), and typed reads of result columns. Calls that may
// wait on the server have a deadline (TOdbcLink below).
//
// Text crosses the interface as UTF-8 through the narrow (SQL_C_CHAR) calls: the SQLite
// driver stores UTF-8, and the PostgreSQL Unicode driver hands it out unchanged. Column
// values are read with SQLGetData into buffers that grow with the value, so neither a
// multi-byte character nor a driver that does not enforce a column's declared length can cut
// a value short. 64-bit integers are read as SQL_C_SBIGINT and decimals as their text.
//
// This header is the data layer's own: it brings in the ODBC headers, so only the layer's
// sources include it; its public headers hold these objects through forward declarations.

#include <sql.h>
#include <sqlext.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/db/DbErrors.h"
#include "platform/db/OdbcHandle.h"
#include "platform/db/Variant.h"
#include "platform/rtl/DateTime.h"

namespace db {

// True for the SQLSTATEs that mean the link to the server is gone.
bool IsConnectionLostState(std::string_view sqlState);
// Raises EADOError for a failed call: the records' messages (OdbcDiagnostics.h) one per line
// (or `fallback` when the driver left none). A lost connection is said plainly first.
[[noreturn]] void RaiseOdbcError(SQLSMALLINT handleType, SQLHANDLE handle, std::string_view fallback);

// The linked driver manager's calls that free handles (for TOdbcHandle).
struct TLinkedOdbcCalls {
    static void Disconnect(void* connection) noexcept;
    static bool Free(TOdbcHandleKind kind, void* handle) noexcept;
};
using TOdbcOwnedHandle = TOdbcHandle<TLinkedOdbcCalls>;

// The process-wide ODBC 3 environment, allocated on first use.
SQLHENV OdbcEnvironment();

// The time limits of a connection, in seconds; 0 sets none.
struct TOdbcTimeouts {
    int login = 0;  // opening the connection
    int query = 0;  // each call of a statement into the driver
};

// A database that stops answering must not keep the program waiting: every call into the
// driver that may wait on the server runs on a thread of its own (TOdbcConnection::Run) while
// the calling thread waits with a deadline, keeping the windows painted (rtl/BusyWait.h).
// The driver is given the timeouts too and normally ends a slow call itself, with its own
// message. When it does not (a server that is stopped or cut off answers nothing, not even a
// cancel), the call is cancelled a second past its timeout, and given up two seconds later:
// the connection is reported lost ("The database did not answer within N seconds.") and the
// next use opens a new one. The thread that is still inside the driver keeps what it uses
// (the connection handle, its statements and their buffers) and frees them once the driver
// lets it go; no handle is freed while another thread is inside it.

// The driver's connection: its handle and what the driver said when it connected. Owned
// jointly by the connection object and by the work that runs on it, which may outlive the
// connection object when a call into the driver is given up; the last owner disconnects and
// frees the handle, on whichever thread it is.
class TOdbcLink : public std::enable_shared_from_this<TOdbcLink> {
public:
    // Allocates the handle and hands the driver the timeouts (a driver that knows none of
    // them still has the deadline of the waiting thread).
    explicit TOdbcLink(const TOdbcTimeouts& timeouts);
    ~TOdbcLink() = default;
    TOdbcLink(const TOdbcLink&) = delete;
    TOdbcLink& operator=(const TOdbcLink&) = delete;

    // SQLDriverConnect without prompting; EADOError on failure.
    void Connect(const std::string& connectionString);
    SQLHDBC Handle() const noexcept { return static_cast<SQLHDBC>(dbc_.Get()); }
    // The completed connection string the driver returned.
    const std::string& CompletedString() const noexcept { return completed_; }
    int QueryTimeout() const noexcept { return queryTimeout_; }
    void SetQueryTimeout(int seconds) noexcept { queryTimeout_ = seconds; }

    // SQLGetInfo for text and numeric answers; empty / 0 when the driver does not answer.
    std::string InfoText(SQLUSMALLINT infoType) const;
    std::uint32_t InfoUInt32(SQLUSMALLINT infoType) const;
    std::uint16_t InfoUInt16(SQLUSMALLINT infoType) const;

    // The waiting thread gave the work up: its further calls fail at once.
    bool Abandoned() const noexcept { return abandoned_; }
    void Abandon() noexcept { abandoned_ = true; }
    // EADOError saying the connection was lost after `seconds` without an answer.
    [[noreturn]] static void RaiseNoAnswer(int seconds);

    // A call into the driver that may wait on the server, for as long as it runs: the waiting
    // thread watches it (Overdue). `cancel` is the statement that SQLCancel ends it on, or
    // null for a call that cannot be cancelled.
    class TCall {
    public:
        TCall(TOdbcLink& link, SQLHSTMT cancel, int timeoutSeconds) noexcept;
        ~TCall();
        TCall(const TCall&) = delete;
        TCall& operator=(const TCall&) = delete;

    private:
        TOdbcLink& link_;
    };

    // What the waiting thread knows of the call it has cancelled.
    struct TWatch {
        bool cancelled = false;
        std::uint64_t serial = 0;
        std::chrono::steady_clock::time_point since;
        int timeout = 0;
    };
    // Called by the waiting thread between its waits: cancels the call in progress (from a
    // thread of its own, since a cancel too may wait on the server) once it outlasts its
    // timeout by a second; true once a cancelled call has still not returned two seconds
    // later. Never blocks.
    bool Overdue(TWatch& watch);

private:
    void Cancel(std::uint64_t serial) noexcept;

    TOdbcOwnedHandle dbc_;
    std::string completed_;
    int loginTimeout_;
    std::atomic<int> queryTimeout_;
    std::atomic<bool> abandoned_{false};

    std::mutex callMutex_;
    bool callActive_ = false;
    std::uint64_t callSerial_ = 0;
    std::chrono::steady_clock::time_point callStarted_;
    int callTimeout_ = 0;
    SQLHSTMT callStatement_ = SQL_NULL_HSTMT;
};

class TOdbcConnection {
public:
    TOdbcConnection() = default;
    ~TOdbcConnection();
    TOdbcConnection(const TOdbcConnection&) = delete;
    TOdbcConnection& operator=(const TOdbcConnection&) = delete;

    // The limits of the next connect; the query timeout holds at once for new statements.
    void SetTimeouts(const TOdbcTimeouts& timeouts);
    const TOdbcTimeouts& Timeouts() const noexcept { return timeouts_; }

    // Opens a new connection (closing this one first), with the login timeout; EADOError on
    // failure (nothing stays allocated).
    void Connect(const std::string& connectionString);
    void Disconnect() noexcept;
    bool Connected() const noexcept { return link_ != nullptr; }
    // The completed connection string the driver returned; empty while closed.
    const std::string& CompletedString() const noexcept;

    // SQLGetInfo for text and numeric answers, after started work is waited for; empty / 0
    // while closed, when the driver does not answer or the wait fails.
    std::string InfoText(SQLUSMALLINT infoType);
    std::uint32_t InfoUInt32(SQLUSMALLINT infoType);
    std::uint16_t InfoUInt16(SQLUSMALLINT infoType);

    // Runs `work(link)` on a thread of its own while this thread waits, and answers what it
    // answers (its exception is raised here). `work` opens its statements on the link and
    // must own everything else it touches (capture by value): when its call into the driver
    // is given up it runs on alone, after this call has raised EADOError and the connection
    // is closed. EDatabaseError while closed, or while other work runs on the connection.
    template <class Work>
    auto Run(Work work) -> std::invoke_result_t<Work&, TOdbcLink&>
    {
        using Result = std::invoke_result_t<Work&, TOdbcLink&>;
        if constexpr (std::is_void_v<Result>) {
            RunWork(std::function<void(TOdbcLink&)>(std::move(work)));
        } else {
            auto result = std::make_shared<std::optional<Result>>();
            RunWork([result, work = std::move(work)](TOdbcLink& link) mutable { result->emplace(work(link)); });
            return std::move(**result);
        }
    }

    // Starts `work(link)` on a thread of its own and returns at once, for work whose outcome
    // is wanted later (rows read ahead while the program goes through those it has). `work`
    // must catch what it raises and own what it touches, as Run's must. The next Run, Settle
    // or Disconnect waits for it first, watched like Run's own work. False (nothing started)
    // while closed, while other work runs or while started work is not yet waited for.
    bool Start(std::function<void(TOdbcLink&)> work);
    // Waits for the started work, if any: EADOError when its call into the driver is given
    // up (the connection is closed then, as by Run); EDatabaseError while other work runs.
    void Settle();

private:
    struct TJob;
    void RunWork(std::function<void(TOdbcLink&)> work);
    // Runs `work` on a thread of its own and waits for it with the deadline of its calls.
    static void RunWatched(const std::shared_ptr<TOdbcLink>& link, std::function<void(TOdbcLink&)> work);
    static std::shared_ptr<TJob> StartJob(const std::shared_ptr<TOdbcLink>& link, std::function<void(TOdbcLink&)> work);
    static void WaitJob(const std::shared_ptr<TOdbcLink>& link, TJob& job);
    // Settle for the calls that answer nothing on failure: false when the wait failed.
    bool Settled() noexcept;

    std::shared_ptr<TOdbcLink> link_;
    TOdbcTimeouts timeouts_;
    bool running_ = false;
    std::shared_ptr<TJob> started_;  // work started and not yet waited for
};

// One column of a result as SQLDescribeCol reports it.
struct TOdbcColumn {
    std::string name;
    SQLSMALLINT sqlType = 0;
    SQLULEN size = 0;
    SQLSMALLINT decimalDigits = 0;
    bool nullable = true;
    bool isUnsigned = false;
};

// A statement on a link, with the link's query timeout; made and used by the work that
// TOdbcConnection::Run runs. Its calls that may wait on the server are watched
// (TOdbcLink::TCall).
class TOdbcStatement {
public:
    explicit TOdbcStatement(TOdbcLink& link);
    ~TOdbcStatement();
    TOdbcStatement(const TOdbcStatement&) = delete;
    TOdbcStatement& operator=(const TOdbcStatement&) = delete;

    SQLHSTMT Handle() const noexcept { return static_cast<SQLHSTMT>(stmt_.Get()); }
    TOdbcLink& Connection() const noexcept { return link_; }

    void ExecDirect(const std::string& sql);
    // Prepares without running (the result columns can be described).
    void Prepare(const std::string& sql);
    // Binds `values` to the statement's markers 1, 2, ... as input parameters, held by the
    // statement until it goes: whole numbers as integers (32-bit when they fit), floats as
    // doubles, Booleans as bits, nulls as null, everything else as its text (decimals exactly).
    void BindInputs(const std::vector<TVariant>& values);
    // Rows affected by the last statement (-1 when the driver cannot tell).
    SQLLEN RowCount();
    SQLSMALLINT ColumnCount();
    TOdbcColumn Describe(SQLUSMALLINT column);
    // Next row; false at the end of the rows.
    bool Fetch();

    // ---- Block fetches -------------------------------------------------------------------
    // Rows per fetch; false when the driver refuses that many (or answers another number).
    bool SetRowArraySize(SQLULEN rows) noexcept;
    // Where a fetch writes the number of rows it fetched and each row's status.
    bool SetFetchTargets(SQLULEN* rowsFetched, SQLUSMALLINT* rowStatus) noexcept;
    // Binds a column (column-wise: `width` bytes per row); false when the driver refuses.
    bool Bind(SQLUSMALLINT column, SQLSMALLINT cType, void* data, SQLLEN width, SQLLEN* indicators) noexcept;
    // Drops every binding and goes back to one row per fetch.
    void Unbind() noexcept;
    // Makes row `row` (1-based) of the fetched block the one SQLGetData reads.
    void Position(SQLSETPOSIROW row);

    // Catalogue functions; a null argument is passed as NULL. Pattern arguments are taken
    // literally: their wildcard characters are escaped when the driver has an escape, and the
    // escape character itself is matched by "_", so the caller compares the rows with the
    // names it asked for.
    void Tables(const std::optional<std::string>& catalog, const std::optional<std::string>& schema,
                const std::optional<std::string>& table, const std::optional<std::string>& tableTypes);
    void Columns(const std::optional<std::string>& catalog, const std::optional<std::string>& schema,
                 const std::optional<std::string>& table, const std::optional<std::string>& column);
    void TypeInfo(SQLSMALLINT sqlType = SQL_ALL_TYPES);
    // The indexes of one table (SQLStatistics, every index, statistics as the driver has them)
    // and its primary-key columns (SQLPrimaryKeys). Names here are plain arguments, not patterns.
    void Statistics(const std::optional<std::string>& catalog, const std::optional<std::string>& schema,
                    const std::string& table);
    void PrimaryKeys(const std::optional<std::string>& catalog, const std::optional<std::string>& schema,
                     const std::string& table);

    // Typed reads of a column of the current row (1-based). Each answers false for NULL.
    bool GetText(SQLUSMALLINT column, std::string& value);
    bool GetBytes(SQLUSMALLINT column, std::string& value);
    bool GetInt64(SQLUSMALLINT column, std::int64_t& value);
    bool GetDouble(SQLUSMALLINT column, double& value);
    bool GetBit(SQLUSMALLINT column, bool& value);
    bool GetDate(SQLUSMALLINT column, SQL_DATE_STRUCT& value);
    bool GetTime(SQLUSMALLINT column, SQL_TIME_STRUCT& value);
    bool GetTimestamp(SQLUSMALLINT column, SQL_TIMESTAMP_STRUCT& value);

    // Catalogue results read by column number, NULL as empty text / nullopt.
    std::string TextOf(SQLUSMALLINT column);
    std::optional<std::int64_t> IntOf(SQLUSMALLINT column);

private:
    // Runs `call` (a call into the driver on this statement) watched.
    template <class Call>
    SQLRETURN Watched(Call call)
    {
        if (link_.Abandoned()) TOdbcLink::RaiseNoAnswer(link_.QueryTimeout());
        TOdbcLink::TCall watch(link_, Handle(), link_.QueryTimeout());
        return call();
    }
    bool GetLong(SQLUSMALLINT column, SQLSMALLINT cType, std::string& value);
    void Check(SQLRETURN rc, std::string_view what);
    std::string Pattern(const std::string& name);

    struct TInput {
        std::int64_t whole = 0;
        double real = 0;
        unsigned char bit = 0;
        std::string text;
        SQLLEN indicator = 0;
    };

    TOdbcLink& link_;
    TOdbcOwnedHandle stmt_;
    std::vector<char> buffer_;
    // The bound input parameters' data; the driver reads it when the statement runs.
    std::vector<TInput> inputs_;
};

// Date and time structures ↔ the class library's date-time values (milliseconds kept,
// rounded from the fraction's nanoseconds). EConvertError for a date the calendar lacks.
rtl::TDateTime OdbcDateToDateTime(const SQL_DATE_STRUCT& d);
rtl::TDateTime OdbcTimeToDateTime(const SQL_TIME_STRUCT& t);
rtl::TDateTime OdbcTimestampToDateTime(const SQL_TIMESTAMP_STRUCT& ts);

}  // namespace db
