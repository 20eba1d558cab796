#include "grid/DBGrid.h"

#include <algorithm>
#include <optional>
#include <cmath>
#include <cstdlib>

#include "grid/GridCellHints.h"
#include "grid/GridKeyboard.h"
#include "grid/GridLayout.h"
#include "grid/GridMouse.h"
#include "grid/GridPainter.h"
#include "grid/GridRoutines.h"
#include "grid/GridState.h"
#include "grid/InplaceEdit.h"
#include "grid/Intl.h"
#include "grid/Scanning.h"
#include "grid/StringRoutines.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/TypInfo.h"
#include "platform/rtl/Addresses.h"
#include "platform/rtl/Process.h"
#include "platform/rtl/Scope.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/FrameControls.h"
#include "platform/ui/Input.h"
#include "platform/ui/Screen.h"
#include "platform/ui/StdCtrls.h"

namespace grid {

// ---- Enumerations ----------------------------------------------------------------------------------

const classes::TEnumInfo& DBGridOptionInfo()
{
    static const classes::TEnumInfo info{
        "TgkDBGridOption",
        {"dgEditing", "dgAlwaysShowEditor", "dgTitles", "dgIndicator", "dgColumnResize", "dgColLines", "dgRowLines",
         "dgTabs", "dgRowSelect", "dgAlwaysShowSelection", "dgConfirmDelete", "dgCancelOnExit", "dgWordWrap",
         "dgPerfectRowFit", "dgMultiSelect", "dgShowFooter", "dgFooter3DCells", "dgNoLimitColSize",
         "dgTrailingEllipsis", "dgShowCellHint", "dgTabExitsOnLastCol", "dgFixedResizable", "dgFixedEditable",
         "dgProportionalColResize", "dgRowResize", "dgRowLinesDisableFixed", "dgColLinesDisableFixed",
         "dgFixedProportionalResize", "dgHideBottomDataLine"}};
    return info;
}

const classes::TEnumInfo& DBGridKeyOptionInfo()
{
    static const classes::TEnumInfo info{"TgkDBGridKeyOption", {"dgEnterToTab", "dgAllowDelete", "dgAllowInsert"}};
    return info;
}

const classes::TEnumInfo& MultiSelectOptionInfo()
{
    static const classes::TEnumInfo info{"TgkMultiSelectOption", {"msoAutoUnselect", "msoShiftSelect"}};
    return info;
}

const classes::TEnumInfo& EditControlOptionInfo()
{
    static const classes::TEnumInfo info{"TgkEditControlOption",
                                         {"ecoCheckboxSingleClick", "ecoSearchOwnerForm", "ecoDisableCustomControls",
                                          "ecoDisableDateTimePicker", "ecoDisableEditorIfReadOnly"}};
    return info;
}

const classes::TEnumInfo& GridLineStyleInfo()
{
    static const classes::TEnumInfo info{"TgkGridLineStyle", {"glsSingle", "gls3D", "glsDynamic"}};
    return info;
}

const classes::TEnumInfo& IndicatorColorTypeInfo()
{
    static const classes::TEnumInfo info{"TIndicatorColorType", {"icBlack", "icYellow"}};
    return info;
}

const classes::TEnumInfo& PadColumnStyleInfo()
{
    static const classes::TEnumInfo info{"TgkPadColumnStyle", {"pcsPlain", "pcsPadHeader", "pcsPadHeaderAndData"}};
    return info;
}

// ---- Shared image lists ------------------------------------------------------------------------------

namespace {

constexpr int kGlyphWidth = 8;
constexpr int kGlyphHeight = 9;

// Our own glyphs: "o" and "X" black (drawn in the indicator icon colour), "." white.
struct TGlyph {
    const char* rows[kGlyphHeight];
};
constexpr TGlyph kArrow{{".o......", ".oo.....", ".oXo....", ".oXXo...", ".oXXXo..", ".oXXo...", ".oXo....", ".oo.....",
                         ".o......"}};
constexpr TGlyph kEdit{{"..ooooo.", "....o...", "....o...", "....o...", "....o...", "....o...", "....o...", "....o...",
                        "..ooooo."}};
constexpr TGlyph kInsert{{"........", "....o...", "..o.o.o.", "...ooo..", "..ooXoo.", "...ooo..", "..o.o.o.",
                          "....o...", "........"}};
constexpr TGlyph kMultiSelect{{"........", "........", "...oo...", "..oXXo..", "..oXXo..", "...oo...", "........",
                               "........", "........"}};
constexpr TGlyph kMultiArrow{{".o......", ".oo.....", ".oXo....", ".oXXo.oo", ".oXXXooo", ".oXXo.oo", ".oXo....",
                              ".oo.....", ".o......"}};
constexpr TGlyph kRight{{"........", "..o.....", "..oo....", "..ooo...", "..oooo..", "..ooo...", "..oo....", "..o.....",
                         "........"}};
constexpr TGlyph kLeft{{"........", ".....o..", "....oo..", "...ooo..", "..oooo..", "...ooo..", "....oo..", ".....o..",
                        "........"}};

std::vector<std::uint32_t> GlyphPixels(const TGlyph& glyph)
{
    std::vector<std::uint32_t> pixels;
    for (const char* row : glyph.rows)
        for (int x = 0; x < kGlyphWidth; ++x) {
            const char c = row[x];
            pixels.push_back(c == '.' ? 0xFFFFFFFFu : 0xFF000000u);
        }
    return pixels;
}

struct TSharedImages {
    std::unique_ptr<ui::TImageList> indicators;
    std::unique_ptr<ui::TImageList> arrows;
    int users = 0;
};
TSharedImages& Shared()
{
    static TSharedImages shared;
    return shared;
}

std::unique_ptr<ui::TImageList> MakeIndicatorImages()
{
    auto list = std::make_unique<ui::TImageList>(nullptr);
    list->SetWidth(kGlyphWidth);
    list->SetHeight(kGlyphHeight);
    for (const TGlyph* g : {&kArrow, &kEdit, &kInsert, &kMultiSelect, &kMultiArrow})
        list->AddPixels(GlyphPixels(*g));
    return list;
}

// The key filter's id while one grid has installed it (0: none).
int g_keyFilter = 0;

}  // namespace

ui::TCopyMode gkRasterOpOfName(std::string_view name)
{
    constexpr ui::TCopyMode kNotSrcErase = 0x001100A6;  // NOT (source OR destination)
    static const std::pair<const char*, ui::TCopyMode> ops[] = {
        {"Source Copy", ui::cmSrcCopy},       {"Source Paint", ui::cmSrcPaint},
        {"Source And", ui::cmSrcAnd},         {"Source Invert", ui::cmSrcInvert},
        {"Source Erase", ui::cmSrcErase},     {"Not Source Copy", ui::cmNotSrcCopy},
        {"Not Source Erase", kNotSrcErase},     {"Merge Paint", ui::cmMergePaint}};
    for (const auto& [text, op] : ops)
        if (name == text) return op;
    return ui::cmSrcCopy;
}

TgkPictureFit gkPictureFitOfName(std::string_view name)
{
    static const std::pair<const char*, TgkPictureFit> fits[] = {{"Original Size", pfOriginalSize},
                                                                 {"Stretch To Fit", pfStretchToFit},
                                                                 {"Fit Height", pfFitHeight},
                                                                 {"Fit Width", pfFitWidth},
                                                                 {"Shrink To Fit", pfShrinkToFit}};
    for (const auto& [text, fit] : fits)
        if (name == text) return fit;
    return pfNone;
}

ui::TImageList* TgkCustomDBGrid::IndicatorImages() { return Shared().indicators.get(); }
ui::TImageList* TgkCustomDBGrid::ArrowImages() { return Shared().arrows.get(); }
int TgkCustomDBGrid::ImageListUsers() { return Shared().users; }

// ---- Line colours, columns, hint window -------------------------------------------------------------

GW_IMPLEMENT_CLASS(TgkGridLineColors, classes::TPersistent)
{
    p.Color(
        "DataColor", [](const TgkGridLineColors& o) { return o.DataColor; },
        [](TgkGridLineColors& o, rtl::TColor c) { o.DataColor = c; }, rtl::clSilver);
    p.Color(
        "HighlightColor", [](const TgkGridLineColors& o) { return o.HighlightColor; },
        [](TgkGridLineColors& o, rtl::TColor c) { o.HighlightColor = c; }, rtl::clBtnHighlight);
    p.Color(
        "ShadowColor", [](const TgkGridLineColors& o) { return o.ShadowColor; },
        [](TgkGridLineColors& o, rtl::TColor c) { o.ShadowColor = c; }, rtl::clBtnShadow);
    p.Color(
        "FixedColor", [](const TgkGridLineColors& o) { return o.FixedColor; },
        [](TgkGridLineColors& o, rtl::TColor c) { o.FixedColor = c; }, rtl::clBlack);
}

void TgkGridLineColors::Assign(const classes::TPersistent& source)
{
    const auto* s = dynamic_cast<const TgkGridLineColors*>(&source);
    if (s == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    DataColor = s->DataColor;
    HighlightColor = s->HighlightColor;
    ShadowColor = s->ShadowColor;
    FixedColor = s->FixedColor;
    if (grid_ != nullptr) grid_->Invalidate();
}

classes::TPersistent* TgkGridLineColors::GetOwner() const { return grid_; }

void TgkColumn::SetFooterValue(const std::string& value)
{
    if (this == grid_.d_->spareColumn.get() || value == footerValue_) return;
    footerValue_ = value;
    if (grid_.HandleAllocated()) grid_.InvalidateRect(grid_.GetFooterRect());
}

bool TgkColumn::IsSpare() const { return this == grid_.d_->spareColumn.get(); }

int TgkColumn::DisplayWidth() const
{
    return IsSpare() ? 0 : rtl::StrToInt(grid_.ColumnEntryPart(fieldName_, 1));
}

std::string TgkColumn::DisplayLabel() const
{
    if (IsSpare()) return {};
    db::TDataSet* ds = grid_.d_->dataLink->DataSet();
    if (grid_.d_->useTFields && ds != nullptr)
        if (const db::TField* field = ds->FindField(fieldName_)) return field->DisplayLabel();
    return grid_.ColumnEntryPart(fieldName_, 2);
}

bool TgkColumn::ReadOnly() const { return !IsSpare() && grid_.ColumnEntryPart(fieldName_, 3) == "T"; }

std::string TgkColumn::GroupName() const { return IsSpare() ? std::string() : grid_.ColumnEntryPart(fieldName_, 4); }

GW_IMPLEMENT_CLASS(TgkGridHintWindow, ui::THintWindow) {}

TgkGridHintWindow::TgkGridHintWindow(classes::TComponent* owner) : THintWindow(owner) {}

void TgkGridHintWindow::Paint()
{
    ui::TCanvas& c = *Canvas();
    ui::TRect r = ClientRect();
    r = {r.Left + 1, r.Top + 2, r.Right + 1, r.Bottom + 2};
    c.Font()->SetColor(rtl::clInfoText);
    gkDrawControlText(c, r, 0, gkdtKeepBackground | (WordWrap ? gkdtWordWrap : 0), Alignment, Caption(), 0);
}

// ---- The data link ---------------------------------------------------------------------------------------

TgkGridDataLink::TgkGridDataLink(TgkCustomDBGrid& grid) : grid_(grid) {}

TgkGridDataLink::~TgkGridDataLink() { ClearMapping(); }

bool TgkGridDataLink::AddMapping(const std::string& fieldName)
{
    if (FieldCount() >= kMaxMapSize) throw ui::EInvalidGridOperation("Grid requested to display more than 256 columns");
    db::TDataSet* ds = DataSet();
    db::TField* field = ds != nullptr ? ds->FindField(fieldName) : nullptr;
    if (field == nullptr) return false;
    if (FieldCount() == fieldMapSize_) {
        fieldMapSize_ = fieldMapSize_ == 0 ? 8 : std::min(fieldMapSize_ * 2, kMaxMapSize);
        fieldMap_.reserve(static_cast<std::size_t>(fieldMapSize_));
    }
    fieldMap_.push_back(field->Index());
    return true;
}

void TgkGridDataLink::ClearMapping()
{
    fieldMap_.clear();
    fieldMap_.shrink_to_fit();
    fieldMapSize_ = 0;
}

db::TField* TgkGridDataLink::GetMappedField(int index) const
{
    if (index < 0 || index >= FieldCount()) return nullptr;
    db::TDataSet* ds = DataSet();
    const int fieldIndex = fieldMap_[static_cast<std::size_t>(index)];
    if (ds == nullptr || fieldIndex < 0 || fieldIndex >= ds->FieldCount()) return nullptr;
    return ds->Fields()[fieldIndex];
}

bool TgkGridDataLink::DefaultFields() const
{
    const db::TDataSet* ds = DataSet();
    return ds == nullptr || ds->DefaultFields();
}

void TgkGridDataLink::ActiveChanged() { grid_.LinkActive(Active()); }

void TgkGridDataLink::DataSetChanged()
{
    grid_.DataChanged();
    modified_ = false;
}

void TgkGridDataLink::DataSetScrolled(int distance) { grid_.Scroll(distance); }

void TgkGridDataLink::EditingChanged()
{
    grid_.EditingChanged();
    const db::TDataSource* source = DataSource();
    if (source != nullptr && (source->State() == db::dsEdit || source->State() == db::dsInsert))
        grid_.d_->footerUpdatePending = true;
}

void TgkGridDataLink::FocusControl(db::TField*& field)
{
    if (field == nullptr) return;
    grid_.SetSelectedField(field);
    if (grid_.SelectedField() == field && grid_.AcquireFocus()) field = nullptr;
}

void TgkGridDataLink::LayoutChanged() { grid_.LayoutChanged(); }

void TgkGridDataLink::RecordCountChanged() { grid_.UpdateScrollBar(); }

void TgkGridDataLink::RecordChanged(db::TField* field)
{
    if (field == nullptr || !inUpdateData_) {
        grid_.RecordChanged(field);
        modified_ = false;
    }
    const db::TDataSet* ds = DataSet();
    if (field != nullptr && ds != nullptr && (ds->State() == db::dsEdit || ds->State() == db::dsInsert))
        grid_.DoFieldChanged(field);
}

void TgkGridDataLink::UpdateData()
{
    inUpdateData_ = true;
    const rtl::TScopeExit done([this] { inUpdateData_ = false; });
    if (modified_) {
        grid_.StoreEditText();
        modified_ = false;
    }
}

void TgkGridDataLink::Reset()
{
    if (modified_) {
        RecordChanged(nullptr);
        return;
    }
    db::TDataSet* ds = DataSet();
    if (ds == nullptr) return;
    if ((ds->State() == db::dsEdit || ds->State() == db::dsInsert) && ds->Modified()) {
        const int answer = ui::MessageDlg(gkIntlDefault().UserMessages.gkDBGridDiscardChanges, ui::mtConfirmation,
                                          ui::TMsgDlgButtons{ui::mbYes, ui::mbNo});
        if (answer != ui::mrYes) return;
    }
    ds->Cancel();
}


// ---- The grid: publishing, construction, destruction ---------------------------------------------------

GW_IMPLEMENT_CLASS(TgkCustomDBGrid, ui::TCustomGrid)
{
    using G = TgkCustomDBGrid;
    p.Color("Color", &G::Color, &G::SetColor, rtl::clWindow);
    p.Boolean("TabStop", &G::TabStop, &G::SetTabStop, true);
    p.Set("Options", DBGridOptionInfo(), &G::Options, &G::SetOptions, kDefaultDBGridOptions);
    p.Set("KeyOptions", DBGridKeyOptionInfo(), &G::KeyOptions, &G::SetKeyOptions,
          TgkDBGridKeyOptions{dgAllowDelete, dgAllowInsert});
    p.Set("MultiSelectOptions", MultiSelectOptionInfo(), &G::MultiSelectOptions, &G::SetMultiSelectOptions);
    p.Set("EditControlOptions", EditControlOptionInfo(), &G::EditControlOptions, &G::SetEditControlOptions,
          TgkEditControlOptions{ecoSearchOwnerForm});
    p.Boolean("ReadOnly", &G::ReadOnly, &G::SetReadOnly, false);
    p.Boolean("DefaultDrawing", &G::DefaultDrawing, &G::SetDefaultDrawing, true);
    p.Boolean("EditCalculated", &G::EditCalculated, &G::SetEditCalculated, false);
    p.Boolean("UseTFields", &G::UseTFields, &G::SetUseTFields, true);
    p.Component<db::TDataSource>("DataSource", &G::DataSource, &G::SetDataSource);
    p.Strings("Selected", [](const G& g) { return g.Selected(); });
    p.Strings("ControlType", [](const G& g) { return g.ControlType(); });
    p.Boolean("ControlInfoInDataset", &G::ControlInfoInDataset, &G::SetControlInfoInDataset, true);
    p.Strings("PictureMasks", [](const G& g) { return g.PictureMasks(); });
    p.Boolean("PictureMaskFromDataSet", &G::PictureMaskFromDataSet, &G::SetPictureMaskFromDataSet, true);
    p.Color("TitleColor", &G::TitleColor, &G::SetTitleColor, rtl::clBtnFace).AlwaysStored();
    p.Object("TitleFont", [](const G& g) { return g.TitleFont(); });
    p.Enumeration("TitleAlignment", classes::AlignmentInfo(), &G::TitleAlignment, &G::SetTitleAlignment,
                  classes::taLeftJustify)
        .AlwaysStored();
    p.Integer("TitleLines", &G::TitleLines, &G::SetTitleLines, 1).AlwaysStored();
    p.Boolean("TitleButtons", &G::TitleButtons, &G::SetTitleButtons, false).AlwaysStored();
    p.Integer("RowHeightPercent", &G::RowHeightPercent, &G::SetRowHeightPercent, 100);
    p.Boolean("ShowHorzScrollBar", &G::ShowHorzScrollBar, &G::SetShowHorzScrollBar, true).AlwaysStored();
    p.Boolean("ShowVertScrollBar", &G::ShowVertScrollBar, &G::SetShowVertScrollBar, true);
    p.Enumeration("IndicatorColor", IndicatorColorTypeInfo(), &G::IndicatorColor, &G::SetIndicatorColor, icBlack)
        .Stored([](const G&) { return false; });
    p.Color("IndicatorIconColor", &G::IndicatorIconColor, &G::SetIndicatorIconColor, rtl::clBlack);
    // The button itself is written nested in the grid (GetChildren) and names itself the
    // grid's when it is read back, so the reference is never written.
    p.Component<ui::TControl>("IndicatorButton", &G::IndicatorButton, &G::SetIndicatorButton)
        .Stored([](const G&) { return false; });
    p.Enumeration("LineStyle", GridLineStyleInfo(), &G::LineStyle, &G::SetLineStyle, glsDynamic);
    p.Object("LineColors", [](const G& g) { return g.LineColors(); });
    p.Boolean("HideAllLines", &G::HideAllLines, &G::SetHideAllLines, false);
    p.Color("FooterColor", &G::FooterColor, &G::SetFooterColor, rtl::clBtnFace);
    p.Color("FooterCellColor", &G::FooterCellColor, &G::SetFooterCellColor, rtl::clBtnFace);
    p.Integer("FooterHeight", &G::FooterHeight, &G::SetFooterHeight, 0);
    p.Component<ui::TImageList>("ImageList", &G::ImageList, &G::SetImageList);
    p.Component<ui::TImageList>("TitleImageList", &G::TitleImageList, &G::SetTitleImageList);
    p.Integer("DragVertOffset", &G::DragVertOffset, &G::SetDragVertOffset, 15);
    p.Enumeration("PadColumnStyle", PadColumnStyleInfo(), &G::PadColumnStyle, &G::SetPadColumnStyle,
                  pcsPadHeaderAndData);
    p.Object("PaintOptions", [](const G& g) { return g.PaintOptions(); });
    p.Event("OnBeforePaint", &G::OnBeforePaint);
    p.Event("OnColEnter", &G::OnColEnter);
    p.Event("OnColExit", &G::OnColExit);
    p.Event("OnDrawDataCell", &G::OnDrawDataCell);
    p.Event("OnCalcCellColors", &G::OnCalcCellColors);
    p.Event("OnCalcTitleAttributes", &G::OnCalcTitleAttributes);
    p.Event("OnDrawTitleCell", &G::OnDrawTitleCell);
    p.Event("OnDrawGroupHeaderCell", &G::OnDrawGroupHeaderCell);
    p.Event("OnCalcTitleImage", &G::OnCalcTitleImage);
    p.Event("OnTitleButtonClick", &G::OnTitleButtonClick);
    p.Event("OnCheckValue", &G::OnCheckValue);
    p.Event("OnTopRowChanged", &G::OnTopRowChanged);
    p.Event("OnRowChanged", &G::OnRowChanged);
    p.Event("OnCellChanged", &G::OnCellChanged);
    p.Event("OnLeftColChanged", &G::OnLeftColChanged);
    p.Event("OnColumnMoved", &G::OnColumnMoved);
    p.Event("OnColWidthChanged", &G::OnColWidthChanged);
    p.Event("OnDrawFooterCell", &G::OnDrawFooterCell);
    p.Event("OnFieldChanged", &G::OnFieldChanged);
    p.Event("OnUpdateFooter", &G::OnUpdateFooter);
    p.Event("OnCreateHintWindow", &G::OnCreateHintWindow);
    p.Event("OnURLOpen", &G::OnURLOpen);
}

TgkCustomDBGrid::TgkCustomDBGrid(classes::TComponent* owner)
    : TCustomGrid(owner), d_(std::make_unique<TgkGridState>(this))
{
    TSharedImages& shared = Shared();
    if (shared.users++ == 0) {
        shared.indicators = MakeIndicatorImages();
        shared.arrows = std::make_unique<ui::TImageList>(nullptr);
        shared.arrows->SetWidth(kGlyphWidth);
        shared.arrows->SetHeight(kGlyphHeight);
        shared.arrows->AddPixels(GlyphPixels(kRight));
        shared.arrows->AddPixels(GlyphPixels(kLeft));
    }
    TCustomGrid::SetScrollBars(ui::ssHorizontal);
    TCustomGrid::SetOptions({ui::goFixedVertLine, ui::goFixedHorzLine, ui::goVertLine, ui::goHorzLine,
                             ui::goColSizing, ui::goColMoving, ui::goEditing, ui::goTabs});
    SetRowCount(2);
    SetColCount(2);
    d_->dataLink = std::make_unique<TgkGridDataLink>(*this);
    SetColor(rtl::clWindow);
    SetParentColor(false);
    d_->titleFont.OnChange = [this](classes::TFont&) { TitleFontChanged(); };
    d_->spareColumn = std::make_unique<TgkColumn>(*this, std::string());
    painter_ = std::make_unique<TgkGridPainter>(*this);
    layout_ = std::make_unique<TgkGridLayout>(*this);
    mouse_ = std::make_unique<TgkGridMouse>(*this);
    keyboard_ = std::make_unique<TgkGridKeyboard>(*this);
    hints_ = std::make_unique<TgkGridCellHints>(*this);
    d_->paintOptions = std::make_unique<TgkGridPaintOptions>(this, painter_->DrawBitmap());
    SetTabStop(true);
}

TgkCustomDBGrid::~TgkCustomDBGrid()
{
    // A focused grid takes the key filter it installed with it.
    if (g_keyFilter != 0 && d_->hasFocus) {
        ui::Application().RemoveKeyFilter(g_keyFilter);
        g_keyFilter = 0;
    }
    TSharedImages& shared = Shared();
    if (--shared.users == 0) {
        shared.indicators.reset();
        shared.arrows.reset();
    }
    d_->colInfoCache.clear();
    delete d_->indicatorButton;
    d_->indicatorButton = nullptr;
    // The link goes before the columns: a data set closing now finds no grid to tell.
    d_->dataLink->SetDataSource(nullptr);
    d_->dataLink.reset();
    d_->columns.clear();
    painter_->SetAltDrawBitmap(nullptr);
    d_->rowBookmark.clear();
    d_->footerBookmark.clear();
    hints_->Hide();
    d_->paintOptions.reset();
    ResetColumnState();
}

void TgkCustomDBGrid::ResetColumnState() { layout_->ResetColumnState(); }

void TgkCustomDBGrid::Loaded()
{
    TCustomGrid::Loaded();
    d_->paintOptions->UpdateBackground(false);
    LayoutChanged();
}

void TgkCustomDBGrid::Notification(classes::TComponent* component, classes::TOperation operation)
{
    TCustomGrid::Notification(component, operation);
    if (operation != classes::opRemove) return;
    if (component == d_->imageList) d_->imageList = nullptr;
    if (component == d_->titleImageList) d_->titleImageList = nullptr;
    if (component == d_->indicatorButton) d_->indicatorButton = nullptr;
    if (d_->dataLink && component == d_->dataLink->DataSource()) SetDataSource(nullptr);
}

bool TgkCustomDBGrid::ExecuteAction(classes::TBasicAction* action)
{
    return TCustomGrid::ExecuteAction(action) || (d_->dataLink && d_->dataLink->ExecuteAction(action));
}

bool TgkCustomDBGrid::UpdateAction(classes::TBasicAction* action)
{
    return TCustomGrid::UpdateAction(action) || (d_->dataLink && d_->dataLink->UpdateAction(action));
}

void TgkCustomDBGrid::CreatePeers()
{
    const bool had = HandleAllocated();
    TCustomGrid::CreatePeers();
    if (had || !HandleAllocated()) return;
    LayoutChanged();
    UpdateScrollBar();
    RecordMoved();
}

// ---- Property setters -------------------------------------------------------------------------------------

void TgkCustomDBGrid::ApplyBaseOptions()
{
    ui::TGridOptions base = TCustomGrid::Options();
    const auto set = [&base](ui::TGridOption o, bool on) {
        if (on)
            base.Include(o);
        else
            base.Exclude(o);
    };
    set(ui::goFixedVertLine, d_->options.Contains(dgColLines));
    set(ui::goVertLine, d_->options.Contains(dgColLines));
    set(ui::goHorzLine, d_->options.Contains(dgRowLines));
    set(ui::goFixedHorzLine, !d_->options.Contains(dgRowLinesDisableFixed));
    set(ui::goColSizing, d_->options.Contains(dgColumnResize));
    set(ui::goColMoving, d_->options.Contains(dgColumnResize));
    set(ui::goRowSizing, d_->options.Contains(dgRowResize));
    set(ui::goEditing, d_->options.Contains(dgEditing) && !d_->options.Contains(dgRowSelect));
    set(ui::goTabs, d_->options.Contains(dgTabs));
    set(ui::goRowSelect, d_->options.Contains(dgRowSelect));
    set(ui::goAlwaysShowEditor, d_->options.Contains(dgAlwaysShowEditor));
    set(ui::goRangeSelect, false);  // records are selected by bookmark, never as a cell range
    TCustomGrid::SetOptions(base);
}

void TgkCustomDBGrid::SetOptions(TgkDBGridOptions options)
{
    if (options == d_->options) return;
    const TgkDBGridOptions old = d_->options;
    d_->options = options;
    ApplyBaseOptions();
    if (old.Contains(dgWordWrap) != options.Contains(dgWordWrap)) {
        if (auto* editor = dynamic_cast<TgkInplaceEdit*>(InplaceEditor())) editor->SetWordWrap(options.Contains(dgWordWrap));
        Invalidate();
    }
    if (old.Contains(dgIndicator) != options.Contains(dgIndicator)) ResetColumnState();
    LayoutChanged();
}

void TgkCustomDBGrid::SetUseTFields(bool v)
{
    if (v == d_->useTFields) return;
    d_->useTFields = v;
    ResetColumnState();
    LayoutChanged();
}

db::TDataSource* TgkCustomDBGrid::DataSource() const { return d_->dataLink->DataSource(); }

void TgkCustomDBGrid::SetDataSource(db::TDataSource* source)
{
    if (source == d_->dataLink->DataSource()) return;
    if (db::TDataSource* old = d_->dataLink->DataSource()) old->RemoveFreeNotification(this);
    d_->dataLink->SetDataSource(source);
    if (source != nullptr) source->FreeNotification(this);
    LinkActive(d_->dataLink->Active());
}

void TgkCustomDBGrid::SetTitleColor(rtl::TColor color)
{
    if (color == d_->titleColor) return;
    d_->titleColor = color;
    LayoutChanged();
}

void TgkCustomDBGrid::SetTitleAlignment(classes::TAlignment v)
{
    if (v == d_->titleAlignment) return;
    d_->titleAlignment = v;
    Invalidate();
}

void TgkCustomDBGrid::SetTitleLines(int lines)
{
    if (lines < 1) return;
    if (lines == d_->titleLines) return;
    d_->titleLines = lines;
    LayoutChanged();
}

void TgkCustomDBGrid::SetTitleButtons(bool v)
{
    if (v == d_->titleButtons) return;
    d_->titleButtons = v;
    Invalidate();
}

void TgkCustomDBGrid::SetRowHeightPercent(int percent)
{
    if (percent < 1) {
        d_->rowHeightPercent = 100;
        return;
    }
    if (percent == d_->rowHeightPercent) return;
    d_->rowHeightPercent = percent;
    d_->savedRowHeightPercent = percent;
    LayoutChanged();
}

bool TgkCustomDBGrid::ShowHorzScrollBar() const { return d_->showHorzScrollBar; }

bool TgkCustomDBGrid::BaseHasHorzScrollBar() const
{
    return TCustomGrid::ScrollBars() == ui::ssHorizontal || TCustomGrid::ScrollBars() == ui::ssBoth;
}

void TgkCustomDBGrid::SetShowHorzScrollBar(bool show)
{
    d_->showHorzScrollBar = show;
    // Proportional columns always fill the width: there is nothing to scroll to.
    TCustomGrid::SetScrollBars(show && !UseProportionalColResize() ? ui::ssHorizontal : ui::ssNone);
}

void TgkCustomDBGrid::SetShowVertScrollBar(bool show)
{
    if (show == d_->showVertScrollBar) return;
    d_->showVertScrollBar = show;
    UpdateWindowScrollBars();
    UpdateScrollBar();
}

ui::TScrollStyle TgkCustomDBGrid::WindowScrollBars() const
{
    const bool h = BaseHasHorzScrollBar();
    if (d_->showVertScrollBar) return h ? ui::ssBoth : ui::ssVertical;
    return h ? ui::ssHorizontal : ui::ssNone;
}

void TgkCustomDBGrid::SetIndicatorColor(TIndicatorColorType v)
{
    // IndicatorColor is not stored, so it can last only as a shortcut that writes the stored
    // IndicatorIconColor: every glyph is drawn from the black set with its black pixels in
    // that colour. A separate yellow image set would be of no use: its black outline would be
    // recoloured as well.
    if (v == d_->indicatorColor) return;
    d_->indicatorColor = v;
    SetIndicatorIconColor(v == icYellow ? rtl::clYellow : rtl::clBlack);
}

void TgkCustomDBGrid::SetIndicatorIconColor(rtl::TColor color)
{
    if (color == d_->indicatorIconColor) return;
    d_->indicatorIconColor = color;
    Invalidate();
}

void TgkCustomDBGrid::GetChildren(const std::function<void(classes::TComponent*)>& proc, classes::TComponent*)
{
    // Only the indicator button belongs to the grid's description: the controls placed over
    // cells are the form's and go with it.
    if (d_->indicatorButton != nullptr) proc(d_->indicatorButton);
}

void TgkCustomDBGrid::SetIndicatorButton(ui::TControl* button)
{
    if (button == d_->indicatorButton) return;
    if (d_->indicatorButton != nullptr) d_->indicatorButton->RemoveFreeNotification(this);
    d_->indicatorButton = button;
    if (button != nullptr) button->FreeNotification(this);
    LayoutChanged();
}

void TgkCustomDBGrid::SetLineStyle(TgkGridLineStyle v)
{
    if (v == d_->lineStyle) return;
    d_->lineStyle = v;
    Invalidate();
}

void TgkCustomDBGrid::SetHideAllLines(bool v)
{
    if (v == d_->hideAllLines) return;
    d_->hideAllLines = v;
    Invalidate();
}

void TgkCustomDBGrid::SetFooterColor(rtl::TColor c)
{
    if (c == d_->footerColor) return;
    d_->footerColor = c;
    Invalidate();
}

void TgkCustomDBGrid::SetFooterCellColor(rtl::TColor c)
{
    if (c == d_->footerCellColor) return;
    d_->footerCellColor = c;
    Invalidate();
}

void TgkCustomDBGrid::SetFooterHeight(int h)
{
    h = std::max(h, 0);
    if (h == d_->footerHeight) return;
    d_->footerHeight = h;
    LayoutChanged();
}

void TgkCustomDBGrid::SetImageList(ui::TImageList* list)
{
    ui::SetReference(*this, d_->imageList, list);
    Invalidate();
}

void TgkCustomDBGrid::SetTitleImageList(ui::TImageList* list)
{
    ui::SetReference(*this, d_->titleImageList, list);
    Invalidate();
}

void TgkCustomDBGrid::SetPadColumnStyle(TgkPadColumnStyle v)
{
    if (v == d_->padColumnStyle) return;
    d_->padColumnStyle = v;
    Invalidate();
}

void TgkCustomDBGrid::TitleFontChanged()
{
    if (!d_->titleFontSync && !Loading()) SetParentFont(false);
    if (d_->options.Contains(dgTitles)) LayoutChanged();
}

void TgkCustomDBGrid::FontChanged()
{
    TCustomGrid::FontChanged();
    if (ParentFont()) {
        d_->titleFontSync = true;
        const rtl::TScopeExit done([this] { d_->titleFontSync = false; });
        d_->titleFont.Assign(*Font());
    }
    LayoutChanged();
}

// ---- The row model ------------------------------------------------------------------------------------------

db::TField* TgkCustomDBGrid::SelectedField() const { return GetColField(SelectedIndex()); }

void TgkCustomDBGrid::SetSelectedIndex(int dataCol)
{
    const int col = dataCol + d_->indicatorOffset;
    if (col >= FixedCols() && col < ColCount()) SetCol(col);
}

void TgkCustomDBGrid::SetSelectedField(db::TField* field)
{
    if (field == nullptr) return;
    for (int i = 0; i < FieldCount(); ++i)
        if (Fields(i) == field) {
            SetSelectedIndex(i);
            return;
        }
}

db::TField* TgkCustomDBGrid::GetColField(int dataCol) const
{
    if (dataCol < 0 || !d_->dataLink->Active() || dataCol >= d_->dataLink->FieldCount()) return nullptr;
    return d_->dataLink->GetMappedField(dataCol);
}

std::string TgkCustomDBGrid::GetFieldValue(int dataCol)
{
    db::TField* field = GetColField(dataCol);
    return field != nullptr ? field->DisplayText() : std::string();
}

bool TgkCustomDBGrid::IsActiveDataSet() const
{
    const db::TDataSet* ds = d_->dataLink->DataSet();
    return d_->dataLink->Active() && ds != nullptr && ds->Active();
}

bool TgkCustomDBGrid::AcquireFocus()
{
    if (!AcquireFocusEnabled || !CanFocus() || gkIsDesigning(this)) return true;
    // A control over a cell that has the focus keeps it: the grid is where the focus is.
    const ui::TWinControl* active = ui::Screen().ActiveControl();
    if (active != nullptr && active != this && ContainsControl(active)) return true;
    SetFocus();
    return Focused();
}

TgkColumn& TgkCustomDBGrid::ColumnByName(std::string_view fieldName)
{
    for (auto& c : d_->columns)
        if (gkEqualText(c->FieldName(), fieldName)) return *c;
    return *d_->spareColumn;
}

void TgkCustomDBGrid::SplitTitle(const std::string& title, std::string& groupHeader, std::string& caption) const
{
    const std::size_t hash = title.find('#');
    if (hash == std::string::npos) {
        groupHeader.clear();
        caption = title;
        return;
    }
    groupHeader = title.substr(0, hash);
    caption = title.substr(hash + 1);
    if (caption.empty()) caption = groupHeader;
}

std::string TgkCustomDBGrid::ColumnEntryPart(std::string_view fieldName, int selector) const
{
    std::string value;
    GetColumnEntryPart(d_->selected, fieldName, selector, value);
    return value;
}

bool TgkCustomDBGrid::ColumnReadOnly(int dataCol) const
{
    const db::TField* field = GetColField(dataCol);
    if (field == nullptr) return false;
    return ColumnEntryPart(field->FieldName(), 3) == "T";
}

void TgkCustomDBGrid::DefineFieldMap()
{
    db::TDataSet* ds = d_->dataLink->DataSet();
    if (ds == nullptr) return;
    if (d_->useTFields) {
        for (int i = 0; i < ds->FieldCount(); ++i) {
            db::TField* f = ds->Fields()[i];
            if (f->Visible()) d_->dataLink->AddMapping(f->FieldName());
        }
    } else {
        int i = 0;
        while (i < d_->selected.Count()) {
            const std::string entry = d_->selected.Strings(i);
            const std::string name = entry.substr(0, entry.find('\t'));
            if (d_->dataLink->Active() && ds->FindField(name) == nullptr) {
                d_->selected.Delete(i);
                continue;
            }
            d_->dataLink->AddMapping(name);
            ++i;
        }
    }
    std::vector<std::unique_ptr<TgkColumn>> fresh;
    for (int i = 0; i < d_->dataLink->FieldCount(); ++i) {
        const db::TField* f = d_->dataLink->GetMappedField(i);
        auto column = std::make_unique<TgkColumn>(*this, f->FieldName());
        column->footerValue_ = ColumnByName(f->FieldName()).footerValue_;
        fresh.push_back(std::move(column));
    }
    d_->columns = std::move(fresh);
}

void TgkCustomDBGrid::LinkActive(bool value)
{
    if (!value) HideEditor();
    LayoutChanged();
    UpdateScrollBar();
    d_->rowBookmark.clear();
    d_->rowBookmarkKept = false;
    d_->footerBookmark.clear();
    if (!value) {
        d_->lastCol = -1;
        return;
    }
    if (!HandleAllocated()) {
        d_->colEnterPending = true;
    } else if (Col() != d_->lastCol) {
        ColEnter();
        d_->lastCol = Col();
    }
    d_->footerUpdatePending = true;
}

void TgkCustomDBGrid::UpdateRowCount()
{
    if (d_->rowCountLock) return;
    d_->rowCountLock = true;
    const rtl::TScopeExit unlock([this] { d_->rowCountLock = false; });
    const bool keepLeft =
        d_->options.Contains(dgRowSelect) || (d_->options.Contains(dgFixedEditable) && LeftCol() <= FixedCols());
    const int savedLeft = LeftCol();
    if (keepLeft) DisableRedraw();
    const rtl::TScopeExit restore([&] {
        if (!keepLeft) return;
        if (savedLeft < ColCount() && savedLeft >= FixedCols()) SetLeftCol(savedLeft);
        EnableRedraw(false);
        Invalidate();
    });
    if (RowCount() <= d_->titleOffset) SetRowCount(d_->titleOffset + 1);
    SetFixedRows(d_->titleOffset);
    const db::TDataSet* ds = d_->dataLink->DataSet();
    if (d_->dataLink->Active() && (ds == nullptr || !ds->Active() || d_->dataLink->RecordCount() != 0)) {
        SetRowCount(1000);
        const int visible = VisibleRowCount();
        if (visible < d_->dataLink->BufferCount() && Row() >= visible + d_->titleOffset) {
            Invalidate();
            DoTopRowChanged();
        }
        d_->dataLink->SetBufferCount(std::max(visible, 1));
        SetRowCount(d_->dataLink->RecordCount() + d_->titleOffset);
        UpdateActiveRow();
    } else {
        SetRowCount(d_->titleOffset + 1);
    }
}

void TgkCustomDBGrid::UpdateActiveRow()
{
    if (!d_->dataLink->Active()) return;
    int target = d_->dataLink->ActiveRecord() + d_->titleOffset + d_->recordOffset;
    if (target != Row()) {
        if (!d_->options.Contains(dgAlwaysShowEditor)) HideEditor();
        const int visible = VisibleRowCount();
        if (target >= visible + d_->titleOffset) {
            UpdateRowCount();
            target = std::min(target, VisibleRowCount() + d_->titleOffset - 1);
        }
        target = std::clamp(target, FixedRows(), RowCount() - 1);
        if (target != Row() && Col() >= FixedCols()) MoveColRow(Col(), target, false, false);
    }
    if (Parent() != nullptr && gkIsClass(Parent(), "TgkDBCustomLookupcombo")) return;
    db::TField* field = SelectedField();
    if (field != nullptr && field->Text() != d_->editText) InvalidateEditor();
}

void TgkCustomDBGrid::Scroll(int distance)
{
    if (!HandleAllocated()) return;
    const ui::TRect oldStrip = [&] {
        const ui::TRect a = CellRect(0, Row()), b = CellRect(ColCount() - 1, Row());
        return ui::TRect{a.Left, a.Top, std::max(b.Right, ClientWidth()), a.Bottom};
    }();
    UpdateScrollBar();
    UpdateActiveRow();
    InvalidateRect(oldStrip);
    InvalidateRow(Row());
    HideEditor();
    if (distance != 0) {
        HideCellControl();
        const ui::TRect area = VirtualClientRect();
        if (VisibleRowCount() < std::abs(distance)) {
            Invalidate();
        } else {
            const int step = DefaultRowHeight() + (RowLines() ? 1 : 0);
            if (distance % 2 != 0) d_->alternatingParity = !d_->alternatingParity;
            const int dataTop = d_->titleOffset > 0 ? CellRect(0, d_->titleOffset).Top : area.Top;
            const ui::TRect data{area.Left, dataTop, area.Right, area.Bottom};
            if (d_->paintOptions->FastRecordScrolling) {
                ScrollWindow(0, -step * distance, &data, &data);
                if (d_->options.Contains(dgIndicator)) {
                    if (d_->selectedRow >= 0) InvalidateRow(d_->selectedRow);
                    InvalidateRow(Row());
                }
            } else {
                InvalidateRect(data);
            }
        }
        if (d_->options.Contains(dgAlwaysShowEditor) && !IsCustomCell(Col(), Row())) {
            const db::TField* field = SelectedField();
            if (field == nullptr || field->DataType() != db::ftMemo) ShowCellEditor();
        }
        DoTopRowChanged();
    }
    RecordMoved();
}

void TgkCustomDBGrid::DataChanged()
{
    if (!HandleAllocated()) return;
    UpdateFooterIfChanged();
    if (!d_->suppressHideHook) {
        const db::TDataSource* source = DataSource();
        const db::TDataSet* ds = d_->dataLink->DataSet();
        if (source != nullptr &&
            ((source->State() == db::dsInsert && ds != nullptr && !(ds->Bof() && ds->Eof())) ||
             source->State() == db::dsBrowse))
            HideCellControl();
    }
    UpdateRowCount();
    UpdateScrollBar();
    UpdateActiveRow();
    InvalidateEditor();
    Invalidate();
    RecordMoved();
}

void TgkCustomDBGrid::RecordChanged(db::TField* field)
{
    if (!HandleAllocated()) return;
    int first = 0, last = ColCount() - 1;
    if (field != nullptr) {
        for (int i = 0; i < FieldCount(); ++i)
            if (Fields(i) == field) {
                first = last = i + d_->indicatorOffset;
                break;
            }
    }
    InvalidateCells(first, Row(), last, Row());
    if (field != nullptr && field != SelectedField()) return;
    db::TField* current = SelectedField();
    if (current != nullptr && current->Text() != d_->editText) InvalidateEditor();
}

void TgkCustomDBGrid::EditingChanged()
{
    if (d_->options.Contains(dgIndicator) && d_->selectedRow >= 0) InvalidateCell(0, d_->selectedRow);
}

void TgkCustomDBGrid::RecordMoved()
{
    const db::TDataSource* source = DataSource();
    db::TDataSet* ds = source != nullptr ? source->DataSet() : nullptr;
    if (ds != nullptr && ds->Active() && (OnRowChanged || OnCellChanged || OnUpdateFooter)) {
        const bool savedSuppressed = d_->cellChangedSuppressed;
        const rtl::TScopeExit restore([&] { d_->cellChangedSuppressed = savedSuppressed; });
        db::TBookmark mark = ds->GetBookmark();
        bool fire = false;
        if (!d_->rowBookmarkKept) {
            fire = true;
        } else if (!mark.empty() && ds->BookmarkValid(mark)) {
            const int cmp = ds->CompareBookmarks(mark, d_->rowBookmark);
            fire = cmp != 0 && cmp != 2;
        } else {
            fire = source->State() == db::dsInsert;
        }
        d_->rowBookmark = std::move(mark);
        d_->rowBookmarkKept = true;
        if (fire) {
            DoRowChanged();
            d_->cellChangedSuppressed = true;
        }
    }
    if (d_->colEnterPending) {
        d_->colEnterPending = false;
        ColEnter();
        DoUpdateFooter();
    }
    HideHintWindow();
}

void TgkCustomDBGrid::UpdateFooterIfChanged()
{
    if (!OnUpdateFooter || !HandleAllocated()) return;
    const db::TDataSource* source = DataSource();
    if (source == nullptr || source->State() != db::dsBrowse) return;
    db::TDataSet* ds = source->DataSet();
    if (!d_->footerUpdatePending && ds != nullptr) {
        db::TDataSource* master = gkGetDataSource(ds);
        if (master == nullptr) master = gkGetMasterSource(ds);
        if (master != nullptr && master->DataSet() != nullptr && master->DataSet()->Active()) {
            db::TBookmark mark = master->DataSet()->GetBookmark();
            const int cmp = master->DataSet()->CompareBookmarks(mark, d_->footerBookmark);
            if (cmp != 0 && cmp != 2) d_->footerUpdatePending = true;
            d_->footerBookmark = std::move(mark);
        }
    }
    if (!d_->footerUpdatePending && d_->rowBookmarkKept && ds != nullptr && !ds->BookmarkValid(d_->rowBookmark))
        d_->footerUpdatePending = true;
    if (d_->footerUpdatePending) DoUpdateFooter();
    d_->footerUpdatePending = false;
}

bool TgkCustomDBGrid::HighlightCell(int col, int row, ui::TGridDrawState state)
{
    bool result = state.Contains(ui::gdSelected);
    if (!result) result = row == Row() && d_->paintOptions->ActiveRecordColor() == rtl::clNone;
    if (!d_->options.Contains(dgAlwaysShowSelection) && result) {
        const bool focusInControl = PlacedControl() != nullptr && PlacedControl()->Focused();
        result = Focused() && !focusInControl;
    }
    if (d_->options.Contains(dgMultiSelect) && col >= FixedCols() && row >= FixedRows())
        result = IsSelectedRecord(row - d_->titleOffset);
    return result;
}

// ---- Text exchange with the editor ---------------------------------------------------------------------------

std::string TgkCustomDBGrid::GetEditText(int col, int)
{
    if (!d_->dataLink->Active()) return {};
    db::TField* field = GetColField(col - d_->indicatorOffset);
    if (field == nullptr) return {};
    d_->editText = field->Text();
    return d_->editText;
}

void TgkCustomDBGrid::SetEditText(int, int, const std::string& value) { d_->editText = value; }

std::string TgkCustomDBGrid::GetEditMask(int col, int)
{
    db::TField* field = GetColField(col - d_->indicatorOffset);
    return field != nullptr ? field->EditMask() : std::string();
}

int TgkCustomDBGrid::GetEditLimit()
{
    db::TField* field = SelectedField();
    return dynamic_cast<db::TStringField*>(field) != nullptr ? field->Size() : 0;
}

bool TgkCustomDBGrid::CanEditAcceptKey(char32_t key)
{
    db::TField* field = SelectedField();
    return d_->dataLink->Active() && d_->dataLink->FieldCount() > 0 && field != nullptr && field->IsValidChar(key);
}

bool TgkCustomDBGrid::CanEditModify()
{
    const db::TDataSet* ds = d_->dataLink->DataSet();
    const db::TDataSource* source = DataSource();
    if (!d_->keyOptions.Contains(dgAllowInsert) && ds != nullptr && ds->Bof() && ds->Eof() && source != nullptr &&
        source->State() == db::dsBrowse)
        return false;
    if (d_->readOnly || !d_->dataLink->Active() || d_->dataLink->ReadOnly()) return false;
    db::TField* field = SelectedField();
    if (d_->dataLink->FieldCount() == 0 || field == nullptr) return false;
    if (!field->CanModify() && !(d_->editCalculated && gkIsCalcOrLookupField(field) && !field->ReadOnly())) return false;
    if (ColumnReadOnly(SelectedIndex())) return false;
    d_->dataLink->Edit();
    const bool editing = d_->dataLink->Editing();
    if (editing) d_->dataLink->SetModified();
    return editing;
}

void TgkCustomDBGrid::UpdateData() { d_->dataLink->UpdateDataNow(); }

ui::TInplaceEdit* TgkCustomDBGrid::CreateEditor() { return new TgkInplaceEdit(this); }

void TgkCustomDBGrid::StoreEditText()
{
    db::TField* field = SelectedField();
    if (field == nullptr) return;
    // A text that does not fit the column's picture mask is reported and not stored.
    if (auto* editor = dynamic_cast<TgkInplaceEdit*>(InplaceEditor());
        editor != nullptr && editor->HasPictureMask() && !editor->CheckValue(d_->editText)) {
        ReportPictureError();
        return;
    }
    // A number shown with a display format is read back through that format; the field's
    // own text conversion takes what the format reader cannot.
    if (auto* number = dynamic_cast<db::TNumericField*>(field); number != nullptr && !number->DisplayFormat().empty()) {
        double value = 0;
        if (gkStrToFloatDisplay(d_->editText, number->DisplayFormat(), value)) {
            field->SetAsFloat(value);
            return;
        }
    }
    field->SetText(d_->editText);
}

// ---- Events ---------------------------------------------------------------------------------------------------

int TgkCustomDBGrid::GetCellBottom(int row) { return CellRect(LeftCol(), row).Bottom + 1; }

void TgkCustomDBGrid::ShowCellEditor()
{
    if (d_->editControlOptions.Contains(ecoDisableEditorIfReadOnly) && ColumnReadOnly(SelectedIndex())) return;
    ShowEditor();
}

void TgkCustomDBGrid::DoCreateHintWindow(TgkGridHintWindow* hint, db::TField* field, ui::TRect r, bool& wordWrap,
                                         int& maxWidth, int& maxHeight, bool& doDefault)
{
    if (OnCreateHintWindow) OnCreateHintWindow(this, hint, field, r, wordWrap, maxWidth, maxHeight, doDefault);
}

bool TgkCustomDBGrid::UseProportionalColResize() const
{
    return !d_->useTFields && d_->options.Contains(dgProportionalColResize);
}

void TgkCustomDBGrid::DoURLOpen(std::string& url, db::TField* field, bool& useDefault)
{
    if (OnURLOpen) OnURLOpen(this, url, field, useDefault);
}

void TgkCustomDBGrid::DoTitleButtonClick(const std::string& fieldName)
{
    if (OnTitleButtonClick) OnTitleButtonClick(this, fieldName);
}

void TgkCustomDBGrid::DoDrawTitleCell(ui::TCanvas* canvas, db::TField* field, ui::TRect rect, bool& defaultDrawing)
{
    if (OnDrawTitleCell) OnDrawTitleCell(this, canvas, field, rect, defaultDrawing);
}

void TgkCustomDBGrid::DoDrawGroupHeaderCell(ui::TCanvas* canvas, const std::string& name, ui::TRect rect,
                                            bool& defaultDrawing)
{
    if (OnDrawGroupHeaderCell) OnDrawGroupHeaderCell(this, canvas, name, rect, defaultDrawing);
}

void TgkCustomDBGrid::DoCalcTitleImage(db::TField* field, TgkTitleImageAttributes& attributes)
{
    if (OnCalcTitleImage) OnCalcTitleImage(this, field, attributes);
}

void TgkCustomDBGrid::DoTopRowChanged()
{
    if (OnTopRowChanged) OnTopRowChanged(this);
}

void TgkCustomDBGrid::DoRowChanged()
{
    if (OnRowChanged) OnRowChanged(this);
    DoCellChanged();
}

void TgkCustomDBGrid::DoCellChanged()
{
    if (d_->cellChangedSuppressed) return;
    HideHintWindow();
    // A press moving to its cell collapses once the move is done (the press's own call).
    if (!mouse_->MovingByMouse()) CollapseExpandButtons();
    if (OnCellChanged) OnCellChanged(this);
}

void TgkCustomDBGrid::ColEnter()
{
    if (OnColEnter) OnColEnter(this);
    DoCellChanged();
}

void TgkCustomDBGrid::ColExit()
{
    if (OnColExit) OnColExit(this);
}

void TgkCustomDBGrid::DrawDataCell(const ui::TRect& rect, db::TField* field, ui::TGridDrawState state)
{
    if (OnDrawDataCell) OnDrawDataCell(this, rect, field, state);
}

void TgkCustomDBGrid::GetControlInfo(const std::string& fieldName, std::string& controlType, std::string& parameters)
{
    db::TDataSet* ds = d_->dataLink->DataSet();
    if (d_->controlInfoInDataset && ds != nullptr && gkGetControlTypeList(ds) != nullptr)
        gkGetControlType(ds, fieldName, controlType, parameters);
    else
        gkGetControlTypeFromList(&d_->controlType, fieldName, controlType, parameters);
}

void TgkCustomDBGrid::DoFieldChanged(db::TField* field)
{
    if (OnFieldChanged) OnFieldChanged(this, field);
}

void TgkCustomDBGrid::DoUpdateFooter()
{
    if (OnUpdateFooter) OnUpdateFooter(this);
}

TgkGridHintWindow* TgkCustomDBGrid::CreateHintWindow(db::TField*) { return hints_->CreateWindow(); }

void TgkCustomDBGrid::ReportPictureError()
{
    gkIntlDefault().ValidationErrorUsingMask(this, SelectedField());
}

void TgkCustomDBGrid::PaintBackground(const ui::TRect& rect)
{
    ui::TCanvas* canvas = GetDrawCanvas();
    const ui::TBitmap* background = d_->paintOptions->BackgroundCopy();
    if (background != nullptr) {
        canvas->CopyRect(rect, *const_cast<ui::TBitmap*>(background)->Canvas(), rect);
        return;
    }
    const rtl::TColor saved = canvas->Brush()->Color();
    canvas->Brush()->SetColor(d_->paintOptions->AlternatingRowColor());
    canvas->FillRect(rect);
    canvas->Brush()->SetColor(saved);
}

bool TgkCustomDBGrid::CanEdit() const { return d_->options.Contains(dgEditing) && !d_->readOnly; }

void TgkCustomDBGrid::DoCalcTitleAttributes(const std::string& fieldName, classes::TFont* font, ui::TBrush* brush,
                                            classes::TAlignment& alignment)
{
    if (!OnCalcTitleAttributes) return;
    const rtl::TColor before = brush->Color();
    OnCalcTitleAttributes(this, fieldName, font, brush, alignment);
    d_->brushChanged = brush->Color() != before;
}

void TgkCustomDBGrid::DoCalcCellColors(db::TField* field, ui::TGridDrawState state, bool highlight,
                                       classes::TFont* font, ui::TBrush* brush)
{
    if (OnCalcCellColors) OnCalcCellColors(this, field, state, highlight, font, brush);
}

bool TgkCustomDBGrid::CalcCellColors(db::TField* field, ui::TGridDrawState state, bool highlight,
                                     classes::TFont* font, ui::TBrush* brush)
{
    const rtl::TColor before = brush->Color();
    DoCalcCellColors(field, state, highlight, font, brush);
    d_->brushChanged = brush->Color() != before;
    return d_->brushChanged;
}

// ---- Layout -------------------------------------------------------------------------------------------------

int TgkCustomDBGrid::TextHeightW(const classes::TFont& font) { return layout_->TextHeightW(font); }

int TgkCustomDBGrid::TextWidthOf(const classes::TFont& font, std::string_view text)
{
    return layout_->TextWidthOf(font, text);
}

void TgkCustomDBGrid::EnsureFieldMap()
{
    if (HandleAllocated() || !d_->dataLink->Active() || d_->dataLink->FieldCount() != 0) return;
    DefineFieldMap();
}

void TgkCustomDBGrid::LayoutChanged()
{
    if (Loading() || !HandleAllocated() || d_->layoutLock != 0 || !d_->dataLink) return;
    ++d_->layoutLock;
    const rtl::TScopeExit unlock([this] { --d_->layoutLock; });
    {
        ++d_->updateLock;
        const rtl::TScopeExit release([this] { --d_->updateLock; });
        d_->titleOffset = 0;
        if (ShowHorzScrollBar() && UseProportionalColResize() && BaseHasHorzScrollBar())
            SetShowHorzScrollBar(ShowHorzScrollBar());
        if (d_->options.Contains(dgTitles)) d_->titleOffset = 1;
        UpdateRowHeights();
        const int dataFixed = std::max(FixedCols() - d_->indicatorOffset, 0);
        d_->indicatorOffset = d_->options.Contains(dgIndicator) ? 1 : 0;
        d_->dataLink->ClearMapping();
        if (d_->dataLink->Active()) DefineFieldMap();
        int n = d_->dataLink->FieldCount();
        if (!d_->useTFields && n == 0) n = d_->selected.Count();
        if (n == 0) n = 1;
        SetColCount(d_->indicatorOffset + n);
        SetFixedCols(std::min(d_->indicatorOffset + dataFixed, ColCount() - 1));
        if (d_->options.Contains(dgIndicator)) {
            SetColWidths(0, d_->indicatorWidth);
            if (Col() == 0 && ColCount() > 1) MoveColRow(1, Row(), true, false);
        }
        HideCellControl();
        UpdateRowCount();
        const int visible = VisibleRowCount();
        InitColumnWidths();
        if (VisibleRowCount() != visible) UpdateRowCount();
        UpdateFooterIfChanged();
    }
    UpdateActiveRow();
    mouse_->ClearPressedTitle();
    hints_->SetLinkHover({-1, -1});
    if (layout_->DesignFitApplies()) FitHeightToRows();
    Invalidate();
    d_->paintOptions->SetFixedTints(d_->titleColor, d_->titleColor);
}

void TgkCustomDBGrid::UpdateRowHeights() { layout_->UpdateRowHeights(); }

void TgkCustomDBGrid::InitColumnWidths() { layout_->InitColumnWidths(); }

void TgkCustomDBGrid::ProportionalColResize() { layout_->ProportionalColResize(); }

bool TgkCustomDBGrid::FitHeightToRows() { return layout_->FitHeightToRows(); }
bool TgkCustomDBGrid::ShrinkHeightToRows() { return layout_->ShrinkHeightToRows(); }

bool TgkCustomDBGrid::HasHorzScrollBar() { return layout_->HasHorzScrollBar(); }

ui::TRect TgkCustomDBGrid::CellRect(int col, int row)
{
    ui::TRect r = TCustomGrid::CellRect(col, row);
    if (r.Right <= r.Left) return r;
    r.Right = r.Left + ColWidths(col);
    if (row >= d_->titleOffset) r.Bottom = std::min(r.Bottom, r.Top + DefaultRowHeight());
    return r;
}

// ---- The vertical scroll bar ---------------------------------------------------------------------------------

void TgkCustomDBGrid::UpdateScrollBar() { layout_->UpdateScrollBar(); }

// ---- Messages, focus and the key filter ----------------------------------------------------------------------

void TgkCustomDBGrid::WMVScroll(ui::TMessage& m)
{
    // The thumb position travels in 16 bits; the bar's tracking position holds all of it.
    int pos = ui::HiWord(m.WParam);
    const int track = GetScrollInfo(ui::sbVertical).TrackPos;
    if (track > 0xFFFF || (track & 0xFFFF) == pos) pos = track;
    layout_->VScroll(ui::LoWord(m.WParam), pos);
}

void TgkCustomDBGrid::WMSize(ui::TMessage& m)
{
    HideHintWindow();
    layout_->ResizeProportionalColumns();
    TCustomGrid::Dispatch(m);
    if (d_->layoutLock == 0) {
        HideCellControl();
        HideEditor();
        UpdateRowCount();
        if (layout_->DesignFitApplies()) FitHeightToRows();
        if (IsActiveDataSet() && d_->dataLink->DataSet()->IsEmpty()) Invalidate();
    }
    d_->paintOptions->MarkOutOfDate();
}

// The mouse's messages the grid answers itself (True: handled, not passed on).
bool TgkCustomDBGrid::MouseMessage(ui::TMessage& m)
{
    switch (m.Msg) {
    case ui::WM_TIMER:
        if (m.WParam != 1 || !mouse_->InColumnDrag()) return false;
        mouse_->ColumnDragTick();
        return true;
    case ui::WM_CAPTURECHANGED:
        // Losing the capture ends a column drag where it is.
        if (mouse_->InColumnDrag() && ui::GetCaptureControl() != this) mouse_->EndColumnDrag(0, 0, false);
        return false;
    case ui::WM_MOUSEWHEEL:
        if (!(ui::SignedHiWord(m.WParam) < 0 ? DoMouseWheelDown() : DoMouseWheelUp())) return false;
        m.Result = 1;
        return true;
    case ui::WM_LBUTTONDOWN:
    case ui::WM_RBUTTONDOWN: return !FocusForPress();
    case ui::CM_MOUSELEAVE: ClearLinkHover(); return false;
    case ui::WM_SETCURSOR:
        if (!gkIsDesigning(this) || d_->dataLink->Active()) return false;
        ShowCursorNow(ui::crArrow);
        m.Result = 1;
        return true;
    default: return false;
    }
}

void TgkCustomDBGrid::Dispatch(ui::TMessage& m)
{
    if (!d_->dataLink || !d_->paintOptions) {  // still being built
        TCustomGrid::Dispatch(m);
        return;
    }
    if (MouseMessage(m)) return;
    switch (m.Msg) {
    case ui::WM_VSCROLL: WMVScroll(m); return;
    case ui::WM_SIZE: WMSize(m); return;
    case ui::WM_ERASEBKGND: m.Result = 1; return;  // Paint lays down every background
    case ui::WM_HSCROLL:
        if (d_->paintOptions->FillsDataCells() || UseRightToLeftGrid()) {
            WMHScroll(m);
            return;
        }
        break;
    case ui::CM_ENTER: CMEnter(m); return;
    case ui::CM_EXIT: CMExit(m); return;
    default: break;
    }
    TCustomGrid::Dispatch(m);
}

void TgkCustomDBGrid::CMEnter(ui::TMessage& m)
{
    TCustomGrid::Dispatch(m);
    d_->hasFocus = true;
    if (d_->paintOptions->ActiveRecordColor() != rtl::clNone && !d_->options.Contains(dgAlwaysShowSelection))
        InvalidateRow(Row());
    if (g_keyFilter == 0) g_keyFilter = ui::Application().AddKeyFilter(&TgkCustomDBGrid::KeyFilter);
}

void TgkCustomDBGrid::CMExit(ui::TMessage& m)
{
    // The focus going to a control inside the grid (a cell's control) does not leave it.
    if (const ui::TCustomForm* form = ui::GetParentForm(this); form != nullptr) {
        const ui::TWinControl* next = form->ActiveControl();
        if (next != nullptr && next != this && ContainsControl(next)) return;
    }
    if (g_keyFilter != 0 && !gkIsClass(Parent(), "TCustomGrid")) {
        ui::Application().RemoveKeyFilter(g_keyFilter);
        g_keyFilter = 0;
    }
    try {
        if (d_->dataLink->Active()) {
            db::TDataSet* ds = d_->dataLink->DataSet();
            if (d_->options.Contains(dgCancelOnExit) && ds != nullptr && ds->State() == db::dsInsert && !ds->Modified() &&
                !d_->dataLink->Modified() && CanCancelOnExit())
                ds->Cancel();
            else
                d_->dataLink->UpdateDataNow();
        }
        if (!d_->options.Contains(dgAlwaysShowSelection)) InvalidateRow(Row());
    } catch (...) {
        // The write-back failed: the grid keeps the focus and the error goes on.
        SetFocus();
        throw;
    }
    TCustomGrid::Dispatch(m);
    d_->hasFocus = false;
}

bool TgkCustomDBGrid::KeyFilterInstalled() { return g_keyFilter != 0; }

TgkCustomDBGrid* TgkCustomDBGrid::FindParentGrid(ui::TControl* control)
{
    for (ui::TControl* c = control; c != nullptr; c = c->Parent())
        if (auto* g = dynamic_cast<TgkCustomDBGrid*>(c)) return g;
    return nullptr;
}

TgkCustomDBGrid* TgkCustomDBGrid::FindTargetGrid(ui::TControl* control)
{
    TgkCustomDBGrid* g = FindParentGrid(control);
    if (g == nullptr) return nullptr;
    if (auto* inner = dynamic_cast<TgkCustomDBGrid*>(control);
        inner != nullptr && inner != g && g->PlacedControl() != nullptr && g->PlacedControl()->ContainsControl(inner))
        return nullptr;
    for (ui::TControl* c = control; c != nullptr; c = c->Parent())
        if (gkIsClass(c, "TCustomGrid")) return gkIsClass(c, "TgkCustomDBGrid") ? static_cast<TgkCustomDBGrid*>(c) : nullptr;
    return nullptr;
}

bool TgkCustomDBGrid::CaretAtStart(const ui::TWinControl& control)
{
    const auto* edit = dynamic_cast<const ui::TCustomEdit*>(&control);
    if (edit == nullptr) return false;
    const int start = edit->SelStart();
    const int end = start + edit->SelLength();
    if (start != 0) return false;
    return end == 0 || end == static_cast<int>(edit->Text().size());
}

bool TgkCustomDBGrid::CaretAtEnd(const ui::TWinControl& control)
{
    const auto* edit = dynamic_cast<const ui::TCustomEdit*>(&control);
    if (edit == nullptr) return false;
    const int start = edit->SelStart();
    const int end = start + edit->SelLength();
    if (start != 0 && start != end) return false;
    return end == static_cast<int>(edit->Text().size());
}

bool TgkCustomDBGrid::KeyFilter(ui::TWinControl* c, ui::TKey key, ui::TShiftState shift, bool down)
{
    return TgkGridKeyboard::Filter(c, key, shift, down);
}

// ---- Text writer, check boxes and glyphs ------------------------------------------------------------------------

void TgkCustomDBGrid::WriteText(ui::TCanvas& canvas, const ui::TRect& rect, int dx, int options,
                                classes::TAlignment alignment, std::string_view text, int dy)
{
    gkDrawControlText(canvas, rect, dx, options, alignment, text, dy, UseRightToLeftGrid());
}

ui::TCanvas* TgkCustomDBGrid::GetDrawCanvas() { return painter_->DrawCanvas(); }

ui::TBitmap* TgkCustomDBGrid::DrawBitmap() { return painter_->DrawBitmap(); }
bool TgkCustomDBGrid::AltDrawing() const { return painter_->AltDrawing(); }
void TgkCustomDBGrid::SetAltDrawing(bool on) { painter_->SetAltDrawing(on); }
void TgkCustomDBGrid::SetAltDrawBitmap(std::unique_ptr<ui::TBitmap> bitmap) { painter_->SetAltDrawBitmap(std::move(bitmap)); }
const TgkPaintState& TgkCustomDBGrid::PaintState() const { return painter_->State(); }

void TgkCustomDBGrid::DrawCheckBox(const ui::TRect& rect, int col, bool checked, ui::TGridDrawState)
{
    ui::TCanvas& canvas = *GetDrawCanvas();
    const ui::TRect r{rect.Left - 1, rect.Top - 1, rect.Right + 2, rect.Bottom + 2};
    const bool readOnly = ColumnReadOnly(col - d_->indicatorOffset);
    const TgkCheckBoxInGridStyle style = gkIntlDefault().CheckBoxInGridStyle();
    unsigned state = ui::DFCS_BUTTONCHECK | (readOnly ? ui::DFCS_INACTIVE : 0u);
    if (style != cbStyleXmark) {
        // The auto style counts as the new-style controls every desktop here has.
        if (style == cbStyleCheckmarkFlat) state |= ui::DFCS_FLAT;
        if (checked) state |= ui::DFCS_CHECKED;
        ui::DrawFrameControl(canvas, r, ui::DFC_BUTTON, state);
        return;
    }
    ui::DrawFrameControl(canvas, r, ui::DFC_BUTTON, state);
    if (!checked) return;
    const rtl::TColor pen = canvas.Pen()->Color();
    const int width = canvas.Pen()->Width();
    canvas.Pen()->SetColor(rtl::clBlack);
    canvas.Pen()->SetWidth(1);
    const auto line = [&canvas](int x1, int y1, int x2, int y2) {
        canvas.MoveTo(x1, y1);
        canvas.LineTo(x2, y2);
    };
    for (int i = 0; i < 2; ++i) line(r.Right - (i + 2), r.Top + 2, r.Left + 1, r.Bottom - (i + 1));
    line(r.Right - 2, r.Top + 3, r.Left + 2, r.Bottom - 1);
    for (int i = 0; i < 2; ++i) line(r.Left + (i + 2), r.Top + 2, r.Right - 1, r.Bottom - (i + 1));
    line(r.Left + 2, r.Top + 3, r.Right - 2, r.Bottom - 1);
    canvas.Pen()->SetColor(pen);
    canvas.Pen()->SetWidth(width);
}

bool TgkCustomDBGrid::DrawCellControl(int col, int row, const ui::TRect&, ui::TGridDrawState state)
{
    return painter_->DrawCellControl(col, row, state);
}

void TgkCustomDBGrid::RecolorBitmap(ui::TBitmap& bitmap, rtl::TColor color, rtl::TColor transparent)
{
    const std::uint32_t from = ui::PixelOfColor(rtl::ColorToRGB(transparent)) & 0xFFFFFFu;
    const std::uint32_t to = ui::PixelOfColor(rtl::ColorToRGB(color)) & 0xFFFFFFu;
    for (std::uint32_t& p : bitmap.Pixels())
        if ((p & 0xFFFFFFu) == from) p = (p & 0xFF000000u) | to;
}

int TgkCustomDBGrid::IndicatorGlyphIndex(int dataRow)
{
    const db::TDataSet* ds = d_->dataLink->DataSet();
    if (ds == nullptr) return 0;
    const int active = d_->dataLink->ActiveRecord() - d_->recordOffset;
    const bool selected = d_->options.Contains(dgMultiSelect) && IsSelectedRecord(dataRow);
    switch (ds->State()) {
    case db::dsEdit: return dataRow == active ? 1 : -1;
    case db::dsInsert: return dataRow == active ? 2 : -1;
    default:
        if (dataRow == active) return selected ? 4 : 0;
        return selected ? 3 : -1;
    }
}

void TgkCustomDBGrid::DrawIndicatorGlyph(int dataRow, const ui::TRect& rect)
{
    const int index = IndicatorGlyphIndex(dataRow);
    if (index < 0) return;
    const ui::TImageList* list = IndicatorImages();
    if (list == nullptr || index >= list->Count()) return;
    ui::TBitmap glyph(list->Width(), list->Height());
    glyph.Pixels() = list->Image(index);
    RecolorBitmap(glyph, d_->indicatorIconColor, rtl::clBlack);
    glyph.SetTransparent(true);
    glyph.SetTransparentColor(rtl::clWhite);
    const int x = rect.Left + (d_->indicatorWidth - glyph.Width()) / 2 + 1;
    const int y = rect.Top + (DefaultRowHeight() - glyph.Height()) / 2;
    GetDrawCanvas()->Draw(x, y, glyph);
    if (dataRow == d_->dataLink->ActiveRecord() - d_->recordOffset) d_->selectedRow = dataRow + d_->titleOffset;
}

// ---- Mouse ------------------------------------------------------------------------------------------------

TgkCustomDBGrid::TAddressOpener TgkCustomDBGrid::AddressOpener = &rtl::OpenWithDesktop;

std::string TgkCustomDBGrid::LinkAddress(const std::string& text)
{
    std::string url = text;
    const std::size_t at = url.find('@');
    const std::size_t dot = url.find('.');
    // Positions counted from 1: "@" after the first character and before the first ".".
    if (rtl::UpperCase(url).find("MAILTO:") == std::string::npos && at != std::string::npos && at + 1 > 1 &&
        (dot == std::string::npos || at < dot))
        url = "MailTo:" + url;
    const std::string scheme = rtl::AddressScheme(url);
    if (scheme != "http" && scheme != "https" && scheme != "ftp" && scheme != "mailto") return {};
    return url;
}

void TgkCustomDBGrid::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    mouse_->Down(button, shift, x, y);
}

void TgkCustomDBGrid::MouseMove(ui::TShiftState shift, int x, int y) { mouse_->Move(shift, x, y); }

void TgkCustomDBGrid::TitleGroupRange(int col, int& first, int& last) const
{
    first = last = col;
    const auto group = [this](int c) -> std::string {
        const db::TField* field = GetColField(c - d_->indicatorOffset);
        return field != nullptr ? ColumnEntryPart(field->FieldName(), 4) : std::string();
    };
    const std::string name = group(col);
    if (name.empty()) return;
    while (first - 1 >= std::max(FixedCols(), d_->indicatorOffset) && group(first - 1) == name) --first;
    while (last + 1 < ColCount() && group(last + 1) == name) ++last;
}

bool TgkCustomDBGrid::InColumnDrag() const { return mouse_->InColumnDrag(); }
const ui::TBitmap* TgkCustomDBGrid::DragImage() const { return mouse_->DragImage(); }
ui::TPoint TgkCustomDBGrid::DragImagePos() const { return mouse_->DragImagePos(); }
bool TgkCustomDBGrid::ShiftSelecting() const { return mouse_->ShiftSelecting(); }
const db::TBookmark& TgkCustomDBGrid::SelectAnchor() const { return mouse_->SelectAnchor(); }

void TgkCustomDBGrid::MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    mouse_->Up(button, shift, x, y);
}

