#pragma once
// The common controls: list view, page control with tab sheets, status bar, tool bar with
// tool buttons, and cool bar.

#include <any>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/Collection.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Controls.h"
#include "platform/ui/ItemNotices.h"
#include "platform/ui/ItemStrings.h"

namespace ui {

class TImageList;
class TPopupMenu;
class TListView;
class TPageControl;

// ---- List view ---------------------------------------------------------------------------

class TListColumn : public classes::TCollectionItem {
    GW_CLASS(TListColumn)

public:
    explicit TListColumn(classes::TCollection* collection);
    void Assign(const classes::TPersistent& source) override;

    const std::string& Caption() const noexcept { return caption_; }
    void SetCaption(const std::string& v);
    int Width() const noexcept { return width_; }
    void SetWidth(int v);
    TAlignment Alignment() const noexcept { return alignment_; }
    void SetAlignment(TAlignment v);

private:
    std::string caption_;
    int width_ = 50;
    TAlignment alignment_ = taLeftJustify;
};

class TListColumns : public classes::TCollection {
    GW_CLASS(TListColumns)

public:
    explicit TListColumns(TListView* owner);
    TListColumn* Add() { return static_cast<TListColumn*>(TCollection::Add()); }
    TListColumn* Items(int index) const { return static_cast<TListColumn*>(TCollection::Items(index)); }

protected:
    void Update(classes::TCollectionItem* item) override;

private:
    TListView* view_;
};

class TListItems;

class TListItem {
public:
    explicit TListItem(TListItems* owner);

    TListView* ListView() const;
    int Index() const;
    const std::string& Caption() const noexcept { return caption_; }
    void SetCaption(const std::string& v);
    // The texts of the columns after the first.
    TItemStrings* SubItems() noexcept { return &subItems_; }
    int ImageIndex() const noexcept { return imageIndex_; }
    void SetImageIndex(int v);
    bool Checked() const noexcept { return checked_; }
    void SetChecked(bool v);
    bool Selected() const noexcept { return selected_; }
    // Selecting an item of a single-selection view deselects the others; every change
    // fires the view's OnSelectItem.
    void SetSelected(bool v);
    std::any Data;
    void Delete();

private:
    friend class TListItems;
    friend class TListView;
    void Changed();

    TListItems* owner_;
    int index_ = 0;  // kept by the owner, so that Index() costs nothing
    std::string caption_;
    TItemStrings subItems_;
    int imageIndex_ = -1;
    bool checked_ = false;
    bool selected_ = false;
};

class TListItems {
public:
    explicit TListItems(TListView* view) : view_(view) {}
    TListItems(const TListItems&) = delete;
    TListItems& operator=(const TListItems&) = delete;

    TListView* Owner() const noexcept { return view_; }
    int Count() const noexcept { return static_cast<int>(items_.size()); }
    TListItem* Item(int index) const;
    TListItem* operator[](int index) const { return Item(index); }
    TListItem* Add();
    TListItem* Insert(int index);
    void Delete(int index);
    void Clear();
    // Changes inside an update reach the window once, at the outermost EndUpdate.
    void BeginUpdate();
    void EndUpdate();
    // Swaps the places of two items.
    void Exchange(int index1, int index2);
    // Notices of single items to the window showing them (the view's own state, such as
    // its columns, still comes through the view's Changed).
    TItemNotifier& Notifier() noexcept { return notifier_; }

private:
    friend class TListItem;
    bool Updating() const noexcept { return updateCount_ > 0; }
    void Renumber(int from);
    TListView* view_;
    TItemNotifier notifier_;
    std::vector<std::unique_ptr<TListItem>> items_;
    int updateCount_ = 0;
};

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
enum THitTest {
    htAbove,
    htBelow,
    htNowhere,
    htOnItem,
    htOnButton,
    htOnIcon,
    htOnIndent,
    htOnLabel,
    htOnRight,
    htOnStateIcon,
    htToLeft,
    htToRight
};
using THitTests = classes::TSet<THitTest>;

using TLVSelectItemEvent = classes::TEvent<classes::TObject*, TListItem*, bool>;
using TLVColumnClickEvent = classes::TEvent<classes::TObject*, TListColumn*>;
using TLVItemEvent = classes::TEvent<classes::TObject*, TListItem*>;

// Items in rows (report view, with columns and sub-items) or in a grid of icons. The row
// and cell sizes are fixed here so that hit tests answer without a window:
// report rows are kRowHeight high below a kHeaderHeight header; icon cells are
// kIconCellWidth x kIconCellHeight with a 32-pixel icon above the label.
class TListView : public TWinControl {
    GW_CLASS(TListView)

public:
    static constexpr int kHeaderHeight = 20;
    static constexpr int kRowHeight = 18;
    static constexpr int kStateIconWidth = 18;
    static constexpr int kSmallIconWidth = 18;
    static constexpr int kIconCellWidth = 76;
    static constexpr int kIconCellHeight = 72;
    static constexpr int kIconSize = 32;

