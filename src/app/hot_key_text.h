#pragma once
// The reveal key as the user writes it in the settings file ("Ctrl+Shift+D", "Alt+F10") and back.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The bits of RegisterHotKey's modifiers.
inline constexpr uint32_t kHotKeyAlt = 0x1;
inline constexpr uint32_t kHotKeyCtrl = 0x2;
inline constexpr uint32_t kHotKeyShift = 0x4;
inline constexpr uint32_t kHotKeyWin = 0x8;

struct HotKey {
    uint32_t modifiers = 0;
    uint32_t virtualKey = 0;  // 'A'..'Z', '0'..'9' or F1..F24 (0x70..0x87)
    friend bool operator==(const HotKey&, const HotKey&) = default;
};

inline constexpr HotKey kDefaultRevealKey{kHotKeyCtrl, 'K'};

// Modifiers in any order and case, then one key, joined by "+" with optional blanks around each
// part. Refused: an unknown or missing part, a modifier named twice, and a letter or digit without
// Ctrl, Alt or Win, which as a global key would swallow the user's typing.
std::optional<HotKey> ParseHotKey(std::string_view text);

// "Ctrl+Alt+Shift+Win+F24": the modifiers always in that order.
std::string HotKeyName(HotKey key);
