#include "designer/PageLinks.h"

#include "platform/rtl/SysUtils.h"

namespace designer {

namespace {

const char* const kCrLf = "\r\n";

}  // namespace

std::string PageNumberText(int page)
{
    const std::string digits = rtl::IntToStr(page);
    return page < 10 ? "0" + digits : digits;
}

std::string TPageLinks::PageFile(int page) const
{
    if (!SinglePage.empty()) return SinglePage;
    return Base + PageNumberText(page) + ".html";
}

std::string BuildNavigationBar(int kind, int pageCount, int page, bool bottomLink, const TPageLinks& links)
{
    auto link = [&links](const char* tag, int target, const std::string& text) {
        return std::string("<") + tag + "=\"" + links.PageFile(target) + "\">" + text;
    };
    if (kind == 1) {
        std::string s = std::string(kCrLf) + link("A HREF", 1, "First page") + "</A> |";
        s += page == 1 ? "Prev |" : link("A HREF", page - 1, "Prev") + "</A> |";
        s += page == pageCount ? "Next |" : link("A HREF", page + 1, "Next") + "</A> |";
        s += link("A HREF", pageCount, "Last page") + "</A> |";
        s += bottomLink ? "<A HREF=#BOTTOM>Bottom</A> <br><br>" : "<A HREF=#TOP>Top</A> <br><br>";
        return s;
    }
    if (kind == 2) {
        std::string s = kCrLf;
        s += page == 1 ? "[Previous]&nbsp;" : "[" + link("a href", page - 1, "Previous") + "</a>]&nbsp;";
        const int start = page % 20 == 0 ? page - 19 : page - page % 20 + 1;
        for (int q = start; q <= start + 19 && q <= pageCount; ++q) {
            const std::string number = rtl::IntToStr(q);
            s += q == page ? "<b>" + number + "</b>&nbsp;" : link("a href", q, number) + "</a>&nbsp;";
        }
        s += page == pageCount ? "[Next]" : "[" + link("a href", page + 1, "Next") + "</a>]";
        return s + "<br><br>";
    }
    return {};
}

}  // namespace designer
