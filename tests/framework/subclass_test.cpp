// Window subclassing: message logs through chains of subclassers removed in
// and out of order, objects freed while the window lives, and windows
// destroyed before their subclassers.
#include <memory>
#include <string>
#include <vector>

#include "framework/subclass.h"
#include "framework/window_slots.h"
#include "tests/support/gtest.h"

namespace quorvane {
namespace {

constexpr UINT kProbe = WM_APP + 7;
std::vector<std::string> g_log;

LRESULT CALLBACK BaseProcedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == kProbe) {
        g_log.push_back("base");
        return 100;
    }
    if (msg == WM_NCDESTROY) g_log.push_back("base:ncdestroy");
    return DefWindowProcW(window, msg, wParam, lParam);
}

HWND MakeWindow()
{
    static const ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = BaseProcedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"SubclassTestWindow";
        return RegisterClassW(&wc);
    }();
    (void)atom;
    return CreateWindowExW(0, L"SubclassTestWindow", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

// Logs its name, adds its weight to the answer of the rest of the chain.
template <int N>
class Logger : public WindowSubclass<Logger<N>> {
public:
    explicit Logger(std::string name, LRESULT weight = N) : name_(std::move(name)), weight_(weight) {}
    std::string destroyedLog;
    bool detachOnProbe = false;

protected:
    LRESULT SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == kProbe) {
            g_log.push_back(name_);
            if (detachOnProbe) this->Detach();
            return this->CallPrevious(msg, wParam, lParam) + weight_;
        }
        if (msg == WM_NCDESTROY) g_log.push_back(name_ + ":ncdestroy");
        return this->CallPrevious(msg, wParam, lParam);
    }
    void WindowDestroyed() override { g_log.push_back(name_ + ":destroyed"); }

private:
    std::string name_;
    LRESULT weight_;
};
using A = Logger<1>;
using B = Logger<10>;
using C = Logger<1000>;

LRESULT Probe(HWND window)
{
    g_log.clear();
    return SendMessageW(window, kProbe, 0, 0);
}

using Log = std::vector<std::string>;

TEST(WindowSubclass, NestedSubclassersRemovedInOrderRestoreTheOriginalProcedure)
{
    HWND window = MakeWindow();
    const LONG_PTR original = GetWindowLongPtrW(window, GWLP_WNDPROC);
    {
        A a("a");
        B b("b");
        ASSERT_TRUE(a.Attach(window));
        ASSERT_TRUE(b.Attach(window));
        EXPECT_FALSE(b.Attach(window));  // once per object
        EXPECT_EQ(Probe(window), 111);
        EXPECT_EQ(g_log, (Log{"b", "a", "base"}));
        b.Detach();
        EXPECT_EQ(Probe(window), 101);
        EXPECT_EQ(g_log, (Log{"a", "base"}));
    }
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_WNDPROC), original);
    EXPECT_EQ(Probe(window), 100);
    DestroyWindow(window);
}

TEST(WindowSubclass, RemovingAnInnerSubclasserLeavesAPassThroughUntilTheWindowGoes)
{
    HWND window = MakeWindow();
    auto a = std::make_unique<A>("a");
    B b("b");
    ASSERT_TRUE(a->Attach(window));
    ASSERT_TRUE(b.Attach(window));
    a.reset();  // freed while the window lives, out of order
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&B::Procedure));
    EXPECT_EQ(Probe(window), 110);
    EXPECT_EQ(g_log, (Log{"b", "base"}));
    EXPECT_TRUE(HasSubclassBlock(window, &A::Procedure));

    // A new object of the freed one's class takes its place in the chain.
    A again("again");
    ASSERT_TRUE(again.Attach(window));
    EXPECT_EQ(Probe(window), 111);
    EXPECT_EQ(g_log, (Log{"b", "again", "base"}));

    b.Detach();
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&A::Procedure));
    again.Detach();
    EXPECT_EQ(Probe(window), 100);
    EXPECT_FALSE(HasSubclassBlock(window, &A::Procedure));
    DestroyWindow(window);
}

