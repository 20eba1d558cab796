#include "platform/ui/qt/QtCanvas.h"

#include <QAbstractTextDocumentLayout>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPolygon>
#include <QTextDocument>

#include <cmath>
#include <map>
#include <tuple>

#include "platform/ui/qt/QtConvert.h"
#include "platform/ui/qt/RichDocument.h"

namespace ui::qt {

namespace {

QColor Rgb(rtl::TColor c) { return QColor(rtl::GetRValue(c), rtl::GetGValue(c), rtl::GetBValue(c)); }

QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }

QPainter::CompositionMode ModeOfPen(TPenMode mode)
{
    switch (mode) {
    case pmNot: return QPainter::RasterOp_NotDestination;
    case pmNotCopy: return QPainter::RasterOp_NotSource;
    case pmMergePenNot: return QPainter::RasterOp_SourceOrNotDestination;
    case pmMaskPenNot: return QPainter::RasterOp_SourceAndNotDestination;
    case pmMergeNotPen: return QPainter::RasterOp_NotSourceOrDestination;
    case pmMaskNotPen: return QPainter::RasterOp_NotSourceAndDestination;
    case pmMerge: return QPainter::RasterOp_SourceOrDestination;
    case pmNotMerge: return QPainter::RasterOp_NotSourceAndNotDestination;
    case pmMask: return QPainter::RasterOp_SourceAndDestination;
    case pmNotMask: return QPainter::RasterOp_NotSourceOrNotDestination;
    case pmXor: return QPainter::RasterOp_SourceXorDestination;
    case pmNotXor: return QPainter::RasterOp_NotSourceXorDestination;
    default: return QPainter::CompositionMode_SourceOver;
    }
}

QPainter::CompositionMode ModeOfCopy(TCopyMode rop)
{
    switch (rop) {
    case cmSrcInvert: return QPainter::RasterOp_SourceXorDestination;
    case cmSrcAnd: return QPainter::RasterOp_SourceAndDestination;
    case cmSrcPaint: return QPainter::RasterOp_SourceOrDestination;
    case cmNotSrcCopy: return QPainter::RasterOp_NotSource;
    case cmSrcErase: return QPainter::RasterOp_SourceAndNotDestination;
    case cmMergePaint: return QPainter::RasterOp_NotSourceOrDestination;
    case cmDstAndNotSrc: return QPainter::RasterOp_NotSourceAndDestination;
    default: return QPainter::CompositionMode_Source;
    }
}

Qt::BrushStyle StyleOfBrush(TBrushStyle s)
{
    switch (s) {
    case bsClear: return Qt::NoBrush;
    case bsHorizontal: return Qt::HorPattern;
    case bsVertical: return Qt::VerPattern;
    case bsFDiagonal: return Qt::FDiagPattern;
    case bsBDiagonal: return Qt::BDiagPattern;
    case bsCross: return Qt::CrossPattern;
    case bsDiagCross: return Qt::DiagCrossPattern;
    default: return Qt::SolidPattern;
    }
}

// Decodes one UTF-8 sequence at s[i] (a stray byte stands for itself) and steps past it.
char32_t NextCodePoint(std::string_view s, std::size_t& i)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    const int len = b0 < 0x80 ? 1 : (b0 >> 5) == 6 ? 2 : (b0 >> 4) == 14 ? 3 : (b0 >> 3) == 30 ? 4 : 1;
    if (len == 1 || i + len > s.size()) {
        ++i;
        return b0 < 0x80 ? b0 : 0xFFFD;
    }
    char32_t c = b0 & (0x7F >> len);
    for (int k = 1; k < len; ++k) c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    i += len;
    return c;
}

}  // namespace

// ---- Fonts ---------------------------------------------------------------------------------

QFont CanvasFont(const classes::TFont& font)
{
    QFont f = ToQFont(font);
    f.setKerning(false);
    return f;
}

TQtFontMeasure::TQtFontMeasure(const QFont& font) : font_(font)
{
    ascii_.fill(-1);
    const QFontMetrics fm(font_);
    metrics_.Ascent = fm.ascent();
    metrics_.Descent = fm.descent();
    metrics_.Height = fm.ascent() + fm.descent();
    metrics_.InternalLeading = std::max(0, metrics_.Height - QFontInfo(font_).pixelSize());
    metrics_.AveCharWidth = fm.averageCharWidth();
    metrics_.MaxCharWidth = fm.maxWidth();
}

double TQtFontMeasure::Advance(char32_t c)
{
    if (c < 128) {
        double& a = ascii_[c];
        if (a < 0) a = QFontMetricsF(font_).horizontalAdvance(QChar(static_cast<char16_t>(c)));
        return a;
    }
    const auto it = others_.find(c);
    if (it != others_.end()) return it->second;
    const QString s = QString::fromUcs4(&c, 1);
    const double a = QFontMetricsF(font_).horizontalAdvance(s);
    others_.emplace(c, a);
    return a;
}

int TQtFontMeasure::TextWidth(std::string_view utf8)
{
    double w = 0;
    for (std::size_t i = 0; i < utf8.size();) w += Advance(NextCodePoint(utf8, i));
    return static_cast<int>(std::lround(w));
}

