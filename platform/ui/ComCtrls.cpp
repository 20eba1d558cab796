#include "platform/ui/ComCtrls.h"

#include <algorithm>

#include "platform/rtl/Exceptions.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"

namespace ui {

namespace {

const classes::TEnumInfo& ViewStyleInfo()
{
    static const classes::TEnumInfo info{"TViewStyle", {"vsIcon", "vsSmallIcon", "vsList", "vsReport"}};
    return info;
}

const classes::TEnumInfo& TabStyleInfo()
{
    static const classes::TEnumInfo info{"TTabStyle", {"tsTabs", "tsButtons", "tsFlatButtons"}};
    return info;
}

const classes::TEnumInfo& StatusPanelBevelInfo()
{
    static const classes::TEnumInfo info{"TStatusPanelBevel", {"pbNone", "pbLowered", "pbRaised"}};
    return info;
}

const classes::TEnumInfo& ToolButtonStyleInfo()
{
    static const classes::TEnumInfo info{"TToolButtonStyle",
                                         {"tbsButton", "tbsCheck", "tbsDropDown", "tbsSeparator", "tbsDivider"}};
    return info;
}

}  // namespace

// ---- Columns -------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TListColumn, classes::TCollectionItem)
{
    p.Enumeration("Alignment", AlignmentInfo(), &TListColumn::Alignment, &TListColumn::SetAlignment, taLeftJustify);
    p.String("Caption", &TListColumn::Caption, &TListColumn::SetCaption);
    p.Integer("Width", &TListColumn::Width, &TListColumn::SetWidth, 50);
}

TListColumn::TListColumn(classes::TCollection* collection) : TCollectionItem(collection) {}

void TListColumn::Assign(const classes::TPersistent& source)
{
    const auto* other = dynamic_cast<const TListColumn*>(&source);
    if (other == nullptr) return TCollectionItem::Assign(source);
    caption_ = other->caption_;
    width_ = other->width_;
    alignment_ = other->alignment_;
    Changed(false);
}

void TListColumn::SetCaption(const std::string& v)
{
    if (caption_ == v) return;
    caption_ = v;
    Changed(false);
}

void TListColumn::SetWidth(int v)
{
    const auto value = std::max(v, 0);
    if (value == width_) return;
    width_ = value;
    Changed(false);
}

void TListColumn::SetAlignment(TAlignment v)
{
    if (alignment_ == v) return;
    alignment_ = v;
    Changed(false);
}

GW_IMPLEMENT_CLASS(TListColumns, classes::TCollection) {}

TListColumns::TListColumns(TListView* owner) : TCollection(TListColumn::StaticClassInfo(), owner), view_(owner) {}

void TListColumns::Update(classes::TCollectionItem*) { view_->Changed(); }

// ---- Items ---------------------------------------------------------------------------------

TListItem::TListItem(TListItems* owner) : owner_(owner)
{
    subItems_.OnChange = [this] { Changed(); };
}

TListView* TListItem::ListView() const { return owner_->Owner(); }

int TListItem::Index() const { return index_; }

void TListItem::Changed()
{
    // One item's content: the window redraws that row alone.
    owner_->notifier_.Changed(index_, owner_->Updating());
}

void TListItem::SetCaption(const std::string& v)
{
    if (v == caption_) return;
    caption_ = v;
    Changed();
}

void TListItem::SetImageIndex(int v)
{
    if (v == imageIndex_) return;
    imageIndex_ = v;
    Changed();
}

void TListItem::SetChecked(bool v)
{
    if (v == checked_) return;
    checked_ = v;
    Changed();
}

void TListItem::SetSelected(bool v)
{
    if (v == selected_) return;
    TListView* view = ListView();
    if (v && !view->MultiSelect())
        for (int i = 0; i < owner_->Count(); ++i) {
            TListItem* other = owner_->Item(i);
            if (other != this && other->selected_) other->SetSelected(false);
        }
    selected_ = v;
    Changed();
    view->ItemSelected(this, v);
}

void TListItem::Delete() { owner_->Delete(Index()); }

TListItem* TListItems::Item(int index) const
{
    if (index < 0 || index >= Count()) ListIndexError(index);
    return items_[static_cast<std::size_t>(index)].get();
}

TListItem* TListItems::Add() { return Insert(Count()); }

void TListItems::Renumber(int from)
{
    for (std::size_t i = static_cast<std::size_t>(from); i < items_.size(); ++i) items_[i]->index_ = static_cast<int>(i);
}

TListItem* TListItems::Insert(int index)
{
    if (index < 0 || index > Count()) ListIndexError(index);
    notifier_.Inserting(index, Updating());
    items_.insert(items_.begin() + index, std::make_unique<TListItem>(this));
    Renumber(index);
    notifier_.Inserted(index, Updating());
    if (updateCount_ == 0) view_->ItemsChanged();
    return items_[static_cast<std::size_t>(index)].get();
}

void TListItems::Delete(int index)
{
    TListItem* item = Item(index);
    view_->ItemRemoved(item);
    notifier_.Removing(index, Updating());
    items_.erase(items_.begin() + index);
    Renumber(index);
    notifier_.Removed(index, Updating());
    if (updateCount_ == 0) view_->ItemsChanged();
}

void TListItems::Clear()
{
    if (items_.empty()) return;
    for (auto& item : items_) view_->ItemRemoved(item.get());
    notifier_.Resetting(Updating());
    items_.clear();
    notifier_.Reset(Updating());
    if (updateCount_ == 0) view_->ItemsChanged();
}

void TListItems::BeginUpdate() { ++updateCount_; }

void TListItems::EndUpdate()
{
    if (updateCount_ > 0 && --updateCount_ == 0) {
        notifier_.EndUpdate();
        view_->ItemsChanged();
    }
}

void TListItems::Exchange(int index1, int index2)
{
    Item(index1);
    Item(index2);
    if (index1 == index2) return;
    std::swap(items_[static_cast<std::size_t>(index1)], items_[static_cast<std::size_t>(index2)]);
    items_[static_cast<std::size_t>(index1)]->index_ = index1;
    items_[static_cast<std::size_t>(index2)]->index_ = index2;
    notifier_.Changed(index1, Updating());
    notifier_.Changed(index2, Updating());
    if (updateCount_ == 0) view_->ItemsChanged();
}

// ---- TListView -----------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TListView, TWinControl)
{
    p.Color("Color", &TListView::Color, &TListView::SetColor, rtl::clWindow);
    p.Collection("Columns", [](const TListView& v) { return &v.columns_; });
    p.Enumeration("ViewStyle", ViewStyleInfo(), &TListView::ViewStyle, &TListView::SetViewStyle, vsIcon);
    p.Boolean("Checkboxes", &TListView::Checkboxes, &TListView::SetCheckboxes, false);
    p.Boolean("ReadOnly", &TListView::ReadOnly, &TListView::SetReadOnly, false);
    p.Boolean("RowSelect", &TListView::RowSelect, &TListView::SetRowSelect, false);
    p.Boolean("MultiSelect", &TListView::MultiSelect, &TListView::SetMultiSelect, false);
    p.Boolean("HideSelection", &TListView::HideSelection, &TListView::SetHideSelection, true);
    p.Boolean("GridLines", &TListView::GridLines, &TListView::SetGridLines, false);
    p.Boolean("ShowColumnHeaders", &TListView::ShowColumnHeaders, &TListView::SetShowColumnHeaders, true);
    p.Boolean("ColumnClick", &TListView::ColumnClick, &TListView::SetColumnClick, true);
    p.Component<TImageList>("LargeImages", &TListView::LargeImages, &TListView::SetLargeImages);
    p.Component<TImageList>("SmallImages", &TListView::SmallImages, &TListView::SetSmallImages);
    p.Boolean("TabStop", &TListView::TabStop, &TListView::SetTabStop, true);
    p.Event("OnSelectItem", &TListView::OnSelectItem);
    p.Event("OnColumnClick", &TListView::OnColumnClick);
    p.Event("OnItemChecked", &TListView::OnItemChecked);
}

TListView::TListView(classes::TComponent* owner) : TWinControl(owner), columns_(this), items_(this)
{
    SetBounds(0, 0, 250, 150);
    SetColor(rtl::clWindow);
    SetTabStop(true);
}

TListView::~TListView()
{
    // The window goes before the items it shows; then the items, without telling anybody.
    DestroyPeers();
    OnSelectItem.Clear();
    items_.Clear();
}

void TListView::ItemsChanged() { Changed(); }

void TListView::ItemSelected(TListItem* item, bool selected)
{
    if (selected && focused_ == nullptr) focused_ = item;
    if (!Loading()) OnSelectItem(this, item, selected);
}

void TListView::ItemRemoved(TListItem* item)
{
    if (focused_ == item) focused_ = nullptr;
}

void TListView::SetViewStyle(TViewStyle v)
{
    if (v == viewStyle_) return;
    viewStyle_ = v;
    // The window of one style cannot show another: make it again.
    if (HandleAllocated()) {
        DestroyPeers();
        CreatePeers();
    }
    Changed();
}

void TListView::SetCheckboxes(bool v)
{
    if (checkboxes_ == v) return;
    checkboxes_ = v;
    Changed();
}

void TListView::SetRowSelect(bool v)
{
    if (rowSelect_ == v) return;
    rowSelect_ = v;
    Changed();
}

void TListView::SetMultiSelect(bool v)
{
    if (multiSelect_ == v) return;
    multiSelect_ = v;
    Changed();
}

void TListView::SetHideSelection(bool v)
{
    if (hideSelection_ == v) return;
    hideSelection_ = v;
    Changed();
}

void TListView::SetGridLines(bool v)
{
    if (gridLines_ == v) return;
    gridLines_ = v;
    Changed();
}

void TListView::SetShowColumnHeaders(bool v)
{
    if (showColumnHeaders_ == v) return;
    showColumnHeaders_ = v;
    Changed();
}

void TListView::SetLargeImages(TImageList* v)
{
    if (v == largeImages_) return;
    SetReference(*this, largeImages_, v);
    Changed();
}

void TListView::SetSmallImages(TImageList* v)
{
    if (v == smallImages_) return;
    SetReference(*this, smallImages_, v);
    Changed();
}

TListItem* TListView::Selected() const
{
    for (int i = 0; i < items_.Count(); ++i)
        if (items_.Item(i)->Selected()) return items_.Item(i);
    return nullptr;
}

void TListView::SetSelected(TListItem* item)
{
    for (int i = 0; i < items_.Count(); ++i)
        if (items_.Item(i) != item) items_.Item(i)->SetSelected(false);
    if (item != nullptr) {
        item->SetSelected(true);
        focused_ = item;
    }
}

int TListView::ItemIndex() const
{
    const TListItem* item = Selected();
    return item != nullptr ? item->Index() : -1;
}

void TListView::SetItemIndex(int index)
{
    SetSelected(index >= 0 && index < items_.Count() ? items_.Item(index) : nullptr);
}

int TListView::IconColumns() const { return std::max(1, ClientWidth() / kIconCellWidth); }

TRect TListView::ItemRect(int index) const
{
    if (viewStyle_ == vsIcon) {
        const int columns = IconColumns();
        const int left = (index % columns) * kIconCellWidth;
        const int top = (index / columns - topIndex_) * kIconCellHeight;
        return {left, top, left + kIconCellWidth, top + kIconCellHeight};
    }
    int width = 0;
    for (int i = 0; i < columns_.Count(); ++i) width += columns_.Items(i)->Width();
    if (viewStyle_ != vsReport || columns_.Count() == 0) width = ClientWidth();
    const int header = viewStyle_ == vsReport && showColumnHeaders_ ? kHeaderHeight : 0;
    const int top = header + (index - topIndex_) * kRowHeight;
    return {0, top, width, top + kRowHeight};
}

THitTests TListView::GetHitTestInfoAt(int x, int y) const
{
    THitTests result;
    if (x < 0) result.Include(htToLeft);
    if (x >= ClientWidth()) result.Include(htToRight);
    if (y < 0) result.Include(htAbove);
    if (y >= ClientHeight()) result.Include(htBelow);
    if (!result.Empty()) return result;
    const TPoint p{x, y};
    for (int i = std::max(0, topIndex_); i < items_.Count(); ++i) {
        const TRect r = ItemRect(i);
        if (r.Top > y) break;
        if (!r.Contains(p)) continue;
        if (viewStyle_ == vsIcon) {
            const int iconLeft = r.Left + (kIconCellWidth - kIconSize) / 2;
            if (x >= iconLeft && x < iconLeft + kIconSize && y < r.Top + 2 + kIconSize)
                result.Include(htOnIcon);
            else
                result.Include(htOnLabel);
            result.Include(htOnItem);
            return result;
        }
        int left = r.Left;
        if (checkboxes_) {
            if (x < left + kStateIconWidth) return THitTests{htOnItem, htOnStateIcon};
            left += kStateIconWidth;
        }
        if (smallImages_ != nullptr) {
            if (x < left + kSmallIconWidth) return THitTests{htOnItem, htOnIcon};
            left += kSmallIconWidth;
        }
        const int firstColumn =
            viewStyle_ == vsReport && columns_.Count() > 0 ? columns_.Items(0)->Width() : ClientWidth();
        if (x < firstColumn || rowSelect_) return THitTests{htOnItem, htOnLabel};
        return THitTests{htNowhere};
    }
    return THitTests{htNowhere};
}

TListItem* TListView::GetItemAt(int x, int y) const
{
    const THitTests hit = GetHitTestInfoAt(x, y);
    if (!hit.Contains(htOnItem)) return nullptr;
    for (int i = std::max(0, topIndex_); i < items_.Count(); ++i)
        if (ItemRect(i).Contains({x, y})) return items_.Item(i);
    return nullptr;
}

void TListView::SelectByUser(const std::vector<int>& selected, int focused)
{
    // The focus first: the window system hears of each selection change below and puts its
    // current row back on the focused item.
    focused_ = focused >= 0 && focused < items_.Count() ? items_.Item(focused) : nullptr;
    for (int i = 0; i < items_.Count(); ++i)
        if (std::find(selected.begin(), selected.end(), i) == selected.end()) items_.Item(i)->SetSelected(false);
    for (int i : selected)
        if (i >= 0 && i < items_.Count()) items_.Item(i)->SetSelected(true);
}

void TListView::CheckByUser(int index, bool checked)
{
    if (index < 0 || index >= items_.Count()) return;
    TListItem* item = items_.Item(index);
    if (item->Checked() == checked) return;
    item->SetChecked(checked);
    OnItemChecked(this, item);
}

void TListView::ColumnClickByUser(int column)
{
    if (columnClick_ && column >= 0 && column < columns_.Count()) OnColumnClick(this, columns_.Items(column));
}

void TListView::Notification(classes::TComponent* component, classes::TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation != classes::opRemove) return;
    if (component == largeImages_) largeImages_ = nullptr;
    if (component == smallImages_) smallImages_ = nullptr;
}

