#pragma once
// Small string routines shared by the whole grid library: token splitting of its list
// formats, trimming, character replacement and case-blind equality.
//
// Positions are 1-based byte positions into UTF-8 text. A "character" argument is one
// ASCII character; the library's delimiters and separators are.

#include <string>
#include <string_view>

namespace rtl {
class TStrings;
}

namespace grid {

// The file name without its folder, cut before its first "."; empty when the name has no ".".
std::string gkGetFileNameBase(std::string_view fileName);

// The next token of `text` from `pos`, which moves on past the delimiter.
// - pos 0 or less: "" and pos unchanged.
// - pos beyond the text: "" and pos becomes -1.
// - A one-character delimiter is searched as it stands; a longer one as a word: with a blank
//   on each side, case-blind (ASCII), so "a AND b" split at "and" gives "a", then "b". pos
//   then moves past the delimiter and its blanks.
// - No delimiter left: the rest of the text, and pos becomes -1.
std::string gkGetToken(std::string_view text, std::string_view delimiter, int& pos);

// Replaces the items of `list` by the pieces of `text` between delimiters; a text without
// a delimiter gives one item, a trailing delimiter a final empty one. An empty delimiter
// never splits.
void gkStringToList(std::string_view text, std::string_view delimiter, rtl::TStrings& list);

// Removes from the end of `text` every character (a whole UTF-8 character) found in
// `charSet`.
void gkStripTrailing(std::string& text, std::string_view charSet);

// `text` with every `oldChar` replaced by `newChar`.
std::string gkReplaceChar(std::string_view text, char oldChar, char newChar);

// `text` with every `ch` replaced by `replacement`; replacements are not scanned again, so a
// replacement that holds `ch` is safe.
std::string gkReplaceCharWithStr(std::string_view text, char ch, std::string_view replacement);

// Equality without regard to case (Unicode upper-case forms).
bool gkEqualText(std::string_view a, std::string_view b);

// Occurrences of `ch` in `text`.
int gkCountChar(std::string_view text, char ch);

// The part of `text` after (before) the first `ch`; empty when `ch` is absent.
std::string gkTextAfterChar(std::string_view text, char ch);
std::string gkTextBeforeChar(std::string_view text, char ch);

}  // namespace grid
