#include "platform/ui/Bitmap.h"

#include <algorithm>

#include "platform/ui/Backend.h"

namespace ui {

GW_IMPLEMENT_CLASS(TBitmap, TGraphicsObject) {}

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height) { SetSize(width, height); }

TBitmap::~TBitmap()
{
    // The canvas may still point at the device.
    if (canvas_) canvas_->SetDevice(nullptr);
}

void TBitmap::Assign(const classes::TPersistent& source)
{
    if (const auto* other = dynamic_cast<const TBitmap*>(&source)) {
        DropDevice();
        width_ = other->width_;
        height_ = other->height_;
        pixels_ = other->pixels_;
        transparent_ = other->transparent_;
        transparentColor_ = other->transparentColor_;
        Changed();
        return;
    }
    if (const auto* picture = dynamic_cast<const TPicture*>(&source)) {
        LoadFromPicture(*picture);
        return;
    }
    TGraphicsObject::Assign(source);
}

void TBitmap::DropDevice()
{
    if (canvas_) canvas_->SetDevice(nullptr);
    device_.reset();
}

void TBitmap::SetSize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == width_ && height == height_) return;
    DropDevice();
    std::vector<std::uint32_t> fresh(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0xFFFFFFFFu);
    const int w = std::min(width, width_), h = std::min(height, height_);
    for (int y = 0; y < h; ++y)
        std::copy_n(pixels_.begin() + static_cast<std::ptrdiff_t>(y) * width_, w,
                    fresh.begin() + static_cast<std::ptrdiff_t>(y) * width);
    pixels_ = std::move(fresh);
    width_ = width;
    height_ = height;
    Changed();
}

namespace {

// An empty bitmap under a window system draws nothing, yet text measured on its canvas must
// come out as the window system's fonts do: a grid lays itself out before its first paint
// sizes its drawing bitmap, and a fixed measure there laid out rows and columns that the
// next layout changed.
class TEmptyBitmapDevice final : public TRecordingDevice {
public:
    IFontMeasure& Measure(const classes::TFont& font) override { return MeasureFont(font); }
};

}  // namespace

TCanvas* TBitmap::Canvas()
{
    if (!canvas_) canvas_ = std::make_unique<TCanvas>();
    if (!device_) {
        if (IWindowSystem* ws = WindowSystem()) {
            device_ = ws->CreateBitmapDevice(*this);
            if (!device_) device_ = std::make_unique<TEmptyBitmapDevice>();
        }
        if (!device_) device_ = std::make_unique<TRecordingDevice>();
        canvas_->SetDevice(device_.get());
    }
    canvas_->SetBounds({0, 0, width_, height_});
    return canvas_.get();
}

std::uint32_t* TBitmap::ScanLine(int y)
{
    if (y < 0 || y >= height_) return nullptr;
    return pixels_.data() + static_cast<std::ptrdiff_t>(y) * width_;
}

const std::uint32_t* TBitmap::ScanLine(int y) const
{
    if (y < 0 || y >= height_) return nullptr;
    return pixels_.data() + static_cast<std::ptrdiff_t>(y) * width_;
}

rtl::TColor TBitmap::Pixel(int x, int y) const
{
    if (x < 0 || x >= width_ || y < 0 || y >= height_) return rtl::clNone;
    return ColorOfPixel(pixels_[static_cast<std::size_t>(y) * width_ + x]);
}

void TBitmap::SetPixel(int x, int y, rtl::TColor color)
{
    if (x < 0 || x >= width_ || y < 0 || y >= height_) return;
    pixels_[static_cast<std::size_t>(y) * width_ + x] = PixelOfColor(rtl::ColorToRGB(color));
}

void TBitmap::Fill(rtl::TColor color) { std::fill(pixels_.begin(), pixels_.end(), PixelOfColor(rtl::ColorToRGB(color))); }

rtl::TColor TBitmap::EffectiveTransparentColor() const
{
    if (transparentColor_ != rtl::clNone) return rtl::ColorToRGB(transparentColor_);
    return Pixel(0, height_ - 1);
}

void TBitmap::LoadFromPicture(const TPicture& picture)
{
    DropDevice();
    width_ = picture.Width();
    height_ = picture.Height();
    pixels_ = picture.Pixels();
    for (std::uint32_t& p : pixels_) p |= 0xFF000000u;
    Changed();
}

namespace {

template <class T>
void PutLE(std::string& out, T value)
{
    for (std::size_t i = 0; i < sizeof(T); ++i) out += static_cast<char>((static_cast<std::uint64_t>(value) >> (8 * i)) & 0xFF);
}

}  // namespace

std::string EncodeBmp(const TBitmap& bitmap) { return EncodeBmp(bitmap, {0, 0, bitmap.Width(), bitmap.Height()}); }

std::string EncodeBmp(const TBitmap& bitmap, const TRect& box)
{
    const int left = std::clamp(box.Left, 0, bitmap.Width()), right = std::clamp(box.Right, left, bitmap.Width());
    const int top = std::clamp(box.Top, 0, bitmap.Height()), bottom = std::clamp(box.Bottom, top, bitmap.Height());
    const auto width = static_cast<std::uint32_t>(right - left);
    const auto height = static_cast<std::uint32_t>(bottom - top);
    constexpr std::uint32_t kHeaders = 14 + 40;
    const std::uint32_t imageSize = width * height * 4;
    std::string out;
    out.reserve(kHeaders + imageSize);
    out += "BM";
    PutLE<std::uint32_t>(out, kHeaders + imageSize);
    PutLE<std::uint32_t>(out, 0);
    PutLE<std::uint32_t>(out, kHeaders);
    PutLE<std::uint32_t>(out, 40);
    PutLE<std::int32_t>(out, static_cast<std::int32_t>(width));
    PutLE<std::int32_t>(out, static_cast<std::int32_t>(height));
    PutLE<std::uint16_t>(out, 1);   // planes
    PutLE<std::uint16_t>(out, 32);  // bits a pixel
    PutLE<std::uint32_t>(out, 0);   // uncompressed
    PutLE<std::uint32_t>(out, imageSize);
    PutLE<std::int32_t>(out, 2835);  // 72 dots an inch
    PutLE<std::int32_t>(out, 2835);
    PutLE<std::uint32_t>(out, 0);
    PutLE<std::uint32_t>(out, 0);
    // A pixel 0xAARRGGBB written little-endian is the file's blue, green, red, alpha order.
    for (int y = bottom; y-- > top;) {
        const std::uint32_t* row = bitmap.ScanLine(y);
        for (int x = left; x < right; ++x) PutLE<std::uint32_t>(out, row[x]);
    }
    return out;
}

}  // namespace ui