void TgkCustomDBGrid::ColWidthsChanged()
{
    TCustomGrid::ColWidthsChanged();
    if (d_->updateLock != 0 || !d_->dataLink || !d_->dataLink->Active() || !HandleAllocated()) return;
    {
        ++d_->layoutLock;
        const rtl::TScopeExit unlock([this] { --d_->layoutLock; });
        // A font without a measurable "0" still divides by 1.
        const int zero = std::max(TextWidthOf(*Font(), "0"), 1);
        const auto chars = [&](int dataCol) {
            const int w = ColWidths(dataCol + d_->indicatorOffset);
            return (w - 4 + std::max(0, zero / 2 - 3)) / zero;
        };
        const int n = std::min(d_->dataLink->FieldCount(), ColCount() - d_->indicatorOffset);
        if (d_->useTFields) {
            for (int i = 0; i < n; ++i)
                if (db::TField* field = Fields(i)) field->SetDisplayWidth(chars(i));
        } else {
            std::vector<std::string> old;
            for (int i = 0; i < d_->selected.Count(); ++i) old.push_back(d_->selected.Strings(i));
            d_->selected.Clear();
            for (int i = 0; i < static_cast<int>(old.size()); ++i) {
                const std::vector<std::string> parts = gkSplitTabs(old[static_cast<std::size_t>(i)]);
                const std::string width =
                    i < n ? std::to_string(chars(i)) : (parts.size() > 1 ? parts[1] : std::string());
                std::string entry = (parts.empty() ? std::string() : parts[0]) + "\t" + width + "\t" +
                                    (parts.size() > 2 ? parts[2] : std::string());
                if (parts.size() > 3) entry += "\t" + parts[3];
                if (parts.size() > 4) entry += "\t" + parts[4];
                d_->selected.Add(entry);
            }
        }
    }
    LayoutChanged();
}

