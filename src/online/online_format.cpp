#include "online/online_format.h"

#include <algorithm>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "common/json_number.h"
#include "common/outside_input.h"
#include "online/banner_image.h"
#include "online/origins.h"

namespace {

using Json = nlohmann::json;

constexpr std::size_t kMaxBannerItems = 500;

bool ValidImageID(const std::string& id) {
    if (id.empty() || id.size() > 64) return false;
    return std::all_of(id.begin(), id.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
    });
}

// A member read as the library reads numbers; anything else fails with the library's own text.
int64_t NumberOrThrow(const Json& value) {
    if (const auto number = WholeNumber(value)) return *number;
    return value.get<int64_t>();  // throws the type error for non-numbers
}

int32_t NotNegative(int64_t value) { return static_cast<int32_t>(std::clamp<int64_t>(value, 0, INT32_MAX)); }

constexpr std::size_t kMaxLinkLength = 2048;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Scheme and host names ignore ASCII case.
bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

// The link is opened by the shell, and shown: nothing in it may be read one way here and another
// way by the browser or the eye (spaces, quotes, controls, bidi marks, look-alike letters).
bool PlainLink(std::string_view url) {
    return url.size() <= kMaxLinkLength && SameText(url.substr(0, 8), "https://") &&
           std::all_of(url.begin(), url.end(), [](char c) {
               return c >= 0x21 && c <= 0x7E && c != '"' && c != '\'' && c != '<' && c != '>';
           });
}

// The host as a browser reads it from a plain https link: the authority ends at the path, query
// or fragment (a backslash counts as a slash), user information and port are not part of it.
std::string_view Host(std::string_view url) {
    std::string_view authority = url.substr(8);
    authority = authority.substr(0, authority.find_first_of("/?#\\"));
    if (const auto at = authority.rfind('@'); at != std::string_view::npos) authority.remove_prefix(at + 1);
    return authority.substr(0, authority.find(':'));
}

bool FromPublisher(const Banner& banner) {
    const std::string_view host = Host(banner.targetURL);
    const std::string_view domain = kPublisherSiteDomain;
    return SameText(host, domain) ||
           (host.size() > domain.size() && host[host.size() - domain.size() - 1] == '.' &&
            SameText(host.substr(host.size() - domain.size()), domain));
}

}  // namespace

Json ParseAnswer(std::string_view text, const char* tooDeep) {
    if (!NestedWithin(text)) throw std::runtime_error(tooDeep);
    return Json::parse(text);
}

std::vector<Banner> Parse(const Json& manifest, const UrlCheck& isHttpsURL, const std::string& dataFolder) {
    const auto items = manifest.is_object() ? manifest.find("items") : manifest.end();
    if (!manifest.is_object() || items == manifest.end() || !items->is_array() || items->size() > kMaxBannerItems)
        throw std::runtime_error(kInvalidManifest);
    std::vector<Banner> banners;
    for (const Json& item : *items) {
        if (!item.value("enabled", false) || item.value("kind", std::string()) != "banner") continue;
        const std::string imageID = item.value("imageID", std::string());
        const std::string targetURL = item.value("targetURL", std::string());
        if (!ValidImageID(imageID) || !PlainLink(targetURL) || !isHttpsURL(targetURL))
            throw std::runtime_error(kInvalidBanner);
        Banner banner;
        banner.id = item.value("id", imageID);
        const auto title = item.find("title");
        banner.title = title != item.end() && title->is_string() ? title->get<std::string>() : "Lumenfold";
        banner.targetURL = targetURL;
        banner.imagePath = dataFolder + "\\banner-" + ImageFileStem(imageID) + ".image";
        const auto ratio = item.find("aspectRatio");
        const double aspect = ratio != item.end() && ratio->is_number() ? ratio->get<double>() : 4.0;
        banner.aspectRatio = std::clamp(aspect, 0.1, 20.0);
        banners.push_back(std::move(banner));
    }
    std::stable_sort(banners.begin(), banners.end(),
                     [](const Banner& a, const Banner& b) { return FromPublisher(a) && !FromPublisher(b); });
    return banners;
}

uint32_t RefreshInterval(const Json& manifest) {
    const auto member = manifest.find("refreshIntervalSeconds");
    if (member == manifest.end()) return 540;
    return static_cast<uint32_t>(std::clamp<int64_t>(NumberOrThrow(*member), 60, 86400));
}

int32_t CreditsFromAnswer(const Json& answer, const std::string& referralCode) {
    if (answer.at("code") != Json(referralCode)) throw std::runtime_error(kIdentityMismatch);
    const auto credits = answer.find("credits");
    return credits == answer.end() ? 0 : NotNegative(NumberOrThrow(*credits));
}

std::string CreditsCache(const std::string& referralCode, int32_t credits) {
    // The library writes object members in key order, which is the order the file has.
    return Json{{"code", referralCode}, {"credits", credits}}.dump();
}

void ApplyCache(OnlineSnapshot& snapshot, const std::optional<std::string>& banners,
                const std::optional<std::string>& credits, const UrlCheck& isHttpsURL, const std::string& dataFolder) {
    try {
        if (banners) {
            const Json manifest = ParseAnswer(*banners);
            snapshot.banners = Parse(manifest, isHttpsURL, dataFolder);
            snapshot.country = manifest.value("country", std::string());
        }
        if (credits) {
            const Json cache = ParseAnswer(*credits);
            // An empty code matches only an empty referral code.
            if (cache.value("code", std::string()) == snapshot.referralCode) {
                const auto number = cache.find("credits");
                snapshot.credits = number == cache.end() ? 0 : NotNegative(NumberOrThrow(*number));
                snapshot.hasCredits = true;
            }
        }
    } catch (const std::exception&) {
        snapshot.status = kCacheUnavailable;
    }
}

std::string Hex(const uint8_t* data, std::size_t count) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        text += kDigits[data[i] >> 4];
        text += kDigits[data[i] & 0x0F];
    }
    return text;
}

bool ValidCredential(std::string_view credential) {
    return credential.size() == 64 && std::all_of(credential.begin(), credential.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

std::string ReferralCodeFromDigest(const uint8_t (&digest)[32]) {
    std::string code = Hex(digest, 12);
    std::transform(code.begin(), code.end(), code.begin(), [](char c) { return c >= 'a' ? char(c - 'a' + 'A') : c; });
    return "LF-" + code;
}
