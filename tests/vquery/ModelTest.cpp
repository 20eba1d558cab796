// The visual query's model: boxes, aliases, joins, sorts and criteria with their refusals,
// which are message boxes through the dialog service and leave the model unchanged.

#include <gtest/gtest.h>

#include "VQueryTestSupport.h"
#include "platform/classes/Streaming.h"
#include "platform/classes/TypInfo.h"
#include "vquery/Glyphs.h"
#include "platform/rtl/Exceptions.h"

using namespace vquery;
using vqtest::QueryFixture;

namespace {

class ModelTest : public ::testing::Test, public QueryFixture {
protected:
    void SetUp() override
    {
        Table("", "T", {{"a"}, {"b"}});
        Table("Sales", "Orders", {{"id", db::adInteger}, {"note"}});
        Table("public", "Lower", {{"x"}});
    }
    std::vector<std::string> MessageTexts()
    {
        std::vector<std::string> texts;
        for (const auto& q : dialogs.Asked()) texts.push_back(q.message.text);
        return texts;
    }
};

TEST_F(ModelTest, AliasesCountUpAndFreedAliasesAreReused)
{
    TmfVQueryTable* t = Box("T");
    TmfVQueryTable* t1 = Box("t");
    TmfVQueryTable* t2 = Box("T");
    EXPECT_EQ(t->Alias(), "T");
    EXPECT_EQ(t1->Alias(), "T1");
    EXPECT_EQ(t2->Alias(), "T2");
    Q().RemoveTable(t1);
    EXPECT_EQ(Box("T")->Alias(), "T1");
    EXPECT_EQ(Q().GetTableCount(), 3);
}

TEST_F(ModelTest, BoxTakesColumnsNamesAndOwner)
{
    TmfVQueryTable* box = Q().AddTable("sales.orders", {-1, 40}, true);
    EXPECT_EQ(box->Left(), 5);
    EXPECT_EQ(box->Top(), 5);
    EXPECT_EQ(box->Caption(), "SALES.ORDERS");
    EXPECT_EQ(box->DBTableName(), "Sales.Orders");
    ASSERT_EQ(box->ListBox()->Items()->Count(), 2);
    EXPECT_TRUE(box->ListBox()->Checked(1));
    EXPECT_EQ(F(box, "id")->DataType, db::ftInteger);
    EXPECT_EQ(F(box, "note")->DataType, db::ftWideString);

    // An owner PUBLIC, in any letter case, is left out.
    TmfVQueryTable* lower = Box("LOWER");
    EXPECT_EQ(lower->DBTableName(), "Lower");
    EXPECT_EQ(lower->Caption(), "LOWER");

    // A table the list does not hold gives an empty box.
    TmfVQueryTable* missing = Box("Nowhere");
    EXPECT_EQ(missing->Fields().Count(), 0);
    EXPECT_EQ(missing->Caption(), "");
    EXPECT_EQ(missing->Alias(), "Table Alias");
}

TEST_F(ModelTest, RefusalsShowTheirMessageAndChangeNothing)
{
    Q().AllowDuplicateJoins = false;
    TmfVQueryTable* a = Box("T");
    TmfVQueryTable* b = Box("T");
    TmfVQueryField* calc = a->AddField("Calculate0", "Total", db::ftString, true);
    calc->Calculated = true;
    for (int i = 0; i < 6; ++i) dialogs.AnswerMessage(ui::mrOk);

    ASSERT_NE(Q().AddJoin(F(a, "a"), F(b, "a"), "x"), nullptr);
    EXPECT_EQ(Q().AddJoin(F(b, "a"), F(a, "a"), "y"), nullptr);  // the same join reversed
    EXPECT_EQ(Q().AddJoin(calc, F(b, "b"), "z"), nullptr);
    EXPECT_EQ(Q().GetJoinCount(), 1);

    Q().MaxSortCount = 0;
    EXPECT_FALSE(Q().AddSortField(F(a, "a"), true));
    Q().MaxSortCount = -1;
    EXPECT_FALSE(Q().AddSortField(calc, true));
    EXPECT_EQ(Q().SortCount(), 0);
    EXPECT_EQ(calc->SortDirection, 0);

    Q().MaxFilterCount = 1;
    ASSERT_NE(Q().Criterias().Add(F(a, "a")), nullptr);
    EXPECT_EQ(Q().Criterias().Add(F(a, "b")), nullptr);
    Q().MaxFilterCount = -1;
    EXPECT_EQ(Q().Criterias().Add(calc), nullptr);
    EXPECT_EQ(Q().Criterias().Count(), 1);

    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Join already exists", "Calculated Field can not join",
                                                         "Can not add sort more than 0 fields",
                                                         "Calculated Field can not sort", "Can not add filter more than 1",
                                                         "Calculated Field can not filter"}));
    EXPECT_EQ(dialogs.Asked().at(0).message.type, ui::mtError);
    EXPECT_EQ(dialogs.Asked().at(2).message.type, ui::mtWarning);
    EXPECT_TRUE(dialogs.Unexpected().empty());

    // Custom refusal texts replace the built-in ones.
    dialogs.AnswerMessage(ui::mrOk);
    Q().MaxSortCount = 0;
    Q().MaxSortMessage = "No more sorting";
    EXPECT_FALSE(Q().AddSortField(F(a, "b"), false));
    EXPECT_EQ(dialogs.Asked().back().message.text, "No more sorting");

    // With duplicates allowed the reversed join is made.
    Q().AllowDuplicateJoins = true;
    EXPECT_NE(Q().AddJoin(F(b, "a"), F(a, "a"), "y"), nullptr);
}