// ---- Tab sheets and page control -----------------------------------------------------------

GW_IMPLEMENT_CLASS(TTabSheet, TWinControl)
{
    p.String("Caption", &TTabSheet::Caption, &TTabSheet::SetCaption);
    p.Boolean("TabVisible", &TTabSheet::TabVisible, &TTabSheet::SetTabVisible, true);
    p.Integer("ImageIndex", &TTabSheet::ImageIndex, &TTabSheet::SetImageIndex, -1);
    p.Integer("PageIndex", &TTabSheet::PageIndex, &TTabSheet::SetPageIndex, -1)
        .Stored([](const TTabSheet&) { return false; });
    // The page control shows its active page and hides the others.
    p.Boolean("Visible", &TTabSheet::Visible, &TTabSheet::SetVisible, true).Stored([](const TTabSheet&) {
        return false;
    });
    p.Event("OnShow", &TTabSheet::OnShow);
    p.Event("OnHide", &TTabSheet::OnHide);
}

TTabSheet::TTabSheet(classes::TComponent* owner) : TWinControl(owner) { SetVisibleFlag(false); }

TTabSheet::~TTabSheet() { SetPageControl(nullptr); }

void TTabSheet::SetPageControl(TPageControl* pc) { SetParent(pc); }

void TTabSheet::SetParent(TWinControl* parent)
{
    if (parent != nullptr && dynamic_cast<TPageControl*>(parent) == nullptr)
        throw EInvalidOperation("A tab sheet can only be placed on a page control");
    TWinControl::SetParent(parent);
}

