#pragma once
// The run-time binding of the ODBC driver manager: loading, unloading and the driver
// manager's version.
//
// Nothing links the driver manager: the first environment allocation loads unixODBC
// ("libodbc.so.2", else "libodbc.so") and resolves its entry points by name. The binding
// stays loaded for the rest of the run; only the shutdown routine unloads it.
//
// The components' public headers speak of ODBC objects through the plain types below and
// never include the ODBC headers; the entry points themselves, the handle owner and the
// conversions of ODBC structures are in the components' private OdbcApi.h.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/db/OdbcHandle.h"

namespace odbc {

// An ODBC handle (environment, connection or statement), as the driver manager hands it out.
using THandle = void*;
// The result of an ODBC call (SQL_SUCCESS, SQL_ERROR ...).
using TSqlReturn = std::int16_t;
// A handle type (SQL_HANDLE_ENV ...).
using THandleType = std::int16_t;
// A driver's native error number.
using TNativeError = std::int32_t;
// SQL_ERROR.
constexpr TSqlReturn kSqlError = -1;

// The owner of every handle the components allocate (its calls are in OdbcApi.h).
struct TLoadedOdbcCalls;
using TOwnedHandle = db::TOdbcHandle<TLoadedOdbcCalls>;

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

// Major × 256 + minor of the driver manager's own version (SQL_DM_VER), taken when it was
// loaded; 0 when not loaded or when the driver manager does not tell.
std::uint16_t DriverManagerVersion();
// Asks the loaded driver manager for that number.
std::uint16_t GetDriverManagerVersion();

// Closes the library and forgets every entry point; raises with the system's text when the
// library cannot be closed. Does nothing when none is open.
void UnloadODBCLibrary();

}  // namespace odbc
