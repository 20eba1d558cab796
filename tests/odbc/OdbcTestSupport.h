#pragma once
// Shared pieces of the ODBC component tests: temporary folders, the SQLite ODBC driver and
// the PostgreSQL server the test command starts.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "odbc/Database.h"
#include "odbc/OdbcApi.h"
#include "odbc/SqlError.h"

namespace odbctest {

// A fresh folder, removed with everything in it when the object goes.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    const std::filesystem::path& Path() const noexcept { return path_; }
    // Path() / name as text.
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Params for a DSN-less connection to an SQLite file through the SQLite3 ODBC driver.
void UseSqlite(odbc::TdbDataBase& database, const std::string& file);

// The port of the PostgreSQL test server when GW_PG_PORT is set and something listens there.
std::optional<int> PostgresPort();
// Params for the test server's database as user "gridweaver".
void UsePostgres(odbc::TdbDataBase& database, int port);

// The ESQLerror that `action` raises; a test failure and an error saying so when it raises
// none.
odbc::ESQLerror SqlErrorOf(const std::function<void()>& action);

// Runs one statement on the database's connection through the raw binding; returns the
// statement's result (the statement handle is freed).
SQLRETURN ExecRaw(odbc::TdbDataBase& database, const std::string& sql);

}  // namespace odbctest