void TTabSheet::SetParentComponent(classes::TComponent* parent)
{
    if (auto* pc = dynamic_cast<TPageControl*>(parent)) SetPageControl(pc);
}

int TTabSheet::PageIndex() const
{
    if (pageControl_ == nullptr) return -1;
    const auto& pages = pageControl_->pages_;
    return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::SetPageIndex(int index)
{
    if (pageControl_ == nullptr) return;
    auto& pages = pageControl_->pages_;
    std::erase(pages, this);
    index = std::clamp(index, 0, static_cast<int>(pages.size()));
    pages.insert(pages.begin() + index, this);
    pageControl_->Changed();
}

void TTabSheet::SetTabVisible(bool v)
{
    if (v == tabVisible_) return;
    tabVisible_ = v;
    if (pageControl_ != nullptr) {
        pageControl_->PlacePages();
        pageControl_->Changed();
    }
}

int TTabSheet::TabIndex() const
{
    if (pageControl_ == nullptr || !tabVisible_) return -1;
    int n = 0;
    for (TTabSheet* page : pageControl_->pages_) {
        if (page == this) return n;
        if (page->tabVisible_) ++n;
    }
    return -1;
}

void TTabSheet::SetImageIndex(int v)
{
    imageIndex_ = v;
    if (pageControl_ != nullptr) pageControl_->Changed();
}

GW_IMPLEMENT_CLASS(TPageControl, TWinControl)
{
    p.Component<TTabSheet>("ActivePage", &TPageControl::ActivePage, &TPageControl::SetActivePage);
    p.Boolean("OwnerDraw", &TPageControl::OwnerDraw, &TPageControl::SetOwnerDraw, false);
    p.Integer("TabHeight", &TPageControl::TabHeight, &TPageControl::SetTabHeight, 0);
    p.Integer("TabWidth", &TPageControl::TabWidth, &TPageControl::SetTabWidth, 0);
    p.Enumeration("Style", TabStyleInfo(), &TPageControl::Style, &TPageControl::SetStyle, tsTabs);
    p.Boolean("MultiLine", &TPageControl::MultiLine, &TPageControl::SetMultiLine, false);
    p.Component<TImageList>("Images", &TPageControl::Images, &TPageControl::SetImages);
    p.Boolean("TabStop", &TPageControl::TabStop, &TPageControl::SetTabStop, true);
    p.Event("OnChange", &TPageControl::OnChange);
    p.Event("OnChanging", &TPageControl::OnChanging);
    p.Event("OnDrawTab", &TPageControl::OnDrawTab);
}

TPageControl::TPageControl(classes::TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 289, 193);
    SetTabStop(true);
}

