// Every file the program reads, spoiled every way: its message or fallback, no crash or hang, the file untouched.
#include <random>

#include "online/affiliate_identity.h"
#include "online/online_format.h"
#include "online/online_services.h"
#include "state/settings_file.h"
#include "test_support.h"
#include "toolbar/banner_picture.h"

namespace {

constexpr char kStopped[] = "the start stops with the settings box", kSkipped[] = "skipped", kPlaceholder[] = "title";
constexpr char kManifest[] = R"({"items":[{"enabled":true,"imageID":"a","kind":"banner","targetURL":"https://a.b"}]})";

// A file: how it is written and read ("" when good); what shows when unopened, too large, malformed ("": any).
struct Row {
    const char* name;
    std::function<void()> write;
    std::function<std::string()> load;
    std::string unreadable, oversize, malformed;
};

std::string Cache(const std::string& referralCode) {
    OnlineSnapshot snapshot{referralCode, {}, {}, {}, 0, false, {}};
    LoadCache(snapshot);
    return !snapshot.status.empty() ? snapshot.status : snapshot.hasCredits || snapshot.banners.size() ? "" : kSkipped;
}

Row Image(const char* name, const char* corpus) {
    const std::string bytes = ReadBytes(std::string(LUMENFOLD_IMAGE_CORPUS) + corpus);
    const auto load = [=] {
        BannerPicture picture;
        picture.Prepare(DataFile(name).string(), 40, 20);
        bool drawn = false;
        Drawn(40, 20, 0, [&](HDC dc) { drawn = picture.Draw(dc, 0, 0); });
        return std::string(drawn ? "" : kPlaceholder);
    };
    return {name, [=] { WriteBytes(DataFile(name), bytes); }, load, kPlaceholder, kPlaceholder, ""};
}

enum Kind { kBytes, kFolder, kHeld };
using HostileFiles = WithGraphics;

TEST_F(HostileFiles, EndInTheirMessageOrFallbackAndStayAsTheyWere) {
    std::string junk(100 << 20, '\0');
    std::mt19937 random(33);
    std::generate(junk.begin(), junk.end(), [&] { return static_cast<char>(random()); });
    const Row rows[] = {
        {"settings.json", [] { AppState state; state.skylights = {{{1, 2, 301, 202}}}; SaveSettings(state); },
         [] { AppState state; return std::string(LoadSettings(state) ? "" : kStopped); }, kStopped, kStopped, kStopped},
        {"owner.dpapi", [] { LoadAffiliateIdentity(); }, [] { return LoadAffiliateIdentity().error; },
         "Cannot read saved referral identity", "Invalid saved referral identity",
         "Cannot decrypt referral identity; existing identity retained"},
        {"banners.json", [] { WriteBytes(DataFile("banners.json"), kManifest); }, [] { return Cache(""); }, kSkipped,
         kCacheUnavailable, kCacheUnavailable},
        {"credits.json", [] { WriteBytes(DataFile("credits.json"), CreditsCache("LF-1", 5)); },
         [] { return Cache("LF-1"); }, kSkipped, kCacheUnavailable, kCacheUnavailable},
        Image("banner-p.image", "png"), Image("banner-g.image", "gif"), Image("banner-b.image", "bmp"),
        Image("banner-j.image", "jpeg-16x8")};
    for (const Row& row : rows) {
        const std::filesystem::path path = DataFile(row.name);
        row.write();
        const std::string valid = ReadBytes(path);
        ASSERT_EQ(row.load(), "") << row.name << " as the program writes it";
        auto spoil = [&](const std::string& what, const std::string& bytes, Kind kind, const std::string& expected) {
            SCOPED_TRACE(std::string(row.name) + ", " + what);
            std::filesystem::remove_all(path);
            kind == kFolder ? void(std::filesystem::create_directory(path)) : WriteBytes(path, bytes);
            UniqueFile held = kind == kHeld ? Hold(path, GENERIC_READ, 0) : UniqueFile();
            const std::string outcome = row.load();
            held.reset();
            if (!expected.empty()) EXPECT_EQ(outcome, expected);
            else EXPECT_TRUE(outcome.empty() || outcome == row.unreadable || outcome == row.malformed) << outcome;
            EXPECT_TRUE(kind == kFolder ? std::filesystem::is_empty(path) : ReadBytes(path) == bytes) << "changed";
        };
        for (size_t k = 0; k < 16; ++k) {
            spoil("cut at " + std::to_string(k) + "/16", valid.substr(0, valid.size() * k / 16), kBytes, row.malformed);
            std::string flipped = valid;
            for (size_t n = 0; n <= k % 3; ++n) flipped[random() % flipped.size()] ^= char(1 << random() % 8);
            spoil("flips, round " + std::to_string(k), flipped, kBytes, "");
        }
        spoil("100 MB of junk", junk, kBytes, row.oversize);
        spoil("nested 100000 deep", std::string(100000, '[') + std::string(100000, ']'), kBytes, row.oversize);
        spoil("a folder", "", kFolder, row.unreadable);
        spoil("held by another program without sharing", valid, kHeld, row.unreadable);
        std::filesystem::remove_all(path);
    }
}

}  // namespace
