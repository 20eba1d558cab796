#include "platform/ui/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Backend.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/Screen.h"

namespace ui {

namespace {

TFixedWidthMeasure& SharedFixedMeasure()
{
    static TFixedWidthMeasure measure;
    return measure;
}

const char* PenStyleName(TPenStyle s)
{
    static const char* names[] = {"solid", "dash", "dot", "dashdot", "dashdotdot", "clear", "insideframe"};
    return names[static_cast<int>(s)];
}

const char* PenModeName(TPenMode m)
{
    static const char* names[] = {"black", "white", "nop", "not", "copy", "notcopy", "mergepennot", "maskpennot",
                                  "mergenotpen", "masknotpen", "merge", "notmerge", "mask", "notmask", "xor", "notxor"};
    return names[static_cast<int>(m)];
}

std::string PenText(const TPenSpec& pen)
{
    return "pen=" + FormatColor(pen.Color) + "," + std::to_string(pen.Width) + "," + PenStyleName(pen.Style) + "," +
           PenModeName(pen.Mode);
}

std::string BrushText(const TBrushSpec& brush)
{
    if (brush.Style == bsClear) return "brush=clear";
    std::string s = "brush=" + FormatColor(brush.Color);
    if (brush.Style != bsSolid) s += ",style" + std::to_string(static_cast<int>(brush.Style));
    return s;
}

std::string PointsText(const std::vector<TPoint>& points)
{
    std::string s;
    for (const TPoint& p : points) {
        if (!s.empty()) s += ' ';
        s += std::to_string(p.X) + "," + std::to_string(p.Y);
    }
    return s;
}

bool IsBreak(char c) { return c == ' '; }

}  // namespace

std::string FormatRect(const TRect& r)
{
    return std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
           std::to_string(r.Bottom);
}

std::string FormatColor(rtl::TColor color)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%08X", static_cast<unsigned>(color));
    return buf;
}

// ---- TCanvas -------------------------------------------------------------------------------

TCanvas::TCanvas(ICanvasDevice* device) : device_(device) {}

TCanvas::~TCanvas() = default;

namespace {

// Maps every x to width - x in front of another device.
class TMirrorDevice : public ICanvasDevice {
public:
    TMirrorDevice(ICanvasDevice& inner, int width) : inner_(inner), width_(width) {}
    int X(int x) const { return width_ - x; }
    TPoint P(TPoint p) const { return {X(p.X), p.Y}; }
    TRect R(const TRect& r) const { return {X(r.Right), r.Top, X(r.Left), r.Bottom}; }
    std::vector<TPoint> Ps(const std::vector<TPoint>& ps) const
    {
        std::vector<TPoint> out;
        out.reserve(ps.size());
        for (const TPoint& p : ps) out.push_back(P(p));
        return out;
    }
    TRegion G(const TRegion& region) const { return TRegion::FromRect(R(region.Bounds())); }

    void Polyline(const std::vector<TPoint>& ps, const TPenSpec& pen) override { inner_.Polyline(Ps(ps), pen); }
    void Polygon(const std::vector<TPoint>& ps, const TPenSpec& pen, const TBrushSpec& b) override
    {
        inner_.Polygon(Ps(ps), pen, b);
    }
    void Rectangle(const TRect& r, const TPenSpec& pen, const TBrushSpec& b) override { inner_.Rectangle(R(r), pen, b); }
    void Ellipse(const TRect& r, const TPenSpec& pen, const TBrushSpec& b) override { inner_.Ellipse(R(r), pen, b); }
    void FillRect(const TRect& r, const TBrushSpec& b) override { inner_.FillRect(R(r), b); }
    void FillRegion(const TRegion& region, const TBrushSpec& b) override { inner_.FillRegion(G(region), b); }
    void PatBlt(const TRect& r, TCopyMode rop, const TBrushSpec& b) override { inner_.PatBlt(R(r), rop, b); }
    void Text(int x, int y, std::string_view text, const classes::TFont& font, rtl::TColor color,
              const rtl::TColor* background, const TRect* clip) override
    {
        // The run keeps its reading order: it ends where it would have begun.
        const int w = inner_.Measure(font).TextWidth(text);
        const TRect c = clip != nullptr ? R(*clip) : TRect{};
        inner_.Text(X(x) - w, y, text, font, color, background, clip != nullptr ? &c : nullptr);
    }
    IFontMeasure& Measure(const classes::TFont& font) override { return inner_.Measure(font); }
    void CopyFrom(const TRect& dest, ICanvasDevice& source, const TRect& src, TCopyMode rop) override
    {
        inner_.CopyFrom(R(dest), source, src, rop);
    }
    void DrawPixels(const TRect& dest, int w, int h, const std::uint32_t* px, const TRect& src,
                    const rtl::TColor* transparent) override
    {
        inner_.DrawPixels(R(dest), w, h, px, src, transparent);
    }
    rtl::TColor Pixel(int x, int y) override { return inner_.Pixel(X(x) - 1, y); }
    void SetPixel(int x, int y, rtl::TColor color) override { inner_.SetPixel(X(x) - 1, y, color); }
    void SetClip(const TRegion* clip) override
    {
        if (clip == nullptr) {
            inner_.SetClip(nullptr);
            return;
        }
        const TRegion mapped = G(*clip);
        inner_.SetClip(&mapped);
    }

private:
    ICanvasDevice& inner_;
    int width_;
};

}  // namespace

