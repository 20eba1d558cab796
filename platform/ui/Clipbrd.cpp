#include "platform/ui/Clipbrd.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace ui {

namespace {

class TMemoryClipboardStore : public IClipboardStore {
public:
    void Store(const Entries& entries) override { entries_ = entries; }
    std::optional<std::string> Get(const std::string& mime) override
    {
        for (const auto& [m, bytes] : entries_)
            if (m == mime) return bytes;
        return std::nullopt;
    }
    bool Has(const std::string& mime) override { return Get(mime).has_value(); }

private:
    Entries entries_;
};

IClipboardStore*& InstalledStore()
{
    static IClipboardStore* store = nullptr;
    return store;
}

IClipboardStore& Store()
{
    static TMemoryClipboardStore memory;
    IClipboardStore* s = InstalledStore();
    return s != nullptr ? *s : memory;
}

std::vector<std::string>& FormatNames()
{
    static std::vector<std::string> names;
    return names;
}

constexpr TClipboardFormat kFirstRegistered = 0xC000;

}  // namespace

TClipboardFormat RegisterClipboardFormat(const std::string& name)
{
    auto& names = FormatNames();
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == name) return kFirstRegistered + static_cast<TClipboardFormat>(i);
    names.push_back(name);
    return kFirstRegistered + static_cast<TClipboardFormat>(names.size() - 1);
}

std::string ClipboardFormatName(TClipboardFormat format)
{
    const auto& names = FormatNames();
    if (format < kFirstRegistered || format - kFirstRegistered >= names.size()) return {};
    return names[format - kFirstRegistered];
}

std::string ClipboardMimeType(TClipboardFormat format)
{
    if (format == CF_TEXT || format == CF_UNICODETEXT) return "text/plain";
    const std::string name = ClipboardFormatName(format);
    if (name.empty()) return {};
    if (name == "HTML Format") return "text/html";
    if (name == "Rich Text Format") return "text/rtf";
    // Letters and digits kept, lower case; every other run of characters becomes one dash.
    std::string mime = "application/x-gridweaver-";
    bool dash = false;
    for (unsigned char c : name) {
        if (std::isalnum(c)) {
            mime += static_cast<char>(std::tolower(c));
            dash = false;
        } else if (!dash) {
            mime += '-';
            dash = true;
        }
    }
    return mime;
}

IClipboardStore* SetClipboardStore(IClipboardStore* store) { return std::exchange(InstalledStore(), store); }

void TClipboard::Open()
{
    if (openCount_++ == 0) {
        emptied_ = false;
        pending_.clear();
    }
}

void TClipboard::Close()
{
    if (openCount_ == 0) return;
    if (--openCount_ > 0) return;
    if (emptied_) Store().Store(pending_);
    emptied_ = false;
    pending_.clear();
}

void TClipboard::Clear()
{
    Open();
    emptied_ = true;
    pending_.clear();
    Close();
}

void TClipboard::Put(const std::string& mime, std::string_view bytes)
{
    if (mime.empty()) return;
    Open();
    emptied_ = true;
    std::erase_if(pending_, [&](const auto& e) { return e.first == mime; });
    pending_.emplace_back(mime, std::string(bytes));
    Close();
}

bool TClipboard::HasFormat(TClipboardFormat format)
{
    const std::string mime = ClipboardMimeType(format);
    if (mime.empty()) return false;
    if (emptied_) return std::any_of(pending_.begin(), pending_.end(), [&](const auto& e) { return e.first == mime; });
    return Store().Has(mime);
}

std::optional<std::string> TClipboard::GetData(TClipboardFormat format)
{
    const std::string mime = ClipboardMimeType(format);
    if (mime.empty()) return std::nullopt;
    if (emptied_) {
        for (const auto& [m, bytes] : pending_)
            if (m == mime) return bytes;
        return std::nullopt;
    }
    return Store().Get(mime);
}

std::string TClipboard::AsText() { return GetData(CF_TEXT).value_or(std::string()); }

void TClipboard::SetAsText(std::string_view text) { Put("text/plain", text); }

void TClipboard::SetData(TClipboardFormat format, std::string_view bytes) { Put(ClipboardMimeType(format), bytes); }

TClipboard& Clipboard()
{
    static TClipboard clipboard;
    return clipboard;
}

}  // namespace ui
