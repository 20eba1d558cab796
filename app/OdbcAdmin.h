#pragma once
// The Tools menu's ODBC Administrator. unixODBC's data-source administrator
// (ODBCManageDataSourcesQ5, else ...Q4) is started when one is in PATH; otherwise the user's
// data-source file (the one "odbcinst -j" names, else ~/.odbc.ini) is opened with the
// desktop's opener, created first with a commented example when it is missing. When nothing
// can be started the user is told so in a warning naming what is missing.

#include <string>

namespace app {

enum class TOdbcAdminResult { Administrator, DataSourceFile, Nothing };

// The path after "USER DATA SOURCES" in the output of "odbcinst -j" ("" when it has none).
std::string UserDataSourceFileOf(const std::string& odbcinstOutput);
// The user's data-source file: as odbcinst names it, else $HOME/.odbc.ini.
std::string UserDataSourceFile();
// The text of a new data-source file: comments and a commented example for the SQLite driver.
std::string DataSourceFileTemplate();

TOdbcAdminResult ShowOdbcAdministrator();

}  // namespace app
