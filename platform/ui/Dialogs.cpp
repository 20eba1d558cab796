#include "platform/ui/Dialogs.h"

#include <algorithm>
#include <memory>

#include "platform/rtl/Files.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

namespace ui {

namespace {

struct ButtonInfo {
    const char* caption;
    const char* name;
    TModalResult result;
};

constexpr ButtonInfo kButtons[] = {
    {"&Yes", "Yes", mrYes},           {"&No", "No", mrNo},
    {"OK", "OK", mrOk},               {"Cancel", "Cancel", mrCancel},
    {"&Abort", "Abort", mrAbort},     {"&Retry", "Retry", mrRetry},
    {"&Ignore", "Ignore", mrIgnore},  {"&All", "All", mrAll},
    {"N&o to All", "NoToAll", mrNoToAll}, {"Yes to &All", "YesToAll", mrYesToAll},
    {"&Help", "Help", mrNone},
};

constexpr int kMargin = 16;
constexpr int kIconSize = 32;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonSpacing = 6;
// Rough text metrics for laying out before any window exists; the window system's label
// wraps the text itself.
constexpr int kCharWidth = 7;
constexpr int kLineHeight = 16;
constexpr int kMaxTextWidth = 420;

IDialogService*& CurrentService()
{
    static IDialogService* service = nullptr;
    return service;
}

// Width and height of `text` wrapped at kMaxTextWidth, by the rough metrics.
TPoint EstimateTextSize(const std::string& text)
{
    int lines = 0;
    int width = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const int w = static_cast<int>(rtl::Utf8CharCount(line)) * kCharWidth;
        lines += std::max(1, (w + kMaxTextWidth - 1) / kMaxTextWidth);
        width = std::max(width, std::min(w, kMaxTextWidth));
        start = end + 1;
    }
    return {width, lines * kLineHeight};
}

[[noreturn]] void NoWindowSystem(const std::string& what)
{
    throw EInvalidOperation("There is no window system to " + what);
}

}  // namespace

// ---- Message dialog ------------------------------------------------------------------------

std::string MsgDlgCaption(TMsgDlgType type)
{
    switch (type) {
    case mtWarning: return "Warning";
    case mtError: return "Error";
    case mtInformation: return "Information";
    case mtConfirmation: return "Confirm";
    case mtCustom: break;
    }
    return Application().Title();
}

std::vector<TMsgDlgBtn> MsgDlgButtonOrder(TMsgDlgButtons buttons)
{
    std::vector<TMsgDlgBtn> order;
    for (int b = mbYes; b <= mbHelp; ++b)
        if (buttons.Contains(static_cast<TMsgDlgBtn>(b))) order.push_back(static_cast<TMsgDlgBtn>(b));
    return order;
}

std::string MsgDlgButtonCaption(TMsgDlgBtn button) { return kButtons[button].caption; }

std::string MsgDlgButtonName(TMsgDlgBtn button) { return kButtons[button].name; }

TModalResult MsgDlgButtonResult(TMsgDlgBtn button) { return kButtons[button].result; }

TMsgDlgBtn MsgDlgDefaultButton(TMsgDlgButtons buttons)
{
    if (buttons.Contains(mbOK)) return mbOK;
    if (buttons.Contains(mbYes)) return mbYes;
    const auto order = MsgDlgButtonOrder(buttons);
    return order.empty() ? mbOK : order.front();
}

TMsgDlgBtn MsgDlgCancelButton(TMsgDlgButtons buttons)
{
    if (buttons.Contains(mbCancel)) return mbCancel;
    if (buttons.Contains(mbNo)) return mbNo;
    return mbOK;
}

