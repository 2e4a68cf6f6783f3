#include "state/settings_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::optional<AppState> Load(std::string_view text) {
    AppState state;
    if (!ParseSettings(text, state)) {
        return std::nullopt;
    }
    return state;
}

// A file holding one skylight made of the given members.
std::string WithSkylight(std::string_view members) {
    return R"({"version": 1, "skylights": [{)" + std::string(members) + "}]}";
}

// A file whose top level holds the given members besides a valid version and an empty list.
std::string WithTopLevel(std::string_view members) {
    return R"({"version": 1, "skylights": [], )" + std::string(members) + "}";
}

std::string WithSkylights(std::size_t count) {
    std::string text = R"({"version": 1, "skylights": [)";
    for (std::size_t i = 0; i < count; ++i) {
        text += i == 0 ? "" : ",";
        text += R"({"bounds": [0, 0, 10, )" + std::to_string(i + 1) + "]}";
    }
    return text + "]}";
}

constexpr std::string_view kBounds = R"("bounds": [10, 20, 110, 220])";

std::string Member(std::string_view key, std::string_view value) {
    return "\"" + std::string(key) + "\": " + std::string(value);
}

SkylightRegion Region(Rect bounds, SkylightShape shape, int32_t brightness = 100, bool moveEnabled = true) {
    return SkylightRegion{bounds, shape, brightness, moveEnabled};
}

void ExpectSameState(const AppState& actual, const AppState& expected) {
    EXPECT_EQ(actual.mode, expected.mode);
    EXPECT_EQ(actual.creationShape, expected.creationShape);
    EXPECT_EQ(actual.skylights, expected.skylights);
    EXPECT_EQ(actual.desktop, expected.desktop);
    EXPECT_EQ(actual.preview, expected.preview);
    EXPECT_EQ(actual.previewVisible, expected.previewVisible);
    EXPECT_EQ(actual.backgroundBrightness, expected.backgroundBrightness);
    EXPECT_EQ(actual.textScale, expected.textScale);
}

const SkylightShape kAllShapes[] = {SkylightShape::Rounded,         SkylightShape::Elliptical,
                                    SkylightShape::Rectangle,       SkylightShape::Circle,
                                    SkylightShape::HorizontalStrip, SkylightShape::VerticalStrip};

// --- Loading: the document as a whole --------------------------------------------------------

TEST(ParseSettings, VersionMatchesOneByNumericEquality) {
    for (const char* version : {"1", "1.0", "1e0", "0.1e1", "100e-2"}) {
        SCOPED_TRACE(version);
        EXPECT_TRUE(Load(R"({"version": )" + std::string(version) + R"(, "skylights": []})"));
    }
}

TEST(ParseSettings, AnyOtherVersionIsRefused) {
    for (const char* version : {"2", "0", "-1", "1.5", "0.999999", "1.0000000001", R"("1")", "true", "null",
                                "[1]", R"({"major": 1})"}) {
        SCOPED_TRACE(version);
        EXPECT_FALSE(Load(R"({"version": )" + std::string(version) + R"(, "skylights": []})"));
    }
    EXPECT_FALSE(Load(R"({"skylights": []})"));
}

TEST(ParseSettings, SkylightsMustBeAnArray) {
    EXPECT_FALSE(Load(R"({"version": 1})"));
    for (const char* list : {"{}", R"({"0": {"bounds": [0, 0, 1, 1]}})", "null", "0", R"("[]")"}) {
        SCOPED_TRACE(list);
        EXPECT_FALSE(Load(R"({"version": 1, "skylights": )" + std::string(list) + "}"));
    }
    for (const char* entry : {"1", "null", "[]", R"("skylight")", "[0, 0, 1, 1]"}) {
        SCOPED_TRACE(entry);
        EXPECT_FALSE(Load(R"({"version": 1, "skylights": [)" + std::string(entry) + "]}"));
    }
}

