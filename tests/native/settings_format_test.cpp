// Specific outcomes only: the fuzz target checks ranges, refusal without change and the round trip.
#include "state/settings_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

}  // namespace
