#include <gtest/gtest.h>

#include <string>

#include "online/banner_image.h"

namespace {

std::string Big(uint32_t v, int bytes) {
    std::string s;
    for (int i = bytes - 1; i >= 0; --i) s += static_cast<char>(v >> (8 * i));
    return s;
}
std::string Little(uint32_t v, int bytes) {
    const std::string big = Big(v, bytes);
    return {big.rbegin(), big.rend()};
}

std::string Png(uint32_t w, uint32_t h) {
    return std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16) + Big(w, 4) + Big(h, 4) + std::string(5, '\0');
}
std::string Gif(uint32_t w, uint32_t h, uint32_t frameW, uint32_t frameH) {
    return "GIF89a" + Little(w, 2) + Little(h, 2) + std::string(3, '\0') + "\x21\xF9\x04" + std::string(5, '\0') +
           "\x2C" + std::string(4, '\0') + Little(frameW, 2) + Little(frameH, 2) + std::string(3, '\0') + "\x3B";
}
std::string Bmp(int32_t w, int32_t h, uint32_t compression) {
    return "BM" + std::string(12, '\0') + Little(40, 4) + Little(static_cast<uint32_t>(w), 4) +
           Little(static_cast<uint32_t>(h), 4) + Little(1, 2) + Little(32, 2) + Little(compression, 4) +
           std::string(20, '\0');
}
// An application segment, then the frame header (or a scan when `frame` is false).
std::string Jpeg(uint32_t w, uint32_t h, bool frame = true) {
    return std::string("\xFF\xD8\xFF\xFF\xE0", 5) + Big(6, 2) + "JFIF" + "\xFF" + (frame ? "\xC2" : "\xDA") +
           Big(11, 2) + "\x08" + Big(h, 2) + Big(w, 2) + std::string(4, '\x01');
}

TEST(BannerImage, OnlyFourFormatsUpTo4096OnEitherSide) {
    for (const std::string& accepted :
         {Png(4096, 4096), Png(1, 1), Jpeg(4096, 30), Gif(40, 10, 40, 10), Bmp(40, -10, 0), Bmp(4096, 4096, 3)}) {
        EXPECT_TRUE(AcceptedImage(accepted)) << accepted.substr(0, 4);
    }
    const std::string refused[] = {
        Png(30000, 30000), Png(4097, 1), Png(1, 4097), Png(0, 10), Jpeg(4097, 10), Jpeg(40, 10, false),
        Gif(5000, 10, 5000, 10), Gif(40, 10, 41, 10) /* a frame beyond the screen */, Bmp(10, -4097, 0),
        Bmp(10, INT32_MIN, 0), Bmp(-10, 10, 0), Bmp(10, 10, 5) /* a PNG inside */,
        std::string("\x01\0\0\0\x6C\0\0\0", 8) + std::string(32, '\0') + " EMF", std::string("II*\0", 4),
        std::string("MM\0*", 4), ""};
    for (const std::string& bytes : refused) EXPECT_FALSE(AcceptedImage(bytes)) << bytes.substr(0, 4);
    for (const std::string& whole : {Png(10, 10), Jpeg(10, 10), Bmp(10, 10, 0)}) {
        for (size_t cut = 0; cut < 20; ++cut) EXPECT_FALSE(AcceptedImage(whole.substr(0, cut))) << cut;
    }
    EXPECT_EQ(DeclaredImageSize(Jpeg(300, 20))->width, 300u);
    EXPECT_EQ(DeclaredImageSize(Jpeg(300, 20))->height, 20u);
}

TEST(BannerImage, IdsDifferingInCaseGetFilesDifferingWithoutCase) {
    EXPECT_EQ(ImageFileStem("img-a9"), "img-a9") << "small letters keep their old names";
    EXPECT_EQ(ImageFileStem("Img-A"), "_img-_a");
    for (const char* id : {"Img-A", "img-a", "IMG-A", "z"}) EXPECT_EQ(ImageIDFromStem(ImageFileStem(id)), id);
}

}  // namespace