TEST(ParseSettings, TopLevelMustBeAnObject) {
    for (const char* text : {"[]", "1", "null", R"("version")", R"([{"version": 1, "skylights": []}])"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(Load(text));
    }
}

TEST(ParseSettings, OnlyStrictJsonIsAccepted) {
    for (const char* text : {
             "",
             " \n\t",
             R"({"version": 1, "skylights": [],})",
             R"({"version": 1, "skylights": [{"bounds": [0, 0, 1, 1],}]})",
             R"({"version": 1, "skylights": [{"bounds": [0, 0, 1, 1,]}]})",
             "// saved by hand\n{\"version\": 1, \"skylights\": []}",
             R"({"version": 1, /* list */ "skylights": []})",
             R"({"version": 1, "skylights": []} {})",
             R"({"version": 1, "skylights": [])",
             R"({'version': 1, 'skylights': []})",
             R"({version: 1, skylights: []})",
             R"({"version": 1, "skylights": [], "textScale": NaN})",
             R"({"version": 1, "skylights": [], "textScale": Infinity})",
             R"({"version": 1, "skylights": [], "textScale": 1e400})",
             R"({"version": 1, "skylights": [], "textScale": 0x7F})",
             R"({"version": 1, "skylights": [], "textScale": +120})",
         }) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(Load(text));
    }
}

TEST(ParseSettings, NulBytesAreRefusedWhereverTheyAre) {
    using namespace std::string_literals;
    const std::string valid = R"({"version": 1, "skylights": []})";
    ASSERT_TRUE(Load(valid));
    EXPECT_FALSE(Load(valid + "\0"s));
    EXPECT_FALSE(Load(valid + "\0 garbage ]]}"s));
    EXPECT_FALSE(Load("\0"s + valid));
    EXPECT_FALSE(Load(R"({"version": 1, "skylights": [], "note": "a)"s + "\0"s + R"(b"})"));
}

TEST(ParseSettings, OneLeadingByteOrderMarkIsAccepted) {
    const std::string bom = "\xEF\xBB\xBF";
    EXPECT_TRUE(Load(bom + R"({"version": 1, "skylights": []})"));
    EXPECT_FALSE(Load(bom + bom + R"({"version": 1, "skylights": []})"));
    EXPECT_FALSE(Load(R"({"version": 1, )" + bom + R"("skylights": []})"));
    EXPECT_FALSE(Load(bom));
}

TEST(ParseSettings, WhitespaceAndLineEndsOfHandEditedFilesAreFine) {
    EXPECT_TRUE(Load("{\r\n  \"version\": 1,\r\n  \"skylights\": []\r\n}\r\n"));
    EXPECT_TRUE(Load("\n\t{\"version\":1,\"skylights\":[]}\n\n"));
}

TEST(ParseSettings, SizeLimitIsSixteenMebibytes) {
    const std::string valid = R"({"version": 1, "skylights": []})";
    std::string text = valid + std::string(kMaxSettingsFileBytes - valid.size(), ' ');
    ASSERT_EQ(text.size(), 16u * 1024 * 1024);
    EXPECT_TRUE(Load(text));
    text.push_back(' ');
    EXPECT_FALSE(Load(text));
}

TEST(ParseSettings, UnknownKeysAreIgnoredAndNotWrittenBack) {
    const auto state = Load(
        R"({"version": 1, "theme": "dark", "future": {"x": [1, 2]},
            "skylights": [{"bounds": [0, 0, 300, 200], "note": "desk", "shape": 2}]})");
    ASSERT_TRUE(state);
    ASSERT_EQ(state->skylights.size(), 1u);
    EXPECT_EQ(state->skylights[0], Region({0, 0, 300, 200}, SkylightShape::Rectangle));
    const auto text = SerializeSettings(*state);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->find("theme"), std::string::npos);
    EXPECT_EQ(text->find("future"), std::string::npos);
    EXPECT_EQ(text->find("note"), std::string::npos);
}

TEST(ParseSettings, MissingValuesTakeTheirDefaultsNotThePreviousState) {
    AppState state;
    state.backgroundBrightness = 60;
    state.textScale = 150;
    ASSERT_TRUE(ParseSettings(WithSkylight(kBounds), state));
    EXPECT_EQ(state.backgroundBrightness, 0);
    EXPECT_EQ(state.textScale, 100);
    ASSERT_EQ(state.skylights.size(), 1u);
    EXPECT_EQ(state.skylights[0], Region({10, 20, 110, 220}, SkylightShape::Rounded, 100, true));
}

TEST(ParseSettings, ModeFollowsTheLoadedList) {
    AppState state;
    state.mode = OverlayMode::Blackout;
    ASSERT_TRUE(ParseSettings(R"({"version": 1, "skylights": []})", state));
    EXPECT_EQ(state.mode, OverlayMode::Shaded);
    state.mode = OverlayMode::Hidden;
    ASSERT_TRUE(ParseSettings(WithSkylight(kBounds), state));
    EXPECT_EQ(state.mode, OverlayMode::Skylights);
}

