#include "platform/rtl/Formatting.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace rtl {

// ==== Decimal digits of a double =============================================================

namespace {

// A non-negative number as decimal digits: value = 0.d1 d2 d3 ... x 10^exponent. The digits
// carry no leading or trailing zeros; none at all means zero.
struct Decimal {
    std::string digits;
    int exponent = 0;

    bool IsZero() const { return digits.empty(); }
};

void StripTrailingZeros(Decimal& d)
{
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    if (d.digits.empty())
        d.exponent = 0;
}

// Reads std::to_chars' scientific form "d.ddde+XX".
Decimal ParseScientific(const char* first, const char* last)
{
    Decimal d;
    const char* p = first;
    for (; p != last && *p != 'e'; ++p)
        if (*p != '.')
            d.digits += *p;
    int exp10 = 0;
    if (p != last)
        std::from_chars(p + (p[1] == '+' ? 2 : 1), last, exp10);
    d.exponent = exp10 + 1;
    StripTrailingZeros(d);
    return d;
}

// The digits of |value|. Binary noise beyond the 15th significant digit is left out (so 1.005
// reads as 1.005 and 0.1 + 0.2 as 0.3); integer parts longer than that keep up to the 17 digits
// that identify a double.
Decimal ToDecimal(double value)
{
    const double magnitude = std::fabs(value);
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific);
    Decimal d = ParseScientific(buf, r.ptr);
    const int limit = std::clamp(d.exponent, 15, 17);
    if (static_cast<int>(d.digits.size()) > limit) {
        r = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, limit - 1);
        d = ParseScientific(buf, r.ptr);
    }
    return d;
}

// Keeps the first `keep` digits, rounding half away from zero on the first digit dropped.
void RoundToDigits(Decimal& d, int keep)
{
    if (keep >= static_cast<int>(d.digits.size()))
        return;
    if (keep < 0) {
        d = Decimal{};
        return;
    }
    const bool up = d.digits[keep] >= '5';
    d.digits.resize(keep);
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[i] == '9')
            d.digits[i--] = '0';
        if (i < 0) {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        } else {
            ++d.digits[i];
        }
    }
    StripTrailingZeros(d);
}

std::string NonFiniteText(double value)
{
    if (std::isnan(value))
        return "NAN";
    return value < 0 ? "-INF" : "INF";
}

}  // namespace

namespace {

// FloatToStr for a value whose shortest digits are at most 15 and that is written in fixed
// notation (the common case: prices, measures), without building a Decimal. False when the
// general path is needed.
bool ShortFixedText(double value, const TFormatSettings& settings, std::string& out)
{
    // Most such values are a whole number of hundredths or so: m / 10^k with m whole and below
    // 10^15. Any decimal of at most 15 digits is the only one that reads back as its double,
    // so when m / 10^k reads back as the value, its digits are the shortest ones.
    static constexpr double kTens[] = {1, 10, 100, 1000, 10000, 100000, 1000000};
    const double magnitude = std::fabs(value);
    if (magnitude >= 0.0001 && magnitude < 1e15) {
        for (int k = 0; k < static_cast<int>(std::size(kTens)); ++k) {
            const double m = magnitude * kTens[k];
            if (m >= 1e15)
                break;
            if (m != std::floor(m) || m / kTens[k] != magnitude)
                continue;
            char digits[24];
            const auto r = std::to_chars(digits, digits + sizeof digits, static_cast<long long>(m));
            int count = static_cast<int>(r.ptr - digits);
            int places = k;
            while (places > 0 && digits[count - 1] == '0') {
                --count;
                --places;
            }
            const int whole = count - places;
            if (value < 0)
                out += '-';
            if (whole <= 0) {
                out += '0';
                out += settings.DecimalSeparator;
                out.append(static_cast<std::size_t>(-whole), '0');
                out.append(digits, static_cast<std::size_t>(count));
            } else {
                out.append(digits, static_cast<std::size_t>(whole));
                if (places > 0) {
                    out += settings.DecimalSeparator;
                    out.append(digits + whole, static_cast<std::size_t>(places));
                }
            }
            return true;
        }
    }
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific);
    char digits[24];
    int count = 0;
    const char* p = buf;
    for (; p != r.ptr && *p != 'e'; ++p)
        if (*p != '.') {
            if (count == 15)
                return false;
            digits[count++] = *p;
        }
    while (count > 0 && digits[count - 1] == '0')
        --count;
    if (count == 0 || p == r.ptr)
        return false;  // zero, or no exponent: leave it to the general path
    int exp10 = 0;
    std::from_chars(p + (p[1] == '+' ? 2 : 1), r.ptr, exp10);
    const int e = exp10 + 1;
    if (e > 15 || e < -3)
        return false;
    out.reserve(static_cast<std::size_t>(count) + 8);
    if (value < 0)
        out += '-';
    if (e <= 0) {
        out += '0';
        out += settings.DecimalSeparator;
        out.append(static_cast<std::size_t>(-e), '0');
        out.append(digits, static_cast<std::size_t>(count));
    } else {
        out.append(digits, static_cast<std::size_t>(std::min(e, count)));
        if (count < e)
            out.append(static_cast<std::size_t>(e - count), '0');
        else if (count > e) {
            out += settings.DecimalSeparator;
            out.append(digits + e, static_cast<std::size_t>(count - e));
        }
    }
    return true;
}

}  // namespace

