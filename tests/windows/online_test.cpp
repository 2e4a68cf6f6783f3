// The HTTPS client against the local test service (real TLS, a CA trusted here only); the identity.
#include <windows.h>
#include <dpapi.h>

#include <cstdlib>

#include "common/text.h"
#include "online/affiliate_identity.h"
#include "online/https_client.h"
#include "test_support.h"

namespace {

std::wstring Origin(const char* variable) {
    const char* value = std::getenv(variable);
    return value ? Wide(value) : L"";
}

bool NetworkError(const HttpResponse& response) {
    return response.error.rfind("Windows network error ", 0) == 0 && response.error.size() > 22;
}

TEST(HttpsClient, RefusesAnythingButHttpsBeforeConnecting) {
    for (const wchar_t* url : {L"http://service.test/echo", L"https://user@service.test/", L"https://:pw@service.test/",
                               L"https:///path", L"service.test/echo", L""}) {
        const HttpResponse response = HttpRequest(url, "", L"", 1000);
        EXPECT_TRUE(response.error == "Invalid HTTPS address" && response.status == 0) << Utf8(url);
    }
    EXPECT_TRUE(IsHttpsURL(L"https://service.test:8443/p?q=1"));
}

TEST(HttpsClient, SendsWhatTheServicesExpect) {
    const std::wstring origin = Origin("LUMENFOLD_HTTPS_ORIGIN");
    ASSERT_FALSE(origin.empty());
    const long handles = LiveHandleCount();
    const HttpResponse get = HttpRequest(origin + L"/echo?q=1", "", L"", 100000);
    ASSERT_EQ(get.error, "");
    EXPECT_EQ(get.status, 200u);
    EXPECT_NE(get.body.find(R"("method": "GET", "path": "/echo?q=1")"), std::string::npos) << get.body;
    EXPECT_TRUE(get.body.find("Content-Type") == get.body.npos && get.body.find("Authorization") == get.body.npos);
    const HttpResponse root = HttpRequest(origin, "", L"", 100000);
    EXPECT_NE(root.body.find(R"("path": "/")"), std::string::npos) << "no path asks for /";
    // Method, bearer token and body of a POST are checked end to end, on the credits request.
    const HttpResponse post = HttpRequest(origin + L"/echo", "{}", L"0123abcd", 100000);
    EXPECT_NE(post.body.find(R"("Content-Type": "application/json")"), std::string::npos) << post.body;
    const HttpResponse missing = HttpRequest(origin + L"/missing", "", L"", 100000);
    EXPECT_TRUE(missing.status == 404 && missing.body == "gone" && missing.error.empty()) << "the status is not judged";
    EXPECT_EQ(LiveHandleCount(), handles) << "every WinHTTP handle is closed";
}

TEST(HttpsClient, BoundsTheBodyAndReportsBrokenTransfers) {
    const std::wstring origin = Origin("LUMENFOLD_HTTPS_ORIGIN");
    const long handles = LiveHandleCount();
    EXPECT_EQ(HttpRequest(origin + L"/exact", "", L"", 1000).body.size(), 1000u) << "exactly the limit is accepted";
    const HttpResponse over = HttpRequest(origin + L"/over", "", L"", 1000);
    EXPECT_TRUE(over.error == "Response exceeds size or time limit" && over.status == 200 && over.body.empty());
    const ULONGLONG start = GetTickCount64();
    const HttpResponse slow = HttpRequest(origin + L"/slow", "", L"", 100000);
    EXPECT_EQ(slow.error, "Response exceeds size or time limit");
    EXPECT_GE(GetTickCount64() - start, 30000u);
    const HttpResponse cutShort = HttpRequest(origin + L"/cut", "", L"", 1000000);
    EXPECT_TRUE(NetworkError(cutShort)) << "a connection cut mid-body passes for a whole body";
    EXPECT_TRUE(NetworkError(HttpRequest(Origin("LUMENFOLD_HTTPS_UNTRUSTED") + L"/echo", "", L"", 1000)))
        << "a certificate the system does not trust";
    EXPECT_TRUE(NetworkError(HttpRequest(L"https://nowhere.invalid/", "", L"", 1000)));
    EXPECT_EQ(LiveHandleCount(), handles);
}

class Identity : public testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        for (const char* name : {"owner.dpapi", "owner.dpapi.tmp"}) std::filesystem::remove_all(DataFile(name));
    }
};

TEST_F(Identity, AFailedFirstWriteLeavesNothingTheNextIsCreatedOnceThenReadBack) {
    // The temporary sibling cannot be created: a folder of that name is in the way.
    ASSERT_TRUE(std::filesystem::create_directory(DataFile("owner.dpapi.tmp")));
    const AffiliateIdentity failed = LoadAffiliateIdentity();
    std::filesystem::remove(DataFile("owner.dpapi.tmp"));
    EXPECT_TRUE(failed.error == "Cannot save referral identity" && failed.credential.empty()) << failed.error;
    EXPECT_FALSE(std::filesystem::exists(DataFile("owner.dpapi"))) << "no half identity under the real name";

    const AffiliateIdentity first = LoadAffiliateIdentity();
    ASSERT_EQ(first.error, "");
    EXPECT_EQ(first.credential.size(), 64u);
    const std::string blob = ReadBytes(DataFile("owner.dpapi"));
    EXPECT_EQ(blob.find(first.credential), std::string::npos) << "only the protected form is stored";
    EXPECT_FALSE(std::filesystem::exists(DataFile("owner.dpapi.tmp")));
    EXPECT_EQ(LoadAffiliateIdentity().credential, first.credential);
    EXPECT_EQ(ReadBytes(DataFile("owner.dpapi")), blob);
}

TEST_F(Identity, AFileItCannotUseIsLeftAlone) {
    // Too big, undecryptable; protected properly but not a credential: 63 characters, uppercase.
    std::vector<std::pair<std::string, const char*>> files = {
        {std::string(8193, 'x'), "Invalid saved referral identity"},
        {std::string(8192, 'x'), "Cannot decrypt referral identity; existing identity retained"}};
    for (std::string plain : {std::string(63, 'a'), std::string(63, 'a') + "A"}) {
        DATA_BLOB in{static_cast<DWORD>(plain.size()), reinterpret_cast<BYTE*>(plain.data())}, out{};
        ASSERT_TRUE(CryptProtectData(&in, L"test", nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out));
        files.emplace_back(std::string(reinterpret_cast<char*>(out.pbData), out.cbData),
                           "Invalid referral identity; existing identity retained");
        LocalFree(out.pbData);
    }
    for (const auto& [bytes, error] : files) {
        WriteBytes(DataFile("owner.dpapi"), bytes);
        const AffiliateIdentity refused = LoadAffiliateIdentity();
        EXPECT_EQ(refused.error, error);
        EXPECT_TRUE(refused.credential.empty() && refused.referralCode.empty());
        EXPECT_EQ(ReadBytes(DataFile("owner.dpapi")), bytes) << "never overwritten";
    }
}

}  // namespace