void TCanvas::SetMirrored(int width)
{
    ICanvasDevice* real = mirror_ ? plain_ : device_;
    if (width == mirrorWidth_ || real == nullptr) return;
    mirror_.reset();
    plain_ = nullptr;
    device_ = real;
    mirrorWidth_ = width > 0 ? width : 0;
    if (mirrorWidth_ > 0) {
        plain_ = real;
        mirror_ = std::make_unique<TMirrorDevice>(*real, mirrorWidth_);
        device_ = mirror_.get();
    }
    real->MirrorChanged(mirrorWidth_);
    if (clipped_) ApplyClip();
}

void TCanvas::SetDevice(ICanvasDevice* device)
{
    mirror_.reset();
    plain_ = nullptr;
    mirrorWidth_ = 0;
    device_ = device;
    if (device_ != nullptr && clipped_) ApplyClip();
}

void TCanvas::SaveState(TCanvasState& state) const
{
    state.pen.Assign(pen_);
    state.brush.Assign(brush_);
    state.font.Assign(font_);
    state.penPos = penPos_;
    state.copyMode = copyMode_;
    state.textAlign = textAlign_;
    state.clipped = clipped_;
    state.clip = clip_;
}

void TCanvas::RestoreState(const TCanvasState& state)
{
    pen_.Assign(state.pen);
    brush_.Assign(state.brush);
    font_.Assign(state.font);
    penPos_ = state.penPos;
    copyMode_ = state.copyMode;
    textAlign_ = state.textAlign;
    SetClipRegion(state.clipped ? &state.clip : nullptr);
}

void TCanvas::SetTextJustification(int extra, int breaks)
{
    justExtra_ = breaks > 0 ? extra : 0;
    justBreaks_ = breaks > 0 ? breaks : 0;
    justUsed_ = 0;
}

TPenSpec TCanvas::PenSpec() const
{
    TPenSpec s;
    s.Color = rtl::ColorToRGB(pen_.Color());
    s.Width = std::max(1, pen_.Width());
    s.Style = pen_.Style();
    s.Mode = pen_.Mode();
    return s;
}

TBrushSpec TCanvas::BrushSpec() const
{
    TBrushSpec s;
    s.Color = rtl::ColorToRGB(brush_.Color());
    s.Style = brush_.Style();
    return s;
}

void TCanvas::LineTo(int x, int y)
{
    if (device_ != nullptr) device_->Polyline({penPos_, {x, y}}, PenSpec());
    penPos_ = {x, y};
}

void TCanvas::Polyline(const std::vector<TPoint>& points)
{
    if (device_ != nullptr && points.size() >= 2) device_->Polyline(points, PenSpec());
}

void TCanvas::Polygon(const std::vector<TPoint>& points)
{
    if (device_ != nullptr && points.size() >= 2) device_->Polygon(points, PenSpec(), BrushSpec());
}