TEST(ParseSettings, FailureLeavesTheStateUntouched) {
    AppState before;
    before.mode = OverlayMode::Blackout;
    before.creationShape = SkylightShape::Circle;
    before.skylights = {Region({-300, -200, 0, 0}, SkylightShape::VerticalStrip, 40, false)};
    before.desktop = {-1920, 0, 1920, 1080};
    before.preview = {5, 6, 7, 8};
    before.previewVisible = true;
    before.backgroundBrightness = 33;
    before.textScale = 125;

    // Each fails only after values that would change the state have been read.
    for (const char* text : {
             R"({"version": 1, "backgroundBrightness": 70, "textScale": 150,
                 "skylights": [{"bounds": [0, 0, 10, 10]}, {"bounds": [0, 0, 0, 10]}]})",
             R"({"version": 1, "backgroundBrightness": 70, "textScale": 150})",
             R"({"version": 1, "backgroundBrightness": 70, "textScale": "150", "skylights": []})",
             R"({"version": 2, "backgroundBrightness": 70, "skylights": []})",
         }) {
        SCOPED_TRACE(text);
        AppState state = before;
        EXPECT_FALSE(ParseSettings(text, state));
        ExpectSameState(state, before);
    }
    AppState state = before;
    EXPECT_FALSE(ParseSettings(WithSkylights(kMaxSkylights + 1), state));
    ExpectSameState(state, before);
}

TEST(ParseSettings, SuccessKeepsWhatTheFileDoesNotHold) {
    AppState state;
    state.creationShape = SkylightShape::HorizontalStrip;
    state.desktop = {-1920, 0, 1920, 1080};
    state.preview = {1, 2, 3, 4};
    state.previewVisible = true;
    ASSERT_TRUE(ParseSettings(WithSkylight(kBounds), state));
    EXPECT_EQ(state.creationShape, SkylightShape::HorizontalStrip);
    EXPECT_EQ(state.desktop, (Rect{-1920, 0, 1920, 1080}));
    EXPECT_EQ(state.preview, (Rect{1, 2, 3, 4}));
    EXPECT_TRUE(state.previewVisible);
}

// --- Loading: numbers ------------------------------------------------------------------------

struct Clamped {
    const char* written;
    int32_t loaded;
};

TEST(ParseSettings, TextScaleIsClampedTo100Through150) {
    for (const Clamped& c : {Clamped{"90", 100},
                             {"200", 150},
                             {"100", 100},
                             {"150", 150},
                             {"125", 125},
                             {"99.9", 100},
                             {"150.9", 150},
                             {"-2147483649", 100},
                             {"4294967396", 150},
                             {"1e12", 150},
                             {"true", 100}}) {
        SCOPED_TRACE(c.written);
        const auto state = Load(WithTopLevel(Member("textScale", c.written)));
        ASSERT_TRUE(state);
        EXPECT_EQ(state->textScale, c.loaded);
    }
}

TEST(ParseSettings, BrightnessIsClampedTo0Through100InFullWidth) {
    // Narrowed to 32 bits first, 4294967296 would be 0 and 4294967396 would be 100.
    const Clamped cases[] = {{"-5", 0},
                             {"0", 0},
                             {"100", 100},
                             {"101", 100},
                             {"250", 100},
                             {"50.9", 50},
                             {"-0.5", 0},
                             {"4294967296", 100},
                             {"-4294967296", 0},
                             {"4294967396", 100},
                             {"1e12", 100},
                             {"-1e300", 0},
                             {"1.7e308", 100},
                             {"18446744073709551615", 100},
                             {"99999999999999999999999", 100},
                             {"-9223372036854775809", 0},
                             {"true", 1},
                             {"false", 0}};
    for (const Clamped& c : cases) {
        SCOPED_TRACE(c.written);
        const auto background = Load(WithTopLevel(Member("backgroundBrightness", c.written)));
        ASSERT_TRUE(background);
        EXPECT_EQ(background->backgroundBrightness, c.loaded);
        const auto skylight =
            Load(WithSkylight(std::string(kBounds) + ", " + Member("brightness", c.written)));
        ASSERT_TRUE(skylight);
        EXPECT_EQ(skylight->skylights.at(0).brightness, c.loaded);
    }
}

