// Data-link files and connection strings: the stored format, files from elsewhere, every
// result code, and the translation of initialisation strings into ODBC connection strings.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/db/ConnectionString.h"
#include "platform/db/DataLinks.h"
#include "platform/db/DbErrors.h"
#include "platform/rtl/Files.h"
#include "tests/rtl/FailingSaves.h"

using namespace db;

namespace {

std::string Utf16Le(const std::u16string& s)
{
    std::string out("\xFF\xFE", 2);
    for (char16_t c : s) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

class DataLinkFiles : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return dir_.path().toStdString() + "/" + name; }
    QTemporaryDir dir_;
};

}  // namespace

TEST_F(DataLinkFiles, WrittenAsUtf16WithByteOrderMarkAndReadBack)
{
    const std::string init =
        "Provider=MSDASQL.1;Persist Security Info=False;Extended Properties=\"DRIVER=SQLite3;Database=/data/Café 東京 😀.db\"";
    const std::string file = Path("Sample.udl");
    ASSERT_EQ(WriteStringToStorage(file, init, CREATE_NEW), S_OK);
    const std::u16string expected = u"[oledb]\r\n; Everything after this line is an OLE DB initstring\r\n"
                                    u"Provider=MSDASQL.1;Persist Security Info=False;Extended Properties=\"DRIVER=SQLite3;"
                                    u"Database=/data/Café 東京 😀.db\"\r\n";
    EXPECT_EQ(rtl::ReadFileToString(file), Utf16Le(expected));
    std::string read = "untouched";
    ASSERT_EQ(LoadStringFromStorage(file, read), S_OK);
    EXPECT_EQ(read, init);

    // Rewriting an existing link; creating it again fails and changes nothing.
    ASSERT_EQ(WriteStringToStorage(file, "Provider=MSDASQL;Data Source=Sales", OPEN_EXISTING), S_OK);
    EXPECT_EQ(WriteStringToStorage(file, "Provider=MSDASQL;Data Source=Other", CREATE_NEW), STG_E_FILEALREADYEXISTS);
    ASSERT_EQ(LoadStringFromStorage(file, read), S_OK);
    EXPECT_EQ(read, "Provider=MSDASQL;Data Source=Sales");
}

TEST_F(DataLinkFiles, FilesOfOtherProgramsAreRead)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::string init;
    } cases[] = {
        // As the platform's data-link service writes it.
        {"service.udl",
         Utf16Le(u"[oledb]\r\n; Everything after this line is an OLE DB initstring\r\n"
                 u"Provider=MSDASQL.1;Persist Security Info=False;User ID=jürgen;Data Source=Verkäufe\r\n"),
         "Provider=MSDASQL.1;Persist Security Info=False;User ID=jürgen;Data Source=Verkäufe"},
        // Without the comment line and without a final line end.
        {"bare.udl", Utf16Le(u"[oledb]\r\nProvider=MSDASQL;DSN=x"), "Provider=MSDASQL;DSN=x"},
        // UTF-8 with a byte-order mark and LF line ends, from a text editor.
        {"utf8bom.udl", "\xEF\xBB\xBF[oledb]\n; edited by hand\nProvider=MSDASQL;Data Source=Ωmega\n",
         "Provider=MSDASQL;Data Source=Ωmega"},
        // UTF-8 without a mark.
        {"utf8.udl", "[oledb]\r\n; comment\r\nProvider=MSDASQL;Data Source=Plain\r\n", "Provider=MSDASQL;Data Source=Plain"},
        // Big-endian UTF-16.
        {"be.udl", std::string("\xFE\xFF\0[\0o\0l\0e\0d\0b\0]\0\r\0\n\0P\0=\0M", 26), "P=M"},
        // Header and comment only: an empty string.
        {"empty.udl", Utf16Le(u"[oledb]\r\n; Everything after this line is an OLE DB initstring\r\n"), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rtl::WriteStringToFile(Path(c.name), c.bytes);
        std::string read = "untouched";
        ASSERT_EQ(LoadStringFromStorage(Path(c.name), read), S_OK);
        EXPECT_EQ(read, c.init);
    }
}

