// Quoting of names by the visual query (QuoteName), the SQL settings in the registry and the
// keyword lists, shipped and loaded.

#include <filesystem>
#include <fstream>
#include <set>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "VQueryTestSupport.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Registry.h"
#include "platform/rtl/SysUtils.h"

using namespace vquery;
using app::ado::TIdentifierCase;
using vqtest::QueryFixture;

namespace {

const std::string kKeywordDir = std::string(GW_SOURCE_DIR) + "/share/Data/SqlData";

std::vector<std::string> ReadWords(const std::string& file)
{
    rtl::TStringList list;
    list.SetText(rtl::ReadFileToString(kKeywordDir + "/" + file));
    return vqtest::Lines(list);
}

// ---- QuoteName: names x quote strings x identifier case ---------------------------------------

TEST(QuoteName, NamesQuotesAndIdentifierCase)
{
    QueryFixture f;
    f.Q().AnsiKeywords().Add("ORDER");
    f.Q().DriverKeywords().Add("USER");
    struct Case {
        std::string name, quote;
        TIdentifierCase folding;
        std::string expected;
    };
    const auto U = TIdentifierCase::Unknown, L = TIdentifierCase::Lower, P = TIdentifierCase::Upper,
               S = TIdentifierCase::Sensitive;
    const Case cases[] = {
        {"plain", "\"", U, "plain"},
        {"plain", "\"", L, "plain"},
        {"plain", "\"", P, "\"plain\""},
        {"PLAIN", "\"", P, "PLAIN"},
        {"PLAIN", "\"", L, "\"PLAIN\""},
        {"Mixed", "\"", S, "Mixed"},
        {"Mixed", "[", L, "[Mixed]"},
        {"Mixed", "`", P, "`Mixed`"},
        {"Mixed", "", L, "Mixed"},
        {"1st", "", U, "1st"},
        {"two words", "", U, "\"two words\""},  // no quote string: what could end the name is still enclosed
        {"a;DROP TABLE t", "", U, "\"a;DROP TABLE t\""},
        {"say\"hi", "", U, "\"say\"\"hi\""},
        {"order", "\"", U, "\"order\""},
        {"User", "[", S, "[User]"},
        {"two words", "`", U, "`two words`"},
        {"a-b", "\"", U, "\"a-b\""},
        {"1st", "\"", U, "\"1st\""},
        {"x1", "\"", U, "x1"},
        {"_x", "\"", U, "_x"},
        {"Größe", "\"", U, "Größe"},
        {"größe", "\"", L, "größe"},
        {"Größe", "\"", L, "\"Größe\""},
        {"say\"hi", "\"", U, "\"say\"\"hi\""},
        {"a]b", "[", U, "[a]]b]"},
        {"", "\"", U, ""},
    };
    for (const Case& c : cases) {
        f.Q().SetQuoteChars(c.quote);
        f.Q().SetIdentifierCase(c.folding);
        EXPECT_EQ(f.Q().QuoteName(c.name), c.expected) << c.name << " " << c.quote << " " << static_cast<int>(c.folding);
    }
    // A special character of the driver forces quotes as well.
    f.Q().SetQuoteChars("\"");
    f.Q().SetIdentifierCase(U);
    f.Q().SetSpecialChars("_");
    EXPECT_EQ(f.Q().QuoteName("a_b"), "\"a_b\"");
}

TEST(QuoteName, OwnerAndTableAreQuotedAlikeAndFollowTheQuotingState)
{
    QueryFixture f;
    f.Table("Sales Dept", "order", {{"id", db::adInteger}});
    f.Table("dbo", "Plain", {{"id", db::adInteger}});
    f.Q().AnsiKeywords().Add("ORDER");
    TmfVQueryTable* a = f.Box("SALES DEPT.ORDER");
    TmfVQueryTable* b = f.Box("dbo.plain");
    EXPECT_EQ(a->DBTableName(), "\"Sales Dept\".\"order\"");
    EXPECT_EQ(a->Caption(), "SALES DEPT.ORDER");
    EXPECT_EQ(b->DBTableName(), "dbo.Plain");
    f.Q().SetIdentifierCase(TIdentifierCase::Lower);
    EXPECT_EQ(b->DBTableName(), "dbo.\"Plain\"");
    f.Q().SetQuoteChars("[");
    EXPECT_EQ(a->DBTableName(), "[Sales Dept].[order]");
}

// ---- SQL settings ----------------------------------------------------------------------------

class SqlSettings : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() { vqtest::ClearSqlSettings(); }
};

TEST_F(SqlSettings, SectionIsTheProviderLessAFinalDotOne)
{
    EXPECT_EQ(SettingsSection("MSDASQL.1"), "MSDASQL");
    EXPECT_EQ(SettingsSection("MSDASQL"), "MSDASQL");
    EXPECT_EQ(SettingsSection("Microsoft.Jet.OLEDB.4.0"), "Microsoft.Jet.OLEDB.4.0");
    EXPECT_EQ(SettingsSection("X.11"), "X.11");
    EXPECT_EQ(SettingsSection(".1"), "");
}

