// The shared drawing primitives, drawn by the real GDI+ into 32-bit DIBs and read back at the points
// that show whether each shape is right. Text is checked by where it lands, never against an image:
// fonts differ between systems.
#include "toolbar/reference_drawing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/handles.h"

namespace {

class GdiplusSession : public testing::Environment {
public:
    void SetUp() override {
        Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(token); }

private:
    ULONG_PTR token = 0;
};

[[maybe_unused]] testing::Environment* const gdiplus = testing::AddGlobalTestEnvironment(new GdiplusSession);

// Red, green and blue of a pixel as 0xRRGGBB.
constexpr uint32_t Rgb(int r, int g, int b) { return static_cast<uint32_t>(r << 16 | g << 8 | b); }

// Background of every canvas: a colour none of the primitives uses, so any stray paint shows.
constexpr uint32_t kBackground = Rgb(0, 0, 96);

// A top-down 32-bit DIB selected into a memory DC.
class Canvas {
public:
    Canvas(int width, int height) : width(width), height(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc.reset(CreateCompatibleDC(nullptr));
        bitmap.reset(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0));
        selected = SelectObject(dc.get(), bitmap.get());
        if (bits) std::fill(bits, bits + width * height, kBackground);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas() { SelectObject(dc.get(), selected); }

    HDC Dc() const { return dc.get(); }
    bool Ready() const { return dc && bitmap && bits; }

    uint32_t At(int x, int y) const {
        GdiFlush();
        return bits[y * width + x] & 0xFFFFFFu;
    }
    // Whether a pixel differs from the background by more than anti-aliasing noise.
    bool Painted(int x, int y) const { return Distance(At(x, y), kBackground) > 24; }

    // The box of every painted pixel, or an empty box.
    RECT PaintedBox() const {
        RECT box{width, height, 0, 0};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (Painted(x, y)) {
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.right = std::max<LONG>(box.right, x + 1);
                    box.bottom = std::max<LONG>(box.bottom, y + 1);
                }
        return box;
    }
    int PaintedCount() const {
        int count = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) count += Painted(x, y) ? 1 : 0;
        return count;
    }
    bool SameAs(const Canvas& other) const {
        GdiFlush();
        return width == other.width && height == other.height &&
               std::memcmp(bits, other.bits, static_cast<size_t>(width * height) * 4) == 0;
    }

    // Largest difference of the three channels.
    static int Distance(uint32_t a, uint32_t b) {
        int most = 0;
        for (int shift = 0; shift < 24; shift += 8)
            most = std::max(most, std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF)));
        return most;
    }

private:
    int width;
    int height;
    UniqueMemoryDC dc;
    UniqueBitmap bitmap;
    uint32_t* bits = nullptr;
    HGDIOBJ selected = nullptr;
};

// A pixel equal to the expected colour up to anti-aliasing noise on a fully covered pixel.
testing::AssertionResult Near(uint32_t actual, uint32_t expected, int tolerance = 2) {
    if (Canvas::Distance(actual, expected) <= tolerance) return testing::AssertionSuccess();
    char text[64];
    std::snprintf(text, sizeof text, "pixel %06X, expected %06X", actual, expected);
    return testing::AssertionFailure() << text;
}

TEST(ReferenceColour, IsOpaqueArgbWithRedFirst) {
    EXPECT_EQ(reference::C(RGB(0x12, 0x34, 0x56)), 0xFF123456u);
    EXPECT_EQ(reference::C(0), 0xFF000000u);
}

