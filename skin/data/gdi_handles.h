// Owners of GDI handles for the skin engine: the framework's (UniqueBitmap,
// UniqueBrush, UniqueFont, UniquePen, UniqueRegion, PaintDc, SelectGuard,
// SavedDcState) plus move-only DC owners, one per way of acquiring a DC,
// since each is released differently.
#pragma once
#include <windows.h>

#include <utility>

#include "framework/graphics.h"

namespace quorvane {

// A DC from CreateCompatibleDC / CreateDC, released with DeleteDC.
class UniqueMemoryDc {
public:
    UniqueMemoryDc() = default;
    explicit UniqueMemoryDc(HDC dc) : dc_(dc) {}
    UniqueMemoryDc(UniqueMemoryDc&& other) noexcept : dc_(std::exchange(other.dc_, nullptr)) {}
    UniqueMemoryDc& operator=(UniqueMemoryDc&& other) noexcept {
        if (this != &other) {
            reset();
            dc_ = std::exchange(other.dc_, nullptr);
        }
        return *this;
    }
    UniqueMemoryDc(const UniqueMemoryDc&) = delete;
    UniqueMemoryDc& operator=(const UniqueMemoryDc&) = delete;
    ~UniqueMemoryDc() { reset(); }

    // A memory DC compatible with the screen (or with the given DC).
    static UniqueMemoryDc Compatible(HDC reference = nullptr) {
        return UniqueMemoryDc(CreateCompatibleDC(reference));
    }
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }
    void reset() {
        if (dc_) DeleteDC(dc_);
        dc_ = nullptr;
    }

private:
    HDC dc_ = nullptr;
};

// A DC from GetDC / GetWindowDC, given back with ReleaseDC.
class UniqueWindowDc {
public:
    UniqueWindowDc() = default;
    UniqueWindowDc(HWND window, HDC dc) : window_(window), dc_(dc) {}
    static UniqueWindowDc Client(HWND window) { return UniqueWindowDc(window, GetDC(window)); }
    static UniqueWindowDc Whole(HWND window) { return UniqueWindowDc(window, GetWindowDC(window)); }
    UniqueWindowDc(UniqueWindowDc&& other) noexcept
        : window_(std::exchange(other.window_, nullptr)), dc_(std::exchange(other.dc_, nullptr)) {}
    UniqueWindowDc& operator=(UniqueWindowDc&& other) noexcept {
        if (this != &other) {
            reset();
            window_ = std::exchange(other.window_, nullptr);
            dc_ = std::exchange(other.dc_, nullptr);
        }
        return *this;
    }
    UniqueWindowDc(const UniqueWindowDc&) = delete;
    UniqueWindowDc& operator=(const UniqueWindowDc&) = delete;
    ~UniqueWindowDc() { reset(); }

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }
    void reset() {
        if (dc_) ReleaseDC(window_, dc_);
        dc_ = nullptr;
        window_ = nullptr;
    }

private:
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
};

// SaveDC / RestoreDC around drawing into someone else's DC.
using SavedDc = SavedDcState;

}  // namespace quorvane
