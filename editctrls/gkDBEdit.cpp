#include "editctrls/gkDBEdit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "editctrls/gkDBDateTimePicker.h"
#include "grid/DBGrid.h"
#include "grid/GridRoutines.h"
#include "grid/Intl.h"
#include "grid/Scanning.h"
#include "platform/classes/TypInfo.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Log.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Grids.h"
#include "platform/ui/Input.h"
#include "platform/ui/Screen.h"

namespace editctrls {

const classes::TEnumInfo& EditDataTypeInfo()
{
    static const classes::TEnumInfo info{"TgkEditDataType", {"gkDefault", "gkEdtDate", "gkEdtTime", "gkEdtDateTime"}};
    return info;
}

// ---- The date fill --------------------------------------------------------------------------

namespace {

std::string TwoDigits(int v, bool twoDigits)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, twoDigits ? "%02d" : "%d", v);
    return buffer;
}

bool TwelveHourClock(const rtl::TFormatSettings& settings)
{
    const std::string format = rtl::LowerCase(settings.LongTimeFormat);
    return format.find("ampm") != std::string::npos || format.find("am/pm") != std::string::npos;
}

std::string TimeText(rtl::TDateTime now, const rtl::TFormatSettings& settings)
{
    int hour = 0, minute = 0, second = 0, msec = 0;
    rtl::DecodeTime(now, hour, minute, second, msec);
    const bool twelve = TwelveHourClock(settings);
    int shown = hour;
    if (twelve) {
        shown = hour % 12;
        if (shown == 0) shown = 12;
    }
    std::string text = std::to_string(shown) + settings.TimeSeparator + TwoDigits(minute, true) +
                       settings.TimeSeparator + TwoDigits(second, true);
    if (twelve) text += " " + (hour < 12 ? settings.TimeAMString : settings.TimePMString);
    return text;
}

int CountOf(const std::string& text, const std::string& part)
{
    if (part.empty()) return 0;
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

}  // namespace

std::string gkDateFillStep(const std::string& text, TgkEditDataType kind, rtl::TDateTime now,
                           const rtl::TFormatSettings& settings)
{
    if (kind == gkEdtTime) return text.empty() ? TimeText(now, settings) : std::string();
    const std::string& sep = settings.DateSeparator;
    int typed = CountOf(text, sep);
    std::string step;
    // A part typed by hand is closed first.
    if (!text.empty() && !text.ends_with(sep) && typed < 2) {
        step = sep;
        ++typed;
    }
    if (typed > 2 || (typed == 2 && !text.ends_with(sep) && step.empty())) {
        // The date is whole: a date-time edit goes on with the time.
        const bool hasTime = text.find(settings.TimeSeparator) != std::string::npos;
        return kind == gkEdtDateTime && !hasTime ? " " + TimeText(now, settings) : std::string();
    }
    int year = 0, month = 0, day = 0;
    rtl::DecodeDate(now, year, month, day);
    const std::string format = rtl::LowerCase(settings.ShortDateFormat);
    const auto part = [&](char letter) {
        switch (letter) {
        case 'd': return TwoDigits(day, format.find("dd") != std::string::npos);
        case 'm': return TwoDigits(month, format.find("mm") != std::string::npos);
        default:
            return format.find("yyyy") != std::string::npos ? std::to_string(year) : TwoDigits(year % 100, true);
        }
    };
    static const char* const kOrders[] = {"mdy", "dmy", "ymd"};
    const char* order = kOrders[grid::gkGetDateOrder(settings.ShortDateFormat)];
    step += part(order[typed]);
    // No separator after the last part: the text reads back as a date as it stands.
    if (typed < 2) step += sep;
    return step;
}

// ---- TgkDBPicture -------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TgkDBPicture, classes::TPersistent)
{
    using C = TgkDBPicture;
    p.Boolean("PictureMaskFromDataSet", &C::PictureMaskFromDataSet, &C::SetPictureMaskFromDataSet, true);
    p.String("PictureMask", &C::PictureMask, &C::SetPictureMask);
    p.Boolean("AutoFill", &C::AutoFill, &C::SetAutoFill, true);
    p.Boolean("AllowInvalidExit", &C::AllowInvalidExit, &C::SetAllowInvalidExit, false);
}

db::TDataSet* TgkDBPicture::Source() const
{
    if (!fromDataSet_ || owner_ == nullptr || owner_->DataField().empty()) return nullptr;
    db::TDataSource* source = owner_->DataSource();
    db::TDataSet* ds = source != nullptr ? source->DataSet() : nullptr;
    return ds != nullptr && grid::gkGetPictureMasks(ds) != nullptr ? ds : nullptr;
}

bool TgkDBPicture::MaskFromDataSet() const { return Source() != nullptr; }

std::string TgkDBPicture::PictureMask() const
{
    db::TDataSet* ds = Source();
    if (ds == nullptr) return mask_;
    bool autoFill = true, second = true;
    std::string mask;
    grid::gkGetPictureMaskEntry(ds, owner_->DataField(), autoFill, second, mask);
    return mask;
}

void TgkDBPicture::WriteEntry(const std::string& mask, bool autoFill)
{
    db::TDataSet* ds = Source();
    if (ds == nullptr) return;
    bool oldFill = true, second = true;
    std::string old;
    grid::gkGetPictureMaskEntry(ds, owner_->DataField(), oldFill, second, old);
    grid::gkSetPictureMaskEntry(ds, owner_->DataField(), mask, false, autoFill, second);
    grid::gkNotifyDesigner(owner_);
}

