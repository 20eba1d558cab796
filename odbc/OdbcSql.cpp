#include "odbc/OdbcApi.h"

#include <dlfcn.h>

#include <optional>
#include <utility>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/SysUtils.h"

namespace odbc {

namespace {

struct TBinding {
    void* module = nullptr;
    TOdbcApi api;
    std::uint16_t version = 0;
    // Set while the open library lacks an entry point: the message every use raises.
    std::optional<std::string> failure;
};

// Never destroyed: sessions freed during static destruction may still reach it.
TBinding& Binding()
{
    static TBinding& binding = *new TBinding;
    return binding;
}

std::string LastSystemError()
{
    const char* text = dlerror();
    return text != nullptr ? text : std::string();
}

// The driver manager answers SQL_DM_VER as "##.##.####.####": the ODBC version it
// implements, then its own major and minor version.
std::uint16_t VersionFromDmText(const std::string& text)
{
    std::vector<int> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t dot = std::min(text.find('.', start), text.size());
        parts.push_back(rtl::StrToIntDef(text.substr(start, dot - start), -1));
        start = dot + 1;
    }
    if (parts.size() != 4 || parts[2] < 0 || parts[3] < 0) return 0;
    return static_cast<std::uint16_t>(parts[2] * 256 + parts[3]);
}

}  // namespace

const std::vector<std::string>& DriverManagerFileNames()
{
    static const std::vector<std::string> names{"libodbc.so.2", "libodbc.so"};
    return names;
}

bool ODBCLoaded() { return Binding().module != nullptr; }

bool ODBCUsable() { return ODBCLoaded() && !Binding().failure; }

void* GetODBCProc(const char* name)
{
    TBinding& b = Binding();
    if (b.module == nullptr) throw rtl::Exception(std::string("Error Getting adress for ") + name + "\r");
    dlerror();
    void* address = dlsym(b.module, name);
    if (address == nullptr) throw rtl::Exception(std::string("Error Getting adress for ") + name + "\r" + LastSystemError());
    return address;
}

void LoadODBCLibrary() { LoadODBCLibrary(DriverManagerFileNames()); }

void LoadODBCLibrary(const std::vector<std::string>& fileNames)
{
    TBinding& b = Binding();
    if (b.module != nullptr) {
        if (b.failure) throw rtl::Exception(*b.failure);
        return;
    }
    std::string firstError;
    for (const std::string& name : fileNames) {
        b.module = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (b.module != nullptr) break;
        if (firstError.empty()) firstError = LastSystemError();
    }
    if (b.module == nullptr) throw rtl::Exception(firstError);

    // Entry points resolved before a missing one keep their values, but the binding as a
    // whole stays unusable: nothing may call a pointer that was never resolved.
    try {
#define GW_ODBC_RESOLVE(name) b.api.name = reinterpret_cast<decltype(b.api.name)>(GetODBCProc(#name));
        GW_ODBC_ENTRY_POINTS(GW_ODBC_RESOLVE)
#undef GW_ODBC_RESOLVE
    } catch (const rtl::Exception& e) {
        b.failure = e.Message();
        throw;
    }
    b.version = GetDriverManagerVersion();
}

const TOdbcApi& Odbc()
{
    TBinding& b = Binding();
    if (b.module == nullptr) throw rtl::Exception("The ODBC driver manager is not loaded");
    if (b.failure) throw rtl::Exception(*b.failure);
    return b.api;
}

void TLoadedOdbcCalls::Disconnect(void* connection) noexcept
{
    if (ODBCUsable()) Binding().api.SQLDisconnect(connection);
}

bool TLoadedOdbcCalls::Free(db::TOdbcHandleKind kind, void* handle) noexcept
{
    if (!ODBCUsable()) return false;
    return Binding().api.SQLFreeHandle(static_cast<SQLSMALLINT>(kind), handle) == SQL_SUCCESS;
}

