// The editor window's ruler: scale, markers, marker bitmaps and the pixel-twip arithmetic.

#include "editctrls/gkRichEditRuler.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/Input.h"
#include "platform/ui/Messages.h"

namespace editctrls {

namespace {

double UnitPixels(int pixelsPerInch, TgkMeasurementUnits units)
{
    return units == muCentimeters ? pixelsPerInch / 2.54 : static_cast<double>(pixelsPerInch);
}

}  // namespace

// ---- Scale ------------------------------------------------------------------------------------

int gkRulerUnits(int panelWidth, int pixelsPerInch, TgkMeasurementUnits unitsKind)
{
    const double unit = UnitPixels(pixelsPerInch, unitsKind);
    return unit <= 0 ? 0 : static_cast<int>((panelWidth - 12) / unit);
}

TgkRulerScale gkRulerScale(const ui::TRect& rect, int pixelsPerInch, TgkMeasurementUnits unitsKind, int units)
{
    TgkRulerScale scale;
    const double unit = UnitPixels(pixelsPerInch, unitsKind);
    const int parts = unitsKind == muCentimeters ? 4 : 8;
    for (int u = 0; u <= units; ++u) {
        const double mark = rect.Left + u * unit;
        if (u >= 1) scale.numbers.push_back({static_cast<int>(std::lround(mark)), std::to_string(u)});
        if (u == units) break;
        for (int part = 1; part < parts; ++part) {
            const int x = static_cast<int>(std::lround(mark + part * unit / parts));
            const bool middle = part * 2 == parts;
            scale.ticks.push_back({x, rect.Top + (middle ? 7 : 8), rect.Bottom - (middle ? 5 : 7)});
        }
    }
    return scale;
}

// ---- Markers ----------------------------------------------------------------------------------

TgkMarkerPositions gkKeepMarkersApart(TgkMarkerPositions p, TgkMarker dragged)
{
    if (dragged == TgkMarker::Right) {
        p.right = std::max(p.right, std::max(p.left, p.first) + kMarkerSeparation);
    } else {
        p.left = std::min(p.left, p.right - kMarkerSeparation);
        p.first = std::min(p.first, p.right - kMarkerSeparation);
    }
    return p;
}

namespace {

// The right indent's pixels for a right marker at `left`, and back.
int RightIndentPixels(int left, const TgkRulerGeometry& g)
{
    return g.editorWidth - g.gutterWidth - 4 - left + g.markerWidth / 2;
}

}  // namespace

TgkCustomRichEdit::ParagraphSettings gkMarkerParagraph(const TgkMarkerPositions& p, TgkMarker dragged,
                                                       const TgkRulerGeometry& g)
{
    TgkCustomRichEdit::ParagraphSettings s;
    if (dragged == TgkMarker::Right) {
        s.mask = 1u << 3;
        s.rightIndent = gkPixelsToTwips(RightIndentPixels(p.right, g), g.pixelsPerInch);
        return s;
    }
    const int left = gkPixelsToTwips(p.left - g.leftMin, g.pixelsPerInch);
    const int first = gkPixelsToTwips(p.first - g.leftMin, g.pixelsPerInch);
    s.mask = (1u << 2) | (1u << 4);
    s.startIndent = first;
    s.offset = std::min(-first, left) + left;
    return s;
}

TgkMarkerPositions gkMarkersForParagraph(int leftTwips, int firstTwips, int rightTwips, const TgkRulerGeometry& g)
{
    TgkMarkerPositions p;
    p.left = g.leftMin + gkTwipsToPixels(leftTwips, g.pixelsPerInch);
    p.first = g.leftMin + gkTwipsToPixels(firstTwips, g.pixelsPerInch);
    p.right = g.editorWidth - g.gutterWidth - 4 + g.markerWidth / 2 - gkTwipsToPixels(rightTwips, g.pixelsPerInch);
    return p;
}

bool gkRulerBitmap(const std::string& name, ui::TBitmap& b)
{
    // An 11 x 9 pentagon pointing up ("gkRulerUp", standing on the scale's bottom) or down
    // ("gkRulerDown", hanging from its top), grey with a dark outline; the first column and the
    // spare row are the transparent colour, so the bottom-left pixel is.
    const bool up = name == "gkRulerUp";
    if (!up && name != "gkRulerDown") {
        b.SetSize(0, 0);
        return false;
    }
    constexpr int kWidth = 11, kHeight = 9;
    b.SetSize(kWidth, kHeight);
    b.Fill(rtl::clOlive);
    const auto put = [&](int x, int row, rtl::TColor c) { b.SetPixel(x, up ? row : kHeight - 2 - row, c); };
    for (int row = 0; row < kHeight - 1; ++row) {
        // Rows 0-4 the point, widening two pixels a row; rows 5-7 the full-width box.
        const int half = row < 4 ? row : 4;
        for (int x = 5 - half; x <= 5 + half; ++x) {
            const bool edge = x == 5 - half || x == 5 + half || row == kHeight - 2 || row == 0;
            put(x, row, edge ? rtl::clBlack : rtl::clSilver);
        }
    }
    for (int y = 0; y < kHeight; ++y) b.SetPixel(0, y, rtl::clOlive);
    b.SetTransparent(true);
    return true;
}

// ---- TgkTrackIcon -----------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TgkTrackIcon, ui::TCustomControl)
{
    using C = TgkTrackIcon;
    p.String("BitmapName", &C::BitmapName, &C::SetBitmapName);
    p.Integer("MinValue", &C::MinValue, &C::SetMinValue, 0);
    p.Integer("MaxValue", &C::MaxValue, &C::SetMaxValue, 0);
    p.Event("OnEndDrag", &C::OnEndDrag);
}

TgkTrackIcon::TgkTrackIcon(classes::TComponent* owner) : TCustomControl(owner) {}

bool TgkTrackIcon::TransparentWindow() const { return true; }

void TgkTrackIcon::SetBitmapName(const std::string& name)
{
    bitmapName_ = name;
    gkRulerBitmap(name, bitmap_);
    if (!bitmap_.Empty()) SetBounds(Left(), Top(), bitmap_.Width(), bitmap_.Height());
    Invalidate();
}

void TgkTrackIcon::Paint()
{
    if (!bitmap_.Empty()) Canvas()->Draw(0, 0, bitmap_);
}

void TgkTrackIcon::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != ui::mbLeft) return;
    dragging_ = true;
    pressX_ = Left() + x;
    startLeft_ = Left();
    ui::SetCaptureControl(this);
}

