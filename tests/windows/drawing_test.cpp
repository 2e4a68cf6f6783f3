// The faint pointer, the primitives, the QR code and the skylight's grips and close button as GDI+
// and GDI draw them; text by where it lands (fonts differ). Whether the QR code scans is checked end
// to end on a screenshot of the toolbar.
#include <cstdlib>
#include <tuple>

#include "drawing/reference_drawing.h"
#include "overlay/dimmed_cursor.h"
#include "overlay/skylight_layout.h"
#include "overlay/skylight_paint.h"
#include "sharing/draw_qr.h"
#include "test_support.h"

namespace {

// A cursor's hot spot and its colour bitmap (32 x 32 of 0xAARRGGBB, top-down).
std::pair<POINT, std::vector<uint32_t>> ReadCursor(HCURSOR cursor) {
    ICONINFO info{};
    EXPECT_TRUE(GetIconInfo(cursor, &info));
    UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);  // copies the caller deletes
    std::vector<uint32_t> pixels(32 * 32);
    BITMAPINFO format = TopDown32(32, 32);
    EXPECT_EQ(GetDIBits(WindowDC(nullptr).get(), colour.get(), 0, 32, pixels.data(), &format, DIB_RGB_COLORS), 32);
    return {{static_cast<LONG>(info.xHotspot), static_cast<LONG>(info.yHotspot)}, pixels};
}

TEST(DimmedCursor, AWhiteArrowWithItsHotSpotAtTheTipOnePerBrightnessAndNoneLeft) {
    const HCURSOR first = DimmedCursor(40);  // its alpha is checked end to end
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(DimmedCursor(40), first) << "the same brightness is built once";
    const auto [hotSpot, pixels] = ReadCursor(first);
    EXPECT_TRUE(hotSpot.x == 2 && hotSpot.y == 2);
    // White, not premultiplied: the tip, the widest row, the stem.
    for (const POINT lit : {POINT{2, 2}, POINT{9, 2}, POINT{27, 20}, POINT{15, 27}})
        EXPECT_EQ(pixels[lit.y * 32 + lit.x] | 0xFF000000u, 0xFFFFFFFFu) << lit.x << ", " << lit.y;
    for (const POINT clear : {POINT{1, 2}, POINT{2, 1}, POINT{10, 2}, POINT{28, 20}, POINT{10, 26}, POINT{13, 28}})
        EXPECT_EQ(pixels[clear.y * 32 + clear.x], 0u) << clear.x << ", " << clear.y;
    const long live = LiveHandleCount();
    EXPECT_NE(DimmedCursor(60), first);
    ICONINFO info{};
    EXPECT_FALSE(GetIconInfo(first, &info)) << "the cursor of the previous brightness is destroyed";
    for (int brightness = 5; brightness <= 100; brightness += 5) ASSERT_NE(DimmedCursor(brightness), nullptr);
    EXPECT_EQ(LiveHandleCount(), live);
}

// 0xRRGGBB; the background is a colour none of the primitives uses, so stray paint shows.
constexpr uint32_t kBackground = 0x000060, kFill = 0xC82828, kBorder = 0x28C828, kIcon = 0xD4D4D4;
constexpr int kWidth = 320, kHeight = 120;

auto Drawing(const std::function<void(HDC)>& draw) { return Drawn(kWidth, kHeight, kBackground, draw); }

int Distance(uint32_t a, uint32_t b) {
    int most = 0;
    for (int shift = 0; shift < 24; shift += 8)
        most = std::max(most, std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)));
    return most;
}

// Each point of the expected colour, up to anti-aliasing noise.
void ExpectColours(const std::vector<uint32_t>& pixels, std::initializer_list<std::tuple<int, int, uint32_t>> points,
                   int tolerance = 2) {
    for (const auto& [x, y, colour] : points) {
        const uint32_t actual = pixels[static_cast<size_t>(y * kWidth + x)];
        EXPECT_LE(Distance(actual, colour), tolerance) << x << ", " << y << ": " << std::hex << actual;
    }
}

// The green channel of a grey.
int Grey(const std::vector<uint32_t>& pixels, int x, int y) { return int(pixels[size_t(y * kWidth + x)] >> 8 & 0xFF); }

using Primitives = WithGraphics;

TEST_F(Primitives, CardsAreSquareRoundOrPillShaped) {
    const auto pixels = Drawing([](HDC dc) {
        reference::Card(dc, {10, 20, 90, 80}, 0.0f, RGB(200, 40, 40), RGB(40, 200, 40), 6.0f);
        reference::Card(dc, {110, 20, 190, 80}, 10.0f, RGB(200, 40, 40), RGB(40, 200, 40), 4.0f);
        reference::Card(dc, {210, 30, 310, 70}, 500.0f, RGB(200, 40, 40), RGB(40, 200, 40), 0.0f);
    });
    ExpectColours(pixels, {{11, 21, kFill}, {11, 50, kFill},                                  // square, no outline
                           {110, 20, kBackground}, {110, 50, kBorder}, {150, 50, kFill},      // round, outlined
                           {213, 33, kBackground}, {212, 50, kFill}, {260, 31, kFill}});      // a pill
}