TEST_F(ModelTest, RemovingABoxTakesItsJoinsSortsAndCriteria)
{
    ui::TListBox sortBox(nullptr);
    Q().SetSortListBox(&sortBox);
    TmfVQueryTable* a = Box("T");
    TmfVQueryTable* b = Box("Lower");
    Q().AddJoin(F(a, "a"), F(b, "x"), "j");
    Q().AddSortField(F(a, "b"), false);
    Q().AddSortField(F(b, "x"), true);
    EXPECT_EQ(vqtest::Lines(*sortBox.Items()), (std::vector<std::string>{"T.b", "Lower.x"}));
    Q().Criterias().Add(F(a, "a"));
    TmfVQueryCriteria* crossing = Q().Criterias().Add(F(b, "x"));
    crossing->SetDestField(F(a, "b"));

    std::vector<classes::TObject*> removed;
    Q().OnVTableRemove = [&](classes::TObject* sender) { removed.push_back(sender); };
    Q().RemoveTable(a);
    EXPECT_EQ(removed, (std::vector<classes::TObject*>{a}));
    EXPECT_EQ(Q().GetJoinCount(), 0);
    EXPECT_EQ(Q().SortCount(), 1);
    EXPECT_EQ(Q().Criterias().Count(), 0);
    EXPECT_EQ(vqtest::Lines(*sortBox.Items()), (std::vector<std::string>{"Lower.x"}));
    EXPECT_EQ(Q().GetJoin(0), nullptr);
    EXPECT_EQ(Q().GetJoin(-1), nullptr);
}

TEST_F(ModelTest, WrongUseRaisesTheExactTexts)
{
    const auto message = [](auto&& f) {
        try {
            f();
        } catch (const rtl::Exception& e) {
            return e.Message();
        }
        return std::string("(nothing raised)");
    };
    classes::TComponent other(nullptr);
    EXPECT_EQ(message([] { TmfVQueryTable box(nullptr); }), "A VTable can only be created with a parent VQuery");
    EXPECT_EQ(message([&] { TmfVQueryTable box(&other); }), "The parent of a VTable  must be type TmfVQuery");
    EXPECT_EQ(message([] { TmfVQueryFields f(nullptr); }), "A Vfield can only be created with a parent Vtable");
    EXPECT_EQ(message([&] { TmfVQueryFields f(&other); }), "The parent of a VQueryField  must be type TmfVQueryTable");
    EXPECT_EQ(message([&] { Q().ADOConnection(); }), "No ADOConnection has been assigned to TmfVQuery");
    Q().SetConnectionType(ctBDE);
    EXPECT_EQ(message([&] { Q().Database(); }), "No Database has been assigned to TmfVQuery");
    EXPECT_EQ(message([] { app::ado::TQADOField f(nullptr); }), "An ADO field parent table cannot be null.");
}

