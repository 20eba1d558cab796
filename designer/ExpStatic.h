#pragma once
// The static page set: the data pages of the open query (one, or one per group of records),
// a style sheet, and when split an index page and optionally a frameset, written beside a
// chosen file name from the design settings, the column model and the query.
//
// Pages stream: each record's HTML is built and written as the query reaches it; nothing
// holds the HTML of all rows. The set is written as a whole with the layout style's images and
// the background picture (PageSet.h): a file that cannot be created or written raises
// EPageExport and leaves the files of an earlier export as they were.

#include <functional>
#include <string>

#include "designer/PageSet.h"
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

// The whole export to `fileName`: the records exported and the files not copied.
TPageSetReport ExportHtmlPages(const THtmlExport& e, const std::string& fileName);

// The files of the set, each into `set`.
void WriteFrameset(rtl::TFileSetTransaction& set, const TPageSettings& s, const std::string& fileName, const std::string& base);
void WriteIndexPage(rtl::TFileSetTransaction& set, const TPageSettings& s, int pageCount, const std::string& fileName,
                    const std::string& base);
void WriteStyleSheet(rtl::TFileSetTransaction& set, const TPageSettings& s, const std::string& fileName, const std::string& base);
void WriteDataPages(rtl::TFileSetTransaction& set, const THtmlExport& e, const std::string& fileName, const std::string& base);

}  // namespace designer
