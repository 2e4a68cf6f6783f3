#pragma once
// What a banner image may be before any decoder sees it, and the name of its file. Image bytes come
// from outside: only the four formats every decoder knows, at a size that cannot exhaust memory.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

inline constexpr uint32_t kMaxImageSide = 4096;

struct ImageSize {
    uint32_t width = 0;
    uint32_t height = 0;
};

// The size a PNG, JPEG, GIF or BMP declares (for a GIF, its screen, which every frame must fit);
// nothing for any other format, or when the header is cut short or contradicts itself.
std::optional<ImageSize> DeclaredImageSize(std::string_view bytes);

// A PNG, JPEG, GIF or BMP of at least 1 x 1 and at most kMaxImageSide on either side.
bool AcceptedImage(std::string_view bytes);

// The file name part for an image id ([A-Za-z0-9-]): each capital becomes "_" and its small letter,
// so that ids differing only in case never share a file where file names ignore case.
std::string ImageFileStem(std::string_view imageID);
// The image id back from ImageFileStem's result.
std::string ImageIDFromStem(std::string_view stem);
