#pragma once
// The data-aware radio group and the library's radio button. Each button of the group shows
// an entry of Items and stands for a stored value from Values (the item's own text where
// Values has no entry, or an empty one); the field's text selects the button. The group lays
// its buttons out in columns itself and can let its parent show through. The radio button
// draws like the library's check box, with a round glyph.
//
// Promises:
// - GetItemValue(i): Values[i] when present and not empty, else Items[i], else empty.
//   GetCaptionForValue(v): the caption of the first button whose item value is v exactly;
//   empty when none.
// - A field text matching no item value gives ItemIndex -1 (no button checked). Columns is
//   kept to 1..16; ItemIndex to -1..count-1 (stored as read while loading).
// - A user's click writes the item value only when the group may change it (not ReadOnly,
//   and a bound data set went into edit mode); a refused edit leaves the checked button.
// - Leaving the group writes the record; when that raises, the focus comes back to the
//   button and the error passes on.
// - Layout (gkLayoutRadioButtons) follows the group's border, caption, spacing and frames, is
//   mirrored for right-to-left reading, and moves every button in one update with painting
//   suspended.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editctrls/gkCheckBox.h"
#include "editctrls/gkGroupBox.h"
#include "grid/CellControls.h"
#include "platform/rtl/StringList.h"

namespace grid {
class TgkCustomDBGrid;
}

namespace editctrls {

class TgkCustomRadioGroup;

// What the layout of a group's buttons depends on.
struct TgkRadioLayout {
    int Width = 0;          // the group's
    int Height = 0;
    int ClientWidth = 0;
    int Count = 0;          // buttons
    int Columns = 1;
    int TextHeight = 0;     // of the group's font
    bool Border = true;     // ShowBorder, and the group stands in no grid
    bool Caption = true;    // ShowGroupCaption
    bool NoSpacing = false;
    bool GroupFrame = false;   // the group's frame is enabled
    bool ButtonFrame = false;  // the buttons' frame is enabled
    bool RightToLeft = false;
};
// The bounds of each button, in order.
std::vector<ui::TRect> gkLayoutRadioButtons(const TgkRadioLayout& layout);

class TgkRGEditFrame : public TgkEditFrame {
    GW_CLASS(TgkRGEditFrame)

public:
    explicit TgkRGEditFrame(classes::TPersistent* owner);
};

class TgkCustomRadioButton : public TgkCustomCheckBox {
    GW_CLASS(TgkCustomRadioButton)

public:
    explicit TgkCustomRadioButton(classes::TComponent* owner);

    ui::TImageList* GlyphImages() const noexcept { return glyphImages_; }
    void SetGlyphImages(ui::TImageList* images);
    // Checking unchecks the other radio buttons of the parent and switches TabStop off
    // inside a radio group.
    void Toggle() override;
    void SetCheckedByProgram(bool v);

    virtual int ButtonIndex() const { return 0; }
    virtual bool IsChecked() { return Checked(); }
    TCheckBoxState GetState() override { return IsChecked() ? ui::cbChecked : ui::cbUnchecked; }
    void Notification(classes::TComponent* component, classes::TOperation operation) override;

protected:
    unsigned GlyphKind() const override;
    int TextShift() const override;
    void DrawBesideGlyph(ui::TCanvas& canvas, const ui::TRect& glyph) override;
    virtual void CheckedByUser() {}

private:
    ui::TImageList* glyphImages_ = nullptr;
};

class TgkRadioButton : public TgkCustomRadioButton {
    GW_CLASS(TgkRadioButton)

public:
    using TgkCustomRadioButton::TgkCustomRadioButton;
};

// A button of a radio group.
class TGroupButton : public TgkRadioButton {
    GW_CLASS(TGroupButton)

public:
    TGroupButton(TgkCustomRadioGroup* group, int index);

    TgkCustomRadioGroup* Group() const noexcept { return group_; }
    void SetIndex(int index) noexcept { index_ = index; }

    int ButtonIndex() const override { return index_; }
    bool IsChecked() override;
    bool PaintingCopy() const override;
    void Toggle() override;
    void KeyDown(ui::TKey& key, ui::TShiftState shift) override;
    void Dispatch(ui::TMessage& message) override;

protected:
    rtl::TColor HeldBackground() const override;
    void ExitControl() override;
    bool EnterEdit() override;
    void ResetLink() override;

private:
    TgkCustomRadioGroup* group_;
    int index_;
};

class TgkCustomRadioGroup : public TgkCustomTransparentGroupBox, public grid::IgkGridCellControl {
    GW_CLASS(TgkCustomRadioGroup)

public:
    explicit TgkCustomRadioGroup(classes::TComponent* owner);
    ~TgkCustomRadioGroup() override;

    rtl::TStringList* Items() noexcept { return &items_; }
    rtl::TStringList* Values() noexcept { return &values_; }
    int ItemIndex() const noexcept { return itemIndex_; }
    void SetItemIndex(int index);
    int Columns() const noexcept { return columns_; }
    void SetColumns(int n);
    int ButtonCount() const noexcept { return static_cast<int>(buttons_.size()); }
    TGroupButton* Buttons(int index) const { return buttons_.at(static_cast<std::size_t>(index)); }

