#pragma once
// ESQLerror: the exception of every failed ODBC call, holding the call's diagnostic records.

#include <memory>
#include <string>
#include <vector>

#include "odbc/OdbcSql.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringList.h"

namespace odbc {

// One diagnostic record of a handle.
struct TDiagRecord {
    std::string SQLState;
    TNativeError NativeError = 0;
    std::string Text;
    friend bool operator==(const TDiagRecord&, const TDiagRecord&) = default;
};

// Every diagnostic record of the handle, in record order, each text whole and with its line
// ends made LF (the data layer's reader, platform/db/OdbcDiagnostics.h). Stops at the first
// record that cannot be read.
std::vector<TDiagRecord> ReadDiagRecords(THandleType handleType, THandle handle);

// "SQL_SUCCESS", "SQL_SUCCESS_WITH_INFO", "SQL_STILL_EXECUTING", "SQL_NEED_DATA",
// "SQL_NO_DATA", "SQL_ERROR", "SQL_INVALID_HANDLE"; otherwise "unknown SQL result" followed
// directly by the code in decimal.
std::string SQLResultName(int code);

class ESQLerror : public rtl::Exception {
public:
    // The failed call's result and the records of the handle it was made on. Records are
    // read only for SQL_SUCCESS_WITH_INFO and SQL_ERROR; any other result gives the result's
    // name as the message and no records.
    ESQLerror(THandleType handleType, TSqlReturn returnCode, THandle handle);
    // The same from records already read. The message is the first record as
    // SQLSTATE + ":" + text, or the result's name when there is none.
    ESQLerror(TSqlReturn returnCode, const std::vector<TDiagRecord>& records);
    // A failure that carries no records: Errors() is nullptr and SQLState() empty.
    explicit ESQLerror(std::string message, TSqlReturn returnCode = kSqlError);

    // One line per record, SQLSTATE + ":" + text; nullptr for a message-only error.
    const rtl::TStringList* Errors() const noexcept { return errors_.get(); }
    // The first record's SQLSTATE; empty when no record was read.
    const std::string& SQLState() const noexcept { return sqlState_; }
    // The native error of the last record read; the result code when none was read.
    TNativeError NativeError() const noexcept { return nativeError_; }
    // The result of the failed call.
    TSqlReturn ReturnCode() const noexcept { return returnCode_; }

private:
    std::shared_ptr<rtl::TStringList> errors_;
    std::string sqlState_;
    TNativeError nativeError_ = 0;
    TSqlReturn returnCode_ = kSqlError;
};

}  // namespace odbc
