#pragma once
// The share dialog: what to share (the program or a banner) and where to, as standard controls on a
// plain white window. Created on first use, then only hidden and shown again; the only window of
// ours besides the message boxes that takes the foreground.
#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/handles.h"
#include "online/online_snapshot.h"
#include "sharing/share_dialog.h"

inline constexpr wchar_t kShareWindowClass[] = L"Lumenfold.Windows.Share";

class ShareWindow {
public:
    ShareWindow() = default;
    ShareWindow(const ShareWindow&) = delete;
    ShareWindow& operator=(const ShareWindow&) = delete;
    ~ShareWindow();

    // Opens the dialog on the target list, or on the QR code of the share page when qr is set.
    void Show(HINSTANCE instance, HWND owner, const OnlineSnapshot& current, bool qr);
    void Select(int32_t index);
    void Layout();
    void Forward();
    void PaintQR();

    HWND Window() const { return window; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    bool Create(HINSTANCE instance, HWND owner);
    void ApplyFont();
    HFONT FontOf(int points);
    void FitButtons();
    void Centre();
    int32_t Dpi() const;
    ShareLayout Current() const;
    void Send(const wchar_t* copyFailure, const wchar_t* openFailure);

    HWND window = nullptr;
    HWND targetList = nullptr;
    HWND hint = nullptr;
    HWND bodyEdit = nullptr;
    HWND copyButton = nullptr;
    HWND facebookButton = nullptr;
    HWND backButton = nullptr;
    UniqueFont font;
    std::array<UniqueFont, 4> smallerFonts;  // 14 to 17 points, for buttons whose captions need them
    OnlineSnapshot snapshot;
    std::vector<HWND> targetButtons;
    std::vector<HWND> shareButtons;
    std::string language;
    std::string link;
    std::string text;
    std::string title;
    std::string url;
    int32_t selected = 0;
    SharePage page = SharePage::TargetList;
    int32_t scroll = 0;
};
