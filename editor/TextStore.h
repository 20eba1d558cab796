#pragma once
// The editor's text store: paragraphs, their display lines and their style records.
//
// Positions are absolute offsets into the text in which every paragraph break counts as two
// characters (CR LF), whatever break the text was read with. Inside a paragraph an offset
// runs from 0 to its length; length is where the CR of its break stands, length + 1 the LF.
// Offsets count bytes of the UTF-8 text; the caret and the selection only ever stand at the
// start of a character.

#include "platform/rtl/Colors.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace editor {

// The longest text and the longest paragraph the store holds.
constexpr int kMaxTextLength = 2147483547;
// Cache value: not computed yet.
constexpr int kNotComputed = 2147483647;

// Raises EListError "List index out of bounds" (the store's arrays).
[[noreturn]] void ListIndexError();
// Raises rtl::Exception "Text too long".
[[noreturn]] void TextTooLongError();
// Raises rtl::Exception "Internal TextMemo error".
[[noreturn]] void InternalError();

// ---- Style codes ---------------------------------------------------------------------------
// With StaticFormat the text carries its own formatting: these bytes have no width and each
// toggles one element of the style byte.
constexpr unsigned char tcItalic = 1;
constexpr unsigned char tcBold = 2;
constexpr unsigned char tcHighlight = 3;
constexpr unsigned char tcAltFont = 4;
constexpr unsigned char tcUnderline = 21;
constexpr unsigned char kTab = 9;

// Bits of the style byte (drawing style).
constexpr std::uint8_t fsBold = 1;
constexpr std::uint8_t fsItalic = 2;
constexpr std::uint8_t fsUnderline = 4;
constexpr std::uint8_t fsStrikeOut = 8;
constexpr std::uint8_t fsHighlight = 16;
constexpr std::uint8_t fsAltFont = 32;
constexpr std::uint8_t fsSpecUnderline = 128;

constexpr bool IsStyleCode(unsigned char c) noexcept
{
    return (c >= 1 && c <= 4) || c == tcUnderline;
}

// The style bit a toggle code flips (0 for any other byte).
constexpr std::uint8_t StyleBitOfCode(unsigned char c) noexcept
{
    switch (c) {
    case tcItalic: return fsItalic;
    case tcBold: return fsBold;
    case tcHighlight: return fsHighlight;
    case tcAltFont: return fsAltFont;
    case tcUnderline: return fsUnderline;
    default: return 0;
    }
}

// `style` after every toggle code in `run`.
std::uint8_t ApplyStyleCodes(std::uint8_t style, std::string_view run) noexcept;

// Removes, inside every run of consecutive toggle codes, each code together with the next
// equal code of the same run (such pairs enclose nothing and cancel out). `removed`, when
// given, receives the offsets (in the original text, ascending) of the bytes taken out.
std::string TidyStyleCodes(std::string_view text, std::vector<int>* removed = nullptr);

// ---- Records -------------------------------------------------------------------------------

// Nesting levels of start/stop-key spans.
constexpr int kMaxSpanLevels = 15;

// Flags of a style record.
constexpr std::uint8_t srKeyword = 0x01;     // a keyword match starts here
constexpr std::uint8_t srKeywordEnd = 0x02;  // the state around a keyword match resumes here
constexpr std::uint8_t srMarked = 0x04;      // with either of the above: set by a highlighter
constexpr std::uint8_t srKeywordFlags = srKeyword | srKeywordEnd | srMarked;
// A context run: given by SetStyleRange, or by bit 128 of a keyword's or pair's attribute byte.
constexpr std::uint8_t srContext = 0x80;

// A style record: the parsing state from its offset on, up to the next record. Paragraphs
// also keep the state in force at their start as a style record shared by reference.
struct TStyleRec {
    int Offset = 0;            // in the paragraph
    std::uint8_t Flags = 0;
    std::uint8_t Attr = 0;     // attribute byte of the keyword or start/stop pair
    std::uint8_t Style = 0;    // drawing style of a context record
    std::int8_t Level = -1;    // innermost open span, -1 when none
    std::int32_t Context = 0;  // the 32-bit attribute of the keyword or pair
    std::int16_t Attr16 = 0;
    rtl::TColor TextColor = -1;  // -1 = none
    rtl::TColor BackColor = -1;
    std::int32_t Keyword = -1;   // keyword of a keyword record
    std::array<std::int16_t, kMaxSpanLevels> Keys{};  // the pair open at each level

    // Same span state: context mark, level and the pair at every open level (keyword marks
    // are not part of the state).
    bool SameState(const TStyleRec& other) const noexcept;
};

using TStyleState = std::shared_ptr<TStyleRec>;