    explicit TListView(classes::TComponent* owner);
    ~TListView() override;

    TListColumns* Columns() noexcept { return &columns_; }
    TListItems* Items() noexcept { return &items_; }
    TViewStyle ViewStyle() const noexcept { return viewStyle_; }
    void SetViewStyle(TViewStyle v);
    bool Checkboxes() const noexcept { return checkboxes_; }
    void SetCheckboxes(bool v);
    bool ReadOnly() const noexcept { return readOnly_; }
    void SetReadOnly(bool v) { readOnly_ = v; }
    bool RowSelect() const noexcept { return rowSelect_; }
    void SetRowSelect(bool v);
    bool MultiSelect() const noexcept { return multiSelect_; }
    void SetMultiSelect(bool v);
    bool HideSelection() const noexcept { return hideSelection_; }
    void SetHideSelection(bool v);
    bool GridLines() const noexcept { return gridLines_; }
    void SetGridLines(bool v);
    bool ShowColumnHeaders() const noexcept { return showColumnHeaders_; }
    void SetShowColumnHeaders(bool v);
    bool ColumnClick() const noexcept { return columnClick_; }
    void SetColumnClick(bool v) { columnClick_ = v; }
    TImageList* LargeImages() const noexcept { return largeImages_; }
    void SetLargeImages(TImageList* v);
    TImageList* SmallImages() const noexcept { return smallImages_; }
    void SetSmallImages(TImageList* v);

    // The first selected item, nullptr when none; setting selects only that item.
    TListItem* Selected() const;
    void SetSelected(TListItem* item);
    int ItemIndex() const;
    void SetItemIndex(int index);
    TListItem* ItemFocused() const noexcept { return focused_; }
    int TopIndex() const noexcept { return topIndex_; }

    // What lies at client point (x, y).
    THitTests GetHitTestInfoAt(int x, int y) const;
    // The item at client point (x, y) (its icon, label or check box; in a row-select
    // report view the whole row), nullptr when none.
    TListItem* GetItemAt(int x, int y) const;
    // The row or cell of item `index` in client coordinates.
    TRect ItemRect(int index) const;

    // The user's input.
    void SelectByUser(const std::vector<int>& selected, int focused);
    // The user checked or unchecked an item (mouse or keyboard): OnItemChecked when the
    // check changed.
    void CheckByUser(int index, bool checked);
    void ColumnClickByUser(int column);
    void ScrolledByUser(int topIndex) { topIndex_ = topIndex; }

    TLVSelectItemEvent OnSelectItem;
    TLVColumnClickEvent OnColumnClick;
    TLVItemEvent OnItemChecked;

    void Notification(classes::TComponent* component, classes::TOperation operation) override;

private:
    friend class TListItem;
    friend class TListItems;
    friend class TListColumns;
    void ItemSelected(TListItem* item, bool selected);
    void ItemRemoved(TListItem* item);
    void ItemsChanged();
    int IconColumns() const;

    TListColumns columns_;
    TListItems items_;
    TViewStyle viewStyle_ = vsIcon;
    bool checkboxes_ = false;
    bool readOnly_ = false;
    bool rowSelect_ = false;
    bool multiSelect_ = false;
    bool hideSelection_ = true;
    bool gridLines_ = false;
    bool showColumnHeaders_ = true;
    bool columnClick_ = true;
    TImageList* largeImages_ = nullptr;
    TImageList* smallImages_ = nullptr;
    TListItem* focused_ = nullptr;
    int topIndex_ = 0;
};

// ---- Page control ------------------------------------------------------------------------

class TTabSheet : public TWinControl {
    GW_CLASS(TTabSheet)

public:
    explicit TTabSheet(classes::TComponent* owner);
    ~TTabSheet() override;

    TPageControl* PageControl() const noexcept { return pageControl_; }
    void SetPageControl(TPageControl* pc);
    int PageIndex() const;
    void SetPageIndex(int index);
    // Hidden tabs keep their page: the program may still show it.
    bool TabVisible() const noexcept { return tabVisible_; }
    void SetTabVisible(bool v);
    // Position among the visible tabs, -1 when the tab is hidden.
    int TabIndex() const;
    int ImageIndex() const noexcept { return imageIndex_; }
    void SetImageIndex(int v);

    void SetParent(TWinControl* parent) override;
    void SetParentComponent(classes::TComponent* parent) override;

