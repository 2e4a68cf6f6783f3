// The share dialog read back from its controls, the clipboard and the "browser"; texts are native.
#include <cstring>
#include <fstream>
#include <thread>
#include <tuple>

#include "common/clipboard.h"
#include "common/text.h"
#include "sharing/share_text.h"
#include "sharing/share_window.h"
#include "test_support.h"

namespace {

std::string Clipboard() {
    if (!OpenClipboard(nullptr)) return "(busy)";
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const std::string text = data ? Utf8(static_cast<const wchar_t*>(GlobalLock(data))) : "";
    if (data) GlobalUnlock(data);
    CloseClipboard();
    return text;
}

// The links opened so far, as the "browser" received them.
std::vector<std::string> OpenedLinks() {
    wchar_t path[MAX_PATH] = {};
    GetEnvironmentVariableW(L"LUMENFOLD_OPENED_LINKS", path, MAX_PATH);
    std::ifstream file{std::filesystem::path(path)};
    std::vector<std::string> links;
    for (std::string line; std::getline(file, line);) links.push_back(line);
    return links;
}

std::string Decoded(const std::string& text) {
    std::string bytes;
    for (size_t i = 0; i < text.size(); i += text[i] == '%' ? 3 : 1)
        bytes += text[i] == '%' ? static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16)) : text[i];
    return bytes;
}

class Share : public testing::Test {
protected:
    void Open(const char* country = "DE", bool qr = false) {
        const Banner banner{"b", "Tea & cake", "https://x.example/?a=b", "", 4.0};
        share.Show(GetModuleHandleW(nullptr), nullptr, {"R1", country, "", "", 0, false, {banner}}, qr);
    }
    HWND Item(int id) const { return GetDlgItem(share.Window(), id); }
    void Click(int id) const { SendMessageW(Item(id), BM_CLICK, 0, 0); }
    // Each visible control as id@top in client pixels (Wine's frame sets the width), in creation order.
    std::string Shown() const {
        std::string shown;
        for (HWND c = GetWindow(share.Window(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            if (!IsWindowVisible(c)) continue;
            POINT at{0, WindowRect(c).top};
            ScreenToClient(share.Window(), &at);
            shown += std::to_string(GetDlgCtrlID(c)) + "@" + std::to_string(at.y) + " ";
        }
        return shown.substr(0, shown.size() - 1);
    }
    ShareWindow share;
};

constexpr char kList[] = "10@16 11@630 100@100 200@100 101@174 102@248 103@322 104@396 105@470 106@544";
constexpr char kQrPage[] = "11@16 22@495";

TEST_F(Share, PagesRowsCaptionsOnOneLineScrollingAndReopening) {
    Open();
    const HWND first = share.Window();
    EXPECT_EQ(Shown(), kList);
    // Wine's font is wider than Segoe UI: a caption that wrapped would break inside its words.
    const WindowDC dc(Item(200));
    const SelectedObject font(dc.get(), reinterpret_cast<HFONT>(SendMessageW(Item(200), WM_GETFONT, 0, 0)));
    SIZE caption{};
    GetTextExtentPoint32W(dc.get(), L"分享 / Share", 10, &caption);
    EXPECT_LE(caption.cx, WindowRect(Item(200)).right - WindowRect(Item(200)).left - 12) << "on one line";
    Click(200);
    EXPECT_EQ(Shown(), "11@16 12@152 20@516 21@516 22@590");
    Open("DE", true);
    EXPECT_EQ(Shown(), kQrPage);
    // Moved and too short for the QR page's 600 rows: two notches down are 144.
    SetWindowPos(first, nullptr, 5, 5, 740, 400, SWP_NOZORDER);
    SendMessageW(first, WM_MOUSEWHEEL, MAKEWPARAM(0, -240), 0);
    EXPECT_EQ(Shown(), "11@-128 22@351");

    SendMessageW(first, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(first) && !IsWindowVisible(first));
    Open("CN");  // back in the middle: 740 x 780 of 1920 x 1080
    EXPECT_TRUE(share.Window() == first && WindowRect(first) == (RECT{590, 150, 1330, 930}));
    EXPECT_EQ(SendMessageW(Item(10), CB_GETCOUNT, 0, 0), 2) << "Lumenfold and the banner, refilled";
    // Facebook and Twitter are not offered in China, Gmail is chosen, and the rows keep their places.
    EXPECT_EQ(Shown(), "10@16 11@630 102@248 202@248 103@322 104@396 105@470 106@544");
    EXPECT_EQ(SendMessageW(Item(102), BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(Share, EachTargetOpensItsLinkForTheChosenBannerAndCopiesTheTextItCarries) {
    // Row, target, what in the link precedes the text the clipboard must hold (none: the mail body).
    const std::tuple<int, const char*, const char*> targets[] = {
        {1, "twitter", "?text="}, {3, "yahoo", "&body="}, {4, "email", "&body="}, {6, "weibo", "?title="},
        {0, "facebook", nullptr}};
    for (const auto& [row, target, key] : targets) {
        Open();
        SendMessageW(Item(10), CB_SETCURSEL, 1, 0);
        CopyText(nullptr, L"stale");
        const size_t opened = OpenedLinks().size();
        Click(100 + row);
        Click(200 + row);
        if (!key) {  // Facebook takes no text: its page shows it for pasting, and its button copies it
            wchar_t shown[2048] = {};
            GetWindowTextW(Item(12), shown, 2048);
            EXPECT_NE(std::wstring(shown).find(L"try it too!\r\n\r\nDownload Lumenfold for macOS"), std::wstring::npos);
            Click(21);
        }
        ASSERT_TRUE(WaitFor([&] { return OpenedLinks().size() > opened; })) << target;
        const std::string link = OpenedLinks().back();
        EXPECT_EQ(link, sharing::Compose(target, "R1", "en", "Tea & cake", "https://x.example/?a=b")) << target;
        EXPECT_EQ(Clipboard(), key ? Decoded(link.substr(link.find(key) + strlen(key))) : sharing::Body("R1", "en"))
            << target;
    }
    Open();
    Click(105);
    Click(205);
    EXPECT_EQ(Shown(), kQrPage) << "WeChat";
}

TEST_F(Share, AClipboardHeldForAMomentIsWaitedForAndOneHeldLongerIsReported) {
    for (const DWORD hold : {100, 20000}) {  // the longer hold ends once the box was answered
        Open();
        // Another thread holds the clipboard open, as a clipboard tool might.
        UniqueHandle held(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        UniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        std::thread other([&] {
            UniqueWindow owner = TestWindow({0, 0, 10, 10});
            // The last copy's watchers may still hold it.
            WaitFor([&] { return OpenClipboard(owner.get()) != FALSE; });
            SetEvent(held.get());
            WaitForSingleObject(release.get(), hold);
            CloseClipboard();
        });
        WaitForSingleObject(held.get(), 20000);
        const size_t opened = OpenedLinks().size();
        const auto boxes = AnswerBoxesDuring(IDCANCEL, [&] {
            Click(102);
            Click(202);
        });
        SetEvent(release.get());
        other.join();
        const bool waited = hold == 100;  // and a draft opens only with its text
        EXPECT_EQ(WaitFor([&] { return OpenedLinks().size() > opened; }, waited ? 10000 : 0), waited) << hold;
        ASSERT_EQ(boxes.size(), waited ? 0u : 1u) << hold;
        EXPECT_TRUE(waited || boxes[0].starts_with(L"无法复制正文 / Could not copy share text\n")) << Utf8(boxes[0]);
    }
    EXPECT_TRUE(IsWindowVisible(share.Window())) << "the dialog stays";
}

}  // namespace
