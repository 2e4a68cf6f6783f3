#include "online/online_services.h"

#include <mutex>
#include <optional>
#include <set>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "common/data_folder.h"
#include "common/handles.h"
#include "common/outside_input.h"
#include "common/text.h"
#include "common/whole_file.h"
#include "online/affiliate_identity.h"
#include "online/banner_image.h"
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

// Image files of banners that are gone, so that the folder holds no more than one manifest's images.
void RemoveImagesOtherThan(const std::wstring& folder, const std::vector<Banner>& banners) {
    std::set<std::wstring> kept;
    for (const Banner& banner : banners) kept.insert(Wide(banner.imagePath).substr(folder.size() + 1));
    WIN32_FIND_DATAW entry{};
    UniqueFind find(FindFirstFileW((folder + L"\\banner-*.image").c_str(), &entry));
    if (!find) return;
    do {
        const std::wstring name = entry.cFileName;
        // The pattern also matches short names and longer extensions.
        if (name.starts_with(L"banner-") && name.ends_with(L".image") && !kept.contains(name))
            DeleteFileW((folder + L"\\" + name).c_str());
    } while (FindNextFileW(find.get(), &entry));
}

void Wipe(std::string& secret) {
    if (!secret.empty()) SecureZeroMemory(secret.data(), secret.size());
}
void Wipe(std::wstring& secret) {
    if (!secret.empty()) SecureZeroMemory(secret.data(), secret.size() * sizeof(wchar_t));
}

}  // namespace

std::optional<std::string> ReadBannerImage(const std::string& imagePath) {
    const UniqueFile file = OpenForReading(Wide(imagePath));
    auto bytes = file ? ReadWholeFile(file.get(), kImageLimit) : std::nullopt;
    if (bytes && !AcceptedImage(*bytes)) bytes.reset();
    return bytes;
}

void LoadCache(OnlineSnapshot& snapshot) {
    const std::wstring folder = DataFolder();
    if (folder.empty()) return;
    ApplyCache(snapshot, ReadCacheFile(folder + L"\\banners.json"), ReadCacheFile(folder + L"\\credits.json"), IsHttps,
               Utf8(folder));
}

class OnlineServices::Worker {
public:
    Worker()
        : stopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)), ended(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;
    ~Worker() { Wipe(identity.credential); }

    void Run();
    void RefreshBanners();
    void RefreshCredits();
    bool Stopping() const;

    AffiliateIdentity identity;  // written before the worker starts, only read afterwards
    OnlineSnapshot snapshot;
    mutable std::mutex mutex;
    UniqueHandle stopEvent;  // manual reset; wakes the worker's wait at once when set
    UniqueHandle ended;      // set by the worker thread when it is done
    uint32_t refreshIntervalSeconds = 540;  // the worker's alone
};

OnlineServices::~OnlineServices() {
    if (!thread.joinable()) return;
    SetEvent(state->stopEvent.get());
    if (WaitForSingleObject(state->ended.get(), 1000) == WAIT_OBJECT_0) {
        thread.join();
    } else {
        thread.detach();
    }
}

void OnlineServices::Start(bool enabled) {
    state = std::make_shared<Worker>();
    if (!enabled) {
        state->snapshot.status = "离线验收 / Offline acceptance: 网络服务未启动 / Network services not started";
        return;
    }
    Worker& w = *state;
    w.identity = LoadAffiliateIdentity();
    w.snapshot.referralCode = w.identity.referralCode;
    w.snapshot.status = w.identity.error;
    LoadCache(w.snapshot);
    if (!w.stopEvent || !w.ended) return;
    thread = std::thread([worker = state] {
        worker->Run();
        SetEvent(worker->ended.get());
    });
}

OnlineSnapshot OnlineServices::Snapshot() const {
    if (!state) return {};
    const std::lock_guard lock(state->mutex);
    return state->snapshot;
}

bool OnlineServices::Worker::Stopping() const { return WaitForSingleObject(stopEvent.get(), 0) != WAIT_TIMEOUT; }

void OnlineServices::Worker::Run() {
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

void OnlineServices::Worker::RefreshBanners() {
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
            // Judged by its header alone: no decoder sees image bytes on this thread.
            if (ReadBannerImage(banner.imagePath)) continue;
            // The file name carries the image id; a banner's own id may differ.
            const std::string imageID =
                ImageIDFromStem(banner.imagePath.substr(prefix.size(), banner.imagePath.size() - prefix.size() - 6));
            const HttpResponse image = HttpRequest(origin + L"/public/images/" + Wide(imageID), "", L"", kImageLimit);
            if (folder.empty() || Failure(image) || !AtomicWrite(Wide(banner.imagePath), image.body)) missing = true;
        }
        if (!folder.empty() && AtomicWrite(folder + L"\\banners.json", manifest.dump()))
            RemoveImagesOtherThan(folder, banners);
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

void OnlineServices::Worker::RefreshCredits() {
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
