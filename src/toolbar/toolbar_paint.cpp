// The toolbar's picture, rebuilt on every paint in an off-screen bitmap over a layer of its unchanging
// top, drawn once per width. Geometry is in design units: k units are trunc(k x f), rows less the
// scroll offset.
#include <string>

#include "common/handles.h"
#include "common/text.h"
#include "common/win_geometry.h"
#include "drawing/buffered_paint.h"
#include "drawing/reference_drawing.h"
#include "online/origins.h"
#include "overlay/overlay_window.h"
#include "sharing/draw_qr.h"
#include "sharing/share_text.h"
#include "toolbar/toolbar_window.h"

using namespace Gdiplus;

namespace {

constexpr COLORREF kText = RGB(212, 212, 212);
constexpr COLORREF kCard = RGB(38, 39, 40);
constexpr COLORREF kGold = RGB(255, 209, 0);
constexpr COLORREF kBackground = RGB(14, 15, 16);

// One paint's design units (see above): scale f, s pixels scrolled.
struct Scaled {
    float f;
    int s;
    RECT operator()(float left, float top, float right, float bottom) const {
        return RECT{Units(f, left), Units(f, top) - s, Units(f, right), Units(f, bottom) - s};
    }
    float Radius(float k) const { return static_cast<float>(Units(f, k)); }
};

void Fill(HDC dc, const RECT& rect, COLORREF colour) {
    UniqueBrush brush(CreateSolidBrush(colour));
    if (brush) FillRect(dc, &rect, brush.get());
}

// The half-lit disc before "Background brightness".
void BrightnessIcon(HDC dc, float f, int scroll) {
    Graphics graphics(dc);
    graphics.SetSmoothingMode(SmoothingModeAntiAlias);
    SolidBrush lit{Color(reference::C(kText))};
    const auto d = static_cast<REAL>(Units(f, 15));
    graphics.FillEllipse(&lit, static_cast<REAL>(Units(f, 28)), static_cast<REAL>(Units(f, 219) - scroll), d, d);
    SolidBrush shade{Color(reference::C(kCard))};
    graphics.FillPie(&shade, static_cast<REAL>(Units(f, 30)), static_cast<REAL>(Units(f, 220) - scroll),
                     static_cast<REAL>(Units(f, 11)), static_cast<REAL>(Units(f, 13)), -90.0f, 180.0f);
}

}  // namespace

UniqueFont ToolbarWindow::LinkFont(float f, bool underlined) {
    return UniqueFont(CreateFontW(-Units(f, 16), 0, 0, 0, FW_NORMAL, FALSE, underlined, FALSE, DEFAULT_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                  DEFAULT_PITCH | FF_DONTCARE, L"Segoe UI"));
}

// The header, the share card and the brightness card with their icons and titles, s pixels scrolled.
void ToolbarWindow::PaintStatic(HDC dc, const RECT& client, int s) {
    const float f = DesignScale(client.right);
    const Scaled units{f, s};
    auto at = [&](const ::Rect& laidOut) {  // laid out for the current scroll offset
        RECT r = ToRECT(laidOut);
        OffsetRect(&r, 0, scroll - s);
        return r;
    };
    Fill(dc, {0, -s, client.right, Units(f, 136) - s}, RGB(0, 0, 0));
    reference::Card(dc, units(145, 122, 197, 126), units.Radius(2), RGB(66, 66, 66), 0, 0);
    reference::Sidebar(dc, at(layout.collapseRect));
    reference::Card(dc, at(layout.shareRect), units.Radius(10), kCard, 0, 0);
    reference::Share(dc, units(239, 161, 263, 185));
    reference::Label(dc, units(267, 156, 328, 188), L"Share", 18.0f * f, kText, true, false);
    reference::Card(dc, at(layout.brightnessRect), units.Radius(10), kCard, 0, 0);
    BrightnessIcon(dc, f, s);
    reference::Label(dc, units(52, 215, 277, 238), L"Background brightness", 15.5f * f, kText, true, false);
}

