#include "editctrls/gkCheckBox.h"

#include <algorithm>

#include "editctrls/gkDBDateTimePicker.h"
#include "grid/DBGrid.h"
#include "grid/GridRoutines.h"
#include "platform/classes/TypInfo.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Log.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/FrameControls.h"
#include "platform/ui/Grids.h"
#include "platform/ui/Input.h"

namespace editctrls {

namespace {

// Each ";"-separated part of `values` in turn, until `visit` answers true.
template <class F>
bool AnySpelling(std::string_view values, F visit)
{
    std::size_t start = 0;
    while (true) {
        const std::size_t end = values.find(';', start);
        if (visit(values.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start)))
            return true;
        if (end == std::string_view::npos) return false;
        start = end + 1;
    }
}

}  // namespace

const classes::TEnumInfo& LeftRightInfo()
{
    static const classes::TEnumInfo info{"TLeftRight", {"taLeftJustify", "taRightJustify"}};
    return info;
}

void gkSetLinkSource(classes::TComponent& self, db::TFieldDataLink& link, db::TDataSource* source)
{
    db::TDataSource* old = link.DataSource();
    gkReferTo(self, old, source);
    link.SetDataSource(source);
}

TCheckBoxState gkStateOfText(std::string_view text, std::string_view checkedValues, std::string_view uncheckedValues,
                             TCheckBoxState noMatch)
{
    const auto same = [text](std::string_view spelling) { return rtl::SameText(std::string(spelling), std::string(text)); };
    if (AnySpelling(checkedValues, same)) return ui::cbChecked;
    if (AnySpelling(uncheckedValues, same)) return ui::cbUnchecked;
    return noMatch;
}

std::string gkFirstSpelling(std::string_view values) { return std::string(values.substr(0, values.find(';'))); }

// ---- Indents --------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TgkWinButtonIndents, classes::TPersistent)
{
    using C = TgkWinButtonIndents;
    p.Integer("ButtonX", &C::ButtonX, &C::SetButtonX, 0);
    p.Integer("ButtonY", &C::ButtonY, &C::SetButtonY, 0);
    p.Integer("TextX", &C::TextX, &C::SetTextX, 0);
    p.Integer("TextY", &C::TextY, &C::SetTextY, 0);
}

void TgkWinButtonIndents::Assign(const classes::TPersistent& source)
{
    if (const auto* other = dynamic_cast<const TgkWinButtonIndents*>(&source)) {
        buttonX_ = other->buttonX_;
        buttonY_ = other->buttonY_;
        textX_ = other->textX_;
        textY_ = other->textY_;
        if (OnChange) OnChange();
        if (control_ != nullptr) control_->Invalidate();
        return;
    }
    classes::TPersistent::Assign(source);
}

void TgkWinButtonIndents::Set(int& field, int v)
{
    if (field == v) return;
    field = v;
    if (OnChange) OnChange();
    if (control_ != nullptr) control_->Invalidate();
}

// ---- The check box --------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TgkCustomCheckBox, ui::TCustomControl) {}

TgkCustomCheckBox::TgkCustomCheckBox(classes::TComponent* owner)
    : ui::TCustomControl(owner), frame_(this), indents_(this)
{
    SetBounds(Left(), Top(), 97, 17);
}

TgkCustomCheckBox::~TgkCustomCheckBox()
{
    if (images_ != nullptr) images_->RemoveFreeNotification(this);
}

void TgkCustomCheckBox::SetState(TCheckBoxState s)
{
    if (s == state_) return;
    state_ = s;
    if (dynamicCaption_) SetCaption(s == ui::cbChecked ? DisplayValueChecked() : s == ui::cbUnchecked ? DisplayValueUnchecked() : std::string());
    Invalidate();
    if (!Loading()) Click();
}

void TgkCustomCheckBox::SetAlignment(classes::TAlignment a)
{
    if (a == alignment_) return;
    alignment_ = a;
    Invalidate();
}

