#pragma once
// The server-side page set: a frameset, a page index and the data page, written as VBScript
// ASP pages that open the project's connection each time they are requested, run its SQL
// and write the rows with the design's columns, colours, layout and navigation.
//
// With the result split into pages and frames on, the chosen file is the frameset and the
// index and data pages are base + "_index.asp" and base + "_data.asp" beside it; split with
// frames off, the chosen file is the index; not split, the chosen file is the data page
// alone. Every page is written line by line into the page set (PageSet.h); the export writes
// the set as a whole, so a write error leaves the files of an earlier export as they were.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "designer/PageSet.h"
#include "designer/PageSettings.h"

namespace db {
class TDataSet;
}

namespace designer {

class TAspScriptBuilder;
class TColumnModel;

// The design settings the pages are made of, with the connection and the SQL the pages run.
struct TAspPageSettings : TPageSettings {
    std::string connectionString;
    std::vector<std::string> sqlLines;
};

// What goes into the data page besides the settings: the column-header row of the first
// report style and the layout template expanded in script mode.
struct TAspPageParts {
    std::string headerRow;
    std::function<std::string()> templateScript;
};

// The one line of the SQL script that appends `line`.
std::string AspSqlLine(const std::string& line);

void WriteAspFrameset(rtl::TFileSetTransaction& set, const TAspPageSettings& s, const std::string& fileName,
                      const std::string& base);
void WriteAspIndexPage(rtl::TFileSetTransaction& set, const TAspPageSettings& s, const std::string& fileName,
                       const std::string& base);
void WriteAspDataPage(rtl::TFileSetTransaction& set, const TAspPageSettings& s, const TAspScriptBuilder& script,
                      const TAspPageParts& parts, const std::string& fileName, const std::string& base);

// The three pages, each into `set` where the settings say; the style sheet, images and
// status are the caller's.
void WriteAspPages(rtl::TFileSetTransaction& set, const TAspPageSettings& s, const TAspScriptBuilder& script,
                   const TAspPageParts& parts, const std::string& fileName);

// The whole export behind "Save Pages" with the ASP filter: the pages, the style sheet of the
// static pages, the layout style's images and the background picture beside them. A query
// that is not open stops it before anything is written (EPageExport "Can not save pages").
// Answers the number of records and the files not copied.
TPageSetReport ExportAspPages(const TAspPageSettings& s, const TColumnModel& columns, db::TDataSet& query,
                   const std::string& fileName, const std::string& layoutStylesDir);

}  // namespace designer
