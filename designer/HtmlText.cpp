#include "designer/HtmlText.h"

#include "platform/rtl/SysUtils.h"


namespace designer {

std::string HtmlEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string PercentEncode(std::string_view value, TUrlPart part)
{
    // Kept in a path: what builds an address; none of them can end a quoted attribute.
    static constexpr std::string_view pathKeeps = "/:?#@!$&()*+,;=%";
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        const auto u = static_cast<unsigned char>(c);
        const bool unreserved = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
                                u == '-' || u == '.' || u == '_' || u == '~';
        if (unreserved || (part == TUrlPart::Path && pathKeeps.find(c) != std::string_view::npos)) {
            out += c;
        } else {
            out += '%';
            out += hex[u >> 4];
            out += hex[u & 0x0F];
        }
    }
    return out;
}

namespace {

bool IsSchemeChar(char c, bool first)
{
    const bool alpha = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (first) return alpha;
    return alpha || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

}  // namespace

std::string AddressScheme(std::string_view address)
{
    // Browsers skip leading blanks and control characters before they look for a scheme.
    const std::string trimmed = rtl::TrimLeft(address);
    const std::size_t end = trimmed.find_first_of(":/?#");
    if (end == std::string::npos || end == 0 || trimmed[end] != ':') return {};
    for (std::size_t k = 0; k < end; ++k)
        if (!IsSchemeChar(trimmed[k], k == 0)) return {};
    return rtl::LowerCase(std::string_view(trimmed).substr(0, end));
}

bool IsSafeLinkAddress(std::string_view address)
{
    const std::string scheme = AddressScheme(address);
    if (scheme.empty()) {
        // A colon before any "/", "?" or "#" that does not follow a valid scheme name is
        // still read as one by some browsers ("java\tscript:"): refuse it.
        const std::string trimmed = rtl::TrimLeft(address);
        const std::size_t end = trimmed.find_first_of(":/?#");
        return end == std::string::npos || trimmed[end] != ':';
    }
    return scheme == "http" || scheme == "https" || scheme == "ftp" || scheme == "mailto";
}

}  // namespace designer