void TCanvas::Rectangle(const TRect& r)
{
    if (device_ != nullptr) device_->Rectangle(r, PenSpec(), BrushSpec());
}

void TCanvas::Ellipse(const TRect& r)
{
    if (device_ != nullptr) device_->Ellipse(r, PenSpec(), BrushSpec());
}

void TCanvas::FillRect(const TRect& r)
{
    if (device_ != nullptr && brush_.Style() != bsClear && !IsRectEmpty(r)) device_->FillRect(r, BrushSpec());
}

void TCanvas::FrameRect(const TRect& r)
{
    if (device_ == nullptr || IsRectEmpty(r)) return;
    const TBrushSpec b = BrushSpec();
    device_->FillRect({r.Left, r.Top, r.Right, r.Top + 1}, b);
    device_->FillRect({r.Left, r.Bottom - 1, r.Right, r.Bottom}, b);
    device_->FillRect({r.Left, r.Top + 1, r.Left + 1, r.Bottom - 1}, b);
    device_->FillRect({r.Right - 1, r.Top + 1, r.Right, r.Bottom - 1}, b);
}

void TCanvas::FillRegion(const TRegion& region)
{
    if (device_ != nullptr && brush_.Style() != bsClear) device_->FillRegion(region, BrushSpec());
}

void TCanvas::DrawFocusRect(const TRect& r)
{
    if (device_ == nullptr || IsRectEmpty(r)) return;
    TPenSpec pen;
    pen.Color = rtl::clWhite;
    pen.Style = psDot;
    pen.Mode = pmXor;
    device_->Polyline({{r.Left, r.Top}, {r.Right - 1, r.Top}, {r.Right - 1, r.Bottom - 1}, {r.Left, r.Bottom - 1},
                       {r.Left, r.Top}},
                      pen);
}

void TCanvas::PatBlt(const TRect& r, TCopyMode rop)
{
    if (device_ != nullptr && !IsRectEmpty(r)) device_->PatBlt(r, rop, BrushSpec());
}

// ---- Text ----------------------------------------------------------------------------------

IFontMeasure& TCanvas::FontMeasure()
{
    if (device_ != nullptr) return device_->Measure(font_);
    return MeasureFont(font_);
}

TFontMetrics TCanvas::TextMetrics() { return FontMeasure().Metrics(); }

int TCanvas::RunWidth(std::string_view text, int* breaksUsed)
{
    int width = FontMeasure().TextWidth(text);
    if (justBreaks_ > 0) {
        int used = justUsed_;
        for (char c : text) {
            if (!IsBreak(c) || used >= justBreaks_) continue;
            width += justExtra_ / justBreaks_ + (used < justExtra_ % justBreaks_ ? 1 : 0);
            ++used;
        }
        if (breaksUsed != nullptr) *breaksUsed = used;
    }
    return width;
}

TSize TCanvas::TextExtent(std::string_view text)
{
    return {RunWidth(text), FontMeasure().Metrics().Height};
}

int TCanvas::DrawRun(int x, int y, std::string_view text, const TRect* clip, bool background)
{
    const rtl::TColor color = rtl::ColorToRGB(font_.Color());
    const rtl::TColor bk = rtl::ColorToRGB(brush_.Color());
    const rtl::TColor* bkp = background ? &bk : nullptr;
    if (justBreaks_ <= 0 || justUsed_ >= justBreaks_) {
        const int w = FontMeasure().TextWidth(text);
        if (device_ != nullptr && !text.empty()) device_->Text(x, y, text, font_, color, bkp, clip);
        return w;
    }
    // Each blank takes its share of the extra pixels: draw the text between the blanks.
    IFontMeasure& m = FontMeasure();
    const int height = m.Metrics().Height;
    int pos = x;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !IsBreak(text[i])) continue;
        const std::string_view piece = text.substr(start, i < text.size() ? i + 1 - start : i - start);
        if (!piece.empty()) {
            if (device_ != nullptr) device_->Text(pos, y, piece, font_, color, bkp, clip);
            pos += m.TextWidth(piece);
        }
        if (i < text.size() && justUsed_ < justBreaks_) {
            const int bonus = justExtra_ / justBreaks_ + (justUsed_ < justExtra_ % justBreaks_ ? 1 : 0);
            ++justUsed_;
            if (bonus > 0 && bkp != nullptr && device_ != nullptr) {
                TBrushSpec b;
                b.Color = bk;
                TRect gap{pos, y, pos + bonus, y + height};
                if (clip != nullptr) gap = IntersectRect(gap, *clip);
                if (!IsRectEmpty(gap)) device_->FillRect(gap, b);
            }
            pos += bonus;
        }
        start = i + 1;
    }
    return pos - x;
}