TQtFontMeasure& FontMeasureOf(const classes::TFont& font)
{
    using Key = std::tuple<std::string, int, std::uint64_t>;
    static std::map<Key, std::unique_ptr<TQtFontMeasure>> cache;
    const Key key{font.Name(), font.Size(), font.Style().Bits()};
    auto it = cache.find(key);
    if (it == cache.end()) it = cache.emplace(key, std::make_unique<TQtFontMeasure>(CanvasFont(font))).first;
    return *it->second;
}

QRegion ToQRegion(const TRegion& region)
{
    std::function<QRegion(const TRegion::Node*)> convert = [&](const TRegion::Node* n) -> QRegion {
        if (n == nullptr) return {};
        QRegion r;
        switch (n->kind) {
        case TRegion::Kind::Empty: break;
        case TRegion::Kind::Rect: r = QRegion(ToQRect(n->rect)); break;
        case TRegion::Kind::Polygon: {
            QPolygon poly;
            for (const TPoint& p : n->points) poly << QPoint(p.X, p.Y);
            r = QRegion(poly, n->fillMode == pfWinding ? Qt::WindingFill : Qt::OddEvenFill);
            break;
        }
        case TRegion::Kind::Combined: {
            const QRegion a = convert(n->a.get()), b = convert(n->b.get());
            switch (n->op) {
            case rgnAnd: r = a.intersected(b); break;
            case rgnOr: r = a.united(b); break;
            case rgnXor: r = a.xored(b); break;
            case rgnDiff: r = a.subtracted(b); break;
            case rgnCopy: r = a; break;
            }
            break;
        }
        }
        return r.translated(n->dx, n->dy);
    };
    return convert(region.Root());
}

// ---- TQtDevice -----------------------------------------------------------------------------

TQtDevice::TQtDevice(QPainter& painter, QImage* image) : painter_(&painter), image_(image)
{
    painter_->setRenderHint(QPainter::Antialiasing, false);
}

TQtDevice::TQtDevice(std::unique_ptr<QImage> image) : ownedImage_(std::move(image))
{
    image_ = ownedImage_.get();
    ownedPainter_ = std::make_unique<QPainter>(image_);
    painter_ = ownedPainter_.get();
    painter_->setRenderHint(QPainter::Antialiasing, false);
}

TQtDevice::~TQtDevice()
{
    if (ownedPainter_) ownedPainter_->end();
}

bool TQtDevice::SetPen(const TPenSpec& pen)
{
    if (pen.Mode == pmNop || pen.Style == psClear) {
        painter_->setPen(Qt::NoPen);
        return pen.Mode != pmNop;
    }
    QColor color = Rgb(pen.Color);
    if (pen.Mode == pmBlack) color = Qt::black;
    if (pen.Mode == pmWhite) color = Qt::white;
    QPen p(color);
    p.setWidth(pen.Width <= 1 ? 0 : pen.Width);
    p.setCapStyle(Qt::FlatCap);
    p.setJoinStyle(Qt::MiterJoin);
    switch (pen.Style) {
    case psDash: p.setDashPattern({6, 2}); break;
    case psDot: p.setDashPattern({1, 1}); break;
    case psDashDot: p.setDashPattern({6, 2, 1, 2}); break;
    case psDashDotDot: p.setDashPattern({6, 2, 1, 2, 1, 2}); break;
    default: break;
    }
    painter_->setPen(p);
    painter_->setCompositionMode(ModeOfPen(pen.Mode));
    return true;
}

void TQtDevice::SetBrush(const TBrushSpec& brush) { painter_->setBrush(QBrush(Rgb(brush.Color), StyleOfBrush(brush.Style))); }

