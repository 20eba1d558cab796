#pragma once
// Dialogs: the message dialog, the input prompt, file open and save, colour and font.
//
// Every modal question (and every modal form) goes through one replaceable dialog service,
// so that tests answer them (platform/ui/testing/TestDialogs.h, which only tests link). The
// standard service builds the message dialog and the input prompt as forms of this layer and
// runs them modally; the window system's service (platform/ui/qt) adds the file, colour and
// font dialogs of the toolkit.

#include <string>
#include <string_view>
#include <vector>

#include "platform/classes/Component.h"
#include "platform/classes/Font.h"
#include "platform/rtl/Colors.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Types.h"

namespace ui {

class TCustomForm;
class TForm;

// ---- Message dialog ------------------------------------------------------------------------

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
// In the order the buttons always appear.
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
using TMsgDlgButtons = classes::TSet<TMsgDlgBtn>;

inline constexpr TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline constexpr TMsgDlgButtons mbYesAllNoAllCancel{mbYes, mbYesToAll, mbNo, mbNoToAll, mbCancel};
inline constexpr TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline constexpr TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};

// One question in a modal box.
struct TMessageRequest {
    std::string text;
    std::string caption;
    TMsgDlgType type = mtCustom;  // decides the icon (mtError: the stop icon)
    TMsgDlgButtons buttons;
    int helpContext = 0;
};

// "Warning", "Error", "Information", "Confirm"; the application title for mtCustom.
std::string MsgDlgCaption(TMsgDlgType type);
// The buttons of the set in their fixed order.
std::vector<TMsgDlgBtn> MsgDlgButtonOrder(TMsgDlgButtons buttons);
std::string MsgDlgButtonCaption(TMsgDlgBtn button);
std::string MsgDlgButtonName(TMsgDlgBtn button);
// The modal result of a button (mrNone for Help, which shows help instead).
TModalResult MsgDlgButtonResult(TMsgDlgBtn button);
// OK when present, else Yes, else the first button.
TMsgDlgBtn MsgDlgDefaultButton(TMsgDlgButtons buttons);
// Cancel when present, else No, else OK; the Escape key and the close box give its result.
TMsgDlgBtn MsgDlgCancelButton(TMsgDlgButtons buttons);

// The message dialog as a form (owned by the application; the caller frees it): an icon,
// the text, and the buttons in their fixed order named after them ("Yes", "OK"...).
TForm* CreateMessageDialog(const TMessageRequest& request);

// Asks through the dialog service; answers the modal result of the button chosen.
int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext = 0);
// The text with an OK button, captioned with the application title.
void ShowMessage(const std::string& text);

// ---- Input prompt --------------------------------------------------------------------------

// Asks for one line of text; true with the new value on OK, false (value unchanged) on
// Cancel.
bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value);
// The text entered, or `defaultValue` when cancelled.
std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& defaultValue);
// The prompt as a form: label "Prompt", edit "Value", buttons "OK" and "Cancel".
TForm* CreateInputDialog(const std::string& caption, const std::string& prompt, const std::string& value);

// ---- File dialogs --------------------------------------------------------------------------

struct TFileFilter {
    std::string description;
    std::vector<std::string> patterns;  // "*.txt", "*.*"
    friend bool operator==(const TFileFilter&, const TFileFilter&) = default;
};

// "Text|*.txt|All|*.*" into its pairs; patterns of one pair are separated by ";" (empty
// ones dropped). A description without its pattern part gets "*.*".
std::vector<TFileFilter> ParseFileFilter(std::string_view filter);

enum TOpenOption {
    ofReadOnly,
    ofOverwritePrompt,
    ofHideReadOnly,
    ofNoChangeDir,
    ofShowHelp,
    ofNoValidate,
    ofAllowMultiSelect,
    ofExtensionDifferent,
    ofPathMustExist,
    ofFileMustExist,
    ofCreatePrompt,
    ofShareAware,
    ofNoReadOnlyReturn,
    ofNoTestFileCreate,
    ofNoNetworkButton,
    ofNoLongNames,
    ofOldStyleDialog,
    ofNoDereferenceLinks,
    ofEnableIncludeNotify,
    ofEnableSizing
};
using TOpenOptions = classes::TSet<TOpenOption>;

// One file question as the dialog service sees it. The service fills `files` (full paths)
// and `filterIndex` (1-based, the filter chosen) and answers true, or answers false.
struct TFileDialogRequest {
    bool save = false;
    std::string title;
    std::vector<TFileFilter> filters;
    int filterIndex = 1;
    std::string initialDir;
    std::string fileName;
    TOpenOptions options;
    std::vector<std::string> files;
};

// A file name without extension gets the extension of the chosen filter when that filter's
// first pattern names one ("*.asp"), else `defaultExt`; with an empty `defaultExt` the name
// is left alone, as it is when it has an extension.
std::string ApplyDefaultExt(const std::string& fileName, const std::string& defaultExt,
                            const std::vector<TFileFilter>& filters, int filterIndex);

class TCommonDialog : public classes::TComponent {
    GW_CLASS(TCommonDialog)

public:
    explicit TCommonDialog(classes::TComponent* owner) : TComponent(owner) {}
    virtual bool Execute() = 0;
    int HelpContext() const noexcept { return helpContext_; }
    void SetHelpContext(int v) { helpContext_ = v; }

private:
    int helpContext_ = 0;
};

class TOpenDialog : public TCommonDialog {
    GW_CLASS(TOpenDialog)

public:
    explicit TOpenDialog(classes::TComponent* owner);

