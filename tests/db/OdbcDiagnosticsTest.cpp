// The diagnostic reader against a fake SQLGetDiagRec that behaves as the driver manager does:
// it fills the buffer up to its size, says how long the whole text is and answers
// SQL_SUCCESS_WITH_INFO when the text did not fit; or, as unixODBC does with a Unicode
// driver's messages, hands each text out in pieces the size of the first call's buffer, one
// record per piece.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/db/OdbcDiagnostics.h"

using namespace db;

namespace {

struct TFakeRecord {
    std::string state;
    std::int32_t native = 0;
    std::string text;
};

std::vector<TFakeRecord> gRecords;
std::vector<int> gSizesAsked;
bool gSplitsByFirstBuffer = false;

constexpr std::int16_t kSuccess = 0;
constexpr std::int16_t kSuccessWithInfo = 1;
constexpr std::int16_t kNoData = 100;

std::int16_t FakeGetDiagRec(std::int16_t, void*, std::int16_t record, unsigned char* state, std::int32_t* native,
                            unsigned char* text, std::int16_t size, std::int16_t* length)
{
    if (gSplitsByFirstBuffer && gSizesAsked.empty()) {
        std::vector<TFakeRecord> pieces;
        for (const TFakeRecord& r : gRecords)
            for (std::size_t at = 0; at < r.text.size(); at += static_cast<std::size_t>(size) - 1)
                pieces.push_back({r.state, r.native, r.text.substr(at, static_cast<std::size_t>(size) - 1)});
        gRecords = std::move(pieces);
    }
    gSizesAsked.push_back(size);
    if (record < 1 || static_cast<std::size_t>(record) > gRecords.size()) return kNoData;
    const TFakeRecord& r = gRecords[static_cast<std::size_t>(record) - 1];
    std::memcpy(state, r.state.c_str(), 6);
    *native = r.native;
    const std::size_t copied = std::min(r.text.size(), static_cast<std::size_t>(size) - 1);
    std::memcpy(text, r.text.data(), copied);
    text[copied] = 0;
    *length = static_cast<std::int16_t>(r.text.size());
    return copied < r.text.size() ? kSuccessWithInfo : kSuccess;
}

void* const kHandle = &gRecords;

class OdbcDiagnostics : public ::testing::Test {
protected:
    void TearDown() override
    {
        gRecords.clear();
        gSizesAsked.clear();
        gSplitsByFirstBuffer = false;
    }
};

TEST_F(OdbcDiagnostics, TextsComeWithOneKindOfLineEndAndNoneAtTheEnd)
{
    const std::vector<std::pair<std::string, std::string>> cases{
        {"plain", "plain"},
        {"one\r\ntwo", "one\ntwo"},
        {"one\rtwo", "one\ntwo"},
        {"one\ntwo", "one\ntwo"},
        {"one\r\n\r\ntwo\r\rthree", "one\n\ntwo\n\nthree"},
        {"ends\r\n", "ends"},
        {"ends\n\r", "ends"},
        {"\r\n", ""},
        {std::string("cut\0after", 9), "cut"},
    };
    for (const auto& [raw, expected] : cases) {
        gRecords = {{"HY000", 7, raw}};
        const std::vector<TOdbcDiagRecord> records = ReadOdbcDiagRecords(&FakeGetDiagRec, 3, kHandle);
        ASSERT_EQ(records.size(), 1u) << raw;
        EXPECT_EQ(records[0].message, expected) << raw;
        EXPECT_EQ(OdbcDiagnosticText(raw.c_str()), expected) << raw;
    }
}

TEST_F(OdbcDiagnostics, ALongTextIsReadWholeAsOneRecord)
{
    for (const bool splits : {false, true}) {
        gSplitsByFirstBuffer = splits;
        for (const std::size_t size : {255u, 256u, 511u, 512u, 513u, 1024u, 3000u, 32766u}) {
            std::string text(size, 'x');
            text.replace(0, 7, "[drv]\r\n");
            gRecords = {{"42000", 1, text}};
            gSizesAsked.clear();
            const std::vector<TOdbcDiagRecord> records = ReadOdbcDiagRecords(&FakeGetDiagRec, 3, kHandle);
            ASSERT_EQ(records.size(), 1u) << size << (splits ? " split" : "");
            EXPECT_EQ(records[0].message, "[drv]\n" + text.substr(7)) << size << (splits ? " split" : "");
        }
    }
}

TEST_F(OdbcDiagnostics, EveryRecordInOrderWithItsStateAndNativeError)
{
    gRecords = {{"01000", 11, "first"}, {"42S02", 22, std::string(2000, 'y')}, {"HY000", 33, "third\r\n"}};
    const std::vector<TOdbcDiagRecord> records = ReadOdbcDiagRecords(&FakeGetDiagRec, 2, kHandle);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].sqlState, "01000");
    EXPECT_EQ(records[0].nativeError, 11);
    EXPECT_EQ(records[0].message, "first");
    EXPECT_EQ(records[1].sqlState, "42S02");
    EXPECT_EQ(records[1].message, std::string(2000, 'y'));
    EXPECT_EQ(records[2].nativeError, 33);
    EXPECT_EQ(records[2].message, "third");
}

TEST_F(OdbcDiagnostics, ANullHandleHasNoRecords)
{
    gRecords = {{"HY000", 1, "never read"}};
    EXPECT_TRUE(ReadOdbcDiagRecords(&FakeGetDiagRec, 3, nullptr).empty());
    EXPECT_TRUE(gSizesAsked.empty());
}

}  // namespace
