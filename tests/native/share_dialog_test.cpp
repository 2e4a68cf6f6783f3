// The share dialog's arithmetic where the Windows-side test does not reach it: scaled, scrolled and
// narrow. (At 96 dpi the real window's controls are read back under Wine.)
#include <gtest/gtest.h>

#include "sharing/share_dialog.h"

namespace {

TEST(ShareLayout, At144DpiTheFacebookPageScrollsNoFurtherThanItsEnd) {
    // 660 x 1.5 = 990 rows of content in 800: at most 190 down. The margin is 27, the halves 498 - 9.
    const ShareLayout layout = LayoutShare({1050, 800, 144, 500, SharePage::FacebookPage, "", 0});
    EXPECT_EQ(layout.contentHeight, 990);
    EXPECT_EQ(layout.scroll, 190);
    EXPECT_EQ(layout.copyButton.rect, (Rect{27, 584, 516, 680}));
    EXPECT_EQ(layout.facebookButton.rect, (Rect{534, 584, 1023, 680}));
    EXPECT_EQ(layout.backButton.rect, (Rect{27, 695, 1023, 791}));
    EXPECT_FALSE(layout.targetList.visible || layout.targetButtons[0].visible || layout.shareButtons[0].visible);
}

TEST(ShareLayout, TheQrCodeKeepsTwentyPixelsEachSideOfANarrowWindow) {
    EXPECT_EQ(LayoutShare({640, 760, 96, 0, SharePage::QrCodePage, "", 0}).qr, (Rect{170, 166, 470, 466}));
    EXPECT_EQ(LayoutShare({200, 760, 96, 0, SharePage::QrCodePage, "", 0}).qr, (Rect{20, 166, 180, 326}));
    // 600 rows of content in 500: scrolled 100 at most.
    EXPECT_EQ(LayoutShare({200, 500, 96, 300, SharePage::QrCodePage, "", 0}).qr, (Rect{20, 66, 180, 226}));
}

}  // namespace
