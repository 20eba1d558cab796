// Fuzz target of the RTF reader and writer of the rich-text model. The input is the stored
// text as a blob field holds it: RTF, or any other bytes read as plain text.
//
// Promises checked: reading never fails, runs past the end or loses its paragraphs; the text
// is valid UTF-8; what is written reads back to the same model and writes out the same bytes
// again; an RTF input's model survives its own write.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzSupport.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/RichText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const ui::rtf::Document first = ui::rtf::ReadRtf(input);
    fuzz::Check(!first.paragraphs.empty(), "a document has a paragraph");
    fuzz::Check(rtl::IsValidUtf8(first.PlainText()), "the text is UTF-8");

    const std::string written = ui::rtf::WriteRtf(first);
    fuzz::Check(ui::rtf::IsRtf(written), "the writer writes RTF");
    const ui::rtf::Document second = ui::rtf::ReadRtf(written);
    if (ui::rtf::IsRtf(input)) fuzz::Check(second == first, "a read model survives its write");
    const std::string again = ui::rtf::WriteRtf(second);
    fuzz::Check(again == written, "a second write gives the same bytes");
    fuzz::Check(ui::rtf::ReadRtf(again) == second, "a written model reads back the same");
    return 0;
}
