#pragma once
// The installation's owner credential, kept only DPAPI-protected in "owner.dpapi", and the public
// referral code derived from it.
#include <string>

struct AffiliateIdentity {
    std::string credential;    // 64 lowercase hex digits, or empty
    std::string referralCode;  // "LF-" and 24 uppercase hex digits, or empty
    std::string error;         // English, empty on success
};

// Reads the identity, creating it on first use. A file that exists is never rewritten.
AffiliateIdentity LoadAffiliateIdentity();