TEST(ReferencePath, LargeRadiusNeverOutgrowsTheRectangle) {
    Gdiplus::GraphicsPath pill;
    reference::Path(pill, RECT{20, 30, 120, 70}, 500.0f);
    Gdiplus::RectF bounds;
    pill.GetBounds(&bounds);
    EXPECT_NEAR(bounds.X, 20.0f, 0.01f);
    EXPECT_NEAR(bounds.Y, 30.0f, 0.01f);
    EXPECT_NEAR(bounds.Width, 100.0f, 0.01f);
    EXPECT_NEAR(bounds.Height, 40.0f, 0.01f);
    EXPECT_TRUE(pill.IsVisible(70.0f, 31.0f));   // straight top edge between the end caps
    EXPECT_TRUE(pill.IsVisible(21.0f, 50.0f));   // round left end
    EXPECT_FALSE(pill.IsVisible(22.0f, 32.0f));  // cut corner

    Gdiplus::GraphicsPath circle;
    reference::Path(circle, RECT{0, 0, 40, 40}, 30.0f);
    EXPECT_TRUE(circle.IsVisible(20.0f, 1.0f));
    EXPECT_TRUE(circle.IsVisible(39.0f, 20.0f));
    EXPECT_FALSE(circle.IsVisible(3.0f, 3.0f));
    EXPECT_FALSE(circle.IsVisible(37.0f, 37.0f));
}

TEST(ReferencePath, SmallRadiusRoundsOnlyTheCorners) {
    Gdiplus::GraphicsPath path;
    reference::Path(path, RECT{0, 0, 100, 60}, 10.0f);
    EXPECT_FALSE(path.IsVisible(1.0f, 1.0f));
    EXPECT_FALSE(path.IsVisible(98.5f, 58.5f));
    EXPECT_TRUE(path.IsVisible(11.0f, 1.0f));  // the arc ends 10 pixels from the corner
    EXPECT_TRUE(path.IsVisible(1.0f, 11.0f));
    EXPECT_TRUE(path.IsVisible(50.0f, 30.0f));
}


constexpr COLORREF kFill = RGB(200, 40, 40);
constexpr COLORREF kBorder = RGB(40, 200, 40);
constexpr uint32_t kFillRgb = Rgb(200, 40, 40);
constexpr uint32_t kBorderRgb = Rgb(40, 200, 40);

// Whether any pixel of the canvas shows the border colour.
bool AnyBorderPixel(const Canvas& canvas, int width, int height) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (Canvas::Distance(canvas.At(x, y), kBorderRgb) <= 60) return true;
    return false;
}

TEST(ReferenceCard, ZeroRadiusFillsSquareCornersAndIgnoresTheBorder) {
    for (const float radius : {0.0f, -4.0f}) {
        Canvas canvas(140, 100);
        ASSERT_TRUE(canvas.Ready());
        reference::Card(canvas.Dc(), RECT{20, 20, 120, 80}, radius, kFill, kBorder, 6.0f);
        EXPECT_TRUE(Near(canvas.At(21, 21), kFillRgb)) << radius;  // square corner
        EXPECT_TRUE(Near(canvas.At(118, 78), kFillRgb)) << radius;
        EXPECT_TRUE(Near(canvas.At(21, 50), kFillRgb)) << radius;  // where a border would lie
        EXPECT_TRUE(Near(canvas.At(70, 50), kFillRgb)) << radius;
        EXPECT_TRUE(Near(canvas.At(17, 50), kBackground)) << radius;  // where a 6-pixel pen would reach
        EXPECT_TRUE(Near(canvas.At(70, 82), kBackground)) << radius;
        EXPECT_FALSE(AnyBorderPixel(canvas, 140, 100)) << radius;
    }
}

TEST(ReferenceCard, PositiveRadiusRoundsTheCornersAndDrawsTheBorder) {
    Canvas canvas(140, 100);
    ASSERT_TRUE(canvas.Ready());
    reference::Card(canvas.Dc(), RECT{20, 20, 120, 80}, 10.0f, kFill, kBorder, 4.0f);
    EXPECT_TRUE(Near(canvas.At(20, 20), kBackground));  // outside the corner arc and its pen
    EXPECT_TRUE(Near(canvas.At(20, 50), kBorderRgb));   // the pen is centred on the edge
    EXPECT_TRUE(Near(canvas.At(70, 20), kBorderRgb));
    EXPECT_TRUE(Near(canvas.At(119, 50), kBorderRgb, 40));
    EXPECT_TRUE(Near(canvas.At(70, 50), kFillRgb));
    EXPECT_TRUE(Near(canvas.At(70, 25), kFillRgb));
    EXPECT_TRUE(Near(canvas.At(70, 85), kBackground));
}

