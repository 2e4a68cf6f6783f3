#include "sharing/share_window.h"

#include <algorithm>
#include <array>
#include <utility>

#include "common/clipboard.h"
#include "common/shell_services.h"
#include "common/text.h"
#include "common/win_geometry.h"
#include "common/window_procedure.h"
#include "drawing/scrolling.h"
#include "online/origins.h"
#include "overlay/skylight_window.h"
#include "sharing/draw_qr.h"
#include "sharing/share_text.h"

namespace {

constexpr int kTargetListId = 10, kHintId = 11, kBodyEditId = 12;
constexpr int kCopyId = 20, kFacebookId = 21, kBackId = 22;
constexpr int kFirstTargetId = 100, kFirstShareId = 200;

constexpr std::array<const wchar_t*, kShareTargets.size()> kTargetTexts{
    L"分享到 Facebook / Share to Facebook", L"分享到 Twitter / Share to Twitter", L"分享到 Gmail / Share to Gmail",
    L"分享到 Yahoo Mail / Share to Yahoo Mail", L"分享到邮箱 / Share to Other email", L"分享到微信 / Share to WeChat",
    L"分享到微博 / Share to Weibo"};

// By page: the target list, the QR code page, the Facebook page.
constexpr std::array<const wchar_t*, 3> kHints{
    L"打开草稿后，请检查正文并自行发送。\nOpens a draft for you to review and send.",
    L"打开微信扫一扫。打开网页后，用电子邮件给朋友送个礼！\nScan in WeChat. Enter your friend\u2019s email to send macOS "
    L"and Windows download links.",
    L"Facebook 需要您粘贴正文。复制后在发帖框按 Ctrl+V。\nCopy the text, open Facebook, then paste it with Ctrl+V."};

constexpr wchar_t kCopyFailed[] = L"无法复制正文 / Could not copy share text";

// A multi-line edit breaks lines only at CR LF.
std::wstring EditText(const std::string& text) {
    std::wstring shown;
    for (const wchar_t c : Wide(text)) {
        if (c == L'\n') shown += L'\r';
        shown += c;
    }
    return shown;
}

void Place(HWND control, const SharePlace& place) {
    SetWindowPos(control, nullptr, place.rect.left, place.rect.top, static_cast<int>(Width(place.rect)),
                 static_cast<int>(Height(place.rect)),
                 SWP_NOZORDER | SWP_NOACTIVATE | (place.visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

}  // namespace

ShareWindow::~ShareWindow() {
    if (window) DestroyWindow(window);
}

void ShareWindow::Show(HINSTANCE instance, HWND owner, const OnlineSnapshot& current, bool qr) {
    snapshot = current;
    scroll = 0;
    page = qr ? SharePage::QrCodePage : SharePage::TargetList;
    selected = PreselectedTarget(snapshot.country);
    title = "Lumenfold";
    url = kPublisherSiteOrigin;
    link = sharing::Page(snapshot.referralCode, title, url);
    wchar_t locale[85] = {};
    GetUserDefaultLocaleName(locale, 85);
    language = Utf8(locale).substr(0, 2);
    if (!window && !Create(instance, owner)) return;

    SendMessageW(targetList, CB_RESETCONTENT, 0, 0);
    SendMessageW(targetList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Lumenfold"));
    for (const Banner& banner : snapshot.banners)
        SendMessageW(targetList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(banner.title).c_str()));
    SendMessageW(targetList, CB_SETCURSEL, 0, 0);
    Centre();
    Select(selected);
    SetForegroundWindow(window);
    Layout();
}

bool ShareWindow::Create(HINSTANCE instance, HWND owner) {
    RegisterPartClass(instance, kShareWindowClass, WindowProc, LoadCursorW(nullptr, IDC_ARROW),
                      static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kShareWindowClass, L"分享 / Share Lumenfold",
                    WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_VSCROLL, 0, 0, 640, 780, owner, nullptr, instance,
                    this);
    if (!window) return false;
    // Placed by Layout, given the font by ApplyFont.
    const auto child = [&](const wchar_t* className, DWORD style, int id, const wchar_t* caption = L"") {
        return CreateWindowExW(0, className, caption, WS_CHILD | WS_VISIBLE | style, 0, 0, 1, 1, window,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    };
    targetList = child(L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL, kTargetListId);
    hint = child(L"STATIC", 0, kHintId);
    targetButtons.clear();
    shareButtons.clear();
    for (int i = 0; i < static_cast<int>(kShareTargets.size()); ++i) {
        targetButtons.push_back(
            child(L"BUTTON", BS_AUTORADIOBUTTON | BS_MULTILINE, kFirstTargetId + i, kTargetTexts[i]));
        shareButtons.push_back(child(L"BUTTON", BS_MULTILINE, kFirstShareId + i, L"分享 / Share"));
    }
    bodyEdit = child(L"EDIT", WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY, kBodyEditId);
    copyButton = child(L"BUTTON", BS_MULTILINE, kCopyId, L"复制正文 / Copy text");
    facebookButton = child(L"BUTTON", BS_MULTILINE, kFacebookId, L"打开 Facebook / Open Facebook");
    backButton = child(L"BUTTON", BS_MULTILINE, kBackId, L"返回 / Back");
    ApplyFont();
    return true;
}

void ShareWindow::ApplyFont() {
    UniqueFont next = InterfaceFont(window, 18, 400);
    if (!next) return;
    for (HWND control = GetWindow(window, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT))
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(next.get()), TRUE);
    // Deleted only now that no control draws with them.
    font = std::move(next);
    for (UniqueFont& smaller : smallerFonts) smaller.reset();
    FitButtons();
}

HFONT ShareWindow::FontOf(int points) {
    if (points >= 18) return font.get();
    UniqueFont& smaller = smallerFonts[static_cast<size_t>(points - 14)];
    if (!smaller) smaller = InterfaceFont(window, points, 400);
    return smaller ? smaller.get() : font.get();
}

// A button whose caption would not fit on one line at the dialog's size takes the largest smaller
// one, down to 14 points, at which it does: Wine's font is wider than Segoe UI, and so is Windows'
// with larger text, and a caption wrapped inside a button breaks its words. Known once laid out.
void ShareWindow::FitButtons() {
    const WindowDC dc(window);
    if (!dc.get() || !font) return;
    const int margin = MulDiv(8, Dpi(), 96);  // the button's edge and focus rectangle
    std::vector<HWND> buttons = shareButtons;
    buttons.insert(buttons.end(), {copyButton, facebookButton, backButton});
    for (HWND button : buttons) {
        RECT place{};
        GetClientRect(button, &place);
        const int width = place.right - 2 * margin;
        wchar_t caption[64]{};
        const int length = GetWindowTextW(button, caption, 64);
        if (width <= 0) continue;  // not laid out yet
        HFONT chosen = font.get();
        for (int points = 18; points >= 14; --points) {
            chosen = FontOf(points);
            const SelectedObject selected(dc.get(), chosen);
            SIZE need{};
            if (GetTextExtentPoint32W(dc.get(), caption, length, &need) && need.cx <= width) break;
        }
        if (reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)) != chosen)
            SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(chosen), TRUE);
    }
}