std::string FloatToStr(double value, const TFormatSettings& settings)
{
    if (!std::isfinite(value))
        return NonFiniteText(value);
    std::string text;
    if (ShortFixedText(value, settings, text))
        return text;
    Decimal d = ToDecimal(value);
    RoundToDigits(d, 15);
    if (d.IsZero())
        return "0";
    std::string out = value < 0 ? "-" : "";
    const int e = d.exponent;
    const int count = static_cast<int>(d.digits.size());
    if (e > 15 || e < -3) {
        out += d.digits[0];
        if (count > 1)
            out += settings.DecimalSeparator + d.digits.substr(1);
        out += 'E';
        out += std::to_string(e - 1);
    } else if (e <= 0) {
        out += '0' + settings.DecimalSeparator + std::string(-e, '0') + d.digits;
    } else {
        out += d.digits.substr(0, std::min(e, count));
        if (count < e)
            out.append(e - count, '0');
        else if (count > e)
            out += settings.DecimalSeparator + d.digits.substr(e);
    }
    return out;
}

// ==== FormatFloat ============================================================================

namespace {

struct MaskToken {
    enum Kind { Literal, Digit, Point, Comma, Exponent } kind;
    std::string_view text;  // Literal: the text; Digit: "0" or "#"; Exponent: "E+" etc.
    int zeros = 0;          // Exponent: minimum digits of the exponent
};

// Steps through one section of a mask. Only the first E+/E-/e+/e- is an exponent.
class MaskReader {
public:
    explicit MaskReader(std::string_view section) : s_(section) {}

    bool Next(MaskToken& t)
    {
        if (i_ >= s_.size())
            return false;
        const char c = s_[i_];
        if (c == '\'' || c == '"') {
            const std::size_t close = s_.find(c, i_ + 1);
            const std::size_t end = close == std::string_view::npos ? s_.size() : close;
            t = {MaskToken::Literal, s_.substr(i_ + 1, end - i_ - 1)};
            i_ = close == std::string_view::npos ? end : end + 1;
            return true;
        }
        if (c == '0' || c == '#') {
            t = {MaskToken::Digit, s_.substr(i_++, 1)};
            return true;
        }
        if (c == '.' || c == ',') {
            t = {c == '.' ? MaskToken::Point : MaskToken::Comma, s_.substr(i_++, 1)};
            return true;
        }
        if ((c == 'E' || c == 'e') && !exponentSeen_ && i_ + 1 < s_.size()
            && (s_[i_ + 1] == '+' || s_[i_ + 1] == '-')) {
            exponentSeen_ = true;
            t = {MaskToken::Exponent, s_.substr(i_, 2)};
            i_ += 2;
            while (i_ < s_.size() && s_[i_] == '0') {
                ++t.zeros;
                ++i_;
            }
            t.zeros = std::min(t.zeros, 4);
            return true;
        }
        t = {MaskToken::Literal, s_.substr(i_++, 1)};
        return true;
    }

private:
    std::string_view s_;
    std::size_t i_ = 0;
    bool exponentSeen_ = false;
};

struct MaskLayout {
    int intPlaces = 0;   // digit placeholders before the decimal point
    int minInt = 0;      // integer digits always written (from the first "0" on)
    int fracPlaces = 0;  // digit placeholders after the decimal point
    int minFrac = 0;     // fraction digits always written (up to the last "0")
    bool grouping = false;
    bool scientific = false;
};

MaskLayout AnalyseSection(std::string_view section)
{
    MaskLayout m;
    int firstZero = -1;
    bool afterPoint = false;
    MaskReader reader(section);
    MaskToken t;
    while (reader.Next(t)) {
        switch (t.kind) {
        case MaskToken::Digit:
            if (!afterPoint) {
                if (t.text[0] == '0' && firstZero < 0)
                    firstZero = m.intPlaces;
                ++m.intPlaces;
            } else {
                ++m.fracPlaces;
                if (t.text[0] == '0')
                    m.minFrac = m.fracPlaces;
            }
            break;
        case MaskToken::Point: afterPoint = true; break;
        case MaskToken::Comma:
            if (!afterPoint)
                m.grouping = true;
            break;
        case MaskToken::Exponent: m.scientific = true; break;
        case MaskToken::Literal: break;
        }
    }
    m.minInt = firstZero < 0 ? 0 : m.intPlaces - firstZero;
    return m;
}

// The digits a section writes for a magnitude.
struct MaskDigits {
    std::string integer;
    std::string fraction;
    int exponent = 0;
    bool zero = false;
};

MaskDigits LayOutDigits(const MaskLayout& m, Decimal d)
{
    MaskDigits r;
    int intCount;  // how many of d's digits form the integer part
    if (m.scientific) {
        RoundToDigits(d, std::max(1, m.intPlaces + m.fracPlaces));
        r.exponent = d.IsZero() ? 0 : d.exponent - m.intPlaces;
        intCount = d.IsZero() ? 0 : m.intPlaces;
    } else {
        RoundToDigits(d, d.exponent + m.fracPlaces);
        intCount = std::max(d.exponent, 0);
    }
    r.zero = d.IsZero();
    const int count = static_cast<int>(d.digits.size());
    r.integer = d.digits.substr(0, std::min(intCount, count));
    if (count < intCount)
        r.integer.append(intCount - count, '0');
    if (static_cast<int>(r.integer.size()) < m.minInt)
        r.integer.insert(0, m.minInt - r.integer.size(), '0');
    // A mantissa is never empty: zero under "#" placeholders alone ("#.###E-0") is "0E0".
    if (m.scientific && r.zero && r.integer.empty() && m.intPlaces > 0)
        r.integer = "0";
    if (!m.scientific && d.exponent < 0 && !r.zero)
        r.fraction.assign(-d.exponent, '0');
    if (count > intCount)
        r.fraction += d.digits.substr(intCount);
    if (static_cast<int>(r.fraction.size()) < m.minFrac)
        r.fraction.append(m.minFrac - r.fraction.size(), '0');
    return r;
}

std::string ApplySection(std::string_view section, const MaskLayout& m, const MaskDigits& digits,
                         bool minus, const TFormatSettings& settings)
{
    std::string out = minus ? "-" : "";
    const std::string& integer = digits.integer;
    const int len = static_cast<int>(integer.size());
    auto putIntDigit = [&](int index) {
        out += integer[index];
        const int fromRight = len - 1 - index;
        if (m.grouping && fromRight > 0 && fromRight % 3 == 0)
            out += settings.ThousandSeparator;
    };
    auto putAllInt = [&] {
        for (int k = 0; k < len; ++k)
            putIntDigit(k);
    };
    int intSeen = 0;
    int fracSeen = 0;
    bool afterPoint = false;
    MaskReader reader(section);
    MaskToken t;
    while (reader.Next(t)) {
        switch (t.kind) {
        case MaskToken::Literal: out += t.text; break;
        case MaskToken::Comma: break;
        case MaskToken::Digit:
            if (!afterPoint) {
                // The first placeholder also writes the digits that have no placeholder of their own.
                const int index = len - (m.intPlaces - intSeen);
                if (intSeen == 0) {
                    for (int k = 0; k <= index; ++k)
                        putIntDigit(k);
                } else if (index >= 0) {
                    putIntDigit(index);
                }
                ++intSeen;
            } else {
                if (fracSeen < static_cast<int>(digits.fraction.size()))
                    out += digits.fraction[fracSeen];
                ++fracSeen;
            }
            break;
        case MaskToken::Point:
            if (!afterPoint) {
                afterPoint = true;
                if (m.intPlaces == 0)
                    putAllInt();
                if (!digits.fraction.empty())
                    out += settings.DecimalSeparator;
            }
            break;
        case MaskToken::Exponent: {
            out += t.text[0];
            if (digits.exponent < 0)
                out += '-';
            else if (t.text[1] == '+')
                out += '+';
            const std::string e = std::to_string(std::abs(digits.exponent));
            if (static_cast<int>(e.size()) < t.zeros)
                out.append(t.zeros - e.size(), '0');
            out += e;
            break;
        }
        }
    }
    return out;
}

// Splits a mask at ";" outside quotes; sections after the third are not used.
std::vector<std::string_view> SplitSections(std::string_view format)
{
    std::vector<std::string_view> sections;
    std::size_t start = 0;
    char quote = 0;
    for (std::size_t i = 0; i <= format.size() && sections.size() < 3; ++i) {
        // The end closes the last section, also inside an unterminated quote.
        const char c = i < format.size() ? format[i] : ';';
        if (quote && i < format.size()) {
            if (c == quote)
                quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == ';') {
            sections.push_back(format.substr(start, i - start));
            start = i + 1;
        }
    }
    return sections;
}

}  // namespace

