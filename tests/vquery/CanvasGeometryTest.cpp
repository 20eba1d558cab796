// The canvas geometry without a window: where a box is hit, where its children go, the join
// line over a table of box arrangements and the region that takes clicks on it; then the
// same geometry kept up to date by the model when boxes move and joins come and go.

#include <gtest/gtest.h>

#include "VQueryTestSupport.h"
#include "vquery/Canvas.h"

using namespace vquery;
using vqtest::QueryFixture;

namespace {

TEST(BoxHitTest, CornersEdgesCaptionAndClient)
{
    struct Case {
        int x, y;
        TBoxZone zone;
    };
    // A 120 x 200 box.
    const Case cases[] = {
        {0, 0, bzTopLeft},      {10, 10, bzTopLeft},     {11, 0, bzTop},         {110, 0, bzTopRight},
        {120, 5, bzTopRight},   {110, 6, bzCaption},     // the top-right corner is only 6 tall
        {115, 6, bzRight},      {110, 190, bzBottomRight}, {120, 200, bzBottomRight}, {0, 190, bzBottomLeft},
        {10, 200, bzBottomLeft}, {60, 195, bzBottom},    {60, 194, bzClient},    {11, 190, bzClient},
        {5, 100, bzLeft},       {6, 100, bzClient},      {115, 100, bzRight},    {114, 100, bzClient},
        {60, 6, bzCaption},     {60, 24, bzCaption},     {60, 25, bzClient},
    };
    for (const Case& c : cases) EXPECT_EQ(BoxHitTest(c.x, c.y, 120, 200), c.zone) << c.x << "," << c.y;
}

TEST(BoxLayoutTest, ListAndAliasStripFollowTheSize)
{
    const TBoxLayout a = LayoutBox(120, 200);
    EXPECT_EQ(a.list, (ui::TRect{4, 26, 116, 174}));
    EXPECT_EQ(a.alias, (ui::TRect{4, 176, 116, 196}));
    const TBoxLayout b = LayoutBox(300, 100);
    EXPECT_EQ(b.list, (ui::TRect{4, 26, 296, 74}));
    EXPECT_EQ(b.alias, (ui::TRect{4, 76, 296, 96}));
    // The smallest box has no room for rows: the list is empty, never negative.
    const TBoxLayout c = LayoutBox(kMinBoxWidth, kMinBoxHeight);
    EXPECT_EQ(c.list, (ui::TRect{4, 26, 46, 26}));
    EXPECT_EQ(c.alias, (ui::TRect{4, 28, 46, 48}));
}

TEST(BoxLayoutTest, UserSizingStopsAtTheSmallestBoxKeepingTheFixedEdges)
{
    EXPECT_EQ(LimitBoxSize({10, 10, 30, 20}, bzBottomRight), (ui::TRect{10, 10, 60, 38}));
    EXPECT_EQ(LimitBoxSize({100, 100, 120, 110}, bzTopLeft), (ui::TRect{70, 82, 120, 110}));
    EXPECT_EQ(LimitBoxSize({100, 100, 120, 110}, bzTopRight), (ui::TRect{100, 82, 150, 110}));
    EXPECT_EQ(LimitBoxSize({100, 100, 300, 400}, bzLeft), (ui::TRect{100, 100, 300, 400}));
}

// A 120 x 200 box at (x, y) with the standard list and the field in row `row` (negative or
// past the list when scrolled out).
TJoinEnd End(int x, int y, int itemTop)
{
    return {{x, y, x + 120, y + 200}, LayoutBox(120, 200).list, {0, itemTop, 112, itemTop + 16}};
}

TEST(JoinLineTest, ArrangementsOfTwoBoxes)
{
    struct Case {
        const char* name;
        TJoinEnd source, dest;
        int index;
        bool placed;
        ui::TPoint p[4];
        ui::TRect bounds;
    };
    const Case cases[] = {
        {"side by side", End(10, 10, 16), End(200, 50, 0), 0, true,
         {{130, 60}, {138, 60}, {192, 84}, {200, 84}}, {10, 10, 320, 250}},
        {"side by side, destination on the left", End(200, 50, 0), End(10, 10, 16), 0, true,
         {{130, 60}, {138, 60}, {192, 84}, {200, 84}}, {10, 10, 320, 250}},
        {"side by side, second join meets the rows too", End(10, 10, 16), End(200, 50, 0), 1, true,
         {{130, 60}, {138, 60}, {192, 84}, {200, 84}}, {10, 10, 320, 250}},
        {"item scrolled out above", End(10, 10, -32), End(200, 50, 0), 0, true,
         {{130, 30}, {138, 30}, {192, 84}, {200, 84}}, {10, 10, 320, 250}},
        {"item scrolled out below", End(10, 10, 160), End(200, 50, 0), 0, true,
         {{130, 196}, {138, 196}, {192, 84}, {200, 84}}, {10, 10, 320, 250}},
        {"item on the last visible pixel row", End(10, 10, 148), End(200, 50, 0), 0, true,
         {{130, 192}, {138, 192}, {192, 84}, {200, 84}}, {10, 10, 320, 250}},
        {"stacked", End(10, 10, 0), End(40, 300, 0), 0, true,
         {{70, 210}, {70, 218}, {100, 292}, {100, 300}}, {10, 10, 160, 500}},
        {"stacked, second join 10 pixels on", End(10, 10, 0), End(40, 300, 0), 1, true,
         {{80, 210}, {80, 218}, {110, 292}, {110, 300}}, {10, 10, 160, 500}},
        {"overlapping", End(10, 10, 0), End(60, 100, 0), 0, true,
         {{70, 210}, {70, 218}, {52, 200}, {60, 200}}, {10, 10, 180, 300}},
        {"overlapping, second join 10 pixels on", End(10, 10, 0), End(60, 100, 0), 1, true,
         {{80, 210}, {80, 218}, {52, 210}, {60, 210}}, {10, 10, 180, 300}},
        {"edges touching side by side: unchanged", End(10, 10, 0), End(130, 50, 0), 0, false,
         {{1, 1}, {2, 2}, {3, 3}, {4, 4}}, {10, 10, 250, 250}},
        {"edges touching stacked: unchanged", End(10, 10, 0), End(40, 210, 0), 0, false,
         {{1, 1}, {2, 2}, {3, 3}, {4, 4}}, {10, 10, 160, 410}},
    };
    for (const Case& c : cases) {
        TJoinLine line{{{1, 1}, {2, 2}, {3, 3}, {4, 4}}, {}};
        EXPECT_EQ(PlaceJoinLine(c.source, c.dest, c.index, line), c.placed) << c.name;
        for (int k = 0; k < 4; ++k) EXPECT_EQ(line.p[k], c.p[k]) << c.name << " P" << k + 1;
        EXPECT_EQ(line.bounds, c.bounds) << c.name;
    }
}

TEST(JoinLineTest, HitRegionIsTheBandAroundTheMiddleSegment)
{
    TJoinLine line;
    ASSERT_TRUE(PlaceJoinLine(End(10, 10, 16), End(200, 10, 16), 0, line));
    ASSERT_EQ(line.p[1], (ui::TPoint{138, 60}));
    ASSERT_EQ(line.p[2], (ui::TPoint{192, 60}));
    const ui::TRegion region = JoinHitRegion(line);
    for (ui::TPoint in : {ui::TPoint{165, 60}, {165, 56}, {165, 64}, {140, 60}, {189, 60}})
        EXPECT_TRUE(region.Contains(in)) << in.X << "," << in.Y;
    for (ui::TPoint out : {ui::TPoint{165, 53}, {165, 67}, {136, 60}, {198, 60}, {131, 60}})
        EXPECT_FALSE(region.Contains(out)) << out.X << "," << out.Y;
}

class JoinLinksTest : public ::testing::Test, public QueryFixture {
protected:
    void SetUp() override
    {
        Table("", "A", {{"id"}, {"b_id"}});
        Table("", "B", {{"id"}, {"name"}});
    }
};

TEST_F(JoinLinksTest, LinesFollowTheBoxesAndTheJoinIndexes)
{
    TmfVQueryTable* a = Q().AddTable("A", {10, 10}, true);
    TmfVQueryTable* b = Q().AddTable("B", {200, 50}, true);
    EXPECT_EQ(a->ListBox()->BoundsRect(), (ui::TRect{4, 26, 116, 174}));
    EXPECT_EQ(a->Width(), kBoxWidth);
    TmfVQueryJoin* j = Q().AddJoin(F(a, "b_id"), F(b, "id"), "b_id = id");
    ASSERT_NE(j, nullptr);
    EXPECT_EQ(j->Line.p[0], (ui::TPoint{130, 60}));
    EXPECT_EQ(j->Line.p[3], (ui::TPoint{200, 84}));

    b->SetBounds(40, 300, 120, 200);  // moved below: stacked
    EXPECT_EQ(j->Line.p[0], (ui::TPoint{70, 210}));
    EXPECT_EQ(j->Line.p[2], (ui::TPoint{100, 292}));

    TmfVQueryJoin* k = Q().AddJoin(F(a, "id"), F(b, "name"), "id = name");
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(k->Line.p[0], (ui::TPoint{80, 210}));
    Q().RemoveJoin(j);  // the second join is the first now and moves back
    EXPECT_EQ(k->Line.p[0], (ui::TPoint{70, 210}));

    a->ListBox()->SetTopIndex(1);  // "id" scrolled out above
    b->SetBounds(200, 10, 120, 200);
    EXPECT_EQ(k->Line.p[0], (ui::TPoint{130, 10 + 26 - 14 + 8}));
    EXPECT_EQ(Q().ScrollRange(), (ui::TPoint{320, 210}));
}

TEST_F(JoinLinksTest, SelectingAJoinDeselectsTheOthers)
{
    TmfVQueryTable* a = Q().AddTable("A", {10, 10}, true);
    TmfVQueryTable* b = Q().AddTable("B", {200, 50}, true);
    TmfVQueryJoin* j = Q().AddJoin(F(a, "b_id"), F(b, "id"), "");
    TmfVQueryJoin* k = Q().AddJoin(F(a, "id"), F(b, "name"), "");
    Q().SelectJoin(j);
    EXPECT_TRUE(j->Selected);
    Q().SelectJoin(k);
    EXPECT_FALSE(j->Selected);
    EXPECT_TRUE(k->Selected);
    EXPECT_EQ(Q().SelectedJoin(), k);
    Q().RemoveJoin(k);
    EXPECT_EQ(Q().SelectedJoin(), nullptr);
}

TEST_F(JoinLinksTest, SelectingABoxFiresOnVTableSelectAndDeselectingClearsTheRow)
{
    TmfVQueryTable* a = Q().AddTable("A", {10, 10}, true);
    std::vector<classes::TObject*> selected;
    Q().OnVTableSelect = [&](classes::TObject* sender) { selected.push_back(sender); };
    a->ListBox()->SetItemIndex(1);
    a->SetSelected(true);
    a->SetSelected(true);
    EXPECT_EQ(selected, (std::vector<classes::TObject*>{a}));
    EXPECT_EQ(a->ListBox()->ItemIndex(), 1);
    a->SetSelected(false);
    EXPECT_EQ(a->ListBox()->ItemIndex(), -1);
}

}  // namespace
