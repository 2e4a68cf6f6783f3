// The toolbar and its logo in this process: the windows, temporary hiding, painting, banners.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <string>

#include "test_support.h"
#include "toolbar/toolbar_window.h"

namespace {

class Toolbar : public WithOverlay {
protected:
    void TearDown() override {
        DeleteFileW(DataFile("banner-a.image").c_str());
        DeleteFileW(DataFile("banners.json").c_str());
        WithOverlay::TearDown();
    }
    // Online, with one cached banner whose picture a case may write.
    bool Start(bool online = true) {
        if (online)
            WriteBytes(DataFile("banners.json"), R"({"items":[{"enabled":true,"kind":"banner","imageID":"a",)"
                                                 R"("targetURL":"https://x.example/old"}]})");
        return Create() && toolbar.Create(GetModuleHandleW(nullptr), &overlay, online);
    }
    ToolbarWindow toolbar;
};
using OnlineToolbar = Toolbar;

TEST_F(Toolbar, TopmostToolWindowsThatNeverActivateOwnedOverlayToolbarLogo) {
    ASSERT_TRUE(Start(false));
    constexpr DWORD kExStyle = WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    for (HWND window : {toolbar.Window(), toolbar.Logo()}) {
        EXPECT_EQ(GetWindowLongPtrW(window, GWL_EXSTYLE) & kExStyle, kExStyle);
        EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & (WS_POPUP | WS_CHILD), LONG_PTR{WS_POPUP});
        EXPECT_EQ(SendMessageW(window, WM_MOUSEACTIVATE, 0, 0), MA_NOACTIVATE);
    }
    EXPECT_EQ(GetWindow(toolbar.Window(), GW_OWNER), overlay.Window());
    EXPECT_EQ(GetWindow(toolbar.Logo(), GW_OWNER), toolbar.Window());
}

TEST_F(Toolbar, TemporaryHidingGivesBackOnlyWhatWasShownAndPaintingLeavesNoHandles) {
    ASSERT_TRUE(Start(false));
    auto shown = [&] { return IsWindowVisible(toolbar.Window()) || IsWindowVisible(toolbar.Logo()); };
    toolbar.TemporarilyHide(true);
    toolbar.TemporarilyHide(true);  // hidden twice: the first call's record counts
    EXPECT_FALSE(shown());
    toolbar.TemporarilyHide(false);
    EXPECT_TRUE(IsWindowVisible(toolbar.Window()) && IsWindowVisible(toolbar.Logo()));
    const long before = LiveHandleCount();
    for (int round = 0; round < 50; ++round) {
        toolbar.SetCollapsed(round % 2 == 0);
        RedrawWindow(toolbar.Logo(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        toolbar.Poll();
        UpdateWindow(toolbar.Window());
    }
    EXPECT_EQ(LiveHandleCount(), before);
    toolbar.Hide();
    toolbar.TemporarilyHide(true);
    toolbar.TemporarilyHide(false);
    EXPECT_FALSE(shown());
}

// Calls of GDI+'s image decoders so far (the test runs with them in Wine's relay log).
size_t Decodes() {
    const std::string log = ReadBytes(std::getenv("LUMENFOLD_RELAY_LOG"));
    size_t count = 0;
    for (size_t at = 0; (at = log.find("Call gdiplus.", at)) != std::string::npos; ++at) ++count;
    return count;
}

TEST_F(OnlineToolbar, BannerPicturesAreBoundedBeforeDecodingAndDecodedOncePerSize) {
    ASSERT_TRUE(Start());
    auto show = [&](const std::string& image) {
        WriteBytes(DataFile("banner-a.image"), image);
        for (int paint = 0; paint < 3; ++paint) {
            toolbar.Poll();
            UpdateWindow(toolbar.Window());
        }
    };
    const size_t before = Decodes();
    show(std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\x75\x30\0\0\x75\x30\x01\0\0\0\0\x4E\x5C\xC5\x17", 33) +
         std::string(4 << 20, '\0'));  // 30000 x 30000
    show(std::string("\x01\0\0\0\x6C\0\0\0", 8) + std::string(32, '\0') + " EMF" + std::string(60, '\0'));
    show(std::string("II*\0\x08\0\0\0", 8) + std::string(50, '\0'));
    EXPECT_EQ(Decodes(), before) << "refused by their headers";
    // A 2 x 1 picture: decoded once, then only drawn; decoded again for a new size.
    show(std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x02\0\0\0\x01\x08\x02\0\0\0\x7B\x40\xE8\xDD\0\0\0\x0D"
                     "IDAT\x78\x9C\x63\xF8\xCF\xC0\0\x44\0\x08\xFE\x01\xFF\xC6\x9E\x79\xF7\0\0\0\0IEND\xAE\x42\x60\x82",
                     70));
    EXPECT_EQ(Decodes(), before + 1);
    state.textScale = 125;
    toolbar.ShowExpanded();
    EXPECT_EQ(Decodes(), before + 2);
}

TEST_F(OnlineToolbar, ContentThatNeedsTheBarOnlyAtFullWidthIsLaidOutForTheBar) {
    // 686 units tall at the full 344 px (too tall), but 649 px in the 327 px the bar leaves.
    ASSERT_TRUE(Start());
    RECT client{};
    GetClientRect(toolbar.Window(), &client);
    EXPECT_EQ(client.right, 327) << "the bar stays";
    // 580 px down is the credits card only in the narrow layout: sharing opens and hides the overlay.
    SendMessageW(toolbar.Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(160, 580));
    SendMessageW(toolbar.Window(), WM_LBUTTONUP, 0, MAKELPARAM(160, 580));
    EXPECT_EQ(state.mode, OverlayMode::Hidden);
}

TEST_F(OnlineToolbar, WheelAndBarScrollTheContentWithinItsHeight) {
    // A banner and a status line (an unreadable identity) make the content taller than the toolbar.
    DeleteFileW(DataFile("owner.dpapi").c_str());  // made by an earlier online case
    ASSERT_TRUE(CreateDirectoryW(DataFile("owner.dpapi").c_str(), nullptr));
    ASSERT_TRUE(Start());
    auto position = [&] {
        SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
        GetScrollInfo(toolbar.Window(), SB_VERT, &info);
        return std::array<int, 3>{info.nPos, info.nMax, static_cast<int>(info.nPage)};
    };
    ASSERT_GT(position()[1], position()[2]) << "taller than the toolbar";
    SendMessageW(toolbar.Window(), WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0);
    EXPECT_EQ(position()[0], 72) << "one notch down";
    SendMessageW(toolbar.Window(), WM_VSCROLL, SB_PAGEUP, 0);
    EXPECT_EQ(position()[0], 0);
    SendMessageW(toolbar.Window(), WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(position()[0], 40);
    RemoveDirectoryW(DataFile("owner.dpapi").c_str());
}

}  // namespace