// A section of a mask with its layout read once. A plain section (digit placeholders and
// separators in one run, at least one placeholder before any point, literal text only before
// and after the run, no exponent) writes: the minus, `prefix`, the grouped integer digits, the
// point and fraction when there is one, `suffix`; that is what ApplySection's walk gives it.
struct TNumberPicture::Section {
    std::string text;
    MaskLayout layout;
    bool plain = false;
    std::string prefix;
    std::string suffix;
};

namespace {

using NumberSection = TNumberPicture::Section;

NumberSection PrepareSection(std::string_view text)
{
    NumberSection s;
    s.text = text;
    s.layout = AnalyseSection(text);
    enum { Before, Run, After } where = Before;
    bool plain = s.layout.intPlaces > 0 && !s.layout.scientific;
    MaskReader reader(text);
    MaskToken t;
    bool pointSeen = false;
    while (plain && reader.Next(t)) {
        if (t.kind == MaskToken::Literal) {
            if (where == Before)
                s.prefix += t.text;
            else {
                where = After;
                s.suffix += t.text;
            }
        } else if (where == After) {
            plain = false;
        } else {
            // A placeholder before the first point writes the integer digits there.
            if (t.kind == MaskToken::Point && !pointSeen) {
                pointSeen = true;
                if (where == Before)
                    plain = false;
            }
            where = Run;
        }
    }
    s.plain = plain;
    return s;
}

std::vector<NumberSection> PrepareSections(std::string_view format)
{
    std::vector<NumberSection> sections;
    for (std::string_view text : SplitSections(format))
        sections.push_back(PrepareSection(text));
    return sections;
}

void AppendPlainSection(std::string& out, const NumberSection& s, const MaskDigits& digits, bool minus,
                        const TFormatSettings& settings)
{
    if (minus)
        out += '-';
    out += s.prefix;
    const std::string& integer = digits.integer;
    const std::size_t len = integer.size();
    for (std::size_t k = 0; k < len; ++k) {
        out += integer[k];
        const std::size_t fromRight = len - 1 - k;
        if (s.layout.grouping && fromRight > 0 && fromRight % 3 == 0)
            out += settings.ThousandSeparator;
    }
    if (!digits.fraction.empty()) {
        out += settings.DecimalSeparator;
        out += digits.fraction;
    }
    out += s.suffix;
}

// Formats a number given as its sign and decimal digits with the mask's sections; `general`
// writes it when the chosen section is empty, `write` writes the chosen section.
template <class General, class Write>
void FormatNumber(std::string& out, const std::vector<NumberSection>& sections, bool negative,
                  const Decimal& magnitude, General general, Write write, const TFormatSettings& settings)
{
    auto sectionOrPositive = [&](std::size_t index) -> const NumberSection& {
        return index < sections.size() && !sections[index].text.empty() ? sections[index] : sections[0];
    };
    const bool isZero = magnitude.IsZero();
    const NumberSection* section = isZero ? &sectionOrPositive(2) : negative ? &sectionOrPositive(1) : &sections[0];
    if (section->text.empty()) {
        out += general();
        return;
    }
    // A value without a section of its own writes its minus sign in front.
    bool minus = negative && !isZero && (sections.size() < 2 || sections[1].text.empty());
    MaskDigits digits = LayOutDigits(section->layout, magnitude);
    if (digits.zero && !isZero) {
        // Rounded to nothing: written as a zero, without sign.
        section = &sectionOrPositive(2);
        if (section->text.empty()) {
            out += FloatToStr(0.0, settings);
            return;
        }
        minus = false;
        digits = LayOutDigits(section->layout, Decimal{});
    }
    write(*section, digits, minus);
}

// The digits of an exact decimal text ("-123.4500"); false for any other text.
bool ReadDecimalText(std::string_view text, bool& negative, Decimal& d)
{
    // An optional minus, digits, an optional point and more digits.
    std::size_t pos = 0;
    negative = !text.empty() && text[0] == '-';
    if (negative)
        ++pos;
    d = Decimal{};
    bool anyDigit = false;
    bool point = false;
    int integerDigits = 0;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9') {
            anyDigit = true;
            if (d.digits.empty() && c == '0') {
                // Leading zeros carry no digit; after the point they lower the exponent.
                if (point)
                    --d.exponent;
                continue;
            }
            d.digits += c;
            if (!point)
                ++integerDigits;
        } else {
            break;
        }
    }
    if (!anyDigit || pos != text.size())
        return false;
    d.exponent += integerDigits;
    StripTrailingZeros(d);
    return true;
}

