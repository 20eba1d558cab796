#include "platform/ui/FrameControls.h"

#include <algorithm>

namespace ui {

namespace {

// Pen and brush put back as they were when the drawing ends (also on an exception).
class TToolsKept {
public:
    explicit TToolsKept(TCanvas& canvas)
        : canvas_(canvas), penColor_(canvas.Pen()->Color()), penWidth_(canvas.Pen()->Width()),
          penStyle_(canvas.Pen()->Style()), penMode_(canvas.Pen()->Mode()), brushColor_(canvas.Brush()->Color()),
          brushStyle_(canvas.Brush()->Style()), penPos_(canvas.PenPos())
    {
    }
    ~TToolsKept()
    {
        canvas_.Pen()->SetColor(penColor_);
        canvas_.Pen()->SetWidth(penWidth_);
        canvas_.Pen()->SetStyle(penStyle_);
        canvas_.Pen()->SetMode(penMode_);
        canvas_.Brush()->SetColor(brushColor_);
        canvas_.Brush()->SetStyle(brushStyle_);
        canvas_.SetPenPos(penPos_);
    }
    TToolsKept(const TToolsKept&) = delete;
    TToolsKept& operator=(const TToolsKept&) = delete;

private:
    TCanvas& canvas_;
    rtl::TColor penColor_;
    int penWidth_;
    TPenStyle penStyle_;
    TPenMode penMode_;
    rtl::TColor brushColor_;
    TBrushStyle brushStyle_;
    TPoint penPos_;
};

void Fill(TCanvas& canvas, const TRect& r, rtl::TColor color)
{
    if (r.Right <= r.Left || r.Bottom <= r.Top) return;
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(color);
    canvas.FillRect(r);
}

// One ring of the edge, inside `r`, on the sides of `flags`.
void Ring(TCanvas& canvas, const TRect& r, unsigned flags, rtl::TColor topLeft, rtl::TColor bottomRight)
{
    if (flags & BF_TOP) Fill(canvas, {r.Left, r.Top, r.Right, r.Top + 1}, topLeft);
    if (flags & BF_LEFT) Fill(canvas, {r.Left, r.Top, r.Left + 1, r.Bottom}, topLeft);
    if (flags & BF_BOTTOM) Fill(canvas, {r.Left, r.Bottom - 1, r.Right, r.Bottom}, bottomRight);
    if (flags & BF_RIGHT) Fill(canvas, {r.Right - 1, r.Top, r.Right, r.Bottom}, bottomRight);
}

TRect Shrunk(const TRect& r, unsigned flags)
{
    TRect in = r;
    if (flags & BF_LEFT) ++in.Left;
    if (flags & BF_TOP) ++in.Top;
    if (flags & BF_RIGHT) --in.Right;
    if (flags & BF_BOTTOM) --in.Bottom;
    return in;
}

}  // namespace

bool DrawEdge(TCanvas& canvas, TRect& rect, unsigned edge, unsigned flags)
{
    const unsigned outer = edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER);
    const unsigned inner = edge & (BDR_RAISEDINNER | BDR_SUNKENINNER);
    if (outer == 0 && inner == 0) return false;
    TToolsKept kept(canvas);
    TRect r = rect;
    rtl::TColor face = rtl::clBtnFace;
    if (flags & (BF_MONO | BF_FLAT)) {
        // One visible ring; the inner one (when asked for) in the inside's colour.
        const rtl::TColor ring = (flags & BF_MONO) ? rtl::clWindowFrame : rtl::clBtnShadow;
        face = (flags & BF_MONO) ? rtl::clWindow : rtl::clBtnFace;
        if (outer != 0) {
            Ring(canvas, r, flags, ring, ring);
            r = Shrunk(r, flags);
        }
        if (inner != 0) {
            Ring(canvas, r, flags, face, face);
            r = Shrunk(r, flags);
        }
    } else {
        if (outer != 0) {
            const bool raised = (outer & BDR_RAISEDOUTER) != 0;
            Ring(canvas, r, flags, raised ? rtl::cl3DLight : rtl::clBtnShadow,
                 raised ? rtl::cl3DDkShadow : rtl::clBtnHighlight);
            r = Shrunk(r, flags);
        }
        if (inner != 0) {
            const bool raised = (inner & BDR_RAISEDINNER) != 0;
            Ring(canvas, r, flags, raised ? rtl::clBtnHighlight : rtl::cl3DDkShadow,
                 raised ? rtl::clBtnShadow : rtl::cl3DLight);
            r = Shrunk(r, flags);
        }
    }
    if (flags & BF_MIDDLE) Fill(canvas, r, face);
    if (flags & BF_ADJUST) rect = r;
    return true;
}

