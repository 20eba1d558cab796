// Against the PostgreSQL server that the test command starts (GW_PG_PORT); skipped without it.

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

#include "OdbcTestSupport.h"
#include "odbc/Database.h"
#include "odbc/SqlError.h"

namespace {

using namespace odbc;

class PostgresTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto port = odbctest::PostgresPort();
        if (!port) GTEST_SKIP() << "no PostgreSQL test server (GW_PG_PORT unset or not listening)";
        port_ = *port;
    }
    int port_ = 0;
};

TEST_F(PostgresTest, ConnectsAndAnswersGetInfo)
{
    TdbDataBase database(nullptr);
    odbctest::UsePostgres(database, port_);
    database.Connect();
    ASSERT_TRUE(database.Connected());
    char name[64] = {};
    SQLSMALLINT length = 0;
    database.GetInfo(SQL_DBMS_NAME, name, sizeof name, &length);
    EXPECT_EQ(std::string(name, static_cast<std::size_t>(length)), "PostgreSQL");
    EXPECT_NE(database.ConnectString().find("DATABASE=gridweaver_test"), std::string::npos) << database.ConnectString();
    database.Disconnect();
    EXPECT_FALSE(database.Connected());
}

TEST_F(PostgresTest, AWrongPasswordFailsWithTheServersRecord)
{
    TdbDataBase database(nullptr);
    odbctest::UsePostgres(database, port_);
    database.Params()->SetValue("PWD", "not-the-password");
    const ESQLerror e = odbctest::SqlErrorOf([&] { database.Connect(); });
    EXPECT_EQ(e.SQLState(), "08001");
    EXPECT_NE(e.Message().find("password authentication failed"), std::string::npos) << e.Message();
    EXPECT_FALSE(database.Connected());
}

TEST_F(PostgresTest, AConnectThatSucceedsWithInformationIsConnected)
{
    // The driver runs ConnSettings once connected; a failing one leaves the connection up
    // and makes the connect answer SQL_SUCCESS_WITH_INFO (SQLSTATE 01S02).
    TdbDataBase database(nullptr);
    odbctest::UsePostgres(database, port_);
    database.Params()->Add("ConnSettings=SELECT * FROM gw_odbc_no_such_table");
    database.Connect();
    EXPECT_TRUE(database.Connected());
    char name[64] = {};
    SQLSMALLINT length = 0;
    database.GetInfo(SQL_DBMS_NAME, name, sizeof name, &length);
    EXPECT_STREQ(name, "PostgreSQL");
}

TEST_F(PostgresTest, APasswordWithSemicolonAndBracesReachesTheDriverWhole)
{
    // Roles are shared by every database of the server: one per test process.
    const std::string role = "gw_odbc_brace_" + std::to_string(getpid());
    const std::string password = "p;w}{d";
    TdbDataBase admin(nullptr);
    odbctest::UsePostgres(admin, port_);
    admin.Connect();
    odbctest::ExecRaw(admin, "DROP ROLE IF EXISTS " + role);
    ASSERT_TRUE(SQL_SUCCEEDED(odbctest::ExecRaw(admin, "CREATE ROLE " + role + " LOGIN PASSWORD '" + password + "'")));

    TdbDataBase database(nullptr);
    odbctest::UsePostgres(database, port_);
    database.Params()->SetValue("UID", role);
    database.Params()->SetValue("PWD", password);
    EXPECT_NO_THROW(database.Connect());
    EXPECT_TRUE(database.Connected());
    database.Disconnect();
    odbctest::ExecRaw(admin, "DROP ROLE IF EXISTS " + role);
}

}  // namespace