void TgkDBPicture::SetPictureMask(const std::string& mask)
{
    if (db::TDataSet* ds = Source()) {
        if (!grid::gkGetTablePictureMask(ds, owner_->DataField()).empty()) {
            ui::MessageDlg("Picture mask already defined in the table. ", ui::mtWarning, {ui::mbOK});
            return;
        }
        mask_ = mask;
        WriteEntry(mask, AutoFill());
        return;
    }
    mask_ = mask;
}

bool TgkDBPicture::AutoFill() const
{
    db::TDataSet* ds = Source();
    if (ds == nullptr) return autoFill_;
    bool autoFill = true, second = true;
    std::string mask;
    grid::gkGetPictureMaskEntry(ds, owner_->DataField(), autoFill, second, mask);
    return autoFill;
}

void TgkDBPicture::SetAutoFill(bool v)
{
    autoFill_ = v;
    if (MaskFromDataSet()) WriteEntry(PictureMask(), v);
}

bool TgkDBPicture::AllowInvalidExit() const { return !MaskFromDataSet() && allowInvalidExit_; }

void TgkDBPicture::SetAllowInvalidExit(bool v)
{
    if (!MaskFromDataSet()) allowInvalidExit_ = v;
}

void TgkDBPicture::Assign(const classes::TPersistent& source)
{
    const auto* other = dynamic_cast<const TgkDBPicture*>(&source);
    if (other == nullptr) return TPersistent::Assign(source);
    SetPictureMask(other->PictureMask());
    SetAutoFill(other->AutoFill());
}

// ---- TgkCustomMaskEdit ----------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TgkCustomMaskEdit, ui::TEdit) {}

TgkCustomMaskEdit::TgkCustomMaskEdit(classes::TComponent* owner) : ui::TEdit(owner), frame_(this) {}

void TgkCustomMaskEdit::SetBorderStyle(ui::TFormBorderStyle v)
{
    if (v == borderStyle_) return;
    borderStyle_ = v;
    SetEditRect();
    Changed();
}

bool TgkCustomMaskEdit::ShowsBorder() const { return borderStyle_ != ui::bsNone && !InGrid(); }

bool TgkCustomMaskEdit::InGrid() const { return dynamic_cast<const ui::TCustomGrid*>(Parent()) != nullptr; }

void TgkCustomMaskEdit::CreatePeers()
{
    ui::TEdit::CreatePeers();
    if (borderStyle_ != ui::bsNone || !AutoSize() || InGrid()) return;
    frame_.AdjustHeight();
    SetEditRect();
}

void TgkCustomMaskEdit::DoCheckValue(bool passesPictureTest) { OnCheckValue(this, passesPictureTest); }

ui::TRect TgkCustomMaskEdit::EditRect() const
{
    ui::TRect r{0, 0, ClientWidth() - 1, ClientHeight() + 1};
    if (InGrid() && borderStyle_ == ui::bsNone) {
        const auto* g = dynamic_cast<const grid::TgkCustomDBGrid*>(Parent());
        r.Left = 2;
        r.Top = g != nullptr && !g->RowLinesShown() ? 1 : 2;
    } else if (frame_.IsFrameEnabled()) {
        frame_.GetEditRectMargins(r);
    } else if (borderStyle_ != ui::bsNone) {
        r.Left = r.Top = 0;
    } else {
        r.Left = r.Top = 1;
    }
    return r;
}

void TgkCustomMaskEdit::SetEditRect()
{
    const ui::TRect r = EditRect();
    SetTextMargins({r.Left, 0, std::max(0, ClientWidth() - r.Right), 0});
}

// ---- TgkDBCustomEdit: binding ---------------------------------------------------------------

GW_IMPLEMENT_CLASS(TgkDBCustomEdit, TgkCustomMaskEdit)
{
    using C = TgkDBCustomEdit;
    p.Component<db::TDataSource>("DataSource", &C::DataSource, &C::SetDataSource);
    p.String("DataField", &C::DataField, &C::SetDataField);
    p.Boolean("ReadOnly", &C::ReadOnly, &C::SetReadOnly, false);
    p.Object("Picture", [](const C& c) { return const_cast<C&>(c).Picture(); }).Stored([](const C& c) {
        return const_cast<C&>(c).Picture()->IsStored();
    });
    p.Boolean("UsePictureMask", &C::UsePictureMask, &C::SetUsePictureMask, true);
    p.Boolean("AutoFillDate", &C::AutoFillDate, &C::SetAutoFillDate, true);
    p.Enumeration("UnboundDataType", EditDataTypeInfo(), &C::UnboundDataType, &C::SetUnboundDataType, gkDefault);
    p.Enumeration("UnboundAlignment", classes::AlignmentInfo(), &C::UnboundAlignment, &C::SetUnboundAlignment,
                  classes::taLeftJustify);
    p.Enumeration("BorderStyle", ui::BorderStyleInfo(), &C::BorderStyle, &C::SetBorderStyle, ui::bsSingle);
    p.Object("Frame", [](const C& c) { return const_cast<C&>(c).Frame(); });
    p.String(
        "EditMask", [](const C& c) { return c.EditMask; }, [](C& c, const std::string& v) { c.EditMask = v; });
    p.Event("OnCheckValue", &C::OnCheckValue);
    p.Event("OnMouseEnter", &C::OnMouseEnter);
    p.Event("OnMouseLeave", &C::OnMouseLeave);
}