TEST_F(Primitives, IconsDrawTheirLinesAndLeaveTheirGaps) {
    const auto pixels = Drawing([](HDC dc) {
        reference::Sidebar(dc, {20, 20, 68, 68});  // 2 pixels a unit
        reference::Share(dc, {110, 20, 158, 68});
        reference::Moon(dc, {200, 10, 300, 110});
    });
    ExpectColours(pixels, {{26, 45, kIcon}, {38, 50, kIcon}, {32, 50, kBackground},       // outline, panel, gap
                           {134, 36, kIcon}, {120, 50, kIcon}, {127, 50, kBackground}});  // arrow, tray, gap
    // The moon: a lit crescent, a grey ring around it and the dark bite that makes the crescent.
    EXPECT_GT(Grey(pixels, 236, 60), Grey(pixels, 250, 15) + 50);
    EXPECT_GT(Grey(pixels, 250, 15), Grey(pixels, 258, 48) + 50);
}

TEST_F(Primitives, SlidersShowTheirValue) {
    const auto pixels = Drawing([](HDC dc) {
        reference::Slider(dc, {10, 40, 230, 62}, 50, false);  // thumb from x 110 to 130
        reference::Slider(dc, {14, 77, 232, 107}, 50, true);  // thumb from x 104 to 142, y 82 to 102
    });
    // Flat: a light thumb on an even track. Raised: the track filled up to the thumb, a dark grip on it.
    EXPECT_GT(Grey(pixels, 120, 51), Grey(pixels, 100, 51) + 100);
    EXPECT_EQ(Grey(pixels, 60, 51), Grey(pixels, 200, 51));
    EXPECT_GT(Grey(pixels, 200, 92), Grey(pixels, 60, 92) + 100);
    EXPECT_GT(Grey(pixels, 110, 85), Grey(pixels, 123, 92) + 100);
}

// A label's ink: the box around every pixel that differs from the background, and their number.
std::pair<RECT, int> Label(const wchar_t* text, bool bold, bool rightAligned, LONG right = 260) {
    const auto pixels = Drawing([&](HDC dc) {
        reference::Label(dc, {40, 10, right, 110}, text, 20.0f, RGB(250, 220, 40), bold, rightAligned);
    });
    RECT box{kWidth, kHeight, 0, 0};
    int count = 0;
    for (LONG i = 0; i < kWidth * kHeight; ++i) {
        if (Distance(pixels[static_cast<size_t>(i)], kBackground) <= 24) continue;
        const LONG x = i % kWidth, y = i / kWidth;
        box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1), std::max(box.bottom, y + 1)};
        ++count;
    }
    return {box, count};
}

TEST_F(Primitives, LabelsAreCentredVerticallyAlignedSizedInPixelsAndKeptOnOneLine) {
    const auto [left, count] = Label(L"Share", false, false);  // in (40, 10)-(260, 110), centred on (150, 60)
    const RECT right = Label(L"Share", false, true).first;
    ASSERT_GT(count, 0);
    EXPECT_TRUE(left.left <= 48 && left.right < 150) << "left aligned";
    EXPECT_TRUE(right.right >= 252 && right.left > 150) << "right aligned";
    EXPECT_NEAR((left.top + left.bottom) / 2.0, 60.0, 5.0) << "centred vertically, not at the top";
    // "Share" has no descender: about three quarters of a 20-pixel em; 20 points would be 27 pixels.
    EXPECT_TRUE(left.bottom - left.top >= 12 && left.bottom - left.top <= 18) << left.bottom - left.top;
    EXPECT_GT(Label(L"Share", true, false).second, count * 11 / 10) << "bold is heavier";
    const RECT narrow = Label(L"Background brightness", true, false, 140).first;
    EXPECT_TRUE(narrow.bottom - narrow.top <= 20 && narrow.right <= 140) << "one line, shrunk or elided, never wrapped";
}

constexpr uint32_t kWhite = 0xFFFFFF, kBlack = 0;

// "Lumenfold" needs the smallest code: 21 modules, 29 with the quiet zone.
std::vector<uint32_t> Qr(int side, RECT rect, const std::string& text = "Lumenfold") {
    return Drawn(side, side, kBackground, [&](HDC dc) { DrawQR(dc, rect, text); });
}