void TgkCustomCheckBox::Toggle()
{
    if (readOnly_) return;
    switch (state_) {
    case ui::cbUnchecked: SetState(ui::cbChecked); break;
    case ui::cbChecked: SetState(allowGrayed_ ? ui::cbGrayed : ui::cbUnchecked); break;
    case ui::cbGrayed: SetState(ui::cbUnchecked); break;
    }
}

void TgkCustomCheckBox::SetValueChecked(const std::string& v)
{
    valueChecked_ = v;
    DataChange();
    Invalidate();
}

void TgkCustomCheckBox::SetValueUnchecked(const std::string& v)
{
    valueUnchecked_ = v;
    DataChange();
    Invalidate();
}

void TgkCustomCheckBox::SetDisplayValueChecked(const std::string& v)
{
    displayChecked_ = v;
    Invalidate();
}

void TgkCustomCheckBox::SetDisplayValueUnchecked(const std::string& v)
{
    displayUnchecked_ = v;
    Invalidate();
}

void TgkCustomCheckBox::SetShowFocusRect(bool v)
{
    showFocusRect_ = v;
    Invalidate();
}

void TgkCustomCheckBox::SetDynamicCaption(bool v)
{
    dynamicCaption_ = v;
    Invalidate();
}

void TgkCustomCheckBox::SetImages(ui::TImageList* images)
{
    gkReferTo(*this, images_, images);
    Invalidate();
}

void TgkCustomCheckBox::SetWordWrap(bool v)
{
    wordWrap_ = v;
    Invalidate();
}

void TgkCustomCheckBox::SetShowAsButton(bool v)
{
    showAsButton_ = v;
    Invalidate();
}

void TgkCustomCheckBox::SetNullAndBlankState(TCheckBoxState s)
{
    nullAndBlankState_ = s;
    DataChange();
}

void TgkCustomCheckBox::SetShowText(bool v)
{
    showText_ = v;
    Invalidate();
}

void TgkCustomCheckBox::Notification(classes::TComponent* component, classes::TOperation operation)
{
    ui::TCustomControl::Notification(component, operation);
    if (operation == classes::opRemove && component == images_) images_ = nullptr;
}

TCheckBoxState TgkCustomCheckBox::GetState() { return state_; }

bool TgkCustomCheckBox::TransparentWindow() const
{
    return !FillsBackground() || (frame_.IsFrameEnabled() && frame_.Transparent() && (AlwaysTransparent || !Focused()));
}

std::string TgkCustomCheckBox::GetDisplayText()
{
    if (dynamicCaption_ && PaintingCopy()) {
        switch (GetState()) {
        case ui::cbChecked: return DisplayValueChecked();
        case ui::cbUnchecked: return DisplayValueUnchecked();
        case ui::cbGrayed: return {};
        }
    }
    return Caption();
}

// ---- Layout ------------------------------------------------------------------------------------

ui::TRect TgkCustomCheckBox::CalcGlyphRect()
{
    int w = 13, h = 13;
    if (const ui::TImageList* images = GetImages(); images != nullptr && images->Count() > 0) {
        w = images->Width();
        h = images->Height();
    }
    const int hw = w / 2, hh = h / 2;
    int m = GlyphLeftMargin() + indents_.ButtonX() + 1;
    if (grid::gkIsInGrid(this)) ++m;
    if (frame_.IsFrameEnabled()) m = std::max(m, 3);
    int cx = 0;
    switch (GlyphPosition()) {
    case 1: cx = m + hw; break;
    case 2: cx = (ClientWidth() - hw) / 2; break;
    default: cx = ClientWidth() - m - hw - 2; break;
    }
    const int cy = Height() / 2;
    return {cx - hw, cy - hh + indents_.ButtonY(), cx + hw + 1, cy + hh + 1 + indents_.ButtonY()};
}

