#pragma once
// What the online worker publishes for the windows: plain values, copied under the worker's lock.
#include <cstdint>
#include <string>
#include <vector>

struct Banner {
    std::string id;
    std::string title;
    std::string targetURL;
    std::string imagePath;  // the cached image in the data folder
    double aspectRatio = 4.0;
    friend bool operator==(const Banner&, const Banner&) = default;
};

struct OnlineSnapshot {
    std::string referralCode;
    std::string country;
    std::string status;
    std::string bannerStatus;
    int32_t credits = 0;
    bool hasCredits = false;
    std::vector<Banner> banners;
    friend bool operator==(const OnlineSnapshot&, const OnlineSnapshot&) = default;
};
