#pragma once
// String routines of the run-time layer.
//
// Text is std::string holding UTF-8. Positions handed in and out (Pos) are 1-based byte
// positions, 0 meaning "absent". Comparisons answer < 0, 0 or > 0 and order by character
// code (for UTF-8 byte order and code-point order agree), never by a locale's collation,
// so sorted lists and keys come out the same on every machine.

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

namespace rtl {

// ---- Case ----------------------------------------------------------------------------------

// Only the ASCII letters change ("é" stays): the rule for keys such as "TRUE".
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
// Every letter with an upper or lower case form changes (Unicode rules; "ß" upper-cases to
// "SS"). Bytes that are not valid UTF-8 are kept as they are.
std::string AnsiUpperCase(std::string_view s);
std::string AnsiLowerCase(std::string_view s);
// Upper-cases `s` in place, one character at a time by the simple Unicode mapping, where the
// upper-case form has the same UTF-8 length ("ß" and "ı" stay): byte offsets into the result
// are those of the original, for matching a folded copy against its text. Bytes that are not
// valid UTF-8 are kept as they are.
void AnsiUpperCaseSameLength(std::string& s) noexcept;

// ---- Comparison ----------------------------------------------------------------------------

// Case-sensitive, byte by byte.
int CompareStr(std::string_view a, std::string_view b);
// ASCII letters compared as upper case ("a" sorts before "_", as "A" does); other bytes as
// they are.
// One byte's letter case by ASCII rules; other bytes as they are.
char AsciiUpper(char c) noexcept;
char AsciiLower(char c) noexcept;

// The system's text for an error number (errno), as messages of failed file calls show it.
std::string SysErrorMessage(int errorCode);

int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);
// Every character compared through its simple Unicode upper-case mapping ("é" equals "É"),
// then by code point.
int AnsiCompareText(std::string_view a, std::string_view b);
bool AnsiSameText(std::string_view a, std::string_view b);

// ---- Trimming, searching, replacing --------------------------------------------------------

// Remove blanks and control characters (every byte <= ' ') from both ends, the start or
// the end.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

// 1-based position of the first `sub` in `s` at or after position `offset`; 0 when absent,
// when `sub` is empty or when `offset` is below 1 or beyond the text.
int Pos(std::string_view sub, std::string_view s, int offset = 1);

enum TReplaceFlag { rfReplaceAll, rfIgnoreCase };

// A set of TReplaceFlag: StringReplace(s, "a", "b", {rfReplaceAll, rfIgnoreCase}).
class TReplaceFlags {
public:
    TReplaceFlags() = default;
    TReplaceFlags(std::initializer_list<TReplaceFlag> flags)
    {
        for (TReplaceFlag f : flags) bits_ |= 1u << f;
    }
    bool Contains(TReplaceFlag f) const noexcept { return (bits_ & (1u << f)) != 0; }

private:
    unsigned bits_ = 0;
};

// `s` with the first (rfReplaceAll: every) occurrence of `oldPattern` replaced by
// `newPattern`, scanning on after each inserted text. rfIgnoreCase matches as
// AnsiSameText does. An empty `oldPattern` changes nothing.
std::string StringReplace(std::string_view s, std::string_view oldPattern,
                          std::string_view newPattern, TReplaceFlags flags = {});

// ---- Quoting -------------------------------------------------------------------------------

// `s` between `quote` characters, every `quote` inside doubled.
std::string AnsiQuotedStr(std::string_view s, char quote);
// Reads the quoted text that starts at s[pos] (which must be `quote`; otherwise returns ""
// and leaves `pos`): the text up to the closing quote, each doubled quote read as one.
// `pos` ends just after the closing quote. An unterminated quoted text runs to the end of
// `s`, all of it kept.
std::string AnsiExtractQuotedStr(std::string_view s, std::size_t& pos, char quote);

// ---- Integers and their texts --------------------------------------------------------------

std::string IntToStr(std::int64_t value);

// Accepted integer texts: optional leading blanks, an optional sign, then decimal digits,
// or hexadecimal digits after "$", "x", "X", "0x" or "0X". Nothing may follow. Decimal
// values must fit the target type; hexadecimal ones may use its whole unsigned width and
// wrap ("$FFFFFFFF" is -1 for a 32-bit integer).
// StrToInt raises EConvertError "'<text>' is not a valid integer value" for
// any other text, out-of-range values included.
int StrToInt(std::string_view s);
int StrToIntDef(std::string_view s, int defaultValue);
bool TryStrToInt(std::string_view s, int& value);
std::int64_t StrToInt64(std::string_view s);
bool TryStrToInt64(std::string_view s, std::int64_t& value);

namespace detail {
std::string HexDigits(std::uint64_t bits, int minDigits);
}

// Upper-case hexadecimal digits of `value`, at least `digits` of them (zero-padded). A
// negative value shows its two's complement in the width of its type: IntToHex(-1, 2) is
// "FFFFFFFF" for an int, sixteen "F" for a 64-bit integer.
template <std::integral T>
    requires(!std::same_as<T, bool>)
