#include "designer/HtmlText.h"

#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <cstdint>

namespace designer {

namespace {

// Percent-encodes `value` into `out`; `amp` is what a kept "&" is written as.
void AppendPercentEncoded(std::string& out, std::string_view value, TUrlPart part, std::string_view amp)
{
    // Kept in a path: what builds an address; none of them can end a quoted attribute.
    static constexpr std::string_view pathKeeps = "/:?#@!$&()*+,;=%";
    static constexpr char hex[] = "0123456789ABCDEF";
    for (char c : value) {
        const auto u = static_cast<unsigned char>(c);
        const bool unreserved = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
                                u == '-' || u == '.' || u == '_' || u == '~';
        if (unreserved) {
            out += c;
        } else if (part == TUrlPart::Path && pathKeeps.find(c) != std::string_view::npos) {
            if (c == '&')
                out += amp;
            else
                out += c;
        } else {
            out += '%';
            out += hex[u >> 4];
            out += hex[u & 0x0F];
        }
    }
}

}  // namespace

std::string PercentEncode(std::string_view value, TUrlPart part)
{
    std::string out;
    out.reserve(value.size());
    AppendPercentEncoded(out, value, part, "&");
    return out;
}

void AppendPercentEncodedAttribute(std::string& out, std::string_view value, TUrlPart part)
{
    // Percent-encoding leaves only "&" of the characters that mean something in an attribute;
    // written as a reference, it can never start one there.
    AppendPercentEncoded(out, value, part, "&amp;");
}

std::string CssFontFamily(std::string_view fontName)
{
    std::string name = rtl::Trim(fontName);
    if (name.ends_with(']')) {
        const std::size_t open = name.rfind('[');
        if (open != std::string::npos) name = rtl::Trim(std::string_view(name).substr(0, open));
    }
    const auto plain = [](unsigned char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
               c >= 0x80;
    };
    const bool bare = !name.empty() && !(name[0] >= '0' && name[0] <= '9') && name[0] != '-' &&
                      std::all_of(name.begin(), name.end(), [&](char c) { return plain(static_cast<unsigned char>(c)); });
    if (bare || name.empty()) return name;
    static constexpr char hex[] = "0123456789ABCDEF";
    static constexpr std::string_view escaped = "\"\\<>;";
    std::string out = "\"";
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || escaped.find(c) != std::string_view::npos) {
            // A hexadecimal escape, ended by the blank the style sheet's reader drops.
            out += '\\';
            out += hex[u >> 4];
            out += hex[u & 0x0F];
            out += ' ';
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

void ForEachFieldTag(std::string_view text, const std::function<void(std::string_view)>& literal,
                     const std::function<void(std::string_view)>& tag)
{
    std::string_view rest = text;
    for (;;) {
        const std::size_t a = rest.find('[');
        if (a == std::string_view::npos) break;
        const std::size_t b = rest.find(']', a + 1);
        if (b == std::string_view::npos) break;
        literal(rest.substr(0, a));
        tag(rest.substr(a + 1, b - a - 1));
        rest = rest.substr(b + 1);
    }
    literal(rest);
}

}  // namespace designer