void TgkCustomDBGrid::ColumnMoved(int from, int to)
{
    TCustomGrid::ColumnMoved(from, to);
    from -= d_->indicatorOffset;
    to -= d_->indicatorOffset;
    if (!d_->useTFields) {
        if (from >= 0 && from < d_->selected.Count() && to >= 0 && to < d_->selected.Count()) {
            const std::string entry = d_->selected.Strings(from);
            d_->selected.Delete(from);
            d_->selected.Insert(to, entry);
        }
        LayoutChanged();
    } else if (d_->dataLink->Active() && d_->dataLink->FieldCount() > 0) {
        db::TField* moved = Fields(from);
        db::TField* target = Fields(to);
        if (moved != nullptr && target != nullptr) moved->SetIndex(target->Index());
    }
    InvalidateRect({0, 0, ClientWidth(), RowHeights(0) * d_->titleOffset});
    if (OnColumnMoved) OnColumnMoved(this, from, to);
}

void TgkCustomDBGrid::TimedScroll(ui::TGridScrollDirections direction)
{
    if (!d_->dataLink->Active()) return;
    if (db::TDataSet* ds = d_->dataLink->DataSet()) {
        if (direction.Contains(ui::sdUp)) ds->MoveBy(-(d_->dataLink->ActiveRecord() + 1));
        if (direction.Contains(ui::sdDown)) ds->MoveBy(d_->dataLink->RecordCount() - d_->dataLink->ActiveRecord());
    }
    direction.Exclude(ui::sdUp);
    direction.Exclude(ui::sdDown);
    if (!direction.Empty()) TCustomGrid::TimedScroll(direction);
}