TEST(ReferenceCard, PositiveRadiusWithoutBorderWidthIsFillOnly) {
    Canvas canvas(140, 100);
    ASSERT_TRUE(canvas.Ready());
    reference::Card(canvas.Dc(), RECT{20, 20, 120, 80}, 8.0f, kFill, kBorder, 0.0f);
    EXPECT_TRUE(Near(canvas.At(21, 50), kFillRgb));
    EXPECT_TRUE(Near(canvas.At(70, 21), kFillRgb));
    EXPECT_TRUE(Near(canvas.At(21, 21), kBackground));
    EXPECT_FALSE(AnyBorderPixel(canvas, 140, 100));
}

TEST(ReferenceCard, HugeRadiusGivesAPill) {
    Canvas canvas(140, 100);
    ASSERT_TRUE(canvas.Ready());
    reference::Card(canvas.Dc(), RECT{20, 20, 120, 60}, 500.0f, kFill, kBorder, 0.0f);
    EXPECT_TRUE(Near(canvas.At(23, 23), kBackground));  // cut corner
    EXPECT_TRUE(Near(canvas.At(116, 56), kBackground));
    EXPECT_TRUE(Near(canvas.At(70, 21), kFillRgb));     // flat top between the round ends
    EXPECT_TRUE(Near(canvas.At(22, 40), kFillRgb));     // round ends reach the full width
    EXPECT_TRUE(Near(canvas.At(117, 40), kFillRgb));
    EXPECT_TRUE(Near(canvas.At(70, 62), kBackground));
}

// Row 51 runs through the middle of the flat slider's track and thumb.
constexpr RECT kFlatSlider{10, 40, 230, 62};
constexpr uint32_t kFlatTrack = Rgb(75, 75, 75);
constexpr uint32_t kWhite = Rgb(255, 255, 255);

struct ThumbCase {
    int value;
    int thumbLeft;  // 20 pixels wide, 16 high from y 43
};

class FlatSlider : public testing::TestWithParam<ThumbCase> {};

TEST_P(FlatSlider, ThumbSitsWhereTheValueSays) {
    const ThumbCase c = GetParam();
    Canvas canvas(240, 80);
    ASSERT_TRUE(canvas.Ready());
    reference::Slider(canvas.Dc(), kFlatSlider, c.value, false);
    for (int x = 14; x < 226; ++x) {  // the track between its round ends
        if (x >= c.thumbLeft + 2 && x <= c.thumbLeft + 17) {
            EXPECT_TRUE(Near(canvas.At(x, 51), kWhite)) << "thumb at x " << x;
        } else if (x <= c.thumbLeft - 2 || x >= c.thumbLeft + 22) {
            EXPECT_TRUE(Near(canvas.At(x, 51), kFlatTrack)) << "track at x " << x;
        }
    }
    const int centre = c.thumbLeft + 10;
    EXPECT_TRUE(Near(canvas.At(centre, 45), kWhite));  // the thumb stands above and below the track
    EXPECT_TRUE(Near(canvas.At(centre, 57), kWhite));
    EXPECT_TRUE(Near(canvas.At(centre, 41), kBackground));
    EXPECT_TRUE(Near(canvas.At(centre, 60), kBackground));
    EXPECT_TRUE(Near(canvas.At(c.thumbLeft > 100 ? centre - 30 : centre + 30, 45), kBackground));
    EXPECT_TRUE(Near(canvas.At(120, 46), c.thumbLeft == 110 ? kWhite : kBackground));
    EXPECT_TRUE(Near(canvas.At(5, 51), kBackground));
    EXPECT_TRUE(Near(canvas.At(234, 51), kBackground));
}

