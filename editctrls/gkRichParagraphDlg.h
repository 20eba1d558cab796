#pragma once
// The paragraph and tab dialogs of the rich-text control (forms/gkRichParagraphDlg.gwf,
// forms/gkRichTabDlg.gwf). Both work on the control's current paragraph and show
// measurements in its MeasurementUnits ("0.5''" or "1.27 cm"); both apply on OK only.
//
// Promises:
// - Invalid measurements keep the dialog open with the focus on the first offending edit and
//   show no message: a number (unit suffix stripped) within 22 inches either way.
// - Paragraph: left = start + offset, first line = -offset; on OK start = left + first line
//   (a negative start counting as 0) and offset = min(-first line, left). "Multiple" line
//   spacing takes the number x 20, single (20) when empty or no number.
// - Tabs: Set takes positions of 0 to 22 inches, once each, kept in ascending order.

#include <optional>
#include <string>
#include <vector>

#include "editctrls/gkDBComb.h"
#include "editctrls/gkRichEdit.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

namespace editctrls {

constexpr int kMaxMeasurementTwips = 31680;  // 22 inches

// The twips of a measurement text when it is a number within lo..hi twips; nullopt otherwise.
std::optional<int> gkMeasurementInRange(const std::string& text, TgkMeasurementUnits units, int lo, int hi);
// A dialog's value: rounded to steps of 1/8 inch or 1/20 cm (1/100 with `spacing`), a bias of
// 1/(1.5 x steps) added away from zero before truncating; shown with the unit.
std::string gkDialogMeasurement(int twips, TgkMeasurementUnits units, bool spacing);

class TgkRichParagraphDialog : public ui::TForm {
    GW_CLASS(TgkRichParagraphDialog)

public:
    explicit TgkRichParagraphDialog(classes::TComponent* owner);

    // Fills the dialog from `edit`'s current paragraph.
    void Setup(TgkCustomRichEdit& edit);
    // The first edit holding an invalid measurement (focused), or nullptr when all are valid.
    ui::TEdit* Validate();
    // What OK applies to the paragraph.
    TgkCustomRichEdit::ParagraphSettings Settings() const;

    void OKBtnClick(classes::TObject* sender);
    void LineSpacingComboBoxChange(classes::TObject* sender);
    void WithinParagraphEditChange(classes::TObject* sender);

    ui::TEdit* LeftEdit() const noexcept { return left_; }
    ui::TEdit* RightEdit() const noexcept { return right_; }
    ui::TEdit* FirstLineEdit() const noexcept { return firstLine_; }
    ui::TEdit* BeforeEdit() const noexcept { return before_; }
    ui::TEdit* AfterEdit() const noexcept { return after_; }
    ui::TEdit* WithinEdit() const noexcept { return within_; }
    TgkDBComboBox* AlignmentCombo() const noexcept { return alignment_; }
    ui::TComboBox* LineSpacingCombo() const noexcept { return spacing_; }
    ui::TButton* OKBtn() const noexcept { return ok_; }

private:
    void SetWithin(const std::string& text);

    TgkCustomRichEdit* edit_ = nullptr;
    ui::TEdit* left_ = nullptr;
    ui::TEdit* right_ = nullptr;
    ui::TEdit* firstLine_ = nullptr;
    ui::TEdit* before_ = nullptr;
    ui::TEdit* after_ = nullptr;
    ui::TEdit* within_ = nullptr;
    TgkDBComboBox* alignment_ = nullptr;
    ui::TComboBox* spacing_ = nullptr;
    ui::TButton* ok_ = nullptr;
    bool filling_ = false;
};

class TgkRichTabDialog : public ui::TForm {
    GW_CLASS(TgkRichTabDialog)

public:
    explicit TgkRichTabDialog(classes::TComponent* owner);

    void Setup(TgkCustomRichEdit& edit);
    // Set: adds the position in Edit1 (0 to 22 inches, once) in order and clears the edit;
    // false, with the focus on the edit, when the text is refused.
    bool SetTab();
    void ClearTab();
    void ClearAll();
    // The positions listed, in twips.
    std::vector<int> Tabs() const;

    void OKButtonClick(classes::TObject* sender);
    void Edit1KeyDown(classes::TObject* sender, ui::TKey& key, ui::TShiftState shift);
    void Edit1Enter(classes::TObject* sender);
    void Edit1Exit(classes::TObject* sender);

    ui::TEdit* PositionEdit() const noexcept { return position_; }
    ui::TListBox* List() const noexcept { return list_; }
    ui::TButton* OKButton() const noexcept { return ok_; }

private:
    TgkCustomRichEdit* edit_ = nullptr;
    ui::TEdit* position_ = nullptr;
    ui::TListBox* list_ = nullptr;
    ui::TButton* ok_ = nullptr;
};

}  // namespace editctrls
