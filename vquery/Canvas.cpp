#include "vquery/Canvas.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace vquery {

TBoxZone BoxHitTest(int x, int y, int width, int height)
{
    const auto in = [](int v, int lo, int hi) { return v >= lo && v <= hi; };
    const int w = width, h = height;
    if (in(x, 0, 10) && in(y, 0, 10)) return bzTopLeft;
    if (in(x, w - 10, w) && in(y, 0, 5)) return bzTopRight;
    if (in(x, w - 10, w) && in(y, h - 10, h)) return bzBottomRight;
    if (in(x, 0, 10) && in(y, h - 10, h)) return bzBottomLeft;
    if (in(y, 0, 5)) return bzTop;
    if (in(y, h - 5, h)) return bzBottom;
    if (in(x, 0, 5)) return bzLeft;
    if (in(x, w - 5, w)) return bzRight;
    if (in(y, 0, kCaptionHeight + 4)) return bzCaption;
    return bzClient;
}

ui::TRect LimitBoxSize(const ui::TRect& wanted, TBoxZone zone)
{
    ui::TRect r = wanted;
    const bool movesLeft = zone == bzLeft || zone == bzTopLeft || zone == bzBottomLeft;
    const bool movesTop = zone == bzTop || zone == bzTopLeft || zone == bzTopRight;
    if (r.Width() < kMinBoxWidth) {
        if (movesLeft)
            r.Left = r.Right - kMinBoxWidth;
        else
            r.Right = r.Left + kMinBoxWidth;
    }
    if (r.Height() < kMinBoxHeight) {
        if (movesTop)
            r.Top = r.Bottom - kMinBoxHeight;
        else
            r.Bottom = r.Top + kMinBoxHeight;
    }
    return r;
}

ui::TPoint FreeBoxPlace(const std::vector<ui::TRect>& taken, ui::TPoint wanted, ui::TSize size, int rowEnd)
{
    // Room between boxes for a join line's middle segment to show.
    constexpr int kGap = 30, kStep = 10;
    const auto free = [&](int x, int y) {
        return std::none_of(taken.begin(), taken.end(), [&](const ui::TRect& r) {
            return x < r.Right + kGap && r.Left < x + size.cx + kGap && y < r.Bottom + kGap && r.Top < y + size.cy + kGap;
        });
    };
    const int lastX = std::max(wanted.X, rowEnd - size.cx);
    // Below every box all places are free: the search ends there at the latest.
    int bottom = wanted.Y;
    for (const ui::TRect& r : taken) bottom = std::max(bottom, r.Bottom + kGap);
    for (int y = wanted.Y; y <= bottom; y += kStep)
        for (int x = wanted.X; x <= lastX; x += kStep)
            if (free(x, y)) return {x, y};
    return {wanted.X, bottom};
}

TBoxLayout LayoutBox(int width, int height)
{
    TBoxLayout l;
    const int listTop = kCaptionHeight + 6;
    // A box sized below the strips leaves the list no rows rather than a negative height.
    const int listHeight = std::max(0, height - kCaptionHeight - 12 - kAliasHeight);
    l.list = {4, listTop, 4 + (width - 8), listTop + listHeight};
    l.alias = {4, l.list.Bottom + 2, 4 + (width - 8), l.list.Bottom + 2 + kAliasHeight};
    return l;
}

namespace {

// The canvas y of the field's row; a row scrolled out sticks just above or below the list.
int FieldRow(const TJoinEnd& end)
{
    int itemTop = end.item.Top;
    if (itemTop < 0)
        itemTop = -14;
    else if (itemTop > end.list.Height())
        itemTop = end.list.Height() + 4;
    return end.box.Top + end.list.Top + itemTop + 8;
}

}  // namespace

bool PlaceJoinLine(const TJoinEnd& source, const TJoinEnd& dest, int index, TJoinLine& line)
{
    const TJoinEnd& left = dest.box.Left < source.box.Left ? dest : source;
    const TJoinEnd& right = dest.box.Right > source.box.Right ? dest : source;
    const TJoinEnd& upper = source.box.Top < dest.box.Top ? source : dest;
    const TJoinEnd& lower = dest.box.Bottom > source.box.Bottom ? dest : source;
    line.bounds = {left.box.Left, upper.box.Top, right.box.Right, lower.box.Bottom};
    const int shift = 10 * index;
    const auto middle = [](int a, int b) { return (a + b) / 2; };
    ui::TPoint* p = line.p;
    if (left.box.Right < right.box.Left) {
        p[0] = {left.box.Right, FieldRow(left)};
        p[1] = {p[0].X + 8, p[0].Y};
        p[2] = {right.box.Left - 8, FieldRow(right)};
        p[3] = {p[2].X + 8, p[2].Y};
        return true;
    }
    if (left.box.Right <= right.box.Left) return false;
    if (lower.box.Top > upper.box.Bottom) {
        p[0] = {middle(upper.box.Left, upper.box.Right) + shift, upper.box.Bottom};
        p[1] = {p[0].X, p[0].Y + 8};
        p[2] = {middle(lower.box.Left, lower.box.Right) + shift, lower.box.Top - 8};
        p[3] = {p[2].X, p[2].Y + 8};
        return true;
    }
    if (lower.box.Top < upper.box.Bottom) {
        p[0] = {middle(upper.box.Left, upper.box.Right) + shift, upper.box.Bottom};
        p[1] = {p[0].X, p[0].Y + 8};
        p[2] = {lower.box.Left - 8, middle(lower.box.Top, lower.box.Bottom) + shift};
        p[3] = {p[2].X + 8, p[2].Y};
        return true;
    }
    return false;
}