TgkDBCustomEdit::TgkDBCustomEdit(classes::TComponent* owner)
    : TgkCustomMaskEdit(owner), link_(std::make_unique<db::TFieldDataLink>())
{
    link_->SetControl(this);
    link_->OnDataChange = [this](db::TFieldDataLink*) { DataChange(); };
    link_->OnUpdateData = [this](db::TFieldDataLink*) { UpdateData(); };
    link_->OnEditingChange = [this](db::TFieldDataLink*) { EditingChange(); };
    // Read-only until the data link says otherwise (an unbound edit is made editable once
    // loaded).
    ui::TEdit::SetReadOnly(true);
    SetAutoSize(true);
}

TgkDBCustomEdit::~TgkDBCustomEdit()
{
    // The link goes first: nothing may reach the data set while the edit goes.
    link_->SetDataSource(nullptr);
}

std::optional<std::string> TgkDBCustomEdit::GridCellText(const db::TField& field) const
{
    if (!ShowsOwnTextInGrid()) return std::nullopt;
    return field.AsString();
}

void TgkDBCustomEdit::SetDataSource(db::TDataSource* source)
{
    if (source == DataSource()) return;
    if (DataSource() != nullptr) DataSource()->RemoveFreeNotification(this);
    link_->SetDataSource(source);
    if (source != nullptr) source->FreeNotification(this);
    if (source == nullptr && DataField().empty()) ui::TEdit::SetReadOnly(link_->ReadOnly());
}

void TgkDBCustomEdit::SetDataField(const std::string& name)
{
    try {
        link_->SetFieldName(name);
    } catch (const std::exception&) {
        // A name the data set does not hold: the edit stays bound by name to nothing.
        rtl::LogCurrentException("TgkDBCustomEdit DataField");
        SetTextQuietly({});
    }
}

void TgkDBCustomEdit::SetReadOnly(bool v)
{
    link_->SetReadOnly(v);
    ui::TEdit::SetReadOnly(v || (Field() != nullptr && !link_->Editing()));
}

bool TgkDBCustomEdit::BoundWithoutField() const
{
    return !DataField().empty() && DataSource() != nullptr && DataSource()->DataSet() != nullptr &&
           DataSource()->DataSet()->Active() && Field() == nullptr;
}


bool TgkDBCustomEdit::ExecuteAction(classes::TBasicAction* action)
{
    return TgkCustomMaskEdit::ExecuteAction(action) || link_->ExecuteAction(action);
}

bool TgkDBCustomEdit::UpdateAction(classes::TBasicAction* action)
{
    return TgkCustomMaskEdit::UpdateAction(action) || link_->UpdateAction(action);
}

void TgkDBCustomEdit::Notification(classes::TComponent* component, classes::TOperation operation)
{
    TgkCustomMaskEdit::Notification(component, operation);
    if (operation == classes::opRemove && component == DataSource()) link_->SetDataSource(nullptr);
}

void TgkDBCustomEdit::Loaded()
{
    TgkCustomMaskEdit::Loaded();
    if (db::TField* f = Field(); f != nullptr && dynamic_cast<db::TStringField*>(f) != nullptr && MaxLength() == f->Size())
        SetMaxLength(0);
    if (DataSource() == nullptr && DataField().empty() && !link_->ReadOnly()) ui::TEdit::SetReadOnly(false);
    SetEditRect();
}

void TgkDBCustomEdit::SetUnboundAlignment(classes::TAlignment v)
{
    unboundAlignment_ = v;
    if (Field() == nullptr) SetAlignment(v);
}

void TgkDBCustomEdit::SetTextQuietly(const std::string& text)
{
    if (text == Text()) return;
    const bool modified = Modified();
    SetText(text);
    SetModified(modified);
}

bool TgkDBCustomEdit::DataSourceRefusesEdit() const
{
    const db::TDataSource* source = DataSource();
    return source != nullptr && !source->AutoEdit() && source->State() != db::dsEdit && source->State() != db::dsInsert;
}

bool TgkDBCustomEdit::IsDateEdit() const
{
    const db::TField* f = Field();
    if (f != nullptr) return dynamic_cast<const db::TDateField*>(f) != nullptr;
    return unboundDataType_ == gkEdtDate;
}

bool TgkDBCustomEdit::IsTimeEdit() const
{
    const db::TField* f = Field();
    if (f != nullptr) return dynamic_cast<const db::TTimeField*>(f) != nullptr;
    return unboundDataType_ == gkEdtTime;
}

bool TgkDBCustomEdit::IsDateTimeEdit() const
{
    const db::TField* f = Field();
    if (f != nullptr)
        return dynamic_cast<const db::TDateTimeField*>(f) != nullptr && !IsDateEdit() && !IsTimeEdit();
    return unboundDataType_ == gkEdtDateTime;
}

bool TgkDBCustomEdit::IsMemoEdit() const
{
    const auto* blob = dynamic_cast<const db::TBlobField*>(Field());
    return blob != nullptr && blob->BlobType() == db::ftMemo;
}

ui::TRect TgkDBCustomEdit::GetClientEditRect() const
{
    ui::TRect r = ClientRect();
    if (HasButton()) r.Right -= ReservedButtonWidth();
    if (frame_.IsFrameEnabled()) --r.Right;
    return r;
}

