#pragma once
// The ODBC components' private view of the driver manager: its entry points, the owner of
// their handles and conversions of ODBC structures. Only the components' sources (and tests
// that call the driver manager themselves) include it: it brings in the ODBC headers.
//
// Each entry point has the type of the ODBC header's own prototype, so handles and lengths are
// the platform's ODBC types (64-bit here). Every ODBC call of the components goes through
// Odbc(), which raises instead of handing out a pointer that was never resolved.

#include <sql.h>
#include <sqlext.h>

#include <type_traits>

#include "odbc/OdbcSql.h"
#include "platform/rtl/DateTime.h"

namespace odbc {

static_assert(std::is_same_v<THandle, SQLHANDLE> && std::is_same_v<TSqlReturn, SQLRETURN> &&
              std::is_same_v<THandleType, SQLSMALLINT> && std::is_same_v<TNativeError, SQLINTEGER> &&
              kSqlError == SQL_ERROR);

// The entry points, in the order they are resolved; the first one missing stops the load.
#define GW_ODBC_ENTRY_POINTS(X)                                                                     \
    X(SQLAllocHandle) X(SQLSetEnvAttr) X(SQLFreeHandle) X(SQLGetInfo) X(SQLProcedures) X(SQLColumns) \
    X(SQLSpecialColumns) X(SQLGetDiagRec) X(SQLConnect) X(SQLDisconnect) X(SQLDriverConnect)         \
    X(SQLExecDirect) X(SQLPrepare) X(SQLCloseCursor) X(SQLExecute) X(SQLFetch) X(SQLNumResultCols)   \
    X(SQLDescribeCol) X(SQLFetchScroll) X(SQLExtendedFetch) X(SQLGetData) X(SQLSetStmtAttr)          \
    X(SQLGetStmtAttr) X(SQLBulkOperations) X(SQLPutData) X(SQLBindCol) X(SQLSetPos)                 \
    X(SQLDataSources) X(SQLDrivers) X(SQLSetConnectAttr) X(SQLGetCursorName) X(SQLSetCursorName)     \
    X(SQLRowCount) X(SQLBindParameter) X(SQLFreeStmt) X(SQLColAttribute) X(SQLEndTran) X(SQLTables)  \
    X(SQLPrimaryKeys) X(SQLProcedureColumns)

// One pointer per entry point, named like the function it reaches.
struct TOdbcApi {
#define GW_ODBC_POINTER(name) decltype(&::name) name = nullptr;
    GW_ODBC_ENTRY_POINTS(GW_ODBC_POINTER)
#undef GW_ODBC_POINTER
};

// The entry points of the usable binding; raises when it is not loaded or unusable.
const TOdbcApi& Odbc();

// The loaded driver manager's calls that free handles; with the binding unloaded or unusable
// there is nothing left to call and nothing is freed.
struct TLoadedOdbcCalls {
    static void Disconnect(void* connection) noexcept;
    static bool Free(db::TOdbcHandleKind kind, void* handle) noexcept;
};

// SQLAllocHandle that accepts only SQL_SUCCESS: any other result frees whatever it may have
// allocated and raises rtl::Exception with `message`.
SQLHANDLE AllocHandle(SQLSMALLINT handleType, SQLHANDLE inputHandle, const char* message);

// Conversions between date-time values and the ODBC date and timestamp structures.
// An invalid date raises EConvertError.
rtl::TDateTime ODBCDateToDateTime(const SQL_DATE_STRUCT& date);
SQL_DATE_STRUCT DateTimeToODBCDate(rtl::TDateTime value);
// The fraction is in nanoseconds: milliseconds × 1,000,000.
SQL_TIMESTAMP_STRUCT DateTimeToODBCTimeStamp(rtl::TDateTime value);

}  // namespace odbc
