// Runs in a prefix whose display resolution is 144 DPI: the interface font's size.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/handles.h"
#include "common/shell_services.h"
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

}  // namespace
