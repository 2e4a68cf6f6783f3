#pragma once
// The first banner's picture, decoded once for the size it is shown at. The file is judged by its
// header before any decoder sees it, and painting only copies the result.
#include <windows.h>

#include <cstdint>
#include <string>

#include "common/handles.h"

class BannerPicture {
public:
    // Decodes the file again only when it or the size changed since the last call (then true). A
    // file that is missing, refused or undecodable leaves nothing to draw until it changes.
    bool Prepare(const std::string& path, int width, int height);
    // Blends what was prepared onto the DC; false when there is nothing to draw.
    bool Draw(HDC dc, int left, int top) const;

private:
    std::string path;
    uint64_t written = 0, size = 0;  // the file as it was last prepared; 0 when missing
    int width = 0, height = 0;
    UniqueBitmap bitmap;  // premultiplied, top-down, width x height
};
