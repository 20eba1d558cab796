#include <gtest/gtest.h>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/TypInfo.h"
#include "tests/classes/TestComponents.h"

namespace classes::test {
namespace {

// Re-publishes Color with another default: the property keeps its place.
class TTestPanel : public TTestControl {
    GW_CLASS(TTestPanel)

public:
    explicit TTestPanel(TComponent* owner) : TTestControl(owner) { SetColor(rtl::clWhite); }
};

GW_IMPLEMENT_CLASS(TTestPanel, TTestControl)
{
    p.Color("Color", &TTestPanel::Color, &TTestPanel::SetColor, rtl::clWhite);
    p.Event("OnClick", &TTestPanel::OnClick);  // an ancestor's event, published again
}

std::vector<std::string> Names(const TClassInfo& info)
{
    std::vector<std::string> names;
    for (const TPropInfo* p : info.Properties()) names.push_back(p->Name());
    return names;
}

TEST(TypInfo, PropertiesAreInPublishOrderInheritedFirst)
{
    const std::vector<std::string> expected{"Name", "Tag", "Left", "Small", "Caption", "Align", "Anchors",
                                            "Visible", "PasswordChar", "Ratio", "Color", "Value", "Items",
                                            "Font", "Options", "Columns", "Lines", "Buddy", "OnClick", "OnKey"};
    EXPECT_EQ(Names(TTestControl::StaticClassInfo()), expected);
    // A re-published property replaces the inherited one in place, with its own default.
    EXPECT_EQ(Names(TTestPanel::StaticClassInfo()), expected);
    const TPropInfo* color = TTestPanel::StaticClassInfo().FindProperty("color");
    ASSERT_NE(color, nullptr);
    EXPECT_TRUE(SamePropValue(*color->Default(), TPropValue(std::int64_t{rtl::clWhite})));
    EXPECT_TRUE(SamePropValue(*TTestControl::StaticClassInfo().FindProperty("Color")->Default(),
                              TPropValue(std::int64_t{rtl::clBtnFace})));
}

TEST(TypInfo, GetAndSetByNameIgnoringCaseAndThroughSubObjects)
{
    TTestControl c(nullptr);
    EXPECT_TRUE(SetPropValue(c, "left", TPropValue(std::int64_t{42})));
    EXPECT_EQ(c.Left(), 42);
    EXPECT_EQ(GetOrdProp(c, "LEFT"), 42);
    EXPECT_TRUE(SetPropValue(c, "Font.Color", TPropValue(std::int64_t{rtl::clRed})));
    EXPECT_EQ(c.Font()->Color(), rtl::clRed);
    EXPECT_TRUE(SetPropValue(c, "Options.Margin", TPropValue(std::int64_t{7})));
    EXPECT_EQ(c.Options()->Margin(), 7);
    EXPECT_TRUE(SetEnumProp(c, "Align", "alClient"));
    EXPECT_EQ(c.Align(), alClient);
    EXPECT_EQ(GetEnumProp(c, "Align"), "alClient");
    EXPECT_FALSE(SetEnumProp(c, "Align", "alNowhere"));
    c.SetCaption("hello");
    EXPECT_EQ(GetStrProp(c, "Caption"), "hello");
    EXPECT_EQ(GetStringsProp(c, "Items"), c.Items());
    EXPECT_EQ(GetObjectProp(c, "Font"), c.Font());
    EXPECT_TRUE(GetBoolProp(c, "Visible"));
}

TEST(TypInfo, MissingPropertiesAnswerNotFound)
{
    TTestControl c(nullptr);
    EXPECT_EQ(FindProperty(c, "PictureMasks"), nullptr);
    EXPECT_FALSE(GetPropValue(c, "PictureMasks").has_value());
    EXPECT_FALSE(SetPropValue(c, "PictureMasks", TPropValue(std::string("x"))));
    EXPECT_EQ(GetStringsProp(c, "ControlType"), nullptr);
    EXPECT_EQ(GetStrProp(c, "DatabaseName"), "");
    EXPECT_TRUE(GetBoolProp(c, "PictureMaskFromDataSet", true));
    EXPECT_FALSE(GetOrdProp(c, "Font.Nothing").has_value());
    EXPECT_FALSE(GetPropValue(c, "Left.Nothing").has_value());
    // Present but of another kind: the fallback.
    EXPECT_EQ(GetStringsProp(c, "Caption"), nullptr);
    EXPECT_EQ(GetStrProp(c, "Left", "fallback"), "fallback");
}

TEST(TypInfo, ValuesThatDoNotFitAreRefused)
{
    TTestControl c(nullptr);
    struct Case {
        const char* prop;
        TPropValue value;
    };
    const std::vector<Case> cases{
        {"Left", TPropValue(std::string("12"))},
        {"Left", TPropValue(std::int64_t{1} << 40)},
        {"Small", TPropValue(std::int64_t{70000})},
        {"Align", TPropValue(std::int64_t{6})},
        {"Align", TPropValue(std::int64_t{-1})},
        {"Anchors", TPropValue(TSetBits{1u << 4})},
        {"Visible", TPropValue(std::int64_t{1})},
        {"Color", TPropValue(std::int64_t{1} << 33)},
        {"OnClick", TPropValue(TEventValue{"Nothing", {}})},
        {"OnClick", TPropValue(TEventValue{"Wrong", std::any(std::function<void(TObject*, int&)>())})},
        {"Buddy", TPropValue(static_cast<TPersistent*>(c.Font()))},
    };
    for (const Case& k : cases) {
        EXPECT_THROW(SetPropValue(c, k.prop, k.value), EPropertyError) << k.prop;
    }
    EXPECT_EQ(c.Left(), 0);
}

TEST(TypInfo, EventsBindHandlersOfTheirOwnSignature)
{
    TTestControl c(nullptr);
    int fired = 0;
    const TPropValue handler = TEventValue{"Click", std::any(TNotifyEvent::Handler([&](TObject*) { ++fired; }))};
    EXPECT_TRUE(SetPropValue(c, "OnClick", handler));
    c.OnClick(&c);
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(std::get<TEventValue>(*GetPropValue(c, "OnClick")).name, "Click");
    EXPECT_TRUE(SetPropValue(c, "OnClick", TPropValue(TEventValue{})));
    EXPECT_FALSE(c.OnClick);
}

TEST(TypInfo, ClassesAreTestedAndCreatedByName)
{
    RegisterTestClasses();
    RegisterClasses<TTestPanel>();
    TTestPanel panel(nullptr);
    EXPECT_TRUE(panel.InheritsFrom("ttestcontrol"));
    EXPECT_TRUE(panel.InheritsFrom("TComponent"));
    EXPECT_TRUE(panel.InheritsFrom("TPersistent"));
    EXPECT_FALSE(panel.InheritsFrom("TTestForm"));
    EXPECT_TRUE(panel.InheritsFrom("TObject"));

    TTestForm owner(nullptr);
    TComponent* created = CreateComponent("TTESTPANEL", &owner);
    EXPECT_EQ(created->ClassName(), "TTestPanel");
    EXPECT_EQ(created->Owner(), &owner);
    EXPECT_EQ(dynamic_cast<TTestPanel*>(created)->Color(), rtl::clWhite);
    EXPECT_THROW(CreateComponent("TNoSuchThing", &owner), EClassNotFound);
    // Abstract and non-component classes cannot be created by name.
    RegisterClass(TFont::StaticClassInfo());
    EXPECT_THROW(CreateComponent("TFont", &owner), EClassNotFound);
    UnregisterClass(TFont::StaticClassInfo());
    EXPECT_EQ(FindClassInfo("TFont"), nullptr);
    UnregisterClass(TTestPanel::StaticClassInfo());
}

TEST(TypInfo, AClassNameIsRegisteredOnce)
{
    static const TClassInfo impostor = TClassInfo::Make<TTestControl>("TTestControl", &TComponent::StaticClassInfo(), nullptr);
    RegisterTestClasses();
    EXPECT_NO_THROW(RegisterTestClasses());
    EXPECT_THROW(RegisterClass(impostor), EComponentError);
}

}  // namespace
}  // namespace classes::test
