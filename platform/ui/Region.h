#pragma once
// Regions: areas built from rectangles, polygons and ellipses and combined with set
// operations. They clip drawing and answer hit tests (a join line is hit inside the
// quadrilateral around its middle segment). A region is a small immutable expression; copies
// share it. A pixel (x, y) belongs to a region when its centre (x + 0.5, y + 0.5) does, so the
// rectangle (0, 0, 10, 10) holds pixels 0..9 in each direction, as do polygons with the same
// corners.

#include <memory>
#include <vector>

#include "platform/ui/Types.h"

namespace ui {

enum TPolyFillMode { pfAlternate, pfWinding };
enum TRegionCombine { rgnAnd, rgnOr, rgnXor, rgnDiff, rgnCopy };

class TRegion {
public:
    enum class Kind { Empty, Rect, Polygon, Combined };

    // The parts of a region, for window systems that turn it into their own.
    struct Node {
        Kind kind = Kind::Empty;
        TRect rect;                   // Rect
        std::vector<TPoint> points;   // Polygon
        TPolyFillMode fillMode = pfAlternate;
        TRegionCombine op = rgnOr;    // Combined
        std::shared_ptr<const Node> a, b;
        int dx = 0, dy = 0;           // offset applied to this node and its parts
    };

    TRegion() = default;  // empty
    static TRegion FromRect(const TRect& r);
    static TRegion FromPolygon(std::vector<TPoint> points, TPolyFillMode mode = pfAlternate);
    // CombineRgn: the two regions joined by `op` (rgnCopy: a copy of `a`).
    static TRegion Combine(const TRegion& a, const TRegion& b, TRegionCombine op);

    // PtInRegion.
    bool Contains(TPoint p) const;
    // GetRgnBox: a rectangle holding every pixel of the region (empty rectangle when none).
    TRect Bounds() const;
    bool Empty() const;
    // OffsetRgn: the same region moved.
    TRegion Offset(int dx, int dy) const;

    const Node* Root() const noexcept { return root_.get(); }

private:
    explicit TRegion(std::shared_ptr<const Node> root) : root_(std::move(root)) {}
    std::shared_ptr<const Node> root_;
};

// Whether the centre of pixel p lies inside the polygon under the fill mode.
bool PointInPolygon(const std::vector<TPoint>& points, TPoint p, TPolyFillMode mode);

// The intersection of two rectangles (empty when they do not meet) and their union's bounds.
TRect IntersectRect(const TRect& a, const TRect& b);
TRect UnionRect(const TRect& a, const TRect& b);
inline bool IsRectEmpty(const TRect& r) { return r.Right <= r.Left || r.Bottom <= r.Top; }
inline TRect OffsetRect(const TRect& r, int dx, int dy) { return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy}; }
inline TRect InflateRect(const TRect& r, int dx, int dy) { return {r.Left - dx, r.Top - dy, r.Right + dx, r.Bottom + dy}; }

}  // namespace ui
