#include "odbc/SqlError.h"

#include "odbc/OdbcApi.h"
#include "platform/db/OdbcDiagnostics.h"

namespace odbc {

namespace {

bool NeedsRecords(SQLRETURN code) { return code == SQL_SUCCESS_WITH_INFO || code == SQL_ERROR; }

}  // namespace

std::vector<TDiagRecord> ReadDiagRecords(SQLSMALLINT handleType, SQLHANDLE handle)
{
    // The data layer's reader, through this binding's entry point, so a driver's message
    // reads the same here as there.
    std::vector<TDiagRecord> records;
    for (db::TOdbcDiagRecord& r : db::ReadOdbcDiagRecords(Odbc().SQLGetDiagRec, handleType, handle))
        records.push_back({std::move(r.sqlState), r.nativeError, std::move(r.message)});
    return records;
}

std::string SQLResultName(int code)
{
    switch (code) {
    case SQL_SUCCESS: return "SQL_SUCCESS";
    case SQL_SUCCESS_WITH_INFO: return "SQL_SUCCESS_WITH_INFO";
    case SQL_STILL_EXECUTING: return "SQL_STILL_EXECUTING";
    case SQL_NEED_DATA: return "SQL_NEED_DATA";
    case SQL_NO_DATA: return "SQL_NO_DATA";
    case SQL_ERROR: return "SQL_ERROR";
    case SQL_INVALID_HANDLE: return "SQL_INVALID_HANDLE";
    default: return "unknown SQL result" + std::to_string(code);
    }
}

ESQLerror::ESQLerror(SQLSMALLINT handleType, SQLRETURN returnCode, SQLHANDLE handle)
    : ESQLerror(returnCode, NeedsRecords(returnCode) ? ReadDiagRecords(handleType, handle) : std::vector<TDiagRecord>{})
{
}

ESQLerror::ESQLerror(SQLRETURN returnCode, const std::vector<TDiagRecord>& records)
    : Exception(SQLResultName(returnCode)),
      errors_(std::make_shared<rtl::TStringList>()),
      nativeError_(returnCode),
      returnCode_(returnCode)
{
    for (const TDiagRecord& record : records) {
        errors_->Add(record.SQLState + ":" + record.Text);
        nativeError_ = record.NativeError;
    }
    if (!records.empty()) {
        sqlState_ = records.front().SQLState;
        SetMessage(errors_->Strings(0));
    }
}

ESQLerror::ESQLerror(std::string message, SQLRETURN returnCode)
    : Exception(std::move(message)), nativeError_(returnCode), returnCode_(returnCode)
{
}

}  // namespace odbc