// ---- Data link notices ----------------------------------------------------------------------

void TgkDBCustomEdit::DataChange()
{
    db::TField* f = Field();
    if (f == nullptr) {
        SetAlignment(unboundAlignment_);
        SetTextQuietly(grid::gkIsDesigning(this) ? Name() : std::string());
        return;
    }
    if (f->Alignment() != fieldAlignment_) {
        SetTextQuietly({});
        fieldAlignment_ = f->Alignment();
        SetAlignment(fieldAlignment_);
    }
    if (!grid::gkIsDesigning(this) && dynamic_cast<db::TStringField*>(f) != nullptr && MaxLength() == 0)
        SetMaxLength(f->Size());
    std::string text = IsMemoEdit() ? f->AsString() : f->Text();
    if (std::string shown; !IsMemoEdit() && DisplayTextOf(text, shown)) text = shown;
    SetText(text);
    SetModified(false);
    settingText_ = pictureKeyHandled_ = false;
    Invalidate();
}

void TgkDBCustomEdit::EditingChange() { ui::TEdit::SetReadOnly(link_->ReadOnly() || !link_->Editing()); }

void TgkDBCustomEdit::UpdateData()
{
    if (ReadOnly()) return;
    db::TField* f = Field();
    if (f == nullptr) return;
    // A mask that cannot be read still reports its failed check, and holds nothing back.
    if (HasPictureMask() && !CheckValue(Text()) && HasValidPictureMask()) {
        db::TDataSet* ds = f->DataSet();
        const classes::TEventValue handler = grid::gkGetOnInvalidValue(ds);
        if (handler.handler.has_value()) {
            using Handler = std::function<void(classes::TObject*, db::TField*)>;
            if (const auto* call = std::any_cast<Handler>(&handler.handler)) (*call)(ds, f);
        } else {
            InvalidValue(f);
        }
    }
    if (!TextModified()) return;
    if (IsMemoEdit()) {
        f->SetAsString(Text());
        return;
    }
    if (!link_->Editing() && !f->CanModify()) return;
    StoreText(*f);
}

void TgkDBCustomEdit::StoreText(db::TField& field)
{
    const std::string text = StoredValueOf(Text());
    if (text.empty()) {
        field.Clear();
        return;
    }
    const auto refuse = [&](const char* what) {
        throw rtl::EConvertError("'" + text + "' is not a valid " + what);
    };
    if (dynamic_cast<db::TDateTimeField*>(&field) != nullptr && dynamic_cast<db::TTimeField*>(&field) == nullptr) {
        rtl::TDateTime date = 0;
        if (!grid::gkScanDateWithEpoch(text, grid::gkDefaultEpoch, date)) refuse("date");
        field.SetAsDateTime(date + rtl::TimeOf(grid::gkStrToDateTime(text)));
        return;
    }
    if (const auto* number = dynamic_cast<db::TNumericField*>(&field); number != nullptr && !number->DisplayFormat().empty()) {
        double value = 0;
        if (!grid::gkStrToFloatDisplay(text, number->DisplayFormat(), value)) refuse("floating point value");
        if (dynamic_cast<db::TIntegerField*>(&field) != nullptr)
            field.SetAsLargeInt(std::llround(value));
        else
            field.SetAsFloat(value);
        return;
    }
    field.SetText(text);
}

void TgkDBCustomEdit::InvalidValue(db::TField* field) { grid::gkIntlDefault().ValidationErrorUsingMask(this, field); }

// ---- Picture mask ---------------------------------------------------------------------------

TgkDBPicture* TgkDBCustomEdit::Picture()
{
    if (picture_.MaskFromDataSet()) {
        picture_.mask_ = picture_.PictureMask();
        picture_.autoFill_ = picture_.AutoFill();
        picture_.allowInvalidExit_ = false;
    }
    return &picture_;
}

bool TgkDBCustomEdit::HasPictureMask() const { return usePictureMask_ && !picture_.PictureMask().empty(); }

bool TgkDBCustomEdit::HasValidPictureMask() const
{
    return HasPictureMask() && grid::TgkPictureValidator(picture_.PictureMask(), picture_.AutoFill()).Status() == 0;
}

bool TgkDBCustomEdit::CheckValue(const std::string& text)
{
    bool result = true;
    const std::string mask = picture_.PictureMask();
    if (!text.empty() && !mask.empty()) {
        grid::TgkPictureValidator validator(mask, picture_.AutoFill());
        std::string copy = text;
        result = validator.Picture(copy, false) == grid::prComplete;
    }
    DoCheckValue(result);
    return result;
}

void TgkDBCustomEdit::ApplyPictureFill()
{
    grid::TgkPictureValidator validator(picture_.PictureMask(), picture_.AutoFill());
    std::string text = Text();
    validator.Picture(text, picture_.AutoFill());
    SetText(text);
}

bool TgkDBCustomEdit::EditCanModify()
{
    db::TField* f = Field();
    if (f == nullptr) return !BoundWithoutField();
    if (link_->ReadOnly() || !f->CanModify() || f->ReadOnly()) return false;
    return link_->Edit();
}

void TgkDBCustomEdit::Reset()
{
    if (Field() != nullptr)
        link_->Reset();
    else
        SetText(entryText_);
    SelectAll();
    SetModified(false);
    settingText_ = pictureKeyHandled_ = false;
    if (OnCheckValue) CheckValue(Text());
}

