#include "drawing/buffered_paint.h"

#include "common/handles.h"

void PaintBuffered(HWND window, const std::function<void(HDC dc, const RECT& client)>& draw) {
    PAINTSTRUCT paint{};
    HDC target = BeginPaint(window, &paint);
    RECT client{};
    GetClientRect(window, &client);
    UniqueMemoryDC dc(CreateCompatibleDC(target));
    UniqueBitmap bitmap(CreateCompatibleBitmap(target, client.right, client.bottom));
    // Only what was invalidated reaches the screen: a slider step repaints its card, not the window.
    const RECT& dirty = paint.rcPaint;
    if (dc && bitmap && !IsRectEmpty(&dirty)) {
        SelectedObject selected(dc.get(), bitmap.get());
        IntersectClipRect(dc.get(), dirty.left, dirty.top, dirty.right, dirty.bottom);
        draw(dc.get(), client);
        BitBlt(target, dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top, dc.get(), dirty.left,
               dirty.top, SRCCOPY);
    }
    EndPaint(window, &paint);
}
