#include "app/DataLinkFiles.h"

#include <algorithm>
#include <exception>

#include "app/FMain.h"
#include "odbc/Database.h"
#include "platform/db/ConnectionString.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Paths.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Dialogs.h"

namespace app {

bool ForceDataLinksDir() { return rtl::ForceDirectories(DataLinksDir()); }

std::string UDLResultMessage(db::HRESULT result)
{
    switch (result) {
    case db::E_FAIL: return "A provider-specific error occurred.";
    case db::STG_E_FILENOTFOUND: return "The file was not found.";
    case db::STG_E_ACCESSDENIED:
        return "Insufficient permission to open the file.\r or The file is already open and locked for writing.";
    case db::STG_E_INVALIDHEADER: return "File is not a UDL format file.";
    case db::STG_E_INVALIDNAME: return "Invalid file name.";
    case db::E_INVALIDARG: return "FileName Error or InitializationString Error";
    default: return {};
    }
}

bool CheckUDLResult(db::HRESULT result)
{
    if (result == db::S_OK) return true;
    const std::string message = UDLResultMessage(result);
    if (!message.empty()) ui::MessageDlg(message, ui::mtError, {ui::mbOK});
    return false;
}

bool CreateUDLFile(const std::string& file, const std::string& connectionString)
{
    return CheckUDLResult(db::WriteStringToStorage(file, connectionString, db::CREATE_NEW));
}

bool WriteUDLFile(const std::string& file, const std::string& connectionString)
{
    return CheckUDLResult(db::WriteStringToStorage(file, connectionString, db::OPEN_EXISTING));
}

bool ReadUDLFile(const std::string& file, std::string& connectionString)
{
    std::string text;
    if (!CheckUDLResult(db::LoadStringFromStorage(file, text))) return false;
    connectionString = text;
    return true;
}

void SplitConnectionString(const std::string& text, rtl::TStrings& list)
{
    list.Clear();
    std::size_t pos = 0;
    while (true) {
        const std::size_t semi = text.find(';', pos);
        if (semi == std::string::npos) {
            if (pos < text.size()) list.Add(text.substr(pos));
            return;
        }
        list.Add(text.substr(pos, semi - pos));
        pos = semi + 1;
    }
}

std::vector<std::string> DataLinkNames(const std::string& folder, bool* ok)
{
    if (ok != nullptr) *ok = rtl::DirectoryExists(folder);
    std::vector<std::string> names;
    for (const std::string& file : rtl::ListDirectory(folder, "*.udl", rtl::TListFilter::Files))
        names.push_back(file.substr(0, file.size() - 4));
    std::stable_sort(names.begin(), names.end(),
                     [](const std::string& a, const std::string& b) { return rtl::AnsiCompareText(a, b) < 0; });
    return names;
}

std::string OdbcLinkContent(const std::string& dataSource)
{
    return "Provider=MSDASQL.1;Persist Security Info=False;Data Source=" + dataSource;
}

TDataSourceListing ListOdbcDataSources()
{
    TDataSourceListing listing;
    try {
        rtl::TStringList list;
        odbc::TdbDataBase* database = nullptr;
        if (FrmMain != nullptr) database = dynamic_cast<odbc::TdbDataBase*>(FrmMain->FindComponent("dbDataBase1"));
        if (database != nullptr) {
            database->GetDataSources(list);
        } else {
            odbc::TdbDataBase own(nullptr);
            own.GetDataSources(list);
        }
        for (int i = 0; i < list.Count(); ++i) listing.names.push_back(list.Strings(i));
        listing.ok = true;
    } catch (const std::exception&) {
        // No driver manager: nothing is listed, and nothing may be judged stale.
        listing.names.clear();
    }
    return listing;
}

std::string DsnOfLink(const std::string& initString)
{
    const db::TConnectionParams params = db::ParseInitString(initString);
    if (!db::IsOdbcProvider(db::ProviderOf(initString))) return {};
    const std::string source = rtl::Trim(db::FindParam(params, "Data Source").value_or(""));
    if (source.empty()) return {};
    const db::TConnectionParams extended = db::ParseOdbcString(db::FindParam(params, "Extended Properties").value_or(""));
    if (db::FindParam(extended, "DRIVER") || db::FindParam(extended, "FILEDSN")) return {};
    if (const auto dsn = db::FindParam(extended, "DSN"); dsn && !rtl::Trim(*dsn).empty()) return rtl::Trim(*dsn);
    return source;
}

void SyncOdbcDataLinks(const TDataSourceListing& listing, const std::string& folder)
{
    if (!rtl::DirectoryExists(folder) && !rtl::ForceDirectories(folder)) {
        ui::MessageDlg(kCannotCreateLinksDir, ui::mtWarning, {ui::mbOK});
        return;
    }
    try {
        for (const std::string& name : listing.names) {
            if (!IsValidLinkName(name)) continue;  // a file of that name could land elsewhere
            const std::string file = DataLinkFileName(name, folder);
            if (!rtl::FileExists(file)) CreateUDLFile(file, OdbcLinkContent(name));
        }
    } catch (const std::exception&) {
        // The links made so far stay; the next showing tries the rest again.
    }
}

void SyncOdbcDataLinks() { SyncOdbcDataLinks(ListOdbcDataSources()); }

void PurgeOdbcDataLinks(const TDataSourceListing& listing, const std::string& folder)
{
    // A failed or empty listing says nothing about which data sources are gone.
    if (!listing.ok || listing.names.empty()) return;
    for (const std::string& name : DataLinkNames(folder)) {
        const std::string file = DataLinkFileName(name, folder);
        std::string init;
        if (!ReadUDLFile(file, init)) continue;
        const std::string dsn = DsnOfLink(init);
        if (dsn.empty()) continue;
        const bool listed = std::any_of(listing.names.begin(), listing.names.end(),
                                        [&](const std::string& n) { return rtl::AnsiSameText(n, dsn); });
        if (!listed) rtl::DeleteFile(file);
    }
}

void PurgeOdbcDataLinks() { PurgeOdbcDataLinks(ListOdbcDataSources()); }

std::string SampleLinkContent(const std::string& dataDir, int sample)
{
    const std::string database =
        rtl::IncludeTrailingPathDelimiter(dataDir) + "DBSamples/Sample" + std::to_string(sample) + ".db";
    return db::MakeOdbcInitString(db::FormatOdbcString({{"DRIVER", "SQLite3"}, {"Database", database}}));
}

void CreateSampleDataLinks(const std::string& dataDir, const std::string& folder)
{
    try {
        rtl::ForceDirectories(folder);
        for (int sample = 1; sample <= 2; ++sample) {
            const std::string file = DataLinkFileName("GridweaverSample" + std::to_string(sample), folder);
            if (!rtl::FileExists(file)) db::WriteStringToStorage(file, SampleLinkContent(dataDir, sample), db::CREATE_NEW);
        }
    } catch (const std::exception&) {
        // Silent: the samples are a convenience.
    }
}

void CreateSampleDataLinks()
{
    CreateSampleDataLinks(FrmMain != nullptr ? FrmMain->DataDir
                                             : rtl::IncludeTrailingPathDelimiter(rtl::AppDir()) + "Data");
}

}  // namespace app
