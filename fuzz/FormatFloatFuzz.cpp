// Fuzz target of number picture formats (FormatFloat and FormatDecimal): the format text is
// the input after a few bytes that choose the value and the regional settings.
//
// Promises checked: any format gives text (no crash, no hang), valid UTF-8 when the format
// is; a value of at most 15 significant digits formats the same whether it comes as a double
// or as its exact decimal text; a negative value in a format without a negative section is
// the positive text with a leading "-" (or, rounded to nothing, the zero text).

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/FuzzSupport.h"
#include "fuzz/Settings.h"
#include "platform/rtl/Formatting.h"
#include "platform/rtl/SysUtils.h"

namespace {

// The exact decimal text of mantissa x 10^exponent ("-0.00123", "4500").
std::string DecimalText(bool negative, std::uint64_t mantissa, int exponent)
{
    std::string digits = std::to_string(mantissa);
    if (mantissa == 0) {
        digits = "0";
    } else if (exponent >= 0) {
        digits.append(static_cast<std::size_t>(exponent), '0');
    } else {
        const auto places = static_cast<std::size_t>(-exponent);
        if (digits.size() <= places) digits.insert(0, places - digits.size() + 1, '0');
        digits.insert(digits.size() - places, ".");
    }
    return (negative ? "-" : "") + digits;
}

bool HasNegativeSection(std::string_view format)
{
    // As the formatter splits: ";" outside quotes.
    char quote = 0;
    std::size_t i = 0;
    for (; i < format.size(); ++i) {
        const char c = format[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == ';') {
            break;
        }
    }
    if (i >= format.size()) return false;
    const std::size_t next = i + 1;
    return next < format.size() && format[next] != ';';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider provider(data, size);
    const rtl::TFormatSettings settings = fuzz::SettingsNumber(provider.ConsumeIntegralInRange(0, fuzz::kSettingsCount - 1));
    const bool negative = provider.ConsumeBool();
    const std::uint64_t mantissa = provider.ConsumeIntegralInRange<std::uint64_t>(0, 999'999'999'999'999);
    const int exponent = provider.ConsumeIntegralInRange(-25, 25);
    const double raw = provider.ConsumeFloatingPoint<double>();
    const std::string format = provider.ConsumeRemainingBytesAsString();
    const bool validFormat = rtl::IsValidUtf8(format);

    // Any double, NaN and infinities included.
    const std::string rawText = rtl::FormatFloat(format, raw, settings);
    if (validFormat) fuzz::Check(rtl::IsValidUtf8(rawText), "valid text formats to valid text");

    // A short decimal: the double and the exact text agree.
    const std::string text = DecimalText(negative, mantissa, exponent);
    const double value = std::strtod(text.c_str(), nullptr);
    const std::string fromDouble = rtl::FormatFloat(format, value, settings);
    fuzz::Check(fromDouble == rtl::FormatDecimal(format, text, settings), "a double and its decimal text format the same");
    if (validFormat) fuzz::Check(rtl::IsValidUtf8(fromDouble), "valid text formats to valid text");

    // The sign of a format without a negative section.
    if (negative && mantissa != 0 && !HasNegativeSection(format)) {
        const std::string positive = rtl::FormatFloat(format, -value, settings);
        fuzz::Check(fromDouble == "-" + positive || fromDouble == rtl::FormatFloat(format, 0.0, settings),
                    "a negative value is the positive text after a minus");
    }
    return 0;
}
