// Runs in a prefix whose display resolution is 144 DPI.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "common/handles.h"
#include "common/shell_services.h"
#include "toolbar/reference_drawing.h"
#include "test_support.h"

namespace {

TEST(InterfaceFont, NinePointsAt144DpiAre18PixelsHigh) {
    UniqueWindow window = TestWindow({0, 0, 100, 100});
    ASSERT_TRUE(window);
    ASSERT_EQ(GetDpiForWindow(window.get()), 144u);
    UniqueFont font = InterfaceFont(window.get(), 9, FW_NORMAL);
    ASSERT_TRUE(font);
    WindowDC dc(window.get());
    SelectedObject selected(dc.get(), font.get());
    TEXTMETRICW metrics{};
    ASSERT_TRUE(GetTextMetricsW(dc.get(), &metrics));
    EXPECT_EQ(metrics.tmHeight - metrics.tmInternalLeading, 18);
}

}  // namespace

namespace {

// The pixels of a 64 x 64 black bitmap after `draw` drew into it.
std::vector<uint32_t> Pixels(const std::function<void(HDC)>& draw) {
    UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 64, -64, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    SelectedObject selectBitmap(dc.get(), bitmap.get());
    draw(dc.get());
    GdiFlush();
    const auto* pixels = static_cast<const uint32_t*>(bits);
    return {pixels, pixels + 64 * 64};
}

// Text in the interface font through GDI.
std::vector<uint32_t> Render(const wchar_t* text) {
    return Pixels([text](HDC dc) {
        UniqueFont font = InterfaceFont(nullptr, 20, FW_NORMAL);
        SelectedObject selectFont(dc, font.get());
        SetTextColor(dc, RGB(255, 255, 255));
        SetBkMode(dc, TRANSPARENT);
        TextOutW(dc, 4, 4, text, lstrlenW(text));
    });
}

// Without a face for them, Chinese characters all come out as the same missing-glyph box.
TEST(InterfaceFont, ChineseCharactersHaveRealGlyphs) {
    const auto first = Render(L"信");
    const auto second = Render(L"遮");
    EXPECT_NE(first, second);
    EXPECT_NE(first, Render(L""));
}

// Text in a GDI+ label, which asks for the face by name.
std::vector<uint32_t> RenderLabel(const wchar_t* text, bool bold = false) {
    return Pixels([text, bold](HDC dc) {
        reference::Label(dc, {0, 0, 64, 64}, text, 24.0f, RGB(255, 255, 255), bold, false);
    });
}

TEST(InterfaceFont, ChineseCharactersHaveRealGlyphsInGdiPlusLabels) {
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
    {
        const auto first = RenderLabel(L"信");
        EXPECT_NE(first, RenderLabel(L"遮"));
        EXPECT_NE(first, RenderLabel(L""));
        EXPECT_NE(RenderLabel(L"信", true), RenderLabel(L"遮", true)) << "bold";
    }
    Gdiplus::GdiplusShutdown(token);
}

}  // namespace
