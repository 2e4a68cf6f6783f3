// Specific outcomes only: the fuzz target checks ranges, refusal without change and the round trip.
#include "state/settings_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/hot_key_text.h"
#include "app/tray_menu.h"

namespace {

using namespace std::string_view_literals;

std::optional<AppState> Load(std::string_view text) {
    AppState state;
    if (!ParseSettings(text, state)) return std::nullopt;
    return state;
}

std::optional<std::string> Save(std::vector<SkylightRegion> skylights) {
    AppState state;
    state.skylights = std::move(skylights);
    return SerializeSettings(state);
}

std::string SkylightsOfBounds(std::string_view bounds) {
    return R"({"version": 1, "skylights": [{"bounds": [0, 0, 100, 100]}, {"bounds": )" + std::string(bounds) + "}]}";
}

std::string FileOf(int skylights) {
    std::string text = R"({"version": 1, "skylights": [{"bounds": [0, 0, 10, 10]})";
    for (int i = 1; i < skylights; ++i) text += R"(, {"bounds": [0, 0, 10, 10]})";
    return text + "]}";
}

TEST(ParseSettings, DefaultsUnknownMembersClampsAndRefusesWhatItDoesNotFullyUnderstandOrCannotHoldIn32Bits) {
    AppState state;
    state.backgroundBrightness = 60;
    state.textScale = 150;
    state.creationShape = SkylightShape::Circle;
    // 1.0 is version 1; "theme" and "note" are some other copy's.
    ASSERT_TRUE(ParseSettings(
        R"({"version": 1.0, "theme": "dark", "skylights": [{"bounds": [10, 20, 110, 220], "note": "desk"}]})", state));
    EXPECT_EQ(state.backgroundBrightness, 0);
    EXPECT_EQ(state.textScale, 100);
    EXPECT_EQ(state.skylights, std::vector<SkylightRegion>({{{10, 20, 110, 220}, SkylightShape::Rounded, 100, true}}));
    EXPECT_EQ(state.creationShape, SkylightShape::Circle) << "not in the file, so not the file's to change";
    const auto full = Load(FileOf(1000));
    ASSERT_TRUE(full);
    EXPECT_TRUE(SerializeSettings(*full).has_value());
    const std::string bom = "\xEF\xBB\xBF";
    EXPECT_TRUE(Load(bom + R"({"version": 1, "skylights": []})"));
    const std::string twoBoms = bom + bom + R"({"version": 1, "skylights": []})";
    const std::string innerBom = R"({"version": 1, )" + bom + R"("skylights": []})";
    const std::string tooMany = FileOf(1001);
    const std::string deep = R"({"version":1,"skylights":[],"x":)" + std::string(64, '[') + std::string(64, ']') + "}";
    const std::string_view refused[] = {
        R"({"version": 2, "skylights": []})",
        R"({"skylights": []})",
        R"({"version": 1})",
        R"({"version": 1, "skylights": {"0": {"bounds": [0, 0, 10, 10]}}})",
        "// saved by hand\n{\"version\": 1, \"skylights\": []}",
        R"({"version": 1, "skylights": [], "textScale": "150"})",
        R"({"version": 1, "skylights": [], "hideFromCapture": "no"})",
        R"({"version": 1, "skylights": [], "followActiveWindow": 1})",
        R"({"version": 1, "skylights": [], "stepAsideForFullScreen": null})",
        R"({"version": 1, "skylights": [{"bounds": [0, 0, 10, 10], "ellipse": 1, "shape": 2}]})",
        R"({"version": 1, "skylights": [{"bounds": [0, 0, 10, 10], "moveEnabled": "false"}]})",
        R"({"version": 1, "skylights": [{"bounds": [0, 0, 10, 10], "shape": 6}]})",
        R"({"version": 1, "skylights": [{"bounds": [0, 0, 10, 10], "shape": 4294967296}]})",  // 0 in 32 bits
        "{\"version\": 1, \"skylights\": []}\0 }"sv,  // the library would stop at the NUL
        tooMany, deep, twoBoms, innerBom,
    };
    for (const std::string_view text : refused) {
        SCOPED_TRACE(text.substr(0, 100));
        EXPECT_FALSE(Load(text));
    }
    // Narrowed to 32 bits first, 4294967296 would be 0 and -4294967196 would be 100.
    const auto clamped = Load(R"({"version": 1, "backgroundBrightness": 4294967296, "textScale": 1e12,
        "skylights": [{"bounds": [0, 0, 10, 10], "brightness": -4294967196},
                      {"bounds": [0, 0, 10, 10], "brightness": 50.9}]})");
    ASSERT_TRUE(clamped);
    EXPECT_EQ(clamped->backgroundBrightness, 100);
    EXPECT_EQ(clamped->textScale, 150);
    EXPECT_EQ(clamped->skylights.at(0).brightness, 0);
    EXPECT_EQ(clamped->skylights.at(1).brightness, 50);
    // Wrapped or cast to 32 bits, the first three would give a rectangle with a size.
    for (const char* bounds : {"[0, 0, 4294967306, 10]", "[-4294967295, 0, 10, 10]", "[-1e10, 0, 10, 10]",
                               "[10, 10, 10, 50]", "[10, 50, 50, 10]", "[0, 0, 10]", "[0, 0, 10, 10, 10]"}) {
        SCOPED_TRACE(bounds);
        EXPECT_FALSE(Load(SkylightsOfBounds(bounds)));
    }
    const auto widest = Load(SkylightsOfBounds("[-2147483648, -2147483648, 2147483647, 2147483647]"));
    ASSERT_TRUE(widest);
    EXPECT_EQ(widest->skylights.at(1).bounds, (Rect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}));
}