TEST(ParseSettings, NonNumbersWhereNumbersBelongAreRefused) {
    for (const char* value : {R"("50")", R"("")", "null", "[]", "[50]", "{}", R"({"value": 50})"}) {
        SCOPED_TRACE(value);
        EXPECT_FALSE(Load(WithTopLevel(Member("backgroundBrightness", value))));
        EXPECT_FALSE(Load(WithTopLevel(Member("textScale", value))));
        EXPECT_FALSE(Load(WithSkylight(std::string(kBounds) + ", " + Member("brightness", value))));
        EXPECT_FALSE(Load(WithSkylight(std::string(kBounds) + ", " + Member("shape", value))));
        EXPECT_FALSE(Load(WithSkylight(R"("bounds": [0, )" + std::string(value) + ", 10, 10]")));
    }
}

// --- Loading: skylights ----------------------------------------------------------------------

TEST(ParseSettings, BoundsNeedExactlyFourNumbersWithPositiveSize) {
    for (const char* bounds :
         {"[10, 10, 10, 50]", "[10, 10, 50, 10]", "[50, 10, 10, 50]", "[10, 50, 50, 10]", "[0, 0, 1]",
          "[0, 0, 1, 1, 1]", "[]", "[[0, 0, 1, 1]]", R"({"left": 0, "top": 0, "right": 1, "bottom": 1})", "0",
          "null", R"("0,0,1,1")"}) {
        SCOPED_TRACE(bounds);
        EXPECT_FALSE(Load(WithSkylight(Member("bounds", bounds))));
    }
    EXPECT_FALSE(Load(WithSkylight(R"("shape": 0)")));
    const auto tiny = Load(WithSkylight(Member("bounds", "[10, 10, 11, 11]")));
    ASSERT_TRUE(tiny);
    EXPECT_EQ(tiny->skylights.at(0).bounds, (Rect{10, 10, 11, 11}));
}

TEST(ParseSettings, OneBadSkylightRefusesTheWholeFile) {
    EXPECT_FALSE(Load(R"({"version": 1, "skylights": [
        {"bounds": [0, 0, 100, 100]}, {"bounds": [10, 10, 10, 50]}, {"bounds": [0, 0, 100, 100]}]})"));
}

TEST(ParseSettings, BoundsMustFitIn32BitsAfterTruncation) {
    struct Case {
        const char* written;
        std::optional<Rect> loaded;
    };
    const Case cases[] = {
        {"[-2147483648, -2147483648, 2147483647, 2147483647]",
         Rect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}},
        {"[-2000000000, 0, 2000000000, 10]", Rect{-2000000000, 0, 2000000000, 10}},
        {"[-0.5, 0, 2147483647.9, 10]", Rect{0, 0, INT32_MAX, 10}},
        {"[-2147483648.9, -3.99, 7.5, 1e1]", Rect{INT32_MIN, -3, 7, 10}},
        {"[-1920, -1080, -960, -540]", Rect{-1920, -1080, -960, -540}},
        {"[false, false, true, true]", Rect{0, 0, 1, 1}},
        {"[0, 0, 2147483648, 10]", std::nullopt},
        {"[-2147483649, 0, 10, 10]", std::nullopt},
        {"[0, 0, 2147483648.0, 10]", std::nullopt},
        {"[0, 0, 4294967306, 10]", std::nullopt},  // 10 after wrapping
        {"[0, 0, 1e10, 10]", std::nullopt},
        {"[0, 0, 10, 18446744073709551615]", std::nullopt},
        {"[-1e300, 0, 10, 10]", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written);
        const auto state = Load(WithSkylight(Member("bounds", c.written)));
        ASSERT_EQ(state.has_value(), c.loaded.has_value());
        if (c.loaded) {
            EXPECT_EQ(state->skylights.at(0).bounds, *c.loaded);
        }
    }
}

TEST(ParseSettings, EveryShapeLoadsByItsNumber) {
    for (const SkylightShape shape : kAllShapes) {
        const auto number = std::to_string(static_cast<int>(shape));
        SCOPED_TRACE(number);
        const auto state = Load(WithSkylight(std::string(kBounds) + ", " + Member("shape", number)));
        ASSERT_TRUE(state);
        EXPECT_EQ(state->skylights.at(0).shape, shape);
    }
}