// ---- Keyboard navigation ----------------------------------------------------------------------------------

bool TgkCustomDBGrid::PlacedControlHasFocus() const
{
    if (PlacedControl() == nullptr) return false;
    // A control inside the placed one keeps its keys; keys the placed control itself hands
    // back are the grid's.
    const ui::TWinControl* active = ui::Screen().ActiveControl();
    return PlacedControl()->HandleAllocated() && active != nullptr && active != PlacedControl() &&
           PlacedControl()->ContainsControl(active);
}

bool TgkCustomDBGrid::CanEditShow() { return CanEdit() && TCustomGrid::CanEditShow(); }

bool TgkCustomDBGrid::ConfirmDelete()
{
    if (!d_->options.Contains(dgConfirmDelete)) return true;
    return ui::MessageDlg("Delete record?", ui::mtConfirmation, ui::mbOKCancel) != ui::mrCancel;
}

void TgkCustomDBGrid::FocusNeighbour(bool forward)
{
    ui::TCustomForm* form = ui::GetParentForm(this);
    if (form == nullptr) return;
    const std::vector<ui::TWinControl*> order = form->TabOrderList();
    const int n = static_cast<int>(order.size());
    int at = -1;
    for (int i = 0; i < n; ++i)
        if (order[static_cast<std::size_t>(i)] == this) at = i;
    if (at < 0) return;
    for (int step = 1; step < n; ++step) {
        ui::TWinControl* c = order[static_cast<std::size_t>(((at + (forward ? step : -step)) % n + n) % n)];
        if (c->TabStop() && c->CanFocus() && !ContainsControl(c)) {
            c->SetFocus();
            return;
        }
    }
}

