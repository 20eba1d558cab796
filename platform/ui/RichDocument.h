#pragma once
// A formatted text being edited: what the rich-text control holds and its window shows. The
// window system makes it (IWindowSystem::CreateRichDocument); no window is needed for one.
//
// Positions count characters as the document does: a paragraph's end counts one, an
// embedded object one. Ranges are clipped to the document. Texts handed out join paragraphs
// with CR LF (so their length in bytes is no measure of positions); texts handed in may use
// CR LF, LF or CR for paragraph ends.
//
// Load and Save move the whole text as the RTF model (rtf::Document): a loaded model saves
// back equal to itself, objects included, as long as nobody edited it; formats edited in the
// window map back onto the model's tables, new fonts and colours being added to them.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/RichText.h"

namespace ui {

// A change of the character format of a range; members left empty stay as they are.
struct TRichCharChange {
    std::optional<bool> bold, italic, underline, strike;
    std::optional<std::string> fontName;
    std::optional<int> halfPoints;
    std::optional<std::uint32_t> color;       // 0xRRGGBB
    // The background behind the text: a colour (0xRRGGBB), or nullopt inside to remove it.
    std::optional<std::optional<std::uint32_t>> background;
};

// The character format of a range: each effect true when the whole range has it.
struct TRichCharState {
    bool bold = false, italic = false, underline = false, strike = false;
    std::string fontName;
    int halfPoints = 0;
    std::uint32_t color = 0;
    std::optional<std::uint32_t> background;
};

// A change of the paragraph format of the paragraphs a range touches (twips).
struct TRichParaChange {
    std::optional<rtf::Alignment> alignment;
    std::optional<bool> bullet;
    std::optional<int> leftIndent, rightIndent, firstIndent;
    std::optional<int> spaceBefore, spaceAfter;
    std::optional<int> lineSpacing;  // with lineMultiple
    bool lineMultiple = false;
    std::optional<std::vector<int>> tabs;
};

class IRichDocument {
public:
    virtual ~IRichDocument() = default;

    virtual void Load(const rtf::Document& document) = 0;
    virtual rtf::Document Save() const = 0;
    // The range as a document of its own (its paragraphs' formats included).
    virtual rtf::Document SaveRange(int start, int length) const = 0;
    // Replaces the range by `document`; answers the position after what was put in.
    virtual int ReplaceRange(int start, int length, const rtf::Document& document) = 0;
    // Replaces the range by plain text in the format at its start; answers the end.
    virtual int ReplaceText(int start, int length, const std::string& text) = 0;

    // Characters in the document, the last paragraph's end not counted.
    virtual int Length() const = 0;
    virtual std::string Text() const = 0;
    virtual std::string TextRange(int start, int length) const = 0;
    virtual int ParagraphCount() const = 0;
    // The whole text of paragraph `index` (no end of paragraph); empty past the last.
    virtual std::string Paragraph(int index) const = 0;
    // Where paragraph `index` starts; Length() + 1 past the last.
    virtual int ParagraphStart(int index) const = 0;
    // The paragraph holding `position`.
    virtual int ParagraphAt(int position) const = 0;

    // The first match of `text` starting in [start, end) (end -1: the document's end); -1 for none.
    virtual int Find(const std::string& text, int start, int end, bool matchCase, bool wholeWord) const = 0;

    virtual void ApplyChars(int start, int length, const TRichCharChange& change) = 0;
    virtual TRichCharState CharsAt(int start, int length) const = 0;
    virtual void ApplyParagraphs(int start, int length, const TRichParaChange& change) = 0;
    virtual rtf::ParaFormat ParagraphFormat(int position) const = 0;

    virtual bool CanUndo() const = 0;
    virtual bool CanRedo() const = 0;
    virtual void Undo() = 0;
    virtual void Redo() = 0;
    // Marks the web addresses (the ranges of FindWebAddresses) so the window shows them as links.
    virtual void MarkLinks(bool on) = 0;
    // What the text keeps clear on each side of the window showing it (pixels; negative
    // values count as 0); kept when another text is loaded.
    virtual void SetMargins(int left, int top, int right, int bottom) = 0;
};

// A web address in a text: where it starts and how long it is, in characters as documents
// count them (a CR LF counts one).
struct TWebAddressRange {
    int start = 0;
    int length = 0;
    std::string address;
};
// The web addresses in `text` (paragraphs joined with CR LF): words starting with a scheme
// the program opens (http://, https://, ftp://, mailto:) or with "www.", up to the next blank
// or line end, without trailing punctuation (".,;:!?)]}'\"").
std::vector<TWebAddressRange> FindWebAddresses(std::string_view text);
// The address a link opens: "www." addresses become http; nullopt for a scheme the program
// does not open (only http, https, ftp and mailto).
std::optional<std::string> LinkTarget(std::string_view address);

}  // namespace ui
