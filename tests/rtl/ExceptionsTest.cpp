#include "platform/rtl/Exceptions.h"

#include <gtest/gtest.h>

TEST(Exceptions, AbortIsSilentException)
{
    EXPECT_THROW(rtl::Abort(), rtl::EAbort);
    try {
        throw rtl::EFOpenError("Cannot open file \"x\".");
    } catch (const rtl::EStreamError& e) {
        EXPECT_STREQ(e.what(), "Cannot open file \"x\".");
    }
}
