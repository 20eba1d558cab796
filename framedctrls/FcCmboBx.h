#pragma once
// The flat-framed combo box and the colour combo box.
//
// TFcCustomComboBox draws a frame of a TFrameStyle and, at rest, a flat drop-down button over
// the combo's own drawing, switches between a flat and a focus frame like the framed edit,
// takes settings from a TFcFrameController, and adds keyboard behaviour: an incremental search
// over the items (a new search after 1.5 s without a key), auto-completion in the text part
// (of what the user types and of text the program writes there), Enter as Tab, a beep on keys that find nothing and on typing past MaxLength, and wheel
// stepping. Typed characters are code points from 32 up except 127; the search text is
// UTF-8, matched as a prefix of an item ignoring case.
//
// TFcColorComboBox lists colours ("Default", the 16 basic colours, optionally the 25 system
// colours, optionally "Custom", which opens the colour dialog), draws each item as a swatch
// and its name, and reads and writes the chosen colour as SelectedColor. TFcColorNames holds
// the names shown, so that a form can rename them.

#include <array>
#include <memory>
#include <string>

#include "framedctrls/FcCommon.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/StdCtrls.h"

namespace framedctrls {

class TFcCustomComboBox : public ui::TComboBox {
    GW_CLASS(TFcCustomComboBox)

public:
    // The search timer's id and period.
    static constexpr unsigned kSearchTimer = 0x4643;
    static constexpr int kSearchMs = 1500;

    explicit TFcCustomComboBox(classes::TComponent* owner);
    ~TFcCustomComboBox() override;

    virtual void UpdateFrameState(bool mouseChange, bool value);
    // A beep, unless BeepOnInvalidKey is off.
    virtual void InvalidKey();
    // Selects the first item beginning with `s` and keeps `s` as the search text; beeps when
    // none does.
    virtual void FindAndSelect(const std::string& s, char32_t key);
    // Selects the first item beginning with `s`, selecting its tail after `s` in the text
    // part; false when none does.
    virtual bool AutoComplete(const std::string& s, char32_t key);
    // The first item beginning with `s`, letter case ignored; -1 when none.
    virtual int FindItem(const std::string& s) const;

    // The text part's selection; positions of 65536 and above raise ERangeError.
    int GetSelStart() const { return SelStart(); }
    void SetSelStart(int p);
    int GetSelLength() const { return SelLength(); }
    void SetSelLength(int l);

    const std::string& SearchText() const noexcept { return searchText_; }

    bool BeepOnInvalidKey() const noexcept { return beepOnInvalidKey_; }
    void SetBeepOnInvalidKey(bool v) { beepOnInvalidKey_ = v; }
    bool FlatButtons() const noexcept { return flatButtons_; }
    void SetFlatButtons(bool v);
    rtl::TColor ComboColor() const noexcept { return Color(); }
    void SetComboColor(rtl::TColor c);
    rtl::TColor FrameColor() const noexcept { return frame_.color; }
    void SetFrameColor(rtl::TColor v);
    TFcFrameController* FrameController() const noexcept { return frameController_; }
    void SetFrameController(TFcFrameController* c);
    bool FrameFlat() const noexcept { return frame_.flat; }
    void SetFrameFlat(bool v);
    TFrameStyle FrameFlatStyle() const noexcept { return frame_.flatStyle; }
    void SetFrameFlatStyle(TFrameStyle v);
    TFrameStyle FrameFocusStyle() const noexcept { return frame_.focusStyle; }
    void SetFrameFocusStyle(TFrameStyle v);
    TSides FrameSides() const noexcept { return frame_.sides; }
    void SetFrameSides(TSides v);
    TFrameStyle FrameStyle() const noexcept { return frame_.style; }
    void SetFrameStyle(TFrameStyle v);
    bool FrameVisible() const noexcept { return frame_.visible; }
    virtual void SetFrameVisible(bool v);
    bool UseFrameController() const noexcept { return useFrameController_; }
    void SetUseFrameController(bool v) { useFrameController_ = v; }
    bool TabOnEnter() const noexcept { return tabOnEnter_; }
    void SetTabOnEnter(bool v) { tabOnEnter_ = v; }
    bool MouseOver() const noexcept { return mouseOver_; }
    // Whether the flat button is drawn now (at rest); otherwise the window's own shows.
    bool FlatButtonShown() const noexcept { return frame_.visible && flatButtons_ && !focused_ && !mouseOver_; }
    bool FrameStored() const noexcept { return frameController_ == nullptr; }

    ui::TNotifyEvent OnMouseEnter;
    ui::TNotifyEvent OnMouseLeave;

    bool PaintsOver() const override { return frame_.visible; }
    void PaintOver(ui::TCanvas& canvas) override;

    void Dispatch(ui::TMessage& message) override;
    void KeyDown(ui::TKey& key, ui::TShiftState shift) override;
    void KeyPress(char& key) override;
    bool WantsKey(ui::TKey key) const override;
    void SetTextByUser(const std::string& text) override;
    // A left press in the text part takes its text as the search text.
    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void Notification(classes::TComponent* component, classes::TOperation operation) override;

protected:
    // The key handed on as a key press (OnKeyPress); answers what the handler left of it.
    char32_t DoKeyPress(char32_t key);
    void SelectAndNotify(int index);
    // The list style's search keys, the text part's auto-completion.
    void SearchChar(char32_t c);
    bool EditChar(char32_t c);
    void Wheel(int delta);

private:
    void RestartSearchTimer();
    void PostTab();
    // A text the program set (not the user's typing, not the control's own writing): in the
    // text part it becomes the search text, completed to the first item it begins.
    void TextSetFromOutside();
    // Writes the text part as the control's own doing.
    void SetOwnText(const std::string& text);

