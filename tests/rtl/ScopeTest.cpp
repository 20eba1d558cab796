// The scope guard runs its end action exactly once, on every way out of the scope.

#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/rtl/Log.h"
#include "platform/rtl/Scope.h"

namespace {

struct Counter {
    int begins = 0;
    int ends = 0;
    void Begin() { ++begins; }
    void End() { ++ends; }
    void EndThrowing()
    {
        ++ends;
        throw std::runtime_error("end failed");
    }
};

TEST(ScopeGuard, EndsOnReturnOnExceptionAndNeverAfterRelease)
{
    Counter c;
    {
        auto scope = rtl::MakeScope(c, &Counter::Begin, &Counter::End);
        EXPECT_EQ(c.begins, 1);
        EXPECT_EQ(c.ends, 0);
    }
    EXPECT_EQ(c.ends, 1);

    EXPECT_THROW(
        {
            auto scope = rtl::MakeScope(c, &Counter::Begin, &Counter::End);
            throw std::runtime_error("body failed");
        },
        std::runtime_error);
    EXPECT_EQ(c.begins, 2);
    EXPECT_EQ(c.ends, 2);

    {
        rtl::TScopeExit scope([&] { c.End(); });
        scope.Release();
    }
    EXPECT_EQ(c.ends, 2);
}

TEST(ScopeGuard, AFailingEndPassesOnUnlessAnExceptionIsAlreadyUnwinding)
{
    Counter c;
    rtl::TLogCapture log;
    try {
        rtl::TScopeExit scope([&] { c.EndThrowing(); });
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "end failed");
    }
    EXPECT_EQ(c.ends, 1);

    try {
        rtl::TScopeExit scope([&] { c.EndThrowing(); });
        throw std::logic_error("body failed");
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "body failed");  // the first failure is the one reported
    }
    EXPECT_EQ(c.ends, 2);
    // The second failure is not lost: the log keeps it.
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.Lines()[0], "scope end action while unwinding: end failed");
}

}  // namespace
