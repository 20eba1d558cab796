#pragma once
// The design settings both page sets (static HTML and server-side ASP) are written from, as
// the design window's controls hold them, so that the writers run without a window.

#include <optional>
#include <string>
#include <vector>

#include "designer/ExpHtml.h"
#include "platform/rtl/Colors.h"

namespace designer {

struct TPageSettings {
    bool split = true;         // one data page per group of records
    int recordsPerPage = 20;   // the group's size when split
    bool frames = true;        // a frameset with the index in a frame (only when split)
    bool frameBorder = true;
    std::string title;
    std::string header;  // HTML above the table, as the author wrote it
    std::string footer;  // HTML below it
    int border = 0;
    int padding = 4;
    int spacing = 1;
    std::optional<rtl::TColor> tableColor;   // written only when one is chosen
    std::optional<rtl::TColor> borderColor;
    int headerNavigation = 0;  // 0 none, 1 first/prev/next/last, 2 page numbers
    int footerNavigation = 0;
    int style = 0;          // 0 "Report Style1", 1 "Report Style2", 2 and above a layout style
    std::string styleName;     // the layout style's folder name (style 2 and above)
    std::string templateText;  // and its template, as loaded
    // The style sheet's font and size texts and the page's background picture (a path).
    std::string fontName;
    std::string fontSize = "10";
    std::string backgroundImage;
    TExpHtml colors;

    // The records a page holds when split: at least one. A window clamps its spin edit, other
    // callers may not, and a size below one would count pages and then leave them empty (or
    // make a server's record set page nothing).
    int RecordsPerPage() const noexcept { return recordsPerPage < 1 ? 1 : recordsPerPage; }
};

// The chosen file's folder (with its trailing separator) and its name without folder and
// extension.
std::string OutputFolder(const std::string& fileName);
std::string OutputBaseName(const std::string& fileName);

}  // namespace designer
