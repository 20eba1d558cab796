#include "platform/ui/Region.h"

#include <algorithm>

namespace ui {

namespace {

using Node = TRegion::Node;

bool NodeContains(const Node* n, double x, double y)
{
    if (n == nullptr) return false;
    x -= n->dx;
    y -= n->dy;
    switch (n->kind) {
    case TRegion::Kind::Empty: return false;
    case TRegion::Kind::Rect: return x >= n->rect.Left && x < n->rect.Right && y >= n->rect.Top && y < n->rect.Bottom;
    case TRegion::Kind::Polygon: {
        // Crossings of a ray to the right of (x, y); the winding number counts their directions.
        int crossings = 0, winding = 0;
        const auto& pts = n->points;
        const std::size_t count = pts.size();
        for (std::size_t i = 0; i < count; ++i) {
            const TPoint a = pts[i];
            const TPoint b = pts[(i + 1) % count];
            if ((a.Y <= y) == (b.Y <= y)) continue;
            const double t = (y - a.Y) / static_cast<double>(b.Y - a.Y);
            if (a.X + t * (b.X - a.X) > x) {
                ++crossings;
                winding += b.Y > a.Y ? 1 : -1;
            }
        }
        return n->fillMode == pfAlternate ? (crossings % 2) == 1 : winding != 0;
    }
    case TRegion::Kind::Combined: {
        const bool ia = NodeContains(n->a.get(), x, y);
        const bool ib = NodeContains(n->b.get(), x, y);
        switch (n->op) {
        case rgnAnd: return ia && ib;
        case rgnOr: return ia || ib;
        case rgnXor: return ia != ib;
        case rgnDiff: return ia && !ib;
        case rgnCopy: return ia;
        }
        return false;
    }
    }
    return false;
}

TRect NodeBounds(const Node* n)
{
    if (n == nullptr) return {};
    TRect r;
    switch (n->kind) {
    case TRegion::Kind::Empty: return {};
    case TRegion::Kind::Rect: r = n->rect; break;
    case TRegion::Kind::Polygon: {
        if (n->points.empty()) return {};
        r = {n->points[0].X, n->points[0].Y, n->points[0].X, n->points[0].Y};
        for (const TPoint& p : n->points) {
            r.Left = std::min(r.Left, p.X);
            r.Top = std::min(r.Top, p.Y);
            r.Right = std::max(r.Right, p.X);
            r.Bottom = std::max(r.Bottom, p.Y);
        }
        break;
    }
    case TRegion::Kind::Combined: {
        const TRect a = NodeBounds(n->a.get()), b = NodeBounds(n->b.get());
        switch (n->op) {
        case rgnAnd: r = IntersectRect(a, b); break;
        case rgnDiff:
        case rgnCopy: r = a; break;
        default: r = UnionRect(a, b); break;
        }
        break;
    }
    }
    if (IsRectEmpty(r)) return {};
    return OffsetRect(r, n->dx, n->dy);
}

}  // namespace

TRect IntersectRect(const TRect& a, const TRect& b)
{
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
    return IsRectEmpty(r) ? TRect{} : r;
}

TRect UnionRect(const TRect& a, const TRect& b)
{
    if (IsRectEmpty(a)) return b;
    if (IsRectEmpty(b)) return a;
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom)};
}

bool PointInPolygon(const std::vector<TPoint>& points, TPoint p, TPolyFillMode mode)
{
    Node n;
    n.kind = TRegion::Kind::Polygon;
    n.points = points;
    n.fillMode = mode;
    return NodeContains(&n, p.X + 0.5, p.Y + 0.5);
}

TRegion TRegion::FromRect(const TRect& r)
{
    auto n = std::make_shared<Node>();
    n->kind = IsRectEmpty(r) ? Kind::Empty : Kind::Rect;
    n->rect = r;
    return TRegion(std::move(n));
}

TRegion TRegion::FromPolygon(std::vector<TPoint> points, TPolyFillMode mode)
{
    auto n = std::make_shared<Node>();
    n->kind = points.size() < 3 ? Kind::Empty : Kind::Polygon;
    n->points = std::move(points);
    n->fillMode = mode;
    return TRegion(std::move(n));
}

TRegion TRegion::Combine(const TRegion& a, const TRegion& b, TRegionCombine op)
{
    if (op == rgnCopy) return a;
    auto n = std::make_shared<Node>();
    n->kind = Kind::Combined;
    n->op = op;
    n->a = a.root_;
    n->b = b.root_;
    return TRegion(std::move(n));
}

bool TRegion::Contains(TPoint p) const { return NodeContains(root_.get(), p.X + 0.5, p.Y + 0.5); }

TRect TRegion::Bounds() const { return NodeBounds(root_.get()); }

bool TRegion::Empty() const { return IsRectEmpty(Bounds()); }

TRegion TRegion::Offset(int dx, int dy) const
{
    if (!root_) return *this;
    auto n = std::make_shared<Node>(*root_);
    n->dx += dx;
    n->dy += dy;
    return TRegion(std::move(n));
}

}  // namespace ui