namespace {

// A round window-coloured dot ringed in the shadow colour, with a centre when checked.
void DrawRadio(TCanvas& canvas, const TRect& rect, unsigned state)
{
    const bool inactive = (state & DFCS_INACTIVE) != 0;
    TToolsKept kept(canvas);
    canvas.Pen()->SetStyle(psSolid);
    canvas.Pen()->SetMode(pmCopy);
    canvas.Pen()->SetWidth(1);
    canvas.Pen()->SetColor(rtl::clBtnShadow);
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(inactive || (state & DFCS_PUSHED) ? rtl::clBtnFace : rtl::clWindow);
    canvas.Ellipse(rect);
    if ((state & DFCS_CHECKED) == 0) return;
    const int d = std::max(2, rect.Width() / 3);
    const int x = rect.Left + (rect.Width() - d) / 2, y = rect.Top + (rect.Height() - d) / 2;
    const rtl::TColor dot = inactive ? rtl::clGrayText : rtl::clWindowText;
    canvas.Pen()->SetColor(dot);
    canvas.Brush()->SetColor(dot);
    canvas.Ellipse({x, y, x + d, y + d});
}

}  // namespace

bool DrawFrameControl(TCanvas& canvas, const TRect& rect, unsigned type, unsigned state)
{
    const bool inactive = (state & DFCS_INACTIVE) != 0;
    if (type == DFC_BUTTON && (state & 0xFF) == DFCS_BUTTONRADIO) {
        DrawRadio(canvas, rect, state);
        return true;
    }
    if (type == DFC_BUTTON && (state & 0xFF) == DFCS_BUTTONPUSH) {
        TRect face = rect;
        DrawEdge(canvas, face, (state & DFCS_PUSHED) ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
        return true;
    }
    if (type == DFC_BUTTON && ((state & 0xFF) == DFCS_BUTTONCHECK || (state & 0xFF) == DFCS_BUTTON3STATE)) {
        const bool grayed = (state & 0xFF) == DFCS_BUTTON3STATE && (state & DFCS_CHECKED) != 0;
        TToolsKept kept(canvas);
        TRect inside = rect;
        if (state & DFCS_MONO)
            DrawEdge(canvas, inside, BDR_SUNKENOUTER, BF_RECT | BF_MONO | BF_ADJUST);
        else if (state & DFCS_FLAT)
            DrawEdge(canvas, inside, BDR_SUNKENOUTER, BF_RECT | BF_FLAT | BF_ADJUST);
        else
            DrawEdge(canvas, inside, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        Fill(canvas, inside, inactive || grayed || (state & DFCS_PUSHED) ? rtl::clBtnFace : rtl::clWindow);
        if (state & DFCS_CHECKED) {
            // A tick three pixels thick, seven wide, centred in the inside.
            canvas.Pen()->SetStyle(psSolid);
            canvas.Pen()->SetMode(pmCopy);
            canvas.Pen()->SetWidth(1);
            canvas.Pen()->SetColor(inactive ? rtl::clGrayText : grayed ? rtl::clBtnShadow : rtl::clWindowText);
            const int x0 = inside.Left + (inside.Width() - 7) / 2;
            const int y0 = inside.Top + (inside.Height() - 7) / 2 + 1;
            for (int i = 0; i < 3; ++i)
                canvas.Polyline({{x0, y0 + 2 + i}, {x0 + 2, y0 + 4 + i}, {x0 + 7, y0 - 1 + i}});
        }
        return true;
    }
    if (type == DFC_SCROLL && (state & 0xFF) == DFCS_SCROLLCOMBOBOX) {
        TToolsKept kept(canvas);
        TRect face = rect;
        const bool pushed = (state & DFCS_PUSHED) != 0;
        if (pushed && (state & DFCS_FLAT))
            DrawEdge(canvas, face, BDR_SUNKENOUTER, BF_RECT | BF_FLAT | BF_MIDDLE | BF_ADJUST);
        else if (pushed)
            DrawEdge(canvas, face, EDGE_SUNKEN, BF_RECT | BF_MIDDLE | BF_ADJUST);
        else
            DrawEdge(canvas, face, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
        // A triangle of 7, 5, 3 and 1 pixels, pointing down, one pixel further when pushed.
        const int shift = pushed ? 1 : 0;
        const int cx = (rect.Left + rect.Right) / 2 + shift;
        const int cy = (rect.Top + rect.Bottom) / 2 + shift;
        canvas.Brush()->SetStyle(bsSolid);
        canvas.Brush()->SetColor(inactive ? rtl::clGrayText : rtl::clBlack);
        for (int row = 0; row < 4; ++row) canvas.FillRect({cx - 3 + row, cy - 2 + row, cx + 4 - row, cy - 1 + row});
        return true;
    }
    return false;
}

}  // namespace ui