TEST_F(DataLinkFiles, EveryFailureHasItsResultCodeAndLeavesTheStringAlone)
{
    rtl::WriteStringToFile(Path("notes.udl"), "Provider=MSDASQL;DSN=x\r\n");       // no header
    rtl::WriteStringToFile(Path("odd.udl"), std::string("\xFF\xFE[\0o", 5));         // odd UTF-16
    rtl::WriteStringToFile(Path("latin1.udl"), "[oledb]\r\nData Source=Caf\xE9\r\n");  // not UTF-8
    rtl::WriteStringToFile(Path("empty.udl"), "");
    ASSERT_TRUE(rtl::ForceDirectories(Path("folder.udl")));
    struct Case {
        std::string file;
        HRESULT read;
    } cases[] = {
        {Path("missing.udl"), STG_E_FILENOTFOUND},
        {Path("no/such/folder/x.udl"), STG_E_FILENOTFOUND},
        {Path("notes.udl"), STG_E_INVALIDHEADER},
        {Path("odd.udl"), STG_E_INVALIDHEADER},
        {Path("latin1.udl"), STG_E_INVALIDHEADER},
        {Path("empty.udl"), STG_E_INVALIDHEADER},
        {Path("folder.udl"), STG_E_ACCESSDENIED},
        {Path(std::string(300, 'n') + ".udl"), STG_E_INVALIDNAME},
        {std::string("bad\0name.udl", 12), STG_E_INVALIDNAME},
        {"", E_INVALIDARG},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::string read = "untouched";
        EXPECT_EQ(LoadStringFromStorage(c.file, read), c.read);
        EXPECT_EQ(read, "untouched");
    }

    EXPECT_EQ(WriteStringToStorage(Path("missing.udl"), "P=M", OPEN_EXISTING), STG_E_FILENOTFOUND);
    EXPECT_FALSE(rtl::FileExists(Path("missing.udl")));
    EXPECT_EQ(WriteStringToStorage(Path("no/such/folder/x.udl"), "P=M", CREATE_NEW), STG_E_PATHNOTFOUND);
    EXPECT_EQ(WriteStringToStorage(Path("folder.udl"), "P=M", CREATE_ALWAYS), STG_E_ACCESSDENIED);
    EXPECT_EQ(WriteStringToStorage(Path(std::string(300, 'n') + ".udl"), "P=M", CREATE_NEW), STG_E_INVALIDNAME);
    EXPECT_EQ(WriteStringToStorage("", "P=M", CREATE_NEW), E_INVALIDARG);
    EXPECT_EQ(WriteStringToStorage(Path("two.udl"), "P=M\r\nQ=N", CREATE_NEW), E_INVALIDARG);
    EXPECT_FALSE(rtl::FileExists(Path("two.udl")));
}

TEST_F(DataLinkFiles, AFileWithoutPermissionIsDenied)
{
    if (geteuid() == 0) GTEST_SKIP() << "running as root: file permissions do not apply";
    const std::string file = Path("locked.udl");
    ASSERT_EQ(WriteStringToStorage(file, "P=M", CREATE_NEW), S_OK);
    ASSERT_EQ(chmod(file.c_str(), 0), 0);
    std::string read;
    EXPECT_EQ(LoadStringFromStorage(file, read), STG_E_ACCESSDENIED);
    EXPECT_EQ(WriteStringToStorage(file, "P=N", OPEN_EXISTING), STG_E_ACCESSDENIED);
}

// ---- Connection strings --------------------------------------------------------------------

