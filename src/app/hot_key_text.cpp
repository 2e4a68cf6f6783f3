#include "app/hot_key_text.h"

#include <array>
#include <utility>

namespace {

// The longest real name with blanks around every part is far shorter; more is not a key.
constexpr std::size_t kMaxTextLength = 64;
constexpr uint32_t kFirstFunctionKey = 0x70;  // F1
constexpr int kFunctionKeys = 24;

constexpr std::array<std::pair<std::string_view, uint32_t>, 4> kModifiers{
    {{"Ctrl", kHotKeyCtrl}, {"Alt", kHotKeyAlt}, {"Shift", kHotKeyShift}, {"Win", kHotKeyWin}}};

std::string_view Trimmed(std::string_view part) {
    while (!part.empty() && (part.front() == ' ' || part.front() == '\t')) part.remove_prefix(1);
    while (!part.empty() && (part.back() == ' ' || part.back() == '\t')) part.remove_suffix(1);
    return part;
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i])) return false;
    return true;
}

std::optional<uint32_t> Key(std::string_view part) {
    if (part.size() == 1) {
        const char c = Upper(part[0]);
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return static_cast<uint32_t>(c);
        return std::nullopt;
    }
    // "F1".."F24", without leading zeros.
    if (part.size() < 2 || part.size() > 3 || Upper(part[0]) != 'F' || part[1] < '1' || part[1] > '9')
        return std::nullopt;
    int number = part[1] - '0';
    if (part.size() == 3) {
        if (part[2] < '0' || part[2] > '9') return std::nullopt;
        number = number * 10 + (part[2] - '0');
    }
    if (number > kFunctionKeys) return std::nullopt;
    return kFirstFunctionKey + static_cast<uint32_t>(number - 1);
}

}  // namespace

std::optional<HotKey> ParseHotKey(std::string_view text) {
    if (text.size() > kMaxTextLength) return std::nullopt;
    HotKey key;
    for (;;) {
        const std::size_t plus = text.find('+');
        const std::string_view part = Trimmed(text.substr(0, plus));
        if (plus == std::string_view::npos) {
            const std::optional<uint32_t> virtualKey = Key(part);
            if (!virtualKey) return std::nullopt;
            key.virtualKey = *virtualKey;
            break;
        }
        uint32_t modifier = 0;
        for (const auto& [name, bit] : kModifiers)
            if (SameLetters(part, name)) modifier = bit;
        if (modifier == 0 || (key.modifiers & modifier)) return std::nullopt;
        key.modifiers |= modifier;
        text.remove_prefix(plus + 1);
    }
    const bool typing = key.virtualKey < kFirstFunctionKey;
    if (typing && !(key.modifiers & (kHotKeyCtrl | kHotKeyAlt | kHotKeyWin))) return std::nullopt;
    return key;
}

std::string HotKeyName(HotKey key) {
    std::string name;
    for (const auto& [modifier, bit] : kModifiers)
        if (key.modifiers & bit) name += std::string(modifier) + "+";
    if (key.virtualKey >= kFirstFunctionKey)
        return name + "F" + std::to_string(key.virtualKey - kFirstFunctionKey + 1);
    return name + static_cast<char>(key.virtualKey);
}