INSTANTIATE_TEST_SUITE_P(Values, FlatSlider,
                         testing::Values(ThumbCase{0, 10}, ThumbCase{50, 110}, ThumbCase{100, 210},
                                         ThumbCase{-5, 10}, ThumbCase{130, 210}),
                         [](const testing::TestParamInfo<ThumbCase>& info) {
                             return info.param.value < 0 ? "Minus" + std::to_string(-info.param.value)
                                                         : std::to_string(info.param.value);
                         });

TEST(ReferenceSlider, OutOfRangeValuesDrawExactlyLikeTheEnds) {
    for (const bool raised : {false, true}) {
        Canvas below(240, 80), zero(240, 80), above(240, 80), hundred(240, 80);
        reference::Slider(below.Dc(), kFlatSlider, -5, raised);
        reference::Slider(zero.Dc(), kFlatSlider, 0, raised);
        reference::Slider(above.Dc(), kFlatSlider, 130, raised);
        reference::Slider(hundred.Dc(), kFlatSlider, 100, raised);
        EXPECT_TRUE(below.SameAs(zero)) << raised;
        EXPECT_TRUE(above.SameAs(hundred)) << raised;
        EXPECT_FALSE(zero.SameAs(hundred)) << raised;
    }
}

// The skylight controls' slider at 96 dpi: 30 pixels high, thumb 38 x 20.
constexpr RECT kRaisedSlider{14, 17, 232, 47};
constexpr uint32_t kRaisedTrack = Rgb(245, 245, 245);
constexpr uint32_t kRaisedFilled = Rgb(92, 92, 92);
constexpr uint32_t kRaisedThumb = Rgb(210, 210, 210);
constexpr uint32_t kGrip = Rgb(45, 45, 45);

TEST(ReferenceSlider, RaisedFillsTheTrackUpToTheThumb) {
    Canvas canvas(240, 64);
    ASSERT_TRUE(canvas.Ready());
    reference::Slider(canvas.Dc(), kRaisedSlider, 50, true);
    // Thumb from x 104 to 142, y 22 to 42; track y 28 to 36, filled up to x 123.
    EXPECT_TRUE(Near(canvas.At(60, 32), kRaisedFilled));
    EXPECT_TRUE(Near(canvas.At(100, 32), kRaisedFilled));
    EXPECT_TRUE(Near(canvas.At(146, 32), kRaisedTrack));
    EXPECT_TRUE(Near(canvas.At(200, 32), kRaisedTrack));
    EXPECT_TRUE(Near(canvas.At(200, 28), Rgb(190, 190, 190), 40));  // the track's outline
    EXPECT_TRUE(Near(canvas.At(110, 25), kRaisedThumb));
    EXPECT_TRUE(Near(canvas.At(136, 39), kRaisedThumb));
    EXPECT_TRUE(Near(canvas.At(120, 32), kRaisedThumb));  // between two grips
    EXPECT_LE(Canvas::Distance(canvas.At(104, 32), 0), 40);  // the thumb's black outline
    EXPECT_LE(Canvas::Distance(canvas.At(123, 22), 0), 40);
    for (const int x : {118, 123, 128}) {
        EXPECT_TRUE(Near(canvas.At(x, 32), kGrip, 40)) << "grip at x " << x;
        EXPECT_TRUE(Near(canvas.At(x, 25), kRaisedThumb)) << "above grip at x " << x;  // grips end 5 units in
    }
    EXPECT_TRUE(Near(canvas.At(123, 19), kBackground));
    EXPECT_TRUE(Near(canvas.At(123, 45), kBackground));
}

