#include "platform/db/Version.h"

#include "platform/db/OdbcHandles.h"
#include "platform/rtl/Log.h"

#include <exception>

namespace db {

std::string DataAccessVersion()
{
    try {
        // The process-wide environment: allocated here once, reused by every connection.
        OdbcEnvironment();
        return kDataAccessVersion;
    } catch (const std::exception&) {
        // Shown as the version "0.0"; why the driver manager is missing is for the log.
        rtl::LogCurrentException("DataAccessVersion");
        return "0.0";
    }
}

}  // namespace db
