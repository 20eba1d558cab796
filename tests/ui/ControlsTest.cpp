// Controls built in code, without any window: the rules of their state and events.

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/classes/Filer.h"
#include "platform/classes/Streaming.h"
#include "platform/rtl/Files.h"
#include "platform/ui/testing/TestDialogs.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"
#include "tests/ui/SampleForm.h"

namespace {

using namespace ui;
using classes::TObject;

struct Fixture : ::testing::Test {
    TForm form{nullptr};
    std::vector<std::string> log;
    auto Logger(std::string what)
    {
        return [this, what](TObject*) { log.push_back(what); };
    }
    template <class T>
    T* Make(TWinControl* parent = nullptr)
    {
        auto* c = new T(&form);
        c->SetParent(parent != nullptr ? parent : &form);
        return c;
    }
};

using ControlsTest = Fixture;

TEST_F(ControlsTest, ComboBoxProgramChangesAreSilentUserChoicesAreNot)
{
    auto* combo = Make<TComboBox>();
    combo->Items()->SetCommaText("Default,Left,Center,Right");
    combo->OnChange = Logger("change");
    combo->SetItemIndex(2);
    EXPECT_EQ(combo->Text(), "Center");
    combo->SetText("Right");
    EXPECT_EQ(combo->ItemIndex(), 3);
    combo->SetText("right");  // free text: only an exact match selects
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_TRUE(log.empty());

    combo->SelectByUser(1);
    combo->SetTextByUser("Lef");
    EXPECT_EQ(log, (std::vector<std::string>{"change", "change"}));
    combo->OnSelect = Logger("select");
    combo->SelectByUser(0);
    EXPECT_EQ(log.back(), "select");  // OnSelect instead of OnChange

    // A drop-down list takes an item's text only.
    combo->SetStyle(csDropDownList);
    combo->SetText("CENTER");
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(combo->Text(), "Center");
    combo->SetText("Nowhere");
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(combo->Text(), "");
    // Losing the chosen item clears the choice.
    combo->SetItemIndex(3);
    combo->Items()->Delete(3);
    EXPECT_EQ(combo->ItemIndex(), -1);
}

TEST_F(ControlsTest, CheckBoxAndRadioButtonsFireOnEveryChange)
{
    auto* box = Make<TCheckBox>();
    box->OnClick = Logger("box");
    box->SetChecked(true);  // a program's change clicks too
    box->SetChecked(true);
    box->SetAllowGrayed(true);
    box->Toggle();
    EXPECT_EQ(box->State(), cbGrayed);
    box->Toggle();
    EXPECT_EQ(box->State(), cbUnchecked);
    EXPECT_EQ(log.size(), 3u);

    auto* group = Make<TGroupBox>();
    auto* a = Make<TRadioButton>(group);
    auto* b = Make<TRadioButton>(group);
    auto* elsewhere = Make<TRadioButton>();
    a->OnClick = Logger("a");
    b->OnClick = Logger("b");
    log.clear();
    elsewhere->SetChecked(true);
    a->SetChecked(true);
    b->Click();
    EXPECT_FALSE(a->Checked());
    EXPECT_TRUE(b->Checked());
    EXPECT_TRUE(elsewhere->Checked());  // another parent, another group
    b->SetChecked(false);  // unchecking fires nothing
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b"}));
}

TEST_F(ControlsTest, EditsMemoAndSpinEdit)
{
    auto* edit = Make<TEdit>();
    edit->OnChange = Logger("edit");
    edit->SetText("x");
    edit->SetText("x");
    EXPECT_EQ(log.size(), 1u);  // every change of the text, a program's too
    EXPECT_FALSE(edit->Modified());

    auto* memo = Make<TMemo>();
    memo->Lines()->Add("a");
    memo->Lines()->Add("b");
    EXPECT_EQ(memo->Text(), "a\r\nb");
    memo->SetText("one\ntwo\r\nthree");
    EXPECT_EQ(memo->Lines()->Count(), 3);
    EXPECT_EQ(memo->Lines()->Get(2), "three");

    auto* spin = Make<TSpinEdit>();
    spin->SetMinValue(1);
    spin->SetMaxValue(1000);
    spin->SetValue(5000);
    EXPECT_EQ(spin->Value(), 1000);
    spin->SetTextByUser("abc");
    EXPECT_EQ(spin->Value(), 1);  // unreadable text counts as the minimum
    spin->SetTextByUser(" 42 ");
    EXPECT_EQ(spin->Value(), 42);
}

TEST_F(ControlsTest, ListBoxSelectionFollowsItsItems)
{
    auto* list = Make<TListBox>();
    list->SetBounds(0, 0, 100, 80);
    list->Items()->SetCommaText("c,a,b");
    list->SetItemIndex(2);
    list->SetSorted(true);
    EXPECT_EQ(list->Items()->CommaText(), "a,b,c");
    EXPECT_TRUE(list->Selected(list->ItemIndex()));

    EXPECT_EQ(list->ItemAtPos({5, 0}, true), 0);
    EXPECT_EQ(list->ItemAtPos({5, 2 * list->ItemHeight() + 1}, true), 2);
    EXPECT_EQ(list->ItemAtPos({5, 3 * list->ItemHeight() + 1}, true), -1);
    EXPECT_EQ(list->ItemAtPos({5, 3 * list->ItemHeight() + 1}, false), 3);
    EXPECT_EQ(list->ItemRect(1), (TRect{0, list->ItemHeight(), 100, 2 * list->ItemHeight()}));

    list->SetMultiSelect(true);
    list->OnClick = Logger("click");
    list->SelectByUser(0, {0, 2});
    EXPECT_EQ(list->SelCount(), 2);
    EXPECT_TRUE(list->Selected(2));
    // Flags stay with their items.
    list->SetSorted(false);
    list->Items()->Insert(0, "first");
    EXPECT_TRUE(list->Selected(1));
    EXPECT_TRUE(list->Selected(3));
    EXPECT_FALSE(list->Selected(2));
    EXPECT_EQ(log, std::vector<std::string>{"click"});
}

TEST_F(ControlsTest, AnchorsStretchAndMoveWithTheParent)
{
    auto* panel = Make<TPanel>();
    panel->SetBounds(0, 0, 200, 100);
    auto* stretch = Make<TEdit>(panel);
    stretch->SetBounds(10, 10, 100, 20);
    stretch->SetAnchors(TAnchors{akLeft, akTop, akRight});
    auto* corner = Make<TButton>(panel);
    corner->SetBounds(120, 70, 75, 25);
    corner->SetAnchors(TAnchors{akRight, akBottom});
    auto* fixed = Make<TLabel>(panel);
    fixed->SetBounds(10, 70, 30, 13);
    panel->SetBounds(0, 0, 260, 130);
    EXPECT_EQ(stretch->BoundsRect(), (TRect{10, 10, 170, 30}));
    EXPECT_EQ(corner->BoundsRect(), (TRect{180, 100, 255, 125}));
    EXPECT_EQ(fixed->BoundsRect(), (TRect{10, 70, 40, 83}));
}

TEST_F(ControlsTest, PanelBordersNarrowTheAlignedArea)
{
    auto* panel = Make<TPanel>();
    panel->SetBounds(0, 0, 100, 50);
    panel->SetBevelOuter(bvRaised);
    panel->SetBorderWidth(3);
    auto* inner = Make<TMemo>(panel);
    inner->SetAlign(alClient);
    EXPECT_EQ(inner->BoundsRect(), (TRect{4, 4, 96, 46}));
    inner->SetVisible(false);
    auto* top = Make<TLabel>(panel);
    top->SetHeight(10);
    top->SetAlign(alTop);
    inner->SetVisible(true);
    EXPECT_EQ(inner->BoundsRect(), (TRect{4, 14, 96, 46}));
}

TEST_F(ControlsTest, FontAndColourFollowTheParentUntilSet)
{
    form.Font()->SetSize(11);
    auto* panel = Make<TPanel>();
    auto* label = Make<TLabel>(panel);
    EXPECT_EQ(label->Font()->Size(), 11);
    panel->Font()->SetStyle(classes::TFontStyles{classes::fsBold});
    EXPECT_FALSE(panel->ParentFont());
    EXPECT_TRUE(label->Font()->Style().Contains(classes::fsBold));
    label->Font()->SetColor(rtl::clRed);
    EXPECT_FALSE(label->ParentFont());
    panel->Font()->SetSize(20);
    EXPECT_EQ(label->Font()->Size(), 11);  // its own font now

    panel->SetColor(rtl::clYellow);
    EXPECT_EQ(label->Color(), rtl::clYellow);  // labels take their parent's colour
    label->SetColor(rtl::clWhite);
    panel->SetColor(rtl::clGreen);
    EXPECT_EQ(label->Color(), rtl::clWhite);
}

TEST_F(ControlsTest, ColourTakenFromTheParentIsNotStored)
{
    auto* panel = Make<TPanel>();
    panel->SetColor(rtl::clYellow);
    auto* follows = Make<TLabel>(panel);
    auto* own = Make<TLabel>(panel);
    own->SetColor(rtl::clWhite);
    EXPECT_EQ(classes::WriteComponentText(*follows).find("Color"), std::string::npos);
    const std::string text = classes::WriteComponentText(*own);
    EXPECT_NE(text.find("Color = clWhite"), std::string::npos) << text;
    EXPECT_NE(text.find("ParentColor = False"), std::string::npos) << text;

    // Read back into a fresh label, the first keeps following its panel.
    auto* reread = Make<TLabel>(panel);
    classes::ReadComponentText(*reread, classes::WriteComponentText(*follows));
    panel->SetColor(rtl::clGreen);
    EXPECT_TRUE(reread->ParentColor());
    EXPECT_EQ(reread->Color(), rtl::clGreen);
}

TEST_F(ControlsTest, MenusClickAndFindItems)
{
    auto* menu = new TPopupMenu(&form);
    auto* a = new TMenuItem(&form);
    a->SetCaption("&Add...");
    a->OnClick = Logger("add");
    auto* b = new TMenuItem(&form);
    b->SetCaption("De&lete");
    b->SetEnabled(false);
    b->OnClick = Logger("delete");
    menu->Items()->Add(a);
    menu->Items()->Add(b);
    EXPECT_EQ(menu->Items()->Find("add..."), a);
    EXPECT_EQ(a->GetParentMenu(), menu);
    a->Click();
    b->Click();  // disabled: nothing
    EXPECT_EQ(log, std::vector<std::string>{"add"});
    delete b;
    EXPECT_EQ(menu->Items()->Count(), 1);

    std::vector<std::pair<TMenuItem*, bool>> changes;
    menu->OnChanged = [&](TMenuItem* item, bool structure) { changes.emplace_back(item, structure); };
    a->SetEnabled(false);
    auto* c = new TMenuItem(&form);
    menu->Items()->Add(c);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0], std::make_pair(a, false));
    EXPECT_EQ(changes[1], std::make_pair(menu->Items(), true));
    menu->OnChanged = nullptr;

    auto* button = Make<TButton>();
    button->SetPopupMenu(menu);
    button->ContextPopup(3, 4);
    EXPECT_EQ(menu->PopupComponent(), button);
    EXPECT_EQ(menu->PopupPoint(), button->ClientToScreen({3, 4}));
}