TEST(ReferenceSlider, RaisedEndsLeaveTheTrackEmptyOrFull) {
    Canvas empty(240, 64), full(240, 64);
    reference::Slider(empty.Dc(), kRaisedSlider, 0, true);
    reference::Slider(full.Dc(), kRaisedSlider, 100, true);
    EXPECT_TRUE(Near(empty.At(33, 25), kRaisedThumb));  // thumb from 14 to 52
    EXPECT_TRUE(Near(empty.At(60, 32), kRaisedTrack));
    EXPECT_TRUE(Near(empty.At(200, 32), kRaisedTrack));
    EXPECT_TRUE(Near(full.At(213, 25), kRaisedThumb));  // thumb from 194 to 232
    EXPECT_TRUE(Near(full.At(60, 32), kRaisedFilled));
    EXPECT_TRUE(Near(full.At(180, 32), kRaisedFilled));
}

constexpr uint32_t kIcon = Rgb(212, 212, 212);

TEST(ReferenceMoon, LeavesALitCrescentInsideARing) {
    Canvas canvas(130, 130);
    ASSERT_TRUE(canvas.Ready());
    reference::Moon(canvas.Dc(), RECT{10, 10, 110, 110});  // centre (60, 60)
    EXPECT_TRUE(Near(canvas.At(46, 60), Rgb(235, 235, 235)));  // the crescent's thick left part
    EXPECT_TRUE(Near(canvas.At(60, 76), Rgb(235, 235, 235)));  // its lower horn
    EXPECT_TRUE(Near(canvas.At(68, 48), Rgb(0, 0, 0)));        // the bite
    EXPECT_TRUE(Near(canvas.At(60, 24), Rgb(0, 0, 0)));        // the dark disc above the moon
    EXPECT_TRUE(Near(canvas.At(88, 80), Rgb(0, 0, 0)));
    EXPECT_TRUE(Near(canvas.At(60, 15), Rgb(104, 104, 104)));  // the ring
    EXPECT_TRUE(Near(canvas.At(15, 60), Rgb(104, 104, 104)));
    EXPECT_TRUE(Near(canvas.At(60, 20), kBackground));         // a hairline between ring and disc
    EXPECT_TRUE(Near(canvas.At(14, 14), kBackground));
    EXPECT_TRUE(Near(canvas.At(60, 108), kBackground));
}

TEST(ReferenceSidebar, DrawsAWindowWithASidePanel) {
    Canvas canvas(90, 90);
    ASSERT_TRUE(canvas.Ready());
    reference::Sidebar(canvas.Dc(), RECT{20, 20, 68, 68});  // 2 pixels a unit; outline from (26, 28) to (62, 58)
    for (const POINT p : {POINT{26, 45}, POINT{62, 45}, POINT{50, 28}, POINT{50, 58}, POINT{38, 50}, POINT{32, 34},
                          POINT{32, 40}})
        EXPECT_TRUE(Near(canvas.At(p.x, p.y), kIcon)) << "line at " << p.x << ", " << p.y;
    for (const POINT p : {POINT{32, 50}, POINT{32, 37}, POINT{50, 43}, POINT{22, 22}, POINT{66, 45}, POINT{50, 62}})
        EXPECT_TRUE(Near(canvas.At(p.x, p.y), kBackground)) << "gap at " << p.x << ", " << p.y;
}

TEST(ReferenceShare, DrawsAnArrowOutOfAnOpenTray) {
    Canvas canvas(90, 90);
    ASSERT_TRUE(canvas.Ready());
    reference::Share(canvas.Dc(), RECT{20, 20, 68, 68});  // 2 pixels a unit; the arrow's tip at (44, 24)
    for (const POINT p : {POINT{44, 36}, POINT{40, 28}, POINT{48, 28}, POINT{30, 50}, POINT{44, 62}, POINT{58, 50}})
        EXPECT_TRUE(Near(canvas.At(p.x, p.y), kIcon)) << "line at " << p.x << ", " << p.y;
    EXPECT_TRUE(Near(canvas.At(44, 23), kIcon));  // only a round cap reaches past the tip
    for (const POINT p : {POINT{37, 50}, POINT{51, 50}, POINT{30, 30}, POINT{58, 30}, POINT{44, 66}, POINT{24, 24}})
        EXPECT_TRUE(Near(canvas.At(p.x, p.y), kBackground)) << "gap at " << p.x << ", " << p.y;
}

