// The grid library's free routines added with the program's grid: pictures, picture-mask
// validation of a record, and applying a column list that holds a bad entry.

#include <gtest/gtest.h>

#include "grid/GridRoutines.h"
#include "grid/Intl.h"
#include "platform/db/DbErrors.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Exceptions.h"
#include "tests/db/MemDataSet.h"

#include <memory>

using namespace grid;

namespace gridroutinestest {

// A data set that carries picture masks, as the library's data sets do.
class TMaskedDataSet : public dbtest::TMemDataSet {
    GW_CLASS(TMaskedDataSet)

public:
    using TMemDataSet::TMemDataSet;
    rtl::TStringList* PictureMasks() const { return masks_.get(); }

private:
    std::unique_ptr<rtl::TStringList> masks_ = std::make_unique<rtl::TStringList>();
};
GW_IMPLEMENT_CLASS(TMaskedDataSet, db::TDataSet) { p.Strings("PictureMasks", &TMaskedDataSet::PictureMasks); }

// A data set that publishes its filter-callback options, as the library's query does.
class TOptionsDataSet : public dbtest::TMemDataSet {
    GW_CLASS(TOptionsDataSet)

public:
    using TMemDataSet::TMemDataSet;
    TgkFilterOptions FilterOptions() const { return options_; }
    void SetFilterOptions(TgkFilterOptions options) { options_ = options; }

private:
    TgkFilterOptions options_{ofoEnabled, ofoShowHourGlass};
};
GW_IMPLEMENT_CLASS(TOptionsDataSet, db::TDataSet)
{
    p.Set("OnFilterOptions", gkFilterOptionInfo(), &TOptionsDataSet::FilterOptions, &TOptionsDataSet::SetFilterOptions);
}

}  // namespace gridroutinestest

namespace {

TEST(GridRoutines, PicturesMatchWholeTexts)
{
    struct Case {
        const char* text;
        const char* picture;
        bool matches;
    };
    for (const Case& c : {Case{"anything", "", true}, Case{"123", "###", true}, Case{"12a", "###", false},
                          Case{"12", "###", false}, Case{"AB-12", "&&-##", true}}) {
        EXPECT_EQ(gkMatchesPicture(c.text, c.picture), c.matches) << c.text << " / " << c.picture;
    }
    EXPECT_FALSE(gkIsCompatibleDataSet(nullptr));
    dbtest::TMemDataSet ds;
    EXPECT_TRUE(gkIsCompatibleDataSet(&ds));
}

class RoutinesData : public ::testing::Test {
protected:
    void SetUp() override
    {
        ds.columns = {{"ID", db::ftInteger}, {"CODE", db::ftString, 10}, {"NAME", db::ftString, 20}};
        ds.AddRow({db::TVariant(1), db::TVariant("12a"), db::TVariant("x")});
        ds.Open();
    }
    gridroutinestest::TMaskedDataSet ds;
};

TEST_F(RoutinesData, ARecordBreakingAPictureMaskRaisesWithTheFieldsName)
{
    EXPECT_NO_THROW(gkValidatePictureMasks(ds));  // no masks: nothing to break
    gkSetPictureMaskEntry(&ds, "CODE", "###", false, false, false);
    db::TField* reported = nullptr;
    try {
        gkValidatePictureMasks(ds, [&](db::TDataSet&, db::TField& f) { reported = &f; });
        ADD_FAILURE() << "no error";
    } catch (const db::EDatabaseError& e) {
        EXPECT_EQ(e.Message(), gkIntlDefault().UserMessages.PictureValidateError + "CODE");
    }
    EXPECT_EQ(reported, ds.FieldByName("CODE"));
}

TEST_F(RoutinesData, AColumnListWithABadEntryChangesNoField)
{
    rtl::TStringList list;
    list.SetText("NAME\t12\tName\nCODE\twide\tCode\n");  // the second width is no number
    EXPECT_THROW(gkApplySelectedToFields(ds, list), rtl::EConvertError);
    for (int i = 0; i < ds.FieldCount(); ++i) EXPECT_TRUE(ds.Fields()[i]->Visible()) << i;
    EXPECT_EQ(ds.FieldByName("NAME")->Index(), 2);
    list.SetText("NAME\t12\n");  // two parts
    EXPECT_THROW(gkApplySelectedToFields(ds, list), rtl::EListError);
    EXPECT_TRUE(ds.FieldByName("ID")->Visible());
    list.SetText("NAME\t12\tName\nNOPE\t5\tGone\n");
    gkApplySelectedToFields(ds, list);
    EXPECT_FALSE(ds.FieldByName("ID")->Visible());
    EXPECT_TRUE(ds.FieldByName("NAME")->Visible());
    EXPECT_EQ(ds.FieldByName("NAME")->Index(), 0);
    EXPECT_EQ(ds.FieldByName("NAME")->DisplayLabel(), "Name");
}

}  // namespace