[[noreturn]] void NotAFloat(std::string_view text)
{
    throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
}

}  // namespace

std::string FormatFloat(std::string_view format, double value, const TFormatSettings& settings)
{
    if (!std::isfinite(value))
        return NonFiniteText(value);
    std::string out;
    FormatNumber(
        out, PrepareSections(format), value < 0, ToDecimal(value), [&] { return FloatToStr(value, settings); },
        [&](const NumberSection& s, const MaskDigits& digits, bool minus) {
            out += ApplySection(s.text, s.layout, digits, minus, settings);
        },
        settings);
    return out;
}

std::string FormatDecimal(std::string_view format, std::string_view text, const TFormatSettings& settings)
{
    bool negative = false;
    Decimal d;
    if (!ReadDecimalText(text, negative, d))
        NotAFloat(text);
    std::string out;
    FormatNumber(
        out, PrepareSections(format), negative, d,
        [&] { return FloatToStr(StrToFloat(text, TFormatSettings::UsEnglish()), settings); },
        [&](const NumberSection& s, const MaskDigits& digits, bool minus) {
            out += ApplySection(s.text, s.layout, digits, minus, settings);
        },
        settings);
    return out;
}

// ---- TNumberPicture ---------------------------------------------------------------------------

TNumberPicture::TNumberPicture(std::string_view format, const TFormatSettings& settings)
    : sections_(PrepareSections(format)), settings_(settings)
{
}

TNumberPicture::~TNumberPicture() = default;
TNumberPicture::TNumberPicture(const TNumberPicture&) = default;
TNumberPicture& TNumberPicture::operator=(const TNumberPicture&) = default;

namespace {

// Writes a chosen section: a plain one straight, any other by walking its mask.
struct SectionWriter {
    std::string& out;
    const TFormatSettings& settings;
    void operator()(const NumberSection& s, const MaskDigits& digits, bool minus) const
    {
        if (s.plain)
            AppendPlainSection(out, s, digits, minus, settings);
        else
            out += ApplySection(s.text, s.layout, digits, minus, settings);
    }
};

}  // namespace

void TNumberPicture::AppendFloat(std::string& out, double value) const
{
    if (!std::isfinite(value)) {
        out += NonFiniteText(value);
        return;
    }
    FormatNumber(out, sections_, value < 0, ToDecimal(value), [&] { return FloatToStr(value, settings_); },
                 SectionWriter{out, settings_}, settings_);
}

void TNumberPicture::AppendDecimal(std::string& out, std::string_view text) const
{
    bool negative = false;
    Decimal d;
    if (!ReadDecimalText(text, negative, d))
        NotAFloat(text);
    FormatNumber(
        out, sections_, negative, d,
        [&] { return FloatToStr(StrToFloat(text, TFormatSettings::UsEnglish()), settings_); },
        SectionWriter{out, settings_}, settings_);
}

// ==== FormatDateTime =========================================================================

namespace {

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool StartsWithNoCase(std::string_view s, std::size_t pos, std::string_view word)
{
    if (s.size() - pos < word.size())
        return false;
    for (std::size_t k = 0; k < word.size(); ++k)
        if (AsciiUpper(s[pos + k]) != AsciiUpper(word[k]))
            return false;
    return true;
}

// Length of an am/pm, a/p or ampm token at `pos`, 0 when there is none.
std::size_t AmPmTokenLength(std::string_view s, std::size_t pos)
{
    if (StartsWithNoCase(s, pos, "am/pm"))
        return 5;
    if (StartsWithNoCase(s, pos, "ampm"))
        return 4;
    if (StartsWithNoCase(s, pos, "a/p"))
        return 3;
    return 0;
}

bool HasAmPmToken(std::string_view format)
{
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c == '\'' || c == '"') {
            const std::size_t close = format.find(c, i + 1);
            if (close == std::string_view::npos)
                return false;
            i = close;
        } else if ((c == 'a' || c == 'A') && AmPmTokenLength(format, i) > 0) {
            return true;
        }
    }
    return false;
}

