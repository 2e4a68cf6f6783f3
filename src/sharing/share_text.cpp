#include "sharing/share_text.h"

#include <array>
#include <string_view>

#include "online/origins.h"

namespace sharing {

namespace {

// The services' public web origins; their paths and query keys are part of each link below.
constexpr char kFacebookOrigin[] = "https://www.facebook.com";
constexpr char kTwitterOrigin[] = "https://twitter.com";
constexpr char kGmailOrigin[] = "https://mail.google.com";
constexpr char kYahooMailOrigin[] = "https://compose.mail.yahoo.com";
constexpr char kWeiboOrigin[] = "https://service.weibo.com";

constexpr char kEnglish[] =
    "I\u2019m enjoying Lumenfold for calmer, more comfortable screen time. It creates an adjustable skylight over "
    "any display, supports multiple monitors, brightness control, and focused breaks. Give your eyes a kinder "
    "workspace and try it too!";

struct Translation {
    std::string_view language;
    std::string_view text;
};

constexpr std::array<Translation, 5> kTranslations{{
    {"zh",
     "我正在使用 Lumenfold，让眼睛在工作和学习时更舒适。它可以在屏幕上创建可调节的天窗，支持多屏使用、亮度调节和专注休息。"
     "推荐你也试试！"},
    {"pl",
     "Korzystam z Lumenfold, aby dbać o komfort oczu podczas pracy i nauki. Aplikacja tworzy regulowane okno na "
     "ekranie, obsługuje wiele monitorów, jasność i przerwy na skupienie. Wypróbuj ją także!"},
    {"de",
     "Ich nutze Lumenfold für entspannteres und komfortableres Arbeiten am Bildschirm. Die App erstellt ein "
     "anpassbares Sichtfenster, unterstützt mehrere Monitore, Helligkeitssteuerung und bewusste Pausen. Probier sie "
     "auch aus!"},
    {"fr",
     "J\u2019utilise Lumenfold pour un temps d\u2019écran plus confortable et plus serein. L\u2019application crée "
     "une fenêtre réglable, prend en charge plusieurs écrans, la luminosité et les pauses de concentration. "
     "Essayez-la vous aussi !"},
    {"es",
     "Estoy usando Lumenfold para disfrutar de un tiempo frente a la pantalla más cómodo y tranquilo. Crea una "
     "ventana ajustable, funciona con varios monitores, controla el brillo y ayuda a hacer pausas. ¡Pruébala!"},
}};

std::string Referral(const std::string& referralCode) {
    return referralCode.empty() ? std::string() : "&ref=" + Encode(referralCode);
}

}  // namespace

std::string Encode(const std::string& text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size() * 3);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unreserved = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                                (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
                                byte == '~';
        if (unreserved) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        }
    }
    return encoded;
}

std::string Download(const std::string& platform, const std::string& referralCode) {
    return std::string(kPublisherSiteOrigin) + "/?platform=" + Encode(platform) + Referral(referralCode) +
           "#download";
}

std::string Page(const std::string& referralCode, const std::string& title, const std::string& url) {
    return std::string(kPublisherSiteOrigin) + "/share?title=" + Encode(title) + "&url=" + Encode(url) +
           "&preview=compact-v2" + Referral(referralCode);
}

std::string Recommendation(const std::string& language) {
    // Exact two-letter matches only: "zho" or "zh-CN" get English alone.
    for (const Translation& translation : kTranslations) {
        if (translation.language == language) {
            return std::string(translation.text) + "\n\n" + kEnglish;
        }
    }
    return kEnglish;
}

std::string Downloads(const std::string& referralCode) {
    return "macOS: " + Download("macos", referralCode) + "\n\nWindows: " + Download("windows", referralCode);
}

std::string Body(const std::string& referralCode, const std::string& language) {
    return Recommendation(language) + "\n\nDownload Lumenfold for macOS: " + Download("macos", referralCode) +
           "\n\nDownload Lumenfold for Windows: " + Download("windows", referralCode) + "\n\nPowered by " +
           kPublisherSiteDomain;
}

std::string Compose(const std::string& target, const std::string& referralCode, const std::string& language,
                    const std::string& title, const std::string& url) {
    if (target == "facebook")
        return std::string(kFacebookOrigin) + "/sharer/sharer.php?u=" + Encode(Page(referralCode, title, url));
    if (target == "twitter")
        return std::string(kTwitterOrigin) + "/intent/tweet?text=" +
               Encode(Downloads(referralCode) + "\n\nLumenfold makes screen time more comfortable.");
    if (target == "gmail")
        return std::string(kGmailOrigin) + "/mail/u/0/?view=cm&fs=1&su=" + Encode(title) +
               "&body=" + Encode(Body(referralCode, language));
    if (target == "yahoo")
        return std::string(kYahooMailOrigin) + "/?subject=" + Encode(title) +
               "&body=" + Encode(Body(referralCode, language));
    if (target == "email") return "mailto:?subject=" + Encode(title) + "&body=" + Encode(Body(referralCode, language));
    if (target == "weibo") return std::string(kWeiboOrigin) + "/share/share.php?title=" + Encode(Downloads(referralCode));
    return Page(referralCode, title, url);
}

}  // namespace sharing
