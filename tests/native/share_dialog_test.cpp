// Places across only: the Windows-side test reads the rows' tops.
#include <gtest/gtest.h>

#include "sharing/share_dialog.h"

namespace {

TEST(ShareLayout, RowsAcrossAt96DpiScaledAt144AndTheQrCodeNarrowedToLeaveTwentyPixelsEachSide) {
    const ShareLayout list = LayoutShare({700, 760, 96, 0, SharePage::TargetList, "", 0});
    EXPECT_EQ(list.targetButtons[0].rect, (Rect{18, 100, 540, 168}));
    EXPECT_EQ(list.shareButtons[0].rect, (Rect{546, 100, 682, 168}));
    // 660 x 1.5 = 990 rows in 800: at most 190 down. The margin is 27, each half 498 - 9 wide.
    const ShareLayout facebook = LayoutShare({1050, 800, 144, 500, SharePage::FacebookPage, "", 0});
    EXPECT_EQ(facebook.scroll, 190);
    EXPECT_EQ(facebook.copyButton.rect, (Rect{27, 584, 516, 680}));
    EXPECT_EQ(facebook.facebookButton.rect, (Rect{534, 584, 1023, 680}));
    EXPECT_EQ(LayoutShare({640, 760, 96, 0, SharePage::QrCodePage, "", 0}).qr, (Rect{170, 166, 470, 466}));
    EXPECT_EQ(LayoutShare({200, 760, 96, 0, SharePage::QrCodePage, "", 0}).qr, (Rect{20, 166, 180, 326}));
}

}  // namespace
