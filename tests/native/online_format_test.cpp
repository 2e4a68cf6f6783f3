#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <pthread.h>

#include <string>
#include <tuple>

#include "online/banner_image.h"
#include "online/online_format.h"

namespace {

using Json = nlohmann::json;

// Stands in for the HTTPS client's address rule, which needs Windows.
const UrlCheck kHttps = [](const std::string& url) { return url.rfind("https://", 0) == 0; };

Json Item(const std::string& imageID, const std::string& url = "https://x.example/a") {
    return {{"enabled", true}, {"kind", "banner"}, {"imageID", imageID}, {"targetURL", url}};
}

Json Manifest(Json items) { return {{"items", std::move(items)}}; }

std::string Failure(const Json& manifest) {
    try {
        Parse(manifest, kHttps, "C:\\d");
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

TEST(BannerManifest, ShapeOfTheDocumentAndOneBadEnabledBannerRejectsTheWhole) {
    EXPECT_EQ(Parse(Manifest(Json::array()), kHttps, "C:\\d").size(), 0u);
    Json full = Json::array();
    for (int i = 0; i < 500; ++i) full.push_back(Item("a"));
    EXPECT_EQ(Parse(Manifest(full), kHttps, "C:\\d").size(), 500u);
    full.push_back({{"enabled", false}});
    for (const Json& bad : {Manifest(full) /* 501 entries, even a disabled one */, Json::array(), Json::object(),
                            Json{{"items", "x"}}})
        EXPECT_EQ(Failure(bad), "Invalid banner manifest") << bad.dump().substr(0, 40);
    const Json skipped = {{{"enabled", false}, {"imageID", "a_b"}, {"targetURL", 5}},
                          {{"enabled", true}, {"kind", "video"}, {"imageID", ""}},
                          {{"kind", "banner"}, {"imageID", "."}}};
    EXPECT_EQ(Failure(Manifest(skipped)), "");
    const std::string link = "https://x.example/" + std::string(2030, 'a');  // 2048 characters
    for (const Json& bad : {Item(std::string(65, 'a')), Item("a_b"), Item("a.b"), Item(""),
                            Item("ok", "http://x.example/a"), Item("ok", link + "a"),
                            Item("ok", "https://x.example/a b"), Item("ok", "https://x.example/\"'"),
                            Item("ok", "https://x.example/<a>"),
                            Item("ok", "https://x.example/\x7F"), Item("ok", "https://x.example/\u202Egnp.exe")}) {
        EXPECT_EQ(Failure(Manifest({Item("fine"), bad})), "Invalid banner image or destination") << bad.dump();
    }
    EXPECT_EQ(Failure(Manifest(Json::array({Item(std::string(64, 'Z'), link)}))), "");
}

TEST(BannerManifest, DefaultsClampsPublisherFirstAndRefreshInterval) {
    Json items = {Item("img-1", "https://lumenfold.app.evil.example/1"), Item("img-2", "https://lumenfold.app/p"),
                  Item("img-3", "https://lumenfold.appx/3"), Item("img-4", "https://Shop.Lumenfold.app:443/q")};
    items[0]["aspectRatio"] = 0;
    items[1]["aspectRatio"] = 100;
    items[2]["aspectRatio"] = "wide";
    items[3]["aspectRatio"] = 2.5;
    items[0]["title"] = 7;
    items[1]["title"] = "Sale";
    items[1]["id"] = "custom";
    const auto banners = Parse(Manifest(items), kHttps, "C:\\Data");
    const std::tuple<std::string, std::string, double> expected[] = {
        {"custom", "Sale", 20.0}, {"img-4", "Lumenfold", 2.5}, {"img-1", "Lumenfold", 0.1},
        {"img-3", "Lumenfold", 4.0}};
    ASSERT_EQ(banners.size(), 4u);
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(std::tie(banners[i].id, banners[i].title, banners[i].aspectRatio), expected[i]) << i;
    EXPECT_EQ(banners[2].imagePath, "C:\\Data\\banner-img-1.image");
    EXPECT_EQ(RefreshInterval(Json::object()), 540u);
    // 1e300 must not overflow into a short wait.
    const std::pair<Json, uint32_t> intervals[] = {{5, 60}, {100000, 86400}, {90.9, 90}, {1e300, 86400}};
    for (const auto& [seconds, interval] : intervals)
        EXPECT_EQ(RefreshInterval({{"refreshIntervalSeconds", seconds}}), interval) << seconds;
    EXPECT_THROW(RefreshInterval({{"refreshIntervalSeconds", "60"}}), std::exception);
}

TEST(Credits, AnswerMustNameThisInstallation) {
    const std::string code = "LF-0123456789ABCDEF01234567";
    EXPECT_EQ(CreditsFromAnswer({{"code", code}, {"credits", 12}}, code), 12);
    EXPECT_EQ(CreditsFromAnswer({{"code", code}, {"credits", -5}}, code), 0);
    EXPECT_EQ(CreditsFromAnswer({{"code", code}}, code), 0);
    EXPECT_EQ(CreditsFromAnswer({{"code", code}, {"credits", 1e12}}, code), 2147483647) << "saturates, never wraps";
    for (const Json& other : {Json{{"code", "LF-OTHER"}, {"credits", 3}}, Json{{"code", 5}}}) {
        try {
            CreditsFromAnswer(other, code);
            ADD_FAILURE() << other.dump();
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "Referral identity mismatch");
        }
    }
    for (const Json& bad : {Json{{"credits", 3}}, Json{{"code", code}, {"credits", "3"}}})
        EXPECT_ANY_THROW(CreditsFromAnswer(bad, code)) << bad.dump();
    EXPECT_EQ(CreditsCache(code, 7), "{\"code\":\"LF-0123456789ABCDEF01234567\",\"credits\":7}");
}

TEST(Cache, LoadsWhatItCanAndSaysWhenItCannot) {
    const auto cached = [](const std::optional<std::string>& manifest, const std::string& credits,
                           const char* code = "LF-1", const char* status = "") {
        OnlineSnapshot s;
        s.referralCode = code;
        s.status = status;
        ApplyCache(s, manifest, credits, kHttps, "C:\\d");
        return s;
    };
    const OnlineSnapshot s = cached(R"({"country":"CN","items":[{"enabled":true,"kind":"banner","imageID":"a",)"
                                    R"("targetURL":"https://x.example/"}]})", R"({"code":"LF-1","credits":-4})");
    EXPECT_TRUE(s.banners.size() == 1 && s.country == "CN" && s.hasCredits && s.credits == 0 && s.status.empty());
    const OnlineSnapshot other = cached(std::nullopt, R"({"code":"LF-2","credits":9})");
    EXPECT_TRUE(!other.hasCredits && other.status.empty()) << "another installation's credits are ignored silently";
    EXPECT_TRUE(cached(std::nullopt, R"({"credits":9})", "").hasCredits) << "an empty code matches an empty one";
    const OnlineSnapshot broken = cached("{\"items\":[]", R"({"code":"LF-1","credits":9})", "LF-1", "identity text");
    EXPECT_EQ(broken.status, kCacheUnavailable);
    EXPECT_FALSE(broken.hasCredits) << "credits are not read after a broken manifest";
}

// Windows gives the worker a 1 MiB stack.
void OnWorkerStack(void (*body)()) {
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 1 << 20);
    pthread_t thread;
    const auto start = [](void* run) -> void* { return (*static_cast<void (**)()>(run))(), nullptr; };
    ASSERT_EQ(pthread_create(&thread, &attributes, start, &body), 0);
    pthread_join(thread, nullptr);
}

TEST(Nesting, DeeperThan64IsRefusedBeforeTheDocumentExists) {
    OnWorkerStack([] {
        const std::string deep =
            R"({"items":[],"code":"LF-1","x":)" + std::string(10000, '[') + std::string(10000, ']') + "}";
        try {
            ParseAnswer(deep, kInvalidManifest).dump();  // the worker writes an accepted manifest back
            ADD_FAILURE();
        } catch (const std::exception& e) {
            EXPECT_STREQ(e.what(), kInvalidManifest);
        }
        OnlineSnapshot s;
        s.referralCode = "LF-1";
        ApplyCache(s, std::nullopt, deep, kHttps, "C:\\d");
        EXPECT_EQ(s.status, kCacheUnavailable);
    });
    const std::string nested = std::string(64, '[') + std::string(64, ']');
    EXPECT_NO_THROW(ParseAnswer(nested));
    EXPECT_THROW(ParseAnswer("[" + nested + "]"), std::runtime_error);
    EXPECT_NO_THROW(ParseAnswer("[\"\\\"" + std::string(65, '{') + "\"]")) << "brackets in a string";
}

TEST(Identity, CredentialAndReferralCodeSpelling) {
    uint8_t digest[32];
    for (int i = 0; i < 32; ++i) digest[i] = static_cast<uint8_t>(0xF0 + i * 3);
    EXPECT_EQ(ReferralCodeFromDigest(digest), "LF-F0F3F6F9FCFF0205080B0E11");
    EXPECT_EQ(Hex(digest, 2), "f0f3");
    EXPECT_TRUE(ValidCredential("0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef"));
    const std::string a63(63, 'a');
    for (const std::string& bad : {a63, a63 + "aa", a63 + "A", a63 + "g"}) EXPECT_FALSE(ValidCredential(bad)) << bad;
}

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

TEST(BannerImage, OnlyFourFormatsUpTo4096OnEitherSideAndIdsDifferingInCaseGetFilesDifferingWithoutCase) {
    for (const std::string& accepted :
         {Png(4096, 4096), Png(1, 1), Jpeg(4096, 30), Gif(40, 10, 40, 10), Bmp(40, -10, 0), Bmp(4096, 4096, 3)})
        EXPECT_TRUE(AcceptedImage(accepted)) << accepted.substr(0, 4);
    const std::string refused[] = {
        Png(30000, 30000), Png(4097, 1), Png(1, 4097), Png(0, 10), Jpeg(4097, 10), Jpeg(40, 10, false),
        Gif(5000, 10, 5000, 10), Gif(40, 10, 41, 10) /* a frame beyond the screen */, Bmp(10, -4097, 0),
        Bmp(10, INT32_MIN, 0), Bmp(-10, 10, 0), Bmp(10, 10, 5) /* a PNG inside */,
        std::string("\x01\0\0\0\x6C\0\0\0", 8) + std::string(32, '\0') + " EMF", std::string("II*\0", 4),
        std::string("MM\0*", 4), ""};
    for (const std::string& bytes : refused) EXPECT_FALSE(AcceptedImage(bytes)) << bytes.substr(0, 4);
    for (const std::string& whole : {Png(10, 10), Jpeg(10, 10), Bmp(10, 10, 0)})
        for (size_t cut = 0; cut < 20; ++cut) EXPECT_FALSE(AcceptedImage(whole.substr(0, cut))) << cut;
    const auto jpeg = DeclaredImageSize(Jpeg(300, 20));
    EXPECT_TRUE(jpeg && jpeg->width == 300 && jpeg->height == 20);
    EXPECT_EQ(ImageFileStem("img-a9"), "img-a9") << "small letters keep their old names";
    EXPECT_EQ(ImageFileStem("Img-A"), "_img-_a");
    for (const char* id : {"Img-A", "img-a", "IMG-A", "z"}) EXPECT_EQ(ImageIDFromStem(ImageFileStem(id)), id);
}

}  // namespace