// ---- Focus ----------------------------------------------------------------------------------

void TgkDBCustomEdit::DoEnterEdit()
{
    SetEditRect();
    // An edit bound to nothing is typed into as it is (the window takes pastes too).
    if (DataSource() == nullptr && DataField().empty() && !link_->ReadOnly()) ui::TEdit::SetReadOnly(false);
    if (!focused_) {
        focused_ = true;
        if (Field() == nullptr)
            entryText_ = Text();
        else
            link_->Reset();
    }
    if (AutoSelect() && !ui::IsKeyDown(ui::VK_LBUTTON)) SelectAll();
    if (frame_.Transparent() && frame_.IsFrameEnabled() && !grid::gkIsDesigning(this)) frame_.CreateTransparent = false;
    Invalidate();
}

namespace {

// Posted to an edit whose exit was refused: it takes the focus back once the window system
// has finished moving it away.
unsigned RefocusMessage()
{
    static const unsigned msg = ui::RegisterWindowMessage("GKDBEDITREFOCUS");
    return msg;
}

}  // namespace

bool TgkDBCustomEdit::ExitCheck()
{
    if (!HasPictureMask() || !TextModified()) return true;
    const bool passes = CheckValue(Text());
    // A mask that cannot be read holds nobody back.
    if (passes || picture_.AllowInvalidExit() || !HasValidPictureMask()) return true;
    SelectAll();
    PostMessage(RefocusMessage());
    SetModified(true);
    ui::Beep();
    invalidExit_ = true;
    return false;
}

void TgkDBCustomEdit::DoExitEdit()
{
    invalidExit_ = false;
    if (!ExitCheck()) return;
    if (Field() != nullptr && TextModified()) {
        link_->SetModified();
        try {
            link_->UpdateRecord();
        } catch (...) {
            // The text stays for the user to mend.
            SelectAll();
            invalidExit_ = true;
            PostMessage(RefocusMessage());
            SetModified(true);
            throw;
        }
    }
    focused_ = false;
    if (frame_.Transparent() && frame_.IsFrameEnabled() && !grid::gkIsDesigning(this)) {
        frame_.CreateTransparent = true;
        gkInvalidateTransparentParents(*this);
    }
    Invalidate();
}

void TgkDBCustomEdit::DoMouseEnter()
{
    mouseOver_ = true;
    OnMouseEnter(this);
    if (frame_.IsFrameEnabled() && !focused_ && frame_.MouseEnterSameAsFocus) Invalidate();
}

void TgkDBCustomEdit::DoMouseLeave()
{
    mouseOver_ = false;
    OnMouseLeave(this);
    if (frame_.IsFrameEnabled() && !focused_ && frame_.MouseEnterSameAsFocus) Invalidate();
}

void TgkDBCustomEdit::Change()
{
    ui::TEdit::Change();
    if (Field() != nullptr && TextModified()) link_->SetModified();
}

void TgkDBCustomEdit::Resize()
{
    TgkCustomMaskEdit::Resize();
    SetEditRect();
}

void TgkDBCustomEdit::Dispatch(ui::TMessage& m)
{
    switch (m.Msg) {
    case ui::WM_PAINT:
        if (m.WParam != 0) {
            PaintSelf(*reinterpret_cast<ui::TCanvas*>(m.WParam), ControlState().Contains(csPaintCopy));
            return;
        }
        break;
    case ui::CM_ENTER:
        TgkCustomMaskEdit::Dispatch(m);
        DoEnterEdit();
        return;
    case ui::CM_EXIT:
        DoExitEdit();
        if (!invalidExit_) TgkCustomMaskEdit::Dispatch(m);
        return;
    case ui::CM_MOUSEENTER:
        TgkCustomMaskEdit::Dispatch(m);
        DoMouseEnter();
        return;
    case ui::CM_MOUSELEAVE:
        TgkCustomMaskEdit::Dispatch(m);
        DoMouseLeave();
        return;
    case CM_GETDATALINK: m.Result = reinterpret_cast<std::intptr_t>(link_.get()); return;
    case ui::CM_FONTCHANGED:
        TgkCustomMaskEdit::Dispatch(m);
        if (!Loading()) SetEditRect();
        return;
    case ui::WM_CUT:
    case ui::WM_PASTE:
        if (!EditCanModify()) return;
        if (m.Msg == ui::WM_PASTE) {
            Paste();
            return;
        }
        break;
    default:
        if (m.Msg == RefocusMessage()) {
            if (CanFocus()) SetFocus();
            SelectAll();
            return;
        }
        break;
    }
    TgkCustomMaskEdit::Dispatch(m);
}

// ---- Keys -----------------------------------------------------------------------------------

bool TgkDBCustomEdit::WantsKey(ui::TKey key) const
{
    if (InGrid() && (key == ui::VK_RETURN || key == ui::VK_TAB)) return true;
    return TgkCustomMaskEdit::WantsKey(key);
}