TForm* CreateMessageDialog(const TMessageRequest& request)
{
    TMsgDlgButtons buttons = request.buttons;
    if (buttons.Empty()) buttons.Include(mbOK);
    auto* form = new TForm(&Application());
    std::unique_ptr<TForm> owned(form);  // freed if building it fails
    form->SetCaption(request.caption);
    form->SetBorderStyle(bsDialog);
    form->SetBorderIcons(TBorderIcons{biSystemMenu});
    form->SetPosition(poScreenCenter);

    int textLeft = kMargin;
    static const TSystemIcon icons[] = {siWarning, siError, siInformation, siQuestion, siNone};
    if (icons[request.type] != siNone) {
        auto* image = new TImage(form);
        image->SetName("Image");
        image->SetParent(form);
        image->SetBounds(kMargin, kMargin, kIconSize, kIconSize);
        image->SetSystemIcon(icons[request.type]);
        textLeft += kIconSize + 12;
    }

    auto* label = new TLabel(form);
    label->SetName("Message");
    label->SetParent(form);
    label->SetWordWrap(true);
    label->SetCaption(request.text);
    const TPoint size = EstimateTextSize(request.text);
    label->SetBounds(textLeft, kMargin, std::max(size.X, 1), size.Y);

    const auto order = MsgDlgButtonOrder(buttons);
    const int count = static_cast<int>(order.size());
    const int rowWidth = count * kButtonWidth + (count - 1) * kButtonSpacing;
    const int clientWidth = std::max(textLeft + size.X + kMargin, rowWidth + 2 * kMargin);
    const int top = std::max(label->Top() + label->Height(), kMargin + kIconSize) + kMargin;
    const TMsgDlgBtn defaultButton = MsgDlgDefaultButton(buttons);
    const TMsgDlgBtn cancelButton = MsgDlgCancelButton(buttons);
    int left = (clientWidth - rowWidth) / 2;
    for (TMsgDlgBtn b : order) {
        auto* button = new TButton(form);
        button->SetName(MsgDlgButtonName(b));
        button->SetParent(form);
        button->SetCaption(MsgDlgButtonCaption(b));
        button->SetModalResult(MsgDlgButtonResult(b));
        button->SetBounds(left, top, kButtonWidth, kButtonHeight);
        button->SetDefault(b == defaultButton);
        button->SetCancel(b == cancelButton);
        if (b == mbHelp) {
            const int context = request.helpContext;
            button->OnClick = [context](classes::TObject*) { Application().HelpContext(context); };
        }
        if (b == defaultButton) form->SetActiveControl(button);
        left += kButtonWidth + kButtonSpacing;
    }
    form->SetClientWidth(clientWidth);
    form->SetClientHeight(top + kButtonHeight + kMargin);
    return owned.release();
}

int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext)
{
    return DialogService().Message(TMessageRequest{text, MsgDlgCaption(type), type, buttons, helpContext});
}

void ShowMessage(const std::string& text)
{
    DialogService().Message(TMessageRequest{text, Application().Title(), mtCustom, TMsgDlgButtons{mbOK}, 0});
}

// ---- Input prompt --------------------------------------------------------------------------

bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value)
{
    return DialogService().InputQuery(caption, prompt, value);
}

std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& defaultValue)
{
    std::string value = defaultValue;
    InputQuery(caption, prompt, value);
    return value;
}

TForm* CreateInputDialog(const std::string& caption, const std::string& prompt, const std::string& value)
{
    auto* form = new TForm(&Application());
    form->SetCaption(caption);
    form->SetBorderStyle(bsDialog);
    form->SetBorderIcons(TBorderIcons{biSystemMenu});
    form->SetPosition(poScreenCenter);
    const int width = std::max(233, EstimateTextSize(prompt).X);
    auto* label = new TLabel(form);
    label->SetName("Prompt");
    label->SetParent(form);
    label->SetCaption(prompt);
    label->SetBounds(8, 8, width, 13);
    auto* edit = new TEdit(form);
    edit->SetName("Value");
    edit->SetParent(form);
    edit->SetBounds(8, 26, width, 21);
    edit->SetText(value);
    label->SetFocusControl(edit);
    const struct {
        const char* name;
        const char* caption;
        TModalResult result;
    } buttons[] = {{"OK", "OK", mrOk}, {"Cancel", "Cancel", mrCancel}};
    int left = 8 + width - 2 * kButtonWidth - kButtonSpacing;
    for (const auto& b : buttons) {
        auto* button = new TButton(form);
        button->SetName(b.name);
        button->SetParent(form);
        button->SetCaption(b.caption);
        button->SetModalResult(b.result);
        button->SetBounds(left, 58, kButtonWidth, kButtonHeight);
        button->SetDefault(b.result == mrOk);
        button->SetCancel(b.result == mrCancel);
        left += kButtonWidth + kButtonSpacing;
    }
    form->SetClientWidth(width + 16);
    form->SetClientHeight(58 + kButtonHeight + 8);
    form->SetActiveControl(edit);
    return form;
}

