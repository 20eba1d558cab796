#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "OdbcTestSupport.h"
#include "odbc/Database.h"
#include "odbc/SqlError.h"

namespace {

using namespace odbc;

TEST(SQLResultName, NamesEveryResultAndNumbersTheRest)
{
    const std::vector<std::pair<int, std::string>> cases{
        {0, "SQL_SUCCESS"},   {1, "SQL_SUCCESS_WITH_INFO"}, {2, "SQL_STILL_EXECUTING"}, {99, "SQL_NEED_DATA"},
        {100, "SQL_NO_DATA"}, {-1, "SQL_ERROR"},            {-2, "SQL_INVALID_HANDLE"}, {7, "unknown SQL result7"},
        {-3, "unknown SQL result-3"}};
    for (const auto& [code, name] : cases) EXPECT_EQ(SQLResultName(code), name) << code;
}

TEST(ESQLerror, KeepsEveryRecordAndNamesTheFirst)
{
    const std::vector<TDiagRecord> records{
        {"01000", 11, "[drv]first"}, {"42S02", 22, "[drv]second"}, {"HY000", 33, "[drv]third"}};
    const ESQLerror e(SQL_ERROR, records);
    EXPECT_EQ(e.Message(), "01000:[drv]first");
    EXPECT_EQ(e.SQLState(), "01000");
    EXPECT_EQ(e.NativeError(), 33);
    EXPECT_EQ(e.ReturnCode(), SQL_ERROR);
    ASSERT_NE(e.Errors(), nullptr);
    ASSERT_EQ(e.Errors()->Count(), 3);
    EXPECT_EQ(e.Errors()->Strings(1), "42S02:[drv]second");
    EXPECT_EQ(e.Errors()->Strings(2), "HY000:[drv]third");
}

TEST(ESQLerror, WithoutRecordsTheMessageIsTheResultName)
{
    const ESQLerror none(SQL_ERROR, std::vector<TDiagRecord>{});
    EXPECT_EQ(none.Message(), "SQL_ERROR");
    ASSERT_NE(none.Errors(), nullptr);
    EXPECT_EQ(none.Errors()->Count(), 0);
    EXPECT_EQ(none.SQLState(), "");
    EXPECT_EQ(none.NativeError(), SQL_ERROR);

    // Results other than SQL_ERROR and SQL_SUCCESS_WITH_INFO read no records at all.
    const ESQLerror noData(SQL_HANDLE_DBC, SQL_NO_DATA, SQL_NULL_HANDLE);
    EXPECT_EQ(noData.Message(), "SQL_NO_DATA");
    EXPECT_EQ(noData.NativeError(), 100);
    EXPECT_EQ(noData.Errors()->Count(), 0);
    EXPECT_EQ(ESQLerror(SQL_HANDLE_DBC, 7, SQL_NULL_HANDLE).Message(), "unknown SQL result7");

    const ESQLerror plain("SQL_INVALID_HANDLE", SQL_INVALID_HANDLE);
    EXPECT_EQ(plain.Errors(), nullptr);
    EXPECT_EQ(plain.SQLState(), "");
}

TEST(ESQLerror, AHandleWithoutRecordsGivesTheResultName)
{
    TdbSession session(nullptr);
    const ESQLerror e(SQL_HANDLE_ENV, SQL_ERROR, session.Handle());
    EXPECT_EQ(e.Message(), "SQL_ERROR");
    EXPECT_EQ(e.Errors()->Count(), 0);
}

// A statement on an unknown table makes the SQLite driver name the table in its message, so
// a long name gives a diagnostic text far past the first buffer.
class SqliteFailure : public ::testing::TestWithParam<std::size_t> {};

TEST_P(SqliteFailure, AFailingStatementRaisesWithTheWholeDriverMessage)
{
    odbctest::TTempDir dir;
    TdbDataBase database(nullptr);
    odbctest::UseSqlite(database, dir.File("fail.db"));
    database.Connect();

    const std::string table(GetParam(), 't');
    const std::string sql = "SELECT * FROM " + table;
    const TOdbcApi& api = Odbc();
    SQLHSTMT statement = SQL_NULL_HSTMT;
    ASSERT_EQ(api.SQLAllocHandle(SQL_HANDLE_STMT, database.Handle(), &statement), SQL_SUCCESS);
    const SQLRETURN r = api.SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS);
    ASSERT_EQ(r, SQL_ERROR);
    const ESQLerror e(SQL_HANDLE_STMT, r, statement);
    api.SQLFreeHandle(SQL_HANDLE_STMT, statement);

    const std::string expected = "HY000:[SQLite]no such table: " + table + " (1)";
    EXPECT_EQ(e.Message(), expected);
    EXPECT_EQ(e.SQLState(), "HY000");
    ASSERT_EQ(e.Errors()->Count(), 1);
    EXPECT_EQ(e.Errors()->Strings(0), expected);
}

// The driver's text is the name plus 27 bytes: 228 fills a 256-byte buffer to the last byte
// before its terminator, 229 is one byte too long for it, 450 almost twice too long.
INSTANTIATE_TEST_SUITE_P(TableNameLengths, SqliteFailure, ::testing::Values(5u, 228u, 229u, 450u));

}  // namespace