void AppendNumber(std::string& out, int value, int minDigits)
{
    char buf[16];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    const std::size_t n = static_cast<std::size_t>(r.ptr - buf);
    if (static_cast<int>(n) < minDigits)
        out.append(minDigits - n, '0');
    out.append(buf, n);
}

struct DateParts {
    int year, month, day, hour, min, sec, msec, dayOfWeek;
};

}  // namespace

// One step of a read format: a text, or a part of the value with its digits or names.
struct TDateTimePicture::Step {
    enum Kind : std::uint8_t {
        Text,        // text
        Day,         // digits 1 or 2
        Month,       // digits 1 or 2
        Year,        // digits 2 (the year's last two) or 4
        Hour,        // digits 1 or 2
        Hour12,      // digits 1 or 2
        Minute,      // digits 1 or 2
        Second,      // digits 1 or 2
        Millisecond, // digits 1 or 3
        ShortDay,
        LongDay,
        ShortMonth,
        LongMonth,
        AmPm,        // text before noon, text2 from noon on
        TimeOnly,    // skips the next `skip` steps when the value is exactly midnight
    } kind;
    int digits = 0;
    std::string text;
    std::string text2;
    std::size_t skip = 0;
};

namespace {

using DateStep = TDateTimePicture::Step;

// Named formats (c, ddddd, dddddd, t, tt) may use each other, but only two levels deep, so a
// format that names itself cannot loop.
constexpr int MaxNesting = 2;

class DateFormatReader {
public:
    DateFormatReader(std::vector<DateStep>& steps, const TFormatSettings& s) : steps_(steps), s_(s) {}

    void Read(std::string_view f, int depth)
    {
        if (depth > MaxNesting)
            return;
        const bool twelveHour = HasAmPmToken(f);
        char lastToken = 0;
        std::size_t i = 0;
        while (i < f.size()) {
            const char c = f[i];
            if (c == '\'' || c == '"') {
                const std::size_t close = f.find(c, i + 1);
                const std::size_t end = close == std::string_view::npos ? f.size() : close;
                Text(f.substr(i + 1, end - i - 1));
                i = close == std::string_view::npos ? end : end + 1;
                continue;
            }
            if (!IsAsciiLetter(c)) {
                Text(c == '/' ? std::string_view(s_.DateSeparator) : c == ':' ? std::string_view(s_.TimeSeparator) : f.substr(i, 1));
                ++i;
                continue;
            }
            const char token = AsciiUpper(c);
            if (token == 'A') {
                const std::size_t n = AmPmTokenLength(f, i);
                if (n == 4)
                    AmPm(s_.TimeAMString, s_.TimePMString);
                else if (n == 5)
                    AmPm(f.substr(i, 2), f.substr(i + 3, 2));
                else if (n == 3)
                    AmPm(f.substr(i, 1), f.substr(i + 2, 1));
                else
                    Text(f.substr(i, 1));
                i += std::max<std::size_t>(n, 1);
                lastToken = token;
                continue;
            }
            std::size_t count = 1;
            while (i + count < f.size() && AsciiUpper(f[i + count]) == token)
                ++count;
            const int two = count == 1 ? 1 : 2;
            switch (token) {
            case 'C': {
                Read(s_.ShortDateFormat, depth + 1);
                const std::size_t at = steps_.size();
                Add(DateStep::TimeOnly);
                Text(" ");
                Read(s_.LongTimeFormat, depth + 1);
                steps_[at].skip = steps_.size() - at - 1;
                textFrom_ = steps_.size();
                break;
            }
            case 'D':
                switch (count) {
                case 1:
                case 2: Add(DateStep::Day, static_cast<int>(count)); break;
                case 3: Add(DateStep::ShortDay); break;
                case 4: Add(DateStep::LongDay); break;
                case 5: Read(s_.ShortDateFormat, depth + 1); break;
                default: Read(s_.LongDateFormat, depth + 1); break;
                }
                break;
            case 'M':
                if (lastToken == 'H' && count <= 2)
                    Add(DateStep::Minute, static_cast<int>(count));
                else if (count <= 2)
                    Add(DateStep::Month, static_cast<int>(count));
                else
                    Add(count == 3 ? DateStep::ShortMonth : DateStep::LongMonth);
                break;
            case 'Y': Add(DateStep::Year, count <= 2 ? 2 : 4); break;
            case 'H': Add(twelveHour ? DateStep::Hour12 : DateStep::Hour, two); break;
            case 'N': Add(DateStep::Minute, two); break;
            case 'S': Add(DateStep::Second, two); break;
            case 'Z': Add(DateStep::Millisecond, count <= 2 ? 1 : 3); break;
            case 'T': Read(count == 1 ? s_.ShortTimeFormat : s_.LongTimeFormat, depth + 1); break;
            default:
                // Any other letter stands for itself.
                count = 1;
                Text(f.substr(i, 1));
                break;
            }
            lastToken = token;
            i += count;
        }
    }

