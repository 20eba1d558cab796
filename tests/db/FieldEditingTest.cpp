// What editing controls ask a field (the characters it takes, its edit mask) and a data set
// (whether its record numbers count).

#include <gtest/gtest.h>

#include "platform/db/AdoDataSet.h"
#include "platform/rtl/FormatSettings.h"
#include "tests/db/MemDataSet.h"

namespace {

using namespace db;

TEST(FieldEditing, ValidCharactersByType)
{
    dbtest::TMemDataSet ds(nullptr);
    ds.columns = {{"I", ftInteger}, {"F", ftFloat}, {"S", ftString, 10}, {"D", ftDate}};
    ds.Open();
    struct Case {
        const char* field;
        char32_t ch;
        bool valid;
    };
    for (const Case& c : std::vector<Case>{{"I", U'7', true},   {"I", U'-', true},  {"I", U'+', true},
                                           {"I", U'.', false},  {"I", U'e', false}, {"I", U'a', false},
                                           {"F", U'.', true},   {"F", U'E', true},  {"F", U'e', true},
                                           {"F", U',', false},  {"F", U'x', false}, {"S", U'x', true},
                                           {"S", U'é', true},   {"S", U'\t', false}, {"D", U'/', true}})
        EXPECT_EQ(ds.FieldByName(c.field)->IsValidChar(c.ch), c.valid) << c.field << " " << static_cast<int>(c.ch);
    rtl::FormatSettings().DecimalSeparator = ",";
    EXPECT_TRUE(ds.FieldByName("F")->IsValidChar(U','));
    EXPECT_FALSE(ds.FieldByName("F")->IsValidChar(U'.'));
    rtl::FormatSettings().DecimalSeparator = ".";

    TField* s = ds.FieldByName("S");
    EXPECT_EQ(s->EditMask(), "");
    s->SetEditMask("!99/99;1;_");
    EXPECT_EQ(s->EditMask(), "!99/99;1;_");
}

TEST(FieldEditing, OnlyTheAdoDataSetsAreSequenced)
{
    dbtest::TMemDataSet mem(nullptr);
    EXPECT_FALSE(mem.IsSequenced());
    TADOQuery query(nullptr);
    EXPECT_TRUE(query.IsSequenced());
    TADODataSet data(nullptr);
    EXPECT_TRUE(data.IsSequenced());
}

}  // namespace
