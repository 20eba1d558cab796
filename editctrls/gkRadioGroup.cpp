#include "editctrls/gkRadioGroup.h"

#include <algorithm>

#include "editctrls/gkDBDateTimePicker.h"
#include "grid/DBGrid.h"
#include "grid/GridRoutines.h"
#include "platform/classes/TypInfo.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Log.h"
#include "platform/ui/Forms.h"
#include "platform/ui/FrameControls.h"
#include "platform/ui/Grids.h"

namespace editctrls {

std::vector<ui::TRect> gkLayoutRadioButtons(const TgkRadioLayout& g)
{
    std::vector<ui::TRect> rects;
    if (g.Count <= 0) return rects;
    const int columns = std::clamp(g.Columns, 1, 16);
    const int rows = (g.Count + columns - 1) / columns;
    int w = g.Width;
    if (g.Border) w -= 7;
    if (!g.ButtonFrame) w -= 4;
    const int columnWidth =
        g.NoSpacing ? (w - (g.GroupFrame ? 2 : 0)) / columns : (w - 1) / columns - 1 - (g.GroupFrame ? 2 : 0);
    int a = 0, top0 = 0;
    if (g.Border && g.Caption) {
        a = g.Height - g.TextHeight - 5;
        top0 = (a % rows) / 2 + g.TextHeight + 1;
    } else if (g.Border) {
        a = g.Height - 5;
        top0 = (a % rows) / 2 + 2;
    } else {
        a = g.Height - (g.NoSpacing ? 0 : 3) - (g.GroupFrame ? 2 : 0);
        top0 = 2;
    }
    const int itemHeight = a / rows;
    for (int i = 0; i < g.Count; ++i) {
        const int column = i / rows, row = i % rows;
        int left = column * columnWidth + 9;
        if (!g.Border && g.ButtonFrame) ++left;
        if (g.ButtonFrame) left -= 4;
        if (!g.Border) left -= 4;
        int width = columnWidth;
        if (g.NoSpacing && column == (g.Count - 1) / rows) width = w - column * columnWidth;
        int height = itemHeight;
        if (g.NoSpacing && (row == rows - 1 || i == g.Count - 1)) height = a - row * itemHeight;
        if (g.RightToLeft) left = g.ClientWidth - left - columnWidth;
        const int top = row * itemHeight + top0;
        rects.push_back({left, top, left + width, top + height});
    }
    return rects;
}

// ---- Frames --------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TgkRGEditFrame, TgkEditFrame) {}

TgkRGEditFrame::TgkRGEditFrame(classes::TPersistent* owner) : TgkEditFrame(owner)
{
    SetFocusBorders({});
    SetNonFocusBorders({});
}

// ---- The radio button ----------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TgkCustomRadioButton, TgkCustomCheckBox) {}

TgkCustomRadioButton::TgkCustomRadioButton(classes::TComponent* owner) : TgkCustomCheckBox(owner)
{
    SetBounds(Left(), Top(), 113, 17);
    SetTabStop(false);
}

unsigned TgkCustomRadioButton::GlyphKind() const { return ui::DFCS_BUTTONRADIO; }

void TgkCustomRadioButton::SetGlyphImages(ui::TImageList* images)
{
    gkReferTo(*this, glyphImages_, images);
    Invalidate();
}

void TgkCustomRadioButton::Notification(classes::TComponent* component, classes::TOperation operation)
{
    TgkCustomCheckBox::Notification(component, operation);
    if (operation == classes::opRemove && component == glyphImages_) glyphImages_ = nullptr;
}

int TgkCustomRadioButton::TextShift() const
{
    const int i = ButtonIndex();
    return glyphImages_ != nullptr && glyphImages_->Count() > i ? glyphImages_->Width() + 2 : 0;
}

void TgkCustomRadioButton::DrawBesideGlyph(ui::TCanvas& canvas, const ui::TRect& glyph)
{
    const int i = ButtonIndex();
    if (glyphImages_ == nullptr || glyphImages_->Count() <= i) return;
    ui::TBitmap image(glyphImages_->Width(), glyphImages_->Height());
    image.Pixels() = glyphImages_->Image(i);
    const int x = GlyphPosition() == 1 ? glyph.Right + 2 : glyph.Left - 2 - image.Width();
    canvas.Draw(x, (ClientHeight() - image.Height()) / 2, image);
}

void TgkCustomRadioButton::SetCheckedByProgram(bool v)
{
    if (v == Checked()) return;
    // Quietly: the owner of the change tells its listeners itself.
    auto saved = OnClick;
    OnClick = nullptr;
    const rtl::TScopeExit back([&] { OnClick = saved; });
    SetChecked(v);
    if (v && Parent() != nullptr) {
        for (int i = 0; i < Parent()->ControlCount(); ++i) {
            auto* other = dynamic_cast<TgkCustomRadioButton*>(Parent()->Controls(i));
            if (other != nullptr && other != this) other->SetCheckedByProgram(false);
        }
    }
    if (v && dynamic_cast<TgkCustomRadioGroup*>(Parent()) != nullptr) SetTabStop(false);
}

void TgkCustomRadioButton::Toggle()
{
    if (ReadOnly() || Checked()) return;
    SetCheckedByProgram(true);
    CheckedByUser();
    Click();
}

// ---- The group's buttons -----------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TGroupButton, TgkRadioButton) {}

TGroupButton::TGroupButton(TgkCustomRadioGroup* group, int index) : TgkRadioButton(group), group_(group), index_(index)
{
}

bool TGroupButton::PaintingCopy() const { return group_->ControlState().Contains(csPaintCopy); }

bool TGroupButton::IsChecked()
{
    if (PaintingCopy()) return group_->FieldText() == group_->GetItemValue(index_);
    return Checked();
}

rtl::TColor TGroupButton::HeldBackground() const { return group_->HeldBrush(); }

void TGroupButton::Toggle()
{
    if (Checked()) return;
    group_->ButtonClicked(index_);
}

bool TGroupButton::EnterEdit() { return group_->CanModify(); }

void TGroupButton::ResetLink() { group_->DataLink()->Reset(); }

void TGroupButton::ExitControl() { group_->ExitGroup(*this); }

void TGroupButton::KeyDown(ui::TKey& key, ui::TShiftState shift)
{
    auto* g = dynamic_cast<grid::TgkCustomDBGrid*>(group_->Parent());
    const bool arrow = key == ui::VK_UP || key == ui::VK_DOWN || key == ui::VK_LEFT || key == ui::VK_RIGHT;
    if (g != nullptr && (key == ui::VK_RETURN || (key == ui::VK_F2 && g->InheritsFrom("TgkDBGrid")))) {
        const ui::TKey k = key;
        key = 0;
        g->SetFocus();
        g->Perform(ui::WM_KEYDOWN, k, static_cast<std::intptr_t>(shift.Bits()));
        return;
    }
    if (arrow) {
        const bool back = key == ui::VK_UP || key == ui::VK_LEFT;
        const int next = index_ + (back ? -1 : 1);
        if (next >= 0 && next < group_->ButtonCount()) {
            key = 0;
            TGroupButton* b = group_->Buttons(next);
            b->SetFocus();
            b->Toggle();
            return;
        }
        // Past the first or last button: in a grid cell the grid moves on.
        if (g != nullptr) {
            const ui::TKey k = key;
            key = 0;
            g->SetFocus();
            g->Perform(ui::WM_KEYDOWN, k, static_cast<std::intptr_t>(shift.Bits()));
            return;
        }
    }
    TgkRadioButton::KeyDown(key, shift);
}

void TGroupButton::Dispatch(ui::TMessage& m)
{
    TgkRadioButton::Dispatch(m);
    // The group shows its focus state.
    if (m.Msg == ui::CM_ENTER || m.Msg == ui::CM_EXIT) group_->Invalidate();
}

// ---- The group ---------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TgkCustomRadioGroup, TgkCustomTransparentGroupBox) {}

TgkCustomRadioGroup::TgkCustomRadioGroup(classes::TComponent* owner)
    : TgkCustomTransparentGroupBox(owner),
      frame_(this),
      buttonFrame_(this),
      indents_(this),
      link_(std::make_unique<db::TFieldDataLink>())
{
    items_.OnChange = [this](rtl::TStringList&) {
        RebuildButtons();
        DataChange();
    };
    values_.OnChange = [this](rtl::TStringList&) { DataChange(); };
    indents_.OnChange = [this] {
        RebuildButtons();
        if (grid::gkIsInGrid(this)) Parent()->Invalidate();
    };
    link_->SetControl(this);
    link_->OnDataChange = [this](db::TFieldDataLink*) { DataChange(); };
    link_->OnUpdateData = [this](db::TFieldDataLink*) {
        if (db::TField* f = Field()) f->SetAsString(value_);
    };
}

TgkCustomRadioGroup::~TgkCustomRadioGroup()
{
    items_.OnChange = nullptr;
    values_.OnChange = nullptr;
    if (DataSource() != nullptr) DataSource()->RemoveFreeNotification(this);
    link_->SetDataSource(nullptr);
    // Each button tells the group it goes (Notification); the list is let go first.
    const std::vector<TGroupButton*> buttons = std::move(buttons_);
    buttons_.clear();
    for (TGroupButton* b : buttons) delete b;
}

void TgkCustomRadioGroup::SetOption(bool& field, bool v)
{
    if (field == v) return;
    field = v;
    LayoutButtons();
    Invalidate();
}

void TgkCustomRadioGroup::SetAlignment(classes::TAlignment a)
{
    alignment_ = a;
    LayoutButtons();
}

void TgkCustomRadioGroup::SetImages(ui::TImageList* images)
{
    gkReferTo(*this, images_, images);
    LayoutButtons();
}

void TgkCustomRadioGroup::SetGlyphImages(ui::TImageList* images)
{
    gkReferTo(*this, glyphImages_, images);
    LayoutButtons();
}

void TgkCustomRadioGroup::Notification(classes::TComponent* component, classes::TOperation operation)
{
    TgkCustomTransparentGroupBox::Notification(component, operation);
    if (operation != classes::opRemove) return;
    if (component == images_) images_ = nullptr;
    if (component == glyphImages_) glyphImages_ = nullptr;
    if (component == DataSource()) link_->SetDataSource(nullptr);
    if (component == images_ || component == glyphImages_) return;
    for (TGroupButton*& b : buttons_)
        if (b == component) b = nullptr;
    buttons_.erase(std::remove(buttons_.begin(), buttons_.end(), nullptr), buttons_.end());
}

std::string TgkCustomRadioGroup::GetItemValue(int index) const
{
    if (index < 0) return {};
    if (index < values_.Count() && !values_.Strings(index).empty()) return values_.Strings(index);
    if (index < items_.Count()) return items_.Strings(index);
    return {};
}

std::string TgkCustomRadioGroup::GetCaptionForValue(const std::string& value) const
{
    for (int i = 0; i < items_.Count(); ++i)
        if (GetItemValue(i) == value) return items_.Strings(i);
    return {};
}

std::optional<std::string> TgkCustomRadioGroup::GridCellText(const db::TField& field) const
{
    return GetCaptionForValue(field.AsString());
}

void TgkCustomRadioGroup::SetValue(const std::string& value)
{
    if (value == value_) return;
    {
        updating_ = true;
        const rtl::TScopeExit done([this] { updating_ = false; });
        int index = -1;
        for (int i = 0; i < items_.Count() && index < 0; ++i)
            if (GetItemValue(i) == value) index = i;
        SetItemIndex(index);
    }
    value_ = value;
    if (OnChange) OnChange(this);
}

void TgkCustomRadioGroup::SetItemIndex(int index)
{
    if (Loading()) {
        itemIndex_ = index;
        return;
    }
    index = std::clamp(index, -1, ButtonCount() - 1);
    if (index == itemIndex_) return;
    itemIndex_ = index;
    CheckButtons();
    Click();
}

void TgkCustomRadioGroup::CheckButtons()
{
    checking_ = true;
    const rtl::TScopeExit done([this] { checking_ = false; });
    for (int i = 0; i < ButtonCount(); ++i) buttons_[static_cast<std::size_t>(i)]->SetCheckedByProgram(i == itemIndex_);
}

void TgkCustomRadioGroup::SetColumns(int n)
{
    n = std::clamp(n, 1, 16);
    if (n == columns_) return;
    columns_ = n;
    LayoutButtons();
    Invalidate();
}

void TgkCustomRadioGroup::Click()
{
    if (updating_) return;
    TgkCustomTransparentGroupBox::Click();
    if (itemIndex_ >= 0) {
        SetValue(GetItemValue(itemIndex_));
        if (link_->Editing()) link_->SetModified();
    }
}

bool TgkCustomRadioGroup::CanModify()
{
    if (readOnly_) return false;
    if (link_->DataSource() != nullptr && link_->DataSource()->DataSet() != nullptr)
        return link_->CanModify() && link_->Edit();
    return true;
}

void TgkCustomRadioGroup::ButtonClicked(int index)
{
    if (checking_ || !CanModify()) return;
    SetItemIndex(index);
    if (Transparent()) Invalidate();
}

void TgkCustomRadioGroup::ExitGroup(TGroupButton& button)
{
    // The focus may move to a sibling button: the group is left only when it goes elsewhere.
    const ui::TWinControl* to = nullptr;
    if (const ui::TCustomForm* form = ui::GetParentForm(this)) to = form->ActiveControl();
    if (to != nullptr && to->Parent() == this) return;
    if (!link_->Modified()) return;
    try {
        link_->UpdateRecord();
    } catch (...) {
        button.SetFocus();
        throw;
    }
}

bool TgkCustomRadioGroup::Focused() const
{
    for (const TGroupButton* b : buttons_)
        if (b->Focused()) return true;
    return ui::TCustomControl::Focused();
}

db::TDataSource* TgkCustomRadioGroup::DataSource() const { return link_->DataSource(); }

void TgkCustomRadioGroup::SetDataSource(db::TDataSource* source)
{
    if (source == DataSource()) return;
    gkSetLinkSource(*this, *link_, source);
    DataChange();
}

const std::string& TgkCustomRadioGroup::DataField() const { return link_->FieldName(); }

void TgkCustomRadioGroup::SetDataField(const std::string& name)
{
    link_->SetFieldName(name);
    DataChange();
}

db::TField* TgkCustomRadioGroup::Field() const { return link_->Field(); }

std::string TgkCustomRadioGroup::FieldText() const
{
    const db::TField* f = Field();
    return f != nullptr ? f->AsString() : std::string();
}

void TgkCustomRadioGroup::DataChange()
{
    if (Loading()) return;
    if (link_->DataSource() == nullptr && link_->FieldName().empty()) return;
    SetValue(FieldText());
}

void TgkCustomRadioGroup::Loaded()
{
    TgkCustomTransparentGroupBox::Loaded();
    const int index = itemIndex_;
    itemIndex_ = -1;
    RebuildButtons();
    SetItemIndex(index);
    DataChange();
}

void TgkCustomRadioGroup::RebuildButtons()
{
    if (Loading()) return;
    while (ButtonCount() < items_.Count()) {
        auto* b = new TGroupButton(this, ButtonCount());
        b->SetVisible(false);
        b->SetEnabled(Enabled());
        b->SetParentShowHint(false);
        b->SetParent(this);
        buttons_.push_back(b);
    }
    while (ButtonCount() > items_.Count()) {
        TGroupButton* b = buttons_.back();
        buttons_.pop_back();
        delete b;
    }
    for (int i = 0; i < ButtonCount(); ++i) {
        buttons_[static_cast<std::size_t>(i)]->SetIndex(i);
        buttons_[static_cast<std::size_t>(i)]->SetCaption(items_.Strings(i));
    }
    itemIndex_ = std::clamp(itemIndex_, -1, ButtonCount() - 1);
    {
        updating_ = true;
        const rtl::TScopeExit done([this] { updating_ = false; });
        CheckButtons();
    }
    LayoutButtons();
    Invalidate();
}

void TgkCustomRadioGroup::Resize()
{
    TgkCustomTransparentGroupBox::Resize();
    LayoutButtons();
}

void TgkCustomRadioGroup::LayoutButtons()
{
    if (Loading() || buttons_.empty()) return;
    const bool inGrid = grid::gkIsInGrid(this);
    TgkRadioLayout layout;
    layout.Width = Width();
    layout.Height = Height();
    layout.ClientWidth = ClientWidth();
    layout.Count = ButtonCount();
    layout.Columns = columns_;
    layout.TextHeight = ui::MeasureFont(*Font()).Metrics().Height;
    layout.Border = showBorder_ && !inGrid;
    layout.Caption = showGroupCaption_;
    layout.NoSpacing = noSpacing_;
    layout.GroupFrame = frame_.Enabled();
    layout.ButtonFrame = buttonFrame_.Enabled();
    layout.RightToLeft = BiDiMode != ui::bdLeftToRight;
    const std::vector<ui::TRect> rects = gkLayoutRadioButtons(layout);
    // One update for all the buttons, with painting suspended meanwhile.
    Perform(ui::WM_SETREDRAW, 0);
    const rtl::TScopeExit resume([this] {
        Perform(ui::WM_SETREDRAW, 1);
        Invalidate();
    });
    for (int i = 0; i < ButtonCount(); ++i) {
        TGroupButton* b = buttons_[static_cast<std::size_t>(i)];
        const ui::TRect& r = rects[static_cast<std::size_t>(i)];
        b->SetBounds(r.Left, r.Top, r.Width(), r.Height());
        b->Frame()->AssignFrame(buttonFrame_, true);
        b->SetWordWrap(wordWrap_);
        b->SetShowText(showText_);
        b->SetAlignment(alignment_);
        b->SetImages(images_);
        b->SetGlyphImages(glyphImages_);
        b->SetShowFocusRect(showFocusRect_);
        b->Indents()->Assign(indents_);
        b->AlwaysTransparent = transparentActiveItem_ && Transparent();
        b->Frame()->SetEnabled(inGrid || Transparent());
        if (!inGrid && Transparent()) b->Frame()->SetTransparent(true);
        b->SetColor(Color());
        b->SetVisible(true);
        if (OnCreateRadioButton) OnCreateRadioButton(*this, *b);
    }
}

void TgkCustomRadioGroup::Dispatch(ui::TMessage& m)
{
    if (m.Msg == CM_GETDATALINK) {
        m.Result = reinterpret_cast<std::intptr_t>(link_.get());
        return;
    }
    if (m.Msg == ui::WM_KEYDOWN) {
        const auto key = static_cast<ui::TKey>(m.WParam);
        if (key == ui::VK_BACK || key == ui::VK_SPACE) CanModify();
        if (key == ui::VK_ESCAPE) link_->Reset();
    }
    TgkCustomTransparentGroupBox::Dispatch(m);
}

rtl::TColor TgkCustomRadioGroup::CellBrush(ui::TCanvas& canvas, grid::TgkCustomDBGrid& grid)
{
    if (grid.PlacedControl() != this || !grid.HasFocus()) return Color();
    canvas.Font()->SetColor(rtl::clHighlightText);
    canvas.Brush()->SetColor(rtl::clHighlight);
    // The grid's cell colours have the last word over a field's highlighted cell.
    if (db::TField* field = Field())
        grid.CalcCellColors(field, ui::TGridDrawState{ui::gdSelected, ui::gdFocused}, true, canvas.Font(),
                            canvas.Brush());
    return canvas.Brush()->Color();
}

void TgkCustomRadioGroup::PaintGroup(ui::TCanvas& canvas)
{
    auto saved = canvas.SaveScope();
    const ui::TRect client = ClientRect();
    const bool focused = Focused();
    heldBrush_ = rtl::clNone;
    auto* dbGrid = dynamic_cast<grid::TgkCustomDBGrid*>(Parent());
    if (dbGrid != nullptr && !ControlState().Contains(csPaintCopy) && focused) {
        canvas.Brush()->SetStyle(ui::bsSolid);
        const rtl::TColor brush = CellBrush(canvas, *dbGrid);
        canvas.Brush()->SetColor(brush);
        canvas.FillRect(client);
        heldBrush_ = brush;
        if (dbGrid->PlacedControl() == this && dbGrid->HasFocus()) grid::gkDrawFocusFrame(canvas, client);
    }
    if (frame_.Enabled() && !IsTransparent() && !focused && frame_.NonFocusColor != rtl::clNone) {
        canvas.Brush()->SetStyle(ui::bsSolid);
        canvas.Brush()->SetColor(frame_.NonFocusColor);
        canvas.FillRect(client);
    }
    if (!showBorder_ || grid::gkIsInGrid(this)) return;
    canvas.SetFont(*Font());
    const int band = showGroupCaption_ ? canvas.TextHeight("0") : 2;
    const ui::TRect frame{client.Left, client.Top + band / 2 - 1, client.Right, client.Bottom};
    const std::string caption = showGroupCaption_ ? Caption() : std::string();
    const int width = caption.empty() ? 0 : canvas.TextWidth(caption);
    const bool rtl = BiDiMode != ui::bdLeftToRight;
    const int x = rtl ? client.Right - 8 - width : 8;
    gkDrawGroupFrame(canvas, frame, x - 2, caption.empty() ? x - 2 : x + width + 2, Ctl3D);
    if (!caption.empty()) {
        canvas.Brush()->SetStyle(ui::bsClear);
        canvas.Font()->SetColor(Enabled() ? Font()->Color() : rtl::clGrayText);
        canvas.TextOut(x, 0, caption);
    }
}

// ---- Published ---------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TgkRadioButton, TgkCustomRadioButton)
{
    using C = TgkRadioButton;
    p.Boolean(
        "AlwaysTransparent", [](const C& c) { return c.AlwaysTransparent; }, [](C& c, bool v) { c.AlwaysTransparent = v; },
        false);
    p.Object("Frame", [](const C& c) { return const_cast<C&>(c).Frame(); });
    p.String("ValueChecked", &C::ValueChecked, &C::SetValueChecked, "True");
    p.String("ValueUnchecked", &C::ValueUnchecked, &C::SetValueUnchecked, "False");
    p.Boolean("ShowFocusRect", &C::ShowFocusRect, &C::SetShowFocusRect, true);
    p.Object("Indents", [](const C& c) { return const_cast<C&>(c).Indents(); });
    p.Component<ui::TImageList>("Images", &C::Images, &C::SetImages);
    p.Component<ui::TImageList>("GlyphImages", &C::GlyphImages, &C::SetGlyphImages);
    p.Boolean("WordWrap", &C::WordWrap, &C::SetWordWrap, false);
    p.String("Caption", &C::Caption, &C::SetCaption);
    p.Boolean("Checked", &C::Checked, &C::SetCheckedByProgram, false);
    p.Event("OnMouseEnter", &C::OnMouseEnter);
    p.Event("OnMouseLeave", &C::OnMouseLeave);
}

GW_IMPLEMENT_CLASS(TgkRadioGroup, TgkCustomRadioGroup)
{
    using C = TgkRadioGroup;
    p.Integer("ItemIndex", &C::ItemIndex, &C::SetItemIndex, -1);
    p.Boolean("TransparentActiveItem", &C::TransparentActiveItem, &C::SetTransparentActiveItem, false);
    p.Object("Frame", [](const C& c) { return const_cast<C&>(c).Frame(); });
    p.Object("ButtonFrame", [](const C& c) { return static_cast<TgkEditFrame*>(const_cast<C&>(c).ButtonFrame()); });
    p.Object("Indents", [](const C& c) { return const_cast<C&>(c).Indents(); });
    p.Component<ui::TImageList>("Images", &C::Images, &C::SetImages);
    p.Component<ui::TImageList>("GlyphImages", &C::GlyphImages, &C::SetGlyphImages);
    p.Boolean("ShowBorder", &C::ShowBorder, &C::SetShowBorder, true);
    p.Boolean("ShowGroupCaption", &C::ShowGroupCaption, &C::SetShowGroupCaption, true);
    p.Boolean("ShowFocusRect", &C::ShowFocusRect, &C::SetShowFocusRect, true);
    p.Boolean("Transparent", &C::Transparent, &C::SetTransparent, false);
    p.Enumeration("BevelInner", ui::BevelCutInfo(), &C::BevelInner, &C::SetBevelInner, ui::bvNone);
    p.Enumeration("BevelOuter", ui::BevelCutInfo(), &C::BevelOuter, &C::SetBevelOuter, ui::bvRaised);
    p.Integer("BevelWidth", &C::BevelWidth, &C::SetBevelWidth, 1);
    p.Integer("BorderWidth", &C::BorderWidth, &C::SetBorderWidth, 0);
    p.Boolean("ShowText", &C::ShowText, &C::SetShowText, true);
    p.Boolean("NoSpacing", &C::NoSpacing, &C::SetNoSpacing, false);
    p.Enumeration(
        "BiDiMode", ui::BiDiModeInfo(), [](const C& c) { return c.BiDiMode; }, [](C& c, ui::TBiDiMode v) { c.BiDiMode = v; },
        ui::bdLeftToRight);
    p.String("Caption", &C::Caption, &C::SetCaption);
    p.Integer("Columns", &C::Columns, &C::SetColumns, 1);
    p.Boolean(
        "Ctl3D", [](const C& c) { return c.Ctl3D; },
        [](C& c, bool v) {
            c.Ctl3D = v;
            c.Invalidate();
        },
        true);
    p.Component<db::TDataSource>("DataSource", &C::DataSource, &C::SetDataSource);
    p.String("DataField", &C::DataField, &C::SetDataField);
    p.Strings("Items", [](const C& c) { return const_cast<C&>(c).Items(); });
    p.Boolean("ReadOnly", &C::ReadOnly, &C::SetReadOnly, false);
    p.Boolean("WordWrap", &C::WordWrap, &C::SetWordWrap, false);
    p.Enumeration("Alignment", LeftRightInfo(), &C::Alignment, &C::SetAlignment, classes::taRightJustify);
    p.Strings("Values", [](const C& c) { return const_cast<C&>(c).Values(); });
    p.Event("OnChange", &C::OnChange);
}

}  // namespace editctrls
