#include "common/geometry.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

const Rect kMonitor{0, 0, 1920, 1080};

TEST(FitOnMonitor, SmallRectangleGrowsToMinimumInPlace) {
    EXPECT_EQ(FitOnMonitor({0, 0, 100, 10}, kMonitor), (Rect{0, 0, 200, 20}));
    EXPECT_EQ(FitOnMonitor({1820, 1070, 1920, 1080}, kMonitor), (Rect{1720, 1060, 1920, 1080}));
}

TEST(FitOnMonitor, OverhangIsMovedBackWithSizeKept) {
    EXPECT_EQ(FitOnMonitor({1770, 100, 1970, 300}, kMonitor), (Rect{1720, 100, 1920, 300}));
    EXPECT_EQ(FitOnMonitor({100, 980, 400, 1130}, kMonitor), (Rect{100, 930, 400, 1080}));
    EXPECT_EQ(FitOnMonitor({-30, -40, 370, 260}, kMonitor), (Rect{0, 0, 400, 300}));
}

TEST(FitOnMonitor, LargerThanMonitorBecomesTheMonitor) {
    EXPECT_EQ(FitOnMonitor({-500, -500, 5000, 5000}, kMonitor), kMonitor);
    EXPECT_EQ(FitOnMonitor({10, 10, 3000, 20}, kMonitor), (Rect{0, 10, 1920, 30}));
}

TEST(FitOnMonitor, InsideIsUnchanged) {
    const Rect inside{300, 200, 900, 700};
    EXPECT_EQ(FitOnMonitor(inside, kMonitor), inside);
}

TEST(FitOnMonitor, MonitorAtNegativeCoordinates) {
    const Rect left{-1024, 0, 0, 768};
    EXPECT_EQ(FitOnMonitor({-900, 100, -500, 400}, left), (Rect{-900, 100, -500, 400}));
    EXPECT_EQ(FitOnMonitor({-100, 100, 200, 400}, left), (Rect{-300, 100, 0, 400}));
    EXPECT_EQ(FitOnMonitor({-2000, -50, -1900, -40}, left), (Rect{-1024, 0, -824, 20}));
}

TEST(FitOnMonitor, MonitorSmallerThanMinimum) {
    EXPECT_EQ(FitOnMonitor({0, 0, 50, 5}, Rect{0, 0, 150, 15}), (Rect{0, 0, 150, 15}));
}

TEST(FitOnMonitor, ExtremeCoordinatesDoNotOverflow) {
    constexpr int32_t lo = std::numeric_limits<int32_t>::min();
    constexpr int32_t hi = std::numeric_limits<int32_t>::max();
    EXPECT_EQ(FitOnMonitor({lo, lo, hi, hi}, kMonitor), kMonitor);
    EXPECT_EQ(FitOnMonitor({-2000000000, 0, 2000000000, 10}, kMonitor), (Rect{0, 0, 1920, 20}));
    EXPECT_EQ(FitOnMonitor({hi - 10, hi - 10, hi, hi}, kMonitor), (Rect{1720, 1060, 1920, 1080}));
    // An inverted rectangle counts as too small, not as a negative size.
    EXPECT_EQ(FitOnMonitor({500, 500, 100, 100}, kMonitor), (Rect{500, 500, 700, 520}));
}

TEST(Centre, UsesIntegerHalvesWithoutOverflow) {
    EXPECT_EQ(Centre({0, 0, 101, 51}), (Point{50, 25}));
    EXPECT_EQ(Centre({-1024, 0, 0, 768}), (Point{-512, 384}));
    EXPECT_EQ(Centre({-3, -3, 0, 0}), (Point{-2, -2}));  // halves of the size, not of the sum
    EXPECT_EQ(Centre({2000000000, 2000000000, 2100000000, 2100000000}), (Point{2050000000, 2050000000}));
}

TEST(MonitorOrVirtualScreen, UnreadableMonitorFallsBackToTheVirtualScreen) {
    const Rect virtualScreen{-1024, 0, 1920, 1080};
    EXPECT_EQ(MonitorOrVirtualScreen(Rect{}, virtualScreen), virtualScreen);
    EXPECT_EQ(MonitorOrVirtualScreen({0, 0, 1920, 0}, virtualScreen), virtualScreen);
    EXPECT_EQ(MonitorOrVirtualScreen(kMonitor, virtualScreen), kMonitor);
}

}  // namespace