TPageControl::~TPageControl()
{
    for (TTabSheet* page : pages_) page->pageControl_ = nullptr;
    pages_.clear();
}

TTabSheet* TPageControl::Pages(int index) const
{
    if (index < 0 || index >= PageCount()) ListIndexError(index);
    return pages_[static_cast<std::size_t>(index)];
}

void TPageControl::InsertControl(TControl* control)
{
    if (auto* page = dynamic_cast<TTabSheet*>(control)) {
        pages_.push_back(page);
        page->pageControl_ = this;
    }
    TWinControl::InsertControl(control);
    if (auto* page = dynamic_cast<TTabSheet*>(control)) {
        if (activePage_ == nullptr && !Loading()) SetActivePage(page);
        PlacePages();
        ShowActive();
    }
}

void TPageControl::RemoveControl(TControl* control)
{
    if (auto* page = dynamic_cast<TTabSheet*>(control)) {
        std::erase(pages_, page);
        page->pageControl_ = nullptr;
        if (activePage_ == page) activePage_ = nullptr;
    }
    TWinControl::RemoveControl(control);
    Changed();
}

int TPageControl::ActivePageIndex() const
{
    if (activePage_ == nullptr) return -1;
    return activePage_->PageIndex();
}

void TPageControl::SetActivePageIndex(int index)
{
    SetActivePage(index >= 0 && index < PageCount() ? Pages(index) : nullptr);
}

