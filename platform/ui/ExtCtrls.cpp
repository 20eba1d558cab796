#include "platform/ui/ExtCtrls.h"

#include <algorithm>

#include "platform/ui/Forms.h"

namespace ui {

const classes::TEnumInfo& ShapeTypeInfo()
{
    static const classes::TEnumInfo info{
        "TShapeType", {"stRectangle", "stSquare", "stRoundRect", "stRoundSquare", "stEllipse", "stCircle"}};
    return info;
}

// ---- TImage --------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TImage, TControl)
{
    p.Object("Picture", [](const TImage& i) { return &i.picture_; });
    p.Boolean("Stretch", &TImage::Stretch, &TImage::SetStretch, false);
    p.Boolean("Center", &TImage::Center, &TImage::SetCenter, false);
    p.Boolean("Proportional", &TImage::Proportional, &TImage::SetProportional, false);
    p.Boolean("Transparent", &TImage::Transparent, &TImage::SetTransparent, false);
    p.Boolean("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize, false);
}

TImage::TImage(classes::TComponent* owner) : TControl(owner)
{
    SetBounds(0, 0, 105, 105);
    picture_.OnChange = [this] { PictureChanged(); };
}

void TImage::PictureChanged()
{
    if (autoSize_ && !picture_.Empty()) SetBounds(Left(), Top(), picture_.Width(), picture_.Height());
    Changed();
}

void TImage::SetSystemIcon(TSystemIcon icon)
{
    if (systemIcon_ == icon) return;
    systemIcon_ = icon;
    Changed();
}

void TImage::SetStretch(bool v)
{
    if (stretch_ == v) return;
    stretch_ = v;
    Changed();
}

void TImage::SetCenter(bool v)
{
    if (center_ == v) return;
    center_ = v;
    Changed();
}

void TImage::SetProportional(bool v)
{
    if (proportional_ == v) return;
    proportional_ = v;
    Changed();
}

void TImage::SetTransparent(bool v)
{
    if (transparent_ == v) return;
    transparent_ = v;
    Changed();
}

void TImage::SetAutoSize(bool v)
{
    if (autoSize_ == v) return;
    autoSize_ = v;
    PictureChanged();
}

TRect TImage::DestRect() const
{
    int w = picture_.Width();
    int h = picture_.Height();
    const int cw = Width();
    const int ch = Height();
    if (w <= 0 || h <= 0) return {};
    if (stretch_ || (proportional_ && (w > cw || h > ch))) {
        if (proportional_) {
            // The largest size of the picture's shape that fits.
            if (static_cast<long long>(cw) * h > static_cast<long long>(ch) * w) {
                w = static_cast<int>(static_cast<long long>(ch) * w / h);
                h = ch;
            } else {
                h = static_cast<int>(static_cast<long long>(cw) * h / w);
                w = cw;
            }
        } else {
            w = cw;
            h = ch;
        }
    }
    TRect r{0, 0, w, h};
    if (center_) {
        r.Left = (cw - w) / 2;
        r.Top = (ch - h) / 2;
        r.Right = r.Left + w;
        r.Bottom = r.Top + h;
    }
    return r;
}

// ---- TShape --------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TShape, TControl)
{
    p.Enumeration("Shape", ShapeTypeInfo(), &TShape::Shape, &TShape::SetShape, stRectangle);
    p.Object("Pen", [](const TShape& s) { return &s.pen_; });
    p.Object("Brush", [](const TShape& s) { return &s.brush_; });
}

TShape::TShape(classes::TComponent* owner) : TControl(owner)
{
    SetBounds(0, 0, 65, 65);
    pen_.OnChange = [this] { Changed(); };
    brush_.OnChange = [this] { Changed(); };
}

void TShape::SetShape(TShapeType s)
{
    if (shape_ == s) return;
    shape_ = s;
    Changed();
}

// ---- TSplitter -----------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TSplitter, TControl)
{
    p.Enumeration("Align", AlignInfo(), &TSplitter::Align, &TSplitter::SetAlign, alLeft);
    p.Integer("MinSize", &TSplitter::MinSize, &TSplitter::SetMinSize, 30);
    p.Boolean("Beveled", &TSplitter::Beveled, &TSplitter::SetBeveled, false);
    p.Event("OnMoved", &TSplitter::OnMoved);
}

TSplitter::TSplitter(classes::TComponent* owner) : TControl(owner)
{
    SetBounds(0, 0, 3, 100);
    SetAlign(alLeft);
    SetCursor(crHSplit);
}

void TSplitter::SetBeveled(bool v)
{
    if (beveled_ == v) return;
    beveled_ = v;
    Changed();
}

TControl* TSplitter::ResizedControl() const
{
    if (parent_ == nullptr) return nullptr;
    for (int i = 0; i < parent_->ControlCount(); ++i) {
        TControl* c = parent_->Controls(i);
        if (c == this || !c->Visible() || c->Align() != Align()) continue;
        switch (Align()) {
        case alLeft:
            if (c->Left() + c->Width() == Left()) return c;
            break;
        case alRight:
            if (c->Left() == Left() + Width()) return c;
            break;
        case alTop:
            if (c->Top() + c->Height() == Top()) return c;
            break;
        case alBottom:
            if (c->Top() == Top() + Height()) return c;
            break;
        default: break;
        }
    }
    return nullptr;
}

void TSplitter::MoveByUser(int delta)
{
    TControl* c = ResizedControl();
    if (c == nullptr || delta == 0 || parent_ == nullptr) return;
    const bool horizontal = Align() == alLeft || Align() == alRight;
    const int grow = (Align() == alLeft || Align() == alTop) ? delta : -delta;
    const int size = horizontal ? c->Width() : c->Height();
    // What the client control (the rest) has now is what this control can take from it.
    const TRect rest = parent_->RemainingRect();
    const int room = horizontal ? rest.Width() : rest.Height();
    const int newSize = std::clamp(size + grow, minSize_, std::max(minSize_, size + room - minSize_));
    if (newSize == size) return;
    if (horizontal)
        c->SetWidth(newSize);
    else
        c->SetHeight(newSize);
    OnMoved(this);
}

// ---- TTimer --------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TTimer, classes::TComponent)
{
    p.Boolean("Enabled", &TTimer::Enabled, &TTimer::SetEnabled, true);
    p.Integer("Interval", &TTimer::Interval, &TTimer::SetInterval, 1000);
    p.Event("OnTimer", &TTimer::OnTimer);
}

TTimer::TTimer(classes::TComponent* owner) : TComponent(owner) { Update(); }

TTimer::~TTimer()
{
    enabled_ = false;
    Update();
}

void TTimer::SetEnabled(bool v)
{
    if (v == enabled_) return;
    enabled_ = v;
    Update();
}

void TTimer::SetInterval(int ms)
{
    if (ms == interval_) return;
    interval_ = std::max(ms, 0);
    Update();
}

void TTimer::Update()
{
    if (ComponentState().Contains(classes::csLoading)) return;
    if (IWindowSystem* ws = WindowSystem()) ws->UpdateTimer(*this);
}

void TTimer::Loaded()
{
    TComponent::Loaded();
    Update();
}

void TTimer::Timer()
{
    Application().SafeCall(this, [this] { OnTimer(this); });
}

}  // namespace ui
