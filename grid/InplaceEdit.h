#pragma once
// TgkInplaceEdit: the text editor the data grid shows over its current cell. To the base
// grid's editor it adds word wrap following the grid's dgWordWrap (never in "URL-Link"
// columns), text margins, Enter as Tab under the grid's dgEnterToTab, right-to-left arrows,
// and a check of every typed character against the column's picture mask, with the mask's
// literals filled in as the user types. Each check goes to the grid's OnCheckValue; the
// editor never raises on a bad value: a character that breaks the mask at the end of the
// text is refused with a beep.

#include <string>

#include "grid/PictureValidator.h"
#include "platform/ui/Grids.h"

namespace grid {

class TgkCustomDBGrid;

class TgkInplaceEdit : public ui::TInplaceEdit {
    GW_CLASS(TgkInplaceEdit)

public:
    explicit TgkInplaceEdit(classes::TComponent* owner);

    TgkDBPicture Picture;
    // The second flag of the column's PictureMasks entry: the mask applies only when set.
    bool UsePictureMask = false;
    TgkCustomDBGrid* DBGrid() const noexcept { return grid_; }

    bool WordWrap() const noexcept { return wordWrap_; }
    // Stores the value and applies the window style again.
    void SetWordWrap(bool wrap);
    // The window style the editor has (ES_MULTILINE, ES_AUTOVSCROLL, ES_AUTOHSCROLL): always
    // multi-line inside a grid (no border); wrapping scrolls vertically, else horizontally.
    bool HasBorder = false;
    bool MultiLine() const noexcept { return multiLine_; }
    bool AutoVScroll() const noexcept { return autoVScroll_; }
    bool AutoHScroll() const noexcept { return autoHScroll_; }
    // How often the style was applied (the window made again).
    int StyleApplications() const noexcept { return styleApplications_; }
    // The formatting rectangle a font change sets: 2 pixels in at left and top without a
    // border. Placing the editor sets it from x = 1 instead. Either is applied to the window
    // as the text margins (TextMargins).
    ui::TRect FormattingRect() const;
    // Placed over a fixed column (left of LeftCol, fixed column lines not disabled), the
    // editor is 1 pixel narrower with dgColLines, else 2, so the fixed lines stay in view.
    void SetBounds(int left, int top, int width, int height) override;

    // True when `text` is empty or no mask is in use, else when it matches the mask
    // completely; the grid's OnCheckValue hears the result.
    bool CheckValue(const std::string& text);
    bool HasPictureMask() const { return UsePictureMask && !Picture.PictureMask.empty(); }
    // The text after `key`: Backspace removes the one character before the caret; another
    // key replaces the selection.
    std::string TextAfterKey(char key) const;
    // Reads the current column's picture entry and checks the field's stored text.
    void LoadPicture();

    void UpdateContents() override;
    void KeyDown(ui::TKey& key, ui::TShiftState shift) override;
    void KeyUp(ui::TKey& key, ui::TShiftState shift) override;
    void KeyPress(char& key) override;

protected:
    void Dispatch(ui::TMessage& message) override;
    void FontChanged() override;

private:
    void ApplyStyle();
    void ApplyFormattingRect(const ui::TRect& rect);
    void FireCheckValue(bool passes);
    TPicResult PictureText(char key, std::string& newText) const;
    void PictureKeyPress(char& key);

    TgkCustomDBGrid* grid_ = nullptr;
    bool wordWrap_ = false;
    bool multiLine_ = false;
    bool autoVScroll_ = false;
    bool autoHScroll_ = true;
    int styleApplications_ = 0;
};

}  // namespace grid
