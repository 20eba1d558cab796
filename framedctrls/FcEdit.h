#pragma once
// The flat-framed edit: a single-line edit that draws a frame of a TFrameStyle over the
// two-pixel ring around its native editing area, switches that frame between a flat style at
// rest and a focus style while it has the focus or the mouse, can move the focus on with
// Enter, and can take its frame settings from a TFcFrameController. TFcEdit publishes it.
//
// The frame state is the control's own (testable without a window); the window system draws
// the ring through PaintOver after the edit drew itself. Frame settings are stored in a form
// only while no controller supplies them.

#include "framedctrls/FcCommon.h"
#include "platform/ui/StdCtrls.h"

namespace framedctrls {

using ui::TImeMode;

class TFcCustomEdit : public ui::TEdit {
    GW_CLASS(TFcCustomEdit)

public:
    explicit TFcCustomEdit(classes::TComponent* owner);
    ~TFcCustomEdit() override;

    // Records the mouse state when setMouseOver; with FrameFlat picks the focus or the flat
    // style and repaints the frame.
    virtual void UpdateFrame(bool setMouseOver, bool mouseOver);
    virtual void RepaintFrame();
    virtual ui::TRect GetFrameRect() const { return ClientRect(); }
    virtual std::string GetEditText() const { return Text(); }

    void SetAlignment(ui::TAlignment a);
    bool TabOnEnter() const noexcept { return tabOnEnter_; }
    void SetTabOnEnter(bool v) { tabOnEnter_ = v; }
    rtl::TColor EditColor() const noexcept { return Color(); }
    void SetEditColor(rtl::TColor c);
    rtl::TColor FrameColor() const noexcept { return frame_.color; }
    void SetFrameColor(rtl::TColor v);
    TFcFrameController* FrameController() const noexcept { return frameController_; }
    void SetFrameController(TFcFrameController* c);
    bool FrameFlat() const noexcept { return frame_.flat; }
    void SetFrameFlat(bool v);
    TFrameStyle FrameFlatStyle() const noexcept { return frame_.flatStyle; }
    void SetFrameFlatStyle(TFrameStyle v);
    TFrameStyle FrameFocusStyle() const noexcept { return frame_.focusStyle; }
    void SetFrameFocusStyle(TFrameStyle v);
    TSides FrameSides() const noexcept { return frame_.sides; }
    void SetFrameSides(TSides v);
    TFrameStyle FrameStyle() const noexcept { return frame_.style; }
    void SetFrameStyle(TFrameStyle v);
    bool FrameVisible() const noexcept { return frame_.visible; }
    void SetFrameVisible(bool v);
    bool UseFrameController() const noexcept { return useFrameController_; }
    void SetUseFrameController(bool v) { useFrameController_ = v; }
    bool MouseOver() const noexcept { return mouseOver_; }
    // Stored and published; there is no OEM code page to convert to here, and input
    // methods belong to the window system.
    bool OEMConvert() const noexcept { return oemConvert_; }
    void SetOEMConvert(bool v) { oemConvert_ = v; }
    TImeMode ImeMode() const noexcept { return imeMode_; }
    void SetImeMode(TImeMode m) { imeMode_ = m; }
    const std::string& ImeName() const noexcept { return imeName_; }
    void SetImeName(const std::string& s) { imeName_ = s; }

    ui::TNotifyEvent OnMouseEnter;
    ui::TNotifyEvent OnMouseLeave;

    // Window system hooks: the frame ring and its drawing.
    int FrameRingWidth() const override { return frame_.visible ? 2 : 0; }
    bool PaintsOver() const override { return frame_.visible; }
    void PaintOver(ui::TCanvas& canvas) override;

    void Dispatch(ui::TMessage& message) override;
    void KeyDown(ui::TKey& key, ui::TShiftState shift) override;
    void KeyPress(char& key) override;
    bool WantsKey(ui::TKey key) const override;
    void Notification(classes::TComponent* component, classes::TOperation operation) override;

    // Whether the frame settings are written (only without a controller).
    bool FrameStored() const noexcept { return frameController_ == nullptr; }

private:
    // Enter moves the focus on, once the key has been handled.
    void PostTab();

    bool tabOnEnter_ = false;
    TFrameSettings frame_;
    TFcFrameController* frameController_ = nullptr;
    bool useFrameController_ = true;
    bool oemConvert_ = false;
    TImeMode imeMode_ = ui::imDontCare;
    std::string imeName_;
    bool mouseOver_ = false;
    bool focused_ = false;
    bool tabPending_ = false;
};

class TFcEdit : public TFcCustomEdit {
    GW_CLASS(TFcEdit)

public:
    explicit TFcEdit(classes::TComponent* owner) : TFcCustomEdit(owner) {}
};

}  // namespace framedctrls