ui::TRegion JoinHitRegion(const TJoinLine& line)
{
    const ui::TPoint a = line.p[1], b = line.p[2];
    return ui::TRegion::FromPolygon({{a.X + 5, a.Y - 5}, {a.X - 5, a.Y + 5}, {b.X - 5, b.Y + 5}, {b.X + 5, b.Y - 5}});
}

void PaintBox(ui::TCanvas& canvas, int width, int height, bool selected, const std::string& caption,
              const classes::TFont& font)
{
    const int r = width - 1, b = height - 1;
    canvas.Brush()->SetStyle(ui::bsSolid);
    canvas.Brush()->SetColor(rtl::clSilver);
    canvas.FillRect({0, 0, width, height});
    canvas.Pen()->SetWidth(1);
    const auto line = [&](rtl::TColor c, int x1, int y1, int x2, int y2) {
        canvas.Pen()->SetColor(c);
        canvas.MoveTo(x1, y1);
        canvas.LineTo(x2, y2);
    };
    // Outer lines, then the inner ones a pixel in: light from the top left.
    line(rtl::clSilver, 0, b, 0, 0);
    line(rtl::clSilver, 0, 0, r, 0);
    line(rtl::clBlack, r, 0, r, b);
    line(rtl::clBlack, r, b, -1, b);
    line(rtl::clWhite, 1, b - 1, 1, 1);
    line(rtl::clWhite, 1, 1, r - 1, 1);
    line(rtl::clGray, r - 1, 1, r - 1, b - 1);
    line(rtl::clGray, r - 1, b - 1, 0, b - 1);
    ui::TRect bar{3, 3, width - 3, 3 + kCaptionHeight};
    canvas.Brush()->SetColor(selected ? rtl::clNavy : rtl::clGray);
    canvas.FillRect(bar);
    canvas.SetFont(font);
    canvas.Font()->SetStyle(canvas.Font()->Style().Include(classes::fsBold));
    canvas.Font()->SetColor(rtl::clWhite);
    canvas.Brush()->SetStyle(ui::bsClear);
    canvas.DrawText(caption, bar,
                    ui::DT_CENTER | ui::DT_VCENTER | ui::DT_SINGLELINE | ui::DT_END_ELLIPSIS | ui::DT_NOPREFIX);
    canvas.Brush()->SetStyle(ui::bsSolid);
}

ui::TRect JoinCaptionRect(const TJoinLine& line, int width, int height)
{
    // A pixel of room beyond the text and the two-pixel pen of a selected line.
    constexpr int kGap = 3;
    const ui::TPoint a = line.p[1], b = line.p[2];
    const bool across = std::abs(b.X - a.X) >= std::abs(b.Y - a.Y);
    // The line's extreme across a band: its points within [lo, hi] of one coordinate (along),
    // the other coordinate (off) taken at the band's edges and at the corners inside it.
    const auto extreme = [&line](bool alongX, int lo, int hi, bool wantMin) {
        std::optional<int> best;
        const auto take = [&](double v) {
            const int n = static_cast<int>(wantMin ? std::floor(v) : std::ceil(v));
            best = !best ? n : wantMin ? std::min(*best, n) : std::max(*best, n);
        };
        for (int i = 0; i < 3; ++i) {
            const ui::TPoint p = line.p[i], q = line.p[i + 1];
            const double p0 = alongX ? p.X : p.Y, p1 = alongX ? p.Y : p.X;
            const double q0 = alongX ? q.X : q.Y, q1 = alongX ? q.Y : q.X;
            const double from = std::max<double>(std::min(p0, q0), lo), to = std::min<double>(std::max(p0, q0), hi);
            if (from > to) continue;
            if (p0 == q0) {
                take(p1);
                take(q1);
                continue;
            }
            for (double t : {from, to}) take(p1 + (q1 - p1) * (t - p0) / (q0 - p0));
        }
        return best;
    };
    const int mx = (a.X + b.X) / 2, my = (a.Y + b.Y) / 2;
    // Centred where the segment is longer than the text, so the text stays off the boxes at
    // its ends; on a shorter slanted one the text leans away from where the line climbs
    // towards it, so it stays clear without moving far from the middle.
    int slant = (b.X - a.X) * (b.Y - a.Y);  // > 0: down to the right; < 0: up to the right
    if (across) {
        if (std::abs(b.X - a.X) >= width + 2 * kGap) slant = 0;
        const int left = slant > 0 ? mx : slant < 0 ? mx - width : mx - width / 2;
        const int top = extreme(true, left - kGap, left + width + kGap, true).value_or(my) - kGap - height;
        return {left, top, left + width, top + height};
    }
    const int top = slant > 0 ? my - height : slant < 0 ? my : my - height / 2;
    const int left = extreme(false, top - kGap, top + height + kGap, false).value_or(mx) + kGap;
    return {left, top, left + width, top + height};
}

void PaintJoinLine(ui::TCanvas& canvas, const TJoinLine& line, ui::TPoint origin, bool selected, rtl::TColor color,
                   rtl::TColor selColor, const std::string& caption)
{
    canvas.Pen()->SetColor(selected ? selColor : color);
    canvas.Pen()->SetWidth(selected ? 2 : 1);
    std::vector<ui::TPoint> points;
    for (const ui::TPoint& p : line.p) points.push_back({p.X - origin.X, p.Y - origin.Y});
    canvas.Polyline(points);
    canvas.Pen()->SetWidth(1);
    if (caption.empty()) return;
    const ui::TSize size = canvas.TextExtent(caption);
    const ui::TRect place = JoinCaptionRect(line, size.cx, size.cy);
    canvas.Brush()->SetStyle(ui::bsClear);
    canvas.TextOut(place.Left - origin.X, place.Top - origin.Y, caption);
    canvas.Brush()->SetStyle(ui::bsSolid);
}

}  // namespace vquery
