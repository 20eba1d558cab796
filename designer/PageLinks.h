#pragma once
// The page files of a static page set and the navigation bars that link them.

#include <string>

namespace designer {

// The page number as it appears in page file names: "01" ... "09", "10", "123".
std::string PageNumberText(int page);

// Where the links of a page set lead.
struct TPageLinks {
    // The chosen file name without folder and extension.
    std::string Base;
    // The file name (without folder) of the one data page written when the result is not
    // split into pages; empty when it is.
    std::string SinglePage;

    // base + NN + ".html", or the single page.
    std::string PageFile(int page) const;
};

// The bar above (bottomLink true) or below the table: kind 1 first/prev/next/last links with
// a Bottom or Top link; kind 2 page numbers in blocks of 20; any other kind nothing.
std::string BuildNavigationBar(int kind, int pageCount, int page, bool bottomLink, const TPageLinks& links);

}  // namespace designer