    bool NamesDayOfWeek() const { return dayOfWeek_; }

private:
    void Add(DateStep::Kind kind, int digits = 0)
    {
        dayOfWeek_ = dayOfWeek_ || kind == DateStep::ShortDay || kind == DateStep::LongDay;
        steps_.push_back(DateStep{kind, digits, {}, {}, 0});
    }
    // Text joins the text before it, unless a time-only run ends between them.
    void Text(std::string_view text)
    {
        if (steps_.size() > textFrom_ && steps_.back().kind == DateStep::Text)
            steps_.back().text += text;
        else
            steps_.push_back(DateStep{DateStep::Text, 0, std::string(text), {}, 0});
    }
    void AmPm(std::string_view am, std::string_view pm)
    {
        steps_.push_back(DateStep{DateStep::AmPm, 0, std::string(am), std::string(pm), 0});
    }

    std::vector<DateStep>& steps_;
    const TFormatSettings& s_;
    std::size_t textFrom_ = 0;
    bool dayOfWeek_ = false;
};

// Two digits of 0 to 99; one or two; the end is returned.
char* PutTwoDigits(char* p, int value)
{
    p[0] = static_cast<char>('0' + value / 10);
    p[1] = static_cast<char>('0' + value % 10);
    return p + 2;
}

char* PutOneOrTwoDigits(char* p, int value)
{
    if (value >= 10)
        return PutTwoDigits(p, value);
    *p = static_cast<char>('0' + value);
    return p + 1;
}

// A part of a date, at least `minDigits` long (1 to 4).
void AppendPart(std::string& out, int value, int minDigits)
{
    if (value >= 0 && value < 100 && minDigits <= 2) {
        char buf[2];
        out.append(buf, static_cast<std::size_t>((minDigits == 2 ? PutTwoDigits(buf, value) : PutOneOrTwoDigits(buf, value)) - buf));
        return;
    }
    AppendNumber(out, value, minDigits);
}

void AppendSteps(std::string& out, const std::vector<DateStep>& steps, const DateParts& v, const TFormatSettings& s)
{
    const bool midnight = v.hour == 0 && v.min == 0 && v.sec == 0 && v.msec == 0;
    for (std::size_t k = 0; k < steps.size(); ++k) {
        const DateStep& step = steps[k];
        switch (step.kind) {
        case DateStep::Text: out += step.text; break;
        case DateStep::Day: AppendPart(out, v.day, step.digits); break;
        case DateStep::Month: AppendPart(out, v.month, step.digits); break;
        case DateStep::Year: AppendPart(out, step.digits == 2 ? v.year % 100 : v.year, step.digits); break;
        case DateStep::Hour: AppendPart(out, v.hour, step.digits); break;
        case DateStep::Hour12: AppendPart(out, v.hour % 12 == 0 ? 12 : v.hour % 12, step.digits); break;
        case DateStep::Minute: AppendPart(out, v.min, step.digits); break;
        case DateStep::Second: AppendPart(out, v.sec, step.digits); break;
        case DateStep::Millisecond: AppendPart(out, v.msec, step.digits); break;
        case DateStep::ShortDay: out += s.ShortDayNames[v.dayOfWeek - 1]; break;
        case DateStep::LongDay: out += s.LongDayNames[v.dayOfWeek - 1]; break;
        case DateStep::ShortMonth: out += s.ShortMonthNames[v.month - 1]; break;
        case DateStep::LongMonth: out += s.LongMonthNames[v.month - 1]; break;
        case DateStep::AmPm: out += v.hour >= 12 ? step.text2 : step.text; break;
        case DateStep::TimeOnly:
            if (midnight)
                k += step.skip;
            break;
        }
    }
}

// "c" with the default pictures (short date "m/d/yyyy", long time "h:nn:ss AMPM"), written
// straight out: the general path walks both pictures token by token for every value, which
// costs more than reading the value from a database. Separators and AM/PM texts still come
// from the settings, so the text is the general path's.
bool IsDefaultDateTimePicture(std::string_view format, const TFormatSettings& s)
{
    return (format.empty() || format == "c") && s.ShortDateFormat == "m/d/yyyy" &&
           s.LongTimeFormat == "h:nn:ss AMPM";
}

char* PutText(char* p, const std::string& text)
{
    std::memcpy(p, text.data(), text.size());
    return p + text.size();
}

// False when the settings' texts are too long for the buffer (the general path writes them).
bool DefaultDateTimeText(TDateTime value, const TFormatSettings& s, std::string& out)
{
    char buf[128];
    if (16 + 2 * s.DateSeparator.size() + 2 * s.TimeSeparator.size() +
            std::max(s.TimeAMString.size(), s.TimePMString.size()) > sizeof buf)
        return false;
    int year, month, day, hour, min, sec, msec;
    DecodeDateTime(value, year, month, day, hour, min, sec, msec);
    char* p = PutOneOrTwoDigits(buf, month);
    p = PutText(p, s.DateSeparator);
    p = PutOneOrTwoDigits(p, day);
    p = PutText(p, s.DateSeparator);
    p = PutTwoDigits(PutTwoDigits(p, year / 100), year % 100);  // years are 1 to 9999
    if (hour != 0 || min != 0 || sec != 0 || msec != 0) {
        *p++ = ' ';
        p = PutOneOrTwoDigits(p, hour % 12 == 0 ? 12 : hour % 12);
        p = PutText(p, s.TimeSeparator);
        p = PutTwoDigits(p, min);
        p = PutText(p, s.TimeSeparator);
        p = PutTwoDigits(p, sec);
        *p++ = ' ';
        p = PutText(p, hour >= 12 ? s.TimePMString : s.TimeAMString);
    }
    out.assign(buf, static_cast<std::size_t>(p - buf));
    return true;
}

}  // namespace

std::string FormatDateTime(std::string_view format, TDateTime value, const TFormatSettings& settings)
{
    if (IsDefaultDateTimePicture(format, settings)) {
        std::string text;
        if (DefaultDateTimeText(value, settings, text))
            return text;
    }
    std::string out;
    TDateTimePicture(format, settings).Append(out, value);
    return out;
}

