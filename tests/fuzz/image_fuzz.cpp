// Banner image headers: whatever the bytes, the check ends, and what it accepts is within bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "online/banner_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto declared = DeclaredImageSize(bytes);
    if (AcceptedImage(bytes) && !(declared && declared->width <= kMaxImageSide && declared->height <= kMaxImageSide))
        std::abort();
    return 0;
}