    const std::string& FileName() const noexcept { return fileName_; }
    void SetFileName(const std::string& v) { fileName_ = v; }
    const std::string& Filter() const noexcept { return filter_; }
    void SetFilter(const std::string& v) { filter_ = v; }
    // 1-based; updated to the filter the user chose.
    int FilterIndex() const noexcept { return filterIndex_; }
    void SetFilterIndex(int v) { filterIndex_ = v; }
    const std::string& DefaultExt() const noexcept { return defaultExt_; }
    void SetDefaultExt(const std::string& v) { defaultExt_ = v; }
    const std::string& InitialDir() const noexcept { return initialDir_; }
    void SetInitialDir(const std::string& v) { initialDir_ = v; }
    const std::string& Title() const noexcept { return title_; }
    void SetTitle(const std::string& v) { title_ = v; }
    TOpenOptions Options() const noexcept { return options_; }
    void SetOptions(TOpenOptions v) { options_ = v; }
    // Every file chosen (one unless ofAllowMultiSelect).
    rtl::TStringList* Files() noexcept { return &files_; }

    // Asks through the dialog service; true with FileName, Files and FilterIndex set.
    bool Execute() override;

protected:
    bool Run(bool save);

private:
    std::string fileName_;
    std::string filter_;
    int filterIndex_ = 1;
    std::string defaultExt_;
    std::string initialDir_;
    std::string title_;
    TOpenOptions options_{ofHideReadOnly, ofEnableSizing};
    rtl::TStringList files_;
};

// The save dialog: with ofOverwritePrompt, choosing an existing file asks
// "<file> already exists." CR LF "Do you want to replace it?" (Yes, No); No asks for the
// file again.
class TSaveDialog : public TOpenDialog {
    GW_CLASS(TSaveDialog)

public:
    explicit TSaveDialog(classes::TComponent* owner) : TOpenDialog(owner) {}
    bool Execute() override;
};

enum TColorDialogOption { cdFullOpen, cdPreventFullOpen, cdShowHelp, cdSolidColor, cdAnyColor };
using TColorDialogOptions = classes::TSet<TColorDialogOption>;
const classes::TEnumInfo& ColorDialogOptionInfo();

// A colour question: the colour offered (the answer after OK), the custom colours as
// "ColorA=bbggrr" entries (a colour value in six hex digits, ColorA to ColorP; the dialog may
// change them) and the options.
struct TColorDialogRequest {
    rtl::TColor color = rtl::clBlack;
    std::vector<std::string> customColors;
    TColorDialogOptions options;
};

class TColorDialog : public TCommonDialog {
    GW_CLASS(TColorDialog)

public:
    explicit TColorDialog(classes::TComponent* owner) : TCommonDialog(owner) {}
    // The colour shown first and, after OK, the colour chosen (a plain RGB colour).
    rtl::TColor Color() const noexcept { return color_; }
    void SetColor(rtl::TColor c) { color_ = c; }
    // "ColorA=bbggrr" entries; after OK, what the dialog left.
    rtl::TStringList* CustomColors() noexcept { return &customColors_; }
    TColorDialogOptions Options() const noexcept { return options_; }
    void SetOptions(TColorDialogOptions o) { options_ = o; }
    bool Execute() override;

private:
    rtl::TColor color_ = rtl::clBlack;
    rtl::TStringList customColors_;
    TColorDialogOptions options_;
};

class TFontDialog : public TCommonDialog {
    GW_CLASS(TFontDialog)

public:
    explicit TFontDialog(classes::TComponent* owner) : TCommonDialog(owner) {}
    classes::TFont* Font() noexcept { return &font_; }
    bool Execute() override;

private:
    classes::TFont font_;
};

// ---- The dialog service --------------------------------------------------------------------

class IDialogService {
public:
    virtual ~IDialogService() = default;
    // A message box; answers the modal result of the button chosen.
    virtual int Message(const TMessageRequest& request) = 0;
    virtual bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) = 0;
    virtual bool FileDialog(TFileDialogRequest& request) = 0;
    virtual bool ColorDialog(rtl::TColor& color) = 0;
    // The colour question with custom colours and options; a service that has no use for
    // them asks ColorDialog.
    virtual bool AskColor(TColorDialogRequest& request) { return ColorDialog(request.color); }
    virtual bool FontDialog(classes::TFont& font) = 0;
    // Runs a form modally (TCustomForm::ShowModal); answers its modal result.
    virtual int ShowModal(TCustomForm& form) = 0;
};

// Message and input prompt as forms of this layer, forms run by the window system's event
// loop; without a window system every question raises EInvalidOperation. File, colour and
// font questions raise it too (the window system's service answers them).
class TStandardDialogs : public IDialogService {
public:
    int Message(const TMessageRequest& request) override;
    bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
    bool FileDialog(TFileDialogRequest& request) override;
    bool ColorDialog(rtl::TColor& color) override;
    bool FontDialog(classes::TFont& font) override;
    int ShowModal(TCustomForm& form) override;
};

IDialogService& DialogService();
// Installs a service (nullptr: the standard one) and returns the previous one (nullptr
// when that was the standard one).
IDialogService* SetDialogService(IDialogService* service);

// Installs a service for the length of a scope.
class TDialogServiceScope {
public:
    explicit TDialogServiceScope(IDialogService& service) : previous_(SetDialogService(&service)) {}
    ~TDialogServiceScope() { SetDialogService(previous_); }
    TDialogServiceScope(const TDialogServiceScope&) = delete;
    TDialogServiceScope& operator=(const TDialogServiceScope&) = delete;

private:
    IDialogService* previous_;
};

}  // namespace ui
