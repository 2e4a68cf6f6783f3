#include "online/affiliate_identity.h"

#include <windows.h>
#include <bcrypt.h>
#include <dpapi.h>

#include <vector>

#include "common/data_folder.h"
#include "common/handles.h"
#include "common/whole_file.h"
#include "online/online_format.h"

namespace {

constexpr size_t kMaxIdentityFile = 8192;

void Wipe(void* data, size_t size) { SecureZeroMemory(data, size); }

// Written to a sibling first and moved into place only when whole: a crash or a full disk during
// the first write must not leave an identity that can never be decrypted. The move never replaces
// a file, so an existing identity is still never overwritten.
bool SaveNew(const std::wstring& path, const DATA_BLOB& blob) {
    const std::wstring temporary = path + L".tmp";
    if (WriteFlushedFile(temporary, blob.pbData, blob.cbData) &&
        MoveWhenFree(temporary, path, MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(temporary.c_str());
    return false;
}

bool ReferralCode(const std::string& credential, std::string& code) {
    const std::string message = ":" + credential;
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    uint8_t digest[32]{};
    const bool ok =
        BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) >= 0 &&
        BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) >= 0 &&
        BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(message.data())),
                       static_cast<ULONG>(message.size()), 0) >= 0 &&
        BCryptFinishHash(hash, digest, sizeof digest, 0) >= 0;
    if (hash) BCryptDestroyHash(hash);
    if (algorithm) BCryptCloseAlgorithmProvider(algorithm, 0);
    if (ok) code = ReferralCodeFromDigest(digest);
    return ok;
}

}  // namespace

AffiliateIdentity LoadAffiliateIdentity() {
    AffiliateIdentity identity;
    const std::wstring folder = DataFolder();
    if (folder.empty()) {
        identity.error = "Cannot read saved referral identity";
        return identity;
    }
    const std::wstring path = folder + L"\\owner.dpapi";
    const UniqueFile file = OpenForReading(path);
    if (file) {
        std::vector<char> bytes;
        char chunk[4096];
        DWORD got = 0;
        // Never more than one chunk past the limit is read.
        while (bytes.size() <= kMaxIdentityFile && ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0)
            bytes.insert(bytes.end(), chunk, chunk + got);
        if (bytes.size() > kMaxIdentityFile) {
            identity.error = "Invalid saved referral identity";
            return identity;
        }
        DATA_BLOB in{static_cast<DWORD>(bytes.size()), reinterpret_cast<BYTE*>(bytes.data())};
        DATA_BLOB out{};
        if (!CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out)) {
            identity.error = "Cannot decrypt referral identity; existing identity retained";
            return identity;
        }
        identity.credential.assign(reinterpret_cast<char*>(out.pbData), out.cbData);
        Wipe(out.pbData, out.cbData);
        LocalFree(out.pbData);
    } else {
        if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
            identity.error = "Cannot read saved referral identity";
            return identity;
        }
        uint8_t random[32]{};
        if (BCryptGenRandom(nullptr, random, sizeof random, BCRYPT_USE_SYSTEM_PREFERRED_RNG) < 0) {
            identity.error = "Cannot create referral identity";
            return identity;
        }
        identity.credential = Hex(random, sizeof random);
        Wipe(random, sizeof random);
        DATA_BLOB in{static_cast<DWORD>(identity.credential.size()),
                     reinterpret_cast<BYTE*>(identity.credential.data())};
        DATA_BLOB blob{};
        if (!CryptProtectData(&in, L"Lumenfold owner credential", nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                              &blob)) {
            Wipe(identity.credential.data(), identity.credential.size());
            identity.credential.clear();
            identity.error = "Cannot protect referral identity";
            return identity;
        }
        const bool saved = SaveNew(path, blob);
        LocalFree(blob.pbData);
        if (!saved) {
            Wipe(identity.credential.data(), identity.credential.size());
            identity.credential.clear();
            identity.error = "Cannot save referral identity";
            return identity;
        }
    }
    if (!ValidCredential(identity.credential)) {
        Wipe(identity.credential.data(), identity.credential.size());
        identity.credential.clear();
        identity.error = "Invalid referral identity; existing identity retained";
        return identity;
    }
    if (!ReferralCode(identity.credential, identity.referralCode)) identity.error = "Cannot derive referral code";
    return identity;
}