bool TgkDBCustomEdit::GridTakesKey(ui::TKey key, ui::TShiftState shift) const
{
    if (IsMemoEdit() && Field() != nullptr && SelStart() < static_cast<int>(Text().size())) return false;
    const bool ctrl = shift.Contains(ui::ssCtrl);
    const int size = static_cast<int>(Text().size());
    const auto* dbGrid = dynamic_cast<const grid::TgkCustomDBGrid*>(Parent());
    const bool always = dbGrid != nullptr && dbGrid->Options().Contains(grid::dgAlwaysShowEditor);
    const bool atEnd = SelStart() + SelLength() >= size;
    const bool atStart = SelStart() == 0;
    switch (key) {
    case ui::VK_RETURN:
    case ui::VK_TAB: return true;
    case ui::VK_INSERT: return !shift.Contains(ui::ssShift);
    case ui::VK_UP:
    case ui::VK_DOWN:
    case ui::VK_PRIOR:
    case ui::VK_NEXT: return !shift.Contains(ui::ssAlt);
    case ui::VK_ESCAPE: return !TextModified();
    case ui::VK_DELETE: return ctrl;
    case ui::VK_RIGHT:
    case ui::VK_END: return !IsEditable() || (always && (ctrl || atEnd));
    case ui::VK_LEFT:
    case ui::VK_HOME: return !IsEditable() || (always && (ctrl || atStart));
    default: return false;
    }
}

bool TgkDBCustomEdit::HandKeyToGrid(ui::TKey& key, ui::TShiftState shift)
{
    auto* g = dynamic_cast<ui::TCustomGrid*>(Parent());
    if (g == nullptr || !GridTakesKey(key, shift)) return false;
    const ui::TKey k = key;
    key = 0;
    g->SetFocus();
    if (g->Focused()) g->Perform(ui::WM_KEYDOWN, k, static_cast<std::intptr_t>(shift.Bits()));
    return true;
}

void TgkDBCustomEdit::KeyDown(ui::TKey& key, ui::TShiftState shift)
{
    if (HandKeyToGrid(key, shift)) return;
    if (auto* g = dynamic_cast<ui::TCustomGrid*>(Parent())) {
        if (key == ui::VK_F2 && IsEditable()) SetSel(static_cast<int>(Text().size()), 0);
        // The grid's own handler hears the keys its cell control keeps.
        g->OnKeyDown(g, key, shift);
        if (key == 0) return;
    }
    TgkCustomMaskEdit::KeyDown(key, shift);
    if (key == 0) return;
    const bool plain = !shift.Contains(ui::ssCtrl) && !shift.Contains(ui::ssAlt);
    // Keys the window turns into no character of its own reach the character handling here.
    if ((key == ui::VK_BACK && plain) || key == ui::VK_ESCAPE) {
        char c = key == ui::VK_BACK ? '\b' : '\x1b';
        KeyPress(c);
        if (c == 0) key = 0;
        return;
    }
    if (shift.Contains(ui::ssCtrl) && (key == 'V' || key == 'X')) {
        if (!EditCanModify() || !IsEditable()) {
            key = 0;
            return;
        }
        SetModified(true);
        if (key == 'V') {
            Paste();
            key = 0;
        }
        return;
    }
    if ((key == ui::VK_DELETE || (key == ui::VK_INSERT && shift.Contains(ui::ssShift))) && Field() != nullptr) {
        if (DataSourceRefusesEdit() || BoundWithoutField() || !EditCanModify()) {
            key = 0;
            return;
        }
        SetModified(true);
    }
}

void TgkDBCustomEdit::KeyUp(ui::TKey& key, ui::TShiftState shift)
{
    TgkCustomMaskEdit::KeyUp(key, shift);
    if (key == ui::VK_DELETE && OnCheckValue) CheckValue(Text());
}

void TgkDBCustomEdit::Paste()
{
    const std::string clip = ui::Clipboard().AsText();
    const std::string text = Text();
    const std::size_t start = std::min(static_cast<std::size_t>(SelStart()), text.size());
    const std::size_t end = std::min(start + static_cast<std::size_t>(SelLength()), text.size());
    SetText(text.substr(0, start) + clip + text.substr(end));
    SetModified(true);
    if (HasPictureMask()) ApplyPictureFill();
    SetSel(static_cast<int>(std::min(Text().size(), start + clip.size())), 0);
}

std::string TgkDBCustomEdit::TextAfterKey(char key) const
{
    const std::string text = Text();
    const std::size_t start = std::min(static_cast<std::size_t>(SelStart()), text.size());
    const std::size_t end = std::min(start + static_cast<std::size_t>(SelLength()), text.size());
    if (key != '\b') return text.substr(0, start) + key + text.substr(end);
    if (end > start) return text.substr(0, start) + text.substr(end);
    if (start == 0) return text;
    return text.substr(0, rtl::Utf8PrevCharStart(text, start)) + text.substr(start);
}

void TgkDBCustomEdit::KeyPress(char& key)
{
    if (key == '\t') key = 0;
    if (key == 0) return;
    if (!PrepareTyping(key)) return;
    if (key == ' ' && DateFill(key)) return;
    OnKeyPress(this, key);
    if (key == 0) return;
    if (HasPictureMask()) PictureKey(key);
    if (key == 0) return;
    if (static_cast<unsigned char>(key) >= 32 && NumericKeyRefused(key)) {
        ui::Beep();
        key = 0;
        return;
    }
    FinishKey(key);
}