void ShareWindow::Centre() {
    const RECT work = MonitorBounds(CursorPosition(), true);
    const int workWidth = work.right - work.left, workHeight = work.bottom - work.top;
    const auto centred = [&](HWND after, int width, int height, UINT flags) {
        SetWindowPos(window, after, work.left + (workWidth - width) / 2, work.top + (workHeight - height) / 2, width,
                     height, flags);
    };
    // A window takes the DPI of the monitor it lies on: centred there first at its old size, it is then
    // sized for the DPI it got.
    RECT now{};
    GetWindowRect(window, &now);
    centred(nullptr, now.right - now.left, now.bottom - now.top, SWP_NOZORDER | SWP_NOACTIVATE);
    centred(HWND_TOPMOST, std::min(workWidth - 24, MulDiv(740, Dpi(), 96)),
            std::min(workHeight - 24, MulDiv(780, Dpi(), 96)), SWP_SHOWWINDOW);
}

int32_t ShareWindow::Dpi() const {
    const UINT dpi = window ? GetDpiForWindow(window) : 0;
    return dpi ? static_cast<int32_t>(dpi) : 96;
}

ShareLayout ShareWindow::Current() const {
    RECT client{};
    GetClientRect(window, &client);
    return LayoutShare({client.right, client.bottom, Dpi(), scroll, page, snapshot.country, selected});
}

void ShareWindow::Select(int32_t index) {
    selected = index;
    for (size_t i = 0; i < targetButtons.size(); ++i)
        SendMessageW(targetButtons[i], BM_SETCHECK, static_cast<int32_t>(i) == selected ? BST_CHECKED : BST_UNCHECKED,
                     0);
    Layout();
}