TEST_F(SqlSettings, DefaultsLastFallbackAndTheConnectionsSection)
{
    {
        QueryFixture f;  // nothing stored: defaults, and reading writes nothing
        EXPECT_EQ(f.Q().SQLCommentStartChars, "/*");
        EXPECT_EQ(f.Q().SQLCommentEndChars, "*/");
        EXPECT_EQ(f.Q().CustomQuoteChars(), "");
        EXPECT_TRUE(rtl::TRegIniFile("SQL Generator Global").ReadSections().empty());
    }
    rtl::TRegIniFile ini("SQL Generator Global");
    ini.WriteString("STANDARD", "CommentStart", "{");
    ini.WriteString("MSDASQL", "CommentStart", "--");
    ini.WriteString("MSDASQL", "CommentEnd", "");
    ini.WriteString("MSDASQL", "QuoteChar", "[");
    {
        QueryFixture f;  // no connection, no "Last": STANDARD
        EXPECT_EQ(f.Q().SQLCommentStartChars, "{");
        EXPECT_EQ(f.Q().SQLCommentEndChars, "*/");
    }
    ini.WriteString("DriverName", "Last", "MSDASQL");
    {
        QueryFixture f;  // no connection: the driver saved last
        EXPECT_EQ(f.Q().SQLCommentStartChars, "--");
        EXPECT_EQ(f.Q().SQLCommentEndChars, "");
        EXPECT_EQ(f.Q().CustomQuoteChars(), "[");
    }
    ini.WriteString("DriverName", "Last", "STANDARD");
    {
        // Every ODBC connection ("MSDASQL.1") reads the section MSDASQL.
        const std::string file = vqtest::HomeDir() + "/settings.db";
        rtl::WriteStringToFile(file, "");
        db::TADOConnection conn(nullptr);
        conn.SetLoginPrompt(false);
        conn.SetConnectionString(db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + file));
        conn.Open();
        EXPECT_EQ(conn.Provider(), "MSDASQL.1");
        QueryFixture f;
        f.Q().SetADOConnection(&conn);
        EXPECT_EQ(f.Q().CurrentDriver(), "MSDASQL");
        f.Q().ReadSQLSettings();
        EXPECT_EQ(f.Q().SQLCommentStartChars, "--");
        EXPECT_EQ(f.Q().CustomQuoteChars(), "[");
        // The connection's quote unless the custom one is asked for.
        EXPECT_EQ(f.Q().QuoteChars(), "\"");
        f.Q().SetUseDefaultQuoteChars(false);
        EXPECT_EQ(f.Q().QuoteChars(), "[");
        f.Q().SetUseDefaultQuoteChars(true);
        EXPECT_EQ(f.Q().QuoteChars(), "\"");
    }
}

// ---- Keyword lists ---------------------------------------------------------------------------

TEST(KeywordFiles, OneUpperCaseWordPerLine)
{
    for (const char* file : {"ansi.dat", "odbc.dat", "sqlite.dat", "postgresql.dat"}) {
        const std::vector<std::string> words = ReadWords(file);
        EXPECT_GT(words.size(), 100u) << file;
        for (const std::string& w : words) {
            EXPECT_EQ(w, rtl::UpperCase(w)) << file;
            EXPECT_EQ(w, rtl::Trim(w)) << file;
            EXPECT_FALSE(w.empty()) << file;
            EXPECT_EQ(w.find_first_of(" ,\t"), std::string::npos) << file << ": " << w;
        }
    }
    const std::vector<std::string> odbc = ReadWords("odbc.dat");
    for (const char* w : {"ROWS", "SCHEMA", "ORDER", "USER"})
        EXPECT_NE(std::find(odbc.begin(), odbc.end(), w), odbc.end()) << w;
    const std::vector<std::string> ansi = ReadWords("ansi.dat");
    for (const char* w : {"ORDER", "GROUP", "USER", "SELECT", "VALUE"})
        EXPECT_NE(std::find(ansi.begin(), ansi.end(), w), ansi.end()) << w;
}

TEST(KeywordFiles, SqliteListHoldsEveryKeywordTheLibraryReports)
{
    const std::vector<std::string> shipped = ReadWords("sqlite.dat");
    const std::set<std::string> words(shipped.begin(), shipped.end());
    for (int i = 0; i < sqlite3_keyword_count(); ++i) {
        const char* z = nullptr;
        int n = 0;
        ASSERT_EQ(sqlite3_keyword_name(i, &z, &n), SQLITE_OK);
        EXPECT_TRUE(words.count(std::string(z, static_cast<std::size_t>(n)))) << std::string(z, static_cast<std::size_t>(n));
    }
}

