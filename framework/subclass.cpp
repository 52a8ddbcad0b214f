#include "framework/subclass.h"

#include <algorithm>
#include <cstdio>

#include "framework/controls.h"
#include "framework/window_slots.h"

namespace quorvane {

namespace {

const WCHAR* W(const char16_t* text)
{
    return reinterpret_cast<const WCHAR*>(text);
}

detail::SubclassBlock* BlockOf(HWND window, const char16_t* property)
{
    return static_cast<detail::SubclassBlock*>(window_slots::Get(window, property));
}

bool SetBlock(HWND window, const char16_t* property, detail::SubclassBlock* block)
{
    if (!SetPropW(window, W(property), block)) return false;
    window_slots::Set(window, property, block);
    return true;
}

void RemoveBlock(HWND window, const char16_t* property)
{
    window_slots::Remove(window, property);
    RemovePropW(window, W(property));
}

// The block leaves the window for good: its property goes, and the block is
// freed as soon as no message is being dispatched through it.
void ReleaseBlock(HWND window, const char16_t* property, detail::SubclassBlock* block)
{
    RemoveBlock(window, property);
    block->released = true;
    if (block->depth == 0) delete block;
}

}  // namespace

std::u16string SubclassPropertyName(const void* procedure)
{
    char name[48];
    std::snprintf(name, sizeof name, "QuorvaneSubclass%.16llX",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(procedure)));
    return std::u16string(name, name + std::char_traits<char>::length(name));
}

bool HasSubclassBlock(HWND window, WNDPROC procedure)
{
    const std::u16string property = SubclassPropertyName(reinterpret_cast<const void*>(procedure));
    return window && GetPropW(window, W(property.c_str())) != nullptr;
}

namespace detail {

LRESULT DispatchSubclass(const char16_t* property, HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    SubclassBlock* block = BlockOf(window, property);
    if (!block) return DefWindowProcW(window, msg, wParam, lParam);
    ++block->depth;
    // Painters of a subclassed window resolve system colours for it.
    const ColourContext colours(window);
    LRESULT result = 0;
    if (block->objects.empty())
        result = CallWindowProcW(block->previous, window, msg, wParam, lParam);
    else
        result = block->objects.back()->Handle(msg, wParam, lParam);
    if (msg == WM_NCDESTROY && !block->released) {
        // The window is gone: every object of the block is detached and told.
        const std::vector<WindowSubclassBase*> objects = block->objects;
        block->objects.clear();
        for (WindowSubclassBase* object : objects) {
            object->block_ = nullptr;
            object->window_ = nullptr;
        }
        RemoveBlock(window, property);
        block->released = true;
        for (WindowSubclassBase* object : objects) {
            try {
                object->WindowDestroyed();
            } catch (...) {
                HandleCurrentException(nullptr);
            }
        }
    }
    if (--block->depth == 0 && block->released) delete block;
    return result;
}

}  // namespace detail

WindowSubclassBase::~WindowSubclassBase()
{
    Detach();
}

bool WindowSubclassBase::AttachWith(HWND window, WNDPROC procedure, const char16_t* property)
{
    if (block_ || !window || !IsWindow(window)) return false;
    detail::SubclassBlock* block = BlockOf(window, property);
    if (!block) {
        block = new detail::SubclassBlock;
        block->procedure = procedure;
        if (!SetBlock(window, property, block)) {
            delete block;
            return false;
        }
        SetLastError(0);
        block->previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
        if (!block->previous && GetLastError() != 0) {
            RemoveBlock(window, property);
            delete block;
            return false;
        }
    }
    block->objects.push_back(this);
    block_ = block;
    window_ = window;
    property_ = property;
    lastWindow_ = window;
    lastPrevious_ = block->previous;
    return true;
}

void WindowSubclassBase::Detach()
{
    detail::SubclassBlock* block = block_;
    if (!block) return;
    HWND window = window_;
    block->objects.erase(std::remove(block->objects.begin(), block->objects.end(), this), block->objects.end());
    block_ = nullptr;
    window_ = nullptr;
    if (!block->objects.empty()) return;
    // The last object of the block: put the old procedure back, but only
    // while ours is the current one; otherwise the block passes messages on
    // until the window is destroyed.
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)) == block->procedure) {
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(block->previous));
        ReleaseBlock(window, property_, block);
    }
}

LRESULT WindowSubclassBase::CallPrevious(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (detail::SubclassBlock* block = block_) {
        auto it = std::find(block->objects.begin(), block->objects.end(), this);
        if (it != block->objects.begin() && it != block->objects.end()) return (*(it - 1))->Handle(msg, wParam, lParam);
        return CallWindowProcW(block->previous, window_, msg, wParam, lParam);
    }
    // Left the chain while handling this message: the rest goes to what was
    // before the block.
    if (lastPrevious_ && lastWindow_ && IsWindow(lastWindow_))
        return CallWindowProcW(lastPrevious_, lastWindow_, msg, wParam, lParam);
    return lastWindow_ && IsWindow(lastWindow_) ? DefWindowProcW(lastWindow_, msg, wParam, lParam) : 0;
}

LRESULT WindowSubclassBase::Handle(UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    try {
        return SubclassProc(msg, wParam, lParam);
    } catch (...) {
        HandleCurrentException(nullptr);
        return 0;
    }
}

}  // namespace quorvane
