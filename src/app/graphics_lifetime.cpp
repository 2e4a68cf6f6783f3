#include "app/graphics_lifetime.h"

#include <objbase.h>
#include <gdiplus.h>

bool GraphicsLifetime::Start() {
    Gdiplus::GdiplusStartupInput input;
    started = Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
    return started;
}

GraphicsLifetime::~GraphicsLifetime() {
    if (!started) return;
    Gdiplus::GdiplusShutdown(token);
    CoUninitialize();
}