ui::TRect TgkCustomCheckBox::CalcTextRect(ui::TCanvas& canvas)
{
    const ui::TRect glyph = CalcGlyphRect();
    int t = indents_.TextX();
    if (frame_.IsFrameEnabled()) t = std::max(t, 3);
    const int shift = TextShift();
    ui::TRect r = GlyphPosition() == 1 ? ui::TRect{glyph.Right + 4 + t + shift, 0, ClientWidth(), ClientHeight()}
                                       : ui::TRect{t + 2, 0, glyph.Left - shift, ClientHeight()};
    std::string text = Caption();
    if (dynamicCaption_) {
        const std::string& a = DisplayValueChecked();
        const std::string& b = DisplayValueUnchecked();
        text = canvas.TextWidth(a) >= canvas.TextWidth(b) ? a : b;
    }
    unsigned flags = ui::DT_CALCRECT | ui::DT_NOPREFIX;
    if (wordWrap_) flags |= ui::DT_WORDBREAK;
    ui::TRect measured = r;
    canvas.DrawText(text.empty() ? std::string_view(" ") : std::string_view(text), measured, flags);
    const int height = measured.Height();
    int top = (ClientHeight() - height) / 2 + indents_.TextY();
    if (const auto* g = dynamic_cast<const grid::TgkCustomDBGrid*>(Parent()); g != nullptr && g->Options().Contains(grid::dgRowLines))
        ++top;
    return {r.Left, top, std::min(measured.Right, r.Right), top + height};
}

bool TgkCustomCheckBox::IsMouseOverGlyph(bool pressed)
{
    if (!pressed) return false;
    ui::TRect g = CalcGlyphRect();
    const ui::TPoint local = ScreenToClient(ui::GetCursorPos());
    return g.Contains(local);
}

bool TgkCustomCheckBox::OverFocusedGridCell() const
{
    const auto* g = dynamic_cast<const grid::TgkCustomDBGrid*>(Parent());
    return g != nullptr && !PaintingCopy() && g->PlacedControl() == this &&
           (g->HasFocus() || Focused());
}

// ---- Painting ----------------------------------------------------------------------------------

void TgkCustomCheckBox::Paint() { PaintTo(*Canvas()); }

void TgkCustomCheckBox::DrawGlyph(ui::TCanvas& canvas, const ui::TRect& glyph, TCheckBoxState state)
{
    unsigned flags = GlyphKind();
    if (flags == 0) flags = state == ui::cbChecked ? ui::DFCS_BUTTONCHECK : ui::DFCS_BUTTON3STATE;
    if (state == ui::cbChecked || (state == ui::cbGrayed && GlyphKind() == 0)) flags |= ui::DFCS_CHECKED;
    const bool pushed = mouseDownOnGlyph_ || spacePressed_;
    if (pushed && !PaintingCopy()) flags |= ui::DFCS_PUSHED;
    if (!Enabled()) flags |= ui::DFCS_INACTIVE;
    const ui::TImageList* images = GetImages();
    const int index = state == ui::cbChecked ? 1 : state == ui::cbGrayed ? 2 : 0;
    if (images != nullptr && images->Count() > index) {
        if (framedGlyph_) {
            auto saved = canvas.SaveScope();
            canvas.Brush()->SetStyle(ui::bsSolid);
            canvas.Brush()->SetColor(rtl::clWhite);
            canvas.Pen()->SetColor(rtl::clBlack);
            canvas.Pen()->SetStyle(ui::psSolid);
            canvas.Rectangle({glyph.Left - 1, glyph.Top - 1, glyph.Right + 1, glyph.Bottom + 1});
        }
        if (showAsButton_) {
            unsigned push = ui::DFCS_BUTTONPUSH | (flags & (ui::DFCS_PUSHED | ui::DFCS_INACTIVE));
            ui::DrawFrameControl(canvas, {glyph.Left - 2, glyph.Top - 2, glyph.Right + 2, glyph.Bottom + 2}, ui::DFC_BUTTON, push);
        }
        ui::TBitmap image(images->Width(), images->Height());
        // The list's pixels carry their own transparency (alpha).
        image.Pixels() = images->Image(index);
        canvas.Draw(glyph.Left, glyph.Top, image);
        return;
    }
    // Too few images for this state: the drawn box.
    {
        auto saved = canvas.SaveScope();
        canvas.Brush()->SetStyle(ui::bsSolid);
        canvas.Brush()->SetColor(rtl::clBtnFace);
        canvas.FillRect(glyph);
    }
    ui::DrawFrameControl(canvas, glyph, ui::DFC_BUTTON, flags);
}