void TQtDevice::Polyline(const std::vector<TPoint>& points, const TPenSpec& pen)
{
    if (!SetPen(pen) || pen.Style == psClear) return;
    if (pen.Width > 1) {
        QPolygon poly;
        for (const TPoint& p : points) poly << QPoint(p.X, p.Y);
        painter_->drawPolyline(poly);
    } else {
        // One-pixel lines end before their end point (the flat cap leaves it out), so that
        // joined segments and inverting pens touch every pixel once.
        for (std::size_t i = 0; i + 1 < points.size(); ++i)
            painter_->drawLine(QPoint(points[i].X, points[i].Y), QPoint(points[i + 1].X, points[i + 1].Y));
    }
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TQtDevice::Polygon(const std::vector<TPoint>& points, const TPenSpec& pen, const TBrushSpec& brush)
{
    if (!SetPen(pen)) return;
    SetBrush(brush);
    QPolygon poly;
    for (const TPoint& p : points) poly << QPoint(p.X, p.Y);
    painter_->drawPolygon(poly, Qt::OddEvenFill);
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TQtDevice::Rectangle(const TRect& r, const TPenSpec& pen, const TBrushSpec& brush)
{
    if (!SetPen(pen)) return;
    SetBrush(brush);
    // The outline runs inside the rectangle, whose right and bottom edges stay out.
    painter_->drawRect(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1));
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TQtDevice::Ellipse(const TRect& r, const TPenSpec& pen, const TBrushSpec& brush)
{
    if (!SetPen(pen)) return;
    SetBrush(brush);
    painter_->drawEllipse(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1));
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TQtDevice::FillRect(const TRect& r, const TBrushSpec& brush)
{
    painter_->fillRect(ToQRect(r), QBrush(Rgb(brush.Color), StyleOfBrush(brush.Style)));
}

void TQtDevice::FillRegion(const TRegion& region, const TBrushSpec& brush)
{
    painter_->save();
    painter_->setClipRegion(ToQRegion(region), painter_->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    painter_->fillRect(ToQRect(region.Bounds()), QBrush(Rgb(brush.Color), StyleOfBrush(brush.Style)));
    painter_->restore();
}

void TQtDevice::PatBlt(const TRect& r, TCopyMode rop, const TBrushSpec& brush)
{
    const QRect q = ToQRect(r);
    switch (rop) {
    case cmBlackness: painter_->fillRect(q, Qt::black); return;
    case cmWhiteness: painter_->fillRect(q, Qt::white); return;
    case cmDstInvert:
        painter_->setCompositionMode(QPainter::RasterOp_NotDestination);
        painter_->fillRect(q, Qt::black);
        break;
    case cmPatInvert:
        painter_->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter_->fillRect(q, QBrush(Rgb(brush.Color), StyleOfBrush(brush.Style)));
        break;
    default: painter_->fillRect(q, QBrush(Rgb(brush.Color), StyleOfBrush(brush.Style))); return;
    }
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TQtDevice::Text(int x, int y, std::string_view text, const classes::TFont& font, rtl::TColor color,
                     const rtl::TColor* background, const TRect* clip)
{
    TQtFontMeasure& m = FontMeasureOf(font);
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const bool clipped = clip != nullptr;
    if (clipped) {
        painter_->save();
        painter_->setClipRect(ToQRect(*clip), painter_->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    }
    if (background != nullptr)
        painter_->fillRect(QRect(x, y, m.TextWidth(text), m.Metrics().Height), Rgb(*background));
    painter_->setFont(m.Font());
    painter_->setPen(Rgb(color));
    painter_->drawText(QPoint(x, y + m.Metrics().Ascent), s);
    if (clipped) painter_->restore();
}

IFontMeasure& TQtDevice::Measure(const classes::TFont& font) { return FontMeasureOf(font); }

void TQtDevice::RichText(const TRect& r, IRichDocument& document)
{
    auto* rich = dynamic_cast<TQtRichDocument*>(&document);
    if (rich == nullptr || r.Right <= r.Left || r.Bottom <= r.Top) return;
    QTextDocument& doc = rich->Document();
    doc.setTextWidth(r.Right - r.Left);
    painter_->save();
    painter_->setClipRect(ToQRect(r), painter_->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    painter_->translate(r.Left, r.Top);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = QRectF(0, 0, r.Right - r.Left, r.Bottom - r.Top);
    context.palette.setColor(QPalette::Text, Qt::black);
    doc.documentLayout()->draw(painter_, context);
    painter_->restore();
}

void TQtDevice::CopyFrom(const TRect& dest, ICanvasDevice& source, const TRect& src, TCopyMode rop)
{
    auto* other = dynamic_cast<TQtDevice*>(&source);
    if (other == nullptr || other->image_ == nullptr) return;
    // A copy first: source and destination may be the same image.
    const QImage part = other->image_->copy(ToQRect(src));
    painter_->setCompositionMode(ModeOfCopy(rop));
    painter_->drawImage(ToQRect(dest), part);
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TQtDevice::DrawPixels(const TRect& dest, int width, int height, const std::uint32_t* pixels, const TRect& src,
                           const rtl::TColor* transparent)
{
    QImage image(reinterpret_cast<const uchar*>(pixels), width, height, width * 4, QImage::Format_ARGB32);
    if (transparent != nullptr) {
        image = image.copy();
        const QRgb key = Rgb(*transparent).rgb() & 0xFFFFFF;
        for (int y = 0; y < height; ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < width; ++x)
                if ((row[x] & 0xFFFFFF) == key) row[x] = 0;
        }
    }
    painter_->drawImage(ToQRect(dest), image, ToQRect(src));
}

rtl::TColor TQtDevice::Pixel(int x, int y)
{
    if (image_ == nullptr || !image_->rect().contains(x, y)) return rtl::clNone;
    const QRgb p = image_->pixel(x, y);
    return rtl::RGB(static_cast<std::uint8_t>(qRed(p)), static_cast<std::uint8_t>(qGreen(p)),
                    static_cast<std::uint8_t>(qBlue(p)));
}

void TQtDevice::SetPixel(int x, int y, rtl::TColor color)
{
    painter_->setCompositionMode(QPainter::CompositionMode_Source);
    painter_->fillRect(QRect(x, y, 1, 1), Rgb(color));
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TQtDevice::SetClip(const TRegion* clip)
{
    if (clip == nullptr)
        painter_->setClipping(false);
    else
        painter_->setClipRegion(ToQRegion(*clip));
}

}  // namespace ui::qt
