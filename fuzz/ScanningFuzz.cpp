// Fuzz target of the grid library's scanners of typed dates, times and numbers: the text is
// the input after a few bytes that choose the regional settings, the epoch year, a caret and
// a date to write and read back. Epoch years stay within four digits (what the controls
// take).
//
// Promises checked: any text scans without a crash or a hang; the caret part is one of the
// parts; a date written in the short date format reads back as that date; a text that is a
// whole date reads as that date, with no time.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzSupport.h"
#include "fuzz/Settings.h"
#include "grid/Scanning.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Formatting.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider provider(data, size);
    rtl::FormatSettings() = fuzz::SettingsNumber(provider.ConsumeIntegralInRange(0, fuzz::kSettingsCount - 1));
    const int epoch = provider.ConsumeIntegralInRange(0, 9999);
    const int caret = provider.ConsumeIntegralInRange(-2, 300);
    const bool timeOnly = provider.ConsumeBool();
    const int year = provider.ConsumeIntegralInRange(100, 9999);
    const int month = provider.ConsumeIntegralInRange(1, 12);
    const int day = provider.ConsumeIntegralInRange(1, 28);
    const std::string displayFormat = provider.ConsumeRandomLengthString(16);
    const std::string text = provider.ConsumeRemainingBytesAsString();

    // Whatever the text.
    rtl::TDateTime date = 0;
    (void)grid::gkScanDateWithEpoch(text, epoch, date);
    const rtl::TDateTime fromStart = grid::gkStrToDate(text);
    const rtl::TDateTime whole = grid::gkStrToDateTime(text);
    if (grid::gkIsValidDate(text)) fuzz::Check(whole == fromStart, "a whole date reads as that date and no time");
    (void)grid::gkStrToTime(text);
    (void)grid::gkIsValidFloat(text);
    double number = 0;
    (void)grid::gkStrToFloatDisplay(text, displayFormat, number);
    const int part = grid::gkGetDateTimePart(caret, text, timeOnly);
    fuzz::Check(part >= grid::gkPartDay && part <= grid::gkPartAmPm, "the caret is in a part");
    const int timePart = grid::gkGetTimePart(caret, text);
    fuzz::Check(timePart >= grid::gkPartHour && timePart <= grid::gkPartAmPm, "the caret is in a time part");
    int pos = caret;
    int n = 0;
    (void)grid::gkScanNumber(text, pos, n);
    pos = caret;
    rtl::TDateTime time = 0;
    (void)grid::gkScanTime(text, pos, time);

    // A date as the short date format writes it reads back.
    rtl::TDateTime written = 0;
    fuzz::Check(rtl::TryEncodeDate(year, month, day, written), "a date in range encodes");
    const std::string shown = rtl::FormatDateTime("ddddd", written, rtl::FormatSettings());
    rtl::TDateTime read = 0;
    fuzz::Check(grid::gkScanDateWithEpoch(shown, epoch, read) && read == written, "a written date reads back");
    return 0;
}
