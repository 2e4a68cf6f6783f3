// Any answer or cache file ends in a snapshot the toolbar can show; the first byte picks which.
#include <cstddef>
#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "online/online_format.h"
#include "require.h"

const UrlCheck kHttps = [](const std::string& url) { return url.rfind("https://", 0) == 0 && url.size() > 8; };

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    OnlineSnapshot snapshot;
    snapshot.referralCode = "LF-000000000000000000000000";
    if (data[0] & 1) {
        ApplyCache(snapshot, std::nullopt, text, kHttps, "C:\\d");
        try {
            Require(CreditsFromAnswer(ParseAnswer(text), snapshot.referralCode) >= 0, "negative credits");
        } catch (const std::exception&) {
        }
    } else {
        ApplyCache(snapshot, text, std::nullopt, kHttps, "C:\\d");
        Require(snapshot.banners.size() <= 500, "more banners than a manifest may hold");
        for (const Banner& banner : snapshot.banners) {
            Require(banner.aspectRatio >= 0.1 && banner.aspectRatio <= 20.0, "aspect ratio out of range");
            Require(kHttps(banner.targetURL), "a banner link that is not https");
        }
        try {
            const nlohmann::json manifest = ParseAnswer(text, kInvalidManifest);
            const uint32_t interval = RefreshInterval(manifest);
            Require(interval >= 60 && interval <= 86400, "refresh interval out of range");
            manifest.dump();  // as the worker writes it back
        } catch (const std::exception&) {
        }
    }
    Require(snapshot.credits >= 0, "negative cached credits");
    return 0;
}
