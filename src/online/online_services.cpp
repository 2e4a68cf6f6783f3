#include "online/online_services.h"

#include <objbase.h>  // PROPID, which the GDI+ headers need and WIN32_LEAN_AND_MEAN leaves out
#include <gdiplus.h>

#include <memory>
#include <optional>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "common/data_folder.h"
#include "common/outside_input.h"
#include "common/text.h"
#include "common/whole_file.h"
#include "online/https_client.h"
#include "online/online_format.h"
#include "online/origins.h"

namespace {

using Json = nlohmann::json;

constexpr uint64_t kManifestLimit = 750000;
constexpr uint64_t kImageLimit = 5242880;
constexpr uint64_t kCreditsLimit = 750000;
// Far beyond any cache file we write; a larger one is not read at all.
constexpr size_t kCacheFileLimit = 16 * 1024 * 1024;

bool IsHttps(const std::string& url) { return IsHttpsURL(Wide(url)); }

// The whole file, nothing when it does not open, and an empty text (which no parser accepts) when it
// is too large or cannot be read to its end.
std::optional<std::string> ReadCacheFile(const std::wstring& path) {
    const UniqueFile file = OpenForReading(path);
    if (!file) return std::nullopt;
    return ReadWholeFile(file.get(), kCacheFileLimit).value_or(std::string());
}

// The failure text of an answer that is not a usable 200, or nothing.
std::optional<std::string> Failure(const HttpResponse& response) {
    if (!response.error.empty()) return response.error;
    if (response.status != 200) return "HTTP " + std::to_string(response.status);
    return std::nullopt;
}

bool ImageLoads(const std::string& path) {
    Gdiplus::Image image(Wide(path).c_str());
    return image.GetLastStatus() == Gdiplus::Ok;
}

void Wipe(std::string& secret) {
    if (!secret.empty()) SecureZeroMemory(secret.data(), secret.size());
}
void Wipe(std::wstring& secret) {
    if (!secret.empty()) SecureZeroMemory(secret.data(), secret.size() * sizeof(wchar_t));
}

}  // namespace

OnlineServices::OnlineServices() : stopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

OnlineServices::~OnlineServices() {
    if (stopEvent) SetEvent(stopEvent.get());
    if (worker.joinable()) worker.join();
    Wipe(identity.credential);
}

void OnlineServices::Start(bool enabled) {
    if (!enabled) {
        const std::lock_guard lock(mutex);
        snapshot.status = "离线验收 / Offline acceptance: 网络服务未启动 / Network services not started";
        return;
    }
    identity = LoadAffiliateIdentity();
    snapshot.referralCode = identity.referralCode;
    snapshot.status = identity.error;
    LoadCache();
    if (!worker.joinable() && stopEvent) worker = std::thread([this] { Run(); });
}

OnlineSnapshot OnlineServices::Snapshot() const {
    const std::lock_guard lock(mutex);
    return snapshot;
}

void OnlineServices::LoadCache() {
    const std::wstring folder = DataFolder();
    if (folder.empty()) return;
    ApplyCache(snapshot, ReadCacheFile(folder + L"\\banners.json"), ReadCacheFile(folder + L"\\credits.json"), IsHttps,
               Utf8(folder));
}

bool OnlineServices::Stopping() const { return WaitForSingleObject(stopEvent.get(), 0) != WAIT_TIMEOUT; }

void OnlineServices::Run() {
    try {
        uint64_t next = 0;
        while (!Stopping()) {
            if (GetTickCount64() >= next) {
                RefreshBanners();
                next = GetTickCount64() + uint64_t{refreshIntervalSeconds} * 1000;
            }
            RefreshCredits();
            if (WaitForSingleObject(stopEvent.get(), 60000) != WAIT_TIMEOUT) return;
        }
    } catch (...) {
        // Out of memory on the worker: the snapshot keeps what it had, and the program goes on.
    }
}

void OnlineServices::RefreshBanners() {
    const std::wstring folder = DataFolder();
    const std::wstring origin = Wide(kBannerServiceOrigin);
    std::string country;
    std::vector<Banner> banners;
    bool missing = false;
    try {
        const HttpResponse response = HttpRequest(origin + L"/public/manifest", "", L"", kManifestLimit);
        if (auto failure = Failure(response)) throw std::runtime_error(*failure);
        const Json manifest = ParseAnswer(response.body, kInvalidManifest);
        refreshIntervalSeconds = RefreshInterval(manifest);
        country = manifest.value("country", std::string());
        banners = Parse(manifest, IsHttps, Utf8(folder));
        const std::string prefix = Utf8(folder) + "\\banner-";
        for (const Banner& banner : banners) {
            if (Stopping()) return;
            if (ImageLoads(banner.imagePath)) continue;
            // The file name carries the image id; a banner's own id may differ.
            const std::string imageID = banner.imagePath.substr(prefix.size(), banner.imagePath.size() - prefix.size() - 6);
            const HttpResponse image = HttpRequest(origin + L"/public/images/" + Wide(imageID), "", L"", kImageLimit);
            if (folder.empty() || Failure(image) || !AtomicWrite(Wide(banner.imagePath), image.body)) missing = true;
        }
        if (!folder.empty()) AtomicWrite(folder + L"\\banners.json", manifest.dump());
    } catch (const std::exception& error) {
        refreshIntervalSeconds = 60;
        const std::lock_guard lock(mutex);
        snapshot.bannerStatus = LenientUtf8(std::string("广告加载失败 / Banner unavailable: ") + error.what());
        return;
    }
    if (missing) refreshIntervalSeconds = 60;
    const std::lock_guard lock(mutex);
    snapshot.country = std::move(country);
    snapshot.banners = std::move(banners);
    snapshot.bannerStatus = missing ? "广告图片暂未加载，稍后重试 / Banner image unavailable; retrying" : "";
}

void OnlineServices::RefreshCredits() {
    if (identity.credential.empty() || identity.referralCode.empty()) return;
    try {
        std::wstring token = Wide(identity.credential);
        const HttpResponse response =
            HttpRequest(Wide(kPublisherSiteOrigin) + L"/api/v1/affiliate", "{}", token, kCreditsLimit);
        Wipe(token);
        if (auto failure = Failure(response)) throw std::runtime_error(*failure);
        const int32_t credits = CreditsFromAnswer(ParseAnswer(response.body), identity.referralCode);
        const std::wstring folder = DataFolder();
        if (!folder.empty()) AtomicWrite(folder + L"\\credits.json", CreditsCache(identity.referralCode, credits));
        const std::lock_guard lock(mutex);
        snapshot.credits = credits;
        snapshot.hasCredits = true;
        snapshot.status.clear();
    } catch (const std::exception& error) {
        const std::lock_guard lock(mutex);
        snapshot.status = LenientUtf8(std::string("积分暂未更新 / Credits unavailable: ") + error.what());
    }
}
