#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "OdbcTestSupport.h"
#include "odbc/Database.h"

namespace {

using namespace odbc;

// unixODBC reads ODBCSYSINI once per process and keeps the answer, so every listing runs in
// a child process of its own, started afresh ("threadsafe" death-test style re-runs this test
// alone), with the variables set before the driver manager is loaded. The child reports a
// mismatch on its standard error and in its exit code.
void ExpectListing(const std::string& userIni, const std::string& systemDir, const std::vector<std::string>& expected)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("ODBCINI", userIni.c_str(), 1);
            setenv("ODBCSYSINI", systemDir.c_str(), 1);
            // A database never connected, on the default session.
            TdbDataBase database(nullptr);
            rtl::TStringList list;
            list.Add("stale entry");
            database.GetDataSources(list);
            std::vector<std::string> names;
            for (int i = 0; i < list.Count(); ++i) names.push_back(list.Strings(i));
            if (names != expected) {
                std::fprintf(stderr, "listed %zu:", names.size());
                for (const std::string& name : names) std::fprintf(stderr, " [%s]", name.c_str());
                std::fprintf(stderr, "\n");
                std::_Exit(1);
            }
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

TEST(GetDataSources, ListsUserThenSystemSourcesWithWholeNames)
{
    odbctest::TTempDir dir;
    const std::string longName(40, 'L');
    ASSERT_EQ(longName.size(), 40u);
    WriteFile(dir.File("user.ini"),
              "[Sales]\nDriver=SQLite3\nDatabase=/tmp/sales.db\n\n[" + longName + "]\nDriver=SQLite3\n");
    WriteFile(dir.File("odbc.ini"), "[Warehouse]\nDriver=SQLite3\n");
    WriteFile(dir.File("odbcinst.ini"), "[SQLite3]\nDriver=libsqlite3odbc.so\n");
    ExpectListing(dir.File("user.ini"), dir.Path().string(), {"Sales", longName, "Warehouse"});
}

TEST(GetDataSources, AnEmptyConfigurationGivesAnEmptyList)
{
    odbctest::TTempDir dir;
    WriteFile(dir.File("user.ini"), "");
    ExpectListing(dir.File("user.ini"), dir.Path().string(), {});
    // No configuration files at all.
    ExpectListing(dir.File("absent.ini"), dir.File("absent-folder"), {});
}

TEST(GetDataSources, ANameLongerThanTheFirstBufferIsReadAgainWhole)
{
    odbctest::TTempDir dir;
    const std::string veryLong(300, 'v');
    WriteFile(dir.File("user.ini"), "[First]\nDriver=SQLite3\n[" + veryLong + "]\nDriver=SQLite3\n[Last]\nDriver=SQLite3\n");
    ExpectListing(dir.File("user.ini"), dir.Path().string(), {"First", veryLong, "Last"});
}

}  // namespace
