#pragma once
// Helpers shared by the Windows-side tests.
#include <windows.h>
#include <objbase.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/graphics_lifetime.h"
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
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 10000);

// Runs the action while another thread presses `button` on each of this process's boxes; their texts.
std::vector<std::wstring> AnswerBoxesDuring(int button, const std::function<void()>& action);

// A file in the data folder, whole files as bytes, and a data folder without settings files.
std::filesystem::path DataFile(const char* name);
void RemoveSettingsFiles();
std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);

// A real overlay over a data folder without settings; a case may set skylights before Create.
class WithOverlay : public WithGraphics {
protected:
    void SetUp() override {
        WithGraphics::SetUp();
        RemoveSettingsFiles();
    }
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

inline RECT WindowRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

inline bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }

// A plain window of this thread (not shown unless the style says so).
UniqueWindow TestWindow(RECT rect, DWORD style = WS_POPUP);

// The layout of a top-down 32-bit bitmap.
BITMAPINFO TopDown32(int width, int height);

// The pixels (0xRRGGBB, row by row from the top) of a bitmap of one colour after draw drew on it.
std::vector<uint32_t> Drawn(int width, int height, uint32_t background, const std::function<void(HDC)>& draw);
