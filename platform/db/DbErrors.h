#pragma once
// Errors of the data access layer.

#include <string>
#include <vector>

#include "platform/rtl/Exceptions.h"

namespace classes {
class TComponent;
}

namespace db {

// The class library's database error: a misused data set or field, or a failed database
// operation.
class EDatabaseError : public rtl::Exception {
    using Exception::Exception;
};

// One diagnostic record of a failed ODBC call.
struct TOdbcDiagRecord {
    std::string sqlState;  // five characters, "08S01"
    int nativeError = 0;
    std::string message;   // whole, however long
};

// A failed database operation; the message is the driver's (its records' texts, one per
// line). A lost connection says so first.
class EADOError : public EDatabaseError {
public:
    EADOError(std::string message, std::vector<TOdbcDiagRecord> records, bool connectionLost = false)
        : EDatabaseError(std::move(message)), records_(std::move(records)), connectionLost_(connectionLost)
    {
    }
    const std::vector<TOdbcDiagRecord>& Records() const noexcept { return records_; }
    // The first record's SQLSTATE, or empty.
    std::string SqlState() const { return records_.empty() ? std::string() : records_.front().sqlState; }
    bool ConnectionLost() const noexcept { return connectionLost_; }

private:
    std::vector<TOdbcDiagRecord> records_;
    bool connectionLost_;
};

// Raises EDatabaseError with `message`, prefixed by "<name>: " when `component` has a name,
// as the class library reports data set errors.
[[noreturn]] void DatabaseError(const std::string& message, const classes::TComponent* component = nullptr);

}  // namespace db