rtl::TColor TgkCustomCheckBox::PaintBackground(ui::TCanvas& canvas, bool highlight)
{
    rtl::TColor fontColor = Font()->Color();
    const bool focused = Focused();
    const bool transparent = frame_.IsFrameEnabled() && frame_.Transparent() && (AlwaysTransparent || !focused);
    if (transparent || !(FillsBackground() || highlight)) return fontColor;
    rtl::TColor brush = HeldBackground() != rtl::clNone ? HeldBackground() : Color();
    if (frame_.IsFrameEnabled() && !frame_.Transparent() && !focused && frame_.NonFocusColor != rtl::clNone)
        brush = frame_.NonFocusColor;
    if (highlight) {
        brush = rtl::clHighlight;
        fontColor = rtl::clHighlightText;
        auto* g = dynamic_cast<grid::TgkCustomDBGrid*>(Parent());
        if (g->PaintOptions() != nullptr && g->PaintOptions()->ActiveRecordColor() != rtl::clNone)
            brush = g->PaintOptions()->ActiveRecordColor();
        // The grid's cell colours have the last word over a field's highlighted cell.
        if (db::TField* field = GetField()) {
            canvas.Brush()->SetColor(brush);
            canvas.Font()->SetColor(fontColor);
            g->CalcCellColors(field, ui::TGridDrawState{ui::gdSelected, ui::gdFocused}, true, canvas.Font(),
                              canvas.Brush());
            brush = canvas.Brush()->Color();
            fontColor = canvas.Font()->Color();
        }
    }
    canvas.Brush()->SetStyle(ui::bsSolid);
    canvas.Brush()->SetColor(brush);
    canvas.FillRect(ClientRect());
    return fontColor;
}

void TgkCustomCheckBox::PaintText(ui::TCanvas& canvas, rtl::TColor fontColor)
{
    const bool copy = PaintingCopy();
    const bool focused = Focused();
    const std::string text = GetDisplayText();
    if (!focused && !copy && frame_.IsFrameEnabled()) {
        const rtl::TColor c = frame_.Transparent() ? frame_.NonFocusTransparentFontColor : frame_.NonFocusFontColor;
        if (c != rtl::clNone) fontColor = c;
    }
    ui::TRect r = CalcTextRect(canvas);
    unsigned flags = ui::DT_NOPREFIX | ui::DT_LEFT;
    if (wordWrap_) flags |= ui::DT_WORDBREAK;
    canvas.Brush()->SetStyle(ui::bsClear);
    if (!Enabled()) {
        // Engraved: a highlight copy one pixel right and down under the shadow-coloured text.
        ui::TRect shadow{r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1};
        canvas.Font()->SetColor(rtl::clBtnHighlight);
        canvas.DrawText(text, shadow, flags);
        fontColor = rtl::clBtnShadow;
    }
    canvas.Font()->SetColor(fontColor);
    canvas.DrawText(text, r, flags);
    if (focused && showFocusRect_ && (!text.empty() || dynamicCaption_) && !copy) {
        const ui::TRect f{r.Left - 1, r.Top, std::min(r.Right + 1, ClientRect().Right), r.Bottom};
        canvas.Brush()->SetStyle(ui::bsSolid);
        canvas.DrawFocusRect(f);
    }
}