void TCanvas::TextOut(int x, int y, std::string_view text)
{
    const bool updateCp = (textAlign_ & TA_UPDATECP) != 0;
    if (updateCp) {
        x = penPos_.X;
        y = penPos_.Y;
    }
    const int width = RunWidth(text);
    const TFontMetrics m = FontMeasure().Metrics();
    int left = x;
    const unsigned h = textAlign_ & 6;
    if (h == TA_RIGHT) left = x - width;
    if (h == TA_CENTER) left = x - width / 2;
    int top = y;
    const unsigned v = textAlign_ & 24;
    if (v == TA_BASELINE) top = y - m.Ascent;
    if (v == TA_BOTTOM) top = y - m.Height;
    DrawRun(left, top, text, nullptr, brush_.Style() != bsClear);
    if (updateCp) {
        if (h == TA_RIGHT)
            penPos_.X = x - width;
        else if (h != TA_CENTER)
            penPos_.X = x + width;
    } else {
        penPos_ = {x + width, y};
    }
}

void TCanvas::DrawRichText(const TRect& r, IRichDocument& document)
{
    if (device_ != nullptr) device_->RichText(r, document);
}

void TCanvas::TextRect(const TRect& r, int x, int y, std::string_view text)
{
    if (brush_.Style() != bsClear) FillRect(r);
    DrawRun(x, y, text, &r, false);
    penPos_ = {x + RunWidth(text), y};
}

namespace {

struct TLaidLine {
    std::string text;
    int underline = -1;  // byte offset of the prefixed character, -1 when none
};

// Removes the hot-key prefixes: "&&" is "&", "&x" underlines x (the last one counts).
std::string StripPrefix(std::string_view text, int& underline)
{
    std::string out;
    underline = -1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) {
            ++i;
            if (text[i] != '&') underline = static_cast<int>(out.size());
        }
        out += text[i];
    }
    return out;
}

}  // namespace

