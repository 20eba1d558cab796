#include "platform/rtl/Addresses.h"

#include <gtest/gtest.h>

#include <string>

using namespace rtl;

namespace {

TEST(Addresses, AttributeValuesReadAsABrowserReadsThem)
{
    const struct {
        const char* attribute;
        const char* text;
    } cases[] = {
        {"a&amp;b", "a&b"},
        {"&lt;&gt;&quot;&apos;", "<>\"'"},
        {"&#65;&#x42;&#X43;&#0068", "ABCD"},  // with or without ";"
        {"&#0;&#xD800;&#x110000;", "\uFFFD\uFFFD\uFFFD"},
        {"&#128;&#x9F;", "\u20AC\u0178"},  // the C1 range read as Windows-1252
        {"&#99999999999999999999;", "\uFFFD"},
        {"&colon;&Tab;&NewLine;&sol;&fjlig;", ":\t\n/fj"},
        {"&amp &lt", "& <"},                 // legacy names without ";"
        {"?a=1&amp=2&ampx&copy=3", "?a=1&amp=2&ampx&copy=3"},  // not before "=", a letter or a digit
        {"&nosuch; & &# &#x; &", "&nosuch; & &# &#x; &"},
        {"&copy;", "&copy;"},  // a non-ASCII character: left as written
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attribute);
        EXPECT_EQ(DecodeAttributeValue(c.attribute), c.text);
    }
}

TEST(Addresses, LinkAddresses)
{
    struct Case {
        const char* address;
        const char* scheme;
        bool safe;
    };
    const Case cases[] = {
        {"http://example.com", "http", true},
        {"HTTPS://example.com", "https", true},
        {"ftp://files/x", "ftp", true},
        {"mailto:a@b.c", "mailto", true},
        {"page.html", "", true},
        {"/abs/page.html?x=a:b", "", true},
        {"../up#frag:x", "", true},
        {"a@b.c", "", true},
        {"", "", true},
        {"javascript:alert(1)", "javascript", false},
        {"  JavaScript:alert(1)", "javascript", false},
        {"data:text/html,x", "data", false},
        {"vbscript:x", "vbscript", false},
        {"file:///etc/passwd", "file", false},
        {"java%09script:x", "", false},  // no valid scheme name, yet a colon first
        {"1abc:x", "", false},
        // Decided on the text as a browser reads the attribute.
        {"javascript&#58;alert(1)", "javascript", false},
        {"javascript&#x3A;alert(1)", "javascript", false},
        {"javascript&#0000058alert(1)", "javascript", false},
        {"javascript&colon;alert(1)", "javascript", false},
        {"&#106;avascript:alert(1)", "javascript", false},
        {"java&#9;script:alert(1)", "javascript", false},
        {"java&Tab;script:alert(1)", "javascript", false},
        {"java&NewLine;script:alert(1)", "javascript", false},
        {"java\tscr\nipt\r:x", "javascript", false},
        {"\x01\x7F javascript:x", "javascript", false},
        {"javascript&amp;colon;alert(1)", "", true},  // reads "javascript&colon;...": a relative address
        {"javascript&copy;x", "", true},               // a non-ASCII character ends the name
        {"java&nbsp;script:x", "", false},
        {"http&#58;//x", "http", true},
        {"page.asp?a=1&b=2", "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        EXPECT_EQ(AddressScheme(c.address), c.scheme);
        EXPECT_EQ(IsSafeLinkAddress(c.address), c.safe);
    }
}

}  // namespace