void TPageControl::SetActivePage(TTabSheet* page)
{
    if (page != nullptr && page->pageControl_ != this) return;
    if (page == activePage_) return;
    TTabSheet* old = activePage_;
    activePage_ = page;
    if (Loading()) return;
    ShowActive();
    if (old != nullptr) old->OnHide(old);
    if (page != nullptr) page->OnShow(page);
    Changed();
}

void TPageControl::ShowActive()
{
    for (TTabSheet* page : pages_) page->SetVisible(page == activePage_);
}

TTabSheet* TPageControl::PageOfTab(int tabIndex) const
{
    for (TTabSheet* page : pages_)
        if (page->TabVisible() && tabIndex-- == 0) return page;
    return nullptr;
}

int TPageControl::VisibleTabCount() const
{
    return static_cast<int>(std::count_if(pages_.begin(), pages_.end(), [](const TTabSheet* p) { return p->TabVisible(); }));
}

void TPageControl::DrawTab(int tabIndex, const TRect& rect, bool active)
{
    canvas_.SetFont(*Font());
    canvas_.Brush()->SetStyle(bsSolid);
    canvas_.Brush()->SetColor(Color());
    if (OnDrawTab) {
        OnDrawTab(this, tabIndex, rect, active);
        return;
    }
    canvas_.FillRect(rect);
    if (TTabSheet* page = PageOfTab(tabIndex)) {
        TRect r = rect;
        canvas_.DrawText(page->Caption(), r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    }
}

void TPageControl::SetOwnerDraw(bool v)
{
    if (ownerDraw_ == v) return;
    ownerDraw_ = v;
    Changed();
}

void TPageControl::SetTabHeight(int v)
{
    const auto value = std::max(v, 0);
    if (value == tabHeight_) return;
    tabHeight_ = value;
    PlacePages();
    Changed();
}

void TPageControl::SetTabWidth(int v)
{
    const auto value = std::max(v, 0);
    if (value == tabWidth_) return;
    tabWidth_ = value;
    Changed();
}

void TPageControl::SetStyle(TTabStyle v)
{
    if (style_ == v) return;
    style_ = v;
    Changed();
}

void TPageControl::SetMultiLine(bool v)
{
    if (multiLine_ == v) return;
    multiLine_ = v;
    Changed();
}

void TPageControl::SetImages(TImageList* v)
{
    if (v == images_) return;
    SetReference(*this, images_, v);
    Changed();
}

TRect TPageControl::DisplayRect() const
{
    const int tabs = VisibleTabCount() > 0 ? (tabHeight_ > 0 ? tabHeight_ : kTabHeight) : 0;
    TRect r = ClientRect();
    return {r.Left + kBorder, r.Top + tabs + kBorder, std::max(r.Left + kBorder, r.Right - kBorder),
            std::max(r.Top + tabs + kBorder, r.Bottom - kBorder)};
}

void TPageControl::PlacePages()
{
    const TRect r = DisplayRect();
    for (TTabSheet* page : pages_) page->SetBounds(r.Left, r.Top, r.Width(), r.Height());
}

void TPageControl::Resize()
{
    PlacePages();
    TWinControl::Resize();
}

void TPageControl::SelectTabByUser(int tabIndex)
{
    TTabSheet* page = PageOfTab(tabIndex);
    if (page == nullptr || page == activePage_) return;
    bool allow = true;
    OnChanging(this, allow);
    if (!allow) {
        Changed();
        return;
    }
    SetActivePage(page);
    OnChange(this);
}

void TPageControl::GetChildren(const std::function<void(classes::TComponent*)>& proc, classes::TComponent* root)
{
    for (TTabSheet* page : pages_)
        if (page->Owner() == root) proc(page);
}

void TPageControl::Loaded()
{
    TWinControl::Loaded();
    if (activePage_ == nullptr && !pages_.empty()) activePage_ = pages_.front();
    PlacePages();
    ShowActive();
}

void TPageControl::Notification(classes::TComponent* component, classes::TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation == classes::opRemove && component == images_) images_ = nullptr;
}

