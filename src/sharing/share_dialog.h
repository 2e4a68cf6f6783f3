#pragma once
// The share dialog's rules apart from its window: which target rows a country is offered, where each
// control and the QR code lie for a page, and what a share sends for a target and an item.
#include <array>
#include <cstdint>
#include <string>

#include "common/geometry.h"
#include "online/online_snapshot.h"

enum class SharePage : int32_t { TargetList = 0, QrCodePage = 1, FacebookPage = 2 };

// The targets in row order, by the key sharing::Compose knows them by.
inline constexpr std::array<const char*, 7> kShareTargets{"facebook", "twitter", "gmail", "yahoo",
                                                          "email",    "wechat",  "weibo"};
inline constexpr int32_t kFacebookTarget = 0, kTwitterTarget = 1, kGmailTarget = 2, kWeChatTarget = 5,
                         kWeiboTarget = 6;

// Facebook and Twitter are not offered in China, where Gmail comes first.
bool TargetAvailable(const std::string& country, int32_t target);
int32_t PreselectedTarget(const std::string& country);

struct ShareLayoutInput {
    int32_t clientWidth = 0;
    int32_t clientHeight = 0;
    int32_t dpi = 96;
    int32_t scroll = 0;
    SharePage page = SharePage::TargetList;
    std::string country;
    int32_t selected = 0;
};

struct SharePlace {
    Rect rect;
    bool visible = false;
};

// Client pixels with the scroll offset subtracted.
struct ShareLayout {
    int32_t contentHeight = 0;
    int32_t scroll = 0;  // clamped to what the content allows
    SharePlace targetList, hint, bodyEdit, copyButton, facebookButton, backButton;
    std::array<SharePlace, kShareTargets.size()> targetButtons, shareButtons;
    Rect qr;  // where the QR page draws its code
};

ShareLayout LayoutShare(const ShareLayoutInput& input);

// What sharing an item with a target copies and opens. `item` is the combo box's selection: 0 the
// program itself, i the banner i - 1; target is a row index, 0 to 6.
struct ShareDraft {
    std::string title, url, text, link;
};

ShareDraft DraftShare(int32_t target, int32_t item, const OnlineSnapshot& snapshot, const std::string& language);