// ---- File dialogs --------------------------------------------------------------------------

std::vector<TFileFilter> ParseFileFilter(std::string_view filter)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= filter.size() && !filter.empty()) {
        std::size_t bar = filter.find('|', start);
        if (bar == std::string_view::npos) bar = filter.size();
        parts.emplace_back(filter.substr(start, bar - start));
        start = bar + 1;
    }
    std::vector<TFileFilter> result;
    for (std::size_t i = 0; i < parts.size(); i += 2) {
        TFileFilter f;
        f.description = parts[i];
        if (i + 1 < parts.size()) {
            std::string_view patterns = parts[i + 1];
            std::size_t from = 0;
            while (from <= patterns.size()) {
                std::size_t semi = patterns.find(';', from);
                if (semi == std::string_view::npos) semi = patterns.size();
                std::string p = rtl::Trim(patterns.substr(from, semi - from));
                if (!p.empty()) f.patterns.push_back(std::move(p));
                from = semi + 1;
            }
        }
        if (f.patterns.empty()) f.patterns.push_back("*.*");
        if (f.description.empty() && i + 1 >= parts.size()) continue;
        result.push_back(std::move(f));
    }
    return result;
}

std::string ApplyDefaultExt(const std::string& fileName, const std::string& defaultExt,
                            const std::vector<TFileFilter>& filters, int filterIndex)
{
    if (fileName.empty() || defaultExt.empty() || !rtl::ExtractFileExt(fileName).empty()) return fileName;
    std::string ext = defaultExt;
    if (filterIndex >= 1 && filterIndex <= static_cast<int>(filters.size())) {
        const auto& patterns = filters[static_cast<std::size_t>(filterIndex - 1)].patterns;
        if (!patterns.empty()) {
            const std::string& p = patterns.front();
            if (p.size() > 2 && p.compare(0, 2, "*.") == 0 && p.find_first_of("*?", 2) == std::string::npos)
                ext = p.substr(2);
        }
    }
    return fileName + "." + ext;
}

GW_IMPLEMENT_CLASS(TCommonDialog, classes::TComponent)
{
    p.Integer("HelpContext", &TCommonDialog::HelpContext, &TCommonDialog::SetHelpContext, 0);
}

