#pragma once
// The side panel: a narrow topmost tool window at the right edge that never takes activation, with
// the background brightness slider, the share page's QR code, the first banner, the credits and
// the online status; and the persistent logo over its logo slot, which stays while the panel is
// collapsed and brings it back.
#include <windows.h>
#include <objbase.h>  // PROPID, which the GDI+ headers need and WIN32_LEAN_AND_MEAN leaves out
#include <gdiplus.h>

#include <cstdint>
#include <string>

#include "common/handles.h"
#include "online/online_services.h"
#include "online/online_snapshot.h"
#include "sharing/share_window.h"
#include "toolbar/banner_picture.h"
#include "toolbar/toolbar_layout.h"

class OverlayWindow;

inline constexpr wchar_t kToolbarWindowClass[] = L"Lumenfold.Windows.Toolbar";
inline constexpr wchar_t kPersistentLogoClass[] = L"Lumenfold.Windows.PersistentLogo";

class ToolbarWindow {
public:
    ToolbarWindow() = default;
    ToolbarWindow(const ToolbarWindow&) = delete;
    ToolbarWindow& operator=(const ToolbarWindow&) = delete;
    ~ToolbarWindow();

    bool Create(HINSTANCE instance, OverlayWindow* overlay, bool onlineEnabled);
    void ShowExpanded();
    void Position();
    void Layout();
    void SetCollapsed(bool collapsed);
    void ToggleCollapsed();
    void Hide();
    void TemporarilyHide(bool hide);
    void HideAdvertisementUntilLogoClick();
    void OpenSharing(bool qr);
    void Paint();
    void Poll();
    void PollAutoVisibility(POINT cursor);  // the cursor as the overlay's tick read it

    HWND Window() const { return window; }
    HWND Logo() const { return logo; }
    bool Collapsed() const { return collapsed; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK LogoProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool CreateLogo();
    void PositionLogo();
    void NotePresentation();
    void UpdateTimers();
    bool PreparePicture();
    bool CursorOnLogo(POINT cursor) const;
    void PaintLogo(HWND logoWindow);
    ToolbarLayout LayoutFor(const RECT& client);
    int32_t MeasureLink(const std::wstring& text, float f);
    void Press(POINT point);
    void Release(POINT point);
    void DragSlider(int32_t x);
    void EndSliderDrag();
    void Scroll(int32_t offset);
    void PaintStatic(HDC dc, const RECT& client, int s);
    void BlitStatic(HDC dc, const RECT& client);
    void PaintBanners(HDC dc, float f);
    void PaintCredits(HDC dc, float f);
    // The banner link's "Segoe UI", 16 units high; underlined on screen, plain for measuring.
    static UniqueFont LinkFont(float f, bool underlined);

    bool shown = false;
    bool overLogo = false;
    bool held = false;  // the last full poll saw a capture or the left button down
    bool advertisementHidden = false;
    POINT lastCursor{};
    uint64_t lastActivity = 0;
    HINSTANCE instance = nullptr;
    HWND window = nullptr;
    HWND logo = nullptr;
    OverlayWindow* overlay = nullptr;
    bool collapsed = false;
    bool temporarilyHidden = false;
    bool shownBeforeHide = false;
    int32_t scroll = 0;
    int32_t contentHeight = 0;
    int32_t sliderGrab = 0;
    OnlineServices online;
    OnlineSnapshot snapshot;  // its status has the banner status merged in
    ShareWindow share;        // goes after the picture and before the snapshot and the online services
    BannerPicture picture;    // the first banner's, at the size it is laid out
    ToolbarLayout layout;     // every element rectangle, in client pixels
    bool draggingSlider = false;
    bool anchored = false;
    bool pressingLogo = false;
    POINT anchor{};
    bool layingOut = false;   // a scroll bar shown or hidden while laying out resizes the window
    bool polling = false;     // PollTimer runs
    SIZE pictureSize{};       // the first banner's picture as laid out
    UniqueBitmap staticLayer;  // what PaintStatic draws, for a client staticWidth wide
    int32_t staticWidth = 0;
};
