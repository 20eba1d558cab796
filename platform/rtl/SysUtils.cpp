#include "platform/rtl/SysUtils.h"

#include <system_error>

#include "platform/rtl/Exceptions.h"

#include <QChar>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace rtl {

namespace {

bool IsContinuation(unsigned char b) noexcept { return (b & 0xC0) == 0x80; }

// Decodes the character at s[pos]. `len` becomes its byte length, or 0 when the bytes there
// do not form a complete, valid sequence (overlong forms and surrogates included).
char32_t DecodeAt(std::string_view s, std::size_t pos, std::size_t& len) noexcept
{
    len = 0;
    if (pos >= s.size()) return 0;
    const auto b0 = static_cast<unsigned char>(s[pos]);
    if (b0 < 0x80) {
        len = 1;
        return b0;
    }
    const int n = Utf8SeqLen(b0);
    if (n == 1 || pos + n > s.size()) return 0;
    const auto b1 = static_cast<unsigned char>(s[pos + 1]);
    unsigned char lo = 0x80, hi = 0xBF;
    if (b0 == 0xE0) lo = 0xA0;
    if (b0 == 0xED) hi = 0x9F;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
    if (b1 < lo || b1 > hi) return 0;
    char32_t cp = b0 & (n == 2 ? 0x1F : n == 3 ? 0x0F : 0x07);
    cp = (cp << 6) | (b1 & 0x3F);
    for (int i = 2; i < n; ++i) {
        const auto b = static_cast<unsigned char>(s[pos + i]);
        if (!IsContinuation(b)) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    len = static_cast<std::size_t>(n);
    return cp;
}

// Byte length of the UTF-8 form of a code point.
std::size_t EncodedLength(char32_t c) noexcept { return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4; }

// Writes the UTF-8 form of `c` at `out` (EncodedLength(c) bytes).
void EncodeAt(char32_t c, char* out) noexcept
{
    auto put = [&](std::size_t i, unsigned v) { out[i] = static_cast<char>(static_cast<unsigned char>(v)); };
    switch (EncodedLength(c)) {
    case 1: put(0, c); return;
    case 2:
        put(0, 0xC0 | (c >> 6));
        put(1, 0x80 | (c & 0x3F));
        return;
    case 3:
        put(0, 0xE0 | (c >> 12));
        put(1, 0x80 | ((c >> 6) & 0x3F));
        put(2, 0x80 | (c & 0x3F));
        return;
    default:
        put(0, 0xF0 | (c >> 18));
        put(1, 0x80 | ((c >> 12) & 0x3F));
        put(2, 0x80 | ((c >> 6) & 0x3F));
        put(3, 0x80 | (c & 0x3F));
    }
}

// The character at s[pos] under simple upper-case mapping, for case-insensitive matching
// and ordering; a byte outside any valid sequence maps above every code point, one apart
// per byte value. `len` becomes the bytes consumed (at least 1).
char32_t UpperKeyAt(std::string_view s, std::size_t pos, std::size_t& len) noexcept
{
    const auto b = static_cast<unsigned char>(s[pos]);
    if (b < 0x80) {
        len = 1;
        return (b >= 'a' && b <= 'z') ? b - 32 : b;
    }
    const char32_t cp = DecodeAt(s, pos, len);
    if (len == 0) {
        len = 1;
        return 0x110000 + b;
    }
    return QChar::toUpper(cp);
}

// Bytes of `s` matched by `pattern` starting at `pos` (case-insensitively, character by
// character), or npos when it does not match there.
std::size_t MatchTextAt(std::string_view s, std::size_t pos, std::string_view pattern) noexcept
{
    std::size_t i = pos, j = 0;
    while (j < pattern.size()) {
        if (i >= s.size()) return std::string_view::npos;
        std::size_t li = 0, lj = 0;
        if (UpperKeyAt(s, i, li) != UpperKeyAt(pattern, j, lj)) return std::string_view::npos;
        i += li;
        j += lj;
    }
    return i - pos;
}

// Applies a whole-text Unicode case conversion to every valid UTF-8 run of `s`, keeping
// invalid bytes as they are.
template <class Convert>
std::string ConvertValidRuns(std::string_view s, Convert convert)
{
    std::string result;
    result.reserve(s.size());
    std::size_t pos = 0;
    while (pos < s.size()) {
        std::size_t end = pos, len = 0;
        while (end < s.size()) {
            DecodeAt(s, end, len);
            if (len == 0) break;
            end += len;
        }
        if (end > pos) {
            const QString run = QString::fromUtf8(s.data() + pos, static_cast<qsizetype>(end - pos));
            const QByteArray converted = convert(run).toUtf8();
            result.append(converted.constData(), static_cast<std::size_t>(converted.size()));
        }
        if (end < s.size()) result.push_back(s[end++]);  // an invalid byte, kept
        pos = end;
    }
    return result;
}

[[noreturn]] void RaiseNotInteger(std::string_view s)
{
    throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
}

int HexValue(char c) noexcept
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads an integer text of `bits` (32 or 64) bits; see StrToInt.
bool ParseInteger(std::string_view s, int bits, std::int64_t& value) noexcept
{
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    bool hex = false;
    if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= s.size()) return false;
    const std::uint64_t unsignedMax = bits == 64 ? std::numeric_limits<std::uint64_t>::max()
                                                 : std::numeric_limits<std::uint32_t>::max();
    // Decimal texts must fit the signed range; the magnitude of the most negative value is
    // one more than the largest positive one.
    const std::uint64_t signedMax = (std::uint64_t{1} << (bits - 1)) - 1;
    const std::uint64_t limit = hex ? unsignedMax : signedMax + (negative ? 1 : 0);
    const unsigned base = hex ? 16 : 10;
    std::uint64_t acc = 0;
    for (; i < s.size(); ++i) {
        const int d = hex ? HexValue(s[i]) : (s[i] >= '0' && s[i] <= '9' ? s[i] - '0' : -1);
        if (d < 0) return false;
        if (acc > (limit - static_cast<unsigned>(d)) / base) return false;
        acc = acc * base + static_cast<unsigned>(d);
    }
    if (negative) acc = ~acc + 1;  // two's complement negation, wraps as the value's type does
    value = bits == 64 ? static_cast<std::int64_t>(acc)
                       : static_cast<std::int64_t>(static_cast<std::int32_t>(static_cast<std::uint32_t>(acc)));
    return true;
}

}  // namespace