GW_IMPLEMENT_CLASS(TOpenDialog, TCommonDialog)
{
    p.String("DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt);
    p.String("FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName);
    p.String("Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter);
    p.Integer("FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex, 1);
    p.String("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir);
    p.Set("Options", []() -> const classes::TEnumInfo& {
        static const classes::TEnumInfo info{
            "TOpenOption",
            {"ofReadOnly", "ofOverwritePrompt", "ofHideReadOnly", "ofNoChangeDir", "ofShowHelp", "ofNoValidate",
             "ofAllowMultiSelect", "ofExtensionDifferent", "ofPathMustExist", "ofFileMustExist", "ofCreatePrompt",
             "ofShareAware", "ofNoReadOnlyReturn", "ofNoTestFileCreate", "ofNoNetworkButton", "ofNoLongNames",
             "ofOldStyleDialog", "ofNoDereferenceLinks", "ofEnableIncludeNotify", "ofEnableSizing"}};
        return info;
    }(), &TOpenDialog::Options, &TOpenDialog::SetOptions, TOpenOptions{ofHideReadOnly, ofEnableSizing});
    p.String("Title", &TOpenDialog::Title, &TOpenDialog::SetTitle);
}

TOpenDialog::TOpenDialog(classes::TComponent* owner) : TCommonDialog(owner) {}

bool TOpenDialog::Execute() { return Run(false); }

bool TOpenDialog::Run(bool save)
{
    TFileDialogRequest request;
    request.save = save;
    request.title = !title_.empty() ? title_ : (save ? "Save As" : "Open");
    request.filters = ParseFileFilter(filter_);
    request.filterIndex = filterIndex_;
    request.initialDir = initialDir_;
    request.fileName = fileName_;
    request.options = options_;
    for (;;) {
        request.files.clear();
        if (!DialogService().FileDialog(request) || request.files.empty()) return false;
        std::vector<std::string> names;
        for (const std::string& f : request.files)
            names.push_back(ApplyDefaultExt(f, defaultExt_, request.filters, request.filterIndex));
        if (save && options_.Contains(ofOverwritePrompt) && rtl::FileExists(names.front())) {
            const int answer = DialogService().Message(
                TMessageRequest{names.front() + " already exists.\r\nDo you want to replace it?", request.title,
                                mtWarning, TMsgDlgButtons{mbYes, mbNo}, 0});
            if (answer != mrYes) {
                request.fileName = names.front();
                continue;
            }
        }
        fileName_ = names.front();
        files_.Clear();
        for (const std::string& n : names) files_.Add(n);
        filterIndex_ = request.filterIndex;
        return true;
    }
}

GW_IMPLEMENT_CLASS(TSaveDialog, TOpenDialog) {}

bool TSaveDialog::Execute() { return Run(true); }

const classes::TEnumInfo& ColorDialogOptionInfo()
{
    static const classes::TEnumInfo info{"TColorDialogOption",
                                         {"cdFullOpen", "cdPreventFullOpen", "cdShowHelp", "cdSolidColor", "cdAnyColor"}};
    return info;
}

GW_IMPLEMENT_CLASS(TColorDialog, TCommonDialog)
{
    p.Color("Color", &TColorDialog::Color, &TColorDialog::SetColor, rtl::clBlack);
    p.Strings("CustomColors", [](const TColorDialog& d) { return &d.customColors_; });
    p.Set("Options", ColorDialogOptionInfo(), &TColorDialog::Options, &TColorDialog::SetOptions);
}

bool TColorDialog::Execute()
{
    TColorDialogRequest request;
    request.color = rtl::ColorToRGB(color_);
    for (int i = 0; i < customColors_.Count(); ++i) request.customColors.push_back(customColors_.Get(i));
    request.options = options_;
    if (!DialogService().AskColor(request)) return false;
    color_ = request.color;
    customColors_.Clear();
    for (const std::string& entry : request.customColors) customColors_.Add(entry);
    return true;
}

GW_IMPLEMENT_CLASS(TFontDialog, TCommonDialog) { p.Object("Font", [](const TFontDialog& d) { return &d.font_; }); }

bool TFontDialog::Execute()
{
    classes::TFont font;
    font.Assign(font_);
    if (!DialogService().FontDialog(font)) return false;
    font_.Assign(font);
    return true;
}

// ---- The standard service ------------------------------------------------------------------

int TStandardDialogs::Message(const TMessageRequest& request)
{
    std::unique_ptr<TForm> form(CreateMessageDialog(request));
    return ShowModal(*form);
}

bool TStandardDialogs::InputQuery(const std::string& caption, const std::string& prompt, std::string& value)
{
    std::unique_ptr<TForm> form(CreateInputDialog(caption, prompt, value));
    if (ShowModal(*form) != mrOk) return false;
    value = form->Get<TEdit>("Value")->Text();
    return true;
}

bool TStandardDialogs::FileDialog(TFileDialogRequest&) { NoWindowSystem("ask for a file"); }

bool TStandardDialogs::ColorDialog(rtl::TColor&) { NoWindowSystem("ask for a colour"); }

bool TStandardDialogs::FontDialog(classes::TFont&) { NoWindowSystem("ask for a font"); }

int TStandardDialogs::ShowModal(TCustomForm& form)
{
    if (WindowSystem() == nullptr) NoWindowSystem("show \"" + form.Caption() + "\"");
    return form.ExecuteModal([] { Application().HandleMessage(); });
}

IDialogService& DialogService()
{
    static TStandardDialogs standard;
    IDialogService* current = CurrentService();
    return current != nullptr ? *current : standard;
}

IDialogService* SetDialogService(IDialogService* service) { return std::exchange(CurrentService(), service); }

}  // namespace ui
