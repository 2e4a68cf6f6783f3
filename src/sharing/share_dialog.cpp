#include "sharing/share_dialog.h"

#include <algorithm>

#include "drawing/dpi_scale.h"
#include "online/origins.h"
#include "sharing/share_text.h"

bool TargetAvailable(const std::string& country, int32_t target) {
    return country != "CN" || (target != kFacebookTarget && target != kTwitterTarget);
}

int32_t PreselectedTarget(const std::string& country) { return country == "CN" ? kGmailTarget : kFacebookTarget; }

ShareLayout LayoutShare(const ShareLayoutInput& in) {
    const auto px = [&in](int32_t n) { return MulDivRounded(n, in.dpi, 96); };
    const bool list = in.page == SharePage::TargetList;
    const bool facebook = in.page == SharePage::FacebookPage;
    ShareLayout out;
    out.contentHeight = px(list ? 750 : facebook ? 660 : 600);
    out.scroll = std::clamp(in.scroll, 0, std::max(out.contentHeight - in.clientHeight, 0));
    const int32_t m = px(18), iw = in.clientWidth - 2 * m;
    // Every place is given at its unscrolled top.
    const auto place = [&out](bool visible, int32_t x, int32_t y, int32_t width, int32_t height) {
        return SharePlace{{x, y - out.scroll, x + width, y - out.scroll + height}, visible};
    };

    out.targetList = place(list, m, px(16), iw, px(260));
    for (int32_t i = 0; i < static_cast<int32_t>(kShareTargets.size()); ++i) {
        const int32_t y = px(100 + 74 * i);
        const bool offered = list && TargetAvailable(in.country, i);
        out.targetButtons[i] = place(offered, m, y, iw - px(142), px(68));
        out.shareButtons[i] = place(offered && i == in.selected, in.clientWidth - m - px(136), y, px(136), px(68));
    }
    out.hint = list ? place(true, m, px(630), iw, px(115)) : place(true, m, px(16), iw, px(130));
    out.bodyEdit = place(facebook, m, px(152), iw, px(350));
    out.copyButton = place(facebook, m, px(516), iw / 2 - px(6), px(64));
    out.facebookButton = place(facebook, m + iw / 2 + px(6), px(516), iw / 2 - px(6), px(64));
    out.backButton = place(!list, m, facebook ? px(590) : px(495), iw, px(64));

    const int32_t side = std::min(in.clientWidth - 40, px(300));
    const int32_t top = px(166) - out.scroll;
    out.qr = {(in.clientWidth - side) / 2, top, (in.clientWidth + side) / 2, top + side};
    return out;
}

ShareDraft DraftShare(int32_t target, int32_t item, const OnlineSnapshot& snapshot, const std::string& language) {
    ShareDraft draft{"Lumenfold", kPublisherSiteOrigin, {}, {}};
    if (item >= 1 && static_cast<size_t>(item) <= snapshot.banners.size()) {
        draft.title = snapshot.banners[item - 1].title;
        draft.url = snapshot.banners[item - 1].targetURL;
    }
    const std::string& code = snapshot.referralCode;
    if (target == kTwitterTarget) {
        draft.text = sharing::Downloads(code) + "\n\nLumenfold makes screen time more comfortable.";
    } else if (target == kWeiboTarget) {
        draft.text = sharing::Downloads(code);
    } else {
        draft.text = sharing::Body(code, language);
    }
    // WeChat's "link" is the share page, which is what Compose gives for it.
    draft.link =
        sharing::Compose(kShareTargets.at(static_cast<size_t>(target)), code, language, draft.title, draft.url);
    return draft;
}
