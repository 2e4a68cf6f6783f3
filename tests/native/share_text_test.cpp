// The share texts and links exactly as a browser, a mail program or a QR scanner receives them.
#include <gtest/gtest.h>

#include <string>

#include "sharing/share_text.h"

namespace {

using sharing::Compose;

const std::string kEnglish =
    "I\xE2\x80\x99m enjoying Lumenfold for calmer, more comfortable screen time. It creates an adjustable skylight "
    "over any display, supports multiple monitors, brightness control, and focused breaks. Give your eyes a kinder "
    "workspace and try it too!";
const std::string kMacR1 = "https://lumenfold.app/?platform=macos&ref=R1#download";
const std::string kWindowsR1 = "https://lumenfold.app/?platform=windows&ref=R1#download";
const std::string kPageR1 = "https://lumenfold.app/share?title=Tea%20%26%20cake&url=https%3A%2F%2Fx.example%2F%3Fa%3Db"
                            "&preview=compact-v2&ref=R1";

std::string Decoded(const std::string& text) {
    std::string bytes;
    for (size_t i = 0; i < text.size(); i += text[i] == '%' ? 3 : 1)
        bytes += text[i] == '%' ? static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16)) : text[i];
    return bytes;
}

TEST(ShareText, EncodeKeepsOnlyUnreservedBytes) {
    const std::pair<std::string, std::string> cases[] = {
        {"a b", "a%20b"}, {"&", "%26"}, {"/", "%2F"}, {"\xC3\xBC", "%C3%BC"}, {"-._~", "-._~"}, {"", ""},
        {"Az09\n", "Az09%0A"}, {"%\xFF", "%25%FF"}};
    for (const auto& [text, encoded] : cases) EXPECT_EQ(sharing::Encode(text), encoded) << text;
}

TEST(ShareText, LinksToThePublisherCarryTheReferralCodeOnlyWhenThereIsOne) {
    EXPECT_EQ(sharing::Download("macos", ""), "https://lumenfold.app/?platform=macos#download");
    EXPECT_EQ(sharing::Download("windows", "a b/\xC3\xBC"),
              "https://lumenfold.app/?platform=windows&ref=a%20b%2F%C3%BC#download");
    EXPECT_EQ(sharing::Page("", "Lumenfold", "https://lumenfold.app"),
              "https://lumenfold.app/share?title=Lumenfold&url=https%3A%2F%2Flumenfold.app&preview=compact-v2");
    EXPECT_EQ(sharing::Page("R1", "Tea & cake", "https://x.example/?a=b"), kPageR1);
    EXPECT_EQ(sharing::Downloads("R1"), "macOS: " + kMacR1 + "\n\nWindows: " + kWindowsR1);
}

TEST(ShareText, RecommendationInTheUsersLanguageThenEnglish) {
    const std::string cases[][3] = {  // language, how its text opens and closes
        {"zh", "我正在使用 Lumenfold，", "推荐你也试试！"}, {"de", "Ich nutze Lumenfold", "Probier sie auch aus!"},
        {"pl", "Korzystam z Lumenfold", "Wypróbuj ją także!"},
        {"fr", "J\xE2\x80\x99utilise Lumenfold pour un temps d\xE2\x80\x99\xC3\xA9" "cran", "Essayez-la vous aussi !"},
        {"es", "Estoy usando Lumenfold", "hacer pausas. ¡Pruébala!"}};
    for (const auto& [language, opening, closing] : cases) {
        const std::string text = sharing::Recommendation(language);
        EXPECT_TRUE(text.starts_with(opening) && text.ends_with(closing + "\n\n" + kEnglish)) << text;
    }
    for (const char* other : {"xx", "", "zho", "ZH", "z"}) EXPECT_EQ(sharing::Recommendation(other), kEnglish) << other;
}

TEST(ShareText, MailDraftsCarryTheWholeBodyAndPostsOnlyTheLinks) {
    const std::string body = kEnglish + "\n\nDownload Lumenfold for macOS: " + kMacR1 +
                             "\n\nDownload Lumenfold for Windows: " + kWindowsR1 + "\n\nPowered by lumenfold.app";
    EXPECT_EQ(sharing::Body("R1", "xx"), body);
    const std::pair<std::string, std::string> drafts[] = {
        {"gmail", "https://mail.google.com/mail/u/0/?view=cm&fs=1&su=Tea%20%26%20cake&body="},
        {"yahoo", "https://compose.mail.yahoo.com/?subject=Tea%20%26%20cake&body="},
        {"email", "mailto:?subject=Tea%20%26%20cake&body="}};
    for (const auto& [target, prefix] : drafts) {
        const std::string link = Compose(target, "R1", "xx", "Tea & cake", "https://x.example/?a=b");
        EXPECT_TRUE(link.starts_with(prefix) && Decoded(link.substr(prefix.size())) == body) << link;
    }
    EXPECT_EQ(Compose("facebook", "R1", "zh", "Tea & cake", "https://x.example/?a=b"),
              "https://www.facebook.com/sharer/sharer.php?u=https%3A%2F%2Flumenfold.app%2Fshare%3Ftitle%3DTea%2520%2526"
              "%2520cake%26url%3Dhttps%253A%252F%252Fx.example%252F%253Fa%253Db%26preview%3Dcompact-v2%26ref%3DR1");
    EXPECT_EQ(Compose("twitter", "", "zh", "Lumenfold", "https://lumenfold.app"),
              "https://twitter.com/intent/tweet?text=macOS%3A%20https%3A%2F%2Flumenfold.app%2F%3Fplatform%3Dmacos"
              "%23download%0A%0AWindows%3A%20https%3A%2F%2Flumenfold.app%2F%3Fplatform%3Dwindows%23download%0A%0A"
              "Lumenfold%20makes%20screen%20time%20more%20comfortable.");
    EXPECT_EQ(Compose("weibo", "R1", "zh", "Lumenfold", "https://lumenfold.app"),
              "https://service.weibo.com/share/share.php?title=macOS%3A%20https%3A%2F%2Flumenfold.app%2F%3Fplatform%3D"
              "macos%26ref%3DR1%23download%0A%0AWindows%3A%20https%3A%2F%2Flumenfold.app%2F%3Fplatform%3Dwindows%26ref"
              "%3DR1%23download");
    for (const char* page : {"wechat", "Facebook", "x"})  // the share page itself, for a QR code
        EXPECT_EQ(Compose(page, "R1", "zh", "Tea & cake", "https://x.example/?a=b"), kPageR1) << page;
    for (const char* target : {"facebook", "twitter", "gmail", "yahoo", "email", "wechat", "weibo"})
        EXPECT_EQ(Compose(target, "", "de", "Lumenfold", "https://lumenfold.app").find("ref"), std::string::npos);
}

}  // namespace
