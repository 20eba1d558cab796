#pragma once
// The canvas devices of the Qt backend: one over a QPainter (a widget's paint event or an
// image), and the measure of a font, which caches the advance of every character it met so
// that a run is measured by summing (the full text layout is far slower, and the editor
// measures every line it wraps). Canvas fonts do without kerning, so that a run drawn is as
// wide as the sum of its characters.

#include <QFont>
#include <QImage>
#include <QPainter>

#include <array>
#include <memory>
#include <unordered_map>

#include "platform/ui/Canvas.h"

namespace ui::qt {

class TQtFontMeasure : public IFontMeasure {
public:
    explicit TQtFontMeasure(const QFont& font);
    int TextWidth(std::string_view utf8) override;
    TFontMetrics Metrics() override { return metrics_; }
    const QFont& Font() const noexcept { return font_; }

private:
    double Advance(char32_t c);
    QFont font_;
    TFontMetrics metrics_;
    std::array<double, 128> ascii_;
    std::unordered_map<char32_t, double> others_;
};

// The font a canvas draws `font` in, and its measure (kept for the life of the process).
QFont CanvasFont(const classes::TFont& font);
TQtFontMeasure& FontMeasureOf(const classes::TFont& font);

QRegion ToQRegion(const TRegion& region);

class TQtDevice : public ICanvasDevice {
public:
    // Draws with a painter that someone else owns (a widget's paint event).
    explicit TQtDevice(QPainter& painter, QImage* image = nullptr);
    // Draws into `image` (which must outlive the device) with a painter of its own.
    explicit TQtDevice(std::unique_ptr<QImage> image);
    ~TQtDevice() override;

    void Polyline(const std::vector<TPoint>& points, const TPenSpec& pen) override;
    void Polygon(const std::vector<TPoint>& points, const TPenSpec& pen, const TBrushSpec& brush) override;
    void Rectangle(const TRect& r, const TPenSpec& pen, const TBrushSpec& brush) override;
    void Ellipse(const TRect& r, const TPenSpec& pen, const TBrushSpec& brush) override;
    void FillRect(const TRect& r, const TBrushSpec& brush) override;
    void FillRegion(const TRegion& region, const TBrushSpec& brush) override;
    void PatBlt(const TRect& r, TCopyMode rop, const TBrushSpec& brush) override;
    void Text(int x, int y, std::string_view text, const classes::TFont& font, rtl::TColor color,
              const rtl::TColor* background, const TRect* clip) override;
    IFontMeasure& Measure(const classes::TFont& font) override;
    void CopyFrom(const TRect& dest, ICanvasDevice& source, const TRect& src, TCopyMode rop) override;
    void DrawPixels(const TRect& dest, int width, int height, const std::uint32_t* pixels, const TRect& src,
                    const rtl::TColor* transparent) override;
    rtl::TColor Pixel(int x, int y) override;
    void SetPixel(int x, int y, rtl::TColor color) override;
    void SetClip(const TRegion* clip) override;
    void RichText(const TRect& r, IRichDocument& document) override;

    QPainter& Painter() noexcept { return *painter_; }
    QImage* Image() const noexcept { return image_; }

private:
    bool SetPen(const TPenSpec& pen);
    void SetBrush(const TBrushSpec& brush);

    std::unique_ptr<QImage> ownedImage_;
    std::unique_ptr<QPainter> ownedPainter_;
    QPainter* painter_ = nullptr;
    QImage* image_ = nullptr;
};

}  // namespace ui::qt
