#pragma once
// The sample form holding every control kind (AllControls.gwf), with handlers that log
// what they were called for, shared by the headless and the window-system tests.

#include <ostream>
#include <string>
#include <vector>

#include "platform/rtl/Files.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

namespace ui {

inline void PrintTo(const TRect& r, std::ostream* os)
{
    *os << "{" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << "}";
}

inline void PrintTo(const TPoint& p, std::ostream* os) { *os << "(" << p.X << ", " << p.Y << ")"; }

}  // namespace ui

namespace uitest {

using classes::TObject;

class TAllControlsForm : public ui::TForm {
public:
    // `builtIn`: the description built into the test program (only test_ui has it), else
    // the file beside this header.
    explicit TAllControlsForm(classes::TComponent* owner, bool builtIn = false) : TForm(owner)
    {
        using F = TAllControlsForm;
        for (const char* name : NotifyHandlers()) {
            const std::string n = name;
            RegisterHandler(n, std::any(std::function<void(TObject*)>([this, n](TObject*) { log.push_back(n); })));
        }
        RegisterHandler("FormClose", this, &F::FormClose);
        RegisterHandler("FormCloseQuery", this, &F::FormCloseQuery);
        RegisterHandler("FormKeyDown", this, &F::FormKeyDown);
        RegisterHandler("PageControl1Changing", this, &F::PageControl1Changing);
        RegisterHandler("ListView1SelectItem", this, &F::ListView1SelectItem);
        RegisterHandler("ListView1MouseDown", this, &F::ListView1MouseDown);
        if (builtIn)
            LoadDescription("AllControls");
        else
            ReadDescription(rtl::ReadFileToString(GW_SOURCE_DIR "/tests/ui/AllControls.gwf"));
    }

    // The description's handlers of the plain notification kind.
    static const std::vector<const char*>& NotifyHandlers()
    {
        static const std::vector<const char*> names{
            "ListBox1Click",   "ListBox1DblClick", "PageControl1Change", "ButtonOKClick", "SpeedButton1Click",
            "CheckBox1Click",  "RadioClick",       "RadioGroup1Click",   "ComboListChange", "ComboEditChange",
            "Image1Click",     "Edit1Change",      "Edit1Enter",         "Edit1Exit",     "Memo1Change",
            "SpinEdit1Change", "tbCheckClick",     "mnuExitClick",       "popCopyClick",  "PopupMenu1Popup",
            "actOpenExecute",  "Timer1Timer",      "CheckListBox1ClickCheck", "ApplicationEvents1Hint",
            "FormCreate",      "FormShow",         "Splitter1Moved"};
        return names;
    }

    template <class T>
    T* C(const char* name) const
    {
        return Get<T>(name);
    }

    // Calls of the handlers, in order.
    std::vector<std::string> log;
    bool allowClose = true;
    bool allowPageChange = true;
    ui::TCloseAction closeAction = ui::caHide;
    std::vector<ui::TKey> keys;

    void FormClose(TObject*, ui::TCloseAction& action)
    {
        log.push_back("FormClose");
        action = closeAction;
    }
    void FormCloseQuery(TObject*, bool& canClose)
    {
        log.push_back("FormCloseQuery");
        canClose = allowClose;
    }
    void FormKeyDown(TObject*, ui::TKey& key, ui::TShiftState) { keys.push_back(key); }
    void PageControl1Changing(TObject*, bool& allow)
    {
        log.push_back("PageControl1Changing");
        allow = allowPageChange;
    }
    void ListView1SelectItem(TObject*, ui::TListItem* item, bool selected)
    {
        log.push_back("ListView1SelectItem " + item->Caption() + (selected ? " on" : " off"));
    }
    void ListView1MouseDown(TObject*, ui::TMouseButton, ui::TShiftState, int x, int y)
    {
        auto* view = C<ui::TListView>("ListView1");
        ui::TListItem* item = view->GetItemAt(x, y);
        log.push_back("ListView1MouseDown " + (item != nullptr ? item->Caption() : std::string("-")));
    }

    // Fills the list view with three rows.
    void FillListView()
    {
        auto* view = C<ui::TListView>("ListView1");
        for (const char* name : {"id", "name", "price"}) {
            ui::TListItem* item = view->Items()->Add();
            item->SetCaption(name);
            item->SubItems()->Add(std::string(name) + "-value");
        }
    }
};

}  // namespace uitest
