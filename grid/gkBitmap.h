#pragma once
// TgkBitmap: a 24-bit picture kept as raw bytes so that image effects work on them directly.
// The grid's paint options tint their background copies through it.
//
// Promises:
// - Pixels are blue, green, red bytes; a row takes Stride() = 3*Width + Width mod 4 bytes (a
//   multiple of four), rows top to bottom, reached through a row table (ScanLine). The size
//   is Stride() * Height bytes. A new image is white.
// - NewImage with a zero side (or a negative one) leaves the image empty; SetSize keeps the
//   pixels when the size is unchanged, else gives a white image; Resize keeps them, scaled.
// - Each effect is the documented byte arithmetic, in place unless it says otherwise; clamp
//   limits to 0..255 and "div" truncates toward zero. Effects on an empty image do nothing.
// - Drawing: a rectangle of the image's own size copies the pixels (leaving out the key
//   colour when Transparent); any other size resamples, bilinearly with Smooth, else by
//   nearest neighbour. An empty or inverted rectangle draws nothing. The key colour is
//   TransparentColor, or the top-left pixel's colour when that is clNone.
// - Screens count as 24 bits: the palette operations do nothing.
// - Streams hold BMP files: reading goes through the layer's picture reader (a stream that is
//   no BMP raises the picture error and leaves the bitmap as it was); writing is always a
//   24-bit BMP of the image's own rows. PixelFormat and the colour table are kept as values.
// - Changed() (not while updating) fires OnChange, then tells each listener in turn.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <vector>

#include "platform/rtl/Colors.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/Types.h"

namespace ui {
class TCanvas;
}

namespace grid {

enum TgkPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

class TgkBitmap;

// Told after every change of a bitmap it listens to.
class IgkBitmapListener {
public:
    virtual ~IgkBitmapListener() = default;
    virtual void BitmapChanged(TgkBitmap& bitmap) = 0;
};

class TgkBitmap : public ui::TGraphicsObject {
    GW_CLASS(TgkBitmap)

public:
    // Random(n): a number in 0..n-1 (0 when n <= 0).
    using TRandom = std::function<int(int)>;

    TgkBitmap();
    ~TgkBitmap() override;
    TgkBitmap(const TgkBitmap&) = delete;
    TgkBitmap& operator=(const TgkBitmap&) = delete;

    // A ui::TBitmap (empty: the image freed), a ui::TPicture, or another TgkBitmap.
    void Assign(const classes::TPersistent& source) override;
    // Into a ui::TBitmap (with Transparent and TransparentColor) or another TgkBitmap.
    void AssignTo(classes::TPersistent& dest) const override;

    bool Smooth = false;
    rtl::TColor TransparentColor = rtl::clNone;
    bool Transparent = false;
    TgkPixelFormat PixelFormat = pf24bit;
    std::array<std::uint32_t, 256> ColorTable{};

    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    bool Empty() const noexcept { return bits_.empty(); }
    int Stride() const noexcept { return stride_; }
    int ImageSize() const noexcept { return stride_ * height_; }
    // Row y's first byte; nullptr outside the image.
    std::uint8_t* ScanLine(int y) noexcept;
    const std::uint8_t* ScanLine(int y) const noexcept;
    // A pixel as RGB; clNone outside.
    rtl::TColor Pixel(int x, int y) const noexcept;
    void SetPixel(int x, int y, rtl::TColor color) noexcept;

