// Components: ownership, removal notices and the loading sequence.
#include <algorithm>
#include <string>
#include <vector>

#include "framework/component.h"
#include "framework/strings.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

std::vector<std::string> g_log;

class TLogged : public TComponent {
    QUORVANE_CLASS(TLogged)
public:
    TLogged(TComponent* owner, std::string name) : TComponent(owner) { SetName(name); }
    ~TLogged() override { g_log.push_back("free " + Name()); }
    void Notification(TComponent* component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        if (operation == opRemove) {
            g_log.push_back(Name() + " hears " + component->Name() + " go");
            if (component == partner) partner = nullptr;
        }
    }
    TComponent* partner = nullptr;
    bool wasLoading = false;

protected:
    void Loaded() override
    {
        wasLoading = true;
        g_log.push_back("loaded " + Name());
    }
};

const TClassInfo& TLogged::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TLogged", &TComponent::StaticClass());
    return info;
}

TEST(Components, OwnerFreesOwnedNewestFirstAndSiblingsHear)
{
    g_log.clear();
    auto* owner = new TLogged(nullptr, "owner");
    auto* a = new TLogged(owner, "a");
    auto* b = new TLogged(owner, "b");
    a->partner = b;
    EXPECT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(owner->FindComponent("B"), b);
    EXPECT_EQ(b->ComponentIndex(), 1);
    Free(owner);
    // b goes first; a and the owner hear of it; a forgets its partner.
    const std::vector<std::string> expected = {"a hears b go", "owner hears b go", "free b", "owner hears a go",
                                               "free a", "free owner"};
    EXPECT_EQ(g_log, expected);
}

TEST(Components, FreeingOneRemovesItFromItsOwnerAndNotifiesWatchers)
{
    g_log.clear();
    TLogged owner(nullptr, "owner");
    auto* a = new TLogged(&owner, "a");
    TLogged watcher(nullptr, "watcher");
    a->FreeNotification(&watcher);
    watcher.partner = a;
    Free(a);
    EXPECT_EQ(owner.ComponentCount(), 0);
    EXPECT_EQ(watcher.partner, nullptr);
    EXPECT_NE(std::find(g_log.begin(), g_log.end(), "watcher hears a go"), g_log.end());
}

TEST(Components, MovingOwnershipAndPlainDelete)
{
    TLogged first(nullptr, "first");
    TLogged second(nullptr, "second");
    auto* child = new TLogged(&first, "child");
    second.InsertComponent(child);
    EXPECT_EQ(first.ComponentCount(), 0);
    EXPECT_EQ(child->Owner(), &second);
    delete child;  // also fine without Free
    EXPECT_EQ(second.ComponentCount(), 0);
}

TEST(Components, LoadingEndsWithLoadedOnOwnerThenOwnedInCreationOrder)
{
    g_log.clear();
    TLogged form(nullptr, "form");
    form.BeginLoading();
    auto* x = new TLogged(&form, "x");
    auto* y = new TLogged(&form, "y");
    EXPECT_TRUE(x->IsLoading());
    EXPECT_TRUE(y->IsLoading());
    form.EndLoading();
    EXPECT_FALSE(x->IsLoading());
    const std::vector<std::string> expected = {"loaded form", "loaded x", "loaded y"};
    EXPECT_EQ(g_log, expected);
    // Components made later are not loading and get no Loaded.
    auto* z = new TLogged(&form, "z");
    EXPECT_FALSE(z->IsLoading());
    g_log.clear();
}

TEST(StringLists, SortedInsertKeepsObjectsAndLinesSplit)
{
    TStringList list;
    list.SetSorted(true);
    int objects[3];
    list.AddObject("beta", &objects[1]);
    list.AddObject("Alpha", &objects[0]);
    list.AddObject("gamma", &objects[2]);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list[0], "Alpha");
    EXPECT_EQ(list.Objects(0), &objects[0]);
    EXPECT_EQ(list.Objects(2), &objects[2]);
    EXPECT_EQ(list.IndexOf("GAMMA"), 2);
    EXPECT_THROW(list.Get(3), Exception);

    const std::vector<std::string> lines = SplitLines("a\r\nb\nc\rd\r\n");
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n\r\nb"), (std::vector<std::string>{"a", "", "b"}));
}

}  // namespace
}  // namespace quorvane
