// TTextMemo as a component: its published properties, construction with the objects all
// editors share, the property setters of the display and input settings, and Loaded.

#include "editor/TextHighlighter.h"
#include "editor/TextMemo.h"

#include "editor/MemoKeyboard.h"
#include "editor/MemoMessages.h"
#include "editor/MemoMouse.h"
#include "editor/MemoRenderer.h"
#include "editor/TextMemoStrings.h"

#include "platform/classes/Alignment.h"
#include "platform/rtl/Exceptions.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Input.h"
#include "platform/ui/Messages.h"

#include <memory>

namespace editor {

// ---- Enumerations -------------------------------------------------------------------------

const classes::TEnumInfo& TextMemoOptionInfo()
{
    static const classes::TEnumInfo info{
        "TTextMemoOption",
        {"tmoKeepColumnPos", "tmoPutExtraSpaces", "tmoWrapCaret", "tmoInsertKeyActive", "tmoWideOverwriteCaret",
         "tmoLargeWordSelect", "tmoAutoScrollBars", "tmoNoDragnDrop", "tmoAutoIndent", "tmoBackIndent",
         "tmoWindowsSelColors", "tmoFullLineSelect", "tmoDiscardTrailingSpaces", "tmoNoFineScroll",
         "tmoNoLineSelection", "tmoNoDefaultPopup", "tmoBlockSelection", "tmoAutoLineBreak", "tmoPlainClipboard"}};
    return info;
}

const classes::TEnumInfo& UpdateModeInfo()
{
    static const classes::TEnumInfo info{"TUpdateMode", {"umImmediate", "umOnNeed", "umBackground"}};
    return info;
}

const classes::TEnumInfo& UpperCaseTypeInfo()
{
    static const classes::TEnumInfo info{"TtmUpperCase", {"tmuAscii", "tmuAnsi", "tmuUserDefined"}};
    return info;
}

const classes::TEnumInfo& LineBreakInfo()
{
    static const classes::TEnumInfo info{"TTextLineBreak", {"pbCRLF", "pbLFCR", "pbCR", "pbLF"}};
    return info;
}

namespace {

const classes::TEnumInfo& ScrollStyleInfo()
{
    static const classes::TEnumInfo info{"TScrollStyle", {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"}};
    return info;
}

using TOptionSet = classes::TSet<TTextMemoOption>;

TOptionSet OptionSet(const TTextMemoOptions& options) { return TOptionSet::FromBits(options.to_ullong()); }

// ---- Shared objects -----------------------------------------------------------------------

std::unique_ptr<TSharedEditorObjects>& Shared()
{
    static std::unique_ptr<TSharedEditorObjects> shared;
    return shared;
}

// "TMRIGHTARROW": an arrow pointing right and up, the mouse at its tip, shown over the left
// margin where a click selects whole lines.
ui::TCursorImage RightArrowImage()
{
    static const char* const rows[] = {
        "..............XX",  //
        ".............X#X",  //
        "............X##X",  //
        "...........X###X",  //
        "..........X####X",  //
        ".........X#####X",  //
        "........X######X",  //
        ".......X#######X",  //
        "......X########X",  //
        ".....XXXXX##XXXX",  //
        ".........X##X...",  //
        "........X##X....",  //
        "........X##X....",  //
        ".......X##X.....",  //
        ".......X##X.....",  //
        "........XX......",  //
    };
    ui::TCursorImage image;
    image.Width = 16;
    image.Height = 16;
    image.HotSpot = {15, 0};
    for (const char* row : rows)
        for (int x = 0; x < 16; ++x)
            image.Pixels.push_back(row[x] == 'X' ? 0xFF000000u : row[x] == '#' ? 0xFFFFFFFFu : 0u);
    return image;
}

// An arrow with a small box holding a plus: dropping copies.
ui::TCursorImage DragCopyImage()
{
    static const char* const rows[] = {
        "X...............",  //
        "XX..............",  //
        "X#X.............",  //
        "X##X............",  //
        "X###X...........",  //
        "X####X..........",  //
        "X#####X.........",  //
        "X###XXXX........",  //
        "X#X#X...........",  //
        "XX.X#X..XXXXXXX.",  //
        "X...X#X.X#####X.",  //
        ".....XX.X##X##X.",  //
        "........X#XXX#X.",  //
        "........X##X##X.",  //
        "........X#####X.",  //
        "........XXXXXXX.",  //
    };
    ui::TCursorImage image;
    image.Width = 16;
    image.Height = 16;
    image.HotSpot = {0, 0};
    for (const char* row : rows)
        for (int x = 0; x < 16; ++x)
            image.Pixels.push_back(row[x] == 'X' ? 0xFF000000u : row[x] == '#' ? 0xFFFFFFFFu : 0u);
    return image;
}

void AcquireShared()
{
    auto& shared = Shared();
    if (!shared) {
        shared = std::make_unique<TSharedEditorObjects>();
        shared->RightArrowCursor = crTextMemoRightArrow;
        ui::Screen().SetCursorImage(crTextMemoRightArrow, RightArrowImage());
        ui::Screen().SetCursorImage(crTextMemoDragCopy, DragCopyImage());
    }
    ++shared->LiveEditors;
}

void ReleaseShared() noexcept
{
    auto& shared = Shared();
    if (shared && --shared->LiveEditors == 0) shared.reset();
}

}  // namespace

const TSharedEditorObjects* SharedEditorObjects() noexcept { return Shared().get(); }

TParagraphsList& SharedScratchList()
{
    if (!Shared()) InternalError();
    return Shared()->Scratch;
}

ui::TClipboardFormat BlockClipboardFormat()
{
    static const ui::TClipboardFormat format = ui::RegisterClipboardFormat("IDE Block Type");
    return format;
}

const std::string& EditorVersionText()
{
    static const std::string version = "Gridweaver " GW_PROGRAM_VERSION;
    return version;
}

// ---- Published properties -----------------------------------------------------------------

GW_IMPLEMENT_CLASS(TTextMemo, ui::TCustomControl)
{
    using M = TTextMemo;
    p.Color("Color", &M::Color, &M::SetColor, rtl::clWindow);
    p.Boolean("TabStop", &M::TabStop, &M::SetTabStop, true);
    p.Enumeration("Alignment", classes::AlignmentInfo(), &M::Alignment, &M::SetAlignment, ui::taLeftJustify).AlwaysStored();
    p.Object("AltFont", [](const M& m) { return m.AltFont(); });
    p.Boolean("ApplyKeyWords", &M::ApplyKeyWords, &M::SetApplyKeyWords, true);
    p.Boolean("ApplyStartStopKeys", &M::ApplyStartStopKeys, &M::SetApplyStartStopKeys, true);
    p.Object("BackgroundBmp", [](const M& m) { return m.BackgroundBmp(); });
    ui::PublishStored(p, ui::TStoredProp::BiDiMode);
    p.Enumeration(
        "BorderStyle", ui::BorderStyleInfo(), [](const M& m) { return m.BorderStyle(); },
        [](M& m, ui::TFormBorderStyle s) { m.SetBorderStyle(s); }, ui::bsSingle);
    p.Integer("CaretWidth", &M::CaretWidth, &M::SetCaretWidth, 1).AlwaysStored();
    p.Integer("ColumnWrap", &M::ColumnWrap, &M::SetColumnWrap, 0).AlwaysStored();
    ui::PublishStored(p, ui::TStoredProp::Constraints);
    p.Boolean("Ctl3D", &M::Ctl3D, &M::SetCtl3D, true);
    p.Boolean("DisplayOnly", &M::DisplayOnly, &M::SetDisplayOnly, false).AlwaysStored();
    p.Integer("DragCursor", &M::DragCursor, &M::SetDragCursor, ui::crDrag);
    ui::PublishStored(p, ui::TStoredProp::DragKind);
    p.Boolean("EnableHotKeys", &M::EnableHotKeys, &M::SetEnableHotKeys, true);
    p.Object("EndOfTextMark", [](const M& m) { return m.EndOfTextMark(); });
    p.Boolean("HideSelection", &M::HideSelection, &M::SetHideSelection, true);
    p.Color("HighlightBackgnd", &M::HighlightBackgnd, &M::SetHighlightBackgnd, rtl::clWindow);
    p.Color("HighlightColor", &M::HighlightColor, &M::SetHighlightColor, rtl::clRed);
    p.Component<TTextHighlighter>("Highlighter", &M::Highlighter, &M::SetHighlighter);
    p.Boolean("Justified", &M::Justified, &M::SetJustified, false).AlwaysStored();
    p.Strings("Keywords", [](const M& m) { return m.Keywords(); });
    p.Integer("LeftMargin", &M::LeftMargin, &M::SetLeftMargin, 8);
    p.Enumeration("LineBreak", LineBreakInfo(), &M::LineBreak, &M::SetLineBreak, pbCRLF);
    // A form holds the height as set (0: automatic), whenever it is written.
    p.Integer("LineHeight", [](const M& m) { return m.fixedLineHeight_; }, &M::SetLineHeightSetting, 0).AlwaysStored();
    p.Strings("Lines", [](const M& m) { return m.Lines(); });
    p.Integer("MouseWheelFactor", &M::MouseWheelFactor, &M::SetMouseWheelFactor, -1);
    p.Char("NullReplacement", &M::NullReplacement, &M::SetNullReplacement, 0).AlwaysStored();
    p.Set(
         "Options", TextMemoOptionInfo(), [](const M& m) { return OptionSet(m.Options()); },
         [](M& m, TOptionSet s) { m.SetOptions(TTextMemoOptions(s.Bits())); }, OptionSet(DefaultTextMemoOptions()))
        .AlwaysStored();
    p.Boolean("Overwrite", &M::Overwrite, &M::SetOverwrite, false).AlwaysStored();
    p.Boolean("ParentCtl3D", &M::ParentCtl3D, &M::SetParentCtl3D, true);
    p.Boolean("PassOverCodes", &M::PassOverCodes, &M::SetPassOverCodes, true);
    p.Boolean("ReadOnly", &M::ReadOnly, &M::SetReadOnly, false);
    p.Object("RightLinePen", [](const M& m) { return m.RightLinePen(); });
    p.Integer("RightLinePos", &M::RightLinePos, &M::SetRightLinePos, 0);
    p.Integer("RightMargin", &M::RightMargin, &M::SetRightMargin, 8);
    p.Enumeration(
         "ScrollBars", ScrollStyleInfo(), [](const M& m) { return m.ScrollBars(); },
         [](M& m, ui::TScrollStyle s) { m.SetTextScrollBars(s); }, ui::ssVertical)
        .AlwaysStored();
    p.Color("SelBackColor", &M::SelBackColor, &M::SetSelBackColor, -1);
    p.Color("SelTextColor", &M::SelTextColor, &M::SetSelTextColor, -1);
    p.String("Separators", &M::Separators, &M::SetSeparators, "\t $%&,./:;<=>").AlwaysStored();
    p.Boolean("ShowEndParSelected", &M::ShowEndParSelected, &M::SetShowEndParSelected, true);
    p.Object("SpecUnderline", [](const M& m) { return m.SpecUnderline(); });
    p.Object("StartStopKeys", [](const M& m) { return m.StartStopKeys(); });
    p.Boolean("StaticFormat", &M::StaticFormat, &M::SetStaticFormat, true);
    p.Integer("TabStops", &M::TabStops, &M::SetTabStops, 8);
    p.Integer("UndoMaxLevel", &M::UndoMaxLevel, &M::SetUndoMaxLevel, 256);
    p.Integer("UndoMaxSpace", &M::UndoMaxSpace, &M::SetUndoMaxSpace, 65538);
    p.Enumeration("UpdateMode", UpdateModeInfo(), &M::UpdateMode, &M::SetUpdateMode, umBackground);
    p.Enumeration("UpperCaseType", UpperCaseTypeInfo(), &M::UpperCaseType, &M::SetUpperCaseType, tmuAscii);
    p.Boolean("WantTabs", &M::WantTabs, &M::SetWantTabs, true);
    p.Boolean("WordWrap", &M::WordWrap, &M::SetWordWrap, true);
    p.Event("OnChange", &M::OnChange);
    p.Event("OnStyleChange", &M::OnStyleChange);
    p.Event("OnSelMove", &M::OnSelMove);
    p.Event("OnHScroll", &M::OnHScroll);
    p.Event("OnVScroll", &M::OnVScroll);
    p.Event("OnProgress", &M::OnProgress);
    p.Event("OnParse", &M::OnParse);
    p.Event("OnContext", &M::OnContext);
    p.Event("OnBeforeChange", &M::OnBeforeChange);
    p.Event("OnAfterMouseDown", &M::OnAfterMouseDown);
}

// ---- Construction -------------------------------------------------------------------------

TTextMemo::TTextMemo(classes::TComponent* owner)
    : ui::TCustomControl(owner), options_(DefaultTextMemoOptions()), separators_(CharSetOf("\t $%&,./:;<=>"))
{
    AcquireShared();
    SetTickSource(nullptr);
    InitStore();
    lines_ = std::make_unique<TTextLinesStrings>(*this);
    paragraphsView_ = std::make_unique<TTextParaStrings>(*this);
    scroller_ = std::make_unique<TMemoScroller>(*this);
    renderer_ = std::make_unique<TMemoRenderer>(*this);
    keyboard_ = std::make_unique<TMemoKeyboard>(*this);
    mouse_ = std::make_unique<TMemoMouse>(*this);
    messages_ = std::make_unique<TMemoMessages>(*this);

    auto repaint = [this] {
        if (HandleAllocated()) Invalidate();
    };
    backgroundBmp_.OnChange = repaint;
    endOfTextMark_.SetColor(rtl::clRed);
    endOfTextMark_.OnChange = repaint;
    rightLinePen_.SetColor(0x808080);
    rightLinePen_.SetStyle(ui::psDot);
    rightLinePen_.OnChange = repaint;
    specUnderline_.SetColor(rtl::clRed);
    specUnderline_.OnChange = repaint;
    altFont_.OnChange = [this](classes::TFont&) { RefreshDisplay(); };

    SetColor(rtl::clWindow);
    SetBounds(Left(), Top(), 100, 60);
    SetCursor(ui::crIBeam);
    SetTabStop(true);
    SetBorderStyle(ui::bsSingle);
    SetTextScrollBars(ui::ssVertical);
}

TTextMemo::~TTextMemo()
{
    if (queue_) queue_->Cancel(*this);
    if (highlighter_) std::erase(highlighter_->editors_, this);
    if (ui::Caret().Owner == this) ui::DestroyCaret();
    scroller_.reset();  // its top-line navigator goes before the others are cut loose
    for (TTextNavigator* n : navigators_) n->memo_ = nullptr;
    ReleaseShared();
}

void TTextMemo::Loaded()
{
    ui::TCustomControl::Loaded();
    ClearUndo();
    // Whatever the lists hold, parsing starts from a clean state after a read.
    ResetParsing();
}

// ---- Display and input settings -----------------------------------------------------------

void TTextMemo::SetCaretWidth(int width)
{
    if (width == caretWidth_) return;
    caretWidth_ = width;
    if (HandleAllocated() && Focused() && !displayOnly_) UpdateCaret(true);
}

void TTextMemo::SetDisplayOnly(bool on)
{
    if (on == displayOnly_) return;
    displayOnly_ = on;
    if (!HandleAllocated() || !Focused()) return;
    if (on) {
        if (ui::Caret().Owner == this) ui::DestroyCaret();
        caretCreated_ = false;
    } else {
        UpdateCaret(true);
    }
}

void TTextMemo::SetHideSelection(bool on)
{
    if (on == hideSelection_) return;
    hideSelection_ = on;
    if (!Focused()) InvalidateSelection();
}

void TTextMemo::SetHighlightBackgnd(rtl::TColor color)
{
    highlightBackgnd_ = color;
    if (HandleAllocated()) Invalidate();
}

void TTextMemo::SetHighlightColor(rtl::TColor color)
{
    highlightColor_ = color;
    if (HandleAllocated()) Invalidate();
}

void TTextMemo::SetCtl3D(bool on)
{
    if (on == ctl3D_) return;
    ctl3D_ = on;
    Perform(ui::CM_CTL3DCHANGED);
}

int TTextMemo::LineHeightSetting() const noexcept
{
    if (fixedLineHeight_ >= 1) return fixedLineHeight_;
    return ComponentState().Contains(classes::csDesigning) ? 0 : lineHeight_;
}

void TTextMemo::SetLineHeightSetting(int height)
{
    fixedLineHeight_ = height >= 1 ? height : 0;
    UpdateMetrics();
    RefreshDisplay();
}

void TTextMemo::SetOverwrite(bool on)
{
    if (on == overwrite_) return;
    overwrite_ = on;
    if (HandleAllocated() && Focused()) UpdateCaret(true);
}

void TTextMemo::SetRightLinePos(int pos)
{
    rightLinePos_ = pos;
    if (HandleAllocated()) Invalidate();
}

void TTextMemo::SetSelBackColor(rtl::TColor color)
{
    selBackColor_ = color;
    InvalidateSelection();
}

void TTextMemo::SetSelTextColor(rtl::TColor color)
{
    selTextColor_ = color;
    InvalidateSelection();
}

void TTextMemo::SetShowEndParSelected(bool on)
{
    showEndParSelected_ = on;
    InvalidateSelection();
}

void TTextMemo::SetTextScrollBars(ui::TScrollStyle style)
{
    scroller_->SetBars(style == ui::ssVertical || style == ui::ssBoth, style == ui::ssHorizontal || style == ui::ssBoth);
    SetScrollBars(style);
}

}  // namespace editor
