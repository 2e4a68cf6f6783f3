// DrawQR read back from a bitmap: where the modules land for a known size. Whether the code scans is
// checked end to end on a screenshot of the toolbar.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

#include "sharing/draw_qr.h"
#include "test_support.h"

namespace {

constexpr uint32_t kOutside = 0x000060, kWhite = 0xFFFFFF, kBlack = 0;

// "Lumenfold" needs the smallest code: 21 modules, 29 with the quiet zone.
std::vector<uint32_t> Qr(int side, RECT rect, const std::string& text = "Lumenfold") {
    return Drawn(side, side, kOutside, [&](HDC dc) { DrawQR(dc, rect, text); });
}

TEST(DrawQR, CentredInTheRectangleBehindAQuietZoneOfFourModules) {
    // 10 pixels a module, 55 to spare left and right: the finders start at x 105 and y 60.
    const auto pixels = Qr(420, {10, 20, 410, 310});
    const std::tuple<int, int, uint32_t> points[] = {
        {9, 60, kOutside}, {410, 60, kOutside}, {200, 19, kOutside}, {200, 310, kOutside}, {104, 60, kWhite},
        {105, 60, kBlack}, {174, 60, kBlack}, {175, 60, kWhite}, {120, 75, kWhite}, {140, 95, kBlack},
        {314, 60, kBlack}, {315, 60, kWhite}, {105, 269, kBlack}, {105, 270, kWhite}};
    for (const auto& [x, y, colour] : points) EXPECT_EQ(pixels[y * 420 + x], colour) << x << ", " << y;
}

TEST(DrawQR, FractionalModulesJoinTooSmallStaysWhiteTooLongShowsTheNotice) {
    // 44 / 29 pixels a module: the finder's top row runs unbroken from x 6 to 16.
    const auto pixels = Qr(44, {0, 0, 44, 44});
    for (int x = 5; x <= 17; ++x) EXPECT_EQ(pixels[6 * 44 + x], x == 5 || x == 17 ? kWhite : kBlack) << x;
    const auto tiny = Qr(28, {0, 0, 28, 28});
    EXPECT_EQ(std::count(tiny.begin(), tiny.end(), kWhite), 28 * 28);
    const auto notice = Qr(200, {0, 0, 200, 200}, std::string(8000, 'a'));  // more than any code holds
    EXPECT_EQ(std::count(notice.begin(), notice.end(), kOutside), 0);
    EXPECT_GT(200 * 200 - std::count(notice.begin(), notice.end(), kWhite), 50);
}

}  // namespace
