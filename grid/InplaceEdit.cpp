#include "grid/InplaceEdit.h"

#include <algorithm>

#include "grid/DBGrid.h"
#include "grid/GridRoutines.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Screen.h"

namespace grid {

GW_IMPLEMENT_CLASS(TgkInplaceEdit, ui::TInplaceEdit) {}

TgkInplaceEdit::TgkInplaceEdit(classes::TComponent* owner)
    : ui::TInplaceEdit(owner), grid_(dynamic_cast<TgkCustomDBGrid*>(owner))
{
    wordWrap_ = grid_ != nullptr && grid_->Options().Contains(dgWordWrap);
    ApplyStyle();
}

void TgkInplaceEdit::ApplyStyle()
{
    // Return is never the editor's; a grid cell has no border, so the edit is multi-line.
    SetWantReturns(false);
    multiLine_ = !HasBorder || wordWrap_;
    autoVScroll_ = multiLine_ && wordWrap_;
    autoHScroll_ = !(multiLine_ && wordWrap_);
    TMemo::SetWordWrap(wordWrap_);
    ++styleApplications_;
}

void TgkInplaceEdit::SetWordWrap(bool wrap)
{
    if (wrap == wordWrap_) return;
    wordWrap_ = wrap;
    ApplyStyle();
}

ui::TRect TgkInplaceEdit::FormattingRect() const
{
    const int w = ClientWidth(), h = ClientHeight();
    return HasBorder ? ui::TRect{0, 0, w - 1, h} : ui::TRect{2, 2, w - 1, h};
}

void TgkInplaceEdit::ApplyFormattingRect(const ui::TRect& rect)
{
    SetTextMargins({rect.Left, rect.Top, std::max(0, ClientWidth() - rect.Right),
                    std::max(0, ClientHeight() - rect.Bottom)});
}

void TgkInplaceEdit::FontChanged()
{
    ui::TInplaceEdit::FontChanged();
    ApplyFormattingRect(FormattingRect());
}

void TgkInplaceEdit::SetBounds(int left, int top, int width, int height)
{
    if (grid_ != nullptr && grid_->Col() < grid_->LeftCol() &&
        !grid_->Options().Contains(dgColLinesDisableFixed))
        width -= grid_->Options().Contains(dgColLines) ? 1 : 2;
    ui::TInplaceEdit::SetBounds(left, top, width, height);
    ui::TRect rect = FormattingRect();
    rect.Left = 1;
    ApplyFormattingRect(rect);
    ScrollCaret();  // a narrower or lower editor must not hide where the user types
}

void TgkInplaceEdit::FireCheckValue(bool passes)
{
    if (grid_ != nullptr && grid_->OnCheckValue) grid_->OnCheckValue(this, passes);
}

bool TgkInplaceEdit::CheckValue(const std::string& text)
{
    bool result = true;
    if (!text.empty() && HasPictureMask()) {
        TgkPictureValidator validator(Picture.PictureMask, Picture.AutoFill);
        std::string copy = text;
        result = validator.Picture(copy, false) == prComplete;
    }
    FireCheckValue(result);
    return result;
}

std::string TgkInplaceEdit::TextAfterKey(char key) const
{
    const std::string text = Text();
    const std::size_t start = static_cast<std::size_t>(SelStart());
    const std::size_t end = start + static_cast<std::size_t>(SelLength());
    if (key == '\b') {
        if (text.empty()) return text;
        // The one character before the caret, whole.
        const std::size_t caret = std::min(end, text.size());
        if (caret == 0) return text;
        const std::size_t from = rtl::Utf8PrevCharStart(text, caret);
        return text.substr(0, from) + text.substr(caret);
    }
    return text.substr(0, start) + std::string(1, key) + text.substr(std::min(end, text.size()));
}

void TgkInplaceEdit::LoadPicture()
{
    if (grid_ == nullptr || !grid_->DataLink().Active()) return;
    db::TField* field = grid_->SelectedField();
    if (field == nullptr) return;
    bool autoFill = true, use = true;
    std::string mask;
    gkGetPictureMaskEntry(gkGetPictureMaskSource(grid_, grid_->DataLink().DataSet()), field->FieldName(), autoFill,
                          use, mask);
    UsePictureMask = use;
    Picture.PictureMask = mask;
    Picture.AutoFill = autoFill;
    Picture.AllowInvalidExit = false;
    CheckValue(field->Text());
}

void TgkInplaceEdit::UpdateContents()
{
    ui::TInplaceEdit::UpdateContents();
    if (grid_ == nullptr) return;
    bool wrap = grid_->Options().Contains(dgWordWrap);
    const int col = grid_->Col();
    const auto& cache = grid_->ColInfoCache();
    if (col >= 0 && col < static_cast<int>(cache.size()) && cache[static_cast<std::size_t>(col)].ControlType == "URL-Link")
        wrap = false;
    SetWordWrap(wrap);
}

void TgkInplaceEdit::Dispatch(ui::TMessage& m)
{
    ui::TInplaceEdit::Dispatch(m);
    if (m.Msg == ui::WM_SETFOCUS) LoadPicture();
}

void TgkInplaceEdit::KeyDown(ui::TKey& key, ui::TShiftState shift)
{
    if (grid_ != nullptr) {
        const bool ctrl = shift.Contains(ui::ssCtrl);
        const bool always = grid_->Options().Contains(dgAlwaysShowEditor);
        const int length = static_cast<int>(Text().size());
        const int start = SelStart(), end = SelStart() + SelLength();
        if (grid_->UseRightToLeftGrid()) {
            const bool left = key == ui::VK_LEFT && always &&
                              (ctrl || (start == 0 && (start == end || end == length)));
            const bool right = key == ui::VK_RIGHT && always &&
                               (ctrl || (end == length && (start == end || start == 0)));
            if (left || right) {
                grid_->KeyDown(key, shift);
                key = 0;
                return;
            }
        }
        if ((key == ui::VK_RETURN && grid_->KeyOptions().Contains(dgEnterToTab)) ||
            (key == ui::VK_DELETE && ctrl)) {
            grid_->SetFocus();
            grid_->KeyDown(key, shift);
            key = 0;
            return;
        }
    }
    ui::TInplaceEdit::KeyDown(key, shift);
}

void TgkInplaceEdit::KeyUp(ui::TKey& key, ui::TShiftState shift)
{
    const bool del = key == ui::VK_DELETE;
    if (key == ui::VK_RETURN && grid_ != nullptr && grid_->KeyOptions().Contains(dgEnterToTab)) key = ui::VK_TAB;
    ui::TInplaceEdit::KeyUp(key, shift);
    if (del && grid_ != nullptr && grid_->OnCheckValue) CheckValue(Text());
}

void TgkInplaceEdit::KeyPress(char& key)
{
    if (key == '\r' && grid_ != nullptr && grid_->KeyOptions().Contains(dgEnterToTab)) key = '\t';
    ui::TInplaceEdit::KeyPress(key);
    if (key == 0 || grid_ == nullptr) return;
    if (key == '\n' && dynamic_cast<db::TFloatField*>(grid_->SelectedField()) != nullptr) {
        key = 0;
        return;
    }
    if (!HasPictureMask()) return;
    if (key == '\b') {
        if (grid_->OnCheckValue) CheckValue(TextAfterKey('\b'));
        return;
    }
    if (static_cast<unsigned char>(key) >= 32) PictureKeyPress(key);
}

// The text a key makes under the picture mask and how it fits the mask.
TPicResult TgkInplaceEdit::PictureText(char key, std::string& newText) const
{
    TgkPictureValidator validator(Picture.PictureMask, Picture.AutoFill);
    TPicResult r = validator.Picture(newText, Picture.AutoFill);
    if (!Picture.AutoFill || r != prError) return r;
    // Typing over a blank literal of the mask: the blank first, then the key.
    std::string blank = TextAfterKey(' ');
    if (validator.Picture(blank, Picture.AutoFill) == prError) return r;
    blank += key;
    newText = blank;
    return validator.Picture(newText, Picture.AutoFill);
}

// A printable key under a picture mask: the editor takes the text the mask makes of it.
void TgkInplaceEdit::PictureKeyPress(char& key)
{
    const std::string oldText = Text();
    const bool allSelected = SelStart() == 0 && SelLength() == static_cast<int>(oldText.size()) && !oldText.empty();
    std::string newText = TextAfterKey(key);
    if (MaxLength() > 0 && static_cast<int>(newText.size()) > MaxLength()) return;
    const TPicResult r = PictureText(key, newText);
    const int caret = SelStart();
    const int growth = static_cast<int>(newText.size()) - static_cast<int>(oldText.size());
    bool passes = true;
    switch (r) {
    case prIncomplete:
    case prComplete: {
        SetText(newText);
        int at;
        if (allSelected)
            at = static_cast<int>(newText.size());
        else if (r == prComplete && growth <= 0)
            at = caret + 1;
        else
            at = caret + growth;
        SetSelectionByUser(std::clamp(at, 0, static_cast<int>(newText.size())), 0);
        key = 0;
        passes = r == prComplete;
        break;
    }
    case prError:
        if (SelStart() + SelLength() >= static_cast<int>(oldText.size())) {
            key = 0;
            ui::Beep();
            return;
        }
        passes = false;
        break;
    default: break;
    }
    FireCheckValue(passes);
}

}  // namespace grid
