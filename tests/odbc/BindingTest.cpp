#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "odbc/OdbcApi.h"
#include "odbc/Session.h"
#include "platform/rtl/Exceptions.h"

namespace {

using namespace odbc;

// Each test starts and ends with no driver manager loaded and no default session.
class BindingTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset()
    {
        FreeDefaultSession();
        UnloadODBCLibrary();
    }
};

// A real ODBC library that lacks exactly one of the entry points: the PostgreSQL ANSI driver
// exports every one of them but SQLDrivers.
std::string LibraryWithoutSqlDrivers()
{
    for (const char* dir : {"/usr/lib/x86_64-linux-gnu/odbc", "/usr/lib/aarch64-linux-gnu/odbc", "/usr/lib/odbc",
                            "/usr/lib64", "/usr/local/lib"}) {
        const std::filesystem::path path = std::filesystem::path(dir) / "psqlodbca.so";
        if (std::filesystem::exists(path)) return path.string();
    }
    return {};
}

std::string MessageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const rtl::Exception& e) {
        return e.Message();
    }
    return "(nothing raised)";
}

TEST_F(BindingTest, LoadsOnceAndTakesTheVersionFromTheDriverManager)
{
    EXPECT_FALSE(ODBCLoaded());
    EXPECT_EQ(DriverManagerVersion(), 0);
    TdbSession first(nullptr), second(nullptr);
    ASSERT_NE(first.Handle(), nullptr);
    ASSERT_TRUE(ODBCUsable());
    const TOdbcApi* api = &Odbc();
    auto allocHandle = api->SQLAllocHandle;
    ASSERT_NE(second.Handle(), nullptr);
    EXPECT_NE(first.Handle(), second.Handle());
    EXPECT_EQ(&Odbc(), api);
    EXPECT_EQ(Odbc().SQLAllocHandle, allocHandle);
    EXPECT_EQ(allocHandle, reinterpret_cast<decltype(allocHandle)>(GetODBCProc("SQLAllocHandle")));
    // unixODBC 2.x answers SQL_DM_VER with its own major and minor version.
    EXPECT_EQ(DriverManagerVersion() >> 8, 2);
    EXPECT_EQ(DriverManagerVersion(), GetDriverManagerVersion());
}

TEST_F(BindingTest, AMissingLibraryRaisesTheSystemText)
{
    const std::string message = MessageOf([] { LoadODBCLibrary({"libgw-no-such-odbc.so"}); });
    EXPECT_EQ(message, "libgw-no-such-odbc.so: cannot open shared object file: No such file or directory");
    EXPECT_FALSE(ODBCLoaded());
    EXPECT_EQ(MessageOf([] { Odbc(); }), "The ODBC driver manager is not loaded");
}

TEST_F(BindingTest, AMissingEntryPointLeavesTheBindingUnusable)
{
    const std::string library = LibraryWithoutSqlDrivers();
    if (library.empty()) GTEST_SKIP() << "the PostgreSQL ODBC driver is not installed";

    const std::string expected = "Error Getting adress for SQLDrivers\r" + library + ": undefined symbol: SQLDrivers";
    EXPECT_EQ(MessageOf([&] { LoadODBCLibrary({library}); }), expected);
    EXPECT_TRUE(ODBCLoaded());
    EXPECT_FALSE(ODBCUsable());
    // Every later use raises the same failure instead of reaching an unresolved pointer:
    // another load, the entry points, and a session that needs its environment.
    EXPECT_EQ(MessageOf([] { LoadODBCLibrary(); }), expected);
    EXPECT_EQ(MessageOf([] { Odbc(); }), expected);
    TdbSession session(nullptr);
    EXPECT_EQ(MessageOf([&] { session.Handle(); }), expected);
    EXPECT_FALSE(session.HandleAllocated());
    EXPECT_EQ(MessageOf([] { GetODBCProc("SQLNoSuchEntry"); }),
              "Error Getting adress for SQLNoSuchEntry\r" + library + ": undefined symbol: SQLNoSuchEntry");

    // Unloading forgets the failure; the real driver manager then loads.
    UnloadODBCLibrary();
    EXPECT_FALSE(ODBCLoaded());
    EXPECT_NE(session.Handle(), nullptr);
    EXPECT_TRUE(ODBCUsable());
}

TEST(ODBCDates, Conversions)
{
    const rtl::TDateTime value = rtl::EncodeDateTime(2000, 1, 1, 12, 30, 15, 250);
    const SQL_TIMESTAMP_STRUCT ts = DateTimeToODBCTimeStamp(value);
    EXPECT_EQ(ts.year, 2000);
    EXPECT_EQ(ts.month, 1);
    EXPECT_EQ(ts.day, 1);
    EXPECT_EQ(ts.hour, 12);
    EXPECT_EQ(ts.minute, 30);
    EXPECT_EQ(ts.second, 15);
    EXPECT_EQ(ts.fraction, 250000000u);

    const SQL_DATE_STRUCT d = DateTimeToODBCDate(rtl::EncodeDateTime(1899, 12, 29, 6, 0, 0, 0));
    EXPECT_EQ(d.year, 1899);
    EXPECT_EQ(d.month, 12);
    EXPECT_EQ(d.day, 29);
    EXPECT_EQ(ODBCDateToDateTime(SQL_DATE_STRUCT{2024, 2, 29}), rtl::EncodeDate(2024, 2, 29));
    EXPECT_THROW(ODBCDateToDateTime(SQL_DATE_STRUCT{2023, 2, 29}), rtl::EConvertError);
}

}  // namespace
