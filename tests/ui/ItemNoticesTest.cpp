// The notices a list control sends to the window that shows its items (one per inserted,
// removed or changed item, one for a whole update), and setters that find their value
// unchanged: no notice, no work for the window.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/ItemStrings.h"
#include "platform/ui/Menus.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/StdCtrls.h"

namespace {

using namespace ui;

// Writes every notice down as a word.
class TRecorder : public IItemObserver {
public:
    std::vector<std::string> log;
    void ItemInserted(int index) override { log.push_back("insert " + std::to_string(index)); }
    void ItemRemoved(int index) override { log.push_back("remove " + std::to_string(index)); }
    void ItemsChanged(int first, int last) override
    {
        log.push_back("change " + std::to_string(first) + (first == last ? "" : ".." + std::to_string(last)));
    }
    void ItemsReset() override { log.push_back("reset"); }
};

using Log = std::vector<std::string>;

TEST(ItemNotices, ItemStringsTellEachItemOnceAndNothingForAnUnchangedValue)
{
    TItemStrings items;
    TRecorder r;
    items.Notifier().Attach(&r);
    int changes = 0;
    items.OnChange = [&] { ++changes; };

    items.Add("a");
    items.Add("b");
    items.Insert(1, "x");
    EXPECT_EQ(r.log, (Log{"insert 0", "insert 1", "insert 1"}));
    r.log.clear();

    items.Put(2, "B");
    items.Put(2, "B");  // unchanged
    items.SetChecked(0, false);  // unchanged
    items.SetChecked(0, true);
    items.SetSelected(1, false);  // unchanged
    items.Exchange(0, 2);
    items.Delete(1);
    EXPECT_EQ(r.log, (Log{"change 2", "change 0", "change 0", "change 2", "remove 1"}));
    EXPECT_EQ(changes, 3 + 4);

    // Inside an update: contents only, one notice over the rows touched; anything else, a reset.
    r.log.clear();
    items.BeginUpdate();
    items.SetSelected(1, true);
    items.SetSelected(0, true);
    items.EndUpdate();
    items.BeginUpdate();
    items.EndUpdate();  // nothing changed: nothing to tell
    items.BeginUpdate();
    items.Put(0, "y");
    items.Add("z");
    items.EndUpdate();
    items.SetSorted(true);
    items.Clear();
    EXPECT_EQ(r.log, (Log{"change 0..1", "reset", "reset", "reset"}));

    items.Notifier().Detach(&r);
    items.Add("after");
    EXPECT_EQ(r.log.size(), 4u);
}

TEST(ItemNotices, ListViewItemsTellTheirRowAndKeepTheirIndex)
{
    TListView view(nullptr);
    TRecorder r;
    view.Items()->Notifier().Attach(&r);
    for (const char* caption : {"a", "b", "c"}) view.Items()->Add()->SetCaption(caption);
    EXPECT_EQ(r.log, (Log{"insert 0", "change 0", "insert 1", "change 1", "insert 2", "change 2"}));
    r.log.clear();

    TListItem* c = view.Items()->Item(2);
    view.Items()->Insert(0)->SetCaption("first");
    EXPECT_EQ(c->Index(), 3);
    c->SetCaption("c");  // unchanged
    c->SetCaption("C");
    c->SetChecked(true);
    c->SetImageIndex(-1);  // unchanged
    c->SubItems()->Add("sub");
    view.Items()->Delete(1);
    EXPECT_EQ(c->Index(), 2);
    view.Items()->Exchange(0, 2);
    EXPECT_EQ(c->Index(), 0);
    EXPECT_EQ(r.log, (Log{"insert 0", "change 0", "change 3", "change 3", "change 3", "remove 1", "change 0",
                          "change 2"}));

    r.log.clear();
    view.Items()->BeginUpdate();
    view.Items()->Item(1)->SetCaption("one");
    view.Items()->Item(2)->SetCaption("two");
    view.Items()->EndUpdate();
    view.Items()->BeginUpdate();
    view.Items()->Add();
    view.Items()->EndUpdate();
    view.Items()->Clear();
    EXPECT_EQ(r.log, (Log{"change 1..2", "reset", "reset"}));
    view.Items()->Notifier().Detach(&r);
}

// ---- Setters and the window --------------------------------------------------------------

// A window system whose peers count the changes they are told of.
class TCountingPeer : public IControlPeer {
public:
    explicit TCountingPeer(int& count) : count_(count) {}
    void Changed() override { ++count_; }

private:
    int& count_;
};

class TCountingWindowSystem : public IWindowSystem {
public:
    std::map<const TControl*, int> changes;

