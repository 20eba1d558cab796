#pragma once
// The PostgreSQL test server of the grid tests that run against a real server: its init
// string, or nothing when GW_PG_PORT is unset (scripts/gw test starts the server and sets it).

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/db/ConnectionString.h"

namespace gridtest {

inline std::optional<std::string> PgTestInitString()
{
    const char* port = std::getenv("GW_PG_PORT");
    if (port == nullptr || *port == '\0') return std::nullopt;
    return db::FormatInitString({{"Provider", "MSDASQL.1"},
                                 {"User ID", "gridweaver"},
                                 {"Password", "gridweaver"},
                                 {"Extended Properties", "DRIVER={PostgreSQL Unicode};Server=127.0.0.1;Port=" +
                                                             std::string(port) +
                                                             ";Database=gridweaver_test;BoolsAsChar=0"}});
}

}  // namespace gridtest
