#pragma once
// Image, shape, splitter and timer.

#include "platform/ui/Controls.h"
#include "platform/ui/Graphics.h"

namespace ui {

// The icons of message boxes, drawn by the window system in its own style.
enum TSystemIcon { siNone, siWarning, siError, siInformation, siQuestion };

class TImage : public TControl {
    GW_CLASS(TImage)

public:
    explicit TImage(classes::TComponent* owner);

    // Shown when the picture is empty.
    TSystemIcon SystemIcon() const noexcept { return systemIcon_; }
    void SetSystemIcon(TSystemIcon icon);

    TPicture* Picture() noexcept { return &picture_; }
    bool Stretch() const noexcept { return stretch_; }
    void SetStretch(bool v);
    bool Center() const noexcept { return center_; }
    void SetCenter(bool v);
    bool Proportional() const noexcept { return proportional_; }
    void SetProportional(bool v);
    bool Transparent() const noexcept { return transparent_; }
    void SetTransparent(bool v);
    bool AutoSize() const noexcept { return autoSize_; }
    void SetAutoSize(bool v);
    // Where the picture is drawn inside the control, after Stretch, Proportional and Center.
    TRect DestRect() const;

private:
    void PictureChanged();

    TPicture picture_;
    TSystemIcon systemIcon_ = siNone;
    bool stretch_ = false;
    bool center_ = false;
    bool proportional_ = false;
    bool transparent_ = false;
    bool autoSize_ = false;
};

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

class TShape : public TControl {
    GW_CLASS(TShape)

public:
    explicit TShape(classes::TComponent* owner);

    TShapeType Shape() const noexcept { return shape_; }
    void SetShape(TShapeType s);
    TPen* Pen() noexcept { return &pen_; }
    TBrush* Brush() noexcept { return &brush_; }

private:
    TShapeType shape_ = stRectangle;
    TPen pen_;
    TBrush brush_;
};

// A bar between an aligned control and the rest of its parent; dragging it resizes that
// control, which keeps at least MinSize pixels and leaves at least MinSize to the rest.
class TSplitter : public TControl {
    GW_CLASS(TSplitter)

public:
    explicit TSplitter(classes::TComponent* owner);

    int MinSize() const noexcept { return minSize_; }
    void SetMinSize(int v) { minSize_ = v; }
    bool Beveled() const noexcept { return beveled_; }
    void SetBeveled(bool v);
    // The control this splitter resizes: the one aligned to the same side whose edge
    // touches it.
    TControl* ResizedControl() const;
    // The user dragged the bar `delta` pixels (right or down positive); fires OnMoved.
    void MoveByUser(int delta);

    TNotifyEvent OnMoved;

private:
    int minSize_ = 30;
    bool beveled_ = false;
};

// Fires OnTimer every Interval milliseconds while Enabled (the window system runs it;
// headless, Timer() fires it by hand).
class TTimer : public classes::TComponent {
    GW_CLASS(TTimer)

public:
    explicit TTimer(classes::TComponent* owner);
    ~TTimer() override;

    bool Enabled() const noexcept { return enabled_; }
    void SetEnabled(bool v);
    int Interval() const noexcept { return interval_; }
    void SetInterval(int ms);
    // One tick: fires OnTimer (exceptions go to the application).
    void Timer();
    void Loaded() override;

    TNotifyEvent OnTimer;

private:
    void Update();

    bool enabled_ = true;
    int interval_ = 1000;
};

const classes::TEnumInfo& ShapeTypeInfo();

}  // namespace ui
