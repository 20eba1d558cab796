#include "app/Tips.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/rtl/Registry.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"

#include <chrono>
#include <exception>
#include <memory>

namespace app {

namespace {
const classes::TEnumInfo& LanguageInfo()
{
    static const classes::TEnumInfo info{"TTipsLanguage", {"laEnglish"}};
    return info;
}
}  // namespace

GW_IMPLEMENT_CLASS(TTips, classes::TComponent)
{
    p.String("AppName", &TTips::AppName, &TTips::SetAppName);
    p.Boolean("SaveShowAtStart", &TTips::SaveShowAtStart, &TTips::SetSaveShowAtStart, true);
    p.String("SaveKey", &TTips::SaveKey, &TTips::SetSaveKey);
    p.Enumeration("Language", LanguageInfo(), &TTips::Language, &TTips::SetLanguage, laEnglish);
    p.Color("TipBackground", &TTips::TipBackground, &TTips::SetTipBackground, rtl::clWhite);
    p.String("Title", &TTips::Title, &TTips::SetTitle, "Tip of the Day");
    p.String("TipHelp", &TTips::TipHelp, &TTips::SetTipHelp, "Did you know...");
    p.Boolean("ShowAtStart", &TTips::ShowAtStart, &TTips::SetShowAtStart, true);
    p.Strings("Tips", &TTips::Tips);
}

TTips::TTips(classes::TComponent* owner) : TComponent(owner) {}

bool TTips::ReadShowAtStart() const
{
    try {
        rtl::TRegistry registry;
        if (!saveKey_.empty() && registry.OpenKey(saveKey_, false) && registry.ValueExists("ShowAtStart"))
            return registry.ReadBool("ShowAtStart");
    } catch (const std::exception&) {
        // A value that is no boolean counts as none.
    }
    return showAtStart_;
}

void TTips::WriteShowAtStart(bool value)
{
    if (!saveShowAtStart_ || saveKey_.empty()) return;
    rtl::TRegistry registry;
    if (registry.OpenKey(saveKey_, true)) registry.WriteBool("ShowAtStart", value);
}

bool TTips::Execute()
{
    std::unique_ptr<TTipForm> form(new TTipForm(&ui::Application()));
    form->SetCaption(title_);
    form->Get<ui::TLabel>("TipHelp")->SetCaption(tipHelp_);
    form->Get<ui::TCheckBox>("ShowAtStart")->SetChecked(ReadShowAtStart());
    form->Get<ui::TLabel>("TipText")->SetCaption("");
    form->TipList()->Assign(tips_);
    const int result = form->ShowModal();
    showAtStart_ = form->Get<ui::TCheckBox>("ShowAtStart")->Checked();
    WriteShowAtStart(showAtStart_);
    return result != 0;
}

// ---- TTipForm ------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TTipForm, ui::TForm) {}

TTipForm::TTipForm(classes::TComponent* owner)
    : TForm(owner), random_(static_cast<std::mt19937::result_type>(
                        std::chrono::system_clock::now().time_since_epoch().count()))
{
    RegisterHandler("FormShow", this, &TTipForm::FormShow);
    RegisterHandler("NextClick", this, &TTipForm::NextClick);
    LoadDescription("TipForm");
    Get<ui::TImage>("TipPicture")->SetSystemIcon(ui::siInformation);
}

void TTipForm::FormShow(classes::TObject*)
{
    if (tipList_.Count() == 0) tipList_.Add("No tips available !");
    Get<ui::TButton>("Next")->SetEnabled(tipList_.Count() > 1);
    ShowRandomTip();
}

void TTipForm::NextClick(classes::TObject*) { ShowRandomTip(); }

void TTipForm::ShowRandomTip()
{
    if (tipList_.Count() == 0) return;
    std::uniform_int_distribution<int> pick(0, tipList_.Count() - 1);
    tipIndex_ = pick(random_);
    Get<ui::TLabel>("TipText")->SetCaption(tipList_.Strings(tipIndex_));
}

void RegisterTipsClasses() { classes::RegisterClasses<TTips>(); }

}  // namespace app
