#pragma once
// The run-time binding of the ODBC driver manager.
//
// Nothing links the driver manager: the first environment allocation loads unixODBC
// ("libodbc.so.2", else "libodbc.so") and resolves the entry points below by name. Each
// pointer has the type of the ODBC header's own prototype, so handles and lengths are the
// platform's ODBC types (64-bit here). Every ODBC call of the components goes through
// Odbc(), which raises instead of handing out a pointer that was never resolved.
//
// The binding stays loaded for the rest of the run; only the shutdown routine unloads it.

#include <sql.h>
#include <sqlext.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/rtl/DateTime.h"

namespace odbc {

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

// The driver manager's file names, tried in order.
const std::vector<std::string>& DriverManagerFileNames();

// Loads the driver manager and resolves every entry point; does nothing when it is loaded
// and usable. A library that cannot be opened raises rtl::Exception with the system's text
// alone; a missing entry point raises "Error Getting adress for <name>\r<system text>". After
// a missing entry point the library stays open but the binding is unusable: this and every
// later use raise that same message again, until UnloadODBCLibrary.
void LoadODBCLibrary();
// The same with other candidate files (the first one that opens is used).
void LoadODBCLibrary(const std::vector<std::string>& fileNames);

// True once a driver manager library is open (usable or not).
bool ODBCLoaded();
// True when every entry point is resolved.
bool ODBCUsable();

// The address of one export of the open library; raises "Error Getting adress for ..." when
// it is missing or no library is open.
void* GetODBCProc(const char* name);

// The entry points of the usable binding; raises when it is not loaded or unusable.
const TOdbcApi& Odbc();

// SQLAllocHandle that accepts only SQL_SUCCESS: any other result frees whatever it may have
// allocated and raises rtl::Exception with `message`.
SQLHANDLE AllocHandle(SQLSMALLINT handleType, SQLHANDLE inputHandle, const char* message);

// Major × 256 + minor of the driver manager's own version (SQL_DM_VER), taken when it was
// loaded; 0 when not loaded or when the driver manager does not tell.
std::uint16_t DriverManagerVersion();
// Asks the loaded driver manager for that number.
std::uint16_t GetDriverManagerVersion();

// Closes the library and forgets every entry point; raises with the system's text when the
// library cannot be closed. Does nothing when none is open.
void UnloadODBCLibrary();

// Conversions between date-time values and the ODBC date and timestamp structures.
// An invalid date raises EConvertError.
rtl::TDateTime ODBCDateToDateTime(const SQL_DATE_STRUCT& date);
SQL_DATE_STRUCT DateTimeToODBCDate(rtl::TDateTime value);
// The fraction is in nanoseconds: milliseconds × 1,000,000.
SQL_TIMESTAMP_STRUCT DateTimeToODBCTimeStamp(rtl::TDateTime value);

}  // namespace odbc
