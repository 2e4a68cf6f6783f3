#pragma once
// The addresses the program talks to and names. Kept in one place so that the share texts, the
// toolbar and the tests agree on them.

inline constexpr char kPublisherSiteOrigin[] = "https://lumenfold.app";
inline constexpr char kPublisherSiteDomain[] = "lumenfold.app";
// Under the persistent logo: short enough for the 68-unit strip.
inline constexpr char kPublisherSiteLabel[] = "lumenfold.app";
inline constexpr char kBannerServiceOrigin[] = "https://banners.lumenfold.app";