TEST(SerializeSettings, EllipseForOlderCopiesShapeWinsAndRefusesWhatTheNextStartWouldRefuse) {
    // Older copies know a skylight's shape only by "ellipse".
    const auto ellipse = Save({{{0, 0, 10, 10}, SkylightShape::Elliptical}});
    EXPECT_NE(ellipse.value().find(R"("ellipse": true,)"), std::string::npos);
    const auto state = Load(R"({"version": 1, "skylights": [{"bounds": [0, 0, 10, 10], "ellipse": true},
        {"bounds": [0, 0, 10, 10], "ellipse": true, "shape": 2}]})");
    EXPECT_EQ(state.value().skylights.at(0).shape, SkylightShape::Elliptical);
    EXPECT_EQ(state->skylights.at(1).shape, SkylightShape::Rectangle);
    EXPECT_FALSE(Save({{{10, 10, 10, 50}}}));
    EXPECT_FALSE(Save({{{0, 0, 10, 10}, static_cast<SkylightShape>(6)}}));
    EXPECT_FALSE(Save(std::vector<SkylightRegion>(1001, {{0, 0, 10, 10}})));
}

TEST(Settings, RevealKeyKeptAsWrittenAnyOtherTypeIgnoredChoicesWrittenOnlyWhenNotTheDefault) {
    const auto saved = SerializeSettings(Load(R"({"version": 1, "skylights": [], "revealHotKey": "alt + f10",
                                                  "hideFromCapture": false, "followActiveWindow": true,
                                                  "stepAsideForFullScreen": false})").value());
    EXPECT_NE(saved->find("\n  \"followActiveWindow\": true,\n  \"hideFromCapture\": false,\n  \"revealHotKey\": "
                          "\"alt + f10\",\n  \"skylights\": [],\n  \"stepAsideForFullScreen\": false,"),
              std::string::npos);
    const auto other = Load(R"({"version": 1, "skylights": [], "revealHotKey": 5, "hideFromCapture": true})");
    EXPECT_TRUE(other && other->revealHotKey.empty() && other->hideFromCapture && !other->followActiveWindow &&
                other->stepAsideForFullScreen);
    EXPECT_EQ(SerializeSettings(*other), R"({
  "backgroundBrightness": 0,
  "skylights": [],
  "textScale": 100,
  "version": 1
})");
}

