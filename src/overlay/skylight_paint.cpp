#include "overlay/skylight_paint.h"

#include <objbase.h>  // PROPID, which the GDI+ headers need and WIN32_LEAN_AND_MEAN leaves out
#include <gdiplus.h>

#include <algorithm>
#include <utility>

#include "common/handles.h"
#include "overlay/skylight_layout.h"

using namespace Gdiplus;

namespace {

// Every pen and brush lives only for its one call, so a long drag never accumulates GDI+ objects.
void Line(Graphics& graphics, ARGB colour, REAL width, REAL x1, REAL y1, REAL x2, REAL y2) {
    Pen pen(Color(colour), width);
    pen.SetStartCap(LineCapRound);
    pen.SetEndCap(LineCapRound);
    graphics.DrawLine(&pen, x1, y1, x2, y2);
}

void Outline(Graphics& graphics, const GraphicsPath& path, ARGB colour, REAL width) {
    Pen pen(Color(colour), width);
    graphics.DrawPath(&pen, &path);
}

void Fill(Graphics& graphics, const GraphicsPath& path, ARGB colour) {
    SolidBrush brush{Color(colour)};
    graphics.FillPath(&brush, &path);
}

void DrawTopBar(Graphics& graphics, REAL width, REAL height) {
    SolidBrush brush{Color(255, 51, 54, 56)};
    graphics.FillRectangle(&brush, 0.0f, std::max((height - 24.0f) * 0.5f, 0.0f), width, 24.0f);
}

void DrawCornerHandle(Graphics& graphics, bool hover, bool pressed) {
    const bool active = hover || pressed;
    GraphicsPath path;
    path.AddArc(3.0f, 3.0f, 16.0f, 16.0f, 180.0f, 90.0f);
    path.AddArc(9.0f, 3.0f, 16.0f, 16.0f, 270.0f, 90.0f);
    path.AddArc(9.0f, 9.0f, 16.0f, 16.0f, 0.0f, 90.0f);
    path.AddArc(3.0f, 9.0f, 16.0f, 16.0f, 90.0f, 90.0f);
    path.CloseFigure();
    // A soft shadow from faint strokes stacked widest first; a larger one lifts the handle on hover.
    for (int width = active ? 10 : 6; width >= 2; width -= 2)
        Outline(graphics, path, Color::MakeARGB(15, 0, 0, 0), static_cast<REAL>(width));
    Fill(graphics, path, active ? Color::MakeARGB(250, 26, 97, 148) : Color::MakeARGB(240, 26, 41, 56));
    Outline(graphics, path, Color::MakeARGB(245, 107, 204, 255), pressed ? 2.5f : 1.5f);

    const ARGB white = Color::MakeARGB(245, 255, 255, 255);
    const REAL width = pressed ? 3.2f : 2.6f;
    Line(graphics, white, width, 8.5f, 8.5f, 19.5f, 19.5f);
    Line(graphics, white, width, 8.5f, 13.5f, 8.5f, 8.5f);
    Line(graphics, white, width, 8.5f, 8.5f, 13.5f, 8.5f);
    Line(graphics, white, width, 14.5f, 19.5f, 19.5f, 19.5f);
    Line(graphics, white, width, 19.5f, 19.5f, 19.5f, 14.5f);
}

void DrawArrowhead(Graphics& graphics, const PointF (&corners)[3], bool pressed) {
    GraphicsPath path;
    path.AddPolygon(corners, 3);
    for (const REAL width : {8.0f, 6.0f, 4.0f, 2.0f}) Outline(graphics, path, Color::MakeARGB(28, 0, 0, 0), width);
    Fill(graphics, path, Color::MakeARGB(255, 255, 214, 0));
    Outline(graphics, path, Color::MakeARGB(255, 224, 10, 15), pressed ? 3.0f : 2.25f);
}

// The marker stays 34 units before the pointer along the edge, so the cursor never hides it, and
// at least 18 units inside the grip's ends.
REAL MarkerPosition(REAL pointer, REAL length) {
    const REAL position = pointer - 34.0f;
    return position < 18.0f ? 18.0f : std::min(position, std::max(length - 18.0f, 18.0f));
}

void DrawEdgeMarker(Graphics& graphics, int slot, REAL width, REAL height, PointF pointer, bool pressed) {
    const bool vertical = slot != kGripBottom;
    const REAL mx = vertical ? width / 2.0f : MarkerPosition(pointer.X, width);
    const REAL my = vertical ? MarkerPosition(pointer.Y, height) : height / 2.0f;

    const PointF from = vertical ? PointF(width / 2.0f, 0.0f) : PointF(0.0f, height / 2.0f);
    const PointF to = vertical ? PointF(width / 2.0f, height) : PointF(width, height / 2.0f);
    for (const auto& [colour, penWidth] : {std::pair{Color::MakeARGB(255, 224, 10, 15), pressed ? 7.0f : 6.0f},
                                           std::pair{Color::MakeARGB(255, 255, 214, 0), pressed ? 3.0f : 2.5f}}) {
        Pen pen(Color(colour), penWidth);
        pen.SetStartCap(LineCapSquare);
        pen.SetEndCap(LineCapSquare);
        graphics.DrawLine(&pen, from, to);
    }

    if (vertical) {
        DrawArrowhead(graphics, {{mx - 15, my}, {mx - 4, my - 8}, {mx - 4, my + 8}}, pressed);
        DrawArrowhead(graphics, {{mx + 15, my}, {mx + 4, my - 8}, {mx + 4, my + 8}}, pressed);
    } else {
        DrawArrowhead(graphics, {{mx, my - 15}, {mx - 8, my - 4}, {mx + 8, my - 4}}, pressed);
        DrawArrowhead(graphics, {{mx, my + 15}, {mx - 8, my + 4}, {mx + 8, my + 4}}, pressed);
    }

    const REAL dx = vertical ? 0.0f : 16.0f, dy = vertical ? 16.0f : 0.0f;
    Line(graphics, Color::MakeARGB(255, 224, 10, 15), pressed ? 5.0f : 4.0f, mx - dx, my - dy, mx + dx, my + dy);
    Line(graphics, Color::MakeARGB(255, 255, 214, 0), pressed ? 2.0f : 1.5f, mx - dx, my - dy, mx + dx, my + dy);
}

}  // namespace