// A link that the disk cannot take (a file-size limit, a full file system) fails with an
// error code and leaves the file as it was.
TEST_F(DataLinkFiles, LinkThatDoesNotFitFailsAndKeepsTheFile)
{
    const auto change = [](const std::string& file) {
        const HRESULT hr = WriteStringToStorage(file, "Provider=MSDASQL;Data Source=A longer source name", OPEN_EXISTING);
        return std::string(hr == S_OK ? "saved" : hr < 0 ? "failed" : "odd result");
    };
    const std::string file = Path("Sales.udl");
    ASSERT_EQ(WriteStringToStorage(file, "Provider=MSDASQL;DSN=Sales", CREATE_NEW), S_OK);
    const std::string before = rtl::ReadFileToString(file);
    EXPECT_EQ(gwtest::WithFileSizeLimit(0, [&] { return change(file); }), "failed");
    EXPECT_EQ(rtl::ReadFileToString(file), before);

    const std::string folder = Path("small");
    ASSERT_TRUE(rtl::CreateDir(folder));
    const std::string report = gwtest::InSmallFileSystem(folder, [&] {
        const std::string inside = folder + "/Sales.udl";
        if (WriteStringToStorage(inside, "Provider=MSDASQL;DSN=Sales", CREATE_NEW) != S_OK) return std::string("no file");
        gwtest::FillFileSystem(folder);
        return change(inside) + " " + gwtest::Contents(inside);
    });
    if (report == gwtest::kNoFileSystem) GTEST_SKIP() << "cannot mount a small file system here";
    EXPECT_EQ(report, "failed " + before);
}

TEST(ConnectionString, ParsesAndWritesQuotedValues)
{
    const TConnectionParams p = ParseInitString(
        " Provider = MSDASQL.1 ;Extended Properties=\"DRIVER=SQLite3;Database=a \"\"b\"\".db\"; Password='x;y' ;"
        "Key==Name=v;;Flag;Empty=");
    ASSERT_EQ(p.size(), 5u);
    EXPECT_EQ(p[0], (TConnectionParam{"Provider", "MSDASQL.1"}));
    EXPECT_EQ(p[1], (TConnectionParam{"Extended Properties", "DRIVER=SQLite3;Database=a \"b\".db"}));
    EXPECT_EQ(p[2], (TConnectionParam{"Password", "x;y"}));
    EXPECT_EQ(p[3], (TConnectionParam{"Key=Name", "v"}));
    EXPECT_EQ(p[4], (TConnectionParam{"Empty", ""}));
    EXPECT_EQ(ParseInitString(FormatInitString(p)), p);
    EXPECT_EQ(FindParam(p, "password"), "x;y");
    EXPECT_FALSE(FindParam(p, "User ID"));

    const TConnectionParams odbc = ParseOdbcString("DRIVER={PostgreSQL Unicode};PWD={a;b}}c};UID=u");
    ASSERT_EQ(odbc.size(), 3u);
    EXPECT_EQ(odbc[1].value, "a;b}c");
    EXPECT_EQ(FormatOdbcString(odbc), "DRIVER={PostgreSQL Unicode};PWD={a;b}}c};UID=u");
}

