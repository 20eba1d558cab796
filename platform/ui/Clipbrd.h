#pragma once
// The clipboard. Formats are numbers: CF_TEXT (UTF-8 text) and the formats registered by
// name, each carried under a MIME type of its own ("HTML Format" as text/html). Several
// formats go on the clipboard together between Open and Close: the first one put there
// empties the clipboard, the others join it, and the clipboard takes them all at the last
// Close. Outside Open each Set... is a whole open-and-close of its own.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ui {

using TClipboardFormat = unsigned;
constexpr TClipboardFormat CF_TEXT = 1;
constexpr TClipboardFormat CF_UNICODETEXT = 13;  // the same text as CF_TEXT

// The number of a named format (the same name gives the same number, from 0xC000 up).
TClipboardFormat RegisterClipboardFormat(const std::string& name);
// The name of a registered format; empty for others.
std::string ClipboardFormatName(TClipboardFormat format);
// The MIME type a format travels as (empty for an unknown number).
std::string ClipboardMimeType(TClipboardFormat format);

// Where the clipboard's contents live: the window system's clipboard, else memory.
class IClipboardStore {
public:
    using Entries = std::vector<std::pair<std::string, std::string>>;  // MIME type, bytes
    virtual ~IClipboardStore() = default;
    // Replaces the contents with `entries` (none: empties it).
    virtual void Store(const Entries& entries) = 0;
    virtual std::optional<std::string> Get(const std::string& mime) = 0;
    virtual bool Has(const std::string& mime) = 0;
};

// Installs the store (nullptr: the one in memory) and answers the previous one.
IClipboardStore* SetClipboardStore(IClipboardStore* store);

class TClipboard {
public:
    void Open();
    void Close();
    // Empties the clipboard (within Open: once the last Close comes).
    void Clear();

    bool HasFormat(TClipboardFormat format);
    std::string AsText();
    void SetAsText(std::string_view text);
    // The bytes of a format; nullopt when the clipboard holds none.
    std::optional<std::string> GetData(TClipboardFormat format);
    void SetData(TClipboardFormat format, std::string_view bytes);

private:
    void Put(const std::string& mime, std::string_view bytes);
    int openCount_ = 0;
    bool emptied_ = false;
    IClipboardStore::Entries pending_;
};

TClipboard& Clipboard();

}  // namespace ui
