#pragma once
// The editor's text formats, independent of the editor itself:
// - the plain text stream: paragraphs separated by line breaks (CR, LF, CR LF or LF CR);
// - the stored property "Strings": each paragraph as pieces of at most 255 characters.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace editor {

// The line break written between paragraphs.
enum TTextLineBreak { pbCRLF, pbLFCR, pbCR, pbLF };

std::string_view LineBreakText(TTextLineBreak lineBreak) noexcept;

// The stream is read in blocks of at most this many bytes.
constexpr std::size_t kReadBlockSize = 65500;

struct TTextReadOptions {
    // NUL bytes become this character unless it is NUL itself (a NUL is then kept as text).
    char NullReplacement = '\0';
    // Tabs and blanks at the end of every paragraph are dropped.
    bool DiscardTrailingSpaces = false;
    // A longer paragraph is cut here and continued as a new one.
    int MaxParagraphLength = 2147483547;
};

// Splits text fed to it block by block into paragraphs. CR, LF, CR LF and LF CR each end a
// paragraph; the second character of a pair is absorbed only when it immediately follows the
// first, and an absorbed character never pairs with the next one. A pair split between two
// blocks is still one break.
class TTextReader {
public:
    using ParagraphSink = std::function<void(std::string&& paragraph)>;

    TTextReader(TTextReadOptions options, ParagraphSink sink);

    void Feed(std::string_view block);
    // Ends the text: the last paragraph (possibly empty) goes to the sink.
    void Finish();

    // The kind of the last break read, and whether any was.
    bool AnyBreak() const noexcept { return anyBreak_; }
    TTextLineBreak LastBreak() const noexcept { return lastBreak_; }

private:
    void EndParagraph();
    void Append(std::string_view run);
    void ResolvePending(char next);

    TTextReadOptions options_;
    ParagraphSink sink_;
    std::string current_;
    char pending_ = 0;  // the break character that ended the last block
    bool anyBreak_ = false;
    TTextLineBreak lastBreak_ = pbCRLF;
};

// The form in which a paragraph is written: with `staticFormat`, pairs of equal toggle codes
// that enclose nothing but toggle codes are left out; with `discardTrailingSpaces`, trailing
// tabs and blanks are.
std::string ParagraphForSave(std::string_view paragraph, bool staticFormat, bool discardTrailingSpaces);

// ---- The stored property "Strings" ----------------------------------------------------------
// A piece that ends in byte 5 continues in the next piece (the 5 itself is dropped); any other
// piece ends its paragraph. A paragraph is written as pieces of 254 characters plus the
// byte 5 while more than 255 characters remain, then the rest (a piece is cut short rather
// than end inside a UTF-8 sequence). When the rest itself would end
// in byte 5 it is written as a continued piece followed by an empty one, so that it still
// reads back as one paragraph, by the same joining rule.
void AppendStringsPieces(std::vector<std::string>& pieces, std::string_view paragraph);
std::vector<std::string> JoinStringsPieces(const std::vector<std::string>& pieces);

}  // namespace editor
