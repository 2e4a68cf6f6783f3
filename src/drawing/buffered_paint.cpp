#include "drawing/buffered_paint.h"

#include "common/handles.h"

void PaintBuffered(HWND window, const std::function<void(HDC dc, const RECT& client)>& draw) {
    PAINTSTRUCT paint{};
    HDC target = BeginPaint(window, &paint);
    RECT client{};
    GetClientRect(window, &client);
    UniqueMemoryDC dc(CreateCompatibleDC(target));
    UniqueBitmap bitmap(CreateCompatibleBitmap(target, client.right, client.bottom));
    if (dc && bitmap) {
        SelectedObject selected(dc.get(), bitmap.get());
        draw(dc.get(), client);
        BitBlt(target, 0, 0, client.right, client.bottom, dc.get(), 0, 0, SRCCOPY);
    }
    EndPaint(window, &paint);
}
