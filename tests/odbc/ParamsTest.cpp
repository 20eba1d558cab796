// Query parameters without a database: markers, the buffer layout and the stored "Data" form.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "OdbcTestSupport.h"
#include "odbc/Params.h"
#include "odbc/Query.h"
#include "odbc/SqlError.h"
#include "platform/classes/Streaming.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/Graphics.h"

namespace {

using namespace odbc;

TEST(ParseSQL, ReplacesMarkersOutsideQuotes)
{
    struct Case {
        std::string sql;
        std::string parsed;
        std::vector<std::string> names;
    };
    const std::vector<Case> cases{
        {"SELECT * FROM t WHERE a = :A AND b = ':X::'", "SELECT * FROM t WHERE a = ? AND b = ':X::'", {"A"}},
        {"SELECT x::::int, '1'::::text", "SELECT x::int, '1'::text", {}},
        {"SELECT a::b", "SELECT a:b", {}},
        {"WHERE s = \":Q\" AND t = :T", "WHERE s = \":Q\" AND t = ?", {"T"}},
        {"VALUES (:\"my name\", :'other one')", "VALUES (?, ?)", {"my name", "other one"}},
        {"IN (:a,:b);:c\n:d\r:e :f)", "IN (?,?);?\n?\r? ?)", {"a", "b", "c", "d", "e", "f"}},
        {"WHERE x = :last", "WHERE x = ?", {"last"}},
        // An unbalanced quote runs to the end; nothing after it is a marker.
        {"WHERE s = 'open :P", "WHERE s = 'open :P", {}},
        {"WHERE :\"unclosed", "WHERE ?", {"unclosed"}},
        {"WHERE a = :", "WHERE a = ?", {""}},
        {"SELECT 'a''b', :P", "SELECT 'a''b', ?", {"P"}},
        {"grüße = :straße", "grüße = ?", {"straße"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseSQL(c.sql, nullptr), c.parsed) << c.sql;
        EXPECT_EQ(ParamNames(c.sql), c.names) << c.sql;
    }
}

TEST(ParseSQL, RebuildsTheListKeepingValuesOfSurvivingNames)
{
    TdbParams params;
    ParseSQL("WHERE a = :A AND b = :B", &params);
    ASSERT_EQ(params.Count(), 2);
    params.ParamByName("a").SetAsInteger(7);
    ParseSQL("WHERE b = :B AND a = :A AND c = :C", &params);
    ASSERT_EQ(params.Count(), 3);
    EXPECT_EQ(params[0].Name(), "B");
    EXPECT_TRUE(params[0].IsNull());
    EXPECT_EQ(params[1].Value(), db::TVariant(7));
    EXPECT_EQ(params[1].DataType(), db::ftInteger);
    EXPECT_EQ(params[1].ParamType(), ptInput);
    EXPECT_EQ(params[2].DataType(), db::ftUnknown);
    EXPECT_EQ(odbctest::SqlErrorOf([&] { params.ParamByName("Z"); }).Message(), "Parameter 'Z' not found");
}

// One parameter of each type, as a list that "Data" must carry whole.
void FillAllTypes(TdbParams& params)
{
    params.CreateParam(db::ftUnknown, "unknown", ptInput);
    params.CreateParam(db::ftString, "null", ptInput);
    params.CreateParam(db::ftString, "s", ptInput).SetAsString("grüße, \xE2\x82\xAC");
    params.CreateParam(db::ftMemo, "m", ptInputOutput).SetAsMemo("memo text");
    params.CreateParam(db::ftSmallint, "i16", ptInput).SetAsSmallInt(-32768);
    params.CreateParam(db::ftWord, "w", ptInput).SetAsWord(65535 - 65536);
    params.CreateParam(db::ftInteger, "i32", ptOutput).SetAsInteger(-2147483647 - 1);
    params.CreateParam(db::ftLargeint, "i64", ptInput).SetAsLargeInt(INT64_MIN);
    params.CreateParam(db::ftBoolean, "b", ptInput).SetAsBoolean(true);
    params.CreateParam(db::ftFloat, "f", ptInput).SetAsFloat(-1.25e300);
    params.CreateParam(db::ftBCD, "dec", ptInput).SetAsBCD("-123456789012345678901234567890.5");
    params.CreateParam(db::ftDate, "d", ptInput).SetAsDate(rtl::EncodeDate(1999, 12, 31));
    params.CreateParam(db::ftTime, "t", ptInput).SetAsTime(rtl::EncodeTime(23, 59, 58, 0));
    params.CreateParam(db::ftDateTime, "ts", ptResult).SetAsDateTime(rtl::EncodeDateTime(2024, 2, 29, 13, 45, 30, 5));
    params.CreateParam(db::ftBlob, "bin", ptInput).SetAsBlob(std::string("\0\1\xFF", 3));
    params.CreateParam(db::ftInteger, "unbound", ptInput);
    params.CreateParam(db::ftCursor, "cur", ptOutput);
}

TEST(TdbParams, DataRoundTripsEveryType)
{
    TdbParams params;
    FillAllTypes(params);
    EXPECT_EQ(params.ParamByName("w").DataType(), db::ftSmallint);
    EXPECT_EQ(params.ParamByName("cur").DataType(), db::ftCursor);
    const std::string data = params.WriteData();
    ASSERT_EQ(data.substr(0, 2), std::string("\1\0", 2));
    TdbParams read;
    read.CreateParam(db::ftString, "goes", ptInput);
    read.ReadData(data);
    ASSERT_EQ(read.Count(), params.Count());
    for (int i = 0; i < params.Count(); ++i) EXPECT_TRUE(read[i] == params[i]) << params[i].Name();
    EXPECT_TRUE(read == params);
    EXPECT_EQ(read.ParamByName("i64").Value().AsInt64(), INT64_MIN);
    EXPECT_EQ(read.ParamByName("dec").Value().AsDecimalText(), "-123456789012345678901234567890.5");
    EXPECT_FALSE(read.ParamByName("unbound").Bound());
    EXPECT_EQ(read.ParamByName("cur").DataType(), db::ftCursor);
}

std::string Le(std::uint64_t v, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
    return out;
}

TEST(TdbParams, DataTravelsThroughTheComponentTextForm)
{
    TdbCustomQuery query(nullptr);
    query.SQL()->Add("SELECT * FROM t WHERE a = :A AND b = :B");
    query.ParamByName("A").SetAsLargeInt(INT64_MAX);
    query.ParamByName("B").SetAsBCD("0.10");
    const std::string text = classes::WriteComponentText(query);
    EXPECT_NE(text.find("Data = {"), std::string::npos) << text;
    TdbCustomQuery read(nullptr);
    read.SQL()->Add("SELECT :A, :B");
    classes::ReadComponentText(read, text);
    EXPECT_TRUE(read.Params() == query.Params());
    // Without parameters nothing is written.
    TdbCustomQuery none(nullptr);
    EXPECT_EQ(classes::WriteComponentText(none).find("Data"), std::string::npos);
}

TEST(TdbParams, ReadsVersion2)
{
    // Version 2: 32-bit count, name lengths and value sizes.
    const std::string data = Le(2, 2) + Le(2, 4) + Le(1, 4) + "A" + Le(ptInput, 1) + Le(db::ftInteger, 1) +
                             Le(4, 4) + Le(42, 4) + Le(0, 1) + Le(1, 1) + Le(2, 4) + "BB" + Le(ptInput, 1) +
                             Le(db::ftString, 1) + Le(3, 4) + std::string("hi\0", 3) + Le(0, 1) + Le(1, 1);
    TdbParams params;
    params.ReadData(data);
    ASSERT_EQ(params.Count(), 2);
    EXPECT_EQ(params[0].Value(), db::TVariant(42));
    EXPECT_EQ(params[1].Value(), db::TVariant("hi"));
    EXPECT_EQ(params[1].Name(), "BB");
}

TEST(TdbParams, RefusesBadStreamsAndLeavesAnEmptyList)
{
    TdbParams params;
    FillAllTypes(params);
    const std::string good = params.WriteData();
    std::vector<std::string> bad{
        "", std::string("\1", 1), Le(3, 2) + Le(0, 2), Le(0, 2) + Le(0, 2),
        // A count larger than what follows, a name length past the end, a value size past the end.
        Le(1, 2) + Le(5, 2), Le(1, 2) + Le(1, 2) + Le(200, 1) + "A",
        Le(2, 2) + Le(1, 4) + Le(0xFFFFFFF0u, 4) + "A",
        Le(1, 2) + Le(1, 2) + Le(1, 1) + "A" + Le(1, 1) + Le(db::ftString, 1) + Le(60000, 2) + "abc",
        // A type out of range, bytes left over.
        Le(1, 2) + Le(1, 2) + Le(1, 1) + "A" + Le(1, 1) + Le(200, 1),
        good + "x"};
    // Every cut of a good stream.
    for (std::size_t n = 0; n < good.size(); n += 7) bad.push_back(good.substr(0, n));
    for (const std::string& data : bad) {
        TdbParams read;
        read.CreateParam(db::ftString, "old", ptInput);
        EXPECT_EQ(odbctest::SqlErrorOf([&] { read.ReadData(data); }).Message(), "Unable to load bind parameters")
            << data.size();
        EXPECT_EQ(read.Count(), 0);
    }
}

TEST(TdbParams, RefusesToStoreValuesAbove2048BytesAndNamesAbove255)
{
    struct Case {
        std::string name;
        std::size_t length;  // of the text value (stored with its terminating zero)
        std::string refusal;  // empty: stored and read back
    };
    const std::string longName(256, 'n');
    const std::vector<Case> cases{
        {"Big", 3000, "Parameter 'Big', cannot save data larger than 2048 bytes"},
        {"Big", 2048, "Parameter 'Big', cannot save data larger than 2048 bytes"},
        {"Big", 2047, ""},
        {longName, 1, "Parameter '" + longName + "', cannot save data larger than 255 bytes"},
        {std::string(255, 'n'), 1, ""},
    };
    for (const Case& c : cases) {
        TdbParams params;
        params.CreateParam(db::ftString, c.name, ptInput).SetAsString(std::string(c.length, 'x'));
        if (!c.refusal.empty()) {
            EXPECT_EQ(odbctest::SqlErrorOf([&] { params.WriteData(); }).Message(), c.refusal) << c.length;
            continue;
        }
        TdbParams read;
        read.ReadData(params.WriteData());
        EXPECT_TRUE(read == params) << c.name.size() << " " << c.length;
    }
}

TEST(TdbParam, BufferLayoutRoundTrips)
{
    TdbParams params;
    FillAllTypes(params);
    for (int i = 0; i < params.Count(); ++i) {
        TdbParam& p = params[i];
        if (p.DataType() == db::ftUnknown) {
            EXPECT_EQ(odbctest::SqlErrorOf([&] { p.GetDataSize(); }).Message(),
                      "Field '" + p.Name() + "' is of unknown type");
            continue;
        }
        if (p.IsNull()) continue;
        std::string buffer(static_cast<std::size_t>(p.GetDataSize()), '\0');
        p.GetData(buffer.data());
        TdbParam copy(nullptr, p.Name(), p.ParamType());
        copy.SetDataType(p.DataType());
        copy.SetData(buffer.data(), static_cast<int>(buffer.size()));
        EXPECT_EQ(copy.Value(), p.Value()) << p.Name();
    }
    // A time of day comes back as the same time; a time stamp with its milliseconds.
    EXPECT_EQ(params.ParamByName("i16").GetDataSize(), 2);
    EXPECT_EQ(params.ParamByName("i64").GetDataSize(), 8);
    EXPECT_EQ(params.ParamByName("s").GetDataSize(), static_cast<int>(std::string("grüße, \xE2\x82\xAC").size()) + 1);
    // A cursor takes no bytes.
    TdbParam& cursor = params.ParamByName("cur");
    cursor.SetDataType(db::ftCursor);
    EXPECT_EQ(cursor.DataType(), db::ftCursor);
    EXPECT_EQ(cursor.GetDataSize(), 0);
    EXPECT_NO_THROW(cursor.GetData(nullptr));
}

TEST(TdbParam, AssignsFromStringListsAndPictures)
{
    TdbParam param(nullptr, "P", ptInput);
    rtl::TStringList lines;
    lines.Add("first line");
    lines.Add("second");
    param.Assign(lines);
    EXPECT_EQ(param.DataType(), db::ftMemo);
    EXPECT_EQ(param.AsString(), lines.Text());
    EXPECT_TRUE(param.Bound());
    EXPECT_FALSE(param.IsNull());

    // A bitmap goes as a BMP file that reads back as the same pixels.
    ui::TBitmap bitmap(3, 2);
    bitmap.Fill(rtl::clWhite);
    bitmap.SetPixel(0, 0, 0x0000FF);
    bitmap.SetPixel(2, 1, 0xFF0000);
    param.Assign(bitmap);
    EXPECT_EQ(param.DataType(), db::ftBlob);
    const std::string file = param.Value().Text();
    ASSERT_EQ(file.substr(0, 2), "BM");
    ui::TPicture picture;
    picture.LoadFromBytes(file);
    ASSERT_EQ(picture.Width(), 3);
    ASSERT_EQ(picture.Height(), 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(picture.Pixel(x, y), bitmap.Pixels()[y * 3 + x]) << x << "," << y;

    // A picture goes as its own file.
    TdbParam fromPicture(nullptr, "Q", ptInput);
    fromPicture.Assign(picture);
    EXPECT_EQ(fromPicture.DataType(), db::ftBlob);
    EXPECT_EQ(fromPicture.Value().Text(), picture.Bytes());

    // An empty picture and other objects are refused, the parameter kept.
    ui::TPicture empty;
    ui::TPen pen;
    for (const classes::TPersistent* source : {static_cast<const classes::TPersistent*>(&empty),
                                               static_cast<const classes::TPersistent*>(&pen)}) {
        try {
            fromPicture.Assign(*source);
            ADD_FAILURE() << source->ClassName();
        } catch (const rtl::EConvertError& e) {
            EXPECT_EQ(e.Message(), "Cannot assign a " + source->ClassName() + " to a TdbParam");
        }
    }
    EXPECT_EQ(fromPicture.Value().Text(), picture.Bytes());
}

}  // namespace