TEST(ParseSettings, ShapeOutside0Through5IsRefusedInFullWidth) {
    // 4294967296 and 4294967301 would wrap to 0 and 5 in 32 bits.
    for (const char* shape : {"6", "-1", "4294967296", "4294967301", "-4294967296", "2.0e10", "-1e300",
                              "18446744073709551615", "6.0", "-1.5"}) {
        SCOPED_TRACE(shape);
        EXPECT_FALSE(Load(WithSkylight(std::string(kBounds) + ", " + Member("shape", shape))));
    }
}

TEST(ParseSettings, ShapeFractionsAndBooleansConvertLikeNumbers) {
    for (const Clamped& c : {Clamped{"5.9", 5}, {"-0.5", 0}, {"2.0", 2}, {"true", 1}, {"false", 0}}) {
        SCOPED_TRACE(c.written);
        const auto state = Load(WithSkylight(std::string(kBounds) + ", " + Member("shape", c.written)));
        ASSERT_TRUE(state);
        EXPECT_EQ(static_cast<int>(state->skylights.at(0).shape), c.loaded);
    }
}

TEST(ParseSettings, EllipseDecidesOnlyWithoutShape) {
    struct Case {
        const char* members;
        SkylightShape loaded;
    };
    for (const Case& c : {Case{R"("ellipse": true)", SkylightShape::Elliptical},
                          {R"("ellipse": false)", SkylightShape::Rounded},
                          {R"("ellipse": true, "shape": 2)", SkylightShape::Rectangle},
                          {R"("ellipse": true, "shape": 0)", SkylightShape::Rounded},
                          {R"("ellipse": false, "shape": 1)", SkylightShape::Elliptical},
                          {R"("shape": 3)", SkylightShape::Circle}}) {
        SCOPED_TRACE(c.members);
        const auto state = Load(WithSkylight(std::string(kBounds) + ", " + c.members));
        ASSERT_TRUE(state);
        EXPECT_EQ(state->skylights.at(0).shape, c.loaded);
    }
}

TEST(ParseSettings, EllipseAndMoveEnabledMustBeBooleans) {
    for (const char* value : {"1", "0", "1.0", R"("true")", "null", "[]", "{}"}) {
        SCOPED_TRACE(value);
        EXPECT_FALSE(Load(WithSkylight(std::string(kBounds) + ", " + Member("ellipse", value))));
        // Even where "shape" makes its value irrelevant.
        EXPECT_FALSE(
            Load(WithSkylight(std::string(kBounds) + R"(, "shape": 2, )" + Member("ellipse", value))));
        EXPECT_FALSE(Load(WithSkylight(std::string(kBounds) + ", " + Member("moveEnabled", value))));
    }
    const auto fixed = Load(WithSkylight(std::string(kBounds) + R"(, "moveEnabled": false)"));
    ASSERT_TRUE(fixed);
    EXPECT_FALSE(fixed->skylights.at(0).moveEnabled);
}

TEST(ParseSettings, AtMostAThousandSkylights) {
    const auto full = Load(WithSkylights(kMaxSkylights));
    ASSERT_TRUE(full);
    ASSERT_EQ(full->skylights.size(), 1000u);
    EXPECT_EQ(full->skylights.back().bounds, (Rect{0, 0, 10, 1000}));  // order kept
    EXPECT_FALSE(Load(WithSkylights(kMaxSkylights + 1)));
}

// --- Saving ----------------------------------------------------------------------------------

TEST(SerializeSettings, WritesTheExactLayout) {
    AppState state;
    state.mode = OverlayMode::Blackout;  // not persisted
    state.backgroundBrightness = 35;
    state.textScale = 125;
    state.skylights = {Region({-1600, -200, -400, 700}, SkylightShape::Elliptical, 80, false),
                       Region({100, 100, 400, 400}, SkylightShape::Circle, 0, true)};
    const auto text = SerializeSettings(state);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, R"({
  "backgroundBrightness": 35,
  "skylights": [
    {
      "bounds": [
        -1600,
        -200,
        -400,
        700
      ],
      "brightness": 80,
      "ellipse": true,
      "moveEnabled": false,
      "shape": 1
    },
    {
      "bounds": [
        100,
        100,
        400,
        400
      ],
      "brightness": 0,
      "ellipse": false,
      "moveEnabled": true,
      "shape": 3
    }
  ],
  "textScale": 125,
  "version": 1
})");
}