TEST(ShortCuts, TextAndBack)
{
    EXPECT_EQ(ShortCutToText(scCtrl | 'S'), "Ctrl+S");
    EXPECT_EQ(ShortCutToText(scShift | scCtrl | VK_F2), "Shift+Ctrl+F2");
    EXPECT_EQ(ShortCutToText(VK_DELETE), "Del");
    EXPECT_EQ(TextToShortCut("Ctrl+S"), scCtrl | 'S');
    EXPECT_EQ(TextToShortCut("alt+f4"), scAlt | VK_F4);
    EXPECT_EQ(TextToShortCut("Hyper+X"), 0);
    EXPECT_EQ(StripHotkey("Save &As && Close"), "Save As & Close");
}

TEST_F(ControlsTest, TimerTicksThroughTheApplicationsExceptionHandling)
{
    TScriptedDialogs dialogs;
    TDialogServiceScope scope(dialogs);
    auto* timer = new TTimer(&form);
    int ticks = 0;
    timer->OnTimer = [&](TObject*) {
        if (++ticks == 2) throw rtl::Exception("Tick failed");
    };
    timer->Timer();
    timer->Timer();
    EXPECT_EQ(ticks, 2);
    ASSERT_EQ(dialogs.Asked().size(), 1u);
    EXPECT_EQ(dialogs.Asked()[0].message.text, "Tick failed.");
}