void TgkCustomCheckBox::PaintTo(ui::TCanvas& canvas)
{
    const bool copy = PaintingCopy();
    const bool highlight = OverFocusedGridCell();
    auto saved = canvas.SaveScope();
    canvas.SetFont(*Font());
    // 1. Background (a grid's copy stands on the cell the grid painted).
    const rtl::TColor fontColor = copy ? Font()->Color() : PaintBackground(canvas, highlight);
    // 2. Glyph.
    const ui::TRect glyph = CalcGlyphRect();
    if (!IsGlyphHidden()) DrawGlyph(canvas, glyph, copy ? GetState() : state_);
    DrawBesideGlyph(canvas, glyph);
    // 3. Text.
    if (showText_) PaintText(canvas, fontColor);
    // 4. The current cell of a focused grid.
    if (highlight && Focused() && !grid::gkIsDesigning(this)) grid::gkDrawFocusFrame(canvas, ClientRect());
}

// ---- Input ---------------------------------------------------------------------------------

bool TgkCustomCheckBox::WantsKey(ui::TKey key) const
{
    if (key == ui::VK_ESCAPE) return true;
    return ui::TCustomControl::WantsKey(key);
}

bool TgkCustomCheckBox::HandToGrid(ui::TKey& key, ui::TShiftState shift)
{
    auto* g = dynamic_cast<ui::TCustomGrid*>(Parent());
    if (g == nullptr || modified_) return false;
    const ui::TKey k = key;
    key = 0;
    g->SetFocus();
    if (g->Focused()) g->Perform(ui::WM_KEYDOWN, k, static_cast<std::intptr_t>(shift.Bits()));
    return true;
}

void TgkCustomCheckBox::KeyDown(ui::TKey& key, ui::TShiftState shift)
{
    switch (key) {
    case ui::VK_BACK: EnterEdit(); break;
    case ui::VK_SPACE:
        EnterEdit();
        spacePressed_ = true;
        Invalidate();
        break;
    case ui::VK_ESCAPE: {
        const bool wasModified = modified_;
        ResetLink();
        modified_ = false;
        if (!wasModified && HandToGrid(key, shift)) return;
        break;
    }
    default: break;
    }
    ui::TCustomControl::KeyDown(key, shift);
}

void TgkCustomCheckBox::KeyUp(ui::TKey& key, ui::TShiftState shift)
{
    if (key == ui::VK_SPACE) {
        const bool toggle = spacePressed_;
        spacePressed_ = false;
        Invalidate();
        if (toggle) Toggle();
    }
    ui::TCustomControl::KeyUp(key, shift);
}

void TgkCustomCheckBox::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    if (button == ui::mbLeft) {
        if (CanFocus() && !Focused()) SetFocus();
        ui::TRect g = CalcGlyphRect();
        mouseDownOnGlyph_ = g.Contains({x, y});
        Invalidate();
    }
    ui::TCustomControl::MouseDown(button, shift, x, y);
}

void TgkCustomCheckBox::MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    if (button == ui::mbLeft) {
        mouseDownOnGlyph_ = false;
        Invalidate();
        bool toggle = false;
        if (grid::gkIsInGrid(this)) {
            const ui::TRect g = CalcGlyphRect();
            toggle = ui::TRect{g.Left - 3, g.Top - 3, g.Right + 3, g.Bottom + 3}.Contains({x, y});
            if (InheritsFrom("TgkExpandButton") && Checked() && !Focused()) toggle = false;
        } else {
            toggle = ClientRect().Contains({x, y});
        }
        if (toggle) Toggle();
    }
    ui::TCustomControl::MouseUp(button, shift, x, y);
}

void TgkCustomCheckBox::DoMouseEnter()
{
    mouseInside_ = true;
    if (OnMouseEnter) OnMouseEnter(this);
    if (frame_.IsFrameEnabled() && !PaintingCopy()) Invalidate();
}

void TgkCustomCheckBox::DoMouseLeave()
{
    mouseInside_ = false;
    if (OnMouseLeave) OnMouseLeave(this);
    if (frame_.IsFrameEnabled() && !PaintingCopy()) Invalidate();
}