TDateTimePicture::TDateTimePicture(std::string_view format, const TFormatSettings& settings) : settings_(settings)
{
    DateFormatReader reader(steps_, settings_);
    reader.Read(format.empty() ? std::string_view("c") : format, 0);
    dayOfWeek_ = reader.NamesDayOfWeek();
}

TDateTimePicture::~TDateTimePicture() = default;
TDateTimePicture::TDateTimePicture(const TDateTimePicture&) = default;
TDateTimePicture& TDateTimePicture::operator=(const TDateTimePicture&) = default;

void TDateTimePicture::Append(std::string& out, TDateTime value) const
{
    DateParts v{};
    DecodeDateTime(value, v.year, v.month, v.day, v.hour, v.min, v.sec, v.msec);
    v.dayOfWeek = dayOfWeek_ ? DayOfWeek(value) : 1;
    AppendSteps(out, steps_, v, settings_);
}

std::string DateToStr(TDateTime value, const TFormatSettings& settings)
{
    return FormatDateTime("ddddd", value, settings);
}

std::string DateTimeToStr(TDateTime value, const TFormatSettings& settings)
{
    return FormatDateTime("c", value, settings);
}

// ==== Reading numbers ========================================================================

bool TryStrToFloat(std::string_view text, double& value, const TFormatSettings& settings)
{
    const std::string trimmed = Trim(text);
    std::string_view s = trimmed;
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        negative = s[i++] == '-';
    // Rebuilt with "." so that the conversion does not depend on a C locale.
    std::string number;
    auto digitsAt = [&](std::size_t& k) {
        const std::size_t start = k;
        while (k < s.size() && s[k] >= '0' && s[k] <= '9')
            number += s[k++];
        return k - start;
    };
    std::size_t mantissaDigits = digitsAt(i);
    const std::string_view sep = settings.DecimalSeparator;
    if (!sep.empty() && s.substr(i, sep.size()) == sep) {
        i += sep.size();
        number += '.';
        mantissaDigits += digitsAt(i);
    }
    if (mantissaDigits == 0)
        return false;
    bool negativeExponent = false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        number += 'e';
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            negativeExponent = s[i] == '-';
            if (negativeExponent)
                number += '-';
            ++i;
        }
        if (digitsAt(i) == 0)
            return false;
    }
    if (i != s.size())
        return false;
    double result = 0;
    const auto r = std::from_chars(number.data(), number.data() + number.size(), result);
    if (r.ec == std::errc::result_out_of_range) {
        if (!negativeExponent)
            return false;
        result = 0;  // too small to hold: zero
    } else if (r.ec != std::errc() || r.ptr != number.data() + number.size()) {
        return false;
    }
    value = negative ? -result : result;
    return true;
}

double StrToFloat(std::string_view text, const TFormatSettings& settings)
{
    double value;
    if (!TryStrToFloat(text, value, settings))
        throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
    return value;
}

// ==== Reading dates and times ================================================================

namespace {

class DateScanner {
public:
    DateScanner(std::string_view text, const TFormatSettings& settings) : s_(text), fs_(settings) {}

    void SkipBlanks()
    {
        while (pos_ < s_.size() && s_[pos_] == ' ')
            ++pos_;
    }

    bool AtEnd()
    {
        SkipBlanks();
        return pos_ == s_.size();
    }

    // Unsigned decimal number (at most nine digits); `digits` tells how many were written.
    bool Number(int& value, int& digits)
    {
        SkipBlanks();
        value = 0;
        digits = 0;
        while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9') {
            if (++digits > 9)
                return false;
            value = value * 10 + (s_[pos_++] - '0');
        }
        return digits > 0;
    }

    // A separator. One made of blanks needs at least one blank in the text.
    bool Separator(std::string_view sep)
    {
        if (sep.empty())
            return false;
        if (sep.find_first_not_of(' ') == std::string_view::npos) {
            if (pos_ >= s_.size() || s_[pos_] != ' ')
                return false;
            SkipBlanks();
            return true;
        }
        SkipBlanks();
        if (s_.substr(pos_, sep.size()) != sep)
            return false;
        pos_ += sep.size();
        return true;
    }

    // A word compared without regard to case.
    bool Word(std::string_view word)
    {
        SkipBlanks();
        if (word.empty() || s_.size() - pos_ < word.size() || !AnsiSameText(s_.substr(pos_, word.size()), word))
            return false;
        pos_ += word.size();
        return true;
    }

    // A long or short month name; the longest that matches wins.
    bool MonthName(int& month)
    {
        SkipBlanks();
        std::size_t best = 0;
        for (int m = 0; m < 12; ++m) {
            for (const std::string* name : {&fs_.LongMonthNames[m], &fs_.ShortMonthNames[m]}) {
                const std::size_t n = name->size();
                if (n > best && s_.size() - pos_ >= n && AnsiSameText(s_.substr(pos_, n), *name)) {
                    best = n;
                    month = m + 1;
                }
            }
        }
        pos_ += best;
        return best > 0;
    }

    // An AM/PM designator: the settings' texts or the plain "AM"/"PM". pm tells which.
    bool Designator(bool& pm)
    {
        for (auto [word, isPm] : {std::pair<std::string_view, bool>{fs_.TimeAMString, false},
                                  {fs_.TimePMString, true},
                                  {"AM", false},
                                  {"PM", true}}) {
            if (Word(word)) {
                pm = isPm;
                return true;
            }
        }
        return false;
    }

