// A database that stops answering, on the PostgreSQL test server (skipped when GW_PG_PORT is
// unset or nothing answers there): a statement on a stopped backend, a login to a port that
// never answers and a query slower than the query timeout all end within their timeouts with
// a message; a connection given up is closed and the next use opens a new one.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <ostream>
#include <string>
#include <thread>

#include "platform/db/AdoConnection.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/DbErrors.h"
#include "tests/db/FrozenServer.h"

using namespace db;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kTimeout = 2;

class FrozenServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto init = dbtest::PgInitString();
        if (!init) GTEST_SKIP() << "GW_PG_PORT is not set: the PostgreSQL test server is not running";
        conn.SetLoginPrompt(false);
        conn.SetConnectionString(*init);
        conn.SetConnectionTimeout(kTimeout);
        conn.SetCommandTimeout(kTimeout);
        try {
            conn.Open();
        } catch (const rtl::Exception& e) {
            GTEST_SKIP() << "the PostgreSQL test server does not answer: " << e.Message();
        }
    }

    // Whether the server still has the backend `pid`, asked until it is gone (up to 5 s).
    bool BackendGone(int pid)
    {
        for (int i = 0; i < 50; ++i) {
            TADOQuery q(nullptr);
            q.SetConnection(&conn);
            q.SQL()->SetText("SELECT count(*) AS n FROM pg_stat_activity WHERE pid = " + std::to_string(pid));
            q.Open();
            if (q.FieldByName("n")->AsInteger() == 0) return true;
            std::this_thread::sleep_for(100ms);
        }
        return false;
    }

    TADOConnection conn{nullptr};
};

struct Work {
    const char* name;
    std::function<void(TADOConnection&)> run;
};

void PrintTo(const Work& work, std::ostream* out) { *out << work.name; }

class StoppedBackend : public FrozenServer, public ::testing::WithParamInterface<Work> {};

const Work kWorks[] = {
    {"QueryOpens",
     [](TADOConnection& c) {
         TADOQuery q(nullptr);
         q.SetConnection(&c);
         q.SQL()->SetText("SELECT 1 AS one");
         q.Open();
     }},
    {"SchemaRowsetIsRead",
     [](TADOConnection& c) {
         TADODataSet ds(nullptr);
         c.OpenSchema(siTables, {}, &ds);
     }},
    {"StatementRuns", [](TADOConnection& c) { c.Execute("SET application_name = 'gridweaver'"); }},
};

}  // namespace

// The backend never answers, not even the cancel: the wait ends a second past the timeout
// with the cancel and two seconds later with the message; the connection is closed (by the
// thread that was inside the driver, once the backend runs again) and the next use opens a
// new one.
TEST_P(StoppedBackend, GivesUpReportsTheConnectionLostAndReopensOnTheNextUse)
{
    const int pid = dbtest::BackendPid(conn);
    dbtest::TStoppedBackend stopped(pid);
    ASSERT_TRUE(stopped.Stopped());
    const auto start = Clock::now();
    try {
        GetParam().run(conn);
        ADD_FAILURE() << "no error";
    } catch (const EADOError& e) {
        EXPECT_TRUE(e.ConnectionLost());
        EXPECT_EQ(e.Message(), "The connection to the database was lost.\nThe database did not answer within 2 seconds.");
    }
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, 2s);
    EXPECT_LT(waited, 7s);
    EXPECT_FALSE(conn.Connected());

    stopped.Resume();
    TADOQuery q(nullptr);
    q.SetConnection(&conn);
    q.SQL()->SetText("SELECT 41 + 1 AS answer");
    q.Open();
    EXPECT_EQ(q.FieldByName("answer")->AsInteger(), 42);
    EXPECT_TRUE(conn.Connected());
    EXPECT_NE(dbtest::BackendPid(conn), pid);
    EXPECT_TRUE(BackendGone(pid)) << "the connection given up stays open";
}

INSTANTIATE_TEST_SUITE_P(Timeouts, StoppedBackend, ::testing::ValuesIn(kWorks),
                         [](const ::testing::TestParamInfo<Work>& info) { return std::string(info.param.name); });

// A server that answers, slowly: the driver ends the query at the query timeout with its own
// message, and the connection stays.
TEST_F(FrozenServer, ASlowQueryEndsAtTheQueryTimeoutWithTheDriversMessage)
{
    conn.SetCommandTimeout(1);
    TADOQuery q(nullptr);
    q.SetConnection(&conn);
    q.SQL()->SetText("SELECT pg_sleep(4) AS slept");
    const auto start = Clock::now();
    try {
        q.Open();
        ADD_FAILURE() << "no error";
    } catch (const EADOError& e) {
        EXPECT_EQ(e.SqlState(), "57014") << e.Message();
        EXPECT_FALSE(e.ConnectionLost());
    }
    EXPECT_LT(Clock::now() - start, 3s);
    EXPECT_TRUE(conn.Connected());
}

// The port accepts the connection and says nothing: the open ends at the login timeout.
TEST_F(FrozenServer, ALoginThatIsNeverAnsweredEndsAtTheLoginTimeout)
{
    dbtest::TSilentPort silent;
    ASSERT_TRUE(silent.Listening());
    TADOConnection mute(nullptr);
    mute.SetLoginPrompt(false);
    mute.SetConnectionString(*dbtest::PgInitString(std::to_string(silent.Port())));
    mute.SetConnectionTimeout(kTimeout);
    const auto start = Clock::now();
    try {
        mute.Open();
        ADD_FAILURE() << "no error";
    } catch (const EADOError& e) {
        EXPECT_FALSE(e.Message().empty());
    }
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, 1s);
    EXPECT_LT(waited, 6s);
    EXPECT_FALSE(mute.Connected());
}