std::string IntToHex(T value, int digits)
{
    using U = std::make_unsigned_t<T>;
    return detail::HexDigits(static_cast<std::uint64_t>(static_cast<U>(value)), digits);
}

// The hexadecimal digits `s` (no prefix) as a 32-bit integer, the way StrToInt reads
// "$" + s (so up to eight digits; "FFFFFFFF" is -1). EConvertError
// "'<text>' is not a valid integer value" otherwise.
int HexToInt(std::string_view s);

// ---- Format --------------------------------------------------------------------------------

// One argument of Format. Built implicitly from integers, floating-point numbers, texts
// and single characters (a character formats as a one-character text).
class TFormatArg {
public:
    enum class Kind { Int, UInt, Float, Text };

    template <std::integral T>
        requires(!std::same_as<T, bool> && !std::same_as<T, char>)
    TFormatArg(T value) noexcept
        : kind_(std::is_signed_v<T> ? Kind::Int : Kind::UInt), wide_(sizeof(T) > 4)
    {
        if constexpr (std::is_signed_v<T>)
            int_ = value;
        else
            uint_ = value;
    }
    template <std::floating_point T>
    TFormatArg(T value) noexcept : kind_(Kind::Float), float_(static_cast<double>(value))
    {
    }
    TFormatArg(std::string_view value) noexcept : kind_(Kind::Text), text_(value) {}
    TFormatArg(const std::string& value) noexcept : kind_(Kind::Text), text_(value) {}
    TFormatArg(const char* value) noexcept : kind_(Kind::Text), text_(value ? value : "") {}
    TFormatArg(const char& value) noexcept : kind_(Kind::Text), text_(&value, 1) {}
    TFormatArg(bool) = delete;

    Kind GetKind() const noexcept { return kind_; }
    // True for integers wider than 32 bits (their negative values show 16 hex digits).
    bool IsWide() const noexcept { return wide_; }
    std::int64_t AsInt() const noexcept { return int_; }
    std::uint64_t AsUInt() const noexcept { return uint_; }
    double AsFloat() const noexcept { return float_; }
    std::string_view AsText() const noexcept { return text_; }

private:
    Kind kind_;
    bool wide_ = false;
    std::int64_t int_ = 0;
    std::uint64_t uint_ = 0;
    double float_ = 0;
    std::string_view text_;
};

// Fills `format` from `args`. Each specifier is "%" ["-"] [width] ["." precision] type:
//   %d  integer in decimal; the precision is the minimum number of digits ("%.3d" of -5 is
//       "-005")
//   %x  integer in lower-case hexadecimal, %X in upper case; the precision is the minimum
//       number of digits; a negative integer shows its two's complement (32 bits for
//       integers of up to 32 bits)
//   %s  text; a precision cuts it to that many characters (whole UTF-8 sequences)
//   %f  floating-point (or integer) number with precision decimals (2 when absent), "."
//       as the decimal separator, rounded to nearest (an exact tie to even); locale-formatted
//       numbers are FormatFloat's work
//   %%  a "%"
// The width pads with blanks on the left ("-": on the right). A specifier without an
// argument raises EConvertError "No argument for format '<spec>'"; an unknown one or one
// whose argument does not fit raises EConvertError
// "Format '<spec>' invalid or incompatible with argument". Unused arguments are ignored.
std::string FormatV(std::string_view format, std::span<const TFormatArg> args);

template <class... Args>
std::string Format(std::string_view format, const Args&... args)
{
    if constexpr (sizeof...(Args) == 0) {
        return FormatV(format, {});
    } else {
        const TFormatArg list[] = {TFormatArg(args)...};
        return FormatV(format, list);
    }
}

// ---- UTF-8 ---------------------------------------------------------------------------------
// Stepping never splits a valid sequence. A byte that does not start a complete, valid
// sequence counts as one character of its own, so stepping always moves and always ends.

// Length of the sequence that `lead` starts according to its bit pattern: 1 for ASCII, 2 to
// 4 for lead bytes, 1 for continuation bytes and bytes that never start a sequence.
int Utf8SeqLen(unsigned char lead) noexcept;
// Byte length of the character starting at s[pos] (0 when pos is at or beyond the end).
std::size_t Utf8CharLen(std::string_view s, std::size_t pos) noexcept;
// Start of the character after the one starting at `pos` (s.size() at most).
std::size_t Utf8NextCharStart(std::string_view s, std::size_t pos) noexcept;
// Start of the character that holds byte `pos` (pos itself when it starts one; s.size() at or
// beyond the end), for cutting a text at a byte budget without splitting a sequence.
std::size_t Utf8CharStartAt(std::string_view s, std::size_t pos) noexcept;
// Start of the character before `pos` (0 at least).
std::size_t Utf8PrevCharStart(std::string_view s, std::size_t pos) noexcept;
// Number of characters.
std::size_t Utf8CharCount(std::string_view s) noexcept;
// True when `s` is entirely valid UTF-8.
bool IsValidUtf8(std::string_view s) noexcept;

}  // namespace rtl