    bool ScanDate(TDateTime& date)
    {
        const TDateOrder order = GetDateOrder(fs_.ShortDateFormat);
        int part[3] = {0, 0, 0};
        int digits[3] = {0, 0, 0};
        bool named[3] = {false, false, false};
        auto readPart = [&](int k) {
            if (Number(part[k], digits[k]))
                return true;
            named[k] = MonthName(part[k]);
            return named[k];
        };
        if (!readPart(0) || !Separator(fs_.DateSeparator) || !readPart(1))
            return false;
        int year, month, day;
        int yearIndex = -1;
        int monthIndex;
        const std::size_t afterTwo = pos_;
        if (Separator(fs_.DateSeparator) && readPart(2)) {
            switch (order) {
            case doDMY: day = part[0]; month = part[1]; year = part[2]; monthIndex = 1; yearIndex = 2; break;
            case doYMD: year = part[0]; month = part[1]; day = part[2]; monthIndex = 1; yearIndex = 0; break;
            default: month = part[0]; day = part[1]; year = part[2]; monthIndex = 0; yearIndex = 2; break;
            }
            // Some locales end a date with its separator ("1994. 06. 19.").
            const std::size_t end = pos_;
            if (!Separator(fs_.DateSeparator))
                pos_ = end;
        } else {
            pos_ = afterTwo;
            int today, unused;
            DecodeDate(Date(), year, unused, today);
            if (order == doDMY) {
                day = part[0]; month = part[1]; monthIndex = 1;
            } else {
                month = part[0]; day = part[1]; monthIndex = 0;
            }
        }
        for (int k = 0; k < 3; ++k)
            if (named[k] && k != monthIndex)
                return false;
        if (yearIndex >= 0 && digits[yearIndex] <= 2 && !named[yearIndex])
            year = ExpandTwoDigitYear(year);
        return TryEncodeDate(year, month, day, date);
    }

    bool ScanTime(TDateTime& time)
    {
        bool pm = false;
        bool designator = Designator(pm);
        int hour, min, sec = 0, msec = 0, digits;
        if (!Number(hour, digits) || !Separator(fs_.TimeSeparator) || !Number(min, digits))
            return false;
        const std::size_t afterMinutes = pos_;
        if (Separator(fs_.TimeSeparator)) {
            if (!Number(sec, digits))
                return false;
            if (!fs_.DecimalSeparator.empty() && s_.substr(pos_, fs_.DecimalSeparator.size()) == fs_.DecimalSeparator) {
                pos_ += fs_.DecimalSeparator.size();
                // Digits of a fraction of a second, read to milliseconds.
                int scale = 100;
                const std::size_t start = pos_;
                while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9') {
                    msec += (s_[pos_++] - '0') * scale;
                    scale /= 10;
                }
                if (pos_ == start)
                    return false;
            }
        } else {
            pos_ = afterMinutes;
        }
        if (!designator)
            designator = Designator(pm);
        if (designator) {
            if (hour < 1 || hour > 12)
                return false;
            hour = hour % 12 + (pm ? 12 : 0);
        }
        return TryEncodeTime(hour, min, sec, msec, time);
    }

private:
    int ExpandTwoDigitYear(int year) const
    {
        int currentYear, month, day;
        DecodeDate(Date(), currentYear, month, day);
        const int window = fs_.TwoDigitYearCenturyWindow;
        const int pivot = currentYear - window;
        year += pivot / 100 * 100;
        if (window > 0 && year < pivot)
            year += 100;
        return year;
    }

    std::string_view s_;
    const TFormatSettings& fs_;
    std::size_t pos_ = 0;
};

// Scans the whole text with one of the scanner's readers; blanks may follow.
bool ScanWhole(std::string_view text, const TFormatSettings& settings, bool (DateScanner::*read)(TDateTime&),
               TDateTime& value)
{
    DateScanner scan(text, settings);
    TDateTime result;
    if (!(scan.*read)(result) || !scan.AtEnd())
        return false;
    value = result;
    return true;
}

TDateTime Require(bool (*tryRead)(std::string_view, TDateTime&, const TFormatSettings&), std::string_view text,
                  const TFormatSettings& settings, const char* what)
{
    TDateTime value;
    if (!tryRead(text, value, settings))
        throw EConvertError("'" + std::string(text) + "' is not a valid " + what);
    return value;
}

}  // namespace

bool TryStrToDate(std::string_view text, TDateTime& value, const TFormatSettings& settings)
{
    return ScanWhole(text, settings, &DateScanner::ScanDate, value);
}

bool TryStrToTime(std::string_view text, TDateTime& value, const TFormatSettings& settings)
{
    return ScanWhole(text, settings, &DateScanner::ScanTime, value);
}

bool TryStrToDateTime(std::string_view text, TDateTime& value, const TFormatSettings& settings)
{
    DateScanner scan(text, settings);
    TDateTime date, time;
    if (scan.ScanDate(date)) {
        if (scan.AtEnd()) {
            value = date;
            return true;
        }
        if (scan.ScanTime(time) && scan.AtEnd()) {
            value = ComposeDateTime(date, time);
            return true;
        }
        return false;
    }
    return ScanWhole(text, settings, &DateScanner::ScanTime, value);
}

TDateTime StrToDate(std::string_view text, const TFormatSettings& settings)
{
    return Require(TryStrToDate, text, settings, "date");
}

TDateTime StrToTime(std::string_view text, const TFormatSettings& settings)
{
    return Require(TryStrToTime, text, settings, "time");
}

TDateTime StrToDateTime(std::string_view text, const TFormatSettings& settings)
{
    return Require(TryStrToDateTime, text, settings, "date and time");
}

}  // namespace rtl
