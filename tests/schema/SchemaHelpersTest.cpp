// The schema helpers that need no database: quoting one identifier, the tables between ADO
// type codes and field types, and the choice of a provider type for a column.

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/db/FieldTypes.h"
#include "platform/rtl/StringList.h"
#include "schema/AdoSchema.h"

namespace {

// ---- QuoteIdentifier ---------------------------------------------------------------------

TEST(QuoteIdentifier, Cases)
{
    rtl::TStringList ansi, odbc, driver;
    ansi.Add("ORDER");
    odbc.Add("USER");
    driver.Add("ANALYZE");
    const std::string access = "~@#$%^&*-+=\\}{\"';:?/><,.![]|";
    struct Case {
        std::string name, quote, special, expected;
    };
    const Case cases[] = {
        {"plain", "\"", "", "plain"},
        {"two words", "\"", "", "\"two words\""},
        {"two words", "", "", "two words"},  // no quote: bare whatever it needs
        {"cost$", "\"", access, "\"cost$\""},
        {"cost$", "\"", "", "cost$"},
        {"Order", "\"", "", "\"Order\""},
        {"user", "`", "", "`user`"},
        {"analyze", "\"", "", "\"analyze\""},
        {"two words", "[", "", "[two words]"},
        {"a]b c", "[", "", "[a]]b c]"},
        {"say \"hi\"", "\"", "", "\"say \"\"hi\"\"\""},
        {"tick`s x", "`", "", "`tick``s x`"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(app::ado::QuoteIdentifier(c.name, c.quote, c.special, &ansi, &odbc, &driver), c.expected) << c.name;
    EXPECT_EQ(app::ado::QuoteIdentifier("order", "\"", "", nullptr, nullptr, nullptr), "order");
}

// ---- Type tables and provider types ----------------------------------------------------------

TEST(TypeTables, AdoTypesFieldTypesAndNames)
{
    const std::pair<std::vector<int>, db::TFieldType> toField[] = {
        {{2, 16}, db::ftSmallint},      {{3, 10, 19}, db::ftInteger}, {{4, 5}, db::ftFloat},
        {{6}, db::ftBCD},               {{7, 64, 135, 137}, db::ftDateTime}, {{8, 130, 202}, db::ftWideString},
        {{9}, db::ftIDispatch},         {{11}, db::ftBoolean},        {{12, 138}, db::ftVariant},
        {{13}, db::ftInterface},        {{17, 18}, db::ftWord},       {{20, 21}, db::ftLargeint},
        {{72}, db::ftGuid},             {{128}, db::ftBytes},         {{129}, db::ftFixedChar},
        {{133}, db::ftDate},            {{134}, db::ftTime},          {{136}, db::ftDataSet},
        {{200}, db::ftString},          {{201, 203}, db::ftMemo},     {{204}, db::ftVarBytes},
        {{205}, db::ftBlob},            {{0, 1, 999}, db::ftUnknown},
    };
    for (const auto& [codes, type] : toField)
        for (int code : codes) EXPECT_EQ(app::ado::DataTypeToFieldType(code, false), type) << code;
    for (int code : {14, 131, 139}) {
        EXPECT_EQ(app::ado::DataTypeToFieldType(code, true), db::ftBCD);
        EXPECT_EQ(app::ado::DataTypeToFieldType(code, false), db::ftFloat);
    }
    const std::pair<db::TFieldType, int> toAdo[] = {
        {db::ftString, 200}, {db::ftWideString, 200}, {db::ftAutoInc, 3}, {db::ftWord, 18}, {db::ftFloat, 5},
        {db::ftCurrency, 6}, {db::ftDate, 133},       {db::ftDateTime, 135}, {db::ftGraphic, 205}, {db::ftMemo, 201},
        {db::ftGuid, 72},    {db::ftADT, 0},
    };
    for (const auto& [type, code] : toAdo) EXPECT_EQ(app::ado::FieldTypeToDataType(type), code) << type;
    EXPECT_EQ(app::ado::FieldTypeName(db::ftUnknown), "Unknown");
    EXPECT_EQ(app::ado::FieldTypeName(db::ftCurrency), "curreny");
    EXPECT_EQ(app::ado::FieldTypeName(db::ftWideString), "widestring");
    EXPECT_EQ(app::ado::FieldTypeName(db::ftGuid), "GUID");
}

TEST(ProviderTypeName, SmallestFittingElseLargestThenTheFamily)
{
    const std::vector<app::ado::TProviderTypeRow> rows = {
        {"VARCHAR", 200, 255}, {"TEXT", 200, 65535}, {"LONGTEXT", 200, 65535}, {"INT", 3, 10},
        {"DATETIME", 135, 23},  {"NCHAR", 130, 4000}, {"SMALLINT", 2, 5},
    };
    struct Case {
        int type, maxLen, dtPrec, numPrec;
        std::string name;
        int size, dataType;
    };
    const Case cases[] = {
        {200, 100, 0, 0, "varchar", 255, 200},     // smallest that fits
        {200, 1000, 0, 0, "text", 65535, 200},     // first of equal sizes
        {200, 100000, 0, 0, "longtext", 65535, 200},  // none fits: the largest, last of equals
        {202, 10, 0, 0, "varchar", 255, 200},      // no row of the type: the character family
        {133, 0, 0, 0, "datetime", 23, 135},       // a date type by itself
        {999, 0, 3, 0, "datetime", 23, 135},       // date-time precision
        {999, 0, 0, 0, "unknown", 0, 0},           // nothing to go by
        {131, 0, 0, 7, "int", 10, 3},              // numeric family
        {3, 0, 0, 10, "int", 10, 3},
    };
    for (const Case& c : cases) {
        const auto choice = app::ado::GetProviderTypeName(rows, c.type, c.maxLen, c.dtPrec, c.numPrec);
        EXPECT_EQ(choice.typeName, c.name) << c.type << "/" << c.maxLen;
        EXPECT_EQ(choice.typeSize, c.size) << c.type << "/" << c.maxLen;
        EXPECT_EQ(choice.dataType, c.dataType) << c.type << "/" << c.maxLen;
    }
}

}  // namespace
