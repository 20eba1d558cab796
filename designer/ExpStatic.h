#pragma once
// The static page set: the data pages of the open query (one, or one per group of records),
// a style sheet, and when split an index page and optionally a frameset, written beside a
// chosen file name from the design settings, the column model and the query.
//
// Pages stream: each record's HTML is built and written as the query reaches it; nothing
// holds the HTML of all rows. A page that cannot be created or written raises the text-file
// layer's error (rtl::EFCreateError, rtl::EInOutError); pages written before stay. Picture
// copies (the layout style's images, the background picture) fail silently.

#include <functional>
#include <string>

#include "designer/PageSettings.h"

namespace db {
class TDataSet;
}

namespace designer {

class TColumnModel;

// 1 for fewer than one record, else records / per rounded up.
int GetPageCount(int records, int recordsPerPage);

// The style sheet of the page colours, the font and the background picture.
std::string BuildStyleSheet(const TPageSettings& s);

struct THtmlExport {
    const TPageSettings& settings;
    const TColumnModel& columns;
    db::TDataSet& query;  // open; left after its last record
    // The layout template's output for the current record (styles 2 and above).
    std::function<std::string()> templateOutput;
    // Where layout styles live (their "images" folders are copied beside the pages).
    std::string layoutStylesDir;
};

// The whole export to `fileName`; the number of records exported.
int ExportHtmlPages(const THtmlExport& e, const std::string& fileName);

void WriteFrameset(const TPageSettings& s, const std::string& fileName, const std::string& base);
void WriteIndexPage(const TPageSettings& s, int pageCount, const std::string& fileName, const std::string& base);
void WriteStyleSheet(const TPageSettings& s, const std::string& fileName, const std::string& base);
void WriteDataPages(const THtmlExport& e, const std::string& fileName, const std::string& base);
void CopyStyleImages(const std::string& layoutStylesDir, const std::string& styleName, const std::string& fileName);
void CopyBackgroundImage(const std::string& backgroundImage, const std::string& fileName);

}  // namespace designer
