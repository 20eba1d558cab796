#pragma once
// Connection strings: the OLE DB initialisation string of a data link ("Provider=...;...")
// and the ODBC connection string it is translated into.
//
// OLE DB syntax: "key=value" pairs separated by ";"; blanks around keys and plain values are
// dropped; a value may be enclosed in double or single quotes (the quote doubled inside), which
// keeps ";" and blanks in it; "==" in a key stands for "=". Keys are compared ignoring case.
// ODBC syntax: the same pairs, a value that holds ";", braces or outer blanks enclosed in
// braces with "}" doubled inside.
//
// Translation: "Provider" must be the OLE DB provider for ODBC, "MSDASQL" with or without a
// version suffix (a string without a provider means it too). The ODBC string starts with the
// pairs of "Extended Properties" (a DSN-less connection names its DRIVER there); "Data Source"
// becomes DSN when the extended properties name neither DSN, FILEDSN nor DRIVER;
// "Initial Catalog" becomes DATABASE; "User ID" and "Password" become UID and PWD; other
// OLE DB properties (Persist Security Info, Prompt, Mode, timeouts ...) are not passed on, and
// keys OLE DB does not know go through to the driver unchanged. Any other provider fails with
// EDatabaseError naming it.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace db {

struct TConnectionParam {
    std::string key;
    std::string value;
    friend bool operator==(const TConnectionParam&, const TConnectionParam&) = default;
};
using TConnectionParams = std::vector<TConnectionParam>;

TConnectionParams ParseInitString(std::string_view text);
std::string FormatInitString(const TConnectionParams& params);
TConnectionParams ParseOdbcString(std::string_view text);
std::string FormatOdbcString(const TConnectionParams& params);

// The value of `key` (ignoring case; the last one when repeated), or nullopt.
std::optional<std::string> FindParam(const TConnectionParams& params, std::string_view key);
// Replaces every pair of that key by one with `value`, or appends it.
void SetParam(TConnectionParams& params, std::string_view key, std::string value);
void RemoveParam(TConnectionParams& params, std::string_view key);

// The providers a data link may name, in the order they are offered: (provider name, what it
// is). Only the provider for ODBC opens here; the others are listed so that a link naming one
// is recognised and refused with a reason.
struct TProviderInfo {
    const char* name;
    const char* description;
};
const std::vector<TProviderInfo>& InstalledProviders();

// The provider named by an initialisation string ("MSDASQL.1"); "MSDASQL" when none.
std::string ProviderOf(std::string_view initString);
// True for "MSDASQL" and "MSDASQL.<version>", ignoring case.
bool IsOdbcProvider(std::string_view provider);

// The ODBC connection string for an initialisation string. `userId` and `password`, when
// given, replace the string's own credentials. For a DSN-less SQLite database the driver is
// told not to create a missing file (the program only opens existing databases, so a wrong
// path must fail rather than produce an empty database) and to step through results row by
// row rather than load them whole, unless the string says otherwise. A PostgreSQL driver
// (named by DRIVER, or the driver of the DSN) is given TCP keepalives the same way
// (KeepaliveTime=30, KeepaliveInterval=10), so that a server gone with the network is
// noticed even by a call that waits on it.
std::string OleDbToOdbc(std::string_view initString, const std::optional<std::string>& userId = std::nullopt,
                        const std::optional<std::string>& password = std::nullopt);

// The driver of the data source named `dsn` as the driver manager lists it ("PostgreSQL
// Unicode"); empty when there is no such data source or no driver manager.
std::string DataSourceDriver(std::string_view dsn);

// An initialisation string that opens `odbcConnectionString` through the provider for ODBC:
// "Provider=MSDASQL.1;Persist Security Info=False;Extended Properties=<quoted string>".
std::string MakeOdbcInitString(std::string_view odbcConnectionString);

}  // namespace db
