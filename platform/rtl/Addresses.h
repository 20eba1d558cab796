#pragma once
// Web addresses as a browser reads them: the text of an attribute value with its character
// references resolved, the scheme it names, and whether it is one of the schemes the program
// lets data open (http, https, ftp, mailto); text put into a page as text (HtmlEscape).

#include <string>
#include <string_view>

namespace rtl {

// `text` with &, <, >, " and ' written as character references; everything else as it is,
// so data put into a page's text or a quoted attribute can never change its markup.
std::string HtmlEscape(std::string_view text);
// The same, added to `out`.
void AppendHtmlEscaped(std::string& out, std::string_view text);

// The text of an attribute value as a browser reads it: numeric character references (with
// or without ";") become their characters, as do the named references that stand for ASCII
// characters ("&colon;", "&Tab;", "&NewLine;", "&amp;", ...; "&amp", "&lt", "&gt" and "&quot"
// also without ";" unless a letter, digit or "=" follows). Other named references stay as
// written: a browser makes them non-ASCII characters, which can never be part of a scheme.
std::string DecodeAttributeValue(std::string_view attribute);

// The scheme a browser finds in an address written into an attribute ("http" for
// "http://x"), lower-cased; empty for a relative address (no scheme before the first "/",
// "?" or "#"). Decided on the text as the browser reads it: character references resolved
// (DecodeAttributeValue), control characters (tabs and line breaks among them) removed and
// leading blanks skipped.
std::string AddressScheme(std::string_view attribute);
// True for a relative address and for the schemes http, https, ftp and mailto, read as
// AddressScheme reads them.
bool IsSafeLinkAddress(std::string_view attribute);

}  // namespace rtl
