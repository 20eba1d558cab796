#include "platform/db/AdoConnection.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Paths.h"

#include <cstdio>
#include <exception>

namespace {

// Until the main window exists, the program shows that its bundled sample database answers.
void ReportSampleDatabase(const std::string& appDir)
{
    const std::string file = appDir + "Data/DBSamples/Sample1.db";
    db::TADOConnection connection(nullptr);
    connection.SetLoginPrompt(false);
    connection.SetConnectionString(db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + file));
    connection.Open();
    db::TADOQuery query(nullptr);
    query.SetConnection(&connection);
    query.SQL()->SetText("SELECT count(*) AS n FROM customers");
    query.Open();
    std::printf("Gridweaver: sample database %s answers: %lld customers.\n", file.c_str(),
                static_cast<long long>(query.FieldByName("n")->AsInteger()));
}

}  // namespace

int main()
{
    try {
        rtl::FormatSettings() = rtl::TFormatSettings::FromLocale();
        const std::string appDir = rtl::AppDir();
        std::printf("Gridweaver: program folder %s\n", appDir.c_str());
        ReportSampleDatabase(appDir);
        std::puts("Gridweaver: the main window is not built yet.");
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "Gridweaver: %s\n", e.what());
        return 1;
    }
}
