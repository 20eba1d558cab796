#include "designer/HtmlText.h"

#include <gtest/gtest.h>

#include <string>

using namespace designer;

namespace {

TEST(HtmlText, Escape)
{
    EXPECT_EQ(HtmlEscape(""), "");
    EXPECT_EQ(HtmlEscape("plain Ünïcödé"), "plain Ünïcödé");
    EXPECT_EQ(HtmlEscape("a<b & \"c\" 'd'>"), "a&lt;b &amp; &quot;c&quot; &#39;d&#39;&gt;");
    EXPECT_EQ(HtmlEscape("&nbsp;"), "&amp;nbsp;");
}

TEST(HtmlText, PercentEncode)
{
    struct Case {
        const char* value;
        TUrlPart part;
        const char* encoded;
    };
    const Case cases[] = {
        {"http://example.com/a b.gif", TUrlPart::Path, "http://example.com/a%20b.gif"},
        {"x.html?a=1&b=2#top", TUrlPart::Path, "x.html?a=1&b=2#top"},
        {"\" onclick=\"alert(1)", TUrlPart::Path, "%22%20onclick=%22alert(1)"},
        {"<script>'", TUrlPart::Path, "%3Cscript%3E%27"},
        {"Größe.png", TUrlPart::Path, "Gr%C3%B6%C3%9Fe.png"},
        {"50%", TUrlPart::Path, "50%"},
        {"a&b=c d", TUrlPart::Component, "a%26b%3Dc%20d"},
        {"x/y?z#w", TUrlPart::Component, "x%2Fy%3Fz%23w"},
        {"safe-._~AZaz09", TUrlPart::Component, "safe-._~AZaz09"},
        {"\"'<>", TUrlPart::Component, "%22%27%3C%3E"},
        {"Цена", TUrlPart::Component, "%D0%A6%D0%B5%D0%BD%D0%B0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(PercentEncode(c.value, c.part), c.encoded);
    }
}

}  // namespace
