// The share dialog in this process, read back from its controls, the clipboard and the links the
// environment's "browser" received. The Gmail draft and the QR page's code are checked end to end.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "common/clipboard.h"
#include "common/text.h"
#include "sharing/share_window.h"
#include "test_support.h"

namespace {

const std::string kDownloads =
    "macOS: https://lumenfold.app/?platform=macos&ref=R1#download\n\n"
    "Windows: https://lumenfold.app/?platform=windows&ref=R1#download";
// The test environment's locale is English.
const std::string kBody =
    "I\xE2\x80\x99m enjoying Lumenfold for calmer, more comfortable screen time. It creates an adjustable skylight "
    "over any display, supports multiple monitors, brightness control, and focused breaks. Give your eyes a kinder "
    "workspace and try it too!\n\nDownload Lumenfold for macOS: https://lumenfold.app/?platform=macos&ref=R1#download"
    "\n\nDownload Lumenfold for Windows: https://lumenfold.app/?platform=windows&ref=R1#download\n\n"
    "Powered by lumenfold.app";

std::string Text(HWND window) {
    wchar_t text[2048] = {};
    GetWindowTextW(window, text, 2048);
    return Utf8(text);
}

std::string Clipboard() {
    std::string text;
    if (!OpenClipboard(nullptr)) return "(busy)";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text = Utf8(static_cast<const wchar_t*>(GlobalLock(data)));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

std::vector<std::string> OpenedLinks() {
    wchar_t path[MAX_PATH] = {};
    GetEnvironmentVariableW(L"LUMENFOLD_OPENED_LINKS", path, MAX_PATH);
    std::ifstream file{std::filesystem::path(path)};
    std::vector<std::string> links;
    for (std::string line; std::getline(file, line);) links.push_back(line);
    return links;
}

std::string Decoded(const std::string& link) {
    std::string bytes;
    for (size_t i = 0; i < link.size(); i += link[i] == '%' ? 3 : 1)
        bytes += link[i] == '%' ? static_cast<char>(std::stoi(link.substr(i + 1, 2), nullptr, 16)) : link[i];
    return bytes;
}

class Share : public testing::Test {
protected:
    void Open(const char* country = "DE", bool qr = false) {
        const OnlineSnapshot snapshot{"R1", country, "", "", 0, false, {{"b", "Tea & cake", "https://x.example/?a=b", "", 4.0}}};
        share.Show(GetModuleHandleW(nullptr), nullptr, snapshot, qr);
    }
    HWND Item(int id) const { return GetDlgItem(share.Window(), id); }
    void Click(int id) const { SendMessageW(Item(id), BM_CLICK, 0, 0); }
    // The ids of the visible controls, in the order they were made.
    std::string Shown() const {
        std::string ids;
        for (HWND c = GetWindow(share.Window(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (IsWindowVisible(c)) ids.append(" ").append(std::to_string(GetDlgCtrlID(c)));
        return ids.substr(1);
    }
    RECT Place(int id) const {
        RECT rect = WindowRect(Item(id));
        MapWindowPoints(nullptr, share.Window(), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    ShareWindow share;
};

TEST_F(Share, ControlsTheirTextsStylesFontAndPages) {
    Open();
    wchar_t name[64] = {};
    GetClassNameW(share.Window(), name, 64);
    EXPECT_STREQ(name, L"Lumenfold.Windows.Share");
    EXPECT_EQ(Text(share.Window()), "分享 / Share Lumenfold");
    EXPECT_EQ(GetWindowLongPtrW(share.Window(), GWL_EXSTYLE) & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE),
              WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    const struct {
        int id;
        const char* text;
        LONG style;  // the control's own style bits, and the window styles beside WS_CHILD | WS_VISIBLE
    } controls[] = {
        {10, "Lumenfold", CBS_DROPDOWNLIST},  // it hands WS_VSCROLL on to its list
        {11, "打开草稿后，请检查正文并自行发送。\nOpens a draft for you to review and send.", SS_LEFT},
        {100, "分享到 Facebook / Share to Facebook", BS_AUTORADIOBUTTON | BS_MULTILINE},
        {101, "分享到 Twitter / Share to Twitter", BS_AUTORADIOBUTTON | BS_MULTILINE},
        {102, "分享到 Gmail / Share to Gmail", BS_AUTORADIOBUTTON | BS_MULTILINE},
        {103, "分享到 Yahoo Mail / Share to Yahoo Mail", BS_AUTORADIOBUTTON | BS_MULTILINE},
        {104, "分享到邮箱 / Share to Other email", BS_AUTORADIOBUTTON | BS_MULTILINE},
        {105, "分享到微信 / Share to WeChat", BS_AUTORADIOBUTTON | BS_MULTILINE},
        {106, "分享到微博 / Share to Weibo", BS_AUTORADIOBUTTON | BS_MULTILINE},
        {206, "分享 / Share", BS_MULTILINE},
        {12, "", WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY},
        {20, "复制正文 / Copy text", BS_MULTILINE},
        {21, "打开 Facebook / Open Facebook", BS_MULTILINE},
        {22, "返回 / Back", BS_MULTILINE}};
    const auto font = SendMessageW(Item(10), WM_GETFONT, 0, 0);
    LOGFONTW face{};
    GetObjectW(reinterpret_cast<HFONT>(font), sizeof face, &face);
    EXPECT_EQ(face.lfHeight, -24) << "18 points at 96 dpi";
    for (const auto& [id, text, style] : controls) {
        EXPECT_EQ(Text(Item(id)), text) << id;
        EXPECT_EQ(GetWindowLongPtrW(Item(id), GWL_STYLE) & ~(WS_CHILD | WS_VISIBLE | WS_TABSTOP), style) << id;
        EXPECT_EQ(SendMessageW(Item(id), WM_GETFONT, 0, 0), font) << id;
    }
    EXPECT_EQ(SendMessageW(Item(10), CB_GETCOUNT, 0, 0), 2);

    EXPECT_EQ(Shown(), "10 11 100 200 101 102 103 104 105 106");
    Click(200);
    EXPECT_EQ(Shown(), "11 12 20 21 22");
    EXPECT_EQ(Text(Item(11)), "Facebook 需要您粘贴正文。复制后在发帖框按 Ctrl+V。\nCopy the text, open Facebook, then paste it "
                              "with Ctrl+V.");
    Click(22);
    EXPECT_EQ(Shown(), "10 11 100 200 101 102 103 104 105 106") << "back";
    Open("DE", true);
    EXPECT_EQ(Shown(), "11 22");
    EXPECT_EQ(Text(Item(11)), "打开微信扫一扫。打开网页后，用电子邮件给朋友送个礼！\nScan in WeChat. Enter your friend\xE2\x80\x99s "
                              "email to send macOS and Windows download links.");
}

TEST_F(Share, PlacesAt96DpiOnAClientOf700By760) {
    Open();
    RECT frame{0, 0, 700, 760};
    AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrW(share.Window(), GWL_STYLE)), FALSE,
                             static_cast<DWORD>(GetWindowLongPtrW(share.Window(), GWL_EXSTYLE)), 96);
    SetWindowPos(share.Window(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    // 750 rows of content fit: no scroll bar takes from the width.
    const std::pair<int, RECT> list[] = {{100, {18, 100, 540, 168}}, {200, {546, 100, 682, 168}},
                                         {106, {18, 544, 540, 612}}, {11, {18, 630, 682, 745}}};
    for (const auto& [id, rect] : list) EXPECT_TRUE(SameRect(Place(id), rect)) << id;
    EXPECT_EQ(Place(10).right, 682);
    Click(200);
    const std::pair<int, RECT> facebook[] = {{11, {18, 16, 682, 146}}, {12, {18, 152, 682, 502}},
                                             {20, {18, 516, 344, 580}}, {21, {356, 516, 682, 580}},
                                             {22, {18, 590, 682, 654}}};
    for (const auto& [id, rect] : facebook) EXPECT_TRUE(SameRect(Place(id), rect)) << id;
}

TEST_F(Share, InChinaFacebookAndTwitterAreNotOfferedAndGmailIsChosen) {
    Open("CN");
    EXPECT_EQ(Shown(), "10 11 102 202 103 104 105 106");
    EXPECT_EQ(SendMessageW(Item(102), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(Place(102).top, 248) << "the rows keep their places";
}

TEST_F(Share, EachTargetCopiesItsTextAndOpensItsLinkForTheChosenBanner) {
    const std::string mail = "subject=Tea & cake&body=" + kBody;
    const std::string tweet = kDownloads + "\n\nLumenfold makes screen time more comfortable.";
    const std::pair<int, std::string> facebook = {
        0, "https://www.facebook.com/sharer/sharer.php?u=https://lumenfold.app/share?title=Tea%20%26%20cake"
           "&url=https%3A%2F%2Fx.example%2F%3Fa%3Db&preview=compact-v2&ref=R1"};
    const std::tuple<int, std::string, std::string> targets[] = {  // row, clipboard, link decoded once
        {1, tweet, "https://twitter.com/intent/tweet?text=" + tweet},
        {3, kBody, "https://compose.mail.yahoo.com/?" + mail},
        {4, kBody, "mailto:?" + mail},
        {6, kDownloads, "https://service.weibo.com/share/share.php?title=" + kDownloads},
        {facebook.first, kBody, facebook.second}};
    size_t opened = 0;
    for (const auto& [row, text, link] : targets) {
        Open();
        SendMessageW(Item(10), CB_SETCURSEL, 1, 0);
        CopyText(nullptr, L"stale");
        Click(100 + row);
        Click(200 + row);
        if (row == facebook.first) {
            // Facebook takes no text: the page shows it for pasting, and its button copies it.
            EXPECT_NE(Text(Item(12)).find("try it too!\r\n\r\nDownload Lumenfold for macOS"), std::string::npos);
            Click(21);
        }
        ASSERT_TRUE(WaitFor([&] { return OpenedLinks().size() > opened; })) << row;
        opened = OpenedLinks().size();
        EXPECT_EQ(Decoded(OpenedLinks().back()), link) << row;
        EXPECT_EQ(Clipboard(), text) << row;
    }
    Open();
    Click(105);
    Click(205);
    EXPECT_EQ(Shown(), "11 22") << "WeChat scans the share page from the QR page";
}

TEST_F(Share, ClosedAndOpenedAgainItIsTheSameWindowBackInTheMiddle) {
    Open();
    const HWND first = share.Window();
    SetWindowPos(first, nullptr, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SendMessageW(first, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(first) && !IsWindowVisible(first));
    Open();
    EXPECT_EQ(share.Window(), first);
    EXPECT_TRUE(SameRect(WindowRect(first), {590, 150, 1330, 930})) << "740 x 780 in the middle of 1920 x 1080";
    EXPECT_EQ(SendMessageW(Item(10), CB_GETCOUNT, 0, 0), 2) << "refilled, not added to";
}

}  // namespace
