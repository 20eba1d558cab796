#include <gtest/gtest.h>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Streaming.h"
#include "tests/classes/TestComponents.h"

namespace classes::test {
namespace {

// A list whose items are design content: written even when empty.
class TTestList : public TTestControl {
    GW_CLASS(TTestList)

public:
    using TTestControl::TTestControl;
};

GW_IMPLEMENT_CLASS(TTestList, TTestControl) { p.Strings("Items", &TTestList::Items).AlwaysStored(); }

// A list that is a persistent object but leaves its items to the default "Strings".
class TPersistentList : public rtl::TStringList, public TPersistent {
    GW_CLASS(TPersistentList)
};

GW_IMPLEMENT_CLASS(TPersistentList, TPersistent) {}

class THolder : public TComponent {
    GW_CLASS(THolder)

public:
    using TComponent::TComponent;
    TPersistentList* Entries() const { return entries_.get(); }

private:
    std::unique_ptr<TPersistentList> entries_ = std::make_unique<TPersistentList>();
};

GW_IMPLEMENT_CLASS(THolder, TComponent) { p.Strings("Entries", &THolder::Entries); }

class Streaming : public ::testing::Test {
protected:
    void SetUp() override { RegisterTestClasses(); }
};

const char* const kFullControl =
    "object ctl: TTestControl\r\n"
    "  Left = -5\r\n"
    "  Small = 300\r\n"
    "  Caption = 'Hello ''you'''#13#10\r\n"
    "  Align = alClient\r\n"
    "  Anchors = [akRight]\r\n"
    "  Visible = False\r\n"
    "  PasswordChar = '*'\r\n"
    "  Ratio = 0.25\r\n"
    "  Color = clRed\r\n"
    "  Value = 0\r\n"
    "  Items.Strings = (\r\n"
    "    'one'\r\n"
    "    'end')\r\n"
    "  Font.Color = clBlue\r\n"
    "  Font.Style = [fsBold]\r\n"
    "  Options.Flat = True\r\n"
    "  Columns = <\r\n"
    "    item\r\n"
    "      Title = 'Id'\r\n"
    "      Width = 30\r\n"
    "      Font.Size = 12\r\n"
    "    end>\r\n"
    "  Lines.Strings = (\r\n"
    "    'x')\r\n"
    "  Buddy = other\r\n"
    "  OnClick = ButtonClick\r\n"
    "  OnKey = KeyPress\r\n"
    "  Data = {\r\n"
    "    0102FF}\r\n"
    "end\r\n";

TEST_F(Streaming, DefaultsAreNotWrittenExceptWhatIsAlwaysStored)
{
    TTestControl c(nullptr);
    c.SetName("ctl");
    EXPECT_EQ(WriteComponentText(c), "object ctl: TTestControl\r\n  Value = 0\r\nend\r\n");
    TTestList list(nullptr);
    EXPECT_EQ(WriteComponentText(list), "object TTestList\r\n  Value = 0\r\n  Items.Strings = ()\r\nend\r\n");
}

TEST_F(Streaming, EveryPropertyKindIsWrittenAndReadBack)
{
    TTestForm form(nullptr);
    auto* c = new TTestControl(&form);
    c->SetName("ctl");
    auto* other = new TTestControl(&form);
    other->SetName("other");
    c->SetLeft(-5);
    c->SetSmall(300);
    c->SetCaption("Hello 'you'\r\n");
    c->SetAlign(alClient);
    c->SetAnchors({akRight});
    c->SetVisible(false);
    c->SetPasswordChar(U'*');
    c->SetRatio(0.25);
    c->SetColor(rtl::clRed);
    c->Items()->Add("one");
    c->Items()->Add("end");
    c->Font()->SetColor(rtl::clBlue);
    c->Font()->SetStyle({fsBold});
    c->Options()->SetFlat(true);
    auto* col = static_cast<TTestColumn*>(c->Columns()->Add());
    col->SetTitle("Id");
    col->SetWidth(30);
    col->Font()->SetSize(12);
    c->Lines()->Add("x");
    c->SetBuddy(other);
    c->OnClick.Bind("ButtonClick", [](TObject*) {});
    c->OnKey.Bind("KeyPress", [](TObject*, int&) {});
    c->data = "\x01\x02\xFF";
    EXPECT_EQ(WriteComponentText(*c), kFullControl);

    // Read into a fresh control on another form: handlers and references are found there.
    TTestForm form2(nullptr);
    auto* other2 = new TTestControl(&form2);
    other2->SetName("other");
    auto* c2 = new TTestControl(&form2);
    ReadComponentText(*c2, kFullControl);
    EXPECT_EQ(c2->Name(), "ctl");
    EXPECT_EQ(c2->Left(), -5);
    EXPECT_EQ(c2->Small(), 300);
    EXPECT_EQ(c2->Caption(), "Hello 'you'\r\n");
    EXPECT_EQ(c2->Align(), alClient);
    EXPECT_EQ(c2->Anchors(), TAnchors{akRight});
    EXPECT_FALSE(c2->Visible());
    EXPECT_EQ(c2->PasswordChar(), U'*');
    EXPECT_EQ(c2->Ratio(), 0.25);
    EXPECT_EQ(c2->Color(), rtl::clRed);
    EXPECT_EQ(c2->Items()->Text(), "one\r\nend\r\n");
    EXPECT_EQ(c2->Font()->Color(), rtl::clBlue);
    EXPECT_EQ(c2->Font()->Style(), TFontStyles{fsBold});
    EXPECT_TRUE(c2->Options()->Flat());
    ASSERT_EQ(c2->Columns()->Count(), 1);
    EXPECT_EQ(c2->Columns()->Column(0)->Title(), "Id");
    EXPECT_EQ(c2->Columns()->Column(0)->Font()->Size(), 12);
    EXPECT_EQ(c2->Lines()->Text(), "x\r\n");
    EXPECT_EQ(c2->Buddy(), other2);
    EXPECT_EQ(c2->data, "\x01\x02\xFF");
    c2->OnClick(c2);
    ASSERT_EQ(form2.clicks.size(), 1u);
    EXPECT_EQ(form2.clicks[0], c2);
    int key = 13;
    c2->OnKey(c2, key);
    EXPECT_EQ(key, 0);
    EXPECT_EQ(c2->loadedCount, 1);
    EXPECT_TRUE(c2->wasLoadingInLoaded);
    EXPECT_TRUE(c2->ComponentState().Empty());
    EXPECT_EQ(WriteComponentText(*c2), kFullControl);
}

TEST_F(Streaming, AReferenceToAnotherFormsComponentIsQualifiedByItsOwner)
{
    TComponent application(nullptr);
    auto* dataModule = new TTestForm(&application);
    dataModule->SetName("dmMain");
    auto* source = new TTestControl(dataModule);
    source->SetName("dsQuery");
    auto* design = new TTestForm(&application);
    design->SetName("FrmDesign");
    auto* grid = new TTestControl(design);
    grid->SetName("grid");
    auto* sibling = new TTestControl(design);
    sibling->SetName("sibling");

    grid->SetBuddy(source);
    const std::string text = WriteComponentText(*grid);
    EXPECT_NE(text.find("  Buddy = dmMain.dsQuery\r\n"), std::string::npos);
    grid->SetBuddy(nullptr);
    ReadComponentText(*grid, text);
    EXPECT_EQ(grid->Buddy(), source);

    grid->SetBuddy(sibling);
    const std::string plain = WriteComponentText(*grid);
    EXPECT_NE(plain.find("  Buddy = sibling\r\n"), std::string::npos);
    grid->SetBuddy(nullptr);
    ReadComponentText(*grid, plain);
    EXPECT_EQ(grid->Buddy(), sibling);
}

TEST_F(Streaming, DefinedTextPropertyCutsLongLinesIntoPieces)
{
    TTestControl c(nullptr);
    const std::string longLine(300, 'a');
    c.Lines()->Add(longLine);
    c.Lines()->Add("");
    c.Lines()->Add("short");
    const std::string text = WriteComponentText(c);
    const TTextObject tree = ParseObjectText(text);
    ASSERT_EQ(tree.properties.size(), 2u);
    const TTextValue& pieces = tree.properties[1].value;
    EXPECT_EQ(tree.properties[1].name, "Lines.Strings");
    ASSERT_EQ(pieces.list.size(), 4u);
    EXPECT_EQ(pieces.list[0].text, std::string(254, 'a') + '\x05');
    EXPECT_EQ(pieces.list[1].text, std::string(46, 'a'));
    EXPECT_EQ(pieces.list[2].text, "");
    EXPECT_NE(text.find("'#5\r\n"), std::string::npos);  // the marker travels as a code
    TTestControl back(nullptr);
    ReadComponentText(back, text);
    EXPECT_EQ(back.Lines()->Text(), longLine + "\r\n\r\nshort\r\n");
}

TEST_F(Streaming, APersistentListWithoutItsOwnStringsUsesTheDefault)
{
    THolder h(nullptr);
    h.Entries()->Add("a");
    h.Entries()->Add("b");
    const std::string text = WriteComponentText(h);
    EXPECT_EQ(text, "object THolder\r\n  Entries.Strings = (\r\n    'a'\r\n    'b')\r\nend\r\n");
    THolder back(nullptr);
    ReadComponentText(back, text);
    EXPECT_EQ(back.Entries()->Text(), "a\r\nb\r\n");
}

TEST_F(Streaming, BinaryPropertyKeepsEveryByte)
{
    TTestControl c(nullptr);
    for (int i = 0; i < 256; ++i) c.data += static_cast<char>(i);
    const std::string text = WriteComponentText(c);
    TTestControl back(nullptr);
    ReadComponentText(back, text);
    EXPECT_EQ(back.data, c.data);
}

TEST_F(Streaming, ChildrenAreNestedAndCreatedByClassName)
{
    TTestForm form(nullptr);
    form.SetName("FrmMain");
    auto* panel = new TTestControl(&form);
    panel->SetName("pnl");
    panel->SetParent(&form);
    auto* label = new TTestControl(&form);
    label->SetName("lbl");
    label->SetParent(panel);
    auto* button = new TTestControl(&form);
    button->SetName("btnOk");
    button->SetParent(panel);
    button->OnClick.Bind("ButtonClick", [](TObject*) {});
    label->SetBuddy(button);  // a reference to a component written after it
    auto* list = new TTestList(&form);
    list->SetName("lst");
    list->SetParent(&form);
    const std::string text = WriteComponentText(form);
    EXPECT_EQ(text,
              "object FrmMain: TTestForm\r\n"
              "  object pnl: TTestControl\r\n"
              "    Value = 0\r\n"
              "    object lbl: TTestControl\r\n"
              "      Value = 0\r\n"
              "      Buddy = btnOk\r\n"
              "    end\r\n"
              "    object btnOk: TTestControl\r\n"
              "      Value = 0\r\n"
              "      OnClick = ButtonClick\r\n"
              "    end\r\n"
              "  end\r\n"
              "  object lst: TTestList\r\n"
              "    Value = 0\r\n"
              "    Items.Strings = ()\r\n"
              "  end\r\n"
              "end\r\n");

    RegisterClasses<TTestList>();
    TTestForm copy(nullptr);
    ReadComponentText(copy, text);
    EXPECT_EQ(copy.Name(), "FrmMain");
    ASSERT_EQ(copy.ComponentCount(), 4);
    auto* pnl = copy.FindComponent<TTestControl>("pnl");
    auto* lbl = copy.FindComponent<TTestControl>("lbl");
    auto* btn = copy.FindComponent<TTestControl>("btnOk");
    ASSERT_TRUE(pnl && lbl && btn);
    EXPECT_NE(copy.FindComponent<TTestList>("lst"), nullptr);
    EXPECT_EQ(pnl->Parent(), &copy);
    EXPECT_EQ(lbl->Parent(), pnl);
    EXPECT_EQ(btn->Parent(), pnl);
    EXPECT_EQ(lbl->Buddy(), btn);
    btn->OnClick(btn);
    EXPECT_EQ(copy.clicks, std::vector<TObject*>{btn});
    for (TTestControl* c : {pnl, lbl, btn}) {
        EXPECT_EQ(c->loadedCount, 1);
        EXPECT_TRUE(c->wasLoadingInLoaded);
        EXPECT_TRUE(c->ComponentState().Empty());
    }
    EXPECT_EQ(WriteComponentText(copy), text);
    UnregisterClass(TTestList::StaticClassInfo());
}

TEST_F(Streaming, ReadingSetsOnlyTheNamedPropertiesAndReusesExistingChildren)
{
    TTestForm form(nullptr);
    auto* existing = new TTestControl(&form);
    existing->SetName("edName");
    existing->SetCaption("keep");
    existing->SetLeft(5);
    ReadComponentText(form,
                      "object F: TTestForm\r\n"
                      "  object edName: TTestControl\r\n"
                      "    Left = 7\r\n"
                      "  end\r\n"
                      "end\r\n");
    EXPECT_EQ(form.ComponentCount(), 1);
    EXPECT_EQ(existing->Left(), 7);
    EXPECT_EQ(existing->Caption(), "keep");
    EXPECT_EQ(existing->Parent(), &form);
}

TEST_F(Streaming, ColoursAreReadAsNamesOrThirtyTwoBitPatterns)
{
    TTestControl c(nullptr);
    for (const char* text : {"clWindow", "CLWINDOW", "2147483653", "-2147483643", "$80000005"}) {
        c.SetColor(rtl::clBlack);
        ReadComponentText(c, std::string("object T\r\n  Color = ") + text + "\r\nend\r\n");
        EXPECT_EQ(c.Color(), rtl::clWindow) << text;
    }
    ReadComponentText(c, "object T\r\n  Color = 255\r\nend\r\n");
    EXPECT_EQ(c.Color(), rtl::clRed);
    c.SetColor(0x123456);
    EXPECT_NE(WriteComponentText(c).find("  Color = 1193046\r\n"), std::string::npos);
}

TEST_F(Streaming, UnknownPropertiesAreSkippedUnlessStrict)
{
    const std::string text =
        "object T\r\n  Bogus = 1\r\n  Font.Bogus = 'x'\r\n  Left.Sub = 1\r\n  Left = 3\r\n  Columns = <\r\n"
        "    item\r\n      Nothing = 2\r\n      Width = 9\r\n    end>\r\nend\r\n";
    TTestControl c(nullptr);
    ReadComponentText(c, text);
    EXPECT_EQ(c.Left(), 3);
    ASSERT_EQ(c.Columns()->Count(), 1);
    EXPECT_EQ(c.Columns()->Column(0)->Width(), 9);

    TReadOptions strict;
    strict.strict = true;
    try {
        TTestControl d(nullptr);
        ReadComponentText(d, text, strict);
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Property Bogus does not exist on line 2");
    }
    try {
        TTestControl d(nullptr);
        ReadComponentText(d, "object T\r\n  Font.Bogus = 'x'\r\nend\r\n", strict);
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Property Font.Bogus does not exist on line 2");
    }
}

TEST_F(Streaming, ValuesThatDoNotFitAreErrorsNamingTheLine)
{
    struct Case {
        std::string line;
        std::string reason;
    };
    const std::vector<Case> cases{
        {"Left = 'x'", "Invalid value for property Left"},
        {"Left = 1.5", "Invalid value for property Left"},
        {"Align = alBogus", "Invalid value for property Align"},
        {"Visible = 1", "Invalid value for property Visible"},
        {"Anchors = [akFoo]", "Invalid value for property Anchors"},
        {"Small = 70000", "Value 70000 is out of range for property Small"},
        {"Color = clNotAColour", "Invalid value for property Color"},
        {"Color = 4294967296", "Invalid value for property Color"},
        {"PasswordChar = 'ab'", "Invalid value for property PasswordChar"},
        {"Ratio = 'x'", "Invalid value for property Ratio"},
        {"Columns = 1", "Invalid value for property Columns"},
        {"Font = 1", "Invalid value for property Font"},
        {"Items = ('a')", "Invalid value for property Items"},
        {"Items.Strings = 'a'", "List expected"},
        {"Items.Strings = ('a' 1)", "String expected"},
        {"Lines.Strings = (1)", "String expected"},
        {"Data = 'abc'", "Binary value expected"},
        {"OnClick = NoSuchHandler", "Event handler NoSuchHandler not found"},
        {"OnKey = ButtonClick", "Handler ButtonClick does not fit event OnKey"},
        {"OnClick = 'ButtonClick'", "Invalid value for property OnClick"},
        {"Buddy = nobody", "Component nobody not found"},
        {"Buddy = 5", "Invalid value for property Buddy"},
        {"Buddy = F", "Property Buddy needs a TTestControl"},
        {"Name = '1x'", "'1x' is not a valid component name"},
    };
    for (const Case& c : cases) {
        TTestForm form(nullptr);
        form.SetName("F");
        auto* ctl = new TTestControl(&form);
        try {
            ReadComponentText(*ctl, "object ctl: TTestControl\r\n  Tag = 1\r\n  " + c.line + "\r\nend\r\n");
            ADD_FAILURE() << "no error for " << c.line;
        } catch (const EReadError& e) {
            EXPECT_EQ(e.Line(), 3) << c.line;
            EXPECT_EQ(e.Reason(), c.reason) << c.line;
        }
        EXPECT_TRUE(ctl->ComponentState().Empty()) << c.line;
        EXPECT_EQ(ctl->loadedCount, 0) << c.line;
    }
}

TEST_F(Streaming, AFailedReadFreesWhatItCreated)
{
    struct Case {
        std::string text;
        int line;
        std::string reason;
    };
    const std::vector<Case> cases{
        {"object F: TTestForm\r\n  object a: TTestControl\r\n  end\r\n  object b: TNoSuchClass\r\n  end\r\nend\r\n", 4,
         "Class TNoSuchClass not found"},
        {"object F: TTestForm\r\n  object a: TTestControl\r\n    object b: TFont\r\n    end\r\n  end\r\nend\r\n", 3,
         "Class TFont not found"},
        {"object F: TTestForm\r\n  object a: TTestControl\r\n  end\r\n  object A: TTestControl\r\n  end\r\nend\r\n", 4,
         "A component named A already exists"},
        {"object F: TTestForm\r\n  object a: TTestControl\r\n    Width = 'x'\r\n    Left = 'x'\r\n  end\r\nend\r\n", 4,
         "Invalid value for property Left"},
        {"object F: TTestForm\r\n  object a: TTestControl\r\n    Buddy = b\r\n  end\r\nend\r\n", 3,
         "Component b not found"},
        {"object F: TTestForm\r\n  object a: TTestControl\r\n    Columns = <\r\n      item\r\n        Width = 'x'\r\n"
         "      end>\r\n  end\r\nend\r\n",
         5, "Invalid value for property Width"},
        {"object F: TTestForm\r\n  object a: TTestControl\r\n  end\r\n", 4, "'end' expected but end of text found"},
    };
    for (const Case& c : cases) {
        TTestForm form(nullptr);
        auto* keep = new TTestControl(&form);
        keep->SetName("keep");
        try {
            ReadComponentText(form, c.text);
            ADD_FAILURE() << "no error for " << c.text;
        } catch (const EReadError& e) {
            EXPECT_EQ(e.Line(), c.line) << c.text;
            EXPECT_EQ(e.Reason(), c.reason) << c.text;
        }
        EXPECT_EQ(form.ComponentCount(), 1) << c.text;
        EXPECT_EQ(form.Components(0), keep);
        EXPECT_TRUE(form.ComponentState().Empty());
        EXPECT_TRUE(keep->ComponentState().Empty());
    }
}

TEST_F(Streaming, AReadFromTextDoesNotRenameANamedComponent)
{
    TTestForm form(nullptr);
    auto* c = new TTestControl(&form);
    c->SetName("mine");
    ReadComponentText(*c, "object other: TTestControl\r\n  Left = 1\r\nend\r\n");
    EXPECT_EQ(c->Name(), "mine");
    EXPECT_EQ(c->Left(), 1);
}

}  // namespace
}  // namespace classes::test