void TgkCustomDBGrid::MoveCol(int dataCol)
{
    d_->dataLink->UpdateDataNow();
    const int fields = d_->dataLink->FieldCount();
    if (fields <= 0) return;
    dataCol = std::clamp(dataCol, 0, fields - 1);
    if (!d_->options.Contains(dgFixedEditable) && dataCol + d_->indicatorOffset < FixedCols())
        dataCol = std::min(FixedCols() - d_->indicatorOffset, fields - 1);
    const int col = dataCol + d_->indicatorOffset;
    if (col == Col() || col >= ColCount()) return;
    if (!d_->inColExit) {
        const int before = Col();
        d_->inColExit = true;
        {
            const rtl::TScopeExit done([this] { d_->inColExit = false; });
            ColExit();
        }
        if (Col() != before) return;
    }
    const int oldLeft = LeftCol();
    HideEditor();
    if (!mouse_->MovingByMouse() && d_->options.Contains(dgAlwaysShowEditor) && !IsCustomCell(col, Row())) HideControls();
    if (col < FixedCols()) {
        // A fixed column becomes current only with dgFixedEditable: the cursor moves there
        // without the base grid's refusal of fixed cells, and the scrolled part starts again
        // at its first column.
        MoveCursorInto(col, Row());
        SetLeftCol(FixedCols());
    } else {
        SetCol(col);
    }
    if (!mouse_->MovingByMouse() && d_->options.Contains(dgAlwaysShowEditor) && !IsCustomCell(col, Row()) &&
        !IsMemoCell(col, Row()))
        ShowCellEditor();
    ColEnter();
    if (LeftCol() != oldLeft) Invalidate();
}

