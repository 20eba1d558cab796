#pragma once
// The program's data links: one ".udl" file per connection in the data-links folder
// (rtl::CommonFilesDir() + "System/OLE DB/Data Links"), named after the connection. Files are
// read and written only through the data layer's data-link storage; this unit adds the
// program's rules on top of it:
//
//  * every ODBC data source gets a link of its own, made once and never rewritten
//    (SyncOdbcDataLinks), and a link that connects through a data source that is gone is
//    deleted (PurgeOdbcDataLinks) - but only a link that connects through a DSN, and only
//    after a listing that worked and named at least one data source, so that DSN-less links
//    (the samples) and every link on a broken ODBC set-up are kept;
//  * the two sample links point DSN-less at the SQLite sample databases and are made when
//    missing, never overwritten (CreateSampleDataLinks);
//  * a link name that could reach outside the folder (empty, "." or "..", holding "/", "\"
//    or a control character) is never used for a file.
//
// Failures of the storage are shown by CheckUDLResult as error boxes (through the dialog
// service) and reported as false.

#include <string>
#include <string_view>
#include <vector>

#include "platform/db/DataLinks.h"
#include "platform/rtl/StringList.h"

namespace app {

inline constexpr const char* kCannotCreateLinksDir = "Can not create data links directory.";

// The data-links folder, its link file names and the check every link name passes live in the
// data layer (platform/db/DataLinks.h).
using db::DataLinksDir;
using db::DataLinkFileName;
using db::IsValidLinkName;
// The folder made when missing; false (and nothing shown) when it cannot be.
bool ForceDataLinksDir();
// What a refused name is told with.
inline constexpr const char* kInvalidLinkName =
    "A Connection Name can not be \".\" or \"..\" nor hold \"/\", \"\\\" or control characters.";

// The storage calls; false after CheckUDLResult's message.
bool CreateUDLFile(const std::string& file, const std::string& connectionString);  // must not exist yet
bool WriteUDLFile(const std::string& file, const std::string& connectionString);   // must exist
// On failure `connectionString` is left unchanged.
bool ReadUDLFile(const std::string& file, std::string& connectionString);
// True for S_OK; otherwise shows the code's message (none for codes without one) as an error
// with an OK button and answers false.
bool CheckUDLResult(db::HRESULT result);
// The message CheckUDLResult shows for a code ("" when it shows none).
std::string UDLResultMessage(db::HRESULT result);

// Clears `list` and adds the parts of `text` between ";" (the part after the last ";" only
// when it is not empty).
void SplitConnectionString(const std::string& text, rtl::TStrings& list);

// The link names of `folder`: its "*.udl" files (folders skipped) less the extension,
// sorted ignoring case. `ok` (when given) is false when the folder cannot be read.
std::vector<std::string> DataLinkNames(const std::string& folder = DataLinksDir(), bool* ok = nullptr);

// The content of the link of an ODBC data source.
std::string OdbcLinkContent(const std::string& dataSource);

// The ODBC data sources, as far as they could be listed.
struct TDataSourceListing {
    bool ok = false;  // the listing ran to its end
    std::vector<std::string> names;
};
// Through the main window's dbDataBase1 (a database of its own when there is no main
// window); ok is false when the driver manager could not be used.
TDataSourceListing ListOdbcDataSources();

// The data source a link connects through: the ODBC provider, a "Data Source", and no DRIVER
// or FILEDSN in its "Extended Properties". Empty for every other link.
std::string DsnOfLink(const std::string& initString);

// Makes the link of every listed data source that has none (names that are no valid link
// names skipped). The folder is made when missing; when that fails: warning
// kCannotCreateLinksDir.
void SyncOdbcDataLinks(const TDataSourceListing& listing, const std::string& folder = DataLinksDir());
void SyncOdbcDataLinks();
// Deletes the links that connect through a data source the listing does not name (ignoring
// case); nothing when the listing failed or named none. Unreadable links are skipped after
// CheckUDLResult's message.
void PurgeOdbcDataLinks(const TDataSourceListing& listing, const std::string& folder = DataLinksDir());
void PurgeOdbcDataLinks();

// The sample links "GridweaverSample1" and "GridweaverSample2": DSN-less through the SQLite3
// driver at `dataDir` + "/DBSamples/Sample1.db" and "Sample2.db".
std::string SampleLinkContent(const std::string& dataDir, int sample);
// Makes each sample link that is missing (and the folder when needed); silent.
void CreateSampleDataLinks(const std::string& dataDir, const std::string& folder = DataLinksDir());
// With the main window's DataDir (the program folder's Data without one).
void CreateSampleDataLinks();

}  // namespace app