// Step 2 of a key: whether the edit may be typed into now (false: the key is done).
bool TgkDBCustomEdit::PrepareTyping(char& key)
{
    const bool typing = static_cast<unsigned char>(key) >= 32 || key == '\b';
    if (!typing) return true;
    if (BoundWithoutField()) {
        key = 0;
        return false;
    }
    db::TField* f = Field();
    if (DataSource() != nullptr && f != nullptr && DataSourceRefusesEdit()) {
        key = 0;
        return false;
    }
    // Space in a read-only date edit is a date fill refused.
    const bool dateSpace = key == ' ' && autoFillDate_ && (IsDateEdit() || IsTimeEdit() || IsDateTimeEdit());
    if (f == nullptr) {
        if (ReadOnly()) {
            if (dateSpace) ui::Beep();
            key = 0;
            return false;
        }
        ui::TEdit::SetReadOnly(false);
        return true;
    }
    // Entering edit mode shows the record again: the user's selection is what the key acts on.
    const int selStart = SelStart(), selLength = SelLength();
    const bool wasEditing = link_->Editing();
    if (link_->ReadOnly() || f->ReadOnly() || !f->CanModify() || !link_->Edit()) {
        if (dateSpace) ui::Beep();
        key = 0;
        return false;
    }
    ui::TEdit::SetReadOnly(false);
    if (!wasEditing) SetSel(selStart, selLength);
    return true;
}

bool TgkDBCustomEdit::DateFill(char& key)
{
    if (!autoFillDate_ || ui::IsKeyDown(ui::VK_CONTROL) || (HasPictureMask() && picture_.AutoFill())) return false;
    const TgkEditDataType kind = IsDateEdit() ? gkEdtDate : IsTimeEdit() ? gkEdtTime : IsDateTimeEdit() ? gkEdtDateTime : gkDefault;
    if (kind == gkDefault) return false;
    const std::string text = Text();
    const bool wholeSelected = !text.empty() && SelStart() == 0 && SelLength() == static_cast<int>(text.size());
    const bool atEnd = SelStart() >= static_cast<int>(text.size());
    if (!wholeSelected && !atEnd) return false;
    key = 0;
    if (ui::TEdit::ReadOnly()) {
        ui::Beep();
        return true;
    }
    const std::string base = wholeSelected ? std::string() : text;
    const std::string step = gkDateFillStep(base, kind, rtl::Now(), rtl::FormatSettings());
    if (step.empty()) return true;
    SetText(base + step);
    SetSel(static_cast<int>(Text().size()), 0);
    SetModified(true);
    if (Field() != nullptr) link_->SetModified();
    if (OnCheckValue) CheckValue(Text());
    return true;
}

void TgkDBCustomEdit::PictureKey(char& key)
{
    if (key == '\b') {
        if (OnCheckValue && !ui::TEdit::ReadOnly()) CheckValue(TextAfterKey('\b'));
        return;
    }
    if (key == '\r') {
        key = 0;
        return;
    }
    if (static_cast<unsigned char>(key) < 32) return;
    const std::string old = Text();
    std::string text = TextAfterKey(key);
    if (MaxLength() > 0 && static_cast<int>(text.size()) > MaxLength() && text.size() > old.size()) return;
    grid::TgkPictureValidator validator(picture_.PictureMask(), picture_.AutoFill());
    grid::TPicResult r = validator.Picture(text, picture_.AutoFill());
    if (r == grid::prError && !Switches[0]) {
        // A blank at the caret may stand for the next literal; the key goes after it.
        std::string blank = TextAfterKey(' ');
        if (validator.Picture(blank, picture_.AutoFill()) != grid::prError) {
            blank += key;
            text = blank;
            r = validator.Picture(text, picture_.AutoFill());
        }
    }
    const bool atEnd = SelStart() + SelLength() >= static_cast<int>(old.size());
    if (r == grid::prComplete || r == grid::prIncomplete) {
        if (Field() != nullptr) link_->Edit();
        if (!ui::TEdit::ReadOnly()) {
            const int caret = SelStart() + static_cast<int>(text.size()) - (static_cast<int>(old.size()) - SelLength());
            settingText_ = true;
            SetText(text);
            settingText_ = false;
            pictureKeyHandled_ = true;
            SetModified(true);
            if (Field() != nullptr) link_->SetModified();
            SetSel(atEnd ? static_cast<int>(text.size()) : std::clamp(caret, 0, static_cast<int>(text.size())), 0);
            DoCheckValue(r == grid::prComplete);
        }
        key = 0;
    } else if (r == grid::prError && atEnd) {
        ui::Beep();
        key = 0;
    }
}

bool TgkDBCustomEdit::NumericKeyRefused(char key) const
{
    const db::TField* f = Field();
    if (f == nullptr) return false;
    const auto* number = dynamic_cast<const db::TNumericField*>(f);
    const bool isInt = dynamic_cast<const db::TIntegerField*>(f) != nullptr;
    const bool isFloat = dynamic_cast<const db::TFloatField*>(f) != nullptr;
    if (number != nullptr && (isInt || isFloat) && !number->DisplayFormat().empty()) {
        // The display format's own characters (currency, grouping) are not typed.
        if (key == '+' || key == '-' || (key >= '0' && key <= '9')) return false;
        if (isFloat && (key == 'E' || key == 'e' || std::string(1, key) == rtl::FormatSettings().DecimalSeparator))
            return false;
        return true;
    }
    return !f->IsValidChar(static_cast<unsigned char>(key));
}