TEST_F(ModelTest, GlyphsAreSixteenPixelBitmapsOnTransparentGreen)
{
    for (ui::TPicture* pic : {Q().FilterPic(), Q().SortASCPic(), Q().SortDESCPic()}) {
        ASSERT_EQ(pic->Width(), 16);
        ASSERT_EQ(pic->Height(), 16);
        EXPECT_EQ(pic->Pixel(0, 0) & 0xFFFFFF, 0x00FF00u);
    }
    // The arrows point up and down: the tip row of one is the tail row of the other.
    EXPECT_NE(Q().SortASCPic()->Pixel(7, 1) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(Q().SortDESCPic()->Pixel(7, 1) & 0xFFFFFF, 0x00FF00u);
    EXPECT_NE(Q().SortDESCPic()->Pixel(7, 14) & 0xFFFFFF, 0x00FF00u);
}

TEST_F(ModelTest, PublishedPropertiesWithDefaultsAndFreedReferencesForgotten)
{
    EXPECT_TRUE(classes::SetPropValue(Q(), "ShowJoinComment", classes::TPropValue(true)));
    EXPECT_TRUE(Q().ShowJoinComment);
    EXPECT_TRUE(classes::SetPropValue(Q(), "ConnectionType", classes::TPropValue(std::int64_t{0})));
    EXPECT_EQ(Q().ConnectionType(), ctBDE);
    Q().SetConnectionType(ctADO);
    const auto value = classes::GetPropValue(Q(), "AutoSizeTable");
    ASSERT_TRUE(value.has_value());
    ASSERT_TRUE(std::holds_alternative<bool>(*value));
    EXPECT_TRUE(std::get<bool>(*value));
    EXPECT_NE(Q().ClassInfo().FindProperty("OnVTableRemove"), nullptr);

    auto* conn = new db::TADOConnection(nullptr);
    auto* sortBox = new ui::TListBox(nullptr);
    Q().SetADOConnection(conn);
    Q().SetSortListBox(sortBox);
    delete conn;
    delete sortBox;
    EXPECT_EQ(Q().ADOConnectionOrNull(), nullptr);
    EXPECT_EQ(Q().SortListBox(), nullptr);
    Q().AddSortField(F(Box("T"), "a"), true);  // no list box left to fill
}

// The bevels, the border width and the three glyph pictures are stored with the query and
// read back from its text form.
TEST_F(ModelTest, BevelsBorderWidthAndGlyphsTravelThroughTheStoredForm)
{
    EXPECT_EQ(Q().BevelInner(), ui::bvRaised);
    EXPECT_EQ(Q().BevelOuter(), ui::bvLowered);
    EXPECT_EQ(Q().BorderWidth(), 0);
    Q().SetName("VisualQuery");
    Q().SetBevelInner(ui::bvLowered);
    Q().SetBevelOuter(ui::bvNone);
    Q().SetBorderWidth(3);
    // Each picture swapped for another, so that the read-back shows it came from the text.
    Q().FilterPic()->LoadFromBytes(GlyphBitmap("SORTASC_BMP"));
    Q().SortASCPic()->LoadFromBytes(GlyphBitmap("SORTDESC_BMP"));
    Q().SortDESCPic()->LoadFromBytes(GlyphBitmap("FILTER_BMP"));
    const std::string text = classes::WriteComponentText(Q(), false);
    for (const char* line : {"BevelInner = bvLowered", "BevelOuter = bvNone", "BorderWidth = 3", "FilterPic.Data = {",
                             "SortASCPic.Data = {", "SortDESCPic.Data = {"})
        EXPECT_NE(text.find(line), std::string::npos) << line;

    TmfVQuery copy(nullptr);
    classes::ReadComponentText(copy, text, {.strict = true});
    EXPECT_EQ(copy.BevelInner(), ui::bvLowered);
    EXPECT_EQ(copy.BevelOuter(), ui::bvNone);
    EXPECT_EQ(copy.BorderWidth(), 3);
    EXPECT_EQ(copy.FilterPic()->Bytes(), GlyphBitmap("SORTASC_BMP"));
    EXPECT_EQ(copy.SortASCPic()->Bytes(), GlyphBitmap("SORTDESC_BMP"));
    EXPECT_EQ(copy.SortDESCPic()->Bytes(), GlyphBitmap("FILTER_BMP"));
}

}  // namespace