void ShareWindow::Layout() {
    if (!window || !backButton) return;
    RECT client{};
    GetClientRect(window, &client);
    const ShareLayout layout = Current();
    scroll = layout.scroll;
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, layout.contentHeight,
                    static_cast<UINT>(client.bottom), scroll, 0};
    SetScrollInfo(window, SB_VERT, &info, TRUE);
    // Showing or hiding the bar changes the client width; the WM_SIZE that follows lays out again.
    RECT after{};
    GetClientRect(window, &after);
    if (after.right != client.right) return;

    Place(targetList, layout.targetList);
    for (size_t i = 0; i < targetButtons.size(); ++i) {
        Place(targetButtons[i], layout.targetButtons[i]);
        Place(shareButtons[i], layout.shareButtons[i]);
    }
    SetWindowTextW(hint, kHints[static_cast<size_t>(page)]);
    Place(hint, layout.hint);
    Place(bodyEdit, layout.bodyEdit);
    Place(copyButton, layout.copyButton);
    Place(facebookButton, layout.facebookButton);
    Place(backButton, layout.backButton);
    FitButtons();
    InvalidateRect(window, nullptr, TRUE);
}

void ShareWindow::Forward() {
    const auto item = static_cast<int32_t>(SendMessageW(targetList, CB_GETCURSEL, 0, 0));
    ShareDraft draft = DraftShare(selected, item, snapshot, language);
    title = std::move(draft.title);
    url = std::move(draft.url);
    text = std::move(draft.text);
    link = std::move(draft.link);
    if (selected == kFacebookTarget || selected == kWeChatTarget) {
        // Facebook takes no prefilled text: the user copies it from the page; WeChat scans the code.
        page = selected == kFacebookTarget ? SharePage::FacebookPage : SharePage::QrCodePage;
        scroll = 0;
        if (page == SharePage::FacebookPage) SetWindowTextW(bodyEdit, EditText(text).c_str());
        Layout();
        return;
    }
    Send(kCopyFailed, L"无法打开浏览器或邮箱 / Could not open browser or mail app");
}

void ShareWindow::Send(const wchar_t* copyFailure, const wchar_t* openFailure) {
    if (!CopyText(window, Wide(text))) return CopyableError(window, copyFailure);
    if (!OpenLink(window, Wide(link))) return CopyableError(window, openFailure);
    ShowWindow(window, SW_HIDE);
}

void ShareWindow::PaintQR() {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(window, &paint);
    if (page == SharePage::QrCodePage) DrawQR(dc, ToRECT(Current().qr), link);
    EndPaint(window, &paint);
}

LRESULT CALLBACK ShareWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return ObjectWindowProc<ShareWindow>(
        hwnd, message, wParam, lParam, [hwnd](ShareWindow& self) { self.window = hwnd; },
        [&](ShareWindow& self) { return self.Handle(message, wParam, lParam); });
}

LRESULT ShareWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCDESTROY: {
            HWND gone = window;
            SetWindowLongPtrW(gone, GWLP_USERDATA, 0);
            window = nullptr;
            return DefWindowProcW(gone, message, wParam, lParam);
        }
        case WM_SIZE: Layout(); return 0;
        case WM_DPICHANGED: {
            // Dragged onto a monitor of another scale, or its monitor's scale changed: the font goes
            // with the new DPI, and the size Windows suggests for it keeps the dialog's look.
            ApplyFont();
            if (const auto* suggested = reinterpret_cast<const RECT*>(lParam))
                SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                             suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
            Layout();
            return 0;
        }
        case WM_PAINT: PaintQR(); return 0;
        case WM_CLOSE: ShowWindow(window, SW_HIDE); return 0;
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const bool clicked = HIWORD(wParam) == BN_CLICKED;
            const int targets = static_cast<int>(kShareTargets.size());
            if (id >= kFirstTargetId && id < kFirstTargetId + targets && clicked) {
                Select(id - kFirstTargetId);
            } else if (id >= kFirstShareId && id < kFirstShareId + targets && clicked) {
                Forward();
            } else if (id == kCopyId) {
                if (!CopyText(window, Wide(text))) CopyableError(window, kCopyFailed);
            } else if (id == kFacebookId) {
                constexpr wchar_t kFailed[] = L"无法打开 Facebook / Could not open Facebook";
                Send(kFailed, kFailed);
            } else if (id == kBackId) {
                page = SharePage::TargetList;
                scroll = 0;
                Layout();
            }
            return 0;
        }
        case WM_VSCROLL: {
            SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
            GetScrollInfo(window, SB_VERT, &info);
            scroll = ScrollForBar(scroll, LOWORD(wParam), static_cast<int32_t>(info.nPage), info.nTrackPos, info.nMax);
            Layout();
            return 0;
        }
        case WM_MOUSEWHEEL:
            scroll += GET_WHEEL_DELTA_WPARAM(wParam) / 120 * -72;  // Layout clamps it
            Layout();
            return 0;
        default: return DefWindowProcW(window, message, wParam, lParam);
    }
}
