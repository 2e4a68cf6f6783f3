#include "overlay/focus_rules.h"

#include <algorithm>
#include <cstdint>

namespace {

bool Empty(const Rect& r) { return Width(r) <= 0 || Height(r) <= 0; }

int64_t Overlap(const Rect& a, const Rect& b) {
    const int64_t w = std::min<int64_t>(a.right, b.right) - std::max<int64_t>(a.left, b.left);
    const int64_t h = std::min<int64_t>(a.bottom, b.bottom) - std::max<int64_t>(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

// A frame the window manager reports as empty is no better than none.
Rect Outline(const ForegroundFacts& facts) {
    return facts.frame && !Empty(*facts.frame) ? *facts.frame : facts.window;
}

}  // namespace

bool MayBecomeFocus(const ForegroundFacts& facts) { return !facts.ours && !facts.shell && !facts.cloaked; }

std::optional<Rect> FollowedRect(const ForegroundFacts& facts) {
    if (!MayBecomeFocus(facts) || !facts.visible || facts.minimised) return std::nullopt;
    const Rect outline = Outline(facts);
    if (Empty(outline)) return std::nullopt;
    return outline;
}

std::optional<Rect> FullScreenMonitor(const ForegroundFacts& facts, const std::vector<Rect>& monitors) {
    const std::optional<Rect> outline = FollowedRect(facts);
    if (!outline) return std::nullopt;
    const auto most = std::max_element(monitors.begin(), monitors.end(), [&](const Rect& a, const Rect& b) {
        return Overlap(*outline, a) < Overlap(*outline, b);
    });
    if (most == monitors.end() || Empty(*most) || Overlap(*outline, *most) != Width(*most) * Height(*most))
        return std::nullopt;
    return *most;
}
