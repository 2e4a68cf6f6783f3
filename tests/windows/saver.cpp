// lfsaver FIRST: reads each file the program keeps as the program does, prints the round it holds
// (-1: none yet), then saves round FIRST, FIRST + 1, ... of every file until it is killed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/data_folder.h"
#include "common/whole_file.h"
#include "online/affiliate_identity.h"
#include "online/online_format.h"
#include "online/online_services.h"
#include "state/settings_file.h"
#include "state/settings_format.h"

namespace {

constexpr char kCode[] = "LF-0123456789ABCDEF01234567";

// Sizes vary by round, so that kills land in writes of every length.
AppState Settings(long long round) {
    AppState state;
    state.backgroundBrightness = static_cast<int32_t>(round % 101);
    for (int32_t i = 0; i <= round % 40; ++i)
        state.skylights.push_back({{static_cast<int32_t>(round), i, static_cast<int32_t>(round) + 100, i + 50}});
    return state;
}

std::string Manifest(long long round) {
    std::string items;
    for (int i = 0; i < round % 30; ++i)
        items += (i ? "," : "") + std::string(R"({"enabled":true,"kind":"banner","imageID":"b)") + std::to_string(i) +
                 R"(","targetURL":"https://lumenfold.app/"})";
    return R"({"country":")" + std::to_string(round) + R"(","items":[)" + items + "]}";
}

[[noreturn]] void Fail(const char* what) {
    std::printf("FAILED: %s\n", what);
    std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
    const std::wstring folder = DataFolder();
    if (argc != 2 || folder.empty()) Fail("usage: lfsaver FIRST");
    AppState state;
    if (!LoadSettings(state)) Fail("settings unreadable");
    const long long settings = state.skylights.empty() ? -1 : state.skylights[0].bounds.left;
    if (settings >= 0 && SerializeSettings(state) != SerializeSettings(Settings(settings))) Fail("settings torn");
    OnlineSnapshot cache;
    cache.referralCode = kCode;
    LoadCache(cache);
    const long long banners = cache.country.empty() ? -1 : std::atoll(cache.country.c_str());
    if (!cache.status.empty() || (banners >= 0 && (long long)cache.banners.size() != banners % 30))
        Fail("cache torn");
    if (const std::string error = LoadAffiliateIdentity().error; !error.empty()) Fail(error.c_str());
    std::printf("found %lld %lld %lld\n", settings, banners, cache.hasCredits ? (long long)cache.credits : -1);
    std::fflush(stdout);
    for (long long round = std::atoll(argv[1]);; ++round) {
        if (!SaveSettings(Settings(round))) Fail("settings not saved");
        if (!AtomicWrite(folder + L"\\banners.json", Manifest(round)) ||
            !AtomicWrite(folder + L"\\credits.json", CreditsCache(kCode, static_cast<int32_t>(round))))
            Fail("cache not saved");
        // The identity is written only when there is none.
        DeleteFileW((folder + L"\\owner.dpapi").c_str());
        if (const std::string error = LoadAffiliateIdentity().error; !error.empty()) Fail(error.c_str());
    }
}
