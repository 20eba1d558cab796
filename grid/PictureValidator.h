#pragma once
// TgkPictureValidator: checks a text against a picture mask (the Paradox kind) and can
// complete it with the literal characters the mask dictates. Edits that carry a mask test
// every keystroke with Picture (auto-filling as they go) and the whole text with IsValid.
//
// Picture characters: # a digit; ? a letter (A-Z, a-z or any character above ASCII);
// & such a letter upper-cased; ~ lower-cased; ! any character upper-cased; @ any character;
// ; the next character is a literal; *n item (n times, or any number without n);
// [ ] an optional group; { } a group; , between alternatives; anything else a literal,
// matched without regard to case and stored as the picture writes it.
//
// Promises:
// - Characters are whole UTF-8 sequences; a character is never split.
// - A picture with a syntax error (empty, ending in ";" or in an unescaped "*", unbalanced
//   brackets, a repetition count beyond 32 bits) answers prSyntax to every Picture call and
//   sets Status to 1; an empty text answers prEmpty for any valid picture.
// - Matching never loops: a repetition without a count stops when a pass takes no input.

#include <string>
#include <string_view>
#include <vector>

namespace grid {

enum TPicResult { prComplete, prIncomplete, prEmpty, prError, prSyntax, prAmbiguous, prIncompNoFill };

class TgkPictureValidator {
public:
    TgkPictureValidator(std::string_view picture, bool autoFill);
    virtual ~TgkPictureValidator() = default;

    // 0 for a valid picture, 1 after a syntax error.
    int Status() const noexcept { return status_; }
    const std::string& PictureText() const noexcept { return picture_; }

    // True when the picture is empty or `s` (possibly extended by literals, unless
    // `suppressFill`) does not break it.
    virtual bool IsValidInput(std::string& s, bool suppressFill);
    // True when the picture is empty or `s` matches it completely (or is empty).
    virtual bool IsValid(const std::string& s);
    // Matches `input` against the picture; `input` takes the stored form of each character
    // and, with `autoFill`, the literals that follow.
    virtual TPicResult Picture(std::string& input, bool autoFill);

private:
    using TChars = std::vector<std::string>;
    bool SyntaxCheck() const;
    TPicResult Process(int termCh);
    TPicResult Scan(int termCh);
    bool ScanClass(char pc, const std::string& ch);
    bool ScanLiteral(const std::string& ch);
    TPicResult Iteration(int termCh);
    TPicResult Group(int termCh);
    TPicResult CheckComplete(TPicResult r, int termCh);
    bool SkipOptional(int& k, int termCh) const;
    void ToGroupEnd(int& i, int termCh) const;
    bool SkipToComma(int termCh);
    int CalcTerm(int termCh) const;
    void Consume(const std::string& ch);
    // The picture character at `i` ("" past the end).
    const std::string& P(int i) const;
    bool PIs(int i, char c) const { return P(i).size() == 1 && P(i)[0] == c; }

    int status_ = 0;
    bool fill_ = false;
    std::string picture_;
    TChars pic_;
    TChars input_;
    int i_ = 0;
    int j_ = 0;
};

}  // namespace grid

namespace grid {

// A control's picture-mask settings: the mask, whether typing fills in its literals, and
// whether the control may be left with a text that does not fit.
struct TgkDBPicture {
    bool PictureMaskFromDataSet = true;
    std::string PictureMask;
    bool AutoFill = true;
    bool AllowInvalidExit = false;
};

}  // namespace grid
