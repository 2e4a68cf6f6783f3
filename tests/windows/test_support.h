#pragma once
// Helpers shared by the Windows-side tests.
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "app/graphics_lifetime.h"
#include "common/data_folder.h"
#include "common/handles.h"
#include "overlay/overlay_window.h"

// Cases that draw with GDI+: it runs for each case, with COM, as the program runs it.
class WithGraphics : public testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // given back with GDI+ by its owner
        ASSERT_TRUE(graphics.Start());
    }
    GraphicsLifetime graphics;
};

// Dispatches this thread's messages until the condition holds or the deadline passes.
inline bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 10000) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    return true;
}

// Runs the action while another thread presses `button` on each of this process's boxes; their texts.
inline std::vector<std::wstring> AnswerBoxesDuring(int button, const std::function<void()>& action) {
    std::vector<HWND> boxes;
    std::vector<std::wstring> texts;
    std::jthread answer([&](std::stop_token stop) {
        for (; !stop.stop_requested(); Sleep(10)) {
            for (HWND box = nullptr; (box = FindWindowExW(nullptr, box, L"#32770", L"Lumenfold · 信息 / Information"));) {
                DWORD process = 0;
                GetWindowThreadProcessId(box, &process);
                if (process != GetCurrentProcessId() || !IsWindowVisible(box) || std::ranges::count(boxes, box))
                    continue;
                wchar_t text[1024] = {};
                GetDlgItemTextW(box, 0xFFFF, text, 1024);  // the message's static control
                boxes.push_back(box);
                texts.emplace_back(text);
                PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
            }
        }
    });
    action();
    answer.request_stop();
    answer.join();
    return texts;
}

// A file in the data folder, a data folder without settings files, whole files as bytes, files held.
inline std::filesystem::path DataFile(const char* name) { return std::filesystem::path(DataFolder()) / name; }
inline void RemoveSettingsFiles() {
    for (const char* name : {"settings.json", "settings.json.tmp"}) std::filesystem::remove_all(DataFile(name));
}
inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}
inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}
// As another program would open it, with its access and sharing.
inline UniqueFile Hold(const std::filesystem::path& file, DWORD access, DWORD share) {
    return UniqueFile(CreateFileW(file.c_str(), access, share, nullptr, OPEN_ALWAYS, 0, nullptr));
}

// A real overlay over a data folder without settings; a case may set skylights before Create.
class WithOverlay : public WithGraphics {
protected:
    void SetUp() override { WithGraphics::SetUp(); RemoveSettingsFiles(); }
    void TearDown() override { RemoveSettingsFiles(); }
    bool Create() { return overlay.Create(GetModuleHandleW(nullptr), &state); }
    AppState state;
    OverlayWindow overlay;
};

inline BYTE Alpha(HWND layeredWindow) {
    BYTE alpha = 0;
    GetLayeredWindowAttributes(layeredWindow, nullptr, &alpha, nullptr);
    return alpha;
}

// Whether a point in window coordinates lies in a hole of the window's region.
inline bool InHole(HWND window, int x, int y) {
    UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
    return GetWindowRgn(window, region.get()) != ERROR && !PtInRegion(region.get(), x, y);
}

inline bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }
inline RECT WindowRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

// A plain window of this thread (not shown unless the style says so).
inline UniqueWindow TestWindow(RECT r, DWORD style = WS_POPUP) {
    return UniqueWindow(CreateWindowExW(0, L"STATIC", L"test window", style, r.left, r.top, r.right - r.left,
                                        r.bottom - r.top, nullptr, nullptr, nullptr, nullptr));
}

// The layout of a top-down 32-bit bitmap.
inline BITMAPINFO TopDown32(int width, int height) {
    return {{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
}

// The pixels (0xRRGGBB, row by row from the top) of a bitmap of one colour after draw drew on it.
inline std::vector<uint32_t> Drawn(int width, int height, uint32_t background, const std::function<void(HDC)>& draw) {
    const BITMAPINFO info = TopDown32(width, height);
    UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const std::span pixels(static_cast<uint32_t*>(bits), static_cast<size_t>(width * height));
    std::ranges::fill(pixels, background);
    SelectedObject selected(dc.get(), bitmap.get());
    draw(dc.get());
    GdiFlush();
    std::vector<uint32_t> result;
    for (const uint32_t pixel : pixels) result.push_back(pixel & 0xFFFFFFu);
    return result;
}
