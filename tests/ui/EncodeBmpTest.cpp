// A bitmap, or a part of it, written as a BMP file: the header's size and the rows bottom to
// top, each pixel in the file's blue, green, red, alpha order; a box reaching outside the
// bitmap is clipped to it.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/ui/Bitmap.h"

namespace {

std::uint32_t Le32(const std::string& s, std::size_t at)
{
    std::uint32_t v = 0;
    for (int k = 3; k >= 0; --k) v = (v << 8) | static_cast<unsigned char>(s[at + static_cast<std::size_t>(k)]);
    return v;
}

TEST(EncodeBmp, WritesTheBoxBottomRowFirstAndClipsIt)
{
    ui::TBitmap bitmap(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) bitmap.ScanLine(y)[x] = 0xFF000000u | static_cast<std::uint32_t>(y * 16 + x);

    struct Case {
        ui::TRect box;
        std::uint32_t width, height;
        std::vector<std::uint32_t> pixels;  // in file order
    };
    const Case cases[] = {
        {{0, 0, 3, 2}, 3, 2, {0xFF000010, 0xFF000011, 0xFF000012, 0xFF000000, 0xFF000001, 0xFF000002}},
        {{1, 0, 3, 1}, 2, 1, {0xFF000001, 0xFF000002}},
        {{2, 1, 9, 9}, 1, 1, {0xFF000012}},
        {{-4, -4, 1, 1}, 1, 1, {0xFF000000}},
        {{5, 5, 9, 9}, 0, 0, {}},
    };
    for (const Case& c : cases) {
        const std::string bmp = ui::EncodeBmp(bitmap, c.box);
        ASSERT_GE(bmp.size(), 54u);
        EXPECT_EQ(bmp.substr(0, 2), "BM");
        EXPECT_EQ(Le32(bmp, 2), bmp.size());
        EXPECT_EQ(Le32(bmp, 18), c.width);
        EXPECT_EQ(Le32(bmp, 22), c.height);
        ASSERT_EQ(bmp.size(), 54 + 4 * c.pixels.size()) << c.box.Left << "," << c.box.Top;
        for (std::size_t i = 0; i < c.pixels.size(); ++i) EXPECT_EQ(Le32(bmp, 54 + 4 * i), c.pixels[i]);
    }
    EXPECT_EQ(ui::EncodeBmp(bitmap), ui::EncodeBmp(bitmap, {0, 0, 3, 2}));
}

}  // namespace