    TNotifyEvent OnShow;
    TNotifyEvent OnHide;

private:
    friend class TPageControl;
    TPageControl* pageControl_ = nullptr;
    bool tabVisible_ = true;
    int imageIndex_ = -1;
};

enum TTabStyle { tsTabs, tsButtons, tsFlatButtons };

using TTabChangingEvent = classes::TEvent<classes::TObject*, bool&>;
using TDrawTabEvent = classes::TEvent<TPageControl*, int, const TRect&, bool>;

// Pages of which one (ActivePage) shows; the tabs of the visible pages choose it. A program's
// change of the page fires nothing; the user's choice asks OnChanging and then fires
// OnChange.
class TPageControl : public TWinControl {
    GW_CLASS(TPageControl)

public:
    static constexpr int kTabHeight = 22;
    static constexpr int kBorder = 4;

    explicit TPageControl(classes::TComponent* owner);
    ~TPageControl() override;

    int PageCount() const noexcept { return static_cast<int>(pages_.size()); }
    TTabSheet* Pages(int index) const;
    TTabSheet* ActivePage() const noexcept { return activePage_; }
    void SetActivePage(TTabSheet* page);
    int ActivePageIndex() const;
    void SetActivePageIndex(int index);
    // The page of visible tab `tabIndex`, nullptr when none.
    TTabSheet* PageOfTab(int tabIndex) const;
    int VisibleTabCount() const;

    bool OwnerDraw() const noexcept { return ownerDraw_; }
    void SetOwnerDraw(bool v);
    int TabHeight() const noexcept { return tabHeight_; }
    void SetTabHeight(int v);
    int TabWidth() const noexcept { return tabWidth_; }
    void SetTabWidth(int v);
    TTabStyle Style() const noexcept { return style_; }
    void SetStyle(TTabStyle v);
    bool MultiLine() const noexcept { return multiLine_; }
    void SetMultiLine(bool v);
    TImageList* Images() const noexcept { return images_; }
    void SetImages(TImageList* v);

    // The area of the pages.
    TRect DisplayRect() const;
    TRect AlignRect() const override { return DisplayRect(); }

    // The user clicked visible tab `tabIndex`.
    void SelectTabByUser(int tabIndex);

    // Owner drawing of the tabs (OwnerDraw): the window system draws tab `tabIndex`'s face
    // in `rect` (control coordinates) on Canvas through DrawTab, which fires OnDrawTab or
    // writes the caption.
    TCanvas* Canvas() noexcept { return &canvas_; }
    virtual void DrawTab(int tabIndex, const TRect& rect, bool active);

    TNotifyEvent OnChange;
    TTabChangingEvent OnChanging;
    TDrawTabEvent OnDrawTab;

    void InsertControl(TControl* control) override;
    void RemoveControl(TControl* control) override;
    void GetChildren(const std::function<void(classes::TComponent*)>& proc, classes::TComponent* root) override;
    void Loaded() override;
    void Notification(classes::TComponent* component, classes::TOperation operation) override;
    void PlacePages();

protected:
    // The pages follow the control's size: they are placed, not aligned.
    void Resize() override;

private:
    friend class TTabSheet;
    void ShowActive();

    std::vector<TTabSheet*> pages_;
    TTabSheet* activePage_ = nullptr;
    TCanvas canvas_;
    bool ownerDraw_ = false;
    int tabHeight_ = 0;
    int tabWidth_ = 0;
    TTabStyle style_ = tsTabs;
    bool multiLine_ = false;
    TImageList* images_ = nullptr;
};

// ---- Status bar --------------------------------------------------------------------------

enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };
class TStatusBar;

class TStatusPanel : public classes::TCollectionItem {
    GW_CLASS(TStatusPanel)

public:
    explicit TStatusPanel(classes::TCollection* collection);
    void Assign(const classes::TPersistent& source) override;

    const std::string& Text() const noexcept { return text_; }
    void SetText(const std::string& v);
    int Width() const noexcept { return width_; }
    void SetWidth(int v);
    TAlignment Alignment() const noexcept { return alignment_; }
    void SetAlignment(TAlignment v);
    TStatusPanelBevel Bevel() const noexcept { return bevel_; }
    void SetBevel(TStatusPanelBevel v);

private:
    std::string text_;
    int width_ = 50;
    TAlignment alignment_ = taLeftJustify;
    TStatusPanelBevel bevel_ = pbLowered;
};

class TStatusPanels : public classes::TCollection {
    GW_CLASS(TStatusPanels)

public:
    explicit TStatusPanels(TStatusBar* owner);
    TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
    TStatusPanel* Items(int index) const { return static_cast<TStatusPanel*>(TCollection::Items(index)); }

protected:
    void Update(classes::TCollectionItem* item) override;

private:
    TStatusBar* bar_;
};

class TStatusBar : public TWinControl {
    GW_CLASS(TStatusBar)

public:
    explicit TStatusBar(classes::TComponent* owner);