void TgkCustomCheckBox::Dispatch(ui::TMessage& m)
{
    switch (m.Msg) {
    case ui::WM_PAINT:
        if (m.WParam != 0) {
            PaintTo(*reinterpret_cast<ui::TCanvas*>(m.WParam));
            return;
        }
        break;
    case ui::CM_MOUSEENTER:
        ui::TCustomControl::Dispatch(m);
        DoMouseEnter();
        return;
    case ui::CM_MOUSELEAVE:
        ui::TCustomControl::Dispatch(m);
        DoMouseLeave();
        return;
    case ui::CM_ENTER:
        ui::TCustomControl::Dispatch(m);
        Invalidate();
        return;
    case ui::WM_ERASEBKGND:
        // PaintTo fills what it fills itself.
        m.Result = 1;
        return;
    case ui::CM_EXIT:
        ExitControl();
        spacePressed_ = false;
        Invalidate();
        break;
    default: break;
    }
    ui::TCustomControl::Dispatch(m);
}

// ---- The data-aware check box ------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TgkDBCustomCheckBox, TgkCustomCheckBox) {}

TgkDBCustomCheckBox::TgkDBCustomCheckBox(classes::TComponent* owner)
    : TgkCustomCheckBox(owner), link_(std::make_unique<db::TFieldDataLink>())
{
    link_->SetControl(this);
    link_->OnDataChange = [this](db::TFieldDataLink*) { DataChange(); };
    link_->OnUpdateData = [this](db::TFieldDataLink*) { UpdateData(); };
}

TgkDBCustomCheckBox::~TgkDBCustomCheckBox()
{
    if (DataSource() != nullptr) DataSource()->RemoveFreeNotification(this);
    link_->SetDataSource(nullptr);
}

db::TDataSource* TgkDBCustomCheckBox::DataSource() const { return link_->DataSource(); }

void TgkDBCustomCheckBox::SetDataSource(db::TDataSource* source)
{
    if (source == DataSource()) return;
    gkSetLinkSource(*this, *link_, source);
    DataChange();
}

const std::string& TgkDBCustomCheckBox::DataField() const { return link_->FieldName(); }

void TgkDBCustomCheckBox::SetDataField(const std::string& name)
{
    link_->SetFieldName(name);
    DataChange();
}


bool TgkDBCustomCheckBox::ExecuteAction(classes::TBasicAction* action)
{
    return TgkCustomCheckBox::ExecuteAction(action) || link_->ExecuteAction(action);
}

bool TgkDBCustomCheckBox::UpdateAction(classes::TBasicAction* action)
{
    return TgkCustomCheckBox::UpdateAction(action) || link_->UpdateAction(action);
}

void TgkDBCustomCheckBox::Notification(classes::TComponent* component, classes::TOperation operation)
{
    TgkCustomCheckBox::Notification(component, operation);
    if (operation == classes::opRemove && component == DataSource()) link_->SetDataSource(nullptr);
}

db::TField* TgkDBCustomCheckBox::GetField() const { return link_->Field(); }

bool TgkDBCustomCheckBox::Bound() const { return DataSource() != nullptr && !DataField().empty(); }

TCheckBoxState TgkDBCustomCheckBox::GetState()
{
    db::TField* f = GetField();
    if (f == nullptr) return State();
    if (f->IsNull()) return NullAndBlankState();
    if (dynamic_cast<db::TBooleanField*>(f) != nullptr) return f->AsBoolean() ? ui::cbChecked : ui::cbUnchecked;
    return gkStateOfText(f->AsString(), ValueChecked(), ValueUnchecked(), NullAndBlankState());
}

void TgkDBCustomCheckBox::DataChange()
{
    SetState(GetState());
    if (DataSource() != nullptr && DataSource()->State() == db::dsBrowse) SetModifiedFlag(false);
}

