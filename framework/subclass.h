// Window subclassing: replacing a window's own procedure (GWLP_WNDPROC) for
// the lifetime of an object, for windows the framework did not create
// (message boxes, popup menus, the MDI client) or below a control's own
// procedure. This is separate from replacing a control object's WindowProc
// (ScopedWindowProc), which never touches the window.
//
// Each subclasser class has exactly one static window procedure (Wine keeps
// every procedure address it is given in a table that is never freed), and
// finds its objects through a window property named after that procedure.
// Several objects of one class on one window form one block in the chain:
// the newest sees a message first and passes it on to the next older one;
// the oldest passes it to the procedure that was there before the block.
//
// Detach (and the destructor) put the previous procedure back only while the
// block is still the window's current procedure. When something else has
// subclassed the window since, the block stays in the chain as a plain
// pass-through until WM_NCDESTROY, even after its objects are gone; a new
// object of the same class attaching to that window later takes that place
// in the chain again.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace quorvane {

class WindowSubclassBase;

namespace detail {
// What one subclasser class keeps on one window (the window property).
struct SubclassBlock {
    WNDPROC previous = nullptr;   // the procedure before the block
    WNDPROC procedure = nullptr;  // the class's static procedure
    std::vector<WindowSubclassBase*> objects;  // oldest first
    int depth = 0;               // messages being dispatched through the block
    bool released = false;       // off the window: free once depth is 0
};
LRESULT DispatchSubclass(const char16_t* property, HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
}  // namespace detail

class WindowSubclassBase {
public:
    WindowSubclassBase() = default;
    WindowSubclassBase(const WindowSubclassBase&) = delete;
    WindowSubclassBase& operator=(const WindowSubclassBase&) = delete;
    virtual ~WindowSubclassBase();

    // The window while attached (also during WM_NCDESTROY), else null.
    HWND Window() const { return window_; }
    bool Attached() const { return block_ != nullptr; }
    // Leaves the chain: see the file comment. Safe to call while one of this
    // object's messages is being handled (the rest of that message is then
    // passed on to the procedure before the block).
    void Detach();

protected:
    // Every message of the window; the default passes it on.
    virtual LRESULT SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam) { return CallPrevious(msg, wParam, lParam); }
    // After WM_NCDESTROY went through the whole chain; the object is detached.
    virtual void WindowDestroyed() {}
    // Passes a message on to the next older object of the block, or to the
    // procedure before the block (CallWindowProcW: it may be a winproc handle).
    LRESULT CallPrevious(UINT msg, WPARAM wParam, LPARAM lParam);

    bool AttachWith(HWND window, WNDPROC procedure, const char16_t* property);

private:
    friend LRESULT detail::DispatchSubclass(const char16_t*, HWND, UINT, WPARAM, LPARAM) noexcept;
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

    HWND window_ = nullptr;
    detail::SubclassBlock* block_ = nullptr;
    const char16_t* property_ = nullptr;
    // Where a message goes once this object has left mid-message.
    HWND lastWindow_ = nullptr;
    WNDPROC lastPrevious_ = nullptr;
};

// Derive as `class MySubclass : public WindowSubclass<MySubclass>`.
template <class Derived>
class WindowSubclass : public WindowSubclassBase {
public:
    // False when the window does not exist or this object is attached already.
    bool Attach(HWND window) { return AttachWith(window, &Procedure, Property()); }
    ~WindowSubclass() override { Detach(); }

    // The class's one procedure.
    static LRESULT CALLBACK Procedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
    {
        return detail::DispatchSubclass(Property(), window, msg, wParam, lParam);
    }

private:
    static const char16_t* Property()
    {
        static const std::u16string name = MakePropertyName(reinterpret_cast<const void*>(&Procedure));
        return name.c_str();
    }
    static std::u16string MakePropertyName(const void* procedure);
};

std::u16string SubclassPropertyName(const void* procedure);

template <class Derived>
std::u16string WindowSubclass<Derived>::MakePropertyName(const void* procedure)
{
    return SubclassPropertyName(procedure);
}

// True when `window` currently runs a block of the subclasser class whose
// procedure is `procedure` somewhere in its chain.
bool HasSubclassBlock(HWND window, WNDPROC procedure);

}  // namespace quorvane
