#pragma once
// Putting data into generated HTML so that a value can never change the page's markup.

#include <string>
#include <string_view>

namespace designer {

// `text` with &, <, >, " and ' written as character references; everything else as it is.
std::string HtmlEscape(std::string_view text);

// How a data value is written into an address.
enum class TUrlPart {
    // The path part of an address (or the whole address, when the value starts it): the
    // characters that build an address (/ : ? # @ ! $ & ( ) * + , ; = %) stay, so a value may
    // be an address of its own; blanks, quotes, angle brackets, other punctuation, control and
    // non-ASCII characters are percent-encoded (UTF-8 bytes).
    Path,
    // A query or fragment value or a link parameter: everything but letters, digits and
    // - . _ ~ is percent-encoded, so a value can neither end the attribute nor add parameters.
    Component,
};
std::string PercentEncode(std::string_view value, TUrlPart part);

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

}  // namespace designer
