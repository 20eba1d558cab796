// The sample form read from its description, without any window: the state its
// description sets, the bound handlers, and input given to the controls directly.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "platform/classes/FormResources.h"
#include "platform/classes/Streaming.h"
#include "platform/ui/testing/TestDialogs.h"
#include "tests/ui/SampleForm.h"

namespace {

using namespace ui;
using uitest::TAllControlsForm;
using classes::TObject;

bool Logged(const TAllControlsForm& f, const std::string& entry)
{
    return std::find(f.log.begin(), f.log.end(), entry) != f.log.end();
}

class SampleFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Application().Reset();
        form = std::make_unique<TAllControlsForm>(nullptr);
        form->log.clear();
    }
    void TearDown() override
    {
        form.reset();
        Application().DoPostedCalls();
    }
    template <class T>
    T* C(const char* name)
    {
        return form->C<T>(name);
    }

    std::unique_ptr<TAllControlsForm> form;
};

TEST(SampleFormLoad, DescriptionSetsStateAndRunsOnlyOnCreate)
{
    TAllControlsForm form(nullptr);
    EXPECT_EQ(form.log, std::vector<std::string>{"FormCreate"});  // no control event fired while reading
    EXPECT_EQ(form.Caption(), "All controls");
    EXPECT_EQ(form.ClientWidth(), 640);
    EXPECT_EQ(form.ClientHeight(), 480);
    EXPECT_FALSE(form.Visible());

    EXPECT_EQ(form.C<TMenuItem>("mnuOpen")->Caption(), "&Open...");  // from the action
    EXPECT_EQ(form.C<TToolButton>("tbOpen")->Caption(), "&Open...");
    EXPECT_EQ(form.C<TToolButton>("tbOpen")->Hint(), "Open|Open a file");
    EXPECT_EQ(form.Menu(), form.C<TMainMenu>("MainMenu1"));
    EXPECT_EQ(form.Menu()->Items()->Count(), 1);
    EXPECT_EQ(form.Menu()->Items()->Items(0)->Count(), 3);
    EXPECT_TRUE(form.Menu()->Items()->Items(0)->Items(1)->IsLine());

    EXPECT_EQ(form.C<TMemo>("Memo1")->Text(), "one\r\ntwo");
    EXPECT_EQ(form.C<TSpinEdit>("SpinEdit1")->Value(), 5);
    EXPECT_EQ(form.C<TEdit>("EditPassword")->PasswordChar(), '*');
    EXPECT_EQ(form.C<TBitBtn>("BitBtn1")->Caption(), "Cancel");
    EXPECT_EQ(form.C<TBitBtn>("BitBtn1")->ModalResult(), mrCancel);
    EXPECT_TRUE(form.C<TBitBtn>("BitBtn1")->Cancel());
    EXPECT_TRUE(form.C<TRadioButton>("RadioText")->Checked());
    EXPECT_EQ(form.C<TRadioGroup>("RadioGroup1")->ItemIndex(), 0);

    auto* list = form.C<TComboBox>("ComboList");
    ASSERT_EQ(list->Items()->Count(), 3);
    EXPECT_EQ(list->Items()->Get(0), "apple");  // sorted
    EXPECT_EQ(list->Text(), "apple");
    EXPECT_EQ(form.C<TComboBox>("ComboEdit")->Text(), "_self");
    EXPECT_EQ(form.C<TComboBox>("ComboEdit")->ItemIndex(), -1);

    auto* image = form.C<TImage>("Image1");
    ASSERT_EQ(image->Picture()->Width(), 4);
    EXPECT_EQ(image->Picture()->Pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(image->Picture()->Pixel(1, 0), 0xFF00FF00u);
    auto* images = form.C<TImageList>("ImageList1");
    ASSERT_EQ(images->Count(), 2);  // a 4-pixel strip of 2-pixel images
    EXPECT_EQ(images->Image(1)[0], 0xFF0000FFu);

    auto* bar = form.C<TStatusBar>("StatusBar1");
    ASSERT_EQ(bar->Panels()->Count(), 2);
    EXPECT_EQ(bar->Panels()->Items(1)->Text(), "Ready");
    auto* view = form.C<TListView>("ListView1");
    ASSERT_EQ(view->Columns()->Count(), 2);
    EXPECT_EQ(view->Columns()->Items(0)->Caption(), "Name");
    EXPECT_EQ(view->Columns()->Items(0)->Width(), 120);
    EXPECT_EQ(form.C<TShape>("Shape1")->Brush()->Color(), rtl::clRed);
    EXPECT_FALSE(form.C<TTimer>("Timer1")->Enabled());
    EXPECT_EQ(form.C<TSaveDialog>("SaveDialog1")->Options(), (TOpenOptions{ofOverwritePrompt, ofHideReadOnly}));
}

TEST(SampleFormLoad, BuiltInDescriptionLoadsByName)
{
    TAllControlsForm form(nullptr, true);
    EXPECT_EQ(form.log, std::vector<std::string>{"FormCreate"});
    EXPECT_EQ(form.C<TComboBox>("ComboList")->Text(), "apple");

    // A description that is not built in, and a handler the form lacks, are errors.
    TForm other(nullptr);
    EXPECT_THROW(other.LoadDescription("NoSuchForm"), classes::EResNotFound);
    EXPECT_THROW(other.ReadDescription("object F: TForm\r\n  OnShow = Missing\r\nend\r\n"), classes::EReadError);
    EXPECT_THROW(other.ReadDescription("object F: TForm\r\n  Colour = clRed\r\nend\r\n"), classes::EReadError);
}

TEST_F(SampleFormTest, AlignedControlsShareTheClientArea)
{
    auto* cool = C<TCoolBar>("CoolBar1");
    EXPECT_EQ(cool->BoundsRect(), (TRect{0, 0, 640, 28}));  // as high as its tool bar
    EXPECT_EQ(C<TStatusBar>("StatusBar1")->BoundsRect(), (TRect{0, 461, 640, 480}));
    EXPECT_EQ(C<TPanel>("PanelLeft")->BoundsRect(), (TRect{0, 28, 120, 461}));
    EXPECT_EQ(C<TSplitter>("Splitter1")->BoundsRect(), (TRect{120, 28, 124, 461}));
    EXPECT_EQ(C<TPageControl>("PageControl1")->BoundsRect(), (TRect{124, 28, 640, 461}));
    EXPECT_EQ(C<TListBox>("ListBox1")->BoundsRect(), (TRect{0, 0, 120, 433}));

    // A wider window widens the client control only.
    form->SetClientWidth(700);
    EXPECT_EQ(C<TPageControl>("PageControl1")->BoundsRect(), (TRect{124, 28, 700, 461}));
    EXPECT_EQ(C<TPanel>("PanelLeft")->Width(), 120);

    // The pages, shown or not, fill the page control at every size it takes.
    auto* pages = C<TPageControl>("PageControl1");
    for (const TPoint size : {TPoint{900, 700}, TPoint{500, 300}}) {
        form->SetClientWidth(size.X);
        form->SetClientHeight(size.Y);
        const TRect display = pages->DisplayRect();
        EXPECT_EQ(display.Right, pages->Width() - TPageControl::kBorder);
        for (int i = 0; i < pages->PageCount(); ++i) {
            const TRect page = pages->Pages(i)->BoundsRect();
            EXPECT_EQ(page, display) << "page " << i << " at " << size.X << "x" << size.Y << ": " << page.Width()
                                     << "x" << page.Height();
        }
    }
}

TEST_F(SampleFormTest, ToolButtonsAreArrangedInOrder)
{
    auto* bar = C<TToolBar>("ToolBar1");
    ASSERT_EQ(bar->ButtonCount(), 4);
    EXPECT_EQ(C<TToolButton>("tbOpen")->Left(), 0);  // the first button
    EXPECT_EQ(C<TToolButton>("tbSep")->BoundsRect(), (TRect{48, 0, 56, 22}));  // ButtonHeight
    EXPECT_EQ(C<TToolButton>("tbMenu")->Left(), 56);
    EXPECT_EQ(C<TToolButton>("tbCheck")->Left(), 104);
}

TEST_F(SampleFormTest, PagesShowOneAtATimeAndHiddenTabsKeepTheirPage)
{
    auto* pc = C<TPageControl>("PageControl1");
    EXPECT_EQ(pc->ActivePage(), C<TTabSheet>("TabSheet1"));
    EXPECT_TRUE(C<TTabSheet>("TabSheet1")->Visible());
    EXPECT_FALSE(C<TTabSheet>("TabSheet2")->Visible());
    EXPECT_EQ(pc->VisibleTabCount(), 2);
    EXPECT_EQ(C<TTabSheet>("TabSheet3")->TabIndex(), -1);
    EXPECT_EQ(pc->PageOfTab(1), C<TTabSheet>("TabSheet2"));
    EXPECT_EQ(C<TTabSheet>("TabSheet2")->BoundsRect(), pc->DisplayRect());

    // The user's tab change asks OnChanging, then fires OnChange; a refusal keeps the page.
    form->allowPageChange = false;
    pc->SelectTabByUser(1);
    EXPECT_EQ(pc->ActivePageIndex(), 0);
    form->allowPageChange = true;
    pc->SelectTabByUser(1);
    EXPECT_EQ(pc->ActivePageIndex(), 1);
    EXPECT_EQ(form->log, (std::vector<std::string>{"PageControl1Changing", "PageControl1Changing", "PageControl1Change"}));

    // A program may show the page of a hidden tab; that fires nothing.
    form->log.clear();
    pc->SetActivePage(C<TTabSheet>("TabSheet3"));
    EXPECT_TRUE(C<TTabSheet>("TabSheet3")->Visible());
    EXPECT_FALSE(C<TTabSheet>("TabSheet2")->Visible());
    EXPECT_TRUE(form->log.empty());
}

TEST_F(SampleFormTest, ControlsFireTheirHandlers)
{
    C<TButton>("ButtonOK")->Click();
    C<TCheckBox>("CheckBox1")->Toggle();
    C<TRadioButton>("RadioImage")->Click();
    C<TRadioGroup>("RadioGroup1")->SetItemIndex(1);
    C<TComboBox>("ComboList")->SelectByUser(2);
    C<TEdit>("Edit1")->SetTextByUser("second");
    C<TListBox>("ListBox1")->SelectByUser(1);
    C<TCheckListBox>("CheckListBox1")->ToggleByUser(1);
    C<TImage>("Image1")->Click();
    EXPECT_EQ(form->log, (std::vector<std::string>{"ButtonOKClick", "CheckBox1Click", "RadioClick", "RadioGroup1Click",
                                                   "ComboListChange", "Edit1Change", "ListBox1Click",
                                                   "CheckListBox1ClickCheck", "Image1Click"}));
    EXPECT_TRUE(C<TCheckBox>("CheckBox1")->Checked());
    EXPECT_FALSE(C<TRadioButton>("RadioText")->Checked());
    EXPECT_TRUE(C<TRadioButton>("RadioImage")->Checked());
    EXPECT_EQ(C<TComboBox>("ComboList")->Text(), "pear");
    EXPECT_TRUE(C<TEdit>("Edit1")->Modified());
    EXPECT_EQ(C<TListBox>("ListBox1")->ItemIndex(), 1);
    EXPECT_TRUE(C<TCheckListBox>("CheckListBox1")->Checked(1));
}

TEST_F(SampleFormTest, ActionIsSharedByMenuItemAndToolButton)
{
    auto* action = C<TAction>("actOpen");
    auto* item = C<TMenuItem>("mnuOpen");
    auto* button = C<TToolButton>("tbOpen");
    item->Click();
    button->Click();
    EXPECT_EQ(form->log, (std::vector<std::string>{"actOpenExecute", "actOpenExecute"}));

    action->SetEnabled(false);
    action->SetCaption("&Load...");
    EXPECT_FALSE(item->Enabled());
    EXPECT_FALSE(button->Enabled());
    EXPECT_EQ(item->Caption(), "&Load...");
    EXPECT_EQ(button->Caption(), "&Load...");
    form->log.clear();
    item->Click();
    EXPECT_FALSE(action->Execute());
    EXPECT_TRUE(form->log.empty());

    // Freeing the action unlinks its clients.
    delete action;
    EXPECT_EQ(item->Action(), nullptr);
    EXPECT_EQ(button->Action(), nullptr);
}

TEST_F(SampleFormTest, ToolButtonsCheckAndDropTheirMenu)
{
    auto* check = C<TToolButton>("tbCheck");
    check->Click();
    EXPECT_TRUE(check->Down());
    check->Click();
    EXPECT_FALSE(check->Down());

    auto* menu = C<TPopupMenu>("PopupMenu1");
    form->log.clear();
    C<TToolButton>("tbMenu")->Click();
    EXPECT_EQ(form->log, std::vector<std::string>{"PopupMenu1Popup"});
    EXPECT_EQ(menu->PopupComponent(), C<TToolButton>("tbMenu"));
    // Dropped below the button.
    const TPoint below = C<TToolBar>("ToolBar1")->ClientToScreen({56, 22});
    EXPECT_EQ(menu->PopupPoint(), below);
}

TEST_F(SampleFormTest, SplitterResizesItsNeighbourWithinLimits)
{
    auto* splitter = C<TSplitter>("Splitter1");
    auto* left = C<TPanel>("PanelLeft");
    auto* pages = C<TPageControl>("PageControl1");
    EXPECT_EQ(splitter->ResizedControl(), left);
    splitter->MoveByUser(30);
    EXPECT_EQ(left->Width(), 150);
    EXPECT_EQ(splitter->Left(), 150);
    EXPECT_EQ(pages->Left(), 154);
    splitter->MoveByUser(-500);
    EXPECT_EQ(left->Width(), 60);  // MinSize
    splitter->MoveByUser(5000);
    EXPECT_EQ(pages->Width(), 60);  // the rest keeps MinSize too
    EXPECT_EQ(std::count(form->log.begin(), form->log.end(), "Splitter1Moved"), 3);
}

TEST_F(SampleFormTest, EnterAndEscapePressTheDefaultAndCancelButtons)
{
    form->log.clear();
    form->FocusChanged(C<TEdit>("Edit1"));
    EXPECT_TRUE(form->DialogKey(VK_RETURN));
    EXPECT_EQ(form->log.back(), "ButtonOKClick");
    EXPECT_TRUE(form->DialogKey(VK_ESCAPE));
    EXPECT_EQ(form->ModalResult(), mrCancel);
    // A memo takes Enter itself.
    form->FocusChanged(C<TMemo>("Memo1"));
    form->log.clear();
    EXPECT_FALSE(form->DialogKey(VK_RETURN));
    EXPECT_TRUE(form->log.empty());
}

TEST_F(SampleFormTest, FocusMovesFireEnterAndExitAndKeyPreviewSeesKeysFirst)
{
    auto* edit = C<TEdit>("Edit1");
    edit->SetFocus();
    EXPECT_EQ(form->ActiveControl(), edit);
    C<TMemo>("Memo1")->SetFocus();
    EXPECT_EQ(form->log, (std::vector<std::string>{"Edit1Enter", "Edit1Exit"}));

    TKey key = VK_F2;
    edit->KeyDown(key, {});
    EXPECT_EQ(form->keys, std::vector<TKey>{VK_F2});
}

TEST_F(SampleFormTest, CloseAsksAndFollowsTheCloseAction)
{
    form->Show();
    EXPECT_TRUE(form->Visible());
    EXPECT_TRUE(Logged(*form, "FormShow"));
    EXPECT_EQ(Screen().ActiveForm(), form.get());

    form->allowClose = false;
    form->Close();
    EXPECT_TRUE(form->Visible());
    form->allowClose = true;
    form->Close();
    EXPECT_FALSE(form->Visible());

    // caFree frees the form once the running handlers are done.
    form->Show();
    form->closeAction = caFree;
    bool freed = false;
    form->OnDestroy = [&](TObject*) { freed = true; };
    form->Close();
    EXPECT_FALSE(freed);
    form.release();  // the application frees it now
    Application().ProcessMessages();
    EXPECT_TRUE(freed);
}

TEST_F(SampleFormTest, ListViewHitTestsWithoutAWindow)
{
    form->FillListView();
    auto* view = C<TListView>("ListView1");
    const int row1 = TListView::kHeaderHeight + TListView::kRowHeight + 4;  // inside the second row
    EXPECT_EQ(view->GetHitTestInfoAt(5, row1), (THitTests{htOnItem, htOnStateIcon}));
    EXPECT_EQ(view->GetHitTestInfoAt(40, row1), (THitTests{htOnItem, htOnLabel}));
    EXPECT_EQ(view->GetHitTestInfoAt(150, row1), (THitTests{htOnItem, htOnLabel}));  // row select
    EXPECT_EQ(view->GetHitTestInfoAt(40, TListView::kHeaderHeight + 3 * TListView::kRowHeight + 2),
              THitTests{htNowhere});
    EXPECT_EQ(view->GetHitTestInfoAt(-1, row1), THitTests{htToLeft});
    EXPECT_EQ(view->GetItemAt(40, row1)->Caption(), "name");

    // Selecting one row of a single-selection view deselects the other, both reported.
    view->Items()->Item(0)->SetSelected(true);
    form->log.clear();
    view->SelectByUser({2}, 2);
    EXPECT_EQ(form->log, (std::vector<std::string>{"ListView1SelectItem id off", "ListView1SelectItem price on"}));
    EXPECT_EQ(view->ItemIndex(), 2);
    EXPECT_EQ(view->ItemFocused(), view->Items()->Item(2));

    view->SetViewStyle(vsIcon);
    EXPECT_EQ(view->GetItemAt(1, 1), view->Items()->Item(0));
    EXPECT_EQ(view->GetHitTestInfoAt(TListView::kIconCellWidth + 38, 10), (THitTests{htOnItem, htOnIcon}));
    EXPECT_EQ(view->GetHitTestInfoAt(TListView::kIconCellWidth + 38, 50), (THitTests{htOnItem, htOnLabel}));
}

TEST_F(SampleFormTest, ShowsModallyThroughTheDialogService)
{
    TScriptedDialogs dialogs;
    TDialogServiceScope scope(dialogs);
    dialogs.AnswerModal([](TCustomForm& f) {
        EXPECT_TRUE(f.Visible());
        EXPECT_TRUE(f.Modal());
        f.Get<TBitBtn>("BitBtn1")->Click();
        return mrNone;
    });
    EXPECT_EQ(form->ShowModal(), mrCancel);
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(form->Modal());
    ASSERT_EQ(dialogs.Asked().size(), 1u);
    EXPECT_EQ(dialogs.Asked()[0].formName, "AllControls");
    EXPECT_TRUE(dialogs.Unexpected().empty());

    // A form that will not close: the answer gives up rather than spin.
    form->allowClose = false;
    dialogs.AnswerModal([](TCustomForm&) { return mrOk; });
    EXPECT_THROW(form->ShowModal(), EInvalidOperation);
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(form->Modal());

    // Showing a visible form modally is refused.
    form->allowClose = true;
    form->Show();
    dialogs.AnswerModal([](TCustomForm&) { return mrOk; });
    EXPECT_THROW(form->ShowModal(), EInvalidOperation);
}

TEST_F(SampleFormTest, HintOfTheControlUnderTheMouseReachesTheApplication)
{
    Application().HintControl(C<TListBox>("ListBox1"));
    EXPECT_EQ(Application().Hint(), "Pick one of the names");
    EXPECT_TRUE(Logged(*form, "ApplicationEvents1Hint"));
    // A control without a hint shows its parent's.
    Application().HintControl(C<TLabel>("Label1"));
    EXPECT_EQ(Application().Hint(), "");
    Application().HintControl(C<TEdit>("Edit1"));
    EXPECT_EQ(Application().Hint(), "Your name");
    EXPECT_EQ(GetShortHint("Pick one|Pick one of the names"), "Pick one");
}

TEST_F(SampleFormTest, WritingTheFormReadsBackTheSame)
{
    const std::string text = classes::WriteComponentText(*form);
    TForm copy(nullptr);
    for (const char* handler : TAllControlsForm::NotifyHandlers())
        copy.RegisterHandler(handler, std::any(std::function<void(TObject*)>([](TObject*) {})));
    copy.RegisterHandler("FormClose", std::any(std::function<void(TObject*, TCloseAction&)>()));
    copy.RegisterHandler("FormCloseQuery", std::any(std::function<void(TObject*, bool&)>()));
    copy.RegisterHandler("FormKeyDown", std::any(std::function<void(TObject*, TKey&, TShiftState)>()));
    copy.RegisterHandler("PageControl1Changing", std::any(std::function<void(TObject*, bool&)>()));
    copy.RegisterHandler("ListView1SelectItem", std::any(std::function<void(TObject*, TListItem*, bool)>()));
    copy.RegisterHandler("ListView1MouseDown",
                         std::any(std::function<void(TObject*, TMouseButton, TShiftState, int, int)>()));
    copy.ReadDescription(text);
    EXPECT_EQ(classes::WriteComponentText(copy), text);
}

}  // namespace