TEST(ParseHotKey, ModifiersInAnyOrderCaseAndBlanksThenOneKeyEachNamedOnceNoBareTyping) {
    std::array<std::string, 4> names{"Alt", "Ctrl", "Shift", "Win"};
    do {
        const std::string text = names[0] + "+" + names[1] + "+" + names[2] + "+" + names[3] + "+F24";
        EXPECT_EQ(ParseHotKey(text), (HotKey{15, 0x87})) << text;
    } while (std::next_permutation(names.begin(), names.end()));
    EXPECT_EQ(ParseHotKey(" SHIFT +\tcTrL+ d "), (HotKey{kHotKeyCtrl | kHotKeyShift, 'D'}));
    EXPECT_EQ(ParseHotKey("Alt+F10"), (HotKey{kHotKeyAlt, 0x79}));
    EXPECT_EQ(ParseHotKey("Win+7"), (HotKey{kHotKeyWin, '7'}));
    EXPECT_EQ(ParseHotKey("Shift+F1"), (HotKey{kHotKeyShift, 0x70}));
    for (const char* text : {"", " ", "Ctrl+", "+K", "Ctrl++K", "Ctrl+Ctrl+K", "ctrl+Alt+CTRL+K", "Ctrl+KK", "Ctrl+F25",
                             "Ctrl+F0", "Ctrl+F01", "Ctrl+Esc", "Ctrl+Up", "Control+K", "K+Ctrl", "Ctrl+K+D", "Ct rl+K",
                             "K", "Shift+K", "Ctrl+\xC3\x84"})
        EXPECT_FALSE(ParseHotKey(text)) << text;
    EXPECT_TRUE(ParseHotKey("Ctrl+" + std::string(58, ' ') + "K"));
    EXPECT_FALSE(ParseHotKey("Ctrl+" + std::string(59, ' ') + "K")) << "over-long";
    EXPECT_EQ(HotKeyName(ParseHotKey(" win+shift + alt+ctrl+f9").value()), "Ctrl+Alt+Shift+Win+F9");
}

TEST(TrayMenu, NamesTheRevealKeyInForceAndChecksTheCaptureAndFollowChoices) {
    const auto on = TrayMenuItems(125, true, true, true, "Alt+F10");
    const auto off = TrayMenuItems(125, false, false, false, "Ctrl+K");
    EXPECT_EQ(on.at(0).text, L"打开控制栏 / Open controls (Alt+F10)");
    for (size_t i : {11, 12, 13}) EXPECT_TRUE(on.at(i).checked && !off.at(i).checked) << i;
    EXPECT_TRUE(on[11].id == 14 && on[12].id == 15 && on[13].id == 16 && on.at(14).id == 13);
}

TEST(RefitSkylights, KeptInMemoryUntilTheUserMovesThatSkylightAndTheStoredPlaceReturnsWithItsMonitor) {
    const Rect primary{0, 0, 1920, 1080}, left{-900, 100, -500, 400}, moved{10, 100, 410, 400};
    bool leftThere = false;
    const auto fit = [&](const Rect& r) { return leftThere ? r : FitOnMonitor(r, primary); };
    AppState state;
    state.skylights = {{left}, {left}};
    const auto stored = SerializeSettings(state);
    EXPECT_FALSE(RefitSkylights(state.skylights, fit, true));  // after an unlock: shown refitted, the file as it was
    EXPECT_TRUE(state.skylights[0].bounds == FitOnMonitor(left, primary) && SerializeSettings(state) == stored);
    state.skylights[1].bounds = moved;  // the user's drag: that skylight is kept where the user put it
    EXPECT_TRUE(StoredBounds(state.skylights[0]) == left && StoredBounds(state.skylights[1]) == moved);
    leftThere = true;  // the monitor back: the stored places again, nothing new to save
    EXPECT_FALSE(RefitSkylights(state.skylights, fit, false));
    EXPECT_TRUE(state.skylights[0].bounds == left && state.skylights[1].bounds == moved);
    leftThere = false;  // a display change while not away saves its refit, as before
    EXPECT_TRUE(RefitSkylights(state.skylights, fit, false) && StoredBounds(state.skylights[0]).left == 0);
}

}  // namespace