void TgkCustomDBGrid::NextRow()
{
    db::TDataSet* ds = d_->dataLink->DataSet();
    if (ds == nullptr) return;
    if (ds->State() == db::dsInsert && !ds->Modified() && !d_->dataLink->Modified()) {
        if (ds->Eof()) return;
        ds->Cancel();
        return;
    }
    const int active = d_->dataLink->ActiveRecord();
    if (ds->Eof() && active >= 0 && active < d_->dataLink->RecordCount() - 1 && ds->State() != db::dsInsert)
        d_->dataLink->SetActiveRecord(active + 1);
    else
        ds->Next();
    // The grid must be able to edit too: a read-only grid never appends.
    if (ds->Eof() && ds->CanModify() && d_->options.Contains(dgEditing) && CanEdit() &&
        d_->keyOptions.Contains(dgAllowInsert)) {
        HideControls();
        ds->Append();
    }
}

void TgkCustomDBGrid::PriorRow()
{
    db::TDataSet* ds = d_->dataLink->DataSet();
    if (ds == nullptr) return;
    if (ds->State() == db::dsInsert && !ds->Modified() && ds->Eof() && !d_->dataLink->Modified()) {
        ds->Cancel();
        return;
    }
    const int active = d_->dataLink->ActiveRecord();
    if (ds->Bof() && active > 0)
        d_->dataLink->SetActiveRecord(active - 1);
    else
        ds->Prior();
}

