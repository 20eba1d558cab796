#pragma once
// Formatted text as the rich-text control stores it (in blob fields, stored forms and on the
// clipboard): a small model of paragraphs holding runs of equally formatted text, with
// embedded objects and pictures kept as opaque items, and the RTF reader and writer of it.
//
// ReadRtf reads any bytes: data not starting with "{\rtf" is plain text (UTF-8, else
// Windows-1252), one paragraph per line. Broken RTF is read to its end and never past it:
// group nesting is bounded, numbers saturate, unknown control words and groups are skipped
// with their text kept, and no input makes it fail. Text in the model is UTF-8; a tab is
// '\t' and a line break inside a paragraph ("\line") is '\n'.
//
// WriteRtf writes the same subset deterministically: reading what it wrote gives the same
// model, and writing that again gives the same bytes. Non-ASCII characters are written as
// "\uN" with a one-character fallback; opaque items go back byte for byte.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ui::rtf {

// A font table entry. `family` is the RTF family word without its "\f" ("nil", "roman",
// "swiss", ...); `charset` the "\fcharset" number deciding how "\'hh" bytes read.
struct Font {
    std::string name;
    std::string family = "nil";
    int charset = 0;
    bool operator==(const Font&) const = default;
};

// A colour table entry; `automatic` for the empty entry (the default colour).
struct Color {
    bool automatic = true;
    std::uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const Color&) const = default;
};

// Character formatting. `font` indexes Document::fonts (-1 when there is no font table);
// `color` and `highlight` index Document::colors, 0 meaning the default colour and no
// highlight. Sizes are in half points.
struct CharFormat {
    int font = 0;
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int color = 0;
    int highlight = 0;
    bool operator==(const CharFormat&) const = default;
};

enum class Alignment { Left, Center, Right, Justify };

// Paragraph formatting; distances in twips. `lineSpacing` 0 is single spacing; with
// `lineMultiple` it counts 240ths of a line, else twips (negative: exactly).
struct ParaFormat {
    Alignment alignment = Alignment::Left;
    int leftIndent = 0;
    int rightIndent = 0;
    int firstIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    int lineSpacing = 0;
    bool lineMultiple = false;
    std::vector<int> tabs;  // at most kMaxTabs
    bool bullet = false;
    bool operator==(const ParaFormat&) const = default;
};

// A run of text in one format, or (with `object` non-empty) an embedded object or picture:
// the whole group's bytes, braces included, shown as a placeholder box.
struct Run {
    CharFormat format;
    std::string text;
    std::string object;
    bool operator==(const Run&) const = default;
};

struct Paragraph {
    ParaFormat format;
    std::vector<Run> runs;
    bool operator==(const Paragraph&) const = default;
};

struct Document {
    std::vector<Font> fonts;
    std::vector<Color> colors;
    std::vector<Paragraph> paragraphs;  // never empty after ReadRtf
    bool operator==(const Document&) const = default;

    // The plain text: paragraphs joined with CR LF, objects left out.
    std::string PlainText() const;
};

constexpr int kMaxTabs = 32;
constexpr int kMaxGroupDepth = 200;

// True when `data` starts with "{\rtf".
bool IsRtf(std::string_view data) noexcept;
Document ReadRtf(std::string_view data);
// Plain text (UTF-8, else Windows-1252) as a document: a paragraph per line, CR LF, LF or CR
// ending one.
Document PlainTextDocument(std::string_view text);
std::string WriteRtf(const Document& document);

// The UTF-8 text of `bytes` in Windows code page `codePage` (iconv); bytes it cannot convert
// read as Windows-1252, else as Latin-1.
std::string DecodeCodePage(std::string_view bytes, int codePage);
// The Windows code page a font character set stands for (0 for none known).
int CharsetCodePage(int charset) noexcept;

}  // namespace ui::rtf