bool DrawGrip(uint32_t* pixels, int width, int height, UINT dpi, int slot, POINT pointer, bool hover, bool pressed) {
    if (!pixels || width < 1 || height < 1 || dpi == 0) return false;
    Bitmap bitmap(width, height, 4 * width, PixelFormat32bppPARGB, reinterpret_cast<BYTE*>(pixels));
    if (bitmap.GetLastStatus() != Ok) return false;
    Graphics graphics(&bitmap);
    if (graphics.GetLastStatus() != Ok) return false;
    // Alpha 1 rather than 0: a layered window takes the mouse only where its pixels are not clear.
    if (graphics.Clear(Color(1, 0, 0, 0)) != Ok) return false;

    const REAL scale = static_cast<REAL>(dpi) / 96.0f;
    graphics.ScaleTransform(scale, scale);
    graphics.SetSmoothingMode(SmoothingModeAntiAlias);
    const REAL w = static_cast<REAL>(width) / scale, h = static_cast<REAL>(height) / scale;

    if (slot == kGripTop) {
        DrawTopBar(graphics, w, h);
    } else if (slot == kGripCorner) {
        DrawCornerHandle(graphics, hover, pressed);
    } else if ((slot == kGripLeft || slot == kGripRight || slot == kGripBottom) && (hover || pressed)) {
        const PointF at(static_cast<REAL>(pointer.x) / scale, static_cast<REAL>(pointer.y) / scale);
        DrawEdgeMarker(graphics, slot, w, h, at, pressed);
    }
    return true;
}

void RenderSkylightGrip(HWND grip, UINT dpi, int slot, POINT pointer, bool hover, bool pressed, int brightness,
                        bool idle) {
    RECT window{};
    if (!GetWindowRect(grip, &window)) return;
    SIZE size{window.right - window.left, window.bottom - window.top};
    if (size.cx < 1 || size.cy < 1) return;

    UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
    if (!dc) return;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};  // top-down
    void* bits = nullptr;
    UniqueBitmap dib(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib || !bits) return;
    SelectedObject selected(dc.get(), dib.get());
    if (!DrawGrip(static_cast<uint32_t*>(bits), size.cx, size.cy, dpi, slot, pointer, hover, pressed))
        return;

    POINT position{window.left, window.top}, origin{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(GripOpacity(brightness, idle)), AC_SRC_ALPHA};
    UpdateLayeredWindow(grip, nullptr, &position, &size, dc.get(), &origin, 0, &blend, ULW_ALPHA);
}

void PaintCloseButton(HDC dc, int width, int height, UINT dpi) {
    const int corner = MulDiv(8, static_cast<int>(dpi), 96);
    UniqueRegion face(CreateRoundRectRgn(0, 0, width + 1, height + 1, corner, corner));
    UniqueBrush red(CreateSolidBrush(RGB(192, 35, 42)));
    if (face && red) FillRgn(dc, face.get(), red.get());

    UniquePen white(CreatePen(PS_SOLID, MulDiv(3, static_cast<int>(dpi), 96), RGB(255, 255, 255)));
    if (!white) return;
    SelectedObject selected(dc, white.get());
    const int inset = width * 3 / 10;
    MoveToEx(dc, inset, inset, nullptr);
    LineTo(dc, width - inset, height - inset);
    MoveToEx(dc, width - inset, inset, nullptr);
    LineTo(dc, inset, height - inset);
}