    bool beepOnInvalidKey_ = true;
    bool flatButtons_ = true;
    TFrameSettings frame_;
    TFcFrameController* frameController_ = nullptr;
    bool useFrameController_ = true;
    std::string searchText_;
    bool searching_ = false;
    bool tabOnEnter_ = false;
    bool enterPressed_ = false;
    bool pasting_ = false;
    bool settingOwnText_ = false;
    bool focused_ = false;
    bool mouseOver_ = false;
    bool tabPending_ = false;
};

class TFcColorComboBox;

// The names a colour combo shows: "Default", the 16 basic colours, the 25 system colours and
// "Custom". A changed name reaches its item at once.
class TFcColorNames : public classes::TPersistent {
    GW_CLASS(TFcColorNames)

public:
    explicit TFcColorNames(TFcColorComboBox* owner = nullptr);
    void Assign(const classes::TPersistent& source) override;

    const std::string& Default() const noexcept { return default_; }
    void SetDefault(const std::string& s);
    const std::string& Custom() const noexcept { return custom_; }
    void SetCustom(const std::string& s);
    const std::string& Basic(int i) const { return basic_.at(i); }
    void SetBasic(int i, const std::string& s);
    const std::string& System(int i) const { return system_.at(i); }
    void SetSystem(int i, const std::string& s);

    bool ShowSysColors = true;
    bool ShowDefaultColor = true;
    bool ShowCustomColor = true;

private:
    friend class TFcColorComboBox;
    TFcColorComboBox* owner_;
    std::string default_;
    std::string custom_;
    std::array<std::string, 16> basic_;
    std::array<std::string, 25> system_;
};

class TFcColorComboBox : public TFcCustomComboBox {
    GW_CLASS(TFcColorComboBox)

public:
    explicit TFcColorComboBox(classes::TComponent* owner);
    ~TFcColorComboBox() override;

    // The built-in names and values.
    static const std::array<const char*, 16>& BasicNames();
    static const std::array<rtl::TColor, 16>& BasicColors();
    static const std::array<const char*, 25>& SystemNames();

    virtual void NormalizeCustomColors();
    virtual void SetDefaultNames();
    virtual rtl::TColor GetItemColor(int index) const;

    rtl::TColor DefaultColor() const noexcept { return defaultColor_; }
    void SetDefaultColor(rtl::TColor c);
    rtl::TColor CustomColor() const noexcept { return customColor_; }
    void SetCustomColor(rtl::TColor c);
    TFcColorNames* ColorNames() noexcept { return names_.get(); }
    const TFcColorNames* ColorNames() const noexcept { return names_.get(); }
    void SetColorNames(const TFcColorNames& names) { names_->Assign(names); }
    rtl::TStringList* CustomColors() noexcept { return &customColors_; }
    const rtl::TStringList* CustomColors() const noexcept { return &customColors_; }
    // Copies the entries, then normalises them (EConvertError for a value that is not
    // hexadecimal, naming it).
    void SetCustomColors(const rtl::TStrings& colors);
    bool ShowCustomColor() const noexcept { return showCustomColor_; }
    void SetShowCustomColor(bool v);
    bool ShowDefaultColor() const noexcept { return showDefaultColor_; }
    void SetShowDefaultColor(bool v);
    bool ShowSysColors() const noexcept { return showSysColors_; }
    void SetShowSysColors(bool v);
    bool ShowColorNames() const noexcept { return showColorNames_; }
    void SetShowColorNames(bool v);
    ui::TColorDialogOptions ColorDlgOptions() const noexcept { return colorDlgOptions_; }
    void SetColorDlgOptions(ui::TColorDialogOptions o) { colorDlgOptions_ = o; }
    rtl::TColor GetSelectedColor() const;
    void SetSelectedColor(rtl::TColor c);
    bool NamesChanged() const noexcept { return namesChanged_; }

    // Builds the list again from the show flags, keeping renamed names (what recreating the
    // window does).
    void RecreateList();

    void Loaded() override;
    void MeasureItem(int index, int& height) override;
    void PaintItem(int index, const ui::TRect& rect, ui::TOwnerDrawState state) override;
    void DrawItem(int index, const ui::TRect& rect, ui::TOwnerDrawState state) override;
    void SetFrameVisible(bool v) override;
    void Dispatch(ui::TMessage& message) override;

protected:
    void CloseUp(bool accepted) override;

private:
    friend class TFcColorNames;
    int CustomIndex() const
    {
        return showCustomColor_ ? const_cast<TFcColorComboBox*>(this)->Items()->Count() - 1 : -1;
    }
    void SetItemColor(int index, rtl::TColor c);

    rtl::TColor defaultColor_ = 0;
    rtl::TColor customColor_ = 0;
    std::unique_ptr<TFcColorNames> names_;
    bool showSysColors_ = true;
    bool showColorNames_ = true;
    bool showDefaultColor_ = true;
    bool showCustomColor_ = true;
    ui::TColorDialogOptions colorDlgOptions_{ui::cdFullOpen};
    rtl::TStringList customColors_;
    bool namesChanged_ = false;
    bool building_ = false;
};

}  // namespace framedctrls
