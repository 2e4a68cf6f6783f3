#include "drawing/reference_drawing.h"

#include <algorithm>
#include <vector>

#include "common/win_geometry.h"
#include "drawing/slider_layout.h"

using namespace Gdiplus;

namespace reference {

namespace {

constexpr COLORREF kIconColour = RGB(212, 212, 212);

void Smooth(Graphics& graphics) { graphics.SetSmoothingMode(SmoothingModeAntiAlias); }

REAL Width(const RECT& rect) { return static_cast<REAL>(rect.right - rect.left); }
REAL Height(const RECT& rect) { return static_cast<REAL>(rect.bottom - rect.top); }

// The size at which a one-line label fits its width. Wine's substitute for the font is wider, and so
// is Windows' with larger text: a label shrinks to three quarters of its size, and is elided past
// that, never broken inside a word. Measured once per text and place: measuring costs a drawing.
float FittedSize(Graphics& graphics, const std::wstring& text, float size, INT style, REAL width,
                 const StringFormat& format) {
    struct Fitted {
        std::wstring text;
        float size;
        INT style;
        REAL width, fitted;
    };
    thread_local std::vector<Fitted> known;
    for (const Fitted& f : known)
        if (f.text == text && f.size == size && f.style == style && f.width == width) return f.fitted;
    float fitted = size;
    for (int step = 0; step <= 5; ++step) {
        fitted = size * (1.0f - 0.05f * static_cast<float>(step));
        const Font font(L"Segoe UI", fitted, style, UnitPixel);
        RectF bounds;
        graphics.MeasureString(text.c_str(), -1, &font, PointF(0.0f, 0.0f), &format, &bounds);
        if (bounds.Width <= width) break;
    }
    if (known.size() >= 128) known.clear();  // the brightness label alone has a hundred and one texts
    known.push_back({text, size, style, width, fitted});
    return fitted;
}

}  // namespace

ARGB C(COLORREF colour) {
    return Color::MakeARGB(255, GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

void Path(GraphicsPath& path, const RECT& rect, float radius) {
    const REAL d = std::min({2.0f * radius, Width(rect), Height(rect)});
    const auto left = static_cast<REAL>(rect.left);
    const auto top = static_cast<REAL>(rect.top);
    const auto right = static_cast<REAL>(rect.right);
    const auto bottom = static_cast<REAL>(rect.bottom);
    path.AddArc(left, top, d, d, 180.0f, 90.0f);
    path.AddArc(right - d, top, d, d, 270.0f, 90.0f);
    path.AddArc(right - d, bottom - d, d, d, 0.0f, 90.0f);
    path.AddArc(left, bottom - d, d, d, 90.0f, 90.0f);
    path.CloseFigure();
}

void Card(HDC dc, const RECT& rect, float radius, COLORREF fill, COLORREF border, float borderWidth) {
    Graphics graphics(dc);
    Smooth(graphics);
    SolidBrush brush(Color(C(fill)));
    if (radius <= 0.0f) {
        graphics.FillRectangle(&brush, static_cast<REAL>(rect.left), static_cast<REAL>(rect.top), Width(rect),
                               Height(rect));
        return;
    }
    GraphicsPath path;
    Path(path, rect, radius);
    graphics.FillPath(&brush, &path);
    if (borderWidth > 0.0f) {
        Pen pen(Color(C(border)), borderWidth);
        graphics.DrawPath(&pen, &path);
    }
}

void Label(HDC dc, const RECT& rect, const std::wstring& text, float size, COLORREF colour, bool bold,
           bool rightAligned) {
    Graphics graphics(dc);
    Smooth(graphics);
    graphics.SetTextRenderingHint(TextRenderingHintClearTypeGridFit);
    StringFormat format;
    format.SetLineAlignment(StringAlignmentCenter);
    format.SetAlignment(rightAligned ? StringAlignmentFar : StringAlignmentNear);
    const INT style = bold ? FontStyleBold : FontStyleRegular;
    const bool oneLine = text.find(L'\n') == std::wstring::npos;
    if (oneLine) {
        format.SetFormatFlags(StringFormatFlagsNoWrap);
        format.SetTrimming(StringTrimmingEllipsisCharacter);
    }
    Font font(L"Segoe UI", oneLine ? FittedSize(graphics, text, size, style, Width(rect), format) : size, style,
              UnitPixel);
    SolidBrush brush(Color(C(colour)));
    const RectF layout(static_cast<REAL>(rect.left), static_cast<REAL>(rect.top), Width(rect), Height(rect));
    graphics.DrawString(text.c_str(), -1, &font, layout, &format, &brush);
}

void Sidebar(HDC dc, const RECT& rect) {
    Graphics graphics(dc);
    Smooth(graphics);
    const REAL u = Width(rect) / 24.0f;
    Pen pen(Color(C(kIconColour)), 1.6f * u);
    const REAL x0 = static_cast<REAL>(rect.left) + 3.0f * u;
    const REAL y0 = static_cast<REAL>(rect.top) + 4.0f * u;
    graphics.DrawRectangle(&pen, x0, y0, 18.0f * u, 15.0f * u);
    graphics.DrawLine(&pen, x0 + 6.0f * u, y0, x0 + 6.0f * u, y0 + 15.0f * u);
    graphics.DrawLine(&pen, x0 + 2.0f * u, y0 + 3.0f * u, x0 + 4.0f * u, y0 + 3.0f * u);
    graphics.DrawLine(&pen, x0 + 2.0f * u, y0 + 6.0f * u, x0 + 4.0f * u, y0 + 6.0f * u);
}

void Share(HDC dc, const RECT& rect) {
    Graphics graphics(dc);
    Smooth(graphics);
    const REAL u = Width(rect) / 24.0f;
    Pen pen(Color(C(kIconColour)), 2.0f * u);
    pen.SetStartCap(LineCapRound);
    pen.SetEndCap(LineCapRound);
    const auto left = static_cast<REAL>(rect.left);
    const auto top = static_cast<REAL>(rect.top);
    auto line = [&](REAL x1, REAL y1, REAL x2, REAL y2) {
        graphics.DrawLine(&pen, left + x1 * u, top + y1 * u, left + x2 * u, top + y2 * u);
    };
    line(12, 2, 12, 15);  // the arrow
    line(12, 2, 8, 6);
    line(12, 2, 16, 6);
    line(5, 8, 5, 21);  // the tray
    line(5, 21, 19, 21);
    line(19, 21, 19, 8);
}

void Moon(HDC dc, const RECT& rect) {
    Graphics graphics(dc);
    Smooth(graphics);
    const REAL s = Width(rect);
    const auto left = static_cast<REAL>(rect.left);
    const auto top = static_cast<REAL>(rect.top);
    Pen ring(Color(C(RGB(104, 104, 104))), 0.065f * s);
    graphics.DrawEllipse(&ring, left + 0.055f * s, top + 0.055f * s, 0.89f * s, 0.89f * s);
    SolidBrush black(Color(C(RGB(0, 0, 0))));
    graphics.FillEllipse(&black, left + 0.11f * s, top + 0.11f * s, 0.78f * s, 0.78f * s);
    SolidBrush lit(Color(C(RGB(235, 235, 235))));
    graphics.FillEllipse(&lit, left + 0.32f * s, top + 0.28f * s, 0.37f * s, 0.42f * s);
    // The bite that leaves a crescent.
    graphics.FillEllipse(&black, left + 0.40f * s, top + 0.20f * s, 0.38f * s, 0.37f * s);
}

void Slider(HDC dc, const RECT& rect, int value, bool raised) {
    const SliderLayout layout = LayoutSlider(ToRect(rect), value, raised);
    constexpr COLORREF kRaisedBorder = RGB(190, 190, 190);
    Card(dc, ToRECT(layout.track), layout.trackRadius, raised ? RGB(245, 245, 245) : RGB(75, 75, 75), kRaisedBorder,
         layout.trackBorder);
    if (raised) Card(dc, ToRECT(layout.filled), layout.trackRadius, RGB(92, 92, 92), kRaisedBorder, layout.trackBorder);
    Card(dc, ToRECT(layout.thumb), layout.thumbRadius, raised ? RGB(210, 210, 210) : RGB(255, 255, 255), 0,
         layout.thumbBorder);
    if (!raised) return;
    Graphics graphics(dc);
    Smooth(graphics);
    Pen grip(Color(C(RGB(45, 45, 45))), layout.gripWidth);
    for (const REAL x : layout.gripX) graphics.DrawLine(&grip, x, layout.gripTop, x, layout.gripBottom);
}

}  // namespace reference
