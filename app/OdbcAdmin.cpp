#include "app/OdbcAdmin.h"

#include "platform/rtl/Files.h"
#include "platform/rtl/Process.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Dialogs.h"

#include <cstdlib>
#include <exception>

namespace app {

std::string UserDataSourceFileOf(const std::string& output)
{
    std::size_t pos = 0;
    while (pos < output.size()) {
        std::size_t end = output.find('\n', pos);
        if (end == std::string::npos) end = output.size();
        const std::string line = output.substr(pos, end - pos);
        pos = end + 1;
        if (line.rfind("USER DATA SOURCES", 0) != 0) continue;
        const auto colon = line.find(':');
        if (colon != std::string::npos) return rtl::Trim(line.substr(colon + 1));
    }
    return {};
}

std::string UserDataSourceFile()
{
    std::string output;
    const std::string odbcinst = rtl::FindExecutable("odbcinst");
    if (!odbcinst.empty() && rtl::RunAndCapture(odbcinst, {"-j"}, output)) {
        const std::string file = UserDataSourceFileOf(output);
        if (!file.empty()) return file;
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.odbc.ini";
}

std::string DataSourceFileTemplate()
{
    return "; ODBC data sources of this user, read by unixODBC.\n"
           "; Each data source is a section named after it. Remove the \"; \" in front of the\n"
           "; lines below to make a data source for a SQLite database file.\n"
           ";\n"
           "; [MySQLiteData]\n"
           "; Description = My SQLite database\n"
           "; Driver      = SQLite3\n"
           "; Database    = /home/me/data/mydata.db\n";
}

TOdbcAdminResult ShowOdbcAdministrator()
{
    for (const char* name : {"ODBCManageDataSourcesQ5", "ODBCManageDataSourcesQ4"}) {
        const std::string program = rtl::FindExecutable(name);
        if (!program.empty() && rtl::StartDetached(program)) return TOdbcAdminResult::Administrator;
    }
    const std::string file = UserDataSourceFile();
    if (!rtl::FileExists(file)) {
        try {
            rtl::ForceDirectories(rtl::ExtractFilePath(file));
            rtl::SaveFileAtomically(file, DataSourceFileTemplate());
        } catch (const std::exception& e) {
            ui::MessageDlg("The ODBC data-source file " + file + " could not be created: " + e.what(), ui::mtWarning,
                           {ui::mbOK});
            return TOdbcAdminResult::Nothing;
        }
    }
    if (rtl::OpenWithDesktop(file)) return TOdbcAdminResult::DataSourceFile;
    ui::MessageDlg("The ODBC Administrator could not be started: neither ODBCManageDataSourcesQ5 nor "
                   "ODBCManageDataSourcesQ4 (unixODBC's data-source administrator) was found, and no program "
                   "(xdg-open) was found to open the data-source file " +
                       file + ".",
                   ui::mtWarning, {ui::mbOK});
    return TOdbcAdminResult::Nothing;
}

}  // namespace app