// A display line of a paragraph.
struct TLineRec {
    int Start = 0;         // offset in the paragraph
    int Stop = 0;          // one past its last character, trailing blanks included
    int Width = 0;         // pixels, without trailing blanks
    int FullWidth = 0;     // pixels, with them
    int Blanks = 0;        // blanks that take part in justification
    int JustifyStart = 0;  // offset after the last tab of the line
    std::uint8_t Style = 0;  // style byte in force at the line start
    int StyleIndex = -1;     // style record in force at the line start (-1: the start state)
};

struct TParagraphRec {
    std::string Text;  // without the break
    rtl::TColor TextColor = -1;  // -1: the editor's colours apply
    rtl::TColor BackColor = -1;
    int FirstLine = 0;  // global index of the first display line
    int Start = 0;      // absolute offset of the first character
    TStyleState StartState;
    TLineRec Line0;                  // the first display line
    std::vector<TLineRec> MoreLines;  // the others
    std::vector<TStyleRec> Styles;    // ascending offsets
    bool Formatted = false;
    bool KeysParsed = false;
    bool KeywordsParsed = false;

    int Length() const noexcept { return static_cast<int>(Text.size()); }
    int LineCount() const noexcept { return 1 + static_cast<int>(MoreLines.size()); }
    // Index of the style record in force at `offset`: the last one whose offset is below it,
    // -1 for the start state.
    int StyleIndexAt(int offset) const noexcept;
    // The record in force at `offset`.
    const TStyleRec& StyleAt(int offset) const noexcept;
    // Display line (in the paragraph) holding `offset`: the first whose stop lies beyond it,
    // else the last.
    int LineOfOffset(int offset) const noexcept;
};

// The display lines of one paragraph as an indexed list.
class TLinesList {
public:
    explicit TLinesList(TParagraphRec& paragraph) : p_(&paragraph) {}
    int Count() const noexcept { return p_->LineCount(); }
    TLineRec& operator[](int index) const;
    // Keeps the first `count` lines (at least one), adding empty ones.
    void SetCount(int count) const;

private:
    TParagraphRec* p_;
};

// ---- The paragraph list ---------------------------------------------------------------------
// Records live in chunks of about 32 KB, so that inserting or removing paragraphs in a long
// text moves records but never reallocates one huge block.
template <class T>
class TChunkedList {
public:
    static constexpr int kChunkBytes = 32768;
    static constexpr int kPerChunk =
        sizeof(T) >= kChunkBytes ? 1 : static_cast<int>(kChunkBytes / sizeof(T));

    int Count() const noexcept { return count_; }
    int Capacity() const noexcept { return static_cast<int>(chunks_.size()) * kPerChunk; }

    T& operator[](int index)
    {
        if (static_cast<unsigned>(index) >= static_cast<unsigned>(count_)) ListIndexError();
        return At(index);
    }
    const T& operator[](int index) const
    {
        if (static_cast<unsigned>(index) >= static_cast<unsigned>(count_)) ListIndexError();
        return chunks_[index / kPerChunk][index % kPerChunk];
    }

    int Add(T record)
    {
        Reserve(count_ + 1);
        At(count_) = std::move(record);
        return count_++;
    }

    // Inserts `n` empty records before `index` (0..Count).
    void Insert(int index, int n)
    {
        if (index < 0 || index > count_) ListIndexError();
        if (n <= 0) return;
        Reserve(count_ + n);
        for (int i = count_ - 1; i >= index; --i) At(i + n) = std::move(At(i));
        for (int i = index; i < index + n; ++i) At(i) = T{};
        count_ += n;
    }

    // Removes `n` records from `index` on.
    void Delete(int index, int n)
    {
        if (n <= 0) return;
        if (index < 0 || index + n > count_) ListIndexError();
        for (int i = index + n; i < count_; ++i) At(i - n) = std::move(At(i));
        SetCount(count_ - n);
    }

    // Grows with empty records or drops the records beyond `count`, freeing surplus chunks.
    void SetCount(int count)
    {
        if (count < 0) ListIndexError();
        if (count > count_) {
            Reserve(count);
        } else {
            for (int i = count; i < count_; ++i) At(i) = T{};
        }
        count_ = count;
        const std::size_t needed = (static_cast<std::size_t>(count) + kPerChunk - 1) / kPerChunk;
        if (chunks_.size() > needed) chunks_.resize(needed);
    }

    void Clear() { SetCount(0); }

private:
    T& At(int index) { return chunks_[index / kPerChunk][index % kPerChunk]; }
    void Reserve(int count)
    {
        while (Capacity() < count) chunks_.push_back(std::make_unique<T[]>(kPerChunk));
    }

    std::vector<std::unique_ptr<T[]>> chunks_;
    int count_ = 0;
};

using TParagraphsList = TChunkedList<TParagraphRec>;

}  // namespace editor