namespace {

TEST(GridRoutines, LocateIfChangedStaysOnAMatchingRecordOrLocates)
{
    dbtest::TMemDataSet ds;
    ds.columns = {{"ID", db::ftInteger}, {"CITY", db::ftString, 12}};
    const char* cities[] = {"Bern", "basel", "Bergen", "Oslo"};
    for (int i = 0; i < 4; ++i) ds.AddRow({db::TVariant(i + 1), db::TVariant(cities[i])});
    ds.Open();
    struct Case {
        int startId;
        const char* value;
        bool caseSensitive;
        bool partial;
        bool found;
        int endId;
    } cases[] = {
        {1, "Bern", true, false, true, 1},    // already there
        {3, "BERN", false, false, true, 1},   // letter case ignored
        {3, "BERN", true, false, false, 3},   // letter case counts: nothing, the record stays
        {1, "Basel", false, false, true, 2},  {1, "Berg", false, true, true, 3},
        {4, "Berg", false, false, false, 4},  {2, "Oslo", true, false, true, 4},
    };
    for (const Case& c : cases) {
        ds.First();
        ds.MoveBy(c.startId - 1);
        EXPECT_EQ(gkLocateIfChanged(ds, "CITY", c.value, c.caseSensitive, c.partial), c.found) << c.value;
        EXPECT_EQ(ds.FieldByName("ID")->AsInteger(), c.endId) << c.value;
    }
    EXPECT_FALSE(gkLocateIfChanged(ds, "NOPE", "x", false, false));
}

}  // namespace

TEST(GridRoutines, FilterOptionsComeFromThePublishedSetOrFromFiltered)
{
    using O = TgkFilterOptions;
    gridroutinestest::TOptionsDataSet published;
    EXPECT_EQ(gkGetFilterOptions(&published), (O{ofoEnabled, ofoShowHourGlass}));
    gkSetFilterEnabled(&published, false);
    EXPECT_EQ(published.FilterOptions(), (O{ofoShowHourGlass}));  // the other options kept
    EXPECT_EQ(gkGetFilterOptions(&published), (O{ofoShowHourGlass}));
    published.SetFilterOptions({ofoCancelOnEscape});
    gkSetFilterEnabled(&published, true);
    EXPECT_EQ(gkGetFilterOptions(&published), (O{ofoEnabled, ofoCancelOnEscape}));
    published.SetFiltered(true);
    published.SetFilterOptions({});
    EXPECT_EQ(gkGetFilterOptions(&published), O{});  // the published set, not Filtered

    dbtest::TMemDataSet plain;
    EXPECT_EQ(gkGetFilterOptions(&plain), O{});
    plain.SetFiltered(true);
    EXPECT_EQ(gkGetFilterOptions(&plain), O{ofoEnabled});
    gkSetFilterEnabled(&plain, false);  // nothing to write: Filtered stays
    EXPECT_TRUE(plain.Filtered());
    EXPECT_EQ(gkGetFilterOptions(nullptr), O{});
    gkSetFilterEnabled(nullptr, true);
}