// ---- Status bar ----------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TStatusPanel, classes::TCollectionItem)
{
    p.Enumeration("Alignment", AlignmentInfo(), &TStatusPanel::Alignment, &TStatusPanel::SetAlignment, taLeftJustify);
    p.Enumeration("Bevel", StatusPanelBevelInfo(), &TStatusPanel::Bevel, &TStatusPanel::SetBevel, pbLowered);
    p.String("Text", &TStatusPanel::Text, &TStatusPanel::SetText);
    p.Integer("Width", &TStatusPanel::Width, &TStatusPanel::SetWidth, 50);
}

TStatusPanel::TStatusPanel(classes::TCollection* collection) : TCollectionItem(collection) {}

void TStatusPanel::Assign(const classes::TPersistent& source)
{
    const auto* other = dynamic_cast<const TStatusPanel*>(&source);
    if (other == nullptr) return TCollectionItem::Assign(source);
    text_ = other->text_;
    width_ = other->width_;
    alignment_ = other->alignment_;
    bevel_ = other->bevel_;
    Changed(false);
}

void TStatusPanel::SetText(const std::string& v)
{
    if (v == text_) return;
    text_ = v;
    Changed(false);
}

void TStatusPanel::SetWidth(int v)
{
    const auto value = std::max(v, 0);
    if (value == width_) return;
    width_ = value;
    Changed(false);
}

void TStatusPanel::SetAlignment(TAlignment v)
{
    if (alignment_ == v) return;
    alignment_ = v;
    Changed(false);
}

void TStatusPanel::SetBevel(TStatusPanelBevel v)
{
    if (bevel_ == v) return;
    bevel_ = v;
    Changed(false);
}

GW_IMPLEMENT_CLASS(TStatusPanels, classes::TCollection) {}

TStatusPanels::TStatusPanels(TStatusBar* owner) : TCollection(TStatusPanel::StaticClassInfo(), owner), bar_(owner) {}

void TStatusPanels::Update(classes::TCollectionItem*) { bar_->Changed(); }

GW_IMPLEMENT_CLASS(TStatusBar, TWinControl)
{
    p.Enumeration("Align", AlignInfo(), &TStatusBar::Align, &TStatusBar::SetAlign, alBottom);
    p.Collection("Panels", [](const TStatusBar& b) { return &b.panels_; });
    p.Boolean("SimplePanel", &TStatusBar::SimplePanel, &TStatusBar::SetSimplePanel, false);
    p.String("SimpleText", &TStatusBar::SimpleText, &TStatusBar::SetSimpleText);
    p.Boolean("SizeGrip", &TStatusBar::SizeGrip, &TStatusBar::SetSizeGrip, true);
}

TStatusBar::TStatusBar(classes::TComponent* owner) : TWinControl(owner), panels_(this)
{
    SetBounds(0, 0, 200, 19);
    SetAlign(alBottom);
}

void TStatusBar::SetSimplePanel(bool v)
{
    if (simplePanel_ == v) return;
    simplePanel_ = v;
    Changed();
}

void TStatusBar::SetSimpleText(const std::string& v)
{
    if (simpleText_ == v) return;
    simpleText_ = v;
    Changed();
}

void TStatusBar::SetSizeGrip(bool v)
{
    if (sizeGrip_ == v) return;
    sizeGrip_ = v;
    Changed();
}

TRect TStatusBar::PanelRect(int index) const
{
    int left = 0;
    for (int i = 0; i < index; ++i) left += panels_.Items(i)->Width();
    const int right = index == panels_.Count() - 1 ? std::max(left, Width()) : left + panels_.Items(index)->Width();
    return {left, 0, right, Height()};
}

// ---- Tool bar ------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TToolButton, TControl)
{
    p.String("Caption", &TToolButton::Caption, &TToolButton::SetCaption);
    p.Enumeration("Style", ToolButtonStyleInfo(), &TToolButton::Style, &TToolButton::SetStyle, tbsButton);
    p.Integer("ImageIndex", &TToolButton::ImageIndex, &TToolButton::SetImageIndex, -1);
    p.Boolean("Down", &TToolButton::Down, &TToolButton::SetDown, false);
    p.Boolean("Grouped", &TToolButton::Grouped, &TToolButton::SetGrouped, false);
    p.Boolean("AllowAllUp", &TToolButton::AllowAllUp, &TToolButton::SetAllowAllUp, false);
    p.Boolean("Indeterminate", &TToolButton::Indeterminate, &TToolButton::SetIndeterminate, false);
    p.Boolean("Wrap", &TToolButton::Wrap, &TToolButton::SetWrap, false);
    p.Component<TPopupMenu>("DropdownMenu", &TToolButton::DropdownMenu, &TToolButton::SetDropdownMenu);
    p.Component<TMenuItem>("MenuItem", &TToolButton::MenuItem, &TToolButton::SetMenuItem);
}

