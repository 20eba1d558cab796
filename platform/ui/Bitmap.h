#pragma once
// Off-screen bitmaps: 32-bit pixels (0xAARRGGBB, rows top to bottom, the alpha byte 0xFF)
// with direct access and a canvas that draws into them. The canvas's device comes from the
// window system; without one the bitmap's canvas records its calls (TRecordingDevice), and
// only SetPixel and the pixel access change the pixels. An empty bitmap's canvas draws
// nothing but measures text with the window system's fonts.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Canvas.h"
#include "platform/ui/Graphics.h"

namespace ui {

class TBitmap : public TGraphicsObject {
    GW_CLASS(TBitmap)

public:
    TBitmap();
    TBitmap(int width, int height);
    ~TBitmap() override;
    void Assign(const classes::TPersistent& source) override;

    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    bool Empty() const noexcept { return width_ <= 0 || height_ <= 0; }
    // Resizes keeping the pixels of the common top-left area; new pixels are white.
    void SetSize(int width, int height);
    void SetWidth(int width) { SetSize(width, height_); }
    void SetHeight(int height) { SetSize(width_, height); }

    // Draws into the pixels (valid until the size changes; the canvas object itself stays).
    TCanvas* Canvas();

    // Row y's pixels (Width of them); nullptr when y is outside.
    std::uint32_t* ScanLine(int y);
    const std::uint32_t* ScanLine(int y) const;
    std::vector<std::uint32_t>& Pixels() noexcept { return pixels_; }
    const std::vector<std::uint32_t>& Pixels() const noexcept { return pixels_; }
    // As colours; clNone outside.
    rtl::TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, rtl::TColor color);
    // Fills the whole bitmap with one colour.
    void Fill(rtl::TColor color);

    // Drawn leaving out pixels of TransparentColor (clNone: the bottom-left pixel's colour).
    bool Transparent() const noexcept { return transparent_; }
    void SetTransparent(bool v) { transparent_ = v; }
    rtl::TColor TransparentColor() const noexcept { return transparentColor_; }
    void SetTransparentColor(rtl::TColor c) { transparentColor_ = c; }
    // The colour left out when drawing transparently.
    rtl::TColor EffectiveTransparentColor() const;

    void LoadFromPicture(const TPicture& picture);

private:
    void DropDevice();

    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> pixels_;
    bool transparent_ = false;
    rtl::TColor transparentColor_ = rtl::clNone;
    std::unique_ptr<ICanvasDevice> device_;
    std::unique_ptr<TCanvas> canvas_;
};

// The part `box` of a bitmap (the whole of it by default) as a BMP file: 32 bits a pixel,
// uncompressed, rows bottom to top, the form a picture or a stored glyph reads back with the
// same pixels. `box` is clipped to the bitmap.
std::string EncodeBmp(const TBitmap& bitmap);
std::string EncodeBmp(const TBitmap& bitmap, const TRect& box);

// 0xAARRGGBB pixels and colours.
constexpr std::uint32_t PixelOfColor(rtl::TColor rgb)
{
    return 0xFF000000u | ((static_cast<std::uint32_t>(rgb) & 0xFF) << 16) | (static_cast<std::uint32_t>(rgb) & 0xFF00) |
           ((static_cast<std::uint32_t>(rgb) >> 16) & 0xFF);
}
constexpr rtl::TColor ColorOfPixel(std::uint32_t pixel)
{
    return static_cast<rtl::TColor>(((pixel >> 16) & 0xFF) | (pixel & 0xFF00) | ((pixel & 0xFF) << 16));
}

}  // namespace ui