void TgkCustomDBGrid::TabCell(bool forward)
{
    const int fields = d_->dataLink->FieldCount();
    if (fields <= 0) return;
    const int start = SelectedIndex();
    const int firstScrollable = d_->options.Contains(dgFixedEditable) ? 0 : std::max(FixedCols() - d_->indicatorOffset, 0);
    int c = start;
    for (int guard = 0; guard <= 2 * fields + 2; ++guard) {
        c += forward ? 1 : -1;
        if (c >= fields) {
            HideControls();
            if (d_->options.Contains(dgTabExitsOnLastCol)) {
                FocusNeighbour(true);
                return;
            }
            NextRow();
            c = 0;
        } else if (c < firstScrollable) {
            HideControls();
            if (d_->options.Contains(dgTabExitsOnLastCol)) {
                FocusNeighbour(false);
                return;
            }
            PriorRow();
            c = fields - 1;
        }
        if (c == start) return;
        if (c < firstScrollable) continue;
        if (!TabStops(c + d_->indicatorOffset)) continue;
        MoveCol(c);
        return;
    }
}

void TgkCustomDBGrid::KeyDown(ui::TKey& key, ui::TShiftState shift) { keyboard_->KeyDown(key, shift); }

void TgkCustomDBGrid::KeyPress(char& key)
{
    const bool enter = key == '\r';
    if (enter && d_->keyOptions.Contains(dgEnterToTab)) key = '\t';
    if (enter && !d_->options.Contains(dgAlwaysShowEditor)) d_->dataLink->UpdateDataNow();
    TCustomGrid::KeyPress(key);
    if (!enter || d_->options.Contains(dgAlwaysShowEditor)) return;
    if (!CanEditShow()) {
        if (EditorMode()) HideEditor();
        key = '\r';
    } else if (PlacedControl() != nullptr && classes::FindProperty(*PlacedControl(), "WantReturns") != nullptr &&
               classes::GetBoolProp(*PlacedControl(), "WantReturns")) {
        // A control over the cell that takes line breaks gets its Enter back.
        key = '\r';
    }
}

