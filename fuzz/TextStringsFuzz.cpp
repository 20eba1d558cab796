// Fuzz target of the editor's stored "Strings": the pieces of at most 255 bytes that a form
// file keeps per paragraph (a piece ending in byte 5 continues in the next one). The input
// is a list of pieces as FuzzedDataProvider reads strings (a backslash followed by another
// character ends a piece, two backslashes are one), after an option byte at the end.
//
// Promises checked: every paragraph cut into pieces gives pieces of at most 255 bytes,
// valid UTF-8 each when the paragraph is, that join to the paragraph again; pieces read into
// an editor hold the joined paragraphs; what the editor stores reads into another editor as
// the same text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "editor/TextMemo.h"
#include "editor/TextMemoStrings.h"
#include "editor/TextStream.h"
#include "fuzz/FuzzSupport.h"
#include "platform/rtl/SysUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace editor;
    FuzzedDataProvider provider(data, size);
    const bool filled = provider.ConsumeBool();  // the editor holds text before the pieces come
    std::vector<std::string> pieces;
    while (provider.remaining_bytes() > 0 && pieces.size() < 2000) pieces.push_back(provider.ConsumeRandomLengthString(600));

    // ---- Cutting and joining -------------------------------------------------------------
    const std::vector<std::string> paragraphs = JoinStringsPieces(pieces);
    for (const std::string& paragraph : paragraphs) {
        std::vector<std::string> cut;
        AppendStringsPieces(cut, paragraph);
        const bool valid = rtl::IsValidUtf8(paragraph);
        for (std::size_t i = 0; i < cut.size(); ++i) {
            fuzz::Check(cut[i].size() <= 255, "a piece holds at most 255 bytes");
            std::string_view body = cut[i];
            if (i + 1 < cut.size()) {
                fuzz::Check(body.ends_with('\x05'), "a piece that is continued ends in byte 5");
                body.remove_suffix(1);
            }
            if (valid) fuzz::Check(rtl::IsValidUtf8(body), "a piece of valid text is valid text");
        }
        fuzz::Check(JoinStringsPieces(cut) == std::vector<std::string>{paragraph}, "the pieces join to the paragraph");
    }

    // ---- Into an editor and back ---------------------------------------------------------
    TTextMemo memo;
    if (filled) memo.SetTextBuf("first\r\n\r\nthird");
    memo.Lines()->ReadStoredPieces(pieces);
    memo.CheckConsistency();

    bool plain = true;  // no CR: each paragraph stays one paragraph in the editor
    std::string appended;
    for (const std::string& p : paragraphs) {
        plain = plain && p.find('\r') == std::string::npos;
        appended += p + "\r\n";
    }
    if (plain && !filled) fuzz::Check(memo.Text() == appended, "the editor holds the paragraphs read");

    TTextMemo other;
    other.Lines()->ReadStoredPieces(memo.Lines()->StoredPieces());
    // Read pieces always end with a break; a last paragraph that is empty is not stored.
    fuzz::Check(other.Text() == memo.Text() || other.Text() == memo.Text() + "\r\n", "what the editor stores reads back");
    return 0;
}