TToolButton::TToolButton(classes::TComponent* owner) : TControl(owner) { SetBounds(0, 0, 23, 22); }

TToolButton::~TToolButton()
{
    // Leave the tool bar while this is still known as a tool button.
    SetParent(nullptr);
}

TToolBar* TToolButton::ToolBar() const { return dynamic_cast<TToolBar*>(parent_); }

void TToolButton::SetParent(TWinControl* parent)
{
    if (parent != nullptr && dynamic_cast<TToolBar*>(parent) == nullptr)
        throw EInvalidOperation("A tool button can only be placed on a tool bar");
    TControl::SetParent(parent);
}

void TToolButton::SetStyle(TToolButtonStyle v)
{
    if (v == style_) return;
    style_ = v;
    if (v == tbsSeparator || v == tbsDivider) SetWidth(8);
    if (TToolBar* bar = ToolBar()) bar->ArrangeButtons();
    Changed();
}

void TToolButton::SetImageIndex(int v)
{
    if (imageIndex_ == v) return;
    imageIndex_ = v;
    Changed();
}

void TToolButton::SetDown(bool v)
{
    if (v == down_) return;
    down_ = v;
    if (v && grouped_ && parent_ != nullptr)
        for (int i = 0; i < parent_->ControlCount(); ++i) {
            auto* other = dynamic_cast<TToolButton*>(parent_->Controls(i));
            if (other != nullptr && other != this && other->grouped_ && other->style_ == tbsCheck && other->down_) {
                other->down_ = false;
                other->Changed();
            }
        }
    Changed();
}

void TToolButton::SetIndeterminate(bool v)
{
    if (indeterminate_ == v) return;
    indeterminate_ = v;
    Changed();
}

void TToolButton::SetWrap(bool v)
{
    if (wrap_ == v) return;
    wrap_ = v;
    if (TToolBar* bar = ToolBar()) bar->ArrangeButtons();
}

void TToolButton::SetDropdownMenu(TPopupMenu* menu)
{
    if (menu == dropdownMenu_) return;
    SetReference(*this, dropdownMenu_, menu);
    Changed();
}

void TToolButton::SetMenuItem(TMenuItem* item)
{
    SetReference(*this, menuItem_, item);
    if (item != nullptr) SetCaption(item->Caption());
}

void TToolButton::Click()
{
    if (style_ == tbsSeparator || style_ == tbsDivider || !Enabled()) return;
    if (style_ == tbsCheck) {
        if (!down_)
            SetDown(true);
        else if (!grouped_ || allowAllUp_)
            SetDown(false);
    }
    if (style_ != tbsDropDown && dropdownMenu_ != nullptr && !OnClick) {
        DropDown();
        return;
    }
    if (menuItem_ != nullptr && !OnClick) {
        menuItem_->Click();
        return;
    }
    TControl::Click();
}

void TToolButton::DropDown()
{
    if (dropdownMenu_ == nullptr) return;
    const TPoint p = parent_ != nullptr ? parent_->ClientToScreen({Left(), Top() + Height()}) : TPoint{};
    dropdownMenu_->SetPopupComponent(this);
    dropdownMenu_->Popup(p.X, p.Y);
}

void TToolButton::ActionChanged()
{
    TControl::ActionChanged();
    if (const auto* action = dynamic_cast<const TCustomAction*>(Action())) {
        SetImageIndex(action->ImageIndex());
        if (style_ == tbsCheck) SetDown(action->Checked());
    }
}

void TToolButton::Notification(classes::TComponent* component, classes::TOperation operation)
{
    TControl::Notification(component, operation);
    if (operation != classes::opRemove) return;
    if (component == dropdownMenu_) dropdownMenu_ = nullptr;
    if (component == menuItem_) menuItem_ = nullptr;
}

GW_IMPLEMENT_CLASS(TToolBar, TWinControl)
{
    p.Enumeration("Align", AlignInfo(), &TToolBar::Align, &TToolBar::SetAlign, alTop);
    p.Integer("ButtonWidth", &TToolBar::ButtonWidth, &TToolBar::SetButtonWidth, 23);
    p.Integer("ButtonHeight", &TToolBar::ButtonHeight, &TToolBar::SetButtonHeight, 22);
    p.Component<TImageList>("Images", &TToolBar::Images, &TToolBar::SetImages);
    p.Boolean("ShowCaptions", &TToolBar::ShowCaptions, &TToolBar::SetShowCaptions, false);
    p.Boolean("Flat", &TToolBar::Flat, &TToolBar::SetFlat, false);
    p.Boolean("List", &TToolBar::List, &TToolBar::SetList, false);
    p.Integer("Indent", &TToolBar::Indent, &TToolBar::SetIndent, 0);
    p.Boolean("AutoSize", &TToolBar::AutoSize, &TToolBar::SetAutoSize, false);
}

