#include "odbc/SqlError.h"

#include "odbc/OdbcApi.h"

#include <cstring>
#include <limits>

namespace odbc {

namespace {

// Most diagnostic texts fit; a longer one is read again at its full length.
constexpr SQLSMALLINT kFirstTextBuffer = 256;
constexpr SQLSMALLINT kLargestTextBuffer = std::numeric_limits<SQLSMALLINT>::max();

bool NeedsRecords(SQLRETURN code) { return code == SQL_SUCCESS_WITH_INFO || code == SQL_ERROR; }

}  // namespace

std::vector<TDiagRecord> ReadDiagRecords(SQLSMALLINT handleType, SQLHANDLE handle)
{
    const TOdbcApi& api = Odbc();
    std::vector<TDiagRecord> records;
    for (SQLSMALLINT number = 1; number < std::numeric_limits<SQLSMALLINT>::max(); ++number) {
        SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
        SQLINTEGER native = 0;
        std::string text(static_cast<std::size_t>(kFirstTextBuffer), '\0');
        SQLSMALLINT length = 0;
        SQLRETURN r = SQL_ERROR;
        for (;;) {
            r = api.SQLGetDiagRec(handleType, handle, number, state, &native,
                                  reinterpret_cast<SQLCHAR*>(text.data()), static_cast<SQLSMALLINT>(text.size()), &length);
            // SQL_SUCCESS_WITH_INFO here means the text did not fit: ask again with room for it.
            const auto size = static_cast<SQLSMALLINT>(text.size());
            if (r != SQL_SUCCESS_WITH_INFO || length < size || size == kLargestTextBuffer) break;
            text.assign(static_cast<std::size_t>(length < kLargestTextBuffer ? length + 1 : kLargestTextBuffer), '\0');
        }
        if (!SQL_SUCCEEDED(r)) break;
        text.resize(strnlen(text.data(), text.size()));
        records.push_back({std::string(reinterpret_cast<const char*>(state)), native, std::move(text)});
    }
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
