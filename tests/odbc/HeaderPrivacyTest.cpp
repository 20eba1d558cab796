// The ODBC components' public headers keep the ODBC headers to themselves: only their sources
// (and tests that call the driver manager directly) include the private OdbcApi.h.
#include "odbc/Database.h"
#include "odbc/ErrorDialog.h"
#include "odbc/ErrorPages.h"
#include "odbc/Messages.h"
#include "odbc/OdbcSql.h"
#include "odbc/Session.h"
#include "odbc/SqlError.h"
#include "odbc/Startup.h"

#include <gtest/gtest.h>

#if defined(__SQL_H) || defined(__SQLEXT_H) || defined(SQL_SUCCEEDED) || defined(SQL_NULL_HANDLE)
#error "an ODBC header reached a file that includes only the ODBC components' public headers"
#endif

namespace {

TEST(HeaderPrivacy, PublicOdbcHeadersBringNoOdbcHeader)
{
    // Compiling this file is the check; a database without a connection holds no handle.
    odbc::TdbDataBase database(nullptr);
    EXPECT_FALSE(database.Connected());
    EXPECT_EQ(database.Handle(), nullptr);
}

}  // namespace
