#pragma once
// Putting data into generated HTML so that a value can never change the page's markup.

#include <functional>
#include <string>
#include <string_view>

#include "platform/rtl/Addresses.h"

namespace designer {

using rtl::AppendHtmlEscaped;
using rtl::HtmlEscape;

// The first line inside the head of every generated page: their text is UTF-8, and a browser
// that is not told so reads it in the reader's own code page. The pages carry no doctype, so
// the form every browser reads is the http-equiv one.
inline constexpr const char* kUtf8Meta = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">";

// A font name as a style sheet's font-family value: the family only (a trailing foundry
// in brackets, as in "C059 [UKWN]", is left out), bare when it is a plain name of letters,
// digits, "-" and "_" (not starting with a digit or "-"), else in double quotes with quotes,
// backslashes, angle brackets, semicolons and control characters written as escapes, so a
// name can neither end the value nor the style block. "" for a name that is empty or only a
// foundry.
std::string CssFontFamily(std::string_view fontName);

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
// The same, added to `out`, with a remaining "&" written "&amp;" (for an attribute).
void AppendPercentEncodedAttribute(std::string& out, std::string_view value, TUrlPart part);

// Walks `text` for field tags "[" NAME "]": `literal` gets each piece of text between tags and
// the rest after the last, `tag` each name between its brackets. A "]" is looked for after its
// "[" only; a "[" without one after it is text.
void ForEachFieldTag(std::string_view text, const std::function<void(std::string_view)>& literal,
                     const std::function<void(std::string_view)>& tag);

// Link addresses are read as a browser reads them (platform/rtl/Addresses.h).
using rtl::AddressScheme;
using rtl::DecodeAttributeValue;
using rtl::IsSafeLinkAddress;

}  // namespace designer