TEST(WindowSubclass, ObjectsOfOneClassFormOneBlockNewestFirst)
{
    HWND window = MakeWindow();
    A first("first"), second("second");
    C c("c");
    ASSERT_TRUE(first.Attach(window));
    ASSERT_TRUE(c.Attach(window));
    ASSERT_TRUE(second.Attach(window));  // joins the block below c
    EXPECT_EQ(Probe(window), 1102);
    EXPECT_EQ(g_log, (Log{"c", "second", "first", "base"}));
    second.Detach();
    first.Detach();
    EXPECT_EQ(Probe(window), 1100);
    EXPECT_EQ(g_log, (Log{"c", "base"}));
    DestroyWindow(window);
}

TEST(WindowSubclass, DetachingWhileHandlingAMessagePassesTheRestOn)
{
    HWND window = MakeWindow();
    const LONG_PTR original = GetWindowLongPtrW(window, GWLP_WNDPROC);
    A a("a");
    a.detachOnProbe = true;
    ASSERT_TRUE(a.Attach(window));
    EXPECT_EQ(Probe(window), 101);
    EXPECT_EQ(g_log, (Log{"a", "base"}));
    EXPECT_FALSE(a.Attached());
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_WNDPROC), original);
    DestroyWindow(window);
}

TEST(WindowSubclass, DestroyingTheWindowFirstDetachesEveryObject)
{
    HWND window = MakeWindow();
    A a("a");
    B b("b");
    ASSERT_TRUE(a.Attach(window));
    ASSERT_TRUE(b.Attach(window));
    g_log.clear();
    DestroyWindow(window);
    EXPECT_EQ(g_log, (Log{"b:ncdestroy", "a:ncdestroy", "base:ncdestroy", "a:destroyed", "b:destroyed"}));
    EXPECT_FALSE(a.Attached());
    EXPECT_FALSE(b.Attached());
    EXPECT_EQ(a.Window(), nullptr);
    // Freeing them now touches no window.
}

TEST(WindowSubclass, APassThroughLeftByAFreedObjectStillSeesTheWindowDestroyed)
{
    HWND window = MakeWindow();
    auto a = std::make_unique<A>("a");
    B b("b");
    ASSERT_TRUE(a->Attach(window));
    ASSERT_TRUE(b.Attach(window));
    a.reset();
    g_log.clear();
    DestroyWindow(window);
    EXPECT_EQ(g_log, (Log{"b:ncdestroy", "base:ncdestroy", "b:destroyed"}));
}

TEST(WindowSubclass, TheLookUpSlotLastsExactlyAsLongAsTheBlock)
{
    // The block is found in the process's own table; the window property is
    // kept beside it. Neither may outlive the block, however it ends.
    const size_t base = window_slots::Count();
    HWND window = MakeWindow();
    {
        A a("a");
        ASSERT_TRUE(a.Attach(window));
        EXPECT_EQ(window_slots::Count(), base + 1);
        const WNDPROC ours = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
        EXPECT_TRUE(HasSubclassBlock(window, ours));
        a.Detach();
        EXPECT_EQ(window_slots::Count(), base);
        EXPECT_FALSE(HasSubclassBlock(window, ours));
    }
    {
        // A pass-through block keeps its slot until the window goes.
        auto a = std::make_unique<A>("a");
        B b("b");
        ASSERT_TRUE(a->Attach(window));
        ASSERT_TRUE(b.Attach(window));
        a.reset();
        EXPECT_EQ(window_slots::Count(), base + 2);
        EXPECT_EQ(Probe(window), 100 + 10);
        b.Detach();
        EXPECT_EQ(window_slots::Count(), base + 1);
        EXPECT_EQ(Probe(window), 100);
    }
    DestroyWindow(window);
    EXPECT_EQ(window_slots::Count(), base);
    // A window destroyed under attached objects frees the slots of both blocks.
    window = MakeWindow();
    A a("a");
    B b("b");
    ASSERT_TRUE(a.Attach(window));
    ASSERT_TRUE(b.Attach(window));
    DestroyWindow(window);
    EXPECT_EQ(window_slots::Count(), base);
}

}  // namespace
}  // namespace quorvane
