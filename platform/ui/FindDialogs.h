#pragma once
// TFindDialog and TReplaceDialog: the modeless find and replace questions. Execute shows the
// dialog's window (a form of this layer, made on first use) and returns at once; the user's
// buttons then fire the events while the program goes on:
// - "Find Next" copies the texts and check boxes into FindText, ReplaceText and Options
//   (frFindNext set, frReplace and frReplaceAll cleared) and fires OnFind;
// - "Replace" and "Replace All" (the replace dialog) do the same with frReplace or
//   frReplaceAll set instead of frFindNext and fire OnReplace;
// - "Cancel", Escape and the close box hide the window (CloseDialog) and fire OnClose.
// Check boxes an frHide... option names are not shown; frDisable... ones are shown greyed.

#include <string>

#include "platform/classes/Sets.h"
#include "platform/ui/Dialogs.h"

namespace ui {

class TCheckBox;
class TEdit;

enum TFindOption {
    frDown, frFindNext, frHideMatchCase, frHideWholeWord, frHideUpDown, frMatchCase, frDisableMatchCase,
    frDisableUpDown, frDisableWholeWord, frReplace, frReplaceAll, frWholeWord, frShowHelp
};
using TFindOptions = classes::TSet<TFindOption>;
const classes::TEnumInfo& FindOptionInfo();

class TFindDialog : public TCommonDialog {
    GW_CLASS(TFindDialog)

public:
    explicit TFindDialog(classes::TComponent* owner);
    ~TFindDialog() override;

    const std::string& FindText() const noexcept { return findText_; }
    // Also the text the open window shows.
    void SetFindText(const std::string& text);
    TFindOptions Options() const noexcept { return options_; }
    void SetOptions(TFindOptions options) { options_ = options; }

    // Shows the window (brought up to date with FindText and Options); true at once.
    bool Execute() override;
    // Hides the window; fires OnClose when it was showing.
    void CloseDialog();
    bool Showing() const;
    // The window, nullptr before the first Execute (named controls: "FindText", "MatchCase",
    // "WholeWord", "Down", "FindNext", "Cancel"; the replace dialog adds "ReplaceText",
    // "Replace" and "ReplaceAll").
    TForm* Window() const noexcept { return form_; }

    TNotifyEvent OnFind;
    TNotifyEvent OnClose;

protected:
    virtual bool IsReplace() const { return false; }
    // Copies what the window shows into the properties, with `action` (frFindNext, frReplace
    // or frReplaceAll) as the one action option.
    void TakeWindow(TFindOption action);

private:
    void BuildWindow();
    void ShowValues();

    std::string findText_;
    TFindOptions options_{frDown};
    TForm* form_ = nullptr;
};

class TReplaceDialog : public TFindDialog {
    GW_CLASS(TReplaceDialog)

public:
    explicit TReplaceDialog(classes::TComponent* owner) : TFindDialog(owner) {}

    const std::string& ReplaceText() const noexcept { return replaceText_; }
    void SetReplaceText(const std::string& text);

    TNotifyEvent OnReplace;

protected:
    bool IsReplace() const override { return true; }

private:
    friend class TFindDialog;
    std::string replaceText_;
};

}  // namespace ui