TEST_F(ControlsTest, ImageListCutsAStripAndStoresItAsOnePicture)
{
    TImageList images(nullptr);
    images.SetWidth(2);
    images.SetHeight(1);
    images.AddPixels({0xFF000001u, 0xFF000002u});
    images.AddPixels({0xFF000003u, 0xFF000004u});
    const std::string text = classes::WriteComponentText(images);
    TImageList copy(nullptr);
    classes::ReadComponentText(copy, text);
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.Image(1), (std::vector<std::uint32_t>{0xFF000003u, 0xFF000004u}));
    EXPECT_THROW(images.AddPixels({1, 2, 3}), rtl::Exception);
    EXPECT_THROW(images.Image(2), rtl::EListError);
}

TEST(Pictures, JpegThroughLibjpegAndBmpPngThroughTheImageReader)
{
    // A smooth 16 x 8 gradient survives JPEG closely.
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            pixels.push_back(0xFF000000u | static_cast<std::uint32_t>(x * 16) << 16 | static_cast<std::uint32_t>(y * 32) << 8 | 0x80u);
    const std::string jpeg = EncodeJpeg(16, 8, pixels, 95);
    EXPECT_EQ(SniffPictureFormat(jpeg), TPictureFormat::Jpeg);
    TPicture picture;
    picture.LoadFromBytes(jpeg);
    ASSERT_EQ(picture.Width(), 16);
    ASSERT_EQ(picture.Height(), 8);
    const std::uint32_t p = picture.Pixel(8, 4);
    EXPECT_NEAR(static_cast<int>((p >> 16) & 0xFF), 128, 12);
    EXPECT_NEAR(static_cast<int>((p >> 8) & 0xFF), 128, 12);

    // A broken JPEG, a truncated one and an unknown format leave the picture as it was.
    for (const std::string& bad : {std::string("\xFF\xD8\xFF\xE0garbage", 11), jpeg.substr(0, jpeg.size() / 3),
                                   std::string("GIF89a")}) {
        EXPECT_THROW(picture.LoadFromBytes(bad), EInvalidGraphic);
        EXPECT_EQ(picture.Width(), 16);
    }

    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "gw_ui_pictures";
    std::filesystem::create_directories(dir);
    rtl::WriteStringToFile((dir / "Style.jpg").string(), jpeg);
    TPicture fromFile;
    fromFile.LoadFromFile((dir / "Style.jpg").string());
    EXPECT_EQ(fromFile.Format(), TPictureFormat::Jpeg);
    EXPECT_THROW(fromFile.LoadFromFile((dir / "missing.jpg").string()), rtl::Exception);
    std::filesystem::remove_all(dir);

    // The sample form's BMP.
    uitest::TAllControlsForm form(nullptr);
    const TPicture* bmp = form.C<TImage>("Image1")->Picture();
    EXPECT_EQ(bmp->Format(), TPictureFormat::Bmp);
    TImageList list(nullptr);
    list.SetWidth(4);
    list.SetHeight(4);
    list.Add(*bmp);
    // The image list stores itself as one PNG picture.
    struct Grab : classes::TFiler {
        std::string bytes;
        void DefineProperty(std::string_view, const std::function<void(classes::TReader&)>&,
                            const std::function<void(classes::TWriter&)>&, bool) override
        {
        }
        void DefineBinaryProperty(std::string_view, const std::function<void(std::string_view)>&,
                                  const std::function<std::string()>& write, bool) override
        {
            bytes = write();
        }
    } grab;
    list.DefineProperties(grab);
    TPicture png;
    png.LoadFromBytes(grab.bytes);
    EXPECT_EQ(png.Format(), TPictureFormat::Png);
    EXPECT_EQ(png.Pixel(3, 3), bmp->Pixel(3, 3));
}

