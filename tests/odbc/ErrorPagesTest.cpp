#include <gtest/gtest.h>

#include "odbc/ErrorPages.h"
#include "odbc/OdbcApi.h"
#include "odbc/SqlError.h"

namespace {

using namespace odbc;

TEST(TErrorPages, PagesThroughEveryRecord)
{
    const ESQLerror e(SQL_ERROR, std::vector<TDiagRecord>{{"01000", 1, "one"}, {"42000", 2, "two"}, {"HY000", 3, "three"}});
    TErrorPages pages(e);
    EXPECT_EQ(pages.Index(), 0);
    EXPECT_FALSE(pages.BackEnabled());
    EXPECT_TRUE(pages.NextEnabled());
    EXPECT_EQ(pages.Text(), "01000:one");
    pages.Back();  // disabled: stays
    EXPECT_EQ(pages.Index(), 0);

    pages.Next();
    EXPECT_TRUE(pages.BackEnabled());
    EXPECT_TRUE(pages.NextEnabled());
    EXPECT_EQ(pages.Text(), "42000:two");
    pages.Next();
    EXPECT_FALSE(pages.NextEnabled());
    EXPECT_EQ(pages.Text(), "HY000:three");
    pages.Next();  // disabled: stays
    EXPECT_EQ(pages.Index(), 2);

    pages.Back();
    EXPECT_EQ(pages.Text(), "42000:two");
    pages.First();
    EXPECT_EQ(pages.Text(), "01000:one");
}

TEST(TErrorPages, WithoutRecordsShowsTheMessage)
{
    struct Case {
        const char* what;
        TErrorPages pages;
        std::string text;
    };
    const std::vector<Case> cases{
        {"no data", TErrorPages(ESQLerror(SQL_HANDLE_DBC, SQL_NO_DATA, SQL_NULL_HANDLE)), "SQL_NO_DATA"},
        {"message only", TErrorPages(ESQLerror("Database not opened")), "Database not opened"},
        {"other exception", TErrorPages(rtl::Exception("Disk full")), "Disk full"},
        {"one record", TErrorPages(ESQLerror(SQL_ERROR, {{"08001", 0, "refused"}})), "08001:refused"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(c.pages.BackEnabled()) << c.what;
        EXPECT_FALSE(c.pages.NextEnabled()) << c.what;
        EXPECT_EQ(c.pages.Text(), c.text) << c.what;
    }
}

}  // namespace
