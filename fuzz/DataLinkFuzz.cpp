// Fuzz target of the data-link (".udl") reader: the bytes are the file. Whatever the file
// holds, the reader answers S_OK or STG_E_INVALIDHEADER and leaves the string alone on
// failure; a string it reads is one line of valid UTF-8, and, written back as a data-link
// file, reads again to the same string.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzSupport.h"
#include "platform/db/DataLinks.h"
#include "platform/rtl/SysUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static fuzz::InputFile file;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const std::string untouched = "untouched";
    std::string initString = untouched;
    const db::HRESULT hr = db::LoadStringFromStorage(file.Hold(bytes), initString);
    fuzz::Check(hr == db::S_OK || hr == db::STG_E_INVALIDHEADER, "a readable file gives S_OK or an invalid header");
    if (hr != db::S_OK) {
        fuzz::Check(initString == untouched, "a failed read leaves the string alone");
        return 0;
    }
    fuzz::Check(initString.find('\n') == std::string::npos, "the string is one line");
    fuzz::Check(rtl::IsValidUtf8(initString), "the string is valid UTF-8");

    // A string the writer accepts (no line break) survives writing and reading.
    if (initString.find('\r') == std::string::npos) {
        std::string again;
        fuzz::Check(db::LoadStringFromStorage(file.Hold(db::FormatDataLinkFile(initString)), again) == db::S_OK,
                    "a written file reads");
        fuzz::Check(again == initString, "a written string reads back the same");
    }
    return 0;
}
