// Fields: the text and display text of every kind of value, display formats, accessors,
// defaults that grids and page generators read, and the value type underneath.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "MemDataSet.h"
#include "platform/db/DataSet.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FormatSettings.h"

using namespace db;
using dbtest::TMemDataSet;

namespace {

class FieldsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = rtl::FormatSettings();
        rtl::FormatSettings() = rtl::TFormatSettings::UsEnglish();
    }
    void TearDown() override { rtl::FormatSettings() = saved_; }

    // One record holding `value` in a column of `type`; the field is returned.
    TField* One(TFieldType type, TVariant value, int size = 0)
    {
        ds_ = std::make_unique<TMemDataSet>();
        ds_->columns = {{"F", type, size}};
        ds_->AddRow({std::move(value)});
        ds_->Open();
        return ds_->FieldByName("F");
    }

    std::unique_ptr<TMemDataSet> ds_;

private:
    rtl::TFormatSettings saved_;
};

}  // namespace

TEST_F(FieldsTest, DisplayTextOfEveryKindOfValue)
{
    const rtl::TDateTime day = rtl::EncodeDate(2024, 2, 29);
    const rtl::TDateTime afternoon = rtl::EncodeTime(13, 45, 10, 250);
    struct Case {
        TFieldType type;
        TVariant value;
        std::string displayText;
        std::string text;
    } cases[] = {
        {ftString, TVariant("Zoë 東京"), "Zoë 東京", "Zoë 東京"},
        {ftSmallint, TVariant(-32768), "-32768", "-32768"},
        {ftInteger, TVariant(1234567), "1234567", "1234567"},
        {ftLargeint, TVariant(9223372036854775807LL), "9223372036854775807", "9223372036854775807"},
        {ftLargeint, TVariant(-9223372036854775807LL - 1), "-9223372036854775808", "-9223372036854775808"},
        {ftFloat, TVariant(1.5), "1.5", "1.5"},
        {ftFloat, TVariant(1e20), "1E20", "1E20"},
        {ftBCD, TVariant::FromDecimal("12345678901234567890.0123456789"), "12345678901234567890.0123456789",
         "12345678901234567890.0123456789"},
        {ftBoolean, TVariant(true), "True", "True"},
        {ftDate, TVariant::FromDateTime(day), "2/29/2024", "2/29/2024"},
        {ftTime, TVariant::FromDateTime(afternoon), "1:45:10 PM", "1:45:10 PM"},
        {ftDateTime, TVariant::FromDateTime(day + afternoon), "2/29/2024 1:45:10 PM", "2/29/2024 1:45:10 PM"},
        {ftDateTime, TVariant::FromDateTime(day), "2/29/2024", "2/29/2024"},
        {ftMemo, TVariant("long\r\ntext"), "(MEMO)", "long\r\ntext"},
        {ftMemo, TVariant(), "(Memo)", ""},
        {ftBlob, TVariant::FromBytes(std::string("\x01\x02", 2)), "(BLOB)", "(BLOB)"},
        {ftVarBytes, TVariant::FromBytes("ab"), "(VarBytes)", "(VarBytes)"},
        {ftInteger, TVariant(), "", ""},
        {ftString, TVariant(), "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(FieldTypeDisplayName(c.type) + " " + c.value.AsString());
        TField* f = One(c.type, c.value);
        EXPECT_EQ(f->DataType(), c.type);
        EXPECT_EQ(f->DisplayText(), c.displayText);
        EXPECT_EQ(f->Text(), c.text);
        EXPECT_EQ(f->IsNull(), c.value.IsNull());
    }
}

TEST_F(FieldsTest, DisplayFormatsAndTheEditFormat)
{
    TField* f = One(ftInteger, TVariant(1234567));
    auto* n = dynamic_cast<TNumericField*>(f);
    ASSERT_NE(n, nullptr);
    n->SetDisplayFormat("#,##0");
    EXPECT_EQ(f->DisplayText(), "1,234,567");
    EXPECT_EQ(f->Text(), "1,234,567");  // the display format also edits while no edit format is set
    n->SetEditFormat("0");
    EXPECT_EQ(f->Text(), "1234567");

    f = One(ftFloat, TVariant(-1234.5));
    dynamic_cast<TNumericField*>(f)->SetDisplayFormat("#,##0.00;(#,##0.00)");
    EXPECT_EQ(f->DisplayText(), "(1,234.50)");

    f = One(ftDateTime, TVariant::FromDateTime(rtl::EncodeDateTime(2024, 2, 29, 13, 45, 10, 250)));
    dynamic_cast<TDateTimeField*>(f)->SetDisplayFormat("yyyy-mm-dd hh:nn:ss.zzz");
    EXPECT_EQ(f->DisplayText(), "2024-02-29 13:45:10.250");
    EXPECT_EQ(f->Text(), "2/29/2024 1:45:10 PM");  // editing keeps the plain form

    f = One(ftBoolean, TVariant(false));
    dynamic_cast<TBooleanField*>(f)->SetDisplayValues("Yes;No");
    EXPECT_EQ(f->DisplayText(), "No");

    // Pictures keep every digit of 64-bit integers and decimals.
    f = One(ftLargeint, TVariant(9007199254740993LL));
    dynamic_cast<TNumericField*>(f)->SetDisplayFormat("#,##0");
    EXPECT_EQ(f->DisplayText(), "9,007,199,254,740,993");
    f = One(ftBCD, TVariant::FromDecimal("12345678901234567890.015"));
    dynamic_cast<TNumericField*>(f)->SetDisplayFormat("#,##0.00");
    EXPECT_EQ(f->DisplayText(), "12,345,678,901,234,567,890.02");
    f = One(ftBCD, TVariant::FromDecimal("1234567890123456.78"));
    dynamic_cast<TBCDField*>(f)->SetCurrency(true);
    EXPECT_EQ(f->DisplayText(), "1,234,567,890,123,456.78 " + rtl::FormatSettings().CurrencyString);
    EXPECT_EQ(f->Text(), "1234567890123456.78");

    f = One(ftBCD, TVariant::FromDecimal("-0.50"));
    rtl::FormatSettings().DecimalSeparator = ",";
    EXPECT_EQ(f->AsString(), "-0,50");  // every digit, in the settings' form
    EXPECT_DOUBLE_EQ(f->AsFloat(), -0.5);
}

// The display texts read for many records with the format read once are the field's own, for
// random dates and times (nulls among them) in every date kind, with and without a display
// format, and through an OnGetText handler.
TEST_F(FieldsTest, DisplayTextsOfManyRecordsAreTheFieldsOwn)
{
    std::mt19937 random(20261211);
    std::uniform_real_distribution<double> days(-600000.0, 2900000.0);  // years 257 to 9839
    ds_ = std::make_unique<TMemDataSet>();
    ds_->columns = {{"D", ftDate, 0}, {"T", ftTime, 0}, {"DT", ftDateTime, 0}, {"F", ftDateTime, 0},
                    {"E", ftDateTime, 0}, {"N", ftInteger, 0}};
    for (int i = 0; i < 400; ++i) {
        std::vector<TVariant> row;
        for (int c = 0; c < 5; ++c) {
            const double v = days(random);
            const double whole = std::floor(v);
            row.push_back(i % 7 == c ? TVariant() : TVariant::FromDateTime(c == 1 ? v - whole : (i % 3 == 0 ? whole : v)));
        }
        row.push_back(TVariant(i));
        ds_->AddRow(std::move(row));
    }
    ds_->Open();
    dynamic_cast<TDateTimeField*>(ds_->FieldByName("F"))->SetDisplayFormat("dddd d mmmm yyyy, hh:nn:ss.zzz am/pm");
    ds_->FieldByName("E")->OnGetText = [](TField* field, std::string& text, bool) {
        text = field->IsNull() ? "-" : "day " + std::to_string(static_cast<long long>(field->AsFloat()));
    };
    rtl::FormatSettings().ShortDateFormat = "dd.mm.yyyy";
    rtl::FormatSettings().DateSeparator = ".";
    std::vector<TDisplayTexts> texts;
    for (TField* f : ds_->Fields()) texts.emplace_back(*f);
    int records = 0;
    for (ds_->First(); !ds_->Eof(); ds_->Next(), ++records)
        for (std::size_t i = 0; i < texts.size(); ++i) {
            const TField* f = ds_->Fields()[static_cast<int>(i)];
            ASSERT_EQ(texts[i].Text(), f->DisplayText()) << f->FieldName() << " of record " << records;
        }
    EXPECT_EQ(records, 400);
}

TEST_F(FieldsTest, GetTextEventReplacesTheText)
{
    TField* f = One(ftInteger, TVariant(7));
    f->OnGetText = [](TField* field, std::string& text, bool display) {
        text = (display ? "#" : "=") + std::to_string(field->AsInteger());
    };
    EXPECT_EQ(f->DisplayText(), "#7");
    EXPECT_EQ(f->Text(), "=7");
}

TEST_F(FieldsTest, AccessorsConvertAndNullReadsAsNothing)
{
    TField* f = One(ftString, TVariant("42"));
    EXPECT_EQ(f->AsInteger(), 42);
    EXPECT_DOUBLE_EQ(f->AsFloat(), 42.0);
    f = One(ftLargeint, TVariant(9007199254740993LL));  // beyond a double's exact integers
    EXPECT_EQ(f->AsLargeInt(), 9007199254740993LL);
    EXPECT_EQ(f->AsString(), "9007199254740993");
    EXPECT_THROW(f->AsInteger(), rtl::EConvertError);
    f = One(ftDate, TVariant());
    EXPECT_EQ(f->AsString(), "");
    EXPECT_EQ(f->AsInteger(), 0);
    EXPECT_EQ(f->AsDateTime(), 0.0);
    EXPECT_FALSE(f->AsBoolean());
    EXPECT_TRUE(f->Value().IsNull());

    f = One(ftInteger, TVariant(1));
    ds_->Edit();
    f->SetText("");
    EXPECT_TRUE(f->IsNull());  // an empty text clears a number
    f->SetText("17");
    EXPECT_EQ(f->AsInteger(), 17);
    ds_->Post();
    EXPECT_EQ(ds_->Rows()[0][0].AsInt64(), 17);
}

TEST_F(FieldsTest, DefaultsThatGridsAndPagesRead)
{
    struct Case {
        TFieldType type;
        int size;
        int width;
        classes::TAlignment alignment;
    } cases[] = {
        {ftString, 40, 40, classes::taLeftJustify},   {ftWideString, 12, 12, classes::taLeftJustify},
        {ftSmallint, 0, 6, classes::taRightJustify},  {ftInteger, 0, 11, classes::taRightJustify},
        {ftWord, 0, 6, classes::taRightJustify},      {ftLargeint, 0, 15, classes::taRightJustify},
        {ftFloat, 0, 10, classes::taRightJustify},    {ftBCD, 4, 10, classes::taRightJustify},
        {ftBoolean, 0, 5, classes::taLeftJustify},    {ftDate, 0, 10, classes::taLeftJustify},
        {ftTime, 0, 10, classes::taLeftJustify},      {ftDateTime, 0, 18, classes::taLeftJustify},
        {ftMemo, 0, 10, classes::taLeftJustify},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(FieldTypeDisplayName(c.type));
        TField* f = One(c.type, TVariant(), c.size);
        EXPECT_EQ(f->DisplayWidth(), c.width);
        EXPECT_EQ(f->Alignment(), c.alignment);
        EXPECT_EQ(f->Size(), c.size);
        EXPECT_TRUE(f->Visible());
        EXPECT_EQ(f->DisplayLabel(), "F");
    }
}

TEST(Variant, DecimalsAndIntegersKeepEveryDigit)
{
    EXPECT_EQ(TVariant::FromDecimal(" +007.50 ").Text(), "7.50");
    EXPECT_EQ(TVariant::FromDecimal("-0.000").Text(), "0.000");
    EXPECT_EQ(TVariant::FromDecimal(".5").Text(), "0.5");
    EXPECT_THROW(TVariant::FromDecimal("1e5"), rtl::EConvertError);
    EXPECT_THROW(TVariant::FromDecimal("-"), rtl::EConvertError);
    EXPECT_EQ(CompareVariants(TVariant::FromDecimal("12345678901234567890.5"),
                              TVariant::FromDecimal("12345678901234567890.49999")),
              1);
    EXPECT_EQ(CompareVariants(TVariant::FromDecimal("-2.50"), TVariant::FromDecimal("-2.5")), 0);
    EXPECT_EQ(CompareVariants(TVariant(9223372036854775807LL), TVariant::FromDecimal("9223372036854775806.9")), 1);
    EXPECT_EQ(TVariant::FromDecimal("2.5").AsInt64(), 2);  // ties to even, as the class library rounds
    EXPECT_EQ(TVariant::FromDecimal("-3.5").AsInt64(), -4);
    EXPECT_THROW(TVariant::FromDecimal("9223372036854775808").AsInt64(), rtl::EConvertError);
    EXPECT_EQ(TVariant(-9223372036854775807LL - 1).AsDecimalText(), "-9223372036854775808");
    EXPECT_EQ(CompareVariants(TVariant(), TVariant(0)), -1);
    EXPECT_EQ(CompareVariants(TVariant("abc"), TVariant("ABC"), true), 0);
    EXPECT_THROW(TVariant().AsInt64(), EVariantError);

    // Doubles of any size become exact decimal text.
    for (double d : {0.1, -1234.5, 1e20, 1e300, -1.7976931348623157e308, 5e-324, 2.2250738585072014e-308}) {
        SCOPED_TRACE(d);
        const std::string text = TVariant(d).AsDecimalText();
        EXPECT_EQ(TVariant::FromDecimal(text).AsFloat(), d);
    }
    EXPECT_EQ(TVariant(1e300).AsDecimalText().size(), 301u);
}

TEST(Variant, DecimalColumnValuesThatAreNoNumbers)
{
    // A decimal column may hold NaN and infinities; they order as the server orders them and
    // convert to no integer or exact decimal.
    const TVariant nan = TVariant::FromCanonicalDecimal("NaN");
    const TVariant inf = TVariant::FromCanonicalDecimal("Infinity");
    const TVariant minusInf = TVariant::FromCanonicalDecimal("-Infinity");
    const std::vector<TVariant> ascending{minusInf, TVariant::FromDecimal("-12345678901234567890.5"), TVariant(-3),
                                          TVariant::FromDecimal("0.5"), TVariant::FromDecimal("99999999999999999999"),
                                          inf, nan};
    for (std::size_t i = 0; i < ascending.size(); ++i)
        for (std::size_t j = 0; j < ascending.size(); ++j) {
            SCOPED_TRACE(ascending[i].AsString() + " vs " + ascending[j].AsString());
            const int expected = i < j ? -1 : (i > j ? 1 : 0);
            EXPECT_EQ(CompareVariants(ascending[i], ascending[j]), expected);
        }
    EXPECT_EQ(CompareVariants(nan, TVariant::FromCanonicalDecimal("NaN")), 0);
    EXPECT_THROW(nan.AsInt64(), rtl::EConvertError);
    EXPECT_THROW(inf.AsInt64(), rtl::EConvertError);
    EXPECT_THROW(nan.AsDecimalText(), rtl::EConvertError);
    EXPECT_EQ(nan.AsString(), "NaN");
    EXPECT_TRUE(std::isnan(nan.AsFloat()));
    EXPECT_EQ(minusInf.AsFloat(), -std::numeric_limits<double>::infinity());
}
