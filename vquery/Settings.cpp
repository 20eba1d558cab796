// SQL settings in the registry, the keyword lists, the connection's quoting state and the
// quoting of identifiers.

#include <algorithm>
#include <filesystem>

#include "platform/rtl/Files.h"
#include "platform/rtl/Registry.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Dialogs.h"
#include "vquery/Dialogs.h"
#include "vquery/VQuery.h"

namespace vquery {

std::string SettingsSection(const std::string& provider)
{
    if (provider.size() >= 2 && provider.compare(provider.size() - 2, 2, ".1") == 0)
        return provider.substr(0, provider.size() - 2);
    return provider;
}

std::string TmfVQuery::CurrentDriver() const
{
    if (connectionType_ != ctADO || adoConnection_ == nullptr || !adoConnection_->Connected()) return {};
    return SettingsSection(adoConnection_->Provider());
}

void TmfVQuery::ReadSQLSettings()
{
    const rtl::TRegIniFile ini("SQL Generator Global");
    std::string driver = CurrentDriver();
    if (driver.empty()) driver = ini.ReadString("DriverName", "Last", "STANDARD");
    SQLCommentStartChars = ini.ReadString(driver, "CommentStart", "/*");
    SQLCommentEndChars = ini.ReadString(driver, "CommentEnd", "*/");
    customQuoteChars_ = ini.ReadString(driver, "QuoteChar", "");
}

void TmfVQuery::SetupADOInfo()
{
    quoteChars_ = useDefaultQuoteChars_ ? app::ado::GetQuoteChars(adoConnection_) : customQuoteChars_;
    specialChars_ = app::ado::GetSpecialCharacters(adoConnection_);
    driverName_ = rtl::LowerCase(app::ado::GetConnectionProperty(adoConnection_, "DBMS Name"));
    identifierCase_ = app::ado::GetIdentifierCase(adoConnection_);
    if (loadTableListBox_ != nullptr) {
        tableNames_.Clear();
        for (int i = 0; i < loadTableListBox_->Items()->Count(); ++i)
            tableNames_.AddObject(loadTableListBox_->Items()->Strings(i), loadTableListBox_->Items()->Objects(i));
    } else if (connectionType_ == ctADO && adoConnection_ != nullptr && adoConnection_->Connected()) {
        app::ado::GetTableNames(adoConnection_, ShowSystemTables, ShowSystemViews, ShowViews, false, ShowSynonyms,
                                tableNames_);
    }
    if (dbTableListBox_ != nullptr) {
        dbTableListBox_->Items()->Clear();
        for (int i = 0; i < tableNames_.Count(); ++i)
            dbTableListBox_->Items()->AddObject(tableNames_.Strings(i), tableNames_.Objects(i));
    }
    for (TmfVQueryTable* box : tables_) box->UpdateNames();
}

bool TmfVQuery::LoadKeywordFiles(const std::string& folder)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    if (folder.empty() || !fs::is_directory(folder, ec)) return false;
    ansiWords_.Clear();
    odbcWords_.Clear();
    driverWords_.Clear();
    // File names are matched without regard to letter case.
    std::vector<fs::path> entries;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) entries.push_back(it->path());
    const auto load = [&](rtl::TStringList& list, const std::string& fileName) {
        for (const fs::path& p : entries) {
            if (!rtl::SameText(p.filename().string(), fileName)) continue;
            try {
                if (fs::is_directory(p, ec)) throw rtl::EFOpenError("it is a folder");
                list.SetText(rtl::ReadFileToString(p.string()));
                for (int i = list.Count() - 1; i >= 0; --i) {
                    const std::string word = rtl::Trim(list.Strings(i));
                    if (word.empty())
                        list.Delete(i);
                    else
                        list.Put(i, word);
                }
            } catch (const std::exception&) {
                list.Clear();
                ui::MessageDlg("The keyword file " + p.string() + " can not be read.", ui::mtWarning, {ui::mbOK});
            }
            return;
        }
    };
    load(ansiWords_, "ansi.dat");
    load(odbcWords_, "odbc.dat");
    if (!driverName_.empty()) load(driverWords_, driverName_ + ".dat");
    for (TmfVQueryTable* box : tables_) box->UpdateNames();
    return true;
}

namespace {
TSQLSettingsDialog& SettingsDialog()
{
    static TSQLSettingsDialog dialog;
    return dialog;
}
}  // namespace

void TmfVQuery::SetSQLSettingsDialog(TSQLSettingsDialog dialog) { SettingsDialog() = std::move(dialog); }

bool TmfVQuery::ShowSQLSettings()
{
    if (connectionType_ == ctADO && adoConnection_ == nullptr) {
        ui::MessageDlg("SQL Setting cannot be acessed without a ADOConnection assigned.", ui::mtError, {ui::mbOK});
        return false;
    }
    if (connectionType_ == ctBDE) {  // no desktop database engine: never a database assigned
        ui::MessageDlg("SQL Setting cannot be acessed without a database assigned.", ui::mtError, {ui::mbOK});
        return false;
    }
    const std::optional<TSQLSettings> chosen = SettingsDialog() ? SettingsDialog()(*this, CurrentDriver(), connectionType_)
                                                                : TfrmSettings(this, CurrentDriver()).Execute();
    if (chosen) {
        SQLCommentStartChars = chosen->commentStart;
        SQLCommentEndChars = chosen->commentEnd;
        SetQuoteChars(chosen->quoteChars);
    }
    return true;
}

namespace {
bool IsAsciiUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool IsAsciiLower(char c) { return c >= 'a' && c <= 'z'; }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

std::string TmfVQuery::QuoteName(const std::string& name) const
{
    // Anything but letters, digits and "_" (bytes of UTF-8 sequences count as letters). The
    // rule holds whatever special characters the driver names: PostgreSQL names only "_", and
    // a name holding a double quote or a hyphen must still be quoted.
    const bool foreign = std::any_of(name.begin(), name.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x80 && !IsAsciiUpper(c) && !IsAsciiLower(c) && !IsAsciiDigit(c) &&
               c != '_';
    });
    // Without a quote string such a name could end the statement or open a comment: it is
    // written in the standard double quotes, so that it reads as one name or not at all.
    if (quoteChars_.empty()) return foreign ? app::ado::EncloseIdentifier(name, "\"") : name;
    const std::string quoted =
        app::ado::QuoteIdentifier(name, quoteChars_, specialChars_, &ansiWords_, &odbcWords_, &driverWords_);
    if (quoted != name || name.empty()) return quoted;
    // What else the database would misread bare: letters it folds to the other case, a
    // leading digit. Names come from the catalogue as stored, so quoting one never changes
    // what it names.
    bool misread = foreign || IsAsciiDigit(name[0]);
    for (char c : name) {
        if (identifierCase_ == app::ado::TIdentifierCase::Lower && IsAsciiUpper(c)) misread = true;
        if (identifierCase_ == app::ado::TIdentifierCase::Upper && IsAsciiLower(c)) misread = true;
    }
    return misread ? app::ado::EncloseIdentifier(name, quoteChars_) : name;
}

}  // namespace vquery
