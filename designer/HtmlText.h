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

// The scheme of an address ("http" for "http://x"), lower-cased; empty for a relative address
// (no scheme before the first "/", "?" or "#").
std::string AddressScheme(std::string_view address);
// True for a relative address and for the schemes http, https, ftp and mailto.
bool IsSafeLinkAddress(std::string_view address);

}  // namespace designer
