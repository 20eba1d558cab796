// The data layer and the ODBC components read the same driver message as the same text:
// the same failing statement through each stack, on SQLite and (when the test server runs)
// PostgreSQL, with a message longer than the first buffer and with CR LF and a lone CR in it.

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "OdbcTestSupport.h"
#include "platform/db/AdoConnection.h"
#include "platform/db/ConnectionString.h"
#include "platform/db/DbErrors.h"

namespace {

using namespace odbc;

struct TBackend {
    std::string name;
    std::string odbcString;
    std::function<void(TdbDataBase&)> use;
};

// The statement fails naming what it quotes, so the quoted text (line ends and length)
// comes back in the driver's message.
struct TCase {
    const char* name;
    std::string sql;
    std::string quoted;  // what the message holds of it, line ends made LF
};

std::vector<TCase> Cases(bool postgres)
{
    const std::string tail(700, 't');
    // PostgreSQL cuts identifiers at 63 bytes but repeats a bad literal whole.
    if (postgres)
        return {{"line ends", "SELECT 1 'a\r\nb\rc'", "a\nb\nc"},
                {"long", "SELECT 1 'a\r\nb" + tail + "'", "a\nb" + tail}};
    return {{"line ends", "SELECT * FROM \"a\r\nb\rc\"", "a\nb\nc"}, {"long", "SELECT * FROM \"b" + tail + "\"", "b" + tail}};
}

db::EADOError DataLayerError(const TBackend& backend, const std::string& sql)
{
    db::TADOConnection connection(nullptr);
    connection.SetLoginPrompt(false);
    connection.SetConnectionString(db::MakeOdbcInitString(backend.odbcString));
    connection.Open();
    try {
        connection.Execute(sql);
    } catch (const db::EADOError& e) {
        return e;
    }
    ADD_FAILURE() << "the data layer raised nothing for " << sql;
    return db::EADOError("(nothing raised)", {});
}

ESQLerror ComponentError(const TBackend& backend, const std::string& sql)
{
    TdbDataBase database(nullptr);
    backend.use(database);
    database.Connect();
    const TOdbcApi& api = Odbc();
    SQLHSTMT statement = SQL_NULL_HSTMT;
    if (api.SQLAllocHandle(SQL_HANDLE_STMT, database.Handle(), &statement) != SQL_SUCCESS) {
        ADD_FAILURE() << "no statement handle";
        return ESQLerror("(no statement)");
    }
    const SQLRETURN r = api.SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS);
    EXPECT_EQ(r, SQL_ERROR) << sql;
    ESQLerror e(SQL_HANDLE_STMT, r, statement);
    api.SQLFreeHandle(SQL_HANDLE_STMT, statement);
    return e;
}

void ExpectSameText(const TBackend& backend)
{
    for (const TCase& c : Cases(backend.name == "PostgreSQL")) {
        SCOPED_TRACE(backend.name + ", " + c.name);
        const db::EADOError data = DataLayerError(backend, c.sql);
        const ESQLerror component = ComponentError(backend, c.sql);
        ASSERT_FALSE(data.Records().empty());
        ASSERT_NE(component.Errors(), nullptr);
        ASSERT_EQ(component.Errors()->Count(), static_cast<int>(data.Records().size()));
        for (std::size_t i = 0; i < data.Records().size(); ++i) {
            const db::TOdbcDiagRecord& r = data.Records()[i];
            EXPECT_EQ(component.Errors()->Strings(static_cast<int>(i)), r.sqlState + ":" + r.message);
            EXPECT_EQ(r.message.find('\r'), std::string::npos) << r.message;
        }
        EXPECT_EQ(component.Message(), data.Records().front().sqlState + ":" + data.Records().front().message);
        const std::string& text = data.Records().front().message;
        // What the SQLite driver hands on is cut at 512 bytes before either stack reads it.
        if (backend.name == "SQLite" && text.size() == 512)
            EXPECT_EQ(text, ("[SQLite]no such table: " + c.quoted).substr(0, 512));
        else
            EXPECT_NE(text.find(c.quoted), std::string::npos) << text;
    }
}

TEST(DiagnosticsAgree, SqliteMessagesReadTheSameInBothStacks)
{
    odbctest::TTempDir dir;
    const std::string file = dir.File("agree.db");
    std::ofstream(file).flush();  // the data layer opens only a database that exists
    ExpectSameText({"SQLite", "DRIVER=SQLite3;Database=" + file,
                    [&](TdbDataBase& database) { odbctest::UseSqlite(database, file); }});
}

TEST(DiagnosticsAgree, PostgresMessagesReadTheSameInBothStacks)
{
    const auto port = odbctest::PostgresPort();
    if (!port) GTEST_SKIP() << "no PostgreSQL test server (GW_PG_PORT unset or not listening)";
    ExpectSameText({"PostgreSQL",
                    "DRIVER={PostgreSQL Unicode};Server=127.0.0.1;Port=" + std::to_string(*port) +
                        ";Database=gridweaver_test;UID=gridweaver;PWD=gridweaver",
                    [&](TdbDataBase& database) { odbctest::UsePostgres(database, *port); }});
}

}  // namespace
