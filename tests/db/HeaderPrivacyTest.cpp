// The data layer's public headers keep the ODBC headers to themselves: a file that includes
// them sees neither <sql.h> nor its type names, so the driver manager's macros and types
// cannot leak into the code built on the layer.
#include "platform/db/AdoConnection.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/DataLinks.h"
#include "platform/db/DataSet.h"
#include "platform/db/Recordset.h"

#include <gtest/gtest.h>

#if defined(__SQL_H) || defined(__SQLEXT_H) || defined(SQL_SUCCEEDED) || defined(SQL_NULL_HANDLE)
#error "an ODBC header reached a file that includes only the data layer's public headers"
#endif

namespace {


TEST(HeaderPrivacy, PublicDataHeadersBringNoOdbcHeader)
{
    // Compiling this file is the check (see the #error above); the connection still owns its
    // ODBC connection through a forward declaration.
    db::TADOConnection connection(nullptr);
    EXPECT_FALSE(connection.Connected());
}

}  // namespace
