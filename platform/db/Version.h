#pragma once
// The data layer's own version text, which the program checks once at start before it opens
// any window. The layer answers a fixed text while the ODBC driver manager answers (an ODBC 3
// environment can be allocated), and "0.0" when it does not, so the start-up check can tell
// the user that unixODBC is missing or broken instead of failing at the first connect.

#include <string>

namespace db {

// The version of the data-access layer that this build is.
inline constexpr const char* kDataAccessVersion = "2.8";

// kDataAccessVersion when the driver manager answers, else "0.0". Never raises.
std::string DataAccessVersion();

}  // namespace db