TEST(ImageDestination, StretchProportionalAndCenter)
{
    TImage image(nullptr);
    image.SetBounds(0, 0, 100, 50);
    std::vector<std::uint32_t> pixels(20 * 20, 0xFF000000u);
    TPicture src;
    src.LoadFromBytes(EncodeJpeg(20, 20, pixels));
    image.Picture()->Assign(src);
    EXPECT_EQ(image.DestRect(), (TRect{0, 0, 20, 20}));
    image.SetCenter(true);
    EXPECT_EQ(image.DestRect(), (TRect{40, 15, 60, 35}));
    image.SetStretch(true);
    EXPECT_EQ(image.DestRect(), (TRect{0, 0, 100, 50}));
    image.SetProportional(true);
    EXPECT_EQ(image.DestRect(), (TRect{25, 0, 75, 50}));
}

}  // namespace

namespace {

using namespace ui;

TEST(MdiForms, ChildrenLiveInsideTheFrame)
{
    Application().Reset();
    TForm frame(nullptr);
    frame.SetFormStyle(fsMDIForm);

    auto* orphan = new TForm(nullptr);
    orphan->SetFormStyle(fsMDIChild);
    EXPECT_THROW(orphan->DoCreate(), EInvalidOperation);  // no frame to live in
    EXPECT_FALSE(orphan->Visible());
    delete orphan;

    Application().SetMainForm(&frame);
    frame.Show();
    auto* child = new TForm(nullptr);
    child->SetFormStyle(fsMDIChild);
    child->SetWindowState(wsMaximized);
    child->DoCreate();  // a child shows itself once created
    EXPECT_TRUE(child->Visible());
    EXPECT_EQ(frame.MDIChildCount(), 1);
    EXPECT_EQ(frame.ActiveMDIChild(), child);

    // The frame asks its children before it closes.
    bool childAsked = false;
    child->OnCloseQuery = [&](classes::TObject*, bool& canClose) {
        childAsked = true;
        canClose = false;
    };
    frame.Close();
    EXPECT_TRUE(childAsked);
    EXPECT_FALSE(Application().Terminated());
    child->OnCloseQuery.Clear();

    // A child closes minimised unless its OnClose frees it.
    child->Close();
    EXPECT_EQ(child->WindowState(), wsMinimized);
    bool freed = false;
    child->OnClose = [](classes::TObject*, TCloseAction& action) { action = caFree; };
    child->OnDestroy = [&](classes::TObject*) { freed = true; };
    child->Close();
    Application().ProcessMessages();
    EXPECT_TRUE(freed);
    EXPECT_EQ(frame.MDIChildCount(), 0);

    // Closing the main form ends the application.
    frame.Close();
    EXPECT_TRUE(Application().Terminated());
    EXPECT_FALSE(frame.Visible());
    Application().Reset();
}

}  // namespace
