#include "platform/ui/FindDialogs.h"

#include <algorithm>

#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

namespace ui {

namespace {

constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kEditLeft = 92;
constexpr int kEditWidth = 170;

template <class C>
C* Place(TForm* form, const char* name, const std::string& caption, int left, int top, int width, int height)
{
    auto* control = new C(form);
    control->SetName(name);
    control->SetParent(form);
    if constexpr (requires { control->SetCaption(caption); }) control->SetCaption(caption);
    control->SetBounds(left, top, width, height);
    return control;
}

}  // namespace

const classes::TEnumInfo& FindOptionInfo()
{
    static const classes::TEnumInfo info{
        "TFindOption",
        {"frDown", "frFindNext", "frHideMatchCase", "frHideWholeWord", "frHideUpDown", "frMatchCase",
         "frDisableMatchCase", "frDisableUpDown", "frDisableWholeWord", "frReplace", "frReplaceAll", "frWholeWord",
         "frShowHelp"}};
    return info;
}

GW_IMPLEMENT_CLASS(TFindDialog, TCommonDialog)
{
    p.String("FindText", &TFindDialog::FindText, &TFindDialog::SetFindText);
    p.Set("Options", FindOptionInfo(), &TFindDialog::Options, &TFindDialog::SetOptions);
    p.Event("OnFind", &TFindDialog::OnFind);
    p.Event("OnClose", &TFindDialog::OnClose);
}

GW_IMPLEMENT_CLASS(TReplaceDialog, TFindDialog)
{
    p.String("ReplaceText", &TReplaceDialog::ReplaceText, &TReplaceDialog::SetReplaceText);
    p.Event("OnReplace", &TReplaceDialog::OnReplace);
}

TFindDialog::TFindDialog(classes::TComponent* owner) : TCommonDialog(owner) {}

TFindDialog::~TFindDialog() { delete form_; }

void TFindDialog::SetFindText(const std::string& text)
{
    findText_ = text;
    if (form_ != nullptr) form_->Get<TEdit>("FindText")->SetText(text);
}

void TReplaceDialog::SetReplaceText(const std::string& text)
{
    replaceText_ = text;
    if (Window() != nullptr) Window()->Get<TEdit>("ReplaceText")->SetText(text);
}

bool TFindDialog::Showing() const { return form_ != nullptr && form_->Visible(); }

void TFindDialog::BuildWindow()
{
    const bool replace = IsReplace();
    form_ = new TForm(nullptr);
    form_->SetCaption(replace ? "Replace" : "Find");
    form_->SetBorderStyle(bsDialog);
    form_->SetBorderIcons(TBorderIcons{biSystemMenu});
    form_->SetPosition(poScreenCenter);
    Place<TLabel>(form_, "FindLabel", "Fi&nd what:", 8, 12, kEditLeft - 12, 13);
    auto* find = Place<TEdit>(form_, "FindText", "", kEditLeft, 8, kEditWidth, 21);
    int top = 38;
    if (replace) {
        Place<TLabel>(form_, "ReplaceLabel", "Re&place with:", 8, 42, kEditLeft - 12, 13);
        Place<TEdit>(form_, "ReplaceText", "", kEditLeft, 38, kEditWidth, 21);
        top = 68;
    }
    Place<TCheckBox>(form_, "WholeWord", "Match &whole word only", 8, top, 170, 17);
    Place<TCheckBox>(form_, "MatchCase", "Match &case", 8, top + 22, 170, 17);
    Place<TRadioButton>(form_, "Up", "&Up", 180, top + 22, 40, 17);
    Place<TRadioButton>(form_, "Down", "&Down", 222, top + 22, 50, 17);

    const int buttonLeft = kEditLeft + kEditWidth + 10;
    auto* next = Place<TButton>(form_, "FindNext", "&Find Next", buttonLeft, 8, kButtonWidth, kButtonHeight);
    next->SetDefault(true);
    next->OnClick = [this](classes::TObject*) {
        TakeWindow(frFindNext);
        OnFind(this);
    };
    int buttonTop = 8 + kButtonHeight + 6;
    if (replace) {
        auto& self = static_cast<TReplaceDialog&>(*this);
        const struct {
            const char* name;
            const char* caption;
            TFindOption action;
        } actions[] = {{"Replace", "&Replace", frReplace}, {"ReplaceAll", "Replace &All", frReplaceAll}};
        for (const auto& a : actions) {
            auto* button = Place<TButton>(form_, a.name, a.caption, buttonLeft, buttonTop, kButtonWidth, kButtonHeight);
            button->OnClick = [&self, action = a.action](classes::TObject*) {
                self.TakeWindow(action);
                self.OnReplace(&self);
            };
            buttonTop += kButtonHeight + 6;
        }
    }
    auto* cancel = Place<TButton>(form_, "Cancel", "Cancel", buttonLeft, buttonTop, kButtonWidth, kButtonHeight);
    cancel->SetCancel(true);
    cancel->OnClick = [this](classes::TObject*) { CloseDialog(); };
    // The close box hides the window too: it is made once and shown again.
    form_->OnClose = [this](classes::TObject*, TCloseAction& action) {
        action = caHide;
        OnClose(this);
    };
    form_->SetClientWidth(buttonLeft + kButtonWidth + 8);
    form_->SetClientHeight(std::max(top + 22 + 17 + 10, buttonTop + 4));
    form_->SetActiveControl(find);
}

void TFindDialog::ShowValues()
{
    form_->Get<TEdit>("FindText")->SetText(findText_);
    if (IsReplace()) form_->Get<TEdit>("ReplaceText")->SetText(static_cast<TReplaceDialog&>(*this).replaceText_);
    const struct {
        const char* name;
        TFindOption value, hide, disable;
    } boxes[] = {{"MatchCase", frMatchCase, frHideMatchCase, frDisableMatchCase},
                 {"WholeWord", frWholeWord, frHideWholeWord, frDisableWholeWord}};
    for (const auto& b : boxes) {
        auto* box = form_->Get<TCheckBox>(b.name);
        box->SetChecked(options_.Contains(b.value));
        box->SetVisible(!options_.Contains(b.hide));
        box->SetEnabled(!options_.Contains(b.disable));
    }
    // The replace question always searches forward: no direction to choose.
    const bool showDirection = !IsReplace() && !options_.Contains(frHideUpDown);
    for (const char* name : {"Up", "Down"}) {
        auto* radio = form_->Get<TRadioButton>(name);
        radio->SetVisible(showDirection);
        radio->SetEnabled(!options_.Contains(frDisableUpDown));
    }
    form_->Get<TRadioButton>("Down")->SetChecked(options_.Contains(frDown));
    form_->Get<TRadioButton>("Up")->SetChecked(!options_.Contains(frDown));
}

void TFindDialog::TakeWindow(TFindOption action)
{
    findText_ = form_->Get<TEdit>("FindText")->Text();
    if (IsReplace()) static_cast<TReplaceDialog&>(*this).replaceText_ = form_->Get<TEdit>("ReplaceText")->Text();
    const auto take = [this](TFindOption option, bool on) {
        if (on) options_.Include(option);
        else options_.Exclude(option);
    };
    take(frMatchCase, form_->Get<TCheckBox>("MatchCase")->Checked());
    take(frWholeWord, form_->Get<TCheckBox>("WholeWord")->Checked());
    if (!IsReplace()) take(frDown, form_->Get<TRadioButton>("Down")->Checked());
    for (TFindOption a : {frFindNext, frReplace, frReplaceAll}) take(a, a == action);
}

bool TFindDialog::Execute()
{
    if (form_ == nullptr) BuildWindow();
    ShowValues();
    form_->Show();
    form_->BringToFront();
    return true;
}

void TFindDialog::CloseDialog()
{
    if (!Showing()) return;
    form_->Hide();
    OnClose(this);
}

}  // namespace ui