constexpr COLORREF kText = RGB(250, 220, 40);
constexpr RECT kLabelArea{40, 20, 260, 120};  // centre (150, 70)

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool HasExactColour(const Canvas& canvas, const RECT& box, uint32_t colour) {
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            if (Canvas::Distance(canvas.At(x, y), colour) <= 2) return true;
    return false;
}

TEST(ReferenceLabel, LeftAlignedTextSitsAtTheLeftAndMiddle) {
    Canvas canvas(300, 140);
    ASSERT_TRUE(canvas.Ready());
    reference::Label(canvas.Dc(), kLabelArea, L"Share", 20.0f, kText, true, false);
    const RECT box = canvas.PaintedBox();
    ASSERT_LT(box.left, box.right) << "nothing drawn";
    EXPECT_TRUE(Inside(box, kLabelArea));
    EXPECT_LE(box.left, kLabelArea.left + 8);
    EXPECT_LT(box.right, 150);
    EXPECT_NEAR((box.top + box.bottom) / 2.0, 70.0, 5.0);  // centred vertically, not at the top
    EXPECT_TRUE(HasExactColour(canvas, box, Rgb(250, 220, 40)));
}

TEST(ReferenceLabel, RightAlignedTextEndsAtTheRight) {
    Canvas canvas(300, 140);
    ASSERT_TRUE(canvas.Ready());
    reference::Label(canvas.Dc(), kLabelArea, L"Share", 20.0f, kText, true, true);
    const RECT box = canvas.PaintedBox();
    ASSERT_LT(box.left, box.right) << "nothing drawn";
    EXPECT_TRUE(Inside(box, kLabelArea));
    EXPECT_GE(box.right, kLabelArea.right - 8);
    EXPECT_GT(box.left, 150);
    EXPECT_NEAR((box.top + box.bottom) / 2.0, 70.0, 5.0);
}

TEST(ReferenceLabel, SizeIsInPixels) {
    Canvas canvas(300, 140);
    ASSERT_TRUE(canvas.Ready());
    reference::Label(canvas.Dc(), kLabelArea, L"Share", 20.0f, kText, false, false);
    const RECT box = canvas.PaintedBox();
    // "Share" has no descender: its height is the ascender, about three quarters of the em. An em
    // of 20 points would be 27 pixels high.
    EXPECT_GE(box.bottom - box.top, 12);
    EXPECT_LE(box.bottom - box.top, 18);
}

TEST(ReferenceLabel, BoldIsHeavier) {
    Canvas regular(300, 140), bold(300, 140);
    reference::Label(regular.Dc(), kLabelArea, L"Background", 20.0f, kText, false, false);
    reference::Label(bold.Dc(), kLabelArea, L"Background", 20.0f, kText, true, false);
    EXPECT_GT(bold.PaintedCount(), regular.PaintedCount() * 11 / 10);
}

TEST(ReferenceLabel, WrapsAtTheRectangleWidth) {
    Canvas wide(300, 140), narrow(300, 140);
    reference::Label(wide.Dc(), kLabelArea, L"Background brightness", 18.0f, kText, false, false);
    const RECT narrowArea{40, 20, 170, 120};
    reference::Label(narrow.Dc(), narrowArea, L"Background brightness", 18.0f, kText, false, false);
    const RECT one = wide.PaintedBox();
    const RECT two = narrow.PaintedBox();
    ASSERT_LT(one.left, one.right) << "nothing drawn";
    ASSERT_LT(two.left, two.right) << "nothing drawn";
    EXPECT_TRUE(Inside(one, kLabelArea));
    EXPECT_TRUE(Inside(two, narrowArea));
    EXPECT_GT(one.right, 170);  // one line is wider than the narrow rectangle...
    EXPECT_GT(two.bottom - two.top, (one.bottom - one.top) * 3 / 2);  // ...so there it takes two
    EXPECT_NEAR((two.top + two.bottom) / 2.0, 70.0, 5.0);
}

}  // namespace
