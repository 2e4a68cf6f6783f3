#include <gtest/gtest.h>

#include <string>

#include "sharing/share_dialog.h"
#include "sharing/share_text.h"

namespace {

using sharing::Compose;

const std::string kEnglish =
    "I\xE2\x80\x99m enjoying Lumenfold for calmer, more comfortable screen time. It creates an adjustable skylight "
    "over any display, supports multiple monitors, brightness control, and focused breaks. Give your eyes a kinder "
    "workspace and try it too!";
const std::string kMacR1 = "https://lumenfold.app/?platform=macos&ref=R1#download";
const std::string kWindowsR1 = "https://lumenfold.app/?platform=windows&ref=R1#download";
const std::string kDownloadsR1 = "macOS: " + kMacR1 + "\n\nWindows: " + kWindowsR1;
const std::string kPageR1 = "https://lumenfold.app/share?title=Tea%20%26%20cake&url=https%3A%2F%2Fx.example%2F%3Fa%3Db"
                            "&preview=compact-v2&ref=R1";

std::string Decoded(const std::string& text) {
    std::string bytes;  // a percent sign here always starts an escape
    for (size_t i = 0; i < text.size(); i += text[i] == '%' ? 3 : 1)
        bytes += text[i] == '%' ? static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16)) : text[i];
    return bytes;
}

TEST(ShareText, EncodingRecommendationsInTheUsersLanguageAndWhatEachTargetCarries) {
    const std::pair<std::string, std::string> encodings[] = {
        {"a b", "a%20b"}, {"&", "%26"}, {"/", "%2F"}, {"\xC3\xBC", "%C3%BC"}, {"-._~", "-._~"}, {"", ""},
        {"Az09\n", "Az09%0A"}, {"%\xFF", "%25%FF"}};
    for (const auto& [text, encoded] : encodings) EXPECT_EQ(sharing::Encode(text), encoded) << text;
    EXPECT_EQ(sharing::Download("windows", "a b"), "https://lumenfold.app/?platform=windows&ref=a%20b#download");
    EXPECT_EQ(sharing::Download("macos", ""), "https://lumenfold.app/?platform=macos#download");
    const std::string languages[][3] = {  // language, how its text opens and closes
        {"zh", "我正在使用 Lumenfold，", "推荐你也试试！"}, {"de", "Ich nutze Lumenfold", "Probier sie auch aus!"},
        {"pl", "Korzystam z Lumenfold", "Wypróbuj ją także!"}, {"fr", "J\xE2\x80\x99utilise Lumenfold", "vous aussi !"},
        {"es", "Estoy usando Lumenfold", "hacer pausas. ¡Pruébala!"}};
    for (const auto& [language, opening, closing] : languages) {
        const std::string text = sharing::Recommendation(language);
        EXPECT_TRUE(text.starts_with(opening) && text.ends_with(closing + "\n\n" + kEnglish)) << text;
    }
    for (const char* other : {"xx", "", "zho", "ZH", "z"}) EXPECT_EQ(sharing::Recommendation(other), kEnglish) << other;
    const std::string body = kEnglish + "\n\nDownload Lumenfold for macOS: " + kMacR1 +
                             "\n\nDownload Lumenfold for Windows: " + kWindowsR1 + "\n\nPowered by lumenfold.app";
    EXPECT_NE(Decoded(Compose("gmail", "", "zh", "T", "u")).find("su=T&body=我正在使用"), std::string::npos);
    const std::string links[][3] = {  // target, the link up to its one encoded value, the value
        {"gmail", "https://mail.google.com/mail/u/0/?view=cm&fs=1&su=Tea%20%26%20cake&body=", body},
        {"yahoo", "https://compose.mail.yahoo.com/?subject=Tea%20%26%20cake&body=", body},
        {"email", "mailto:?subject=Tea%20%26%20cake&body=", body},
        {"twitter", "https://twitter.com/intent/tweet?text=",
         kDownloadsR1 + "\n\nLumenfold makes screen time more comfortable."},
        {"weibo", "https://service.weibo.com/share/share.php?title=", kDownloadsR1},
        {"facebook", "https://www.facebook.com/sharer/sharer.php?u=", kPageR1}};
    for (const auto& [target, prefix, value] : links) {
        const std::string link = Compose(target, "R1", "xx", "Tea & cake", "https://x.example/?a=b");
        EXPECT_TRUE(link.starts_with(prefix) && Decoded(link.substr(prefix.size())) == value) << link;
        EXPECT_EQ(link.find_first_not_of("%-._~0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz",
                                         prefix.size()), std::string::npos) << link;
    }
    for (const char* page : {"wechat", "Facebook", "x"})  // the share page itself, for a QR code
        EXPECT_EQ(Compose(page, "R1", "zh", "Tea & cake", "https://x.example/?a=b"), kPageR1) << page;
    for (const char* target : {"facebook", "twitter", "gmail", "yahoo", "email", "wechat", "weibo"})
        EXPECT_EQ(Compose(target, "", "de", "Lumenfold", "https://lumenfold.app").find("ref"), std::string::npos);
}

// Of the dialog's layout only places across: the Windows-side test reads the rows' tops.
TEST(ShareLayout, RowsAcrossAt96DpiScaledAt144AndTheQrCodeNarrowedToLeaveTwentyPixelsEachSide) {
    const ShareLayout list = LayoutShare({700, 760, 96, 0, SharePage::TargetList, "", 0});
    EXPECT_EQ(list.targetButtons[0].rect, (Rect{18, 100, 540, 168}));
    EXPECT_EQ(list.shareButtons[0].rect, (Rect{546, 100, 682, 168}));
    // 660 x 1.5 = 990 rows in 800: at most 190 down. The margin is 27, each half 498 - 9 wide.
    const ShareLayout facebook = LayoutShare({1050, 800, 144, 500, SharePage::FacebookPage, "", 0});
    EXPECT_EQ(facebook.scroll, 190);
    EXPECT_EQ(facebook.copyButton.rect, (Rect{27, 584, 516, 680}));
    EXPECT_EQ(facebook.facebookButton.rect, (Rect{534, 584, 1023, 680}));
    EXPECT_EQ(LayoutShare({640, 760, 96, 0, SharePage::QrCodePage, "", 0}).qr, (Rect{170, 166, 470, 466}));
    EXPECT_EQ(LayoutShare({200, 760, 96, 0, SharePage::QrCodePage, "", 0}).qr, (Rect{20, 166, 180, 326}));
}

}  // namespace
