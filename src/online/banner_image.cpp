#include "online/banner_image.h"

#include <cstdlib>

namespace {

using Bytes = std::string_view;

uint32_t Byte(Bytes b, size_t at) { return static_cast<uint8_t>(b[at]); }
uint32_t Big16(Bytes b, size_t at) { return Byte(b, at) << 8 | Byte(b, at + 1); }
uint32_t Big32(Bytes b, size_t at) { return Big16(b, at) << 16 | Big16(b, at + 2); }
uint32_t Little16(Bytes b, size_t at) { return Byte(b, at + 1) << 8 | Byte(b, at); }
uint32_t Little32(Bytes b, size_t at) { return Little16(b, at + 2) << 16 | Little16(b, at); }

std::optional<ImageSize> Png(Bytes b) {
    if (b.size() < 24 || Big32(b, 8) != 13 || b.substr(12, 4) != "IHDR") return std::nullopt;
    return ImageSize{Big32(b, 16), Big32(b, 20)};
}

// The first frame header, found by walking the segments before it.
std::optional<ImageSize> Jpeg(Bytes b) {
    size_t at = 2;
    for (;;) {
        while (at < b.size() && Byte(b, at) == 0xFF && at + 1 < b.size() && Byte(b, at + 1) == 0xFF) ++at;
        if (at + 2 > b.size() || Byte(b, at) != 0xFF) return std::nullopt;
        const uint32_t marker = Byte(b, at + 1);
        at += 2;
        if (marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // no length
        if (marker == 0xD9 || marker == 0xDA || at + 2 > b.size()) return std::nullopt;  // data before any frame
        const uint32_t length = Big16(b, at);
        if (length < 2) return std::nullopt;
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (length < 7 || at + 7 > b.size()) return std::nullopt;
            return ImageSize{Big16(b, at + 5), Big16(b, at + 3)};
        }
        at += length;
    }
}

// The screen size, when every frame lies within it.
std::optional<ImageSize> Gif(Bytes b) {
    if (b.size() < 13) return std::nullopt;
    const ImageSize screen{Little16(b, 6), Little16(b, 8)};
    auto colourTable = [](uint32_t flags) -> size_t { return flags & 0x80 ? 3u << ((flags & 7) + 1) : 0; };
    auto skipSubBlocks = [&b](size_t at) {
        while (at < b.size() && b[at] != 0) at += Byte(b, at) + 1;
        return at + 1;
    };
    size_t at = 13 + colourTable(Byte(b, 10));
    while (at < b.size()) {
        const uint32_t introducer = Byte(b, at);
        if (introducer == 0x3B) break;  // the trailer
        if (introducer == 0x21) {
            at = skipSubBlocks(at + 2);
        } else if (introducer == 0x2C) {
            if (at + 10 > b.size()) break;
            if (Little16(b, at + 1) + Little16(b, at + 5) > screen.width ||
                Little16(b, at + 3) + Little16(b, at + 7) > screen.height)
                return std::nullopt;
            at = skipSubBlocks(at + 10 + colourTable(Byte(b, at + 9)) + 1);
        } else {
            return std::nullopt;
        }
    }
    return screen;
}

// Bitmaps that wrap a JPEG or PNG are refused: what they declare says nothing of what they hold.
std::optional<ImageSize> Bmp(Bytes b) {
    if (b.size() < 26) return std::nullopt;
    const uint32_t header = Little32(b, 14);
    if (header == 12) return ImageSize{Little16(b, 18), Little16(b, 20)};
    if (header != 40 && header != 52 && header != 56 && header != 108 && header != 124) return std::nullopt;
    if (b.size() < 34) return std::nullopt;
    const auto width = static_cast<int32_t>(Little32(b, 18));
    const int64_t height = std::llabs(static_cast<int32_t>(Little32(b, 22)));  // negative: top-down rows
    const uint32_t compression = Little32(b, 30);
    if (width < 0 || height > UINT32_MAX || compression == 4 || compression == 5) return std::nullopt;
    return ImageSize{static_cast<uint32_t>(width), static_cast<uint32_t>(height)};
}

}  // namespace

std::optional<ImageSize> DeclaredImageSize(std::string_view bytes) {
    if (bytes.starts_with("\x89PNG\r\n\x1A\n")) return Png(bytes);
    if (bytes.starts_with("\xFF\xD8\xFF")) return Jpeg(bytes);
    if (bytes.starts_with("GIF87a") || bytes.starts_with("GIF89a")) return Gif(bytes);
    if (bytes.starts_with("BM")) return Bmp(bytes);
    return std::nullopt;
}

bool AcceptedImage(std::string_view bytes) {
    const auto size = DeclaredImageSize(bytes);
    return size && size->width >= 1 && size->height >= 1 && size->width <= kMaxImageSide &&
           size->height <= kMaxImageSide;
}

std::string ImageFileStem(std::string_view imageID) {
    std::string stem;
    for (const char c : imageID) {
        if (c >= 'A' && c <= 'Z') {
            stem += '_';
            stem += static_cast<char>(c - 'A' + 'a');
        } else {
            stem += c;
        }
    }
    return stem;
}

std::string ImageIDFromStem(std::string_view stem) {
    std::string id;
    for (size_t i = 0; i < stem.size(); ++i) {
        if (stem[i] == '_' && i + 1 < stem.size()) {
            id += static_cast<char>(stem[++i] - 'a' + 'A');
        } else {
            id += stem[i];
        }
    }
    return id;
}