int TCanvas::DrawText(std::string_view text, TRect& rect, unsigned flags)
{
    IFontMeasure& m = FontMeasure();
    const TFontMetrics metrics = m.Metrics();
    const int lineHeight = std::max(1, metrics.Height);
    const int tabWidth = std::max(1, 8 * std::max(1, metrics.AveCharWidth));
    const bool expandTabs = (flags & DT_EXPANDTABS) != 0;

    // Width of one line; tabs jump to the next tab stop when expanded.
    const auto lineWidth = [&](std::string_view line) {
        if (!expandTabs || line.find('\t') == std::string_view::npos) return m.TextWidth(line);
        int x = 0;
        std::size_t start = 0;
        for (std::size_t i = 0; i <= line.size(); ++i) {
            if (i < line.size() && line[i] != '\t') continue;
            x += m.TextWidth(line.substr(start, i - start));
            if (i < line.size()) x = (x / tabWidth + 1) * tabWidth;
            start = i + 1;
        }
        return x;
    };

    // Paragraphs.
    std::vector<std::string> paragraphs;
    if (flags & DT_SINGLELINE) {
        std::string s(text);
        for (char& c : s)
            if (c == '\r' || c == '\n') c = ' ';
        paragraphs.push_back(std::move(s));
    } else {
        std::string current;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (c == '\r' || c == '\n') {
                paragraphs.push_back(std::move(current));
                current.clear();
                if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
                continue;
            }
            current += c;
        }
        paragraphs.push_back(std::move(current));
    }

    // Lines: prefixes stripped, words wrapped to the rectangle's width.
    const int maxWidth = rect.Width();
    std::vector<TLaidLine> lines;
    for (const std::string& para : paragraphs) {
        TLaidLine whole;
        whole.text = (flags & DT_NOPREFIX) ? para : StripPrefix(para, whole.underline);
        if (!(flags & DT_WORDBREAK) || (flags & DT_SINGLELINE) || lineWidth(whole.text) <= maxWidth) {
            lines.push_back(std::move(whole));
            continue;
        }
        // Break after blanks; a word wider than the rectangle stands alone on its line.
        const std::string& t = whole.text;
        std::size_t lineStart = 0;
        while (lineStart < t.size()) {
            std::size_t lineEnd = lineStart, next = lineStart, pos = lineStart;
            while (pos < t.size()) {
                std::size_t wordEnd = t.find(' ', pos);
                if (wordEnd == std::string::npos) wordEnd = t.size();
                if (lineEnd > lineStart && lineWidth(std::string_view(t).substr(lineStart, wordEnd - lineStart)) > maxWidth)
                    break;
                lineEnd = wordEnd;
                pos = wordEnd;
                while (pos < t.size() && t[pos] == ' ') ++pos;
                next = pos;
            }
            TLaidLine line;
            line.text = t.substr(lineStart, lineEnd - lineStart);
            if (whole.underline >= static_cast<int>(lineStart) && whole.underline < static_cast<int>(lineEnd))
                line.underline = whole.underline - static_cast<int>(lineStart);
            lines.push_back(std::move(line));
            lineStart = next;
        }
        if (whole.text.empty()) lines.push_back({});
    }

    // Ellipsis: cut whole characters until the text and "..." fit.
    if (flags & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS)) {
        for (TLaidLine& line : lines) {
            if (lineWidth(line.text) <= maxWidth) continue;
            std::size_t end = line.text.size();
            while (end > 0 && lineWidth(line.text.substr(0, end) + "...") > maxWidth) end = rtl::Utf8PrevCharStart(line.text, end);
            line.text = line.text.substr(0, end) + "...";
            if (line.underline >= static_cast<int>(end)) line.underline = -1;
        }
    }

    int widest = 0;
    for (const TLaidLine& line : lines) widest = std::max(widest, lineWidth(line.text));
    const int total = lineHeight * static_cast<int>(lines.size());
    if (flags & DT_CALCRECT) {
        rect.Right = rect.Left + widest;
        rect.Bottom = rect.Top + total;
        return total;
    }

    int top = rect.Top;
    if (flags & DT_SINGLELINE) {
        if (flags & DT_VCENTER) top = rect.Top + (rect.Height() - lineHeight) / 2;
        if (flags & DT_BOTTOM) top = rect.Bottom - lineHeight;
    }
    const TRect* clip = (flags & DT_NOCLIP) ? nullptr : &rect;
    const bool background = brush_.Style() != bsClear;
    for (const TLaidLine& line : lines) {
        const int w = lineWidth(line.text);
        int x = rect.Left;
        if (flags & DT_CENTER) x = rect.Left + (rect.Width() - w) / 2;
        if (flags & DT_RIGHT) x = rect.Right - w;
        if (!expandTabs || line.text.find('\t') == std::string::npos) {
            DrawRun(x, top, line.text, clip, background);
        } else {
            int pos = 0;
            std::size_t start = 0;
            for (std::size_t i = 0; i <= line.text.size(); ++i) {
                if (i < line.text.size() && line.text[i] != '\t') continue;
                const std::string_view piece = std::string_view(line.text).substr(start, i - start);
                DrawRun(x + pos, top, piece, clip, background);
                pos += m.TextWidth(piece);
                if (i < line.text.size()) pos = (pos / tabWidth + 1) * tabWidth;
                start = i + 1;
            }
        }
        if (line.underline >= 0 && device_ != nullptr) {
            const std::string_view before = std::string_view(line.text).substr(0, static_cast<std::size_t>(line.underline));
            const std::size_t len = rtl::Utf8CharLen(line.text, static_cast<std::size_t>(line.underline));
            const int x0 = x + m.TextWidth(before);
            const int x1 = x0 + m.TextWidth(std::string_view(line.text).substr(static_cast<std::size_t>(line.underline), len));
            TPenSpec pen;
            pen.Color = rtl::ColorToRGB(font_.Color());
            const int y = top + metrics.Ascent + 1;
            device_->Polyline({{x0, y}, {x1, y}}, pen);
        }
        top += lineHeight;
    }
    return total;
}

