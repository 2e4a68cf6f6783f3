#pragma once
// The share texts and links, built from the referral code, the user's language and the item shared.
// Pure functions over UTF-8 text, used by the share window and the toolbar's QR code.
#include <string>

namespace sharing {

// Percent-encodes every byte except RFC 3986's unreserved ones, with uppercase hex digits.
std::string Encode(const std::string& text);

// The publisher's download link for "macos" or "windows".
std::string Download(const std::string& platform, const std::string& referralCode);

// The publisher's share page for an item (the program itself, or a banner).
std::string Page(const std::string& referralCode, const std::string& title, const std::string& url);

// The recommendation in a two-letter language we have a text for, a blank line, then English;
// English alone for any other language.
std::string Recommendation(const std::string& language);

// The macOS and Windows download links on lines of their own.
std::string Downloads(const std::string& referralCode);

// A mail draft's body: the recommendation, both download links and the publisher's domain.
std::string Body(const std::string& referralCode, const std::string& language);

// The link that opens a prefilled post or mail draft for a target ("facebook", "twitter", "gmail",
// "yahoo", "email", "weibo"); any other target, "wechat" among them, gets the share page itself.
std::string Compose(const std::string& target, const std::string& referralCode, const std::string& language,
                    const std::string& title, const std::string& url);

}  // namespace sharing