TEST(SerializeSettings, EmptyListStaysOnItsKeysLine) {
    const auto text = SerializeSettings(AppState{});
    ASSERT_TRUE(text);
    EXPECT_EQ(*text,
              "{\n  \"backgroundBrightness\": 0,\n  \"skylights\": [],\n  \"textScale\": 100,\n  "
              "\"version\": 1\n}");
}

TEST(SerializeSettings, EllipseIsTrueOnlyForElliptical) {
    for (const SkylightShape shape : kAllShapes) {
        AppState state;
        state.skylights = {Region({0, 0, 10, 10}, shape)};
        const auto text = SerializeSettings(state);
        ASSERT_TRUE(text);
        const std::string ellipse = shape == SkylightShape::Elliptical ? "true" : "false";
        EXPECT_NE(text->find("\"ellipse\": " + ellipse + ","), std::string::npos) << *text;
        EXPECT_NE(text->find("\"shape\": " + std::to_string(static_cast<int>(shape)) + "\n"),
                  std::string::npos)
            << *text;
    }
}

TEST(SerializeSettings, SavingTwiceGivesIdenticalBytes) {
    AppState state;
    state.backgroundBrightness = 12;
    state.skylights = {Region({0, 0, 640, 480}, SkylightShape::HorizontalStrip, 55, false)};
    EXPECT_EQ(SerializeSettings(state), SerializeSettings(state));

    // A hand-edited file comes back in the program's own form, which is then stable.
    const auto edited = Load(R"({"skylights":[{"shape":4.0,"bounds":[0,0,640,480],"moveEnabled":false,
        "brightness":55.5,"extra":1}],"textScale":1e2,"version":1.0,"backgroundBrightness":12})");
    ASSERT_TRUE(edited);
    EXPECT_EQ(SerializeSettings(*edited), SerializeSettings(state));
}

TEST(SerializeSettings, RoundTripKeepsEveryPersistedValue) {
    AppState state;
    state.backgroundBrightness = 100;
    state.textScale = 150;
    for (const SkylightShape shape : kAllShapes) {
        const int32_t n = static_cast<int32_t>(shape);
        state.skylights.push_back(Region({-2560 + n, -1440, -1280 - n, -720}, shape, 20 * n, n % 2 == 0));
    }
    state.skylights.push_back(
        Region({INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, SkylightShape::Rectangle, 0));
    const auto text = SerializeSettings(state);
    ASSERT_TRUE(text);
    AppState loaded;
    ASSERT_TRUE(ParseSettings(*text, loaded));
    EXPECT_EQ(loaded.skylights, state.skylights);
    EXPECT_EQ(loaded.backgroundBrightness, 100);
    EXPECT_EQ(loaded.textScale, 150);
    EXPECT_EQ(loaded.mode, OverlayMode::Skylights);
}

TEST(SerializeSettings, AThousandSkylightsRoundTrip) {
    const auto loaded = Load(WithSkylights(kMaxSkylights));
    ASSERT_TRUE(loaded);
    const auto text = SerializeSettings(*loaded);
    ASSERT_TRUE(text);
    EXPECT_LT(text->size(), kMaxSettingsFileBytes);
    const auto again = Load(*text);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->skylights, loaded->skylights);
}

TEST(SerializeSettings, RefusesWhatTheNextStartWouldRefuse) {
    const auto refuses = [](std::vector<SkylightRegion> skylights) {
        AppState state;
        state.skylights = std::move(skylights);
        return !SerializeSettings(state).has_value();
    };
    EXPECT_TRUE(refuses({Region({10, 10, 10, 50}, SkylightShape::Rounded)}));
    EXPECT_TRUE(refuses({Region({10, 50, 20, 10}, SkylightShape::Rounded)}));
    EXPECT_TRUE(refuses({Region({0, 0, 10, 10}, static_cast<SkylightShape>(6))}));
    EXPECT_TRUE(refuses({Region({0, 0, 10, 10}, static_cast<SkylightShape>(-1))}));
    EXPECT_TRUE(refuses(
        std::vector<SkylightRegion>(kMaxSkylights + 1, Region({0, 0, 10, 10}, SkylightShape::Rounded))));
    EXPECT_FALSE(
        refuses(std::vector<SkylightRegion>(kMaxSkylights, Region({0, 0, 10, 10}, SkylightShape::Rounded))));
}

}  // namespace
