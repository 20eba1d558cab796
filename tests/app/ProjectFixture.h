#pragma once
// A window holding the seventy components a project file stores, named and classed as the
// design window's, whose form values differ from anything a test saves: the project reader
// and writer without the whole design window (tests and the project-file fuzz target).

#include <string>

#include "app/ProjectFile.h"
#include "editor/TextMemo.h"
#include "editor/TextMemoStrings.h"
#include "platform/classes/Font.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

namespace apptest {

class TDesignFixture : public ui::TForm {
public:
    TDesignFixture() : TForm(nullptr)
    {
        SetName("FrmDesign");
        for (const app::TProjectComponent& part : app::ProjectComponents()) {
            const std::string& n = part.name;
            classes::TComponent* c = nullptr;
            if (n == "mm_sql" || n == "mmHTMLHeader" || n == "mmHTMLFooter") {
                auto* memo = new editor::TTextMemo(this);
                memo->Lines()->SetText("form text");
                c = memo;
            } else if (n == "cb_header" || n == "cb_footer" || n == "cbxTemplate" || n == "HTMLDefaultFont") {
                auto* combo = new ui::TComboBox(this);
                combo->Items()->SetText("form item\r\n");
                c = combo;
            } else if (n.ends_with("Panel") || n.starts_with("ColHead") || n.starts_with("Row") || n.starts_with("oddRow")) {
                auto* panel = new ui::TPanel(this);
                panel->SetColor(rtl::clTeal);
                c = panel;
            } else if (n.starts_with("lbHTML") || n.starts_with("Head") || n.starts_with("Data")) {
                auto* label = new ui::TLabel(this);
                label->Font()->SetColor(rtl::clTeal);
                c = label;
            } else if (n == "HTMLDefaultFontSize" || n.starts_with("seHTML")) {
                auto* spin = new ui::TSpinEdit(this);
                spin->SetMaxValue(1000);
                spin->SetValue(5);
                c = spin;
            } else if (n.starts_with("edHTML")) {
                auto* edit = new ui::TEdit(this);
                edit->SetText("form text");
                c = edit;
            } else if (n == "cbHTMLMaxRecords") {
                auto* check = new ui::TCheckBox(this);
                check->SetChecked(true);
                c = check;
            } else if (n == "FieldList" || n == "ShowModeList" || n == "ShowDataList" || n == "PrefixList" ||
                       n == "SuffixList") {
                c = new ui::TCheckListBox(this);
            } else {
                auto* list = new ui::TListBox(this);
                list->Items()->SetText("form item\r\n");
                c = list;
            }
            c->SetName(n);
        }
    }
    template <class T>
    T* C(const std::string& name) const
    {
        return Get<T>(name);
    }
};

}  // namespace apptest