// ---- Case ----------------------------------------------------------------------------------

std::string UpperCase(std::string_view s)
{
    std::string r(s);
    std::transform(r.begin(), r.end(), r.begin(), AsciiUpper);
    return r;
}

std::string LowerCase(std::string_view s)
{
    std::string r(s);
    std::transform(r.begin(), r.end(), r.begin(), AsciiLower);
    return r;
}

std::string AnsiUpperCase(std::string_view s)
{
    return ConvertValidRuns(s, [](const QString& t) { return t.toUpper(); });
}

std::string AnsiLowerCase(std::string_view s)
{
    return ConvertValidRuns(s, [](const QString& t) { return t.toLower(); });
}

void AnsiUpperCaseSameLength(std::string& s) noexcept
{
    std::size_t pos = 0;
    while (pos < s.size()) {
        const auto lead = static_cast<unsigned char>(s[pos]);
        if (lead < 0x80) {
            if (lead >= 'a' && lead <= 'z') s[pos] = static_cast<char>(lead - 'a' + 'A');
            ++pos;
            continue;
        }
        std::size_t len = 0;
        const char32_t cp = DecodeAt(s, pos, len);
        if (len == 0) {
            ++pos;  // an invalid byte, kept
            continue;
        }
        const char32_t upper = QChar::toUpper(cp);
        if (upper != cp && EncodedLength(upper) == len) EncodeAt(upper, s.data() + pos);
        pos += len;
    }
}

// ---- Comparison ----------------------------------------------------------------------------