void TgkTrackIcon::MouseMove(ui::TShiftState shift, int x, int y)
{
    TCustomControl::MouseMove(shift, x, y);
    if (!dragging_) return;
    int left = startLeft_ + (Left() + x - pressX_);
    if (minValue_ != 0) left = std::max(left, minValue_);
    if (maxValue_ != 0) left = std::min(left, maxValue_);
    if (left != Left()) SetLeft(left);
}

void TgkTrackIcon::MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    if (dragging_ && button == ui::mbLeft) EndDrag(true);
    TCustomControl::MouseUp(button, shift, x, y);
}

void TgkTrackIcon::EndDrag(bool released)
{
    dragging_ = false;
    const bool moved = Left() != startLeft_;
    if (!released) {
        SetLeft(startLeft_);  // cut short: what shows stays what the paragraph holds
    }
    if (ui::GetCaptureControl() == this) ui::ReleaseCapture();
    if (released && moved) OnEndDrag(this);
}

void TgkTrackIcon::Dispatch(ui::TMessage& m)
{
    if (m.Msg == ui::WM_CAPTURECHANGED && dragging_) EndDrag(false);
    TCustomControl::Dispatch(m);
}

// ---- TgkRulerPanel ----------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TgkRulerPanel, ui::TCustomControl) {}