bool TgkCustomDBGrid::IsMemoCell(int col, int row)
{
    if (GetDataRow(row) < 0) return false;
    db::TField* field = GetColField(GetDataColumn(col));
    if (field == nullptr) return false;
    if (dynamic_cast<db::TBlobField*>(field) != nullptr && (field->DataType() == db::ftMemo || field->DataType() == db::ftOraClob))
        return true;
    return gkIsRichTextField(field, false);
}

bool TgkCustomDBGrid::PictureFitRects(std::string_view fitName, int pw, int ph, const ui::TRect& rect,
                                      ui::TRect& source, ui::TRect& dest)
{
    const int w = rect.Width(), h = rect.Height();
    if (pw < 1 || ph < 1) return false;
    switch (gkPictureFitOfName(fitName)) {
    case pfOriginalSize: {
        const int sw = std::min(pw, w - 1), sh = std::min(ph, h - 1);
        source = {0, 0, sw, sh};
        dest = ui::Bounds(rect.Left + 1, rect.Top + 1, sw, sh);
        return true;
    }
    case pfStretchToFit:
        source = {0, 0, pw, ph};
        dest = rect;
        return true;
    case pfFitHeight: {
        int scaled = pw * h / ph;
        int sw = pw;
        if (scaled > w) {
            sw = pw * w / scaled;
            scaled = w;
        }
        if (scaled <= 2 || h <= 2) return false;
        source = {0, 0, sw, ph};
        dest = {rect.Left + 1, rect.Top, rect.Left + scaled, rect.Top + h - 1};
        return true;
    }
    case pfShrinkToFit: {
        // Unscaled when it fits, else scaled down to fit with its proportions kept.
        if (pw <= w - 1 && ph <= h - 1) {
            source = {0, 0, pw, ph};
            dest = ui::Bounds(rect.Left + 1, rect.Top + 1, pw, ph);
            return true;
        }
        const double scale = std::min(static_cast<double>(w - 1) / pw, static_cast<double>(h - 1) / ph);
        const int sw = std::max(1, static_cast<int>(pw * scale)), sh = std::max(1, static_cast<int>(ph * scale));
        source = {0, 0, pw, ph};
        dest = ui::Bounds(rect.Left + 1, rect.Top + 1, sw, sh);
        return true;
    }
    case pfFitWidth: {
        int scaled = ph * w / pw;
        int sh = ph;
        if (scaled > h) {
            sh = ph * h / scaled;
            scaled = h;
        }
        if (w <= 2 || scaled <= 2) return false;
        source = {0, 0, pw, sh};
        dest = {rect.Left + 1, rect.Top, rect.Left + w, rect.Top + scaled - 1};
        return true;
    }
    default: return false;
    }
}

void TgkCustomDBGrid::DrawCell(int col, int row, const ui::TRect& cellRect, ui::TGridDrawState state)
{
    painter_->DrawCell(col, row, cellRect, state);
}

// ---- Property readers and plain setters --------------------------------------------------------------------

TgkDBGridOptions TgkCustomDBGrid::Options() const { return d_->options; }
TgkDBGridKeyOptions TgkCustomDBGrid::KeyOptions() const { return d_->keyOptions; }
void TgkCustomDBGrid::SetKeyOptions(TgkDBGridKeyOptions v) { d_->keyOptions = v; }
TgkMultiSelectOptions TgkCustomDBGrid::MultiSelectOptions() const { return d_->multiSelectOptions; }
void TgkCustomDBGrid::SetMultiSelectOptions(TgkMultiSelectOptions v) { d_->multiSelectOptions = v; }
TgkEditControlOptions TgkCustomDBGrid::EditControlOptions() const { return d_->editControlOptions; }
void TgkCustomDBGrid::SetEditControlOptions(TgkEditControlOptions v) { d_->editControlOptions = v; }
bool TgkCustomDBGrid::ReadOnly() const { return d_->readOnly; }
void TgkCustomDBGrid::SetReadOnly(bool v) { d_->readOnly = v; }
bool TgkCustomDBGrid::DefaultDrawing() const { return d_->defaultDrawing; }
void TgkCustomDBGrid::SetDefaultDrawing(bool v) { d_->defaultDrawing = v; }
bool TgkCustomDBGrid::EditCalculated() const { return d_->editCalculated; }
void TgkCustomDBGrid::SetEditCalculated(bool v) { d_->editCalculated = v; }
bool TgkCustomDBGrid::UseTFields() const { return d_->useTFields; }
rtl::TStringList* TgkCustomDBGrid::Selected() { return &d_->selected; }
const rtl::TStringList* TgkCustomDBGrid::Selected() const { return &d_->selected; }
rtl::TStringList* TgkCustomDBGrid::ControlType() { return &d_->controlType; }
const rtl::TStringList* TgkCustomDBGrid::ControlType() const { return &d_->controlType; }
bool TgkCustomDBGrid::ControlInfoInDataset() const { return d_->controlInfoInDataset; }
void TgkCustomDBGrid::SetControlInfoInDataset(bool v) { d_->controlInfoInDataset = v; }
rtl::TStringList* TgkCustomDBGrid::PictureMasks() { return &d_->pictureMasks; }
const rtl::TStringList* TgkCustomDBGrid::PictureMasks() const { return &d_->pictureMasks; }
bool TgkCustomDBGrid::PictureMaskFromDataSet() const { return d_->pictureMaskFromDataSet; }
void TgkCustomDBGrid::SetPictureMaskFromDataSet(bool v) { d_->pictureMaskFromDataSet = v; }
rtl::TColor TgkCustomDBGrid::TitleColor() const { return d_->titleColor; }
classes::TFont* TgkCustomDBGrid::TitleFont() { return &d_->titleFont; }
const classes::TFont* TgkCustomDBGrid::TitleFont() const { return &d_->titleFont; }
classes::TAlignment TgkCustomDBGrid::TitleAlignment() const { return d_->titleAlignment; }
int TgkCustomDBGrid::TitleLines() const { return d_->titleLines; }
bool TgkCustomDBGrid::TitleButtons() const { return d_->titleButtons; }
int TgkCustomDBGrid::RowHeightPercent() const { return d_->rowHeightPercent; }
bool TgkCustomDBGrid::ShowVertScrollBar() const { return d_->showVertScrollBar; }
TIndicatorColorType TgkCustomDBGrid::IndicatorColor() const { return d_->indicatorColor; }
rtl::TColor TgkCustomDBGrid::IndicatorIconColor() const { return d_->indicatorIconColor; }
ui::TControl* TgkCustomDBGrid::IndicatorButton() const { return d_->indicatorButton; }
TgkGridLineStyle TgkCustomDBGrid::LineStyle() const { return d_->lineStyle; }
TgkGridLineColors* TgkCustomDBGrid::LineColors() { return &d_->lineColors; }
const TgkGridLineColors* TgkCustomDBGrid::LineColors() const { return &d_->lineColors; }
bool TgkCustomDBGrid::HideAllLines() const { return d_->hideAllLines; }
rtl::TColor TgkCustomDBGrid::FooterColor() const { return d_->footerColor; }
rtl::TColor TgkCustomDBGrid::FooterCellColor() const { return d_->footerCellColor; }
int TgkCustomDBGrid::FooterHeight() const { return d_->footerHeight; }
ui::TImageList* TgkCustomDBGrid::ImageList() const { return d_->imageList; }
ui::TImageList* TgkCustomDBGrid::TitleImageList() const { return d_->titleImageList; }
int TgkCustomDBGrid::DragVertOffset() const { return d_->dragVertOffset; }
void TgkCustomDBGrid::SetDragVertOffset(int v) { d_->dragVertOffset = v; }
TgkPadColumnStyle TgkCustomDBGrid::PadColumnStyle() const { return d_->padColumnStyle; }
TgkGridPaintOptions* TgkCustomDBGrid::PaintOptions() { return d_->paintOptions.get(); }
const TgkGridPaintOptions* TgkCustomDBGrid::PaintOptions() const { return d_->paintOptions.get(); }
int TgkCustomDBGrid::TitleOffset() const { return d_->titleOffset; }
int TgkCustomDBGrid::IndicatorOffset() const { return d_->indicatorOffset; }
int TgkCustomDBGrid::IndicatorWidth() const { return d_->indicatorWidth; }
TgkGridDataLink& TgkCustomDBGrid::DataLink() { return *d_->dataLink; }
int TgkCustomDBGrid::SelectedIndex() const { return Col() - d_->indicatorOffset; }
int TgkCustomDBGrid::FieldCount() const { return d_->dataLink->FieldCount(); }
db::TField* TgkCustomDBGrid::Fields(int index) const { return d_->dataLink->GetMappedField(index); }
bool TgkCustomDBGrid::HasFocus() const { return d_->hasFocus; }
bool TgkCustomDBGrid::AlternatingParity() const { return d_->alternatingParity; }
int TgkCustomDBGrid::RecordOffset() const { return d_->recordOffset; }

void TgkCustomDBGrid::SetRecordOffset(int value)
{
    if ((value & 1) != (d_->recordOffset & 1)) d_->alternatingParity = !d_->alternatingParity;
    d_->recordOffset = value;
}

void TgkCustomDBGrid::RestoreRowHeightPercent()
{
    d_->rowHeightPercent = d_->savedRowHeightPercent;
    LayoutChanged();
}

ui::TGridCoord TgkCustomDBGrid::MouseCoord(int x, int y)
{
    if (UseRightToLeftGrid()) x = ClientWidth() - x;
    ui::TGridCoord cell = TCustomGrid::MouseCoord(x, y);
    if (cell.X == -1 || cell.Y == -1) cell = {-1, -1};
    return cell;
}

void TgkCustomDBGrid::CalcSizingState(int x, int y, ui::TGridState& state, int& index, int& pos)
{
    TCustomGrid::CalcSizingState(x, y, state, index, pos);
    const bool inTitles = d_->titleOffset > 0 && y >= 0 && y < RowHeights(0);
    if (state == ui::gsColSizing && inTitles && UseProportionalColResize() && index == ColCount() - 1) {
        state = ui::gsNormal;
        index = -1;
        pos = 0;
    }
}
const std::string& TgkCustomDBGrid::EditText() const { return d_->editText; }
const std::vector<std::unique_ptr<TgkColumn>>& TgkCustomDBGrid::ColumnList() const { return d_->columns; }
TgkColumn& TgkCustomDBGrid::SpareColumn() { return *d_->spareColumn; }
int TgkCustomDBGrid::UpdateLock() const { return d_->updateLock; }
bool TgkCustomDBGrid::RedrawDisabled() const { return d_->redrawLock > 0; }

bool TgkCustomDBGrid::RowLinesShown() const
{
    return d_->options.Contains(dgRowLines) || !d_->options.Contains(dgRowLinesDisableFixed);
}

const std::vector<TgkCacheColInfoItem>& TgkCustomDBGrid::ColInfoCache() const { return d_->colInfoCache; }
int TgkCustomDBGrid::GetDataColumn(int col) const { return col - (d_->options.Contains(dgIndicator) ? 1 : 0); }
int TgkCustomDBGrid::GetDataRow(int row) const { return row - (d_->options.Contains(dgTitles) ? 1 : 0); }
ui::TWinControl* TgkCustomDBGrid::PlacedControl() const { return d_->placedControl; }
void TgkCustomDBGrid::SetPlacedControl(ui::TWinControl* control) { d_->placedControl = control; }
bool TgkCustomDBGrid::RowLines() const { return d_->options.Contains(dgRowLines); }

void RegisterDBGridClasses() { classes::RegisterClasses<TgkCustomDBGrid>(); }

}  // namespace grid
