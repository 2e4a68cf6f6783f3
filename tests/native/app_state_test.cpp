#include "state/app_state.h"

#include <gtest/gtest.h>

namespace {

TEST(AppState, FreshStateHasTheDefaults) {
    const AppState state;
    EXPECT_EQ(state.mode, OverlayMode::Shaded);
    EXPECT_EQ(state.creationShape, SkylightShape::Rounded);
    EXPECT_TRUE(state.skylights.empty());
    EXPECT_EQ(state.desktop, Rect{});
    EXPECT_EQ(state.preview, Rect{});
    EXPECT_FALSE(state.previewVisible);
    EXPECT_EQ(state.backgroundBrightness, 0);
    EXPECT_EQ(state.textScale, 100);
}

TEST(AppState, NewSkylightIsClearRoundedAndMovable) {
    const SkylightRegion region;
    EXPECT_EQ(region.shape, SkylightShape::Rounded);
    EXPECT_EQ(region.brightness, 100);
    EXPECT_TRUE(region.moveEnabled);
}

TEST(AppState, EnumerationValuesAreTheStoredNumbers) {
    // These numbers are what older and newer copies exchange through the settings file.
    EXPECT_EQ(static_cast<int>(OverlayMode::Hidden), 0);
    EXPECT_EQ(static_cast<int>(OverlayMode::Blackout), 3);
    EXPECT_EQ(static_cast<int>(SkylightShape::Elliptical), 1);
    EXPECT_EQ(static_cast<int>(SkylightShape::Rectangle), 2);
    EXPECT_EQ(static_cast<int>(SkylightShape::Circle), 3);
    EXPECT_EQ(static_cast<int>(SkylightShape::HorizontalStrip), 4);
    EXPECT_EQ(static_cast<int>(SkylightShape::VerticalStrip), 5);
}

}  // namespace
