// Fuzz target of date-time picture formats (FormatDateTime): the format text is the input
// after a few bytes that choose the date and time, the regional settings, and the settings'
// own picture formats (which "c", "ddddd", "dddddd", "t" and "tt" bring in, so that formats
// naming each other are tried too).
//
// Promises checked: any format gives text (no crash, no hang, no runaway growth), valid UTF-8
// when the formats are; a format of no token characters is written as it stands.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzSupport.h"
#include "fuzz/Settings.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Formatting.h"
#include "platform/rtl/SysUtils.h"

namespace {

bool HasTokenCharacters(std::string_view format)
{
    for (const char c : format)
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '\'' || c == '"' || c == '/' || c == ':')
            return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider provider(data, size);
    rtl::TFormatSettings settings = fuzz::SettingsNumber(provider.ConsumeIntegralInRange(0, fuzz::kSettingsCount - 1));
    // Days 1 January 1 to 31 December 9999, any millisecond of the day.
    rtl::TDateTime date = 0, time = 0;
    fuzz::Check(rtl::TryEncodeDate(provider.ConsumeIntegralInRange(1, 9999), provider.ConsumeIntegralInRange(1, 12),
                                   provider.ConsumeIntegralInRange(1, 28), date),
                "a date in range encodes");
    fuzz::Check(rtl::TryEncodeTime(provider.ConsumeIntegralInRange(0, 23), provider.ConsumeIntegralInRange(0, 59),
                                   provider.ConsumeIntegralInRange(0, 59), provider.ConsumeIntegralInRange(0, 999), time),
                "a time of day encodes");
    const rtl::TDateTime value = rtl::ComposeDateTime(date, time);
    if (provider.ConsumeBool()) {
        settings.ShortDateFormat = provider.ConsumeRandomLengthString(24);
        settings.LongDateFormat = provider.ConsumeRandomLengthString(24);
        settings.ShortTimeFormat = provider.ConsumeRandomLengthString(24);
        settings.LongTimeFormat = provider.ConsumeRandomLengthString(24);
    }
    const std::string format = provider.ConsumeRemainingBytesAsString();

    const std::string text = rtl::FormatDateTime(format, value, settings);
    const bool valid = rtl::IsValidUtf8(format) && rtl::IsValidUtf8(settings.ShortDateFormat) &&
                       rtl::IsValidUtf8(settings.LongDateFormat) && rtl::IsValidUtf8(settings.ShortTimeFormat) &&
                       rtl::IsValidUtf8(settings.LongTimeFormat);
    if (valid) fuzz::Check(rtl::IsValidUtf8(text), "valid formats give valid text");
    if (!format.empty() && !HasTokenCharacters(format)) fuzz::Check(text == format, "a format without tokens stands as it is");
    return 0;
}