int CompareStr(std::string_view a, std::string_view b)
{
    const int c = a.compare(b);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

int CompareText(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(AsciiUpper(a[i]));
        const auto cb = static_cast<unsigned char>(AsciiUpper(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool SameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && CompareText(a, b) == 0;
}

int AnsiCompareText(std::string_view a, std::string_view b)
{
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        std::size_t li = 0, lj = 0;
        const char32_t ka = UpperKeyAt(a, i, li);
        const char32_t kb = UpperKeyAt(b, j, lj);
        if (ka != kb) return ka < kb ? -1 : 1;
        i += li;
        j += lj;
    }
    const bool aLeft = i < a.size(), bLeft = j < b.size();
    return aLeft == bLeft ? 0 : aLeft ? 1 : -1;
}

bool AnsiSameText(std::string_view a, std::string_view b) { return AnsiCompareText(a, b) == 0; }

// ---- Trimming, searching, replacing --------------------------------------------------------

namespace {
bool IsBlank(char c) noexcept { return static_cast<unsigned char>(c) <= ' '; }
}  // namespace

std::string TrimLeft(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    return std::string(s.substr(i));
}

std::string TrimRight(std::string_view s)
{
    std::size_t n = s.size();
    while (n > 0 && IsBlank(s[n - 1])) --n;
    return std::string(s.substr(0, n));
}

std::string Trim(std::string_view s) { return TrimLeft(TrimRight(s)); }

int Pos(std::string_view sub, std::string_view s, int offset)
{
    if (sub.empty() || offset < 1 || static_cast<std::size_t>(offset) > s.size()) return 0;
    const std::size_t p = s.find(sub, static_cast<std::size_t>(offset - 1));
    return p == std::string_view::npos ? 0 : static_cast<int>(p) + 1;
}

std::string StringReplace(std::string_view s, std::string_view oldPattern,
                          std::string_view newPattern, TReplaceFlags flags)
{
    if (oldPattern.empty()) return std::string(s);
    const bool all = flags.Contains(rfReplaceAll);
    const bool ignoreCase = flags.Contains(rfIgnoreCase);
    std::string result;
    result.reserve(s.size());
    std::size_t pos = 0;
    while (pos < s.size()) {
        std::size_t at = std::string_view::npos, len = 0;
        if (!ignoreCase) {
            at = s.find(oldPattern, pos);
            len = oldPattern.size();
        } else {
            for (std::size_t i = pos; i < s.size(); i = Utf8NextCharStart(s, i)) {
                len = MatchTextAt(s, i, oldPattern);
                if (len != std::string_view::npos) {
                    at = i;
                    break;
                }
            }
        }
        if (at == std::string_view::npos) break;
        result.append(s.substr(pos, at - pos));
        result.append(newPattern);
        pos = at + len;
        if (!all) break;
    }
    result.append(s.substr(std::min(pos, s.size())));
    return result;
}

// ---- Quoting -------------------------------------------------------------------------------

std::string AnsiQuotedStr(std::string_view s, char quote)
{
    std::string r;
    r.reserve(s.size() + 2);
    r.push_back(quote);
    for (char c : s) {
        r.push_back(c);
        if (c == quote) r.push_back(quote);
    }
    r.push_back(quote);
    return r;
}

std::string AnsiExtractQuotedStr(std::string_view s, std::size_t& pos, char quote)
{
    std::string r;
    if (pos >= s.size() || s[pos] != quote) return r;
    std::size_t i = pos + 1;
    while (i < s.size()) {
        if (s[i] == quote) {
            if (i + 1 < s.size() && s[i + 1] == quote) {
                r.push_back(quote);
                i += 2;
                continue;
            }
            ++i;  // the closing quote
            pos = i;
            return r;
        }
        r.push_back(s[i++]);
    }
    pos = s.size();  // unterminated: the rest of the text, nothing dropped
    return r;
}

// ---- Integers ------------------------------------------------------------------------------

std::string IntToStr(std::int64_t value) { return std::to_string(value); }

bool TryStrToInt(std::string_view s, int& value)
{
    std::int64_t v = 0;
    if (!ParseInteger(s, 32, v)) return false;
    value = static_cast<int>(v);
    return true;
}

int StrToInt(std::string_view s)
{
    int v = 0;
    if (!TryStrToInt(s, v)) RaiseNotInteger(s);
    return v;
}

int StrToIntDef(std::string_view s, int defaultValue)
{
    int v = 0;
    return TryStrToInt(s, v) ? v : defaultValue;
}

bool TryStrToInt64(std::string_view s, std::int64_t& value) { return ParseInteger(s, 64, value); }

std::int64_t StrToInt64(std::string_view s)
{
    std::int64_t v = 0;
    if (!TryStrToInt64(s, v)) RaiseNotInteger(s);
    return v;
}

namespace detail {
std::string HexDigits(std::uint64_t bits, int minDigits)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string r;
    do {
        r.push_back(kDigits[bits & 0xF]);
        bits >>= 4;
    } while (bits != 0);
    if (static_cast<int>(r.size()) < minDigits) r.append(static_cast<std::size_t>(minDigits) - r.size(), '0');
    std::reverse(r.begin(), r.end());
    return r;
}
}  // namespace detail

int HexToInt(std::string_view s)
{
    std::int64_t v = 0;
    // Read as "$" + s would be: hexadecimal digits only, no sign, no blanks.
    if (s.empty() || !std::all_of(s.begin(), s.end(), [](char c) { return HexValue(c) >= 0; }) ||
        !ParseInteger("$" + std::string(s), 32, v))
        RaiseNotInteger(s);
    return static_cast<int>(v);
}

// ---- Format --------------------------------------------------------------------------------

namespace {

[[noreturn]] void RaiseInvalidFormat(std::string_view spec)
{
    throw EConvertError("Format '" + std::string(spec) + "' invalid or incompatible with argument");
}

std::string Pad(std::string text, int width, bool left, std::size_t shownLength)
{
    if (width > 0 && shownLength < static_cast<std::size_t>(width)) {
        const std::string fill(static_cast<std::size_t>(width) - shownLength, ' ');
        text = left ? text + fill : fill + text;
    }
    return text;
}

// Reads a decimal count of a specifier; kept within a sane bound so that a huge number in a
// format text cannot ask for gigabytes of padding.
int ReadCount(std::string_view f, std::size_t& i)
{
    constexpr int kMax = 1 << 20;
    int n = 0;
    while (i < f.size() && f[i] >= '0' && f[i] <= '9') {
        n = std::min(kMax, n * 10 + (f[i] - '0'));
        ++i;
    }
    return n;
}

std::string FormatFixed(double v, int precision)
{
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
    // The largest double has 309 integer digits; with a sign, a point and at most 18
    // decimals it fits.
    char buffer[400];
    const int n = std::snprintf(buffer, sizeof buffer, "%.*f", precision, v);
    return std::string(buffer, static_cast<std::size_t>(std::clamp(n, 0, static_cast<int>(sizeof buffer) - 1)));
}

}  // namespace

std::string FormatV(std::string_view format, std::span<const TFormatArg> args)
{
    std::string out;
    out.reserve(format.size() + 16);
    std::size_t next = 0;  // next argument
    std::size_t i = 0;
    while (i < format.size()) {
        const char c = format[i];
        if (c != '%') {
            out.push_back(c);
            ++i;
            continue;
        }
        const std::size_t start = i++;
        if (i < format.size() && format[i] == '%') {
            out.push_back('%');
            ++i;
            continue;
        }
        bool left = false;
        if (i < format.size() && format[i] == '-') {
            left = true;
            ++i;
        }
        const int width = ReadCount(format, i);
        int precision = -1;
        if (i < format.size() && format[i] == '.') {
            ++i;
            precision = ReadCount(format, i);
        }
        if (i >= format.size()) RaiseInvalidFormat(format.substr(start));
        const char type = format[i++];
        const std::string_view spec = format.substr(start, i - start);
        if (type != 'd' && type != 'D' && type != 'x' && type != 'X' && type != 's' && type != 'S' &&
            type != 'f' && type != 'F')
            RaiseInvalidFormat(spec);
        if (next >= args.size()) throw EConvertError("No argument for format '" + std::string(spec) + "'");
        const TFormatArg& arg = args[next++];
        const TFormatArg::Kind kind = arg.GetKind();
        std::string text;
        switch (type) {
        case 'd':
        case 'D': {
            if (kind != TFormatArg::Kind::Int && kind != TFormatArg::Kind::UInt) RaiseInvalidFormat(spec);
            const bool negative = kind == TFormatArg::Kind::Int && arg.AsInt() < 0;
            const std::uint64_t magnitude = kind == TFormatArg::Kind::UInt ? arg.AsUInt()
                                            : negative ? ~static_cast<std::uint64_t>(arg.AsInt()) + 1
                                                       : static_cast<std::uint64_t>(arg.AsInt());
            std::string digits = std::to_string(magnitude);
            if (precision > static_cast<int>(digits.size()))
                digits.insert(0, static_cast<std::size_t>(precision) - digits.size(), '0');
            text = negative ? "-" + digits : digits;
            break;
        }
        case 'x':
        case 'X': {
            std::uint64_t bits = 0;
            if (kind == TFormatArg::Kind::Int)
                bits = static_cast<std::uint64_t>(arg.AsInt());
            else if (kind == TFormatArg::Kind::UInt)
                bits = arg.AsUInt();
            else
                RaiseInvalidFormat(spec);
            if (!arg.IsWide()) bits &= 0xFFFFFFFFu;
            text = detail::HexDigits(bits, precision);
            if (type == 'x') text = LowerCase(text);
            break;
        }
        case 's':
        case 'S': {
            if (kind != TFormatArg::Kind::Text) RaiseInvalidFormat(spec);
            std::string_view t = arg.AsText();
            if (precision >= 0) {
                std::size_t end = 0;
                for (int k = 0; k < precision && end < t.size(); ++k) end = Utf8NextCharStart(t, end);
                t = t.substr(0, end);
            }
            text = std::string(t);
            break;
        }
        default: {  // 'f'
            double v = 0;
            if (kind == TFormatArg::Kind::Float)
                v = arg.AsFloat();
            else if (kind == TFormatArg::Kind::Int)
                v = static_cast<double>(arg.AsInt());
            else if (kind == TFormatArg::Kind::UInt)
                v = static_cast<double>(arg.AsUInt());
            else
                RaiseInvalidFormat(spec);
            text = FormatFixed(v, precision < 0 ? 2 : std::min(precision, 18));
            break;
        }
        }
        const std::size_t shown = Utf8CharCount(text);
        out += Pad(std::move(text), width, left, shown);
    }
    return out;
}

// ---- UTF-8 ---------------------------------------------------------------------------------

int Utf8SeqLen(unsigned char lead) noexcept
{
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 1;
}

std::size_t Utf8CharLen(std::string_view s, std::size_t pos) noexcept
{
    if (pos >= s.size()) return 0;
    std::size_t len = 0;
    DecodeAt(s, pos, len);
    return len == 0 ? 1 : len;
}

std::size_t Utf8CharStartAt(std::string_view s, std::size_t pos) noexcept
{
    if (pos >= s.size()) return s.size();
    // A lead byte stands at most three bytes before; it counts only when its sequence reaches `pos`.
    std::size_t start = pos;
    while (start > 0 && pos - start < 3 && (static_cast<unsigned char>(s[start]) & 0xC0) == 0x80) --start;
    return start != pos && Utf8NextCharStart(s, start) > pos ? start : pos;
}

std::size_t Utf8NextCharStart(std::string_view s, std::size_t pos) noexcept
{
    if (pos >= s.size()) return s.size();
    return pos + Utf8CharLen(s, pos);
}

std::size_t Utf8PrevCharStart(std::string_view s, std::size_t pos) noexcept
{
    pos = std::min(pos, s.size());
    if (pos == 0) return 0;
    // The character before `pos` is a valid sequence ending exactly at `pos`, or else the
    // single byte before it.
    for (std::size_t k = 1; k <= 4 && k <= pos; ++k) {
        const auto b = static_cast<unsigned char>(s[pos - k]);
        if (!IsContinuation(b)) {
            std::size_t len = 0;
            DecodeAt(s, pos - k, len);
            return len == k ? pos - k : pos - 1;
        }
    }
    return pos - 1;
}

std::size_t Utf8CharCount(std::string_view s) noexcept
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < s.size(); i = Utf8NextCharStart(s, i)) ++n;
    return n;
}

bool IsValidUtf8(std::string_view s) noexcept
{
    std::size_t len = 0;
    for (std::size_t i = 0; i < s.size(); i += len) {
        DecodeAt(s, i, len);
        if (len == 0) return false;
    }
    return true;
}

std::string SysErrorMessage(int errorCode)
{
    return std::generic_category().message(errorCode);
}

char AsciiUpper(char c) noexcept { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
char AsciiLower(char c) noexcept { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

}  // namespace rtl
