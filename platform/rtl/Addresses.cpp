#include "platform/rtl/Addresses.h"

#include <QString>

#include <array>
#include <cstdint>

#include "platform/rtl/SysUtils.h"

namespace rtl {

void AppendHtmlEscaped(std::string& out, std::string_view text)
{
    // The reference of each character that needs one, by its byte; the runs between them are
    // copied whole.
    static constexpr auto kReference = [] {
        std::array<std::string_view, 256> r{};
        r['&'] = "&amp;";
        r['<'] = "&lt;";
        r['>'] = "&gt;";
        r['"'] = "&quot;";
        r['\''] = "&#39;";
        return r;
    }();
    std::size_t done = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::string_view reference = kReference[static_cast<unsigned char>(text[i])];
        if (reference.empty()) continue;
        out.append(text.data() + done, i - done);
        out += reference;
        done = i + 1;
    }
    out.append(text.data() + done, text.size() - done);
}

std::string HtmlEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    AppendHtmlEscaped(out, text);
    return out;
}

namespace {

void AppendCodePoint(std::string& out, char32_t cp)
{
    out += QString::fromUcs4(&cp, 1).toStdString();
}

}  // namespace

namespace {

bool IsSchemeChar(char c, bool first)
{
    const bool alpha = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (first) return alpha;
    return alpha || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

bool IsAsciiAlnum(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// The named references whose characters are ASCII, the only ones that can build a scheme or
// its colon, or hide one (tabs, line breaks).
struct TNamedReference {
    std::string_view Name;
    std::string_view Text;
};
constexpr TNamedReference kAsciiReferences[] = {
    {"Tab", "\t"},        {"NewLine", "\n"},  {"excl", "!"},      {"quot", "\""},   {"QUOT", "\""},
    {"num", "#"},         {"dollar", "$"},    {"percnt", "%"},    {"amp", "&"},     {"AMP", "&"},
    {"apos", "'"},        {"lpar", "("},      {"rpar", ")"},      {"ast", "*"},     {"midast", "*"},
    {"plus", "+"},        {"comma", ","},     {"period", "."},    {"sol", "/"},     {"colon", ":"},
    {"semi", ";"},        {"lt", "<"},        {"LT", "<"},        {"equals", "="},  {"gt", ">"},
    {"GT", ">"},          {"quest", "?"},     {"commat", "@"},    {"lsqb", "["},    {"lbrack", "["},
    {"bsol", "\\"},       {"rsqb", "]"},      {"rbrack", "]"},    {"Hat", "^"},     {"lowbar", "_"},
    {"UnderBar", "_"},    {"grave", "`"},     {"DiacriticalGrave", "`"},            {"lcub", "{"},
    {"lbrace", "{"},      {"verbar", "|"},    {"vert", "|"},      {"VerticalLine", "|"},
    {"rcub", "}"},        {"rbrace", "}"},    {"fjlig", "fj"},
};
// Of those, the ones a browser also takes without ";".
constexpr std::string_view kLegacyReferences[] = {"quot", "QUOT", "amp", "AMP", "lt", "LT", "gt", "GT"};

// What a browser makes of the code points 0x80-0x9F in a numeric reference.
constexpr std::array<char32_t, 32> kWindows1252 = {
    0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

// The character of a numeric reference's value, as a browser replaces the values that name
// no character.
char32_t ReferencedCodePoint(std::uint32_t value)
{
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0xFFFD;
    if (value >= 0x80 && value <= 0x9F) return kWindows1252[value - 0x80];
    return value;
}

// Reads a numeric reference at text[at] ("&#"); on success appends its character and returns
// the position after it.
std::size_t NumericReference(std::string_view text, std::size_t at, std::string& out)
{
    std::size_t k = at + 2;
    const bool hex = k < text.size() && (text[k] == 'x' || text[k] == 'X');
    if (hex) ++k;
    const std::size_t digits = k;
    std::uint32_t value = 0;
    for (; k < text.size() && (hex ? IsHexDigit(text[k]) : (text[k] >= '0' && text[k] <= '9')); ++k) {
        const char c = text[k];
        const std::uint32_t d = c <= '9' ? static_cast<std::uint32_t>(c - '0')
                                         : static_cast<std::uint32_t>((c | 0x20) - 'a' + 10);
        value = value > 0x10FFFF ? value : value * (hex ? 16 : 10) + d;  // saturates past the last code point
    }
    if (k == digits) return std::string_view::npos;
    if (k < text.size() && text[k] == ';') ++k;
    AppendCodePoint(out, ReferencedCodePoint(value));
    return k;
}

// Reads a named reference of kAsciiReferences at text[at] ("&"); on success appends its text
// and returns the position after it.
std::size_t NamedReference(std::string_view text, std::size_t at, std::string& out)
{
    std::size_t end = at + 1;
    while (end < text.size() && IsAsciiAlnum(text[end])) ++end;
    const std::string_view name = text.substr(at + 1, end - at - 1);
    if (end < text.size() && text[end] == ';') {
        for (const TNamedReference& r : kAsciiReferences) {
            if (r.Name == name) {
                out += r.Text;
                return end + 1;
            }
        }
        return std::string_view::npos;
    }
    // Without ";" only the legacy names, and in an attribute only when no letter, digit or
    // "=" follows the name.
    for (const std::string_view legacy : kLegacyReferences) {
        if (name.substr(0, legacy.size()) != legacy) continue;
        const std::size_t after = at + 1 + legacy.size();
        if (after < text.size() && (IsAsciiAlnum(text[after]) || text[after] == '=')) continue;
        for (const TNamedReference& r : kAsciiReferences) {
            if (r.Name == legacy) out += r.Text;
        }
        return after;
    }
    return std::string_view::npos;
}

// The address as the browser's address parser sees it: decoded, without control characters
// (it drops tabs and line breaks anywhere; the rest are dropped here as well, so that none can
// hide a scheme from this check) and without leading blanks.
std::string BrowserAddress(std::string_view attribute)
{
    std::string address;
    for (const char c : DecodeAttributeValue(attribute)) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || (u == ' ' && address.empty())) continue;
        address += c;
    }
    return address;
}

}  // namespace

std::string DecodeAttributeValue(std::string_view attribute)
{
    std::string out;
    out.reserve(attribute.size());
    for (std::size_t k = 0; k < attribute.size();) {
        if (attribute[k] == '&') {
            const bool numeric = k + 1 < attribute.size() && attribute[k + 1] == '#';
            const std::size_t next = numeric ? NumericReference(attribute, k, out) : NamedReference(attribute, k, out);
            if (next != std::string_view::npos) {
                k = next;
                continue;
            }
        }
        out += attribute[k++];
    }
    return out;
}

std::string AddressScheme(std::string_view attribute)
{
    const std::string address = BrowserAddress(attribute);
    const std::size_t end = address.find_first_of(":/?#");
    if (end == std::string::npos || end == 0 || address[end] != ':') return {};
    for (std::size_t k = 0; k < end; ++k)
        if (!IsSchemeChar(address[k], k == 0)) return {};
    return LowerCase(std::string_view(address).substr(0, end));
}

bool IsSafeLinkAddress(std::string_view attribute)
{
    const std::string scheme = AddressScheme(attribute);
    if (scheme.empty()) {
        // A colon before any "/", "?" or "#" that does not follow a valid scheme name may
        // still be read as one: refuse it.
        const std::string address = BrowserAddress(attribute);
        const std::size_t end = address.find_first_of(":/?#");
        return end == std::string::npos || address[end] != ':';
    }
    return scheme == "http" || scheme == "https" || scheme == "ftp" || scheme == "mailto";
}

}  // namespace rtl
