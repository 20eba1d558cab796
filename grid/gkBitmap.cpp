#include "grid/gkBitmap.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <istream>
#include <iterator>
#include <numbers>
#include <ostream>
#include <string>

#include "platform/ui/Canvas.h"

namespace grid {

namespace {

std::uint8_t Clamp(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

// round(k / 2) with halves to even.
int HalfToEven(int k)
{
    int h = k / 2;
    if ((k & 1) != 0 && (h & 1) != 0) ++h;
    return h;
}

int RowStride(int width) { return 3 * width + width % 4; }

// A coordinate wrapped into 0..n-1 the way the wave effect does it: negative positions count
// back from the far end, positions beyond reduce modulo `beyond` (0: the first position).
int WrapPosition(int p, int n, int beyond)
{
    if (p < 0) return n - 1 - ((-p) % n);
    if (p >= n) return beyond > 0 ? p % beyond : 0;
    return p;
}

void PutLe16(std::string& s, unsigned v)
{
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void PutLe32(std::string& s, std::uint32_t v)
{
    PutLe16(s, v & 0xFFFF);
    PutLe16(s, v >> 16);
}

TgkPixelFormat FormatOfBitCount(unsigned bits)
{
    switch (bits) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 16: return pf16bit;
    case 24: return pf24bit;
    case 32: return pf32bit;
    default: return pfCustom;
    }
}

}  // namespace

GW_IMPLEMENT_CLASS(TgkBitmap, ui::TGraphicsObject) {}

TgkBitmap::TgkBitmap() = default;
TgkBitmap::~TgkBitmap() = default;

std::uint8_t* TgkBitmap::ScanLine(int y) noexcept { return y >= 0 && y < height_ ? rows_[y] : nullptr; }
const std::uint8_t* TgkBitmap::ScanLine(int y) const noexcept { return y >= 0 && y < height_ ? rows_[y] : nullptr; }

rtl::TColor TgkBitmap::Pixel(int x, int y) const noexcept
{
    if (x < 0 || x >= width_ || y < 0 || y >= height_) return rtl::clNone;
    const std::uint8_t* p = rows_[y] + 3 * x;
    return rtl::RGB(p[2], p[1], p[0]);
}

void TgkBitmap::SetPixel(int x, int y, rtl::TColor color) noexcept
{
    if (x < 0 || x >= width_ || y < 0 || y >= height_) return;
    const rtl::TColor rgb = rtl::ColorToRGB(color);
    std::uint8_t* p = rows_[y] + 3 * x;
    p[0] = rtl::GetBValue(rgb);
    p[1] = rtl::GetGValue(rgb);
    p[2] = rtl::GetRValue(rgb);
}

// ---- Creation and storage --------------------------------------------------------------

void TgkBitmap::InitImage(int width, int height)
{
    width_ = width;
    height_ = height;
    stride_ = RowStride(width);
    bits_.assign(static_cast<std::size_t>(stride_) * static_cast<std::size_t>(height), 0);
    rows_.resize(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) rows_[y] = bits_.data() + static_cast<std::size_t>(y) * stride_;
}

void TgkBitmap::NewImage(int width, int height)
{
    FreeImage();
    if (width <= 0 || height <= 0) return;
    InitImage(width, height);
    std::fill(bits_.begin(), bits_.end(), std::uint8_t{0xFF});
    Changed();
}

void TgkBitmap::SetSize(int width, int height)
{
    if (width == width_ && height == height_) return;
    NewImage(width, height);
}

void TgkBitmap::Resize(int width, int height)
{
    if (width == width_ && height == height_) return;
    TgkBitmap copy;
    copy.CopyPixelsFrom(*this);
    TgkBitmap scaled;
    if (Smooth)
        copy.SmoothInto(scaled, width, height);
    else
        copy.StretchInto(scaled, width, height);
    if (scaled.Empty()) {
        NewImage(width, height);
        return;
    }
    CopyPixelsFrom(scaled);
    Changed();
}

void TgkBitmap::FreeImage()
{
    width_ = height_ = stride_ = 0;
    bits_.clear();
    bits_.shrink_to_fit();
    rows_.clear();
}

void TgkBitmap::CopyPixelsFrom(const TgkBitmap& source)
{
    FreeImage();
    if (source.Empty()) return;
    InitImage(source.width_, source.height_);
    bits_ = source.bits_;
    for (int y = 0; y < height_; ++y) rows_[y] = bits_.data() + static_cast<std::size_t>(y) * stride_;
}

void TgkBitmap::LoadFromBitmap(const ui::TBitmap& bitmap)
{
    LoadFromBitmap(bitmap, {0, 0, bitmap.Width(), bitmap.Height()});
}

void TgkBitmap::LoadFromBitmap(const ui::TBitmap& bitmap, const ui::TRect& r)
{
    const int left = std::max(r.Left, 0), top = std::max(r.Top, 0);
    const int right = std::min(r.Right, bitmap.Width()), bottom = std::min(r.Bottom, bitmap.Height());
    FreeImage();
    // The layer's bitmaps hold 32 bits a pixel.
    PixelFormat = pf32bit;
    if (right <= left || bottom <= top) {
        Changed();
        return;
    }
    InitImage(right - left, bottom - top);
    for (int y = 0; y < height_; ++y) {
        const std::uint32_t* src = bitmap.ScanLine(top + y) + left;
        std::uint8_t* dst = rows_[y];
        for (int x = 0; x < width_; ++x, dst += 3) {
            dst[0] = static_cast<std::uint8_t>(src[x] & 0xFF);
            dst[1] = static_cast<std::uint8_t>((src[x] >> 8) & 0xFF);
            dst[2] = static_cast<std::uint8_t>((src[x] >> 16) & 0xFF);
        }
    }
    Changed();
}

void TgkBitmap::LoadFromPicture(const ui::TPicture& picture)
{
    FreeImage();
    if (!picture.Empty()) {
        InitImage(picture.Width(), picture.Height());
        const std::vector<std::uint32_t>& px = picture.Pixels();
        for (int y = 0; y < height_; ++y) {
            std::uint8_t* dst = rows_[y];
            for (int x = 0; x < width_; ++x, dst += 3) {
                const std::uint32_t p = px[static_cast<std::size_t>(y) * width_ + x];
                dst[0] = static_cast<std::uint8_t>(p & 0xFF);
                dst[1] = static_cast<std::uint8_t>((p >> 8) & 0xFF);
                dst[2] = static_cast<std::uint8_t>((p >> 16) & 0xFF);
            }
        }
    }
    Changed();
}

void TgkBitmap::LoadFromBits(const std::uint8_t* bits, std::size_t size, int width, int height)
{
    FreeImage();
    if (width > 0 && height > 0) {
        InitImage(width, height);
        std::memcpy(bits_.data(), bits, std::min(size, bits_.size()));
    }
    Changed();
}

void TgkBitmap::ToLayerBitmap(ui::TBitmap& out) const
{
    out.SetSize(width_, height_);
    for (int y = 0; y < height_; ++y) {
        const std::uint8_t* src = rows_[y];
        std::uint32_t* dst = out.ScanLine(y);
        for (int x = 0; x < width_; ++x, src += 3)
            dst[x] = 0xFF000000u | (std::uint32_t{src[2]} << 16) | (std::uint32_t{src[1]} << 8) | src[0];
    }
}

void TgkBitmap::SaveToBitmap(ui::TBitmap& bitmap) const { ToLayerBitmap(bitmap); }

void TgkBitmap::LoadFromStream(std::istream& stream)
{
    const std::string bytes{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
    if (ui::SniffPictureFormat(bytes) != ui::TPictureFormat::Bmp) throw ui::EInvalidGraphic("Bitmap image is not valid");
    ui::TPicture picture;
    picture.LoadFromBytes(bytes);  // raises for a damaged file; nothing here has changed yet
    const TgkPixelFormat format =
        bytes.size() >= 30 ? FormatOfBitCount(static_cast<unsigned char>(bytes[28]) | (static_cast<unsigned char>(bytes[29]) << 8))
                           : pf24bit;
    LoadFromPicture(picture);
    PixelFormat = format;
}

void TgkBitmap::SaveToStream(std::ostream& stream) const
{
    const std::uint32_t dataSize = static_cast<std::uint32_t>(ImageSize());
    std::string out;
    out.reserve(54 + dataSize);
    out += "BM";
    PutLe32(out, 54 + dataSize);
    PutLe32(out, 0);
    PutLe32(out, 54);
    PutLe32(out, 40);
    PutLe32(out, static_cast<std::uint32_t>(width_));
    PutLe32(out, static_cast<std::uint32_t>(height_));  // bottom-up rows
    PutLe16(out, 1);
    PutLe16(out, 24);
    PutLe32(out, 0);  // no compression
    PutLe32(out, dataSize);
    PutLe32(out, 2835);  // 72 dots an inch
    PutLe32(out, 2835);
    PutLe32(out, 0);
    PutLe32(out, 0);
    for (int y = height_ - 1; y >= 0; --y) out.append(reinterpret_cast<const char*>(rows_[y]), stride_);
    stream.write(out.data(), static_cast<std::streamsize>(out.size()));
}

void TgkBitmap::Stash()
{
    FreeStash();
    if (Empty()) return;
    stash_ = bits_;
    stashWidth_ = width_;
    stashHeight_ = height_;
    FreeImage();
}

void TgkBitmap::Unstash()
{
    if (stash_.empty()) return;
    LoadFromBits(stash_.data(), stash_.size(), stashWidth_, stashHeight_);
    FreeStash();
}

void TgkBitmap::FreeStash()
{
    stash_.clear();
    stash_.shrink_to_fit();
    stashWidth_ = stashHeight_ = 0;
}

void TgkBitmap::Assign(const classes::TPersistent& source)
{
    if (const auto* bitmap = dynamic_cast<const ui::TBitmap*>(&source)) {
        if (bitmap->Empty()) {
            FreeImage();
            Changed();
            return;
        }
        LoadFromBitmap(*bitmap);
        Transparent = bitmap->Transparent();
        return;
    }
    if (const auto* picture = dynamic_cast<const ui::TPicture*>(&source)) {
        LoadFromPicture(*picture);
        return;
    }
    ui::TGraphicsObject::Assign(source);
}

void TgkBitmap::AssignTo(classes::TPersistent& dest) const
{
    if (auto* bitmap = dynamic_cast<ui::TBitmap*>(&dest)) {
        SaveToBitmap(*bitmap);
        bitmap->SetTransparent(Transparent);
        bitmap->SetTransparentColor(TransparentColor);
        return;
    }
    if (auto* other = dynamic_cast<TgkBitmap*>(&dest)) {
        if (Empty()) {
            other->FreeImage();
            other->Changed();
            return;
        }
        other->Updating = true;
        other->CopyPixelsFrom(*this);
        other->Transparent = Transparent;
        other->Smooth = Smooth;
        other->TransparentColor = TransparentColor;
        other->PixelFormat = PixelFormat;
        other->ColorTable = ColorTable;
        other->Updating = false;
        other->Changed();
        return;
    }
    ui::TGraphicsObject::AssignTo(dest);
}

// ---- Change notification ---------------------------------------------------------------

void TgkBitmap::Changed()
{
    if (Updating) return;
    ui::TGraphicsObject::Changed();
    // A listener may remove itself while being told.
    const std::vector<IgkBitmapListener*> listeners = listeners_;
    for (IgkBitmapListener* l : listeners) l->BitmapChanged(*this);
}

void TgkBitmap::AddListener(IgkBitmapListener* listener)
{
    if (listener != nullptr) listeners_.push_back(listener);
}

void TgkBitmap::RemoveListener(IgkBitmapListener* listener)
{
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

// ---- Drawing ---------------------------------------------------------------------------

rtl::TColor TgkBitmap::KeyColor() const noexcept
{
    return TransparentColor != rtl::clNone ? rtl::ColorToRGB(TransparentColor) : Pixel(0, 0);
}

void TgkBitmap::Draw(ui::TCanvas& canvas, const ui::TRect& r) const
{
    if (Empty() || r.Width() <= 0 || r.Height() <= 0) return;
    if (r.Width() == width_ && r.Height() == height_) {
        if (Transparent) {
            DrawTransparent(canvas, r);
            return;
        }
        ui::TBitmap layer;
        ToLayerBitmap(layer);
        canvas.Draw(r.Left, r.Top, layer);
        return;
    }
    if (Smooth)
        DrawSmooth(canvas, r);
    else
        DrawStretched(canvas, r);
}

void TgkBitmap::StretchInto(TgkBitmap& dest, int width, int height) const
{
    dest.FreeImage();
    if (Empty() || width <= 0 || height <= 0) return;
    dest.InitImage(width, height);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* src = rows_[static_cast<std::int64_t>(y) * height_ / height];
        std::uint8_t* dst = dest.rows_[y];
        for (int x = 0; x < width; ++x, dst += 3) std::memcpy(dst, src + 3 * (static_cast<std::int64_t>(x) * width_ / width), 3);
    }
}

void TgkBitmap::SmoothInto(TgkBitmap& dest, int width, int height) const
{
    dest.FreeImage();
    // An empty or inverted destination has nothing to resample into (and no step to divide by).
    if (Empty() || width <= 0 || height <= 0) return;
    if (width == width_ && height == height_) {
        dest.CopyPixelsFrom(*this);
        return;
    }
    dest.InitImage(width, height);
    constexpr int kOne = 1 << 15;
    const std::int64_t stepX = (static_cast<std::int64_t>(width_ - 1) << 15) / width;
    const std::int64_t stepY = (static_cast<std::int64_t>(height_ - 1) << 15) / height;
    for (int y = 0; y < height; ++y) {
        const std::int64_t fy = y * stepY;
        const int sy = static_cast<int>(fy >> 15), sy1 = std::min(sy + 1, height_ - 1);
        const std::int64_t wy = fy & (kOne - 1);
        const std::uint8_t* row0 = rows_[sy];
        const std::uint8_t* row1 = rows_[sy1];
        std::uint8_t* dst = dest.rows_[y];
        for (int x = 0; x < width; ++x, dst += 3) {
            const std::int64_t fx = x * stepX;
            const int sx = static_cast<int>(fx >> 15), sx1 = std::min(sx + 1, width_ - 1);
            const std::int64_t wx = fx & (kOne - 1);
            const std::int64_t w00 = ((kOne - wx) * (kOne - wy)) >> 15, w10 = (wx * (kOne - wy)) >> 15;
            const std::int64_t w01 = ((kOne - wx) * wy) >> 15, w11 = (wx * wy) >> 15;
            for (int c = 0; c < 3; ++c) {
                const std::int64_t v = w00 * row0[3 * sx + c] + w10 * row0[3 * sx1 + c] + w01 * row1[3 * sx + c] +
                                       w11 * row1[3 * sx1 + c];
                dst[c] = Clamp(static_cast<int>(v >> 15));
            }
        }
    }
}

void TgkBitmap::DrawStretched(ui::TCanvas& canvas, const ui::TRect& r) const
{
    TgkBitmap scaled;
    StretchInto(scaled, r.Width(), r.Height());
    if (scaled.Empty()) return;
    scaled.Transparent = Transparent;
    scaled.TransparentColor = KeyColor();
    scaled.Draw(canvas, r);
}

void TgkBitmap::DrawSmooth(ui::TCanvas& canvas, const ui::TRect& r) const
{
    TgkBitmap scaled;
    SmoothInto(scaled, r.Width(), r.Height());
    if (scaled.Empty()) return;
    scaled.Transparent = Transparent;
    scaled.TransparentColor = KeyColor();
    scaled.Draw(canvas, r);
}

void TgkBitmap::DrawTiled(ui::TCanvas& canvas, const ui::TRect& r) const
{
    if (Empty()) return;
    ui::TBitmap layer;
    ToLayerBitmap(layer);
    layer.SetTransparent(Transparent);
    layer.SetTransparentColor(KeyColor());
    for (int y = 0; y < r.Bottom; y += height_)
        for (int x = 0; x < r.Right; x += width_) canvas.Draw(x - r.Left, y - r.Top, layer);
}

void TgkBitmap::DrawTransparent(ui::TCanvas& canvas, const ui::TRect& r) const
{
    if (Empty() || r.Width() <= 0 || r.Height() <= 0) return;
    ui::TBitmap layer;
    ToLayerBitmap(layer);
    layer.SetTransparent(true);
    layer.SetTransparentColor(KeyColor());
    canvas.StretchDraw(r, layer);
}

// ---- Effects -----------------------------------------------------------------------------

void TgkBitmap::ApplyTables(const std::array<std::uint8_t, 256>& blue, const std::array<std::uint8_t, 256>& green,
                            const std::array<std::uint8_t, 256>& red)
{
    for (int y = 0; y < height_; ++y) {
        std::uint8_t* p = rows_[y];
        for (int x = 0; x < width_; ++x, p += 3) {
            p[0] = blue[p[0]];
            p[1] = green[p[1]];
            p[2] = red[p[2]];
        }
    }
    Changed();
}

void TgkBitmap::TintColor(int r, int g, int b)
{
    const int kr = HalfToEven(r), kg = HalfToEven(g), kb = HalfToEven(b);
    const bool keyed = TransparentColor != rtl::clNone;
    const rtl::TColor key = keyed ? rtl::ColorToRGB(TransparentColor) : 0;
    for (int y = 0; y < height_; ++y) {
        std::uint8_t* p = rows_[y];
        for (int x = 0; x < width_; ++x, p += 3) {
            if (keyed && rtl::RGB(p[2], p[1], p[0]) == key) continue;
            p[0] = Clamp(p[0] - 128 + kb);
            p[1] = Clamp(p[1] - 128 + kg);
            p[2] = Clamp(p[2] - 128 + kr);
        }
    }
    Changed();
}

void TgkBitmap::TintColor(rtl::TColor color)
{
    const rtl::TColor rgb = rtl::ColorToRGB(color);
    TintColor(rtl::GetRValue(rgb), rtl::GetGValue(rgb), rtl::GetBValue(rgb));
}

void TgkBitmap::ShiftColor(int r, int g, int b)
{
    std::array<std::uint8_t, 256> tr{}, tg{}, tb{};
    for (int i = 0; i < 256; ++i) {
        tr[i] = Clamp(i + r);
        tg[i] = Clamp(i + g);
        tb[i] = Clamp(i + b);
    }
    ApplyTables(tb, tg, tr);
}

void TgkBitmap::Lightness(int amount)
{
    std::array<std::uint8_t, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[i] = amount < 1 ? Clamp(i - ((std::abs(amount) * i) >> 8)) : Clamp(i + (((255 - i) * amount) >> 8));
    ApplyTables(t, t, t);
}

void TgkBitmap::Contrast(int amount)
{
    std::array<std::uint8_t, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[i] = i <= 126 ? Clamp(i - ((128 - i) * amount) / 256) : Clamp(i + (std::abs(i - 128) * amount) / 256);
    ApplyTables(t, t, t);
}

void TgkBitmap::Saturation(int amount)
{
    std::array<int, 256> m{};
    for (int i = 0; i < 256; ++i) m[i] = (i * amount) >> 8;
    for (int y = 0; y < height_; ++y) {
        std::uint8_t* p = rows_[y];
        for (int x = 0; x < width_; ++x, p += 3) {
            const int grey = static_cast<std::uint8_t>(p[0] / 3 + p[1] / 3 + p[2] / 3);
            for (int c = 0; c < 3; ++c) p[c] = Clamp(grey + m[p[c]] - m[grey]);
        }
    }
    Changed();
}

void TgkBitmap::GrayScale()
{
    for (int y = 0; y < height_; ++y) {
        std::uint8_t* p = rows_[y];
        for (int x = 0; x < width_; ++x, p += 3) p[0] = p[1] = p[2] = static_cast<std::uint8_t>(p[0] / 3 + p[1] / 3 + p[2] / 3);
    }
    Changed();
}

void TgkBitmap::Invert()
{
    for (int y = 0; y < height_; ++y) {
        std::uint8_t* p = rows_[y];
        for (int i = 0; i < 3 * width_; ++i) p[i] = static_cast<std::uint8_t>(255 - p[i]);
    }
    Changed();
}

void TgkBitmap::Blur(int amount)
{
    const auto cx = [this](int x) { return 3 * std::clamp(x, 0, width_ - 1); };
    const auto cy = [this](int y) { return rows_[std::clamp(y, 0, height_ - 1)]; };
    for (int y = 0; y < height_; ++y) {
        const std::uint8_t* down = cy(y + amount);
        const std::uint8_t* up = cy(y - amount);
        std::uint8_t* p = rows_[y];
        for (int x = 0; x < width_; ++x) {
            const int right = cx(x + amount), left = cx(x - amount);
            for (int c = 0; c < 3; ++c)
                p[3 * x + c] = static_cast<std::uint8_t>(
                    (down[right + c] + down[left + c] + up[right + c] + up[left + c]) >> 2);
        }
    }
    Changed();
}

void TgkBitmap::Smoothen(int amount)
{
    for (int a = amount; a >= 1; --a) Blur(a);
}

void TgkBitmap::Sharpen(int amount)
{
    const auto at = [this](int x, int y) {
        return rows_[std::clamp(y, 0, height_ - 1)] + 3 * std::clamp(x, 0, width_ - 1);
    };
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            for (int c = 0; c < 3; ++c) {
                int others = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        if (dx != 0 || dy != 0) others += at(x + dx * amount, y + dy * amount)[c];
                std::uint8_t* centre = at(x, y) + c;
                *centre = Clamp((256 * *centre - 16 * others) / 128);
            }
    Changed();
}

void TgkBitmap::Emboss()
{
    if (Empty()) return;
    // The last row takes its neighbours from a copy of itself, being changed as it is read.
    const std::vector<std::uint8_t> lastRow(rows_[height_ - 1], rows_[height_ - 1] + stride_);
    for (int y = 0; y < height_; ++y) {
        const std::uint8_t* below = y + 1 < height_ ? rows_[y + 1] : lastRow.data();
        std::uint8_t* p = rows_[y];
        for (int x = 0; x < width_; ++x) {
            const int dx = 3 * std::min(x + 1, width_ - 1);
            for (int c = 0; c < 3; ++c) p[3 * x + c] = static_cast<std::uint8_t>(((255 - below[dx + c]) + p[3 * x + c]) >> 1);
        }
    }
    Changed();
}

void TgkBitmap::Spray(int amount, const TRandom& random)
{
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            const int r = random(amount);
            const int sx = std::clamp(x + r - random(2 * r), 0, width_ - 1);
            const int sy = std::clamp(y + r - random(2 * r), 0, height_ - 1);
            std::memmove(rows_[y] + 3 * x, rows_[sy] + 3 * sx, 3);
        }
    Changed();
}

void TgkBitmap::Flip(bool horizontal)
{
    if (Empty()) return;
    if (horizontal) {
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x <= (width_ - 1) / 2; ++x)
                std::swap_ranges(rows_[y] + 3 * x, rows_[y] + 3 * x + 3, rows_[y] + 3 * (width_ - 1 - x));
    } else {
        for (int y = 0; y <= (height_ - 1) / 2; ++y)
            std::swap_ranges(rows_[y], rows_[y] + stride_, rows_[height_ - 1 - y]);
    }
    Changed();
}

void TgkBitmap::MakeMask(rtl::TColor key)
{
    const rtl::TColor rgb = rtl::ColorToRGB(key);
    for (int y = 0; y < height_; ++y) {
        std::uint8_t* p = rows_[y];
        for (int x = 0; x < width_; ++x, p += 3) {
            const std::uint8_t v = rtl::RGB(p[2], p[1], p[0]) == rgb ? 0 : 255;
            p[0] = p[1] = p[2] = v;
        }
    }
    Changed();
}

void TgkBitmap::ReplaceColor(rtl::TColor newColor, rtl::TColor oldColor)
{
    const rtl::TColor from = rtl::ColorToRGB(oldColor), to = rtl::ColorToRGB(newColor);
    for (int y = 0; y < height_; ++y) {
        std::uint8_t* p = rows_[y];
        for (int x = 0; x < width_; ++x, p += 3)
            if (rtl::RGB(p[2], p[1], p[0]) == from) {
                p[0] = rtl::GetBValue(to);
                p[1] = rtl::GetGValue(to);
                p[2] = rtl::GetRValue(to);
            }
    }
    Changed();
}

void TgkBitmap::Rotate(double angle, ui::TPoint centre)
{
    if (Empty()) return;
    const int cx = centre.X < 0 ? width_ / 2 : centre.X;
    const int cy = centre.Y < 0 ? height_ / 2 : centre.Y;
    // Extended precision, so that right angles land on whole pixels as exact arithmetic would.
    const long double a = static_cast<long double>(angle) * std::numbers::pi_v<long double> / 180.0L;
    const long double cosA = std::cos(a), sinA = std::sin(a);
    TgkBitmap result;
    result.InitImage(width_, height_);
    const std::uint8_t* fill = rows_[0];
    for (int y = 0; y < height_; ++y) {
        std::uint8_t* dst = result.rows_[y];
        const int v = 2 * (y - cy) + 1;
        for (int x = 0; x < width_; ++x, dst += 3) {
            const int u = 2 * (x - cx) + 1;
            const int sx = (static_cast<int>(std::trunc(u * cosA - v * sinA)) - 1) / 2 + cx;
            const int sy = (static_cast<int>(std::trunc(u * sinA + v * cosA)) - 1) / 2 + cy;
            const bool inside = sx >= 0 && sx < width_ && sy >= 0 && sy < height_;
            std::memcpy(dst, inside ? rows_[sy] + 3 * sx : fill, 3);
        }
    }
    bits_.swap(result.bits_);
    rows_.swap(result.rows_);
    Changed();
}

void TgkBitmap::Wave(bool wrap, int amplitude, int periodX, int periodY)
{
    if (periodX == 0 || periodY == 0 || Empty()) return;
    TgkBitmap result;
    result.InitImage(width_, height_);
    std::fill(result.bits_.begin(), result.bits_.end(), std::uint8_t{0xFF});
    std::vector<int> dx(static_cast<std::size_t>(height_));
    for (int y = 0; y < height_; ++y)
        dx[y] = static_cast<int>(std::nearbyint(std::sin(static_cast<double>(y) / periodX) * amplitude));
    for (int x = 0; x < width_; ++x) {
        const int dy = static_cast<int>(std::nearbyint(std::sin(static_cast<double>(x) / periodY) * amplitude));
        // Rows beyond the image reduce modulo the height less one; a one-row image has only
        // row 0 to take.
        int row = wrap ? WrapPosition(dy, height_, height_ - 1) : dy;
        for (int y = 0; y < height_; ++y, ++row) {
            if (wrap && row >= height_) row = 0;
            int col = x + dx[y];
            if (wrap) col = WrapPosition(col, width_, width_);
            if (row < 0 || row >= height_ || col < 0 || col >= width_) continue;
            std::memcpy(result.rows_[y] + 3 * x, rows_[row] + 3 * col, 3);
        }
    }
    bits_.swap(result.bits_);
    rows_.swap(result.rows_);
    Changed();
}

void TintColor(ui::TBitmap& bitmap, rtl::TColor color, rtl::TColor transparent)
{
    TgkBitmap image;
    image.LoadFromBitmap(bitmap);
    image.TransparentColor = transparent;
    image.TintColor(color);
    image.SaveToBitmap(bitmap);
}

}  // namespace grid
