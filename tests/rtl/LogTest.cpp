// The log names where an exception was swallowed and what it said, whatever was thrown.

#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Log.h"

namespace {

TEST(Log, ASwallowedExceptionIsWrittenWithWhereAndWhat)
{
    rtl::TLogCapture log;
    try {
        throw rtl::EConvertError("'x' is not a valid integer value");
    } catch (...) {
        rtl::LogCurrentException("TField::AsInteger");
    }
    try {
        throw 42;
    } catch (...) {
        rtl::LogCurrentException("paint handler");
    }
    rtl::LogLine("start-up", "no help map");
    const std::vector<std::string> expected = {
        "TField::AsInteger: 'x' is not a valid integer value",
        "paint handler: unknown exception",
        "start-up: no help map",
    };
    EXPECT_EQ(log.Lines(), expected);
}

TEST(Log, CapturesNestAndGiveTheSinkBack)
{
    rtl::TLogCapture outer;
    {
        rtl::TLogCapture inner;
        rtl::LogLine("a", "1");
        EXPECT_EQ(inner.Lines().size(), 1u);
    }
    rtl::LogLine("b", "2");
    ASSERT_EQ(outer.Lines().size(), 1u);
    EXPECT_EQ(outer.Lines()[0], "b: 2");
}

}  // namespace
