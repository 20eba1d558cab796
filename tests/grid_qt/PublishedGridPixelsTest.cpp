// The published grid's sizing line for fixed columns, by pixels, offscreen through the Qt
// backend over the SQLite sample's orders: drawn once it shows, drawn twice at one place the
// picture is as it was.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "grid/PublishedDBGrid.h"
#include "platform/ui/Forms.h"
#include "platform/ui/qt/QtUi.h"
#include "tests/grid/SampleQuery.h"

namespace {

using namespace grid;

TEST(PublishedGridPixels, TheSizingLineDrawnTwiceLeavesThePixels)
{
    ui::qt::Install();
    ui::Application().Reset();
    gridtest::TSampleQuery sample("SELECT * FROM orders");
    db::TADOQuery& query = sample.query;
    db::TDataSource& source = sample.source;
    auto form = std::make_unique<ui::TForm>(nullptr);
    form->SetBounds(0, 0, 520, 320);
    auto* grid = new TgkDBGrid(form.get());
    grid->SetParent(form.get());
    grid->SetBounds(0, 0, 500, 300);
    grid->SetOptions(grid->Options() | TgkDBGridOptions{dgFixedResizable});
    grid->SetDataSource(&source);
    form->Show();
    query.Open();
    grid->SetGkFixedCols(1);
    ASSERT_EQ(grid->FixedCols(), 2);

    ui::TBitmap image(grid->ClientWidth(), grid->ClientHeight());
    grid->PaintTo(*image.Canvas());
    ui::TBitmap before(image.Width(), image.Height());
    before.Canvas()->Draw(0, 0, image);
    const auto differing = [&] {
        int n = 0;
        for (int y = 0; y < image.Height(); ++y)
            for (int x = 0; x < image.Width(); ++x)
                if (image.Pixel(x, y) != before.Pixel(x, y)) ++n;
        return n;
    };
    const int pos = grid->CellRect(1, 0).Right + 20;
    ui::TCanvas& canvas = *image.Canvas();
    canvas.Pen()->SetColor(rtl::clRed);
    canvas.MoveTo(3, 4);
    grid->DrawFixedSizingLine(canvas, pos);
    // The canvas is left as it was found: the next drawing on it is not an XOR dotted line.
    EXPECT_EQ(canvas.Pen()->Color(), rtl::clRed);
    EXPECT_EQ(canvas.Pen()->Mode(), ui::pmCopy);
    EXPECT_EQ(canvas.Pen()->Style(), ui::psSolid);
    EXPECT_EQ(canvas.PenPos(), (ui::TPoint{3, 4}));
    const int changed = differing();
    EXPECT_GT(changed, image.Height() / 4);  // a dotted line over the grid's height
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            if (x != pos && image.Pixel(x, y) != before.Pixel(x, y)) ADD_FAILURE() << "off the line at " << x << "," << y;
    grid->DrawFixedSizingLine(*image.Canvas(), pos);
    EXPECT_EQ(differing(), 0);
    form.reset();
    query.Close();
}

}  // namespace
