#pragma once
// The tip of the day: TTips holds the tips and shows one at random in TTipForm
// (forms/TipForm.gwf), and remembers in the user's registry (key SaveKey, boolean value
// "ShowAtStart") whether tips are shown at start. The main window places one, TipDlg.

#include <random>
#include <string>

#include "platform/classes/Component.h"
#include "platform/rtl/Colors.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Forms.h"

namespace app {

enum TTipsLanguage { laEnglish };

class TTips : public classes::TComponent {
    GW_CLASS(TTips)

public:
    explicit TTips(classes::TComponent* owner);

    const std::string& AppName() const noexcept { return appName_; }
    void SetAppName(const std::string& v) { appName_ = v; }
    bool SaveShowAtStart() const noexcept { return saveShowAtStart_; }
    void SetSaveShowAtStart(bool v) { saveShowAtStart_ = v; }
    const std::string& SaveKey() const noexcept { return saveKey_; }
    void SetSaveKey(const std::string& v) { saveKey_ = v; }
    TTipsLanguage Language() const noexcept { return language_; }
    void SetLanguage(TTipsLanguage v) { language_ = v; }
    rtl::TColor TipBackground() const noexcept { return tipBackground_; }
    void SetTipBackground(rtl::TColor v) { tipBackground_ = v; }
    const std::string& Title() const noexcept { return title_; }
    void SetTitle(const std::string& v) { title_ = v; }
    const std::string& TipHelp() const noexcept { return tipHelp_; }
    void SetTipHelp(const std::string& v) { tipHelp_ = v; }
    // The value answered when the registry holds none.
    bool ShowAtStart() const noexcept { return showAtStart_; }
    void SetShowAtStart(bool v) { showAtStart_ = v; }
    rtl::TStringList* Tips() const noexcept { return &tips_; }
    int TipsCount() const { return tips_.Count(); }

    // The registry's "ShowAtStart" under SaveKey (the key is not created); ShowAtStart when
    // the value is missing or is no boolean.
    bool ReadShowAtStart() const;
    // Writes "ShowAtStart" (creating the key) when SaveShowAtStart is set.
    void WriteShowAtStart(bool value);

    // Shows the dialog modally; afterwards ShowAtStart is the check box's state, written
    // back. True when the dialog returned a modal result.
    bool Execute();

private:
    std::string appName_;
    bool saveShowAtStart_ = true;
    std::string saveKey_;
    TTipsLanguage language_ = laEnglish;
    rtl::TColor tipBackground_ = rtl::clWhite;
    std::string title_ = "Tip of the Day";
    std::string tipHelp_ = "Did you know...";
    bool showAtStart_ = true;
    mutable rtl::TStringList tips_;
};

class TTipForm : public ui::TForm {
    GW_CLASS(TTipForm)

public:
    explicit TTipForm(classes::TComponent* owner);

    rtl::TStringList* TipList() noexcept { return &tipList_; }
    // The tip shown, as an index into TipList (-1 before the form is shown).
    int TipIndex() const noexcept { return tipIndex_; }
    // Draws a tip at random and shows it.
    void ShowRandomTip();

private:
    void FormShow(classes::TObject* sender);
    void NextClick(classes::TObject* sender);

    rtl::TStringList tipList_;
    int tipIndex_ = -1;
    std::mt19937 random_;
};

// Registers TTips for form descriptions.
void RegisterTipsClasses();

}  // namespace app