TEST(ConnectionString, OleDbStringsBecomeOdbcStrings)
{
    struct Case {
        std::string init;
        std::string odbc;
    } cases[] = {
        {"Provider=MSDASQL.1;Persist Security Info=False;Data Source=Sales", "DSN=Sales"},
        {"Provider=msdasql;Data Source=Sales;User ID=ann;Password=secret", "DSN=Sales;UID=ann;PWD=secret"},
        {"Provider=MSDASQL.1;Extended Properties=\"DSN=Sales;Trusted=1\";Data Source=Ignored", "DSN=Sales;Trusted=1"},
        {"Provider=MSDASQL.1;Extended Properties=\"DRIVER={PostgreSQL Unicode};Server=127.0.0.1;Port=5432\";"
         "User ID=gw;Password=p;w;Initial Catalog=shop",
         "DRIVER={PostgreSQL Unicode};Server=127.0.0.1;Port=5432;DATABASE=shop;UID=gw;PWD=p;KeepaliveTime=30;"
         "KeepaliveInterval=10"},
        // The PostgreSQL driver gets TCP keepalives unless the string sets them; others do not.
        {"Extended Properties=\"DRIVER=/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so;KeepaliveTime=5\"",
         "DRIVER=/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so;KeepaliveTime=5;KeepaliveInterval=10"},
        {"Extended Properties=\"DRIVER={PostgreSQL ANSI};keepaliveinterval=3\"",
         "DRIVER={PostgreSQL ANSI};keepaliveinterval=3;KeepaliveTime=30"},
        {"Extended Properties='DRIVER=SQLite3;Database=/tmp/a.db'",
         "DRIVER=SQLite3;Database=/tmp/a.db;NoCreat=1;StepAPI=1"},
        {"Provider=MSDASQL;Extended Properties=\"DRIVER=SQLite3;Database=/tmp/a.db;NoCreat=0\"",
         "DRIVER=SQLite3;Database=/tmp/a.db;NoCreat=0;StepAPI=1"},
        {"Provider=MSDASQL;Data Source=Sales;Password=\"a;b\"", "DSN=Sales;PWD={a;b}"},
        {"DSN=Sales;Timeout=5", "DSN=Sales;Timeout=5"},  // keys OLE DB does not know go to the driver
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.init);
        EXPECT_EQ(OleDbToOdbc(c.init), c.odbc);
    }
    // Credentials of a login replace the string's own.
    EXPECT_EQ(OleDbToOdbc("Provider=MSDASQL;Data Source=S;User ID=a;Password=b", "c", "d"), "DSN=S;UID=c;PWD=d");
    EXPECT_EQ(ProviderOf("Data Source=x"), "MSDASQL");
    EXPECT_TRUE(IsOdbcProvider("MSDASQL.1"));
    EXPECT_FALSE(IsOdbcProvider("MSDASQLX"));
}

// A data source is looked up in the driver manager's list: one of the PostgreSQL driver gets
// keepalives, another does not. unixODBC reads its configuration folder once per process, so
// the lookup runs in a child process with the variables set first.
TEST(ConnectionString, ADataSourceOfThePostgreSqlDriverGetsKeepalives)
{
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    rtl::WriteStringToFile(root + "/user.ini", "[Shop]\nDriver=PostgreSQL Unicode\n\n[Local]\nDriver=SQLite3\n");
    rtl::WriteStringToFile(root + "/odbcinst.ini", "[SQLite3]\nDriver=libsqlite3odbc.so\n");
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("ODBCINI", (root + "/user.ini").c_str(), 1);
            setenv("ODBCSYSINI", root.c_str(), 1);
            const bool ok = OleDbToOdbc("Provider=MSDASQL.1;Data Source=shop") ==
                                "DSN=shop;KeepaliveTime=30;KeepaliveInterval=10" &&
                            OleDbToOdbc("Provider=MSDASQL.1;Data Source=Local") == "DSN=Local" &&
                            OleDbToOdbc("Provider=MSDASQL.1;Data Source=Missing") == "DSN=Missing";
            std::_Exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(ConnectionString, OtherProvidersFailNamingThemselves)
{
    try {
        OleDbToOdbc("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\Sample1.mdb");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_NE(e.Message().find("\"Microsoft.Jet.OLEDB.4.0\""), std::string::npos) << e.Message();
        EXPECT_NE(e.Message().find("MSDASQL"), std::string::npos);
    }
}

TEST(ConnectionString, MadeForAnOdbcConnection)
{
    const std::string init = MakeOdbcInitString("DRIVER=SQLite3;Database=/a b/c.db");
    EXPECT_EQ(init, "Provider=MSDASQL.1;Persist Security Info=False;Extended Properties=\"DRIVER=SQLite3;Database=/a b/c.db\"");
    EXPECT_EQ(OleDbToOdbc(init), "DRIVER=SQLite3;Database=/a b/c.db;NoCreat=1;StepAPI=1");
}