TToolBar::TToolBar(classes::TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 150, 29);
    SetAlign(alTop);
}

void TToolBar::InsertControl(TControl* control)
{
    TWinControl::InsertControl(control);
    if (auto* button = dynamic_cast<TToolButton*>(control)) {
        // A button placed by a program goes after the one left of its position.
        auto it = buttons_.begin();
        while (it != buttons_.end() && ((*it)->Top() < button->Top() ||
                                        ((*it)->Top() == button->Top() && (*it)->Left() <= button->Left())))
            ++it;
        if (Loading()) it = buttons_.end();
        buttons_.insert(it, button);
        ArrangeButtons();
    }
}

void TToolBar::RemoveControl(TControl* control)
{
    if (auto* button = dynamic_cast<TToolButton*>(control)) std::erase(buttons_, button);
    TWinControl::RemoveControl(control);
    ArrangeButtons();
}

void TToolBar::ArrangeButtons()
{
    if (Loading() || ComponentState().Contains(classes::csDestroying)) return;
    int x = indent_;
    int y = 0;
    for (TToolButton* b : buttons_) {
        if (!b->Visible()) continue;
        const bool separator = b->Style() == tbsSeparator || b->Style() == tbsDivider;
        const int w = separator ? b->Width() : buttonWidth_;
        b->SetBounds(x, y, w, buttonHeight_);
        x += w;
        if (b->Wrap()) {
            x = indent_;
            y += buttonHeight_;
        }
    }
    if (autoSize_) SetHeight(y + buttonHeight_ + 2);
}

void TToolBar::SetButtonWidth(int v)
{
    const auto value = std::max(v, 1);
    if (value == buttonWidth_) return;
    buttonWidth_ = value;
    ArrangeButtons();
}

void TToolBar::SetButtonHeight(int v)
{
    const auto value = std::max(v, 1);
    if (value == buttonHeight_) return;
    buttonHeight_ = value;
    ArrangeButtons();
}

void TToolBar::SetImages(TImageList* v)
{
    if (v == images_) return;
    SetReference(*this, images_, v);
    Changed();
}

void TToolBar::SetShowCaptions(bool v)
{
    if (showCaptions_ == v) return;
    showCaptions_ = v;
    Changed();
}

void TToolBar::SetFlat(bool v)
{
    if (flat_ == v) return;
    flat_ = v;
    Changed();
}

void TToolBar::SetList(bool v)
{
    if (list_ == v) return;
    list_ = v;
    Changed();
}

void TToolBar::SetIndent(int v)
{
    const auto value = std::max(v, 0);
    if (value == indent_) return;
    indent_ = value;
    ArrangeButtons();
}

void TToolBar::SetAutoSize(bool v)
{
    if (autoSize_ == v) return;
    autoSize_ = v;
    ArrangeButtons();
}

void TToolBar::Loaded()
{
    // Buttons of a description are ordered by their stored positions.
    std::stable_sort(buttons_.begin(), buttons_.end(), [](const TToolButton* a, const TToolButton* b) {
        return a->Top() != b->Top() ? a->Top() < b->Top() : a->Left() < b->Left();
    });
    TWinControl::Loaded();
    ArrangeButtons();
}

void TToolBar::Notification(classes::TComponent* component, classes::TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation == classes::opRemove && component == images_) images_ = nullptr;
}

GW_IMPLEMENT_CLASS(TCoolBar, TWinControl)
{
    p.Enumeration("Align", AlignInfo(), &TCoolBar::Align, &TCoolBar::SetAlign, alTop);
    p.Boolean("AutoSize", &TCoolBar::AutoSize, &TCoolBar::SetAutoSize, false);
}

TCoolBar::TCoolBar(classes::TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 150, 75);
    SetAlign(alTop);
}

void TCoolBar::SetAutoSize(bool v)
{
    if (autoSize_ == v) return;
    autoSize_ = v;
    FitHeight();
}

void TCoolBar::FitHeight()
{
    if (!autoSize_ || Loading()) return;
    int bottom = 0;
    for (int i = 0; i < ControlCount(); ++i)
        if (Controls(i)->Visible()) bottom = std::max(bottom, Controls(i)->Top() + Controls(i)->Height());
    SetHeight(bottom + 4);
}

void TCoolBar::Loaded()
{
    TWinControl::Loaded();
    FitHeight();
}

void TCoolBar::InsertControl(TControl* control)
{
    TWinControl::InsertControl(control);
    FitHeight();
}

}  // namespace ui
