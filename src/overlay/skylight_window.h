#pragma once
// Everything on screen that belongs to one skylight except its hole: a click-through black window
// over the hole that gives the skylight its own brightness, a floating bar with a brightness slider
// and a moon button, a close button on the top-right corner and five resize grips. It moves and
// resizes its record in place and asks the overlay to refresh and save.
#include <windows.h>

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "common/handles.h"
#include "overlay/skylight_layout.h"
#include "state/app_state.h"

class OverlayWindow;

// How many skylights wear their bar, close button and grips at once; beyond it they follow the pointer.
inline constexpr size_t kDecoratedSkylights = 50;

inline constexpr wchar_t kSkylightInputClass[] = L"Lumenfold.Windows.SkylightInput";
inline constexpr wchar_t kSkylightControlsClass[] = L"Lumenfold.Windows.SkylightControls";
inline constexpr wchar_t kSkylightCloseClass[] = L"Lumenfold.Windows.SkylightClose";
inline constexpr wchar_t kSkylightGripClass[] = L"Lumenfold.Windows.SkylightResize";

// Registers one of the skylight windows' classes (class style 0); registering it again is harmless.
void RegisterPartClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, HCURSOR cursor, HBRUSH brush);

class SkylightWindow {
public:
    SkylightWindow(OverlayWindow* owner, size_t index);
    SkylightWindow(const SkylightWindow&) = delete;
    SkylightWindow& operator=(const SkylightWindow&) = delete;
    ~SkylightWindow();

    void Update(bool show);
    void UpdateControlsVisibility(bool moved, uint64_t now);
    void BeginDrag(POINT point, HWND captureWindow);
    void MoveDrag(POINT point);
    void EndDrag();
    void UpdateBrightness();
    // The next Update places every window again, above an overlay that was just raised.
    void PlaceAgain() { placed.reset(); }
    // The bar, the close button and the grips: a long list of skylights wears them on a few at a
    // time, since each is a window of its own and Windows allows a process 10,000.
    bool Decorated() const { return static_cast<bool>(controls); }
    bool Busy() const { return dragging || sliderDragging; }
    void Decorate();
    void Undecorate();
    // When the pointer last came near: the one left longest ago gives up its parts.
    void NoteHovered(uint64_t now) { hovered = now; }
    uint64_t LastHovered() const { return hovered; }

    size_t Index() const { return index; }
    void Renumber(size_t position) { index = position; }
    bool Shown() const { return visible; }
    HWND Input() const { return input.get(); }
    HWND Controls() const { return controls.get(); }
    HWND CloseButton() const { return closeButton.get(); }
    HWND Grip(int slot) const { return grips[static_cast<size_t>(slot)].get(); }
    void ApplyCaptureExclusion(bool exclude);

private:
    static LRESULT CALLBACK InputProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK CloseProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK GripProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT InputMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT ControlMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT CloseMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);  // the grips

    SkylightRegion& Record() const;
    int Scale(int pixels) const;
    HWND CreatePart(const wchar_t* className, const wchar_t* title, DWORD exStyle, DWORD style);
    void Place();
    void PlaceCloseButton();
    void CreateCloseButton();
    void PaintControls();
    void ContextMenu();
    void PressControls(HWND window, WPARAM wParam, LPARAM lParam);
    void EndSliderDrag(bool releaseCapture);
    void RequestClose();
    void Reshape();
    void DestroyParts();

    // The grips.
    void UpdateGrips(bool show);
    void PaintGrips();
    bool MoveTogether();
    void SetGripsIdle(bool idle);
    int SlotOf(HWND window) const;
    uint32_t ZoneUnderPointer(int slot);
    bool GripPressed(int slot) const;
    void RepaintGrip(int slot, int brightness, bool idle);

    // What the windows were last placed and painted for: a refresh that changes nothing of this
    // skylight (another one is being dragged, say) leaves its windows alone.
    struct Placement {
        Rect bounds;
        int32_t brightness = 0;
        SkylightShape shape = SkylightShape::Rounded;
        UINT dpi = 0;
        friend bool operator==(const Placement&, const Placement&) = default;
    };
    struct GripPicture {
        int width = 0, height = 0, brightness = -1;
        bool idle = false;
        UINT dpi = 0;
        friend bool operator==(const GripPicture&, const GripPicture&) = default;
    };

    std::array<UniqueWindow, 5> grips;
    std::array<bool, 5> gripHover{};
    std::array<POINT, 5> gripPoint{};
    uint32_t dragMode = 0;
    int32_t sliderGrab = 0;
    bool brightnessPending = false;
    bool visible = false;
    uint64_t hovered = 0;
    bool controlsShown = true;
    bool gripsIdle = false;
    uint64_t lastInteraction = 0;
    OverlayWindow* owner;
    size_t index;
    HWND previousForeground = nullptr;
    UniqueWindow input;
    UniqueWindow controls;
    UniqueWindow closeButton;
    bool dragging = false;
    bool resizing = false;
    bool sliderDragging = false;
    // Where the parts went on the last placement, at `dpi`.
    SkylightParts parts;
    POINT dragStart{};
    Rect startBounds;
    std::optional<Placement> placed;
    // The input window's DPI, which the whole skylight is sized for; Windows tells it by
    // WM_DPICHANGED when the window reaches a monitor of another scale or its monitor's scale changes.
    UINT dpi = 96;
    bool placing = false;
    UINT zOrder = 0;  // SWP_NOZORDER while the windows only move
    // Drag steps closer together than a frame wait for the drag timer: reshaping the overlay costs
    // more than a frame under load, and the pointer must never queue behind it.
    bool reshapePending = false;
    std::chrono::steady_clock::time_point lastReshape{};
    std::array<GripPicture, 5> gripPictures{};
};