TEST(KeywordFiles, PostgresqlListHoldsEveryKeywordTheServerDoesNotMarkUnreserved)
{
    const char* port = std::getenv("GW_PG_PORT");
    if (port == nullptr || *port == '\0') GTEST_SKIP() << "GW_PG_PORT is not set";
    db::TADOConnection conn(nullptr);
    conn.SetLoginPrompt(false);
    conn.SetConnectionString(db::FormatInitString(
        {{"Provider", "MSDASQL.1"},
         {"User ID", "gridweaver"},
         {"Password", "gridweaver"},
         {"Extended Properties",
          "DRIVER={PostgreSQL Unicode};Server=127.0.0.1;Port=" + std::string(port) + ";Database=gridweaver_test"}}));
    try {
        conn.Open();
    } catch (const rtl::Exception& e) {
        GTEST_SKIP() << "the PostgreSQL test server does not answer: " << e.Message();
    }
    db::TADOQuery q(nullptr);
    q.SetConnection(&conn);
    q.SQL()->SetText("SELECT upper(word) FROM pg_get_keywords() WHERE catcode <> 'U'");
    q.Open();
    const std::vector<std::string> shipped = ReadWords("postgresql.dat");
    const std::set<std::string> words(shipped.begin(), shipped.end());
    int count = 0;
    for (q.First(); !q.Eof(); q.Next(), ++count) EXPECT_TRUE(words.count(q.Fields().Fields(0)->AsString())) << q.Fields().Fields(0)->AsString();
    EXPECT_GT(count, 50);
}

TEST(KeywordFiles, LoadingMatchesNamesIgnoringCaseAndReportsUnreadableFiles)
{
    namespace fs = std::filesystem;
    const std::string dir = vqtest::HomeDir() + "/keywords";
    fs::remove_all(dir);
    fs::create_directories(dir);
    rtl::WriteStringToFile(dir + "/ANSI.DAT", "ORDER\r\n\r\n  GROUP \n");
    fs::create_directories(dir + "/odbc.dat");  // there, but no file to read
    rtl::WriteStringToFile(dir + "/my db.dat", "FOO\n");

    QueryFixture f;
    f.Q().DriverKeywords().Add("OLD");
    EXPECT_FALSE(f.Q().LoadKeywordFiles(dir + "/absent"));
    EXPECT_EQ(f.Q().DriverKeywords().Count(), 1);  // a missing folder leaves the lists
    EXPECT_TRUE(f.dialogs.Asked().empty());

    f.Q().SetDriverName("my db");
    f.dialogs.AnswerMessage(ui::mrOk);
    EXPECT_TRUE(f.Q().LoadKeywordFiles(dir));
    EXPECT_EQ(vqtest::Lines(f.Q().AnsiKeywords()), (std::vector<std::string>{"ORDER", "GROUP"}));
    EXPECT_EQ(f.Q().OdbcKeywords().Count(), 0);
    EXPECT_EQ(vqtest::Lines(f.Q().DriverKeywords()), (std::vector<std::string>{"FOO"}));
    ASSERT_EQ(f.dialogs.Asked().size(), 1u);
    EXPECT_NE(f.dialogs.Asked()[0].message.text.find(dir + "/odbc.dat"), std::string::npos)
        << f.dialogs.Asked()[0].message.text;
    EXPECT_EQ(f.Q().QuoteName("group"), "\"group\"");
    EXPECT_EQ(f.Q().QuoteName("foo"), "\"foo\"");
    fs::remove_all(dir);
}

TEST_F(SqlSettings, ShowingTheSettingsNeedsAConnection)
{
    QueryFixture f;
    f.dialogs.AnswerMessage(ui::mrOk);
    f.dialogs.AnswerMessage(ui::mrOk);
    EXPECT_FALSE(f.Q().ShowSQLSettings());
    f.Q().SetConnectionType(ctBDE);
    EXPECT_FALSE(f.Q().ShowSQLSettings());
    ASSERT_EQ(f.dialogs.Asked().size(), 2u);
    EXPECT_EQ(f.dialogs.Asked()[0].message.text, "SQL Setting cannot be acessed without a ADOConnection assigned.");
    EXPECT_EQ(f.dialogs.Asked()[1].message.text, "SQL Setting cannot be acessed without a database assigned.");

    db::TADOConnection conn(nullptr);
    f.Q().SetConnectionType(ctADO);
    f.Q().SetADOConnection(&conn);
    std::string askedDriver = "(not asked)";
    TmfVQuery::SetSQLSettingsDialog([&](TmfVQuery&, const std::string& driver, TConnectionType) {
        askedDriver = driver;
        return std::optional<TSQLSettings>(TSQLSettings{"--", "", "`"});
    });
    EXPECT_TRUE(f.Q().ShowSQLSettings());
    TmfVQuery::SetSQLSettingsDialog(nullptr);
    EXPECT_EQ(askedDriver, "");  // not connected: no provider yet
    EXPECT_EQ(f.Q().SQLCommentStartChars, "--");
    EXPECT_EQ(f.Q().SQLCommentEndChars, "");
    EXPECT_EQ(f.Q().QuoteChars(), "`");
}

}  // namespace
