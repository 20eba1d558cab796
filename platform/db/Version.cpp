#include "platform/db/Version.h"

#include "platform/db/OdbcHandles.h"

#include <exception>

namespace db {

std::string DataAccessVersion()
{
    try {
        // The process-wide environment: allocated here once, reused by every connection.
        OdbcEnvironment();
        return kDataAccessVersion;
    } catch (const std::exception&) {
        return "0.0";
    }
}

}  // namespace db
