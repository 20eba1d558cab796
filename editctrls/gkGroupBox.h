#pragma once
// TgkCustomTransparentGroupBox: a group box that can let its parent show through. It paints
// itself through the canvas: an etched frame whose top runs through the middle of the caption
// line, the caption 8 pixels from the left (from the right for right-to-left reading) with a
// gap in the frame under it.
//
// Promises:
// - Transparent in effect: Transparent set, not designed, and the parent is no grid (inside a
//   grid the box paints opaque). Then no background is filled (the parent shows through) and
//   the bevels are drawn after the frame: BevelOuter (raised at creation), a BorderWidth frame
//   in Color, BevelInner, each bevel BevelWidth rings.
// - Opaque: the client area is filled with Color first; no bevels.
// - Switching Transparent repaints at once (when not loading).

#include <string>

#include "platform/ui/CustomControl.h"

namespace editctrls {

// The group frame: an etched (Ctl3D: a highlight line one pixel right and down of a shadow
// line; else one window-frame line) outline of `frame` that leaves a gap from `gapLeft` to
// `gapRight` in its top side (no gap when they are equal).
void gkDrawGroupFrame(ui::TCanvas& canvas, const ui::TRect& frame, int gapLeft, int gapRight, bool ctl3D);

class TgkCustomTransparentGroupBox : public ui::TCustomControl {
    GW_CLASS(TgkCustomTransparentGroupBox)

public:
    explicit TgkCustomTransparentGroupBox(classes::TComponent* owner);

    bool Transparent() const noexcept { return transparent_; }
    virtual void SetTransparent(bool v);
    // Transparent, not designed, the parent no grid.
    virtual bool IsTransparent() const;
    bool TransparentWindow() const override { return IsTransparent(); }

    // The bevels of the transparent look, as the panel's (raised outer bevel, one ring); a
    // change repaints. BevelWidth is at least 1, BorderWidth at least 0.
    ui::TBevelCut BevelOuter() const noexcept { return bevelOuter_; }
    void SetBevelOuter(ui::TBevelCut cut);
    ui::TBevelCut BevelInner() const noexcept { return bevelInner_; }
    void SetBevelInner(ui::TBevelCut cut);
    int BevelWidth() const noexcept { return bevelWidth_; }
    void SetBevelWidth(int width);
    int BorderWidth() const noexcept { return borderWidth_; }
    void SetBorderWidth(int width);
    bool Ctl3D = true;

    // Below the caption, inside the frame.
    ui::TRect AlignRect() const override;
    void Dispatch(ui::TMessage& message) override;

protected:
    void Paint() override;
    // The frame and caption (the group box's own look).
    virtual void PaintGroup(ui::TCanvas& canvas);
    void PaintBevels(ui::TCanvas& canvas);
    // The height of the caption band.
    int CaptionHeight(ui::TCanvas& canvas);

private:
    bool transparent_ = false;
    // Stores a changed value and repaints.
    template <class T>
    void Restyle(T& field, T value);
    ui::TBevelCut bevelOuter_ = ui::bvRaised;
    ui::TBevelCut bevelInner_ = ui::bvNone;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
};

}  // namespace editctrls