    // ---- Creation and storage ----------------------------------------------------------
    void NewImage(int width, int height);
    void SetSize(int width, int height);
    void SetWidth(int width) { SetSize(width, height_); }
    void SetHeight(int height) { SetSize(width_, height); }
    void Resize(int width, int height);
    void FreeImage();
    void Clear() { FreeImage(); }
    void LoadFromBitmap(const ui::TBitmap& bitmap);
    // The part `r` of `bitmap` (clipped to it).
    void LoadFromBitmap(const ui::TBitmap& bitmap, const ui::TRect& r);
    void LoadFromPicture(const ui::TPicture& picture);
    // Bits in this class's own row layout for a width x height image; `size` bytes of them.
    void LoadFromBits(const std::uint8_t* bits, std::size_t size, int width, int height);
    void SaveToBitmap(ui::TBitmap& bitmap) const;
    void LoadFromStream(std::istream& stream);
    void SaveToStream(std::ostream& stream) const;
    // Parks the pixels in plain memory and frees the image; Unstash rebuilds it.
    void Stash();
    void Unstash();
    void FreeStash();
    bool Stashed() const noexcept { return !stash_.empty(); }

    // ---- Change notification -----------------------------------------------------------
    void Changed();
    void AddListener(IgkBitmapListener* listener);
    void RemoveListener(IgkBitmapListener* listener);
    bool Updating = false;

    // ---- Palettes (24-bit screens: nothing to do) --------------------------------------
    void SelectDrawPalette() {}
    void RestorePalette() {}

    // ---- Drawing --------------------------------------------------------------------------
    void Draw(ui::TCanvas& canvas, const ui::TRect& r) const;
    void DrawStretched(ui::TCanvas& canvas, const ui::TRect& r) const;
    void DrawSmooth(ui::TCanvas& canvas, const ui::TRect& r) const;
    void DrawTiled(ui::TCanvas& canvas, const ui::TRect& r) const;
    void DrawTransparent(ui::TCanvas& canvas, const ui::TRect& r) const;
    // The image resampled to width x height into `dest` (nothing for an empty size):
    // nearest neighbour, or bilinear in 15-bit fixed point.
    void StretchInto(TgkBitmap& dest, int width, int height) const;
    void SmoothInto(TgkBitmap& dest, int width, int height) const;
    // The colour transparent drawing leaves out.
    rtl::TColor KeyColor() const noexcept;

    // ---- Effects ---------------------------------------------------------------------------
    void TintColor(int r, int g, int b);
    void TintColor(rtl::TColor color);
    void ShiftColor(int r, int g, int b);
    void Lightness(int amount);
    void Contrast(int amount);
    void Saturation(int amount);
    void GrayScale();
    void Invert();
    void Blur(int amount);
    void Smoothen(int amount);
    void Sharpen(int amount);
    void Emboss();
    void Spray(int amount, const TRandom& random);
    void Flip(bool horizontal);
    void MakeMask(rtl::TColor key);
    void ReplaceColor(rtl::TColor newColor, rtl::TColor oldColor);
    // `centre` coordinates below 0 stand for Width div 2 / Height div 2.
    void Rotate(double angle, ui::TPoint centre);
    void Wave(bool wrap, int amplitude, int periodX, int periodY);

private:
    void InitImage(int width, int height);
    // Applies one 256-entry table per channel (blue, green, red).
    void ApplyTables(const std::array<std::uint8_t, 256>& blue, const std::array<std::uint8_t, 256>& green,
                     const std::array<std::uint8_t, 256>& red);
    void CopyPixelsFrom(const TgkBitmap& source);
    // The pixels as 0xAARRGGBB in a layer bitmap.
    void ToLayerBitmap(ui::TBitmap& out) const;

    int width_ = 0;
    int height_ = 0;
    int stride_ = 0;
    std::vector<std::uint8_t> bits_;
    std::vector<std::uint8_t*> rows_;
    std::vector<std::uint8_t> stash_;
    int stashWidth_ = 0;
    int stashHeight_ = 0;
    std::vector<IgkBitmapListener*> listeners_;
};

// Tints every pixel of `bitmap` that is not `transparent` (all of them for clNone) with
// `color`, through TgkBitmap::TintColor.
void TintColor(ui::TBitmap& bitmap, rtl::TColor color, rtl::TColor transparent = rtl::clNone);

}  // namespace grid
