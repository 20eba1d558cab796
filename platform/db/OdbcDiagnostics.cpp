#include "platform/db/OdbcDiagnostics.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <type_traits>

namespace db {

static_assert(std::is_same_v<TOdbcGetDiagRec, decltype(&::SQLGetDiagRec)>,
              "the reader's function type is the driver manager's prototype");

namespace {

// Every call is made with the largest buffer a text length can state. Smaller is not safe:
// unixODBC hands a Unicode driver's long message to a narrow caller in pieces the size of
// the caller's buffer, each piece a record of its own, so a message read with a small buffer
// could never be put together again.
constexpr std::int16_t kTextSize = std::numeric_limits<std::int16_t>::max();

}  // namespace

std::string OdbcDiagnosticText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            out += text[i];
            continue;
        }
        out += '\n';
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    }
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

std::vector<TOdbcDiagRecord> ReadOdbcDiagRecords(TOdbcGetDiagRec getDiagRec, std::int16_t handleType, void* handle)
{
    std::vector<TOdbcDiagRecord> records;
    if (handle == nullptr) return records;
    std::vector<unsigned char> text(static_cast<std::size_t>(kTextSize));
    for (std::int16_t number = 1; number < std::numeric_limits<std::int16_t>::max(); ++number) {
        unsigned char state[SQL_SQLSTATE_SIZE + 1] = {};
        std::int32_t native = 0;
        std::int16_t length = 0;
        // SQL_SUCCESS_WITH_INFO: a text longer still, of which the buffer holds what it can.
        const std::int16_t rc = getDiagRec(handleType, handle, number, state, &native, text.data(), kTextSize, &length);
        if (!SQL_SUCCEEDED(rc)) break;
        const std::size_t room = text.size() - 1;
        const std::size_t given = length < 0 ? room : std::min(static_cast<std::size_t>(length), room);
        const auto* begin = reinterpret_cast<const char*>(text.data());
        TOdbcDiagRecord r;
        state[SQL_SQLSTATE_SIZE] = 0;
        r.sqlState.assign(reinterpret_cast<const char*>(state));
        r.nativeError = native;
        r.message = OdbcDiagnosticText(std::string_view(begin, strnlen(begin, given)));
        records.push_back(std::move(r));
    }
    return records;
}

}  // namespace db
