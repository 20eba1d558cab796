#include "editctrls/gkGroupBox.h"

#include <algorithm>

#include "grid/GridRoutines.h"
#include "platform/ui/FrameControls.h"

namespace editctrls {

void gkDrawGroupFrame(ui::TCanvas& canvas, const ui::TRect& frame, int gapLeft, int gapRight, bool ctl3D)
{
    auto saved = canvas.SaveScope();
    canvas.Pen()->SetStyle(ui::psSolid);
    canvas.Pen()->SetMode(ui::pmCopy);
    canvas.Pen()->SetWidth(1);
    // One outline from the gap's right end round to its left end; a line's last point is not
    // drawn, so the corners are given once more.
    const auto outline = [&](int dx, rtl::TColor color) {
        const int l = frame.Left + dx, t = frame.Top + dx, r = frame.Right - 2 + dx, b = frame.Bottom - 2 + dx;
        canvas.Pen()->SetColor(color);
        if (gapRight > gapLeft)
            canvas.Polyline({{gapRight + dx, t}, {r, t}, {r, b}, {l, b}, {l, t}, {gapLeft + dx, t}});
        else
            canvas.Polyline({{l, t}, {r, t}, {r, b}, {l, b}, {l, t}});
    };
    if (ctl3D) {
        outline(1, rtl::clBtnHighlight);
        outline(0, rtl::clBtnShadow);
    } else {
        outline(0, rtl::clWindowFrame);
    }
}

GW_IMPLEMENT_CLASS(TgkCustomTransparentGroupBox, ui::TCustomControl) {}

TgkCustomTransparentGroupBox::TgkCustomTransparentGroupBox(classes::TComponent* owner) : ui::TCustomControl(owner)
{
    SetBounds(Left(), Top(), 185, 105);
    SetTabStop(false);
}

bool TgkCustomTransparentGroupBox::IsTransparent() const
{
    return transparent_ && !grid::gkIsDesigning(this) && !grid::gkIsInGrid(this);
}

void TgkCustomTransparentGroupBox::SetTransparent(bool v)
{
    if (v == transparent_) return;
    transparent_ = v;
    Changed();  // the window follows the new look
    if (!Loading()) Invalidate();
}

template <class T>
void TgkCustomTransparentGroupBox::Restyle(T& field, T value)
{
    if (field == value) return;
    field = value;
    if (!Loading()) Invalidate();
}

void TgkCustomTransparentGroupBox::SetBevelOuter(ui::TBevelCut cut) { Restyle(bevelOuter_, cut); }
void TgkCustomTransparentGroupBox::SetBevelInner(ui::TBevelCut cut) { Restyle(bevelInner_, cut); }
void TgkCustomTransparentGroupBox::SetBevelWidth(int width) { Restyle(bevelWidth_, std::max(width, 1)); }
void TgkCustomTransparentGroupBox::SetBorderWidth(int width) { Restyle(borderWidth_, std::max(width, 0)); }

ui::TRect TgkCustomTransparentGroupBox::AlignRect() const
{
    const ui::TRect r = ClientRect();
    return {r.Left + 2, r.Top + 16, std::max(r.Left + 2, r.Right - 2), std::max(r.Top + 16, r.Bottom - 2)};
}

int TgkCustomTransparentGroupBox::CaptionHeight(ui::TCanvas& canvas)
{
    canvas.SetFont(*Font());
    return canvas.TextHeight("0");
}

void TgkCustomTransparentGroupBox::Dispatch(ui::TMessage& m)
{
    if (m.Msg == ui::WM_ERASEBKGND && IsTransparent()) {
        m.Result = 1;  // the parent shows through
        return;
    }
    ui::TCustomControl::Dispatch(m);
    if (m.Msg == ui::WM_SIZE && IsTransparent()) Invalidate();
}

void TgkCustomTransparentGroupBox::Paint()
{
    PaintGroup(*Canvas());
    if (IsTransparent()) PaintBevels(*Canvas());
}

void TgkCustomTransparentGroupBox::PaintGroup(ui::TCanvas& canvas)
{
    auto saved = canvas.SaveScope();
    const int th = CaptionHeight(canvas);
    const ui::TRect client = ClientRect();
    const ui::TRect frame{client.Left, client.Top + th / 2 - 1, client.Right, client.Bottom};
    const std::string caption = Caption();
    const int width = caption.empty() ? 0 : canvas.TextWidth(caption) + 4;
    gkDrawGroupFrame(canvas, frame, 6, 6 + width, Ctl3D);
    if (!caption.empty()) {
        canvas.Brush()->SetStyle(ui::bsClear);
        canvas.Font()->SetColor(Enabled() ? Font()->Color() : rtl::clGrayText);
        canvas.TextOut(8, 0, caption);
    }
}

void TgkCustomTransparentGroupBox::PaintBevels(ui::TCanvas& canvas)
{
    ui::TRect r = ClientRect();
    const auto bevel = [&](ui::TBevelCut cut) {
        if (cut == ui::bvNone) return;
        const unsigned edge = cut == ui::bvLowered ? ui::BDR_SUNKENOUTER : ui::BDR_RAISEDINNER;
        for (int i = 0; i < bevelWidth_; ++i) ui::DrawEdge(canvas, r, edge, ui::BF_RECT | ui::BF_ADJUST);
    };
    bevel(bevelOuter_);
    if (borderWidth_ > 0) {
        auto saved = canvas.SaveScope();
        canvas.Brush()->SetStyle(ui::bsSolid);
        canvas.Brush()->SetColor(Color());
        for (int i = 0; i < borderWidth_; ++i) {
            canvas.FrameRect(r);
            r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
        }
    }
    bevel(bevelInner_);
}

}  // namespace editctrls
