#pragma once
// The static page set: the data pages of the open query (one, or one per group of records),
// a style sheet, and when split an index page and optionally a frameset, written beside a
// chosen file name from the design settings, the column model and the query.
//
// Pages stream: each record's HTML is built and written as the query reaches it; nothing
// holds the HTML of all rows, and the query may be one read forward only (ForwardQuery.h),
// which holds no rows either. The set is written as a whole with the layout style's images and
// the background picture (PageSet.h): a file that cannot be created or written raises
// EPageExport and leaves the files of an earlier export as they were.

#include <functional>
#include <memory>
#include <string>

#include "designer/PageSet.h"
#include "designer/PageSettings.h"

namespace db {
class TADOQuery;
class TDataSet;
class TForwardQuery;
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
    // The records of a query whose RecordCount cannot tell (-1, a query read forward only):
    // asked once, before the first record, when the pages are split.
    std::function<long long()> countRecords = {};
};

// The query read again, forward only, for the pages: the same connection, statement and
// EnableBCD, opened, its fields in the order and with the labels the query's fields have now
// (the grid may have moved and relabelled them). nullptr when the query shows other rows
// than the statement answers, in another order (a filter or a sort): the pages then walk the
// query itself.
std::unique_ptr<db::TForwardQuery> OpenForwardReading(const db::TADOQuery& query);

// The whole export to `fileName`: the records exported and the files not copied.
TPageSetReport ExportHtmlPages(const THtmlExport& e, const std::string& fileName);

// The files of the set, each into `set`.
void WriteFrameset(rtl::TFileSetTransaction& set, const TPageSettings& s, const std::string& fileName, const std::string& base);
void WriteIndexPage(rtl::TFileSetTransaction& set, const TPageSettings& s, int pageCount, const std::string& fileName,
                    const std::string& base);
void WriteStyleSheet(rtl::TFileSetTransaction& set, const TPageSettings& s, const std::string& fileName, const std::string& base);
// The records as the split pages need them first: RecordCount, else countRecords.
int KnownRecordCount(const THtmlExport& e);
// The data pages, split for `records` (as KnownRecordCount answered); answers the records
// written. Split pages whose query reads other than `records` raise EPageExport.
int WriteDataPages(rtl::TFileSetTransaction& set, const THtmlExport& e, const std::string& fileName,
                   const std::string& base, int records);

}  // namespace designer