TgkRulerPanel::TgkRulerPanel(classes::TComponent* owner) : TCustomControl(owner)
{
    SetColor(rtl::clBtnFace);
    const auto make = [this](const char* bitmap) {
        auto* icon = new TgkTrackIcon(this);
        icon->SetBitmapName(bitmap);
        icon->SetParent(this);
        return icon;
    };
    left_ = make("gkRulerUp");
    right_ = make("gkRulerUp");
    first_ = make("gkRulerDown");
}

ui::TRect TgkRulerPanel::RulerRect() const
{
    const ui::TRect c = ClientRect();
    return {c.Left + 6, c.Top + 4, c.Right - 6, c.Bottom - 4};
}

void TgkRulerPanel::SetUnits(TgkMeasurementUnits u)
{
    units_ = u;
    Invalidate();
}

void TgkRulerPanel::SetPixelsPerInch(int ppi)
{
    pixelsPerInch_ = ppi;
    Invalidate();
}

TgkRulerScale TgkRulerPanel::Scale() const
{
    return gkRulerScale(RulerRect(), pixelsPerInch_, units_, gkRulerUnits(Width(), pixelsPerInch_, units_));
}

void TgkRulerPanel::Paint()
{
    ui::TCanvas& c = *Canvas();
    c.Brush()->SetColor(Color());
    c.FillRect(ClientRect());
    const ui::TRect r = RulerRect();
    c.Brush()->SetColor(rtl::clWhite);
    c.FillRect(r);
    // The sunken border: dark above and left, light below and right.
    c.Pen()->SetColor(rtl::clBtnShadow);
    c.MoveTo(r.Left, r.Bottom - 1);
    c.LineTo(r.Left, r.Top);
    c.LineTo(r.Right, r.Top);
    c.Pen()->SetColor(rtl::clBtnHighlight);
    c.LineTo(r.Right, r.Bottom);
    c.LineTo(r.Left - 1, r.Bottom);
    c.Pen()->SetColor(rtl::clBlack);
    const TgkRulerScale scale = Scale();
    for (const TgkRulerTick& t : scale.ticks) {
        c.MoveTo(t.x, t.top);
        c.LineTo(t.x, t.bottom);
    }
    c.Brush()->SetStyle(ui::bsClear);
    c.Font()->SetSize(7);
    for (const TgkRulerNumber& n : scale.numbers) {
        const ui::TSize size = c.TextExtent(n.text);
        c.TextOut(n.x - size.cx / 2, r.Top + (r.Bottom - r.Top - size.cy) / 2, n.text);
    }
}

void TgkRulerPanel::Resize()
{
    TCustomControl::Resize();
    UpdateMarkerBounds();
}

void TgkRulerPanel::UpdateMarkerBounds()
{
    const ui::TRect r = RulerRect();
    const int half = left_->Width() / 2;
    for (TgkTrackIcon* icon : {left_, first_}) icon->SetMinValue(r.Left - half);
    left_->SetMaxValue(r.Right - half);
    first_->SetMaxValue(r.Right - half);
    right_->SetMinValue(r.Left - half);
    right_->SetMaxValue(r.Right - half);
    left_->SetTop(r.Bottom - left_->Height() + 2);
    right_->SetTop(r.Bottom - right_->Height() + 2);
    first_->SetTop(r.Top - 2);
}

void TgkRulerPanel::PlaceMarkers(const TgkMarkerPositions& p)
{
    UpdateMarkerBounds();
    const auto clampTo = [](const TgkTrackIcon& icon, int v) {
        if (icon.MinValue() != 0) v = std::max(v, icon.MinValue());
        if (icon.MaxValue() != 0) v = std::min(v, icon.MaxValue());
        return v;
    };
    left_->SetLeft(clampTo(*left_, p.left));
    first_->SetLeft(clampTo(*first_, p.first));
    right_->SetLeft(clampTo(*right_, p.right));
}

TgkMarkerPositions TgkRulerPanel::Markers() const { return {left_->Left(), first_->Left(), right_->Left()}; }

}  // namespace editctrls