void TgkDBCustomEdit::FinishKey(char& key)
{
    const bool change = static_cast<unsigned char>(key) >= 32 || key == '\b' || key == 0x16 || key == 0x18;
    if (change) {
        if (Field() != nullptr && link_->Edit()) link_->SetModified();
        SetModified(true);
        if (!IsEditable()) key = 0;
        return;
    }
    if (key == '\x1b') {
        Reset();
        Invalidate();
        key = 0;
        if (auto* g = dynamic_cast<ui::TCustomGrid*>(Parent())) g->SetFocus();
        return;
    }
    if (InGrid() && (key == '\r' || key == '\t')) key = 0;
}

// ---- Painting -------------------------------------------------------------------------------

int TgkDBCustomEdit::FrameRingWidth() const { return frame_.IsFrameEnabled() ? 2 : 0; }

bool TgkDBCustomEdit::PaintsItself() const
{
    if (grid::gkIsPaintCopy(ControlState()) || !IsEditable()) return true;
    const auto* dbGrid = dynamic_cast<const grid::TgkCustomDBGrid*>(Parent());
    if (dbGrid != nullptr && dbGrid->Focused()) return true;
    const bool leftWithoutFrame = Alignment() == classes::taLeftJustify && !frame_.IsFrameEnabled();
    return !(focused_ || leftWithoutFrame) || !Enabled();
}

bool TgkDBCustomEdit::PaintsOver() const { return frame_.IsFrameEnabled() || PaintsItself(); }

void TgkDBCustomEdit::PaintOver(ui::TCanvas& canvas)
{
    if (PaintsItself()) {
        PaintSelf(canvas, false);
        return;
    }
    const bool focusedLook = focused_ || (frame_.MouseEnterSameAsFocus && mouseOver_);
    gkPaintNonClientFrame(frame_, focusedLook, false, canvas);
}

void TgkDBCustomEdit::PaintFrame(ui::TCanvas& canvas) { gkDrawFrame(*this, frame_, canvas, focused_); }

void TgkDBCustomEdit::DrawText(ui::TCanvas& canvas, const ui::TRect& rect, int x, int y, const std::string& s)
{
    canvas.TextRect(rect, x, y, s);
}

std::string TgkDBCustomEdit::PaintedText(bool paintCopy) const
{
    std::string text;
    const db::TField* f = Field();
    if (paintCopy && f != nullptr) {
        text = IsMemoEdit() ? f->AsString() : f->DisplayText();
        if (std::string shown; !IsMemoEdit() && DisplayTextOf(f->Text(), shown)) text = shown;
    } else
        text = Text();
    if (PasswordChar() != 0) text.assign(rtl::Utf8CharCount(text), PasswordChar());
    return text;
}

void TgkDBCustomEdit::PaintSelf(ui::TCanvas& canvas, bool paintCopy)
{
    const bool inGrid = InGrid();
    const bool transparent = frame_.Transparent() && frame_.IsFrameEnabled() && !focused_;
    canvas.Font()->Assign(*Font());
    if (!Enabled()) {
        canvas.Font()->SetColor(rtl::clGrayText);
    } else if (paintCopy && inGrid) {
        if (const auto* g = dynamic_cast<const ui::TCustomGrid*>(Parent())) canvas.Font()->SetColor(g->Font()->Color());
    }
    if (frame_.IsFrameEnabled() && !focused_) {
        if (transparent && frame_.NonFocusTransparentFontColor != rtl::clNone)
            canvas.Font()->SetColor(frame_.NonFocusTransparentFontColor);
        else if (!transparent && frame_.NonFocusFontColor != rtl::clNone)
            canvas.Font()->SetColor(frame_.NonFocusFontColor);
    }
    const ui::TRect client = ClientRect();
    // Over the window's own edit the border it draws stays.
    const int inset = !paintCopy && ShowsBorder() && !frame_.IsFrameEnabled() ? 2 : 0;
    const ui::TRect inner{client.Left + inset, client.Top + inset, client.Right - inset, client.Bottom - inset};
    rtl::TColor back = Color();
    if (frame_.IsFrameEnabled() && !focused_ && frame_.NonFocusColor != rtl::clNone) back = frame_.NonFocusColor;
    // A transparent edit shows what lies under it: its parent's face.
    if (transparent && Parent() != nullptr) back = Parent()->Color();
    canvas.Brush()->SetColor(back);
    if (!paintCopy) canvas.FillRect(inner);
    const std::string text = PaintedText(paintCopy);
    int x = 1, y = 1;
    if (inGrid) {
        const auto* g = dynamic_cast<const grid::TgkCustomDBGrid*>(Parent());
        x = 2;
        y = g != nullptr && !g->RowLinesShown() ? 1 : 2;
    } else if (frame_.IsFrameEnabled()) {
        frame_.GetTextOffsets(x, y, focused_);
    } else {
        x += inset;
        y += inset;
    }
    ui::TRect area = inner;
    area.Right = std::min(area.Right, GetClientEditRect().Right - (HasButton() && !paintCopy ? 1 : 0));
    if (paintCopy) area.Right = inner.Right;
    const int width = canvas.TextWidth(text);
    if (Alignment() == classes::taRightJustify)
        x = area.Right - width - 2;
    else if (Alignment() == classes::taCenter)
        x = (area.Left + area.Right - width) / 2;
    canvas.Brush()->SetStyle(ui::bsClear);
    DrawText(canvas, area, x, y, text);
    canvas.Brush()->SetStyle(ui::bsSolid);
    if (frame_.IsFrameEnabled() && !paintCopy) PaintFrame(canvas);
}

}  // namespace editctrls
