#pragma once
// What the online services read from outside and write to their cache, apart from the network and
// the files: the banner manifest, the credits answer, both cache files and the referral code's
// spelling. The JSON library's own exceptions leave these functions with its texts on purpose: the
// status lines show them.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "online/online_snapshot.h"

// The address rule of the HTTPS client, handed in so that this file needs no Windows header.
using UrlCheck = std::function<bool(const std::string& utf8Url)>;

inline constexpr char kInvalidManifest[] = "Invalid banner manifest";
inline constexpr char kInvalidBanner[] = "Invalid banner image or destination";
inline constexpr char kIdentityMismatch[] = "Referral identity mismatch";
inline constexpr char kCacheUnavailable[] = "缓存无法读取，将重试在线更新。 / Cache unavailable; retrying online.";
inline constexpr char kNestedTooDeep[] = "JSON nested too deeply";

// An answer or a cache file as a document (strict JSON). Throws the library's parse error, or
// std::runtime_error with `tooDeep` for nesting deeper than kMaxJsonDepth, before anything is built.
nlohmann::json ParseAnswer(std::string_view text, const char* tooDeep = kNestedTooDeep);

// The banners of a manifest, publisher banners (those whose link's host is the publisher's domain
// or under it) first, otherwise in manifest order. A link must pass `isHttpsURL` and be plain:
// "https://", then at most 2048 printable ASCII characters without quotes or angle brackets. Throws
// std::runtime_error with kInvalidManifest or kInvalidBanner, or the library's type errors.
// `dataFolder` is where the images are cached ("banner-" + ImageFileStem(imageID) + ".image" under it).
std::vector<Banner> Parse(const nlohmann::json& manifest, const UrlCheck& isHttpsURL, const std::string& dataFolder);

// The manifest's refresh interval in seconds, 60 to 86400 (540 when absent); throws when it is not
// a number.
uint32_t RefreshInterval(const nlohmann::json& manifest);

// The credits of an answer of the credits service for `referralCode`, never negative. Throws
// std::runtime_error with kIdentityMismatch, or the library's errors.
int32_t CreditsFromAnswer(const nlohmann::json& answer, const std::string& referralCode);

// The whole of "credits.json".
std::string CreditsCache(const std::string& referralCode, int32_t credits);

// Takes the two cache files' bytes (nothing for a file that did not open) into the snapshot. A
// file that cannot be read ends the loading there with kCacheUnavailable as the status.
void ApplyCache(OnlineSnapshot& snapshot, const std::optional<std::string>& banners,
                const std::optional<std::string>& credits, const UrlCheck& isHttpsURL, const std::string& dataFolder);

// Lowercase hex, two characters per byte, high nibble first.
std::string Hex(const uint8_t* data, std::size_t count);
// 64 lowercase hex digits.
bool ValidCredential(std::string_view credential);
// "LF-" and the first 12 bytes of the digest in uppercase hex.
std::string ReferralCodeFromDigest(const uint8_t (&digest)[32]);
