// The schema helpers that need no database: quoting one identifier, the tables between ADO
// type codes and field types, and the choice of a provider type for a column.

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/db/FieldTypes.h"
#include "platform/db/Fields.h"
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

// ---- Tables without a connection -------------------------------------------------------------

// Such a table reads its columns from its field definitions; one with a closed connection
// reads none; a reload does not add them twice.
TEST(TableWithoutConnection, ReadsItsColumnsFromItsFieldDefinitions)
{
    app::ado::TQADOTable table(nullptr, "", "Orders", "TABLE");
    table.FieldDefs().Add("id", db::ftInteger, 0, true);
    table.FieldDefs().Add("note", db::ftString, 40);
    db::TFieldDef& amount = table.FieldDefs().Add("amount", db::ftBCD, 2);
    amount.SetPrecision(10);
    struct Expected {
        const char* name;
        int ordinal;
        bool nullable;
        int dataType;
        int size;
        int precision;
        const char* typeName;
    };
    const Expected expected[] = {
        {"id", 1, false, app::ado::FieldTypeToDataType(db::ftInteger), 0, 0, "integer"},
        {"note", 2, true, 200, 40, 0, "string"},
        {"amount", 3, true, app::ado::FieldTypeToDataType(db::ftBCD), 2, 10, "BCD"},
    };
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        if (pass == 1) table.LoadColumns();  // a reload replaces the columns
        ASSERT_EQ(table.GetFieldCount(), 3);
        for (int i = 0; i < 3; ++i) {
            const app::ado::TQADOField& f = *table.GetField(i);
            const Expected& e = expected[i];
            SCOPED_TRACE(e.name);
            EXPECT_EQ(f.GetName(), e.name);
            EXPECT_EQ(f.GetOrdinal(), e.ordinal);
            EXPECT_EQ(f.nullable, e.nullable);
            EXPECT_EQ(f.GetDataType(), e.dataType);
            EXPECT_EQ(f.typeSize, e.size);
            EXPECT_EQ(f.numericPrecision, e.precision);
            EXPECT_EQ(f.GetTypeName(), e.typeName);
            EXPECT_EQ(f.baseTypeName, f.GetTypeName());
            EXPECT_FALSE(f.hasDefault);
            EXPECT_EQ(f.GetParent(), &table);
        }
    }

    db::TADOConnection closed(nullptr);
    app::ado::TQADOTable other(&closed, "", "Orders", "TABLE");
    other.FieldDefs().Add("id", db::ftInteger);
    EXPECT_EQ(other.GetFieldCount(), 0);
}

