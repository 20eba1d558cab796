// The grid's paint cycle by pixels, offscreen through the Qt backend: the SQLite sample's
// orders through the real ADO query painted into an image, then with an alternating-row
// colour and with a tinted background picture.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include <memory>
#include <string>

#include "grid/DBGrid.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"
#include "platform/rtl/Files.h"
#include "platform/ui/Forms.h"
#include "platform/ui/qt/QtUi.h"

namespace {

using namespace grid;

class GridPaintPixels : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ui::qt::Install(); }

    void SetUp() override
    {
        ui::Application().Reset();
        const std::string file = std::string(GW_BINARY_DIR) + "/share/Data/DBSamples/Sample1.db";
        ASSERT_TRUE(rtl::FileExists(file)) << "the build makes " << file;
        conn.SetLoginPrompt(false);
        conn.SetConnectionString(db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + file));
        conn.Open();
        query.SetConnection(&conn);
        query.SQL()->SetText("SELECT order_id, customer_id, order_date, status FROM orders ORDER BY order_id");
        source.SetDataSet(&query);
        form = std::make_unique<ui::TForm>(nullptr);
        form->SetBounds(0, 0, 520, 320);
        grid = new TgkCustomDBGrid(form.get());
        grid->SetParent(form.get());
        grid->SetBounds(0, 0, 500, 300);
        grid->SetDataSource(&source);
        form->Show();
        query.Open();
        query.MoveBy(1);  // the second order is current
    }

    void TearDown() override
    {
        form.reset();
        query.Close();
    }

    // Paints the whole client area into an image of its size.
    void Paint()
    {
        image = std::make_unique<ui::TBitmap>(grid->ClientWidth(), grid->ClientHeight());
        grid->PaintTo(*image->Canvas());
    }

    // A point inside a cell's background, away from its text (the right end, one pixel up
    // from the bottom, for left-aligned texts; the left end for numbers).
    rtl::TColor Background(int col, int row, bool left = false)
    {
        const ui::TRect r = grid->CellRect(col, row);
        return image->Pixel(left ? r.Left + 2 : r.Right - 3, r.Bottom - 2);
    }

    db::TADOConnection conn{nullptr};
    db::TADOQuery query{nullptr};
    db::TDataSource source{nullptr};
    std::unique_ptr<ui::TForm> form;
    TgkCustomDBGrid* grid = nullptr;
    std::unique_ptr<ui::TBitmap> image;
};

TEST_F(GridPaintPixels, TitlesIndicatorLinesAndTheCurrentCell)
{
    Paint();
    ASSERT_EQ(grid->Row(), 2);
    EXPECT_EQ(Background(4, 0), rtl::ColorToRGB(rtl::clBtnFace));  // title row
    // The indicator arrow on the current row only.
    const auto blackIn = [&](const ui::TRect& r) {
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left + 1; x < r.Right; ++x)
                if (image->Pixel(x, y) == rtl::clBlack) return true;
        return false;
    };
    EXPECT_TRUE(blackIn(grid->CellRect(0, 2)));
    EXPECT_FALSE(blackIn(grid->CellRect(0, 1)));
    EXPECT_FALSE(blackIn(grid->CellRect(0, 3)));
    // Single silver lines between the data cells of a white grid.
    const ui::TRect cell = grid->CellRect(2, 4);
    EXPECT_EQ(image->Pixel(cell.Right, cell.Top + 4), rtl::clSilver);
    EXPECT_EQ(image->Pixel(cell.Left + 4, cell.Bottom), rtl::clSilver);
    EXPECT_EQ(Background(4, 4), rtl::clWhite);
    // The current cell highlighted.
    EXPECT_EQ(Background(1, 2, true), rtl::ColorToRGB(rtl::clHighlight));
}

TEST_F(GridPaintPixels, AlternatingRowsAndATintedBackgroundPicture)
{
    grid->PaintOptions()->SetAlternatingRowColor(rtl::clYellow);
    Paint();
    const rtl::TColor row3 = Background(4, 3), row4 = Background(4, 4);
    EXPECT_NE(row3, row4);
    EXPECT_TRUE((row3 == rtl::clYellow) != (row4 == rtl::clYellow)) << std::hex << row3 << " " << row4;
    EXPECT_TRUE(row3 == rtl::clWhite || row4 == rtl::clWhite);

    // A green picture laid under the data cells; the title row gets its own tinted copy.
    QImage green(8, 8, QImage::Format_RGB32);
    green.fill(QColor(0, 160, 0));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(green.save(&buffer, "PNG"));
    ui::TPicture picture;
    picture.LoadFromBytes(std::string_view(png.constData(), static_cast<std::size_t>(png.size())));
    TgkGridPaintOptions& po = *grid->PaintOptions();
    po.SetAlternatingRowColor(rtl::clNone);
    po.SetBackgroundBitmap(picture);
    po.SetBackgroundOptions({coFillDataCells, coBlendFixedRow});
    Paint();
    EXPECT_TRUE(po.FillsDataCells());
    EXPECT_EQ(Background(4, 4), rtl::RGB(0, 160, 0));
    const rtl::TColor title = Background(4, 0);
    EXPECT_NE(title, rtl::RGB(0, 160, 0));
    EXPECT_NE(title, rtl::ColorToRGB(rtl::clBtnFace));
}

}  // namespace
