#include "toolbar/banner_picture.h"

#include <objbase.h>  // PROPID, which the GDI+ headers need and WIN32_LEAN_AND_MEAN leaves out
#include <gdiplus.h>
#include <shlwapi.h>

#include "common/text.h"
#include "online/online_services.h"

bool BannerPicture::Prepare(const std::string& file, int w, int h) {
    const std::wstring name = Wide(file);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    const bool exists = GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data);
    const uint64_t fileWritten =
        exists ? uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32 | data.ftLastWriteTime.dwLowDateTime : 0;
    const uint64_t fileSize = exists ? uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow : 0;
    if (file == path && w == width && h == height && fileWritten == written && fileSize == size) return false;
    path = file, width = w, height = h, written = fileWritten, size = fileSize;
    bitmap.reset();
    if (!exists || w <= 0 || h <= 0) return true;

    // Decoded from the very bytes that were judged, not from a file that may change in between.
    const auto bytes = ReadBannerImage(file);
    if (!bytes) return true;
    UniqueCom<IStream> stream(
        SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes->data()), static_cast<UINT>(bytes->size())));
    if (!stream) return true;
    Gdiplus::Bitmap decoded(stream.get());
    if (decoded.GetLastStatus() != Gdiplus::Ok) return true;

    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    UniqueBitmap target(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!target) return true;
    Gdiplus::Bitmap canvas(w, h, w * 4, PixelFormat32bppPARGB, static_cast<BYTE*>(bits));
    Gdiplus::Graphics graphics(&canvas);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    if (graphics.DrawImage(&decoded, 0, 0, w, h) != Gdiplus::Ok) return true;
    graphics.Flush(Gdiplus::FlushIntentionSync);
    bitmap = std::move(target);
    return true;
}

bool BannerPicture::Draw(HDC dc, int left, int top) const {
    if (!bitmap) return false;
    UniqueMemoryDC source(CreateCompatibleDC(dc));
    SelectedObject selected(source.get(), bitmap.get());
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    return GdiAlphaBlend(dc, left, top, width, height, source.get(), 0, 0, width, height, blend);
}
