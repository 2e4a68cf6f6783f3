#pragma once
// One bounded HTTPS request over WinHTTP. It never throws for network trouble: what went wrong is in
// the answer's error text, in English, for the callers to put behind their own prefixes.
#include <cstdint>
#include <string>

struct HttpResponse {
    uint32_t status = 0;  // 0 when no status was read
    std::string body;
    std::string error;    // empty on success
};

inline constexpr char kInvalidAddress[] = "Invalid HTTPS address";
inline constexpr char kLimitError[] = "Response exceeds size or time limit";

// https, a host, and no user name or password.
bool IsHttpsURL(const std::wstring& url);

// A GET for an empty body, else a POST of it as JSON; the bearer token, when given, authorises it.
// Bodies larger than maxBytes, or still arriving after 30 s, are refused.
HttpResponse HttpRequest(const std::wstring& url, const std::string& body, const std::wstring& bearerToken,
                         uint64_t maxBytes);
