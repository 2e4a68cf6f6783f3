// An accepted file gives a livable state that survives save and reload; a refused one changes nothing.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "app/hot_key_text.h"
#include "require.h"
#include "state/settings_format.h"

namespace {

bool Within(int32_t value, int32_t lowest, int32_t highest) { return value >= lowest && value <= highest; }

bool SamePersisted(const AppState& a, const AppState& b) {
    return a.mode == b.mode && a.skylights == b.skylights && a.backgroundBrightness == b.backgroundBrightness &&
           a.textScale == b.textScale && a.hideFromCapture == b.hideFromCapture && a.revealHotKey == b.revealHotKey &&
           a.followActiveWindow == b.followActiveWindow && a.stepAsideForFullScreen == b.stepAsideForFullScreen;
}

// Values no file can produce, so a refused file that changed anything shows.
const AppState kSentinel{.mode = OverlayMode::Blackout,
                         .skylights = {{{1, 2, 3, 4}, SkylightShape::VerticalStrip, -7, false}},
                         .backgroundBrightness = -7,
                         .textScale = 7,
                         .hideFromCapture = false,
                         .revealHotKey = "\x01",
                         .followActiveWindow = true,
                         .stepAsideForFullScreen = false};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::optional<HotKey> key = ParseHotKey(bytes);  // the same bytes as a reveal key's text
    Require(!key || (key->modifiers <= 15 && ParseHotKey(HotKeyName(*key)) == key), "a key that does not name itself");
    AppState state = kSentinel;
    if (!ParseSettings(bytes, state)) {
        Require(SamePersisted(state, kSentinel), "a refused file changed the state");
        return 0;
    }
    Require(Within(state.backgroundBrightness, 0, 100), "background brightness out of range");
    Require(Within(state.textScale, 100, 150), "text scale out of range");
    Require(state.skylights.size() <= 1000, "too many skylights");
    Require(state.mode == (state.skylights.empty() ? OverlayMode::Shaded : OverlayMode::Skylights),
            "mode does not follow the list");
    for (const SkylightRegion& region : state.skylights) {
        Require(Width(region.bounds) > 0 && Height(region.bounds) > 0, "empty skylight");
        Require(Within(static_cast<int32_t>(region.shape), 0, 5), "unknown shape");
        Require(Within(region.brightness, 0, 100), "skylight brightness out of range");
    }

    const auto text = SerializeSettings(state);
    Require(text.has_value(), "an accepted state cannot be saved");
    AppState reloaded = kSentinel;
    Require(ParseSettings(*text, reloaded), "a saved file does not load");
    Require(SamePersisted(reloaded, state), "a saved file loads differently");
    Require(SerializeSettings(reloaded) == text, "saving again gives other bytes");
    return 0;
}