void TgkDBCustomCheckBox::UpdateData()
{
    db::TField* f = GetField();
    if (f == nullptr) return;
    if (State() == ui::cbGrayed)
        f->Clear();
    else if (dynamic_cast<db::TBooleanField*>(f) != nullptr)
        f->SetAsBoolean(Checked());
    else
        f->SetAsString(gkFirstSpelling(Checked() ? ValueChecked() : ValueUnchecked()));
}

void TgkDBCustomCheckBox::Toggle()
{
    if (!Bound()) {
        TgkCustomCheckBox::Toggle();
        return;
    }
    // A read-only field or data set refuses quietly: the state stays.
    if (ReadOnly() || !link_->CanModify() || !link_->Edit()) return;
    TgkCustomCheckBox::Toggle();
    link_->SetModified();
    SetModifiedFlag(true);
}

bool TgkDBCustomCheckBox::EnterEdit() { return Bound() && !ReadOnly() && link_->CanModify() && link_->Edit(); }

void TgkDBCustomCheckBox::ResetLink() { link_->Reset(); }

void TgkDBCustomCheckBox::ExitControl()
{
    if (!Bound() || !link_->Modified()) return;
    try {
        link_->UpdateRecord();
    } catch (...) {
        SetFocus();
        throw;
    }
}

void TgkDBCustomCheckBox::Dispatch(ui::TMessage& m)
{
    if (m.Msg == CM_GETDATALINK) {
        m.Result = reinterpret_cast<std::intptr_t>(link_.get());
        return;
    }
    TgkCustomCheckBox::Dispatch(m);
}

// ---- Published --------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TgkCheckBox, TgkDBCustomCheckBox)
{
    using C = TgkCheckBox;
    p.Boolean(
        "AlwaysTransparent", [](const C& c) { return c.AlwaysTransparent; }, [](C& c, bool v) { c.AlwaysTransparent = v; },
        false);
    p.Object("Frame", [](const C& c) { return const_cast<C&>(c).Frame(); });
    p.Boolean("DynamicCaption", &C::DynamicCaption, &C::SetDynamicCaption, false);
    p.String("ValueChecked", &C::ValueChecked, &C::SetValueChecked, "True");
    p.String("ValueUnchecked", &C::ValueUnchecked, &C::SetValueUnchecked, "False");
    p.String("DisplayValueChecked", &C::DisplayValueChecked, &C::SetDisplayValueChecked);
    p.String("DisplayValueUnchecked", &C::DisplayValueUnchecked, &C::SetDisplayValueUnchecked);
    p.Boolean("ShowFocusRect", &C::ShowFocusRect, &C::SetShowFocusRect, true);
    p.Enumeration("NullAndBlankState", ui::CheckBoxStateInfo(), &C::NullAndBlankState, &C::SetNullAndBlankState,
                  ui::cbUnchecked);
    p.Object("Indents", [](const C& c) { return const_cast<C&>(c).Indents(); });
    p.Enumeration("Alignment", LeftRightInfo(), &C::Alignment, &C::SetAlignment, classes::taRightJustify);
    p.Boolean("AllowGrayed", &C::AllowGrayed, &C::SetAllowGrayed, false);
    p.String("Caption", &C::Caption, &C::SetCaption);
    p.Boolean("Checked", &C::Checked, &C::SetChecked, false);
    p.Component<db::TDataSource>("DataSource", &C::DataSource, &C::SetDataSource);
    p.String("DataField", &C::DataField, &C::SetDataField);
    p.Component<ui::TImageList>("Images", &C::Images, &C::SetImages);
    p.Boolean("ShowText", &C::ShowText, &C::SetShowText, true);
    p.Enumeration("State", ui::CheckBoxStateInfo(), &C::State, &C::SetState, ui::cbUnchecked);
    p.Event("OnMouseEnter", &C::OnMouseEnter);
    p.Event("OnMouseLeave", &C::OnMouseLeave);
    p.Boolean("ReadOnly", &C::ReadOnly, &C::SetReadOnly, false);
}

}  // namespace editctrls
