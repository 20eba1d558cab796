#pragma once
// The look and the geometry of the query canvas, as pure functions: where a table box is hit
// (sizing corners and edges, the caption that moves it), where its field list and alias strip
// go, the four points of a join line between two boxes with the region that answers clicks
// on it, and the painting of a box frame and a join line through any canvas. Nothing here
// needs a window, so the tables of arrangements are tested headless; the components call
// these on every size change, scroll and paint.

#include <string>
#include <vector>

#include "platform/classes/Font.h"
#include "platform/rtl/Colors.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Region.h"
#include "platform/ui/Types.h"

namespace vquery {

constexpr int kBoxWidth = 120;       // a new box
constexpr int kBoxHeight = 200;
constexpr int kCaptionHeight = 20;   // the caption bar
constexpr int kAliasHeight = 20;     // the alias strip
constexpr int kMinBoxWidth = 50;     // the user never sizes a box below this
constexpr int kMinBoxHeight = kCaptionHeight + 8;
constexpr int kFieldItemHeight = 16; // rows of the field list

// Which part of a box the pointer is over.
enum TBoxZone {
    bzClient,
    bzCaption,  // moves the box
    bzTopLeft,
    bzTopRight,
    bzBottomRight,
    bzBottomLeft,
    bzTop,
    bzBottom,
    bzLeft,
    bzRight
};

// (x, y) in box coordinates of a box `width` x `height`; corners first, then edges, then the
// caption. The top-right corner is only 6 pixels tall so the caption's right end still moves.
TBoxZone BoxHitTest(int x, int y, int width, int height);

// The bounds a user's sizing leaves: never below kMinBoxWidth x kMinBoxHeight, the edge
// that was not dragged staying put.
ui::TRect LimitBoxSize(const ui::TRect& wanted, TBoxZone zone);

// Where a new box of `size` goes so that it keeps 30 pixels from every box of `taken`: the
// first such place row by row from `wanted` (rows and places 10 pixels apart), a row going no
// further right than `rowEnd` allows (one place at least). `wanted` itself when it is free.
ui::TPoint FreeBoxPlace(const std::vector<ui::TRect>& taken, ui::TPoint wanted, ui::TSize size, int rowEnd);

// The children of a box, in box coordinates.
struct TBoxLayout {
    ui::TRect list;
    ui::TRect alias;
};
TBoxLayout LayoutBox(int width, int height);

// One end of a join line: the box's bounds on the canvas, its field list's bounds in the box
// and the field's item rectangle in the list (scrolled rows have tops outside the list).
struct TJoinEnd {
    ui::TRect box;
    ui::TRect list;
    ui::TRect item;
};

// The line P1-P2-P3-P4 in canvas coordinates and the rectangle the two boxes span.
struct TJoinLine {
    ui::TPoint p[4];
    ui::TRect bounds;
};

// Recomputes `line` for the join at `index` of the collection: side by side the line leaves
// the facing edges at the field rows; stacked it runs from the middle of the upper bottom edge
// to the middle of the lower top edge; overlapping from the upper bottom to the lower box's
// left edge; stacked and overlapping lines of successive joins lie 10 pixels apart. When an
// edge of one box lies exactly on the other's the points stay as they were (false); the
// bounds are always renewed.
bool PlaceJoinLine(const TJoinEnd& source, const TJoinEnd& dest, int index, TJoinLine& line);

// The quadrilateral around the middle segment P2-P3 that takes clicks on the line, in the
// coordinates of the points.
ui::TRegion JoinHitRegion(const TJoinLine& line);

// Paints a box's background, raised double frame and caption bar (navy when selected, gray
// otherwise) with its caption in bold white, centred, ended with an ellipsis when too long.
void PaintBox(ui::TCanvas& canvas, int width, int height, bool selected, const std::string& caption,
              const classes::TFont& font);

// Where a caption of `width` x `height` goes on the line (in the line's coordinates): at the
// middle of P2-P3 and clear of the whole line, above a middle segment that runs more across
// than down, right of one that runs more down than across.
ui::TRect JoinCaptionRect(const TJoinLine& line, int width, int height);

// Paints a join line shifted by -origin (the link control's position on the canvas): pen
// width 2 in `selColor` when selected, else width 1 in `color`; `caption` (when not empty)
// in its JoinCaptionRect.
void PaintJoinLine(ui::TCanvas& canvas, const TJoinLine& line, ui::TPoint origin, bool selected, rtl::TColor color,
                   rtl::TColor selColor, const std::string& caption);

}  // namespace vquery
