#include "state/settings_format.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "common/json_number.h"
#include "common/outside_input.h"

namespace {

// The default object map keeps keys sorted, which gives the written file its key order.
using Json = nlohmann::json;

constexpr int32_t kSettingsVersion = 1;
constexpr int32_t kMinShape = static_cast<int32_t>(SkylightShape::Rounded);
constexpr int32_t kMaxShape = static_cast<int32_t>(SkylightShape::VerticalStrip);

// Windows editors (Notepad's "UTF-8 with BOM", PowerShell 5) start a file with a byte order mark,
// so one is taken off. The library would skip a second one, and it takes a NUL byte for the end of
// the input, accepting whatever follows: both are refused before it sees them.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr char kNul = '\0';

const Json* Member(const Json& object, const char* key) {
    const auto found = object.find(key);
    return found == object.end() ? nullptr : &*found;
}

// A missing key gives the fallback; a present one must be a number and is clamped into range.
std::optional<int32_t> ClampedNumber(const Json& object, const char* key, int32_t fallback, int32_t lowest,
                                     int32_t highest) {
    const Json* member = Member(object, key);
    if (member == nullptr) {
        return fallback;
    }
    const std::optional<int64_t> number = WholeNumber(*member);
    if (!number) {
        return std::nullopt;
    }
    return static_cast<int32_t>(std::clamp<int64_t>(*number, lowest, highest));
}

std::optional<bool> Flag(const Json& object, const char* key, bool fallback) {
    const Json* member = Member(object, key);
    if (member == nullptr) {
        return fallback;
    }
    if (!member->is_boolean()) {
        return std::nullopt;
    }
    return member->get<bool>();
}

// Coordinates are not clamped: one outside 32 bits is a broken file, not a far-away skylight.
std::optional<Rect> Bounds(const Json& entry) {
    const Json* bounds = Member(entry, "bounds");
    if (bounds == nullptr || !bounds->is_array() || bounds->size() != 4) {
        return std::nullopt;
    }
    int32_t edges[4] = {};
    for (std::size_t i = 0; i < 4; ++i) {
        const std::optional<int64_t> number = WholeNumber((*bounds)[i]);
        if (!number || *number < std::numeric_limits<int32_t>::min() ||
            *number > std::numeric_limits<int32_t>::max()) {
            return std::nullopt;
        }
        edges[i] = static_cast<int32_t>(*number);
    }
    const Rect rect{edges[0], edges[1], edges[2], edges[3]};
    if (rect.right <= rect.left || rect.bottom <= rect.top) {
        return std::nullopt;
    }
    return rect;
}

// Older files know only "ellipse"; "shape" wins when both are there.
std::optional<SkylightShape> Shape(const Json& entry) {
    const std::optional<bool> ellipse = Flag(entry, "ellipse", false);
    if (!ellipse) {
        return std::nullopt;
    }
    const Json* shape = Member(entry, "shape");
    if (shape == nullptr) {
        return *ellipse ? SkylightShape::Elliptical : SkylightShape::Rounded;
    }
    const std::optional<int64_t> number = WholeNumber(*shape);
    if (!number || *number < kMinShape || *number > kMaxShape) {
        return std::nullopt;
    }
    return static_cast<SkylightShape>(*number);
}

std::optional<SkylightRegion> Skylight(const Json& entry) {
    if (!entry.is_object()) {
        return std::nullopt;
    }
    const std::optional<Rect> bounds = Bounds(entry);
    const std::optional<SkylightShape> shape = Shape(entry);
    const std::optional<int32_t> brightness = ClampedNumber(entry, "brightness", 100, 0, 100);
    const std::optional<bool> moveEnabled = Flag(entry, "moveEnabled", true);
    if (!bounds || !shape || !brightness || !moveEnabled) {
        return std::nullopt;
    }
    return SkylightRegion{*bounds, *shape, *brightness, *moveEnabled};
}

bool Loadable(const SkylightRegion& region) {
    const auto shape = static_cast<int32_t>(region.shape);
    const Rect b = StoredBounds(region);
    return b.right > b.left && b.bottom > b.top &&
           shape >= kMinShape && shape <= kMaxShape;
}

}  // namespace

