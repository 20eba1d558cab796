#include "platform/db/Variant.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "platform/rtl/Formatting.h"
#include "platform/rtl/SysUtils.h"

namespace db {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Splits canonical decimal text into sign, integer digits and fraction digits.
struct DecimalParts {
    bool negative = false;
    std::string_view whole;
    std::string_view fraction;
};

DecimalParts Split(std::string_view text)
{
    DecimalParts p;
    if (!text.empty() && text[0] == '-') {
        p.negative = true;
        text.remove_prefix(1);
    }
    const auto dot = text.find('.');
    p.whole = text.substr(0, dot);
    if (dot != std::string_view::npos) p.fraction = text.substr(dot + 1);
    return p;
}

// Decimal columns can hold what is no number: PostgreSQL's NaN, Infinity and -Infinity. They
// keep the server's text; these rank them as the server orders them, around the numbers.
enum class DecimalKind { MinusInfinity, Number, PlusInfinity, NotANumber };

DecimalKind KindOf(std::string_view text)
{
    std::string_view digits = text;
    if (!digits.empty() && digits[0] == '-') digits.remove_prefix(1);
    bool any = false;
    bool dot = false;
    bool number = !digits.empty();
    for (char c : digits) {
        if (IsDigit(c)) {
            any = true;
        } else if (c == '.' && !dot) {
            dot = true;
        } else {
            number = false;
            break;
        }
    }
    if (number && any) return DecimalKind::Number;
    if (rtl::SameText(text, "Infinity") || rtl::SameText(text, "+Infinity") || rtl::SameText(text, "inf"))
        return DecimalKind::PlusInfinity;
    if (rtl::SameText(text, "-Infinity") || rtl::SameText(text, "-inf")) return DecimalKind::MinusInfinity;
    return DecimalKind::NotANumber;
}

bool IsZero(const DecimalParts& p)
{
    for (char c : p.whole)
        if (c != '0') return false;
    for (char c : p.fraction)
        if (c != '0') return false;
    return true;
}

// Magnitude comparison of two unsigned decimals.
int CompareMagnitude(const DecimalParts& a, const DecimalParts& b)
{
    if (a.whole.size() != b.whole.size()) return a.whole.size() < b.whole.size() ? -1 : 1;
    if (const int c = a.whole.compare(b.whole); c != 0) return c < 0 ? -1 : 1;
    const std::size_t n = std::max(a.fraction.size(), b.fraction.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char x = i < a.fraction.size() ? a.fraction[i] : '0';
        const char y = i < b.fraction.size() ? b.fraction[i] : '0';
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

std::string WithSeparator(std::string text)
{
    const std::string& sep = rtl::FormatSettings().DecimalSeparator;
    if (sep != ".") {
        const auto dot = text.find('.');
        if (dot != std::string::npos) text.replace(dot, 1, sep);
    }
    return text;
}

// Rounds a decimal to the nearest integer, ties to even, as the class library converts
// numbers to integers. False when it does not fit 64 bits.
bool DecimalToInt64(std::string_view text, std::int64_t& value)
{
    if (KindOf(text) != DecimalKind::Number) return false;
    const DecimalParts p = Split(text);
    // Magnitude as unsigned, with one more unit when rounding up.
    std::uint64_t magnitude = 0;
    for (char c : p.whole) {
        const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
        if (magnitude > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return false;
        magnitude = magnitude * 10 + digit;
    }
    bool roundUp = false;
    if (!p.fraction.empty()) {
        const char first = p.fraction[0];
        const bool restNonZero = p.fraction.find_first_not_of('0', 1) != std::string_view::npos;
        if (first > '5' || (first == '5' && restNonZero))
            roundUp = true;
        else if (first == '5')
            roundUp = (magnitude % 2) == 1;
    }
    if (roundUp) {
        if (magnitude == std::numeric_limits<std::uint64_t>::max()) return false;
        ++magnitude;
    }
    const std::uint64_t limit = p.negative ? std::uint64_t{1} << 63 : (std::uint64_t{1} << 63) - 1;
    if (magnitude > limit) return false;
    value = p.negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
    return true;
}

bool DoubleToInt64(double d, std::int64_t& value)
{
    if (!std::isfinite(d)) return false;
    const double r = std::nearbyint(d);  // ties to even under the default rounding mode
    if (r < -9223372036854775808.0 || r >= 9223372036854775808.0) return false;
    value = static_cast<std::int64_t>(r);
    return true;
}

}  // namespace

TVariant TVariant::FromDateTime(rtl::TDateTime value)
{
    TVariant v;
    v.type_ = TVarType::DateTime;
    v.float_ = value;
    return v;
}

TVariant TVariant::FromDecimal(std::string_view text)
{
    std::string_view s = text;
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    bool negative = false;
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    std::size_t i = 0;
    std::size_t digits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
    std::string_view whole = s.substr(0, i);
    std::string_view fraction;
    if (i < s.size() && s[i] == '.') {
        const std::size_t start = ++i;
        while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
        fraction = s.substr(start, i - start);
    }
    if (i != s.size() || digits == 0)
        throw rtl::EConvertError("'" + std::string(text) + "' is not a valid BCD value");
    while (whole.size() > 1 && whole[0] == '0') whole.remove_prefix(1);
    std::string canonical;
    canonical.reserve(whole.size() + fraction.size() + 2);
    canonical.append(whole.empty() ? std::string_view("0") : whole);
    if (!fraction.empty()) canonical.append(".").append(fraction);
    if (negative && !IsZero(Split(canonical))) canonical.insert(canonical.begin(), '-');
    TVariant v;
    v.type_ = TVarType::Decimal;
    v.text_ = std::move(canonical);
    return v;
}

TVariant TVariant::FromCanonicalDecimal(std::string text)
{
    TVariant v;
    v.type_ = TVarType::Decimal;
    v.text_ = std::move(text);
    return v;
}

TVariant TVariant::FromBytes(std::string bytes)
{
    TVariant v;
    v.type_ = TVarType::Bytes;
    v.text_ = std::move(bytes);
    return v;
}

std::string TVariant::TypeName() const
{
    switch (type_) {
    case TVarType::Null: return "Null";
    case TVarType::Boolean: return "Boolean";
    case TVarType::Integer: return "Int64";
    case TVarType::Float: return "Double";
    case TVarType::Decimal: return "FMTBcd";
    case TVarType::DateTime: return "Date";
    case TVarType::String: return "String";
    case TVarType::Bytes: return "Array of Byte";
    }
    return "Unknown";
}

void TVariant::CannotConvert(const char* target) const
{
    throw EVariantError("Could not convert variant of type (" + TypeName() + ") into type (" + target + ")");
}

bool TVariant::AsBoolean() const
{
    switch (type_) {
    case TVarType::Boolean:
    case TVarType::Integer: return int_ != 0;
    case TVarType::Float:
    case TVarType::DateTime: return float_ != 0;
    case TVarType::Decimal: return !IsZero(Split(text_));
    case TVarType::String: {
        if (rtl::SameText(text_, "True")) return true;
        if (rtl::SameText(text_, "False")) return false;
        double d = 0;
        if (rtl::TryStrToFloat(text_, d)) return d != 0;
        throw rtl::EConvertError("'" + text_ + "' is not a valid boolean value");
    }
    case TVarType::Null:
    case TVarType::Bytes: break;
    }
    CannotConvert("Boolean");
}

std::int64_t TVariant::AsInt64() const
{
    std::int64_t value = 0;
    switch (type_) {
    case TVarType::Boolean:
    case TVarType::Integer: return int_;
    case TVarType::Float:
    case TVarType::DateTime:
        if (DoubleToInt64(float_, value)) return value;
        throw rtl::EConvertError("Integer overflow");
    case TVarType::Decimal:
        if (DecimalToInt64(text_, value)) return value;
        if (KindOf(text_) != DecimalKind::Number)
            throw rtl::EConvertError("'" + text_ + "' is not a valid integer value");
        throw rtl::EConvertError("Integer overflow");
    case TVarType::String: {
        if (rtl::TryStrToInt64(text_, value)) return value;
        double d = 0;
        if (rtl::TryStrToFloat(text_, d) && DoubleToInt64(d, value)) return value;
        throw rtl::EConvertError("'" + text_ + "' is not a valid integer value");
    }
    case TVarType::Null:
    case TVarType::Bytes: break;
    }
    CannotConvert("Int64");
}

int TVariant::AsInteger() const
{
    const std::int64_t v = AsInt64();
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        throw rtl::EConvertError("Integer overflow");
    return static_cast<int>(v);
}

double TVariant::AsFloat() const
{
    switch (type_) {
    case TVarType::Boolean:
    case TVarType::Integer: return static_cast<double>(int_);
    case TVarType::Float:
    case TVarType::DateTime: return float_;
    case TVarType::Decimal: {
        double d = 0;
        std::from_chars(text_.data(), text_.data() + text_.size(), d);
        return d;
    }
    case TVarType::String: return rtl::StrToFloat(text_);
    case TVarType::Null:
    case TVarType::Bytes: break;
    }
    CannotConvert("Double");
}

std::string TVariant::AsDecimalText() const
{
    switch (type_) {
    case TVarType::Decimal:
        if (KindOf(text_) != DecimalKind::Number) throw rtl::EConvertError("'" + text_ + "' is not a valid BCD value");
        return text_;
    case TVarType::Boolean:
    case TVarType::Integer: return std::to_string(int_);
    case TVarType::Float:
    case TVarType::DateTime: {
        if (!std::isfinite(float_)) CannotConvert("FMTBcd");
        // Room for every digit of the largest (309 before the point) and the smallest double
        // (326 after it) in fixed notation.
        char buf[400];
        const auto r = std::to_chars(buf, buf + sizeof buf, float_, std::chars_format::fixed);
        if (r.ec != std::errc()) CannotConvert("FMTBcd");
        return FromDecimal(std::string_view(buf, static_cast<std::size_t>(r.ptr - buf))).text_;
    }
    case TVarType::String: {
        std::string s = text_;
        const std::string& sep = rtl::FormatSettings().DecimalSeparator;
        if (sep != ".")
            if (const auto p = s.find(sep); p != std::string::npos) s.replace(p, sep.size(), ".");
        return FromDecimal(s).text_;
    }
    case TVarType::Null:
    case TVarType::Bytes: break;
    }
    CannotConvert("FMTBcd");
}

rtl::TDateTime TVariant::AsDateTime() const
{
    switch (type_) {
    case TVarType::DateTime:
    case TVarType::Float: return float_;
    case TVarType::Integer: return static_cast<double>(int_);
    case TVarType::Decimal: return AsFloat();
    case TVarType::String: return rtl::StrToDateTime(text_);
    case TVarType::Null:
    case TVarType::Boolean:
    case TVarType::Bytes: break;
    }
    CannotConvert("Date");
}

std::string TVariant::AsString() &&
{
    if (type_ == TVarType::String || type_ == TVarType::Bytes) return std::move(text_);
    return static_cast<const TVariant&>(*this).AsString();
}

std::string TVariant::AsString() const&
{
    switch (type_) {
    case TVarType::Null: return {};
    case TVarType::Boolean: return int_ != 0 ? "True" : "False";
    case TVarType::Integer: return std::to_string(int_);
    case TVarType::Float: return rtl::FloatToStr(float_);
    case TVarType::Decimal: return WithSeparator(text_);
    case TVarType::DateTime: return rtl::DateTimeToStr(float_);
    case TVarType::String:
    case TVarType::Bytes: return text_;
    }
    return {};
}

bool operator==(const TVariant& a, const TVariant& b)
{
    if (a.type_ != b.type_) return false;
    switch (a.type_) {
    case TVarType::Null: return true;
    case TVarType::Boolean:
    case TVarType::Integer: return a.int_ == b.int_;
    case TVarType::Float:
    case TVarType::DateTime: return a.float_ == b.float_;
    case TVarType::Decimal: return CompareDecimalText(a.text_, b.text_) == 0;
    case TVarType::String:
    case TVarType::Bytes: return a.text_ == b.text_;
    }
    return false;
}

int CompareDecimalText(std::string_view a, std::string_view b)
{
    const DecimalKind ka = KindOf(a);
    const DecimalKind kb = KindOf(b);
    if (ka != kb) return ka < kb ? -1 : 1;
    if (ka != DecimalKind::Number) return 0;
    const DecimalParts x = Split(a);
    const DecimalParts y = Split(b);
    const bool xn = x.negative && !IsZero(x);
    const bool yn = y.negative && !IsZero(y);
    if (xn != yn) return xn ? -1 : 1;
    const int c = CompareMagnitude(x, y);
    return xn ? -c : c;
}

namespace {

// A number's exact text; a decimal's own text, which may be NaN or an infinity.
std::string DecimalTextOf(const TVariant& v) { return v.Type() == TVarType::Decimal ? v.Text() : v.AsDecimalText(); }

template <class T>
int Sign(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

int CompareTexts(const std::string& a, const std::string& b, bool caseInsensitive)
{
    if (caseInsensitive) {
        const int c = rtl::AnsiCompareText(a, b);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace

int CompareVariants(const TVariant& a, const TVariant& b, bool caseInsensitive)
{
    if (a.IsNull() || b.IsNull()) return a.IsNull() == b.IsNull() ? 0 : (a.IsNull() ? -1 : 1);
    try {
        switch (a.Type()) {
        case TVarType::Boolean: return Sign(a.AsBoolean(), b.AsBoolean());
        case TVarType::Integer:
            if (b.Type() == TVarType::Integer || b.Type() == TVarType::Boolean) return Sign(a.AsInt64(), b.AsInt64());
            if (b.Type() == TVarType::Decimal || b.Type() == TVarType::String)
                return CompareDecimalText(a.AsDecimalText(), DecimalTextOf(b));
            return Sign(a.AsFloat(), b.AsFloat());
        case TVarType::Decimal:
            if (b.Type() == TVarType::Float || b.Type() == TVarType::DateTime) return Sign(a.AsFloat(), b.AsFloat());
            return CompareDecimalText(a.Text(), DecimalTextOf(b));
        case TVarType::Float:
        case TVarType::DateTime:
            if (b.Type() == TVarType::String && a.Type() == TVarType::DateTime)
                return Sign(a.AsDateTime(), b.AsDateTime());
            return Sign(a.AsFloat(), b.AsFloat());
        case TVarType::String:
        case TVarType::Bytes:
            if (b.Type() == TVarType::String || b.Type() == TVarType::Bytes)
                return CompareTexts(a.Text(), b.Text(), caseInsensitive && a.Type() == TVarType::String);
            if (b.IsNumeric()) return -CompareVariants(b, a, caseInsensitive);
            if (b.Type() == TVarType::DateTime) return Sign(a.AsDateTime(), b.AsDateTime());
            return CompareTexts(a.Text(), b.AsString(), caseInsensitive);
        case TVarType::Null: break;
        }
    } catch (const rtl::Exception&) {
    }
    return CompareTexts(a.AsString(), b.AsString(), caseInsensitive);
}

}  // namespace db
