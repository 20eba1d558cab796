#include "designer/FParams.h"

#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/StdCtrls.h"

namespace designer {

TLinkParam SplitParamLine(const std::string& line)
{
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) return {line, {}};
    return {line.substr(0, eq), line.substr(eq + 1)};
}

std::string JoinParamLine(const TLinkParam& param) { return param.name + "=" + param.value; }

GW_IMPLEMENT_CLASS(TFrmParamValue, ui::TForm) {}
GW_IMPLEMENT_CLASS(TFrmParams, ui::TForm) {}

TFrmParamValue::TFrmParamValue(classes::TComponent* owner) : TForm(owner) { LoadDescription("FrmParamValue"); }

TFrmParams::TFrmParams(classes::TComponent* owner) : TForm(owner)
{
    RegisterHandler("lv_paramsClick", this, &TFrmParams::lv_paramsClick);
    RegisterHandler("cmd_addExecute", this, &TFrmParams::cmd_addExecute);
    RegisterHandler("cmd_modifyExecute", this, &TFrmParams::cmd_modifyExecute);
    RegisterHandler("cmd_removeExecute", this, &TFrmParams::cmd_removeExecute);
    RegisterHandler("cmd_clearExecute", this, &TFrmParams::cmd_clearExecute);
    RegisterHandler("cmd_moveupExecute", this, &TFrmParams::cmd_moveupExecute);
    RegisterHandler("cmd_movedownExecute", this, &TFrmParams::cmd_movedownExecute);
    LoadDescription("FrmParams");
    list_ = Get<ui::TListView>("lv_params");
    // A selection made with the keyboard changes the enabling too, not only a click.
    list_->OnSelectItem = [this](classes::TObject*, ui::TListItem*, bool) { UpdateParamActions(); };
}

void TFrmParams::SetParams(const std::vector<TLinkParam>& params)
{
    ui::TListItems* items = list_->Items();
    items->BeginUpdate();
    items->Clear();
    for (const TLinkParam& p : params) {
        ui::TListItem* item = items->Add();
        item->SetCaption(p.name);
        item->SubItems()->Add(p.value);
    }
    items->EndUpdate();
    UpdateParamActions();
}

std::vector<TLinkParam> TFrmParams::Params() const
{
    std::vector<TLinkParam> out;
    ui::TListItems* items = list_->Items();
    for (int i = 0; i < items->Count(); ++i) {
        ui::TListItem* item = items->Item(i);
        out.push_back({item->Caption(), item->SubItems()->Count() > 0 ? item->SubItems()->Strings(0) : std::string()});
    }
    return out;
}

void TFrmParams::SetParamLines(const std::vector<std::string>& lines)
{
    std::vector<TLinkParam> params;
    params.reserve(lines.size());
    for (const std::string& line : lines) params.push_back(SplitParamLine(line));
    SetParams(params);
}

std::vector<std::string> TFrmParams::ParamLines() const
{
    std::vector<std::string> out;
    for (const TLinkParam& p : Params()) out.push_back(JoinParamLine(p));
    return out;
}

void TFrmParams::UpdateParamActions()
{
    const int index = list_->Selected() != nullptr ? list_->Selected()->Index() : -1;
    const int last = list_->Items()->Count() - 1;
    const bool any = index >= 0;
    Get<ui::TAction>("cmd_moveup")->SetEnabled(any && index >= 1);
    Get<ui::TAction>("cmd_movedown")->SetEnabled(any && index < last);
    Get<ui::TAction>("cmd_modify")->SetEnabled(any);
    Get<ui::TAction>("cmd_remove")->SetEnabled(any);
}

void TFrmParams::lv_paramsClick(classes::TObject*) { UpdateParamActions(); }

bool TFrmParams::EditParam(const std::string& caption, TLinkParam& param)
{
    TFrmParamValue dialog(nullptr);
    dialog.SetCaption(caption);
    auto* values = dialog.Get<ui::TComboBox>("cb_value");
    values->Items()->Clear();
    for (const std::string& name : fieldNames_) values->Items()->Add("[" + name + "]");
    dialog.Get<ui::TEdit>("Ename")->SetText(param.name);
    values->SetText(param.value);
    if (dialog.ShowModal() != ui::mrOk) return false;
    param.name = dialog.Get<ui::TEdit>("Ename")->Text();
    param.value = values->Text();
    return true;
}

void TFrmParams::cmd_addExecute(classes::TObject*)
{
    TLinkParam param;
    if (!EditParam("Add Param", param)) return;
    ui::TListItem* item = list_->Items()->Add();
    item->SetCaption(param.name);
    item->SubItems()->Add(param.value);
    UpdateParamActions();
}

void TFrmParams::cmd_modifyExecute(classes::TObject*)
{
    ui::TListItem* item = list_->Selected();
    if (item == nullptr) return;
    TLinkParam param{item->Caption(), item->SubItems()->Count() > 0 ? item->SubItems()->Strings(0) : std::string()};
    if (!EditParam("Modify Param", param)) return;
    item->SetCaption(param.name);
    if (item->SubItems()->Count() > 0)
        item->SubItems()->Put(0, param.value);
    else
        item->SubItems()->Add(param.value);
    UpdateParamActions();
}

void TFrmParams::cmd_removeExecute(classes::TObject*)
{
    ui::TListItem* item = list_->Selected();
    if (item == nullptr) return;
    list_->Items()->Delete(item->Index());
    UpdateParamActions();
}

void TFrmParams::cmd_clearExecute(classes::TObject*)
{
    list_->Items()->Clear();
    UpdateParamActions();
}

void TFrmParams::Move(int delta)
{
    ui::TListItem* item = list_->Selected();
    if (item == nullptr) return;
    const int from = item->Index(), to = from + delta;
    if (to < 0 || to >= list_->Items()->Count()) return;
    list_->Items()->Exchange(from, to);
    list_->SetSelected(list_->Items()->Item(to));
    UpdateParamActions();
}

void TFrmParams::cmd_moveupExecute(classes::TObject*) { Move(-1); }
void TFrmParams::cmd_movedownExecute(classes::TObject*) { Move(+1); }

}  // namespace designer
