#pragma once
// A thin layer over the ODBC driver manager: one process-wide environment, connections and
// statements that free their handles, results checked into EADOError with every diagnostic
// record kept whole, and typed reads of result columns.
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

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/DbErrors.h"
#include "platform/db/OdbcHandle.h"
#include "platform/rtl/DateTime.h"

namespace db {

// Every diagnostic record of a handle, each message read whole.
std::vector<TOdbcDiagRecord> OdbcDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle);
// True for the SQLSTATEs that mean the link to the server is gone.
bool IsConnectionLostState(std::string_view sqlState);
// Raises EADOError for a failed call: the records' messages one per line (or `fallback` when
// the driver left none). A lost connection is said plainly first.
[[noreturn]] void RaiseOdbcError(SQLSMALLINT handleType, SQLHANDLE handle, std::string_view fallback);

// The linked driver manager's calls that free handles (for TOdbcHandle).
struct TLinkedOdbcCalls {
    static void Disconnect(void* connection) noexcept;
    static bool Free(TOdbcHandleKind kind, void* handle) noexcept;
};
using TOdbcOwnedHandle = TOdbcHandle<TLinkedOdbcCalls>;

// The process-wide ODBC 3 environment, allocated on first use.
SQLHENV OdbcEnvironment();

class TOdbcConnection {
public:
    TOdbcConnection() = default;
    ~TOdbcConnection();
    TOdbcConnection(const TOdbcConnection&) = delete;
    TOdbcConnection& operator=(const TOdbcConnection&) = delete;

    // SQLDriverConnect without prompting; EADOError on failure (nothing stays allocated).
    void Connect(const std::string& connectionString);
    void Disconnect() noexcept;
    bool Connected() const noexcept { return static_cast<bool>(dbc_); }
    SQLHDBC Handle() const noexcept { return static_cast<SQLHDBC>(dbc_.Get()); }
    // The completed connection string the driver returned.
    const std::string& CompletedString() const noexcept { return completed_; }

    // SQLGetInfo for text and numeric answers; empty / 0 when the driver does not answer.
    std::string InfoText(SQLUSMALLINT infoType) const;
    std::uint32_t InfoUInt32(SQLUSMALLINT infoType) const;
    std::uint16_t InfoUInt16(SQLUSMALLINT infoType) const;

private:
    TOdbcOwnedHandle dbc_;
    std::string completed_;
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

class TOdbcStatement {
public:
    explicit TOdbcStatement(TOdbcConnection& connection);
    ~TOdbcStatement() = default;
    TOdbcStatement(const TOdbcStatement&) = delete;
    TOdbcStatement& operator=(const TOdbcStatement&) = delete;

    SQLHSTMT Handle() const noexcept { return static_cast<SQLHSTMT>(stmt_.Get()); }
    TOdbcConnection& Connection() const noexcept { return connection_; }

    void ExecDirect(const std::string& sql);
    // Prepares without running (the result columns can be described).
    void Prepare(const std::string& sql);
    // Rows affected by the last statement (-1 when the driver cannot tell).
    SQLLEN RowCount();
    SQLSMALLINT ColumnCount();
    TOdbcColumn Describe(SQLUSMALLINT column);
    // Next row; false at the end of the rows.
    bool Fetch();
    void CloseCursor() noexcept;

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
    bool GetLong(SQLUSMALLINT column, SQLSMALLINT cType, std::string& value);
    void Check(SQLRETURN rc, std::string_view what);
    std::string Pattern(const std::string& name);

    TOdbcConnection& connection_;
    TOdbcOwnedHandle stmt_;
    std::vector<char> buffer_;
};

// Date and time structures ↔ the class library's date-time values (milliseconds kept,
// rounded from the fraction's nanoseconds). EConvertError for a date the calendar lacks.
rtl::TDateTime OdbcDateToDateTime(const SQL_DATE_STRUCT& d);
rtl::TDateTime OdbcTimeToDateTime(const SQL_TIME_STRUCT& t);
rtl::TDateTime OdbcTimestampToDateTime(const SQL_TIMESTAMP_STRUCT& ts);

}  // namespace db
