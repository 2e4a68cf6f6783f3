#pragma once
// Move-only owners for every kind of handle the program holds. Each live handle is counted, because
// Wine's GetGuiResources does not count GDI objects and tests need to see leaks.
#include <windows.h>
#include <winhttp.h>

#include <atomic>
#include <utility>

namespace handles {
extern std::atomic<long> live;
}

// Handles currently owned by any of the wrappers below.
inline long LiveHandleCount() { return handles::live.load(); }

template <typename Traits>
class Unique {
public:
    using Handle = typename Traits::Handle;

    Unique() = default;
    explicit Unique(Handle handle) { reset(handle); }
    Unique(Unique&& other) noexcept : value(std::exchange(other.value, Traits::Invalid())) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) {
            reset();
            value = std::exchange(other.value, Traits::Invalid());
        }
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    ~Unique() { reset(); }

    Handle get() const { return value; }
    explicit operator bool() const { return value != Traits::Invalid(); }

    // Gives up ownership without closing, e.g. after SetWindowRgn made the system the owner.
    Handle release() {
        if (*this) handles::live.fetch_sub(1);
        return std::exchange(value, Traits::Invalid());
    }

    void reset(Handle handle = Traits::Invalid()) {
        if (*this) {
            Traits::Close(value);
            handles::live.fetch_sub(1);
        }
        value = handle;
        if (*this) handles::live.fetch_add(1);
    }

private:
    Handle value = Traits::Invalid();
};

namespace handles {

template <typename H, auto CloseFunction>
struct NullInvalid {
    using Handle = H;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { CloseFunction(handle); }
};

template <typename H>
struct GdiObject {
    using Handle = H;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { DeleteObject(handle); }
};

template <auto CloseFunction>
struct MinusOneInvalid {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { CloseFunction(handle); }
};

template <typename Interface>
struct ComObject {
    using Handle = Interface*;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle object) { object->Release(); }
};

}  // namespace handles

using UniqueWindow = Unique<handles::NullInvalid<HWND, DestroyWindow>>;
using UniqueMemoryDC = Unique<handles::NullInvalid<HDC, DeleteDC>>;
using UniqueIcon = Unique<handles::NullInvalid<HICON, DestroyIcon>>;
using UniqueCursor = Unique<handles::NullInvalid<HCURSOR, DestroyCursor>>;  // built cursors, not LoadCursor's
using UniqueMenu = Unique<handles::NullInvalid<HMENU, DestroyMenu>>;
using UniqueHandle = Unique<handles::NullInvalid<HANDLE, CloseHandle>>;  // kernel objects
using UniqueFile = Unique<handles::MinusOneInvalid<CloseHandle>>;  // CreateFileW, CreateToolhelp32Snapshot
using UniqueFind = Unique<handles::MinusOneInvalid<FindClose>>;    // FindFirstFileW enumerations
using UniqueFont = Unique<handles::GdiObject<HFONT>>;
using UniqueBitmap = Unique<handles::GdiObject<HBITMAP>>;
using UniqueRegion = Unique<handles::GdiObject<HRGN>>;
using UniqueBrush = Unique<handles::GdiObject<HBRUSH>>;
using UniquePen = Unique<handles::GdiObject<HPEN>>;
using InternetHandle = Unique<handles::NullInvalid<HINTERNET, WinHttpCloseHandle>>;  // WinHTTP sessions and requests
template <typename Interface>
using UniqueCom = Unique<handles::ComObject<Interface>>;  // COM interface pointers

// A window's device context from GetDC, released to that window.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window(window), dc(GetDC(window)) {
        if (dc) handles::live.fetch_add(1);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() {
        if (dc) {
            ReleaseDC(window, dc);
            handles::live.fetch_sub(1);
        }
    }
    HDC get() const { return dc; }

private:
    HWND window;
    HDC dc;
};

// Selects an object into a DC and puts the previous one back at scope end.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc(dc), previous(SelectObject(dc, object)) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject() {
        if (previous && previous != HGDI_ERROR) SelectObject(dc, previous);
    }

private:
    HDC dc;
    HGDIOBJ previous;
};
