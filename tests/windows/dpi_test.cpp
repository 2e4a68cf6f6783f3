// Runs in a prefix whose display resolution is 144 DPI: the interface font's size, and Chinese text,
// which needs a face linked to the interface face.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <vector>

#include "app/graphics_lifetime.h"
#include "common/handles.h"
#include "common/shell_services.h"
#include "toolbar/reference_drawing.h"
#include "test_support.h"

namespace {

TEST(InterfaceFont, NinePointsAt144DpiAre18PixelsHigh) {
    UniqueWindow window = TestWindow({0, 0, 100, 100});
    ASSERT_EQ(GetDpiForWindow(window.get()), 144u);
    UniqueFont font = InterfaceFont(window.get(), 9, FW_NORMAL);
    WindowDC dc(window.get());
    SelectedObject selected(dc.get(), font.get());
    TEXTMETRICW metrics{};
    ASSERT_TRUE(GetTextMetricsW(dc.get(), &metrics));
    EXPECT_EQ(metrics.tmHeight - metrics.tmInternalLeading, 18);
}

// White on black: text in the interface font through GDI, and in a GDI+ label, which asks for the
// face by name.
std::vector<uint32_t> Gdi(const wchar_t* text) {
    return Drawn(64, 64, 0, [text](HDC dc) {
        UniqueFont font = InterfaceFont(nullptr, 20, FW_NORMAL);
        SelectedObject selected(dc, font.get());
        SetTextColor(dc, RGB(255, 255, 255));
        SetBkMode(dc, TRANSPARENT);
        TextOutW(dc, 4, 4, text, lstrlenW(text));
    });
}

std::vector<uint32_t> Label(const wchar_t* text, bool bold = false) {
    return Drawn(64, 64, 0, [&](HDC dc) {
        reference::Label(dc, {0, 0, 64, 64}, text, 24.0f, RGB(255, 255, 255), bold, false);
    });
}

// Without a face for them, Chinese characters all come out as the same missing-glyph box.
TEST(InterfaceFont, ChineseCharactersHaveRealGlyphs) {
    EXPECT_NE(Gdi(L"信"), Gdi(L"遮"));
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // given back with GDI+ by its owner
    GraphicsLifetime graphics;
    ASSERT_TRUE(graphics.Start());
    EXPECT_NE(Label(L"信"), Label(L"遮"));
    EXPECT_NE(Label(L"信", true), Label(L"遮", true)) << "bold";
}

}  // namespace