static_assert(static_cast<SQLSMALLINT>(db::TOdbcHandleKind::Environment) == SQL_HANDLE_ENV);
static_assert(static_cast<SQLSMALLINT>(db::TOdbcHandleKind::Connection) == SQL_HANDLE_DBC);
static_assert(static_cast<SQLSMALLINT>(db::TOdbcHandleKind::Statement) == SQL_HANDLE_STMT);

SQLHANDLE AllocHandle(SQLSMALLINT handleType, SQLHANDLE inputHandle, const char* message)
{
    const TOdbcApi& api = Odbc();
    SQLHANDLE handle = SQL_NULL_HANDLE;
    const SQLRETURN result = api.SQLAllocHandle(handleType, inputHandle, &handle);
    TOwnedHandle owned(static_cast<db::TOdbcHandleKind>(handleType), handle);
    if (result != SQL_SUCCESS) throw rtl::Exception(message);
    return owned.Release();
}

std::uint16_t DriverManagerVersion() { return Binding().version; }

std::uint16_t GetDriverManagerVersion()
{
    const TOdbcApi& api = Odbc();
    // A handle handed out with anything but SQL_SUCCESS is not used, but it is freed: a
    // connection handle left behind would keep the environment from being freed. The
    // connection is declared last, so it goes first.
    SQLHENV envHandle = SQL_NULL_HENV;
    const SQLRETURN envResult = api.SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &envHandle);
    const TOwnedHandle env(db::TOdbcHandleKind::Environment, envHandle);
    if (envResult != SQL_SUCCESS) return 0;
    if (!SQL_SUCCEEDED(api.SQLSetEnvAttr(envHandle, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0)))
        return 0;
    SQLHDBC dbcHandle = SQL_NULL_HDBC;
    const SQLRETURN dbcResult = api.SQLAllocHandle(SQL_HANDLE_DBC, envHandle, &dbcHandle);
    const TOwnedHandle dbc(db::TOdbcHandleKind::Connection, dbcHandle);
    if (dbcResult != SQL_SUCCESS) return 0;
    SQLCHAR text[64] = {};
    SQLSMALLINT length = 0;
    if (api.SQLGetInfo(dbcHandle, SQL_DM_VER, text, sizeof text, &length) != SQL_SUCCESS) return 0;
    return VersionFromDmText(reinterpret_cast<const char*>(text));
}

void UnloadODBCLibrary()
{
    TBinding& b = Binding();
    if (b.module == nullptr) return;
    void* module = b.module;
    b = TBinding{};
    if (dlclose(module) != 0) throw rtl::Exception(LastSystemError());
}

rtl::TDateTime ODBCDateToDateTime(const SQL_DATE_STRUCT& date)
{
    return rtl::EncodeDate(date.year, date.month, date.day);
}

SQL_DATE_STRUCT DateTimeToODBCDate(rtl::TDateTime value)
{
    int year = 0, month = 0, day = 0;
    rtl::DecodeDate(value, year, month, day);
    SQL_DATE_STRUCT result{};
    result.year = static_cast<SQLSMALLINT>(year);
    result.month = static_cast<SQLUSMALLINT>(month);
    result.day = static_cast<SQLUSMALLINT>(day);
    return result;
}

SQL_TIMESTAMP_STRUCT DateTimeToODBCTimeStamp(rtl::TDateTime value)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
    rtl::DecodeDateTime(value, year, month, day, hour, minute, second, msec);
    SQL_TIMESTAMP_STRUCT result{};
    result.year = static_cast<SQLSMALLINT>(year);
    result.month = static_cast<SQLUSMALLINT>(month);
    result.day = static_cast<SQLUSMALLINT>(day);
    result.hour = static_cast<SQLUSMALLINT>(hour);
    result.minute = static_cast<SQLUSMALLINT>(minute);
    result.second = static_cast<SQLUSMALLINT>(second);
    result.fraction = static_cast<SQLUINTEGER>(msec) * 1000000u;
    return result;
}

}  // namespace odbc