// Under Wine GDI+ text costs most of a paint: what never changes at one width is drawn once, unscrolled.
void ToolbarWindow::BlitStatic(HDC dc, const RECT& client) {
    const int height = Units(DesignScale(client.right), 280);  // to the QR card, soft card edges included
    UniqueMemoryDC layer(CreateCompatibleDC(dc));
    if (layer && staticWidth != client.right) {
        staticLayer.reset(CreateCompatibleBitmap(dc, client.right, height));
        staticWidth = staticLayer ? client.right : 0;
        if (staticLayer) {
            SelectedObject selected(layer.get(), staticLayer.get());
            Fill(layer.get(), {0, 0, client.right, height}, kBackground);
            PaintStatic(layer.get(), client, 0);
        }
    }
    if (!layer || !staticWidth) return PaintStatic(dc, client, scroll);
    SelectedObject selected(layer.get(), staticLayer.get());
    BitBlt(dc, 0, -scroll, client.right, height, layer.get(), 0, 0, SRCCOPY);
}

void ToolbarWindow::Paint() {
    PaintBuffered(window, [this](HDC dc, const RECT& client) {
        Fill(dc, client, kBackground);
        if (collapsed) {
            // The persistent logo lies on top of the strip.
            Fill(dc, client, RGB(0, 0, 0));
            return;
        }
        const float f = DesignScale(client.right);
        const Scaled units{f, scroll};
        BlitStatic(dc, client);

        const int32_t brightness = overlay->State().backgroundBrightness;
        reference::Label(dc, units(277, 215, 318, 238), std::to_wstring(brightness) + L"%", 16.0f * f, kText, true,
                         true);
        reference::Slider(dc, ToRECT(layout.sliderRect), brightness, false);

        const RECT qr = ToRECT(layout.qrRect);
        reference::Card(dc, qr, units.Radius(8), RGB(255, 255, 255), 0, 0);
        // DrawQR fills its square corners white: clipped to the card's rounded ones.
        const int saved = SaveDC(dc);
        const int corner = Units(f, 16);
        UniqueRegion corners(CreateRoundRectRgn(qr.left, qr.top, qr.right + 1, qr.bottom + 1, corner, corner));
        SelectClipRgn(dc, corners.get());
        DrawQR(dc, qr, sharing::Page(snapshot.referralCode, "Lumenfold", kPublisherSiteOrigin));
        RestoreDC(dc, saved);
        PaintBanners(dc, f);
        PaintCredits(dc, f);
        if (!snapshot.status.empty()) {
            reference::Label(dc, ToRECT(layout.statusRect), Wide(snapshot.status) + L"\nClick to copy", 16.0f * f,
                             kText, false, false);
        }
    });
}

void ToolbarWindow::PaintBanners(HDC dc, float f) {
    for (size_t i = 0; i < layout.bannerImageRects.size() && i < snapshot.banners.size(); ++i) {
        const Banner& banner = snapshot.banners[i];
        const RECT r = ToRECT(layout.bannerImageRects[i]);
        reference::Card(dc, r, static_cast<float>(Units(f, 16)), RGB(23, 24, 25), RGB(61, 62, 63), f);
        // Only the first banner is laid out, and its picture was prepared with the layout.
        if (i != 0 || !picture.Draw(dc, r.left + 1, r.top + Units(f, 7))) {
            const int dx = Units(f, 12), dy = Units(f, 8);
            reference::Label(dc, {r.left + dx, r.top + dy, r.right - dx, r.bottom - dy},
                             Wide(banner.title) + L"\n图片加载中 / Loading image", 16.0f * f, kText, false, false);
        }
    }
    for (size_t i = 0; i < layout.bannerLinkRects.size() && i < snapshot.banners.size(); ++i) {
        UniqueFont font = LinkFont(f, true);
        SelectedObject selected(dc, font.get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(125, 195, 255));
        RECT r = ToRECT(layout.bannerLinkRects[i]);
        DrawTextW(dc, Wide(snapshot.banners[i].targetURL).c_str(), -1, &r, DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
    }
}

void ToolbarWindow::PaintCredits(HDC dc, float f) {
    const RECT card = ToRECT(layout.creditsRect);
    reference::Card(dc, card, static_cast<float>(Units(f, 20)), RGB(9, 40, 62), RGB(135, 113, 0), f);
    const std::wstring credits =
        snapshot.hasCredits ? std::to_wstring(snapshot.credits) + L" Credits" : std::wstring(L"— Credits");
    reference::Label(dc, {card.left + Units(f, 16), card.top, card.right - Units(f, 56), card.bottom}, credits,
                     20.0f * f, kGold, true, false);
    reference::Label(dc, {card.right - Units(f, 48), card.top, card.right - Units(f, 14), card.bottom}, L"+", 36.0f * f,
                     kGold, true, false);
}