// ---- Pixels and copies ---------------------------------------------------------------------

rtl::TColor TCanvas::Pixel(int x, int y) { return device_ != nullptr ? device_->Pixel(x, y) : rtl::clNone; }

void TCanvas::SetPixel(int x, int y, rtl::TColor color)
{
    if (device_ != nullptr) device_->SetPixel(x, y, rtl::ColorToRGB(color));
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& src) { CopyRect(dest, source, src, copyMode_); }

void TCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& src, TCopyMode rop)
{
    ICanvasDevice* from = source.plain_ != nullptr ? source.plain_ : source.device_;
    if (device_ != nullptr && from != nullptr) device_->CopyFrom(dest, *from, src, rop);
}

void TCanvas::Draw(int x, int y, const TBitmap& bitmap) { StretchDraw(Bounds(x, y, bitmap.Width(), bitmap.Height()), bitmap); }

void TCanvas::StretchDraw(const TRect& r, const TBitmap& bitmap)
{
    if (device_ == nullptr || bitmap.Empty()) return;
    const rtl::TColor key = bitmap.EffectiveTransparentColor();
    device_->DrawPixels(r, bitmap.Width(), bitmap.Height(), bitmap.Pixels().data(),
                        {0, 0, bitmap.Width(), bitmap.Height()}, bitmap.Transparent() ? &key : nullptr);
}

void TCanvas::Draw(int x, int y, const TPicture& picture)
{
    StretchDraw(Bounds(x, y, picture.Width(), picture.Height()), picture);
}

void TCanvas::StretchDraw(const TRect& r, const TPicture& picture)
{
    if (device_ == nullptr || picture.Empty()) return;
    device_->DrawPixels(r, picture.Width(), picture.Height(), picture.Pixels().data(),
                        {0, 0, picture.Width(), picture.Height()}, nullptr);
}

// ---- Clipping ------------------------------------------------------------------------------

TRect TCanvas::ClipRect() const { return clipped_ ? IntersectRect(clip_.Bounds(), bounds_) : bounds_; }

void TCanvas::ApplyClip()
{
    if (device_ != nullptr) device_->SetClip(clipped_ ? &clip_ : nullptr);
}

void TCanvas::SetClipRect(const TRect& r)
{
    clip_ = TRegion::FromRect(r);
    clipped_ = true;
    ApplyClip();
}

void TCanvas::SetClipRegion(const TRegion* region)
{
    clipped_ = region != nullptr;
    clip_ = region != nullptr ? *region : TRegion();
    ApplyClip();
}

void TCanvas::IntersectClipRect(const TRect& r)
{
    clip_ = clipped_ ? TRegion::Combine(clip_, TRegion::FromRect(r), rgnAnd) : TRegion::FromRect(r);
    clipped_ = true;
    ApplyClip();
}

void TCanvas::ExcludeClipRect(const TRect& r)
{
    const TRegion base = clipped_ ? clip_ : TRegion::FromRect(bounds_);
    clip_ = TRegion::Combine(base, TRegion::FromRect(r), rgnDiff);
    clipped_ = true;
    ApplyClip();
}

bool TCanvas::PtVisible(TPoint p) const { return clipped_ ? clip_.Contains(p) : bounds_.Contains(p); }

std::unique_ptr<ICanvasDevice> IWindowSystem::CreateBitmapDevice(TBitmap&) { return nullptr; }

IFontMeasure& MeasureFont(const classes::TFont& font)
{
    if (IWindowSystem* ws = WindowSystem())
        if (IFontMeasure* m = ws->FontMeasure(font)) return *m;
    return SharedFixedMeasure();
}

// ---- TRecordingDevice ----------------------------------------------------------------------

void TRecordingDevice::Polyline(const std::vector<TPoint>& points, const TPenSpec& pen)
{
    Add("Polyline(" + PointsText(points) + " " + PenText(pen) + ")");
}

