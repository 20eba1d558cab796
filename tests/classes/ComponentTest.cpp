#include <gtest/gtest.h>

#include "platform/classes/Collection.h"
#include "platform/classes/Component.h"
#include "tests/classes/TestComponents.h"

namespace classes::test {
namespace {

// Records what it is told.
class TWatcher : public TComponent {
    GW_CLASS(TWatcher)

public:
    using TComponent::TComponent;
    void Notification(TComponent* component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        events.emplace_back(component, operation);
    }
    std::vector<std::pair<TComponent*, TOperation>> events;
};

GW_IMPLEMENT_CLASS(TWatcher, TComponent) {}

// Counts destructions.
class TCounted : public TComponent {
    GW_CLASS(TCounted)

public:
    TCounted(TComponent* owner, int* deaths) : TComponent(owner), deaths_(deaths) {}
    ~TCounted() override { ++*deaths_; }

private:
    int* deaths_;
};

GW_IMPLEMENT_CLASS(TCounted, TComponent) {}

TEST(Component, OwnerFreesWhatItOwnsAndAFreedComponentLeavesItsOwner)
{
    int deaths = 0;
    auto* owner = new TComponent(nullptr);
    auto* a = new TCounted(owner, &deaths);
    auto* b = new TCounted(owner, &deaths);
    new TCounted(b, &deaths);  // owned by b, freed with it
    EXPECT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(owner->Components(1), b);
    delete a;
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(owner->ComponentCount(), 1);
    EXPECT_EQ(owner->Components(0), b);
    delete owner;
    EXPECT_EQ(deaths, 3);
}

TEST(Component, NamesAreIdentifiersUniqueWithinTheOwnerIgnoringCase)
{
    TComponent owner(nullptr);
    auto* a = new TComponent(&owner);
    auto* b = new TComponent(&owner);
    a->SetName("btnOk");
    EXPECT_EQ(owner.FindComponent("BTNOK"), a);
    EXPECT_EQ(owner.FindComponent<TComponent>("btnok"), a);
    EXPECT_EQ(owner.FindComponent("nothing"), nullptr);
    EXPECT_EQ(owner.FindComponent(""), nullptr);
    try {
        b->SetName("BtnOK");
        FAIL();
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.Message(), "A component named BtnOK already exists");
    }
    for (const char* bad : {"1abc", "a b", "a.b", "é", "a-b"}) {
        try {
            b->SetName(bad);
            FAIL() << bad;
        } catch (const EComponentError& e) {
            EXPECT_EQ(e.Message(), std::string("'") + bad + "' is not a valid component name");
        }
    }
    a->SetName("BTNOK");  // renaming itself in another case is fine
    b->SetName("_x1");
    b->SetName("");
    EXPECT_EQ(b->Name(), "");
    EXPECT_TRUE(IsValidIdent("_"));
    EXPECT_FALSE(IsValidIdent(""));
}

TEST(Component, InsertingMovesOwnershipAndIsAnnouncedToOwnedComponents)
{
    TWatcher first(nullptr);
    TWatcher second(nullptr);
    auto* watcherInSecond = new TWatcher(&second);
    watcherInSecond->events.clear();
    second.events.clear();
    auto* c = new TComponent(&first);
    c->SetName("moved");
    second.InsertComponent(c);
    EXPECT_EQ(c->Owner(), &second);
    EXPECT_EQ(first.ComponentCount(), 0);
    ASSERT_FALSE(first.events.empty());
    EXPECT_EQ(first.events.back(), std::make_pair(c, opRemove));
    EXPECT_EQ(second.events.back(), std::make_pair(c, opInsert));
    EXPECT_EQ(watcherInSecond->events.back(), std::make_pair(c, opInsert));
    // A name already taken in the new owner is refused.
    auto* clash = new TComponent(&first);
    clash->SetName("MOVED");
    EXPECT_THROW(second.InsertComponent(clash), EComponentError);
    EXPECT_EQ(clash->Owner(), &first);
}

TEST(Component, FreeNotificationReachesAcrossOwners)
{
    TTestForm formA(nullptr);
    TTestForm formB(nullptr);
    auto* label = new TTestControl(&formA);
    auto* buddy = new TTestControl(&formB);
    label->SetBuddy(buddy);
    delete buddy;
    EXPECT_EQ(label->Buddy(), nullptr);
    // And the other way round: freeing the one who asked leaves nothing dangling.
    auto* buddy2 = new TTestControl(&formB);
    auto* label2 = new TTestControl(&formA);
    label2->SetBuddy(buddy2);
    delete label2;
    delete buddy2;  // must not tell the freed label2
    SUCCEED();
}

TEST(Component, DesigningAndDestroyingStates)
{
    auto* owner = new TComponent(nullptr);
    auto* child = new TWatcher(owner);
    owner->SetDesigning(true);
    EXPECT_TRUE(child->ComponentState().Contains(csDesigning));
    owner->SetDesigning(false);
    EXPECT_FALSE(child->ComponentState().Contains(csDesigning));
    EXPECT_TRUE(owner->ComponentState().Empty());
    delete owner;
}

TEST(Collection, ItemsKeepOrderIdsAndReportChangesOncePerUpdate)
{
    TTestColumns columns(nullptr);
    auto* a = static_cast<TTestColumn*>(columns.Add());
    auto* b = static_cast<TTestColumn*>(columns.Add());
    auto* c = static_cast<TTestColumn*>(columns.Insert(0));
    EXPECT_EQ(columns.Count(), 3);
    EXPECT_EQ(columns.Items(0), c);
    EXPECT_EQ(a->Index(), 1);
    EXPECT_NE(a->ID(), b->ID());
    EXPECT_EQ(a->Collection(), &columns);
    EXPECT_EQ(a->GetOwner(), &columns);
    EXPECT_THROW(columns.Items(3), rtl::EListError);
    b->SetIndex(0);
    EXPECT_EQ(columns.Items(0), b);

    columns.updates = 0;
    columns.BeginUpdate();
    columns.Add();
    columns.Delete(0);
    EXPECT_EQ(columns.updates, 0);
    columns.EndUpdate();
    EXPECT_EQ(columns.updates, 1);

    const int deletedId = c->ID();
    delete c;  // an item freed alone leaves its collection
    EXPECT_EQ(columns.Count(), 2);
    for (int i = 0; i < columns.Count(); ++i) EXPECT_NE(columns.Items(i)->ID(), deletedId);
    columns.Clear();
    EXPECT_EQ(columns.Count(), 0);
}

TEST(Collection, AssignCopiesTheItems)
{
    TTestColumns source(nullptr);
    auto* col = static_cast<TTestColumn*>(source.Add());
    col->SetTitle("Name");
    col->SetWidth(120);
    col->Font()->SetColor(rtl::clRed);
    TTestColumns copy(nullptr);
    copy.Add();
    copy.Add();
    copy.Assign(source);
    ASSERT_EQ(copy.Count(), 1);
    EXPECT_EQ(copy.Column(0)->Title(), "Name");
    EXPECT_EQ(copy.Column(0)->Width(), 120);
    EXPECT_EQ(copy.Column(0)->Font()->Color(), rtl::clRed);
    TFont font;
    EXPECT_THROW(copy.Assign(font), rtl::EConvertError);
}

}  // namespace
}  // namespace classes::test