    std::unique_ptr<IControlPeer> CreatePeer(TControl& control) override
    {
        return std::make_unique<TCountingPeer>(changes[&control]);
    }
    void HandleMessage() override {}
    void ProcessMessages() override {}
    void Wake() override {}
    void Popup(TPopupMenu&, int, int) override {}
    void UpdateTimer(TTimer&) override {}
    void SetCursor(TCursor) override {}
    std::vector<std::string> FontNames() override { return {}; }
    TRect WorkArea() override { return {0, 0, 1024, 768}; }
    IMessageQueue& MessageQueue() override { return HeadlessPostQueue(); }
};

class UnchangedSetters : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous = SetWindowSystem(&system);
        form = std::make_unique<TForm>(nullptr);
    }
    void TearDown() override
    {
        form.reset();
        SetWindowSystem(previous);
    }
    template <class C>
    C* Add()
    {
        auto* c = new C(form.get());
        c->SetParent(form.get());
        return c;
    }

    TCountingWindowSystem system;
    IWindowSystem* previous = nullptr;
    std::unique_ptr<TForm> form;
};

TEST_F(UnchangedSetters, TellTheWindowNothing)
{
    auto* label = Add<TLabel>();
    auto* panel = Add<TPanel>();
    auto* edit = Add<TEdit>();
    auto* memo = Add<TMemo>();
    auto* spin = Add<TSpinEdit>();
    auto* button = Add<TButton>();
    auto* check = Add<TCheckBox>();
    auto* radios = Add<TRadioGroup>();
    auto* list = Add<TListBox>();
    auto* combo = Add<TComboBox>();
    auto* view = Add<TListView>();
    auto* pages = Add<TPageControl>();
    auto* status = Add<TStatusBar>();
    auto* image = Add<TImage>();
    auto* shape = Add<TShape>();
    auto* scroll = Add<TScrollBox>();
    list->Items()->SetCommaText("a,b,c");
    combo->Items()->SetCommaText("a,b,c");
    combo->SetItemIndex(1);
    view->Columns()->Add()->SetCaption("Name");
    form->Show();

    struct Case {
        const char* name;
        TControl* control;
        std::function<void()> same;
        std::function<void()> other;
    };
    const std::vector<Case> cases = {
        {"TLabel::SetAlignment", label, [&] { label->SetAlignment(label->Alignment()); }, [&] { label->SetAlignment(taCenter); }},
        {"TLabel::SetWordWrap", label, [&] { label->SetWordWrap(label->WordWrap()); }, [&] { label->SetWordWrap(!label->WordWrap()); }},
        {"TControl::SetParentShowHint", label, [&] { label->SetParentShowHint(true); }, [&] { label->SetParentShowHint(false); }},
        {"TControl::SetShowHint", label, [&] { label->SetShowHint(label->ShowHint()); }, [&] { label->SetShowHint(!label->ShowHint()); }},
        {"TPanel::SetAlignment", panel, [&] { panel->SetAlignment(panel->Alignment()); }, [&] { panel->SetAlignment(taRightJustify); }},
        {"TCustomEdit::SetReadOnly", edit, [&] { edit->SetReadOnly(edit->ReadOnly()); }, [&] { edit->SetReadOnly(!edit->ReadOnly()); }},
        {"TCustomEdit::SetMaxLength", edit, [&] { edit->SetMaxLength(-5); edit->SetMaxLength(0); }, [&] { edit->SetMaxLength(9); }},
        {"TEdit::SetPasswordChar", edit, [&] { edit->SetPasswordChar(edit->PasswordChar()); }, [&] { edit->SetPasswordChar('*'); }},
        {"TMemo::SetWordWrap", memo, [&] { memo->SetWordWrap(memo->WordWrap()); }, [&] { memo->SetWordWrap(!memo->WordWrap()); }},
        {"TMemo::SetScrollBars", memo, [&] { memo->SetScrollBars(memo->ScrollBars()); }, [&] { memo->SetScrollBars(ssBoth); }},
        {"TSpinEdit::SetMaxValue", spin, [&] { spin->SetMaxValue(spin->MaxValue()); }, [&] { spin->SetMaxValue(spin->MaxValue() + 1); }},
        {"TButton::SetDefault", button, [&] { button->SetDefault(button->Default()); }, [&] { button->SetDefault(!button->Default()); }},
        {"TCheckBox::SetAlignment", check, [&] { check->SetAlignment(check->Alignment()); }, [&] { check->SetAlignment(taLeftJustify); }},
        {"TRadioGroup::SetColumns", radios, [&] { radios->SetColumns(0); radios->SetColumns(1); }, [&] { radios->SetColumns(2); }},
        {"TListBox::SetItemHeight", list, [&] { list->SetItemHeight(list->ItemHeight()); }, [&] { list->SetItemHeight(20); }},
        {"TListBox::SetMultiSelect", list, [&] { list->SetMultiSelect(list->MultiSelect()); }, [&] { list->SetMultiSelect(!list->MultiSelect()); }},
        {"TListBox::Items::Put", list, [&] { list->Items()->Put(1, "b"); }, [&] { list->Items()->Put(1, "B"); }},
        {"TComboBox::SetItemIndex", combo, [&] { combo->SetItemIndex(1); }, [&] { combo->SetItemIndex(2); }},
        {"TComboBox::SetStyle", combo, [&] { combo->SetStyle(combo->Style()); }, [&] { combo->SetStyle(csDropDownList); }},
        {"TListView::SetCheckboxes", view, [&] { view->SetCheckboxes(view->Checkboxes()); }, [&] { view->SetCheckboxes(!view->Checkboxes()); }},
        {"TListView::SetRowSelect", view, [&] { view->SetRowSelect(view->RowSelect()); }, [&] { view->SetRowSelect(!view->RowSelect()); }},
        {"TListColumn::SetCaption", view, [&] { view->Columns()->Items(0)->SetCaption("Name"); }, [&] { view->Columns()->Items(0)->SetCaption("Size"); }},
        {"TListColumn::SetWidth", view, [&] { view->Columns()->Items(0)->SetWidth(view->Columns()->Items(0)->Width()); }, [&] { view->Columns()->Items(0)->SetWidth(77); }},
        {"TPageControl::SetTabWidth", pages, [&] { pages->SetTabWidth(pages->TabWidth()); }, [&] { pages->SetTabWidth(pages->TabWidth() + 5); }},
        {"TStatusBar::SetSimpleText", status, [&] { status->SetSimpleText(status->SimpleText()); }, [&] { status->SetSimpleText("busy"); }},
        {"TStatusBar::SetSizeGrip", status, [&] { status->SetSizeGrip(status->SizeGrip()); }, [&] { status->SetSizeGrip(!status->SizeGrip()); }},
        {"TImage::SetStretch", image, [&] { image->SetStretch(image->Stretch()); }, [&] { image->SetStretch(!image->Stretch()); }},
        {"TShape::SetShape", shape, [&] { shape->SetShape(shape->Shape()); }, [&] { shape->SetShape(stCircle); }},
        {"TScrollBox::SetAutoScroll", scroll, [&] { scroll->SetAutoScroll(scroll->AutoScroll()); }, [&] { scroll->SetAutoScroll(!scroll->AutoScroll()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.control->HandleAllocated());
        const int before = system.changes[c.control];
        c.same();
        EXPECT_EQ(system.changes[c.control], before);
        c.other();
        EXPECT_GT(system.changes[c.control], before);  // the window does hear of a real change
    }
}

TEST(UnchangedMenuSetters, TellTheMenuNothing)
{
    TMainMenu menu(nullptr);
    auto* item = new TMenuItem(&menu);
    menu.Items()->Add(item);
    int changes = 0;
    menu.OnChanged = [&](TMenuItem*, bool) { ++changes; };
    item->SetShortCut(item->ShortCut());
    item->SetDefault(item->Default());
    item->SetRadioItem(item->RadioItem());
    item->SetImageIndex(item->ImageIndex());
    item->SetCaption(item->Caption());
    item->SetChecked(item->Checked());
    menu.SetImages(menu.Images());
    EXPECT_EQ(changes, 0);
    item->SetShortCut(item->ShortCut() + 1);
    item->SetDefault(!item->Default());
    EXPECT_EQ(changes, 2);
}

TEST_F(UnchangedSetters, AListViewItemChangeReachesItsRowNotTheWholeView)
{
    auto* view = Add<TListView>();
    for (int i = 0; i < 3; ++i) view->Items()->Add()->SetCaption(std::to_string(i));
    form->Show();
    TRecorder r;
    view->Items()->Notifier().Attach(&r);
    const int before = system.changes[view];
    view->Items()->Item(1)->SetCaption("one");
    view->Items()->Item(1)->SetChecked(true);
    EXPECT_EQ(system.changes[view], before);
    EXPECT_EQ(r.log, (Log{"change 1", "change 1"}));
    view->Items()->Notifier().Detach(&r);
}

}  // namespace
