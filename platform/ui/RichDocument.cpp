// Web addresses in rich text: finding them and deciding what a click may open.

#include "platform/ui/RichDocument.h"

#include <array>

#include "platform/rtl/Addresses.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Backend.h"

namespace ui {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && rtl::SameText(text.substr(0, prefix.size()), prefix);
}

bool IsAddressStart(std::string_view rest)
{
    static constexpr std::array<std::string_view, 5> kStarts = {"http://", "https://", "ftp://", "mailto:", "www."};
    for (const std::string_view s : kStarts)
        if (StartsWithNoCase(rest, s) && rest.size() > s.size()) return true;
    return false;
}

bool EndsAddress(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '"' || c == '<' || c == '>'; }

// Characters a document counts for the UTF-8 sequence led by `lead` (supplementary planes
// count two, as the window system's strings do).
int Units(unsigned char lead) { return lead >= 0xF0 ? 2 : ((lead & 0xC0) == 0x80 ? 0 : 1); }

}  // namespace

std::unique_ptr<IRichDocument> IWindowSystem::CreateRichDocument() { return nullptr; }

std::vector<TWebAddressRange> FindWebAddresses(std::string_view text)
{
    std::vector<TWebAddressRange> found;
    int position = 0;
    bool wordStart = true;
    std::size_t i = 0;
    while (i < text.size()) {
        if (wordStart && IsAddressStart(text.substr(i))) {
            std::size_t end = i;
            while (end < text.size() && !EndsAddress(text[end])) ++end;
            while (end > i && std::string_view(".,;:!?)]}'").find(text[end - 1]) != std::string_view::npos) --end;
            TWebAddressRange r{position, 0, std::string(text.substr(i, end - i))};
            for (; i < end; ++i) r.length += Units(static_cast<unsigned char>(text[i]));
            position += r.length;
            found.push_back(std::move(r));
            wordStart = false;
            continue;
        }
        const char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;  // one paragraph end
        position += Units(static_cast<unsigned char>(c));
        wordStart = EndsAddress(c) || c == '(' || c == '[';
        ++i;
    }
    return found;
}

std::optional<std::string> LinkTarget(std::string_view address)
{
    if (StartsWithNoCase(address, "www.")) return "http://" + std::string(address);
    if (rtl::AddressScheme(address).empty() || !rtl::IsSafeLinkAddress(address)) return std::nullopt;
    return std::string(address);
}

}  // namespace ui
