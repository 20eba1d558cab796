#include "editor/TextStore.h"

#include "platform/rtl/Exceptions.h"

#include <algorithm>

namespace editor {

void ListIndexError() { throw rtl::EListError("List index out of bounds"); }
void TextTooLongError() { throw rtl::Exception("Text too long"); }
void InternalError() { throw rtl::Exception("Internal TextMemo error"); }

std::uint8_t ApplyStyleCodes(std::uint8_t style, std::string_view run) noexcept
{
    for (const char c : run) style ^= StyleBitOfCode(static_cast<unsigned char>(c));
    return style;
}

std::string TidyStyleCodes(std::string_view text, std::vector<int>* removed)
{
    std::string out;
    out.reserve(text.size());
    std::vector<char> drop(text.size(), 0);
    bool any = false;
    std::size_t i = 0;
    while (i < text.size()) {
        if (!IsStyleCode(static_cast<unsigned char>(text[i]))) {
            ++i;
            continue;
        }
        // One run of toggle codes: pair each code with the next equal one.
        std::size_t runEnd = i;
        while (runEnd < text.size() && IsStyleCode(static_cast<unsigned char>(text[runEnd]))) ++runEnd;
        int open[32];
        std::fill(std::begin(open), std::end(open), -1);
        for (std::size_t k = i; k < runEnd; ++k) {
            const auto code = static_cast<unsigned char>(text[k]);
            if (open[code] >= 0) {
                drop[open[code]] = 1;
                drop[k] = 1;
                open[code] = -1;
                any = true;
            } else {
                open[code] = static_cast<int>(k);
            }
        }
        i = runEnd;
    }
    if (!any) return std::string(text);
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (drop[k]) {
            if (removed) removed->push_back(static_cast<int>(k));
        } else {
            out.push_back(text[k]);
        }
    }
    return out;
}

bool TStyleRec::SameState(const TStyleRec& other) const noexcept
{
    if ((Flags & srContext) != (other.Flags & srContext) || Level != other.Level) return false;
    for (int l = 0; l <= Level; ++l)
        if (Keys[l] != other.Keys[l]) return false;
    return true;
}

int TParagraphRec::StyleIndexAt(int offset) const noexcept
{
    const auto it = std::lower_bound(Styles.begin(), Styles.end(), offset,
                                     [](const TStyleRec& r, int off) { return r.Offset < off; });
    return static_cast<int>(it - Styles.begin()) - 1;
}

const TStyleRec& TParagraphRec::StyleAt(int offset) const noexcept
{
    static const TStyleRec none;
    const int i = StyleIndexAt(offset);
    if (i >= 0) return Styles[i];
    return StartState ? *StartState : none;
}

int TParagraphRec::LineOfOffset(int offset) const noexcept
{
    if (Line0.Stop > offset || MoreLines.empty()) return 0;
    const auto it = std::upper_bound(MoreLines.begin(), MoreLines.end(), offset,
                                     [](int off, const TLineRec& l) { return off < l.Stop; });
    if (it == MoreLines.end()) return static_cast<int>(MoreLines.size());
    return 1 + static_cast<int>(it - MoreLines.begin());
}

TLineRec& TLinesList::operator[](int index) const
{
    if (index == 0) return p_->Line0;
    if (index < 0 || index > static_cast<int>(p_->MoreLines.size())) ListIndexError();
    return p_->MoreLines[index - 1];
}

void TLinesList::SetCount(int count) const
{
    if (count < 1) count = 1;
    p_->MoreLines.resize(static_cast<std::size_t>(count - 1));
}

}  // namespace editor