    std::string GetItemValue(int index) const;
    std::string GetCaptionForValue(const std::string& value) const;
    // A grid cell shows the caption for the field's text (empty when no button has it).
    std::optional<std::string> GridCellText(const db::TField& field) const override;
    // The value the buttons stand for now; setting it checks the matching button.
    const std::string& Value() const noexcept { return value_; }
    void SetValue(const std::string& value);

    // ---- Options -------------------------------------------------------------------------
    TgkEditFrame* Frame() noexcept { return &frame_; }
    TgkRGEditFrame* ButtonFrame() noexcept { return &buttonFrame_; }
    TgkWinButtonIndents* Indents() noexcept { return &indents_; }
    bool ShowBorder() const noexcept { return showBorder_; }
    void SetShowBorder(bool v) { SetOption(showBorder_, v); }
    bool ShowGroupCaption() const noexcept { return showGroupCaption_; }
    void SetShowGroupCaption(bool v) { SetOption(showGroupCaption_, v); }
    bool ShowFocusRect() const noexcept { return showFocusRect_; }
    void SetShowFocusRect(bool v) { SetOption(showFocusRect_, v); }
    bool TransparentActiveItem() const noexcept { return transparentActiveItem_; }
    void SetTransparentActiveItem(bool v) { SetOption(transparentActiveItem_, v); }
    bool ShowText() const noexcept { return showText_; }
    void SetShowText(bool v) { SetOption(showText_, v); }
    bool WordWrap() const noexcept { return wordWrap_; }
    void SetWordWrap(bool v) { SetOption(wordWrap_, v); }
    bool NoSpacing() const noexcept { return noSpacing_; }
    void SetNoSpacing(bool v) { SetOption(noSpacing_, v); }
    classes::TAlignment Alignment() const noexcept { return alignment_; }
    void SetAlignment(classes::TAlignment a);
    ui::TImageList* Images() const noexcept { return images_; }
    void SetImages(ui::TImageList* images);
    ui::TImageList* GlyphImages() const noexcept { return glyphImages_; }
    void SetGlyphImages(ui::TImageList* images);
    ui::TBiDiMode BiDiMode = ui::bdLeftToRight;
    std::function<void(TgkCustomRadioGroup& group, TgkCustomRadioButton& button)> OnCreateRadioButton;
    classes::TNotifyEvent OnChange;

    // ---- Data ------------------------------------------------------------------------------
    db::TDataSource* DataSource() const;
    void SetDataSource(db::TDataSource* source);
    const std::string& DataField() const;
    void SetDataField(const std::string& name);
    bool ReadOnly() const noexcept { return readOnly_; }
    void SetReadOnly(bool v) { readOnly_ = v; }
    db::TFieldDataLink* DataLink() const noexcept { return link_.get(); }
    db::TField* Field() const;
    // Not ReadOnly, and a bound data set went into edit mode.
    bool CanModify();
    // The text of the field (empty without one).
    std::string FieldText() const;

    // ---- Buttons and layout ----------------------------------------------------------------
    void RebuildButtons();
    void LayoutButtons();
    // The brush its buttons paint their background with (clNone: their own).
    rtl::TColor HeldBrush() const noexcept { return heldBrush_; }
    bool Focused() const;
    void Click() override;
    // A button was clicked by the user.
    void ButtonClicked(int index);
    // The focus left one of the buttons for a control outside the group.
    void ExitGroup(TGroupButton& button);
    void Notification(classes::TComponent* component, classes::TOperation operation) override;
    void Loaded() override;
    void Dispatch(ui::TMessage& message) override;

protected:
    void PaintGroup(ui::TCanvas& canvas) override;
    // The brush of the focused group in a data grid: Color, or over the grid's current cell
    // the highlight colours (the font's too), the grid's cell colours deciding for a field.
    rtl::TColor CellBrush(ui::TCanvas& canvas, grid::TgkCustomDBGrid& grid);
    void Resize() override;

private:
    void SetOption(bool& field, bool v);
    void DataChange();
    void CheckButtons();

    rtl::TStringList items_;
    rtl::TStringList values_;
    int itemIndex_ = -1;
    int columns_ = 1;
    bool updating_ = false;
    bool checking_ = false;
    bool showBorder_ = true;
    bool showGroupCaption_ = true;
    bool showFocusRect_ = true;
    bool transparentActiveItem_ = false;
    bool showText_ = true;
    bool wordWrap_ = false;
    bool noSpacing_ = false;
    bool readOnly_ = false;
    classes::TAlignment alignment_ = classes::taRightJustify;
    ui::TImageList* images_ = nullptr;
    ui::TImageList* glyphImages_ = nullptr;
    TgkEditFrame frame_;
    TgkRGEditFrame buttonFrame_;
    TgkWinButtonIndents indents_;
    std::vector<TGroupButton*> buttons_;
    std::string value_;
    rtl::TColor heldBrush_ = rtl::clNone;
    std::unique_ptr<db::TFieldDataLink> link_;
};

class TgkRadioGroup : public TgkCustomRadioGroup {
    GW_CLASS(TgkRadioGroup)

public:
    using TgkCustomRadioGroup::TgkCustomRadioGroup;
};

}  // namespace editctrls
