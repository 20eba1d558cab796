#pragma once
// Graphic objects that controls own and publish: pen, brush and picture (the font is
// classes::TFont). Each tells its owner when it changes (OnChange), so a control can refresh
// its window.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/classes/Font.h"
#include "platform/classes/Persistent.h"
#include "platform/rtl/Colors.h"
#include "platform/rtl/Exceptions.h"

namespace ui {

// A graphic object whose changes are reported to the owner.
class TGraphicsObject : public classes::TPersistent {
    GW_CLASS(TGraphicsObject)

public:
    std::function<void()> OnChange;

protected:
    void Changed()
    {
        if (OnChange) OnChange();
    }
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
// How the pen's colour meets what is already drawn (pmNot inverts, pmXor exclusive-ors).
enum TPenMode {
    pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot, pmMergeNotPen,
    pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};

class TPen : public TGraphicsObject {
    GW_CLASS(TPen)

public:
    TPen() = default;
    void Assign(const classes::TPersistent& source) override;

    rtl::TColor Color() const noexcept { return color_; }
    void SetColor(rtl::TColor color);
    int Width() const noexcept { return width_; }
    void SetWidth(int width);
    TPenStyle Style() const noexcept { return style_; }
    void SetStyle(TPenStyle style);
    TPenMode Mode() const noexcept { return mode_; }
    void SetMode(TPenMode mode);

private:
    rtl::TColor color_ = rtl::clBlack;
    int width_ = 1;
    TPenStyle style_ = psSolid;
    TPenMode mode_ = pmCopy;
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush : public TGraphicsObject {
    GW_CLASS(TBrush)

public:
    TBrush() = default;
    void Assign(const classes::TPersistent& source) override;

    rtl::TColor Color() const noexcept { return color_; }
    void SetColor(rtl::TColor color);
    TBrushStyle Style() const noexcept { return style_; }
    void SetStyle(TBrushStyle style);

private:
    rtl::TColor color_ = rtl::clWhite;
    TBrushStyle style_ = bsSolid;
};

// A picture file that cannot be decoded.
class EInvalidGraphic : public rtl::Exception {
    using Exception::Exception;
};

enum class TPictureFormat { None, Jpeg, Png, Bmp };

// The most pixels a picture may have: an 8K screen's worth (7680 x 4320 fits), 128 MB decoded.
inline constexpr std::int64_t kMaxPicturePixels = std::int64_t{1} << 25;
// The longest picture file read: such a picture stored without compression at 8 bytes a pixel.
inline constexpr std::size_t kMaxPictureFileBytes = static_cast<std::size_t>(kMaxPicturePixels) * 8;

// A picture: decoded pixels (32-bit 0xAARRGGBB, row by row) plus the file bytes it came from,
// which are what a form description stores. JPEG goes through libjpeg-turbo; PNG and BMP
// through the image reader of the toolkit.
class TPicture : public TGraphicsObject {
    GW_CLASS(TPicture)

public:
    TPicture() = default;
    void Assign(const classes::TPersistent& source) override;
    void DefineProperties(classes::TFiler& filer) override;

    // Reads a picture file; the kind is taken from its first bytes, not its name.
    // EFOpenError when the file cannot be opened, EInOutError when it cannot be read or holds
    // more than kMaxPictureFileBytes (a device is read no further), EInvalidGraphic when it is
    // no picture this layer reads; the picture is then unchanged. A header is read before
    // anything is allocated for its pixels: a size above kMaxPicturePixels raises
    // EInvalidGraphic naming it, and so does a size the file cannot hold (uncompressed BMP
    // rows, PNG rows beyond what deflate can store in the file); a JPEG's pixels grow with the
    // rows its data holds.
    void LoadFromFile(const std::string& path);
    void LoadFromBytes(std::string_view bytes);
    void Clear();

    bool Empty() const noexcept { return width_ == 0 || height_ == 0; }
    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    TPictureFormat Format() const noexcept { return format_; }
    const std::vector<std::uint32_t>& Pixels() const noexcept { return pixels_; }
    std::uint32_t Pixel(int x, int y) const;
    const std::string& Bytes() const noexcept { return bytes_; }

private:
    int width_ = 0;
    int height_ = 0;
    TPictureFormat format_ = TPictureFormat::None;
    std::vector<std::uint32_t> pixels_;
    std::string bytes_;
};

// JPEG through libjpeg-turbo. DecodeJpeg raises EInvalidGraphic for data it cannot decode, for
// a size above kMaxPicturePixels (naming it) before any pixel is allocated, and for data that
// ends before the last row.
void DecodeJpeg(std::string_view bytes, int& width, int& height, std::vector<std::uint32_t>& pixels);
// Encodes 0xAARRGGBB pixels (alpha ignored) at `quality` 1..100.
std::string EncodeJpeg(int width, int height, const std::vector<std::uint32_t>& pixels, int quality = 90);

// The picture format recognised from the first bytes of a file.
TPictureFormat SniffPictureFormat(std::string_view bytes);

}  // namespace ui