TEST(DrawQR, CentredBehindAQuietZoneFractionalModulesJoinTooSmallStaysWhiteTooLongShowsTheNotice) {
    // 10 pixels a module, 55 to spare left and right: the finders start at x 105 and y 60.
    const auto pixels = Qr(420, {10, 20, 410, 310});
    const std::tuple<int, int, uint32_t> points[] = {
        {9, 60, kBackground}, {410, 60, kBackground}, {200, 19, kBackground}, {200, 310, kBackground},
        {104, 60, kWhite}, {105, 60, kBlack}, {174, 60, kBlack}, {175, 60, kWhite}, {120, 75, kWhite},
        {140, 95, kBlack}, {314, 60, kBlack}, {315, 60, kWhite}, {105, 269, kBlack}, {105, 270, kWhite}};
    for (const auto& [x, y, colour] : points) EXPECT_EQ(pixels[y * 420 + x], colour) << x << ", " << y;
    // 44 / 29 pixels a module: fractional modules join, the finder's top row unbroken from x 6 to 16.
    const auto small = Qr(44, {0, 0, 44, 44});
    for (int x = 5; x <= 17; ++x) EXPECT_EQ(small[6 * 44 + x], x == 5 || x == 17 ? kWhite : kBlack) << x;
    const auto tiny = Qr(28, {0, 0, 28, 28});
    EXPECT_EQ(std::count(tiny.begin(), tiny.end(), kWhite), 28 * 28);
    const auto notice = Qr(200, {0, 0, 200, 200}, std::string(8000, 'a'));  // more than any code holds
    EXPECT_EQ(std::count(notice.begin(), notice.end(), kBackground), 0);
    EXPECT_GT(200 * 200 - std::count(notice.begin(), notice.end(), kWhite), 50);
}

constexpr uint32_t kClear = 0x01000000;  // alpha 1: nothing to see, yet the grip takes the mouse

using SkylightPaint = WithGraphics;

struct Grip {
    int width;
    std::vector<uint32_t> pixels;  // premultiplied 0xAARRGGBB
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
};
Grip Draw(int width, int height, UINT dpi, int slot, POINT pointer, bool hover) {
    Grip grip{width, std::vector<uint32_t>(static_cast<size_t>(width * height))};
    EXPECT_TRUE(DrawGrip(grip.pixels.data(), width, height, dpi, slot, pointer, hover, false));
    return grip;
}

TEST_F(SkylightPaint, GripsIdleClearOrBandedLitOnHoverWithTheirMarkersAndTheCloseButton) {
    // Idle: an edge grip is clear, the top bar opaque across the middle only.
    const auto pixels = Draw(32, 200, 96, kGripLeft, {16, 100}, false).pixels;
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), kClear), 32 * 200);
    const Grip bar = Draw(200, 32, 96, kGripTop, {100, 16}, false);  // the band is y 4 to 28
    EXPECT_EQ(bar.At(100, 16) >> 24, 0xFFu);
    EXPECT_EQ(bar.At(100, 2), kClear);
    // The corner handle lights up on hover under a white arrow. At 192 dpi a unit is two pixels; (34, 20)
    // is inside the handle and clear of the arrow.
    const uint32_t idle = Draw(56, 56, 192, kGripCorner, {}, false).At(34, 20);
    const Grip hovered = Draw(56, 56, 192, kGripCorner, {28, 28}, true);
    EXPECT_GT(hovered.At(34, 20) & 0xFF, idle & 0xFF) << "bluer";
    for (int shift = 0; shift < 32; shift += 8)  // the diagonal, white at 245 over the fill, opaque
        EXPECT_GE(hovered.At(28, 28) >> shift & 0xFF, 245u) << std::hex << hovered.At(28, 28);
    // A hovered edge shows its marker just before the pointer.
    const Grip grip = Draw(400, 32, 96, kGripBottom, {300, 16}, true);  // arrowheads around x 266
    const uint32_t fill = grip.At(266, 7);  // inside the upper arrowhead
    EXPECT_EQ(fill >> 24, 0xFFu);
    EXPECT_EQ(grip.At(266, 24), fill) << "inside the lower one";
    EXPECT_EQ(grip.At(66, 16), fill) << "the edge line runs the whole grip";
    EXPECT_NE(grip.At(266, 11), fill) << "the upper one's outline";
    EXPECT_EQ(grip.At(66, 7), kClear) << "no arrowhead away from the pointer";
    // The close button: a rounded square with a white cross.
    const auto button = Drawn(88, 48, kBackground, [](HDC dc) { PaintCloseButton(dc, 88, 48, 192); });
    EXPECT_EQ(button[1 * 88 + 1], kBackground) << "the corner is rounded with a 16-pixel curve";
    EXPECT_NE(button[24 * 88 + 4], kBackground);
    EXPECT_EQ(button[24 * 88 + 44], 0xFFFFFFu);
}

TEST_F(SkylightPaint, RenderingGripsLeavesNoHandleAndShowsThePicture) {
    const UniqueWindow window = TestWindow({100, 100, 300, 132}, WS_POPUP | WS_VISIBLE);
    SetWindowLongPtrW(window.get(), GWL_EXSTYLE, WS_EX_LAYERED);
    const long live = LiveHandleCount();
    for (int i = 0; i < 100; ++i)
        RenderSkylightGrip(window.get(), 96, (i + 3) % kGripCount, {50, 16}, i % 2, i % 3 == 0, 40, i % 4 == 0);
    EXPECT_EQ(LiveHandleCount(), live);
    // The last picture, the top bar at full opacity, reaches the screen.
    const uint32_t band = Draw(200, 32, 96, kGripTop, {50, 16}, false).At(100, 16);
    const COLORREF drawn = RGB(band >> 16 & 0xFF, band >> 8 & 0xFF, band & 0xFF);
    WindowDC screen(nullptr);
    EXPECT_TRUE(WaitFor([&] { return GetPixel(screen.get(), 200, 116) == drawn; }));
}

}  // namespace