void TRecordingDevice::Polygon(const std::vector<TPoint>& points, const TPenSpec& pen, const TBrushSpec& brush)
{
    Add("Polygon(" + PointsText(points) + " " + PenText(pen) + " " + BrushText(brush) + ")");
}

void TRecordingDevice::Rectangle(const TRect& r, const TPenSpec& pen, const TBrushSpec& brush)
{
    Add("Rectangle(" + FormatRect(r) + " " + PenText(pen) + " " + BrushText(brush) + ")");
}

void TRecordingDevice::Ellipse(const TRect& r, const TPenSpec& pen, const TBrushSpec& brush)
{
    Add("Ellipse(" + FormatRect(r) + " " + PenText(pen) + " " + BrushText(brush) + ")");
}

void TRecordingDevice::FillRect(const TRect& r, const TBrushSpec& brush)
{
    Add("FillRect(" + FormatRect(r) + " " + BrushText(brush) + ")");
}

void TRecordingDevice::FillRegion(const TRegion& region, const TBrushSpec& brush)
{
    Add("FillRegion(" + FormatRect(region.Bounds()) + " " + BrushText(brush) + ")");
}

void TRecordingDevice::PatBlt(const TRect& r, TCopyMode rop, const TBrushSpec& brush)
{
    std::string line = "PatBlt(" + FormatRect(r) + " " + FormatColor(static_cast<rtl::TColor>(rop));
    if (rop == cmPatCopy || rop == cmPatInvert) line += " " + BrushText(brush);
    Add(line + ")");
}

void TRecordingDevice::Text(int x, int y, std::string_view text, const classes::TFont& font, rtl::TColor color,
                            const rtl::TColor* background, const TRect* clip)
{
    std::string line = "Text(" + std::to_string(x) + "," + std::to_string(y) + " \"" + std::string(text) + "\" font=" +
                       font.Name() + "/" + std::to_string(font.Size());
    const classes::TFontStyles st = font.Style();
    if (st.Contains(classes::fsBold)) line += "/bold";
    if (st.Contains(classes::fsItalic)) line += "/italic";
    if (st.Contains(classes::fsUnderline)) line += "/underline";
    if (st.Contains(classes::fsStrikeOut)) line += "/strikeout";
    line += " color=" + FormatColor(color);
    if (background != nullptr) line += " bk=" + FormatColor(*background);
    if (clip != nullptr) line += " clip=" + FormatRect(*clip);
    Add(line + ")");
}

IFontMeasure& TRecordingDevice::Measure(const classes::TFont&) { return measure_; }

void TRecordingDevice::CopyFrom(const TRect& dest, ICanvasDevice&, const TRect& src, TCopyMode rop)
{
    Add("CopyFrom(" + FormatRect(dest) + " from " + FormatRect(src) + " " + FormatColor(static_cast<rtl::TColor>(rop)) +
        ")");
}

void TRecordingDevice::DrawPixels(const TRect& dest, int width, int height, const std::uint32_t*, const TRect& src,
                                  const rtl::TColor* transparent)
{
    std::string line = "DrawPixels(" + FormatRect(dest) + " " + std::to_string(width) + "x" + std::to_string(height) +
                       " from " + FormatRect(src);
    if (transparent != nullptr) line += " transparent=" + FormatColor(*transparent);
    Add(line + ")");
}

rtl::TColor TRecordingDevice::Pixel(int x, int y)
{
    for (auto it = pixels_.rbegin(); it != pixels_.rend(); ++it)
        if (it->first == TPoint{x, y}) return it->second;
    return rtl::clNone;
}

void TRecordingDevice::SetPixel(int x, int y, rtl::TColor color)
{
    pixels_.push_back({{x, y}, color});
    Add("SetPixel(" + std::to_string(x) + "," + std::to_string(y) + " " + FormatColor(color) + ")");
}

void TRecordingDevice::MirrorChanged(int width)
{
    Add(width > 0 ? "Mirror(" + std::to_string(width) + ")" : std::string("Mirror(off)"));
}

void TRecordingDevice::SetClip(const TRegion* clip)
{
    Add(clip != nullptr ? "SetClip(" + FormatRect(clip->Bounds()) + ")" : std::string("SetClip(none)"));
}

}  // namespace ui
