#include "designer/PageLinks.h"

#include <gtest/gtest.h>

#include <string>

using namespace designer;

namespace {

TEST(PageLinks, PageNumberText)
{
    EXPECT_EQ(PageNumberText(1), "01");
    EXPECT_EQ(PageNumberText(9), "09");
    EXPECT_EQ(PageNumberText(10), "10");
    EXPECT_EQ(PageNumberText(123), "123");
}

TEST(PageLinks, WholeBars)
{
    const TPageLinks split{"rep", ""};
    const TPageLinks single{"report", "report.html"};
    struct Case {
        const char* what;
        int kind, pageCount, page;
        bool bottom;
        const TPageLinks& links;
        std::string bar;
    };
    const Case cases[] = {
        {"kind 1, page 3 of 3, above the table", 1, 3, 3, true, split,
         "\r\n<A HREF=\"rep01.html\">First page</A> |<A HREF=\"rep02.html\">Prev</A> |Next |"
         "<A HREF=\"rep03.html\">Last page</A> |<A HREF=#BOTTOM>Bottom</A> <br><br>"},
        {"kind 1, page 1 of 3, below the table", 1, 3, 1, false, split,
         "\r\n<A HREF=\"rep01.html\">First page</A> |Prev |<A HREF=\"rep02.html\">Next</A> |"
         "<A HREF=\"rep03.html\">Last page</A> |<A HREF=#TOP>Top</A> <br><br>"},
        {"kind 1, page 2 of 12", 1, 12, 2, true, split,
         "\r\n<A HREF=\"rep01.html\">First page</A> |<A HREF=\"rep01.html\">Prev</A> |"
         "<A HREF=\"rep03.html\">Next</A> |<A HREF=\"rep12.html\">Last page</A> |<A HREF=#BOTTOM>Bottom</A> <br><br>"},
        {"kind 2, page 2 of 3", 2, 3, 2, true, split,
         "\r\n[<a href=\"rep01.html\">Previous</a>]&nbsp;<a href=\"rep01.html\">1</a>&nbsp;<b>2</b>&nbsp;"
         "<a href=\"rep03.html\">3</a>&nbsp;[<a href=\"rep03.html\">Next</a>]<br><br>"},
        {"kind 2, page 1 of 1", 2, 1, 1, false, split, "\r\n[Previous]&nbsp;<b>1</b>&nbsp;[Next]<br><br>"},
        // Not split: the one page written is the chosen file; no link leads anywhere else.
        {"kind 1, not split", 1, 1, 1, true, single,
         "\r\n<A HREF=\"report.html\">First page</A> |Prev |Next |<A HREF=\"report.html\">Last page</A> |"
         "<A HREF=#BOTTOM>Bottom</A> <br><br>"},
        {"kind 2, not split", 2, 1, 1, true, single, "\r\n[Previous]&nbsp;<b>1</b>&nbsp;[Next]<br><br>"},
        {"kind 0", 0, 3, 2, true, split, ""},
        {"kind 3", 3, 3, 2, true, split, ""},
        {"kind -1", -1, 3, 2, true, split, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(BuildNavigationBar(c.kind, c.pageCount, c.page, c.bottom, c.links), c.bar);
    }
}

TEST(PageLinks, PageNumbersComeInBlocksOfTwenty)
{
    const TPageLinks links{"p", ""};
    struct Case {
        int page;
        int first, last;  // the block listed
    };
    const Case cases[] = {{1, 1, 20}, {19, 1, 20}, {20, 1, 20}, {21, 21, 40}, {40, 21, 40}, {41, 41, 45}, {45, 41, 45}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page);
        const std::string bar = BuildNavigationBar(2, 45, c.page, true, links);
        EXPECT_NE(bar.find("<b>" + std::to_string(c.page) + "</b>&nbsp;"), std::string::npos);
        for (int q = 1; q <= 45; ++q) {
            const bool listed = bar.find(">" + std::to_string(q) + "</") != std::string::npos;
            EXPECT_EQ(listed, q >= c.first && q <= c.last) << "page " << q;
        }
    }
    EXPECT_TRUE(BuildNavigationBar(2, 45, 20, true, links).starts_with("\r\n[<a href=\"p19.html\">Previous</a>]&nbsp;<a href=\"p01.html\">1</a>&nbsp;"));
    EXPECT_TRUE(BuildNavigationBar(2, 45, 45, true, links).ends_with("<a href=\"p44.html\">44</a>&nbsp;<b>45</b>&nbsp;[Next]<br><br>"));
}

}  // namespace