    TStatusPanels* Panels() noexcept { return &panels_; }
    bool SimplePanel() const noexcept { return simplePanel_; }
    void SetSimplePanel(bool v);
    const std::string& SimpleText() const noexcept { return simpleText_; }
    void SetSimpleText(const std::string& v);
    bool SizeGrip() const noexcept { return sizeGrip_; }
    void SetSizeGrip(bool v);
    // Panel `index`'s place (the last panel takes the rest of the bar).
    TRect PanelRect(int index) const;

private:
    TStatusPanels panels_;
    bool simplePanel_ = false;
    std::string simpleText_;
    bool sizeGrip_ = true;
};

// ---- Tool bar ----------------------------------------------------------------------------

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };
class TToolBar;
class TMenuItem;

class TToolButton : public TControl {
    GW_CLASS(TToolButton)

public:
    explicit TToolButton(classes::TComponent* owner);
    ~TToolButton() override;

    TToolBar* ToolBar() const;
    TToolButtonStyle Style() const noexcept { return style_; }
    void SetStyle(TToolButtonStyle v);
    int ImageIndex() const noexcept { return imageIndex_; }
    void SetImageIndex(int v);
    // A check button that is down; a grouped one releases the others of its group.
    bool Down() const noexcept { return down_; }
    void SetDown(bool v);
    bool Grouped() const noexcept { return grouped_; }
    void SetGrouped(bool v) { grouped_ = v; }
    bool AllowAllUp() const noexcept { return allowAllUp_; }
    void SetAllowAllUp(bool v) { allowAllUp_ = v; }
    bool Indeterminate() const noexcept { return indeterminate_; }
    void SetIndeterminate(bool v);
    bool Wrap() const noexcept { return wrap_; }
    void SetWrap(bool v);
    TPopupMenu* DropdownMenu() const noexcept { return dropdownMenu_; }
    void SetDropdownMenu(TPopupMenu* menu);
    TMenuItem* MenuItem() const noexcept { return menuItem_; }
    void SetMenuItem(TMenuItem* item);

    // A check button toggles; a button with a drop-down menu (and no drop-down arrow of
    // its own) drops the menu; otherwise OnClick or the action.
    void Click() override;
    // The drop-down arrow: shows DropdownMenu below the button.
    void DropDown();
    void ActionChanged() override;
    void Notification(classes::TComponent* component, classes::TOperation operation) override;
    void SetParent(TWinControl* parent) override;

private:
    TToolButtonStyle style_ = tbsButton;
    int imageIndex_ = -1;
    bool down_ = false;
    bool grouped_ = false;
    bool allowAllUp_ = false;
    bool indeterminate_ = false;
    bool wrap_ = false;
    TPopupMenu* dropdownMenu_ = nullptr;
    TMenuItem* menuItem_ = nullptr;
};

// Tool buttons in a row, left to right in their order, ButtonWidth x ButtonHeight each
// (separators and dividers as wide as their Width).
class TToolBar : public TWinControl {
    GW_CLASS(TToolBar)

public:
    explicit TToolBar(classes::TComponent* owner);

    int ButtonCount() const noexcept { return static_cast<int>(buttons_.size()); }
    int ButtonWidth() const noexcept { return buttonWidth_; }
    void SetButtonWidth(int v);
    int ButtonHeight() const noexcept { return buttonHeight_; }
    void SetButtonHeight(int v);
    TImageList* Images() const noexcept { return images_; }
    void SetImages(TImageList* v);
    bool ShowCaptions() const noexcept { return showCaptions_; }
    void SetShowCaptions(bool v);
    bool Flat() const noexcept { return flat_; }
    void SetFlat(bool v);
    bool List() const noexcept { return list_; }
    void SetList(bool v);
    int Indent() const noexcept { return indent_; }
    void SetIndent(int v);
    bool AutoSize() const noexcept { return autoSize_; }
    void SetAutoSize(bool v);

    // Places the buttons.
    void ArrangeButtons();

    void InsertControl(TControl* control) override;
    void RemoveControl(TControl* control) override;
    void Loaded() override;
    void Notification(classes::TComponent* component, classes::TOperation operation) override;

private:
    std::vector<TToolButton*> buttons_;
    int buttonWidth_ = 23;
    int buttonHeight_ = 22;
    TImageList* images_ = nullptr;
    bool showCaptions_ = false;
    bool flat_ = false;
    bool list_ = false;
    int indent_ = 0;
    bool autoSize_ = false;
};

// A strip holding tool bars; with AutoSize it is as high as its lowest child.
class TCoolBar : public TWinControl {
    GW_CLASS(TCoolBar)

public:
    explicit TCoolBar(classes::TComponent* owner);
    bool AutoSize() const noexcept { return autoSize_; }
    void SetAutoSize(bool v);
    void FitHeight();
    void Loaded() override;
    void InsertControl(TControl* control) override;

private:
    bool autoSize_ = false;
};

}  // namespace ui
