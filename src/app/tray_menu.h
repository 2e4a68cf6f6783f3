#pragma once
// The tray menu as data: its items in display order and what each command id means.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "state/app_state.h"

struct TrayMenuItem {
    unsigned id = 0;  // 0: a separator
    std::wstring text;
    bool checked = false;
};

enum TrayCommand : unsigned {
    OpenControlsCommand = 1,
    HideOverlayCommand = 4,
    QuitCommand = 5,
    CleanUpCommand = 13,
    HideFromCaptureCommand = 14,
    FollowActiveWindowCommand = 15,
    StepAsideCommand = 16,
};

// `revealKey` names the reveal key in force ("Ctrl+K").
std::vector<TrayMenuItem> TrayMenuItems(int32_t textScale, bool hideFromCapture, bool followActiveWindow,
                                        bool stepAside, std::string_view revealKey);

// The tray icon's tooltip: the reveal key in force, and whether another program owns it.
std::wstring TrayTip(std::string_view revealKey, bool taken);

// The shape a menu id creates (ids 2, 3 and 6 to 9), if it is a shape command.
std::optional<SkylightShape> ShapeForMenuId(unsigned id);

// The interface size a menu id sets (ids 10 to 12: 100, 125, 150), if it is a size command.
std::optional<int32_t> TextScaleForMenuId(unsigned id);
