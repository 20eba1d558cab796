#include <gtest/gtest.h>

#include "platform/classes/FormResources.h"
#include "tests/classes/TestComponents.h"

// The descriptions of tests/classes/forms are built into this test program.

namespace classes::test {
namespace {

TEST(FormResources, ABuiltInDescriptionCreatesTheFormsComponentsAndBindsItsHandlers)
{
    RegisterTestClasses();
    ASSERT_TRUE(FindFormDescription("TESTDIALOG").has_value());
    TTestForm form(nullptr);
    LoadFormDescription(form, "TestDialog");
    EXPECT_EQ(form.Name(), "DlgTest");
    EXPECT_EQ(form.Tag(), 3);
    auto* panel = form.FindComponent<TTestControl>("pnlButtons");
    auto* ok = form.FindComponent<TTestControl>("btnOk");
    ASSERT_TRUE(panel && ok);
    EXPECT_EQ(panel->Align(), alBottom);
    EXPECT_EQ(ok->Parent(), panel);
    EXPECT_EQ(ok->Caption(), "OK \xE2\x9C\x93");
    ok->OnClick(ok);
    EXPECT_EQ(form.clicks, std::vector<TObject*>{ok});
}

TEST(FormResources, MissingDescriptionsHandlersAndPropertiesAreClearErrors)
{
    RegisterTestClasses();
    TTestForm form(nullptr);
    try {
        LoadFormDescription(form, "NoSuchForm");
        FAIL();
    } catch (const EResNotFound& e) {
        EXPECT_EQ(e.Message(), "Resource NoSuchForm not found");
    }
    try {
        LoadFormDescription(form, "BadHandler");
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Event handler btnOkClick not found on line 4");
    }
    try {
        LoadFormDescription(form, "Typo");
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Property Captoin does not exist on line 3");
    }
    EXPECT_EQ(form.ComponentCount(), 0);
}

}  // namespace
}  // namespace classes::test
