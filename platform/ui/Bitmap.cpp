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

}  // namespace ui