bool ParseSettings(std::string_view bytes, AppState& state) noexcept {
    try {
        if (bytes.size() > kMaxSettingsFileBytes) {
            return false;
        }
        if (bytes.starts_with(kByteOrderMark)) {
            bytes.remove_prefix(kByteOrderMark.size());
        }
        if (bytes.starts_with(kByteOrderMark) || bytes.find(kNul) != std::string_view::npos ||
            !NestedWithin(bytes)) {
            return false;
        }
        const Json document = Json::parse(bytes.begin(), bytes.end(), nullptr, /*allow_exceptions=*/false,
                                          /*ignore_comments=*/false);
        if (document.is_discarded() || !document.is_object()) {
            return false;
        }
        const Json* version = Member(document, "version");
        if (version == nullptr || *version != Json(kSettingsVersion)) {
            return false;
        }
        const std::optional<int32_t> backgroundBrightness =
            ClampedNumber(document, "backgroundBrightness", 0, 0, 100);
        const std::optional<int32_t> textScale = ClampedNumber(document, "textScale", 100, 100, 150);
        const std::optional<bool> hideFromCapture = Flag(document, "hideFromCapture", true);
        const std::optional<bool> follow = Flag(document, "followActiveWindow", false);
        const std::optional<bool> stepAside = Flag(document, "stepAsideForFullScreen", true);
        // Only the key is unreadable, not the file: it falls back to Ctrl+K.
        const Json* revealHotKey = Member(document, "revealHotKey");
        const Json* list = Member(document, "skylights");
        if (!backgroundBrightness || !textScale || !hideFromCapture || !follow || !stepAside || list == nullptr ||
            !list->is_array() || list->size() > kMaxSkylights) {
            return false;
        }
        std::vector<SkylightRegion> skylights;
        skylights.reserve(list->size());
        for (const Json& entry : *list) {
            std::optional<SkylightRegion> region = Skylight(entry);
            if (!region) {
                return false;
            }
            skylights.push_back(*region);
        }

        // Nothing below can fail, so the state changes completely or not at all.
        state.backgroundBrightness = *backgroundBrightness;
        state.textScale = *textScale;
        state.hideFromCapture = *hideFromCapture;
        state.followActiveWindow = *follow;
        state.stepAsideForFullScreen = *stepAside;
        state.revealHotKey = revealHotKey && revealHotKey->is_string() ? revealHotKey->get<std::string>() : "";
        state.skylights = std::move(skylights);
        state.mode = state.skylights.empty() ? OverlayMode::Shaded : OverlayMode::Skylights;
        return true;
    } catch (...) {
        return false;
    }
}

std::optional<std::string> SerializeSettings(const AppState& state) noexcept {
    try {
        // Writing what the next start would refuse would stop that start with the settings message.
        if (state.skylights.size() > kMaxSkylights ||
            !std::all_of(state.skylights.begin(), state.skylights.end(), Loadable)) {
            return std::nullopt;
        }
        Json skylights = Json::array();
        for (const SkylightRegion& region : state.skylights) {
            Json entry = Json::object();
            const Rect b = StoredBounds(region);
            entry["bounds"] = Json::array({b.left, b.top, b.right, b.bottom});
            entry["brightness"] = region.brightness;
            entry["ellipse"] = region.shape == SkylightShape::Elliptical;
            entry["moveEnabled"] = region.moveEnabled;
            entry["shape"] = static_cast<int32_t>(region.shape);
            skylights.push_back(std::move(entry));
        }
        Json document = Json::object();
        document["version"] = kSettingsVersion;
        document["backgroundBrightness"] = state.backgroundBrightness;
        document["textScale"] = state.textScale;
        // Written only when set, so a user who never touches them keeps the same bytes as before.
        if (!state.hideFromCapture) document["hideFromCapture"] = false;
        if (state.followActiveWindow) document["followActiveWindow"] = true;
        if (!state.stepAsideForFullScreen) document["stepAsideForFullScreen"] = false;
        if (!state.revealHotKey.empty()) document["revealHotKey"] = state.revealHotKey;
        document["skylights"] = std::move(skylights);
        return document.dump(2, ' ', /*ensure_ascii=*/false, Json::error_handler_t::strict);
    } catch (...) {
        return std::nullopt;
    }
}

Rect StoredBounds(const SkylightRegion& skylight) {
    return skylight.held && skylight.held->shown == skylight.bounds ? skylight.held->stored : skylight.bounds;
}

bool RefitSkylights(std::vector<SkylightRegion>& skylights, const std::function<Rect(const Rect&)>& fit, bool held) {
    bool moved = false;
    for (SkylightRegion& skylight : skylights) {
        const Rect stored = StoredBounds(skylight);
        skylight.bounds = fit(stored);
        skylight.held.reset();
        if (skylight.bounds == stored) continue;
        if (held) skylight.held = HeldRefit{stored, skylight.bounds};
        moved = moved || !held;
    }
    return moved;
}
