#pragma once
// The one reader of an ODBC handle's diagnostic records, for the data layer (which links the
// driver manager) and for the ODBC components (which load it at run time and call it through
// their own binding). Each passes its own SQLGetDiagRec; both then read the same driver
// message as the same text.
//
// A record's text is read whole, up to the longest text a call can hand out (32766 bytes);
// drivers have bounds of their own below that. Its line ends are made one kind: CR LF and
// a lone CR become LF, and line ends at the end of the text are dropped, since the texts are
// shown one per line and joined with LF. The text ends at the length the driver gave, or at a
// NUL byte before it.
//
// The header needs no ODBC header (handles are untyped pointers, as in OdbcHandle.h); the
// function type is the ODBC prototype's own, so `&SQLGetDiagRec` or a loaded entry point
// converts to it directly.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/DbErrors.h"

namespace db {

// SQLGetDiagRec(handle type, handle, record number, SQLSTATE buffer of 6 bytes, native error,
// text buffer, its size in bytes, text length).
using TOdbcGetDiagRec = std::int16_t (*)(std::int16_t handleType, void* handle, std::int16_t record,
                                         unsigned char* sqlState, std::int32_t* nativeError, unsigned char* text,
                                         std::int16_t textSize, std::int16_t* textLength);

// Every diagnostic record of the handle in record order; stops at the first record that
// cannot be read. None for a null handle.
std::vector<TOdbcDiagRecord> ReadOdbcDiagRecords(TOdbcGetDiagRec getDiagRec, std::int16_t handleType, void* handle);

// A driver's text with its line ends made one kind (see above).
std::string OdbcDiagnosticText(std::string_view text);

}  // namespace db
